#include "platform/system/System.h"

namespace qm6::sys {

int PlatformId() {
    return VER_PLATFORM_WIN32_NT;
}

OSVersionInfo GetOSVersionInfo() {
    OSVersionInfo info;
    info.majorVersion = 6;
    info.minorVersion = 0;
    info.buildNumber = 0;
    info.platformId = PlatformId();
    return info;
}

} // namespace qm6::sys
