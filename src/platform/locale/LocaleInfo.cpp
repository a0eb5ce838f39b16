#include "platform/locale/LocaleInfo.h"

#include "platform/locale/CodePages.h"
#include "platform/locale/IcuLocale.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace qm6::loc {

namespace {

// A text of ICU's data in the form Windows answers it (see LocaleInfo.h): without direction
// marks, with the hyphen-minus for U+2212, U+00A0 for U+202F and U+00A5 for U+FFE5.
std::string WindowsText(const icu::UnicodeString& text) {
    icu::UnicodeString result;
    for (int32_t i = 0; i < text.length();) {
        UChar32 c = text.char32At(i);
        i += U16_LENGTH(c);
        if (u_charType(c) == U_FORMAT_CHAR) {
            continue;
        }
        switch (c) {
        case 0x2212:
            c = '-';
            break;
        case 0x202F:
            c = 0x00A0;
            break;
        case 0xFFE5:
            c = 0x00A5;
            break;
        default:
            break;
        }
        result.append(c);
    }
    std::string utf8;
    result.toUTF8String(utf8);
    return utf8;
}

// The shape of the two subpatterns of an ICU number pattern, with 'C' for the currency sign,
// 'n' for the number, '-' for the minus sign, ' ' for any space and the parentheses; quoted
// literal text and direction marks are left out. A pattern without a negative subpattern
// shows a negative number with the minus sign before its positive form.
struct PatternShape {
    std::string positive;
    std::string negative;
};

PatternShape ShapeOf(const icu::UnicodeString& pattern) {
    std::array<std::string, 2> shapes;
    size_t part = 0;
    bool quoted = false;
    for (int32_t i = 0; i < pattern.length();) {
        const UChar32 c = pattern.char32At(i);
        i += U16_LENGTH(c);
        const bool space = c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
        char token = 0;
        if (c == '\'') {
            if (i < pattern.length() && pattern.charAt(i) == '\'') {
                ++i; // '' is a literal apostrophe
            } else {
                quoted = !quoted;
            }
            continue;
        }
        if (space) {
            token = ' ';
        } else if (quoted) {
            continue;
        } else if (c == 0x00A4) {
            token = 'C';
        } else if (c == '#' || c == ',' || c == '.' || c == '@' || (c >= '0' && c <= '9')) {
            token = 'n';
        } else if (c == '-' || c == '(' || c == ')') {
            token = static_cast<char>(c);
        } else if (c == ';') {
            part = 1;
            continue;
        } else {
            continue;
        }
        std::string& shape = shapes[part];
        if (token != '-' && !shape.empty() && shape.back() == token) {
            continue; // one token for a run of digits, currency signs or spaces
        }
        shape += token;
    }
    if (shapes[1].empty()) {
        shapes[1] = '-' + shapes[0];
    }
    for (std::string& shape : shapes) {
        const size_t first = shape.find_first_not_of(' ');
        const size_t last = shape.find_last_not_of(' ');
        shape = first == std::string::npos ? std::string() : shape.substr(first, last - first + 1);
    }
    return {shapes[0], shapes[1]};
}

int CurrencyPlacementOf(const std::string& positive) {
    const size_t currency = positive.find('C');
    const size_t number = positive.find('n');
    if (currency == std::string::npos || number == std::string::npos) {
        return 0;
    }
    const size_t from = std::min(currency, number);
    const size_t to = std::max(currency, number);
    const bool spaced = positive.find(' ', from) < to;
    if (currency < number) {
        return spaced ? 2 : 0;
    }
    return spaced ? 3 : 1;
}

int NegativeCurrencyPatternOf(const std::string& negative, int placement) {
    static constexpr std::array<const char*, 16> kPatterns = {
        "(Cn)", "-Cn",  "C-n",  "Cn-",  "(nC)", "-nC",  "n-C",   "nC-",
        "-n C", "-C n", "n C-", "C n-", "C -n", "n- C", "(C n)", "(n C)"};
    for (size_t i = 0; i < kPatterns.size(); ++i) {
        if (negative == kPatterns[i]) {
            return static_cast<int>(i);
        }
    }
    // A shape Windows has no code for: the minus sign before the positive form.
    static constexpr std::array<int, 4> kSignBefore = {1, 5, 9, 8};
    return kSignBefore[static_cast<size_t>(placement)];
}

int NegativeNumberPatternOf(const std::string& negative) {
    static constexpr std::array<const char*, 5> kPatterns = {"(n)", "-n", "- n", "n-", "n -"};
    for (size_t i = 0; i < kPatterns.size(); ++i) {
        if (negative == kPatterns[i]) {
            return static_cast<int>(i);
        }
    }
    return 1;
}

// Windows' group sizes: "3;0" repeats groups of three, "3;2;0" has one group of three and
// then groups of two, "0" does not group.
std::string GroupingText(int size, int secondary) {
    if (size <= 0) {
        return "0";
    }
    std::string text = std::to_string(size) + ';';
    if (secondary > 0 && secondary != size) {
        text += std::to_string(secondary) + ';';
    }
    return text + '0';
}

void SetGrouping(const icu::DecimalFormat& format, int& size, int& secondary) {
    size = format.isGroupingUsed() ? format.getGroupingSize() : 0;
    const int second = format.getSecondaryGroupingSize();
    secondary = size > 0 && second > 0 ? second : size;
}

std::unique_ptr<icu::DecimalFormat> CreateFormat(const icu::Locale& locale,
                                                 UNumberFormatStyle style) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> format(
        icu::NumberFormat::createInstance(locale, style, status));
    if (U_FAILURE(status) || !format) {
        return nullptr;
    }
    auto* decimal = dynamic_cast<icu::DecimalFormat*>(format.get());
    if (decimal == nullptr) {
        return nullptr;
    }
    format.release();
    return std::unique_ptr<icu::DecimalFormat>(decimal);
}

