#include "LimitsTab.h"

#include "ConsoleText.h"
#include "contract/RulePriority.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "platform/forms/Screen.h"

#include <QWidget>

namespace qm6::console {

namespace {

// The editor's margin on its page, in twips.
constexpr int32_t kMargin = 120;

} // namespace

LimitsTab::LimitsTab() : editor_(std::make_unique<ctlPrintingLimits>()) {
    editor_->OnLimitsChanged = [this] { Changed(); };
}

// The editor goes first, while its widget on the page still exists.
LimitsTab::~LimitsTab() = default;

std::string LimitsTab::Caption() const {
    return Text(kTxtLimitsTab);
}

void LimitsTab::PlaceOn(QWidget* page) {
    editor_->PlaceOn(page, kMargin, kMargin, ctlPrintingLimits::kDesignWidth,
                     ctlPrintingLimits::kDesignHeight);
    page->setFixedSize(forms::Screen::ToPixelsX(ctlPrintingLimits::kDesignWidth + 2 * kMargin),
                       forms::Screen::ToPixelsY(ctlPrintingLimits::kDesignHeight + 2 * kMargin));
}

data::Status LimitsTab::LoadEditor(data::Connection& data, const PrinterProfile& profile) {
    return editor_->LoadData(data, data::RulePriorityPrinterProfile, profile.id,
                             Text(kTxtPrinterProfileType));
}

bool LimitsTab::ValidateEditor() {
    return editor_->Validate();
}

data::Status LimitsTab::SaveEditor(data::Connection& data, const PrinterProfile& profile) {
    return editor_->SaveData(data, data::RulePriorityPrinterProfile, profile.id);
}

void LimitsTab::EnableEditor(bool enabled) {
    editor_->Enabled(enabled);
}

} // namespace qm6::console
