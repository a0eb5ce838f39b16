// System message texts and environment expansion.

#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

extern char** environ;

namespace qm6::reg {

namespace {

struct Message {
    long code;
    const char* text;
};

// The English texts of the system's message table for the codes the
// registry functions answer, the codes an SQLite failure can pass through
// (SQLite's primary result codes 1 to 28) and a few a caller may pass on.
constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {7, "The storage control blocks were destroyed."},
    {8, "Not enough memory resources are available to process this command."},
    {9, "The storage control block address is invalid."},
    {10, "The environment is incorrect."},
    {11, "An attempt was made to load a program with an incorrect format."},
    {12, "The access code is invalid."},
    {13, "The data is invalid."},
    {14, "Not enough storage is available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {16, "The directory cannot be removed."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {20, "The system cannot find the device specified."},
    {21, "The device is not ready."},
    {22, "The device does not recognize the command."},
    {23, "Data error (cyclic redundancy check)."},
    {24, "The program issued a command but the command length is incorrect."},
    {25, "The drive cannot locate a specific area or track on the disk."},
    {26, "The specified disk or diskette cannot be accessed."},
    {27, "The drive cannot find the sector requested."},
    {28, "The printer is out of paper."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of the "
         "file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {82, "The directory or file cannot be created."},
    {87, "The parameter is incorrect."},
    {110, "The system cannot open the device or file specified."},
    {111, "The file name is too long."},
    {112, "There is not enough space on the disk."},
    {120, "This function is not supported on this system."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {161, "The specified path is invalid."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {1008, "An attempt was made to reference a token that does not exist."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1014, "One of the files in the registry database had to be recovered by use of a log or "
           "alternate copy. The recovery was successful."},
    {1015, "The registry is corrupted. The structure of one of the files containing registry data "
           "is corrupted, or the system's memory image of the file is corrupted, or the file could "
           "not be recovered because the alternate copy or log was absent or corrupted."},
    {1016,
     "An I/O operation initiated by the registry failed unrecoverably. The registry could not "
     "read in, or write out, or flush, one of the files that contain the system's image of "
     "the registry."},
    {1017,
     "The system has attempted to load or restore a file into the registry, but the specified "
     "file is not in a registry file format."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1019, "System could not allocate the required space in a registry log."},
    {1020, "Cannot create a symbolic link in a registry key that already has subkeys or values."},
    {1021, "Cannot create a stable subkey under a volatile parent key."},
    {1332, "No mapping between account names and security IDs was done."},
    {1336, "The access control list (ACL) structure is invalid."},
    {1337, "The security ID structure is invalid."},
    {1338, "The security descriptor structure is invalid."},
    {1346, "Either a required impersonation level was not provided, or the provided impersonation "
           "level is invalid."},
    {6701, "The requested operation was made in the context of a transaction that is no longer "
           "active."},
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The value of an environment variable, its name compared without regard to
// case; an exact match wins over one that differs in case.
std::optional<std::string> Lookup(std::string_view name) {
    if (name.empty() || name.find('=') != std::string_view::npos)
        return std::nullopt;
    if (const char* exact = std::getenv(std::string(name).c_str()))
        return std::string(exact);
    for (char** env = environ; env && *env; ++env) {
        std::string_view entry(*env);
        size_t eq = entry.find('=');
        if (eq != std::string_view::npos && EqualsNoCase(entry.substr(0, eq), name))
            return std::string(entry.substr(eq + 1));
    }
    return std::nullopt;
}

} // namespace

std::string FormatSystemMessage(long code) {
    for (const Message& m : kMessages)
        if (m.code == code)
            return std::string(m.text) + "\r\n";
    return {};
}

std::string ExpandEnvironmentStrings(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, open - pos));
        size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(open));
            break;
        }
        if (auto value = Lookup(text.substr(open + 1, close - open - 1))) {
            out += *value;
            pos = close + 1;
        } else {
            // Not a variable: keep the text, and let the closing percent sign
            // open the next reference, as the platform does.
            out.append(text.substr(open, close - open));
            pos = close;
        }
    }
    return out;
}

} // namespace qm6::reg
