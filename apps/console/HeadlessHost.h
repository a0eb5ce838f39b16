#pragma once

// The forms host of a console run without a display, where nobody can click:
// nothing waits. A message box is written to the output with the answer it
// takes, Cancel where the box has it, else No, else OK (else Abort), so that
// nothing nobody saw is saved or confirmed; a form shown modally is written
// and closed at once, as if cancelled. Text is still measured with Qt's
// offscreen fonts, so that pages are laid out as with a display. Boxes with
// the stop icon report failures; the run counts them for its exit code.

#include "platform/forms/QtHost.h"

#include <cstdio>

namespace qm6::console {

class HeadlessHost : public forms::QtHost {
public:
    explicit HeadlessHost(std::FILE* out = stderr) : out_(out) {}

    int MsgBox(const std::string& text, int style, const std::string& title) override;
    void RunModal(forms::Form& form) override;
    void Beep() override {}

    // The boxes with the stop icon shown so far.
    int Failures() const { return failures_; }

private:
    std::FILE* out_;
    int failures_ = 0;
};

} // namespace qm6::console
