#pragma once

// The printing limits editor: the limits of one rule owner (a printer
// profile, or whatever object the host names) in a grid, added, edited and
// removed through the limit dialog, and one check box that switches all of
// the owner's limits off. Switching them off is a rule of its own in the
// store (a JobOptionRule of option type 4); while it is stored the owner has
// no limits.
//
// A host creates it, calls LoadData (or LoadDataForEmbedded), listens to
// LimitsChanged while the user edits, calls Validate and then SaveData.
// Nothing is stored before SaveData, which writes only what changed.
//
// Saving keeps the editor equal to the store: a limit whose save or delete
// failed stays pending, so that the next save finishes the work, and the
// answer is the first failure. The ignore-all rule is taken as stored only
// once its save succeeded; no limit is deleted while saving the rule failed,
// and none is saved while deleting it failed. After a failed load the editor
// shows no rule and no limit and saves nothing until a load succeeds.

#include "contract/Connection.h"
#include "contract/EditorEvents.h"
#include "contract/JobOptionRule.h"
#include "contract/PrintingLimit.h"
#include "contract/SystemSettings.h"
#include "editors/LoadState.h"
#include "platform/forms/UserControl.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm6::forms {
class CheckBox;
class CommandButton;
class Grid;
} // namespace qm6::forms

namespace qm6 {

class ctlPrintingLimits : public forms::UserControl {
public:
    // The size the editor is designed for, in twips; it does not lay out its
    // children again when given another.
    static constexpr int32_t kDesignWidth = 6285;
    static constexpr int32_t kDesignHeight = 2175;
    // Grid columns.
    enum Column : int { ColType = 0, ColLimit = 1, ColTitle = 2, ColStopJob = 3 };

    ctlPrintingLimits();
    ~ctlPrintingLimits() override;

    // The key under which an edited stored limit waits for saving: "LIMIT_"
    // and its id in decimal.
    static std::string LimitKey(const data::PrintingLimit& limit);

    // Enabling or disabling the editor does the same to each of its
    // controls (a control that refuses is skipped); enabling then greys or
    // restores the list after the check box.
    bool Enabled() const;
    void Enabled(bool pblnEnable);

    // True only while the check box is ticked and enabled. Writing ticks or
    // clears it; a change raises LimitsChanged.
    bool IgnoreAllLimits() const;
    void IgnoreAllLimits(bool pblnIgnoreAll);

    // Every limit shown, in grid order (the collection itself, not a copy).
    // Writing replaces it only with a collection that holds at least one
    // limit, and then refills the grid; no event is raised.
    const std::shared_ptr<vb::Collection>& Limits() const { return limits_; }
    void Limits(const std::shared_ptr<vb::Collection>& pinsLimits);

    // Reads the settings and the owner's limits, and when it has none its
    // ignore-all rule, and shows them. The caption of the check box names
    // the object type. A load always starts from no rule and no pending
    // change, also when it fails.
    data::Status LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId, const std::string& pstrObjectTypeName);
    // The same for an editor placed inside another editor, with the owner of
    // the last load (0 and 0 without one). The check box no longer greys the
    // list; pblnShowStopJobControls false hides the stop-job column and the
    // dialog's stop-job check box.
    data::Status LoadDataForEmbedded(data::Connection& pinsData,
                                     const std::string& pstrObjectTypeName,
                                     const vb::Variant& pblnShowStopJobControls);
    // Asks before the ignore-all rule is first stored, since saving it
    // deletes every limit; true when saving may go on.
    bool Validate();
    // Writes the changes for the owner given: without ignore-all, deletes the
    // ignore-all rule, then saves new and edited limits, then deletes removed
    // ones; with it, stores the rule and then deletes every stored limit.
    data::Status SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                          int32_t plngParentId);

    // Raised after every change: a limit added, edited or removed, or the
    // check box changed (by the user, by IgnoreAllLimits or by a load).
    ChangeEvent OnLimitsChanged;

    forms::CheckBox& chkIgnoreAll() const { return *chkIgnoreAll_; }
    forms::Grid& grdLimits() const { return *grdLimits_; }
    forms::CommandButton& cmdAdd() const { return *cmdAdd_; }
    forms::CommandButton& cmdEdit() const { return *cmdEdit_; }
    forms::CommandButton& cmdRemove() const { return *cmdRemove_; }

    // Stored limits edited, and removed, since the last load or save.
    const vb::Collection& ChangedLimits() const { return changedLimits_; }
    const vb::Collection& RemovedLimits() const { return removedLimits_; }
    // The stored ignore-all rule, or nullptr.
    const std::shared_ptr<data::JobOptionRule>& IgnoreAllRule() const { return ignoreAllRule_; }
    bool ShowStopJobControls() const { return showStopJobControls_; }
    bool EmbeddedMode() const { return embeddedMode_; }

private:
    void SetCaptions();
    data::Status Load(data::Connection& data, int32_t captionId);
    data::Status LoadLimitsAndRule(data::Connection& data);
    void SetUpGrid();
    void FillGrid();
    void RefreshEnabledState();
    void UpdateEditRemoveButtons();
    void AddNewLimit();
    void EditSelectedLimit();
    void RemoveSelectedLimit();
    void chkIgnoreAll_Click();

    // The box as the user left it, whether or not it is enabled.
    bool IgnoreAllTicked() const;
    std::shared_ptr<data::PrintingLimit> LimitAt(int32_t index) const;
    // Saves new and edited limits and deletes removed ones.
    data::Status SaveLimits(data::Connection& data);
    // Deletes the removed limits; those whose delete failed stay removed.
    data::Status DeleteRemovedLimits(data::Connection& data);
    // Deletes every stored limit, listed or removed; new ones are dropped
    // when dropNew. Those whose delete failed stay listed.
    data::Status DeleteStoredLimits(data::Connection& data, bool dropNew);

    forms::CheckBox* chkIgnoreAll_ = nullptr;
    forms::Grid* grdLimits_ = nullptr;
    forms::CommandButton* cmdAdd_ = nullptr;
    forms::CommandButton* cmdEdit_ = nullptr;
    forms::CommandButton* cmdRemove_ = nullptr;

    std::shared_ptr<vb::Collection> limits_;
    vb::Collection changedLimits_;
    vb::Collection removedLimits_;
    std::shared_ptr<data::JobOptionRule> ignoreAllRule_;
    std::shared_ptr<data::SystemSettings> settings_;
    int32_t rulePriority_ = 0;
    int32_t parentId_ = 0;
    std::string objectTypeName_;
    bool showStopJobControls_ = true;
    bool embeddedMode_ = false;
    LoadState loadState_;
};

} // namespace qm6
