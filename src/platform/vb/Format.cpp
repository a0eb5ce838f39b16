#include "platform/vb/Format.h"

#include "platform/vb/Conversions.h"
#include "platform/vb/NumericText.h"
#include "platform/vb/VbError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

namespace qm6::vb {

namespace {

// A magnitude as decimal text: 0.digits * 10^point, digits without leading
// or trailing zeros (empty for zero). Formatting rounds on these digits, so
// it sees the value as its decimal text shows it, not as the binary Double.
struct Digits {
    std::string digits;
    int64_t point = 0;

    bool IsZero() const { return digits.empty(); }
    // The digit at a position counted from the first one after "0.".
    char At(int64_t position) const {
        if (position < 0 || position >= static_cast<int64_t>(digits.size())) {
            return '0';
        }
        return digits[static_cast<size_t>(position)];
    }
};

void Trim(Digits& d) {
    size_t first = 0;
    while (first < d.digits.size() && d.digits[first] == '0') {
        ++first;
    }
    d.digits.erase(0, first);
    d.point -= static_cast<int64_t>(first);
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    if (d.digits.empty()) {
        d.point = 0;
    }
}

Digits FromMagnitude(uint64_t magnitude, int decimals) {
    Digits d{std::to_string(magnitude), 0};
    d.point = static_cast<int64_t>(d.digits.size()) - decimals;
    Trim(d);
    return d;
}

// A finite Double's magnitude to `precision` significant digits, as the
// runtime's conversion to text rounds it (15 for a Double, 7 for a Single).
Digits FromDouble(double value, int precision) {
    Digits d;
    if (value == 0) {
        return d;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, precision - 1);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            d.digits += text[i];
        }
    }
    int exponent = 0;
    const char* begin = text.data() + e + 1;
    if (*begin == '+') {
        ++begin;
    }
    std::from_chars(begin, text.data() + text.size(), exponent);
    d.point = exponent + 1;
    Trim(d);
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the first
// digit dropped; a carry may add a digit in front.
void RoundTo(Digits& d, int64_t keep) {
    if (keep >= static_cast<int64_t>(d.digits.size())) {
        return;
    }
    if (keep < 0) {
        d = Digits{};
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        size_t k = d.digits.size();
        while (k > 0 && d.digits[k - 1] == '9') {
            --k;
        }
        if (k == 0) {
            d.digits = "1";
            d.point += 1;
        } else {
            d.digits.resize(k);
            ++d.digits[k - 1];
        }
    }
    Trim(d);
}

size_t Utf8Length(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return std::min(length, text.size() - i);
}

// The sections of a format: split at ';' outside quotes and escapes. Only
// the first four count (positive, negative, zero, Null); further ones are
// ignored.
std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    size_t begin = 0;
    size_t i = 0;
    while (i < format.size() && sections.size() < 4) {
        const char c = format[i];
        if (c == '\\' && i + 1 < format.size()) {
            i += 1 + Utf8Length(format, i + 1);
        } else if (c == '"') {
            const size_t close = format.find('"', i + 1);
            i = close == std::string_view::npos ? format.size() : close + 1;
        } else if (c == ';') {
            sections.push_back(format.substr(begin, i - begin));
            begin = ++i;
        } else {
            ++i;
        }
    }
    if (sections.size() < 4) {
        sections.push_back(format.substr(std::min(begin, format.size())));
    }
    return sections;
}

enum class Kind { Integer, Point, Fraction, Exponent, ExponentDigit, Literal };

struct Token {
    Kind kind;
    char symbol = 0;  // '0' or '#' for digits; '+' or '-' for an exponent
    std::string text; // a literal; 'E' or 'e' for an exponent
};

// One section of a user-defined format, read into tokens.
struct Section {
    std::vector<Token> tokens;
    int64_t integerDigits = 0;     // placeholders left of the point
    int64_t fractionDigits = 0;    // placeholders right of it
    int64_t firstIntegerZero = -1; // index of the first '0' left of the point
    int64_t lastFractionZero = -1; // index of the last '0' right of it
    int64_t exponentZeros = 0;     // '0' placeholders after E+ or E-
    int64_t scaling = 0;           // commas after the last integer digit
    int64_t percent = 0;
    bool grouping = false;
    bool point = false;
    bool scientific = false;

