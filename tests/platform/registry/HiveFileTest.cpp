// Hive files that are not (or no longer) good hives: every call answers
// ERROR_BADDB and the file is left exactly as it was.

#include "HiveFixture.h"

#include <fstream>
#include <random>
#include <set>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qm6::reg::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// Runs `script` on `file`; with `rows`, appends the first column of every
// row it answers, each followed by ";".
void Sql(const fs::path& file, const char* script, std::string* rows = nullptr) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    auto collect = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) += std::string(values[0] ? values[0] : "NULL") + ";";
        return 0;
    };
    ASSERT_EQ(sqlite3_exec(db, script, rows ? +collect : nullptr, rows, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class BadHiveTest : public HiveTest {
protected:
    // A real hive of several pages, closed so that it is all in the file.
    std::string GoodHive() {
        Key key;
        EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Software\\Filler", KEY_ALL_ACCESS, nullptr, key),
                  0);
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(SetValue(key, "v" + std::to_string(i), REG_BINARY,
                               std::vector<uint8_t>(500, uint8_t(i))),
                      0);
        CloseThreadConnections();
        std::string bytes = qm6::test::ReadFile(HivePath());
        EXPECT_GT(bytes.size(), 40000u);
        return bytes;
    }

    void ExpectBadDb() {
        const auto files = Listing(dir_.Path());
        const std::string before = qm6::test::ReadFile(HivePath());
        for (int round = 0; round < 2; ++round) { // the second time on a fresh connection
            Key key;
            bool created = false;
            EXPECT_EQ(OpenKey(HKEY_CURRENT_USER, "", KEY_READ, key), ERROR_BADDB);
            EXPECT_EQ(OpenKey(HKEY_CURRENT_USER, "Software\\Filler", KEY_READ, key), ERROR_BADDB);
            EXPECT_EQ(
                CreateKey(HKEY_CURRENT_USER, "Software\\New", KEY_WRITE, nullptr, key, &created),
                ERROR_BADDB);
            EXPECT_FALSE(key.IsOpen());
            CloseThreadConnections();
        }
        EXPECT_EQ(qm6::test::ReadFile(HivePath()), before);
        EXPECT_EQ(Listing(dir_.Path()), files); // no journal, log or index files left behind
    }
};

TEST_F(BadHiveTest, ForeignDatabaseAnswersBadDb) {
    Sql(HivePath(), "CREATE TABLE keys(x); INSERT INTO keys VALUES(1);");
    ExpectBadDb();
    // One in WAL mode whose writer died with committed data still in its
    // log: opening it would play the log into the file.
    fs::remove(HivePath());
    const std::string walPath = HivePath().string() + "-wal";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(HivePath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE t(x);"
                     "INSERT INTO t VALUES(randomblob(5000));",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    const std::string file = qm6::test::ReadFile(HivePath()), wal = qm6::test::ReadFile(walPath);
    sqlite3_close(db);
    qm6::test::WriteFile(HivePath(), file);
    qm6::test::WriteFile(walPath, wal);
    fs::remove(HivePath().string() + "-shm");
    ASSERT_GT(wal.size(), 0u);
    ExpectBadDb();
    EXPECT_EQ(qm6::test::ReadFile(walPath), wal);
}

TEST_F(BadHiveTest, GarbageAndDamagedHivesAnswerBadDb) {
    const std::string good = GoodHive();
    const size_t page = 4096;
    std::string corrupt = good, noise(8192, '\0');
    for (size_t at = 2 * page; at + 8 < corrupt.size(); at += page)
        corrupt.replace(at, 8, 8, '\xFF');
    // A damaged page of values only, which opening a key does not read.
    std::string valuesPage = good;
    valuesPage.replace(valuesPage.size() - page, 8, 8, '\xFF');
    std::string newer = good;
    newer[63] = 3; // a later schema version (user_version)
    std::mt19937 rng(7);
    for (char& c : noise)
        c = char(rng());
    for (const std::string& bytes :
         {noise, std::string("SQLite format 3") + '\0', good.substr(0, good.size() / 2),
          good.substr(0, page), good.substr(0, 99), corrupt, valuesPage, newer}) {
        SCOPED_TRACE(bytes.size());
        qm6::test::WriteFile(HivePath(), bytes);
        ExpectBadDb();
    }
    // Put back whole, the hive reads again.
    qm6::test::WriteFile(HivePath(), good);
    EXPECT_EQ(Get("Software\\Filler", "v3"), std::string(500, '\x03'));
}

// A hive as version 1 wrote it: names compared after full case folding, in
// write-ahead-log mode. Its rows are written directly, since the names "i"
// and "ı" could not both be made under the current rule.
class OldHiveTest : public HiveTest {
protected:
    void SetUp() override {
        Put("Made", "v", "1"); // a current hive to start from
        CloseThreadConnections();
        Sql(HivePath(), R"sql(
            PRAGMA journal_mode=WAL;
            INSERT INTO keys(id, parent, name, folded, sddl, last_write)
                SELECT n.column1, n.column2, n.column3, n.column4, k.sddl, 0
                FROM (VALUES (100, 1, 'Old', 'old'), (101, 100, 'Maße', 'masse'),
                             (102, 100, 'i', 'i'), (103, 100, 'ı', 'ı')) n
                JOIN keys k ON k.id = 1;
            INSERT INTO vals(key, name, folded, seq, type, data) VALUES
                (100, 'i', 'i', 1, 1, CAST('latin' AS BLOB)),
                (100, 'Ärger', 'ärger', 2, 1, CAST('umlaut' AS BLOB)),
                (100, 'ı', 'ı', 3, 1, CAST('dotless' AS BLOB)),
                (101, 'Straße', 'strasse', 1, 1, CAST('sharp' AS BLOB)),
                (101, 'ﬁle', 'file', 2, 1, CAST('ligature' AS BLOB)),
                (103, '', '', 1, 1, CAST('key ı' AS BLOB));
            UPDATE keys SET folded = lower(folded);
            UPDATE vals SET folded = lower(folded) WHERE key NOT IN (100, 101, 103);
            PRAGMA user_version=1;
        )sql");
    }

    struct Read {
        const char* key;
        const char* value;
        const char* expected;
    };
    static void ExpectReads(std::initializer_list<Read> reads) {
        for (const Read& r : reads)
            EXPECT_EQ(Get(r.key, r.value), r.expected) << r.key << " " << r.value;
    }
};

TEST_F(OldHiveTest, IsBroughtToTheCurrentRuleWithoutLosingAValue) {
    ExpectReads({
        {"Old", "i", "latin"},
        {"OLD", "I", "latin"},
        {"Old", "ı", "latin"},       // now the same name as "i", which was made first
        {"Old", "ı (2)", "dotless"}, // so the later one was renamed
        {"Old", "ärger", "umlaut"},
        {"Old\\MAßE", "STRAßE", "sharp"},
        {"Old\\Maße", "ﬁLE", "ligature"},
        {"Old\\MASSE", "Straße", "error 2"}, // full folding no longer applies
        {"Old\\Maße", "file", "error 2"},
        {"Old\\ı (2)", "", "key ı"},
    });
    // Schema version, journal mode, values kept, and the keys of "Old".
    CloseThreadConnections();
    std::string rows;
    Sql(HivePath(),
        "PRAGMA user_version; PRAGMA journal_mode; SELECT count(*) FROM vals;"
        "SELECT name FROM keys WHERE parent = 100 ORDER BY folded",
        &rows);
    EXPECT_EQ(rows, "2;delete;7;i;ı (2);Maße;");
}

TEST_F(OldHiveTest, ThatMayNotBeWrittenIsReadByItsOwnRule) {
    ASSERT_EQ(chmod(HivePath().c_str(), 0444), 0);
    const std::string before = qm6::test::ReadFile(HivePath());
    ExpectReads({
        {"Old", "I", "latin"},
        {"Old", "ı", "dotless"},
        {"Old\\MASSE", "STRASSE", "sharp"},
        {"Old\\Maße", "FILE", "ligature"},
        {"old\\ı", "", "key ı"},
    });
    Key key;
    EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Old\\New", KEY_WRITE, nullptr, key),
              ERROR_ACCESS_DENIED);
    CloseThreadConnections();
    EXPECT_EQ(qm6::test::ReadFile(HivePath()), before);

    // Once it may be written, the next connection brings it to the current rule.
    ASSERT_EQ(chmod(HivePath().c_str(), 0644), 0);
    EXPECT_EQ(Get("Old", "ı (2)"), "dotless");
}

TEST_F(HiveTest, EmptyFileBecomesANewHive) {
    qm6::test::WriteFile(HivePath(), "");
    ASSERT_EQ(chmod(HivePath().c_str(), 0600), 0);
    Put("Software\\Fresh", "v", "1");
    EXPECT_EQ(Get("Software\\Fresh", "v"), "1");
    struct stat st;
    ASSERT_EQ(stat(HivePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // the file's mode is kept
    EXPECT_GT(st.st_size, 0);

    // An empty file that may not be written cannot become a hive.
    CloseThreadConnections();
    qm6::test::WriteFile(HivePath(), "");
    ASSERT_EQ(chmod(HivePath().c_str(), 0444), 0);
    Key key;
    EXPECT_EQ(OpenKey(HKEY_CURRENT_USER, "", KEY_READ, key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(fs::file_size(HivePath()), 0u);

    // A folder where the file should be is no hive.
    fs::create_directory(HivePath("HKLM.db"));
    EXPECT_EQ(OpenKey(HKEY_LOCAL_MACHINE, "", KEY_READ, key), ERROR_BADDB);
}

} // namespace
} // namespace qm6::reg::test
