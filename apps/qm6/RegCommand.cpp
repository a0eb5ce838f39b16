// qm6 reg: query, add, delete, export and import registry keys and values
// with the syntax and output of the Windows reg tool.

#include "CommandLine.h"
#include "Console.h"
#include "KeyPath.h"
#include "RegData.h"
#include "RegFile.h"
#include "RegistryAccess.h"
#include "Unicode.h"
#include "platform/registry/Registry.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qm6::tool {
namespace {

constexpr std::string_view kSuccess = "The operation completed successfully.";
constexpr std::string_view kNotFound =
    "The system was unable to find the specified registry key or value.";
constexpr std::string_view kCancelled = "The operation was cancelled.";
constexpr std::string_view kNothingImported = "Nothing was imported.";

constexpr std::string_view kUsage = "Usage: qm6 reg OPERATION [PARAMETERS]\n\n"
                                    "Operations: QUERY | ADD | DELETE | EXPORT | IMPORT\n\n"
                                    "For help on an operation, type: qm6 reg OPERATION /?\n";

constexpr std::string_view kQueryUsage =
    "qm6 reg query KEY [/v NAME | /ve] [/s]\n\n"
    "  Lists the values and subkeys of a key.\n\n"
    "  KEY      ROOT\\Subkey; ROOT is HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n"
    "  /v NAME  only the value NAME\n"
    "  /ve      only the default value\n"
    "  /s       the subkeys and their values too, all the way down\n";

constexpr std::string_view kAddUsage =
    "qm6 reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n\n"
    "  Creates a key, or sets a value in it (creating the key if need be).\n\n"
    "  KEY           ROOT\\Subkey; ROOT is HKCU (HKEY_CURRENT_USER) or HKLM\n"
    "                (HKEY_LOCAL_MACHINE)\n"
    "  /v NAME       the value to set\n"
    "  /ve           the default value\n"
    "  /t TYPE       REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD,\n"
    "                REG_QWORD, REG_DWORD_BIG_ENDIAN, REG_BINARY, REG_NONE, REG_LINK,\n"
    "                REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,\n"
    "                REG_RESOURCE_REQUIREMENTS_LIST\n"
    "  /s SEPARATOR  the character between the strings of REG_MULTI_SZ data (\\0)\n"
    "  /d DATA       the data: text; a decimal or 0x hex number for REG_DWORD,\n"
    "                REG_QWORD and REG_DWORD_BIG_ENDIAN; hex digits for the others\n"
    "  /f            overwrite an existing value without asking\n";

constexpr std::string_view kDeleteUsage =
    "qm6 reg delete KEY [/v NAME | /ve | /va] [/f]\n\n"
    "  Deletes a key with all its subkeys and values, or values of a key.\n\n"
    "  KEY      ROOT\\Subkey; ROOT is HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n"
    "  /v NAME  the value NAME\n"
    "  /ve      the default value\n"
    "  /va      every value of the key\n"
    "  /f       delete without asking (needed when input is not a terminal)\n";

constexpr std::string_view kExportUsage =
    "qm6 reg export KEY FILE [/y]\n\n"
    "  Writes the key with all its subkeys and values to FILE, in the format of\n"
    "  Windows Registry Editor version 5.00 (UTF-16LE).\n\n"
    "  KEY  ROOT\\Subkey; ROOT is HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n"
    "  /y   overwrite FILE without asking\n";

constexpr std::string_view kImportUsage =
    "qm6 reg import FILE\n\n"
    "  Applies a registry file (Windows Registry Editor version 5.00 or REGEDIT4,\n"
    "  UTF-16LE or UTF-8). The whole file is checked first, then applied in one\n"
    "  transaction: all of it or, after a failure, Ctrl-C or the end of the\n"
    "  process, none of it. A file may change keys of one root only.\n";

std::string ValueLabel(std::string_view name) {
    return name.empty() ? std::string("(Default)") : std::string(name);
}

std::string ValueLine(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    return "    " + ValueLabel(name) + "    " + TypeName(type) + "    " + FormatData(type, data) +
           "\n";
}

int Failed(const Console& console, const KeyPath& key, long code) {
    console.Error((code == reg::ERROR_FILE_NOT_FOUND ? std::string(kNotFound) : ErrorText(code)) +
                  InHive(key.root));
    return 1;
}

int CannotRead(const Console& console, const KeyPath& key, long code) {
    console.Error("Cannot read " + key.Full() + ": " + ErrorText(code) + InHive(key.root));
    return 1;
}

// Reads the tree of `key`; false after reporting a failure.
bool Read(const Console& console, const KeyPath& key, ReadWhat what, std::vector<KeyDump>& tree) {
    KeyPath failed;
    long rc = ReadTree(key, what, tree, &failed);
    if (rc == reg::ERROR_SUCCESS)
        return true;
    if (rc == reg::ERROR_FILE_NOT_FOUND && failed == key)
        Failed(console, key, rc);
    else
        CannotRead(console, failed, rc);
    return false;
}

int Succeeded(const Console& console) {
    console.out << kSuccess << "\n";
    return 0;
}

// Asks before a change unless /f was given; false (after saying why) when the
// change must not go ahead.
bool MayProceed(const Console& console, bool force, const std::string& question,
                const std::string& howToForce) {
    if (force)
        return true;
    if (!console.interactive) {
        console.Error("Standard input is not a terminal, so the question \"" + question +
                      "?\" cannot be asked; " + howToForce + ".");
        return false;
    }
    if (console.Confirm(question))
        return true;
    console.out << kCancelled << "\n";
    return false;
}

// ---- query ----

int Query(std::span<const std::string> args, const Console& console) {
    CommandLine cl("qm6 reg query", kQueryUsage, {"ve", "s"}, {"v"});
    if (!cl.Parse(args, 1, console))
        return cl.Result();
    if (cl.Has("v") && cl.Has("ve"))
        return cl.SyntaxError(console, "/v and /ve cannot be used together.");
    auto key = KeyArgument(cl.Positional(0), console);
    if (!key)
        return 1;
    bool recurse = cl.Has("s");

    std::ostringstream out;
    out << "\n";
    if (cl.Has("v") || cl.Has("ve")) {
        // Only the one value is read in each key; with /s the keys below are
        // listed for their names alone.
        std::string name = cl.Has("v") ? cl.Value("v") : std::string();
        std::vector<KeyDump> tree;
        if (!Read(console, *key, {.recurse = recurse, .values = false}, tree))
            return 1;
        size_t matches = 0;
        for (const auto& dump : tree) {
            reg::Key here;
            uint32_t type = 0;
            std::vector<uint8_t> data;
            long rc = reg::OpenKey(key->root, dump.content.key.subKey, reg::KEY_QUERY_VALUE, here);
            if (rc == reg::ERROR_SUCCESS)
                rc = reg::QueryValue(here, name, &type, &data);
            if (rc == reg::ERROR_SUCCESS) {
                out << dump.content.key.Full() << "\n" << ValueLine(name, type, data) << "\n";
                ++matches;
            } else if (rc != reg::ERROR_FILE_NOT_FOUND) {
                return CannotRead(console, dump.content.key, rc);
            } else if (!recurse) {
                if (!name.empty())
                    return Failed(console, *key, rc);
                // The default value of a key always shows, set or not.
                out << dump.content.key.Full() << "\n    (Default)    REG_SZ    (value not set)\n";
            }
        }
        if (recurse)
            out << "End of search: " << matches << " match(es) found.\n";
    } else {
        std::vector<KeyDump> tree;
        if (!Read(console, *key, {.recurse = recurse}, tree))
            return 1;
        for (size_t i = 0; i < tree.size(); ++i) {
            const auto& dump = tree[i];
            // The key named on the command line shows its name only when it
            // has values; with /s every key below it shows.
            bool showKey = i > 0 || !dump.content.values.empty();
            if (showKey)
                out << dump.content.key.Full() << "\n";
            for (const auto& value : dump.content.values)
                out << ValueLine(value.name, value.type, value.data);
            if (showKey)
                out << "\n";
            if (!recurse) {
                for (const auto& sub : dump.subKeys)
                    out << dump.content.key.Child(sub).Full() << "\n";
            }
        }
    }
    console.out << out.str();
    return 0;
}

// ---- add ----

int Add(std::span<const std::string> args, const Console& console) {
    CommandLine cl("qm6 reg add", kAddUsage, {"ve", "f"}, {"v", "t", "d", "s"});
    if (!cl.Parse(args, 1, console))
        return cl.Result();
    if (cl.Has("v") && cl.Has("ve"))
        return cl.SyntaxError(console, "/v and /ve cannot be used together.");
    auto key = KeyArgument(cl.Positional(0), console);
    if (!key)
        return 1;

    uint32_t type = reg::REG_SZ;
    if (cl.Has("t")) {
        auto parsed = ParseTypeName(cl.Value("t"));
        if (!parsed) {
            console.Error("Unsupported type \"" + cl.Value("t") + "\". " +
                          "Type \"qm6 reg add /?\" for the types.");
            return 1;
        }
        type = *parsed;
    }
    std::string separator;
    if (cl.Has("s")) {
        separator = cl.Value("s");
        if (type != reg::REG_MULTI_SZ)
            return cl.SyntaxError(console, "/s applies to REG_MULTI_SZ data only.");
        if (separator.empty() || !IsValidUtf8(separator) || Utf16Length(separator) != 1)
            return cl.SyntaxError(console, "The separator of /s must be one character.");
    }

    Changes changes;
    long rc = reg::ERROR_SUCCESS;
    bool setsValue = cl.Has("v") || cl.Has("ve") || cl.Has("t") || cl.Has("d");
    if (!setsValue) {
        rc = changes.CreateKey(*key);
    } else {
        std::string name = cl.Has("v") ? cl.Value("v") : std::string();
        std::string error;
        auto data = EncodeData(
            type, cl.Has("d") ? std::optional<std::string_view>(cl.Value("d")) : std::nullopt,
            separator, error);
        if (!data) {
            console.Error(error);
            return 1;
        }
        reg::Key existing;
        if (reg::OpenKey(key->root, key->subKey, reg::KEY_QUERY_VALUE, existing) ==
                reg::ERROR_SUCCESS &&
            reg::QueryValue(existing, name, nullptr, nullptr) == reg::ERROR_SUCCESS) {
            std::string what = name.empty() ? "The default value" : "The value \"" + name + "\"";
            if (!MayProceed(console, cl.Has("f"), what + " already exists. Overwrite it",
                            "add /f to overwrite it"))
                return 1;
        }
        rc = changes.SetValue(*key, name, type, *data);
    }
    if (rc == reg::ERROR_SUCCESS)
        rc = changes.Commit();
    return rc == reg::ERROR_SUCCESS ? Succeeded(console) : Failed(console, *key, rc);
}

// ---- delete ----

int Delete(std::span<const std::string> args, const Console& console) {
    CommandLine cl("qm6 reg delete", kDeleteUsage, {"ve", "va", "f"}, {"v"});
    if (!cl.Parse(args, 1, console))
        return cl.Result();
    if (int(cl.Has("v")) + int(cl.Has("ve")) + int(cl.Has("va")) > 1)
        return cl.SyntaxError(console, "Use only one of /v, /ve and /va.");
    auto key = KeyArgument(cl.Positional(0), console);
    if (!key)
        return 1;
    bool force = cl.Has("f");
    const std::string howToForce = "add /f to delete without asking";

    if (!cl.Has("v") && !cl.Has("ve") && !cl.Has("va")) {
        if (key->subKey.empty()) {
            console.Error("A root key cannot be deleted.");
            return 1;
        }
        reg::Key k;
        long rc = reg::OpenKey(key->root, key->subKey, 0, k);
        if (rc != reg::ERROR_SUCCESS)
            return Failed(console, *key, rc);
        if (!MayProceed(console, force, "Permanently delete the registry key " + key->Full(),
                        howToForce))
            return 1;
        rc = DeleteKeyTree(*key);
        return rc == reg::ERROR_SUCCESS ? Succeeded(console) : Failed(console, *key, rc);
    }

    reg::Key k;
    long rc = reg::OpenKey(key->root, key->subKey, reg::KEY_READ | reg::KEY_SET_VALUE, k);
    if (rc != reg::ERROR_SUCCESS)
        return Failed(console, *key, rc);
    const std::string name = cl.Has("v") ? cl.Value("v") : std::string();
    std::string question = "Delete all values under the registry key " + key->Full();
    if (!cl.Has("va")) {
        rc = reg::QueryValue(k, name, nullptr, nullptr);
        if (rc != reg::ERROR_SUCCESS)
            return Failed(console, *key, rc);
        question = "Delete the registry value " + ValueLabel(name);
    }
    if (!MayProceed(console, force, question, howToForce))
        return 1;
    Changes changes;
    rc = cl.Has("va") ? changes.DeleteValues(*key) : changes.DeleteValue(*key, name);
    if (rc == reg::ERROR_SUCCESS)
        rc = changes.Commit();
    return rc == reg::ERROR_SUCCESS ? Succeeded(console) : Failed(console, *key, rc);
}

// ---- export ----

// Replaces the file in one step (a temporary file beside it, renamed over
// it), so that a failure leaves the old file as it was.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    size_t written = 0;
    while (ok && written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            written += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    int savedErrno = errno;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        error = std::strerror(errno != 0 ? errno : savedErrno);
        unlink(temp.c_str());
    }
    return ok;
}

