#pragma once

// Facts about the operating system that the library asks the platform for.

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

} // namespace qm6::sys
