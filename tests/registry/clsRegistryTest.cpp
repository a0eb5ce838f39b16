#include "registry/clsRegistry.h"

#include "common/MessageBox.h"
#include "platform/registry/Registry.h"
#include "platform/vb/Variant.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>

namespace qm6 {
namespace {

using vb::ByteArray;
using vb::Variant;

constexpr int32_t HKCU = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
const std::string kNotFound = "The system cannot find the file specified.\r\n";

// Every test runs on a hive of its own in a fresh folder.
class RegistryObject : public ::testing::Test {
protected:
    RegistryObject() : env_("QM6_REGISTRY_DIR", dir_.Str()) { reg::CloseThreadConnections(); }
    ~RegistryObject() override { reg::CloseThreadConnections(); }

    clsRegistry Object(const std::string& section, int32_t valueType = 0) {
        clsRegistry r;
        r.ClassKey(HKCU);
        r.SectionKey(section);
        r.ValueType(valueType);
        return r;
    }

    // Writes raw data with the platform function, bypassing the object's rules.
    void WriteRaw(const std::string& section, const std::string& name, uint32_t type,
                  const std::string& bytes) {
        reg::Key key;
        ASSERT_EQ(reg::CreateKey(reg::HKEY_CURRENT_USER, section, reg::KEY_ALL_ACCESS, nullptr, key),
                  reg::ERROR_SUCCESS);
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        ASSERT_EQ(reg::SetValue(key, name, type, data), reg::ERROR_SUCCESS);
    }

    // The type and bytes stored, or nullopt when the value is missing.
    std::optional<std::pair<uint32_t, std::string>> ReadRaw(const std::string& section,
                                                            const std::string& name) {
        reg::Key key;
        if (reg::OpenKey(reg::HKEY_CURRENT_USER, section, reg::KEY_READ, key) != reg::ERROR_SUCCESS)
            return std::nullopt;
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (reg::QueryValue(key, name, &type, &data) != reg::ERROR_SUCCESS)
            return std::nullopt;
        return std::make_pair(type, std::string(data.begin(), data.end()));
    }

    void SetDescriptor(const std::string& section, const std::string& sddl) {
        reg::Key key;
        ASSERT_EQ(reg::OpenKey(reg::HKEY_CURRENT_USER, section, reg::WRITE_DAC, key),
                  reg::ERROR_SUCCESS);
        auto sd = reg::SecurityDescriptor::FromSddl(sddl);
        ASSERT_TRUE(sd.has_value()) << sddl;
        ASSERT_EQ(reg::SetKeySecurity(key, reg::DACL_SECURITY_INFORMATION, *sd),
                  reg::ERROR_SUCCESS);
    }

    std::string Descriptor(const std::string& section) {
        reg::Key key;
        EXPECT_EQ(reg::OpenKey(reg::HKEY_CURRENT_USER, section, reg::READ_CONTROL, key),
                  reg::ERROR_SUCCESS);
        reg::SecurityDescriptor sd;
        EXPECT_EQ(reg::GetKeySecurity(key, reg::DACL_SECURITY_INFORMATION, sd),
                  reg::ERROR_SUCCESS);
        return sd.ToSddl();
    }