std::optional<NumberSymbols> ReadNumberSymbols(const std::string& icuId) {
    // Windows writes numbers in Latin digits in every locale; so do the VB conversions.
    const icu::Locale locale((icuId + "@numbers=latn").c_str());
    UErrorCode status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale, status);
    const auto decimal = CreateFormat(locale, UNUM_DECIMAL);
    const auto currency = CreateFormat(locale, UNUM_CURRENCY);
    if (U_FAILURE(status) || !decimal || !currency) {
        return std::nullopt;
    }
    const auto symbol = [&](icu::DecimalFormatSymbols::ENumberFormatSymbol which) {
        return WindowsText(symbols.getSymbol(which));
    };
    using Sym = icu::DecimalFormatSymbols;

    NumberSymbols result;
    result.decimalSeparator = symbol(Sym::kDecimalSeparatorSymbol);
    result.groupSeparator = symbol(Sym::kGroupingSeparatorSymbol);
    result.negativeSign = symbol(Sym::kMinusSignSymbol);
    result.positiveSign = symbol(Sym::kPlusSignSymbol);
    result.currencySymbol = symbol(Sym::kCurrencySymbol);
    result.currencyCode = symbol(Sym::kIntlCurrencySymbol);
    result.currencyDecimalSeparator = symbol(Sym::kMonetarySeparatorSymbol);
    result.currencyGroupSeparator = symbol(Sym::kMonetaryGroupingSeparatorSymbol);
    SetGrouping(*decimal, result.groupSize, result.secondaryGroupSize);
    SetGrouping(*currency, result.currencyGroupSize, result.currencySecondaryGroupSize);
    result.fractionDigits = 2;
    result.currencyDigits = currency->getMaximumFractionDigits();

    icu::UnicodeString pattern;
    decimal->toPattern(pattern);
    result.negativeNumberPattern = NegativeNumberPatternOf(ShapeOf(pattern).negative);
    currency->toPattern(pattern);
    const PatternShape shape = ShapeOf(pattern);
    result.currencyPlacement = CurrencyPlacementOf(shape.positive);
    result.negativeCurrencyPattern =
        NegativeCurrencyPatternOf(shape.negative, result.currencyPlacement);
    return result;
}

// The symbols of each ICU locale read so far. ICU's data does not change while we run, so an
// entry never goes stale; the key is the resolved locale, never a pseudo-locale.
std::optional<NumberSymbols> CachedNumberSymbols(const std::string& icuId) {
    static std::mutex mutex;
    static std::map<std::string, std::optional<NumberSymbols>> cache;
    {
        const std::lock_guard lock(mutex);
        if (const auto found = cache.find(icuId); found != cache.end()) {
            return found->second;
        }
    }
    auto symbols = ReadNumberSymbols(icuId);
    const std::lock_guard lock(mutex);
    return cache.emplace(icuId, std::move(symbols)).first->second;
}

