#include "platform/forms/Container.h"

#include "platform/forms/Control.h"

#include <algorithm>

namespace qm6::forms {

Container::~Container() {
    DestroyControls();
}

void Container::DestroyControls() {
    listed_.clear();
    // Last added first, so that nothing outlives what it was placed after.
    while (!owned_.empty())
        owned_.pop_back();
}

void Container::Adopt(std::unique_ptr<Control> control) {
    Control* raw = control.get();
    owned_.push_back(std::move(control));
    Root().Register(raw);
}

void Container::Register(Control* control) {
    listed_.push_back(control);
}

std::vector<Control*> Container::Controls() const {
    if (&const_cast<Container*>(this)->Root() == this)
        return listed_;
    std::vector<Control*> result;
    for (const auto& control : owned_)
        result.push_back(control.get());
    return result;
}

Control* Container::Find(const std::string& name, int32_t index) const {
    for (Control* control : Controls())
        if (control->Index() == index && control->Name() == name)
            return control;
    return nullptr;
}

} // namespace qm6::forms
