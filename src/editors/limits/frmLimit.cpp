#include "editors/limits/frmLimit.h"

#include "common/Language.h"
#include "common/MessageBox.h"
#include "common/Utilities.h"
#include "common/clsQM6Branding.h"
#include "contract/ListService.h"
#include "editors/limits/LimitIcon.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "platform/forms/TextBox.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"
#include "platform/vb/Strings.h"
#include "platform/vb/VbError.h"

#include <limits>
#include <stdexcept>

namespace qm6 {

namespace {

// String ids of the dialog's texts.
enum : int32_t {
    kStrDialog = 200,
    kStrStopJob = 201,
    kStrClose = 202,
    kStrSave = 203,
    kStrMessage = 204,
    kStrTextCaption = 205,
    kStrTitleCaption = 206,
    kStrTypeCaption = 207,
    kStrLimitCaption = 208,
    kStrAddLimit = 209,
    kStrEditLimit = 210,
    kStrMoneyNeeded = 211,
    kStrWholeNumberNeeded = 212,
    kStrTitleNeeded = 213,
    kStrTextNeeded = 214,
};

constexpr int kKeyReturn = 13;
constexpr int kKeyEscape = 27;

// A value as money, or nullopt when it is out of range or below 0 (no limit
// is negative).
std::optional<vb::Currency> AsMoney(const vb::Variant& value) {
    try {
        const vb::Currency money = vb::CCur(value);
        if (money < vb::Currency())
            return std::nullopt;
        return money;
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

// A value as a whole count (halves to even), or nullopt when it is out of
// the 32-bit range or below 0.
std::optional<int32_t> AsCount(const vb::Variant& value) {
    try {
        const int32_t count = vb::CLng(value);
        if (count < 0)
            return std::nullopt;
        return count;
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

bool IsZero(const vb::Variant& value) {
    try {
        return vb::CDbl(value) == 0.0;
    } catch (const vb::VbError&) {
        return false;
    }
}

} // namespace

frmLimit::frmLimit() : Form("frmLimit") {
    // A dialog: a fixed border without minimize and maximize, outside the task bar.
    BorderStyle(forms::vbFixedDialog);
    ShowInTaskbar(false);
    Caption("Limit");
    Icon(LimitIcon());
    Move(0, 0, kDesignWidth, kDesignHeight);

    // Added in the focus order.
    lblCaption_[2] = &Add<forms::Label>("lblCaption", 2);
    lblCaption_[2]->Caption("Type:");
    lblCaption_[2]->Move(240, 180, 675, 195);
    cmbType_ = &Add<forms::ComboBox>("cmbType");
    cmbType_->Move(960, 120, 3615, 315);
    lblCaption_[1] = &Add<forms::Label>("lblCaption", 1);
    lblCaption_[1]->Caption("Limit:");
    lblCaption_[1]->Move(240, 660, 675, 195);
    txtLimit_ = &Add<forms::TextBox>("txtLimit");
    txtLimit_->Move(960, 600, 1335, 315);
    txtLimit_->MaxLength(kAmountLength);
    chkStopJob_ = &Add<forms::CheckBox>("chkStopJob");
    chkStopJob_->Caption("Stop job at limit");
    chkStopJob_->Move(2940, 660, 1635, 195);

    lblMessage_ = &Add<forms::Frame>("lblMessage");
    lblMessage_->Caption("Message");
    lblMessage_->Move(120, 1080, 4455, 2055);
    lblCaption_[3] = &lblMessage_->Add<forms::Label>("lblCaption", 3);
    lblCaption_[3]->Caption("Title:");
    lblCaption_[3]->Move(120, 270, 615, 255);
    txtTitle_ = &lblMessage_->Add<forms::TextBox>("txtTitle");
    txtTitle_->Move(840, 240, 3495, 315);
    lblCaption_[0] = &lblMessage_->Add<forms::Label>("lblCaption", 0);
    lblCaption_[0]->Caption("Text:");
    lblCaption_[0]->Move(120, 780, 615, 255);
    txtMessage_ = &lblMessage_->Add<forms::TextBox>("txtMessage", -1, true);
    txtMessage_->Move(840, 720, 3495, 1215);

    cmdSave_ = &Add<forms::CommandButton>("cmdSave");
    cmdSave_->Caption("OK");
    cmdSave_->Move(2160, 3240, 1155, 375);
    cmdSave_->Default(true);
    cmdClose_ = &Add<forms::CommandButton>("cmdClose");
    cmdClose_->Caption("Close");
    cmdClose_->Move(3420, 3240, 1155, 375);
    cmdClose_->Cancel(true);

    OnLoad = [this] { Form_Load(); };
    cmbType_->OnClick = [this] { cmbType_Click(); };
    txtLimit_->OnKeyPress = [this](int& keyAscii) { txtLimit_KeyPress(keyAscii); };
    txtLimit_->OnLostFocus = [this] { txtLimit_LostFocus(); };
    for (forms::TextBox* box : {txtLimit_, txtTitle_, txtMessage_}) {
        box->OnGotFocus = [box] {
            box->SelStart(0);
            box->SelLength(std::numeric_limits<int32_t>::max()); // to the end
        };
    }
    cmdSave_->OnClick = [this] { cmdSave_Click(); };
    cmdClose_->OnClick = [this] { cmdClose_Click(); };
}

frmLimit::~frmLimit() = default;

forms::Label& frmLimit::lblCaption(int32_t index) const {
    if (index < 0 || index > 3)
        throw std::out_of_range("frmLimit: no lblCaption of that index");
    return *lblCaption_[static_cast<size_t>(index)];
}

bool frmLimit::AddLimit(data::PrintingLimit& insLimit,
                        std::shared_ptr<const data::SystemSettings> pinsSettings,
                        bool pblnShowStopJobControl) {
    return Run(insLimit, std::move(pinsSettings), pblnShowStopJobControl, kStrAddLimit);
}

bool frmLimit::EditLimit(data::PrintingLimit& pinsLimit,
                         std::shared_ptr<const data::SystemSettings> pinsSettings,
                         bool pblnShowStopJobControl) {
    return Run(pinsLimit, std::move(pinsSettings), pblnShowStopJobControl, kStrEditLimit);
}

bool frmLimit::Run(data::PrintingLimit& limit, std::shared_ptr<const data::SystemSettings> settings,
                   bool showStopJob, int32_t captionId) {
    forms::SavedMousePointer pointer;
    forms::Screen::MousePointer(forms::vbDefault);
    settings_ = std::move(settings);
    showStopJob_ = showStopJob;
    saved_ = false;
    writtenValue_.reset();

    Load();
    Caption(LangString(captionId));
    currentLimit_ = &limit;
    try {
        ShowLimit();
        Show(forms::vbModal);
    } catch (...) {
        currentLimit_ = nullptr;
        throw;
    }
    currentLimit_ = nullptr;
    return saved_;
}

void frmLimit::Form_Load() {
    SetDialogCaptions();
    FillTypeCombo();
}

void frmLimit::SetDialogCaptions() {
    Caption(LangString(kStrDialog));
    chkStopJob_->Caption(LangString(kStrStopJob));
    cmdClose_->Caption(LangString(kStrClose));
    cmdSave_->Caption(LangString(kStrSave));
    lblMessage_->Caption(LangString(kStrMessage));
    lblCaption(0).Caption(LangString(kStrTextCaption));
    lblCaption(3).Caption(LangString(kStrTitleCaption));
    lblCaption(2).Caption(LangString(kStrTypeCaption));
    lblCaption(1).Caption(LangString(kStrLimitCaption));
}

void frmLimit::FillTypeCombo() {
    const vb::Variant list(data::ListService::Get()->GetList(kLimitTypeList));
    FillComboFromArray(*cmbType_, list, -1);
    cmdSave_->Enabled(cmbType_->ListIndex() >= 0);
}

void frmLimit::ShowLimit() {
    const data::PrintingLimit& limit = *currentLimit_;
    if (IsZero(limit.LimitValue()))
        WriteAmount(std::string(), limit.LimitValue());
    else
        WriteAmount(vb::CStr(limit.LimitValue()), limit.LimitValue());
    txtMessage_->Text(limit.MessageText());
    txtTitle_->Text(limit.Title());
    // Choosing the limit's type runs the type-change rule through Click.
    cmbType_->ListIndex(FindComboItemData(*cmbType_, limit.LimitType()));
    cmdSave_->Enabled(cmbType_->ListIndex() >= 0);
    chkStopJob_->Visible(showStopJob_);
    chkStopJob_->Value(limit.StopJob() ? forms::vbChecked : forms::vbUnchecked);
}

std::optional<int32_t> frmLimit::SelectedType() const {
    const int32_t index = cmbType_->ListIndex();
    if (index < 0)
        return std::nullopt;
    return cmbType_->ItemData(index);
}

bool frmLimit::MoneySelected() const {
    const std::optional<int32_t> type = SelectedType();
    return type && data::PrintingLimit::IsMoneyType(*type);
}

std::optional<vb::Variant> frmLimit::Amount() const {
    const std::string text = vb::Trim(txtLimit_->Text());
    if (text.empty())
        return std::nullopt;
    if (writtenValue_ && text == vb::Trim(writtenText_))
        return writtenValue_;
    const vb::Variant typed(text);
    if (!vb::IsNumeric(typed))
        return std::nullopt;
    return typed;
}

void frmLimit::WriteAmount(const std::string& text, vb::Variant value) {
    writtenText_ = text;
    writtenValue_ = std::move(value);
    txtLimit_->Text(text);
}

void frmLimit::FormatAmountAsMoney() {
    const std::optional<vb::Variant> amount = Amount();
    if (!amount)
        return;
    const std::optional<vb::Currency> money = AsMoney(*amount);
    if (!money)
        return;
    const std::string format = settings_ ? settings_->CurrencyFormat() : std::string();
    WriteAmount(vb::Format(vb::Variant(*money), format), vb::Variant(*money));
}

void frmLimit::ApplyTypeChange() {
    if (MoneySelected()) {
        FormatAmountAsMoney();
        return;
    }
    if (!SelectedType())
        return;
    const std::optional<vb::Variant> amount = Amount();
    if (!amount)
        return;
    if (const std::optional<int32_t> count = AsCount(*amount))
        WriteAmount(vb::CStr(vb::Variant(*count)), vb::Variant(*count));
}

void frmLimit::cmbType_Click() {
    cmdSave_->Enabled(cmbType_->ListIndex() >= 0);
    ApplyTypeChange();
}

void frmLimit::txtLimit_KeyPress(int& keyAscii) {
    // Enter and Esc belong to OK and Close, which the platform hands them to
    // before the box sees them.
    if (keyAscii == kKeyReturn || keyAscii == kKeyEscape)
        return;
    keyAscii = FilterNumericKey(keyAscii, false, MoneySelected());
}

void frmLimit::txtLimit_LostFocus() {
    if (MoneySelected())
        FormatAmountAsMoney();
}

void frmLimit::ShowInvalid(int32_t stringId, forms::Control& control) {
    ShowMessageBox(LangString(stringId), vbOKOnly + vbExclamation, Branding().ProductName());
    control.SetFocus();
}

bool frmLimit::ValidateAndStore() {
    const std::optional<int32_t> type = SelectedType();
    if (!type || !currentLimit_)
        return false;
    const bool money = data::PrintingLimit::IsMoneyType(*type);

    // Spaces go from every box; the amount box keeps a longer text that code
    // wrote (a formatted amount), since its 8 characters bound only typing.
    const std::string amountText = vb::Trim(txtLimit_->Text());
    TrimTextControls(*this, false);
    txtLimit_->Text(amountText);

    const std::optional<vb::Variant> amount = Amount();
    std::optional<vb::Currency> moneyValue;
    std::optional<int32_t> countValue;
    if (amount) {
        if (money)
            moneyValue = AsMoney(*amount);
        else
            countValue = AsCount(*amount);
    }
    if (!moneyValue && !countValue) {
        ShowInvalid(money ? kStrMoneyNeeded : kStrWholeNumberNeeded, *txtLimit_);
        return false;
    }
    if (txtTitle_->Text().empty()) {
        ShowInvalid(kStrTitleNeeded, *txtTitle_);
        return false;
    }
    if (txtMessage_->Text().empty()) {
        ShowInvalid(kStrTextNeeded, *txtMessage_);
        return false;
    }

    data::PrintingLimit& limit = *currentLimit_;
    limit.SetLimitType(*type);
    limit.SetMessageText(txtMessage_->Text());
    limit.SetTitle(txtTitle_->Text());
    if (data::PrintingLimit::IsMoneyType(limit.LimitType()))
        limit.SetLimitValue(vb::Variant(*moneyValue));
    else
        limit.SetLimitValue(vb::Variant(*countValue));
    limit.SetStopJob(chkStopJob_->Value() == forms::vbChecked);
    return true;
}

void frmLimit::cmdSave_Click() {
    if (!ValidateAndStore())
        return;
    saved_ = true;
    Unload();
}

void frmLimit::cmdClose_Click() {
    saved_ = false;
    Unload();
}

} // namespace qm6
