#include "platform/vb/Conversions.h"

#include "platform/locale/Lcid.h"
#include "platform/locale/LocaleInfo.h"
#include "platform/vb/NumericText.h"
#include "platform/vb/VbError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

namespace qm6::vb {

namespace {

thread_local std::optional<NumberChars> tNumberChars;

[[noreturn]] void Raise(ErrorNumber number) {
    throw VbError(number);
}

// Puts the locale's minus sign and decimal separator into text written with
// the C conventions ("-" and "."). Only a leading "-" is the number's sign;
// the one after an "E" belongs to the exponent and stays as it is.
std::string Localize(std::string text) {
    const NumberChars& chars = CurrentNumberChars();
    std::string result;
    result.reserve(text.size() + 4);
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 0 && text[i] == '-') {
            result += chars.minus;
        } else if (text[i] == '.') {
            result += chars.decimal;
        } else {
            result += text[i];
        }
    }
    return result;
}

// The value of a variant as a number, for the conversions to numeric types:
// Empty is 0, True is -1, text is read by ParseNumericText.
double NumberOf(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        Raise(ErrorNumber::InvalidUseOfNull);
    case VarType::Boolean:
        return v.AsBoolean() ? -1 : 0;
    case VarType::Integer:
        return v.AsInteger();
    case VarType::Long:
        return v.AsLong();
    case VarType::Single:
        return v.AsSingle();
    case VarType::Double:
        return v.AsDouble();
    case VarType::Currency:
        return v.AsCurrency().ToDouble();
    case VarType::String:
        return ParseNumericText(v.AsString());
    default:
        // Arrays, byte arrays and objects have no numeric value.
        Raise(ErrorNumber::TypeMismatch);
    }
}

// A Currency rounded to whole units, halves to even, computed on the scaled
// integer so that no amount loses precision on the way.
int64_t RoundCurrency(Currency c) {
    const int64_t scaled = c.Scaled();
    int64_t units = scaled / Currency::Scale;
    const int64_t remainder = scaled % Currency::Scale; // same sign as scaled
    const int64_t half = Currency::Scale / 2;
    const int64_t step = scaled < 0 ? -1 : 1;
    const int64_t magnitude = remainder < 0 ? -remainder : remainder;
    if (magnitude > half || (magnitude == half && units % 2 != 0)) {
        units += step;
    }
    return units;
}

// Rounds, then checks the range: a value that rounds into the range is
// accepted even though it lies outside it (-32768.5 becomes -32768).
template <typename Int> Int RoundToInteger(double d) {
    if (!std::isfinite(d)) {
        Raise(ErrorNumber::Overflow);
    }
    const double rounded = RoundHalfEven(d);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        Raise(ErrorNumber::Overflow);
    }
    return static_cast<Int>(rounded);
}

template <typename Int> Int ToInteger(const Variant& v) {
    if (v.Type() == VarType::String) {
        // Rounded on the decimal digits as written, not on a Double.
        const int64_t units = ScaledOf(ReadNumericText(v.AsString(), CurrentNumberChars()), 0);
        if (units < std::numeric_limits<Int>::min() || units > std::numeric_limits<Int>::max()) {
            Raise(ErrorNumber::Overflow);
        }
        return static_cast<Int>(units);
    }
    if (v.Type() == VarType::Currency) {
        const int64_t units = RoundCurrency(v.AsCurrency());
        if (units < std::numeric_limits<Int>::min() || units > std::numeric_limits<Int>::max()) {
            Raise(ErrorNumber::Overflow);
        }
        return static_cast<Int>(units);
    }
    return RoundToInteger<Int>(NumberOf(v));
}

// Rounds to the nearest integer, halves to even. Subtracting the truncated
// value is exact for every binary floating-point number, so the comparisons
// with one half see the true fraction.
template <typename Float> Float RoundHalfEvenOf(Float d) {
    if (!std::isfinite(d)) {
        return d;
    }
    const Float whole = std::trunc(d);
    const Float fraction = std::fabs(d - whole);
    const Float away = whole + std::copysign(Float(1), d);
    if (fraction < Float(0.5)) {
        return whole;
    }
    if (fraction > Float(0.5)) {
        return away;
    }
    return std::fmod(whole, Float(2)) == 0 ? whole : away;
}

