#include "platform/locale/Lcid.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace qm6::loc {
namespace {

using test::ScopedEnv;

TEST(LocaleNameToLcid, MapsNamesToTheirOrTheClosestLocale) {
    const struct {
        const char* name;
        std::optional<Lcid> lcid;
    } cases[] = {
        {"de_DE.UTF-8", 1031},
        {"de_DE@euro", 1031},
        {"de-DE", 1031},
        {"  de_AT  ", 3079},
        // glibc's script modifier and Serbian's usual script.
        {"sr_RS@latin", 0x241A},
        {"sr_RS", 0x281A},
        // Old language codes glibc still uses.
        {"iw_IL", 1037},
        // A known language: the closest locale.
        {"de", 1031},           // a language alone: its main locale
        {"zh_Hant", 1028},      // a script: the main region of that script
        {"de_JP", 1031},        // a region the language has no locale for
        {"sr_Latn_XK", 0x241A}, // the script is kept when the region is unknown
        {"sw_TZ", 0x0441},      // the likely region has no LCID: the default sublanguage
        // C and POSIX are US English; unknown names have no locale.
        {"C", 1033},
        {"C.UTF-8", 1033},
        {"xx_YY", std::nullopt},
        {"", std::nullopt},
        {"de__DE", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocaleNameToLcid(c.name), c.lcid) << c.name;
}

TEST(LcidToLocaleName, NamesLocalesAsWindowsDoes) {
    const struct {
        Lcid lcid;
        std::optional<std::string> name;
    } cases[] = {
        {1031, "de-DE"},
        {1028, "zh-TW"},
        {0x241A, "sr-Latn-RS"},
        {7, "de"},
        {0x7C04, "zh-Hant"},
        {0x10407, "de-DE"},
        {0x9999, std::nullopt},
        {0x7407, std::nullopt}, // unknown sublanguage of German
        {LOCALE_INVARIANT, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LcidToLocaleName(c.lcid), c.name) << c.lcid;
}

TEST(ConvertDefaultLocale, ResolvesPseudoAndNeutralLocales) {
    ScopedEnv lcAll("LC_ALL", std::nullopt);
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    ScopedEnv system("QM6_SYSTEM_LOCALE", "ko_KR.UTF-8");
    EXPECT_EQ(ConvertDefaultLocale(LOCALE_USER_DEFAULT), 1041u);
    EXPECT_EQ(ConvertDefaultLocale(LOCALE_SYSTEM_DEFAULT), 1042u);
    EXPECT_EQ(ConvertDefaultLocale(7), 1031u);
    EXPECT_EQ(ConvertDefaultLocale(0x0C07), 0x0C07u);
    EXPECT_TRUE(IsValidLocale(LOCALE_USER_DEFAULT));
    EXPECT_FALSE(IsValidLocale(0x9999));
    EXPECT_FALSE(IsValidLocale(LOCALE_INVARIANT));
}

TEST(GetUserDefaultLCID, FollowsLcAllThenLang) {
    const struct {
        std::optional<std::string> lcAll;
        std::optional<std::string> lang;
        Lcid expected;
    } cases[] = {
        {std::nullopt, "de_DE.UTF-8", 1031},
        {"fr_FR.UTF-8", "de_DE.UTF-8", 1036}, // LC_ALL wins
        {"", "de_DE.UTF-8", 1031},            // an empty LC_ALL is not set
        {std::nullopt, std::nullopt, 1033},
        {std::nullopt, "xx_YY.UTF-8", 1033}, // unknown language
    };
    for (const auto& c : cases) {
        ScopedEnv lcAll("LC_ALL", c.lcAll);
        ScopedEnv lang("LANG", c.lang);
        EXPECT_EQ(GetUserDefaultLCID(), c.expected)
            << c.lcAll.value_or("(unset)") << " / " << c.lang.value_or("(unset)");
    }
}

class SystemLocaleFile : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& text) {
        const auto path = dir_.Path() / "locale";
        test::WriteFile(path, text);
        return path;
    }

    test::TempDir dir_;
    ScopedEnv system_{"QM6_SYSTEM_LOCALE", std::nullopt};
    // The user's settings play no part in the system's locale.
    ScopedEnv lcAll_{"LC_ALL", "fr_FR.UTF-8"};
    ScopedEnv lang_{"LANG", "fr_FR.UTF-8"};
};

TEST_F(SystemLocaleFile, ReadsTheLastLangLineOfTheFile) {
    const struct {
        const char* text;
        Lcid expected;
    } cases[] = {
        {"LANG=de_DE.UTF-8\n", 1031},
        {"# written by localectl\nLANG=\"ja_JP.UTF-8\"\nLANGUAGE=en\n", 1041},
        {"export LANG='ru_RU.UTF-8'\n", 1049},
        {"LANG=de_DE.UTF-8\nLANG=pl_PL.UTF-8\n", 1045},
        {"  LANG = th_TH\n", 1033}, // not an assignment
        {"LC_MESSAGES=de_DE.UTF-8\n", 1033},
        {"LANG=\n", 1033},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetSystemDefaultLCID(Write(c.text)), c.expected) << c.text;
    EXPECT_EQ(GetSystemDefaultLCID(dir_.Path() / "missing"), 1033u);
}

TEST_F(SystemLocaleFile, EnvironmentVariableWinsAndMayBeAnLcid) {
    const auto file = Write("LANG=de_DE.UTF-8\n");
    const struct {
        const char* setting;
        Lcid expected;
    } cases[] = {
        {"zh_TW.UTF-8", 1028}, {"1054", 1054},
        {"7", 1031},                       // a neutral LCID: the language's main locale
        {"2048", 1033},                    // a pseudo-locale names no locale
        {"xx", 1033},          {"", 1031}, // empty counts as unset: the file decides
    };
    for (const auto& c : cases) {
        ScopedEnv system("QM6_SYSTEM_LOCALE", c.setting);
        EXPECT_EQ(GetSystemDefaultLCID(file), c.expected) << c.setting;
    }
}

} // namespace
} // namespace qm6::loc
