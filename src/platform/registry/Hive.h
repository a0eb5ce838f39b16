#pragma once

// A registry hive on Linux: one SQLite database per root, kept open per thread.
//
// Layout of a hive file (PRAGMA application_id = kHiveApplicationId,
// PRAGMA user_version = kHiveSchemaVersion):
//
//   keys(id, parent, name, folded, sddl, last_write)
//       id 1 is the root (parent NULL); name as the creator spelled it,
//       folded = its Unicode case folding, unique per parent; sddl = the
//       key's security descriptor; last_write = FILETIME of the last change.
//   vals(key, name, folded, seq, type, data)
//       one row per value; seq = creation order within the key, kept when a
//       value is overwritten; data = the bytes exactly as stored.
//   hive(uid)
//       one row: a random identity, so that a handle can tell its hive from
//       a new file made at the same place.
//
// A hive is only ever created whole: it is built in a private file beside
// the target and then linked (or renamed over an empty file) into place, so
// no process sees a half-made hive, and a file that is not ours is never
// written to.

#include "platform/registry/Security.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace qm6::reg::detail {

inline constexpr int32_t kHiveApplicationId = 0x516D3652; // "Qm6R"
inline constexpr int32_t kHiveSchemaVersion = 1;
inline constexpr int64_t kRootKeyId = 1;

// The rights a read-only hive takes away from everyone, and the deny entry
// that shows it in a key's descriptor.
inline constexpr uint32_t kWriteRights =
    0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

// The access mapping of registry keys.
GenericMapping KeyMapping();

// The identity of the calling process (effective user and groups).
Token ProcessToken();

// A mask with its generic rights replaced through the mapping.
uint32_t MapGenericRights(uint32_t mask, const GenericMapping& mapping);

// AccessCheck for a descriptor already known to be valid (the check of
// validity walks every SID, and a cached descriptor needs it only once).
void AccessCheckValid(const SecurityDescriptor& sd, const Token& token, uint32_t desired,
                      const GenericMapping& mapping, uint32_t& granted, bool& status);

// The current time as a FILETIME (100 ns steps since 1601).
int64_t FileTimeNow();

enum class HiveRoot { CurrentUser, LocalMachine };

// The file of a root's hive, from the environment as it is now.
std::string HivePath(HiveRoot root);

// The Win32 code of an SQLite result code.
long MapSqliteError(int rc);

// Case folding of a name; false for text that is not valid UTF-8 or holds a
// NUL. `units` receives the length of the name in UTF-16 code units.
bool FoldName(std::string_view name, std::string& folded, size_t* units = nullptr);

// Length of valid UTF-8 text in UTF-16 code units.
size_t Utf16Length(std::string_view text);

// The identity of the calling process, kept per thread and made again only
// when the effective user or group changes (see Hive.cpp for the groups).
const Token& CurrentToken();

// A key as a transaction saw it: its stored descriptor, and the descriptor it
// shows (parsed once, for a writable and for a read-only hive).
struct KeyEntry {
    int64_t id = 0;
    std::string sddl;
    const SecurityDescriptor& Shown(bool readOnly);
    // Whether the shown descriptor is valid (checked once).
    bool ShownValid(bool readOnly);

private:
    std::unique_ptr<SecurityDescriptor> shown_[2];
    signed char valid_[2] = {-1, -1};
};

// How Hive::Run wraps its work.
enum class Txn {
    Read,   // BEGIN ... COMMIT; the key cache may be used
    Write,  // BEGIN IMMEDIATE ... COMMIT; the key cache may be used
    Single, // no transaction: the work runs one statement, which is atomic by
            // itself; the key cache may not be used
};

// The process's own descriptor on one hive file (one device and inode),
// shared by every connection of the process to that file.
//
// On Linux, closing any descriptor of a file drops every POSIX lock the
// process holds on that file, the locks of SQLite's connections on other
// threads included (SQLite guards only against its own descriptors). A
// dropped lock lets another process think it is the hive's last user and
// delete its write-ahead log, or change the hive under a running
// transaction. So whatever this code reads or checks on a hive file goes
// through this one descriptor, and it is closed only when no connection of
// the process uses the file any more.
class HiveFile {
public:
    HiveFile() = default;
    ~HiveFile() { Release(); }
    HiveFile(HiveFile&& other) noexcept : entry_(other.entry_) { other.entry_ = nullptr; }
    HiveFile& operator=(HiveFile&& other) noexcept;
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    // Takes a share in the kept descriptor of the file `path` names now;
    // `st` receives its status. Answers 0 or an errno. For anything but a
    // regular file it answers 0 with `st` filled and `out` left empty.
    static int Acquire(const std::string& path, HiveFile& out, struct stat& st);

