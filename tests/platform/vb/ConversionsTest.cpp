#include "platform/vb/Conversions.h"

#include "LocaleScope.h"
#include "RaisedError.h"
#include "platform/vb/Format.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace qm6::vb {
namespace {

using namespace test;

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// clang-format off
TEST(Conversions, HalvesRoundToEvenInBothDirections) {
    const struct { double value; int32_t expected; } cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-2.5, -2}, {-0.7, -1},
        // Just beside a half is not a half.
        {0.49999999999999994, 0}, {2.5000000000000004, 3}, {-2.5000000000000004, -3},
        {2147483646.5, 2147483646}, {-2147483645.5, -2147483646},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(CLng(c.value), c.expected);
        if (std::fabs(c.value) < 32767) {
            EXPECT_EQ(CInt(c.value), c.expected);
        }
    }
}

TEST(Conversions, RangeIsCheckedAfterRounding) {
    const struct { Variant value; int integerError, longError; } cases[] = {
        {32767.49, 0, 0}, {32767.5, Overflow, 0}, {-32768.5, 0, 0}, {-32768.51, Overflow, 0},
        {2147483647.49, Overflow, 0}, {2147483647.5, Overflow, Overflow},
        {-2147483648.5, Overflow, 0}, {-2147483648.51, Overflow, Overflow},
        {NaN, Overflow, Overflow}, {-Inf, Overflow, Overflow},
        // Currency rounds on its exact scaled value.
        {Currency::FromScaled(327674999), 0, 0}, {Currency::FromScaled(327675000), Overflow, 0},
        {Currency::FromScaled(-327685000), 0, 0}, {Currency::Max(), Overflow, Overflow},
        {Currency::Min(), Overflow, Overflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CStr(c.value));
        EXPECT_EQ(RaisedError([&] { CInt(c.value); }), c.integerError);
        EXPECT_EQ(RaisedError([&] { CLng(c.value); }), c.longError);
    }
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(CLng(-2147483648.5), INT32_MIN);
    EXPECT_EQ(CInt(Currency::FromScaled(-25000)), -2);
    EXPECT_EQ(CInt(Currency::FromScaled(35000)), 4);
}

