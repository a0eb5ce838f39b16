#include "platform/locale/CodePages.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace qm6::loc {
namespace {

using test::ScopedEnv;

TEST(AnsiCodePageOfLocale, GroupsLanguagesByTheirWindowsCodePage) {
    const struct {
        const char* name;
        unsigned codePage;
    } cases[] = {
        // A language of a group, and the ones a script or region moves.
        {"de_DE", 1252}, {"sr_RS@latin", 1250}, {"sr_RS", 1251},   {"uz_UZ", 1254},
        {"zh_SG", 936},  {"zh_HK", 950},        {"hi_IN", CP_ACP},
    };
    for (const auto& c : cases) {
        const auto lcid = LocaleNameToLcid(c.name);
        ASSERT_TRUE(lcid.has_value()) << c.name;
        EXPECT_EQ(AnsiCodePageOfLocale(*lcid), c.codePage) << c.name;
    }
    EXPECT_EQ(AnsiCodePageOfLocale(0x9999), std::nullopt);
    EXPECT_EQ(OemCodePageOfLocale(0x9999), std::nullopt);
}

TEST(CharsetOfCodePage, AnswersTheFontCharacterSetOfAnAnsiCodePage) {
    const struct {
        unsigned codePage;
        int charset; // -1: none
    } cases[] = {
        {1252, 0}, {932, 128}, {42, 2}, {0, -1}, {65001, -1}, {437, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CharsetOfCodePage(c.codePage).value_or(-1), c.charset) << c.codePage;
}

TEST(GetACP, IsTheCodePageOfTheSystemLocale) {
    const struct {
        const char* systemLocale;
        unsigned codePage;
    } cases[] = {
        {"de_DE.UTF-8", 1252}, {"hi_IN.UTF-8", CP_UTF8}, // no ANSI code page: Linux's own encoding
    };
    ScopedEnv lang("LANG", "zh_CN.UTF-8"); // the user's locale plays no part
    for (const auto& c : cases) {
        ScopedEnv system("QM6_SYSTEM_LOCALE", c.systemLocale);
        EXPECT_EQ(GetACP(), c.codePage) << c.systemLocale;
    }
}

} // namespace
} // namespace qm6::loc
