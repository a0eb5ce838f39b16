// The .reg parser and writer, key names and data forms, without a registry.

#include "RegFile.h"

#include "KeyPath.h"
#include "RegData.h"
#include "Unicode.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>
#include <sstream>

namespace qm6::tool {
namespace {

using Kind = RegEntry::Kind;
using namespace std::string_literals;

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::string Utf16(std::string_view utf8, bool bom = true) {
    std::string out = bom ? "\xFF\xFE" : "";
    AppendUtf16Le(utf8, out);
    return out;
}

KeyPath Hkcu(std::string sub) {
    return KeyPath{reg::HKEY_CURRENT_USER, std::move(sub)};
}

RegEntry Set(int line, std::string key, std::string name, uint32_t type, std::string_view data) {
    return {Kind::SetValue, line, Hkcu(std::move(key)), std::move(name), type, Bytes(data)};
}

// The entries of a parse, none when it failed (which fails the test); with
// `lines` false the line numbers are left out.
std::vector<RegEntry> Entries(const RegFileParse& parsed, bool lines = true) {
    EXPECT_TRUE(parsed.file) << "line " << parsed.error.line << ": " << parsed.error.message;
    std::vector<RegEntry> entries = parsed.file ? parsed.file->entries : std::vector<RegEntry>{};
    for (RegEntry& e : entries)
        e.line = lines ? e.line : 0;
    return entries;
}

} // namespace

// How a failed comparison shows an entry.
void PrintTo(const RegEntry& e, std::ostream* os) {
    *os << "line " << e.line << " kind " << static_cast<int>(e.kind) << " " << e.key.Full() << " ["
        << e.name << "] type " << e.type << " data" << std::hex;
    for (uint8_t b : e.data)
        *os << ' ' << static_cast<int>(b);
    *os << std::dec;
}

namespace {

// One file using every form of the format, in the line layout regedit writes
// (continuations, comments, deletions, blanks around "=").
const char* const kEveryForm = "Windows Registry Editor Version 5.00\r\n"
                               "\r\n"
                               "; a comment line\r\n"
                               "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                               "\r\n"
                               "[HKCU\\Software\\Test]\r\n"
                               "@=\"default\"\r\n"
                               "\"quote\"=\"say \\\"hi\\\" C:\\\\dir\"\r\n"
                               "\"name \\\"q\\\" \\\\ x\" = \"v\" ; trailing comment\r\n"
                               "\"lines\"=\"a\\nb\\rc\"\r\n"
                               "\"count\"=dword:0000002A\r\n"
                               "\"short\"=dword:7\r\n"
                               "\"bin\"=hex:00,ff,\\\r\n"
                               "  10,\\\r\n"
                               "; a comment between continuation lines\r\n"
                               "\r\n"
                               "  20\r\n"
                               "\"none\"=hex(0):\r\n"
                               "\"path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                               "\"list\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
                               "\"big\"=hex(5):00,00,00,01\r\n"
                               "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                               "\"odd\"=hex(100):aB\r\n"
                               "\"gone\"=-\r\n"
                               "@=-\r\n"
                               "\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Other] ; comment\r\n";

std::vector<RegEntry> EveryFormEntries() {
    std::vector<RegEntry> e;
    e.push_back({Kind::DeleteKey, 4, Hkcu("Software\\Old"), "", 0, {}});
    e.push_back({Kind::CreateKey, 6, Hkcu("Software\\Test"), "", 0, {}});
    const std::string k = "Software\\Test";
    e.push_back(Set(7, k, "", reg::REG_SZ, "default\0"s));
    e.push_back(Set(8, k, "quote", reg::REG_SZ, "say \"hi\" C:\\dir\0"s));
    e.push_back(Set(9, k, "name \"q\" \\ x", reg::REG_SZ, "v\0"s));
    e.push_back(Set(10, k, "lines", reg::REG_SZ, "a\nb\rc\0"s));
    e.push_back(Set(11, k, "count", reg::REG_DWORD, "\x2a\0\0\0"s));
    e.push_back(Set(12, k, "short", reg::REG_DWORD, "\x07\0\0\0"s));
    e.push_back(Set(13, k, "bin", reg::REG_BINARY, "\x00\xff\x10\x20"s));
    e.push_back(Set(18, k, "none", reg::REG_NONE, ""));
    e.push_back(Set(19, k, "path", reg::REG_EXPAND_SZ, "%A%\0"s));
    e.push_back(Set(20, k, "list", reg::REG_MULTI_SZ, "a\0\xc3\xa9\0\0"s));
    e.push_back(Set(21, k, "big", reg::REG_DWORD_BIG_ENDIAN, "\0\0\0\x01"s));
    e.push_back(Set(22, k, "q", reg::REG_QWORD, "\x01\0\0\0\0\0\0\0"s));
    e.push_back(Set(23, k, "odd", 0x100, "\xab"s));
    e.push_back({Kind::DeleteValue, 24, Hkcu(k), "gone", 0, {}});
    e.push_back({Kind::DeleteValue, 25, Hkcu(k), "", 0, {}});
    e.push_back(
        {Kind::CreateKey, 27, KeyPath{reg::HKEY_LOCAL_MACHINE, "Software\\Other"}, "", 0, {}});
    return e;
}

std::string WithLineEnds(std::string text, std::string_view end) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += end;
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

TEST(RegFileParse, ReadsEveryFormInEveryEncodingAndLineEnd) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::string crlf = kEveryForm;
    const std::vector<Case> cases = {
        {"UTF-16LE with BOM, CRLF", Utf16(crlf)},  {"UTF-16LE without BOM", Utf16(crlf, false)},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf}, {"UTF-8, CRLF", crlf},
        {"UTF-8, LF", WithLineEnds(crlf, "\n")},   {"UTF-8, CR", WithLineEnds(crlf, "\r")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto parsed = ParseRegFile(c.bytes);
        ASSERT_EQ(Entries(parsed), EveryFormEntries());
        EXPECT_EQ(parsed.file->version, RegFileVersion::Regedit5);
    }
}

TEST(RegFileParse, Regedit4TakesStringTypesInHexAsEightBitText) {
    auto parsed = ParseRegFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n"
                               "\"p\"=hex(2):25,41,25,00\n"
                               "\"m\"=hex(7):c3,a9,00,62,00,00\n"
                               "\"s\"=\"x\"\n");
    ASSERT_EQ(Entries(parsed),
              (std::vector<RegEntry>{{Kind::CreateKey, 3, Hkcu("A"), "", 0, {}},
                                     Set(4, "A", "p", reg::REG_EXPAND_SZ, "%A%\0"s),
                                     Set(5, "A", "m", reg::REG_MULTI_SZ, "\xc3\xa9\0b\0\0"s),
                                     Set(6, "A", "s", reg::REG_SZ, "x\0"s)}));
    EXPECT_EQ(parsed.file->version, RegFileVersion::Regedit4);
}

