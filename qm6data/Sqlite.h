#pragma once

// Small wrappers over the SQLite C interface for the store's own use: a
// prepared statement, a transaction, and the exception that carries a
// failure to the edge of each operation, where it becomes a DataStatus.

#include "contract/DataStatus.h"
#include "platform/vb/Collection.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qm6::data::sqlite {

// A failure inside an operation: the database's code and message.
class Failure : public std::runtime_error {
public:
    Failure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};

// Throws the connection's last error.
[[noreturn]] void ThrowLast(sqlite3* db);

// Runs an operation and turns whatever it throws into a status, so that no
// failure of the store reaches an editor as an exception.
Status Guarded(const std::function<void()>& operation);

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    // Answers true while a row is available; throws on failure.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();

    int64_t Int(int column) const;
    std::string Text(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE now, ROLLBACK when it goes without Commit.
class Transaction {
public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    sqlite3* db_;
    bool open_ = true;
};

void Exec(sqlite3* db, const char* sql);

// A row id as the 32-bit id the records carry; ids beyond that range are a
// failure rather than a silently wrong record.
int32_t ToId(int64_t rowId);

// Hands loaded records to a caller's collection variable: a null variable is
// given the new collection; a held collection gets the new contents in place.
inline void Refill(std::shared_ptr<vb::Collection>& target, vb::Collection&& items) {
    if (target) {
        *target = std::move(items);
    } else {
        target = std::make_shared<vb::Collection>(std::move(items));
    }
}

template <typename T> vb::Variant AsItem(std::shared_ptr<T> record) {
    return vb::Variant(std::static_pointer_cast<vb::Object>(std::move(record)));
}

} // namespace qm6::data::sqlite
