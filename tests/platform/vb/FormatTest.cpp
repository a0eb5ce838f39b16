#include "platform/vb/Format.h"

#include "LocaleScope.h"
#include "RaisedError.h"
#include "platform/vb/Conversions.h"

#include <gtest/gtest.h>

namespace qm6::vb {
namespace {

using namespace test;

Currency Cur(int64_t scaled) {
    return Currency::FromScaled(scaled);
}

struct Case {
    Variant value;
    const char* format;
    const char* expected;
};

template <size_t N> void CheckAll(const Case (&cases)[N]) {
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " of " + (c.value.IsNull() ? "Null" : CStr(c.value)));
        EXPECT_EQ(Format(c.value, c.format), c.expected);
    }
}

// clang-format off
TEST(Format, SectionsAndTheirSigns) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {0.0, "$#,##0;;\\Z\\e\\r\\o", "Zero"}, {-0.1, ".#", "-.1"}, {-5.0, "$0", "-$5"},
        {-5.0, "$#,##0;;\\Z\\e\\r\\o", "-$5"}, // empty negative section: the first, signed
        {0.0, "\"pos\";\"neg\"", "pos"}, {-1.0, "\"pos\";\"neg\"", "neg"},
        {0.0, "\"pos\";\"neg\";\"zero\"", "zero"}, {-5.0, "$#,##0;($#,##0)", "($5)"},
        // The section is chosen before rounding; the zero section only for an exact zero.
        {-0.001, "0.00", "-0.00"}, {0.001, "0.00;(0.00);\"Z\"", "0.00"},
        {-0.001, "0.00;(0.00);\"Z\"", "(0.00)"},
        {-1.0, "\"neg\"", "neg"}, // no digits shown: no sign added
        {5.0, "0;-0;0;0;\"fifth\"", "5"}, {-5.0, ";", "-5"},
        {Variant::Null(), "0;0;0;\\N\\u\\l\\l", "Null"}, {Variant::Null(), "0.00", ""},
        {0.5, "\";\"0", ";1"}, {0.5, "\\;0", ";1"},
    };
    CheckAll(cases);
}

TEST(Format, DigitPlaceholdersAndRoundingHalfAwayFromZero) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {2658.0, "00000", "02658"}, {23.675, "##.##", "23.68"}, {1.0, "000###", "000001"},
        {0.0, "#", ""}, {0.0, "#.#", "."}, {0.17, "#.00", ".17"}, {0.0049, "#.##", "."},
        {1.25, "0.0#", "1.25"}, {2.5, "0", "3"}, {-2.5, "0", "-3"},
        // Rounded on the 15-digit text, not on the binary value just below the half.
        {0.0995, "#.##", ".1"}, {1.005, "0.00", "1.01"}, {9.9999999, "#0.000000", "10.000000"},
        {1.0 / 3, "0.00000000000000000", "0.33333333333333300"},
        {1e20, "0", "100000000000000000000"}, {123456789012345678.0, "0", "123456789012346000"},
        {CSng(0.1), "0.0000000000", "0.1000000000"},
        {int16_t{-32768}, "0", "-32768"}, {true, "0", "-1"}, {Variant(), "0.0", "0.0"},
    };
    CheckAll(cases);
}

TEST(Format, GroupingScalingPercentAndLiterals) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {5459.4, "##,##0.00", "5,459.40"}, {1.0, "0,000,000,000", "0,000,000,001"},
        {1234567.0, "#,#", "1,234,567"}, {-1234.0, "#,##0", "-1,234"},
        {100000000.0, "##0,,", "100"}, {1234567.0, "0,,.0", "1.2"}, {1500.0, "#,##0,", "2"},
        {400000.0, "0,,", "0"}, {5.0, "0.00%", "500.00%"}, {0.25, "##.###\\%", ".25%"},
        {0.5, "0%%", "5000%%"}, {1.0, "00\\c\\o\\p\\y", "01copy"}, {17.0, "#3.33", "173.33"},
        {1.0, "\\\\0", "\\1"}, {1.0, "0.0.0", "1.0.0"},
        {5551234.0, "(###) ###-####", "() 555-1234"}, {5.0, "$0 (+)", "$5 (+)"},
        {1.0, ",0", ",1"}, {1.5, "0.0,", "1.5"}, {3.0, "\\\u20AC0", "\u20AC3"},
        {1.0, "0\"", "1"}, {1.0, "0\\", "1"},
    };
    CheckAll(cases);
}

