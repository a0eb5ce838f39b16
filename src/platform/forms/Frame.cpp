#include "platform/forms/Frame.h"

#include "platform/forms/QtSupport.h"

#include <QGroupBox>

namespace qm6::forms {

Frame::Frame(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new QGroupBox(parent.ClientWidget()), true, false) {}

Frame::~Frame() {
    DestroyControls(); // while the frame's widget, their parent, still exists
}

std::string Frame::Caption() const {
    return FromQ(static_cast<QGroupBox*>(Widget())->title());
}

void Frame::Caption(const std::string& caption) {
    static_cast<QGroupBox*>(Widget())->setTitle(ToQ(caption));
}

} // namespace qm6::forms
