#include "CustomActionsPanel.h"

#include "ConsoleText.h"
#include "EditorPlacement.h"
#include "FailureText.h"
#include "NavPictures.h"

#include "contract/RuleService.h"
#include "editors/customfields/ctlCustomFieldChooser.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace qm6::console {

CustomActionsPanel::CustomActionsPanel() : chooser_(std::make_unique<ctlCustomFieldChooser>()) {
    widget_->setObjectName(kName);
    note_ = new QLabel(widget_);
    note_->setObjectName("note");
    note_->setWordWrap(true);
    auto* editorArea = new QWidget(widget_);
    PlaceEditor(*chooser_, editorArea, ctlCustomFieldChooser::kDesignWidth, ctlCustomFieldChooser::kDesignHeight);
    auto* content = new QVBoxLayout;
    content->addWidget(note_);
    content->addWidget(editorArea);
    BuildLayout(content);
    chooser_->OnCustomFieldsChanged = [this] {
        if (!loading_)
            SetChanges(true);
    };
}

// The chooser goes before the widget it lives in.
CustomActionsPanel::~CustomActionsPanel() {
    chooser_.reset();
}

std::string CustomActionsPanel::Caption() const {
    return Text(kTxtCustomActions);
}

pictures::PicturePtr CustomActionsPanel::NavGraphicLarge() const {
    return DrawNavPicture(NavPicture::Fields, 32);
}

pictures::PicturePtr CustomActionsPanel::NavGraphicSmall() const {
    return DrawNavPicture(NavPicture::Fields, 16);
}

void CustomActionsPanel::ReadData() {
    const int32_t shown = current_ >= 0 ? Action(current_).ActionId() : 0;
    actions_.clear();
    ClearList();
    changes_ = false;
    std::shared_ptr<vb::Collection> actions;
    if (data::Status status = data::RuleService::Get()->LoadRuleActions(*data_, actions))
        Report(FailureText(Text(kTxtCustomActionsNotRead), *status, Doing::Loading));
    for (int32_t i = 1; actions && i <= actions->Count(); ++i) {
        if (auto action = data::ItemAs<data::RuleAction>(*actions, i)) {
            AddToList(action->Description());
            actions_.push_back(std::move(action));
        }
    }
    int row = 0;
    for (int i = 0; i < ActionCount(); ++i)
        if (Action(i).ActionId() == shown)
            row = i;
    if (!actions_.empty())
        ShowProfile(row);
    else
        SetChanges(false);
}

bool CustomActionsPanel::ShowProfile(int row) {
    if (!ChooseRow(row))
        return false;
    LoadAction();
    return true;
}

void CustomActionsPanel::LoadAction() {
    const data::RuleAction& action = Action(current_);
    heading_->setText(QString::fromStdString(action.Description()));
    loading_ = true;
    const data::Status status = chooser_->LoadDataForCustomAction(*data_, action);
    loading_ = false;
    const bool asksForFields = action.ActionType() == data::RuleAction::CustomFieldSelection;
    note_->setText(QText(asksForFields ? kTxtActionAsksForFields : kTxtActionAsksForNoFields));
    if (status && chooser_->CanSave())
        Report(FailureText(Text(kTxtFieldListInPart, action.Description()), *status, Doing::Loading));
    else if (status)
        Report(FailureText(Text(kTxtCustomActionNotLoaded, action.Description()), *status, Doing::Loading,
                           Text(kTxtPressRevert)));
    chooser_->Enabled(Editable());
    SetChanges(false);
}

bool CustomActionsPanel::Editable() const {
    return current_ >= 0 && Action(current_).ActionType() == data::RuleAction::CustomFieldSelection &&
           chooser_->CanSave();
}

void CustomActionsPanel::SetChanges(bool changes) {
    changes_ = changes;
    save_->setEnabled(Editable());
    revert_->setEnabled(data_ != nullptr);
    StateChanged();
}

void CustomActionsPanel::Revert() {
    if (data_)
        ReadData();
}

data::Status CustomActionsPanel::Save() {
    if (!changes_ || !Editable())
        return nullptr;
    if (!ConfirmSave() || !chooser_->Validate())
        return SaveStopped();
    data::RuleAction& action = *actions_[static_cast<size_t>(current_)];
    action.SetParameter(1, chooser_->SelectedCustomFields());
    if (data::Status status = action.Save(*data_)) {
        Report(FailureText(Text(kTxtCustomActionNotSaved, action.Description()), *status, Doing::Saving,
                           Text(kTxtPressRevert)));
        return status;
    }
    SetChanges(false);
    Notify(qmnObjectChanged, vb::Variant(action.ActionId()));
    return nullptr;
}

void CustomActionsPanel::StandardAction(QMAdminActions pintAction) {
    if (pintAction == qmaSave)
        Save();
    else if (pintAction == qmaRefresh)
        Refresh();
}

void CustomActionsPanel::Refresh() {
    if (data_ && ControlDone())
        ReadData();
}

bool CustomActionsPanel::HandlesAction(QMAdminActions action) const {
    if (action == qmaSave)
        return Editable();
    return action == qmaRefresh && data_ != nullptr;
}

std::string CustomActionsPanel::Subject() const {
    return current_ >= 0 ? Action(current_).Description() : std::string();
}

int CustomActionsPanel::ViewCount() const {
    return std::max(1, ActionCount());
}

ConsolePanel::View CustomActionsPanel::ShowView(int index) {
    if (ActionCount() == 0)
        return {"custom-actions", Caption()};
    if (index != current_)
        ShowProfile(index);
    return {"custom-action-" + std::to_string(Action(index).ActionId()), Action(index).Description()};
}

} // namespace qm6::console
