#include "LocaleScope.h"
#include "RaisedError.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace qm6::vb {
namespace {

using namespace test;

int64_t PowerOfTen(int n) {
    int64_t p = 1;
    while (n-- > 0) {
        p *= 10;
    }
    return p;
}

// Amounts with at most `decimals` decimals: zero, the extremes of the range,
// every digit count from 1 to 19 and a spread of random amounts, each also
// negated.
std::vector<Currency> AmountsWith(int decimals) {
    const int64_t step = PowerOfTen(4 - decimals);
    std::vector<int64_t> scaled = {0,    1,    5,     9,     10,       99,        100,      999,
                                   1000, 9999, 10000, 12345, 99999999, 100000000, 123456789};
    for (int digits = 1; digits <= 18; ++digits) {
        scaled.push_back(PowerOfTen(digits) - 1);
        scaled.push_back(PowerOfTen(digits));
    }
    scaled.push_back(INT64_MAX);
    std::mt19937_64 random(20240501u + static_cast<unsigned>(decimals));
    for (int i = 0; i < 300; ++i) {
        const int width = 1 + static_cast<int>(random() % 18);
        scaled.push_back(
            static_cast<int64_t>(random() % static_cast<uint64_t>(PowerOfTen(width) - 1)));
    }
    std::vector<Currency> amounts;
    for (const int64_t s : scaled) {
        const int64_t whole = s / step * step; // no more decimals than shown
        amounts.push_back(Currency::FromScaled(whole));
        amounts.push_back(Currency::FromScaled(-whole));
    }
    amounts.push_back(Currency::FromScaled(INT64_MIN / step * step));
    return amounts;
}

// The locale's currency symbol as an escaped literal of a format.
std::string Symbol() {
    std::string out;
    const std::string& symbol = CurrentNumberChars().currency;
    for (const char c : symbol) {
        out += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? std::string(1, c)
                                                              : "\\" + std::string(1, c);
    }
    return out;
}

// Read back as CCur reads them; a format with a symbol of its own, which
// the locale need not know for money, as CCurOfFormatted reads it.
TEST(CurrencyRoundTrip, AmountsFormattedWithACurrencyFormatReadBackTheSame) {
    for (const uint32_t lcid : {kEnUs, kDeDe, kFrFr, kJaJp, test::kDeCh, test::kPlPl, test::kKmKh}) {
        const LocaleScope locale(lcid);
        const int currencyDigits = CurrentNumberChars().currencyDigits;
        const std::string symbol = Symbol();
        const struct {
            std::string format;
            int decimals;
            bool own = false;
        } formats[] = {
            {"Currency", currencyDigits},
            {"Fixed", 2},
            {"#,##0.00", 2},
            {"#,##0.00;(#,##0.00)", 2},
            {symbol + "#,##0.00;" + symbol + "-#,##0.00", 2},
            {"#,##0.00 " + symbol + ";(#,##0.00 " + symbol + ");\"0\"", 2},
            {symbol + "0.0000", 4},
            {"#,##0.000", 3},
            {"#,##0", 0},
            {"0.00##", 4},
            {"$#,##0.00;($#,##0.00)", 2, true},
            {"#,##0.00 \\E\\U\\R", 2, true},
            {"\"CHF\" #,##0.0000", 4, true},
        };
        for (const auto& f : formats) {
            for (const Currency amount : AmountsWith(f.decimals)) {
                const std::string text = Format(amount, f.format);
                SCOPED_TRACE("locale " + std::to_string(lcid) + ", format " + f.format + ": " +
                             text);
                Currency back;
                ASSERT_EQ(RaisedError([&] {
                              back = f.own ? CCurOfFormatted(text, f.format) : CCur(text);
                          }),
                          0);
                ASSERT_EQ(back.Scaled(), amount.Scaled());
            }
        }
    }
}

} // namespace
} // namespace qm6::vb
