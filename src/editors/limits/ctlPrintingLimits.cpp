#include "editors/limits/ctlPrintingLimits.h"

#include "common/Language.h"
#include "common/MessageBox.h"
#include "common/clsQM6Branding.h"
#include "contract/ListService.h"
#include "contract/LookupService.h"
#include "contract/RuleService.h"
#include "editors/EnableControls.h"
#include "editors/limits/frmLimit.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Grid.h"
#include "platform/forms/SystemColors.h"
#include "platform/vb/Conversions.h"

#include <algorithm>
#include <limits>

namespace qm6 {

namespace {

// String ids of the editor's texts.
enum : int32_t {
    kStrEdit = 600,
    kStrRemove = 601,
    kStrAdd = 602,
    kStrIgnoreAll = 603,
    kStrIgnoreAllFor = 604,
    kStrIgnoreAllEmbedded = 605,
    kStrTypeHeader = 606,
    kStrRemoveQuestion = 610,
    kStrIgnoreAllQuestion = 611,
};

constexpr int kKeyDelete = 46;

// Column widths in twips; the Title column takes what the others leave.
constexpr int kTypeWidth = 1080;
constexpr int kLimitWidth = 840;
constexpr int kStopJobWidth = 770;
constexpr int kOtherColumns = 3040;

// The first failure of a sequence of calls: a later failure never hides an
// earlier one, nor does a later success.
void KeepFirst(data::Status& status, data::Status next) {
    if (!status)
        status = std::move(next);
}

vb::Variant AsItem(const std::shared_ptr<data::PrintingLimit>& limit) {
    return vb::Variant(std::static_pointer_cast<vb::Object>(limit));
}

std::shared_ptr<data::PrintingLimit> LimitOf(const vb::Variant& item) {
    return std::dynamic_pointer_cast<data::PrintingLimit>(item.AsObject());
}

} // namespace

ctlPrintingLimits::ctlPrintingLimits()
    : forms::UserControl("ctlPrintingLimits"), limits_(std::make_shared<vb::Collection>()) {
    chkIgnoreAll_ = &Add<forms::CheckBox>("chkIgnoreAll");
    chkIgnoreAll_->Caption("Ignore all printing limits for this printer profile");
    chkIgnoreAll_->Move(120, 0, 6015, 240);
    grdLimits_ = &Add<forms::Grid>("grdLimits");
    grdLimits_->Move(0, 360, 6255, 1335);
    cmdAdd_ = &Add<forms::CommandButton>("cmdAdd");
    cmdAdd_->Caption("Add");
    cmdAdd_->Move(0, 1800, 975, 375);
    cmdEdit_ = &Add<forms::CommandButton>("cmdEdit");
    cmdEdit_->Caption("Edit");
    cmdEdit_->Move(1080, 1800, 975, 375);
    cmdRemove_ = &Add<forms::CommandButton>("cmdRemove");
    cmdRemove_->Caption("Remove");
    cmdRemove_->Move(2160, 1800, 975, 375);
    // The check box, then the buttons; the list last.
    grdLimits_->TabIndex(4);
    Move(0, 0, kDesignWidth, kDesignHeight);

    SetCaptions();

    chkIgnoreAll_->OnClick = [this] { chkIgnoreAll_Click(); };
    cmdAdd_->OnClick = [this] { AddNewLimit(); };
    cmdEdit_->OnClick = [this] { EditSelectedLimit(); };
    grdLimits_->OnDblClick = [this] { EditSelectedLimit(); };
    cmdRemove_->OnClick = [this] { RemoveSelectedLimit(); };
    grdLimits_->OnKeyDown = [this](int& keyCode, int /*shift*/) {
        if (keyCode == kKeyDelete)
            RemoveSelectedLimit();
    };
    grdLimits_->OnRowColChange = [this] { UpdateEditRemoveButtons(); };
}

ctlPrintingLimits::~ctlPrintingLimits() = default;

std::string ctlPrintingLimits::LimitKey(const data::PrintingLimit& limit) {
    return "LIMIT_" + std::to_string(limit.LimitId());
}

void ctlPrintingLimits::SetCaptions() {
    cmdEdit_->Caption(LangString(kStrEdit));
    cmdRemove_->Caption(LangString(kStrRemove));
    cmdAdd_->Caption(LangString(kStrAdd));
    chkIgnoreAll_->Caption(LangString(kStrIgnoreAll));
}

bool ctlPrintingLimits::Enabled() const {
    return UserControl::Enabled();
}

void ctlPrintingLimits::Enabled(bool pblnEnable) {
    UserControl::Enabled(pblnEnable);
    EnableControls(*this, pblnEnable);
    if (pblnEnable)
        RefreshEnabledState();
}

bool ctlPrintingLimits::IgnoreAllTicked() const {
    return chkIgnoreAll_->Value() == forms::vbChecked;
}

bool ctlPrintingLimits::IgnoreAllLimits() const {
    return IgnoreAllTicked() && chkIgnoreAll_->Enabled();
}

void ctlPrintingLimits::IgnoreAllLimits(bool pblnIgnoreAll) {
    // A change runs the box's click behaviour, which raises LimitsChanged.
    chkIgnoreAll_->Value(pblnIgnoreAll ? forms::vbChecked : forms::vbUnchecked);
    RefreshEnabledState();
}

void ctlPrintingLimits::Limits(const std::shared_ptr<vb::Collection>& pinsLimits) {
    if (!pinsLimits || pinsLimits->Count() < 1)
        return;
    limits_ = pinsLimits;
    FillGrid();
}

std::shared_ptr<data::PrintingLimit> ctlPrintingLimits::LimitAt(int32_t index) const {
    if (index < 1 || index > limits_->Count())
        return nullptr;
    return LimitOf(limits_->Item(index));
}

void ctlPrintingLimits::chkIgnoreAll_Click() {
    RefreshEnabledState();
    RaiseEvent(OnLimitsChanged);
}

// --- The grid ------------------------------------------------------------

void ctlPrintingLimits::SetUpGrid() {
    cmdEdit_->Enabled(false);
    cmdRemove_->Enabled(false);
    cmdAdd_->Enabled(true);

    forms::Grid& grid = *grdLimits_;
    grid.Rows(1);
    grid.FixedRows(1);
    grid.Cols(4);
    const int width = grid.Width();
    const int titleWidth = std::max(0, width - kOtherColumns);
    const int widths[] = {kTypeWidth, kLimitWidth, titleWidth, kStopJobWidth};
    for (int col = ColType; col <= ColStopJob; ++col) {
        grid.ColDataType(col, col == ColStopJob ? forms::GridDataType::Boolean
                                                : forms::GridDataType::String);
        grid.TextMatrix(0, col, LangString(kStrTypeHeader + col));
        grid.ColWidth(col, widths[col]);
    }
    grid.ColHidden(ColStopJob, !showStopJobControls_);
    if (!showStopJobControls_)
        grid.ColWidth(ColTitle, titleWidth + kStopJobWidth);
    RefreshEnabledState();
}

void ctlPrintingLimits::FillGrid() {
    forms::Grid& grid = *grdLimits_;
    grid.Redraw(false);
    grid.Rows(1);
    grid.Rows(limits_->Count() + 1);
    if (grid.Cols() > ColStopJob) {
        const auto lists = data::ListService::Get();
        for (int32_t row = 1; row <= limits_->Count(); ++row) {
            const std::shared_ptr<data::PrintingLimit> limit = LimitAt(row);
            if (!limit)
                continue;
            // A code outside the list's 16 bits has no text.
            const int32_t type = limit->LimitType();
            const bool listed = type >= std::numeric_limits<int16_t>::min() &&
                                type <= std::numeric_limits<int16_t>::max();
            grid.TextMatrix(
                row, ColType,
                listed ? lists->GetListText(frmLimit::kLimitTypeList, static_cast<int16_t>(type))
                       : std::string());
            grid.TextMatrix(row, ColLimit, vb::CStr(limit->LimitValue()));
            grid.TextMatrix(row, ColTitle, limit->Title());
            grid.Cell(forms::GridCellProperty::Checked, row, ColStopJob, row, ColStopJob,
                      vb::Variant(limit->StopJob() ? forms::kGridChecked : forms::kGridUnchecked));
        }
        // The columns keep the widths they were set up with, so that the
        // stop-job column stays in view; a long title is cut short in the
        // list and shown whole in the dialog.
    }
    grid.Redraw(true);
    // New rows take the text colour of the list's state.
    RefreshEnabledState();
}

void ctlPrintingLimits::RefreshEnabledState() {
    if (embeddedMode_) {
        grdLimits_->Enabled(true);
        return;
    }
    if (!chkIgnoreAll_->Enabled())
        return;
    forms::Grid& grid = *grdLimits_;
    grid.Enabled(!IgnoreAllTicked());
    cmdAdd_->Enabled(grid.Enabled());
    if (grid.Rows() >= 1 && grid.Cols() >= 1) {
        grid.Cell(forms::GridCellProperty::ForeColor, 0, 0, grid.Rows() - 1, grid.Cols() - 1,
                  vb::Variant(static_cast<int32_t>(forms::TextColor(grid.Enabled()))));
    }
    UpdateEditRemoveButtons();
}

void ctlPrintingLimits::UpdateEditRemoveButtons() {
    const bool onRow = grdLimits_->Row() >= 1 && grdLimits_->Enabled();
    cmdEdit_->Enabled(onRow);
    cmdRemove_->Enabled(onRow);
}

// --- Editing -------------------------------------------------------------

void ctlPrintingLimits::AddNewLimit() {
    auto limit = std::make_shared<data::PrintingLimit>();
    limit->SetParentId(parentId_);
    limit->SetRulePriority(rulePriority_);
    frmLimit dialog;
    if (!dialog.AddLimit(*limit, settings_, showStopJobControls_))
        return;
    limits_->Add(AsItem(limit));
    FillGrid();
    RaiseEvent(OnLimitsChanged);
}

void ctlPrintingLimits::EditSelectedLimit() {
    const std::shared_ptr<data::PrintingLimit> limit = LimitAt(grdLimits_->Row());
    if (!limit)
        return;
    frmLimit dialog;
    if (!dialog.EditLimit(*limit, settings_, showStopJobControls_))
        return;
    // A stored limit waits once, at the end; a new one is saved from the list.
    if (!limit->IsNew()) {
        const std::string key = LimitKey(*limit);
        if (changedLimits_.ContainsKey(key))
            changedLimits_.Remove(key);
        changedLimits_.Add(AsItem(limit), key);
    }
    FillGrid();
    RaiseEvent(OnLimitsChanged);
}

void ctlPrintingLimits::RemoveSelectedLimit() {
    const int32_t row = grdLimits_->Row();
    const std::shared_ptr<data::PrintingLimit> limit = LimitAt(row);
    if (!limit)
        return;
    if (ShowMessageBox(LangString(kStrRemoveQuestion), vbYesNo + vbExclamation,
                       Branding().ProductName()) != vbYes)
        return;
    if (!limit->IsNew()) {
        const std::string key = LimitKey(*limit);
        if (changedLimits_.ContainsKey(key))
            changedLimits_.Remove(key);
        removedLimits_.Add(AsItem(limit));
    }
    limits_->Remove(row);
    FillGrid();
    RaiseEvent(OnLimitsChanged);
}

// --- Loading, validating and saving --------------------------------------

data::Status ctlPrintingLimits::LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                                         int32_t plngParentId,
                                         const std::string& pstrObjectTypeName) {
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;
    objectTypeName_ = pstrObjectTypeName;
    return Load(pinsData, kStrIgnoreAllFor);
}

