#include "contract/RuleAction.h"

#include "contract/Connection.h"
#include "platform/vb/VbError.h"

namespace qm6::data {

void RuleAction::SetParameter(int32_t index, std::string text) {
    if (index < 1) {
        throw vb::VbError(vb::ErrorNumber::SubscriptOutOfRange);
    }
    if (static_cast<size_t>(index) > parameters_.size()) {
        parameters_.resize(static_cast<size_t>(index));
    }
    parameters_[static_cast<size_t>(index) - 1] = std::move(text);
}

Status RuleAction::Save(Connection& data) {
    return data.SaveRuleAction(*this);
}

} // namespace qm6::data
