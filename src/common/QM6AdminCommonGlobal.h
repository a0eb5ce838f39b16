#pragma once

// The library's application object: the product's names and pictures for the
// console and its sibling applications, whether to use icons with an alpha
// channel, and three message operations (a plain message box, a Yes/No box,
// and the do-not-show-again box). It keeps nothing of its own: names and
// pictures come from the thread's branding object, read anew on every call.
// Message boxes are titled with the product name.

#include "platform/pictures/Picture.h"
#include "platform/system/System.h"

#include <cstdint>
#include <string>

namespace qm6 {

class QM6AdminCommonGlobal {
public:
    // The style a message operation uses when its caller gives -1 or none.
    static constexpr int32_t kDefaultMessageStyle = 48;   // exclamation, OK
    static constexpr int32_t kDefaultYesNoStyle = 52;     // exclamation, Yes and No

    std::string ProductName() const;
    // The console's name (product 1).
    std::string ApplicationName() const;
    std::string CompanyName() const;
    // The console's splash picture; nullptr when the branding library has none.
    pictures::PicturePtr SplashScreen() const;
    // The branding library's header logo, else the library's built-in one
    // (a 176 x 80 JPEG); nullptr only if both fail.
    pictures::PicturePtr AdminHeaderLogo() const;
    // True on a system of version 5.1 or later whose display shows at least
    // 32 bits per pixel.
    bool UseAlphaIcons() const;

    // Shows the message in a modal box with the style (48 for -1); the
    // button pressed is not reported.
    void DisplayMessage(const std::string& pstrMessage, int32_t pintOption = -1) const;
    // Shows the message with the style (52 for -1) and answers the button
    // pressed (6 Yes, 7 No, or another answer code of the style's buttons).
    int32_t DisplayYesNoMessage(const std::string& pstrMessage, int32_t pintOption = -1) const;
    // Opens a new do-not-show-again box for this one call and answers its
    // answer: true when suppressed by the stored choice or confirmed with OK.
    // A program without a QApplication gets no window: the stored choice
    // still suppresses the box, and a box that would show goes the way of
    // every message box there (standard error; false with Cancel offered,
    // true without), storing nothing.
    bool ShowIdiotBox(const std::string& pstrMesg, const std::string& pstrSectionKey,
                      const std::string& pstrRegKey, int32_t plngHelpId,
                      const std::string& pstrCheckDisplay = std::string(), bool pblnShowCancel = true) const;

    // The rule of UseAlphaIcons for a version and a display depth: version
    // 5.1 or later (major above 5, or 5 with a minor above 0) and at least 32
    // bits per pixel.
    static bool UseAlphaIconsFor(const sys::OSVersionInfo& version, int bitsPerPixel);
};

// Bits per pixel of the display, through the forms host (the primary
// screen); 0 when the program has no display.
int GetDisplayBitsPerPixel();

// The library's built-in header logo (resource ADMINHEAD 1000), or nullptr.
pictures::PicturePtr BuiltInHeaderLogo();

} // namespace qm6
