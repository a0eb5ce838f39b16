#pragma once

// The runtime's text functions the library needs.

#include <string>
#include <string_view>

namespace qm6::vb {

// Trim: the text without the spaces (U+0020 only, not tabs or line breaks)
// at both ends.
inline std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

} // namespace qm6::vb
