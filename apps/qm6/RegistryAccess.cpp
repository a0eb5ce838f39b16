#include "RegistryAccess.h"

#include "Unicode.h"
#include "platform/registry/Registry.h"
#include "registry/clsRegistry.h"

namespace qm6::tool {
namespace {

constexpr uint32_t kAllSecurity = reg::OWNER_SECURITY_INFORMATION |
                                  reg::GROUP_SECURITY_INFORMATION | reg::DACL_SECURITY_INFORMATION;

KeyPath Parent(const KeyPath& key) {
    KeyPath parent = key;
    size_t slash = parent.subKey.rfind('\\');
    parent.subKey.resize(slash == std::string::npos ? 0 : slash);
    return parent;
}

long Open(const KeyPath& key, uint32_t access, reg::Key& out) {
    return reg::OpenKey(key.root, key.subKey, access, out);
}

bool Exists(const KeyPath& key) {
    reg::Key k;
    return Open(key, 0, k) == reg::ERROR_SUCCESS;
}

// The topmost key on the path that does not exist yet: the one to delete to
// take back a creation. nullopt when the key exists.
std::optional<KeyPath> FirstMissing(const KeyPath& key) {
    std::optional<KeyPath> missing;
    for (KeyPath p = key; !p.subKey.empty() && !Exists(p); p = Parent(p))
        missing = p;
    return missing;
}

// Deletes a key with its subtree, naming it from its root as the Windows
// tool does with RegDeleteTree.
long DeleteTreeAt(const KeyPath& key) {
    reg::Key root;
    long rc = reg::OpenKey(key.root, "", 0, root);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    return reg::DeleteTree(root, key.subKey);
}

long ReadOne(const KeyPath& key, bool withSecurity, KeyDump& dump) {
    reg::Key k;
    long rc = Open(key, reg::KEY_READ, k);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    dump.content.key = key;
    for (uint32_t i = 0;; ++i) {
        RegValue value;
        rc = reg::EnumValue(k, i, value.name, &value.type, &value.data);
        if (rc == reg::ERROR_NO_MORE_ITEMS)
            break;
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        dump.content.values.push_back(std::move(value));
    }
    for (uint32_t i = 0;; ++i) {
        std::string name;
        rc = reg::EnumKey(k, i, name);
        if (rc == reg::ERROR_NO_MORE_ITEMS)
            break;
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        dump.subKeys.push_back(std::move(name));
    }
    if (withSecurity) {
        reg::SecurityDescriptor sd;
        rc = reg::GetKeySecurity(k, kAllSecurity, sd);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        dump.sddl = sd.ToSddl();
    }
    return reg::ERROR_SUCCESS;
}

// Writes a value through a freshly opened handle (the undo steps run long
// after the handles of the change are gone).
long PutValue(const KeyPath& key, const std::string& name, uint32_t type,
              const std::vector<uint8_t>& data) {
    reg::Key k;
    long rc = Open(key, reg::KEY_SET_VALUE, k);
    return rc != reg::ERROR_SUCCESS ? rc : reg::SetValue(k, name, type, data);
}

long RemoveValue(const KeyPath& key, const std::string& name) {
    reg::Key k;
    long rc = Open(key, reg::KEY_SET_VALUE, k);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::DeleteValue(k, name);
    return rc == reg::ERROR_FILE_NOT_FOUND ? long(reg::ERROR_SUCCESS) : rc;
}

// Puts a deleted subtree back: keys and values first, then each key's
// descriptor where the re-created key's differs (children before parents,
// so that a parent's descriptor cannot stand in the way).
long Restore(const std::vector<KeyDump>& tree) {
    for (const auto& dump : tree) {
        reg::Key k;
        long rc = reg::CreateKey(dump.content.key.root, dump.content.key.subKey, reg::KEY_SET_VALUE,
                                 nullptr, k);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        for (const auto& value : dump.content.values) {
            if ((rc = reg::SetValue(k, value.name, value.type, value.data)) != reg::ERROR_SUCCESS)
                return rc;
        }
    }
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        auto saved = reg::SecurityDescriptor::FromSddl(it->sddl);
        if (!saved)
            continue;
        reg::Key k;
        reg::SecurityDescriptor now;
        long rc = Open(it->content.key, reg::READ_CONTROL, k);
        if (rc == reg::ERROR_SUCCESS)
            rc = reg::GetKeySecurity(k, kAllSecurity, now);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        uint32_t information = 0;
        uint32_t access = 0;
        if (now.owner != saved->owner || now.group != saved->group) {
            information |= reg::OWNER_SECURITY_INFORMATION | reg::GROUP_SECURITY_INFORMATION;
            access |= reg::WRITE_OWNER;
        }
        if (now.daclPresent != saved->daclPresent || now.dacl != saved->dacl) {
            information |= reg::DACL_SECURITY_INFORMATION;
            access |= reg::WRITE_DAC;
        }
        if (information == 0)
            continue;
        if ((rc = Open(it->content.key, access, k)) != reg::ERROR_SUCCESS)
            return rc;
        if ((rc = reg::SetKeySecurity(k, information, *saved)) != reg::ERROR_SUCCESS)
            return rc;
    }
    return reg::ERROR_SUCCESS;
}

std::string ValueWhere(const KeyPath& key, const std::string& name) {
    return (name.empty() ? std::string("the default value")
                         : "value \"" + Abbreviate(name) + "\"") +
           " of " + key.Full();
}

} // namespace

