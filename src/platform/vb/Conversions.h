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
    // Where the currency symbol stands around an amount (the Windows
    // LOCALE_ICURRENCY values: 0 "$1.1", 1 "1.1$", 2 "$ 1.1", 3 "1.1 $") and
    // how many decimals an amount shows, for the named format "Currency".
    int currencyPlacement = 0;
    int currencyDigits = 2;
};

// The number characters of a locale, read through the locale module; US
// English ones for an LCID that names no locale.
NumberChars NumberCharsOf(std::uint32_t lcid);

// The calling thread's number characters. Until set, they are those of the
// user's locale, read on the first use on the thread; SetNumberChars
// overrides them (tests check another locale's output so), and
// ResetNumberChars goes back to the user's locale, read again on the next
// use. Per thread, as the rest of the module state is.
const NumberChars& CurrentNumberChars();
void SetNumberChars(NumberChars chars);
void ResetNumberChars();

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

// True when the value is a number or reads as one: numbers, Booleans and
// Empty are; Null, arrays and objects are not; text is exactly when CDbl of
// it succeeds (so "1e400", which overflows, is not).
bool IsNumeric(const Variant& v);

// The seam through which text becomes a number: the value of a numeric text
// in the calling thread's locale, with the runtime's syntax (see
// ReadNumericText in NumericText.h). Throws Type mismatch (13) for text that
// is not a number and Overflow (6) beyond the Double range.
double ParseNumericText(std::string_view text);

} // namespace qm6::vb
