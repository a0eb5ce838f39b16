#include "editors/customfields/ctlCustomFieldChooser.h"

#include "common/Language.h"
#include "contract/LookupService.h"
#include "contract/RuleService.h"
#include "editors/EnableControls.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/SystemColors.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace qm6 {

namespace {

// String ids of the chooser's texts.
enum : int32_t {
    kStrOverride = 300,
    kStrIncludeHeader = 301,
    kStrCaptionHeader = 302,
    kStrOverrideForType = 303,
    kStrOverrideEmbedded = 304,
};

// Between the box and the grid below it.
constexpr int32_t kOverrideGap = 120;
// The caption column fills the grid's width less this.
constexpr int32_t kCaptionColumnMargin = 820;
constexpr int kIncludeColumnWidth = 720;

vb::Variant Colour(bool usable) {
    return vb::Variant(static_cast<int32_t>(forms::TextColor(usable)));
}

// The pieces of a comma-separated list; an empty text has none.
std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> pieces;
    if (list.empty())
        return pieces;
    for (size_t at = 0;;) {
        const size_t comma = list.find(',', at);
        pieces.push_back(
            list.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos)
            return pieces;
        at = comma + 1;
    }
}

// A piece of a list as a field id, read as the runtime reads a number
// (spaces around it allowed); raises the runtime's error for a piece that is
// not one.
int32_t FieldIdOf(const std::string& piece) {
    return vb::CLng(vb::Variant(piece));
}

// Switches a grid's redraw off for a fill and on again however it ends.
class QuietFill {
public:
    explicit QuietFill(forms::Grid& grid) : grid_(grid) { grid_.Redraw(false); }
    ~QuietFill() { grid_.Redraw(true); }
    QuietFill(const QuietFill&) = delete;
    QuietFill& operator=(const QuietFill&) = delete;

private:
    forms::Grid& grid_;
};

} // namespace

ctlCustomFieldChooser::ctlCustomFieldChooser() : forms::UserControl("ctlCustomFieldChooser") {
    chkOverride_ = &Add<forms::CheckBox>("chkOverride");
    chkOverride_->Move(120, 0, 6015, 240);
    grdCustomFields_ = &Add<forms::Grid>("grdCustomFields");
    grdCustomFields_->Move(0, 360, 6255, 1935);
    grdCustomFields_->Editable(true);
    Move(0, 0, kDesignWidth, kDesignHeight);

    SetCaptions();

    chkOverride_->OnClick = [this] { OverrideClicked(); };
    // Only the boxes of field rows can be changed.
    grdCustomFields_->OnBeforeEdit = [this](int row, int col, bool& cancel) {
        if (row == 0 || row > fieldRowCount_ || col != ColInclude)
            cancel = true;
    };
    grdCustomFields_->OnAfterEdit = [this](int, int) { RaiseCustomFieldsChanged(); };
}

ctlCustomFieldChooser::~ctlCustomFieldChooser() = default;

void ctlCustomFieldChooser::SetCaptions() {
    chkOverride_->Caption(LangString(kStrOverride));
}

void ctlCustomFieldChooser::RaiseCustomFieldsChanged() {
    if (OnCustomFieldsChanged)
        OnCustomFieldsChanged();
}

bool ctlCustomFieldChooser::RestrictionOn() const {
    return chkOverride_->Value() == forms::vbChecked;
}

void ctlCustomFieldChooser::ColorWholeGrid(bool usable) {
    forms::Grid& grid = *grdCustomFields_;
    if (grid.Rows() > 0 && grid.Cols() > 0)
        grid.Cell(forms::GridCellProperty::ForeColor, 0, 0, grid.Rows() - 1, grid.Cols() - 1,
                  Colour(usable));
}

void ctlCustomFieldChooser::CheckAllFields(int state) {
    if (fieldRowCount_ >= 1)
        grdCustomFields_->Cell(forms::GridCellProperty::Checked, 1, ColInclude, fieldRowCount_,
                               ColInclude, vb::Variant(int32_t{state}));
}

