// The do-not-show-again box: its layout in twips with the scripted host's
// fixed metrics, and the stored choice round-tripping through a real
// temporary registry hive.

#include "common/ModuleState.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/QtHost.h"
#include "platform/forms/Screen.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/registry/Registry.h"
#include "registry/clsRegistry.h"
#include "support/TestSupport.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm6 {
namespace {

using forms::ScriptedHost;

constexpr const char* kSection = "Software\\Quillmeter 6\\Test";
constexpr const char* kValue = "ConfirmDelete";
constexpr int kVbKeyEscape = 27;
constexpr int kVbKeyReturn = 13;

// Where the box put its parts, in twips: the message's height, the check
// box's left, top and width, then OK's left and top, Cancel's and Help's
// left, and the window's inner height.
std::vector<int32_t> Layout(frmIdiotBox& box) {
    return {box.lblMesg().Height(),     box.chkDoNotShow().Left(), box.chkDoNotShow().Top(),
            box.chkDoNotShow().Width(), box.cmdOK().Left(),        box.cmdOK().Top(),
            box.cmdCancel().Left(),     box.cmdHelp().Left(),      box.ScaleHeight()};
}

// Each test has a hive of its own, the build's string library and branding
// library, and a library font of 8 points, so that the scripted host's
// metrics give 100 twips a character and 240 a line.
class IdiotBoxTest : public ::testing::Test {
protected:
    IdiotBoxTest() : env_("QM6_REGISTRY_DIR", hive_.Str()), scope_(host_) {
        reg::CloseThreadConnections();
        SetModuleFolder(QM6_BIN_DIR);
        WriteText("Software\\Quillmeter 6\\Font", "FontName", "DejaVu Sans");
        WriteText("Software\\Quillmeter 6\\Font", "FontSize", "8");
        ResetModuleState();
    }
    ~IdiotBoxTest() override {
        ResetModuleState();
        SetModuleFolder("");
        reg::CloseThreadConnections();
    }

    static void WriteText(const std::string& section, const std::string& name,
                          const std::string& text) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(section);
        key.ValueType(1);
        ASSERT_TRUE(key.SetCreateValue(name, vb::Variant(text), false));
    }

    // The stored type and text (without its NUL), or nullopt when missing.
    static std::optional<std::pair<uint32_t, std::string>> Stored() {
        reg::Key key;
        if (reg::OpenKey(reg::HKEY_CURRENT_USER, kSection, reg::KEY_READ, key) !=
            reg::ERROR_SUCCESS)
            return std::nullopt;
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (reg::QueryValue(key, kValue, &type, &data) != reg::ERROR_SUCCESS)
            return std::nullopt;
        std::string text(data.begin(), data.end());
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        return std::make_pair(type, text);
    }

    // Shows a fresh box whose script acts on it.
    bool Run(const std::string& message, int32_t helpId, const std::string& checkCaption,
             bool showCancel, const std::function<void(frmIdiotBox&)>& act) {
        host_.QueueModal([&](forms::Form& form) { act(dynamic_cast<frmIdiotBox&>(form)); });
        frmIdiotBox box;
        const bool answer =
            box.CheckAndShowIdiotBox(message, kSection, kValue, helpId, checkCaption, showCancel);
        EXPECT_EQ(host_.PendingModals(), 0u) << "the box was not shown";
        return answer;
    }

    static void PressOK(frmIdiotBox& box) { forms::input::Click(box.cmdOK()); }

    test::TempDir hive_;
    test::ScopedEnv env_;
    ScriptedHost host_;
    forms::ScopedHost scope_;
};

// 25 words of four letters: 10 words (49 characters) fit the message's 4980
// twips on a line, so the message takes three lines.
std::string ThreeLineMessage() {
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += (i ? " " : "") + std::string("abcd");
    return text;
}

TEST_F(IdiotBoxTest, LayoutInTwipsForEveryButtonCombinationAndCaption) {
    ASSERT_EQ(forms::Screen::TwipsPerPixelX(), 15);
    struct Case {
        std::string message;
        int32_t helpId;
        bool showCancel;
        std::string caption;
        std::vector<int32_t> layout; // as Layout() lists it
    };
    // Buttons left of a hidden one move right (OK 1380, Cancel 2640, Help
    // 3900 when all show). The check box (the 24-pixel box and its caption)
    // is centred, but kept 90 twips inside the window.
    const std::string shortText = "Delete the rule?";
    // clang-format off
    const std::vector<Case> cases = {
        {shortText, -1, true, "", {240, 1175, 480, 2660, 2640, 855, 3900, 3900, 1350}},
        {shortText, 77, false, "", {240, 1175, 480, 2660, 2640, 855, 2640, 3900, 1350}},
        {shortText, -1, false, "", {240, 1175, 480, 2660, 3900, 855, 3900, 3900, 1350}},
        {ThreeLineMessage(), 77, true, "", {720, 1175, 960, 2660, 1380, 1335, 2640, 3900, 1830}},
        {shortText, 5, true, "Remind me", {240, 1875, 480, 1260, 1380, 855, 2640, 3900, 1350}},
        // 60 characters would be 6360 wide; 45 (4860) fit but would start at 75.
        {shortText, 5, true, std::string(60, 'x'), {240, 90, 480, 4950, 1380, 855, 2640, 3900, 1350}},
        {shortText, 5, true, std::string(45, 'y'), {240, 90, 480, 4860, 1380, 855, 2640, 3900, 1350}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.substr(0, 20) + " help " + std::to_string(c.helpId) + " cancel " +
                     std::to_string(c.showCancel) + " caption " + c.caption.substr(0, 10));
        EXPECT_TRUE(Run(c.message, c.helpId, c.caption, c.showCancel, [&](frmIdiotBox& box) {
            EXPECT_EQ(Layout(box), c.layout);
            EXPECT_EQ(box.cmdCancel().Top(), box.cmdOK().Top());
            EXPECT_EQ(box.cmdHelp().Top(), box.cmdOK().Top());
            EXPECT_EQ(box.cmdHelp().Visible(), c.helpId != -1);
            EXPECT_EQ(box.cmdCancel().Visible(), c.showCancel);
            EXPECT_EQ(box.chkDoNotShow().Caption(),
                      c.caption.empty() ? "Show this message again" : c.caption);
            PressOK(box);
        }));
    }
}

