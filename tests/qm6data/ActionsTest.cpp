// Custom actions: stored with exactly their parameters, and a copy that
// another connection changed meanwhile is not written.

#include "StoreFixture.h"
#include "qm6data/StatusKind.h"

namespace qm6::data::test {
namespace {

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

} // namespace
} // namespace qm6::data::test
