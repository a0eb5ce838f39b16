#pragma once

// The job options of the chosen printer profile: the job options editor on
// the printer profiles panel.

#include "ProfileTab.h"

#include <memory>

namespace qm6 {
class ctlJobOptions;
}

namespace qm6::console {

class JobOptionsTab : public ProfileTab {
public:
    JobOptionsTab();
    ~JobOptionsTab() override;

    std::string Caption() const override;
    std::string Key() const override { return "job-options"; }
    void PlaceOn(QWidget* page) override;

    ctlJobOptions& Editor() const { return *editor_; }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override;
    bool ValidateEditor() override;
    data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) override;
    void EnableEditor(bool enabled) override;

private:
    std::unique_ptr<ctlJobOptions> editor_;
};

} // namespace qm6::console
