// System message texts and %VAR% expansion.

#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace qm6::reg {
namespace {

TEST(FormatSystemMessage, HasNoTextForTheStoresOwnCodes) {
    // A store error no system code means the same as keeps its number, with
    // bit 29 marking it as the application's own: the system has no text for
    // it. The registry object's tests pin the system texts it shows.
    EXPECT_EQ(detail::MapSqliteError(SQLITE_CONSTRAINT_UNIQUE), 0x20000013);
    EXPECT_EQ(FormatSystemMessage(0x20000013), "");
    EXPECT_EQ(FormatSystemMessage(99999), "");
    EXPECT_EQ(FormatSystemMessage(-1), "");
}

TEST(ExpandEnvironmentStrings, ReplacesSetVariablesOnly) {
    qm6::test::ScopedEnv a("QM6_EXPAND_A", "alpha"), unset("QM6_EXPAND_UNSET", std::nullopt),
        empty("QM6_EXPAND_EMPTY", "");
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"x%qm6_expand_a%y", "xalphay"}, // names without regard to case
        {"%QM6_EXPAND_A%%QM6_EXPAND_A%", "alphaalpha"},
        {"[%QM6_EXPAND_EMPTY%]", "[]"},
        {"%QM6_EXPAND_UNSET%", "%QM6_EXPAND_UNSET%"},
        {"%QM6_EXPAND_UNSET%QM6_EXPAND_A%", "%QM6_EXPAND_UNSETalpha"},
        {"%%", "%%"},
        {"50% of %QM6_EXPAND_A", "50% of %QM6_EXPAND_A"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandEnvironmentStrings(c.in), c.out) << c.in;
}

} // namespace
} // namespace qm6::reg
