#pragma once

// A text box, single- or multi-line (chosen when it is made; lines of a
// multi-line text end with "\n"). MaxLength (0: none) limits what the user
// types or pastes, not what code sets through Text. Lengths count characters
// as the user sees them (a letter with its combining accents is one); the
// selection (SelStart, SelLength) counts UTF-16 units, as the platform's
// strings do. Change is raised on every change of the text, from the user or
// from code.

#include "platform/forms/Control.h"

namespace qm6::forms {

class TextBox : public Control {
public:
    TextBox(Container& parent, std::string name, int32_t index, bool multiLine = false);

    std::string TypeName() const override { return "TextBox"; }
    std::string Text() const override;
    void Text(const std::string& text) override;

    bool MultiLine() const { return multiLine_; }
    int32_t MaxLength() const { return maxLength_; }
    void MaxLength(int32_t maxLength);
    bool Locked() const;
    void Locked(bool locked);

    int32_t SelStart() const;
    void SelStart(int32_t start);
    int32_t SelLength() const;
    void SelLength(int32_t length);
    std::string SelText() const;
    // Replaces the selection (or inserts at the caret).
    void SelText(const std::string& text);

private:
    bool multiLine_;
    int32_t maxLength_ = 0;
};

// The first `count` characters of the text, counted as the user sees them.
std::string LeftCharacters(const std::string& text, int32_t count);
// The number of characters of the text, counted as the user sees them.
int32_t CharacterCount(const std::string& text);

} // namespace qm6::forms
