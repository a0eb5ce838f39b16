#pragma once

// Win32-shaped registry functions: the few that the registry key object and
// the administrator's tool call. Each answers a Win32 error code
// (ERROR_SUCCESS on success) and keeps the codes and behaviours of the
// platform's functions; they take C++ types instead of raw buffers.
//
// On Linux each root is a hive in SQLite (see Hive.h); a Windows build can
// implement the same functions over advapi32.

#include "platform/registry/Security.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::reg {

namespace detail {
struct HeldTransaction;
}

// Win32 error codes the registry functions answer.
enum : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_OUTOFMEMORY = 14,
    ERROR_NOT_SUPPORTED = 50,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_BAD_PATHNAME = 161,
    ERROR_BUSY = 170,
    ERROR_MORE_DATA = 234,
    ERROR_NO_MORE_ITEMS = 259,
    ERROR_NO_TOKEN = 1008,
    ERROR_BADDB = 1009,
    ERROR_BADKEY = 1010,
    ERROR_CANTOPEN = 1011,
    ERROR_CANTREAD = 1012,
    ERROR_CANTWRITE = 1013,
    ERROR_REGISTRY_IO_FAILED = 1016,
    ERROR_KEY_DELETED = 1018,
    ERROR_INVALID_SECURITY_DESCR = 1338,
    ERROR_BAD_IMPERSONATION_LEVEL = 1346,
    ERROR_TRANSACTION_NOT_ACTIVE = 6701,
};

// Predefined root keys, as the 32-bit handle values the platform uses.
enum : uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000u,
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
    HKEY_USERS = 0x80000003u,
};

// Value types.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_RESOURCE_LIST = 8,
    REG_FULL_RESOURCE_DESCRIPTOR = 9,
    REG_RESOURCE_REQUIREMENTS_LIST = 10,
    REG_QWORD = 11,
};

// Access rights.
enum : uint32_t {
    KEY_QUERY_VALUE = 0x0001,
    KEY_SET_VALUE = 0x0002,
    KEY_CREATE_SUB_KEY = 0x0004,
    KEY_ENUMERATE_SUB_KEYS = 0x0008,
    KEY_NOTIFY = 0x0010,
    KEY_CREATE_LINK = 0x0020,
    DELETE_ACCESS = 0x00010000,
    READ_CONTROL = 0x00020000,
    WRITE_DAC = 0x00040000,
    WRITE_OWNER = 0x00080000,
    KEY_READ = 0x00020019,
    KEY_WRITE = 0x00020006,
    KEY_EXECUTE = 0x00020019,
    KEY_ALL_ACCESS = 0x000F003F,
    MAXIMUM_ALLOWED = 0x02000000,
    GENERIC_ALL = 0x10000000,
    GENERIC_EXECUTE = 0x20000000,
    GENERIC_WRITE = 0x40000000,
    GENERIC_READ = 0x80000000u,
};

// Security information flags for GetKeySecurity / SetKeySecurity.
enum : uint32_t {
    OWNER_SECURITY_INFORMATION = 0x1,
    GROUP_SECURITY_INFORMATION = 0x2,
    DACL_SECURITY_INFORMATION = 0x4,
};

// An open key. Move-only; closes itself when it goes (RegCloseKey).
class Key {
public:
    Key();
    ~Key();
    Key(Key&&) noexcept;
    Key& operator=(Key&&) noexcept;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool IsOpen() const;
    void Close();

    struct Impl;
    Impl* impl() const { return impl_.get(); }
    explicit Key(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

// A registry transaction, as CreateTransaction gives it to the transacted
// registry functions: keys opened or created in it (and keys opened below
// those) do all their work in it, unseen by others until it commits, and
// none of it remains when it does not, also when the process ends first.
// Here a transaction spans one hive, chosen by the first key opened in it,
// and holds that hive's write lock from its first call to its end, so other
// writers wait meanwhile. One thread at a time may use it. It rolls back
// when it goes without having been committed. Move-only.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(Transaction&&) noexcept;
    Transaction& operator=(Transaction&&) noexcept;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    const std::shared_ptr<detail::HeldTransaction>& State() const { return state_; }
    explicit Transaction(std::shared_ptr<detail::HeldTransaction> state);

private:
    std::shared_ptr<detail::HeldTransaction> state_;
};

// A security-attributes record as RegCreateKeyEx takes it.
struct SecurityAttributes {
    const SecurityDescriptor* descriptor = nullptr;
    bool inheritHandle = false;
};

struct KeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;    // characters of the longest subkey name
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0; // characters of the longest value name
    uint32_t maxValueLen = 0;     // bytes of the largest value's data
};

