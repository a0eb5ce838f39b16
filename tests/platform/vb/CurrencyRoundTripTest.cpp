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

// Amounts with at most `decimals` decimals: zero, the extremes of the range,
// the edges of every digit count and a spread of random amounts of every
// size, each also negated.
std::vector<Currency> AmountsWith(int decimals) {
    int64_t step = 1;
    for (int i = decimals; i < 4; ++i)
        step *= 10;
    std::vector<int64_t> scaled = {0, 1, 5, 12345, 123456789, INT64_MAX};
    for (int64_t digits = 1, p = 1; digits <= 18; ++digits) {
        p *= 10;
        scaled.push_back(p - 1);
        scaled.push_back(p);
    }
    std::mt19937_64 random(20240501u + static_cast<unsigned>(decimals));
    for (int i = 0; i < 300; ++i) {
        const auto shift = 1 + random() % 63; // any size from 63 bits down
        scaled.push_back(static_cast<int64_t>(random() >> shift));
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
    for (const uint32_t lcid :
         {kEnUs, kDeDe, kFrFr, kJaJp, test::kDeCh, test::kPlPl, test::kKmKh}) {
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
            {"#,##0.00;(#,##0.00)", 2},
            {symbol + "#,##0.00;" + symbol + "-#,##0.00", 2},
            {"#,##0.00 " + symbol + ";(#,##0.00 " + symbol + ");\"0\"", 2},
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
                ASSERT_EQ(RaisedError(
                              [&] { back = f.own ? CCurOfFormatted(text, f.format) : CCur(text); }),
                          0);
                ASSERT_EQ(back.Scaled(), amount.Scaled());
            }
        }
    }
}

} // namespace
} // namespace qm6::vb
