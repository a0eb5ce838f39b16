#pragma once

// A registry key named the way administrators write it: a root (short or long
// name) and the path below it, "HKCU\Software\Quillmeter". Only the two roots
// the library keeps settings in are accepted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm6::tool {

struct KeyPath {
    uint32_t root = 0;  // reg::HKEY_CURRENT_USER or reg::HKEY_LOCAL_MACHINE
    std::string subKey; // below the root, backslash-separated; empty for the root itself

    // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
    std::string_view RootName() const;
    // The long form: "HKEY_CURRENT_USER\Software\Quillmeter".
    std::string Full() const;
    // The key one level down.
    KeyPath Child(std::string_view name) const;
    bool operator==(const KeyPath&) const = default;
};

// The long name of a supported root; empty for any other handle.
std::string_view RootName(uint32_t root);

// Parses "ROOT" or "ROOT\path". Root names compare without regard to case. On
// failure `error` receives a sentence saying what is wrong (an unknown root, a
// root that is not available, a remote name, an empty part of the path).
std::optional<KeyPath> ParseKeyPath(std::string_view text, std::string& error);

} // namespace qm6::tool
