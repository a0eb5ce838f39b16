// Two connections on one store, as two consoles: a write made on a view that
// the other changed meanwhile answers a conflict and writes nothing, and after
// loading again the same write succeeds; custom actions are stored with
// exactly their parameters; a lock held elsewhere or a read-only file fails
// the write as a status with the database's code and message.

#include "StoreFixture.h"
#include "qm6data/StatusKind.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace qm6::data::test {
namespace {

std::shared_ptr<vb::Collection> Rules(Connection& store) {
    return test::Rules(store, 2, 4);
}

std::shared_ptr<JobOptionRule> AddRule(Connection& store, int32_t type) {
    auto rule = store.NewJobOptionRule();
    rule->DefineRule(type, 2, 4, "");
    EXPECT_EQ(rule->Save(store, 0), nullptr);
    return rule;
}

void ExpectConflict(const Status& status, const std::string& text) {
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KindOf(*status), StatusKind::Conflict);
    EXPECT_NE(status->Message().find(text), std::string::npos) << status->Message();
}

TEST_F(StoreTest, ARecordChangedOrDeletedSinceItWasLoadedIsNotWrittenEvenUnderARecycledId) {
    auto other = OpenAt(Location());
    AddRule(*store_, JobOptionRule::CustomFieldSelection);
    auto mono = AddRule(*store_, JobOptionRule::MonochromeRequired); // the largest id
    const auto stale = Rules(*other);
    // This console changes one rule and deletes the other; a new rule is
    // given the deleted one's id again. The other console then loads the set
    // again (so the set is current) but still holds its first records.
    auto fields = ItemAs<JobOptionRule>(*Rules(*store_), 2);
    fields->DefineRule(JobOptionRule::CustomFieldSelection, 2, 4, "7");
    ASSERT_EQ(fields->Save(*store_, 0), nullptr);
    ASSERT_EQ(mono->Delete(*store_), nullptr);
    auto color = AddRule(*store_, JobOptionRule::ColorRequired);
    // A file gives the largest id again after a delete; a server never does.
    if (!OnServer()) {
        ASSERT_EQ(color->RuleId(), ItemAs<JobOptionRule>(*stale, 1)->RuleId());
    }
    Rules(*other);

    ExpectConflict(ItemAs<JobOptionRule>(*stale, 1)->Delete(*other),
                   OnServer() ? "was deleted by another connection"
                              : "was changed by another connection");
    ExpectConflict(ItemAs<JobOptionRule>(*stale, 2)->Save(*other, 0),
                   "job option rule " + std::to_string(fields->RuleId()) +
                       " was changed by another connection");
    ASSERT_EQ(color->Delete(*store_), nullptr);
    Rules(*other);
    ExpectConflict(ItemAs<JobOptionRule>(*stale, 1)->Delete(*other),
                   "was deleted by another connection");
    const auto stored = Rules(*OpenAt(Location()));
    ASSERT_EQ(stored->Count(), 1);
    EXPECT_EQ(ItemAs<JobOptionRule>(*stored, 1)->ValueText(), "7");
}

TEST_F(StoreTest, APriceProfileSavedByAnotherConsoleIsNotOverwrittenPricesIncluded) {
    Run("INSERT INTO paper_sizes VALUES (1, 'A4', 2100, 2970, 1, 1000, 5000);"
        "INSERT INTO price_profiles (price_profile_id, pricing_option, job_type, bw_cost, "
        "color_cost) "
        "VALUES (1, 3, 1, 100, 200); INSERT INTO paper_size_prices VALUES (1, 1, 10, 20);");
    auto other = OpenAt(Location());
    std::shared_ptr<PriceProfile> mine, theirs;
    ASSERT_EQ(store_->LoadPriceProfile(mine, 1), nullptr);
    ASSERT_EQ(other->LoadPriceProfile(theirs, 1), nullptr);
    mine->SetBWCost(vb::Currency::FromScaled(111));
    ASSERT_EQ(mine->Save(*store_), nullptr);

    theirs->SetColorCost(vb::Currency::FromScaled(999));
    theirs->SetPaperSizePrices(std::make_shared<vb::Collection>());
    ExpectConflict(theirs->Save(*other), "price profile 1 was changed by another connection");
    std::shared_ptr<PriceProfile> stored;
    ASSERT_EQ(OpenAt(Location())->LoadPriceProfile(stored, 1), nullptr);
    EXPECT_EQ(stored->BWCost(), vb::Currency::FromScaled(111));
    EXPECT_EQ(stored->ColorCost(), vb::Currency::FromScaled(200));
    EXPECT_EQ(stored->PaperSizePrices()->Count(), 1);

    ASSERT_EQ(other->LoadPriceProfile(theirs, 1), nullptr);
    theirs->SetColorCost(vb::Currency::FromScaled(999));
    EXPECT_EQ(theirs->Save(*other), nullptr);
}

// Each action as "id type description [parameter]...".
std::vector<std::string> Actions(Connection& store) {
    std::shared_ptr<vb::Collection> actions;
    EXPECT_EQ(store.LoadRuleActions(actions), nullptr);
    std::vector<std::string> rows;
    for (int32_t i = 1; actions && i <= actions->Count(); ++i) {
        const auto action = ItemAs<RuleAction>(*actions, i);
        rows.push_back(std::to_string(action->ActionId()) + " " +
                       std::to_string(action->ActionType()) + " " + action->Description());
        for (int32_t p = 1; p <= action->ParameterCount(); ++p)
            rows.back() += " [" + action->Parameter(p) + "]";
    }
    return rows;
}

TEST_F(StoreTest, ACustomActionIsStoredWithExactlyItsParametersAndAStaleCopyIsRefused) {
    auto action = store_->NewRuleAction();
    action->SetDescription("Ask for a room");
    action->SetActionType(RuleAction::CustomFieldSelection);
    action->SetParameter(3, "third"); // the positions before it hold empty texts
    action->SetParameter(1, "7,9");
    ASSERT_EQ(action->Save(*store_), nullptr);
    EXPECT_EQ(Actions(*OpenAt(Location())),
              std::vector<std::string>{"1 8 Ask for a room [7,9] [] [third]"});

    std::shared_ptr<vb::Collection> stale;
    ASSERT_EQ(OpenAt(Location())->LoadRuleActions(stale), nullptr);
    RuleAction shorter(RuleAction::CustomFieldSelection, {"9"});
    shorter.SetDescription("Ask for a room");
    shorter.MarkStored(action->ActionId(), action->RowVersion());
    ASSERT_EQ(shorter.Save(*store_), nullptr);
    EXPECT_EQ(Actions(*OpenAt(Location())), std::vector<std::string>{"1 8 Ask for a room [9]"});

    auto other = OpenAt(Location());
    const Status refused = ItemAs<RuleAction>(*stale, 1)->Save(*other);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(KindOf(*refused), StatusKind::Conflict);
    EXPECT_EQ(Actions(*OpenAt(Location())), std::vector<std::string>{"1 8 Ask for a room [9]"});
}

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