    test::TempDir dir_;
    test::ScopedEnv env_;
};

TEST_F(RegistryObject, FailuresCarryTheirOperationsPrefixOverTheSystemText) {
    auto r = Object("Software\\Missing");
    r.ValueKey("Value");
    std::string error;

    EXPECT_FALSE(r.KeyExists(&error));
    EXPECT_EQ(error, kNotFound);
    error.clear();
    EXPECT_FALSE(r.DeleteValue(&error));
    EXPECT_EQ(error, kNotFound);
    EXPECT_FALSE(r.DeleteKey(&error));
    EXPECT_EQ(error, "Unable to delete key: " + kNotFound);
    EXPECT_TRUE(r.GetValue(&error).IsNull());
    EXPECT_EQ(error, "Error retrieving value: " + kNotFound);
    EXPECT_FALSE(r.SetValue(Variant("x"), &error));
    EXPECT_EQ(error, "Unable to set value: " + kNotFound);

    std::vector<std::string> names{"stale"};
    int32_t count = 7;
    EXPECT_FALSE(r.EnumerateValues(names, count, &error));
    EXPECT_EQ(error, "Unable to enumerate values: " + kNotFound);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(r.EnumerateSections(names, count, &error));
    EXPECT_EQ(error, "Unable to enumerate sections: " + kNotFound);

    // Operations without an error argument still answer.
    EXPECT_FALSE(r.KeyExists());
    EXPECT_TRUE(r.GetValue().IsNull());
}

TEST_F(RegistryObject, ErrorTextOfAnUnknownCodeNamesTheCode) {
    EXPECT_EQ(clsRegistry::FormatErrorText(0x20001234), "Unknown error code 536875572");
    EXPECT_EQ(clsRegistry::FormatErrorText(5), "Access is denied.\r\n");
}

TEST_F(RegistryObject, MissingValueAnswersDefaultAndDefaultDecidesGetValueOrDefault) {
    ASSERT_TRUE(Object("Software\\Quillmeter 6").CreateKey(false));
    auto r = Object("Software\\Quillmeter 6");
    std::string error;

    EXPECT_EQ(r.GetValueOrDefault("LocaleId", Variant(int32_t{5}), &error), Variant(int32_t{5}));
    EXPECT_EQ(error, "Error retrieving value: " + kNotFound);
    EXPECT_EQ(r.ValueKey(), "LocaleId"); // stays set

    r.Default(Variant("fallback"));
    EXPECT_EQ(r.GetValue(), Variant("fallback"));
    EXPECT_EQ(r.GetValueOrDefault("LocaleId", Variant(int32_t{5})), Variant("fallback"));

    // A key that cannot be opened always yields the caller's default.
    auto missing = Object("Software\\Nowhere");
    missing.Default(Variant("fallback"));
    EXPECT_EQ(missing.GetValueOrDefault("LocaleId", Variant(int32_t{5})), Variant(int32_t{5}));
}

TEST_F(RegistryObject, GetValueConvertsEachStoredType) {
    const std::string key = "Software\\Types";
    auto bytes = [](std::initializer_list<int> b) {
        return Variant(ByteArray{std::vector<uint8_t>(b.begin(), b.end()), 0});
    };
    setenv("QM6_TEST_FOLDER", "/srv/qm6", 1);
    struct Case {
        const char* name;
        uint32_t type;
        std::string stored;
        Variant expected;
    };
    const Case cases[] = {
        {"Spaced", reg::REG_SZ, std::string("  abc  \0", 8), Variant("abc")},
        {"Empty", reg::REG_SZ, std::string("\0", 1), Variant("")},
        {"NoData", reg::REG_SZ, "", Variant("")},
        {"Unicode", reg::REG_SZ, std::string("Grüße 日本\0", 15), Variant("Grüße 日本")},
        {"Multi", reg::REG_MULTI_SZ, std::string("a\0b\0\0", 5), Variant("ab")},
        {"Expand", reg::REG_EXPAND_SZ, std::string("%QM6_TEST_FOLDER%\\x\0", 20),
         Variant("/srv/qm6\\x")},
        {"Dword", reg::REG_DWORD, std::string("\x0c\x00\x00\x00", 4), Variant(int32_t{12})},
        {"Negative", reg::REG_DWORD, std::string("\xff\xff\xff\xff", 4), Variant(int32_t{-1})},
        {"BigEndian", reg::REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x01\x02", 4),
         Variant(int32_t{0x0102})},
        {"Binary", reg::REG_BINARY, std::string("\x01\x00\x02", 3), bytes({1, 0, 2})},
        {"EmptyBinary", reg::REG_BINARY, "", bytes({})},
        {"None", reg::REG_NONE, "z", bytes({'z'})},
        {"Qword", reg::REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8),
         bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {"Odd", 99, "q", bytes({'q'})},
    };
    for (const Case& c : cases)
        WriteRaw(key, c.name, c.type, c.stored);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Object(key);
        r.ValueKey(c.name);
        std::string error = "untouched";
        EXPECT_EQ(r.GetValue(&error), c.expected);
        EXPECT_EQ(error, "untouched");
        EXPECT_EQ(r.ValueType(), static_cast<int32_t>(c.type));
    }
    unsetenv("QM6_TEST_FOLDER");
}

TEST_F(RegistryObject, AnOversizedDwordFailsWithoutAValue) {
    WriteRaw("Software\\Types", "Wide", reg::REG_DWORD, std::string("\1\0\0\0\0", 5));
    auto r = Object("Software\\Types");
    r.ValueKey("Wide");
    std::string error;
    EXPECT_TRUE(r.GetValue(&error).IsNull());
    EXPECT_EQ(error, "Error retrieving value: More data is available.\r\n");
}

TEST_F(RegistryObject, SetValueFollowsTheValueTypeRules) {
    const std::string key = "Software\\Set";
    ASSERT_TRUE(Object(key).CreateKey(false));
    struct Case {
        const char* name;
        int32_t valueType;
        Variant value;
        const char* error; // empty for success
        std::optional<std::pair<uint32_t, std::string>> stored;
    };
    using Stored = std::pair<uint32_t, std::string>;
    const Case cases[] = {
        {"Plain", reg::REG_EXPAND_SZ, Variant("plain"), "", Stored{reg::REG_SZ, {"plain\0", 6}}},
        {"Reference", reg::REG_SZ, Variant("%HOME%\\x"), "",
         Stored{reg::REG_EXPAND_SZ, {"%HOME%\\x\0", 9}}},
        {"OneBetween", reg::REG_SZ, Variant("%a%"), "", Stored{reg::REG_EXPAND_SZ, {"%a%\0", 4}}},
        {"Adjacent", reg::REG_SZ, Variant("100%%"), "", Stored{reg::REG_SZ, {"100%%\0", 6}}},
        {"Number", reg::REG_SZ, Variant(int32_t{42}), "", Stored{reg::REG_SZ, {"42\0", 3}}},
        {"Boolean", reg::REG_SZ, Variant(true), "", Stored{reg::REG_SZ, {"True\0", 5}}},
        {"Unicode", reg::REG_SZ, Variant("Ærø"), "", Stored{reg::REG_SZ, {"Ærø\0", 6}}},
        {"NullText", reg::REG_SZ, Variant::Null(),
         "Could not set value. Invalid value for set type.", std::nullopt},
        {"DwordText", reg::REG_DWORD, Variant("12"),
         "Could not set value. Invalid value for set type.", std::nullopt},
        {"DwordInteger", reg::REG_DWORD, Variant(int16_t{12}), "",
         Stored{reg::REG_DWORD, {"\x0c\0\0\0", 4}}},
        {"DwordLong", reg::REG_DWORD, Variant(int32_t{-2}), "",
         Stored{reg::REG_DWORD, {"\xfe\xff\xff\xff", 4}}},
        {"DwordDouble", reg::REG_DWORD, Variant(1.0),
         "Could not set value. Invalid value for set type.", std::nullopt},
        {"BigEndian", reg::REG_DWORD_BIG_ENDIAN, Variant(int32_t{0x01020304}), "",
         Stored{reg::REG_DWORD, {"\x04\x03\x02\x01", 4}}},
        {"Binary", reg::REG_BINARY, Variant(ByteArray{{0, 1, 255}, 0}), "",
         Stored{reg::REG_BINARY, {"\0\1\xff", 3}}},
        {"BinaryText", reg::REG_BINARY, Variant("01"),
         "Could not set value. Invalid value for set type.", std::nullopt},
        {"Multi", reg::REG_MULTI_SZ, Variant("a"), "Could not set value. Unknown value type.",
         std::nullopt},
        {"None", reg::REG_NONE, Variant("a"), "Could not set value. Unknown value type.",
         std::nullopt},
        {"Link", reg::REG_LINK, Variant("a"), "Could not set value. Unknown value type.",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Object(key, c.valueType);
        r.ValueKey(c.name);
        std::string error = "stale";
        EXPECT_EQ(r.SetValue(c.value, &error), std::string(c.error).empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(ReadRaw(key, c.name), c.stored);
    }
}

TEST_F(RegistryObject, ExpandableTextReadsBackExpanded) {
    test::ScopedEnv folder("QM6_DATA", "/var/lib/qm6");
    auto r = Object("Software\\Set", reg::REG_SZ);
    ASSERT_TRUE(r.SetCreateValue("Path", Variant("%QM6_DATA%/db"), false));
    EXPECT_EQ(r.GetValue(), Variant("/var/lib/qm6/db"));
    EXPECT_EQ(r.ValueType(), static_cast<int32_t>(reg::REG_EXPAND_SZ));
}

TEST_F(RegistryObject, SetCreateValueCreatesTheKeyWithTheAskedSecurity) {
    auto open = Object("Software\\Quillmeter 6\\Open", reg::REG_DWORD);
    std::string error = "stale";
    ASSERT_TRUE(open.SetCreateValue("Answer", Variant(int32_t{1}), true, &error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(open.ValueKey(), "Answer");
    EXPECT_NE(Descriptor("Software\\Quillmeter 6\\Open").find("D:NO_ACCESS_CONTROL"),
              std::string::npos);
    EXPECT_EQ(open.GetValue(), Variant(int32_t{1}));

    // Without everyone access the new key inherits its parent's descriptor.
    ASSERT_TRUE(Object("Software\\Parent").CreateKey(false));
    SetDescriptor("Software\\Parent", "D:(A;;KA;;;WD)(A;;KR;;;BU)");
    auto inherited = Object("Software\\Parent\\Child", reg::REG_SZ);
    ASSERT_TRUE(inherited.SetCreateValue("Name", Variant("v"), false, &error));
    EXPECT_EQ(Descriptor("Software\\Parent\\Child"), Descriptor("Software\\Parent"));

    // Creating a key that is already there succeeds and changes nothing.
    EXPECT_TRUE(Object("Software\\Parent\\Child").CreateKey(true, &error));
    EXPECT_EQ(Descriptor("Software\\Parent\\Child"), Descriptor("Software\\Parent"));
}

TEST_F(RegistryObject, DeleteKeyRemovesEverythingBelow) {
    auto r = Object("Software\\Tree\\A\\B", reg::REG_SZ);
    ASSERT_TRUE(r.SetCreateValue("v", Variant("1"), false));
    ASSERT_TRUE(Object("Software\\Tree\\C").CreateKey(false));

    std::string error = "untouched";
    EXPECT_TRUE(Object("Software\\Tree").DeleteKey(&error));
    EXPECT_EQ(error, "untouched");
    EXPECT_FALSE(Object("Software\\Tree").KeyExists());
    EXPECT_FALSE(Object("Software\\Tree\\A\\B").KeyExists());
    EXPECT_TRUE(Object("Software").KeyExists());
}

TEST_F(RegistryObject, DeleteValueRemovesOnlyThatValue) {
    auto r = Object("Software\\Values", reg::REG_SZ);
    ASSERT_TRUE(r.SetCreateValue("a", Variant("1"), false));
    ASSERT_TRUE(r.SetCreateValue("b", Variant("2"), false));
    r.ValueKey("A"); // names compare without regard to case
    EXPECT_TRUE(r.DeleteValue());
    EXPECT_FALSE(ReadRaw("Software\\Values", "a").has_value());
    EXPECT_TRUE(ReadRaw("Software\\Values", "b").has_value());
}

TEST_F(RegistryObject, EnumerationsListEveryNameInOrder) {
    auto r = Object("Software\\List", reg::REG_SZ);
    ASSERT_TRUE(r.CreateKey(false));
    std::vector<std::string> names{"stale"};
    int32_t count = -1;
    std::string error = "untouched";
    EXPECT_TRUE(r.EnumerateValues(names, count, &error));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
    EXPECT_EQ(error, "untouched");

    for (const char* name : {"zeta", "Alpha", "mü"})
        ASSERT_TRUE(r.SetCreateValue(name, Variant("x"), false));
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "Alpha", "mü"}));
    EXPECT_EQ(count, 3);

    // A subkey name of the longest allowed length is listed like any other,
    // and the listing goes on after it.
    const std::string longest(255, 'k');
    for (const std::string& sub : {std::string("b"), longest, std::string("m")})
        ASSERT_TRUE(Object("Software\\List\\" + sub).CreateKey(false));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"b", longest, "m"}));
    EXPECT_EQ(count, 3);
}

