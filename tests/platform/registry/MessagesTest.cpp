// System message texts and %VAR% expansion.

#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace qm6::reg {
namespace {

TEST(FormatSystemMessage, AnswersTheSystemTexts) {
    const struct {
        long code;
        const char* text;
    } cases[] = {
        {0, "The operation completed successfully.\r\n"},
        {2, "The system cannot find the file specified.\r\n"},
        {5, "Access is denied.\r\n"},
        {6, "The handle is invalid.\r\n"},
        {87, "The parameter is incorrect.\r\n"},
        {161, "The specified path is invalid.\r\n"},
        {170, "The requested resource is in use.\r\n"},
        {234, "More data is available.\r\n"},
        {259, "No more data is available.\r\n"},
        {1009, "The configuration registry database is corrupt.\r\n"},
        {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
        {1338, "The security descriptor structure is invalid.\r\n"},
        {99999, ""},
        {-1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSystemMessage(c.code), c.text) << c.code;

    // Every code the registry functions answer, and every SQLite result code
    // that passes through unmapped, has a text.
    const long codes[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_NOT_ENOUGH_MEMORY,
                      ERROR_OUTOFMEMORY, ERROR_DISK_FULL, ERROR_INSUFFICIENT_BUFFER, ERROR_BADKEY,
                      ERROR_CANTOPEN, ERROR_CANTREAD, ERROR_CANTWRITE, ERROR_REGISTRY_IO_FAILED,
                      ERROR_NO_TOKEN, ERROR_BAD_IMPERSONATION_LEVEL, 1L, 4L, 9L, 13L, 15L, 16L, 17L,
                      18L, 19L, 20L, 21L, 22L, 24L, 25L, 27L, 28L};
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
