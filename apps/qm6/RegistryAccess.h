#pragma once

// The registry work behind the reg and sec commands, over the registry
// functions: key arguments, messages that name the hive file, reading a key
// with everything below it, and changes made in one registry transaction.

#include "Console.h"
#include "KeyPath.h"
#include "RegFile.h"
#include "platform/registry/Registry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm6::tool {

// The system's message for a Win32 error code, on one line.
std::string ErrorText(long code);

// " (hive file PATH)", to follow the message of a registry failure, so that
// an administrator sees which file it concerns.
std::string InHive(uint32_t root);

// A key as the user gave it; one trailing backslash is allowed, as the
// Windows tool allows it. Reports what is wrong and answers nullopt when the
// text names no key.
std::optional<KeyPath> KeyArgument(const std::string& text, const Console& console);

// A key as read: its values in their order (when asked for), its subkeys'
// names, and (when asked for) its security descriptor as SDDL.
struct KeyDump {
    RegKeyContent content;
    std::vector<std::string> subKeys;
    std::string sddl;
};

// What ReadTree reads of each key besides its subkeys' names.
struct ReadWhat {
    bool recurse = false;
    bool values = true;
    bool security = false;
};

// Reads `key` and, with `recurse`, every key below it, parents before their
// subkeys and subkeys in the registry's order. On failure `failedKey` names
// the key that could not be read.
long ReadTree(const KeyPath& key, ReadWhat what, std::vector<KeyDump>& out,
              KeyPath* failedKey = nullptr);

// Deletes a key with everything below it, in one call of the registry.
long DeleteKeyTree(const KeyPath& key);

// Changes to the keys of one root, made in one registry transaction: none of
// them is seen by others before Commit, and none remains when Commit is not
// reached, also when the process is killed before it.
class Changes {
public:
    // The key exists afterwards (created with its missing parents if need be).
    long CreateKey(const KeyPath& key);
    // Creates the key if need be and sets the value.
    long SetValue(const KeyPath& key, const std::string& name, uint32_t type,
                  std::span<const uint8_t> data);
    // Deletes a value; a missing value or key is no failure.
    long DeleteValue(const KeyPath& key, const std::string& name);
    // Deletes every value of a key.
    long DeleteValues(const KeyPath& key);
    // Deletes the key with everything below it; a missing key is no failure.
    long DeleteTree(const KeyPath& key);

    // Makes every change seen at once. Without it they are all dropped.
    long Commit();

private:
    reg::Transaction& Transaction();
    // The key the value changes go to, kept open from one change to the next.
    long ValueKey(const KeyPath& key, bool create, reg::Key*& out);

    reg::Transaction transaction_;
    bool started_ = false;
    std::optional<KeyPath> openPath_;
    reg::Key openKey_;
};

} // namespace qm6::tool
