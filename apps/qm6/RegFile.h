#pragma once

// Registry files (.reg) as Windows' registry editor reads and writes them,
// kept apart from the registry itself: parsing turns a file's bytes into the
// operations it asks for, each with its line number, or into the first error;
// writing turns keys and their values into the bytes of a file. Neither
// touches the registry, so both can be tested and fuzzed on their own.

#include "KeyPath.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::tool {

// One operation of a file, in file order.
struct RegEntry {
    enum class Kind {
        CreateKey,   // [KEY]: the key exists afterwards
        DeleteKey,   // [-KEY]: the key and everything below it go
        SetValue,    // "name"=data or @=data
        DeleteValue, // "name"=- or @=-
    };
    Kind kind = Kind::CreateKey;
    int line = 0; // where the operation starts (1-based)
    KeyPath key;
    std::string name; // the value name; empty for the default value
    uint32_t type = 0;
    std::vector<uint8_t> data; // as stored: strings in UTF-8 with their NULs
    bool operator==(const RegEntry&) const = default;
};

enum class RegFileVersion {
    Regedit5, // "Windows Registry Editor Version 5.00": string types in hex are UTF-16LE
    Regedit4, // "REGEDIT4": string types in hex are 8-bit text (UTF-8 here)
};

struct RegFile {
    RegFileVersion version = RegFileVersion::Regedit5;
    std::vector<RegEntry> entries;
};

struct RegFileError {
    int line = 0;
    std::string message;
};

struct RegFileParse {
    std::optional<RegFile> file; // set on success
    RegFileError error;          // otherwise: the first fault found
};

// Parses a whole file: UTF-16LE with a byte-order mark (or without one, when the
// file starts with the header in UTF-16LE), or UTF-8 with or without a mark;
// CRLF, LF or CR line ends. Strict: anything the format does not allow is an
// error, so that a damaged file is refused before anything is changed.
RegFileParse ParseRegFile(std::string_view bytes);

struct RegValue {
    std::string name; // empty for the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegKeyContent {
    KeyPath key;
    std::vector<RegValue> values;
};

// A "Windows Registry Editor Version 5.00" file of the keys in the order given:
// UTF-16LE with a byte-order mark and CRLF line ends, a blank line before each
// key. REG_SZ and REG_DWORD are written in their short forms when the data
// allows; everything else as hex(N) with the lines wrapped before 80 columns,
// string types as UTF-16LE bytes. Text that is not valid UTF-8 is written with
// U+FFFD in its place, and a sentence about it is added to `warnings`.
std::string WriteRegFile(std::span<const RegKeyContent> keys,
                         std::vector<std::string>* warnings = nullptr);

} // namespace qm6::tool
