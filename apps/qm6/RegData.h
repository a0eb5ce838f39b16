#pragma once

// Registry value types and data as the command line shows and takes them,
// after the Windows reg tool: type names, the data column of a query, and the
// bytes that "/t TYPE /d DATA" stands for.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::tool {

// "REG_SZ", "REG_DWORD", ...; a type without a name shows as its number in hex
// ("0x100").
std::string TypeName(uint32_t type);

// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

// The type for a name, compared without regard to case; accepts the twelve
// standard names and the REG_DWORD_LITTLE_ENDIAN / REG_QWORD_LITTLE_ENDIAN aliases.
std::optional<uint32_t> ParseTypeName(std::string_view name);

// The data column of "reg query": strings up to their first NUL, REG_MULTI_SZ
// with "\0" between the strings, REG_DWORD / REG_QWORD / REG_DWORD_BIG_ENDIAN as
// 0x hex, everything else (and numbers of the wrong size) as uppercase hex
// digits.
std::string FormatData(uint32_t type, std::span<const uint8_t> data);

// The bytes stored for "/t type /d text". Strings are UTF-8 with their
// terminating NUL; REG_MULTI_SZ splits at `separator` ("\0" unless given);
// numbers are decimal or 0x hex; REG_BINARY, REG_NONE and the other byte types
// take an even number of hex digits. `text` is nullopt when /d was not given.
// On failure `error` receives a sentence for the user.
std::optional<std::vector<uint8_t>> EncodeData(uint32_t type, std::optional<std::string_view> text,
                                               std::string_view separator, std::string& error);

} // namespace qm6::tool