TEST_F(RegistryObject, EnumerationsOfLargeKeysListEveryName) {
    // Made in one transaction: ten thousand values and a thousand subkeys.
    constexpr int kValues = 10000, kSections = 1000;
    {
        reg::Transaction txn;
        ASSERT_EQ(reg::CreateTransaction(txn), 0);
        reg::Key key;
        ASSERT_EQ(reg::CreateKeyTransacted(reg::HKEY_CURRENT_USER, "Software\\Large",
                                           reg::KEY_ALL_ACCESS, nullptr, key, txn),
                  0);
        const std::vector<uint8_t> data{'x', 0};
        for (int i = 0; i < kValues; ++i)
            ASSERT_EQ(reg::SetValue(key, "v" + std::to_string(i), reg::REG_SZ, data), 0);
        for (int i = 0; i < kSections; ++i) {
            reg::Key sub;
            ASSERT_EQ(reg::CreateKeyTransacted(reg::HKEY_CURRENT_USER,
                                               "Software\\Large\\s" + std::to_string(10000 + i),
                                               reg::KEY_READ, nullptr, sub, txn),
                      0);
        }
        ASSERT_EQ(reg::CommitTransaction(txn), 0);
    }
    auto r = Object("Software\\Large");
    std::vector<std::string> names;
    int32_t count = 0;
    ASSERT_TRUE(r.EnumerateValues(names, count));
    ASSERT_EQ(count, kValues);
    ASSERT_EQ(names.size(), size_t(kValues));
    for (int i = 0; i < kValues; ++i)
        ASSERT_EQ(names[size_t(i)], "v" + std::to_string(i));
    ASSERT_TRUE(r.EnumerateSections(names, count));
    ASSERT_EQ(count, kSections);
    for (int i = 0; i < kSections; ++i)
        ASSERT_EQ(names[size_t(i)], "s" + std::to_string(10000 + i));
}

