// Custom actions with their parameters: an action and its parameters are one
// record to the callers, loaded as of one moment and written in one
// transaction.

#include "qm6data/RecordVersions.h"
#include "qm6data/StoreConnection.h"

#include <sqlite3.h>

#include <map>

namespace qm6::data {

using namespace engine;

Status StoreConnection::LoadRuleActions(std::shared_ptr<vb::Collection>& actions) {
    return Guarded([&] {
        Transaction read(db_, Transaction::Read);
        std::map<int64_t, std::shared_ptr<RuleAction>> byId;
        vb::Collection loaded;
        Statement select(db_, "SELECT action_id, description, action_type, row_version "
                              "FROM rule_actions ORDER BY action_id");
        while (select.Step()) {
            auto action = NewRuleAction();
            action->SetDescription(select.Text(1));
            action->SetActionType(static_cast<int32_t>(select.Int(2)));
            action->MarkStored(ToId(select.Int(0)), select.Int(3));
            byId.emplace(select.Int(0), action);
            loaded.Add(AsItem(std::move(action)));
        }
        Statement parameters(db_, "SELECT action_id, position, value FROM rule_action_parameters "
                                  "ORDER BY action_id, position");
        while (parameters.Step()) {
            const int64_t position = parameters.Int(1);
            if (position > 0xFFFF) {
                throw Failure(SQLITE_RANGE, "parameter " + std::to_string(position) +
                                                " of custom action " +
                                                std::to_string(parameters.Int(0)) +
                                                " lies beyond the positions an action has");
            }
            byId.at(parameters.Int(0))
                ->SetParameter(static_cast<int32_t>(position), parameters.Text(2));
        }
        read.Commit();
        Refill(actions, std::move(loaded));
    });
}

// The action's row and its whole set of parameters are written together: the
// parameters stored afterwards are exactly the action's.
Status StoreConnection::SaveRuleAction(RuleAction& action) {
    return Guarded([&] {
        Write write(db_, *seen_);
        int32_t id = action.ActionId();
        if (action.IsNew()) {
            Statement insert(db_, "INSERT INTO rule_actions (description, action_type, "
                                  "row_version) VALUES (?, ?, ?) RETURNING action_id");
            insert.Bind(1, action.Description())
                .Bind(2, action.ActionType())
                .Bind(3, write.Change());
            id = ToId(Returned(insert));
        } else {
            CheckRowVersion(db_, "rule_actions", "action_id", id, action.RowVersion(),
                            "custom action " + std::to_string(id));
            Statement update(db_, "UPDATE rule_actions SET description = ?, action_type = ?, "
                                  "row_version = ? WHERE action_id = ?");
            update.Bind(1, action.Description())
                .Bind(2, action.ActionType())
                .Bind(3, write.Change())
                .Bind(4, id);
            update.Run();
            Statement clear(db_, "DELETE FROM rule_action_parameters WHERE action_id = ?");
            clear.Bind(1, id);
            clear.Run();
        }
        for (int32_t position = 1; position <= action.ParameterCount(); ++position) {
            Statement insert(db_, "INSERT INTO rule_action_parameters (action_id, position, "
                                  "value) VALUES (?, ?, ?)");
            insert.Bind(1, id).Bind(2, position).Bind(3, action.Parameter(position));
            insert.Run();
        }
        write.Commit();
        action.MarkStored(id, write.Change());
    });
}

std::shared_ptr<RuleAction> StoreConnection::NewRuleAction() {
    return std::make_shared<RuleAction>();
}

} // namespace qm6::data
