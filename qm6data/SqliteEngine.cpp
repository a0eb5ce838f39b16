#include "qm6data/SqliteEngine.h"

#include <string>

namespace qm6::data::engine {

void ThrowLast(sqlite3* db) {
    throw Failure(sqlite3_errcode(db), sqlite3_errmsg(db), sqlite3_extended_errcode(db));
}

namespace {

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(sqlite3* db, std::string_view sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
            SQLITE_OK) {
            ThrowLast(db);
        }
    }
    ~SqliteCursor() override { sqlite3_finalize(stmt_); }
    SqliteCursor(const SqliteCursor&) = delete;
    SqliteCursor& operator=(const SqliteCursor&) = delete;

    void Bind(int index, int64_t value) override {
        if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) {
            ThrowLast(db_);
        }
    }

    void Bind(int index, std::string_view text) override {
        if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK) {
            ThrowLast(db_);
        }
    }

    bool Step() override {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc == SQLITE_DONE) {
            return false;
        }
        ThrowLast(db_);
    }

    int64_t Int(int column) const override { return sqlite3_column_int64(stmt_, column); }

    std::string Text(int column) const override {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

SqliteEngine::~SqliteEngine() {
    sqlite3_close_v2(db_);
}

std::unique_ptr<Cursor> SqliteEngine::Prepare(std::string_view sql) {
    return std::make_unique<SqliteCursor>(db_, sql);
}

void SqliteEngine::Execute(std::string_view script) {
    char* error = nullptr;
    if (sqlite3_exec(db_, std::string(script).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw Failure(sqlite3_errcode(db_), message, sqlite3_extended_errcode(db_));
    }
}

void SqliteEngine::StartTransaction(Begin kind) {
    // BEGIN takes no lock before the first read; BEGIN IMMEDIATE takes the
    // write lock at once.
    Execute(kind == Begin::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

void SqliteEngine::Commit() {
    Execute("COMMIT");
}

void SqliteEngine::Rollback() noexcept {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteEngine::IsReadOnly() {
    return sqlite3_db_readonly(db_, "main") == 1;
}

} // namespace qm6::data::engine
