#pragma once

#include "contract/DataStatus.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm6::data {

class Connection;

// One action of a rule: what the rule does and its text parameters. The
// action of a job option rule is made from the rule itself; a custom action
// is a stored record of its own, with a description, that an administrator
// defines once and rules refer to.
class RuleAction : public vb::Object {
public:
    // The action of a custom field selection; parameter 1 is the
    // comma-separated list of field ids.
    static constexpr int32_t CustomFieldSelection = 8;

    RuleAction() = default;
    RuleAction(int32_t actionType, std::vector<std::string> parameters)
        : actionType_(actionType), parameters_(std::move(parameters)) {}

    int32_t ActionType() const { return actionType_; }
    void SetActionType(int32_t actionType) { actionType_ = actionType; }
    // Parameters count from 1; a position that holds none answers an empty text.
    std::string Parameter(int32_t index) const {
        if (index < 1 || static_cast<size_t>(index) > parameters_.size()) {
            return {};
        }
        return parameters_[static_cast<size_t>(index) - 1];
    }
    // Sets parameter index (from 1), giving the positions before it empty
    // texts when the action has fewer; an index below 1 is refused with
    // "Subscript out of range" (9).
    void SetParameter(int32_t index, std::string text);
    int32_t ParameterCount() const { return static_cast<int32_t>(parameters_.size()); }

    // A custom action's name, as lists show it.
    const std::string& Description() const { return description_; }
    void SetDescription(std::string text) { description_ = std::move(text); }

    // Stores a custom action with its parameters (inserts it when new,
    // updates it otherwise). An action another connection changed or deleted
    // after this one was loaded is not overwritten: the save answers a
    // conflict.
    Status Save(Connection& data);

    // The stored id; 0 while the action is new (and for a rule's own action).
    int32_t ActionId() const { return actionId_; }
    bool IsNew() const { return actionId_ == 0; }
    // The stored version the action was loaded or last saved with.
    int64_t RowVersion() const { return rowVersion_; }

    // For the store.
    void MarkStored(int32_t actionId, int64_t rowVersion = 1) {
        actionId_ = actionId;
        rowVersion_ = rowVersion;
    }

private:
    int32_t actionId_ = 0;
    int64_t rowVersion_ = 0;
    int32_t actionType_ = 0;
    std::string description_;
    std::vector<std::string> parameters_;
};

} // namespace qm6::data
