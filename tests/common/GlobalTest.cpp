// The global object: names and pictures with and without a branding library,
// the built-in header logo, UseAlphaIcons over versions and display depths,
// and the message operations through the scripted host.

#include "FreshThread.h"
#include "common/QM6AdminCommonGlobal.h"
#include "common/clsQM6Branding.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm6 {
namespace {

using forms::ScriptedHost;

// A thread started with a module folder: the build's bin folder (string and
// branding libraries found) or an empty temporary one (neither found).
class GlobalTest : public test::FreshThread {
protected:
    test::TempDir bare_;
    ScriptedHost host_;
    forms::ScopedHost scope_{host_};
    QM6AdminCommonGlobal global_;
};

// Without a branding library the header logo is the built-in JPEG; with
// the build's library its bitmap wins. Names are the console's.
TEST_F(GlobalTest, HeaderLogoAndNamesWithAndWithoutTheBrandingLibrary) {
    StartIn(bare_.Str());
    ASSERT_FALSE(Branding().IsLoaded());
    EXPECT_EQ(global_.ApplicationName(), "Control Center");
    EXPECT_EQ(global_.ProductName(), "Quillmeter 6");
    EXPECT_EQ(global_.CompanyName(), "Quillmeter");
    EXPECT_EQ(global_.SplashScreen(), nullptr);
    const pictures::PicturePtr logo = global_.AdminHeaderLogo();
    ASSERT_NE(logo, nullptr);
    ASSERT_GE(logo->SourceFile().size(), 2u);
    EXPECT_EQ(logo->SourceFile()[0], 0xFF);
    EXPECT_EQ(logo->SourceFile()[1], 0xD8);

    StartIn(QM6_BIN_DIR);
    ASSERT_TRUE(Branding().IsLoaded());
    EXPECT_EQ(global_.AdminHeaderLogo()->Type(), pictures::PictureType::Bitmap);
    EXPECT_NE(global_.SplashScreen(), nullptr);
}

TEST_F(GlobalTest, UseAlphaIconsNeedsVersion51AndThirtyTwoBits) {
    struct Case {
        uint32_t major, minor;
        int bits;
        bool expected;
    };
    const std::vector<Case> cases = {
        {5, 0, 32, false}, {5, 1, 24, false},  {5, 1, 32, true},
        {6, 0, 32, true},  {4, 90, 32, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " at " +
                     std::to_string(c.bits));
        sys::OSVersionInfo version;
        version.majorVersion = c.major;
        version.minorVersion = c.minor;
        EXPECT_EQ(QM6AdminCommonGlobal::UseAlphaIconsFor(version, c.bits), c.expected);
    }
    // This system counts as 6.0; the depth is the host's.
    StartIn(bare_.Str());
    for (const int bits : {24, 32}) {
        host_.DisplayBitsPerPixel(bits);
        EXPECT_EQ(global_.UseAlphaIcons(), bits >= 32) << bits;
    }
}

TEST_F(GlobalTest, MessagesUseTheirStylesAndTheProductNameAsTitle) {
    StartIn(QM6_BIN_DIR);
    const std::string title = Branding().ProductName();
    global_.DisplayMessage("Stop", 16);
    global_.DisplayMessage("Default");
    host_.QueueAnswer(6);
    EXPECT_EQ(global_.DisplayYesNoMessage("Continue?"), 6);
    host_.QueueAnswer(2);
    EXPECT_EQ(global_.DisplayYesNoMessage("Save?", 3 + 32), 2);

    // The default styles: an exclamation with OK, a question with Yes and No.
    const std::vector<std::pair<std::string, int>> expected = {
        {"Stop", 16}, {"Default", 48}, {"Continue?", 52}, {"Save?", 35}};
    ASSERT_EQ(host_.Boxes().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host_.Boxes()[i].text, expected[i].first);
        EXPECT_EQ(host_.Boxes()[i].style, expected[i].second) << i;
        EXPECT_EQ(host_.Boxes()[i].title, title);
    }
}

TEST_F(GlobalTest, ShowIdiotBoxPassesItsArgumentsAndDefaultsToAFreshBox) {
    StartIn(QM6_BIN_DIR);
    const std::string section = "Software\\Quillmeter 6\\Global";
    struct Case {
        std::function<bool()> show;
        bool pressOK, cancelVisible;
        const char* caption;
        int32_t helpId;
    };
    const Case cases[] = {
        // Four arguments: the default caption and Cancel offered; the box's
        // answer is passed on, Cancel answering false.
        {[&] { return global_.ShowIdiotBox("Hello", section, "Four", 42); }, false, true,
         "Show this message again", 42},
        // Six arguments, passed on unchanged.
        {[&] { return global_.ShowIdiotBox("Hello", section, "Six", -1, "Keep asking", false); },
         true, false, "Keep asking", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        host_.QueueModal([&](forms::Form& form) {
            auto& box = dynamic_cast<frmIdiotBox&>(form);
            EXPECT_EQ(box.cmdCancel().Visible(), c.cancelVisible);
            EXPECT_EQ(box.chkDoNotShow().Caption(), c.caption);
            EXPECT_EQ(box.HelpContextID(), c.helpId);
            forms::input::Click(c.pressOK ? box.cmdOK() : box.cmdCancel());
        });
        EXPECT_EQ(c.show(), c.pressOK);
        EXPECT_EQ(host_.PendingModals(), 0u);
    }
}

} // namespace
} // namespace qm6
