#pragma once

// The pricing of the chosen printer profile: the pricing editor on the
// printer profiles panel, editing the price profile the printer profile uses.
// Save validates the editor, which stores its values into the price profile,
// and then saves the price profile.
//
// A printer profile without a price profile has nothing to price: the page
// says so, its editor shows no values and stays disabled, and saving it
// writes nothing. Price profiles are made on the price profiles panel; which
// one a printer profile uses is kept with the printer profile, not here.

#include "ProfileTab.h"
#include "contract/PriceProfile.h"

#include <memory>

class QLabel;

namespace qm6 {
class ctlPricing;
}

namespace qm6::console {

class PricingTab : public ProfileTab {
public:
    PricingTab();
    ~PricingTab() override;

    std::string Caption() const override;
    std::string Key() const override { return "pricing"; }
    void PlaceOn(QWidget* page) override;

    ctlPricing& Editor() const { return *editor_; }
    // The price profile shown, nullptr for none.
    const std::shared_ptr<data::PriceProfile>& Profile() const { return profile_; }
    // The line that tells of a printer profile without a price profile.
    QLabel* NoPriceProfileNote() const { return note_; }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override;
    bool ValidateEditor() override;
    data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) override;
    void EnableEditor(bool enabled) override;

private:
    std::unique_ptr<ctlPricing> editor_;
    std::shared_ptr<data::PriceProfile> profile_;
    QLabel* note_ = nullptr;
};

} // namespace qm6::console