data::Status ctlPrintingLimits::LoadDataForEmbedded(data::Connection& pinsData,
                                                    const std::string& pstrObjectTypeName,
                                                    const vb::Variant& pblnShowStopJobControls) {
    objectTypeName_ = pstrObjectTypeName;
    showStopJobControls_ = vb::CBool(pblnShowStopJobControls);
    embeddedMode_ = true;
    return Load(pinsData, kStrIgnoreAllEmbedded);
}

data::Status ctlPrintingLimits::Load(data::Connection& data, int32_t captionId) {
    // Nothing of an earlier load survives, also when this one fails: neither
    // its rule nor the limits it had pending would belong to this owner.
    ignoreAllRule_.reset();
    changedLimits_ = vb::Collection();
    removedLimits_ = vb::Collection();
    limits_ = std::make_shared<vb::Collection>();
    settings_.reset();

    data::Status status = data::LookupService::Get()->LoadSystemSettings(data, settings_);
    SetUpGrid();
    chkIgnoreAll_->Caption(LangString(captionId, objectTypeName_));
    if (status) {
        IgnoreAllLimits(false);
        FillGrid();
        return loadState_.Note(status);
    }
    return loadState_.Note(LoadLimitsAndRule(data));
}

data::Status ctlPrintingLimits::LoadLimitsAndRule(data::Connection& data) {
    data::Status status =
        data::RuleService::Get()->LoadPrintingLimits(data, limits_, rulePriority_, parentId_);
    if (!limits_)
        limits_ = std::make_shared<vb::Collection>();
    // The rule is looked for only when the owner has no limits: while it is
    // stored, none are.
    if (!status && limits_->Count() == 0) {
        std::shared_ptr<vb::Collection> rules;
        status =
            data::RuleService::Get()->LoadJobOptionRules(data, rules, rulePriority_, parentId_);
        for (int32_t i = 1; !status && rules && i <= rules->Count(); ++i) {
            auto rule = std::dynamic_pointer_cast<data::JobOptionRule>(rules->Item(i).AsObject());
            if (rule &&
                rule->IsOption(data::JobOptionRule::IgnoreAllLimits, rulePriority_, parentId_)) {
                ignoreAllRule_ = rule;
                break;
            }
        }
    }
    if (status) {
        // What a failed read shows would not be what the store holds.
        limits_ = std::make_shared<vb::Collection>();
        ignoreAllRule_.reset();
    }
    IgnoreAllLimits(ignoreAllRule_ != nullptr);
    FillGrid();
    return status;
}

