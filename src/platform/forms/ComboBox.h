#pragma once

// A combo box in the platform's drop-down list style: the user picks one of
// the entries and cannot type text. Each entry has a text and a 32-bit item
// data; entries count from 0. ListIndex is -1 while nothing is chosen
// (also after the first AddItem, unlike a bare QComboBox). Click is raised
// whenever the chosen entry changes, from the user or from code; Clear and
// RemoveItem do not raise it.

#include "platform/forms/Control.h"

namespace qm6::forms {

class ComboBox : public Control {
public:
    ComboBox(Container& parent, std::string name, int32_t index);

    std::string TypeName() const override { return "ComboBox"; }
    // The chosen entry's text ("" for none). Setting it chooses the entry
    // with exactly that text; a text no entry has is refused (error 383),
    // as the list style's Text is read-only.
    std::string Text() const override;
    void Text(const std::string& text) override;

    // Appends the entry (or inserts it at index); NewIndex tells where.
    void AddItem(const std::string& text, int32_t index = -1);
    void RemoveItem(int32_t index);
    void Clear();
    int32_t ListCount() const;
    int32_t NewIndex() const { return newIndex_; }
    // The entry's text; "" for an index outside the list.
    std::string List(int32_t index) const;
    // Outside the list: error 381.
    int32_t ItemData(int32_t index) const;
    void ItemData(int32_t index, int32_t data);
    int32_t ListIndex() const;
    // -1 chooses nothing; other values outside the list: error 380.
    void ListIndex(int32_t index);

private:
    void CheckIndex(int32_t index) const;

    int32_t newIndex_ = -1;
    bool quiet_ = false;
};

} // namespace qm6::forms