void ctlCustomFieldChooser::OverrideClicked() {
    if (!embeddedMode_) {
        const bool on = RestrictionOn();
        grdCustomFields_->Enabled(on);
        ColorWholeGrid(on);
        // Switching the restriction on includes every field, off excludes every field.
        CheckAllFields(on ? forms::kGridChecked : forms::kGridUnchecked);
    } else {
        grdCustomFields_->Enabled(true);
    }
    RaiseCustomFieldsChanged();
}

void ctlCustomFieldChooser::ShowRestriction() {
    const bool usable = embeddedMode_ || RestrictionOn();
    grdCustomFields_->Enabled(usable);
    ColorWholeGrid(usable);
}

bool ctlCustomFieldChooser::Enabled() const {
    return UserControl::Enabled();
}

void ctlCustomFieldChooser::Enabled(bool pblnEnable) {
    EnableControls(*this, pblnEnable);
    if (!pblnEnable)
        return;
    // The box means something only once a field exists.
    chkOverride_->Enabled(grdCustomFields_->Rows() >= 2);
    grdCustomFields_->Enabled(embeddedMode_ || RestrictionOn());
    if (!chkOverride_->Enabled())
        chkOverride_->Value(forms::vbUnchecked);
}

bool ctlCustomFieldChooser::Override() const {
    return RestrictionOn() && chkOverride_->Enabled();
}

void ctlCustomFieldChooser::Override(bool pblnOverride) {
    // The box's click runs when the value changes.
    chkOverride_->Value(pblnOverride ? forms::vbChecked : forms::vbUnchecked);
}

std::string ctlCustomFieldChooser::SelectedCustomFields() const {
    const forms::Grid& grid = *grdCustomFields_;
    std::string list;
    for (int row = 1; row <= fieldRowCount_; ++row) {
        if (vb::CLng(grid.Cell(forms::GridCellProperty::Checked, row, ColInclude)) !=
            forms::kGridChecked)
            continue;
        list += grid.TextMatrix(row, ColFieldId) + ",";
        const std::string child = grid.TextMatrix(row, ColLinkChildId);
        if (child != "0")
            list += child + ",";
    }
    if (!list.empty())
        list.pop_back();
    return list;
}

void ctlCustomFieldChooser::SelectedCustomFields(const std::string& pstrCommaSeparatedList) {
    if (fieldRowCount_ == 0)
        return; // no row to compare a piece with
    std::vector<int32_t> ids;
    for (const std::string& piece : SplitList(pstrCommaSeparatedList))
        ids.push_back(FieldIdOf(piece)); // raises before anything changed
    IncludeFields(ids);
}

void ctlCustomFieldChooser::IncludeFields(const std::vector<int32_t>& ids) {
    forms::Grid& grid = *grdCustomFields_;
    CheckAllFields(forms::kGridUnchecked);
    const std::unordered_set<int32_t> included(ids.begin(), ids.end());
    for (int row = 1; row <= fieldRowCount_; ++row) {
        if (included.count(FieldIdOf(grid.TextMatrix(row, ColFieldId))) != 0)
            grid.Cell(forms::GridCellProperty::Checked, row, ColInclude, row, ColInclude,
                      vb::Variant(int32_t{forms::kGridChecked}));
    }
}

data::Status ctlCustomFieldChooser::ApplyStoredList(const std::string& list) {
    std::vector<int32_t> ids;
    std::optional<std::string> unreadable;
    for (const std::string& piece : SplitList(list)) {
        if (vb::Trim(piece).empty())
            continue; // names no field
        try {
            ids.push_back(FieldIdOf(piece));
        } catch (const vb::VbError&) {
            if (!unreadable)
                unreadable = piece;
        }
    }
    IncludeFields(ids);
    if (!unreadable)
        return nullptr;
    return data::MakeStatus(0, "The stored list of custom fields \"" + list + "\" holds \"" +
                                   *unreadable +
                                   "\", which is not a field id. The fields it does name are "
                                   "shown as included; saving stores the list as shown.");
}

