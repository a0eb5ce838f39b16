#pragma once

// A container of controls: a form, a user control, or a frame. It owns its
// controls (destroyed with it) and places them in its client area. The
// controls of a form (or user control) are listed in the order they were
// added, those inside its frames included, as the platform's Controls
// collection lists them.

#include "platform/forms/Control.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace qm6::forms {

class Container {
public:
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    virtual ~Container();

    // Adds a control of kind T: T(Container&, std::string name, int32_t index, args...).
    template <class T, class... Args>
    T& Add(std::string name, int32_t index = -1, Args&&... args) {
        auto control = std::make_unique<T>(*this, std::move(name), index, std::forward<Args>(args)...);
        T& ref = *control;
        Adopt(std::move(control));
        return ref;
    }

    // Every control on the form or user control, in the order added; for a
    // frame, the controls inside it.
    std::vector<Control*> Controls() const;
    // The control of that name (and index within its array), or nullptr.
    Control* Find(const std::string& name, int32_t index = -1) const;

    // The widget the controls are children of.
    virtual QWidget* ClientWidget() const = 0;
    // The form or user control at the top (the container itself if it is one).
    virtual Container& Root() { return *this; }

    // The focus order of the form or user control (see Control::TabIndex).
    int32_t TabIndexOf(const Control& control) const;
    void MoveInTabOrder(Control& control, int32_t index);

protected:
    Container() = default;
    // Destroys the controls (before the derived class destroys its widget).
    void DestroyControls();

private:
    void Adopt(std::unique_ptr<Control> control);
    void Register(Control* control);
    // Chains the widgets in the focus order, for the Tab key.
    void ApplyTabOrder();

    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control*> listed_;   // the root's list of every control
    std::vector<Control*> tabOrder_; // the root's focus order
};

} // namespace qm6::forms
