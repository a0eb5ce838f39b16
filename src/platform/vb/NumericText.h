#pragma once

#include "platform/vb/Conversions.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm6::vb {

// A number read from text, kept exactly as written in decimal:
//   value = (negative ? -1 : 1) * digits * 10^exponent
// digits has no leading and no trailing zeros, and is empty for zero. The
// conversions round from this form, so that text never takes a detour
// through a binary Double where the target is decimal (Currency, Integer).
struct DecimalText {
    bool negative = false;
    std::string digits;
    int64_t exponent = 0;
};

// Reads numeric text with the runtime's rules and the given characters:
// - blanks before and after the number and between the symbols around it:
//   spaces, tabs, carriage returns, line feeds and the no-break spaces
//   U+00A0 and U+202F;
// - one sign, leading ("-5") or trailing ("5-"), or parentheses ("(5)");
//   a sign together with parentheses is refused;
// - the currency symbol once, before or after the digits ("$5", "5 €"); where
//   it is the yen sign U+00A5, the full-width U+FFE5 as well;
// - digits with the decimal separator once and group separators, which are
//   skipped anywhere after the first digit ("1,2,3" is 123, in the fraction
//   too) and refused before it (",5"); where the group separator is a space
//   (fr-FR, pl-PL, ru-RU), any of U+0020, U+00A0 and U+202F;
// - an exponent: e, E, d or D, then an optional sign and digits, blanks
//   allowed around the sign ("1d3", "1e -3");
// - instead of decimal digits, &H (hex) or &O (octal) and digits of that
//   radix. A radix number is typed as a literal of the runtime is: up to
//   &HFFFF it is an Integer, so &H8000..&HFFFF are negative (&HFFFF is -1),
//   up to &HFFFFFFFF a Long likewise; beyond 32 bits it overflows (6).
// Anything else throws Type mismatch (13). Work is linear in the text.
DecimalText ReadNumericText(std::string_view text, const NumberChars& chars);

// The value as a Double: Overflow (6) beyond the Double range; values too
// small for a Double become 0 without an error.
double DoubleOf(const DecimalText& number);

// The value times 10^decimals, rounded to an integer with halves to even,
// exactly on the decimal digits. Overflow (6) outside the range of int64_t.
int64_t ScaledOf(const DecimalText& number, int decimals);

} // namespace qm6::vb
