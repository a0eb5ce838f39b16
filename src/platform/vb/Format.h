#pragma once

#include "platform/vb/Variant.h"

#include <string>
#include <string_view>

namespace qm6::vb {

// The runtime's Format function for numbers, in the calling thread's locale
// (CurrentNumberChars).
//
// format is a named format, matched without regard to case:
//   "General Number"  the value as CStr writes it
//   "Currency"        the locale's currency symbol where the locale puts it,
//                     groups, the locale's count of decimals; negative
//                     amounts in parentheses
//   "Fixed" "0.00"   "Standard" "#,##0.00"   "Percent" "0.00%"
//   "Scientific" "0.00E+00"
//   "Yes/No" "True/False" "On/Off"  the second word for 0, else the first
// or a user-defined numeric format of up to four sections separated by ';'
// (positive;negative;zero;Null) with the placeholders 0 and #, the decimal
// point '.', ',' for grouping or, right of the last integer digit, scaling
// by 1000, '%', E+ E- e+ e- exponents, "quoted" text, \-escaped characters
// and other characters as themselves. '.' and ',' come out as the locale's
// separators; any other character, '$' included, as written.
//
// Numbers are rounded half away from zero on their decimal text: 15
// significant digits for a Double, 7 for a Single, the exact value of a
// Currency or a whole number. Text that reads as a number is formatted as
// that number (a Double); other text comes back unchanged, as does any value
// with an empty format, which gives the value as CStr writes it.
std::string Format(const Variant& value, std::string_view format = {});

} // namespace qm6::vb
