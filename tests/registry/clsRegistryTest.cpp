#include "registry/clsRegistry.h"

#include "../platform/registry/HiveFixture.h"
#include "platform/vb/Variant.h"

#include <gtest/gtest.h>
#include <optional>

namespace qm6 {
namespace {

using vb::ByteArray;
using vb::Variant;
using Stored = std::pair<uint32_t, std::string>;
using namespace std::string_literals;

constexpr int32_t HKCU = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
const std::string kNotFound = "The system cannot find the file specified.\r\n";
const std::string kInvalid = "Could not set value. Invalid value for set type.";
const std::string kUnknown = "Could not set value. Unknown value type.";

// Every test runs on a hive of its own in a fresh folder.
class RegistryObject : public reg::test::HiveTest {
protected:
    static clsRegistry Object(const std::string& section, int32_t valueType = 0) {
        clsRegistry r;
        r.ClassKey(HKCU);
        r.SectionKey(section);
        r.ValueType(valueType);
        return r;
    }

    // The type and bytes stored, or nullopt when the value is missing.
    static std::optional<Stored> ReadRaw(const std::string& section, const std::string& name) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (reg::QueryValue(Open(section, reg::KEY_READ), name, &type, &data) != 0)
            return std::nullopt;
        return Stored{type, std::string(data.begin(), data.end())};
    }
};

TEST_F(RegistryObject, FailuresCarryTheirOperationsPrefixOverTheSystemText) {
    auto r = Object("Software\\Missing");
    r.ValueKey("Value");
    std::vector<std::string> names{"stale"};
    int32_t count = 7;
    struct Case {
        const char* operation;
        std::function<bool(std::string*)> call; // true: the answer told of a failure
        std::string error;
    };
    const Case cases[] = {
        {"KeyExists", [&](std::string* e) { return !r.KeyExists(e); }, kNotFound},
        {"DeleteValue", [&](std::string* e) { return !r.DeleteValue(e); }, kNotFound},
        {"DeleteKey", [&](std::string* e) { return !r.DeleteKey(e); },
         "Unable to delete key: " + kNotFound},
        {"GetValue", [&](std::string* e) { return r.GetValue(e).IsNull(); },
         "Error retrieving value: " + kNotFound},
        // Type 0 on a missing key: the key cannot be opened, so the type is never looked at.
        {"SetValue", [&](std::string* e) { return !r.SetValue(Variant("x"), e); },
         "Unable to set value: " + kNotFound},
        {"EnumerateValues", [&](std::string* e) { return !r.EnumerateValues(names, count, e); },
         "Unable to enumerate values: " + kNotFound},
        {"EnumerateSections", [&](std::string* e) { return !r.EnumerateSections(names, count, e); },
         "Unable to enumerate sections: " + kNotFound},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_TRUE(c.call(&error)) << c.operation;
        EXPECT_EQ(error, c.error) << c.operation;
        EXPECT_TRUE(c.call(nullptr)) << c.operation << " without an error argument";
    }
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
    EXPECT_EQ(r.ValueType(), 0); // no read took place
    EXPECT_EQ(clsRegistry::FormatErrorText(0x20001234), "Unknown error code 536875572");
}

TEST_F(RegistryObject, GetValueConvertsEachStoredType) {
    const std::string key = "Software\\Types";
    auto bytes = [](const std::string& b) { return Variant(ByteArray{{b.begin(), b.end()}, 0}); };
    test::ScopedEnv folder("QM6_TEST_FOLDER", "/srv/qm6");
    struct Case {
        const char* name;
        uint32_t type;
        std::string stored;
        Variant expected;
    };
    const Case cases[] = {
        {"Spaced", reg::REG_SZ, "  abc  \0"s, Variant("abc")},
        {"Tabbed", reg::REG_SZ, "\tab c\t\0"s, Variant("\tab c\t")}, // only spaces are trimmed
        {"EmbeddedNul", reg::REG_SZ, " a\0b \0"s, Variant("ab")},
        {"NoData", reg::REG_SZ, "", Variant("")},
        {"Multi", reg::REG_MULTI_SZ, "a\0b\0\0"s, Variant("ab")},
        {"Expand", reg::REG_EXPAND_SZ, "%QM6_TEST_FOLDER%\\x\0"s, Variant("/srv/qm6\\x")},
        // Expanded text is neither trimmed nor read past its first NUL.
        {"ExpandSpaced", reg::REG_EXPAND_SZ, "  %QM6_TEST_FOLDER%  \0"s, Variant("  /srv/qm6  ")},
        {"ExpandNul", reg::REG_EXPAND_SZ, "%QM6_TEST_FOLDER%\0tail\0"s, Variant("/srv/qm6")},
        {"Dword", reg::REG_DWORD, "\x0c\x00\x00\x00"s, Variant(int32_t{12})},
        {"Negative", reg::REG_DWORD, "\xff\xff\xff\xff", Variant(int32_t{-1})},
        {"BigEndian", reg::REG_DWORD_BIG_ENDIAN, "\x00\x00\x01\x02"s, Variant(int32_t{0x0102})},
        {"Binary", reg::REG_BINARY, "\x01\x00\x02"s, bytes("\x01\x00\x02"s)},
        {"Odd", 99, "q", bytes("q")},
    };
    const reg::Key raw = Make(key);
    for (const Case& c : cases)
        ASSERT_EQ(reg::SetValue(raw, c.name, c.type, Bytes(c.stored)), 0) << c.name;
    // One object reads them all: ValueType follows every successful read.
    auto r = Object(key);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        r.ValueKey(c.name);
        std::string error = "untouched";
        EXPECT_EQ(r.GetValue(&error), c.expected);
        EXPECT_EQ(error, "untouched");
        EXPECT_EQ(r.ValueType(), static_cast<int32_t>(c.type));
    }
    // A missing value answers the object's Default (Null unless set), which
    // GetValueOrDefault answers in place of the caller's; a key that cannot be
    // opened answers Null, so the caller's. Failed reads leave ValueType as the
    // last good read set it.
    r.ValueKey("Missing");
    EXPECT_TRUE(r.GetValue().IsNull());
    std::string error;
    EXPECT_EQ(r.GetValueOrDefault("LocaleId", Variant(int32_t{5}), &error), Variant(int32_t{5}));
    EXPECT_EQ(error, "Error retrieving value: " + kNotFound);
    EXPECT_EQ(r.ValueKey(), "LocaleId");
    r.Default(Variant("fallback"));
    EXPECT_EQ(r.GetValueOrDefault("LocaleId", Variant(int32_t{5})), Variant("fallback"));
    r.SectionKey("Software\\Nowhere");
    EXPECT_EQ(r.GetValueOrDefault("LocaleId", Variant(int32_t{5})), Variant(int32_t{5}));
    EXPECT_EQ(r.ValueType(), 99);

