#include "LocaleScope.h"
#include "RaisedError.h"
#include "platform/vb/Conversions.h"

#include <gtest/gtest.h>
#include <limits>

namespace qm6::vb {
namespace {

using namespace test;

#define NBSP "\u00A0"

// clang-format off
TEST(NumericText, ReadsTheRuntimeSyntaxInUsEnglish) {
    const LocaleScope locale(kEnUs);
    const struct { const char* text; double expected; int error; } cases[] = {
        {" 5 ", 5, 0}, {"\t+123\t", 123, 0}, {"5 -", -5, 0}, {"- 5", -5, 0}, {"( 5 )", -5, 0},
        {"$-5", -5, 0}, {"-$5", -5, 0}, {"5$", 5, 0}, {"($1,234.50)", -1234.5, 0},
        {"1,2,3", 123, 0}, {"1.2,5", 1.25, 0}, {"459.-", -459, 0}, {".5", 0.5, 0}, {"5.", 5, 0},
        {"1E+3", 1000, 0}, {"1d3", 1000, 0}, {"1e- 3", 0.001, 0}, {"2.5E-1", 0.25, 0},
        {"&h75FF", 30207, 0}, {"&o777", 511, 0}, {"&HF800", -2048, 0}, {"&H10000", 65536, 0},
        {"&HFFFFFFFF", -1, 0}, {"-&H10", -16, 0}, {"&H100000000", 0, Overflow},
        {"1e-400", 0, 0}, {"1e400", 0, Overflow}, {"-1e99999999999", 0, Overflow},
        {"0.001e309", 1e306, 0}, {"-0", 0, 0},
        {"", 0, TypeMismatch}, {"   ", 0, TypeMismatch}, {"12 apples", 0, TypeMismatch},
        {"+ +0", 0, TypeMismatch}, {"--5", 0, TypeMismatch}, {"-5-", 0, TypeMismatch},
        {"(-5)", 0, TypeMismatch}, {"(5", 0, TypeMismatch}, {"5)", 0, TypeMismatch},
        {"$$5", 0, TypeMismatch}, {",5", 0, TypeMismatch}, {"1.2.3", 0, TypeMismatch},
        {".", 0, TypeMismatch}, {"1e", 0, TypeMismatch}, {"1 e3", 0, TypeMismatch},
        {"0x10", 0, TypeMismatch}, {"&H", 0, TypeMismatch}, {"&H1.5", 0, TypeMismatch},
        {"inf", 0, TypeMismatch}, {"1%", 0, TypeMismatch}, {"\u20AC5", 0, TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double result = 0;
        EXPECT_EQ(RaisedError([&] { result = CDbl(c.text); }), c.error);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(IsNumeric(c.text), c.error == 0);
    }
}

TEST(NumericText, FollowsTheLocalesSeparatorsAndCurrencySymbol) {
    const struct { uint32_t lcid; const char* text; double expected; int error; } cases[] = {
        {kDeDe, "1,5", 1.5, 0}, {kDeDe, "1.5", 15, 0}, {kDeDe, "(1.234,50 \u20AC)", -1234.5, 0},
        {kDeDe, "\u20AC1.234,50", 1234.5, 0}, {kDeDe, "1,234.50", 1.2345, 0},
        {kDeDe, "$1,00", 0, TypeMismatch}, {kDeDe, "1,2,3", 0, TypeMismatch},
        {kFrFr, "1" NBSP "234,5" NBSP "\u20AC", 1234.5, 0},
        {kJaJp, "\u00A51,235", 1235, 0}, {kJaJp, "($1)", 0, TypeMismatch},
        {kPlPl, "0,1", 0.1, 0}, {kPlPl, "0.1", 0, TypeMismatch},
        // Money as users of a locale write or paste it: any space for a group
        // where the locale groups with one, both yen signs, line breaks and
        // no-break spaces around the number.
        {kFrFr, "1 234 567,5", 1234567.5, 0}, {kFrFr, "1\u202F234,50 \u20AC", 1234.5, 0},
        {kFrFr, "1 234,50 EUR", 0, TypeMismatch}, {kFrFr, "1 e3", 0, TypeMismatch},
        {kRuRu, "1 234,5", 1234.5, 0}, {kRuRu, "1\u202F234" NBSP "567,5", 1234567.5, 0},
        {kPlPl, "12 345,67 z\u0142", 12345.67, 0}, {kPlPl, "-1\u202F000", -1000, 0},
        {kJaJp, "\uFFE51,235", 1235, 0}, {kJaJp, "(\uFFE5 5)", -5, 0},
        {kJaJp, "\uFFE5\u00A55", 0, TypeMismatch},
        {kEnUs, NBSP "5\r\n", 5, 0}, {kEnUs, "\r\n$1,000\u202F", 1000, 0}, {kEnUs, "1 000", 0, TypeMismatch},
        {kEnUs, NBSP "\r\n", 0, TypeMismatch}, {kDeDe, "1 234,5", 0, TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const LocaleScope locale(c.lcid);
        double result = 0;
        EXPECT_EQ(RaisedError([&] { result = CDbl(c.text); }), c.error);
        EXPECT_DOUBLE_EQ(result, c.expected);
    }
}

TEST(NumericText, CurrencyReadsTheDecimalDigitsExactly) {
    const LocaleScope locale(kEnUs);
    const struct { const char* text; int64_t scaled; int error; } cases[] = {
        {"922337203685477.5807", INT64_MAX, 0}, {"-922337203685477.5808", INT64_MIN, 0},
        {"922337203685477.5808", 0, Overflow}, {"-922337203685477.5809", 0, Overflow},
        {"922,337,203,685,477.58074999", INT64_MAX, 0}, {"1e15", 0, Overflow},
        {"$1,234.50", 12345000, 0}, {"($1,234.50)", -12345000, 0}, {"1086.429176", 10864292, 0},
        // A fifth decimal of exactly 5 goes to the even neighbour; more than 5 goes up.
        {"0.00005", 0, 0}, {"0.00015", 2, 0}, {"0.00025", 2, 0}, {"-0.00015", -2, 0},
        {"0.000050000000000000001", 1, 0}, {"2.00005", 20000, 0}, {"2.00015", 20002, 0},
        {"1.23456e2", 1234560, 0}, {"1e-5", 0, 0}, {"&HFFFF", -10000, 0}, {"0.3", 3000, 0},
        {"abc", 0, TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Currency result;
        EXPECT_EQ(RaisedError([&] { result = CCur(c.text); }), c.error);
        EXPECT_EQ(result.Scaled(), c.scaled);
    }
}

TEST(NumericText, IntegersRoundTheWrittenDigitsToEven) {
    const LocaleScope locale(kEnUs);
    const struct { const char* text; int32_t integer, integerError; int32_t lng, longError; } cases[] = {
        {"2.5", 2, 0, 2, 0}, {"-1.5", -2, 0, -2, 0},
        // Exact in decimal: a Double would read this as 2.5 and give 2.
        {"2.50000000000000001", 3, 0, 3, 0}, {"32767.5", 0, Overflow, 32768, 0},
        {"-32768.5", -32768, 0, -32768, 0}, {"&H8000", -32768, 0, -32768, 0},
        {"-2147483648.5", 0, Overflow, INT32_MIN, 0}, {"abc", 0, TypeMismatch, 0, TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int16_t integer = 0;
        int32_t lng = 0;
        EXPECT_EQ(RaisedError([&] { integer = CInt(c.text); }), c.integerError);
        EXPECT_EQ(integer, c.integer);
        EXPECT_EQ(RaisedError([&] { lng = CLng(c.text); }), c.longError);
        EXPECT_EQ(lng, c.lng);
    }
}

// clang-format on

} // namespace
} // namespace qm6::vb
