#pragma once

// The job options editor: the colour requirement, double-sided printing and
// n-up printing that a rule owner imposes on print jobs. Each option that is
// on is one JobOptionRule in the store, so saving only creates the rules of
// options switched on and deletes those of options switched off.
//
// A host creates it, calls LoadData, listens to JobOptionChanged while the
// user edits, calls Validate and then SaveData.

#include "contract/Connection.h"
#include "contract/EditorEvents.h"
#include "contract/JobOptionRule.h"
#include "editors/LoadState.h"
#include "platform/forms/UserControl.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qm6::forms {
class CheckBox;
class ComboBox;
class Label;
} // namespace qm6::forms

namespace qm6 {

class ctlJobOptions : public forms::UserControl {
public:
    // The size the editor is designed for, in twips; it does not lay out its
    // children again when given another.
    static constexpr int32_t kDesignWidth = 5580;
    static constexpr int32_t kDesignHeight = 1080;

    // Item data of the colour list entries. Item data 1 stands for a rule of
    // option type 1 and item data 2 for one of option type 0.
    enum ColorChoice : int32_t { NoColorRequirement = 0, FirstColorChoice = 1, SecondColorChoice = 2 };

    ctlJobOptions();
    ~ctlJobOptions() override;

    // Enabling or disabling the editor does the same to each of its
    // controls; a control that refuses is skipped.
    bool Enabled() const;
    void Enabled(bool enabled);

    // Reads the owner's rules and shows them. A parent id below 1 reads
    // nothing and leaves the controls as they are. The object type name is
    // not used. After a failed read the editor shows no rule and answers the
    // status; it then saves nothing until a load succeeds.
    data::Status LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId, const std::string& pstrObjectTypeName);
    // Stores what the controls show: creates the rules of options switched
    // on and deletes those switched off, colour first, then double-sided,
    // then n-up. A failure ends the save after its step and is answered.
    // While the last load has failed it makes no data call and answers a
    // status of its own (code 0).
    data::Status SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId);
    // Every combination of the options may be stored.
    bool Validate() const { return true; }

    // JobOptionChanged: raised whenever one of the three inputs changes, by
    // the user or by a load.
    ChangeEvent OnJobOptionChanged;

    forms::ComboBox& cmbColor() const { return *cmbColor_; }
    forms::CheckBox& chkForceDuplex() const { return *chkForceDuplex_; }
    forms::CheckBox& chkForceNUp() const { return *chkForceNUp_; }
    // The captions: index 2 colour, 3 duplex, 4 n-up.
    forms::Label& lblCaption(int32_t index) const;

    // The loaded (or saved) rule of an option type 0 to 3, or nullptr when no
    // such rule is stored.
    const std::shared_ptr<data::JobOptionRule>& Slot(int32_t optionType) const;

private:
    void SetCaptions();
    void FillColorCombo();
    void RaiseJobOptionChanged();

    int32_t ColorOption() const;
    void ColorOption(int32_t itemData);
    bool ForceDuplex() const;
    void ForceDuplex(bool on);
    bool ForceNUp() const;
    void ForceNUp(bool on);

    // Deletes the rule of a slot. The slot is emptied only when the store
    // deleted it, so that the slots always match the store.
    data::Status DeleteSlot(data::Connection& data, int32_t optionType);
    // Creates and stores a rule of the option type. It takes its slot only
    // when the store saved it, so that a later save tries again.
    data::Status CreateSlot(data::Connection& data, int32_t optionType);
    // Makes a single option's rule exist exactly when on is true.
    data::Status SaveSwitch(data::Connection& data, int32_t optionType, bool on);

    forms::ComboBox* cmbColor_ = nullptr;
    forms::CheckBox* chkForceDuplex_ = nullptr;
    forms::CheckBox* chkForceNUp_ = nullptr;
    std::array<forms::Label*, 3> lblCaption_{};

    std::array<std::shared_ptr<data::JobOptionRule>, 4> rules_;
    LoadState loadState_;
    int32_t rulePriority_ = 0;
    int32_t parentId_ = 0;
};

} // namespace qm6
