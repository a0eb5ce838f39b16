#pragma once

#include "contract/Connection.h"

#include <memory>

namespace qm6::data {

// Reads the rules of an owner. One per thread, made on first use and shared
// by every editor and dialog on that thread.
class RuleService {
public:
    static std::shared_ptr<RuleService> Get();

    Status LoadJobOptionRules(Connection& data, std::shared_ptr<vb::Collection>& rules,
                              int32_t rulePriority, int32_t parentId) {
        return data.LoadJobOptionRules(rules, rulePriority, parentId);
    }
    Status LoadPrintingLimits(Connection& data, std::shared_ptr<vb::Collection>& limits,
                              int32_t rulePriority, int32_t parentId) {
        return data.LoadPrintingLimits(limits, rulePriority, parentId);
    }
    Status LoadRuleActions(Connection& data, std::shared_ptr<vb::Collection>& actions) {
        return data.LoadRuleActions(actions);
    }
    Status LoadPriceProfile(Connection& data, std::shared_ptr<PriceProfile>& profile,
                            int32_t priceProfileId) {
        return data.LoadPriceProfile(profile, priceProfileId);
    }
};

} // namespace qm6::data
