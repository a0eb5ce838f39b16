#include "platform/forms/ComboBox.h"

#include "platform/forms/Container.h"

#include "platform/forms/QtSupport.h"

#include <QComboBox>

namespace qm6::forms {
namespace {
QComboBox* Box(const Control& c) {
    return static_cast<QComboBox*>(c.Widget());
}
vb::VbError PropertyError(int number, const char* text) {
    return vb::VbError(static_cast<vb::ErrorNumber>(number), text);
}
} // namespace

ComboBox::ComboBox(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new QComboBox(parent.ClientWidget()), true, true) {
    QObject::connect(Box(*this), &QComboBox::currentIndexChanged, Context(), [this] {
        if (!quiet_)
            RaiseClick();
    });
}

std::string ComboBox::Text() const {
    return Box(*this)->currentIndex() < 0 ? std::string() : FromQ(Box(*this)->currentText());
}

void ComboBox::Text(const std::string& text) {
    const int found = Box(*this)->findText(ToQ(text), Qt::MatchExactly);
    if (found < 0)
        throw PropertyError(383, "'Text' property is read-only");
    ListIndex(found);
}

void ComboBox::AddItem(const std::string& text, int32_t index) {
    QComboBox* box = Box(*this);
    if (index < -1 || index > box->count())
        throw PropertyError(5, "Invalid procedure call or argument");
    const int current = box->currentIndex();
    const int at = index < 0 ? box->count() : index;
    quiet_ = true;
    box->insertItem(at, ToQ(text), QVariant(0));
    // Qt chooses the first entry added to an empty list; the platform does not.
    if (current < 0)
        box->setCurrentIndex(-1);
    quiet_ = false;
    newIndex_ = at;
}

void ComboBox::RemoveItem(int32_t index) {
    CheckIndex(index);
    quiet_ = true;
    Box(*this)->removeItem(index);
    quiet_ = false;
}

void ComboBox::Clear() {
    quiet_ = true;
    Box(*this)->clear();
    quiet_ = false;
    newIndex_ = -1;
}

int32_t ComboBox::ListCount() const {
    return Box(*this)->count();
}

std::string ComboBox::List(int32_t index) const {
    if (index < 0 || index >= ListCount())
        return {};
    return FromQ(Box(*this)->itemText(index));
}

void ComboBox::CheckIndex(int32_t index) const {
    if (index < 0 || index >= ListCount())
        throw PropertyError(381, "Invalid property array index");
}

int32_t ComboBox::ItemData(int32_t index) const {
    CheckIndex(index);
    return Box(*this)->itemData(index).toInt();
}

void ComboBox::ItemData(int32_t index, int32_t data) {
    CheckIndex(index);
    Box(*this)->setItemData(index, QVariant(data));
}

int32_t ComboBox::ListIndex() const {
    return Box(*this)->currentIndex();
}

void ComboBox::ListIndex(int32_t index) {
    if (index < -1 || index >= ListCount())
        throw PropertyError(380, "Invalid property value");
    Box(*this)->setCurrentIndex(index);
}

} // namespace qm6::forms