    explicit operator bool() const { return entry_ != nullptr; }
    int Fd() const;
    dev_t Dev() const;
    ino_t Ino() const;

    // Gives up the share; the descriptor is closed with the last one.
    void Release();
    // Gives up the share but keeps the descriptor open for the life of the
    // process: for a connection SQLite could not close, which may still
    // hold locks on the file.
    void Leak();

    // The kept descriptor and its users (private to Hive.cpp).
    struct Entry;

private:
    Entry* entry_ = nullptr;
};

// How a call names its hive: by its path (a call on a root key), or through
// a handle opened in it before.
enum class Via { Path, Handle };

class Hive;

// A prepared statement from the hive's cache, reset when it goes.
class Statement {
public:
    Statement(Hive& hive, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::span<const uint8_t> data);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();

    sqlite3_stmt* Handle() const { return stmt_; }
    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
    int prepareRc_ = SQLITE_OK;
};

// One connection to one hive file, owned by the thread that opened it.
class Hive {
public:
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    sqlite3* Db() const { return db_; }
    const std::string& Path() const { return path_; }
    const std::string& Uid() const { return uid_; }
    // The file's mode bits forbid writing (checked at the start of each
    // transaction).
    bool ReadOnly() const { return readOnly_; }

    // Records an SQLite failure and answers its Win32 code. A busy or locked
    // database marks the transaction for another try.
    long Fail(int rc);
    bool Busy() const { return busy_; }

    sqlite3_stmt* Prepare(const char* sql, int& rc);

    // Runs `work` in one transaction on the calling thread's connection to
    // the hive at `path` (made and checked on first use; before every call
    // it is checked that `path` still names the connection's file, and the
    // file's mode is read again). Writes take the
    // write lock at once (BEGIN IMMEDIATE) unless the hive is read-only. The
    // transaction commits when `work` answers ERROR_SUCCESS and rolls back
    // otherwise; a busy database is retried for a while.
    static long Run(const std::string& path, HiveRoot root, Txn txn,
                    const std::function<long(Hive&)>& work, Via via = Via::Path);

    static void CloseThreadConnections();

    // The key cache: keys and parent/name links this connection has read,
    // valid while no other connection has committed (PRAGMA data_version is
    // unchanged) and this one has not changed keys itself. Only usable inside
    // a Read or Write transaction; the lookups answer nothing otherwise.
    std::shared_ptr<KeyEntry> CachedKey(int64_t id) const;
    int64_t CachedChild(int64_t parent, std::string_view folded) const; // 0 when unknown
    void RememberKey(const std::shared_ptr<KeyEntry>& entry);
    void RememberChild(int64_t parent, std::string_view folded, int64_t child);
    // Drops the cache; called before this connection adds, removes or
    // re-describes keys, since its own commits do not change data_version.
    void ForgetKeys();

private:
    Hive() = default;
    static long Connect(const std::string& path, HiveRoot root, Via via, Hive*& out);
    // Whether the path still names the file this connection was made to;
    // reads the file's mode on the way.
    bool StillCurrent(Via via);
    // Remembers the change time of the file, found at the path at or after
    // `before`.
    void NoteChecked(const struct stat& st, const struct timespec& before);
    long Validate();
    // Steps a cached statement that answers no rows (BEGIN, COMMIT, ...).
    int Exec(const char* sql);
    // Starts the read snapshot and drops the key cache when another
    // connection has committed since the cache was filled.
    long Refresh();
    static std::string ChildKey(int64_t parent, std::string_view folded);

    // Declared before db_ so that it is given up only after the connection
    // is closed.
    HiveFile file_;
    sqlite3* db_ = nullptr;
    std::string path_;
    std::string uid_;
    // The file's change time when the path was last seen to name it, and
    // whether that time lay far enough in the past for any later change to
    // show as a different time.
    struct timespec checkedCtime_ = {};
    bool settled_ = false;
    bool readOnly_ = false;
    bool busy_ = false;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    bool cacheUsable_ = false;
    bool haveVersion_ = false;
    int64_t dataVersion_ = 0;
    std::unordered_map<int64_t, std::shared_ptr<KeyEntry>> keys_;
    std::unordered_map<std::string, int64_t> children_;
};

// The descriptor a key shows: its stored one, with a leading deny entry of
// the write rights for everyone when the hive may not be written.
SecurityDescriptor EffectiveDescriptor(const std::string& sddl, bool readOnly);

} // namespace qm6::reg::detail