TEST_F(RegistryObject, CheckSecurityFollowsTheKeysDescriptor) {
    ASSERT_TRUE(Object("Software\\Locked").CreateKey(false));
    SetDescriptor("Software\\Locked", "D:(A;;KR;;;WD)");
    auto locked = Object("Software\\Locked");
    EXPECT_TRUE(locked.CheckSecurity(static_cast<int32_t>(reg::KEY_READ)));
    EXPECT_FALSE(locked.CheckSecurity(static_cast<int32_t>(reg::KEY_WRITE)));
    EXPECT_FALSE(locked.CheckSecurity(static_cast<int32_t>(reg::KEY_ALL_ACCESS)));

    std::string error;
    locked.ValueType(reg::REG_SZ);
    EXPECT_FALSE(locked.SetCreateValue("v", Variant("x"), false, &error));
    EXPECT_EQ(error, "Unable to set value: Access is denied.\r\n");

    ASSERT_TRUE(Object("Software\\Open").CreateKey(true));
    EXPECT_TRUE(Object("Software\\Open").CheckSecurity(static_cast<int32_t>(reg::KEY_ALL_ACCESS)));
    EXPECT_FALSE(Object("Software\\Absent").CheckSecurity(static_cast<int32_t>(reg::KEY_READ)));
}

