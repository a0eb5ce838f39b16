#pragma once

// A check box with the platform's three values: 0 unchecked, 1 checked,
// 2 greyed. The user's click turns a checked box off and any other on (the
// user never makes it grey; code does). Click is raised whenever the value
// changes, from the user or from code.

#include "platform/forms/Control.h"

namespace qm6::forms {

enum : int { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

class CheckBox : public Control {
public:
    CheckBox(Container& parent, std::string name, int32_t index);

    std::string TypeName() const override { return "CheckBox"; }
    std::string Caption() const override;
    void Caption(const std::string& caption) override;

    int Value() const;
    // Refuses values other than 0, 1 and 2 (error 380).
    void Value(int value);
};

} // namespace qm6::forms
