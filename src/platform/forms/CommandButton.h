#pragma once

// A command button. Click comes from the mouse, from Space or Enter while it
// has the focus, from Enter or Esc when it is the form's default or cancel
// button, and from code through Value(true).

#include "platform/forms/Control.h"

namespace qm6::forms {

class CommandButton : public Control {
public:
    CommandButton(Container& parent, std::string name, int32_t index);

    std::string TypeName() const override { return "CommandButton"; }
    std::string Caption() const override;
    void Caption(const std::string& caption) override;

    // Makes it the form's default (Enter) or cancel (Esc) button.
    bool Default() const;
    void Default(bool isDefault);
    bool Cancel() const;
    void Cancel(bool isCancel);

    // Value(true) clicks the button from code.
    void Value(bool pressed);

    // The default button's frame (used by the form).
    void SetDefaultLook(bool on);
};

} // namespace qm6::forms
