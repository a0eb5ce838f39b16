#include "platform/forms/UserControl.h"

#include "platform/forms/QtSupport.h"
#include "platform/forms/Screen.h"

#include <QWidget>

namespace qm6::forms {

class UserControlWidget : public QWidget {
public:
    explicit UserControlWidget(UserControl& control) : control_(control) {}
    // Deleted with the host's window before the user control: its controls
    // go now, while their widgets still exist, and the user control forgets it.
    ~UserControlWidget() override {
        control_.DestroyControls();
        control_.widget_ = nullptr;
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (control_.OnResize)
            control_.OnResize();
    }

private:
    UserControl& control_;
};

UserControl::UserControl(std::string name)
    : name_(std::move(name)), widget_(new UserControlWidget(*this)), font_(fonts::Font::Create()) {
    widget_->setObjectName(ToQ(name_));
    widget_->setFont(ToQFont(font_.get()));
    Move(left_, top_, width_, height_);
}

UserControl::~UserControl() {
    delete widget_; // its destructor destroys the controls first
}

QWidget* UserControl::Widget() const {
    return widget_;
}

QWidget* UserControl::ClientWidget() const {
    return widget_;
}

void UserControl::PlaceOn(Container& host, int32_t left, int32_t top, int32_t width, int32_t height) {
    PlaceOn(host.ClientWidget(), left, top, width, height);
}

void UserControl::PlaceOn(QWidget* host, int32_t left, int32_t top, int32_t width, int32_t height) {
    widget_->setParent(host);
    Move(left, top, width, height);
    widget_->show();
}

int32_t UserControl::Width() const {
    return Screen::KeptOrActualX(width_, widget_->width());
}

int32_t UserControl::Height() const {
    return Screen::KeptOrActualY(height_, widget_->height());
}

void UserControl::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    left_ = left;
    top_ = top;
    if (width >= 0)
        width_ = width;
    if (height >= 0)
        height_ = height;
    widget_->setGeometry(Screen::ToPixelsX(left_), Screen::ToPixelsY(top_), Screen::ToPixelsX(width_),
                         Screen::ToPixelsY(height_));
}

bool UserControl::Enabled() const {
    // Its own state: a host that disables a window around it does not
    // change what the control reads.
    return !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void UserControl::Enabled(bool enabled) {
    widget_->setEnabled(enabled);
}

bool UserControl::Visible() const {
    return !widget_->isHidden();
}

void UserControl::Visible(bool visible) {
    widget_->setVisible(visible);
}

void UserControl::Font(fonts::FontPtr font) {
    font_ = std::move(font);
    widget_->setFont(ToQFont(font_.get()));
}

} // namespace qm6::forms
