#include "platform/forms/CommandButton.h"

#include "platform/forms/Container.h"

#include "platform/forms/Form.h"
#include "platform/forms/QtSupport.h"

#include <QPushButton>

namespace qm6::forms {
namespace {
Form* FormOf(Control& control) {
    return dynamic_cast<Form*>(&control.Root());
}
} // namespace

CommandButton::CommandButton(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new QPushButton(parent.ClientWidget()), true, true) {
    auto* button = static_cast<QPushButton*>(Widget());
    button->setAutoDefault(true); // a focused button takes Enter, as on the platform
    QObject::connect(button, &QPushButton::clicked, Context(), [this] { RaiseClick(); });
}

std::string CommandButton::Caption() const {
    return FromQ(static_cast<QPushButton*>(Widget())->text());
}

void CommandButton::Caption(const std::string& caption) {
    static_cast<QPushButton*>(Widget())->setText(ToQ(caption));
}

bool CommandButton::Default() const {
    Form* form = FormOf(const_cast<CommandButton&>(*this));
    return form && form->DefaultButton() == this;
}

void CommandButton::Default(bool isDefault) {
    if (Form* form = FormOf(*this)) {
        if (isDefault)
            form->DefaultButton(this);
        else if (form->DefaultButton() == this)
            form->DefaultButton(nullptr);
    }
}

bool CommandButton::Cancel() const {
    Form* form = FormOf(const_cast<CommandButton&>(*this));
    return form && form->CancelButton() == this;
}

void CommandButton::Cancel(bool isCancel) {
    if (Form* form = FormOf(*this)) {
        if (isCancel)
            form->CancelButton(this);
        else if (form->CancelButton() == this)
            form->CancelButton(nullptr);
    }
}

void CommandButton::Value(bool pressed) {
    if (pressed)
        RaiseClick();
}

void CommandButton::SetDefaultLook(bool on) {
    static_cast<QPushButton*>(Widget())->setDefault(on);
}

} // namespace qm6::forms