long DeleteKeyTree(const KeyPath& key) {
    return DeleteTreeAt(key);
}

std::string ErrorText(long code) {
    std::string text = clsRegistry::FormatErrorText(code);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

long ReadTree(const KeyPath& key, bool recurse, bool withSecurity, std::vector<KeyDump>& out,
              KeyPath* failedKey) {
    KeyDump dump;
    long rc = ReadOne(key, withSecurity, dump);
    if (rc != reg::ERROR_SUCCESS) {
        if (failedKey != nullptr)
            *failedKey = key;
        return rc;
    }
    std::vector<std::string> subKeys = dump.subKeys;
    out.push_back(std::move(dump));
    if (!recurse)
        return reg::ERROR_SUCCESS;
    for (const auto& name : subKeys) {
        rc = ReadTree(key.Child(name), true, withSecurity, out, failedKey);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
    }
    return reg::ERROR_SUCCESS;
}

long Journal::CreateKey(const KeyPath& key) {
    std::optional<KeyPath> made = FirstMissing(key);
    reg::Key k;
    long rc = reg::CreateKey(key.root, key.subKey, 0, nullptr, k);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    if (made)
        undo_.push_back(
            {"the creation of key " + made->Full(), [made] { return DeleteTreeAt(*made); }});
    return reg::ERROR_SUCCESS;
}

long Journal::SetValue(const KeyPath& key, const std::string& name, uint32_t type,
                       std::span<const uint8_t> data) {
    std::optional<KeyPath> made = FirstMissing(key);
    reg::Key k;
    long rc =
        reg::CreateKey(key.root, key.subKey, reg::KEY_QUERY_VALUE | reg::KEY_SET_VALUE, nullptr, k);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    if (made) {
        // Deleting the new keys takes the value with them.
        undo_.push_back(
            {"the creation of key " + made->Full(), [made] { return DeleteTreeAt(*made); }});
        return reg::SetValue(k, name, type, data);
    }
    uint32_t oldType = 0;
    std::vector<uint8_t> oldData;
    long existed = reg::QueryValue(k, name, &oldType, &oldData);
    if (existed != reg::ERROR_SUCCESS && existed != reg::ERROR_FILE_NOT_FOUND)
        return existed;
    if ((rc = reg::SetValue(k, name, type, data)) != reg::ERROR_SUCCESS)
        return rc;
    std::string what = "the change of " + ValueWhere(key, name);
    if (existed == reg::ERROR_SUCCESS)
        undo_.push_back({what, [=] { return PutValue(key, name, oldType, oldData); }});
    else
        undo_.push_back({what, [=] { return RemoveValue(key, name); }});
    return reg::ERROR_SUCCESS;
}

long Journal::DeleteValue(const KeyPath& key, const std::string& name) {
    reg::Key k;
    long rc = Open(key, reg::KEY_QUERY_VALUE | reg::KEY_SET_VALUE, k);
    if (rc == reg::ERROR_FILE_NOT_FOUND)
        return reg::ERROR_SUCCESS;
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    uint32_t oldType = 0;
    std::vector<uint8_t> oldData;
    rc = reg::QueryValue(k, name, &oldType, &oldData);
    if (rc == reg::ERROR_FILE_NOT_FOUND)
        return reg::ERROR_SUCCESS;
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    if ((rc = reg::DeleteValue(k, name)) != reg::ERROR_SUCCESS)
        return rc;
    undo_.push_back({"the deletion of " + ValueWhere(key, name),
                     [=] { return PutValue(key, name, oldType, oldData); }});
    return reg::ERROR_SUCCESS;
}

long Journal::DeleteTree(const KeyPath& key) {
    if (key.subKey.empty())
        return reg::ERROR_ACCESS_DENIED;
    std::vector<KeyDump> tree;
    KeyPath failed;
    long rc = ReadTree(key, true, true, tree, &failed);
    if (rc == reg::ERROR_FILE_NOT_FOUND && failed == key)
        return reg::ERROR_SUCCESS;
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    rc = DeleteTreeAt(key);
    if (rc == reg::ERROR_FILE_NOT_FOUND)
        return reg::ERROR_SUCCESS;
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    undo_.push_back(
        {"the deletion of key " + key.Full(), [tree = std::move(tree)] { return Restore(tree); }});
    return reg::ERROR_SUCCESS;
}

bool Journal::Undo(std::vector<std::string>& failures) {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
        long rc = it->undo();
        if (rc != reg::ERROR_SUCCESS)
            failures.push_back("Could not undo " + it->what + ": " + ErrorText(rc));
    }
    undo_.clear();
    return failures.empty();
}

} // namespace qm6::tool