std::string EnglishName(const std::string& icuId, bool region) {
    const icu::Locale locale(icuId.c_str());
    icu::UnicodeString name;
    if (region) {
        locale.getDisplayCountry(icu::Locale::getEnglish(), name);
    } else {
        locale.getDisplayLanguage(icu::Locale::getEnglish(), name);
    }
    std::string utf8;
    name.toUTF8String(utf8);
    return utf8;
}

LocaleText Text(std::string text) {
    return LocaleText{std::move(text), 0};
}
LocaleText Number(long value) {
    return LocaleText{std::to_string(value), 0};
}
LocaleText Failure(unsigned long error) {
    return LocaleText{std::string(), error};
}

} // namespace

std::optional<NumberSymbols> GetNumberSymbols(Lcid lcid) {
    const auto icuId = detail::IcuLocaleOfLcid(lcid);
    if (!icuId) {
        return std::nullopt;
    }
    return CachedNumberSymbols(*icuId);
}

LocaleText GetLocaleInfo(Lcid lcid, LcType type) {
    const LcType setting = type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP);
    const Lcid resolved = ConvertDefaultLocale(lcid);
    const auto icuId = detail::IcuLocaleOfLcid(resolved);
    if (!icuId) {
        return Failure(ERROR_INVALID_PARAMETER);
    }

    switch (setting) {
    case LOCALE_IDEFAULTANSICODEPAGE:
        return Number(AnsiCodePageOfLocale(resolved).value_or(CP_ACP));
    case LOCALE_IDEFAULTCODEPAGE:
        return Number(OemCodePageOfLocale(resolved).value_or(CP_OEMCP));
    case LOCALE_SISO639LANGNAME:
        return Text(detail::LanguageOf(*icuId));
    case LOCALE_SISO3166CTRYNAME:
        return Text(detail::RegionOf(*icuId));
    case LOCALE_SNAME:
        return Text(LcidToLocaleName(resolved).value_or(std::string()));
    case LOCALE_SENGLANGUAGE:
        return Text(EnglishName(*icuId, false));
    case LOCALE_SENGCOUNTRY:
        return Text(EnglishName(*icuId, true));
    default:
        break;
    }

    const auto symbols = CachedNumberSymbols(*icuId);
    if (!symbols) {
        return Failure(ERROR_INVALID_PARAMETER);
    }
    const NumberSymbols& s = *symbols;
    switch (setting) {
    case LOCALE_SDECIMAL:
        return Text(s.decimalSeparator);
    case LOCALE_STHOUSAND:
        return Text(s.groupSeparator);
    case LOCALE_SGROUPING:
        return Text(GroupingText(s.groupSize, s.secondaryGroupSize));
    case LOCALE_IDIGITS:
        return Number(s.fractionDigits);
    case LOCALE_SNEGATIVESIGN:
        return Text(s.negativeSign);
    case LOCALE_SPOSITIVESIGN:
        return Text(s.positiveSign);
    case LOCALE_INEGNUMBER:
        return Number(s.negativeNumberPattern);
    case LOCALE_SCURRENCY:
        return Text(s.currencySymbol);
    case LOCALE_SINTLSYMBOL:
        return Text(s.currencyCode);
    case LOCALE_SMONDECIMALSEP:
        return Text(s.currencyDecimalSeparator);
    case LOCALE_SMONTHOUSANDSEP:
        return Text(s.currencyGroupSeparator);
    case LOCALE_SMONGROUPING:
        return Text(GroupingText(s.currencyGroupSize, s.currencySecondaryGroupSize));
    case LOCALE_ICURRDIGITS:
        return Number(s.currencyDigits);
    case LOCALE_ICURRENCY:
        return Number(s.currencyPlacement);
    case LOCALE_INEGCURR:
        return Number(s.negativeCurrencyPattern);
    default:
        // Unknown settings, and LOCALE_RETURN_NUMBER, which asks for a binary answer.
        return Failure(ERROR_INVALID_FLAGS);
    }
}

} // namespace qm6::loc