TEST(RegFileParse, AcceptsWhatRegeditToleratesAroundTheEntries) {
    // Blank lines before the header, blanks around it, indented entries, a
    // key name holding ']' and ';', an empty quoted name as the default value,
    // upper-case type prefixes.
    auto parsed = ParseRegFile("\n  Windows Registry Editor Version 5.00  \n"
                               "  [hkcu\\A]b;c]\n"
                               "\t\"\"=\"d\"\n"
                               "  \"x\"=DWORD:1\n"
                               "  \"y\"=HEX(A):1,2\n");
    EXPECT_EQ(Entries(parsed),
              (std::vector<RegEntry>{
                  {Kind::CreateKey, 3, Hkcu("A]b;c"), "", 0, {}},
                  Set(4, "A]b;c", "", reg::REG_SZ, "d\0"s),
                  Set(5, "A]b;c", "x", reg::REG_DWORD, "\x01\0\0\0"s),
                  Set(6, "A]b;c", "y", reg::REG_RESOURCE_REQUIREMENTS_LIST, "\x01\x02"s)}));
    // A header alone is a file without entries, not an empty one.
    EXPECT_EQ(Entries(ParseRegFile(Utf16("Windows Registry Editor Version 5.00\r\n\r\n"))),
              std::vector<RegEntry>{});
}

