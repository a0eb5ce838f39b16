#include "contract/JobOptionRule.h"

#include "contract/Connection.h"
#include "contract/RuleAction.h"

namespace qm6::data {

bool JobOptionRule::IsOption(int32_t optionType, int32_t rulePriority, int32_t parentId) const {
    return optionType_ == optionType && rulePriority_ == rulePriority && parentId_ == parentId;
}

void JobOptionRule::DefineRule(int32_t optionType, int32_t rulePriority, int32_t parentId,
                               std::string valueText) {
    optionType_ = optionType;
    rulePriority_ = rulePriority;
    parentId_ = parentId;
    valueText_ = std::move(valueText);
}

Status JobOptionRule::Save(Connection& data, int32_t flags) {
    return data.SaveJobOptionRule(*this, flags);
}

Status JobOptionRule::Delete(Connection& data) {
    return data.DeleteJobOptionRule(*this);
}

std::shared_ptr<vb::Collection> JobOptionRule::Actions() const {
    auto actions = std::make_shared<vb::Collection>();
    if (optionType_ == CustomFieldSelection) {
        actions->Add(vb::Variant(std::static_pointer_cast<vb::Object>(std::make_shared<RuleAction>(
            RuleAction::CustomFieldSelection, std::vector<std::string>{valueText_}))));
    }
    return actions;
}

} // namespace qm6::data
