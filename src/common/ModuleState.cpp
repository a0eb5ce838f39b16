#include "common/ModuleState.h"

#include "common/Fonts.h"
#include "common/Language.h"
#include "common/clsQM6Branding.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace qm6 {
namespace {

thread_local std::unique_ptr<ModuleState> tState;
thread_local bool tStarting = false;
// The started state of the thread: a plain pointer, so that the common path
// of State() is a single thread-local read.
thread_local ModuleState* tStarted = nullptr;

std::mutex gFolderMutex;
std::string gHostFolder;

std::string StripTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string LoadedLibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&LoadedLibraryFolder), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    std::string path = info.dli_fname;
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

ModuleState& State() {
    if (ModuleState* started = tStarted)
        return *started;
    if (!tState) {
        tState = std::make_unique<ModuleState>();
    }
    if (!tState->started && !tStarting) {
        Main();
    }
    return *tState;
}

void Main() {
    if (!tState)
        tState = std::make_unique<ModuleState>();
    if (tState->started || tStarting)
        return;
    // Steps run in order; a step may itself use the library (and so State()),
    // which must not start the routine a second time.
    tStarting = true;
    struct Done {
        ~Done() { tStarting = false; }
    } done;
    InitFonts();
    tState->branding = std::make_shared<clsQM6Branding>();
    LoadLanguage("qm6admcm");
    tState->started = true;
    tStarted = tState.get();
}

void ResetModuleState() {
    tStarted = nullptr;
    tState.reset();
    tStarting = false;
}

std::string ModuleFolder() {
    {
        std::lock_guard lock(gFolderMutex);
        if (!gHostFolder.empty())
            return gHostFolder;
    }
    if (const char* env = std::getenv("QM6_MODULE_DIR"); env != nullptr && *env != '\0')
        return StripTrailingSeparators(env);
    return LoadedLibraryFolder();
}

void SetModuleFolder(const std::string& folder) {
    std::lock_guard lock(gFolderMutex);
    gHostFolder = folder.empty() ? std::string() : StripTrailingSeparators(folder);
}

} // namespace qm6
