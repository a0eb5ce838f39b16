#pragma once

// The store's engine on an SQLite database file.

#include "qm6data/Engine.h"

#include <sqlite3.h>

namespace qm6::data::engine {

// Throws the connection's last error.
[[noreturn]] void ThrowLast(sqlite3* db);

class SqliteEngine final : public Engine {
public:
    // Takes the handle over and closes it when it goes.
    explicit SqliteEngine(sqlite3* db) : db_(db) {}
    ~SqliteEngine() override;
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    sqlite3* Handle() const { return db_; }

    std::unique_ptr<Cursor> Prepare(std::string_view sql) override;
    void Execute(std::string_view script) override;
    void StartTransaction(Begin kind) override;
    void Commit() override;
    void Rollback() noexcept override;
    bool IsReadOnly() override;

private:
    sqlite3* db_;
};

} // namespace qm6::data::engine
