#include "platform/forms/Form.h"

#include "platform/forms/CommandButton.h"
#include "platform/forms/Host.h"
#include "platform/forms/PictureSupport.h"
#include "platform/forms/QtSupport.h"
#include "platform/forms/Screen.h"

#include <QCloseEvent>
#include <QDialog>
#include <QIcon>
#include <QKeyEvent>

namespace qm6::forms {

// The form's window: turns its keys, close box and resizing into the form's.
class FormWindow : public QDialog {
public:
    explicit FormWindow(Form& form) : form_(form) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && form_.PressDefault())
                return;
            if (event->key() == Qt::Key_Escape) {
                // Without a cancel button Esc does nothing (it never closes the form).
                form_.PressCancel();
                return;
            }
        }
        QDialog::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override {
        if (form_.hiding_ || form_.AskUnload(vbFormControlMenu)) {
            event->accept();
            if (!form_.hiding_)
                form_.Finish();
        } else {
            event->ignore();
        }
    }

    void resizeEvent(QResizeEvent* event) override {
        QDialog::resizeEvent(event);
        if (form_.OnResize)
            form_.OnResize();
    }

private:
    Form& form_;
};

Form::Form(std::string name) : name_(std::move(name)), window_(new FormWindow(*this)), font_(fonts::Font::Create()) {
    window_->setObjectName(ToQ(name_));
    window_->setFont(ToQFont(font_.get()));
    ApplyWindowFlags();
    Move(left_, top_, width_, height_);
}

Form::~Form() {
    DestroyControls();
    delete window_;
}

QWidget* Form::Widget() const {
    return window_;
}

QWidget* Form::ClientWidget() const {
    return window_;
}

std::string Form::Caption() const {
    return FromQ(window_->windowTitle());
}

void Form::Caption(const std::string& caption) {
    window_->setWindowTitle(ToQ(caption));
}

// Sizes read back exactly as set, unless the user changed them since.
int32_t Form::Left() const {
    return Screen::KeptOrActualX(left_, window_->x());
}
int32_t Form::Top() const {
    return Screen::KeptOrActualY(top_, window_->y());
}
int32_t Form::Width() const {
    return Screen::KeptOrActualX(width_, window_->width());
}
int32_t Form::Height() const {
    return Screen::KeptOrActualY(height_, window_->height());
}

void Form::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    left_ = left;
    top_ = top;
    if (width >= 0)
        width_ = width;
    if (height >= 0)
        height_ = height;
    window_->move(Screen::ToPixelsX(left_), Screen::ToPixelsY(top_));
    ApplyFixedSize();
    window_->resize(Screen::ToPixelsX(width_), Screen::ToPixelsY(height_));
}

void Form::BorderStyle(int style) {
    if (style < vbBSNone || style > vbSizableToolWindow)
        throw vb::VbError(static_cast<vb::ErrorNumber>(380), "Invalid property value");
    borderStyle_ = style;
    ApplyWindowFlags();
}

void Form::ShowInTaskbar(bool show) {
    showInTaskbar_ = show;
    ApplyWindowFlags();
}

void Form::Icon(pictures::PicturePtr icon) {
    icon_ = std::move(icon);
    window_->setWindowIcon(icon_ ? QIcon(ToQPixmap(icon_)) : QIcon());
}

void Form::ApplyWindowFlags() {
    const bool tool = borderStyle_ == vbFixedToolWindow || borderStyle_ == vbSizableToolWindow;
    Qt::WindowFlags flags = tool ? Qt::Tool : showInTaskbar_ ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    switch (borderStyle_) {
    case vbBSNone:
        flags |= Qt::FramelessWindowHint;
        break;
    case vbFixedSingle:
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint;
        break;
    case vbSizable:
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint;
        break;
    case vbFixedDialog:
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint;
        break;
    default: // the tool windows
        flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    }
    // Changing the flags of a shown window hides it; it is shown again.
    const bool shown = window_->isVisible();
    window_->setWindowFlags(flags);
    ApplyFixedSize();
    if (shown)
        window_->show();
}

void Form::ApplyFixedSize() {
    if (borderStyle_ == vbSizable || borderStyle_ == vbSizableToolWindow) {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        window_->setFixedSize(Screen::ToPixelsX(width_), Screen::ToPixelsY(height_));
    }
}

int32_t Form::OuterWidth() const {
    return Width() + ActiveHost().NonClientSize(*this).width;
}

int32_t Form::OuterHeight() const {
    return Height() + ActiveHost().NonClientSize(*this).height;
}

void Form::OuterHeight(int32_t twips) {
    const int32_t inner = twips - ActiveHost().NonClientSize(*this).height;
    Move(Left(), Top(), -1, inner < 0 ? 0 : inner);
}

int32_t Form::TextWidth(const std::string& text) const {
    return ActiveHost().MeasureText(font_.get(), text).width;
}

int32_t Form::TextHeight(const std::string& text) const {
    return ActiveHost().MeasureText(font_.get(), text).height;
}

void Form::Font(fonts::FontPtr font) {
    font_ = std::move(font);
    window_->setFont(ToQFont(font_.get()));
}

bool Form::Enabled() const {
    return window_->isEnabled();
}

void Form::Enabled(bool enabled) {
    window_->setEnabled(enabled);
}

bool Form::Visible() const {
    return window_->isVisible();
}

void Form::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    if (OnLoad)
        OnLoad();
}

void Form::Show(int modal) {
    Load();
    if (!loaded_) // Load's handler unloaded the form
        return;
    if (modal == vbModal) {
        modal_ = true;
        window_->setWindowModality(Qt::ApplicationModal);
        ActiveHost().RunModal(*this);
        window_->setWindowModality(Qt::NonModal);
        modal_ = false;
    } else {
        window_->show();
    }
}

void Form::Hide() {
    hiding_ = true;
    window_->hide();
    hiding_ = false;
}

bool Form::AskUnload(int unloadMode) {
    int cancel = 0;
    if (OnQueryUnload)
        OnQueryUnload(cancel, unloadMode);
    if (cancel == 0 && OnUnload)
        OnUnload(cancel);
    return cancel == 0;
}

void Form::Finish() {
    loaded_ = false;
}

bool Form::Unload() {
    if (!loaded_) {
        Hide();
        return true;
    }
    if (!AskUnload(vbFormCode))
        return false;
    Hide();
    Finish();
    return true;
}

void Form::DefaultButton(CommandButton* button) {
    if (defaultButton_ && defaultButton_ != button)
        defaultButton_->SetDefaultLook(false);
    defaultButton_ = button;
    if (button)
        button->SetDefaultLook(true);
}

void Form::CancelButton(CommandButton* button) {
    cancelButton_ = button;
}

bool Form::DefaultButtonUsable() const {
    return defaultButton_ && defaultButton_->Enabled() && defaultButton_->Visible();
}

bool Form::PressDefault() {
    if (!DefaultButtonUsable())
        return false;
    defaultButton_->Value(true);
    return true;
}

bool Form::PressCancel() {
    if (!cancelButton_ || !cancelButton_->Enabled() || !cancelButton_->Visible())
        return false;
    cancelButton_->Value(true);
    return true;
}

} // namespace qm6::forms
