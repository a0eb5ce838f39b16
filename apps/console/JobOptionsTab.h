#pragma once

// The job options of the chosen printer profile: the job options editor on
// the printer profiles panel.

#include "RuleEditorTab.h"
#include "editors/joboptions/ctlJobOptions.h"

namespace qm6::console {

class JobOptionsTab : public RuleEditorTab<ctlJobOptions> {
public:
    JobOptionsTab() : RuleEditorTab(kTxtJobOptionsTab, "job-options") {
        Editor().OnJobOptionChanged = [this] { Changed(); };
    }
};

} // namespace qm6::console
