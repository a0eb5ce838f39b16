// The store on a PostgreSQL server: which databases it accepts, consoles in
// separate processes saving one owner's rules, a lost connection, and laying
// a store out with the qm6 tool.

#include "Console.h"
#include "StoreFixture.h"
#include "qm6data/PostgresConnection.h"
#include "qm6data/Schema.h"
#include "qm6data/StatusKind.h"

#include <sqlite3.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qm6::data::test {
namespace {

using qm6::test::ServerDatabase;
using qm6::test::ServerRows;

Status Open(const std::string& location, std::shared_ptr<PostgresConnection>& store,
            OpenOptions options = {}, UpgradeStepHandler onStep = nullptr) {
    return PostgresConnection::Open(location, store, options, onStep);
}

// Every table, column and type of the store, and its rows, as text.
std::string Layout(const std::string& location) {
    return ServerRows(location,
                      "SELECT table_name, column_name, data_type, is_nullable, is_identity "
                      "FROM information_schema.columns WHERE table_schema = 'public' "
                      "ORDER BY 1, 2");
}

TEST(ServerStore, RefusesForeignNewerAndEmptyDatabasesWithoutChangingThem) {
    const std::string marks = "CREATE TABLE qm6data_store (application_id INTEGER NOT NULL, "
                              "schema_version INTEGER NOT NULL);";
    const std::string ours = std::to_string(sqlite::kApplicationId);
    struct Case {
        const char* name;
        std::string sql;
        bool create;
        std::string expectedText;
    };
    const std::vector<Case> cases{
        {"empty, not creating", "", false, "is not a qm6data database (it is empty"},
        {"another application's tables", "CREATE TABLE invoices (id INTEGER);", true,
         "holds other tables and no qm6data marks"},
        {"another application's marks", marks + "INSERT INTO qm6data_store VALUES (7, 1);", true,
         "is not a qm6data database"},
        {"newer version",
         marks + "INSERT INTO qm6data_store VALUES (" + ours + ", " +
             std::to_string(schema::CurrentVersion() + 1) + ");",
         true, "made by a newer version of the program"},
        {"version 0", marks + "INSERT INTO qm6data_store VALUES (" + ours + ", 0);", true,
         "has schema version 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServerDatabase database;
        if (!c.sql.empty()) {
            ServerRows(database.Location(), c.sql);
        }
        const std::string before = Layout(database.Location());
        std::shared_ptr<PostgresConnection> store;
        const Status status = Open(database.Location(), store, OpenOptions{c.create, 100});
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->Code(), SQLITE_NOTADB);
        EXPECT_NE(status->Message().find(c.expectedText), std::string::npos) << status->Message();
        EXPECT_EQ(store, nullptr);
        EXPECT_EQ(Layout(database.Location()), before);
    }
}

TEST(ServerStore, AnOlderStoreIsUpgradedKeepingItsRowsAndLaidOutAsANewOne) {
    ServerDatabase old;
    std::string script = "CREATE TABLE qm6data_store (application_id INTEGER NOT NULL, "
                         "schema_version INTEGER NOT NULL); INSERT INTO qm6data_store VALUES (" +
                         std::to_string(sqlite::kApplicationId) + ", 1);";
    std::shared_ptr<PostgresConnection> fresh;
    ServerDatabase current;
    ASSERT_EQ(Open(current.Location(), fresh, OpenOptions{true}), nullptr);
    EXPECT_TRUE(fresh->IsNew());
    // Version 1 as the new store's engine lays it out; its money columns
    // must hold the limit's value beyond 32 bits below.
    for (const std::string_view statement : schema::Steps().front().statements) {
        script += schema::Render(statement, postgres::Dialect()) + ";";
    }
    script +=
        "INSERT INTO job_option_rules (rule_priority, parent_id, option_type) VALUES (2, 1, 3);"
        "INSERT INTO printing_limits (rule_priority, parent_id, display_order, limit_type, "
        "limit_value, title, message_text, stop_job) VALUES (2, 1, 1, 4, 922337203685477, "
        "'big', 'm', 0);";
    ServerRows(old.Location(), script);

    std::vector<int32_t> steps;
    std::shared_ptr<PostgresConnection> store;
    const Status status =
        Open(old.Location(), store, OpenOptions{}, [&](int32_t v) { steps.push_back(v); });
    ASSERT_EQ(status, nullptr) << Describe(status);
    EXPECT_FALSE(store->IsNew());
    EXPECT_EQ(steps, (std::vector<int32_t>{2, 3}));
    std::shared_ptr<vb::Collection> limits;
    ASSERT_EQ(store->LoadPrintingLimits(limits, 2, 1), nullptr);
    ASSERT_EQ(limits->Count(), 1);
    // Money beyond 32 bits comes back exact.
    EXPECT_EQ(ItemAs<PrintingLimit>(*limits, 1)->LimitValue(),
              vb::Variant(vb::Currency::FromScaled(922337203685477)));
    EXPECT_EQ(ItemAs<PrintingLimit>(*limits, 1)->Save(*store), nullptr);
    EXPECT_EQ(Layout(old.Location()), Layout(current.Location()));
    EXPECT_EQ(ServerRows(old.Location(), "SELECT schema_version FROM qm6data_store"),
              std::to_string(schema::CurrentVersion()) + "\n");
}

// Two consoles in two processes load one owner's limits, then both add a
// limit at once: one save wins, the other is refused as a conflict and goes
// through after loading again. Neither change is lost or mixed.
TEST(ServerStore, TwoProcessesSavingOneOwnersLimitsNeverLoseAChange) {
    ServerDatabase database;
    {
        std::shared_ptr<PostgresConnection> store;
        ASSERT_EQ(Open(database.Location(), store, OpenOptions{true}), nullptr);
    }
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (const char* title : {"first", "second"}) {
        const pid_t child = ::fork();
        if (child == 0) {
            // 0: saved at once; 1: refused as a conflict, saved after loading
            // again; anything else is a fault.
            std::shared_ptr<PostgresConnection> store;
            std::shared_ptr<vb::Collection> limits;
            if (Open(database.Location(), store) || store->LoadPrintingLimits(limits, 2, 4)) {
                ::_exit(3);
            }
            char byte = 'r';
            if (::write(ready[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) != 1) {
                ::_exit(4);
            }
            auto limit = NewLimit(*store, 1, int32_t{10}, title);
            const Status first = limit->Save(*store);
            if (!first) {
                ::_exit(0);
            }
            if (!first->IsConflict() || store->LoadPrintingLimits(limits, 2, 4)) {
                ::_exit(5);
            }
            ::_exit(limit->Save(*store) ? 6 : 1);
        }
        children.push_back(child);
    }
    char byte = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    }
    ASSERT_EQ(::write(go[1], "gg", 2), 2);
    std::multiset<int> outcomes;
    for (const pid_t child : children) {
        int wstatus = 0;
        ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
        ASSERT_TRUE(WIFEXITED(wstatus));
        outcomes.insert(WEXITSTATUS(wstatus));
    }
    EXPECT_EQ(outcomes, (std::multiset<int>{0, 1}));
    EXPECT_EQ(ServerRows(database.Location(), "SELECT display_order FROM printing_limits "
                                              "WHERE parent_id = 4 ORDER BY 1"),
              "1\n2\n");
    EXPECT_EQ(ServerRows(database.Location(), "SELECT count(DISTINCT title) FROM printing_limits"),
              "2\n");
}

// Ends every connection of the store's database, as a restarted server or a
// broken network does.
void CutConnections(const ServerDatabase& database) {
    qm6::test::ServerCommand("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                             "WHERE datname = '" +
                             database.Name() + "' AND pid <> pg_backend_pid()");
}

// A server that cannot be reached or a connection lost answers Unreachable
// and writes nothing; the next call connects again.
TEST(ServerStore, AnUnreachableServerALostConnectionOrATextHoldingANulWritesNothing) {
    std::shared_ptr<PostgresConnection> store;
    Status status = Open("host=/nonexistent-qm6 user=qm6 dbname=none connect_timeout=2", store);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KindOf(*status), StatusKind::Unreachable);
    EXPECT_NE(status->Message().find("no connection to the database none"), std::string::npos)
        << status->Message();

