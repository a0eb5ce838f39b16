#include "JobOptionsTab.h"

#include "ConsoleText.h"

#include "contract/RulePriority.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/Screen.h"

#include <QWidget>

namespace qm6::console {

namespace {

// The editor's margin on its page, in twips.
constexpr int32_t kMargin = 120;

} // namespace

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
    editor_->PlaceOn(page, kMargin, kMargin, ctlJobOptions::kDesignWidth, ctlJobOptions::kDesignHeight);
    page->setFixedSize(forms::Screen::ToPixelsX(ctlJobOptions::kDesignWidth + 2 * kMargin),
                       forms::Screen::ToPixelsY(ctlJobOptions::kDesignHeight + 2 * kMargin));
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
