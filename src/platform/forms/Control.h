#pragma once

// The base of every control of the forms package: a small class over one Qt
// widget with the platform's semantics. Positions and sizes are in twips
// (1/1440 inch) and read back exactly as set; the widget gets them converted
// with Screen::TwipsPerPixelX/Y. A control belongs to a Container, which owns
// it and lists it; a control in a control array has an Index of 0 or more.
//
// Some properties exist on some kinds of control only (Font, Caption, Text).
// The base declares them so that code walking a form's controls can use them
// without knowing the kind; a control that lacks one refuses it with
// PropertyNotSupported (error 438), which such code catches and skips.
//
// A derived control (in this library or outside it, like the grid) creates
// its widget as a child of parent.ClientWidget() and hands it to the
// constructor here; the control owns the widget from then on.

#include "platform/fonts/Font.h"
#include "platform/vb/VbError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QWidget;
class QFont;
class QKeyEvent;
class QObject;

namespace qm6::forms {

class Container;
class Form;
class ControlEvents;

// "Object doesn't support this property or method" (438).
class PropertyNotSupported : public vb::VbError {
public:
    explicit PropertyNotSupported(const std::string& what);
    static constexpr int kNumber = 438;
};

// The shift state of key events: a sum of these.
enum : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    const std::string& Name() const { return name_; }
    // The index within the control array, -1 for a control outside one.
    int32_t Index() const { return index_; }
    // The platform's name of the kind of control ("TextBox", "VSFlexGrid").
    virtual std::string TypeName() const = 0;
    Container& Parent() const { return *parent_; }
    // The form (or user control) the control is on, through any frames.
    Container& Root() const;

    bool Enabled() const;
    void Enabled(bool enabled);
    bool Visible() const { return visible_; }
    void Visible(bool visible);

    int32_t Left() const { return left_; }
    void Left(int32_t twips);
    int32_t Top() const { return top_; }
    void Top(int32_t twips);
    int32_t Width() const { return width_; }
    void Width(int32_t twips);
    int32_t Height() const { return height_; }
    void Height(int32_t twips);
    // Sets position and size at once; a negative width or height keeps it.
    void Move(int32_t left, int32_t top, int32_t width = -1, int32_t height = -1);

    // The font the control shows its text in. Controls without one refuse it.
    virtual bool HasFont() const { return hasFont_; }
    fonts::FontPtr Font() const;
    void Font(fonts::FontPtr font);
    // Sets a font-object property by its name: "Font" on every kind with a
    // font, other names ("FontSelectedTab" of a tab strip) on the kinds that
    // have them. A kind without the property refuses it with 438.
    virtual void SetFontProperty(const std::string& name, fonts::FontPtr font);

    // The control's caption or text; refused by kinds that have none.
    virtual std::string Caption() const;
    virtual void Caption(const std::string& caption);
    virtual std::string Text() const;
    virtual void Text(const std::string& text);

    // Gives the control the keyboard focus (when its window is active).
    void SetFocus();

    // The control's place in the focus order of its form or user control:
    // the controls that have one are numbered 0 to n-1, a new control comes
    // last. Setting an index moves the control to that place and renumbers
    // the others so that the numbers stay 0 to n-1; an index past the end
    // puts it last, a negative one raises error 380. The Tab key moves the
    // focus in this order, past controls that cannot take it (labels,
    // disabled or hidden controls, and those with TabStop false). Kinds
    // without a place (shapes) refuse it with 438.
    virtual bool HasTabIndex() const { return true; }
    int32_t TabIndex() const;
    void TabIndex(int32_t index);
    // False: the Tab key passes the control by; a click still focuses it.
    bool TabStop() const { return tabStop_; }
    void TabStop(bool tabStop);

    // Events; an empty handler is not called. Which ones a kind raises is
    // said at the kind.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnChange;
    std::function<void()> OnGotFocus;
    std::function<void()> OnLostFocus;
    // keyCode is the platform's key code (vbKeyReturn 13, vbKeyA 65, ...) and
    // shift the sum of vbShiftMask, vbCtrlMask and vbAltMask. Setting keyCode
    // to 0 swallows the key.
    std::function<void(int& keyCode, int shift)> OnKeyDown;
    // keyAscii is the character's code (Unicode); the handler may replace it,
    // and 0 cancels the key.
    std::function<void(int& keyAscii)> OnKeyPress;

    // The Qt widget (for hosts that place controls, and for the input that
    // tests send through the same path as a user's).
    QWidget* Widget() const { return widget_; }

protected:
    // hasFont: whether the kind has a Font. keyEvents: whether it raises the
    // key events (kinds that take the focus).
    Control(Container& parent, std::string name, int32_t index, QWidget* widget, bool hasFont,
            bool keyEvents);

    // Called after the font object was replaced or changed; the default gives
    // the widget the matching QFont.
    virtual void FontChanged();
    // Called after Width or Height changed.
    virtual void SizeChanged() {}
    // Called when a mouse button goes up over the widget; kinds whose widget
    // has no click of its own (labels, frames, shapes) raise Click here.
    virtual void MouseReleased() {}
    // The context object for Qt connections a derived kind makes to its
    // widget's signals: it goes before the widget does, so that no signal
    // reaches a half-destroyed control.
    QObject* Context() const;
    // The widget's geometry follows the twips (derived kinds may adjust it).
    virtual void ApplyGeometry();
    // Raises the events (no-ops without handlers).
    void RaiseClick();
    void RaiseChange();
    // The QFont for the control's font.
    QFont QtFont() const;

private:
    friend class ControlEvents;
    // The key path: KeyDown, then KeyPress; true when the key was swallowed.
    bool HandleKey(QKeyEvent* event);

    Container* parent_;
    std::string name_;
    int32_t index_;
    QWidget* widget_;
    ControlEvents* events_;
    bool hasFont_;
    bool keyEvents_;
    bool enabled_ = true;
    bool visible_ = true;
    bool tabStop_ = true;
    int focusPolicy_ = 0; // the widget's own, for TabStop true
    int32_t left_ = 0, top_ = 0, width_ = 1200, height_ = 375;
    fonts::FontPtr font_;
    int fontToken_ = 0;
};

} // namespace qm6::forms
