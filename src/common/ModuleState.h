#pragma once

// Per-thread module state and the start-up routine. The library is
// apartment-threaded: every user-interface thread that uses it gets its own
// copy of the state, made by Main on the thread's first use.

#include "platform/fonts/Font.h"
#include "platform/resources/ResourceLibrary.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace qm6 {

class clsQM6Branding;

// The string library of the thread and what was read from it.
struct LanguageState {
    std::string moduleName;                    // of the last LoadLanguage; empty until then
    std::optional<res::ResourceLibrary> library; // none until one is loaded
    std::string folder;                        // the lang folder, once computed
    unsigned codePage = 1252;                  // ANSI code page the texts are cut in
    std::unordered_map<int32_t, std::string> texts; // texts already loaded, by id
};

// What the utilities read once per thread.
struct UtilityState {
    std::string commonFolder; // empty until computed
    // Character codes of the user's decimal separator and negative sign:
    // 0 until read, -1 when the locale has none.
    int32_t decimalSeparator = 0;
    int32_t negativeSign = 0;
};

struct ModuleState {
    bool started = false;
    fonts::FontPtr libraryFont;              // nullptr when none could be chosen
    std::shared_ptr<clsQM6Branding> branding; // made by start-up
    LanguageState language;
    UtilityState utilities;
};

// The calling thread's state; runs Main first when the thread has not started.
ModuleState& State();

// The start-up routine: runs once per thread before the first object of the
// library is used there. It never reports a failure: missing settings and
// libraries lead to built-in fallbacks.
void Main();

// Forgets the calling thread's state, so that the next use starts up again
// (tests use it to start from a clean thread).
void ResetModuleState();

// The folder that holds the library's own file, from which the lang and
// common folders are found: a folder set by the host before start-up wins,
// then the environment variable QM6_MODULE_DIR, then the folder of the loaded
// library file. No trailing separator.
std::string ModuleFolder();
// Sets (or, with an empty text, clears) the host's choice of module folder.
void SetModuleFolder(const std::string& folder);

} // namespace qm6