TEST_F(IdiotBoxTest, StoredChoiceRoundTripsThroughTheHive) {
    // Never stored: shown with the string library's caption, the library
    // font and the normal pointer, checked. OK with it checked stores "-1"
    // as text; the caller's pointer comes back.
    forms::Screen::MousePointer(forms::vbHourglass);
    EXPECT_TRUE(Run("First", -1, "", true, [](frmIdiotBox& box) {
        EXPECT_EQ(forms::Screen::MousePointer(), forms::vbDefault);
        EXPECT_EQ(box.chkDoNotShow().Value(), forms::vbChecked);
        EXPECT_EQ(box.Caption(), "Quillmeter 6");
        EXPECT_EQ(box.lblMesg().Font()->Name(), "DejaVu Sans");
        PressOK(box);
    }));
    EXPECT_EQ(forms::Screen::MousePointer(), forms::vbHourglass);
    forms::Screen::MousePointer(forms::vbDefault);
    EXPECT_EQ(Stored(), std::make_pair(uint32_t{reg::REG_SZ}, std::string("-1")));

    // ... so it shows again; clearing the box and pressing Enter stores "0".
    EXPECT_TRUE(Run("Second", -1, "", true, [](frmIdiotBox& box) {
        forms::input::Click(box.chkDoNotShow());
        forms::input::PressKey(box, kVbKeyReturn);
    }));
    EXPECT_EQ(Stored(), std::make_pair(uint32_t{reg::REG_SZ}, std::string("0")));

    // Now suppressed: true at once, nothing shown, and the form never loads.
    const size_t shown = host_.ModalForms().size();
    frmIdiotBox box;
    EXPECT_TRUE(box.CheckAndShowIdiotBox("Third", kSection, kValue, -1, "", true));
    EXPECT_EQ(host_.ModalForms().size(), shown);
    EXPECT_FALSE(box.Loaded());
    EXPECT_TRUE(box.Confirmed());
}

TEST_F(IdiotBoxTest, CancelEscAndTheCloseBoxStoreNothingAndAnswerFalse) {
    const std::vector<std::pair<const char*, std::function<void(frmIdiotBox&)>>> ways = {
        {"Cancel", [](frmIdiotBox& box) { forms::input::Click(box.cmdCancel()); }},
        {"Esc", [](frmIdiotBox& box) { forms::input::PressKey(box, kVbKeyEscape); }},
        {"close box", [](frmIdiotBox& box) { forms::input::CloseBox(box); }},
        {"close box without Cancel", [](frmIdiotBox& box) { forms::input::CloseBox(box); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const bool showCancel = std::string(name) != "close box without Cancel";
        EXPECT_FALSE(Run("Message", -1, "", showCancel, [&](frmIdiotBox& box) {
            forms::input::Click(box.chkDoNotShow()); // cleared, yet not stored
            close(box);
        }));
        EXPECT_EQ(Stored(), std::nullopt);
    }
    // Help has no action of its own: the box stays until OK.
    EXPECT_TRUE(Run("Message", 12, "", true, [](frmIdiotBox& box) {
        forms::input::Click(box.cmdHelp());
        EXPECT_TRUE(box.Widget()->isVisible());
        PressOK(box);
    }));
}

// Which texts are true is CBool's rule; the box adds that a text that is no
// Boolean at all shows the box rather than raise.
TEST_F(IdiotBoxTest, ValuesStoredByHandShowOrSuppressTheBox) {
    const std::pair<const char*, bool> cases[] = {{"False", false}, {"junk", true}};
    for (const auto& [stored, shown] : cases) {
        WriteText(kSection, kValue, stored);
        EXPECT_EQ(frmIdiotBox::ReadShowSetting(kSection, kValue), shown) << '"' << stored << '"';
    }
}

// The scripted host's modal runs with the real font metrics and frame of the
// Qt host: the box sizes its check box from the host's measure of the
// caption, which must be room enough for the real widget to show it.
class RealMetricsHost : public ScriptedHost {
public:
    forms::TextExtent MeasureText(const fonts::Font* font, const std::string& text) override {
        return qt_.MeasureText(font, text);
    }
    forms::FrameExtent NonClientSize(const forms::Form& form) override {
        return qt_.NonClientSize(form);
    }

private:
    forms::QtHost qt_;
};

TEST_F(IdiotBoxTest, RealCheckBoxHasRoomForItsCaptionInsideTheWindow) {
    RealMetricsHost real;
    forms::ScopedHost scope(real);
    for (const std::string caption : {"", "Remind me", "Ask again before every deletion"}) {
        SCOPED_TRACE(caption);
        real.QueueModal([](forms::Form& form) {
            auto& box = dynamic_cast<frmIdiotBox&>(form);
            const QWidget* check = box.chkDoNotShow().Widget();
            EXPECT_GE(check->width() + 2, check->sizeHint().width());
            EXPECT_GE(check->x(), 0);
            EXPECT_LE(check->geometry().right(), box.Widget()->rect().right());
            PressOK(box);
        });
        frmIdiotBox box;
        EXPECT_TRUE(box.CheckAndShowIdiotBox("Message", kSection, kValue, 3, caption, true));
    }
}

} // namespace
} // namespace qm6
