#pragma once

// Per-thread module state and the start-up routine. The library is
// apartment-threaded: every user-interface thread that uses it gets its own
// copy of the state, made by Main on the thread's first use.

#include <string>

namespace qm6 {

struct ModuleState {
    bool started = false;
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