TEST(RegFileParse, RefusesMalformedFilesWithTheLineOfTheFault) {
    struct Case {
        std::string bytes;
        int line;
        const char* message; // a part of the message
    };
    const std::string h = "Windows Registry Editor Version 5.00\n";
    const std::vector<Case> cases = {
        {"", 1, "empty"},
        {"Windows Registry Editor Version 4.00\n", 1, "not a registry file"},
        {"\n[HKCU\\A]\n", 2, "not a registry file"},
        {"\xFE\xFF\0W", 1, "big-endian"},
        {h + "\"a\"=\"b\"\n", 2, "before any key"},
        {h + "[-HKCU\\A]\n\"a\"=\"b\"\n", 3, "after a key deletion"},
        {h + "[HKEY_FOO\\A]\n", 2, "\"HKEY_FOO\" is not a registry root"},
        {h + "[-HKCU]\n", 2, "root key cannot be deleted"},
        {h + "[]\n", 2, "key name is empty"},
        {h + "[HKCU\\A\n", 2, "no closing bracket"},
        {h + "[HKCU\\A] x\n", 2, "Unexpected text after the key name"},
        {h + "HKCU\\A\n", 2, "Expected a key in brackets"},
        {h + "[HKCU\\A]\n\"a\"\"b\"\n", 3, "Expected \"=\""},
        {h + "[HKCU\\A]\n\"a\"=\"b\n", 3, "closing quote"},
        {h + "[HKCU\\A]\n\"a\"=\"C:\\dir\"\n", 3, "Unknown escape sequence \"\\d\""},
        {h + "[HKCU\\A]\n\"a\"=\"b\" c\n", 3, "Unexpected text after the string data"},
        {h + "[HKCU\\A]\n\"a\"=dword:123456789\n", 3, "one to eight hex digits"},
        {h + "[HKCU\\A]\n\"a\"=dword:12g\n", 3, "Unexpected text after the dword data"},
        {h + "[HKCU\\A]\n\"a\"=hex:1g\n", 3, "Expected a comma"},
        {h + "[HKCU\\A]\n\"a\"=hex:123\n", 3, "\"123\" in the hex data of value \"a\""},
        {h + "[HKCU\\A]\n\"a\"=hex:01,\\\n  02,zz\n", 4, "\"zz\" in the hex data"},
        {h + "[HKCU\\A]\n\"a\"=hex:01,\\\n", 3, "ends after the continuation"},
        {h + "[HKCU\\A]\n\"a\"=hex(2:00\n", 3, "followed by \"):\""},
        {h + "[HKCU\\A]\n\"a\"=hex(2):41,00,42\n", 3, "odd number of bytes"},
        {h + "[HKCU\\A]\n\"a\"=hex(7):00,d8,41,00\n", 3, "not valid UTF-16LE"},
        {h + "[HKCU\\A]\n\"a\"=text\n", 3, "must be \"text\", dword:"},
        {h + "[HKCU\\A]\n@\"b\"\n", 3, "Expected \"=\" after the name of the default value"},
        {h + "[HKCU\\A]\n\"a\"=\"\xC3\"\n", 3, "not valid UTF-8"},
        {h + "[HKCU\\A]\n\"a\"=\"x" + std::string(1, '\0') + "\"\n", 3, "NUL"},
        {Utf16(h + "[HKCU\\A]\n") + "A", 3, "middle of a UTF-16 character"},
        {Utf16(h + "[HKCU\\A]\n\"a\"=\"") + std::string("\x00\xDC", 2), 3, "not valid UTF-16LE"},
        {"REGEDIT4\n[HKCU\\A]\n\"a\"=hex(1):ff\n", 3, "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        auto parsed = ParseRegFile(c.bytes);
        ASSERT_FALSE(parsed.file);
        EXPECT_EQ(parsed.error.line, c.line);
        EXPECT_NE(parsed.error.message.find(c.message), std::string::npos) << parsed.error.message;
    }
}

// ---- writing ----

// regedit breaks hex data after the comma that brings a line to 77
// characters or more, and indents continuation lines by two spaces: 25 bytes
// a line.
TEST(RegFileWrite, WritesTheLayoutOfWindowsRegistryEditor) {
    std::vector<RegKeyContent> keys(3);
    keys[0].key = Hkcu("Software\\T");
    keys[0].values = {
        {"", reg::REG_SZ, Bytes("def\0"s)},
        {"s", reg::REG_SZ, Bytes("a \"q\" \\ \xc3\xa9\0"s)},
        {"n", reg::REG_DWORD, Bytes("\x2a\0\0\0"s)},
        {"e", reg::REG_EXPAND_SZ, Bytes("%A%\0"s)},
    };
    keys[1].key = Hkcu("Software\\T\\Empty");
    keys[2].key = Hkcu("Software\\T\\Sub");
    std::vector<uint8_t> wrapped(60);
    for (size_t i = 0; i < wrapped.size(); ++i)
        wrapped[i] = static_cast<uint8_t>(i);
    keys[2].values = {{"b", reg::REG_BINARY, Bytes("\x01\xab"s)},
                      {"Test", reg::REG_BINARY, wrapped},
                      {std::string(80, 'n'), reg::REG_NONE, {1, 2}}};
    // "Test"=hex: is 11 characters, so 22 bytes fit on its first line; a name
    // longer than a line still gets one byte before the first break.
    EXPECT_EQ(
        WriteRegFile(keys),
        Utf16(
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\T]\r\n"
            "@=\"def\"\r\n"
            "\"s\"=\"a \\\"q\\\" \\\\ \xc3\xa9\"\r\n"
            "\"n\"=dword:0000002a\r\n"
            "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\T\\Empty]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\T\\Sub]\r\n"
            "\"b\"=hex:01,ab\r\n"
            "\"Test\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
            "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
            "  2f,30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"
            "\"" +
            std::string(80, 'n') +
            "\"=hex(0):01,\\\r\n"
            "  02\r\n"
            "\r\n"));
}

