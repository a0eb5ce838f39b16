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

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm6 {
namespace {

using forms::ScriptedHost;

// A thread started with its module folder in an empty temporary folder (no
// string or branding library found), or later in the build's bin folder
// (both found).
class GlobalTest : public test::FreshThread {
protected:
    GlobalTest() { StartIn(bare_.Str()); }

    test::TempDir bare_;
    ScriptedHost host_;
    forms::ScopedHost scope_{host_};
    QM6AdminCommonGlobal global_;
};

// Without a branding library the header logo is the built-in JPEG; with
// the build's library its bitmap wins. Names are the console's.
TEST_F(GlobalTest, HeaderLogoAndNamesWithAndWithoutTheBrandingLibrary) {
    ASSERT_FALSE(Branding().IsLoaded());
    EXPECT_EQ(global_.ApplicationName(), "Control Center");
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
    const Case cases[] = {
        {5, 0, 32, false}, {5, 1, 24, false},  {5, 1, 32, true},
        {6, 0, 32, true},  {4, 90, 32, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QM6AdminCommonGlobal::UseAlphaIconsFor({c.major, c.minor}, c.bits), c.expected)
            << c.major << "." << c.minor << " at " << c.bits;
    // This system counts as 6.0; the depth is the host's.
    for (const int bits : {24, 32}) {
        host_.DisplayBitsPerPixel(bits);
        EXPECT_EQ(global_.UseAlphaIcons(), bits >= 32) << bits;
    }
}

TEST_F(GlobalTest, MessagesAndTheDoNotShowAgainBoxGetTheirArguments) {
    global_.DisplayMessage("Stop", 16);
    global_.DisplayMessage("Default");
    global_.DisplayYesNoMessage("Delete?");
    std::vector<int> styles;
    for (const auto& box : host_.Boxes())
        styles.push_back(box.style);
    EXPECT_EQ(styles, (std::vector<int>{16, 48, 52}));
    EXPECT_EQ(host_.Boxes()[2].title, "Quillmeter 6");

    // The do-not-show-again box gets the arguments and its answer comes back;
    // the box's defaults are its own tests'.
    host_.QueueModal([&](forms::Form& form) {
        auto& box = dynamic_cast<frmIdiotBox&>(form);
        EXPECT_FALSE(box.cmdCancel().Visible());
        EXPECT_EQ(box.chkDoNotShow().Caption(), "Keep asking");
        EXPECT_EQ(box.HelpContextID(), 42);
        forms::input::CloseBox(box);
    });
    EXPECT_FALSE(global_.ShowIdiotBox("Hello", "Software\\Quillmeter 6\\Global", "Six", 42,
                                      "Keep asking", false));
    EXPECT_EQ(host_.PendingModals(), 0u);
}

} // namespace
} // namespace qm6
