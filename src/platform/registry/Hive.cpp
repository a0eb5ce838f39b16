#include "platform/registry/Hive.h"

#include "platform/registry/Registry.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <pwd.h>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unistd.h>

namespace qm6::reg::detail {

namespace fs = std::filesystem;

namespace {

// The values of a key; its index is made separately (vals_by_seq), so that a
// version 1 hive can be given a new table of the same shape.
constexpr const char* kValueColumns = R"sql((
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    seq INTEGER NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, folded)
) WITHOUT ROWID)sql";
constexpr const char* kKeyIndex = "CREATE UNIQUE INDEX keys_by_parent ON keys(parent, folded)";
constexpr const char* kValueIndex = "CREATE INDEX vals_by_seq ON vals(key, seq)";

std::string Schema() {
    return std::string(R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    sddl TEXT NOT NULL,
    last_write INTEGER NOT NULL
);
CREATE TABLE hive(uid TEXT NOT NULL);
CREATE TABLE vals)sql") +
           kValueColumns + ";" + kKeyIndex + ";" + kValueIndex + ";";
}

// How long a call keeps trying while other processes hold the hive.
constexpr auto kBusyDeadline = std::chrono::seconds(30);
constexpr int kBusyTimeoutMs = 5000;

thread_local std::unordered_map<std::string, std::unique_ptr<Hive>> t_hives;

// Commits made by any connection of the process: a connection that finds
// the count changed knows that its caches may be out of date.
std::atomic<uint64_t> g_commits{0};

std::atomic<int64_t> g_continueWindowUs{kContinueWindow.count()};

