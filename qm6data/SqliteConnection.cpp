#include "qm6data/SqliteConnection.h"

#include "qm6data/Schema.h"
#include "qm6data/SqliteEngine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace qm6::data {

using namespace engine;

namespace {

// Closes a handle unless it was handed on.
struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
    sqlite3* Release() { return std::exchange(db, nullptr); }
};

Status OpenHandle(const std::string& path, int flags, Handle& handle) {
    if (sqlite3_open_v2(path.c_str(), &handle.db, flags, nullptr) != SQLITE_OK) {
        const int code = handle.db ? sqlite3_errcode(handle.db) : SQLITE_NOMEM;
        return MakeStatus(code, path + " cannot be opened (" +
                                    (handle.db ? sqlite3_errmsg(handle.db) : "out of memory") +
                                    ")");
    }
    return nullptr;
}

// What the first bytes of a file say, read without SQLite: whether it is an
// SQLite database at all, and whether it carries our application id.
struct RawHeader {
    bool sqlite = false;
    bool ours = false;
};

RawHeader ReadRawHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 100> bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    RawHeader header;
    header.sqlite = in.gcount() == static_cast<std::streamsize>(bytes.size()) &&
                    std::memcmp(bytes.data(), "SQLite format 3", 16) == 0;
    // The application id: four bytes, big-endian, at offset 68.
    const uint32_t id = uint32_t{bytes[68]} << 24 | uint32_t{bytes[69]} << 16 |
                        uint32_t{bytes[70]} << 8 | uint32_t{bytes[71]};
    header.ours = header.sqlite && id == static_cast<uint32_t>(sqlite::kApplicationId);
    return header;
}

bool ModeAllowsWriting(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// The sentence for a failure met while opening a file: what it means for the
// user, with the database's own message after it.
Status Explain(const std::string& path, const Failure& failure, int busyTimeoutMs) {
    const std::string detail = " (" + std::string(failure.what()) + ")";
    switch (failure.Code()) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: {
        const int seconds = std::max(1, (busyTimeoutMs + 999) / 1000);
        return MakeStatus(SQLITE_BUSY, path +
                                           " is locked by another program, which did not let go "
                                           "of it within " +
                                           std::to_string(seconds) +
                                           (seconds == 1 ? " second" : " seconds") +
                                           "; try again when it has finished" + detail);
    }
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        if (ReadRawHeader(path).sqlite) {
            return MakeStatus(SQLITE_CORRUPT, path + " is damaged and cannot be read" + detail);
        }
        return MakeStatus(SQLITE_NOTADB, path + " is not a qm6data database" + detail);
    case SQLITE_READONLY:
        return MakeStatus(SQLITE_READONLY,
                          path +
                              " was left half written by a program that stopped, and cannot be "
                              "repaired because it cannot be written" +
                              detail);
    default:
        return MakeStatus(failure.Code(), path + " cannot be opened" + detail);
    }
}

struct Marks {
    int64_t applicationId = 0;
    int64_t version = 0;
    int64_t objects = 0;
};

