#pragma once

// A registry hive on Linux: one SQLite database per root, kept open per thread.
//
// Layout of a hive file (PRAGMA application_id = kHiveApplicationId,
// PRAGMA user_version = kHiveSchemaVersion):
//
//   keys(id, parent, name, folded, sddl, last_write)
//       id 1 is the root (parent NULL); name as the creator spelled it,
//       folded = the form names are compared by (see NameRule), unique per
//       parent; sddl = the key's security descriptor; last_write = FILETIME
//       of the last change.
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
//
// Hives use SQLite's rollback journal (journal_mode=DELETE), never its
// write-ahead log: a reader then needs nothing but read access to the file
// itself, so users read a machine hive in a folder only its administrators
// may write, and anyone reads a hive on a read-only mount. (A write-ahead
// log needs its index file beside the database, made and written by every
// reader.) A hive found in write-ahead-log mode, as older versions made
// them, is switched back by the first connection that may write it.

#include "platform/registry/Security.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm6::reg::detail {

inline constexpr int32_t kHiveApplicationId = 0x516D3652; // "Qm6R"
// Version 2 compares names by their simple uppercase; version 1 hives (full
// case folding) are brought to it when they are opened by a process that may
// write them, and read by the old rule otherwise.
inline constexpr int32_t kHiveSchemaVersion = 2;
inline constexpr int32_t kFoldingSchemaVersion = 1;
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

// Application-defined Win32 codes (bit 29 set) carry SQLite result codes that
// no system code stands for: kSqliteErrorBase + the primary result code.
inline constexpr long kSqliteErrorBase = 0x20000000;

// The Win32 code of an SQLite result code.
long MapSqliteError(int rc);

// How names compare in a hive.
enum class NameRule {
    // As the platform compares them: each UTF-16 code unit by its simple
    // (one-to-one) uppercase, so "Straße" and "STRASSE" are two names and
    // "Ä" and "ä" one. Surrogates stand for themselves.
    SimpleUppercase,
    // Full Unicode case folding (ß is ss, the ligature ﬁ is fi): the rule of
    // version 1 hives.
    FullFolding,
};

// The form a name is compared by under `rule`; false for text that is not
// valid UTF-8 or holds a NUL. `units` receives the length of the name in
// UTF-16 code units.
bool CompareForm(std::string_view name, NameRule rule, std::string& form, size_t* units = nullptr);

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
    // A read that goes on with a listing (the next index of an
    // enumeration): as Read, but answered from the listing without looking
    // at the file when the connection confirmed its caches less than
    // kContinueWindow ago and no connection of the process has written
    // since. Another process's change can then show up to that much later,
    // which an enumeration cannot tell from the change having come just
    // after it: the platform gives no order to values that change while a
    // key is being enumerated.
    Continue,
};

inline constexpr std::chrono::microseconds kContinueWindow{1000};

// Sets the window of Continue reads (kContinueWindow unless a test widens it
// to see that commits of the process alone end it).
void SetContinueWindow(std::chrono::microseconds window);

// The process's own descriptor on one hive file (one device and inode),
// shared by every connection of the process to that file.
//
// On Linux, closing any descriptor of a file drops every POSIX lock the
// process holds on that file, the locks of SQLite's connections on other
// threads included (SQLite guards only against its own descriptors). A
// dropped lock lets another process write the hive under a running read
// transaction, or take a half-written journal for the remains of a crash
// and play it back over a running write. So whatever this code reads or checks on a hive file goes
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

// A callable passed down without being copied or allocated (the registry
// functions hand their work to Hive::Run on every call).
template <class Signature> class FunctionRef;

template <class R, class... Args> class FunctionRef<R(Args...)> {
public:
    template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
             std::is_invocable_r_v<R, F&, Args...>)
        FunctionRef(F&& f) // NOLINT: converts like std::function
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          call_([](void* object, Args... args) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(object))(
                  std::forward<Args>(args)...);
          }) {}

    R operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

private:
    void* object_;
    R (*call_)(void*, Args...);
};

using Work = FunctionRef<long(Hive&)>;

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

    // SQLITE_ROW, SQLITE_DONE or an error code. Work that Hive::Run tries on
    // its caches alone gets SQLITE_ABORT here and is run again in a
    // transaction.
    int Step();

    sqlite3_stmt* Handle() const { return stmt_; }
    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;

private:
    Hive* hive_;
    sqlite3_stmt* stmt_ = nullptr;
    int prepareRc_ = SQLITE_OK;
};

// A run of a key's values or subkeys in their order, as a connection read
// it: entries[0] is the one at index `first`. Enumerating by index reads a
// page at a time and goes on from the last entry of the page, so a whole
// listing costs one pass over the key whatever its size.
struct Listing {
    struct Entry {
        std::string name;
        std::string after; // subkeys: the compared form; values: unused
        int64_t seq = 0;   // values: the creation order
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    int64_t key = 0;
    bool values = true;    // values, else subkeys
    bool withData = false; // values: the data were read as well
    uint32_t first = 0;
    bool complete = false; // the page ends the list
    std::vector<Entry> entries;
};

struct HeldTransaction;

// One connection to one hive file, owned by the thread that opened it.
class Hive {
public:
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    sqlite3* Db() const { return db_; }
    const std::string& Path() const { return path_; }
    const std::string& Uid() const { return uid_; }
    // This process may not write the hive: the file's mode bits forbid it
    // (checked at the start of each call), or the process lacks write
    // permission on the file or its folder, or the file system is mounted
    // read-only (checked whenever the path is looked at).
    bool ReadOnly() const { return modeReadOnly_ || cannotWrite_; }
    // How names compare in this hive.
    NameRule Rule() const { return rule_; }