TEST(RegFileWrite, EveryTypeAndTrickyTextSurvivesWritingAndParsing) {
    std::vector<RegKeyContent> keys(2);
    keys[0].key = Hkcu("Software\\Round \xe2\x82\xac");
    keys[0].values = {
        {"", reg::REG_SZ, Bytes("default\0"s)},
        {"quotes \"and\" \\slashes\\", reg::REG_SZ, Bytes("\"x\" \\y\\ ;z\0"s)},
        {"line\nbreak", reg::REG_SZ, Bytes("a\r\nb\0"s)},
        {"nul\0name"s, reg::REG_SZ, Bytes("v\0"s)},
        {"embedded nul", reg::REG_SZ, Bytes("a\0b\0"s)},
        {"no terminator", reg::REG_SZ, Bytes("abc")},
        {"empty sz", reg::REG_SZ, {}},
        {"astral", reg::REG_SZ, Bytes("\xf0\x9f\x98\x80\0"s)},
        {"expand", reg::REG_EXPAND_SZ, Bytes("%PATH%;\xc3\xa9\0"s)},
        {"multi", reg::REG_MULTI_SZ, Bytes("one\0two \xe2\x82\xac\0\0"s)},
        {"dword", reg::REG_DWORD, Bytes("\xff\xfe\xfd\xfc"s)},
        {"short dword", reg::REG_DWORD, Bytes("\x01\x02"s)},
        {"none", reg::REG_NONE, Bytes("\x00\x01"s)},
        {"other type", 0x12345678, Bytes("\x77"s)},
    };
    std::vector<uint8_t> big(1000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    keys[0].values.push_back({"binary", reg::REG_BINARY, big});
    keys[1].key = KeyPath{reg::HKEY_CURRENT_USER, "Software\\Round \xe2\x82\xac\\[sub]"};

    std::vector<std::string> warnings;
    auto parsed = ParseRegFile(WriteRegFile(keys, &warnings));
    EXPECT_TRUE(warnings.empty());
    std::vector<RegEntry> expected;
    for (const auto& key : keys) {
        expected.push_back({Kind::CreateKey, 0, key.key, "", 0, {}});
        for (const auto& v : key.values)
            expected.push_back({Kind::SetValue, 0, key.key, v.name, v.type, v.data});
    }
    EXPECT_EQ(Entries(parsed, false), expected);
}

TEST(RegFileWrite, WarnsAboutTextThatIsNotUtf8AndWritesReplacementCharacters) {
    std::vector<RegKeyContent> keys(1);
    keys[0].key = Hkcu("K");
    keys[0].values = {{"bad\xff", reg::REG_SZ, Bytes("x\xfey\0"s)},
                      {"e", reg::REG_EXPAND_SZ, Bytes("\xc3\0"s)}};
    std::vector<std::string> warnings;
    auto parsed = ParseRegFile(WriteRegFile(keys, &warnings));
    EXPECT_EQ(warnings.size(), 3u);
    EXPECT_EQ(Entries(parsed), (std::vector<RegEntry>{
                                   {Kind::CreateKey, 3, Hkcu("K"), "", 0, {}},
                                   Set(4, "K", "bad\xef\xbf\xbd", reg::REG_SZ, "x\xef\xbf\xbdy\0"s),
                                   Set(5, "K", "e", reg::REG_EXPAND_SZ, "\xef\xbf\xbd\0"s)}));
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
