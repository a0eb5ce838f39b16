#pragma once

// The do-not-show-again box: a small modal window with a message, a check box
// that lets the user stop the message from appearing again, OK, and
// optionally Cancel and Help. The choice is kept per message in the current
// user's registry hive, as a REG_SZ value that the caller names ("-1": keep
// showing, "0": do not show again; a missing value means show).
//
// One instance serves one call of CheckAndShowIdiotBox: it is loaded and shown
// by that call (or never, when the stored choice suppresses it) and unloaded
// by OK, Cancel or the close box.

#include "platform/forms/Form.h"

#include <cstdint>
#include <string>

namespace qm6::forms {
class CheckBox;
class CommandButton;
class Label;
} // namespace qm6::forms

namespace qm6 {

class frmIdiotBox : public forms::Form {
public:
    // The client area as designed, in twips; the height changes with the message.
    static constexpr int32_t kDesignWidth = 5130;
    static constexpr int32_t kDesignHeight = 2070;
    // A check box caption too long for the window is cut so that the box keeps
    // this margin from both edges (the message's own left margin).
    static constexpr int32_t kCheckBoxMargin = 90;

    frmIdiotBox();
    ~frmIdiotBox() override;

    // Shows the message unless the stored choice under pstrSectionKey (below
    // HKEY_CURRENT_USER), value pstrRegKey, says not to. plngHelpId -1 hides
    // Help; an empty pstrCheckDisplay gives the check box its default
    // caption. True when the box was suppressed or the user pressed OK; false
    // for Cancel and the close box.
    bool CheckAndShowIdiotBox(const std::string& pstrMesg, const std::string& pstrSectionKey,
                              const std::string& pstrRegKey, int32_t plngHelpId,
                              const std::string& pstrCheckDisplay, bool pblnShowCancel);

    // The stored choice as read: false means do not show. A value that is not
    // a number nor True or False reads as true, so that the box shows.
    static bool ReadShowSetting(const std::string& pstrSectionKey, const std::string& pstrRegKey);

    forms::Label& lblMesg() const { return *lblMesg_; }
    forms::CheckBox& chkDoNotShow() const { return *chkDoNotShow_; }
    forms::CommandButton& cmdOK() const { return *cmdOK_; }
    forms::CommandButton& cmdCancel() const { return *cmdCancel_; }
    forms::CommandButton& cmdHelp() const { return *cmdHelp_; }

    // The fields of the current call.
    const std::string& ValueName() const { return regKey_; }
    const std::string& SectionKeyName() const { return sectionKey_; }
    bool Confirmed() const { return confirmed_; }

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click() {}
    void LayOut(const std::string& pstrCheckDisplay, bool pblnShowCancel);

    forms::Label* lblMesg_;
    forms::CheckBox* chkDoNotShow_;
    forms::CommandButton* cmdOK_;
    forms::CommandButton* cmdCancel_;
    forms::CommandButton* cmdHelp_;

    std::string regKey_;
    std::string sectionKey_;
    bool confirmed_ = false;
};

} // namespace qm6
