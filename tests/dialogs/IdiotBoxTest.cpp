// The do-not-show-again box: how each way of closing it answers and what it
// stores in a real temporary registry hive, the stored choice that keeps it
// hidden, and its check box kept inside the window with the Qt host's metrics.

#include "common/FreshThread.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/QtHost.h"
#include "platform/forms/Screen.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace qm6 {
namespace {

constexpr const char* kSection = "Software\\Quillmeter 6\\Test";
constexpr const char* kValue = "ConfirmDelete";
constexpr int kVbKeyEscape = 27;
constexpr int kVbKeyReturn = 13;

// Each test has a hive of its own, the build's string library and branding
// library, and a library font of its own.
class IdiotBoxTest : public test::FreshThread {
protected:
    IdiotBoxTest() {
        Store("Software\\Quillmeter 6\\Font", "FontName", vb::Variant("DejaVu Sans"));
        StartIn(QM6_BIN_DIR);
    }

    // Shows a fresh box whose script acts on it, under the normal pointer;
    // the caller's pointer comes back.
    bool Run(int32_t helpId, bool showCancel, const std::function<void(frmIdiotBox&)>& act) {
        forms::Screen::MousePointer(forms::vbHourglass);
        host_.QueueModal([&](forms::Form& form) {
            EXPECT_EQ(forms::Screen::MousePointer(), forms::vbDefault);
            act(dynamic_cast<frmIdiotBox&>(form));
        });
        frmIdiotBox box;
        const bool answer =
            box.CheckAndShowIdiotBox("Message", kSection, kValue, helpId, "", showCancel);
        EXPECT_EQ(host_.PendingModals(), 0u) << "the box was not shown";
        EXPECT_EQ(forms::Screen::MousePointer(), forms::vbHourglass);
        forms::Screen::MousePointer(forms::vbDefault);
        return answer;
    }

    static void PressOK(frmIdiotBox& box) { forms::input::Click(box.cmdOK()); }

    forms::ScriptedHost host_;
    forms::ScopedHost scope_{host_};
};

// Closing without OK stores nothing, even with the box cleared; OK stores
// the box's state as text (not a number), -1 to keep showing and 0 not to. Help has no
// action of its own.
TEST_F(IdiotBoxTest, EachWayOfClosingAnswersAndStoresTheChoice) {
    using Act = std::function<void(frmIdiotBox&)>;
    struct Case {
        const char* what;
        bool showCancel, clear;
        int32_t helpId;
        Act close;
        bool answer;
        const char* stored;
    };
    const Act cancel = [](frmIdiotBox& box) { forms::input::Click(box.cmdCancel()); };
    const Act esc = [](frmIdiotBox& box) { forms::input::PressKey(box, kVbKeyEscape); };
    const Act closeBox = [](frmIdiotBox& box) { forms::input::CloseBox(box); };
    // Shown checked, with the string library's texts and the library font.
    const Act helpThenOK = [](frmIdiotBox& box) {
        EXPECT_EQ(box.chkDoNotShow().Value(), forms::vbChecked);
        EXPECT_EQ(box.chkDoNotShow().Caption(), "Show this message again");
        EXPECT_EQ(box.Caption(), "Quillmeter 6");
        EXPECT_EQ(box.lblMesg().Font()->Name(), "DejaVu Sans");
        forms::input::Click(box.cmdHelp());
        EXPECT_TRUE(box.Widget()->isVisible());
        PressOK(box);
    };
    const Act enter = [](frmIdiotBox& box) { forms::input::PressKey(box, kVbKeyReturn); };
    const Case cases[] = {
        {"Cancel", true, true, -1, cancel, false, "(missing)"},
        {"Esc", true, true, -1, esc, false, "(missing)"},
        {"close box", true, true, -1, closeBox, false, "(missing)"},
        {"close box without Cancel", false, true, -1, closeBox, false, "(missing)"},
        {"Help, then OK", true, false, 12, helpThenOK, true, "-1"},
        {"cleared, then Enter", true, true, -1, enter, true, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.helpId, c.showCancel,
                      [&](frmIdiotBox& box) {
                          if (c.clear)
                              forms::input::Click(box.chkDoNotShow());
                          c.close(box);
                      }),
                  c.answer);
        EXPECT_EQ(Stored(kSection, kValue), c.stored);
    }

    // Now hidden: true at once, nothing shown, and the form never loads.
    const size_t shown = host_.ModalForms().size();
    frmIdiotBox box;
    EXPECT_TRUE(box.CheckAndShowIdiotBox("Hidden", kSection, kValue, -1, "", true));
    EXPECT_EQ(host_.ModalForms().size(), shown);
    EXPECT_FALSE(box.Loaded());
}

// Which texts are true is CBool's rule; the box adds that a text that is no
// Boolean at all shows the box rather than raise.
TEST_F(IdiotBoxTest, ValuesStoredByHandShowOrSuppressTheBox) {
    const std::pair<const char*, bool> cases[] = {{"False", false}, {"junk", true}};
    for (const auto& [stored, shown] : cases) {
        Store(kSection, kValue, vb::Variant(stored));
        EXPECT_EQ(frmIdiotBox::ReadShowSetting(kSection, kValue), shown) << '"' << stored << '"';
    }
}

// The scripted host's modal runs with the real font metrics and frame of the
// Qt host: the box sizes its check box from the host's measure of the
// caption, which must be room enough for the real widget to show it.
class RealMetricsHost : public forms::ScriptedHost {
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

// A caption that fits gets room to show in full; one too long for the window
// is cut rather than pushed past its edges.
TEST_F(IdiotBoxTest, RealCheckBoxHasRoomForItsCaptionInsideTheWindow) {
    RealMetricsHost real;
    forms::ScopedHost scope(real);
    for (const auto& [caption, fits] :
         {std::pair{std::string("Ask again before every deletion"), true},
          std::pair{std::string(120, 'x'), false}}) {
        SCOPED_TRACE(caption);
        real.QueueModal([&](forms::Form& form) {
            auto& box = dynamic_cast<frmIdiotBox&>(form);
            const QWidget* check = box.chkDoNotShow().Widget();
            EXPECT_EQ(check->width() + 2 >= check->sizeHint().width(), fits);
            EXPECT_GE(check->x(), 0);
            EXPECT_LE(check->geometry().right(), box.Widget()->rect().right());
            PressOK(box);
        });
        frmIdiotBox box;
        EXPECT_TRUE(box.CheckAndShowIdiotBox("Message", kSection, kValue, 3, caption, true));
        EXPECT_EQ(real.PendingModals(), 0u) << "the box was not shown";
    }
}

} // namespace
} // namespace qm6
