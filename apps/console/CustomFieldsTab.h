#pragma once

// The custom fields the chosen printer profile asks for: the custom field
// chooser on the printer profiles panel, which stores the profile's one
// custom field rule.
//
// A stored field list with a piece that names no field is shown with the
// fields it does name and told to the user; the page stays usable, so that
// saving stores the list as shown.

#include "ProfileTab.h"

#include <memory>

namespace qm6 {
class ctlCustomFieldChooser;
}

namespace qm6::console {

class CustomFieldsTab : public ProfileTab {
public:
    CustomFieldsTab();
    ~CustomFieldsTab() override;

    std::string Caption() const override;
    std::string Key() const override { return "custom-fields"; }
    void PlaceOn(QWidget* page) override;

    ctlCustomFieldChooser& Editor() const { return *editor_; }

protected:
    data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) override;
    bool ValidateEditor() override;
    data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) override;
    void EnableEditor(bool enabled) override;

private:
    std::unique_ptr<ctlCustomFieldChooser> editor_;
};

} // namespace qm6::console