int Export(std::span<const std::string> args, const Console& console) {
    CommandLine cl("qm6 reg export", kExportUsage, {"y"}, {});
    if (!cl.Parse(args, 2, console))
        return cl.Result();
    auto key = KeyArgument(cl.Positional(0), console);
    if (!key)
        return 1;
    const std::string& file = cl.Positional(1);

    std::vector<KeyDump> tree;
    if (!Read(console, *key, {.recurse = true}, tree))
        return 1;
    std::vector<RegKeyContent> keys;
    keys.reserve(tree.size());
    for (auto& dump : tree)
        keys.push_back(std::move(dump.content));
    std::vector<std::string> warnings;
    std::string bytes = WriteRegFile(keys, &warnings);
    for (const auto& warning : warnings)
        console.Warning(warning);

    struct stat st {};
    if (stat(file.c_str(), &st) == 0 &&
        !MayProceed(console, cl.Has("y"), "File " + file + " already exists. Overwrite it",
                    "add /y to overwrite it"))
        return 1;
    std::string error;
    if (!WriteWholeFile(file, bytes, error)) {
        console.Error("Cannot write " + file + ": " + error);
        return 1;
    }
    return Succeeded(console);
}

// ---- import ----

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

std::string Describe(const RegEntry& entry) {
    std::string value = entry.name.empty() ? std::string("the default value")
                                           : "value \"" + Abbreviate(entry.name) + "\"";
    switch (entry.kind) {
    case RegEntry::Kind::CreateKey:
        return "Creating key " + entry.key.Full();
    case RegEntry::Kind::DeleteKey:
        return "Deleting key " + entry.key.Full();
    case RegEntry::Kind::SetValue:
        return "Setting " + value + " of " + entry.key.Full();
    case RegEntry::Kind::DeleteValue:
        return "Deleting " + value + " of " + entry.key.Full();
    }
    return {};
}