    // A 32-bit value does not fit more than four bytes.
    ASSERT_EQ(reg::SetValue(raw, "Wide", reg::REG_DWORD, Bytes("\1\0\0\0\0"s)), 0);
    auto wide = Object(key);
    wide.ValueKey("Wide");
    EXPECT_TRUE(wide.GetValue(&error).IsNull());
    EXPECT_EQ(error, "Error retrieving value: More data is available.\r\n");
}

TEST_F(RegistryObject, SetValueFollowsTheValueTypeRules) {
    const std::string key = "Software\\Set";
    ASSERT_TRUE(Object(key).CreateKey(false));
    struct Case {
        const char* name;
        int32_t valueType;
        Variant value;
        std::string error; // empty for success
        std::optional<Stored> stored;
    };
    const Case cases[] = {
        {"Plain", reg::REG_EXPAND_SZ, Variant("plain"), "", Stored{reg::REG_SZ, "plain\0"s}},
        {"OneBetween", reg::REG_SZ, Variant("%a%\\x"), "", Stored{reg::REG_EXPAND_SZ, "%a%\\x\0"s}},
        {"Adjacent", reg::REG_SZ, Variant("100%%"), "", Stored{reg::REG_SZ, "100%%\0"s}},
        {"Tab", reg::REG_SZ, Variant("a\tb"), "", Stored{reg::REG_SZ, "a\tb\0"s}},
        {"EmbeddedNul", reg::REG_SZ, Variant("a\0b"s), "", Stored{reg::REG_SZ, "a\0b\0"s}},
        {"NullText", reg::REG_SZ, Variant::Null(), kInvalid, std::nullopt},
        {"DwordInteger", reg::REG_DWORD, Variant(int16_t{-1}), "",
         Stored{reg::REG_DWORD, "\xff\xff\xff\xff"}},
        {"DwordLong", reg::REG_DWORD, Variant(int32_t{-2}), "",
         Stored{reg::REG_DWORD, "\xfe\xff\xff\xff"}},
        {"DwordBoolean", reg::REG_DWORD, Variant(true), kInvalid, std::nullopt},
        {"BigEndian", reg::REG_DWORD_BIG_ENDIAN, Variant(int32_t{0x01020304}), "",
         Stored{reg::REG_DWORD, "\x04\x03\x02\x01"}},
        {"Binary", reg::REG_BINARY, Variant(ByteArray{{0, 1, 255}, 0}), "",
         Stored{reg::REG_BINARY, "\0\1\xff"s}},
        {"BinaryText", reg::REG_BINARY, Variant("01"), kInvalid, std::nullopt},
        {"TypeZero", reg::REG_NONE, Variant("a"), kUnknown, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Object(key, c.valueType);
        r.ValueKey(c.name);
        std::string error = "stale";
        EXPECT_EQ(r.SetValue(c.value, &error), c.error.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(ReadRaw(key, c.name), c.stored);
    }
}

// The hive's own tests pin deletion and listing order; here, that the object
// takes the whole tree, one value, and fills names and count.
TEST_F(RegistryObject, DeletesAndEnumerationsGoThroughTheObject) {
    auto r = Object("Software\\Tree", reg::REG_SZ);
    for (const char* name : {"zeta", "Alpha"})
        ASSERT_TRUE(r.SetCreateValue(name, Variant("x"), false));
    ASSERT_TRUE(Object("Software\\Tree\\A\\B").CreateKey(false));
    std::vector<std::string> names{"stale"};
    int32_t count = -1;
    std::string error = "untouched";
    EXPECT_TRUE(r.EnumerateValues(names, count, &error));
    EXPECT_EQ(std::pair(names, count), std::pair(std::vector<std::string>{"zeta", "Alpha"}, 2));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(std::pair(names, count), std::pair(std::vector<std::string>{"A"}, 1));

    r.ValueKey("zeta");
    EXPECT_TRUE(r.DeleteValue(&error));
    EXPECT_EQ(ReadRaw("Software\\Tree", "zeta"), std::nullopt);
    EXPECT_TRUE(ReadRaw("Software\\Tree", "Alpha").has_value());
    EXPECT_TRUE(Object("Software\\Tree").DeleteKey(&error));
    EXPECT_EQ(error, "untouched");
    EXPECT_FALSE(Object("Software\\Tree").KeyExists());
    EXPECT_TRUE(Object("Software").KeyExists());
}

TEST_F(RegistryObject, KeysAreMadeAndCheckedByTheirDescriptors) {
    // Everyone access makes the key with a null DACL.
    auto open = Object("Software\\Open", reg::REG_DWORD);
    std::string error = "stale";
    ASSERT_TRUE(open.SetCreateValue("Answer", Variant(int32_t{1}), true, &error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(open.ValueKey(), "Answer");
    reg::SecurityDescriptor sd;
    ASSERT_EQ(reg::GetKeySecurity(Open("Software\\Open", reg::READ_CONTROL),
                                  reg::DACL_SECURITY_INFORMATION, sd),
              0);
    EXPECT_EQ(sd.ToSddl(), "D:NO_ACCESS_CONTROL");
    EXPECT_EQ(open.GetValue(), Variant(int32_t{1}));

    Make("Software\\Locked", "D:(A;;KR;;;WD)", reg::KEY_READ);
    const struct {
        const char* section;
        uint32_t access;
        bool granted;
    } cases[] = {
        {"Software\\Locked", reg::KEY_READ, true},
        {"Software\\Locked", reg::KEY_WRITE, false},
        {"Software\\Absent", reg::KEY_READ, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Object(c.section).CheckSecurity(static_cast<int32_t>(c.access)), c.granted)
            << c.section << " " << c.access;
    EXPECT_FALSE(
        Object("Software\\Locked", reg::REG_SZ).SetCreateValue("v", Variant("x"), false, &error));
    EXPECT_EQ(error, "Unable to set value: Access is denied.\r\n");
}

} // namespace
} // namespace qm6
