// Cutting loaded strings to an ANSI buffer: at most bufferBytes - 1 bytes of
// the code page, never inside a character.

#include "platform/resources/LoadString.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

namespace qm6::res {
namespace {

using test::LibraryTest;

std::string Repeat(std::string_view text, std::size_t times, std::string_view prefix = {}) {
    std::string out(prefix);
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST_P(LibraryTest, CutsAtTheLastWholeCharacterThatFits) {
    struct Case {
        const char* library;
        std::uint32_t id;
        std::size_t buffer;
        std::uint32_t codePage;
        std::string text;
        int length;
    };
    const Case cases[] = {
        // A single-byte code page counts a byte a character.
        {"strings_1033", 101, 512, 1252, "Café crème", 10},
        // Double-byte characters: one that would need the 511th and 512th
        // byte is dropped whole.
        {"strings_1041", 500, 512, 932, Repeat("あ", 255), 510},
        {"strings_1041", 501, 512, 932, Repeat("あ", 255, "a"), 511},
        {"strings_1041", 500, 512, 65001, Repeat("あ", 170), 510},
        // Half-width katakana take one byte in code page 932.
        {"strings_1041", 101, 6, 932, "半角ｶ", 5},
        // Characters the code page lacks count one byte, for the '?' written.
        {"scripts", 10, 512, 932, Repeat("한", 300), 300},
        // Outside the BMP: a '?' per UTF-16 unit, and the pair stays whole.
        {"scripts", 15, 6, 932, Repeat("😀", 2), 4},
        {"scripts", 15, 512, 54936, Repeat("😀", 127), 508}, // GB18030: four bytes each
        // A code page ICU does not know is measured as windows-1252: 511 characters of 512 bytes.
        {"scripts", 16, 512, 12345, Repeat("€", 510, "a"), 511},
        // Empty and missing strings answer nothing.
        {"strings_1033", 17, 512, 1252, "", 0},
        // Only the id's low 16 bits count.
        {"strings_1033", 0xFFFFFFFF, 512, 1252, "Last id", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.library) + " id " + std::to_string(c.id) + " buffer " +
                     std::to_string(c.buffer) + " code page " + std::to_string(c.codePage));
        const auto got = LoadString(Open(c.library), c.id, c.buffer, c.codePage);
        EXPECT_EQ(got.text, c.text);
        EXPECT_EQ(got.length, c.length);
    }
}

TEST(CutToAnsiBufferTest, KeepsUnusualUnitsWhole) {
    struct Case {
        std::u16string text;
        std::size_t buffer;
        std::string utf8;
        int length;
    };
    const Case cases[] = {
        {u"a\xD800z", 512, "a\xEF\xBF\xBDz", 3},                      // a lone surrogate is one '?'
        {std::u16string(u"a\0b", 3), 512, std::string("a\0b", 3), 3}, // NUL kept
    };
    for (const auto& c : cases) {
        const auto got = CutToAnsiBuffer(c.text, c.buffer, 1252);
        EXPECT_EQ(got.text, c.utf8);
        EXPECT_EQ(got.length, c.length);
    }
}

} // namespace
} // namespace qm6::res
