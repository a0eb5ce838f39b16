#include "RegData.h"

#include "KeyPath.h"
#include "Unicode.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

namespace qm6::tool {
namespace {

using namespace std::string_literals;

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(KeyPathParse, TakesShortAndLongRootsAndRefusesOthers) {
    const std::pair<const char*, const char*> cases[] = {
        // The path in full, or the start of the error.
        {"HKCU", "HKEY_CURRENT_USER"},
        {"hkcu\\Software\\X", "HKEY_CURRENT_USER\\Software\\X"},
        {"HKLM\\A b\\c", "HKEY_LOCAL_MACHINE\\A b\\c"},
        {"Hkey_Local_Machine\\A", "HKEY_LOCAL_MACHINE\\A"},
        {"HKCR\\A", "The root HKEY_CLASSES_ROOT is not available here"},
        {"HKCU2\\A", "\"HKCU2\" is not a registry root"},
        {"", "\"\" is not a registry root"},
        {"\\\\host\\HKLM\\A", "Remote registries are not supported"},
        {"HKCU\\A\\\\B", "The key name \"HKCU\\A\\\\B\" has an empty part."},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        auto path = ParseKeyPath(text, error);
        EXPECT_EQ(path ? path->Full() : error.substr(0, std::string_view(expected).size()),
                  expected)
            << text;
    }
}

TEST(RegDataTypes, NamesRoundTripAndAliasesResolve) {
    for (uint32_t type = 0; type <= 11; ++type) {
        auto parsed = ParseTypeName(TypeName(type));
        ASSERT_TRUE(parsed) << type;
        EXPECT_EQ(*parsed, type);
    }
    EXPECT_EQ(ParseTypeName("reg_dword_little_endian"), reg::REG_DWORD);
    EXPECT_EQ(ParseTypeName("REG_QWORD_LITTLE_ENDIAN"), reg::REG_QWORD);
    EXPECT_FALSE(ParseTypeName("REG_STRING"));
    EXPECT_EQ(TypeName(0x100), "0x100");
}

TEST(RegDataFormat, ShowsDataAsTheWindowsToolDoes) {
    struct Case {
        uint32_t type;
        std::string data;
        const char* shown;
    };
    const Case cases[] = {
        {reg::REG_SZ, "hello\0"s, "hello"},
        {reg::REG_SZ, "a\0b\0"s, "a"},
        {reg::REG_EXPAND_SZ, "%TEMP%\\x\0"s, "%TEMP%\\x"},
        {reg::REG_MULTI_SZ, "a\0bc\0\0"s, "a\\0bc"},
        {reg::REG_MULTI_SZ, "a\0"s, "a"}, // one terminator only
        {reg::REG_MULTI_SZ, "", ""},
        {reg::REG_DWORD, "\x2a\0\0\0"s, "0x2a"},
        {reg::REG_DWORD, "\x01\x02"s, "0102"},
        {reg::REG_DWORD_BIG_ENDIAN, "\0\0\x01\x02"s, "0x102"},
        {reg::REG_QWORD, "\x01\0\0\0\0\0\0\x80"s, "0x8000000000000001"},
        {reg::REG_BINARY, "\x00\xab\x0f"s, "00AB0F"},
        {0x100, "\xfe"s, "FE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TypeName(c.type) + " " + c.shown);
        EXPECT_EQ(FormatData(c.type, Bytes(c.data)), c.shown);
    }
}

TEST(RegDataEncode, TurnsCommandLineDataIntoStoredBytes) {
    struct Case {
        uint32_t type;
        std::optional<std::string> text;
        std::string separator;
        std::optional<std::string> bytes; // nullopt: refused
    };
    const Case cases[] = {
        {reg::REG_SZ, "h\xc3\xa9", "", "h\xc3\xa9\0"s},
        {reg::REG_SZ, std::nullopt, "", "\0"s},
        {reg::REG_SZ, "\xff", "", std::nullopt},
        {reg::REG_MULTI_SZ, "a\\0bc", "", "a\0bc\0\0"s},
        {reg::REG_MULTI_SZ, "a\\0", "", "a\0\0"s},
        {reg::REG_MULTI_SZ, "", "", "\0"s},
        {reg::REG_MULTI_SZ, "a#b", "#", "a\0b\0\0"s},
        {reg::REG_MULTI_SZ, "a\\0\\0b", "", std::nullopt},
        {reg::REG_DWORD, "42", "", "\x2a\0\0\0"s},
        {reg::REG_DWORD, "0x2A", "", "\x2a\0\0\0"s},
        {reg::REG_DWORD, "4294967295", "", "\xff\xff\xff\xff"s},
        {reg::REG_DWORD, "4294967296", "", std::nullopt},
        {reg::REG_DWORD, "-1", "", std::nullopt},
        {reg::REG_DWORD, "12a", "", std::nullopt},
        {reg::REG_DWORD, "0x", "", std::nullopt},
        {reg::REG_DWORD, "", "", std::nullopt},
        {reg::REG_DWORD, std::nullopt, "", std::nullopt},
        {reg::REG_DWORD_BIG_ENDIAN, "0x01020304", "", "\x01\x02\x03\x04"s},
        {reg::REG_QWORD, "18446744073709551615", "", "\xff\xff\xff\xff\xff\xff\xff\xff"s},
        {reg::REG_QWORD, "18446744073709551616", "", std::nullopt},
        {reg::REG_QWORD, "0x0102030405060708", "", "\x08\x07\x06\x05\x04\x03\x02\x01"s},
        {reg::REG_BINARY, "00aBFf", "", "\x00\xab\xff"s},
        {reg::REG_BINARY, "", "", ""},
        {reg::REG_BINARY, "abc", "", std::nullopt},
        {reg::REG_BINARY, "0g", "", std::nullopt},
        {reg::REG_NONE, "01", "", "\x01"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TypeName(c.type) + " " + c.text.value_or("(no /d)"));
        std::string error;
        auto bytes =
            EncodeData(c.type, c.text ? std::optional<std::string_view>(*c.text) : std::nullopt,
                       c.separator, error);
        EXPECT_EQ(bytes, c.bytes ? std::optional(Bytes(*c.bytes)) : std::nullopt) << error;
        EXPECT_EQ(error.empty(), c.bytes.has_value()) << error;
    }
}

// The other conversions are seen through the .reg file tests; these two
// answers are not.
TEST(Unicode, CountsUtf16UnitsAndRefusesCodePointsPastTheLast) {
    EXPECT_EQ(Utf16Length("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), 5u);
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80")); // past U+10FFFF
}

} // namespace
} // namespace qm6::tool