TEST_F(RegistryObject, AHiveFileThatMayNotBeWrittenIsReadOnlyForEveryone) {
    auto r = Object("Software\\Quillmeter 6", reg::REG_SZ);
    ASSERT_TRUE(r.SetCreateValue("Kept", Variant("yes"), true));
    reg::CloseThreadConnections();
    const auto hive = dir_.Path() / "HKCU.db";
    ASSERT_EQ(chmod(hive.c_str(), 0444), 0);

    auto again = Object("Software\\Quillmeter 6", reg::REG_SZ);
    EXPECT_EQ(again.GetValueOrDefault("Kept", Variant("")), Variant("yes"));
    EXPECT_TRUE(again.CheckSecurity(static_cast<int32_t>(reg::KEY_READ)));
    EXPECT_FALSE(again.CheckSecurity(static_cast<int32_t>(reg::KEY_WRITE)));
    std::string error;
    EXPECT_FALSE(again.SetCreateValue("New", Variant("no"), true, &error));
    EXPECT_EQ(error, "Unable to set value: Access is denied.\r\n");
    EXPECT_FALSE(again.DeleteKey(&error));
    EXPECT_EQ(error, "Unable to delete key: Access is denied.\r\n");
}

TEST_F(RegistryObject, AGarbageHiveFailsEveryOperationAndIsLeftAlone) {
    const auto hive = dir_.Path() / "HKCU.db";
    const std::string garbage(8192, '\x5a');
    test::WriteFile(hive, garbage);

    const std::string corrupt = "The configuration registry database is corrupt.\r\n";
    auto r = Object("Software\\Quillmeter 6", reg::REG_SZ);
    r.ValueKey("LocaleId");
    std::string error;
    EXPECT_FALSE(r.KeyExists(&error));
    EXPECT_EQ(error, corrupt);
    EXPECT_TRUE(r.GetValue(&error).IsNull());
    EXPECT_EQ(error, "Error retrieving value: " + corrupt);
    EXPECT_FALSE(r.SetCreateValue("LocaleId", Variant("1031"), true, &error));
    EXPECT_EQ(error, "Unable to create key: " + corrupt);
    EXPECT_FALSE(r.DeleteKey(&error));
    EXPECT_EQ(error, "Unable to delete key: " + corrupt);
    std::vector<std::string> names;
    int32_t count = 0;
    EXPECT_FALSE(r.EnumerateSections(names, count, &error));
    EXPECT_EQ(error, "Unable to enumerate sections: " + corrupt);
    EXPECT_FALSE(r.CheckSecurity(static_cast<int32_t>(reg::KEY_READ)));

    reg::CloseThreadConnections();
    EXPECT_EQ(test::ReadFile(hive), garbage);
}

TEST(RegistryObjectCreation, StartsEmptyWithANullDefault) {
    std::vector<std::string> shown;
    SetMessageBoxHandler([&](const std::string& text, int, const std::string&) {
        shown.push_back(text);
        return vbOK;
    });
    clsRegistry r;
    SetMessageBoxHandler({});
    EXPECT_TRUE(shown.empty()); // Linux counts as the supported platform family
    EXPECT_EQ(r.ClassKey(), 0);
    EXPECT_EQ(r.SectionKey(), "");
    EXPECT_EQ(r.ValueKey(), "");
    EXPECT_EQ(r.ValueType(), 0);
    EXPECT_TRUE(r.Default().IsNull());
}

} // namespace
} // namespace qm6
