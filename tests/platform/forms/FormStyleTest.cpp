// The focus order (TabIndex, TabStop), the window's border styles, its place
// in the task bar and Enter in a multi-line text box.

#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "platform/forms/Shape.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/RaisedError.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace qm6::forms;

namespace {

std::string FocusedName() {
    const QWidget* w = QApplication::focusWidget();
    return w ? w->objectName().toStdString() : std::string("(none)");
}

// Four text boxes a to d, a label and a shape, in that order of creation.
struct TabForm {
    Form form{"frmTabs"};
    TextBox& a = form.Add<TextBox>("a");
    Label& label = form.Add<Label>("lbl", -1);
    TextBox& b = form.Add<TextBox>("b");
    Shape& shape = form.Add<Shape>("shp", -1);
    TextBox& c = form.Add<TextBox>("c");
    TextBox& d = form.Add<TextBox>("d");

    std::vector<int> Indexes() const {
        return {a.TabIndex(), label.TabIndex(), b.TabIndex(), c.TabIndex(), d.TabIndex()};
    }
};

TEST(TabOrder, SettingAnIndexRenumbersTheOthers) {
    TabForm f;
    EXPECT_EQ(f.Indexes(), (std::vector<int>{0, 1, 2, 3, 4})); // a, label, b, c, d as made
    f.d.TabIndex(0);
    EXPECT_EQ(f.Indexes(), (std::vector<int>{1, 2, 3, 4, 0}));
    f.d.TabIndex(3);
    EXPECT_EQ(f.Indexes(), (std::vector<int>{0, 1, 2, 4, 3}));
    f.a.TabIndex(99); // past the end: last
    EXPECT_EQ(f.Indexes(), (std::vector<int>{4, 0, 1, 3, 2}));
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { f.b.TabIndex(-1); }), 380);
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { f.shape.TabIndex(); }),
              PropertyNotSupported::kNumber);
}

TEST(TabOrder, TabMovesTheFocusInIndexOrderPastThoseThatCannotTakeIt) {
    struct Case {
        const char* what;
        std::function<void(TabForm&)> arrange;
        std::vector<std::string> visited; // from a, pressing Tab each time
    };
    const Case cases[] = {
        {"reordered",
         [](TabForm& f) {
             f.d.TabIndex(1);
             f.c.TabIndex(0);
         },
         {"d", "b", "c", "a"}},
        {"TabStop false is passed by",
         [](TabForm& f) { f.b.TabStop(false); },
         {"c", "d", "a", "c"}},
        {"disabled and hidden are passed by",
         [](TabForm& f) {
             f.c.Enabled(false);
             f.d.Visible(false);
         },
         {"b", "a", "b", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TabForm f;
        c.arrange(f);
        f.form.Show();
        input::Focus(f.a);
        ASSERT_EQ(FocusedName(), "a");
        std::vector<std::string> visited;
        for (size_t i = 0; i < c.visited.size(); ++i) {
            input::PressKey(*f.form.Find(FocusedName()), 9);
            visited.push_back(FocusedName());
        }
        EXPECT_EQ(visited, c.visited);
        f.form.Hide();
    }
}

TEST(FormBorder, FixedStylesKeepTheirSizeAndShowInTaskbarFalseMakesADialog) {
    struct Case {
        int style;
        bool fixed;
        bool minMax;
    };
    const Case cases[] = {{vbSizable, false, true}, {vbFixedDialog, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Form form("frmLimit");
        form.BorderStyle(c.style);
        form.Move(0, 0, 4650, 3690);
        form.Show();
        QWidget* window = form.Widget();
        const QSize designed(Screen::ToPixelsX(4650), Screen::ToPixelsY(3690));
        EXPECT_EQ(window->size(), designed);
        window->resize(designed * 2); // what a user's drag asks for
        EXPECT_EQ(window->size() == designed, c.fixed);
        const auto sizing = Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint;
        EXPECT_EQ(window->windowFlags() & sizing, c.minMax ? sizing : Qt::WindowFlags());
        form.Move(0, 0, 3000, 2000); // code still sizes a fixed form
        EXPECT_EQ(window->width(), Screen::ToPixelsX(3000));
    }
    Form form("frmBad");
    EXPECT_EQ(qm6::vb::test::RaisedError([&] { form.BorderStyle(6); }), 380);

    // Outside the task bar, a window is a dialog.
    EXPECT_EQ(form.Widget()->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    form.ShowInTaskbar(false);
    EXPECT_EQ(form.Widget()->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
}

TEST(MultiLineText, EnterPressesTheDefaultButtonAndCtrlEnterBreaksTheLine) {
    struct Case {
        const char* what;
        bool isDefault;
        bool enabled;
        int shift;
        const char* text;
        int presses;
    };
    const Case cases[] = {
        {"Enter with a default button", true, true, 0, "ab", 1},
        {"Ctrl+Enter with a default button", true, true, vbCtrlMask, "a\nb", 0},
        {"Enter without a default button", false, true, 0, "a\nb", 0},
        {"Enter with the default button disabled", true, false, 0, "a\nb", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Form form("frmMessage");
        auto& txt = form.Add<TextBox>("txtMessage", -1, true);
        auto& ok = form.Add<CommandButton>("cmdSave");
        int presses = 0;
        ok.OnClick = [&] { ++presses; };
        form.Show();
        ok.Default(c.isDefault);
        ok.Enabled(c.enabled);
        input::Type(txt, "a");
        input::PressKey(txt, 13, c.shift);
        input::Type(txt, "b");
        EXPECT_EQ(txt.Text(), c.text);
        EXPECT_EQ(presses, c.presses);
    }
}

} // namespace
