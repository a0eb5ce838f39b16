#pragma once

// A label. With AutoSize it fits its text: without WordWrap its width and
// height become those of the text; with WordWrap the width stays and the
// text is broken into lines at spaces (a word wider than the label stands on
// a line of its own), and the height becomes that of the lines. Text is
// measured through the thread's Host, so that the scripted host's fixed
// metrics give exact sizes. Click comes from the mouse.

#include "platform/forms/Control.h"

#include <vector>

namespace qm6::forms {

class Label : public Control {
public:
    Label(Container& parent, std::string name, int32_t index);

    std::string TypeName() const override { return "Label"; }
    std::string Caption() const override { return caption_; }
    void Caption(const std::string& caption) override;

    bool AutoSize() const { return autoSize_; }
    void AutoSize(bool autoSize);
    bool WordWrap() const { return wordWrap_; }
    void WordWrap(bool wordWrap);
    // 0 left, 1 right, 2 centre.
    int Alignment() const { return alignment_; }
    void Alignment(int alignment);

    // The caption broken into the lines shown (with WordWrap), as measured.
    std::vector<std::string> WrappedLines() const;

protected:
    void FontChanged() override;
    void SizeChanged() override;
    void MouseReleased() override { RaiseClick(); }

private:
    void Fit();

    std::string caption_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    bool fitting_ = false;
    int alignment_ = 0;
};

} // namespace qm6::forms
