#pragma once

#include <cstdint>

namespace qm6::data {

// Levels at which rules are attached. Editors pass a rule priority through
// unchanged; the store keeps rules of each level apart.
enum RulePriority : int32_t {
    RulePriorityGlobal = 1,
    RulePriorityPrinterProfile = 2,
    RulePriorityUserGroup = 3,
    RulePriorityUser = 4,
};

} // namespace qm6::data
