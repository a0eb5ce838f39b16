#pragma once

// The custom fields the chosen printer profile asks for: the custom field
// chooser on the printer profiles panel, which stores the profile's one
// custom field rule.
//
// A stored field list with a piece that names no field is shown with the
// fields it does name and told to the user; the page stays usable, so that
// saving stores the list as shown.

#include "RuleEditorTab.h"
#include "editors/customfields/ctlCustomFieldChooser.h"

namespace qm6::console {

class CustomFieldsTab : public RuleEditorTab<ctlCustomFieldChooser> {
public:
    CustomFieldsTab() : RuleEditorTab(kTxtCustomFieldsTab, "custom-fields") {
        Editor().OnCustomFieldsChanged = [this] { Changed(); };
    }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override {
        data::Status status = RuleEditorTab::LoadEditor(data, profile);
        if (status && Editor().CanSave()) {
            // The rule was read, with a list in part unreadable: told, and
            // the page stays usable so that the list can be stored as shown.
            status->Show();
            return nullptr;
        }
        return status;
    }
};

} // namespace qm6::console
