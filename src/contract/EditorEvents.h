#pragma once

// The change events of the editor controls. Each editor has one outgoing
// event, raised with no arguments on every change of what it shows; a host
// listens by setting the editor's handler member, named On<event>:
//
//   ctlJobOptions          OnJobOptionChanged    JobOptionChanged
//   ctlCustomFieldChooser  OnCustomFieldsChanged CustomFieldsChanged
//   ctlPricing             OnPricingChange       PricingChange
//   ctlPrintingLimits      OnLimitsChanged       LimitsChanged

#include <functional>

namespace qm6 {

// An editor's change event; an empty handler is not called.
using ChangeEvent = std::function<void()>;

inline void RaiseEvent(const ChangeEvent& event) {
    if (event)
        event();
}

} // namespace qm6
