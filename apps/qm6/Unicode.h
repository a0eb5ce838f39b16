#pragma once

// Conversions between the UTF-8 the registry stores and the UTF-16LE that .reg
// files carry. Strict on input: a byte sequence that is not well-formed text is
// reported, never guessed at.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qm6::tool {

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF). On failure `badOffset` receives the offset of the
// first byte that does not decode.
bool IsValidUtf8(std::string_view text, size_t* badOffset = nullptr);

// Appends the UTF-16LE bytes of UTF-8 text. A byte that does not decode
// becomes U+FFFD; the answer is false when that happened.
bool AppendUtf16Le(std::string_view utf8, std::string& out);

// The text with every byte that does not decode replaced by U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view text);

// The text cut to at most `maxBytes` bytes at a character boundary, with
// "..." added when it was cut: for names in messages.
std::string Abbreviate(std::string_view text, size_t maxBytes = 80);

// The number of UTF-16 code units the text takes (what Windows counts as the
// length of a line).
size_t Utf16Length(std::string_view utf8);

// UTF-16LE bytes as UTF-8; nullopt for an odd number of bytes or an unpaired
// surrogate, with `badOffset` the byte offset where decoding failed.
std::optional<std::string> Utf16LeToUtf8(std::span<const uint8_t> bytes,
                                         size_t* badOffset = nullptr);

} // namespace qm6::tool
