#include "platform/forms/QtHost.h"

#include "platform/forms/Form.h"
#include "platform/forms/QtSupport.h"
#include "platform/forms/Screen.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>

#if defined(QM6_HAVE_XCB)
#include <QGuiApplication>
#include <qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace qm6::forms {
namespace {

// The bits a pixel takes in the screen's pixel format when only its colour
// depth is known: 24-bit colour is kept in 32-bit pixels and 15-bit in 16.
int BitsPerPixelOfDepth(int depth) {
    if (depth == 24)
        return 32;
    if (depth == 15)
        return 16;
    return depth;
}

#if defined(QM6_HAVE_XCB)
// On an X server: the bits per pixel of the pixmap format of the first
// screen's root depth, as the server announced them; 0 when it names none.
int X11BitsPerPixel() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (screens.rem == 0)
        return 0;
    const uint8_t depth = screens.data->root_depth;
    for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f))
        if (f.data->depth == depth)
            return f.data->bits_per_pixel;
    return 0;
}
#endif
struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

// The buttons of each button style, in the platform's order, with the answer of each.
std::vector<ButtonAnswer> ButtonsOf(int style) {
    using B = QMessageBox;
    switch (style & 0x0F) {
    case 1: return {{B::Ok, 1}, {B::Cancel, 2}};
    case 2: return {{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}};
    case 3: return {{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}};
    case 4: return {{B::Yes, 6}, {B::No, 7}};
    case 5: return {{B::Retry, 4}, {B::Cancel, 2}};
    default: return {{B::Ok, 1}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0xF0) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

int QtHost::MsgBox(const std::string& text, int style, const std::string& title) {
    if (!WidgetsAvailable())
        return AnswerUnshown(text, style, title);
    QMessageBox box(IconOf(style), ToQ(title.empty() ? std::string(kDefaultTitle) : title), ToQ(text));
    const auto buttons = ButtonsOf(style);
    for (const auto& b : buttons)
        box.addButton(b.button);
    const size_t defaultIndex = std::min<size_t>(static_cast<size_t>((style & 0x300) >> 8), buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex].button);
    const int pressed = box.exec();
    for (const auto& b : buttons)
        if (b.button == pressed)
            return b.answer;
    // Closed without a button (Esc or the close box): Cancel where there is
    // one, else the only button.
    for (const auto& b : buttons)
        if (b.answer == 2)
            return 2;
    return buttons.front().answer;
}

void QtHost::RunModal(Form& form) {
    if (auto* dialog = qobject_cast<QDialog*>(form.Widget()))
        dialog->exec();
}

void QtHost::Beep() {
    if (WidgetsAvailable())
        QApplication::beep();
}

TextExtent QtHost::MeasureText(const fonts::Font* font, const std::string& text) {
    const QFontMetrics metrics(ToQFont(font));
    const QStringList lines = ToQ(text).split('\n');
    int width = 0;
    for (QString line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    return {Screen::ToTwipsX(width), Screen::ToTwipsY(metrics.lineSpacing() * static_cast<int>(lines.size()))};
}

FrameExtent QtHost::NonClientSize(const Form& form) {
    const QWidget* window = form.Widget();
    QMargins margins;
    if (const QWindow* handle = window->windowHandle())
        margins = handle->frameMargins();
    if (margins.isNull()) {
        const QStyle* style = window->style();
        const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
        const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
        margins = QMargins(border, title + border, border, border);
    }
    return {Screen::ToTwipsX(margins.left() + margins.right()), Screen::ToTwipsY(margins.top() + margins.bottom())};
}

int QtHost::DisplayBitsPerPixel() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
#if defined(QM6_HAVE_XCB)
    if (const int bits = X11BitsPerPixel())
        return bits;
#endif
    return BitsPerPixelOfDepth(screen->depth());
}

} // namespace qm6::forms