    bool ShowsNumber() const { return integerDigits + fractionDigits > 0 || point || scientific; }
};

Section ReadSection(std::string_view text) {
    Section s;
    std::vector<int64_t> commas; // integer placeholders before each comma
    auto literal = [&](std::string_view t) {
        if (!s.tokens.empty() && s.tokens.back().kind == Kind::Literal) {
            s.tokens.back().text += t;
        } else {
            s.tokens.push_back({Kind::Literal, 0, std::string(t)});
        }
    };
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            ++i;
            if (i < text.size()) {
                const size_t length = Utf8Length(text, i);
                literal(text.substr(i, length));
                i += length;
            }
            continue;
        }
        if (c == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            literal(text.substr(i + 1, end - i - 1));
            i = end == text.size() ? end : end + 1;
            continue;
        }
        if (c == '0' || c == '#') {
            if (s.scientific) {
                s.tokens.push_back({Kind::ExponentDigit, c, {}});
                s.exponentZeros += c == '0';
            } else if (s.point) {
                if (c == '0') {
                    s.lastFractionZero = s.fractionDigits;
                }
                ++s.fractionDigits;
                s.tokens.push_back({Kind::Fraction, c, {}});
            } else {
                if (c == '0' && s.firstIntegerZero < 0) {
                    s.firstIntegerZero = s.integerDigits;
                }
                ++s.integerDigits;
                s.tokens.push_back({Kind::Integer, c, {}});
            }
        } else if (c == '.' && !s.point && !s.scientific) {
            s.point = true;
            s.tokens.push_back({Kind::Point, 0, {}});
        } else if (c == ',') {
            // Before any digit placeholder a comma is plain text; right of
            // the point or in the exponent it has no meaning and is dropped.
            if (!s.point && !s.scientific) {
                if (s.integerDigits == 0) {
                    literal(",");
                } else {
                    commas.push_back(s.integerDigits);
                }
            }
        } else if (c == '%') {
            ++s.percent;
            literal("%");
        } else if ((c == 'E' || c == 'e') && !s.scientific && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            s.scientific = true;
            s.tokens.push_back({Kind::Exponent, text[i + 1], std::string(1, c)});
            ++i;
        } else {
            literal(text.substr(i, 1));
        }
        ++i;
    }
    // A comma with digit placeholders on both sides turns on grouping; one
    // after the last integer placeholder divides by 1000.
    for (const int64_t before : commas) {
        if (before < s.integerDigits) {
            s.grouping = true;
        } else {
            ++s.scaling;
        }
    }
    return s;
}

