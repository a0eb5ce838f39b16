#include "dialogs/frmIdiotBox.h"

#include "common/Fonts.h"
#include "common/Language.h"
#include "common/clsQM6Branding.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/VbError.h"
#include "registry/clsRegistry.h"

#include <algorithm>
#include <cmath>

namespace qm6 {
namespace {

constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001u);
constexpr int32_t REG_SZ = 1;
constexpr int32_t kNoHelp = -1;

clsRegistry ChoiceKey(const std::string& sectionKey) {
    clsRegistry key;
    key.ClassKey(HKEY_CURRENT_USER);
    key.SectionKey(sectionKey);
    key.ValueType(REG_SZ);
    return key;
}

} // namespace

frmIdiotBox::frmIdiotBox() : Form("frmIdiotBox") {
    // A message box: a fixed dialog outside the task bar.
    BorderStyle(forms::vbFixedDialog);
    ShowInTaskbar(false);
    Move(0, 0, kDesignWidth, kDesignHeight);

    lblMesg_ = &Add<forms::Label>("lblMesg");
    lblMesg_->Move(90, 60, 4980, 195);
    lblMesg_->WordWrap(true);
    lblMesg_->AutoSize(true);

    chkDoNotShow_ = &Add<forms::CheckBox>("chkDoNotShow");
    chkDoNotShow_->Caption("Show this dialog when adding");
    chkDoNotShow_->Move(1020, 1230, 3525, 255);

    cmdOK_ = &Add<forms::CommandButton>("cmdOK");
    cmdOK_->Caption("OK");
    cmdOK_->Move(1380, 1620, 1155, 375);
    cmdOK_->Default(true);

    cmdCancel_ = &Add<forms::CommandButton>("cmdCancel");
    cmdCancel_->Caption("Cancel");
    cmdCancel_->Move(2640, 1620, 1155, 375);
    cmdCancel_->Cancel(true);

    cmdHelp_ = &Add<forms::CommandButton>("cmdHelp");
    cmdHelp_->Caption("&Help");
    cmdHelp_->Move(3900, 1620, 1155, 375);

    OnLoad = [this] { Form_Load(); };
    cmdOK_->OnClick = [this] { cmdOK_Click(); };
    cmdCancel_->OnClick = [this] { cmdCancel_Click(); };
    cmdHelp_->OnClick = [this] { cmdHelp_Click(); };
}

frmIdiotBox::~frmIdiotBox() = default;

void frmIdiotBox::Form_Load() {
    cmdCancel_->Caption(LangString(2));
    cmdOK_->Caption(LangString(3));
    cmdHelp_->Caption(LangString(4));
    chkDoNotShow_->Caption(LangString(5));
    Caption(Branding().ProductName());
    ApplyFonts(*Font(), Controls(), LibraryFont());
}

bool frmIdiotBox::ReadShowSetting(const std::string& pstrSectionKey, const std::string& pstrRegKey) {
    clsRegistry key = ChoiceKey(pstrSectionKey);
    std::string ignored;
    const vb::Variant stored = key.GetValueOrDefault(pstrRegKey, vb::Variant("1"), &ignored);
    try {
        return vb::CBool(stored);
    } catch (const vb::VbError&) {
        // Empty text, a word other than True or False, or anything else that
        // is no Boolean: show the box, as for a value that was never stored,
        // rather than fail the caller.
        return true;
    }
}

bool frmIdiotBox::CheckAndShowIdiotBox(const std::string& pstrMesg, const std::string& pstrSectionKey,
                                       const std::string& pstrRegKey, int32_t plngHelpId,
                                       const std::string& pstrCheckDisplay, bool pblnShowCancel) {
    sectionKey_ = pstrSectionKey;
    if (!ReadShowSetting(pstrSectionKey, pstrRegKey)) {
        confirmed_ = true;
        return true;
    }

    Load();
    regKey_ = pstrRegKey;
    lblMesg_->Caption(pstrMesg);
    HelpContextID(plngHelpId);
    LayOut(pstrCheckDisplay, pblnShowCancel);
    chkDoNotShow_->Value(forms::vbChecked);
    // The window ends 120 twips below the buttons; the frame stays outside.
    OuterHeight(cmdOK_->Top() + cmdOK_->Height() + 120 + (OuterHeight() - ScaleHeight()));

    {
        forms::SavedMousePointer pointer;
        forms::Screen::MousePointer(forms::vbDefault);
        Show(forms::vbModal);
    }
    return confirmed_;
}

void frmIdiotBox::LayOut(const std::string& pstrCheckDisplay, bool pblnShowCancel) {
    // Below the message, however many lines it took.
    chkDoNotShow_->Top(lblMesg_->Height() + 240);
    cmdOK_->Top(chkDoNotShow_->Top() + chkDoNotShow_->Height() + 120);
    cmdHelp_->Top(cmdOK_->Top());
    cmdCancel_->Top(cmdOK_->Top());

    cmdHelp_->Visible(HelpContextID() != kNoHelp);
    cmdCancel_->Visible(pblnShowCancel);

    // The visible buttons stay packed to the right.
    if (HelpContextID() == kNoHelp) {
        cmdOK_->Left(cmdCancel_->Left());
        cmdCancel_->Left(cmdHelp_->Left());
    }
    if (!pblnShowCancel)
        cmdOK_->Left(cmdCancel_->Left());

    const std::string caption = pstrCheckDisplay.empty() ? LangString(6) : pstrCheckDisplay;
    chkDoNotShow_->Caption(caption);

    // The box and its caption, centred; the 24 pixels are the box and its gap.
    const double fitted = 24.0 * forms::Screen::TwipsPerPixelX() + TextWidth(caption);
    int32_t width = static_cast<int32_t>(vb::RoundHalfEven(fitted));
    int32_t left = static_cast<int32_t>(vb::RoundHalfEven(ScaleWidth() - width - 120.0)) / 2;
    // A caption too long for the window is cut rather than pushed past the
    // window's left edge.
    const int32_t widest = std::max<int32_t>(0, ScaleWidth() - 2 * kCheckBoxMargin);
    if (width > widest || left < kCheckBoxMargin) {
        width = std::min(width, widest);
        left = std::max(left, kCheckBoxMargin);
    }
    chkDoNotShow_->Left(left);
    chkDoNotShow_->Width(width);
}

void frmIdiotBox::cmdOK_Click() {
    clsRegistry key = ChoiceKey(sectionKey_);
    const int16_t keepShowing = chkDoNotShow_->Value() == forms::vbChecked ? int16_t{-1} : int16_t{0};
    std::string ignored;
    key.SetCreateValue(regKey_, vb::Variant(keepShowing), false, &ignored);
    confirmed_ = true;
    Unload();
}

void frmIdiotBox::cmdCancel_Click() {
    Unload();
}

} // namespace qm6
