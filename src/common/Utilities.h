#pragma once

// Small routines the editors and dialogs share: paper lengths in the user's
// unit, the common folder, combo boxes filled and searched by item data,
// key filtering for numeric fields, locale texts, and trimming a form's text
// boxes before its values are taken.

#include "platform/locale/Lcid.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>

namespace qm6 {
namespace forms {
class ComboBox;
class Form;
} // namespace forms

// Unit codes of ConvertToUnits.
enum : int32_t { kUnitInches = 0, kUnitMillimetres = 1, kUnitCentimetres = 2 };

// A length in tenths of a millimetre in inches, millimetres or centimetres,
// rounded to 2 decimals (halves to even). Another unit shows a stop box and
// answers 0.
float ConvertToUnits(int32_t length, int32_t unit);

// The common folder: the same upward walk as the lang folder, with "common";
// computed once per thread.
std::string GetCommonFolder();

// The index of the first entry whose item data is value, or -1.
int32_t FindComboItemData(const forms::ComboBox& combo, int32_t value);

// Refills the combo box from a two-column list array (column 0 item data,
// column 1 text), from firstRow (-1: the lower bound) to the last row. A
// list that holds no array leaves the combo box as it was; an index outside
// the array raises Subscript out of range (9).
void FillComboFromArray(forms::ComboBox& combo, const vb::Variant& list, int16_t firstRow);

// A key-press filter for numeric fields: answers the key when it is a digit,
// backspace, or the user's decimal separator (when decimalAllowed) or
// negative sign (when negativeAllowed); else beeps and answers 0. The two
// characters are read once per thread; a locale without one never matches it.
int FilterNumericKey(int keyAscii, bool negativeAllowed, bool decimalAllowed);

// A locale setting as text ("" when the platform has none or it does not fit
// 255 bytes).
std::string GetLocaleString(loc::Lcid lcid, uint32_t setting);
std::string GetDecimalSeparator(loc::Lcid lcid);
std::string GetNegativeSign(loc::Lcid lcid);

// Trims the spaces around the text of every text box of the form and cuts
// it to its MaxLength. A text box without a MaxLength, when
// reportMissingMaximum, shows an exclamation box and answers false at once.
bool TrimTextControls(forms::Form& form, bool reportMissingMaximum);

} // namespace qm6