// Writes a magnitude with a section. `sign` is put in front of everything
// when the section shows a number.
//
// Where the added minus goes when text precedes the digits ("$0" with -5) is
// not documented for the runtime; it is put in front of the whole text,
// "-$5", as the named formats and the spreadsheet formats of the same
// family write a negative amount, and the reader accepts the sign there.
std::string Render(const Section& s, Digits d, bool sign, const NumberChars& chars) {
    std::string out;
    if (sign && s.ShowsNumber()) {
        out = chars.minus;
    }
    if (!d.IsZero()) {
        d.point += 2 * s.percent - 3 * s.scaling;
    }

    int64_t exponent = 0;
    if (s.scientific) {
        if (!d.IsZero()) {
            exponent = d.point - s.integerDigits;
            d.point = s.integerDigits;
            RoundTo(d, s.integerDigits + s.fractionDigits);
            if (d.point > s.integerDigits) { // a carry added a digit
                exponent += d.point - s.integerDigits;
                d.point = s.integerDigits;
            }
        }
    } else {
        RoundTo(d, d.point + s.fractionDigits);
    }

    // The integer digits, padded with zeros to the width that the leftmost
    // '0' placeholder asks for.
    std::string whole;
    for (int64_t k = 0; k < d.point; ++k) {
        whole += d.At(k);
    }
    if (s.firstIntegerZero >= 0) {
        const int64_t width = s.integerDigits - s.firstIntegerZero;
        if (static_cast<int64_t>(whole.size()) < width) {
            whole.insert(0, static_cast<size_t>(width) - whole.size(), '0');
        }
    }
    const int64_t length = static_cast<int64_t>(whole.size());
    auto put = [&](int64_t k) {
        out += whole[static_cast<size_t>(k)];
        const int64_t after = length - 1 - k;
        if (s.grouping && !s.scientific && after > 0 && after % 3 == 0) {
            out += chars.group;
        }
    };

    // Fraction digits shown: up to the last '0' placeholder, and further up
    // to the last digit that is not zero.
    int64_t fractionShown = s.lastFractionZero + 1;
    for (int64_t j = s.fractionDigits - 1; j >= fractionShown; --j) {
        if (d.At(d.point + j) != '0') {
            fractionShown = j + 1;
            break;
        }
    }

    int64_t integerIndex = 0;
    int64_t fractionIndex = 0;
    for (const Token& t : s.tokens) {
        switch (t.kind) {
        case Kind::Integer: {
            // The leftmost placeholder takes every digit beyond the
            // placeholders' count; the others one digit each, from the right.
            const int64_t j = integerIndex++;
            const int64_t k = length - s.integerDigits + j;
            for (int64_t m = j == 0 ? 0 : k; m <= k; ++m) {
                if (m >= 0) {
                    put(m);
                }
            }
            break;
        }
        case Kind::Point:
            if (s.integerDigits == 0) { // extra integer digits always show
                for (int64_t m = 0; m < length; ++m) {
                    put(m);
                }
            }
            out += chars.decimal;
            break;
        case Kind::Fraction: {
            const int64_t j = fractionIndex++;
            if (j < fractionShown) {
                out += d.At(d.point + j);
            }
            break;
        }
        case Kind::Exponent: {
            out += t.text;
            if (exponent < 0) {
                out += '-';
            } else if (t.symbol == '+') {
                out += '+';
            }
            std::string value = std::to_string(exponent < 0 ? -exponent : exponent);
            if (static_cast<int64_t>(value.size()) < s.exponentZeros) {
                value.insert(0, static_cast<size_t>(s.exponentZeros) - value.size(), '0');
            }
            out += value;
            break;
        }
        case Kind::ExponentDigit:
            break; // the exponent was written whole at its letter
        case Kind::Literal:
            out += t.text;
            break;
        }
    }
    return out;
}

// The value to format: its magnitude as decimal text and its sign.
struct Number {
    Digits digits;
    bool negative = false;
};

Number NumberOf(const Variant& v) {
    Number n;
    switch (v.Type()) {
    case VarType::Empty:
        break;
    case VarType::Boolean:
        n.negative = v.AsBoolean();
        n.digits = FromMagnitude(v.AsBoolean() ? 1 : 0, 0);
        break;
    case VarType::Integer:
    case VarType::Long: {
        const int64_t value = CLng(v);
        n.negative = value < 0;
        n.digits = FromMagnitude(static_cast<uint64_t>(value < 0 ? -value : value), 0);
        break;
    }
    case VarType::Currency: {
        const int64_t scaled = v.AsCurrency().Scaled();
        n.negative = scaled < 0;
        const uint64_t magnitude = scaled < 0 ? uint64_t{0} - static_cast<uint64_t>(scaled)
                                              : static_cast<uint64_t>(scaled);
        n.digits = FromMagnitude(magnitude, 4);
        break;
    }
    case VarType::Single:
        n.negative = v.AsSingle() < 0;
        n.digits = FromDouble(v.AsSingle(), 7);
        break;
    default: {
        const double value = CDbl(v); // Double, or text that reads as a number
        n.negative = value < 0;
        n.digits = FromDouble(value, 15);
        break;
    }
    }
    return n;
}

