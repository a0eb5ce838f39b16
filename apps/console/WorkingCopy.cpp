#include "WorkingCopy.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace qm6::console {

namespace fs = std::filesystem;

fs::path UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return fs::path(xdg) / "quillmeter6";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "quillmeter6";
}

fs::path BundledSample(const fs::path& programFolder) {
    const fs::path beside = programFolder.parent_path() / "share" / "qm6data" / "sample.qm6db";
    std::error_code ec;
    if (fs::is_regular_file(beside, ec))
        return beside;
#ifdef QM6_SAMPLE_DATABASE
    return QM6_SAMPLE_DATABASE;
#else
    return beside;
#endif
}

fs::path EnsureWorkingCopy(const fs::path& sample, std::string& error) {
    const fs::path folder = UserDataFolder();
    const fs::path copy = folder / "console.qm6db";
    std::error_code ec;
    if (fs::exists(copy, ec))
        return copy;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot make " + folder.string() + ": " + ec.message();
        return {};
    }
    // Copied under a temporary name and renamed, so that an interrupted copy
    // never passes for a working copy.
    const fs::path partial = folder / ("console.qm6db.part" + std::to_string(::getpid()));
    fs::copy_file(sample, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    if (!ec)
        fs::rename(partial, copy, ec);
    if (ec) {
        fs::remove(partial);
        error = "cannot copy " + sample.string() + " to " + copy.string() + ": " + ec.message();
        return {};
    }
    return copy;
}

} // namespace qm6::console
