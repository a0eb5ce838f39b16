#include "resources/OwnResources.h"

#include <cstddef>
#include <span>

namespace qm6 {
namespace res::embedded {
extern const unsigned char kOwnResources[];
extern const std::size_t kOwnResources_size;
} // namespace res::embedded

const res::ResourceLibrary* OwnResources() {
    // Parsed once, on the first use; the parsed library is immutable.
    static const res::LoadResult loaded = res::ResourceLibrary::FromBytes(
        std::span<const std::uint8_t>(res::embedded::kOwnResources, res::embedded::kOwnResources_size));
    return loaded.library ? &*loaded.library : nullptr;
}

} // namespace qm6
