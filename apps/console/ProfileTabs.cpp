#include "ProfileTabs.h"

#include "JobOptionsTab.h"
#include "LimitsTab.h"

namespace qm6::console {

// The list of the printer profiles panel's pages. A new editor's page is one
// line here, in the place its tab is to have; everything else the panel does
// for it (loading with the profile, the change mark, validating and saving
// with the other pages, the failed-load state, rendering without a display)
// comes from ProfileTab. See ProfileTab.h for what the page's class does.
std::vector<std::unique_ptr<ProfileTab>> MakeProfileTabs() {
    std::vector<std::unique_ptr<ProfileTab>> tabs;
    tabs.push_back(std::make_unique<JobOptionsTab>());
    tabs.push_back(std::make_unique<LimitsTab>());
    return tabs;
}

} // namespace qm6::console
