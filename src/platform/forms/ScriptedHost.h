#pragma once

// A host for tests. Message boxes are answered from a queue and recorded;
// a form shown modally is shown without blocking and handed to the next
// queued script, which drives it with the input of UserInput.h (the same
// event path a user's keys and clicks take) and normally ends by closing
// it; beeps are counted; text is measured with fixed metrics so that
// layouts can be checked exactly:
//
//   every character (code point) is kCharWidth twips wide and every line
//   kLineHeight twips high at 8 points, both scaling with the font's size
//   (rounded to whole twips per character and per line); name and style do
//   not matter. A font of 8 points: "abc" is 300 x 240 twips.
//
// A form's frame is kNonClientWidth x kNonClientHeight twips around its
// client area, and the display has 32 bits per pixel unless a test sets
// another depth.

#include "platform/forms/Host.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qm6::forms {

class ScriptedHost : public Host {
public:
    static constexpr int32_t kCharWidth = 100;
    static constexpr int32_t kLineHeight = 240;
    // Borders of 4 pixels and a title bar of 26 pixels, at 15 twips a pixel.
    static constexpr int32_t kNonClientWidth = 120;
    static constexpr int32_t kNonClientHeight = 510;

    struct Box {
        std::string text;
        int style = 0;
        std::string title;
        int answer = 0;
    };
    using ModalScript = std::function<void(Form& form)>;

    // The answer of the next message box. With none queued a box answers
    // its first button (OK or Yes) and counts as unscripted.
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // The script for the next form shown modally. A form shown without one,
    // or still shown after its script, is unloaded and counts as unscripted.
    void QueueModal(ModalScript script) { scripts_.push_back(std::move(script)); }

    int MsgBox(const std::string& text, int style, const std::string& title) override;
    void RunModal(Form& form) override;
    void Beep() override { ++beeps_; }
    TextExtent MeasureText(const fonts::Font* font, const std::string& text) override;
    FrameExtent NonClientSize(const Form&) override { return {kNonClientWidth, kNonClientHeight}; }
    int DisplayBitsPerPixel() override { return bitsPerPixel_; }
    void DisplayBitsPerPixel(int bits) { bitsPerPixel_ = bits; }

    const std::vector<Box>& Boxes() const { return boxes_; }
    // The names of the forms shown modally, in order.
    const std::vector<std::string>& ModalForms() const { return modalForms_; }
    int Beeps() const { return beeps_; }
    int UnscriptedBoxes() const { return unscriptedBoxes_; }
    int UnscriptedModals() const { return unscriptedModals_; }
    size_t PendingAnswers() const { return answers_.size(); }
    size_t PendingModals() const { return scripts_.size(); }

private:
    std::deque<int> answers_;
    std::deque<ModalScript> scripts_;
    std::vector<Box> boxes_;
    std::vector<std::string> modalForms_;
    int beeps_ = 0;
    int unscriptedBoxes_ = 0;
    int unscriptedModals_ = 0;
    int bitsPerPixel_ = 32;
};

} // namespace qm6::forms
