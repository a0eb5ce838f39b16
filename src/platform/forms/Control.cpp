#include "platform/forms/Control.h"

#include "platform/forms/Container.h"
#include "platform/forms/QtSupport.h"
#include "platform/forms/Screen.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace qm6::forms {

// Watches a control's widget and turns its events into the control's.
class ControlEvents : public QObject {
public:
    explicit ControlEvents(Control& control) : QObject(control.Widget()), control_(control) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            // Only the control's own keys: keys a child ignored reach its
            // parent too, and are not the parent's.
            if (control_.keyEvents_ && !forwarding_ && watched == control_.widget_)
                return control_.HandleKey(static_cast<QKeyEvent*>(event));
            break;
        // The focus a window gives its first control when it is activated
        // counts; the focus a popup takes and gives back does not.
        case QEvent::FocusIn:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && control_.OnGotFocus)
                control_.OnGotFocus();
            break;
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && control_.OnLostFocus)
                control_.OnLostFocus();
            break;
        case QEvent::MouseButtonDblClick:
            if (control_.OnDblClick)
                control_.OnDblClick();
            break;
        case QEvent::MouseButtonRelease:
            control_.MouseReleased();
            break;
        default:
            break;
        }
        return false;
    }

    bool forwarding_ = false;

private:
    Control& control_;
};

PropertyNotSupported::PropertyNotSupported(const std::string& what)
    : vb::VbError(vb::ErrorNumber::ObjectDoesntSupport,
                  vb::VbError::DescriptionOf(vb::ErrorNumber::ObjectDoesntSupport) +
                      (what.empty() ? std::string() : " (" + what + ")")) {}

Control::Control(Container& parent, std::string name, int32_t index, QWidget* widget,
                 bool hasFont, bool keyEvents)
    : parent_(&parent), name_(std::move(name)), index_(index), widget_(widget),
      hasFont_(hasFont), keyEvents_(keyEvents) {
    events_ = new ControlEvents(*this);
    widget_->installEventFilter(events_);
    focusPolicy_ = static_cast<int>(widget_->focusPolicy());
    widget_->setObjectName(ToQ(index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")"));
    if (hasFont_)
        Font(fonts::Font::Create());
    Control::ApplyGeometry();
    widget_->show();
}

Control::~Control() {
    if (font_)
        font_->Unsubscribe(fontToken_);
    // The filter and every connection made with Context() go first, so that
    // nothing reaches this half-destroyed control while the widget goes.
    delete events_;
    delete widget_;
}

QObject* Control::Context() const {
    return events_;
}

Container& Control::Root() const {
    return parent_->Root();
}

bool Control::Enabled() const {
    return enabled_;
}

void Control::Enabled(bool enabled) {
    enabled_ = enabled;
    widget_->setEnabled(enabled);
}

void Control::Visible(bool visible) {
    visible_ = visible;
    widget_->setVisible(visible);
}

void Control::Left(int32_t twips) {
    Move(twips, top_);
}

void Control::Top(int32_t twips) {
    Move(left_, twips);
}

void Control::Width(int32_t twips) {
    Move(left_, top_, twips, height_);
}

void Control::Height(int32_t twips) {
    Move(left_, top_, width_, twips);
}

void Control::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    const bool resized = (width >= 0 && width != width_) || (height >= 0 && height != height_);
    left_ = left;
    top_ = top;
    if (width >= 0)
        width_ = width;
    if (height >= 0)
        height_ = height;
    ApplyGeometry();
    if (resized)
        SizeChanged();
}

void Control::ApplyGeometry() {
    widget_->setGeometry(Screen::ToPixelsX(left_), Screen::ToPixelsY(top_),
                         std::max(0, Screen::ToPixelsX(width_)), std::max(0, Screen::ToPixelsY(height_)));
}

fonts::FontPtr Control::Font() const {
    if (!HasFont())
        throw PropertyNotSupported(TypeName() + ".Font");
    return font_;
}

void Control::Font(fonts::FontPtr font) {
    if (!HasFont())
        throw PropertyNotSupported(TypeName() + ".Font");
    if (!font)
        throw vb::VbError(vb::ErrorNumber::InvalidUseOfNull, "Invalid use of Nothing as a font");
    if (font_)
        font_->Unsubscribe(fontToken_);
    font_ = std::move(font);
    fontToken_ = font_->Subscribe([this] { FontChanged(); });
    FontChanged();
}

void Control::SetFontProperty(const std::string& name, fonts::FontPtr font) {
    if (name != "Font")
        throw PropertyNotSupported(TypeName() + "." + name);
    Font(std::move(font));
}

void Control::FontChanged() {
    widget_->setFont(QtFont());
}

QFont Control::QtFont() const {
    return ToQFont(font_.get());
}

std::string Control::Caption() const {
    throw PropertyNotSupported(TypeName() + ".Caption");
}

void Control::Caption(const std::string&) {
    throw PropertyNotSupported(TypeName() + ".Caption");
}

std::string Control::Text() const {
    throw PropertyNotSupported(TypeName() + ".Text");
}

void Control::Text(const std::string&) {
    throw PropertyNotSupported(TypeName() + ".Text");
}

void Control::SetFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

int32_t Control::TabIndex() const {
    if (!HasTabIndex())
        throw PropertyNotSupported(TypeName() + ".TabIndex");
    return Root().TabIndexOf(*this);
}

void Control::TabIndex(int32_t index) {
    if (!HasTabIndex())
        throw PropertyNotSupported(TypeName() + ".TabIndex");
    if (index < 0)
        throw vb::VbError(static_cast<vb::ErrorNumber>(380), "Invalid property value");
    Root().MoveInTabOrder(*this, index);
}

void Control::TabStop(bool tabStop) {
    tabStop_ = tabStop;
    const auto own = static_cast<Qt::FocusPolicy>(focusPolicy_);
    if (tabStop)
        widget_->setFocusPolicy(own);
    else if (own & Qt::ClickFocus)
        widget_->setFocusPolicy(Qt::ClickFocus);
    else
        widget_->setFocusPolicy(Qt::NoFocus);
}

void Control::RaiseClick() {
    if (OnClick)
        OnClick();
}

void Control::RaiseChange() {
    if (OnChange)
        OnChange();
}

bool Control::HandleKey(QKeyEvent* event) {
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= vbShiftMask;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= vbCtrlMask;
    if (event->modifiers() & Qt::AltModifier)
        shift |= vbAltMask;
    int keyCode = VbKeyCode(event->key());
    if (OnKeyDown && keyCode != 0) {
        OnKeyDown(keyCode, shift);
        if (keyCode == 0)
            return true;
    }
    const QList<uint> chars = event->text().toUcs4();
    if (!OnKeyPress || chars.isEmpty())
        return false;
    const int original = static_cast<int>(chars.front());
    // Tab moves the focus and Delete edits without a character: no KeyPress.
    if (original == '\t' || original == 0x7f)
        return false;
    int keyAscii = original;
    OnKeyPress(keyAscii);
    if (keyAscii == 0)
        return true;
    if (keyAscii == original)
        return false;
    // A replaced key: the widget gets the new character in place of the old,
    // through the same event path (without raising the events again).
    const char32_t replacement = static_cast<char32_t>(keyAscii);
    QKeyEvent replaced(QEvent::KeyPress, QtKeyForChar(keyAscii), Qt::NoModifier,
                       QString::fromUcs4(&replacement, 1));
    events_->forwarding_ = true;
    QCoreApplication::sendEvent(widget_, &replaced);
    events_->forwarding_ = false;
    return true;
}

} // namespace qm6::forms
