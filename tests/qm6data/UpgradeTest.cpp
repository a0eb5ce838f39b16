// Stores of an older schema version are upgraded in place with their data,
// all or nothing, even when the process is killed half way; stores that
// cannot be upgraded are left exactly as they were.

#include "StoreFixture.h"
#include "qm6data/Schema.h"

#include <csignal>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm6::data::test {
namespace {

using qm6::test::ReadFile;

// Runs SQL on a file through a connection of the test's own.
void Sql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// Every row of the tables a version 1 store has, in the columns it had, as
// text: what an upgrade must keep.
std::string Version1Data(const std::filesystem::path& file) {
    static const char* const kTables[][2] = {
        {"price_profiles", "price_profile_id, description, pricing_option, job_type, bw_cost, "
                           "color_cost"},
        {"printer_profiles", "printer_profile_id, description, price_profile_id"},
        {"job_option_rules", "rule_id, rule_priority, parent_id, option_type, value_text"},
        {"printing_limits", "limit_id, rule_priority, parent_id, display_order, limit_type, "
                            "limit_value, title, message_text, stop_job"},
        {"paper_sizes", "*"},
        {"paper_size_prices", "*"},
        {"custom_fields", "*"},
        {"system_settings", "*"},
    };
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string out;
    for (const auto& [table, columns] : kTables) {
        out += std::string("[") + table + "]\n";
        const std::string sql =
            std::string("SELECT ") + columns + " FROM " + table + " ORDER BY 1, 2";
        sqlite3_exec(
            db, sql.c_str(),
            [](void* text, int n, char** values, char**) {
                auto& s = *static_cast<std::string*>(text);
                for (int i = 0; i < n; ++i)
                    s += std::string(values[i] ? values[i] : "NULL") + "|";
                s += "\n";
                return 0;
            },
            &out, nullptr);
    }
    sqlite3_close(db);
    return out;
}

// A store as the first version of the library made it, with data of every
// kind; the layout is the first step, which never changes once released.
void MakeVersion1Store(const std::filesystem::path& file) {
    std::string sql = "BEGIN;";
    for (const std::string_view statement : schema::Steps().front().statements)
        sql += schema::Render(statement, sqlite::Dialect()) + ";\n";
    sql += R"sql(
UPDATE system_settings SET currency_format = '#,##0.00 €';
INSERT INTO paper_sizes VALUES (1, 'A4', 2100, 2970, 1, 1000, 5000), (2, 'Letter', 2159, 2794, 0, 900, 4000);
INSERT INTO price_profiles VALUES (1, 'Per size', 3, 1, 1000, 5000), (2, 'Flat', 1, 2, 123456, 0);
INSERT INTO paper_size_prices VALUES (1, 1, 800, 4000), (1, 2, 950, 4500);
INSERT INTO printer_profiles VALUES (1, 'Front desk', 1), (2, 'Plotter', NULL);
INSERT INTO job_option_rules (rule_priority, parent_id, option_type, value_text) VALUES
    (2, 1, 1, ''), (2, 1, 2, ''), (2, 1, 5, '3,1,2'), (2, 2, 0, ''), (3, 7, 4, '');
INSERT INTO printing_limits (rule_priority, parent_id, display_order, limit_type, limit_value,
                             title, message_text, stop_job) VALUES
    (2, 1, 1, 3, 250000, 'Money', 'Too much', 1), (2, 1, 2, 1, 500, 'Pages', 'Many pages', 0);
INSERT INTO custom_fields VALUES (1, 'Project', 1, 0), (2, 'Cost centre', 2, 1);
PRAGMA application_id = 1364014660;
PRAGMA user_version = 1;
COMMIT;)sql";
    Sql(file, sql);
}

int32_t UserVersion(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
    const int32_t version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return version;
}

std::string Layout(const std::filesystem::path& file) {
    std::string out;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_exec(
        db, "SELECT type, name, sql FROM sqlite_schema ORDER BY name",
        [](void* text, int n, char** values, char**) {
            for (int i = 0; i < n; ++i)
                *static_cast<std::string*>(text) += std::string(values[i] ? values[i] : "") + "\n";
            return 0;
        },
        &out, nullptr);
    sqlite3_close(db);
    return out;
}

// What the library reads from the sample data above.
void ExpectVersion1DataThroughTheStore(SqliteConnection& store) {
    std::shared_ptr<vb::Collection> rules, limits;
    ASSERT_EQ(store.LoadJobOptionRules(rules, 2, 1), nullptr);
    ASSERT_EQ(rules->Count(), 3);
    EXPECT_EQ(ItemAs<JobOptionRule>(*rules, 3)->ValueText(), "3,1,2");
    ASSERT_EQ(store.LoadPrintingLimits(limits, 2, 1), nullptr);
    ASSERT_EQ(limits->Count(), 2);
    EXPECT_EQ(ItemAs<PrintingLimit>(*limits, 1)->LimitValue(),
              vb::Variant(vb::Currency::FromScaled(250000)));
    std::shared_ptr<PriceProfile> profile;
    ASSERT_EQ(store.LoadPriceProfile(profile, 1), nullptr);
    EXPECT_EQ(profile->PaperSizePrices()->Count(), 2);
}

