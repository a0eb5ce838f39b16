#pragma once

// A frame: a control that contains controls. Their Left and Top are
// relative to the frame's top-left corner, so they move with it; disabling
// or hiding the frame disables or hides them. Click comes from the mouse.

#include "platform/forms/Container.h"
#include "platform/forms/Control.h"

namespace qm6::forms {

class Frame : public Control, public Container {
public:
    Frame(Container& parent, std::string name, int32_t index);
    ~Frame() override;

    std::string TypeName() const override { return "Frame"; }
    std::string Caption() const override;
    void Caption(const std::string& caption) override;

    QWidget* ClientWidget() const override { return Widget(); }
    Container& Root() override { return Control::Root(); }

protected:
    void MouseReleased() override { RaiseClick(); }
};

} // namespace qm6::forms