long Apply(Changes& changes, const RegEntry& entry) {
    switch (entry.kind) {
    case RegEntry::Kind::CreateKey:
        return changes.CreateKey(entry.key);
    case RegEntry::Kind::DeleteKey:
        return changes.DeleteTree(entry.key);
    case RegEntry::Kind::SetValue:
        return changes.SetValue(entry.key, entry.name, entry.type, entry.data);
    case RegEntry::Kind::DeleteValue:
        return changes.DeleteValue(entry.key, entry.name);
    }
    return reg::ERROR_INVALID_PARAMETER;
}

volatile std::sig_atomic_t g_cancelled = 0;

extern "C" void Cancel(int signal) {
    if (g_cancelled) {
        // Asked twice: end at once. Nothing is committed, so the registry
        // stays as it was all the same.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    g_cancelled = 1;
}

// While it lives, Ctrl-C (and a hang-up or a plain kill) ask the import to
// stop between two entries and drop what it did; the commit itself is not
// stopped.
class CancelOnSignals {
public:
    CancelOnSignals() {
        g_cancelled = 0;
        struct sigaction action = {};
        action.sa_handler = Cancel;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &action, &saved_[i]);
    }
    ~CancelOnSignals() {
        for (size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &saved_[i], nullptr);
    }
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

    static bool Cancelled() { return g_cancelled != 0; }

private:
    static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, 3> saved_{};
};

