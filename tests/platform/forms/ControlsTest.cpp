// The controls' semantics on the real Qt widgets (offscreen): Click from
// code, MaxLength for typing only, replaced and cancelled keys, frames,
// refused properties, label sizing with the scripted host's metrics.

#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/Shape.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/RaisedError.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace qm6::forms;

namespace {

class ControlsTest : public testing::Test {
protected:
    ControlsTest() : scope_(host_) { form_.Show(); }

    ScriptedHost host_;
    ScopedHost scope_;
    Form form_{"frmTest"};
};

// The user's click turns grey on, then off; never back to grey.
TEST_F(ControlsTest, CheckBoxRaisesClickWhenItsValueChangesFromCodeOrUser) {
    auto& chk = form_.Add<CheckBox>("chkColour");
    std::vector<int> clicked; // the value at each Click
    chk.OnClick = [&] { clicked.push_back(chk.Value()); };
    chk.Value(vbChecked);
    chk.Value(vbChecked); // no change, no Click
    chk.Value(vbGrayed);
    input::Click(chk);
    input::Click(chk);
    EXPECT_EQ(clicked, (std::vector<int>{vbChecked, vbGrayed, vbChecked, vbUnchecked}));
    EXPECT_THROW(chk.Value(3), qm6::vb::VbError);
}

TEST_F(ControlsTest, ComboListStartsUnchosenAndRaisesClickOnlyWhenTheChoiceChanges) {
    auto& cmb = form_.Add<ComboBox>("cmbType");
    std::vector<int32_t> chosen; // the index at each Click
    cmb.OnClick = [&] { chosen.push_back(cmb.ListIndex()); };

    cmb.AddItem("one");
    cmb.ItemData(cmb.NewIndex(), 10);
    cmb.AddItem("three");
    cmb.ItemData(cmb.NewIndex(), 30);
    cmb.AddItem("two", 1);
    EXPECT_EQ(cmb.NewIndex(), 1);
    EXPECT_EQ(cmb.ListIndex(), -1);
    EXPECT_EQ(cmb.ItemData(2), 30); // moved down with its item
    EXPECT_EQ(cmb.List(7), "");

    cmb.ListIndex(2);
    EXPECT_EQ(cmb.Text(), "three");
    cmb.Text("one");
    input::Choose(cmb, 1); // the user's keys: Home (already on 0), Down
    cmb.Clear();
    EXPECT_EQ(cmb.ListIndex(), -1);
    EXPECT_EQ(chosen, (std::vector<int32_t>{2, 0, 1}));

    EXPECT_EQ(qm6::vb::test::RaisedError([&] { cmb.ListIndex(0); }), 380);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { (void)cmb.ItemData(0); }), 381);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { cmb.Text("four"); }), 383);
}

TEST_F(ControlsTest, MaxLengthLimitsTypingAndPastingButNotTextFromCode) {
    for (const bool multiLine : {false, true}) {
        SCOPED_TRACE(multiLine ? "multi-line" : "single-line");
        auto& txt = form_.Add<TextBox>(multiLine ? "txtMulti" : "txtSingle", -1, multiLine);
        txt.MaxLength(3);

        input::Type(txt, "abcde");
        EXPECT_EQ(txt.Text(), "abc");

        txt.Text("123456"); // code is not limited
        EXPECT_EQ(txt.Text(), "123456");

        // Over the maximum, typing still may shorten it but never lengthen it.
        txt.SelStart(6);
        input::PressKey(txt, 8); // backspace
        EXPECT_EQ(txt.Text(), "12345");
        input::Type(txt, "x");
        EXPECT_EQ(txt.Text(), "12345");

        // A selection replaced by typing makes room.
        txt.Text("ab");
        txt.SelStart(0);
        txt.SelLength(2);
        input::Type(txt, "wxyz");
        EXPECT_EQ(txt.Text(), "wxy");

        // A letter with a combining accent counts as one character.
        txt.Text("");
        input::Type(txt, "e\xCC\x81"
                         "fgh");
        EXPECT_EQ(txt.Text(), "e\xCC\x81"
                              "fg");
    }
}

