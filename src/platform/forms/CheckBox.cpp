#include "platform/forms/CheckBox.h"

#include "platform/forms/Container.h"

#include "platform/forms/QtSupport.h"

#include <QCheckBox>

namespace qm6::forms {
namespace {
class ThreeStateBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    // The user's click: checked goes off, unchecked and grey go on.
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

int ToValue(Qt::CheckState state) {
    return state == Qt::Checked ? vbChecked : state == Qt::PartiallyChecked ? vbGrayed : vbUnchecked;
}
} // namespace

CheckBox::CheckBox(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new ThreeStateBox(parent.ClientWidget()), true, true) {
    auto* box = static_cast<QCheckBox*>(Widget());
    box->setTristate(true);
    QObject::connect(box, &QCheckBox::clicked, Context(), [this] { RaiseClick(); });
}

std::string CheckBox::Caption() const {
    return FromQ(static_cast<QCheckBox*>(Widget())->text());
}

void CheckBox::Caption(const std::string& caption) {
    static_cast<QCheckBox*>(Widget())->setText(ToQ(caption));
}

int CheckBox::Value() const {
    return ToValue(static_cast<QCheckBox*>(Widget())->checkState());
}

void CheckBox::Value(int value) {
    if (value < vbUnchecked || value > vbGrayed)
        throw vb::VbError(static_cast<vb::ErrorNumber>(380), "Invalid property value");
    if (value == Value())
        return;
    static_cast<QCheckBox*>(Widget())->setCheckState(value == vbChecked   ? Qt::Checked
                                                     : value == vbGrayed ? Qt::PartiallyChecked
                                                                         : Qt::Unchecked);
    RaiseClick();
}

} // namespace qm6::forms
