#include "platform/vb/NumericText.h"

#include "platform/vb/VbError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace qm6::vb {

namespace {

[[noreturn]] void Mismatch() {
    throw VbError(ErrorNumber::TypeMismatch);
}
[[noreturn]] void Overflow() {
    throw VbError(ErrorNumber::Overflow);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The length of the blank at i around a number, else 0: a space, a tab, a
// carriage return or line feed (text pasted from a list or a cell keeps
// them), or a no-break space (U+00A0 and the narrow U+202F, which money
// texts carry next to their symbol).
size_t BlankAt(std::string_view text, size_t i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        return 1;
    }
    if (text.substr(i, 2) == "\xC2\xA0") {
        return 2;
    }
    if (text.substr(i, 3) == "\xE2\x80\xAF") {
        return 3;
    }
    return 0;
}

// The spaces a group separator is written with where the locale's is a
// space: users type U+0020, the locale data says U+00A0, and text copied
// from newer software carries U+202F. Each stands for the others.
constexpr std::string_view kSpaceGroups[] = {" ", "\xC2\xA0", "\xE2\x80\xAF"};

// The yen (and yuan) sign in its two forms: U+00A5, and U+FFE5 FULLWIDTH
// YEN SIGN, which Japanese input methods type.
constexpr std::string_view kYenSigns[] = {"\xC2\xA5", "\xEF\xBF\xA5"};

// The length of one of the words at i when `word` is one of them, else of
// `word` itself when the text holds it at i, else 0.
template <size_t N>
size_t MatchAnyOf(std::string_view text, size_t i, std::string_view word,
                  const std::string_view (&family)[N]) {
    if (word.empty()) {
        return 0;
    }
    const auto in = [&](std::string_view w) {
        for (const std::string_view f : family) {
            if (f == w) {
                return true;
            }
        }
        return false;
    };
    if (in(word)) {
        for (const std::string_view f : family) {
            if (text.substr(i, f.size()) == f) {
                return f.size();
            }
        }
        return 0;
    }
    return text.substr(i, word.size()) == word ? word.size() : 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The exponent written in the text saturates here: beyond it every mantissa
// the text can hold overflows or underflows, and the sums below stay small.
constexpr int64_t kExponentLimit = 100000000;

// Reads the symbols that may stand around the digits, in any order, each at
// most once. `before` is true for the leading side, where an opening
// parenthesis may stand; on the trailing side only its closing one.
class Symbols {
public:
    Symbols(std::string_view text, const NumberChars& chars) : text_(text), chars_(chars) {}

    size_t Read(size_t i, bool before) {
        while (i < text_.size()) {
            const char c = text_[i];
            size_t length = 0;
            if ((length = BlankAt(text_, i)) != 0) {
                i += length;
            } else if (!sign_ && !parenthesis_ && c == '+') {
                sign_ = true;
                ++i;
            } else if (!sign_ && !parenthesis_ && (length = MinusAt(i)) != 0) {
                sign_ = true;
                negative_ = true;
                i += length;
            } else if (!currency_ &&
                       (length = MatchAnyOf(text_, i, chars_.currency, kYenSigns)) != 0) {
                currency_ = true;
                i += length;
            } else if (before && !sign_ && !parenthesis_ && c == '(') {
                parenthesis_ = true;
                negative_ = true;
                ++i;
            } else if (!before && parenthesis_ && !closed_ && c == ')') {
                closed_ = true;
                ++i;
            } else {
                break;
            }
        }
        return i;
    }

    bool Negative() const { return negative_; }
    bool Balanced() const { return parenthesis_ == closed_; }

    // The length of `word` when the text holds it at i, else 0.
    size_t Match(size_t i, std::string_view word) const {
        if (word.empty() || text_.substr(i, word.size()) != word) {
            return 0;
        }
        return word.size();
    }

private:
    // The hyphen-minus is a minus in every locale; the locale's own sign too.
    size_t MinusAt(size_t i) const {
        if (text_[i] == '-') {
            return 1;
        }
        return Match(i, chars_.minus);
    }

    std::string_view text_;
    const NumberChars& chars_;
    bool sign_ = false;
    bool negative_ = false;
    bool currency_ = false;
    bool parenthesis_ = false;
    bool closed_ = false;
};

int RadixDigit(char c, int radix) {
    int value = -1;
    if (IsDigit(c)) {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < radix ? value : -1;
}

// &H and &O numbers, typed as the runtime types such literals: 16 bits when
// they fit, else 32 bits, read as two's complement.
size_t ReadRadix(std::string_view text, size_t i, int radix, DecimalText& number) {
    uint64_t value = 0;
    bool tooLarge = false;
    const size_t first = i;
    for (int digit = 0; i < text.size() && (digit = RadixDigit(text[i], radix)) >= 0; ++i) {
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            tooLarge = true;
            value = 0; // keep reading the digits, the value is lost anyway
        }
    }
    if (i == first) {
        Mismatch();
    }
    if (tooLarge) {
        Overflow();
    }
    int64_t signedValue = static_cast<int64_t>(value);
    if (value > 0x7FFF && value <= 0xFFFF) {
        signedValue -= 0x10000;
    } else if (value > 0x7FFFFFFF) {
        signedValue -= int64_t{1} << 32;
    }
    number.negative = signedValue < 0;
    const uint64_t magnitude = static_cast<uint64_t>(signedValue < 0 ? -signedValue : signedValue);
    if (magnitude != 0) {
        number.digits = std::to_string(magnitude);
    }
    return i;
}

// Decimal digits with separators and an exponent. Leading zeros are not
// kept; trailing zeros are moved into the exponent at the end.
size_t ReadDecimal(std::string_view text, size_t i, const NumberChars& chars,
                   const Symbols& symbols, DecimalText& number) {
    bool anyDigit = false;
    bool point = false;
    int64_t fractionDigits = 0;
    while (i < text.size()) {
        const char c = text[i];
        size_t length = 0;
        if (IsDigit(c)) {
            anyDigit = true;
            if (c != '0' || !number.digits.empty()) {
                number.digits += c;
            }
            if (point) {
                ++fractionDigits;
            }
            ++i;
        } else if (!point && (length = symbols.Match(i, chars.decimal)) != 0) {
            point = true;
            i += length;
        } else if (anyDigit && (length = MatchAnyOf(text, i, chars.group, kSpaceGroups)) != 0 &&
                   (BlankAt(text, i) == 0 ||
                    (i + length < text.size() && IsDigit(text[i + length])))) {
            // A space groups only digits; before anything else it is a blank
            // ("5 €", "1 e3" is no exponent).
            i += length;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        Mismatch();
    }

    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
            while (i < text.size() && IsBlank(text[i])) {
                ++i;
            }
        }
        const size_t first = i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            if (exponent < kExponentLimit) {
                exponent = exponent * 10 + (text[i] - '0');
            }
        }
        if (i == first) {
            Mismatch();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }

    size_t kept = number.digits.size();
    while (kept > 0 && number.digits[kept - 1] == '0') {
        --kept;
    }
    const int64_t trailingZeros = static_cast<int64_t>(number.digits.size() - kept);
    number.digits.resize(kept);
    number.exponent = number.digits.empty() ? 0 : exponent - fractionDigits + trailingZeros;
    return i;
}

} // namespace

