#include "platform/forms/Container.h"

#include "platform/forms/Control.h"

#include <QWidget>

#include <algorithm>

namespace qm6::forms {

Container::~Container() {
    DestroyControls();
}

void Container::DestroyControls() {
    listed_.clear();
    tabOrder_.clear();
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
    if (control->HasTabIndex()) {
        tabOrder_.push_back(control);
        ApplyTabOrder();
    }
}

int32_t Container::TabIndexOf(const Control& control) const {
    const auto it = std::find(tabOrder_.begin(), tabOrder_.end(), &control);
    return it == tabOrder_.end() ? -1 : static_cast<int32_t>(it - tabOrder_.begin());
}

void Container::MoveInTabOrder(Control& control, int32_t index) {
    const auto it = std::find(tabOrder_.begin(), tabOrder_.end(), &control);
    if (it == tabOrder_.end())
        return;
    tabOrder_.erase(it);
    const size_t at = std::min(static_cast<size_t>(index), tabOrder_.size());
    tabOrder_.insert(tabOrder_.begin() + static_cast<std::ptrdiff_t>(at), &control);
    ApplyTabOrder();
}

void Container::ApplyTabOrder() {
    QWidget* previous = nullptr;
    for (Control* control : tabOrder_) {
        QWidget* widget = control->Widget();
        // Labels and frames take no focus; controls with TabStop false keep
        // their place and are passed by through their focus policy.
        if (widget->focusPolicy() == Qt::NoFocus && control->TabStop())
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
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
