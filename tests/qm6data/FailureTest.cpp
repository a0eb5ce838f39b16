// Failures of the store come back as statuses with the database's code and
// message; the recording decorator injects failures without reaching the store.

#include "StoreFixture.h"

#include "qm6data/StatusKind.h"
#include "qm6data/testing/RecordingConnection.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace qm6::data::test {
namespace {

using testing::RecordingConnection;

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

TEST_F(StoreTest, DecoratorFailsTheChosenCallWithoutReachingTheStore) {
    auto recording = std::make_shared<RecordingConnection>(store_);
    recording->FailCall("SavePrintingLimit", 5, "database is locked", 2);
    std::vector<Status> statuses;
    for (int i = 0; i < 3; ++i) {
        auto limit = recording->NewPrintingLimit();
        limit->SetLimitType(1);
        limit->SetTitle("t" + std::to_string(i));
        limit->SetMessageText("m");
        statuses.push_back(limit->Save(*recording));
        EXPECT_EQ(limit->IsNew(), i == 1);
    }
    EXPECT_EQ(statuses[0], nullptr);
    ASSERT_NE(statuses[1], nullptr);
    EXPECT_EQ(statuses[1]->Code(), 5);
    EXPECT_EQ(statuses[1]->Message(), "database is locked");
    EXPECT_EQ(statuses[2], nullptr);
    EXPECT_EQ(recording->CallCount("SavePrintingLimit"), 3);

    std::shared_ptr<vb::Collection> limits;
    ASSERT_EQ(store_->LoadPrintingLimits(limits, 0, 0), nullptr);
    EXPECT_EQ(limits->Count(), 2);

    recording->FailCall("LoadPrintingLimits", 8, "read-only");
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(recording->LoadPrintingLimits(limits, 0, 0), nullptr);
    }
    EXPECT_EQ(limits->Count(), 2); // untouched by the failed loads
    recording->ClearFailures();
    EXPECT_EQ(recording->LoadPrintingLimits(limits, 0, 0), nullptr);

    // A failure wins over served records, for the chosen call only.
    recording->ServeRecordSet("LoadCustomFields", {"FieldId"}, {{vb::Variant(int32_t{4})}});
    recording->FailCall("LoadCustomFields", 3021, "lost", 2);
    std::vector<std::string> outcomes;
    for (int call = 0; call < 3; ++call) {
        std::shared_ptr<RecordSet> fields;
        const Status status = recording->LoadCustomFields(fields);
        outcomes.push_back(status ? status->Message() : std::to_string(fields->RecordCount()));
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{"1", "lost", "1"}));
}

} // namespace
} // namespace qm6::data::test