DecimalText ReadNumericText(std::string_view text, const NumberChars& chars) {
    Symbols symbols(text, chars);
    size_t i = symbols.Read(0, true);

    DecimalText number;
    if (i + 1 < text.size() && text[i] == '&' &&
        (text[i + 1] == 'H' || text[i + 1] == 'h' || text[i + 1] == 'O' || text[i + 1] == 'o')) {
        const int radix = (text[i + 1] == 'H' || text[i + 1] == 'h') ? 16 : 8;
        i = ReadRadix(text, i + 2, radix, number);
    } else {
        i = ReadDecimal(text, i, chars, symbols, number);
    }

    i = symbols.Read(i, false);
    if (i != text.size() || !symbols.Balanced()) {
        Mismatch();
    }
    if (symbols.Negative() && !number.digits.empty()) {
        number.negative = !number.negative;
    }
    return number;
}

double DoubleOf(const DecimalText& number) {
    if (number.digits.empty()) {
        return 0.0; // also for "-0": the runtime has no negative zero to show
    }
    // The value lies in [10^(magnitude-1), 10^magnitude).
    const int64_t magnitude = static_cast<int64_t>(number.digits.size()) + number.exponent;
    if (magnitude > 310) {
        Overflow();
    }
    if (magnitude < -330) {
        return 0.0;
    }
    // 800 significant digits decide the nearest Double (at most 767 are
    // ever needed); any further non-zero digits only matter as "more than
    // shown", which one '1' after the kept ones still says.
    constexpr size_t kDigits = 800;
    std::string text = number.digits.substr(0, kDigits);
    int64_t exponent = number.exponent;
    if (number.digits.size() > kDigits) {
        exponent += static_cast<int64_t>(number.digits.size() - kDigits) - 1;
        text += '1';
    }
    text += 'e';
    text += std::to_string(exponent);

    // from_chars reads without regard to the C library's locale, which a
    // host program may have changed.
    double value = 0;
    const auto [stop, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0) {
            Overflow();
        }
        value = 0.0;
    } else if (error != std::errc() || !std::isfinite(value)) {
        Overflow();
    }
    return number.negative ? -value : value;
}

int64_t ScaledOf(const DecimalText& number, int decimals) {
    if (number.digits.empty()) {
        return 0;
    }
    const std::string& digits = number.digits;
    const int64_t size = static_cast<int64_t>(digits.size());
    const int64_t shift = number.exponent + decimals; // value = digits * 10^shift
    // 2^63 has 19 digits: anything with more whole digits overflows.
    if (size + shift > 19) {
        Overflow();
    }
    const int64_t kept = shift >= 0 ? size : size + shift;
    uint64_t magnitude = 0;
    for (int64_t k = 0; k < kept; ++k) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(digits[static_cast<size_t>(k)] - '0');
    }
    for (int64_t k = 0; k < shift; ++k) {
        magnitude *= 10; // cannot wrap: at most 19 digits and below 10^19 < 2^64
    }
    if (kept >= 0 && kept < size) {
        // Halves to even, decided on the digits that are dropped. Trailing
        // zeros were removed, so anything after the first dropped digit is
        // more than zero.
        const char first = digits[static_cast<size_t>(kept)];
        const bool more = kept + 1 < size;
        if (first > '5' || (first == '5' && (more || magnitude % 2 != 0))) {
            ++magnitude;
        }
    }
    const uint64_t limit = number.negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (magnitude > limit) {
        Overflow();
    }
    return number.negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

} // namespace qm6::vb