// A Double as Currency: the value times 10,000, rounded to the nearest
// integer with halves to even. The runtime multiplies in the floating-point
// unit's extended precision, where the product is exact: a Double's 53-bit
// mantissa times 10,000 (625 times a power of two) needs at most 63 bits. So
// the product is taken exactly here too; rounding it to a Double first would
// make false halves (0.00005 would give 0 instead of 0.0001).
static_assert(std::numeric_limits<long double>::digits >= 63,
              "the product of a Double and 10,000 needs 63 bits to be exact");
Currency CurrencyFromDouble(double d) {
    if (std::isnan(d)) {
        Raise(ErrorNumber::Overflow);
    }
    const long double scaled =
        RoundHalfEvenOf(static_cast<long double>(d) * static_cast<long double>(Currency::Scale));
    constexpr long double limit = 9223372036854775808.0L; // 2^63
    if (!(scaled >= -limit && scaled < limit)) {
        Raise(ErrorNumber::Overflow);
    }
    return Currency::FromScaled(static_cast<int64_t>(scaled));
}

// A Double as Single, rounded to the nearest Single. Values beyond the
// largest Single overflow unless they round down to it; tiny values become
// 0 without error, as the runtime's conversion does.
float SingleFromDouble(double d) {
    if (std::isnan(d)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    constexpr double max = std::numeric_limits<float>::max();
    // Halfway between the largest Single and the next power of two: from
    // here on the nearest Single would be infinity (the tie goes to the
    // even mantissa, which is the infinity side).
    const double overflowAt = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    const double magnitude = std::fabs(d);
    if (magnitude >= overflowAt) {
        Raise(ErrorNumber::Overflow);
    }
    if (magnitude > max) {
        return static_cast<float>(std::copysign(max, d));
    }
    return static_cast<float>(d);
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

// The runtime writes a Double as printf's "%.15G" would, and a Single as
// "%.7G", then puts in the locale's decimal separator.
//
// Two choices follow from that model and are deliberate. Small magnitudes
// switch to scientific form below 0.0001, so 0.00001 gives "1E-05" rather
// than "0.00001": that is what %G does, and the runtime's conversion routine
// is built on it. The exponent has at least two digits ("1.234568E+07", not
// "E+7") for the same reason: %G pads it so.
std::string FormatGeneral(double d, int digits) {
    if (std::isnan(d)) {
        return "1.#QNAN"; // what the runtime's C library shows for a NaN
    }
    if (std::isinf(d)) {
        return d < 0 ? "-1.#INF" : "1.#INF";
    }
    if (d == 0) {
        return "0"; // never "-0"
    }
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::general, digits);
    if (error != std::errc()) {
        Raise(ErrorNumber::Overflow); // unreachable: 64 characters always suffice
    }
    std::string text(buffer, end);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return Localize(std::move(text));
}

} // namespace

NumberChars NumberCharsOf(std::uint32_t lcid) {
    NumberChars chars;
    const std::optional<loc::NumberSymbols> symbols = loc::GetNumberSymbols(lcid);
    if (!symbols) {
        return chars;
    }
    chars.decimal = symbols->decimalSeparator;
    chars.group = symbols->groupSeparator;
    chars.currency = symbols->currencySymbol;
    if (!symbols->negativeSign.empty()) {
        chars.minus = symbols->negativeSign;
    }
    chars.currencyPlacement = symbols->currencyPlacement;
    chars.currencyDigits = symbols->currencyDigits;
    return chars;
}

const NumberChars& CurrentNumberChars() {
    if (!tNumberChars) {
        tNumberChars = NumberCharsOf(loc::GetUserDefaultLCID());
    }
    return *tNumberChars;
}

void SetNumberChars(NumberChars chars) {
    tNumberChars = std::move(chars);
}

void ResetNumberChars() {
    tNumberChars.reset();
}

double RoundHalfEven(double d) {
    return RoundHalfEvenOf(d);
}

