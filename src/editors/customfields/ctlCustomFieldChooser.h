#pragma once

// The custom field chooser: which custom fields a rule owner (normally a
// printer profile) asks for. It lists every custom field with a check box,
// a linked pair (a field with the field linked under it) as one row, and a
// box chkOverride that switches the restriction on. The choice is stored as
// one job option rule of option type 5 whose value is the comma-separated
// list of the included field ids; no rule means no restriction.
//
// Three ways to use it, one per load:
//  - rule editing: LoadData ... SaveData, the chooser reads and writes the
//    owner's rule itself;
//  - embedded: LoadDataForEmbedded, the host reads Override and
//    SelectedCustomFields and the chooser writes nothing;
//  - custom-action editing: LoadDataForCustomAction, the box is hidden and
//    the restriction always on; the host reads SelectedCustomFields and
//    stores it in its action.
//
// Every load ends with the grid enabled exactly when the restriction is on or
// the chooser is embedded.

#include "contract/Connection.h"
#include "contract/JobOptionRule.h"
#include "contract/RuleAction.h"
#include "editors/LoadState.h"
#include "platform/forms/UserControl.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm6::forms {
class CheckBox;
class Grid;
} // namespace qm6::forms

namespace qm6 {

class ctlCustomFieldChooser : public forms::UserControl {
public:
    // The size the chooser is designed for, in twips; it does not lay out
    // its children again when given another.
    static constexpr int32_t kDesignWidth = 6225;
    static constexpr int32_t kDesignHeight = 2310;
    // A loaded grid has at least this many rows (header included) once a
    // field exists; the rows after the fields are blank.
    static constexpr int kMinimumRows = 6;

    // The grid's columns: the field id and the id of its linked child
    // (hidden), the include box and the caption.
    enum Column : int { ColFieldId = 0, ColLinkChildId = 1, ColInclude = 2, ColCaption = 3 };

    ctlCustomFieldChooser();
    ~ctlCustomFieldChooser() override;

    // Enabling or disabling the chooser does the same to each of its
    // controls. Enabling then leaves the box usable only when a field exists
    // (clearing it otherwise) and the grid usable when the restriction is on
    // or the chooser is embedded.
    bool Enabled() const;
    void Enabled(bool pblnEnable);

    // True exactly when chkOverride is checked and enabled. A write that
    // changes the box includes (on) or excludes (off) every field and
    // raises CustomFieldsChanged.
    bool Override() const;
    void Override(bool pblnOverride);

    // The ids of the included fields, comma-separated, an included linked
    // pair contributing its parent's id and then its child's.
    std::string SelectedCustomFields() const;
    // Includes exactly the fields whose ids are listed (a linked pair by its
    // parent's id; ids no row has are ignored). Raises no event. Once a
    // field row exists, a piece that is not a number, an empty one included,
    // raises "Type mismatch" (13) and changes nothing; spaces around a
    // number are accepted.
    void SelectedCustomFields(const std::string& pstrCommaSeparatedList);

    // Rule editing: shows every field and the owner's rule. The box's
    // caption names the object type. A rule held from an earlier load is
    // dropped first, so a save never touches another owner's rule.
    //
    // A failure of the store is answered; the chooser then shows no rule and
    // saves nothing until a load succeeds. A stored list with a piece that
    // is no field id ("4,x") is shown with the ids it does name and answers
    // a status of the chooser's own (code 0); the load still counts as done,
    // so that saving stores the list as shown. Empty pieces ("4,,12",
    // "4,12,") name no field and are passed over.
    data::Status LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId, const std::string& pstrObjectTypeName);
    // Embedded use: every field included, the grid usable, no rule read.
    data::Status LoadDataForEmbedded(data::Connection& pinsData);
    // Custom-action editing: the box is hidden, the restriction on, and the
    // action's list (an action of type 8) included, or every field for an
    // action of another type. Stored lists are read as LoadData reads them.
    data::Status LoadDataForCustomAction(data::Connection& pinsData,
                                         const data::RuleAction& pinsAction);

    // Stores the choice as the owner's rule: with the restriction on,
    // creates the rule or updates the held one; with it off, deletes the
    // held rule. Decided by the box's own state, so a disabled chooser saves
    // what it shows. A rule is held only while it is stored: a rule whose
    // save failed is not kept, one whose delete failed is, so a retry
    // completes the change. A held rule of another owner is never written.
    // While the last load has failed it makes no data call and answers a
    // status of its own (code 0).
    data::Status SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId);
    // Every choice may be stored.
    bool Validate() const { return true; }

    // Raised when the user changes a field's box and whenever chkOverride
    // changes state.
    std::function<void()> OnCustomFieldsChanged;

    forms::CheckBox& chkOverride() const { return *chkOverride_; }
    forms::Grid& grdCustomFields() const { return *grdCustomFields_; }

    // The grid rows 1 to FieldRowCount hold fields.
    int32_t FieldRowCount() const { return fieldRowCount_; }
    // The stored rule of the loaded owner, or nullptr.
    const std::shared_ptr<data::JobOptionRule>& CustomFieldRule() const {
        return customFieldRule_;
    }
    bool ShowOverride() const { return showOverride_; }
    bool EmbeddedMode() const { return embeddedMode_; }
    // False while the last load has failed.
    bool CanSave() const { return loadState_.CanSave(); }

private:
    void SetCaptions();
    void RaiseCustomFieldsChanged();
    // What a click on chkOverride does, and a change of its value from code.
    void OverrideClicked();
    void ShowOverride(bool show);
    void ArrangeOverride();
    bool RestrictionOn() const;
    // The grid usable and coloured as the restriction says.
    void ShowRestriction();
    void ColorWholeGrid(bool usable);
    // Sets every field row's box to state.
    void CheckAllFields(int state);
    // Includes exactly the fields of the ids.
    void IncludeFields(const std::vector<int32_t>& ids);
    // Shows a stored list, passing over the pieces that name no field;
    // answers a status when one is not a number.
    data::Status ApplyStoredList(const std::string& list);

    data::Status LoadCustomFieldGrid(data::Connection& data);
    void FillGrid(data::RecordSet& records);
    data::Status LoadCustomFieldRule(data::Connection& data, data::Status& listStatus);
    // Ends a load: the grid usable as the restriction says, the store's
    // outcome noted; answers the store's failure, else the list's.
    data::Status Finish(const data::Status& storeStatus, const data::Status& listStatus);

    forms::CheckBox* chkOverride_ = nullptr;
    forms::Grid* grdCustomFields_ = nullptr;

    int32_t fieldRowCount_ = 0;
    std::shared_ptr<data::JobOptionRule> customFieldRule_;
    int32_t rulePriority_ = 0;
    int32_t parentId_ = 0;
    bool showOverride_ = true;
    bool embeddedMode_ = false;
    LoadState loadState_;
};

} // namespace qm6
