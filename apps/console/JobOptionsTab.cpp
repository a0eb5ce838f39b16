#include "JobOptionsTab.h"

#include "ConsoleText.h"
#include "EditorPlacement.h"

#include "contract/RulePriority.h"
#include "editors/joboptions/ctlJobOptions.h"

namespace qm6::console {

JobOptionsTab::JobOptionsTab() : editor_(std::make_unique<ctlJobOptions>()) {
    editor_->OnJobOptionChanged = [this] { Changed(); };
}

// The editor's widget lives on the page; the editor goes first, while its
// widget still exists.
JobOptionsTab::~JobOptionsTab() = default;

std::string JobOptionsTab::Caption() const {
    return Text(kTxtJobOptionsTab);
}

void JobOptionsTab::PlaceOn(QWidget* page) {
    PlaceEditor(*editor_, page, ctlJobOptions::kDesignWidth, ctlJobOptions::kDesignHeight);
}

data::Status JobOptionsTab::LoadEditor(data::Connection& data, const PrinterProfile& profile) {
    return editor_->LoadData(data, data::RulePriorityPrinterProfile, profile.id, Text(kTxtPrinterProfileType));
}

bool JobOptionsTab::ValidateEditor() {
    return editor_->Validate();
}

data::Status JobOptionsTab::SaveEditor(data::Connection& data, const PrinterProfile& profile) {
    return editor_->SaveData(data, data::RulePriorityPrinterProfile, profile.id);
}

void JobOptionsTab::EnableEditor(bool enabled) {
    editor_->Enabled(enabled);
}

} // namespace qm6::console