TEST(Conversions, CurrencyKeepsFourDecimalsWithHalvesToEven) {
    const struct { double value; int64_t scaled; int error; } cases[] = {
        {1086.429176, 10864292, 0}, {0.03125, 312, 0}, {0.09375, 938, 0}, {-0.03125, -312, 0},
        {922337203685477.0, 9223372036854770000, 0}, {922337203685478.0, 0, Overflow},
        {-922337203685477.0, -9223372036854770000, 0}, {-922337203685478.0, 0, Overflow},
        {NaN, 0, Overflow}, {Inf, 0, Overflow},
        // The product with 10,000 is exact: rounded to a Double first, these
        // would be false halves and go to the even neighbour.
        {0.00005, 1, 0}, {-0.00005, -1, 0}, {33554432.00005, 335544320001, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Currency result;
        EXPECT_EQ(RaisedError([&] { result = CCur(c.value); }), c.error);
        EXPECT_EQ(result.Scaled(), c.scaled);
    }
    EXPECT_EQ(CCur(true).Scaled(), -10000);
    EXPECT_EQ(CCur(INT32_MIN).Scaled(), int64_t{INT32_MIN} * 10000);
}

TEST(Conversions, SingleOverflowsBeyondItsRangeAndUnderflowsToZero) {
    const float max = std::numeric_limits<float>::max();
    const double firstOverflow = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    const struct { double value; float expected; int error; } cases[] = {
        {75.3421115, 75.34211f, 0}, {std::nextafter(firstOverflow, 0.0), max, 0},
        {-std::nextafter(firstOverflow, 0.0), -max, 0}, {firstOverflow, 0, Overflow},
        {-3.5e38, 0, Overflow}, {1e-50, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        float result = 0;
        EXPECT_EQ(RaisedError([&] { result = CSng(c.value); }), c.error);
        EXPECT_EQ(result, c.expected);
    }
}

TEST(Conversions, TextShowsFifteenDigitsForDoubleAndSevenForSingle) {
    const test::LocaleScope locale(test::kEnUs);
    const struct { Variant value; const char* expected; } cases[] = {
        {1.0 / 3, "0.333333333333333"}, {0.1 + 0.2, "0.3"}, {-0.0, "0"},
        {123456789012345.0, "123456789012345"}, {1e15, "1E+15"},
        {999999999999999.9, "1E+15"}, // rounding to 15 digits carries into a 16th
        {1e100, "1E+100"}, {0.0001, "0.0001"}, {0.00001, "1E-05"}, {-1.5e-7, "-1.5E-07"},
        {CDbl(CSng(0.1)), "0.100000001490116"},
        {0.1f, "0.1"}, {1.0f / 3, "0.3333333"}, {1234567.0f, "1234567"},
        {12345678.0f, "1.234568E+07"},
        {Currency::FromScaled(15000), "1.5"}, {Currency::FromScaled(-9), "-0.0009"},
        {Currency::FromScaled(1000000), "100"},
        {Currency::Max(), "922337203685477.5807"}, {Currency::Min(), "-922337203685477.5808"},
        {int16_t{-32768}, "-32768"}, {true, "True"}, {Variant(), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CStr(c.value), c.expected);
    }
}
// clang-format on

TEST(Conversions, NumberCharactersComeFromTheUsersLocaleUntilTheThreadSetsItsOwn) {
    {
        const qm6::test::ScopedEnv lcAll("LC_ALL", "de_DE.UTF-8");
        ResetNumberChars();
        EXPECT_EQ(CStr(Currency::FromScaled(-9)), "-0,0009");
        EXPECT_EQ(CDbl("1.234,5"), 1234.5);
        SetNumberChars(NumberChars{});
        EXPECT_EQ(CStr(0.5), "0.5");
        std::string otherThread; // starts with the user's locale, not this thread's setting
        std::thread([&] { otherThread = CStr(0.5); }).join();
        EXPECT_EQ(otherThread, "0,5");
    }
    ResetNumberChars();
}

// clang-format off
TEST(Conversions, BooleanOfNumbersAndText) {
    const test::LocaleScope locale(test::kEnUs);
    const struct { Variant value; bool expected; int error; } cases[] = {
        {0.0, false, 0}, {0.1, true, 0}, {Currency::FromScaled(1), true, 0}, {Variant(), false, 0},
        {"true", true, 0}, {"FALSE", false, 0}, {"#TRUE#", true, 0}, {"#true#", false, TypeMismatch},
        {"(0)", false, 0}, {"$0.00", false, 0}, {"1e-400", false, 0}, {"+1", true, 0},
        {"yes", false, TypeMismatch}, {"", false, TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CStr(c.value));
        bool result = false;
        EXPECT_EQ(RaisedError([&] { result = CBool(c.value); }), c.error);
        EXPECT_EQ(result, c.expected);
    }
}
// clang-format on

// Null raises "invalid use of Null" and what is no scalar a type mismatch in
// every conversion and in Format (which writes Null as empty text); IsNumeric
// answers false for them without raising, and true for every scalar that is
// not text.
TEST(Conversions, NullAndNonScalarsAreRejectedByEveryConversion) {
    // clang-format off
    const struct { Variant value; int error; } cases[] = {
        {Variant::Null(), 94}, {ByteArray{{1, 2}, 0}, TypeMismatch}, {Array2D(0, 1, 0, 1), TypeMismatch},
        {ObjectRef(std::make_shared<Object>()), TypeMismatch}, {Variant(), 0}, {true, 0},
        {int16_t{1}, 0}, {2.5, 0}, {Currency::FromScaled(1), 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.value.Type()));
        EXPECT_EQ(IsNumeric(c.value), c.error == 0);
        EXPECT_EQ(RaisedError([&] { CInt(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CLng(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CBool(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CCur(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CDbl(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CSng(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { CStr(c.value); }), c.error);
        EXPECT_EQ(RaisedError([&] { Format(c.value, "Fixed"); }), c.value.IsNull() ? 0 : c.error);
    }
}

} // namespace
} // namespace qm6::vb