long MapErrno(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool Writable(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Sleeps a little longer on every try, with some jitter so that waiting
// processes do not wake together.
void Backoff(int attempt) {
    static thread_local std::minstd_rand rng(
        static_cast<unsigned>(std::hash<std::thread::id>()(std::this_thread::get_id()) ^ getpid()));
    int ceiling = std::min(50, 2 + attempt * 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + int(rng() % unsigned(ceiling))));
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    struct passwd pw;
    struct passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

std::string DefaultRootSddl(HiveRoot root) {
    std::string sddl;
    if (root == HiveRoot::CurrentUser) {
        // The user's own settings: the user, the system and administrators.
        Token token = ProcessToken();
        sddl = "O:" + token.user + "G:" + token.groups.front() + "D:(A;CI;KA;;;" + token.user +
               ")(A;CI;KA;;;SY)(A;CI;KA;;;BA)";
    } else {
        // Machine settings: administrators and the system change them, users read.
        sddl = "O:BAG:SYD:(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KR;;;BU)";
    }
    return SecurityDescriptor::FromSddl(sddl)->ToSddl();
}

void SyncFolder(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Builds a complete new hive in a private file beside `path` and puts it in
// place: linked when there is no file yet, renamed over `emptyFile` when the
// path still names that empty file. Whoever comes second leaves the first
// one's hive alone.
long CreateHiveFile(const std::string& path, HiveRoot root, const HiveFile* emptyFile) {
    fs::path target(path);
    std::string dir = target.parent_path().string();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        return MapErrno(ec.value());

    std::random_device rd;
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".new-%d-%08x%08x", int(getpid()), rd(), rd());
    std::string tmp = (fs::path(dir) / ("." + target.filename().string() + suffix)).string();
    int fd = open(tmp.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0644);
    if (fd < 0)
        return MapErrno(errno);
    close(fd);

    auto discard = [&] {
        unlink(tmp.c_str());
        unlink((tmp + "-journal").c_str());
        unlink((tmp + "-wal").c_str());
        unlink((tmp + "-shm").c_str());
    };

    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        std::string script = std::string("PRAGMA page_size=4096; BEGIN;") + Schema() +
                             "PRAGMA application_id=" + std::to_string(kHiveApplicationId) +
                             "; PRAGMA user_version=" + std::to_string(kHiveSchemaVersion) + ";";
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        rc = sqlite3_prepare_v2(db,
                                "INSERT INTO keys(id, parent, name, folded, sddl, last_write) "
                                "VALUES(?1, NULL, '', '', ?2, ?3)",
                                -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            std::string sddl = DefaultRootSddl(root);
            sqlite3_bind_int64(stmt, 1, kRootKeyId);
            sqlite3_bind_text(stmt, 2, sddl.c_str(), int(sddl.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(stmt, 3, FileTimeNow());
            rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
        }
        sqlite3_finalize(stmt);
    }
    if (rc == SQLITE_OK) {
        char uid[40];
        std::snprintf(uid, sizeof uid, "%08x%08x%08x%08x", rd(), rd(), rd(), rd());
        rc = sqlite3_exec(db, (std::string("INSERT INTO hive(uid) VALUES('") + uid + "')").c_str(),
                          nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    int closeRc = sqlite3_close(db);
    if (rc == SQLITE_OK)
        rc = closeRc;
    if (rc != SQLITE_OK) {
        discard();
        return MapSqliteError(rc);
    }

    long result = ERROR_SUCCESS;
    if (!emptyFile) {
        if (link(tmp.c_str(), path.c_str()) != 0 && errno != EEXIST)
            result = MapErrno(errno);
    } else {
        // Only the empty file seen before may be replaced. The lock on the
        // kept descriptor keeps two processes from both replacing it, the
        // mutex two threads of this one (they share that descriptor, and a
        // lock of its own is no bar to it). The file is locked through the
        // kept descriptor because a descriptor of its own would have to be
        // closed afterwards.
        static std::mutex replacing;
        std::lock_guard<std::mutex> guard(replacing);
        const int lockFd = emptyFile->Fd();
        if (flock(lockFd, LOCK_EX) == 0) {
            struct stat held, now;
            if (fstat(lockFd, &held) == 0 && stat(path.c_str(), &now) == 0 &&
                held.st_dev == now.st_dev && held.st_ino == now.st_ino && held.st_size == 0) {
                chmod(tmp.c_str(), held.st_mode & 07777);
                if (rename(tmp.c_str(), path.c_str()) != 0)
                    result = MapErrno(errno);
            }
            flock(lockFd, LOCK_UN);
        } else {
            result = MapErrno(errno);
        }
    }
    discard();
    SyncFolder(dir);
    return result;
}

enum class Header { Ours, Foreign, Unreadable };

// Checks the first 100 bytes of the file before SQLite ever opens it, so
// that a file that is not a hive is never touched (SQLite would replay a
// foreign journal or log into it).
Header CheckHeader(int fd) {
    unsigned char header[100];
    ssize_t got = pread(fd, header, sizeof header, 0);
    if (got < 0)
        return Header::Unreadable;
    if (got < ssize_t(sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0)
        return Header::Foreign;
    if (BigEndian32(header + 68) != uint32_t(kHiveApplicationId))
        return Header::Foreign;
    const uint32_t version = BigEndian32(header + 60);
    if (version != uint32_t(kHiveSchemaVersion) && version != uint32_t(kFoldingSchemaVersion))
        return Header::Foreign;
    return Header::Ours;
}

} // namespace

int64_t FileTimeNow() {
    using namespace std::chrono;
    auto since = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return since / 100 + 116444736000000000LL;
}

namespace {

std::string ComputeHivePath(HiveRoot root, const char* registryDir, const char* xdg) {
    std::string dir;
    if (registryDir && *registryDir) {
        dir = registryDir;
    } else {
        std::string base;
        // A relative XDG_CONFIG_HOME is to be ignored.
        if (xdg && *xdg == '/')
            base = xdg;
        else
            base = HomeFolder() + "/.config";
        dir = base + "/quillmeter6/registry";
    }
    std::error_code ec;
    fs::path full = fs::absolute(fs::path(dir), ec);
    if (ec)
        full = dir;
    full /= root == HiveRoot::CurrentUser ? "HKCU.db" : "HKLM.db";
    return full.lexically_normal().string();
}

// The environment a hive path was made from, so that a call can tell
// cheaply whether the path it made last time still holds.
struct PathInputs {
    bool set[3] = {false, false, false};
    std::string values[3];
    uid_t euid = 0;

    bool Matches(const char* const now[3], uid_t uid) const {
        if (uid != euid)
            return false;
        for (int i = 0; i < 3; ++i) {
            if (set[i] != (now[i] != nullptr) || (now[i] && values[i] != now[i]))
                return false;
        }
        return true;
    }
};

struct CachedPath {
    PathInputs inputs;
    std::string path;
    bool valid = false;
};

thread_local CachedPath t_paths[2];

} // namespace

std::string HivePath(HiveRoot root) {
    const char* const now[3] = {std::getenv("QM6_REGISTRY_DIR"), std::getenv("XDG_CONFIG_HOME"),
                                std::getenv("HOME")};
    // The user's passwd entry is asked for only when no variable names the
    // folder, so only then does the effective user matter.
    const bool needsUser =
        !(now[0] && *now[0]) && !(now[1] && *now[1] == '/') && !(now[2] && *now[2]);
    const uid_t euid = needsUser ? geteuid() : 0;
    CachedPath& cached = t_paths[root == HiveRoot::CurrentUser ? 0 : 1];
    if (cached.valid && cached.inputs.Matches(now, euid))
        return cached.path;
    std::string path = ComputeHivePath(root, now[0], now[1]);
    // A path made from a relative folder depends on the working folder as
    // well, which may change between calls: such a path is not kept.
    const bool relative = now[0] && *now[0] && *now[0] != '/';
    cached.valid = !relative;
    if (cached.valid) {
        for (int i = 0; i < 3; ++i) {
            cached.inputs.set[i] = now[i] != nullptr;
            cached.inputs.values[i] = now[i] ? now[i] : "";
        }
        cached.inputs.euid = euid;
        cached.path = path;
    }
    return path;
}

long MapSqliteError(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ERROR_BADDB;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return ERROR_REGISTRY_IO_FAILED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_NOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        // No Win32 code means the same: an application-defined code, for
        // which the system has no text, rather than a system code of another
        // meaning.
        return kSqliteErrorBase + (rc & 0xff);
    }
}

namespace {

// Full case folding through UTF-16 (the rule of version 1 hives).
bool FullFolding(std::string_view name, std::string& folded, size_t* units) {
    UErrorCode err = U_ZERO_ERROR;
    int32_t len16 = 0;
    u_strFromUTF8(nullptr, 0, &len16, name.data(), int32_t(name.size()), &err);
    if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err))
        return false;
    std::vector<UChar> utf16(size_t(len16) + 1);
    err = U_ZERO_ERROR;
    u_strFromUTF8(utf16.data(), len16 + 1, nullptr, name.data(), int32_t(name.size()), &err);
    if (U_FAILURE(err))
        return false;
    if (units)
        *units = size_t(len16);

    // Full case folding can lengthen a string (ß folds to ss).
    std::vector<UChar> fold(size_t(len16) * 3 + 1);
    err = U_ZERO_ERROR;
    int32_t foldLen = u_strFoldCase(fold.data(), int32_t(fold.size()), utf16.data(), len16,
                                    U_FOLD_CASE_DEFAULT, &err);
    if (U_FAILURE(err))
        return false;
    int32_t len8 = 0;
    err = U_ZERO_ERROR;
    u_strToUTF8(nullptr, 0, &len8, fold.data(), foldLen, &err);
    if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err))
        return false;
    folded.resize(size_t(len8));
    err = U_ZERO_ERROR;
    u_strToUTF8(folded.data(), len8, nullptr, fold.data(), foldLen, &err);
    // Filling the buffer exactly leaves no room for a terminator, which is fine.
    return err == U_ZERO_ERROR || err == U_STRING_NOT_TERMINATED_WARNING;
}

// Each UTF-16 unit by its simple uppercase. A character outside the basic
// plane is two surrogate units, which have no case: it stays as it is.
bool SimpleUppercase(std::string_view name, std::string& form, size_t* units) {
    form.reserve(name.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
    const int32_t length = int32_t(name.size());
    size_t count = 0;
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0)
            return false;
        if (c > 0xFFFF) {
            form.append(name.substr(size_t(start), size_t(i - start)));
            count += 2;
            continue;
        }
        UChar32 upper = u_toupper(c);
        if (upper > 0xFFFF)
            upper = c;
        char buffer[4];
        int32_t written = 0;
        U8_APPEND_UNSAFE(buffer, written, upper);
        form.append(buffer, size_t(written));
        ++count;
    }
    if (units)
        *units = count;
    return true;
}

} // namespace

