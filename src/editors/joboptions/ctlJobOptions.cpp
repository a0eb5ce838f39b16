#include "editors/joboptions/ctlJobOptions.h"

#include "common/Language.h"
#include "common/Utilities.h"
#include "contract/RuleService.h"
#include "editors/EnableControls.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"

#include <stdexcept>

namespace qm6 {

namespace {

// String ids of the editor's texts.
enum : int32_t {
    kStrForceNUp = 400,
    kStrForceDuplex = 401,
    kStrColorCaption = 402,
    kStrDuplexCaption = 403,
    kStrNUpCaption = 404,
    kStrNoColor = 405,
    kStrFirstColorChoice = 406,
    kStrSecondColorChoice = 407,
};

// The first failure of a sequence of calls: a later failure never hides an
// earlier one.
void KeepFirst(data::Status& status, data::Status next) {
    if (!status)
        status = std::move(next);
}

} // namespace

ctlJobOptions::ctlJobOptions() : forms::UserControl("ctlJobOptions") {
    lblCaption_[0] = &Add<forms::Label>("lblCaption", 2);
    lblCaption_[0]->Move(0, 37, 855, 240);
    cmbColor_ = &Add<forms::ComboBox>("cmbColor");
    cmbColor_->Move(1680, 0, 3855, 315);
    lblCaption_[1] = &Add<forms::Label>("lblCaption", 3);
    lblCaption_[1]->Move(0, 457, 855, 240);
    chkForceDuplex_ = &Add<forms::CheckBox>("chkForceDuplex");
    chkForceDuplex_->Move(1680, 480, 3735, 195);
    lblCaption_[2] = &Add<forms::Label>("lblCaption", 4);
    lblCaption_[2]->Move(0, 817, 855, 240);
    chkForceNUp_ = &Add<forms::CheckBox>("chkForceNUp");
    chkForceNUp_->Move(1680, 840, 3735, 195);
    Move(0, 0, kDesignWidth, kDesignHeight);

    SetCaptions();
    FillColorCombo();

    // Tied to the controls' change notifications, so a load that changes
    // them reports the change as well.
    cmbColor_->OnClick = [this] { RaiseJobOptionChanged(); };
    chkForceDuplex_->OnClick = [this] { RaiseJobOptionChanged(); };
    chkForceNUp_->OnClick = [this] { RaiseJobOptionChanged(); };
}

ctlJobOptions::~ctlJobOptions() = default;

void ctlJobOptions::SetCaptions() {
    lblCaption(4).Caption(LangString(kStrNUpCaption));
    lblCaption(3).Caption(LangString(kStrDuplexCaption));
    lblCaption(2).Caption(LangString(kStrColorCaption));
    chkForceDuplex_->Caption(LangString(kStrForceDuplex));
    chkForceNUp_->Caption(LangString(kStrForceNUp));
}

void ctlJobOptions::FillColorCombo() {
    cmbColor_->AddItem(LangString(kStrNoColor));
    cmbColor_->ItemData(cmbColor_->NewIndex(), NoColorRequirement);
    cmbColor_->AddItem(LangString(kStrFirstColorChoice));
    cmbColor_->ItemData(cmbColor_->NewIndex(), FirstColorChoice);
    cmbColor_->AddItem(LangString(kStrSecondColorChoice));
    cmbColor_->ItemData(cmbColor_->NewIndex(), SecondColorChoice);
    cmbColor_->ListIndex(0);
}

void ctlJobOptions::RaiseJobOptionChanged() {
    RaiseEvent(OnJobOptionChanged);
}

forms::Label& ctlJobOptions::lblCaption(int32_t index) const {
    if (index < 2 || index > 4)
        throw std::out_of_range("ctlJobOptions: no lblCaption of that index");
    return *lblCaption_[static_cast<size_t>(index - 2)];
}

const std::shared_ptr<data::JobOptionRule>& ctlJobOptions::Slot(int32_t optionType) const {
    return rules_.at(static_cast<size_t>(optionType));
}

bool ctlJobOptions::Enabled() const {
    return UserControl::Enabled();
}

void ctlJobOptions::Enabled(bool enabled) {
    UserControl::Enabled(enabled);
    EnableControls(*this, enabled);
}

int32_t ctlJobOptions::ColorOption() const {
    const int32_t index = cmbColor_->ListIndex();
    return index < 0 ? NoColorRequirement : cmbColor_->ItemData(index);
}

void ctlJobOptions::ColorOption(int32_t itemData) {
    cmbColor_->ListIndex(FindComboItemData(*cmbColor_, itemData));
}

bool ctlJobOptions::ForceDuplex() const {
    return chkForceDuplex_->Value() == forms::vbChecked;
}

void ctlJobOptions::ForceDuplex(bool on) {
    chkForceDuplex_->Value(on ? forms::vbChecked : forms::vbUnchecked);
}

bool ctlJobOptions::ForceNUp() const {
    return chkForceNUp_->Value() == forms::vbChecked;
}

void ctlJobOptions::ForceNUp(bool on) {
    chkForceNUp_->Value(on ? forms::vbChecked : forms::vbUnchecked);
}

data::Status ctlJobOptions::LoadData(data::Connection& pinsData, int32_t plngRulePriority,
                                     int32_t plngParentId, const std::string& /*pstrObjectTypeName*/) {
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;
    rules_ = {};
    loadState_.Note(nullptr);
    if (plngParentId < 1)
        return nullptr;

    auto loaded = std::make_shared<vb::Collection>();
    if (data::Status status = data::RuleService::Get()->LoadJobOptionRules(
            pinsData, loaded, plngRulePriority, plngParentId)) {
        // No rule is known to be stored, so none is shown.
        ColorOption(NoColorRequirement);
        ForceDuplex(false);
        ForceNUp(false);
        return loadState_.Note(status);
    }

    for (int32_t i = 1; i <= loaded->Count(); ++i) {
        auto rule = std::dynamic_pointer_cast<data::JobOptionRule>(loaded->Item(i).AsObject());
        if (!rule)
            continue;
        for (int32_t type = 0; type < 4; ++type) {
            if (rule->IsOption(type, plngRulePriority, plngParentId)) {
                rules_[static_cast<size_t>(type)] = rule; // a later rule of a type wins
                break;
            }
        }
    }

    // Both colour rules stored: the second choice (option type 0) wins.
    ColorOption(rules_[0] ? SecondColorChoice : rules_[1] ? FirstColorChoice : NoColorRequirement);
    ForceDuplex(rules_[2] != nullptr);
    ForceNUp(rules_[3] != nullptr);
    return nullptr;
}

data::Status ctlJobOptions::DeleteSlot(data::Connection& data, int32_t optionType) {
    auto& slot = rules_[static_cast<size_t>(optionType)];
    if (!slot)
        return nullptr;
    data::Status status = slot->Delete(data);
    if (!status)
        slot.reset();
    return status;
}

data::Status ctlJobOptions::CreateSlot(data::Connection& data, int32_t optionType) {
    std::shared_ptr<data::JobOptionRule> rule = data.NewJobOptionRule();
    rule->DefineRule(optionType, rulePriority_, parentId_, std::string());
    data::Status status = rule->Save(data, 0);
    if (!status)
        rules_[static_cast<size_t>(optionType)] = std::move(rule);
    return status;
}

data::Status ctlJobOptions::SaveSwitch(data::Connection& data, int32_t optionType, bool on) {
    const bool stored = rules_[static_cast<size_t>(optionType)] != nullptr;
    if (on && !stored)
        return CreateSlot(data, optionType);
    if (!on && stored)
        return DeleteSlot(data, optionType);
    return nullptr;
}

data::Status ctlJobOptions::SaveData(data::Connection& pinsData, int32_t plngRulePriority,
                                     int32_t plngParentId) {
    if (!loadState_.CanSave())
        return LoadState::SaveRefusal();
    rulePriority_ = plngRulePriority;
    parentId_ = plngParentId;
    data::Status status;

    // Colour: at most one of the two colour rules is to stay. Every call of
    // the step is made; its first failure is the step's answer.
    switch (ColorOption()) {
    case NoColorRequirement:
        KeepFirst(status, DeleteSlot(pinsData, data::JobOptionRule::ColorRequired));
        KeepFirst(status, DeleteSlot(pinsData, data::JobOptionRule::MonochromeRequired));
        break;
    case FirstColorChoice:
        KeepFirst(status, DeleteSlot(pinsData, data::JobOptionRule::ColorRequired));
        if (!rules_[data::JobOptionRule::MonochromeRequired])
            KeepFirst(status, CreateSlot(pinsData, data::JobOptionRule::MonochromeRequired));
        break;
    case SecondColorChoice:
        KeepFirst(status, DeleteSlot(pinsData, data::JobOptionRule::MonochromeRequired));
        if (!rules_[data::JobOptionRule::ColorRequired])
            KeepFirst(status, CreateSlot(pinsData, data::JobOptionRule::ColorRequired));
        break;
    default:
        break;
    }
    if (status)
        return status;

    if ((status = SaveSwitch(pinsData, data::JobOptionRule::DuplexRequired, ForceDuplex())))
        return status;
    return SaveSwitch(pinsData, data::JobOptionRule::NUpRequired, ForceNUp());
}

} // namespace qm6
