// Failures of the store come back as statuses with the database's code and
// message, and the record stays new.

#include "StoreFixture.h"
#include "qm6data/StatusKind.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace qm6::data::test {
namespace {

TEST_F(FileStoreTest, AReadOnlyFileOrAWriteLockHeldElsewhereFailsTheWriteAndWritesNothing) {
    store_.reset();
    struct Case {
        const char* name;
        int code;
        StatusKind kind;
        std::string message;
    };
    for (const Case& c : {Case{"locked", SQLITE_BUSY, StatusKind::Locked, "database is locked"},
                          Case{"read-only", SQLITE_READONLY, StatusKind::ReadOnly,
                               "attempt to write a readonly database"}}) {
        SCOPED_TRACE(c.name);
        sqlite3* other = nullptr;
        if (c.code == SQLITE_BUSY) {
            ASSERT_EQ(sqlite3_open(File().c_str(), &other), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        } else {
            ASSERT_EQ(::chmod(File().c_str(), 0444), 0);
        }
        const std::string before = qm6::test::ReadFile(File());
        auto store = OpenAt(File(), OpenOptions{false, 50});
        ASSERT_NE(store, nullptr);
        EXPECT_EQ(store->IsReadOnly(), c.code == SQLITE_READONLY);
        auto rule = store->NewJobOptionRule();
        rule->DefineRule(2, 2, 1, "");
        const Status status = rule->Save(*store, 0);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->Code(), c.code);
        EXPECT_EQ(KindOf(*status), c.kind);
        EXPECT_EQ(status->Message(), c.message);
        EXPECT_TRUE(rule->IsNew());
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
        EXPECT_EQ(qm6::test::ReadFile(File()), before);
        if (other) {
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
            EXPECT_EQ(rule->Save(*store, 0), nullptr); // once the lock is gone
        }
    }
}

} // namespace
} // namespace qm6::data::test