// Reads the marks of a file through a read-only connection, so that a file
// that is refused is never written.
std::optional<Failure> ReadMarks(const std::string& path, int busyTimeoutMs, Marks& marks) {
    Handle handle;
    if (sqlite3_open_v2(path.c_str(), &handle.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        return handle.db ? Failure(sqlite3_errcode(handle.db), sqlite3_errmsg(handle.db))
                         : Failure(SQLITE_NOMEM, "out of memory");
    }
    sqlite3_busy_timeout(handle.db, busyTimeoutMs);
    SqliteEngine db(handle.Release());
    try {
        Statement app(db, "PRAGMA application_id");
        app.Step();
        marks.applicationId = app.Int(0);
        Statement ver(db, "PRAGMA user_version");
        ver.Step();
        marks.version = ver.Int(0);
        Statement count(db, "SELECT count(*) FROM sqlite_schema");
        count.Step();
        marks.objects = count.Int(0);
    } catch (const Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

// A write of ours that stopped half way leaves a journal that the next
// connection rolls back, which a read-only connection cannot do. Rolls it
// back, as any connection that may write does on its first read; only for a
// file of ours, so that a foreign file is never written.
bool RecoverInterruptedWrite(const std::string& path, int busyTimeoutMs) {
    if (!ReadRawHeader(path).ours || !ModeAllowsWriting(path)) {
        return false;
    }
    Handle handle;
    if (OpenHandle(path, SQLITE_OPEN_READWRITE, handle)) {
        return false;
    }
    sqlite3_busy_timeout(handle.db, busyTimeoutMs);
    return sqlite3_exec(handle.db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                        nullptr) == SQLITE_OK;
}

enum class FileKind { Ours, Empty };

Status Inspect(const std::string& path, const OpenOptions& options, FileKind& kind,
               int32_t& version) {
    Marks marks;
    std::optional<Failure> failed = ReadMarks(path, options.busyTimeoutMs, marks);
    if (failed && failed->ExtendedCode() == SQLITE_READONLY_ROLLBACK &&
        RecoverInterruptedWrite(path, options.busyTimeoutMs)) {
        failed = ReadMarks(path, options.busyTimeoutMs, marks);
    }
    if (failed) {
        if (failed->Code() == SQLITE_READONLY && !ReadRawHeader(path).ours) {
            return MakeStatus(SQLITE_NOTADB,
                              path + " is not a qm6data database (" + failed->what() + ")");
        }
        return Explain(path, *failed, options.busyTimeoutMs);
    }
    if (marks.applicationId == 0 && marks.version == 0 && marks.objects == 0) {
        kind = FileKind::Empty;
        return nullptr;
    }
    if (marks.applicationId != sqlite::kApplicationId) {
        return MakeStatus(SQLITE_NOTADB, path + " is not a qm6data database");
    }
    const int32_t current = schema::CurrentVersion();
    if (marks.version > current) {
        return MakeStatus(SQLITE_NOTADB,
                          path + " is a qm6data database of schema version " +
                              std::to_string(marks.version) +
                              ", made by a newer version of the program; this one reads schema "
                              "versions up to " +
                              std::to_string(current) + " and leaves the file unchanged");
    }
    if (marks.version < 1) {
        return MakeStatus(SQLITE_NOTADB,
                          path + " is marked as a qm6data database but has schema version " +
                              std::to_string(marks.version) +
                              ", which no version of the program made");
    }
    kind = FileKind::Ours;
    version = static_cast<int32_t>(marks.version);
    return nullptr;
}

// Lays out an empty store, or takes an older one to the current version,
// inside the caller's transaction: the steps after version from, then the
// marks.
void ApplySteps(Engine& db, int32_t from, const UpgradeStepHandler& onStep) {
    schema::Apply(
        db, from, sqlite::Dialect(),
        [&](int32_t version) { db.Execute("PRAGMA user_version = " + std::to_string(version)); },
        onStep);
    db.Execute("PRAGMA application_id = " + std::to_string(sqlite::kApplicationId));
}

// Upgrades a store found at an older version, all in one transaction, and
// answers the refusal of a damaged store; the engine's failures are thrown.
// The version is read again under the write lock, since another program may
// have upgraded the store since it was inspected.
Status Upgrade(Engine& db, const std::string& path, const UpgradeStepHandler& onStep) {
    Transaction transaction(db);
    Statement ver(db, "PRAGMA user_version");
    ver.Step();
    const auto version = static_cast<int32_t>(ver.Int(0));
    if (version >= schema::CurrentVersion()) {
        return nullptr;
    }
    // A damaged store is left as it is rather than written all over.
    Statement check(db, "PRAGMA quick_check(1)");
    check.Step();
    if (const std::string verdict = check.Text(0); verdict != "ok") {
        return MakeStatus(SQLITE_CORRUPT,
                          path + " is damaged, so it is not upgraded from schema version " +
                              std::to_string(version) + " (" + verdict + ")");
    }
    ApplySteps(db, version, onStep);
    transaction.Commit();
    return nullptr;
}

} // namespace

Status SqliteConnection::Open(const std::filesystem::path& file,
                              std::shared_ptr<SqliteConnection>& out, const OpenOptions& options,
                              const UpgradeStepHandler& onUpgradeStep) {
    const std::string path = file.string();
    std::error_code error;
    const bool exists = std::filesystem::exists(file, error);
    FileKind kind = FileKind::Empty;
    int32_t version = 0;
    if (!exists) {
        if (!options.create) {
            return MakeStatus(SQLITE_CANTOPEN, path + " does not exist");
        }
    } else if (Status status = Inspect(path, options, kind, version)) {
        return status;
    }
    if (kind == FileKind::Empty && !options.create) {
        return MakeStatus(SQLITE_NOTADB, path + " is not a qm6data database (it is empty)");
    }

    Handle handle;
    const bool writable = kind == FileKind::Empty || ModeAllowsWriting(path);
    int flags = writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (kind == FileKind::Empty) {
        flags |= SQLITE_OPEN_CREATE;
    }
    if (Status status = OpenHandle(path, flags, handle)) {
        return status;
    }
    sqlite3_busy_timeout(handle.db, options.busyTimeoutMs);
    auto db = std::make_unique<SqliteEngine>(handle.Release());
    if (kind == FileKind::Ours && version < schema::CurrentVersion() && !writable) {
        return MakeStatus(SQLITE_READONLY, path + " is a qm6data database of schema version " +
                                               std::to_string(version) +
                                               ", which must be upgraded to version " +
                                               std::to_string(schema::CurrentVersion()) +
                                               " before use, but the file cannot be written");
    }
    try {
        db->Execute("PRAGMA foreign_keys = ON");
        if (kind == FileKind::Empty) {
            Transaction transaction(*db);
            ApplySteps(*db, 0, nullptr);
            transaction.Commit();
        } else if (version < schema::CurrentVersion()) {
            if (Status refused = Upgrade(*db, path, onUpgradeStep)) {
                return refused;
            }
        }
    } catch (const Failure& failure) {
        return Explain(path, failure, options.busyTimeoutMs);
    }
    out.reset(new SqliteConnection(std::move(db), kind == FileKind::Empty));
    return nullptr;
}

} // namespace qm6::data
