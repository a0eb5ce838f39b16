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

// The amount a money text stands for, where the text was written by Format
// with this format or typed by a user of the locale: read as CCur reads it,
// and where that finds no number, once more with the symbol the format
// itself writes taken for the currency symbol. A user-defined format keeps
// its literal symbol in every locale ("$#,##0.00" shows "$1.234,50" in
// de-DE, whose own symbol is "€"), and its amounts must still read back.
// Raises as CCur does: Type mismatch (13), Overflow (6).
Currency CCurOfFormatted(std::string_view text, std::string_view format);

// The currency symbol a user-defined format writes as text beside its digits
// in the section for positive amounts ("$" of "$#,##0.00;($#,##0.00)", "EUR"
// of "#,##0.00 \E\U\R"): its literal before the first digit, else after
// the last one, without blanks, signs and parentheses. Empty for a named
// format, a percent format and a format with no such text.
std::string FormatCurrencySymbol(std::string_view format);

} // namespace qm6::vb