bool ctlPrintingLimits::Validate() {
    // The box as saving will read it: ticked, with no rule stored yet.
    if (!IgnoreAllTicked() || ignoreAllRule_)
        return true;
    return ShowMessageBox(LangString(kStrIgnoreAllQuestion, objectTypeName_),
                          vbYesNo + vbExclamation, Branding().ProductName()) == vbYes;
}

data::Status ctlPrintingLimits::SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                                         int32_t plngParentId) {
    if (!loadState_.CanSave())
        return LoadState::SaveRefusal();
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;

    // The box as the user left it: a host that disables the editor has not
    // cleared it, so the stored rule stays.
    if (!IgnoreAllTicked()) {
        if (ignoreAllRule_) {
            // The rule goes first; while it stays, no limit may be stored.
            if (data::Status status = ignoreAllRule_->Delete(pinsData))
                return status;
            ignoreAllRule_.reset();
        }
        return SaveLimits(pinsData);
    }

    bool ruleCreated = false;
    if (!ignoreAllRule_) {
        std::shared_ptr<data::JobOptionRule> rule = pinsData.NewJobOptionRule();
        rule->DefineRule(data::JobOptionRule::IgnoreAllLimits, rulePriority_, parentId_,
                         std::string());
        // Limits are deleted only once the rule that replaces them is stored.
        if (data::Status status = rule->Save(pinsData, 0))
            return status;
        ignoreAllRule_ = std::move(rule);
        ruleCreated = true;
    }
    return DeleteStoredLimits(pinsData, ruleCreated);
}

