// System message texts and %VAR% expansion.

#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

namespace qm6::reg {
namespace {

TEST(FormatSystemMessage, AnswersTheSystemTexts) {
    EXPECT_EQ(FormatSystemMessage(0), "The operation completed successfully.\r\n");
    EXPECT_EQ(FormatSystemMessage(1009), "The configuration registry database is corrupt.\r\n");
    EXPECT_EQ(FormatSystemMessage(99999), "");
    EXPECT_EQ(FormatSystemMessage(-1), "");

    // Every code the registry functions answer, and every SQLite primary
    // result code (1 to 28, some passed through unmapped), has a text.
    std::vector<long> codes{ERROR_FILE_NOT_FOUND,
                            ERROR_ACCESS_DENIED,
                            ERROR_INVALID_HANDLE,
                            ERROR_OUTOFMEMORY,
                            ERROR_INVALID_PARAMETER,
                            ERROR_DISK_FULL,
                            ERROR_BAD_PATHNAME,
                            ERROR_BUSY,
                            ERROR_NO_MORE_ITEMS,
                            ERROR_BADDB,
                            ERROR_REGISTRY_IO_FAILED,
                            ERROR_KEY_DELETED,
                            ERROR_NO_TOKEN,
                            ERROR_INVALID_SECURITY_DESCR,
                            ERROR_BAD_IMPERSONATION_LEVEL};
    for (long sqlite = 1; sqlite <= 28; ++sqlite)
        codes.push_back(sqlite);
    for (long code : codes) {
        const std::string text = FormatSystemMessage(code);
        EXPECT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

TEST(ExpandEnvironmentStrings, ReplacesSetVariablesOnly) {
    qm6::test::ScopedEnv a("QM6_EXPAND_A", "alpha"), unset("QM6_EXPAND_UNSET", std::nullopt),
        empty("QM6_EXPAND_EMPTY", "");
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"%QM6_EXPAND_A%", "alpha"},
        {"x%qm6_expand_a%y", "xalphay"}, // names without regard to case
        {"%QM6_EXPAND_A%%QM6_EXPAND_A%", "alphaalpha"},
        {"[%QM6_EXPAND_EMPTY%]", "[]"},
        {"%QM6_EXPAND_UNSET%", "%QM6_EXPAND_UNSET%"},
        {"%QM6_EXPAND_UNSET%QM6_EXPAND_A%", "%QM6_EXPAND_UNSETalpha"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"50% of %QM6_EXPAND_A", "50% of %QM6_EXPAND_A"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandEnvironmentStrings(c.in), c.out) << c.in;
}

} // namespace
} // namespace qm6::reg
