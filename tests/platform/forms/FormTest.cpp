// Forms: modal runs driven by the scripted host, Enter and Esc reaching the
// default and cancel buttons, the close box with a cancelling QueryUnload,
// the hosts' text metrics and the window's frame outside the client area.

#include "platform/forms/Form.h"

#include "platform/forms/CommandButton.h"
#include "platform/forms/QtHost.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserControl.h"
#include "platform/forms/UserInput.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace qm6::forms;

namespace {

// A small dialog: a text box, OK (default) and Cancel (cancel).
struct Dialog {
    Form form{"frmAsk"};
    TextBox& txt = form.Add<TextBox>("txtValue");
    CommandButton& ok = form.Add<CommandButton>("cmdOK");
    CommandButton& cancel = form.Add<CommandButton>("cmdCancel");
    std::string result = "none";

    Dialog() {
        ok.Default(true);
        cancel.Cancel(true);
        ok.OnClick = [this] {
            result = "ok:" + txt.Text();
            form.Unload();
        };
        cancel.OnClick = [this] {
            result = "cancel";
            form.Unload();
        };
    }
};

// The script drives the modal form, and Show returns once it has closed.
TEST(FormTest, EnterAndEscInAModalFormReachTheDefaultAndCancelButtons) {
    struct Case {
        const char* what;
        int key;
        bool focusOnCancel;
        const char* result;
    };
    const Case cases[] = {
        {"Enter in the text box clicks the default button", 13, false, "ok:x"},
        {"Esc clicks the cancel button", 27, false, "cancel"},
        {"Enter on a focused button clicks that button", 13, true, "cancel"},
        // No cancel button and a disabled default: nothing is clicked, and the
        // host unloads what the script left open.
        {"Esc without a cancel button", 27, false, "none"},
        {"Enter on a disabled default button", 13, false, "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedHost host;
        ScopedHost scope(host);
        Dialog d;
        int loads = 0;
        d.form.OnLoad = [&] { ++loads; };
        const bool none = std::string(c.result) == "none";
        if (none) {
            d.form.CancelButton(nullptr);
            d.ok.Enabled(false);
        }
        host.QueueModal([&](Form& f) {
            EXPECT_TRUE(f.IsModal());
            input::Type(d.txt, "x");
            if (c.focusOnCancel)
                input::PressKey(d.cancel, c.key);
            else
                input::PressKey(d.txt, c.key);
        });
        d.form.Show(vbModal);
        EXPECT_EQ(d.result, c.result);
        EXPECT_EQ(host.UnscriptedModals(), none ? 1 : 0);
        EXPECT_EQ(loads, 1);
        EXPECT_FALSE(d.form.IsModal());
        EXPECT_FALSE(d.form.Loaded());
        EXPECT_EQ(host.ModalForms(), std::vector<std::string>{"frmAsk"});
    }
}

TEST(FormTest, CloseBoxAsksQueryUnloadWhichCanKeepTheFormOpen) {
    ScriptedHost host;
    ScopedHost scope(host);
    Dialog d;
    std::vector<int> modes;
    bool refuse = true;
    d.form.OnQueryUnload = [&](int& cancel, int mode) {
        modes.push_back(mode);
        if (refuse)
            cancel = 1;
    };
    host.QueueModal([&](Form& f) {
        input::CloseBox(f);
        EXPECT_TRUE(f.Visible());
        EXPECT_TRUE(f.Loaded());
        refuse = false;
        input::CloseBox(f);
    });
    d.form.Show(vbModal);
    EXPECT_FALSE(d.form.Loaded());
    EXPECT_EQ(modes, (std::vector<int>{vbFormControlMenu, vbFormControlMenu}));
    EXPECT_EQ(host.UnscriptedModals(), 0);

    // From code the unload mode is vbFormCode, and Unload's own handler may cancel too.
    d.form.Show();
    d.form.OnUnload = [](int& cancel) { cancel = 1; };
    EXPECT_FALSE(d.form.Unload());
    EXPECT_TRUE(d.form.Visible());
    EXPECT_EQ(modes.back(), vbFormCode);
    d.form.OnUnload = nullptr;
    EXPECT_TRUE(d.form.Unload());
}

TEST(FormTest, ScriptedHostMeasuresCharactersInTheFormsFont) {
    ScriptedHost host;
    ScopedHost scope(host);
    // 100 twips a character and 240 a line at 8 points, in the form's font:
    // twice the size, twice the width.
    Form form("frmText");
    auto font = qm6::fonts::Font::Create({"Any", 8});
    form.Font(font);
    EXPECT_EQ(form.TextHeight("ab\ncd"), 480);
    font->Size(16);
    EXPECT_EQ(form.TextWidth("abcd"), 800);

    // The frame stays outside the client area, and never leaves a negative one.
    form.Move(0, 0, 5130, 2070);
    EXPECT_EQ(form.OuterWidth(), 5130 + ScriptedHost::kNonClientWidth);
    form.OuterHeight(3000);
    EXPECT_EQ(form.Height(), 3000 - ScriptedHost::kNonClientHeight);
    form.OuterHeight(100);
    EXPECT_EQ(form.Height(), 0);
}

TEST(FormTest, QtHostMeasuresTextAndFrameWithTheRealWindowSystem) {
    QtHost host;
    ScopedHost scope(host);
    auto font = qm6::fonts::Font::Create({"DejaVu Sans", 10});
    const TextExtent one = host.MeasureText(font.get(), "abc");
    const TextExtent longer = host.MeasureText(font.get(), "abcabc");
    const TextExtent two = host.MeasureText(font.get(), "abc\nabc");
    EXPECT_GT(one.width, 0);
    EXPECT_GT(longer.width, one.width);
    EXPECT_EQ(two, (TextExtent{one.width, 2 * one.height}));

    Form form("frmQtFrame");
    form.Move(0, 0, 4500, 3000);
    const FrameExtent frame = host.NonClientSize(form);
    EXPECT_GE(frame.height, frame.width)
        << "a title bar is at least as high as the borders are wide";
    EXPECT_EQ(form.OuterHeight() - form.ScaleHeight(), frame.height);
    form.OuterHeight(form.OuterHeight() + 600);
    EXPECT_EQ(form.ScaleHeight(), 3600);
}

TEST(FormTest, UserControlPlacedOnAFormFollowsItsSizeAndRaisesResize) {
    Form host("frmHost");
    UserControl ctl("ctlPanel");
    int resizes = 0;
    ctl.OnResize = [&] { ++resizes; };
    auto& txt = ctl.Add<TextBox>("txtInside");
    ctl.PlaceOn(host, 150, 150, 3000, 1500);
    host.Show();
    input::Settle();
    EXPECT_EQ(ctl.Widget()->parentWidget(), host.Widget());
    const int before = resizes;
    ctl.Move(150, 150, 4500, 1500);
    input::Settle();
    EXPECT_GT(resizes, before);
    EXPECT_EQ(ctl.Controls(), std::vector<Control*>{&txt});
    EXPECT_TRUE(host.Controls().empty());

    // Its Enabled is its own state, not its host's.
    host.Widget()->setEnabled(false);
    EXPECT_TRUE(ctl.Enabled());
    ctl.Enabled(false);
    host.Widget()->setEnabled(true);
    EXPECT_FALSE(ctl.Enabled());
}

} // namespace
