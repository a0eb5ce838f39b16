#pragma once

// The printing limits of the chosen printer profile: the printing limits
// editor on the printer profiles panel.

#include "ProfileTab.h"

#include <memory>

namespace qm6 {
class ctlPrintingLimits;
}

namespace qm6::console {

class LimitsTab : public ProfileTab {
public:
    LimitsTab();
    ~LimitsTab() override;

    std::string Caption() const override;
    std::string Key() const override { return "limits"; }
    void PlaceOn(QWidget* page) override;

    ctlPrintingLimits& Editor() const { return *editor_; }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override;
    // Asks before ignoring all limits deletes the profile's limits.
    bool ValidateEditor() override;
    data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) override;
    void EnableEditor(bool enabled) override;

private:
    std::unique_ptr<ctlPrintingLimits> editor_;
};

} // namespace qm6::console