    ServerDatabase database;
    ASSERT_EQ(Open(database.Location(), store, OpenOptions{true, 10000}), nullptr);
    std::shared_ptr<vb::Collection> rules;
    ASSERT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);

    // Lost between calls: the save answers the loss and writes nothing.
    CutConnections(database);
    auto rule = store->NewJobOptionRule();
    rule->DefineRule(JobOptionRule::DuplexRequired, 2, 1, "");
    status = rule->Save(*store, 0);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KindOf(*status), StatusKind::Unreachable);
    EXPECT_NE(status->Message().find("was lost"), std::string::npos) << status->Message();
    EXPECT_TRUE(rule->IsNew());
    EXPECT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
    EXPECT_EQ(rules->Count(), 0);

    // Lost inside a save, while it waits for another writer: the save is not
    // carried on over a new connection, so nothing of it is stored.
    PGconn* holder = PQconnectdb(database.Location().c_str());
    PQclear(PQexec(holder, "BEGIN; UPDATE store_state SET last_change = last_change"));
    std::thread cutter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        qm6::test::ServerCommand("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                 "datname = '" +
                                 database.Name() + "' AND wait_event_type = 'Lock'");
        PQclear(PQexec(holder, "ROLLBACK"));
    });
    status = rule->Save(*store, 0);
    cutter.join();
    PQfinish(holder);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KindOf(*status), StatusKind::Unreachable) << Describe(status);
    EXPECT_EQ(ServerRows(database.Location(), "SELECT count(*) FROM job_option_rules"), "0\n");

    EXPECT_EQ(rule->Save(*store, 0), nullptr);
    EXPECT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
    EXPECT_EQ(rules->Count(), 1);

    // libpq hands texts over up to their first NUL; a title holding one is
    // refused rather than stored cut short.
    auto limit = NewLimit(*store, 1, int32_t{10}, std::string("before\0after", 12));
    status = limit->Save(*store);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KindOf(*status), StatusKind::Refused) << Describe(status);
    EXPECT_TRUE(limit->IsNew());
    EXPECT_EQ(ServerRows(database.Location(), "SELECT count(*) FROM printing_limits"), "0\n");
}

