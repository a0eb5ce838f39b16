#pragma once

// The library's own resources (the built-in header logo, type "ADMINHEAD"
// id 1000), compiled into the library as the bytes of a resource-only DLL and
// read through the same resource functions that read the string and branding
// libraries.

#include "platform/resources/ResourceLibrary.h"

namespace qm6 {

// Resource type and id of the built-in header logo, a 176 x 80 JPEG.
inline constexpr const char kAdminHeadType[] = "ADMINHEAD";
inline constexpr std::uint16_t kAdminHeadId = 1000;

// The library's own resources; nullptr only if the compiled-in bytes were
// not a resource library (a broken build). Loaded once, shared by every
// thread (a loaded library never changes).
const res::ResourceLibrary* OwnResources();

} // namespace qm6
