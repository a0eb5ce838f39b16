#include "PricingTab.h"

#include "ConsoleText.h"

#include "editors/pricing/ctlPricing.h"
#include "platform/forms/Screen.h"

#include <QLabel>
#include <QWidget>

namespace qm6::console {

namespace {

// The editor's margin on its page, and the room of the note below it, in twips.
constexpr int32_t kMargin = 120;
constexpr int32_t kNoteHeight = 480;

} // namespace

PricingTab::PricingTab() : editor_(std::make_unique<ctlPricing>()) {
    editor_->OnPricingChange = [this] { Changed(); };
}

// The editor's widget lives on the page; the editor goes first, while its
// widget still exists.
PricingTab::~PricingTab() = default;

std::string PricingTab::Caption() const {
    return Text(kTxtPricingTab);
}

void PricingTab::PlaceOn(QWidget* page) {
    editor_->PlaceOn(page, kMargin, kMargin, ctlPricing::kDesignWidth, ctlPricing::kDesignHeight);
    note_ = new QLabel(QText(kTxtNoPriceProfileToEdit), page);
    note_->setObjectName("noPriceProfile");
    note_->setWordWrap(true);
    note_->setGeometry(forms::Screen::ToPixelsX(kMargin),
                       forms::Screen::ToPixelsY(2 * kMargin + ctlPricing::kDesignHeight),
                       forms::Screen::ToPixelsX(ctlPricing::kDesignWidth),
                       forms::Screen::ToPixelsY(kNoteHeight));
    note_->hide();
    page->setFixedSize(forms::Screen::ToPixelsX(ctlPricing::kDesignWidth + 2 * kMargin),
                       forms::Screen::ToPixelsY(ctlPricing::kDesignHeight + 3 * kMargin + kNoteHeight));
}

data::Status PricingTab::LoadEditor(data::Connection& data, const PrinterProfile& profile) {
    // The panel's connection outlives its pages, and every load hands it
    // over again: the editor holds it without owning it.
    editor_->DataObject(std::shared_ptr<data::Connection>(std::shared_ptr<data::Connection>(), &data));
    std::shared_ptr<data::PriceProfile> loaded;
    data::Status status;
    if (profile.priceProfileId != 0)
        status = data.LoadPriceProfile(loaded, profile.priceProfileId);
    // After a failure nothing is shown: what would be is not what is stored.
    profile_ = status ? nullptr : std::move(loaded);
    editor_->PriceProfile(profile_);
    note_->setVisible(!status && !profile_);
    return status;
}

bool PricingTab::ValidateEditor() {
    return !profile_ || editor_->Validate(true);
}

data::Status PricingTab::SaveEditor(data::Connection& data, const PrinterProfile&) {
    return profile_ ? profile_->Save(data) : nullptr;
}

void PricingTab::EnableEditor(bool enabled) {
    editor_->Enabled(enabled && profile_);
}

} // namespace qm6::console
