#pragma once

// GetLocaleInfo and the number characters of a locale, answered from ICU's locale data.
//
// Where ICU's data differs from what Windows answers in a way the library or its users would
// notice, the Windows form is answered:
// - Numbers use the Latin digits and their separators (ICU's "latn" numbering system), as
//   Windows does for every locale: ar-SA answers "." and "," rather than U+066B and U+066C.
// - The invisible direction marks CLDR puts into signs and currency symbols (U+200E, U+200F,
//   U+061C) are dropped, so that a sign's first character is the sign itself.
// - U+2212 MINUS SIGN (sv-SE, fi-FI, nb-NO, lt-LT) is answered as the hyphen-minus "-", the
//   key a user presses and the sign Windows answers.
// - U+202F NARROW NO-BREAK SPACE, CLDR's group separator for French since ICU 63, is answered
//   as U+00A0 NO-BREAK SPACE, Windows' French separator, which the Western code page 1252 can
//   hold (the library passes these texts through the system's ANSI code page).
// - U+FFE5 FULLWIDTH YEN SIGN (ja-JP) is answered as U+00A5, Windows' Japanese currency sign.
// - LOCALE_IDIGITS is 2 for every locale, as in Windows' data; ICU only has a maximum of
//   fraction digits (3) for plain numbers.
// Everything else is ICU's: for example en-US answers the negative currency pattern 1
// ("-$1.1") of current CLDR and Windows 10, not the 0 ("($1.1)") of older Windows, and
// zh-CN answers 1 ("-¥1.1") where Windows answers 2 ("¥-1.1").

#include "platform/locale/Lcid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qm6::loc {

using LcType = std::uint32_t;

// The locale settings GetLocaleInfo answers. A Unicode-only locale answers the code pages
// "0" (ANSI) and "1" (OEM), see CodePages.h.
inline constexpr LcType LOCALE_IDEFAULTCODEPAGE = 0x000B; // OEM code page, decimal
inline constexpr LcType LOCALE_SDECIMAL = 0x000E;         // decimal separator
inline constexpr LcType LOCALE_STHOUSAND = 0x000F;        // digit group separator
inline constexpr LcType LOCALE_SGROUPING = 0x0010;        // group sizes: "3;0", "3;2;0"
inline constexpr LcType LOCALE_IDIGITS = 0x0011;          // fraction digits of a number
inline constexpr LcType LOCALE_SCURRENCY = 0x0014;        // local currency symbol
inline constexpr LcType LOCALE_SINTLSYMBOL = 0x0015;      // ISO 4217 currency code
inline constexpr LcType LOCALE_SMONDECIMALSEP = 0x0016;   // decimal separator of amounts of money
inline constexpr LcType LOCALE_SMONTHOUSANDSEP = 0x0017;  // group separator of amounts of money
inline constexpr LcType LOCALE_SMONGROUPING = 0x0018;     // group sizes of amounts of money
inline constexpr LcType LOCALE_ICURRDIGITS = 0x0019;      // fraction digits of amounts of money
inline constexpr LcType LOCALE_ICURRENCY = 0x001B;        // positive currency placement 0..3
inline constexpr LcType LOCALE_INEGCURR = 0x001C;         // negative currency pattern 0..15
inline constexpr LcType LOCALE_SPOSITIVESIGN = 0x0050;    // positive sign
inline constexpr LcType LOCALE_SNEGATIVESIGN = 0x0051;    // negative sign
inline constexpr LcType LOCALE_SISO639LANGNAME = 0x0059;  // ISO 639 language code: "de"
inline constexpr LcType LOCALE_SISO3166CTRYNAME = 0x005A; // ISO 3166 region code: "DE"
inline constexpr LcType LOCALE_SNAME = 0x005C;            // locale name: "de-DE"
inline constexpr LcType LOCALE_SENGLANGUAGE = 0x1001;     // English name of the language: "German"
inline constexpr LcType LOCALE_SENGCOUNTRY = 0x1002;      // English name of the region: "Germany"
inline constexpr LcType LOCALE_IDEFAULTANSICODEPAGE = 0x1004; // ANSI code page, decimal
inline constexpr LcType LOCALE_INEGNUMBER = 0x1010;           // negative number pattern 0..4