// KeyPress replaces or cancels a typed character; KeyDown sees the key code
// (the comma's is the platform's 188) and the shift state, and can swallow a
// key that has no character.
TEST_F(ControlsTest, KeyHandlersReplaceOrCancelTheTypedKey) {
    auto& txt = form_.Add<TextBox>("txtAmount");
    std::vector<int> downs;
    txt.OnKeyDown = [&](int& keyCode, int shift) {
        downs.push_back(keyCode * 10 + shift);
        if (keyCode == 8)
            keyCode = 0;
    };
    txt.OnKeyPress = [](int& key) {
        if (key == ',')
            key = '.'; // replaced
        else if (key >= 'a' && key <= 'z')
            key = 0; // cancelled
    };
    input::Type(txt, "1,5x2");
    input::PressKey(txt, 8);
    input::PressKey(txt, 'A', vbShiftMask | vbCtrlMask);
    EXPECT_EQ(txt.Text(), "1.52");
    EXPECT_EQ(downs, (std::vector<int>{'1' * 10, 188 * 10, '5' * 10, 'X' * 10, '2' * 10, 8 * 10,
                                       'A' * 10 + 3}));
}

TEST_F(ControlsTest, FormListsEveryControlInOrderFramesIncludedAndFindsArrayMembers) {
    form_.Add<Label>("lblCaption", 0);
    auto& fra = form_.Add<Frame>("fraBox");
    auto& inner = fra.Add<TextBox>("txtInner");
    form_.Add<Label>("lblCaption", 1);

    std::vector<std::string> names;
    for (Control* c : form_.Controls())
        names.push_back(c->Name() +
                        (c->Index() >= 0 ? "(" + std::to_string(c->Index()) + ")" : ""));
    EXPECT_EQ(names,
              (std::vector<std::string>{"lblCaption(0)", "fraBox", "txtInner", "lblCaption(1)"}));
    EXPECT_EQ(fra.Controls().size(), 1u);
    ASSERT_NE(form_.Find("lblCaption", 1), nullptr);
    EXPECT_EQ(form_.Find("lblCaption", 1)->TypeName(), "Label");
    EXPECT_EQ(form_.Find("lblCaption"), nullptr);

    // A disabled frame disables what it holds, which keeps its own setting.
    fra.Enabled(false);
    EXPECT_FALSE(inner.Widget()->isEnabled());
    EXPECT_TRUE(inner.Enabled());
}

// A shape has no font and no caption, a label no text: each raises 438.
TEST_F(ControlsTest, RefusedPropertiesRaiseAndASharedFontsChangesReachEveryControl) {
    auto& lbl = form_.Add<Label>("lblName");
    auto& shp = form_.Add<Shape>("shpBorder");
    auto& cmd = form_.Add<CommandButton>("cmdOK");
    auto font = qm6::fonts::Font::Create({"DejaVu Sans", 10});
    lbl.Font(font);
    cmd.Font(font);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { shp.Font(font); }), 438);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { (void)shp.Caption(); }), 438);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { lbl.Text("x"); }), 438);

    font->Bold(true);
    EXPECT_TRUE(lbl.Widget()->font().bold());
    EXPECT_TRUE(cmd.Widget()->font().bold());
    font->Bold(false);
    EXPECT_FALSE(cmd.Widget()->font().bold());
}

TEST_F(ControlsTest, AutoSizedLabelFitsItsTextWithTheHostsMetrics) {
    auto font = qm6::fonts::Font::Create({"Any", 8});
    auto& lbl = form_.Add<Label>("lblMessage");
    lbl.Font(font);
    lbl.Move(0, 0, 1000, 100);

    struct Case {
        const char* text;
        bool wordWrap;
        int32_t width, height;
    };
    // 100 twips a character, 240 a line at 8 points; wrapping keeps the width.
    const Case cases[] = {
        {"ab\ncdefgh", false, 600, 480},
        {"aaa bbb ccc", true, 1000, 480},        // "aaa bbb" fits 700 of 1000
        {"aaa bbbbbbbbbbbb c", true, 1000, 720}, // a long word stands alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        lbl.AutoSize(false);
        lbl.Move(0, 0, 1000, 100);
        lbl.WordWrap(c.wordWrap);
        lbl.Caption(c.text);
        lbl.AutoSize(true);
        EXPECT_EQ(std::pair(lbl.Width(), lbl.Height()), std::pair(c.width, c.height));
    }

    // A larger font grows the label with it: twice the size, twice as high.
    font->Size(16);
    EXPECT_EQ(lbl.Height(), 2 * 720);
}

} // namespace
