#pragma once

#include "platform/vb/Conversions.h"

#include <cstdint>

namespace qm6::vb::test {

// Gives the calling thread the number characters of a locale for the life of
// the scope, then goes back to the user's locale.
class LocaleScope {
public:
    explicit LocaleScope(std::uint32_t lcid) { SetNumberChars(NumberCharsOf(lcid)); }
    ~LocaleScope() { ResetNumberChars(); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};

inline constexpr std::uint32_t kEnUs = 1033;
inline constexpr std::uint32_t kDeDe = 1031;
inline constexpr std::uint32_t kFrFr = 1036;
inline constexpr std::uint32_t kJaJp = 1041;
inline constexpr std::uint32_t kPlPl = 1045;
inline constexpr std::uint32_t kRuRu = 1049;
inline constexpr std::uint32_t kDeCh = 2055;
inline constexpr std::uint32_t kKmKh = 1107; // the symbol after the number, no space

} // namespace qm6::vb::test