// RegOpenKeyEx: opens root\path with the access asked for. An empty path opens
// the root itself. Paths are separated by backslashes; names compare as the
// platform compares them, each UTF-16 unit by its simple uppercase ("Ä" and
// "ä" are one name, "Straße" and "STRASSE" two). Answers ERROR_FILE_NOT_FOUND
// for a missing key, ERROR_ACCESS_DENIED when the key's descriptor or the
// hive does not grant the access, ERROR_INVALID_HANDLE for a root other than
// HKCU and HKLM.
long OpenKey(uint32_t root, std::string_view path, uint32_t access, Key& result);
long OpenKey(const Key& parent, std::string_view path, uint32_t access, Key& result);

// RegCreateKeyEx: creates every missing key on the path (each new key takes the
// given descriptor, or a copy of its parent's when none is given) and opens the
// last one. `created` tells whether the last key was new.
long CreateKey(uint32_t root, std::string_view path, uint32_t access,
               const SecurityAttributes* attributes, Key& result, bool* created = nullptr);

// CreateTransaction, CommitTransaction, RollbackTransaction. A transaction
// that is over answers ERROR_TRANSACTION_NOT_ACTIVE to every call made in
// it, as do its keys.
long CreateTransaction(Transaction& result);
long CommitTransaction(Transaction& transaction);
long RollbackTransaction(Transaction& transaction);

// RegOpenKeyTransacted / RegCreateKeyTransacted: OpenKey and CreateKey in a
// transaction. A key of another hive than the transaction's is refused with
// ERROR_NOT_SUPPORTED.
long OpenKeyTransacted(uint32_t root, std::string_view path, uint32_t access, Key& result,
                       Transaction& transaction);
long CreateKeyTransacted(uint32_t root, std::string_view path, uint32_t access,
                         const SecurityAttributes* attributes, Key& result,
                         Transaction& transaction, bool* created = nullptr);

// RegQueryValueEx: the type and the data of a value exactly as stored. An empty
// name is the key's default value.
long QueryValue(const Key& key, std::string_view name, uint32_t* type, std::vector<uint8_t>* data);

// RegSetValueEx: stores the bytes as they are, with any type code.
long SetValue(const Key& key, std::string_view name, uint32_t type, std::span<const uint8_t> data);

// RegDeleteValue.
long DeleteValue(const Key& key, std::string_view name);

// RegDeleteKey: deletes a subkey that has no subkeys of its own
// (ERROR_ACCESS_DENIED otherwise, as the platform answers).
long DeleteKey(const Key& parent, std::string_view subKey);

// SHDeleteKey: deletes the subkey with all its subkeys and values. An empty
// subkey path deletes the opened key itself.
long DeleteTree(const Key& key, std::string_view subKey);

// RegQueryInfoKey.
long QueryInfoKey(const Key& key, KeyInfo& info);

// RegEnumValue / RegEnumKeyEx: the name at an index; ERROR_NO_MORE_ITEMS past
// the end. Values come in the order they were created, subkeys in the order of
// their names as they compare. Asking for the indexes in turn costs one pass
// over the key in all: each call goes on from the one before.
long EnumValue(const Key& key, uint32_t index, std::string& name, uint32_t* type = nullptr,
               std::vector<uint8_t>* data = nullptr);
long EnumKey(const Key& key, uint32_t index, std::string& name);

// RegGetKeySecurity / RegSetKeySecurity. The key must be opened with
// READ_CONTROL (for get) or WRITE_DAC (for set). The descriptor read back
// reflects the hive: in a hive whose file may not be written it carries a
// leading deny entry of the write rights for everyone.
long GetKeySecurity(const Key& key, uint32_t information, SecurityDescriptor& descriptor);
long SetKeySecurity(const Key& key, uint32_t information, const SecurityDescriptor& descriptor);

// The English system message text of a Win32 error code, as FormatMessage
// with FORMAT_MESSAGE_FROM_SYSTEM answers it (ending in "\r\n"); empty when
// the system has no text for the code.
std::string FormatSystemMessage(long code);

// ExpandEnvironmentStrings: replaces every %NAME% whose variable is set by its
// value (names compare without regard to case); other text stays as it is.
std::string ExpandEnvironmentStrings(std::string_view text);

// Closes this thread's cached hive connections (tests use it between hives).
void CloseThreadConnections();

// The file that holds the hive of a root, as the environment names it now,
// for messages that tell an administrator which file a failure concerns;
// empty for a root without a hive.
std::string HiveFile(uint32_t root);

} // namespace qm6::reg
