#include "qm6data/SqliteConnection.h"

#include "qm6data/Schema.h"
#include "qm6data/Sqlite.h"

#include <sys/stat.h>

#include <string>
#include <system_error>
#include <utility>

namespace qm6::data {

using namespace sqlite;

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
        return MakeStatus(code, path + ": " + (handle.db ? sqlite3_errmsg(handle.db) : "out of memory"));
    }
    return nullptr;
}

enum class FileKind { Ours, Empty };

// Reads the marks of a file through a read-only connection, so that a file
// that is refused is never written.
Status Inspect(const std::string& path, FileKind& kind) {
    Handle handle;
    if (Status status = OpenHandle(path, SQLITE_OPEN_READONLY, handle)) {
        return status;
    }
    int64_t applicationId = 0, version = 0, objects = 0;
    const Status read = Guarded([&] {
        Statement app(handle.db, "PRAGMA application_id");
        app.Step();
        applicationId = app.Int(0);
        Statement ver(handle.db, "PRAGMA user_version");
        ver.Step();
        version = ver.Int(0);
        Statement count(handle.db, "SELECT count(*) FROM sqlite_schema");
        count.Step();
        objects = count.Int(0);
    });
    if (read) {
        return MakeStatus(read->Code(),
                          path + " is not a qm6data database (" + read->Message() + ")");
    }
    if (applicationId == 0 && version == 0 && objects == 0) {
        kind = FileKind::Empty;
        return nullptr;
    }
    if (applicationId != kApplicationId) {
        return MakeStatus(SQLITE_NOTADB, path + " is not a qm6data database");
    }
    if (version != kSchemaVersion) {
        return MakeStatus(SQLITE_NOTADB, path + " is a qm6data database of schema version " +
                                             std::to_string(version) +
                                             "; this library reads version " +
                                             std::to_string(kSchemaVersion));
    }
    kind = FileKind::Ours;
    return nullptr;
}

bool ModeAllowsWriting(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

} // namespace

Status SqliteConnection::Open(const std::filesystem::path& file,
                              std::shared_ptr<SqliteConnection>& out, const OpenOptions& options) {
    const std::string path = file.string();
    std::error_code error;
    const bool exists = std::filesystem::exists(file, error);
    FileKind kind = FileKind::Empty;
    if (!exists) {
        if (!options.create) {
            return MakeStatus(SQLITE_CANTOPEN, path + ": no such database file");
        }
    } else if (Status status = Inspect(path, kind)) {
        return status;
    }
    if (kind == FileKind::Empty && !options.create) {
        return MakeStatus(SQLITE_NOTADB, path + " is not a qm6data database (it is empty)");
    }

    Handle handle;
    int flags = ModeAllowsWriting(path) ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (kind == FileKind::Empty) {
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    if (Status status = OpenHandle(path, flags, handle)) {
        return status;
    }
    sqlite3_busy_timeout(handle.db, options.busyTimeoutMs);
    const Status setUp = Guarded([&] {
        Exec(handle.db, "PRAGMA foreign_keys = ON");
        if (kind == FileKind::Empty) {
            Transaction transaction(handle.db);
            Exec(handle.db, kSchemaSql);
            transaction.Commit();
        }
    });
    if (setUp) {
        return setUp;
    }
    out.reset(new SqliteConnection(handle.Release()));
    return nullptr;
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close_v2(db_);
}

bool SqliteConnection::IsReadOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

Status SqliteConnection::ExecuteScript(std::string_view sql) {
    return Guarded([&] {
        Transaction transaction(db_);
        Exec(db_, std::string(sql).c_str());
        transaction.Commit();
    });
}

std::shared_ptr<JobOptionRule> SqliteConnection::NewJobOptionRule() {
    return std::make_shared<JobOptionRule>();
}

std::shared_ptr<PrintingLimit> SqliteConnection::NewPrintingLimit() {
    return std::make_shared<PrintingLimit>();
}

std::shared_ptr<PaperSizePrice> SqliteConnection::NewPaperSizePrice() {
    return std::make_shared<PaperSizePrice>();
}

std::shared_ptr<PriceProfile> SqliteConnection::NewPriceProfile() {
    return std::make_shared<PriceProfile>();
}

} // namespace qm6::data
