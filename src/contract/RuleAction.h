#pragma once

#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm6::data {

// One action of a rule: what the rule does and its text parameters.
class RuleAction : public vb::Object {
public:
    // The action of a custom field selection; parameter 1 is the
    // comma-separated list of field ids.
    static constexpr int32_t CustomFieldSelection = 8;

    RuleAction() = default;
    RuleAction(int32_t actionType, std::vector<std::string> parameters)
        : actionType_(actionType), parameters_(std::move(parameters)) {}

    int32_t ActionType() const { return actionType_; }
    // Parameters count from 1; a position that holds none answers an empty text.
    std::string Parameter(int32_t index) const {
        if (index < 1 || static_cast<size_t>(index) > parameters_.size()) {
            return {};
        }
        return parameters_[static_cast<size_t>(index) - 1];
    }
    int32_t ParameterCount() const { return static_cast<int32_t>(parameters_.size()); }

private:
    int32_t actionType_ = 0;
    std::vector<std::string> parameters_;
};

} // namespace qm6::data