bool CompareForm(std::string_view name, NameRule rule, std::string& form, size_t* units) {
    form.clear();
    if (units)
        *units = 0;
    if (name.empty())
        return true;
    if (name.find('\0') != std::string_view::npos || name.size() > 0x3FFFFFFF)
        return false;
    // Plain ASCII needs no table: its letters change case, nothing else does
    // (under either rule).
    if (std::all_of(name.begin(), name.end(), [](char c) { return (unsigned char)c < 0x80; })) {
        form.assign(name);
        for (char& c : form) {
            if (rule == NameRule::SimpleUppercase && c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            else if (rule == NameRule::FullFolding && c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        if (units)
            *units = name.size();
        return true;
    }
    return rule == NameRule::SimpleUppercase ? SimpleUppercase(name, form, units)
                                             : FullFolding(name, form, units);
}

size_t Utf16Length(std::string_view text) {
    size_t units = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

// --- HiveFile --------------------------------------------------------------

struct HiveFile::Entry {
    dev_t dev = 0;
    ino_t ino = 0;
    int fd = -1;
    // Descriptors opened for a file that turned out to be kept already (the
    // path changed between the look-up and the open); they may not be closed
    // before the kept one either.
    std::vector<int> spare;
    long users = 0;
};

namespace {

// Every hive file the process keeps open, by device and inode. Never
// destroyed, so that connections closed by threads ending at exit still
// find it.
struct KeptFiles {
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, HiveFile::Entry*> files;
};

KeptFiles& Kept() {
    static KeptFiles* kept = new KeptFiles;
    return *kept;
}

} // namespace

HiveFile& HiveFile::operator=(HiveFile&& other) noexcept {
    if (this != &other) {
        Release();
        entry_ = other.entry_;
        other.entry_ = nullptr;
    }
    return *this;
}

int HiveFile::Acquire(const std::string& path, HiveFile& out, struct stat& st) {
    out.Release();
    KeptFiles& kept = Kept();
    std::lock_guard<std::mutex> guard(kept.mutex);
    if (stat(path.c_str(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return 0;
    // A file kept already is used through its descriptor: it is the same
    // file as long as that descriptor holds it open.
    auto found = kept.files.find({st.st_dev, st.st_ino});
    if (found != kept.files.end()) {
        ++found->second->users;
        out.entry_ = found->second;
        return 0;
    }
    // Not blocking: a FIFO put at the path meanwhile must not hang the open.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // A descriptor whose file cannot even be examined is left open, never
    // closed: it may be of a hive file in use after all.
    if (fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode)) {
        close(fd); // not a file SQLite can hold locks on
        return 0;
    }
    auto& slot = kept.files[{st.st_dev, st.st_ino}];
    if (slot) {
        slot->spare.push_back(fd);
    } else {
        slot = new Entry;
        slot->dev = st.st_dev;
        slot->ino = st.st_ino;
        slot->fd = fd;
    }
    ++slot->users;
    out.entry_ = slot;
    return 0;
}

int HiveFile::Fd() const {
    return entry_ ? entry_->fd : -1;
}

dev_t HiveFile::Dev() const {
    return entry_ ? entry_->dev : 0;
}

ino_t HiveFile::Ino() const {
    return entry_ ? entry_->ino : 0;
}

void HiveFile::Release() {
    if (!entry_)
        return;
    KeptFiles& kept = Kept();
    std::lock_guard<std::mutex> guard(kept.mutex);
    if (--entry_->users == 0) {
        // No connection of the process uses the file now, so closing its
        // descriptors takes no lock from anyone.
        kept.files.erase({entry_->dev, entry_->ino});
        close(entry_->fd);
        for (int fd : entry_->spare)
            close(fd);
        delete entry_;
    }
    entry_ = nullptr;
}

void HiveFile::Leak() {
    entry_ = nullptr;
}

// --- Statement -------------------------------------------------------------

Statement::Statement(Hive& hive, const char* sql) : hive_(&hive) {
    if (hive.cacheOnly_)
        hive.neededDatabase_ = true;
    else
        stmt_ = hive.Prepare(sql, prepareRc_);
}

Statement::~Statement() {
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

Statement& Statement::Bind(int index, int64_t value) {
    if (stmt_)
        sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (stmt_)
        sqlite3_bind_text(stmt_, index, text.empty() ? "" : text.data(), int(text.size()),
                          SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindBlob(int index, std::span<const uint8_t> data) {
    if (stmt_) {
        // A null pointer would bind NULL; an empty value is a zero-length blob.
        if (data.empty())
            sqlite3_bind_zeroblob(stmt_, index, 0);
        else
            sqlite3_bind_blob64(stmt_, index, data.data(), data.size(), SQLITE_TRANSIENT);
    }
    return *this;
}

int Statement::Step() {
    if (hive_->cacheOnly_) {
        hive_->neededDatabase_ = true;
        return SQLITE_ABORT;
    }
    if (!stmt_)
        return prepareRc_ == SQLITE_OK ? SQLITE_ERROR : prepareRc_;
    return sqlite3_step(stmt_);
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string Statement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), size_t(size)) : std::string();
}

std::vector<uint8_t> Statement::Blob(int column) const {
    const void* blob = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    if (!blob || size <= 0)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(blob);
    return std::vector<uint8_t>(bytes, bytes + size);
}

// --- Hive ------------------------------------------------------------------

Hive::~Hive() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    // A connection that would not close may still hold locks on the file,
    // so its descriptor stays open for good.
    if (db_ && sqlite3_close(db_) != SQLITE_OK)
        file_.Leak();
}

long Hive::Fail(int rc) {
    int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        busy_ = true;
    return MapSqliteError(rc);
}

sqlite3_stmt* Hive::Prepare(const char* sql, int& rc) {
    rc = SQLITE_OK;
    auto it = statements_.find(sql);
    if (it != statements_.end())
        return it->second;
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        Fail(rc);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

namespace {

// Runs a statement that answers one row of one column, outside the cache of
// prepared statements (for checks made once, and for schema changes).
int ScalarOnce(sqlite3* db, const char* sql, std::string& out) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    int rows = 0;
    while (rc == SQLITE_OK) {
        int step = sqlite3_step(stmt);
        if (step == SQLITE_DONE)
            break;
        if (step != SQLITE_ROW) {
            rc = step;
            break;
        }
        const unsigned char* text = sqlite3_column_text(stmt, 0);
        out = text ? reinterpret_cast<const char*>(text) : "";
        ++rows;
    }
    sqlite3_finalize(stmt);
    if (rc == SQLITE_OK && rows != 1)
        rc = SQLITE_NOTADB; // a check that answers no row fails as a bad file
    return rc;
}

} // namespace

// Checks a freshly opened hive once: its identity, its schema and the
// integrity of every page.
long Hive::Validate(int32_t& version) {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc);
    long result = ERROR_SUCCESS;
    std::string value;
    const std::pair<const char*, std::string> checks[] = {
        {"PRAGMA application_id", std::to_string(kHiveApplicationId)},
        {"SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('keys', 'vals', "
         "'hive')",
         "3"},
        {"SELECT count(*) FROM keys WHERE id = 1 AND parent IS NULL", "1"},
        {"PRAGMA quick_check", "ok"},
        {"PRAGMA user_version", ""}, // checked below
    };
    for (const auto& [sql, expected] : checks) {
        rc = ScalarOnce(db_, sql, value);
        result = rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc);
        if (result == ERROR_SUCCESS && !expected.empty() && value != expected)
            result = ERROR_BADDB;
        if (result != ERROR_SUCCESS)
            break;
    }
    if (result == ERROR_SUCCESS) {
        if (value == std::to_string(kHiveSchemaVersion))
            version = kHiveSchemaVersion;
        else if (value == std::to_string(kFoldingSchemaVersion))
            version = kFoldingSchemaVersion;
        else
            result = ERROR_BADDB;
    }
    if (result == ERROR_SUCCESS) {
        rc = ScalarOnce(db_, "SELECT uid FROM hive", uid_);
        result = rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc);
        if (result == ERROR_SUCCESS && uid_.empty())
            result = ERROR_BADDB;
    }
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
}

long Hive::SetJournalMode() {
    std::string mode;
    int rc = ScalarOnce(db_, "PRAGMA journal_mode", mode);
    if (rc != SQLITE_OK)
        return Fail(rc);
    if (mode == "wal" && !ReadOnly()) {
        // Leaving the log needs the hive to itself: while a connection of an
        // older version still uses it, the hive stays as it is, and the next
        // connection made tries again.
        std::string now;
        if (ScalarOnce(db_, "PRAGMA journal_mode=DELETE", now) == SQLITE_OK)
            mode = now;
    }
    wal_ = mode == "wal";
    return ERROR_SUCCESS;
}

namespace {

constexpr size_t kMaxKeyNameUnits = 255;
constexpr size_t kMaxValueNameUnits = 16383;

// A name for the second of two names that the current rule makes one: the
// name with " (2)" (or the first free number) after it, shortened where the
// longest allowed name would be exceeded. `taken` holds the compared forms
// of the names already kept.
std::string Renamed(const std::string& name, size_t maxUnits, const std::set<std::string>& taken,
                    std::string& form) {
    for (int n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        std::string base = name;
        std::string candidate;
        size_t units = 0;
        for (;;) {
            candidate = base + suffix;
            CompareForm(candidate, NameRule::SimpleUppercase, form, &units);
            if (units <= maxUnits || base.empty())
                break;
            // Drop the last character (and any UTF-8 continuation bytes).
            do
                base.pop_back();
            while (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80);
            if (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0xC0)
                base.pop_back();
        }
        if (!taken.count(form))
            return candidate;
    }
}

// Gives every key and value of a version 1 hive the compared form of the
// current rule. Two names that become one (a dotless ı and an i, which both
// uppercase to I) keep the first made under its name; the other is renamed
// (see Renamed), so that every value stays reachable by a name of its own.
int MigrateNames(sqlite3* db) {
    struct Row {
        int64_t id, parent;
        std::string name;
    };
    std::vector<Row> keys;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT id, parent, name FROM keys WHERE parent IS NOT NULL ORDER BY parent, id", -1,
        &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        keys.push_back(
            {sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1), text ? text : ""});
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
        return rc;
    rc = sqlite3_exec(db, "DROP INDEX keys_by_parent", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "UPDATE keys SET name = ?2, folded = ?3 WHERE id = ?1", -1,
                                &stmt, nullptr);
    std::set<std::string> taken;
    int64_t parent = -1;
    for (size_t i = 0; rc == SQLITE_OK && i < keys.size(); ++i) {
        if (keys[i].parent != parent) {
            taken.clear();
            parent = keys[i].parent;
        }
        std::string form;
        if (!CompareForm(keys[i].name, NameRule::SimpleUppercase, form))
            return SQLITE_CORRUPT;
        std::string name = keys[i].name;
        if (taken.count(form))
            name = Renamed(name, kMaxKeyNameUnits, taken, form);
        taken.insert(form);
        sqlite3_bind_int64(stmt, 1, keys[i].id);
        sqlite3_bind_text(stmt, 2, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, form.c_str(), int(form.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, kKeyIndex, nullptr, nullptr, nullptr);

    // Values: a new table of the same shape, filled in order, in place of
    // the old one (their compared forms are its primary key).
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, (std::string("CREATE TABLE vals_new") + kValueColumns).c_str(),
                          nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "SELECT key, name, seq, type, data FROM vals ORDER BY key, seq",
                                -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db,
                                "INSERT INTO vals_new(key, name, folded, seq, type, data) "
                                "VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
                                -1, &insert, nullptr);
    int64_t key = -1;
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (sqlite3_column_int64(stmt, 0) != key) {
            taken.clear();
            key = sqlite3_column_int64(stmt, 0);
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        std::string name = text ? text : "";
        std::string form;
        if (!CompareForm(name, NameRule::SimpleUppercase, form)) {
            rc = SQLITE_CORRUPT;
            break;
        }
        if (taken.count(form))
            name = Renamed(name, kMaxValueNameUnits, taken, form);
        taken.insert(form);
        sqlite3_bind_int64(insert, 1, key);
        sqlite3_bind_text(insert, 2, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, form.c_str(), int(form.size()), SQLITE_TRANSIENT);
        sqlite3_bind_value(insert, 4, sqlite3_column_value(stmt, 2));
        sqlite3_bind_value(insert, 5, sqlite3_column_value(stmt, 3));
        sqlite3_bind_value(insert, 6, sqlite3_column_value(stmt, 4));
        rc = sqlite3_step(insert) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
        sqlite3_reset(insert);
    }
    if (rc == SQLITE_DONE)
        rc = SQLITE_OK;
    sqlite3_finalize(stmt);
    sqlite3_finalize(insert);
    for (const char* sql :
         {"DROP TABLE vals", "ALTER TABLE vals_new RENAME TO vals", kValueIndex}) {
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    return rc;
}

} // namespace

long Hive::Migrate() {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc);
    // Another process may have done it meanwhile.
    std::string version;
    rc = ScalarOnce(db_, "PRAGMA user_version", version);
    if (rc == SQLITE_OK && version == std::to_string(kFoldingSchemaVersion)) {
        rc = MigrateNames(db_);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db_,
                              ("PRAGMA user_version=" + std::to_string(kHiveSchemaVersion)).c_str(),
                              nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return Fail(rc);
    }
    rule_ = NameRule::SimpleUppercase;
    return ERROR_SUCCESS;
}

namespace {

// How long ago a file must have last changed before an unchanged change time
// is trusted to mean that nothing happened to it since: a file system stamps
// changes with a clock of limited resolution (a tick of the kernel's coarse
// clock, up to the 2 s of some file systems), so a change made soon after
// the one recorded could carry the same time.
constexpr time_t kSettleSeconds = 2;

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct timespec CoarseNow() {
    struct timespec now = {};
    clock_gettime(CLOCK_REALTIME_COARSE, &now); // read from the vDSO, no system call
    return now;
}

} // namespace

void Hive::NoteChecked(const struct stat& st, const struct timespec& before) {
    checkedCtime_ = st.st_ctim;
    settled_ = st.st_ctim.tv_sec + kSettleSeconds < before.tv_sec;
}

void Hive::CheckWritable() {
    // SQLite opens a file the process may not write (or one on a read-only
    // mount) for reading only; a write also makes its journal beside the
    // file, which takes a folder the process may write.
    if (openedReadOnly_) {
        cannotWrite_ = true;
        return;
    }
    const std::string folder = fs::path(path_).parent_path().string();
    cannotWrite_ = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0;
}

bool Hive::StillCurrent(Via via) {
    struct stat st;
    if (via == Via::Handle && settled_) {
        // A call through a handle looks at the file through the kept
        // descriptor, which costs no walk of the path. Deleting the file,
        // renaming another over it, renaming it away or linking it elsewhere
        // all change its link count or its change time (as do chmod and
        // writes), and only then is the path looked at again. A call by
        // path always looks the path up, so that it also finds a file put
        // in place of the folder above the hive or behind a changed link.
        if (fstat(file_.Fd(), &st) != 0 || st.st_nlink == 0)
            return false;
        if (SameTime(st.st_ctim, checkedCtime_)) {
            modeReadOnly_ = !Writable(st);
            return true;
        }
    }
    const struct timespec before = CoarseNow();
    if (stat(path_.c_str(), &st) != 0 || st.st_dev != file_.Dev() || st.st_ino != file_.Ino())
        return false;
    NoteChecked(st, before);
    modeReadOnly_ = !Writable(st);
    // A connection SQLite opened for reading only stays so: once the file
    // may be written, a new connection takes its place.
    if (openedReadOnly_ && faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) == 0)
        return false;
    CheckWritable();
    return true;
}

long Hive::Open(const std::string& path, HiveRoot root, std::unique_ptr<Hive>& out) {
    struct stat st;
    for (int attempt = 0; attempt < 8; ++attempt) {
        HiveFile file;
        if (int err = HiveFile::Acquire(path, file, st); err != 0) {
            if (err != ENOENT)
                return MapErrno(err);
            long rc = CreateHiveFile(path, root, nullptr);
            if (rc != ERROR_SUCCESS)
                return rc;
            continue;
        }
        if (!file)
            return ERROR_BADDB; // not a regular file
        if (st.st_size == 0) {
            // An empty file is a hive not yet made; one that may not be
            // written cannot become one.
            if (!Writable(st) || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
                return ERROR_ACCESS_DENIED;
            long rc = CreateHiveFile(path, root, &file);
            if (rc != ERROR_SUCCESS)
                return rc;
            continue;
        }

        // The header is read through the kept descriptor: a descriptor of
        // our own would have to be closed, and that would drop the locks
        // other threads' connections hold on the file.
        struct stat opened;
        Header header =
            fstat(file.Fd(), &opened) == 0 ? CheckHeader(file.Fd()) : Header::Unreadable;
        if (header == Header::Unreadable)
            return ERROR_REGISTRY_IO_FAILED;
        if (opened.st_size == 0)
            continue; // emptied meanwhile
        if (header == Header::Foreign)
            return ERROR_BADDB;

        std::unique_ptr<Hive> hive(new Hive);
        hive->path_ = path;
        hive->file_ = std::move(file);
        // A file the process may not write is opened for reading only.
        int rc = sqlite3_open_v2(path.c_str(), &hive->db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            return hive->Fail(rc);
        // The file SQLite opened must be the one whose header was checked.
        const struct timespec before = CoarseNow();
        if (stat(path.c_str(), &st) != 0 || st.st_dev != hive->file_.Dev() ||
            st.st_ino != hive->file_.Ino())
            continue;
        hive->NoteChecked(st, before);
        hive->modeReadOnly_ = !Writable(st);
        hive->openedReadOnly_ = sqlite3_db_readonly(hive->db_, "main") == 1;
        hive->CheckWritable();
        int32_t version = 0;
        long result = hive->Validate(version);
        if (result == ERROR_SUCCESS)
            result = hive->SetJournalMode();
        if (result != ERROR_SUCCESS)
            return result;
        // A killed process loses nothing it committed, as the journal makes
        // each commit whole; the file is synced at each commit, the journal
        // once before the file is written, which keeps the hive sound when
        // the machine loses power on the file systems in use today (only the
        // last commits can be lost then, as the platform's registry writes
        // lazily too and only RegFlushKey forces its data to disk).
        rc = sqlite3_exec(hive->db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return hive->Fail(rc);
        if (version == kFoldingSchemaVersion) {
            hive->rule_ = NameRule::FullFolding;
            // A hive this process may not write is read by the rule it was
            // written with; so is one that another process holds now, until
            // the next connection.
            if (!hive->ReadOnly()) {
                result = hive->Migrate();
                if (result != ERROR_SUCCESS && result != ERROR_BUSY)
                    return result;
            }
        }
        out = std::move(hive);
        return ERROR_SUCCESS;
    }
    return ERROR_BUSY;
}

long Hive::Connect(const std::string& path, HiveRoot root, Via via, Hive*& out) {
    out = nullptr;
    auto cached = t_hives.find(path);
    if (cached != t_hives.end()) {
        if (cached->second->StillCurrent(via)) {
            out = cached->second.get();
            return ERROR_SUCCESS;
        }
        // The file was replaced or removed: start over with what is there now.
        t_hives.erase(cached);
    }
    std::unique_ptr<Hive> hive;
    long rc = Open(path, root, hive);
    if (rc != ERROR_SUCCESS)
        return rc;
    out = hive.get();
    t_hives[path] = std::move(hive);
    return ERROR_SUCCESS;
}

int Hive::Exec(const char* sql) {
    int rc = SQLITE_OK;
    sqlite3_stmt* stmt = Prepare(sql, rc);
    if (!stmt)
        return rc;
    rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

long Hive::Refresh() {
    int rc = SQLITE_OK;
    sqlite3_stmt* stmt = Prepare("PRAGMA data_version", rc);
    if (!stmt)
        return MapSqliteError(rc);
    rc = sqlite3_step(stmt);
    const int64_t version = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_reset(stmt);
    if (rc != SQLITE_ROW)
        return Fail(rc);
    if (!haveVersion_ || version != dataVersion_) {
        ForgetKeys();
        ForgetListings();
        // Another connection has committed: it may have brought the hive to
        // the current name rule, or changed its journal mode.
        std::string value;
        if (haveVersion_ && rule_ == NameRule::FullFolding &&
            ScalarOnce(db_, "PRAGMA user_version", value) == SQLITE_OK &&
            value == std::to_string(kHiveSchemaVersion))
            rule_ = NameRule::SimpleUppercase;
        if (haveVersion_ && ScalarOnce(db_, "PRAGMA journal_mode", value) == SQLITE_OK)
            wal_ = value == "wal";
    }
    haveVersion_ = true;
    dataVersion_ = version;
    cacheUsable_ = true;
    return ERROR_SUCCESS;
}

void Hive::Confirmed() {
    confirmedAt_ = std::chrono::steady_clock::now();
    confirmedWrites_ = g_commits.load(std::memory_order_acquire);
    recent_ = true;
}

void SetContinueWindow(std::chrono::microseconds window) {
    g_continueWindowUs.store(window.count());
}

bool Hive::RecentlyConfirmed() const {
    return recent_ && !wal_ && g_commits.load(std::memory_order_acquire) == confirmedWrites_ &&
           std::chrono::steady_clock::now() - confirmedAt_ <
               std::chrono::microseconds(g_continueWindowUs.load(std::memory_order_relaxed));
}

bool Hive::CachesCurrent() const {
    // In the rollback journal's mode every commit writes the file, so an
    // unchanged change time means that nobody has committed since the
    // caches were confirmed; a write-ahead log takes commits elsewhere.
    return confirmed_ && settled_ && !wal_ && SameTime(checkedCtime_, confirmedCtime_);
}

std::string Hive::ChildKey(int64_t parent, std::string_view folded) {
    std::string key(sizeof parent, '\0');
    std::memcpy(key.data(), &parent, sizeof parent);
    key.append(folded);
    return key;
}

std::shared_ptr<KeyEntry> Hive::CachedKey(int64_t id) const {
    if (!cacheUsable_)
        return nullptr;
    auto it = keys_.find(id);
    return it == keys_.end() ? nullptr : it->second;
}

int64_t Hive::CachedChild(int64_t parent, std::string_view folded) const {
    if (!cacheUsable_)
        return 0;
    auto it = children_.find(ChildKey(parent, folded));
    return it == children_.end() ? 0 : it->second;
}

void Hive::RememberKey(const std::shared_ptr<KeyEntry>& entry) {
    if (cacheUsable_)
        keys_[entry->id] = entry;
}

void Hive::RememberChild(int64_t parent, std::string_view folded, int64_t child) {
    if (cacheUsable_)
        children_[ChildKey(parent, folded)] = child;
}

void Hive::ForgetKeys() {
    keys_.clear();
    children_.clear();
}

Listing* Hive::FindListing(int64_t key, bool values) {
    if (!cacheUsable_)
        return nullptr;
    for (size_t i = 0; i < listings_.size(); ++i) {
        if (listings_[i].key == key && listings_[i].values == values) {
            if (i > 0)
                std::rotate(listings_.begin(), listings_.begin() + long(i),
                            listings_.begin() + long(i) + 1);
            return &listings_.front();
        }
    }
    return nullptr;
}

Listing& Hive::KeepListing(int64_t key, bool values) {
    // A few listings, so that walking a tree (the values and the subkeys of
    // a key, then those of each subkey) keeps the ones it goes back to.
    constexpr size_t kKept = 4;
    std::erase_if(listings_, [&](const Listing& l) { return l.key == key && l.values == values; });
    if (listings_.size() >= kKept)
        listings_.pop_back();
    listings_.insert(listings_.begin(), Listing{});
    listings_.front().key = key;
    listings_.front().values = values;
    return listings_.front();
}

void Hive::ForgetListings() {
    listings_.clear();
}

namespace {

// Runs `work`, answering an allocation failure as the platform does.
long Guarded(Work work, Hive& hive) {
    try {
        return work(hive);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
}

} // namespace

long Hive::OnCaches(Work work, bool& answered) {
    cacheUsable_ = true;
    cacheOnly_ = true;
    neededDatabase_ = false;
    long result = Guarded(work, *this);
    cacheOnly_ = false;
    cacheUsable_ = false;
    answered = !neededDatabase_;
    return result;
}

long Hive::Run(const std::string& path, HiveRoot root, Txn txn, Work work, Via via,
               HeldTransaction* held) {
    if (held)
        return RunHeld(*held, path, root, txn, work);
    if (txn == Txn::Continue) {
        auto cached = t_hives.find(path);
        bool answered = false;
        if (cached != t_hives.end() && cached->second->RecentlyConfirmed()) {
            long result = cached->second->OnCaches(work, answered);
            if (answered)
                return result;
        }
        txn = Txn::Read;
    }
    const auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
    const bool write = txn == Txn::Write;
    for (int attempt = 0;; ++attempt) {
        const bool mayRetry = std::chrono::steady_clock::now() < deadline;
        Hive* hive = nullptr;
        long result = Connect(path, root, via, hive);
        if (result == ERROR_BUSY && mayRetry) {
            Backoff(attempt);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return result;

        hive->busy_ = false;
        hive->cacheUsable_ = false;
        hive->recent_ = false;
        if (txn == Txn::Read && hive->CachesCurrent()) {
            // Nothing has changed since the caches were confirmed: work that
            // finds all it needs in them takes no lock and reads nothing.
            hive->Confirmed();
            bool answered = false;
            result = hive->OnCaches(work, answered);
            if (answered)
                return result;
        }
        if (txn == Txn::Single) {
            result = Guarded(work, *hive);
        } else {
            // BEGIN IMMEDIATE takes the write lock at once, so that a writer
            // never has to upgrade a read snapshot that another writer
            // outdated.
            int rc = hive->Exec(write && !hive->ReadOnly() ? "BEGIN IMMEDIATE" : "BEGIN");
            if (rc != SQLITE_OK) {
                result = hive->Fail(rc);
            } else {
                // Whatever happens in `work`, no transaction stays open.
                struct Rollback {
                    Hive& hive;
                    ~Rollback() {
                        hive.cacheUsable_ = false;
                        if (!sqlite3_get_autocommit(hive.db_))
                            hive.Exec("ROLLBACK");
                    }
                } rollback{*hive};
                try {
                    result = hive->Refresh();
                    if (result == ERROR_SUCCESS) {
                        // The caches now hold the hive as it is; they stay
                        // good while the file keeps the change time it had
                        // when it was looked at before this transaction.
                        hive->confirmed_ = hive->settled_ && !write;
                        hive->confirmedCtime_ = hive->checkedCtime_;
                        if (!write)
                            hive->Confirmed();
                        result = work(*hive);
                    }
                } catch (const std::bad_alloc&) {
                    result = ERROR_OUTOFMEMORY;
                }
                if (result == ERROR_SUCCESS) {
                    rc = hive->Exec("COMMIT");
                    if (rc != SQLITE_OK)
                        result = hive->Fail(rc);
                    else if (write)
                        g_commits.fetch_add(1, std::memory_order_release);
                }
                if (write) {
                    // A write that did not commit may have left the cache
                    // with what it saw of its own changes; the listings are
                    // dropped by every write.
                    if (result != ERROR_SUCCESS)
                        hive->ForgetKeys();
                    hive->ForgetListings();
                }
            }
        }
        hive->cacheUsable_ = false;
        if (result != ERROR_SUCCESS && hive->busy_ && mayRetry) {
            Backoff(attempt);
            continue;
        }
        if (result == ERROR_BADDB)
            t_hives.erase(path); // check the file afresh on the next call
        return result;
    }
}

long Hive::RunHeld(HeldTransaction& held, const std::string& path, HiveRoot root, Txn txn,
                   Work work) {
    if (!held.active)
        return ERROR_TRANSACTION_NOT_ACTIVE;
    if (!held.hive) {
        // The first call: a connection of the transaction's own, which takes
        // the write lock now and keeps it to the end.
        const auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
        for (int attempt = 0;; ++attempt) {
            std::unique_ptr<Hive> hive;
            long result = Open(path, root, hive);
            if (result == ERROR_SUCCESS) {
                int rc = hive->Exec(hive->ReadOnly() ? "BEGIN" : "BEGIN IMMEDIATE");
                result = rc == SQLITE_OK ? hive->Refresh() : hive->Fail(rc);
                if (result == ERROR_SUCCESS) {
                    // Large imports keep their pages in memory rather than
                    // spill them into the file before the commit.
                    sqlite3_exec(hive->db_, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
                    held.hive = std::move(hive);
                    held.path = path;
                    break;
                }
            }
            if (result == ERROR_BUSY && std::chrono::steady_clock::now() < deadline) {
                Backoff(attempt);
                continue;
            }
            return result;
        }
    } else if (held.path != path) {
        return ERROR_NOT_SUPPORTED; // a transaction spans one hive
    }
    Hive& hive = *held.hive;
    hive.busy_ = false;
    int rc = hive.Exec("SAVEPOINT call");
    if (rc != SQLITE_OK)
        return hive.Fail(rc);
    // No other connection commits while the transaction holds the hive, so
    // its caches stay good from call to call.
    hive.cacheUsable_ = true;
    long result = Guarded(work, hive);
    hive.cacheUsable_ = false;
    if (result == ERROR_SUCCESS && (rc = hive.Exec("RELEASE call")) != SQLITE_OK)
        result = hive.Fail(rc);
    if (result != ERROR_SUCCESS) {
        hive.Exec("ROLLBACK TO call");
        hive.Exec("RELEASE call");
        hive.ForgetKeys();
    }
    if (txn == Txn::Write)
        hive.ForgetListings();
    // Some failures (a full disk, an I/O error) make SQLite roll back the
    // whole transaction: it is over then.
    if (sqlite3_get_autocommit(hive.db_))
        held.active = false;
    return result;
}

long Hive::Finish(HeldTransaction& held, bool commit) {
    if (!held.active) {
        held.hive.reset();
        return ERROR_TRANSACTION_NOT_ACTIVE;
    }
    held.active = false;
    if (!held.hive)
        return ERROR_SUCCESS; // nothing was done in it
    Hive& hive = *held.hive;
    long result = ERROR_SUCCESS;
    if (commit) {
        // The commit waits for readers to leave the file; a busy commit
        // keeps its transaction, and is tried again.
        const auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
        for (int attempt = 0;; ++attempt) {
            hive.busy_ = false;
            int rc = hive.Exec("COMMIT");
            if (rc == SQLITE_OK) {
                g_commits.fetch_add(1, std::memory_order_release);
                break;
            }
            result = hive.Fail(rc);
            if (!hive.busy_ || std::chrono::steady_clock::now() >= deadline)
                break;
            result = ERROR_SUCCESS;
            Backoff(attempt);
        }
    }
    if (!sqlite3_get_autocommit(hive.db_))
        hive.Exec("ROLLBACK");
    held.hive.reset();
    return result;
}

HeldTransaction::~HeldTransaction() {
    if (active)
        Hive::Finish(*this, false);
}

void Hive::CloseThreadConnections() {
    t_hives.clear();
}

const SecurityDescriptor& KeyEntry::Shown(bool readOnly) {
    auto& shown = shown_[readOnly ? 1 : 0];
    if (!shown)
        shown = std::make_unique<SecurityDescriptor>(EffectiveDescriptor(sddl, readOnly));
    return *shown;
}

bool KeyEntry::ShownValid(bool readOnly) {
    signed char& valid = valid_[readOnly ? 1 : 0];
    if (valid < 0)
        valid = Shown(readOnly).IsValid() ? 1 : 0;
    return valid == 1;
}

const Token& CurrentToken() {
    struct Cached {
        bool valid = false;
        uid_t euid = 0;
        gid_t egid = 0;
        Token token;
    };
    // Only the effective user and group are asked for on each call (two
    // system calls), not the supplementary groups: on Linux those change only
    // through setgroups, which needs CAP_SETGID and which programs call when
    // they drop privileges at start-up, before any registry call, and
    // together with setuid/setgid, which the check does see. A running
    // process that changes its group list alone keeps the groups it had,
    // as a Windows token keeps the groups of its logon.
    thread_local Cached cached;
    const uid_t euid = geteuid();
    const gid_t egid = getegid();
    if (!cached.valid || cached.euid != euid || cached.egid != egid) {
        cached.token = ProcessToken();
        cached.euid = euid;
        cached.egid = egid;
        cached.valid = true;
    }
    return cached.token;
}

} // namespace qm6::reg::detail
