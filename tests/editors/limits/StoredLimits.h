#pragma once

// What the store holds for an owner's printing limits, read through the
// connection given (a fresh one, so that nothing an editor holds is involved).

#include "contract/Connection.h"
#include "contract/RulePriority.h"
#include "platform/vb/Conversions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm6::test {

// Each limit as "type value title text stop" (the first four characters of
// the text, stop 0 or 1), then "rule" when the ignore-all rule is stored.
inline std::vector<std::string> StoredLimits(data::Connection& store, int32_t owner) {
    std::shared_ptr<vb::Collection> limits, rules;
    const int32_t priority = data::RulePriorityPrinterProfile;
    EXPECT_EQ(store.LoadPrintingLimits(limits, priority, owner), nullptr);
    EXPECT_EQ(store.LoadJobOptionRules(rules, priority, owner), nullptr);
    std::vector<std::string> out;
    for (int32_t i = 1; i <= limits->Count(); ++i) {
        auto l = std::dynamic_pointer_cast<data::PrintingLimit>(limits->Item(i).AsObject());
        out.push_back(std::to_string(l->LimitType()) + " " + vb::CStr(l->LimitValue()) + " " +
                      l->Title() + " " + l->MessageText().substr(0, 4) + " " +
                      std::to_string(l->StopJob()));
    }
    for (int32_t i = 1; i <= rules->Count(); ++i)
        if (std::dynamic_pointer_cast<data::JobOptionRule>(rules->Item(i).AsObject())
                ->IsOption(data::JobOptionRule::IgnoreAllLimits, priority, owner))
            out.push_back("rule");
    return out;
}

} // namespace qm6::test
