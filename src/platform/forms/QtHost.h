#pragma once

// The host that does it for real: QMessageBox, QDialog::exec, the
// application's beep, QFontMetrics, the window's frame and the screen.

#include "platform/forms/Host.h"

namespace qm6::forms {

class QtHost : public Host {
public:
    // The title of a message box shown without one.
    static constexpr const char* kDefaultTitle = "qm6admcm";

    int MsgBox(const std::string& text, int style, const std::string& title) override;
    void RunModal(Form& form) override;
    void Beep() override;
    TextExtent MeasureText(const fonts::Font* font, const std::string& text) override;
    // The window system's frame once the window has one; before that the
    // style's title bar and border widths.
    FrameExtent NonClientSize(const Form& form) override;
    // The primary screen's depth; 0 without a screen.
    int DisplayBitsPerPixel() override;
};

} // namespace qm6::forms