std::string FormatUserDefined(const Variant& v, std::string_view format, const NumberChars& chars) {
    const std::vector<std::string_view> sections = SplitSections(format);
    if (v.IsNull()) {
        // The fourth section is for Null. Without one the runtime answers
        // Null, which as text is the empty string.
        return sections.size() >= 4 ? Render(ReadSection(sections[3]), {}, false, chars) : "";
    }
    const Number n = NumberOf(v);
    // The section is chosen on the value before rounding, and the zero
    // section only for an exact zero: -0.001 with "0.00" gives "-0.00", and
    // 0.001 with "0.00;(0.00);Z" gives "0.00". This is the reading of the
    // runtime's conversion routines (Wine's tests) and keeps the sign of a
    // small negative amount visible.
    size_t index = 0;
    if (n.negative && sections.size() >= 2) {
        index = 1;
    } else if (n.digits.IsZero() && sections.size() >= 3) {
        index = 2;
    }
    // An empty section is written with the first one; a negative value then
    // gets its minus as with a single section.
    bool sign = n.negative;
    if (index == 1 && !sections[1].empty()) {
        sign = false;
    }
    std::string_view text = sections[index];
    if (text.empty()) {
        text = sections[0];
    }
    if (text.empty()) {
        return CStr(v.IsString() ? Variant(CDbl(v)) : v);
    }
    return Render(ReadSection(text), n.digits, sign, chars);
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

// Each character of a text as an escaped literal of a format.
std::string Escaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        out += '\\';
        out += text.substr(i, length);
        i += length;
    }
    return out;
}

// The named format "Currency" as a user-defined format of the locale: its
// symbol where it places it, groups, its count of decimals. Negative amounts
// are put in parentheses in every locale: whether the runtime follows the
// locale's negative pattern is not documented, and the parentheses are what
// its documentation shows and what the runtime's own format definition
// says. The reader takes them back in every locale.
//
// What that gives for 1234.5 (and -1234.5 in parentheses):
//   en-US  "$1,234.50"      symbol before, no space, 2 decimals
//   de-DE  "1.234,50 €"     symbol after, a space, 2 decimals
//   fr-FR  "1 234,50 €"     group U+00A0, symbol after a space, 2 decimals
//   de-CH  "CHF 1’234.50"   symbol before with a space, group U+2019, 2 decimals
//   ja-JP  "¥1,235"         U+00A5 before, no decimals (rounded half away)
//   km-KH  "1.234,50៛"      symbol after, no space, 2 decimals
// A user-defined format with a symbol of its own ("$#,##0.00;($#,##0.00)",
// as a store keeps its money format) writes that symbol where it stands and
// the decimals it has, in every locale; only "." and "," become the locale's
// separators: "$1,234.50", "$1.234,50", "$1 234,50", "$1’234.50",
// "$1,234.50", "$1.234,50". CCurOfFormatted reads each of these back.
std::string CurrencyFormat(const NumberChars& chars) {
    std::string number = "#,##0";
    const int digits = std::clamp(chars.currencyDigits, 0, 9);
    if (digits > 0) {
        number += '.';
        number.append(static_cast<size_t>(digits), '0');
    }
    const std::string symbol = Escaped(chars.currency);
    std::string positive;
    switch (chars.currencyPlacement) {
    case 1:
        positive = number + symbol;
        break;
    case 2:
        positive = symbol + "\\ " + number;
        break;
    case 3:
        positive = number + "\\ " + symbol;
        break;
    default:
        positive = symbol + number;
        break;
    }
    return positive + ";(" + positive + ")";
}

} // namespace

