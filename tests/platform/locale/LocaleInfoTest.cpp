#include "platform/locale/LocaleInfo.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::loc {
namespace {

using test::ScopedEnv;

const std::string kNbsp = "\u00A0";

std::string Info(Lcid lcid, LcType type) {
    const LocaleText answer = GetLocaleInfo(lcid, type);
    EXPECT_TRUE(answer.ok()) << "lcid " << lcid << " type " << type << " error " << answer.error;
    return answer.text;
}

// Each setting reached once, ICU's data in the form Windows answers it, and the currency
// patterns read from ICU's.
TEST(GetLocaleInfo, AnswersEachSettingInTheWindowsForm) {
    const struct {
        Lcid lcid;
        LcType type;
        std::string expected;
    } cases[] = {
        {1041, LOCALE_SISO639LANGNAME, "ja"},
        {1041, LOCALE_SENGLANGUAGE, "Japanese"},
        {1031, LOCALE_STHOUSAND, "."},
        {1041, LOCALE_SCURRENCY, "¥"},            // ja-JP: U+FFE5 in ICU
        {1033, LOCALE_ICURRENCY, "0"},            // $1.1
        {1031, LOCALE_ICURRENCY, "3"},            // 1,1 €
        {1033, LOCALE_INEGCURR, "1"},             // -$1.1
        {1031, LOCALE_INEGCURR, "8"},             // -1,1 €
        {1041, LOCALE_ICURRDIGITS, "0"},          //
        {1033, LOCALE_IDEFAULTCODEPAGE, "437"},   //
        {1033, LOCALE_SGROUPING, "3;0"},          //
        {1033, LOCALE_SPOSITIVESIGN, "+"},        //
        {1033, LOCALE_IDIGITS, "2"},              //
        {1033, LOCALE_INEGNUMBER, "1"},           //
        {1053, LOCALE_SNEGATIVESIGN, "-"},        // sv-SE: U+2212 in ICU
        {1025, LOCALE_SNEGATIVESIGN, "-"},        // ar-SA: ALM before the sign in ICU
        {1037, LOCALE_SNEGATIVESIGN, "-"},        // he-IL: LRM before the sign in ICU
        {1025, LOCALE_SDECIMAL, "."},             // ar-SA: Latin digits, not U+066B
        {1037, LOCALE_SCURRENCY, "\u20AA"},       // he-IL: no RLM around the symbol
        {1037, LOCALE_INEGCURR, "8"},             //
        {4108, LOCALE_STHOUSAND, kNbsp},          // fr-CH: U+202F in ICU
        {1081, LOCALE_SGROUPING, "3;2;0"},        // hi-IN: 12,34,567
        {1081, LOCALE_SMONGROUPING, "3;2;0"},     //
        {3079, LOCALE_STHOUSAND, kNbsp},          // de-AT groups numbers and money apart
        {3079, LOCALE_SMONTHOUSANDSEP, "."},      //
        {1046, LOCALE_ICURRENCY, "2"},            // pt-BR: R$ 1,1
        {1046, LOCALE_INEGCURR, "9"},             // -R$ 1,1
        {1043, LOCALE_INEGCURR, "12"},            // nl-NL: € -1,1
        {2055, LOCALE_INEGCURR, "2"},             // de-CH: CHF-1.1
        {1033, LOCALE_SINTLSYMBOL, "USD"},        //
        {1031, LOCALE_SMONDECIMALSEP, ","},       //
        {1031, LOCALE_SENGCOUNTRY, "Germany"},    //
        {1081, LOCALE_IDEFAULTANSICODEPAGE, "0"}, // hi-IN: Unicode only, no code pages
        {1081, LOCALE_IDEFAULTCODEPAGE, "1"},     //
    };
    for (const auto& c : cases)
        EXPECT_EQ(Info(c.lcid, c.type), c.expected) << "lcid " << c.lcid << " type " << c.type;
}

TEST(GetLocaleInfo, ResolvesPseudoLocalesOnEveryCall) {
    ScopedEnv lcAll("LC_ALL", std::nullopt);
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ",");
        EXPECT_EQ(GetNumberSymbols(LOCALE_USER_DEFAULT)->currencySymbol, "\u20AC");
    }
    {
        ScopedEnv lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ".");
        EXPECT_EQ(GetNumberSymbols(LOCALE_USER_DEFAULT)->currencySymbol, "$");
    }
}

TEST(GetLocaleInfo, FailsWithAnEmptyTextAndTheWin32Error) {
    const struct {
        Lcid lcid;
        LcType type;
        unsigned long error;
    } cases[] = {
        {0x9999, LOCALE_SDECIMAL, ERROR_INVALID_PARAMETER},
        {0x9999, 0x7777, ERROR_INVALID_PARAMETER}, // the locale is checked first
        {1033, 0x7777, ERROR_INVALID_FLAGS},
        {1033, LOCALE_SDECIMAL | LOCALE_RETURN_NUMBER, ERROR_INVALID_FLAGS},
    };
    for (const auto& c : cases) {
        const LocaleText answer = GetLocaleInfo(c.lcid, c.type);
        EXPECT_FALSE(answer.ok());
        EXPECT_EQ(answer.error, c.error) << "lcid " << c.lcid << " type " << c.type;
        EXPECT_EQ(answer.text, "");
    }
    EXPECT_EQ(GetNumberSymbols(0x9999), std::nullopt);
    // The flags that change nothing on Linux are accepted.
    EXPECT_EQ(Info(1031, LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP), ",");
}

} // namespace
} // namespace qm6::loc
