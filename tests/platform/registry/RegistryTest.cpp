// Keys and values in a hive: exact data, names without regard to case,
// order, paths, deletion, and who may do what.

#include "HiveFixture.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qm6::reg::test {
namespace {

using Blob = std::vector<uint8_t>;
namespace fs = std::filesystem;

TEST_F(HiveTest, EveryValueTypeReadsBackByteExact) {
    Blob all(256);
    std::iota(all.begin(), all.end(), 0);
    using Typed = std::pair<uint32_t, Blob>;
    const std::vector<Typed> written{
        {REG_NONE, {}},
        {REG_SZ, Bytes(std::string("a\0b\0", 4))}, // embedded and trailing NULs kept
        {REG_BINARY, all},
        {0xFFFFFFFFu, {0}}, // a type the platform does not name is kept too
    };
    Key key = Make("Software\\Types");
    for (size_t i = 0; i < written.size(); ++i)
        ASSERT_EQ(SetValue(key, "v" + std::to_string(i), written[i].first, written[i].second), 0);

    // Read back on a new connection, so that the bytes come from the file.
    CloseThreadConnections();
    key = Open("Software\\Types", KEY_READ);
    std::vector<Typed> read(written.size(), Typed{99, {9, 9}});
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(QueryValue(key, "v" + std::to_string(i), &read[i].first, &read[i].second), 0);
    EXPECT_EQ(read, written);
}

TEST_F(HiveTest, NamesCompareAsThePlatformComparesThem) {
    // Each UTF-16 unit by its simple uppercase: no multi-character folding.
    const struct {
        const char* stored;
        const char* asked;
        bool same;
    } cases[] = {
        {"Software", "SOFTWARE", true},
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
        {"ς", "Σ", true}, // final sigma uppercases to sigma
        {"ı", "I", true},
        {"Straße", "STRASSE", false},
        {"ﬁle", "FILE", false},
        {"𐐨", "𐐀", false}, // outside the basic plane: surrogates have no case
        {"Ärger", "Arger", false},
        {"key", "key ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Put(std::string("Names\\") + c.stored, c.stored, "data");
        const std::string expected = c.same ? "data" : "error 2";
        EXPECT_EQ(Get(std::string("Names\\") + c.asked, c.stored), expected);
        EXPECT_EQ(Get(std::string("Names\\") + c.stored, c.asked), expected);
    }
    // Names that fold alike but uppercase apart are two values and two keys.
    Key key = Make("Apart");
    for (const char* name : {"Straße", "STRASSE", "ﬁle", "file", "Ä", "ä"})
        ASSERT_EQ(SetValue(key, name, REG_SZ, Bytes(name)), 0) << name;
    Make("Apart\\Maße");
    Make("Apart\\MASSE");
    EXPECT_EQ(Listed(key, false),
              (std::vector<std::string>{"Straße", "STRASSE", "ﬁle", "file", "Ä"}));
    EXPECT_EQ(Listed(key, true), (std::vector<std::string>{"MASSE", "Maße"}));
    EXPECT_EQ(Get("Apart", "ä"), "ä"); // the second write went to "Ä"

    // Keys and values keep the spelling they were made with.
    Put("Names\\software", "SOFTWARE", "again");
    EXPECT_EQ(Listed(Open("names\\SOFTWARE"), false), std::vector<std::string>{"Software"});
}

TEST_F(HiveTest, EnumerationOrderAndKeyInfo) {
    Key key = Make("Order");
    for (const char* sub : {"b", "A", "c", "ä😀"})
        Make(std::string("Order\\") + sub);
    for (const char* value : {"zeta", "alpha", "mid", "gone"})
        ASSERT_EQ(SetValue(key, value, REG_SZ, Bytes(value)), 0);
    ASSERT_EQ(SetValue(key, "ZETA", REG_DWORD, Blob{1, 0, 0, 0}), 0); // keeps its place
    ASSERT_EQ(DeleteValue(key, "alpha"), 0);
    ASSERT_EQ(SetValue(key, "alpha", REG_SZ, Bytes("back")), 0); // goes to the end
    ASSERT_EQ(DeleteValue(key, "missing"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(Listed(key, false), (std::vector<std::string>{"zeta", "mid", "gone", "alpha"}));
    EXPECT_EQ(Listed(key, true), (std::vector<std::string>{"A", "b", "c", "ä😀"}));

    KeyInfo i;
    ASSERT_EQ(QueryInfoKey(key, i), 0);
    // Subkeys, longest subkey name in UTF-16 units (ä is one, 😀 two), values,
    // longest value name, largest data.
    EXPECT_EQ((std::array{i.subKeys, i.maxSubKeyLen, i.values, i.maxValueNameLen, i.maxValueLen}),
              (std::array{4u, 3u, 4u, 5u, 4u}));
}

TEST_F(HiveTest, PathRules) {
    const std::string longest(255, 'k');
    const struct {
        uint32_t root;
        std::string path;
        long expected;
    } cases[] = {
        {HKEY_CURRENT_USER, "", ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "A\\B\\", ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "\\A", ERROR_BAD_PATHNAME},
        {HKEY_CURRENT_USER, "A\\\\B", ERROR_BAD_PATHNAME},
        {HKEY_CURRENT_USER, "A\\B\\\\", ERROR_BAD_PATHNAME},
        {HKEY_CURRENT_USER, longest, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, longest + "k", ERROR_INVALID_PARAMETER},
        {HKEY_CURRENT_USER, "ok\\" + std::string(128, '\xC3'), ERROR_INVALID_PARAMETER},
        // machine settings are for administrators (the tests run as root)
        {HKEY_LOCAL_MACHINE, "Software\\Machine",
         geteuid() == 0 ? long(ERROR_SUCCESS) : long(ERROR_ACCESS_DENIED)},
        {HKEY_CLASSES_ROOT, "A", ERROR_INVALID_HANDLE},
        {0, "A", ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 20));
        Key key;
        bool created = true;
        EXPECT_EQ(CreateKey(c.root, c.path, KEY_ALL_ACCESS, nullptr, key, &created), c.expected);
        EXPECT_EQ(key.IsOpen(), c.expected == ERROR_SUCCESS);
        EXPECT_EQ(OpenKey(c.root, c.path, KEY_READ, key), c.expected);
        if (c.expected == ERROR_SUCCESS) {
            EXPECT_EQ(CreateKey(c.root, c.path, KEY_READ, nullptr, key, &created), 0);
            EXPECT_FALSE(created);
        }
    }
    Key key;
    EXPECT_EQ(OpenKey(HKEY_CURRENT_USER, "A\\Missing", KEY_READ, key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(QueryValue(key, "x", nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(std::filesystem::exists(HivePath("HKLM.db")));
}

TEST_F(HiveTest, DeleteKeyAndDeleteTree) {
    Put("T\\Leaf", "v", "1");
    Put("T\\Branch\\Twig\\Bud", "v", "2");
    Put("T\\Branch", "v", "3");
    Put("T\\Sibling", "v", "4");
    Key t = Open("T"), branch = Open("T\\Branch");
    EXPECT_EQ(DeleteKey(t, "Branch"), ERROR_ACCESS_DENIED); // it has subkeys
    EXPECT_EQ(DeleteKey(t, "LEAF"), 0);
    EXPECT_EQ(DeleteKey(t, "Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DeleteTree(t, "Branch"), 0);
    EXPECT_EQ(Opening("T\\Branch\\Twig"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get("T\\Sibling", "v"), "4");

    // Recreating the path makes a new key; a handle to the old one stays dead
    // in every call, each looking the key up as SetValue does.
    Put("T\\Branch", "v", "new");
    std::string name;
    Key child;
    EXPECT_EQ(QueryValue(branch, "v", nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(SetValue(branch, "v", REG_SZ, Bytes("x")), ERROR_KEY_DELETED);
    EXPECT_EQ(EnumKey(branch, 0, name), ERROR_KEY_DELETED);
    EXPECT_EQ(OpenKey(branch, "Twig", KEY_READ, child), ERROR_KEY_DELETED);
    EXPECT_EQ(Get("T\\Branch", "v"), "new");

    // An empty subkey deletes the opened key itself; the root stays.
    EXPECT_EQ(DeleteTree(Open("T\\Sibling"), ""), 0);
    EXPECT_EQ(Get("T\\Sibling", "v"), "error 2");
    Key root = Open("");
    EXPECT_EQ(DeleteTree(root, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteKey(root, ""), ERROR_ACCESS_DENIED);

    // A hive file replaced under an open handle: the handle is dead too.
    root = Open("", KEY_READ);
    CloseThreadConnections();
    std::filesystem::remove(HivePath());
    EXPECT_EQ(EnumKey(root, 0, name), ERROR_KEY_DELETED);
}

TEST_F(HiveTest, DescriptorsDecideAccess) {
    const std::string me = "S-1-22-1-" + std::to_string(geteuid());
    // The access check's rules have their own table; here, that opening and
    // creating a key go through it, with the owner's implicit rights.
    const struct {
        std::string sddl;
        uint32_t access;
        long expected;
    } cases[] = {
        {"D:(A;;KR;;;WD)", KEY_READ, ERROR_SUCCESS},
        {"D:(A;;KR;;;WD)", KEY_WRITE, ERROR_ACCESS_DENIED},
        {"O:WDD:", READ_CONTROL | WRITE_DAC, ERROR_SUCCESS}, // what an owner always holds
    };
    Make("Acl");
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sddl + " " + std::to_string(c.access));
        const std::string path = "Acl\\K" + std::to_string(n++);
        Make(path, c.sddl, KEY_READ);
        EXPECT_EQ(Opening(path, c.access), c.expected);
        Key key;
        EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, path, c.access, nullptr, key), c.expected);
    }

    // A handle only does what it was opened for.
    Key read = Open("Acl\\K0", KEY_READ);
    EXPECT_EQ(SetValue(read, "v", REG_SZ, Bytes("x")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetKeySecurity(read, DACL_SECURITY_INFORMATION, Sddl("D:")), ERROR_ACCESS_DENIED);
    SecurityDescriptor shown;
    EXPECT_EQ(GetKeySecurity(Open("Acl\\K0", KEY_QUERY_VALUE), DACL_SECURITY_INFORMATION, shown),
              ERROR_ACCESS_DENIED);

    // A read-only key refuses new subkeys; a new subkey copies its parent's
    // descriptor; an everyone-access key carries a null DACL and an owner.
    Key sub;
    EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Acl\\K0\\Sub", KEY_READ, nullptr, sub),
              ERROR_ACCESS_DENIED);
    Make("Acl\\Open", "D:NO_ACCESS_CONTROL", KEY_WRITE);
    sub = Make("Acl\\Open\\Child");
    ASSERT_EQ(GetKeySecurity(sub, 7, shown), 0);
    EXPECT_EQ(shown.ToSddl(),
              "O:" + me + "G:S-1-22-2-" + std::to_string(getegid()) + "D:NO_ACCESS_CONTROL");

    // Setting a descriptor takes effect at the next open.
    ASSERT_EQ(SetKeySecurity(sub, DACL_SECURITY_INFORMATION, Sddl("D:(A;;KR;;;WD)")), 0);
    EXPECT_EQ(Opening("Acl\\Open\\Child", KEY_WRITE), ERROR_ACCESS_DENIED);
    SecurityDescriptor bad;
    EXPECT_EQ(SetKeySecurity(sub, DACL_SECURITY_INFORMATION, bad), ERROR_INVALID_SECURITY_DESCR);

    // The machine hive's root lets users read what administrators write.
    ASSERT_EQ(
        GetKeySecurity(Open("", KEY_READ, HKEY_LOCAL_MACHINE), DACL_SECURITY_INFORMATION, shown),
        0);
    EXPECT_EQ(shown.ToSddl(), "D:(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KR;;;BU)");
}

TEST_F(HiveTest, HiveFileThatMayNotBeWrittenIsReadOnlyForEveryone) {
    Put("Software\\RO", "v", "kept");
    Make("Software\\Open", "D:NO_ACCESS_CONTROL", KEY_READ);
    CloseThreadConnections();
    const std::string before = qm6::test::ReadFile(HivePath());
    ASSERT_EQ(chmod(HivePath().c_str(), 0444), 0);

    Key key;
    for (const char* path : {"Software\\RO", "Software\\Open"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Opening(path, KEY_WRITE), ERROR_ACCESS_DENIED);
        key = Open(path, MAXIMUM_ALLOWED);
        EXPECT_EQ(SetValue(key, "v", REG_SZ, Bytes("changed")), ERROR_ACCESS_DENIED);
        SecurityDescriptor sd;
        ASSERT_EQ(GetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), 0);
        ASSERT_TRUE(sd.dacl && !sd.dacl->empty());
        EXPECT_EQ(sd.dacl->front(), (Ace{'D', "", 0xD0026, std::string(SID_EVERYONE)}));
        EXPECT_EQ(SetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Software\\RO", KEY_READ, nullptr, key), 0);
    EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Software\\New", KEY_READ, nullptr, key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteTree(Open("", KEY_READ), "Software"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Get("Software\\RO", "v"), "kept");
    CloseThreadConnections();
    EXPECT_EQ(qm6::test::ReadFile(HivePath()), before);

    // The mode is looked at on every call.
    ASSERT_EQ(chmod(HivePath().c_str(), 0644), 0);
    Put("Software\\RO", "v", "changed");
    EXPECT_EQ(Get("Software\\RO", "v"), "changed");
}

// Lets the hive file's last change grow old enough that calls through a
// handle check the file through the kept descriptor instead of the path.
void LetTheFileSettle() {
    std::this_thread::sleep_for(std::chrono::seconds(3));
}

std::string Parent(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

TEST_F(HiveTest, ChangesMadeElsewhereShowInTheNextCall) {
    // A connection keeps keys, descriptors and listings; once the file's last
    // change lies a while back, reads through a handle are answered from those
    // caches without a lock. A change committed by another connection must
    // show in the next call all the same, and once the changed file has
    // settled in its turn (with nothing read in between).
    const struct {
        const char* what;
        bool settled;                                        // checked on a settled file too
        std::function<void(const std::string& path)> change; // on the other connection
        std::function<void(const std::string& path, const Key& handle)> check;
    } cases[] = {
        {"value set", true, [](const std::string& p) { Put(p, "v1", "changed"); },
         [](const std::string&, const Key& h) { EXPECT_EQ(ValueAt(h, 1, true), "changed"); }},
        {"value deleted", true,
         [](const std::string& p) { ASSERT_EQ(DeleteValue(Open(p), "v0"), 0); },
         [](const std::string& p, const Key& h) {
             EXPECT_EQ(ValueAt(h, 0), "v1");
             EXPECT_EQ(Get(p, "v0"), "error 2");
         }},
        {"made read-only", false,
         [](const std::string& p) {
             ASSERT_EQ(SetKeySecurity(Open(p, WRITE_DAC), DACL_SECURITY_INFORMATION,
                                      Sddl("D:(A;;KR;;;WD)")),
                       0);
         },
         [](const std::string& p, const Key&) {
             EXPECT_EQ(Opening(p, KEY_SET_VALUE), ERROR_ACCESS_DENIED);
         }},
        {"deleted and made again", false,
         [](const std::string& p) {
             ASSERT_EQ(DeleteTree(Open(""), Parent(p)), 0);
             Put(p, "v0", "new");
         },
         [](const std::string& p, const Key& h) {
             EXPECT_EQ(QueryValue(h, "v0", nullptr, nullptr), ERROR_KEY_DELETED);
             EXPECT_EQ(Get(p, "v0"), "new");
         }},
        {"deleted", true,
         [](const std::string& p) { ASSERT_EQ(DeleteTree(Open(""), Parent(p)), 0); },
         [](const std::string& p, const Key& h) {
             EXPECT_EQ(ValueAt(h, 0), "error 1018");
             EXPECT_EQ(Opening(p), ERROR_FILE_NOT_FOUND);
             EXPECT_EQ(Opening(Parent(p)), ERROR_FILE_NOT_FOUND);
         }},
    };
    for (bool settled : {false, true}) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            if (settled && !cases[i].settled)
                continue;
            SCOPED_TRACE(std::string(cases[i].what) + (settled ? ", settled" : ""));
            const std::string path = (settled ? "S" : "F") + std::to_string(i) + "\\Key";
            for (const char* v : {"v0", "v1", "v2"})
                Put(path, v, v);
            Key handle = Open(path, KEY_READ);
            if (settled)
                LetTheFileSettle();
            for (int round = 0; round < 2; ++round) { // the second from the caches
                ASSERT_EQ(ValueAt(handle, 0), "v0");
                ASSERT_EQ(Opening(path), 0);
            }
            OnOtherConnection([&] { cases[i].change(path); });
            if (settled)
                LetTheFileSettle();
            cases[i].check(path, handle);
        }
    }

    // This connection's own changes are seen by its next calls as well; a
    // handle works on another thread, through that thread's connection.
    Put("Own\\Key", "v", "mine");
    Key own = Open("Own");
    ASSERT_EQ(DeleteKey(own, "Key"), 0);
    EXPECT_EQ(Opening("Own\\Key"), ERROR_FILE_NOT_FOUND);
    OnOtherConnection([&] { EXPECT_EQ(SetValue(own, "w", REG_SZ, Bytes("2")), 0); });
    EXPECT_EQ(Get("Own", "w"), "2");
}

TEST_F(HiveTest, HandlesSeeModeChangesAndReplacementsOfASettledFile) {
    Put("Software\\Settled", "v", "first");
    Key key = Open("Software\\Settled", KEY_READ | KEY_SET_VALUE);
    LetTheFileSettle();
    std::vector<uint8_t> data;
    ASSERT_EQ(QueryValue(key, "v", nullptr, &data), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), "first");

    // The mode, on the very next call.
    ASSERT_EQ(chmod(HivePath().c_str(), 0444), 0);
    EXPECT_EQ(SetValue(key, "v", REG_SZ, Bytes("second")), ERROR_ACCESS_DENIED);
    ASSERT_EQ(chmod(HivePath().c_str(), 0644), 0);
    EXPECT_EQ(SetValue(key, "v", REG_SZ, Bytes("second")), 0);

    // A file renamed away, with a new hive made in its place.
    LetTheFileSettle();
    ASSERT_EQ(QueryValue(key, "v", nullptr, &data), 0);
    fs::rename(HivePath(), HivePath("moved.db"));
    EXPECT_EQ(QueryValue(key, "v", nullptr, &data), ERROR_KEY_DELETED);
    EXPECT_EQ(Get("Software\\Settled", "v"), "error 2");
}

TEST_F(HiveTest, HiveLocationFollowsTheEnvironment) {
    qm6::test::TempDir home, config;
    const struct {
        std::optional<std::string> registryDir, xdg, homeDir;
        std::filesystem::path expected;
    } cases[] = {
        {home.Str() + "/explicit", config.Str(), home.Str(), home.Path() / "explicit/HKCU.db"},
        {std::nullopt, config.Str(), home.Str(), config.Path() / "quillmeter6/registry/HKCU.db"},
        {"", "relative/ignored", home.Str(), home.Path() / ".config/quillmeter6/registry/HKCU.db"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.string());
        qm6::test::ScopedEnv a("QM6_REGISTRY_DIR", c.registryDir), b("XDG_CONFIG_HOME", c.xdg),
            h("HOME", c.homeDir);
        Put("Where", "v", "1");
        EXPECT_TRUE(std::filesystem::exists(c.expected));
        CloseThreadConnections();
    }
}

} // namespace
} // namespace qm6::reg::test