std::string Format(const Variant& value, std::string_view format) {
    if (value.IsString() && !IsNumeric(value)) {
        return value.AsString();
    }
    if (format.empty()) {
        if (value.IsNull()) {
            return "";
        }
        return value.IsString() ? value.AsString() : CStr(value);
    }
    if ((value.Type() == VarType::Double && !std::isfinite(value.AsDouble())) ||
        (value.Type() == VarType::Single && !std::isfinite(value.AsSingle()))) {
        return CStr(value); // no digits to place: the runtime's text for it
    }
    const NumberChars& chars = CurrentNumberChars();

    struct Words {
        const char* name;
        const char* nonZero;
        const char* zero;
    };
    // English words in every locale, as CStr writes Booleans: the locale
    // module has no localized words, and English is what callers compare.
    static constexpr Words kWords[] = {
        {"yes/no", "Yes", "No"}, {"true/false", "True", "False"}, {"on/off", "On", "Off"}};
    for (const Words& w : kWords) {
        if (EqualsIgnoringAsciiCase(format, w.name)) {
            if (value.IsNull()) {
                return "";
            }
            return NumberOf(value).digits.IsZero() ? w.zero : w.nonZero;
        }
    }
    if (EqualsIgnoringAsciiCase(format, "general number")) {
        if (value.IsNull()) {
            return "";
        }
        if (value.IsString()) {
            return CStr(CDbl(value));
        }
        // A Boolean is the number -1 or 0 here, as in the other numeric formats.
        return value.Type() == VarType::Boolean ? CStr(CInt(value)) : CStr(value);
    }
    struct Named {
        const char* name;
        const char* format;
    };
    static constexpr Named kNamed[] = {{"fixed", "0.00"},
                                       {"standard", "#,##0.00"},
                                       {"percent", "0.00%"},
                                       {"scientific", "0.00E+00"}};
    for (const Named& n : kNamed) {
        if (EqualsIgnoringAsciiCase(format, n.name)) {
            return FormatUserDefined(value, n.format, chars);
        }
    }
    if (EqualsIgnoringAsciiCase(format, "currency")) {
        return FormatUserDefined(value, CurrencyFormat(chars), chars);
    }
    return FormatUserDefined(value, format, chars);
}

} // namespace qm6::vb

namespace qm6::vb {

namespace {

bool IsNamedFormat(std::string_view format) {
    static constexpr const char* kNames[] = {"general number", "currency",   "fixed",
                                             "standard",       "percent",    "scientific",
                                             "yes/no",         "true/false", "on/off"};
    for (const char* name : kNames) {
        if (EqualsIgnoringAsciiCase(format, name)) {
            return true;
        }
    }
    return false;
}

// A literal without the blanks, signs and parentheses that stand around an
// amount.
std::string SymbolText(std::string_view literal) {
    std::string out;
    for (size_t i = 0; i < literal.size();) {
        const size_t length = Utf8Length(literal, i);
        const std::string_view c = literal.substr(i, length);
        if (c != " " && c != "(" && c != ")" && c != "+" && c != "-" && c != "\xC2\xA0" &&
            c != "\xE2\x80\xAF") {
            out += c;
        }
        i += length;
    }
    return out;
}

} // namespace

std::string FormatCurrencySymbol(std::string_view format) {
    if (format.empty() || IsNamedFormat(format)) {
        return {};
    }
    const Section s = ReadSection(SplitSections(format).front());
    if (s.percent > 0 || !s.ShowsNumber()) {
        return {};
    }
    const auto isLiteral = [](const Token& t) { return t.kind == Kind::Literal; };
    const auto first = std::find_if_not(s.tokens.begin(), s.tokens.end(), isLiteral);
    if (first != s.tokens.begin()) {
        if (std::string symbol = SymbolText(std::prev(first)->text); !symbol.empty()) {
            return symbol;
        }
    }
    if (!s.tokens.empty() && s.tokens.back().kind == Kind::Literal) {
        return SymbolText(s.tokens.back().text);
    }
    return {};
}

Currency CCurOfFormatted(std::string_view text, std::string_view format) {
    const NumberChars& chars = CurrentNumberChars();
    try {
        return Currency::FromScaled(ScaledOf(ReadNumericText(text, chars), 4));
    } catch (const VbError& error) {
        if (error.Code() != ErrorNumber::TypeMismatch) {
            throw;
        }
        std::string symbol = FormatCurrencySymbol(format);
        if (symbol.empty() || symbol == chars.currency) {
            throw;
        }
        NumberChars own = chars;
        own.currency = std::move(symbol);
        return Currency::FromScaled(ScaledOf(ReadNumericText(text, own), 4));
    }
}

} // namespace qm6::vb