    // Records an SQLite failure and answers its Win32 code. A busy or locked
    // database marks the transaction for another try.
    long Fail(int rc);
    bool Busy() const { return busy_; }

    sqlite3_stmt* Prepare(const char* sql, int& rc);

    // Runs `work` in one transaction on the calling thread's connection to
    // the hive at `path` (made and checked on first use; before every call
    // it is checked that `path` still names the connection's file, and the
    // file's mode is read again). Writes take the write lock at once (BEGIN
    // IMMEDIATE) unless the hive is read-only. The transaction commits when
    // `work` answers ERROR_SUCCESS and rolls back otherwise; a busy database
    // is retried for a while.
    //
    // A read through a handle is first tried on the connection's caches
    // alone, without a transaction, when the file has not changed since the
    // caches were last confirmed (see Hive.cpp); work that needs the
    // database then is run again in a transaction.
    //
    // With `held`, the work runs inside that transaction instead (see
    // HeldTransaction), as one savepoint: a failing call takes back only
    // its own changes.
    static long Run(const std::string& path, HiveRoot root, Txn txn, Work work, Via via = Via::Path,
                    HeldTransaction* held = nullptr);

    // Ends a held transaction: commits it (retrying while readers hold the
    // file) or rolls it back. Either way it is over afterwards.
    static long Finish(HeldTransaction& held, bool commit);

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

    // The listings this connection holds, valid as the key cache is and
    // dropped by every write of this connection. Find answers nullptr when
    // there is none of the key (or none usable now); Keep makes room for
    // one, replacing the one used longest ago.
    Listing* FindListing(int64_t key, bool values);
    Listing& KeepListing(int64_t key, bool values);

private:
    Hive() = default;
    // Makes a new connection to the hive at `path` and checks it.
    static long Open(const std::string& path, HiveRoot root, std::unique_ptr<Hive>& out);
    // The calling thread's connection to `path`, made if need be.
    static long Connect(const std::string& path, HiveRoot root, Via via, Hive*& out);
    static long RunHeld(HeldTransaction& held, const std::string& path, HiveRoot root, Txn txn,
                        Work work);
    // Whether the path still names the file this connection was made to;
    // reads the file's mode on the way, and whether it may be written when
    // it looks at the path.
    bool StillCurrent(Via via);
    // Remembers the change time of the file, found at the path at or after
    // `before`.
    void NoteChecked(const struct stat& st, const struct timespec& before);
    void CheckWritable();
    long Validate(int32_t& version);
    long SetJournalMode();
    // Brings a version 1 hive to the current name rule.
    long Migrate();
    // Steps a cached statement that answers no rows (BEGIN, COMMIT, ...).
    int Exec(const char* sql);
    // Starts the read snapshot and drops the caches when another connection
    // has committed since they were filled.
    long Refresh();
    // Whether work may run on the caches alone: the file is unchanged since
    // a transaction confirmed them, and it changed long enough before that
    // for any later change to show as a new change time.
    bool CachesCurrent() const;
    // Notes that the caches hold the hive as it is now.
    void Confirmed();
    // Runs `work` on the caches alone; `answered` is false when it needed
    // the database, and must then be run in a transaction.
    long OnCaches(Work work, bool& answered);
    // Whether a Continue read may skip looking at the file.
    bool RecentlyConfirmed() const;
    void ForgetListings();
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
    // The change time at which a transaction last confirmed the caches.
    struct timespec confirmedCtime_ = {};
    bool confirmed_ = false;
    // When the caches were last seen to hold the hive as it is, and the
    // process's count of commits then.
    std::chrono::steady_clock::time_point confirmedAt_{};
    uint64_t confirmedWrites_ = 0;
    bool recent_ = false;
    bool modeReadOnly_ = false;
    bool cannotWrite_ = false;
    bool openedReadOnly_ = false;
    bool wal_ = false;
    NameRule rule_ = NameRule::SimpleUppercase;
    bool busy_ = false;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    bool cacheUsable_ = false;
    // Work is being tried on the caches alone: statements may not run.
    bool cacheOnly_ = false;
    bool neededDatabase_ = false;
    bool haveVersion_ = false;
    int64_t dataVersion_ = 0;
    std::unordered_map<int64_t, std::shared_ptr<KeyEntry>> keys_;
    std::unordered_map<std::string, int64_t> children_;
    std::vector<Listing> listings_;

    friend class Statement;
};

// A transaction that spans calls (the transacted registry functions): a
// connection of its own to one hive, holding that hive's write lock from its
// first call until it is finished, so that its changes reach the file all
// at once or not at all, even when the process is killed in between. The
// first call chooses the hive; a call on another hive is refused.
struct HeldTransaction {
    std::unique_ptr<Hive> hive;
    std::string path;
    bool active = true;
    ~HeldTransaction();
};

// The descriptor a key shows: its stored one, with a leading deny entry of
// the write rights for everyone when the hive may not be written.
SecurityDescriptor EffectiveDescriptor(const std::string& sddl, bool readOnly);

} // namespace qm6::reg::detail