int RunTool(std::vector<std::string> args, std::string& output) {
    std::ostringstream out, err;
    std::istringstream in;
    const int code = tool::Dispatch(args, tool::Console{out, err, in});
    output = out.str() + err.str();
    return code;
}

TEST(ServerStore, DataInitLaysOutAStoreWithTheSampleOnceAndRefusesAPasswordOnTheCommandLine) {
    ServerDatabase database;
    std::string output;
    ASSERT_EQ(RunTool({"data", "init", database.Location(), "--sample"}, output), 0) << output;
    EXPECT_NE(output.find("with the sample data"), std::string::npos) << output;
    EXPECT_EQ(RunTool({"data", "init", database.Location(), "--sample"}, output), 1);
    EXPECT_NE(output.find("only into a new one"), std::string::npos) << output;
    EXPECT_EQ(RunTool({"data", "init", database.Location()}, output), 0) << output;
    EXPECT_EQ(RunTool({"data", "init", database.Location() + " password=secret"}, output), 1);
    EXPECT_NE(output.find("~/.pgpass"), std::string::npos) << output;

    std::shared_ptr<PostgresConnection> store;
    ASSERT_EQ(Open(database.Location(), store), nullptr);
    std::shared_ptr<RecordSet> profiles;
    ASSERT_EQ(store->LoadPrinterProfiles(profiles), nullptr);
    EXPECT_EQ(profiles->RecordCount(), 4);
    // New rows are numbered after the ids the sample gives its own.
    auto action = store->NewRuleAction();
    action->SetDescription("new");
    action->SetActionType(2);
    ASSERT_EQ(action->Save(*store), nullptr);
    EXPECT_EQ(action->ActionId(), 5);
}

} // namespace
} // namespace qm6::data::test
