#include "platform/forms/UserInput.h"

#include "platform/forms/ComboBox.h"
#include "platform/forms/Control.h"
#include "platform/forms/Form.h"
#include "platform/forms/Grid.h"
#include "platform/forms/QtSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace qm6::forms::input {
namespace {
void Activate(QWidget* widget) {
    QWidget* window = widget->window();
    if (!window->isVisible())
        window->show();
    window->activateWindow();
    QApplication::processEvents();
}

Qt::KeyboardModifiers Modifiers(int shift) {
    Qt::KeyboardModifiers m = Qt::NoModifier;
    if (shift & vbShiftMask)
        m |= Qt::ShiftModifier;
    if (shift & vbCtrlMask)
        m |= Qt::ControlModifier;
    if (shift & vbAltMask)
        m |= Qt::AltModifier;
    return m;
}

// The text a key types, as a keyboard would give it.
QString TextOf(int keyCode, int shift) {
    if (shift & (vbCtrlMask | vbAltMask))
        return {};
    switch (keyCode) {
    case 8: return QStringLiteral("\b");
    case 9: return QStringLiteral("\t");
    case 13: return QStringLiteral("\r");
    case 27: return QStringLiteral("\x1b");
    case 32: return QStringLiteral(" ");
    case 188: return QStringLiteral(",");
    case 189: return QStringLiteral("-");
    case 190: return QStringLiteral(".");
    default: break;
    }
    if (keyCode >= '0' && keyCode <= '9')
        return QString(QChar(keyCode));
    if (keyCode >= 'A' && keyCode <= 'Z')
        return QString(QChar((shift & vbShiftMask) ? keyCode : keyCode - 'A' + 'a'));
    return {};
}

void SendKey(QWidget* target, int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
    QApplication::sendEvent(target, &release);
    QApplication::processEvents();
}

void SendMouse(QWidget* widget, QEvent::Type type, const QPointF& local) {
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent event(type, local, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Near the left edge, where a check box's box is.
void SendMouse(QWidget* widget, QEvent::Type type) {
    SendMouse(widget, type, QPointF(std::min(6, widget->width() / 2), widget->height() / 2));
}

// The viewport of a grid's table and the centre of a cell on it.
std::pair<QWidget*, QPointF> CellPoint(Grid& grid, int row, int col) {
    auto* table = static_cast<QAbstractItemView*>(grid.Widget());
    Activate(table);
    const QModelIndex index = table->model()->index(row - grid.FixedRows(), col);
    return {table->viewport(), QPointF(table->visualRect(index).center())};
}
} // namespace

void Focus(Control& control) {
    Activate(control.Widget());
    control.Widget()->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

void Type(Control& control, const std::string& text) {
    Focus(control);
    for (const uint c : ToQ(text).toUcs4()) {
        const char32_t ch = c;
        SendKey(control.Widget(), QtKeyForChar(static_cast<int>(c)), Qt::NoModifier, QString::fromUcs4(&ch, 1));
    }
}

void PressKey(Control& control, int keyCode, int shift) {
    Focus(control);
    SendKey(control.Widget(), QtKeyCode(keyCode), Modifiers(shift), TextOf(keyCode, shift));
}

void PressKey(Form& form, int keyCode, int shift) {
    Activate(form.Widget());
    SendKey(form.Widget(), QtKeyCode(keyCode), Modifiers(shift), TextOf(keyCode, shift));
}

void Click(Control& control) {
    Activate(control.Widget());
    SendMouse(control.Widget(), QEvent::MouseButtonPress);
    SendMouse(control.Widget(), QEvent::MouseButtonRelease);
    QApplication::processEvents();
}

void DoubleClick(Control& control) {
    Activate(control.Widget());
    SendMouse(control.Widget(), QEvent::MouseButtonPress);
    SendMouse(control.Widget(), QEvent::MouseButtonRelease);
    SendMouse(control.Widget(), QEvent::MouseButtonDblClick);
    SendMouse(control.Widget(), QEvent::MouseButtonRelease);
    QApplication::processEvents();
}

void ClickCell(Grid& grid, int row, int col) {
    const auto [viewport, at] = CellPoint(grid, row, col);
    SendMouse(viewport, QEvent::MouseButtonPress, at);
    SendMouse(viewport, QEvent::MouseButtonRelease, at);
    QApplication::processEvents();
}

void DoubleClickCell(Grid& grid, int row, int col) {
    const auto [viewport, at] = CellPoint(grid, row, col);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        SendMouse(viewport, type, at);
    QApplication::processEvents();
}

void Choose(ComboBox& combo, int32_t index) {
    PressKey(combo, 36); // Home
    for (int32_t i = 0; i < index; ++i)
        PressKey(combo, 40); // Down
}

void CloseBox(Form& form) {
    QWidget* window = form.Widget();
    if (window->windowHandle())
        window->windowHandle()->close();
    else
        window->close();
    QApplication::processEvents();
}

void Settle() {
    QApplication::processEvents();
}

} // namespace qm6::forms::input
