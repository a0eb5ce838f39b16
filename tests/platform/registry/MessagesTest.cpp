// System message texts and %VAR% expansion.

#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vector>

namespace qm6::reg {
namespace {

TEST(FormatSystemMessage, AnswersTheSystemTexts) {
    EXPECT_EQ(FormatSystemMessage(0), "The operation completed successfully.\r\n");
    EXPECT_EQ(FormatSystemMessage(1009), "The configuration registry database is corrupt.\r\n");
    EXPECT_EQ(FormatSystemMessage(99999), "");
    EXPECT_EQ(FormatSystemMessage(-1), "");

    // Every code the registry functions answer has a text.
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
    for (long code : codes) {
        const std::string text = FormatSystemMessage(code);
        EXPECT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

TEST(MapSqliteError, GivesWin32CodesOrApplicationDefinedOnes) {
    const struct {
        int sqlite;
        long win32;
    } cases[] = {
        {SQLITE_OK, ERROR_SUCCESS},
        {SQLITE_CORRUPT, ERROR_BADDB},
        {SQLITE_NOTADB, ERROR_BADDB},
        {SQLITE_READONLY_ROLLBACK, ERROR_ACCESS_DENIED},
        {SQLITE_FULL, ERROR_DISK_FULL},
        {SQLITE_IOERR_SHORT_READ, ERROR_REGISTRY_IO_FAILED},
        {SQLITE_BUSY_SNAPSHOT, ERROR_BUSY},
        {SQLITE_NOMEM, ERROR_OUTOFMEMORY},
        // No system code means the same: bit 29 marks the code as the
        // application's own, and the system has no text for it.
        {SQLITE_ERROR, 0x20000001},
        {SQLITE_CONSTRAINT_UNIQUE, 0x20000013},
        {SQLITE_TOOBIG, 0x20000012},
        {SQLITE_MISUSE, 0x20000015},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detail::MapSqliteError(c.sqlite), c.win32) << c.sqlite;
        EXPECT_EQ(FormatSystemMessage(c.win32).empty(), c.win32 >= detail::kSqliteErrorBase);
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