int Import(std::span<const std::string> args, const Console& console) {
    CommandLine cl("qm6 reg import", kImportUsage, {}, {});
    if (!cl.Parse(args, 1, console))
        return cl.Result();
    const std::string& file = cl.Positional(0);

    std::string content;
    std::string error;
    if (!ReadWholeFile(file, content, error)) {
        console.Error("Cannot read " + file + ": " + error);
        return 1;
    }
    auto parsed = ParseRegFile(content);
    if (!parsed.file) {
        console.Error(file + ", line " + std::to_string(parsed.error.line) + ": " +
                      parsed.error.message + " Nothing was imported.");
        return 1;
    }
    const auto& entries = parsed.file->entries;
    for (const auto& entry : entries) {
        if (entry.key.root != entries.front().key.root) {
            console.Error(file + ", line " + std::to_string(entry.line) +
                          ": The file changes keys of both " +
                          std::string(entries.front().key.RootName()) + " and " +
                          std::string(entry.key.RootName()) +
                          "; a file may change one root only. Nothing was imported.");
            return 1;
        }
    }

    // The changes are one transaction of the hive: until it commits, nobody
    // sees them, and a process that ends before (killed, or stopped by
    // Ctrl-C) leaves the registry as it was.
    const uint32_t root = entries.empty() ? reg::HKEY_CURRENT_USER : entries.front().key.root;
    CancelOnSignals signals;
    Changes changes;
    for (const auto& entry : entries) {
        if (CancelOnSignals::Cancelled())
            break;
        long rc = Apply(changes, entry);
        if (rc == reg::ERROR_SUCCESS)
            continue;
        console.Error(file + ", line " + std::to_string(entry.line) + ": " + Describe(entry) +
                      " failed: " + ErrorText(rc) + InHive(root));
        console.err << kNothingImported << "\n";
        return 1;
    }
    if (CancelOnSignals::Cancelled()) {
        console.Error("The import was cancelled.");
        console.err << kNothingImported << "\n";
        return 1;
    }
    if (long rc = changes.Commit(); rc != reg::ERROR_SUCCESS) {
        console.Error("The import could not be committed: " + ErrorText(rc) + InHive(root));
        console.err << kNothingImported << "\n";
        return 1;
    }
    return Succeeded(console);
}

struct Operation {
    std::string_view name;
    int (*run)(std::span<const std::string>, const Console&);
};

constexpr std::array<Operation, 5> kOperations{{
    {"query", Query},
    {"add", Add},
    {"delete", Delete},
    {"export", Export},
    {"import", Import},
}};

} // namespace

int RunReg(std::span<const std::string> args, const Console& console) {
    if (args.empty()) {
        console.Error("Invalid syntax: name an operation.");
        console.err << kUsage;
        return 1;
    }
    if (IsHelpArgument(args[0])) {
        console.out << kUsage;
        return 0;
    }
    for (const auto& op : kOperations) {
        if (EqualsIgnoringCase(args[0], op.name))
            return op.run(args.subspan(1), console);
    }
    console.Error("Unknown operation \"" + args[0] + "\".");
    console.err << kUsage;
    return 1;
}

} // namespace qm6::tool
