#pragma once

// The printing limits of the chosen printer profile: the printing limits
// editor on the printer profiles panel.

#include "RuleEditorTab.h"
#include "editors/limits/ctlPrintingLimits.h"

namespace qm6::console {

class LimitsTab : public RuleEditorTab<ctlPrintingLimits> {
public:
    LimitsTab() : RuleEditorTab(kTxtLimitsTab, "limits") {
        Editor().OnLimitsChanged = [this] { Changed(); };
    }
};

} // namespace qm6::console