data::Status ctlPrintingLimits::SaveLimits(data::Connection& data) {
    data::Status status;
    for (int32_t i = 1; i <= limits_->Count(); ++i) {
        const std::shared_ptr<data::PrintingLimit> limit = LimitAt(i);
        if (!limit || !limit->IsNew())
            continue;
        limit->SetRulePriority(rulePriority_);
        limit->SetParentId(parentId_);
        // A limit the store refused stays new, so the next save stores it.
        KeepFirst(status, limit->Save(data));
    }

    vb::Collection stillChanged;
    for (int32_t i = 1; i <= changedLimits_.Count(); ++i) {
        const vb::Variant& item = changedLimits_.Item(i);
        const std::shared_ptr<data::PrintingLimit> limit = LimitOf(item);
        if (data::Status failed = limit->Save(data)) {
            KeepFirst(status, std::move(failed));
            stillChanged.Add(item, LimitKey(*limit));
        }
    }
    changedLimits_ = std::move(stillChanged);

    KeepFirst(status, DeleteRemovedLimits(data));
    return status;
}

data::Status ctlPrintingLimits::DeleteRemovedLimits(data::Connection& data) {
    data::Status status;
    vb::Collection stillRemoved;
    for (int32_t i = 1; i <= removedLimits_.Count(); ++i) {
        const vb::Variant& item = removedLimits_.Item(i);
        if (data::Status failed = LimitOf(item)->Delete(data)) {
            KeepFirst(status, std::move(failed));
            stillRemoved.Add(item);
        }
    }
    removedLimits_ = std::move(stillRemoved);
    return status;
}

data::Status ctlPrintingLimits::DeleteStoredLimits(data::Connection& data, bool dropNew) {
    data::Status status;
    auto kept = std::make_shared<vb::Collection>();
    for (int32_t i = 1; i <= limits_->Count(); ++i) {
        const vb::Variant& item = limits_->Item(i);
        const std::shared_ptr<data::PrintingLimit> limit = LimitOf(item);
        if (!limit)
            continue;
        // A limit never stored has nothing to delete.
        if (limit->IsNew()) {
            if (!dropNew)
                kept->Add(item);
            continue;
        }
        const std::string key = LimitKey(*limit);
        if (data::Status failed = limit->Delete(data)) {
            KeepFirst(status, std::move(failed));
            kept->Add(item);
        } else if (changedLimits_.ContainsKey(key)) {
            changedLimits_.Remove(key);
        }
    }

    KeepFirst(status, DeleteRemovedLimits(data));
    limits_ = std::move(kept);
    FillGrid();
    return status;
}

} // namespace qm6
