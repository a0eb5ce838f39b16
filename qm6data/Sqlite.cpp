#include "qm6data/Sqlite.h"

#include "platform/vb/VbError.h"

#include <limits>

namespace qm6::data::sqlite {

void ThrowLast(sqlite3* db) {
    throw Failure(sqlite3_errcode(db), sqlite3_errmsg(db));
}

Status Guarded(const std::function<void()>& operation) {
    try {
        operation();
        return nullptr;
    } catch (const Failure& failure) {
        return MakeStatus(failure.Code(), failure.what());
    } catch (const vb::VbError& error) {
        // A value the record holds cannot be stored as its field needs
        // (a limit amount that is not a number, say).
        return MakeStatus(error.Number(), error.what());
    } catch (const std::exception& error) {
        return MakeStatus(SQLITE_INTERNAL, error.what());
    }
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        ThrowLast(db);
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::Bind(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) {
        ThrowLast(db_);
    }
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        ThrowLast(db_);
    }
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    ThrowLast(db_);
}

void Statement::Run() {
    while (Step()) {
    }
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw Failure(sqlite3_errcode(db), message);
    }
}

Transaction::Transaction(sqlite3* db) : db_(db) {
    Exec(db, "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    Exec(db_, "COMMIT");
    open_ = false;
}

int32_t ToId(int64_t rowId) {
    if (rowId < 1 || rowId > std::numeric_limits<int32_t>::max()) {
        throw Failure(SQLITE_RANGE, "stored id " + std::to_string(rowId) +
                                        " does not fit a 32-bit record id");
    }
    return static_cast<int32_t>(rowId);
}

} // namespace qm6::data::sqlite
