// Failures of the store come back as statuses with the database's code and
// message.

#include "StoreFixture.h"
#include "qm6data/StatusKind.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace qm6::data::test {
namespace {

TEST_F(FileStoreTest, AFileWithoutWriteBitsFailsEveryWriteAsReadOnly) {
    store_.reset();
    ASSERT_EQ(::chmod(File().c_str(), 0444), 0);
    const std::string before = qm6::test::ReadFile(File());
    auto store = OpenAt(File());
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->IsReadOnly());

    auto rule = store->NewJobOptionRule();
    rule->DefineRule(2, 2, 1, "");
    const Status status = rule->Save(*store, 0);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), SQLITE_READONLY);
    EXPECT_EQ(KindOf(*status), StatusKind::ReadOnly);
    EXPECT_EQ(status->Message(), "attempt to write a readonly database");
    EXPECT_TRUE(rule->IsNew());

    std::shared_ptr<vb::Collection> rules;
    EXPECT_EQ(store->LoadJobOptionRules(rules, 2, 1), nullptr);
    EXPECT_EQ(qm6::test::ReadFile(File()), before);
}

TEST_F(FileStoreTest, AWriteLockHeldElsewhereFailsAsBusy) {
    auto store = OpenAt(File(), OpenOptions{false, 50});
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(File().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto limit = store->NewPrintingLimit();
    limit->SetLimitType(1);
    limit->SetTitle("t");
    limit->SetMessageText("m");
    const Status status = limit->Save(*store);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), SQLITE_BUSY);
    EXPECT_EQ(KindOf(*status), StatusKind::Locked);
    EXPECT_EQ(status->Message(), "database is locked");
    EXPECT_TRUE(limit->IsNew());

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(limit->Save(*store), nullptr);
}

} // namespace
} // namespace qm6::data::test
