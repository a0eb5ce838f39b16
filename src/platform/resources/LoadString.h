#pragma once

// Loading a string resource into an ANSI buffer, as the platform's
// LoadStringA does: the text, converted to an ANSI code page, must fit a
// buffer of a given number of bytes with its terminating NUL, so at most
// bufferBytes - 1 bytes of text are kept (511 for the usual 512-byte
// buffer). Unlike the platform, the cut never falls inside a character: a
// character whose bytes would not all fit is dropped with everything after
// it. The answer is the kept text in UTF-8; the code page only decides where
// the text is cut.
//
// A character's size in the code page is what ICU's converter for it
// produces (with its fallback mappings, as the platform's best-fit
// mappings). A character the code page cannot represent counts one byte per
// UTF-16 unit, for the '?' the platform writes in its place; a code page
// ICU does not know is measured as windows-1252.

#include "platform/resources/ResourceLibrary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm6::res {

struct LoadedString {
    std::string text; // UTF-8
    // Bytes the text takes in the code page: LoadStringA's answer, 0 when
    // the id has no text.
    int length = 0;
};

// The string id of a library cut for a buffer of bufferBytes bytes in the
// ANSI code page codePage (1252, 932, 65001, ...). As on the platform only
// the id's low 16 bits count, so 65549 reads id 13 and -1 id 65535.
LoadedString LoadString(const ResourceLibrary& library, std::uint32_t id, std::size_t bufferBytes,
                        std::uint32_t codePage);

// The same cut for any UTF-16 text (the library's compiled-in texts).
LoadedString CutToAnsiBuffer(std::u16string_view text, std::size_t bufferBytes,
                             std::uint32_t codePage);

} // namespace qm6::res
