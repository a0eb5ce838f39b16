#pragma once

// The registry work behind the reg commands, over the registry functions:
// reading a key with everything below it, and changing keys and values with a
// journal that can put back what an interrupted series of changes did.

#include "KeyPath.h"
#include "RegFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm6::tool {

// The system's message for a Win32 error code, on one line.
std::string ErrorText(long code);

// A key as read: its values in their order, its subkeys' names, and (when
// asked for) its security descriptor as SDDL.
struct KeyDump {
    RegKeyContent content;
    std::vector<std::string> subKeys;
    std::string sddl;
};

// Reads `key` and, with `recurse`, every key below it, parents before their
// subkeys and subkeys in the registry's order. On failure `failedKey` names
// the key that could not be read.
long ReadTree(const KeyPath& key, bool recurse, bool withSecurity, std::vector<KeyDump>& out,
              KeyPath* failedKey = nullptr);

// Deletes a key with everything below it, in one call of the registry.
long DeleteKeyTree(const KeyPath& key);

// Changes to the registry, each recorded with what is needed to undo it.
// The registry functions commit each call on its own; the journal gives a
// series of calls all-or-nothing behaviour as far as it can: after a failure,
// Undo() puts back the earlier changes, newest first. It cannot help when the
// process dies in between, when another writer changes the same keys
// meanwhile, or when an undo step itself fails (Undo() then reports it).
class Journal {
public:
    // The key exists afterwards (created with its missing parents if need be).
    long CreateKey(const KeyPath& key);
    // Creates the key if need be and sets the value.
    long SetValue(const KeyPath& key, const std::string& name, uint32_t type,
                  std::span<const uint8_t> data);
    // Deletes a value; a missing value or key is no failure.
    long DeleteValue(const KeyPath& key, const std::string& name);
    // Deletes the key with everything below it; a missing key is no failure.
    long DeleteTree(const KeyPath& key);

    // Undoes every recorded change, newest first, and forgets them. Answers
    // true when all were undone; otherwise `failures` says what was not.
    bool Undo(std::vector<std::string>& failures);
    // Forgets the recorded changes: they stay.
    void Commit() { undo_.clear(); }

private:
    struct Step {
        std::string what;
        std::function<long()> undo;
    };
    std::vector<Step> undo_;
};

} // namespace qm6::tool
