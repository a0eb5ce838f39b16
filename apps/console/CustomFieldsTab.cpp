#include "CustomFieldsTab.h"

#include "ConsoleText.h"
#include "EditorPlacement.h"

#include "contract/RulePriority.h"
#include "editors/customfields/ctlCustomFieldChooser.h"

namespace qm6::console {

CustomFieldsTab::CustomFieldsTab() : editor_(std::make_unique<ctlCustomFieldChooser>()) {
    editor_->OnCustomFieldsChanged = [this] { Changed(); };
}

// The editor's widget lives on the page; the editor goes first, while its
// widget still exists.
CustomFieldsTab::~CustomFieldsTab() = default;

std::string CustomFieldsTab::Caption() const {
    return Text(kTxtCustomFieldsTab);
}

void CustomFieldsTab::PlaceOn(QWidget* page) {
    PlaceEditor(*editor_, page, ctlCustomFieldChooser::kDesignWidth, ctlCustomFieldChooser::kDesignHeight);
}

data::Status CustomFieldsTab::LoadEditor(data::Connection& data, const PrinterProfile& profile) {
    data::Status status =
        editor_->LoadData(data, data::RulePriorityPrinterProfile, profile.id, Text(kTxtPrinterProfileType));
    if (status && editor_->CanSave()) {
        // The rule was read, with a list in part unreadable: told, and the
        // page stays usable so that the list can be stored as shown.
        status->Show();
        return nullptr;
    }
    return status;
}

bool CustomFieldsTab::ValidateEditor() {
    return editor_->Validate();
}

data::Status CustomFieldsTab::SaveEditor(data::Connection& data, const PrinterProfile& profile) {
    return editor_->SaveData(data, data::RulePriorityPrinterProfile, profile.id);
}

void CustomFieldsTab::EnableEditor(bool enabled) {
    editor_->Enabled(enabled);
}

} // namespace qm6::console