TEST(UpgradeStore, AnOlderStoreIsUpgradedInPlaceKeepingEveryRow) {
    qm6::test::TempDir dir;
    const auto file = dir.Path() / "old.qm6db";
    MakeVersion1Store(file);
    const std::string before = Version1Data(file);
    ASSERT_NE(before.find("3,1,2"), std::string::npos);

    std::vector<int32_t> steps;
    std::shared_ptr<SqliteConnection> store;
    const Status status = SqliteConnection::Open(
        file, store, OpenOptions{}, [&](int32_t version) { steps.push_back(version); });
    ASSERT_EQ(status, nullptr) << Describe(status);
    EXPECT_EQ(steps, (std::vector<int32_t>{2}));
    ExpectVersion1DataThroughTheStore(*store);

    // Every loaded record can be written back, which needs the new columns.
    std::shared_ptr<vb::Collection> rules;
    ASSERT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
    auto fields = ItemAs<JobOptionRule>(*rules, 3);
    fields->DefineRule(5, 2, 1, "2");
    EXPECT_EQ(fields->Save(*store, 0), nullptr);
    EXPECT_EQ(ItemAs<JobOptionRule>(*rules, 1)->Delete(*store), nullptr);
    store.reset();

    EXPECT_EQ(UserVersion(file), schema::CurrentVersion());
    // Laid out as a store made new.
    qm6::test::TempDir fresh;
    const auto made = fresh.Path() / "new.qm6db";
    ASSERT_EQ(SqliteConnection::Open(made, store, OpenOptions{true}), nullptr);
    store.reset();
    EXPECT_EQ(Layout(file), Layout(made));

    // Opened again, it is current: no step runs.
    steps.clear();
    ASSERT_EQ(
        SqliteConnection::Open(file, store, OpenOptions{}, [&](int32_t v) { steps.push_back(v); }),
        nullptr);
    EXPECT_TRUE(steps.empty());
}

// Runs part of a write in a child process and kills it there.
void KillDuring(const std::function<void()>& write) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        write();
        _exit(3); // the write never reached the point of the kill
    }
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGKILL) << wstatus;
}

TEST(UpgradeStore, AProcessKilledHalfWayLeavesTheStoreIntactAndOpenable) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> killed;
        bool fileWritten; // whether the killed write had reached the store's file
    };
    const std::vector<Case> cases{
        {"killed in the upgrade, every step applied and nothing committed",
         [](const std::filesystem::path& file) {
             std::shared_ptr<SqliteConnection> store;
             SqliteConnection::Open(file, store, OpenOptions{}, [](int32_t) { raise(SIGKILL); });
         },
         false},
        {"killed in a write that had already changed the file (as in a commit)",
         [](const std::filesystem::path& file) {
             sqlite3* db = nullptr;
             sqlite3_open(file.c_str(), &db);
             // A cache of two pages spills changed pages to the file before
             // the commit, behind a journal that holds the old ones.
             sqlite3_exec(db,
                          "PRAGMA cache_size = 2; BEGIN IMMEDIATE;"
                          "UPDATE printing_limits SET title = upper(title), limit_value = 1;",
                          nullptr, nullptr, nullptr);
             raise(SIGKILL);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qm6::test::TempDir dir;
        const auto file = dir.Path() / "old.qm6db";
        MakeVersion1Store(file);
        // Enough limits to fill many pages.
        Sql(file, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                  "INSERT INTO printing_limits (rule_priority, parent_id, display_order, "
                  "limit_type, limit_value, title, message_text, stop_job) "
                  "SELECT 2, 9, i, 1, i, printf('limit %05d %.100c', i, 'x'), 'm', 0 FROM n");
        const std::string before = Version1Data(file);
        const std::string bytes = ReadFile(file);

        KillDuring([&] { c.killed(file); });
        EXPECT_TRUE(std::filesystem::exists(file.string() + "-journal"));
        EXPECT_EQ(ReadFile(file) != bytes, c.fileWritten);

        std::shared_ptr<SqliteConnection> store;
        const Status status = SqliteConnection::Open(file, store);
        ASSERT_EQ(status, nullptr) << Describe(status);
        ExpectVersion1DataThroughTheStore(*store);
        store.reset();
        EXPECT_EQ(Version1Data(file), before);
        EXPECT_EQ(UserVersion(file), schema::CurrentVersion());
    }
}

TEST(UpgradeStore, AStoreThatCannotBeUpgradedIsRefusedAndLeftAsItWas) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> spoil;
        int code;
        std::string text;
    };
    const std::vector<Case> cases{
        {"tables missing", [](auto& f) { Sql(f, "DROP TABLE printing_limits"); }, SQLITE_ERROR,
         "no such table: printing_limits"},
        {"damaged page",
         [](auto& f) {
             // The second page holds the first table's rows.
             std::string data = ReadFile(f);
             for (size_t i = 4096 + 8; i < 4096 + 200; ++i)
                 data[i] = static_cast<char>(0xA5);
             qm6::test::WriteFile(f, data);
         },
         SQLITE_CORRUPT, "is damaged, so it is not upgraded from schema version 1"},
        {"read-only file", [](auto& f) { ::chmod(f.c_str(), 0444); }, SQLITE_READONLY,
         "must be upgraded to version 2 before use, but the file cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qm6::test::TempDir dir;
        const auto file = dir.Path() / "old.qm6db";
        MakeVersion1Store(file);
        c.spoil(file);
        const std::string bytes = ReadFile(file);
        std::shared_ptr<SqliteConnection> store;
        const Status status = SqliteConnection::Open(file, store);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->Code(), c.code) << status->Message();
        EXPECT_NE(status->Message().find(c.text), std::string::npos) << status->Message();
        EXPECT_EQ(status->Message().find(file.string()), 0u) << status->Message();
        EXPECT_EQ(store, nullptr);
        EXPECT_EQ(ReadFile(file), bytes);
    }
}

} // namespace
} // namespace qm6::data::test