double ParseNumericText(std::string_view text) {
    return DoubleOf(ReadNumericText(text, CurrentNumberChars()));
}

bool IsNumeric(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Byte:
        return true;
    case VarType::String:
        try {
            ParseNumericText(v.AsString());
            return true;
        } catch (const VbError&) {
            return false;
        }
    default:
        return false;
    }
}

std::string FormatDouble(double d) {
    return FormatGeneral(d, 15);
}

std::string FormatSingle(float f) {
    return FormatGeneral(f, 7);
}

// The exact amount: whole units, then up to four decimals without trailing
// zeros. No grouping and no currency symbol.
std::string FormatCurrency(Currency c) {
    const int64_t scaled = c.Scaled();
    // The magnitude as unsigned, since the smallest amount has no positive
    // counterpart in int64_t.
    const uint64_t magnitude =
        scaled < 0 ? uint64_t{0} - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    const uint64_t units = magnitude / Currency::Scale;
    uint64_t fraction = magnitude % Currency::Scale;

    std::string text = scaled < 0 ? "-" : "";
    text += std::to_string(units);
    if (fraction != 0) {
        int width = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --width;
        }
        std::string decimals = std::to_string(fraction);
        text += '.';
        text.append(static_cast<size_t>(width) - decimals.size(), '0');
        text += decimals;
    }
    return Localize(std::move(text));
}

std::string CStr(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty:
        return "";
    case VarType::Null:
        Raise(ErrorNumber::InvalidUseOfNull);
    case VarType::Boolean:
        // English in every locale.
        return v.AsBoolean() ? "True" : "False";
    case VarType::Integer:
        return Localize(std::to_string(v.AsInteger()));
    case VarType::Long:
        return Localize(std::to_string(v.AsLong()));
    case VarType::Single:
        return FormatSingle(v.AsSingle());
    case VarType::Double:
        return FormatDouble(v.AsDouble());
    case VarType::Currency:
        return FormatCurrency(v.AsCurrency());
    case VarType::String:
        return v.AsString();
    default:
        Raise(ErrorNumber::TypeMismatch);
    }
}

int16_t CInt(const Variant& v) {
    return ToInteger<int16_t>(v);
}

int32_t CLng(const Variant& v) {
    return ToInteger<int32_t>(v);
}

bool CBool(const Variant& v) {
    switch (v.Type()) {
    case VarType::Boolean:
        return v.AsBoolean();
    case VarType::Currency:
        return v.AsCurrency().Scaled() != 0;
    case VarType::String: {
        const std::string& text = v.AsString();
        // The English words in any case; the literal forms only as written.
        if (EqualsIgnoringAsciiCase(text, "true") || text == "#TRUE#") {
            return true;
        }
        if (EqualsIgnoringAsciiCase(text, "false") || text == "#FALSE#") {
            return false;
        }
        return ParseNumericText(text) != 0;
    }
    default:
        return NumberOf(v) != 0;
    }
}

Currency CCur(const Variant& v) {
    switch (v.Type()) {
    case VarType::Currency:
        return v.AsCurrency();
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
        // Whole numbers of at most 32 bits always fit.
        return Currency::FromUnits(static_cast<int64_t>(NumberOf(v)));
    case VarType::String:
        // Exact in decimal: the text's digits are rounded to four decimals
        // without a Double in between, so every amount the type holds reads
        // back exactly ("922337203685477.5807"). A fifth decimal of exactly
        // 5 goes to the even neighbour ("0.00005" -> 0, "0.00015" ->
        // 0.0002). The runtime's behaviour here is not documented; halves to
        // even is what it does for CCur of a Double and for every other
        // rounding conversion, so text follows the same rule.
        return Currency::FromScaled(
            ScaledOf(ReadNumericText(v.AsString(), CurrentNumberChars()), 4));
    default:
        return CurrencyFromDouble(NumberOf(v));
    }
}

double CDbl(const Variant& v) {
    return NumberOf(v);
}

float CSng(const Variant& v) {
    if (v.Type() == VarType::Single) {
        return v.AsSingle();
    }
    return SingleFromDouble(NumberOf(v));
}

} // namespace qm6::vb
