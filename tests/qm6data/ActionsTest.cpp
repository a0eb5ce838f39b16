// Custom actions: the sample's actions with their parameters, a round trip
// that replaces the whole parameter set, and a write on an out-of-date view.

#include "StoreFixture.h"

#include "platform/vb/VbError.h"
#include "qm6data/StatusKind.h"

#include <filesystem>

namespace qm6::data::test {
namespace {

std::vector<std::string> Actions(Connection& store) {
    std::shared_ptr<vb::Collection> actions;
    const Status status = store.LoadRuleActions(actions);
    EXPECT_EQ(status, nullptr) << Describe(status);
    std::vector<std::string> rows;
    for (int32_t i = 1; actions && i <= actions->Count(); ++i) {
        const auto action = ItemAs<RuleAction>(*actions, i);
        std::string row = std::to_string(action->ActionId()) + " " +
                          std::to_string(action->ActionType()) + " " + action->Description();
        for (int32_t p = 1; p <= action->ParameterCount(); ++p)
            row += " [" + action->Parameter(p) + "]";
        rows.push_back(row);
    }
    return rows;
}

std::shared_ptr<RuleAction> Action(Connection& store, int32_t index) {
    std::shared_ptr<vb::Collection> actions;
    EXPECT_EQ(store.LoadRuleActions(actions), nullptr);
    return ItemAs<RuleAction>(*actions, index);
}

TEST(SampleStore, HoldsCustomActionsWithTheirFieldLists) {
    qm6::test::TempDir dir;
    std::filesystem::copy_file(QM6_SAMPLE_DATABASE, dir.Path() / "s.qm6db");
    std::shared_ptr<SqliteConnection> store;
    ASSERT_EQ(SqliteConnection::Open(dir.Path() / "s.qm6db", store), nullptr);
    const auto actions = Actions(*store);
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[1], "2 8 Ask for department and cost centre [2,5]");
    EXPECT_EQ(actions[3].substr(0, 4), "4 2 ");
}

TEST_F(StoreTest, ACustomActionIsStoredWithExactlyItsParametersAndAStaleCopyIsRefused) {
    auto action = store_->NewRuleAction();
    action->SetDescription("Ask for a room");
    action->SetActionType(RuleAction::CustomFieldSelection);
    action->SetParameter(3, "third"); // positions before it become empty texts
    action->SetParameter(1, "7,9");
    ASSERT_EQ(action->Save(*store_), nullptr);
    ASSERT_FALSE(action->IsNew());
    EXPECT_EQ(Actions(*OpenAt(File())),
              std::vector<std::string>{"1 8 Ask for a room [7,9] [] [third]"});

    auto other = OpenAt(File());
    const auto stale = Action(*other, 1);
    const auto mine = Action(*store_, 1);
    RuleAction shorter(mine->ActionType(), {"9"});
    shorter.SetDescription(mine->Description());
    shorter.MarkStored(mine->ActionId(), mine->RowVersion());
    ASSERT_EQ(shorter.Save(*store_), nullptr);
    EXPECT_EQ(Actions(*OpenAt(File())), std::vector<std::string>{"1 8 Ask for a room [9]"});

    stale->SetParameter(1, "7");
    const Status refused = stale->Save(*other);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(KindOf(*refused), StatusKind::Conflict);
    EXPECT_EQ(Actions(*OpenAt(File())), std::vector<std::string>{"1 8 Ask for a room [9]"});
    EXPECT_THROW(shorter.SetParameter(0, "x"), vb::VbError);
}

} // namespace
} // namespace qm6::data::test
