#pragma once

// Where the console's database comes from: a file named on the command line,
// or the user's working copy of the bundled sample, made on first run so that
// the bundled file itself is never changed.

#include <filesystem>
#include <string>

namespace qm6::console {

// The console's folder in the user's data folder: $XDG_DATA_HOME/quillmeter6,
// else ~/.local/share/quillmeter6.
std::filesystem::path UserDataFolder();

// The bundled sample: share/qm6data/sample.qm6db beside the program's bin
// folder, else the one the build made.
std::filesystem::path BundledSample(const std::filesystem::path& programFolder);

// The working copy, console.qm6db in the user's data folder; copied from the
// sample when it does not exist yet. Empty, with a reason in error, when the
// copy cannot be made.
std::filesystem::path EnsureWorkingCopy(const std::filesystem::path& sample, std::string& error);

} // namespace qm6::console
