#include "platform/system/System.h"

namespace qm6::sys {

int PlatformId() {
    return VER_PLATFORM_WIN32_NT;
}

} // namespace qm6::sys
