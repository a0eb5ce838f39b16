#include "RegistryAccess.h"

#include "Unicode.h"
#include "registry/clsRegistry.h"

namespace qm6::tool {
namespace {

constexpr uint32_t kAllSecurity = reg::OWNER_SECURITY_INFORMATION |
                                  reg::GROUP_SECURITY_INFORMATION | reg::DACL_SECURITY_INFORMATION;

long ReadOne(const KeyPath& key, ReadWhat what, KeyDump& dump) {
    reg::Key k;
    long rc = reg::OpenKey(key.root, key.subKey, reg::KEY_READ, k);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    dump.content.key = key;
    for (uint32_t i = 0; what.values; ++i) {
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
    if (what.security) {
        reg::SecurityDescriptor sd;
        rc = reg::GetKeySecurity(k, kAllSecurity, sd);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        dump.sddl = sd.ToSddl();
    }
    return reg::ERROR_SUCCESS;
}

} // namespace

std::string ErrorText(long code) {
    std::string text = clsRegistry::FormatErrorText(code);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string InHive(uint32_t root) {
    const std::string file = reg::HiveFile(root);
    return file.empty() ? std::string() : " (hive file " + file + ")";
}

std::optional<KeyPath> KeyArgument(const std::string& text, const Console& console) {
    std::string_view arg = text;
    if (arg.size() > 1 && arg.back() == '\\')
        arg.remove_suffix(1);
    if (!IsValidUtf8(arg)) {
        console.Error("The key name is not valid UTF-8 text.");
        return std::nullopt;
    }
    std::string error;
    auto key = ParseKeyPath(arg, error);
    if (!key)
        console.Error(error);
    return key;
}

long DeleteKeyTree(const KeyPath& key) {
    reg::Key root;
    long rc = reg::OpenKey(key.root, "", 0, root);
    if (rc != reg::ERROR_SUCCESS)
        return rc;
    return reg::DeleteTree(root, key.subKey);
}

long ReadTree(const KeyPath& key, ReadWhat what, std::vector<KeyDump>& out, KeyPath* failedKey) {
    KeyDump dump;
    long rc = ReadOne(key, what, dump);
    if (rc != reg::ERROR_SUCCESS) {
        if (failedKey != nullptr)
            *failedKey = key;
        return rc;
    }
    std::vector<std::string> subKeys = dump.subKeys;
    out.push_back(std::move(dump));
    if (!what.recurse)
        return reg::ERROR_SUCCESS;
    for (const auto& name : subKeys) {
        rc = ReadTree(key.Child(name), what, out, failedKey);
        if (rc != reg::ERROR_SUCCESS)
            return rc;
    }
    return reg::ERROR_SUCCESS;
}

reg::Transaction& Changes::Transaction() {
    if (!started_) {
        reg::CreateTransaction(transaction_);
        started_ = true;
    }
    return transaction_;
}

long Changes::ValueKey(const KeyPath& key, bool create, reg::Key*& out) {
    if (!openPath_ || !(*openPath_ == key) || !openKey_.IsOpen()) {
        openPath_.reset();
        const uint32_t access = reg::KEY_QUERY_VALUE | reg::KEY_SET_VALUE;
        long rc =
            create ? reg::CreateKeyTransacted(key.root, key.subKey, access, nullptr, openKey_,
                                              Transaction())
                   : reg::OpenKeyTransacted(key.root, key.subKey, access, openKey_, Transaction());
        if (rc != reg::ERROR_SUCCESS)
            return rc;
        openPath_ = key;
    }
    out = &openKey_;
    return reg::ERROR_SUCCESS;
}

long Changes::CreateKey(const KeyPath& key) {
    reg::Key k;
    return reg::CreateKeyTransacted(key.root, key.subKey, 0, nullptr, k, Transaction());
}

long Changes::SetValue(const KeyPath& key, const std::string& name, uint32_t type,
                       std::span<const uint8_t> data) {
    reg::Key* k = nullptr;
    long rc = ValueKey(key, true, k);
    return rc != reg::ERROR_SUCCESS ? rc : reg::SetValue(*k, name, type, data);
}

long Changes::DeleteValue(const KeyPath& key, const std::string& name) {
    reg::Key* k = nullptr;
    long rc = ValueKey(key, false, k);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::DeleteValue(*k, name);
    return rc == reg::ERROR_FILE_NOT_FOUND ? long(reg::ERROR_SUCCESS) : rc;
}

long Changes::DeleteValues(const KeyPath& key) {
    reg::Key* k = nullptr;
    long rc = ValueKey(key, false, k);
    std::vector<std::string> names;
    for (uint32_t i = 0; rc == reg::ERROR_SUCCESS; ++i) {
        std::string name;
        rc = reg::EnumValue(*k, i, name);
        if (rc == reg::ERROR_SUCCESS)
            names.push_back(std::move(name));
    }
    if (rc != reg::ERROR_NO_MORE_ITEMS)
        return rc;
    for (const auto& name : names) {
        if ((rc = reg::DeleteValue(*k, name)) != reg::ERROR_SUCCESS)
            return rc;
    }
    return reg::ERROR_SUCCESS;
}

long Changes::DeleteTree(const KeyPath& key) {
    if (key.subKey.empty())
        return reg::ERROR_ACCESS_DENIED;
    openPath_.reset(); // the kept key may be in the tree
    openKey_.Close();
    reg::Key root;
    long rc = reg::OpenKeyTransacted(key.root, "", 0, root, Transaction());
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::DeleteTree(root, key.subKey);
    return rc == reg::ERROR_FILE_NOT_FOUND ? long(reg::ERROR_SUCCESS) : rc;
}

long Changes::Commit() {
    openKey_.Close();
    return started_ ? reg::CommitTransaction(transaction_) : long(reg::ERROR_SUCCESS);
}

} // namespace qm6::tool
