// Forms: the client area against the window with its frame and the text
// measured in the form's font, with the scripted host's fixed numbers and
// with the real window system offscreen.

#include "platform/forms/Form.h"
#include "platform/forms/QtHost.h"
#include "platform/forms/ScriptedHost.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qm6;
using namespace qm6::forms;

namespace {

TEST(FormFrameTest, ScriptedHostFrameSeparatesOuterFromInnerSizeExactly) {
    ScriptedHost host;
    ScopedHost scope(host);
    Form form("frmFrame");
    form.Move(0, 0, 5130, 2070);
    EXPECT_EQ(form.ScaleWidth(), 5130);
    EXPECT_EQ(form.ScaleHeight(), 2070);
    EXPECT_EQ(form.OuterWidth(), 5130 + ScriptedHost::kNonClientWidth);
    EXPECT_EQ(form.OuterHeight(), 2070 + ScriptedHost::kNonClientHeight);

    // Setting the outer height leaves the frame's height outside the client area.
    form.OuterHeight(3000);
    EXPECT_EQ(form.OuterHeight(), 3000);
    EXPECT_EQ(form.Height(), 3000 - ScriptedHost::kNonClientHeight);
    EXPECT_EQ(form.Width(), 5130);
    // An outer height smaller than the frame leaves no client area, never a negative one.
    form.OuterHeight(100);
    EXPECT_EQ(form.Height(), 0);
}

TEST(FormFrameTest, TextIsMeasuredInTheFormsFont) {
    ScriptedHost host;
    ScopedHost scope(host);
    Form form("frmText");
    auto font = fonts::Font::Create();
    font->Size(8);
    form.Font(font);
    EXPECT_EQ(form.TextWidth("abcd"), 400);
    EXPECT_EQ(form.TextHeight("ab\ncd"), 480);
    // The form's font counts, not a default one: twice the size, twice the width.
    font->Size(16);
    EXPECT_EQ(form.TextWidth("abcd"), 800);
}

TEST(FormFrameTest, QtHostFrameKeepsTheClientAreaWhenTheOuterHeightIsSet) {
    QtHost host;
    ScopedHost scope(host);
    Form form("frmQtFrame");
    form.Move(0, 0, 4500, 3000);
    const FrameExtent frame = host.NonClientSize(form);
    EXPECT_GE(frame.height, frame.width) << "a title bar is at least as high as the borders are wide";
    EXPECT_EQ(form.OuterHeight() - form.ScaleHeight(), frame.height);
    form.OuterHeight(form.OuterHeight() + 600);
    EXPECT_EQ(form.ScaleHeight(), 3600);
}

} // namespace
