#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm6::vb {

// The characters with which numbers are written in the user's locale. CStr
// writes the decimal separator and the minus sign from here; the group
// separator and the currency symbol are for the readers and formatters of
// numeric text. Each is UTF-8 text, since some locales use characters
// outside ASCII (a no-break space as group separator, for instance).
struct NumberChars {
    std::string decimal = ".";
    std::string group = ",";
    std::string currency = "$";
    std::string minus = "-";
};

// The calling thread's number characters: US English ones until set. The
// locale module sets them from the user's locale when the thread starts up;
// tests set them to check another locale's output. Per thread, as the rest
// of the module state is.
const NumberChars& CurrentNumberChars();
void SetNumberChars(NumberChars chars);

// The runtime's conversion functions. Numbers round halves to even where the
// target has fewer decimals, the range is checked after rounding, and errors
// are raised as VbError: Overflow (6), Type mismatch (13), Invalid use of
// Null (94). Empty converts to 0, False, or "".
std::string CStr(const Variant& v);
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
bool CBool(const Variant& v);
Currency CCur(const Variant& v);
double CDbl(const Variant& v);
float CSng(const Variant& v);

// Number formatting of the runtime, used by CStr: at most 15 significant
// digits for a Double, 7 for a Single, the exact value for Currency.
std::string FormatDouble(double d);
std::string FormatSingle(float f);
std::string FormatCurrency(Currency c);

// Rounds to the nearest integer, halves to even.
double RoundHalfEven(double d);

// The seam through which text becomes a number. It answers the value of a
// numeric text, or throws Type mismatch (13) for text that is not a number.
// The current reader takes the invariant syntax (blanks, one sign, digits,
// one '.', an exponent); the locale-aware reader replaces it behind this name.
double ParseNumericText(std::string_view text);

} // namespace qm6::vb