void ctlCustomFieldChooser::ShowOverride(bool show) {
    if (show == showOverride_)
        return;
    showOverride_ = show;
    ArrangeOverride();
}

void ctlCustomFieldChooser::ArrangeOverride() {
    if (!showOverride_) {
        grdCustomFields_->Top(chkOverride_->Top());
        chkOverride_->Visible(false);
        Override(true);
    } else {
        chkOverride_->Visible(true);
        grdCustomFields_->Top(chkOverride_->Top() + chkOverride_->Height() + kOverrideGap);
    }
}

data::Status ctlCustomFieldChooser::LoadCustomFieldGrid(data::Connection& data) {
    forms::Grid& grid = *grdCustomFields_;
    const QuietFill quiet(grid);
    grid.Rows(1);
    grid.FixedRows(1);
    grid.Cols(4);
    grid.Enabled(embeddedMode_);
    grid.ColHidden(ColFieldId, true);
    grid.ColHidden(ColLinkChildId, true);
    grid.ColDataType(ColInclude, forms::GridDataType::Boolean);
    grid.TextMatrix(0, ColInclude, LangString(kStrIncludeHeader));
    grid.ColWidth(ColInclude, kIncludeColumnWidth);
    grid.TextMatrix(0, ColCaption, LangString(kStrCaptionHeader));
    grid.ColWidth(ColCaption, std::max(0, grid.Width() - kCaptionColumnMargin));
    grid.RowHidden(0, true);

    fieldRowCount_ = 0;
    std::shared_ptr<data::RecordSet> records;
    data::Status status = data::LookupService::Get()->LoadCustomFields(data, records);
    if (status || !records)
        return status;
    if (records->RecordCount() >= 1)
        FillGrid(*records);
    records->Close();
    return nullptr;
}

void ctlCustomFieldChooser::FillGrid(data::RecordSet& records) {
    forms::Grid& grid = *grdCustomFields_;
    // The grid is usable now exactly in embedded use: there every field
    // starts included, elsewhere excluded and grey until the restriction is on.
    const bool usable = embeddedMode_;
    grid.RowHidden(0, false);
    records.MoveFirst();
    while (!records.Eof()) {
        const vb::Variant fieldId = records.Fields("FieldId").Value;
        const std::string caption = vb::CStr(records.Fields("Caption").Value);
        // A linked child joins its parent's row, which names it; a child
        // without its parent right above is shown as a field of its own.
        const bool joinsRowAbove =
            vb::CLng(records.Fields("LinkParentId").Value) != 0 && fieldRowCount_ >= 1 &&
            grid.TextMatrix(fieldRowCount_, ColLinkChildId) == vb::CStr(fieldId);
        if (joinsRowAbove) {
            grid.TextMatrix(fieldRowCount_, ColCaption,
                            grid.TextMatrix(fieldRowCount_, ColCaption) + "/" + caption);
        } else {
            ++fieldRowCount_;
            const int row = fieldRowCount_;
            grid.Rows(row + 1);
            grid.TextMatrix(row, ColFieldId, vb::CStr(fieldId));
            grid.TextMatrix(row, ColLinkChildId, vb::CStr(records.Fields("LinkChildId").Value));
            grid.TextMatrix(row, ColCaption, caption);
            grid.Cell(forms::GridCellProperty::ForeColor, row, 0, row, grid.Cols() - 1,
                      Colour(usable));
            grid.Cell(forms::GridCellProperty::Checked, row, ColInclude, row, ColInclude,
                      vb::Variant(int32_t{usable ? forms::kGridChecked : forms::kGridUnchecked}));
        }
        records.MoveNext();
    }
    if (grid.Rows() < kMinimumRows)
        grid.Rows(kMinimumRows);
    // The filler rows show no box.
    if (grid.Rows() - 1 > fieldRowCount_)
        grid.Cell(forms::GridCellProperty::Checked, fieldRowCount_ + 1, ColInclude, grid.Rows() - 1,
                  ColInclude, vb::Variant(int32_t{forms::kGridNoCheckBox}));
}

