// Stores of an older schema version are upgraded in place with their data,
// all or nothing, even when the process is killed half way; stores that
// cannot be upgraded are left exactly as they were.

#include "StoreFixture.h"
#include "qm6data/Schema.h"

#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm6::data::test {
namespace {

using qm6::test::ReadFile;

// Runs SQL through a connection of the test's own; answers the rows as text.
std::string Sql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    std::string rows;
    EXPECT_EQ(sqlite3_exec(
                  db, sql.c_str(),
                  [](void* out, int n, char** values, char**) {
                      for (int i = 0; i < n; ++i)
                          *static_cast<std::string*>(out) +=
                              (values[i] ? values[i] : "NULL") + std::string("|");
                      return 0;
                  },
                  &rows, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
}

// A store as the first version made it, its layout being the first step
// (which never changes once released), with rows of every kind.
void MakeVersion1Store(const std::filesystem::path& file) {
    std::string sql = "BEGIN;";
    for (const std::string_view statement : schema::Steps().front().statements)
        sql += schema::Render(statement, sqlite::Dialect()) + ";\n";
    Sql(file, sql + R"sql(
INSERT INTO paper_sizes VALUES (1, 'A4', 2100, 2970, 1, 1000, 5000);
INSERT INTO price_profiles VALUES (1, 'Per size', 3, 1, 1000, 5000);
INSERT INTO paper_size_prices VALUES (1, 1, 800, 4000);
INSERT INTO job_option_rules (rule_priority, parent_id, option_type, value_text) VALUES
    (2, 1, 1, ''), (2, 1, 5, '3,1,2');
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO printing_limits (rule_priority, parent_id, display_order, limit_type, limit_value,
                             title, message_text, stop_job)
    SELECT 2, 1, i, 3, i * 100, printf('limit %05d %.100c', i, 'x'), 'm', i % 2 FROM n;
PRAGMA application_id = 1364014660;
PRAGMA user_version = 1;
COMMIT;)sql");
}

// The rows an upgrade must keep, in the columns of the first version.
std::string Rows(const std::filesystem::path& file) {
    return Sql(
        file,
        "SELECT * FROM paper_sizes, paper_size_prices, system_settings;"
        "SELECT price_profile_id, description, pricing_option, bw_cost FROM price_profiles;"
        "SELECT rule_id, rule_priority, parent_id, option_type, value_text FROM job_option_rules;"
        "SELECT limit_id, display_order, limit_value, title, stop_job FROM printing_limits");
}

int32_t UserVersion(const std::filesystem::path& file) {
    return std::stoi(Sql(file, "PRAGMA user_version"));
}

TEST(UpgradeStore, AnOlderStoreIsUpgradedInPlaceKeepingEveryRowAndLaidOutAsANewOne) {
    qm6::test::TempDir dir;
    const auto file = dir.Path() / "old.qm6db";
    MakeVersion1Store(file);
    const std::string before = Rows(file);
    ASSERT_NE(before.find("limit 00300"), std::string::npos);

    std::vector<int32_t> steps;
    std::shared_ptr<SqliteConnection> store;
    const Status status =
        SqliteConnection::Open(file, store, OpenOptions{}, [&](int32_t v) { steps.push_back(v); });
    ASSERT_EQ(status, nullptr) << Describe(status);
    EXPECT_EQ(steps, (std::vector<int32_t>{2, 3}));
    // Loaded records can be written back, which needs the new columns.
    std::shared_ptr<vb::Collection> rules;
    ASSERT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
    ASSERT_EQ(rules->Count(), 2);
    EXPECT_EQ(ItemAs<JobOptionRule>(*rules, 2)->Save(*store, 0), nullptr);
    store.reset();
    EXPECT_EQ(Rows(file), before);
    EXPECT_EQ(UserVersion(file), schema::CurrentVersion());

    const auto fresh = dir.Path() / "new.qm6db";
    ASSERT_EQ(SqliteConnection::Open(fresh, store, OpenOptions{true}), nullptr);
    const std::string layout = "SELECT type, name, sql FROM sqlite_schema ORDER BY name";
    EXPECT_EQ(Sql(file, layout), Sql(fresh, layout));
}

TEST(UpgradeStore, AProcessKilledHalfWayLeavesTheStoreIntactAndOpenable) {
    const std::vector<std::pair<const char*, std::function<void(const std::filesystem::path&)>>>
        kills{
            {"in the upgrade, every step applied and nothing committed",
             [](const std::filesystem::path& file) {
                 std::shared_ptr<SqliteConnection> store;
                 SqliteConnection::Open(file, store, OpenOptions{},
                                        [](int32_t) { raise(SIGKILL); });
             }},
            // As in a commit: a cache of two pages spills changed pages to the
            // file, behind a journal that holds the old ones.
            {"in a write that had already changed the file", [](const std::filesystem::path& file) {
                 sqlite3* db = nullptr;
                 sqlite3_open(file.c_str(), &db);
                 sqlite3_exec(db,
                              "PRAGMA cache_size = 2; BEGIN IMMEDIATE; UPDATE printing_limits SET "
                              "title = 't'",
                              nullptr, nullptr, nullptr);
                 raise(SIGKILL);
             }}};
    for (const auto& [name, kill] : kills) {
        SCOPED_TRACE(name);
        qm6::test::TempDir dir;
        const auto file = dir.Path() / "old.qm6db";
        MakeVersion1Store(file);
        const std::string before = Rows(file);
        const pid_t child = fork();
        if (child == 0) {
            kill(file);
            _exit(3); // never reached the kill
        }
        int wstatus = 0;
        ASSERT_EQ(waitpid(child, &wstatus, 0), child);
        ASSERT_TRUE(WIFSIGNALED(wstatus)) << wstatus;
        EXPECT_TRUE(std::filesystem::exists(file.string() + "-journal"));

        std::shared_ptr<SqliteConnection> store;
        const Status status = SqliteConnection::Open(file, store);
        ASSERT_EQ(status, nullptr) << Describe(status);
        store.reset();
        EXPECT_EQ(Rows(file), before);
        EXPECT_EQ(UserVersion(file), schema::CurrentVersion());
    }
}

TEST(UpgradeStore, ADamagedStoreIsNotUpgradedAndLeftAsItWas) {
    qm6::test::TempDir dir;
    const auto file = dir.Path() / "old.qm6db";
    MakeVersion1Store(file);
    std::string bytes = ReadFile(file);
    std::fill(bytes.begin() + 4096 + 8, bytes.begin() + 4096 + 200,
              '\xA5'); // the first table's rows
    qm6::test::WriteFile(file, bytes);
    std::shared_ptr<SqliteConnection> store;
    const Status status = SqliteConnection::Open(file, store);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Message().rfind(
                  file.string() + " is damaged, so it is not upgraded from schema version 1", 0),
              0u)
        << status->Message();
    EXPECT_EQ(ReadFile(file), bytes);
}

} // namespace
} // namespace qm6::data::test
