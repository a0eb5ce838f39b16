#pragma once

// Facts about the operating system that the library asks the platform for.

#include <cstdint>

namespace qm6::sys {

enum : int {
    VER_PLATFORM_WIN32s = 0,
    VER_PLATFORM_WIN32_WINDOWS = 1,
    VER_PLATFORM_WIN32_NT = 2,
};

// The platform id of the version record (GetVersionEx). Linux answers the NT
// family: security descriptors, access checks and recursive deletes all work
// as they do there.
int PlatformId();

// The version record of the operating system (GetVersionEx).
struct OSVersionInfo {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    int platformId = VER_PLATFORM_WIN32_NT;
};

// Linux answers 6.0 of the NT family: the generation of the platform whose
// features (32-bit icons with alpha, the registry's security) it offers.
OSVersionInfo GetOSVersionInfo();

} // namespace qm6::sys
