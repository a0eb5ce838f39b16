#pragma once

// The host that does it for real: QMessageBox, QDialog::exec, the
// application's beep, QFontMetrics, the window's frame and the screen. In a
// program without a QApplication a message box is written to standard error
// and answered as one that cannot be shown (UnshownAnswer), and the beep is
// silent.

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
    // The bits per pixel of the screen's pixel format: on an X server the
    // pixmap format of its root depth (32 for the usual depth 24), elsewhere
    // the pixel size of the primary screen's depth; 0 without a screen.
    int DisplayBitsPerPixel() override;
};

} // namespace qm6::forms