// Flags that may be combined with a setting. The first two change nothing here (there are no
// user overrides, and answers are UTF-8); LOCALE_RETURN_NUMBER is refused, since the answer
// is always text.
inline constexpr LcType LOCALE_NOUSEROVERRIDE = 0x80000000u;
inline constexpr LcType LOCALE_USE_CP_ACP = 0x40000000u;
inline constexpr LcType LOCALE_RETURN_NUMBER = 0x20000000u;

// Win32 error codes GetLocaleInfo answers.
enum : unsigned long {
    ERROR_INVALID_PARAMETER = 87, // the LCID names no locale
    ERROR_INVALID_FLAGS = 1004,   // the setting is unknown or a flag is not supported
};

// The answer of GetLocaleInfo: the setting as UTF-8 text, or an empty text and the error.
struct LocaleText {
    std::string text;
    unsigned long error = 0;

    bool ok() const noexcept { return error == 0; }
    explicit operator bool() const noexcept { return ok(); }
};

// One setting of a locale. lcid may be a pseudo-locale (LOCALE_USER_DEFAULT,
// LOCALE_SYSTEM_DEFAULT) or a neutral LCID, see ConvertDefaultLocale. An LCID that names no
// locale gives ERROR_INVALID_PARAMETER; a setting not listed above gives ERROR_INVALID_FLAGS.
LocaleText GetLocaleInfo(Lcid lcid, LcType type);

// LOCALE_ICURRENCY, where the currency symbol goes around a positive amount:
//   0 "$1.1"   1 "1.1$"   2 "$ 1.1"   3 "1.1 $"
// LOCALE_INEGCURR, the Windows pattern of a negative amount:
//   0 "($1.1)"   1 "-$1.1"   2 "$-1.1"   3 "$1.1-"   4 "(1.1$)"   5 "-1.1$"   6 "1.1-$"
//   7 "1.1$-"    8 "-1.1 $"  9 "-$ 1.1" 10 "1.1 $-" 11 "$ 1.1-" 12 "$ -1.1" 13 "1.1- $"
//  14 "($ 1.1)" 15 "(1.1 $)"
// LOCALE_INEGNUMBER, the pattern of a negative number:
//   0 "(1.1)"   1 "-1.1"   2 "- 1.1"   3 "1.1-"   4 "1.1 -"

// The characters and patterns a number conversion needs for a locale: the same values
// GetLocaleInfo answers, in one call and already converted to numbers.
struct NumberSymbols {
    std::string decimalSeparator;  // LOCALE_SDECIMAL
    std::string groupSeparator;    // LOCALE_STHOUSAND
    int groupSize = 3;             // first group next to the decimal separator; 0: no grouping
    int secondaryGroupSize = 3;    // every further group (2 in hi-IN: 12,34,567)
    std::string negativeSign;      // LOCALE_SNEGATIVESIGN
    std::string positiveSign;      // LOCALE_SPOSITIVESIGN
    int fractionDigits = 2;        // LOCALE_IDIGITS
    int negativeNumberPattern = 1; // LOCALE_INEGNUMBER

    std::string currencySymbol;           // LOCALE_SCURRENCY
    std::string currencyCode;             // LOCALE_SINTLSYMBOL
    std::string currencyDecimalSeparator; // LOCALE_SMONDECIMALSEP
    std::string currencyGroupSeparator;   // LOCALE_SMONTHOUSANDSEP
    int currencyGroupSize = 3;            // as groupSize, for amounts of money
    int currencySecondaryGroupSize = 3;   // as secondaryGroupSize, for amounts of money
    int currencyDigits = 2;               // LOCALE_ICURRDIGITS
    int currencyPlacement = 0;            // LOCALE_ICURRENCY
    int negativeCurrencyPattern = 1;      // LOCALE_INEGCURR
};

// The number characters of a locale (pseudo-locales resolved as for GetLocaleInfo), or
// nullopt for an LCID that names no locale. The data of each locale is read from ICU once
// and kept; which locale the user's default is, is decided on every call.
std::optional<NumberSymbols> GetNumberSymbols(Lcid lcid);

} // namespace qm6::loc
