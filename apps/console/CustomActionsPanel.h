#pragma once

// The custom actions panel: the store's custom actions on the left; for the
// chosen one its description and, for an action that asks for custom fields
// (type 8), the fields it asks for, in the custom field chooser's
// custom-action form. Save stores the ticked fields as the action's list,
// Revert reads the actions again. An action of another type shows every
// field, has no list to edit and cannot be saved here.
//
// Choosing another action first asks ControlDone (save, discard or stay). An
// action whose load failed says so and saves nothing until Revert loads it;
// one whose stored list is unreadable in part is shown with the fields the
// list does name, told, and can be saved as shown. After a save it tells the
// other panels that the action changed (its id).

#include "ConsolePanel.h"

#include "contract/RuleAction.h"

#include <memory>
#include <vector>

class QLabel;

namespace qm6 {
class ctlCustomFieldChooser;
}

namespace qm6::console {

class CustomActionsPanel : public ConsolePanel {
public:
    static constexpr const char* kName = "CustomActions";

    CustomActionsPanel();
    ~CustomActionsPanel() override;

    std::string Name() const override { return kName; }
    std::string Caption() const override;
    pictures::PicturePtr NavGraphicLarge() const override;
    pictures::PicturePtr NavGraphicSmall() const override;
    data::Status Save() override;
    void StandardAction(QMAdminActions pintAction) override;
    void Refresh() override;

    bool HandlesAction(QMAdminActions action) const override;
    bool HasChanges() const override { return changes_; }
    std::string Subject() const override;
    int ViewCount() const override;
    View ShowView(int index) override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    const data::RuleAction& Action(int row) const { return *actions_.at(static_cast<size_t>(row)); }
    bool ShowProfile(int row) override;
    // Reads the actions again, dropping the changes.
    void Revert() override;

    ctlCustomFieldChooser& Chooser() const { return *chooser_; }
    QLabel* NoteLabel() const { return note_; }

protected:
    void ReadData() override;

private:
    void LoadAction();
    // Whether the chosen action has a field list that was loaded, so that it
    // may be saved.
    bool Editable() const;
    void SetChanges(bool changes);

    std::vector<std::shared_ptr<data::RuleAction>> actions_;
    std::unique_ptr<ctlCustomFieldChooser> chooser_;
    bool loading_ = false;
    bool changes_ = false;

    QLabel* note_ = nullptr;
};

} // namespace qm6::console