TEST(Format, ScientificForms) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {1.73245, "0.0000E+000", "1.7325E+000"}, {1.7, "0.0000E-000", "1.7000E000"},
        {47.11, ".0000E+0", ".4711E+2"}, {0.00012, "0.0e+0", "1.2e-4"}, {9.99, "0.0E+0", "1.0E+1"},
        {0.0, "0.00E+00", "0.00E+00"}, {12345.0, "00.0E+0", "12.3E+3"}, {1e300, "0E+0", "1E+300"},
        {5.0, "0E", "5E"},
    };
    CheckAll(cases);
}

TEST(Format, CurrencyValuesUseTheirExactDigits) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {Cur(12345000), "$#,##0.00", "$1,234.50"},
        {Cur(-12345000), "$#,##0.00;($#,##0.00)", "($1,234.50)"},
        {Currency::Max(), "#,##0.0000", "922,337,203,685,477.5807"},
        {Currency::Min(), "0.00", "-922337203685477.58"},
        {Currency::Max(), "0", "922337203685478"}, {Cur(5), "0.000", "0.001"}, {Cur(25000), "0", "3"},
        {Cur(12345), "General Number", "1.2345"},
    };
    CheckAll(cases);
}

TEST(Format, NamedFormats) {
    const LocaleScope locale(kEnUs);
    const Case cases[] = {
        {1.0 / 3, "General Number", "0.333333333333333"}, {-1234.5, "Yes/No", "Yes"},
        {1234.5, "standard", "1,234.50"}, {0.0, "yes/NO", "No"},
        {1234.5, "Standard ", "Standard "}, {23.0, "", "23"}, {true, "", "True"}, {Variant::Null(), "", ""},
        {true, "General Number", "-1"}, {"1.5", "Fixed", "1.50"}, {"abc", "Fixed", "abc"},
        {"1.50", "", "1.50"}, {"$1,000", "General Number", "1000"},
        {std::numeric_limits<double>::infinity(), "0.00", "1.#INF"},
    };
    CheckAll(cases);
}

TEST(Format, LocaleSeparators) {
    const LocaleScope locale(kDeDe);
    const Case cases[] = {
        {1234.5, "Standard", "1.234,50"}, {0.5, "General Number", "0,5"}, {1234.5, "0.00E+00", "1,23E+03"},
    };
    CheckAll(cases);
}
// clang-format on

// What the named format "Currency" and a stored format with a symbol of its
// own write in each locale (CurrencyRoundTrip reads them back): the locale's
// symbol before the number (en-US, ja-JP), after it (km-KH), before it
// with a space (de-CH) and after it with a space (de-DE, fr-FR).
TEST(Format, CurrencyPatternsPerLocale) {
    const Variant amount = Currency::FromScaled(12345000);
    const Variant negative = Currency::FromScaled(-12345000);
    const char* stored = "$#,##0.00;($#,##0.00)";
    // clang-format off
    const struct { uint32_t lcid; const char* positive; const char* negative; const char* own; } cases[] = {
        {kEnUs, "$1,234.50", "($1,234.50)", "$1,234.50"},
        {kDeDe, "1.234,50 \u20AC", "(1.234,50 \u20AC)", "$1.234,50"},
        {kFrFr, "1\u00A0234,50 \u20AC", "(1\u00A0234,50 \u20AC)", "$1\u00A0234,50"},
        {test::kDeCh, "CHF 1\u2019234.50", "(CHF 1\u2019234.50)", "$1\u2019234.50"},
        {kJaJp, "\u00A51,235", "(\u00A51,235)", "$1,234.50"},
        {test::kKmKh, "1.234,50\u17DB", "(1.234,50\u17DB)", "$1.234,50"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        const LocaleScope locale(c.lcid);
        EXPECT_EQ(Format(amount, "Currency"), c.positive);
        EXPECT_EQ(Format(negative, "Currency"), c.negative);
        EXPECT_EQ(Format(amount, stored), c.own);
        EXPECT_EQ(Format(negative, stored), "(" + std::string(c.own) + ")");
    }
    // clang-format off
    const struct { const char* format; const char* symbol; } symbols[] = {
        {stored, "$"}, {"#,##0.00 \\E\\U\\R", "EUR"}, {"\"CHF\" 0.00", "CHF"}, {"0.00%", ""},
        {"Currency", ""}, {"0.00", ""}, {"", ""},
    };
    // clang-format on
    for (const auto& s : symbols)
        EXPECT_EQ(FormatCurrencySymbol(s.format), s.symbol) << s.format;
    const LocaleScope locale(kDeDe);
    EXPECT_EQ(test::RaisedError([] { CCurOfFormatted("$1,5", "0.00"); }), TypeMismatch);
    EXPECT_EQ(test::RaisedError([] { CCurOfFormatted("$1e300", "$0.00"); }), Overflow);
}

} // namespace
} // namespace qm6::vb
