#pragma once

#include "ProfileTab.h"

#include <memory>
#include <vector>

namespace qm6::console {

// The pages of the printer profiles panel, in the order of their tabs.
std::vector<std::unique_ptr<ProfileTab>> MakeProfileTabs();

} // namespace qm6::console