data::Status ctlCustomFieldChooser::LoadCustomFieldRule(data::Connection& data,
                                                        data::Status& listStatus) {
    std::shared_ptr<vb::Collection> rules;
    data::Status status =
        data::RuleService::Get()->LoadJobOptionRules(data, rules, rulePriority_, parentId_);
    if (!status && rules) {
        for (int32_t i = 1; i <= rules->Count(); ++i) {
            auto rule = data::ItemAs<data::JobOptionRule>(*rules, i);
            if (rule && rule->IsOption(data::JobOptionRule::CustomFieldSelection, rulePriority_,
                                       parentId_)) {
                customFieldRule_ = std::move(rule);
                break;
            }
        }
    }
    if (!customFieldRule_) {
        Override(false);
        return status;
    }
    Override(true);
    const auto actions = customFieldRule_->Actions();
    if (actions->Count() >= 1)
        if (const auto action = data::ItemAs<data::RuleAction>(*actions, 1))
            listStatus = ApplyStoredList(action->Parameter(1));
    return status;
}

data::Status ctlCustomFieldChooser::Finish(const data::Status& storeStatus,
                                           const data::Status& listStatus) {
    ShowRestriction();
    loadState_.Note(storeStatus);
    return storeStatus ? storeStatus : listStatus;
}

data::Status ctlCustomFieldChooser::LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                                             int32_t plngParentId,
                                             const std::string& pstrObjectTypeName) {
    ShowOverride(true);
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;
    customFieldRule_.reset();
    chkOverride_->Caption(LangString(kStrOverrideForType, pstrObjectTypeName));

    data::Status listStatus;
    data::Status status = LoadCustomFieldGrid(pinsData);
    if (!status)
        status = LoadCustomFieldRule(pinsData, listStatus);
    if (status)
        Override(false); // what the store holds is not known: no rule is shown
    return Finish(status, listStatus);
}

data::Status ctlCustomFieldChooser::LoadDataForEmbedded(data::Connection& pinsData) {
    ShowOverride(true);
    embeddedMode_ = true;
    customFieldRule_.reset();
    chkOverride_->Caption(LangString(kStrOverrideEmbedded));
    const data::Status status = LoadCustomFieldGrid(pinsData);
    OverrideClicked();
    return Finish(status, nullptr);
}

data::Status ctlCustomFieldChooser::LoadDataForCustomAction(data::Connection& pinsData,
                                                            const data::RuleAction& pinsAction) {
    customFieldRule_.reset();
    const data::Status status = LoadCustomFieldGrid(pinsData);
    // The restriction is on before the action's list is shown, so that
    // switching it on does not include every field over the list.
    ShowOverride(false);
    Override(true);
    ShowRestriction();
    data::Status listStatus;
    if (!status) {
        if (pinsAction.ActionType() == data::RuleAction::CustomFieldSelection)
            listStatus = ApplyStoredList(pinsAction.Parameter(1));
        else
            CheckAllFields(forms::kGridChecked);
    }
    return Finish(status, listStatus);
}

data::Status ctlCustomFieldChooser::SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                                             int32_t plngParentId) {
    if (!loadState_.CanSave())
        return LoadState::SaveRefusal();
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;
    // The held rule is the loaded owner's; saving for another owner leaves it alone.
    if (customFieldRule_ && !customFieldRule_->IsOption(data::JobOptionRule::CustomFieldSelection,
                                                        plngRulePriority, plngParentId))
        customFieldRule_.reset();

    if (RestrictionOn()) {
        std::shared_ptr<data::JobOptionRule> rule =
            customFieldRule_ ? customFieldRule_ : pinsData.NewJobOptionRule();
        rule->DefineRule(data::JobOptionRule::CustomFieldSelection, plngRulePriority, plngParentId,
                         SelectedCustomFields());
        data::Status status = rule->Save(pinsData, 0);
        if (!status)
            customFieldRule_ = std::move(rule);
        return status;
    }
    if (customFieldRule_) {
        data::Status status = customFieldRule_->Delete(pinsData);
        if (!status)
            customFieldRule_.reset();
        return status;
    }
    return nullptr;
}

} // namespace qm6
