#pragma once

// The small interface the store's operations are written against, with one
// implementation per database engine (SQLite for a file, PostgreSQL for a
// server): prepared statements with ? for their parameters, transactions, and
// the exception that carries a failure to the edge of each operation, where
// it becomes a DataStatus.
//
// Status codes use SQLite's numbering on every engine, so that a host tells
// the kinds of failure apart in one way (see StatusKind.h); an engine whose
// own codes differ answers the code of the same meaning and puts its own code
// in the message.

#include "contract/DataStatus.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qm6::data::engine {

// A failure inside an operation: the store's code and message. The code is a
// primary result code in SQLite's numbering (or DataStatus::kConflict, or
// kUnreachable); the extended code tells the kinds of a primary code apart (a
// unique key from a check).
class Failure : public std::runtime_error {
public:
    Failure(int code, const std::string& message, int extendedCode = 0)
        : std::runtime_error(message), code_(code),
          extendedCode_(extendedCode ? extendedCode : code) {}
    int Code() const noexcept { return code_; }
    int ExtendedCode() const noexcept { return extendedCode_; }

private:
    int code_;
    int extendedCode_;
};

// Throws a conflict: the write was made on an out-of-date view.
[[noreturn]] void ThrowConflict(const std::string& message);

// Runs an operation and turns whatever it throws into a status, so that no
// failure of the store reaches an editor as an exception.
Status Guarded(const std::function<void()>& operation);

// One prepared statement of an engine. Values come back as integers or texts;
// a NULL reads as 0 or "".
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void Bind(int index, int64_t value) = 0;
    virtual void Bind(int index, std::string_view text) = 0;
    // Answers true while a row is available; throws on failure.
    virtual bool Step() = 0;
    virtual int64_t Int(int column) const = 0;
    virtual std::string Text(int column) const = 0;
};

class Engine {
public:
    enum class Begin {
        // Writers take turns from here on (SQLite's BEGIN IMMEDIATE; on a
        // server the store's change counter, the first row every write
        // updates, does the same).
        Write,
        // Every read sees the store as of one moment.
        Read,
    };

    virtual ~Engine() = default;
    // A statement with ? for each parameter, numbered from 1.
    virtual std::unique_ptr<Cursor> Prepare(std::string_view sql) = 0;
    // Runs statements separated by semicolons, without parameters.
    virtual void Execute(std::string_view script) = 0;
    virtual void StartTransaction(Begin kind) = 0;
    virtual void Commit() = 0;
    virtual void Rollback() noexcept = 0;
    virtual bool IsReadOnly() = 0;
    // After a script wrote rows with ids of its own: rows inserted later are
    // numbered after them.
    virtual void ContinueNumbering() {}
};

// A statement of an engine with chained binds.
class Statement {
public:
    Statement(Engine& engine, std::string_view sql) : cursor_(engine.Prepare(sql)) {}

    Statement& Bind(int index, int64_t value) {
        cursor_->Bind(index, value);
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        cursor_->Bind(index, text);
        return *this;
    }
    bool Step() { return cursor_->Step(); }
    // Runs a statement that returns no rows.
    void Run() {
        while (Step()) {
        }
    }
    int64_t Int(int column) const { return cursor_->Int(column); }
    std::string Text(int column) const { return cursor_->Text(column); }

private:
    std::unique_ptr<Cursor> cursor_;
};

// A transaction that is rolled back when it goes without Commit.
class Transaction {
public:
    using Kind = Engine::Begin;
    static constexpr Kind Write = Engine::Begin::Write;
    static constexpr Kind Read = Engine::Begin::Read;

    explicit Transaction(Engine& engine, Kind kind = Write) : engine_(engine) {
        engine.StartTransaction(kind);
    }
    ~Transaction() {
        if (open_) {
            engine_.Rollback();
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    // A commit that fails leaves the transaction to be rolled back.
    void Commit() {
        engine_.Commit();
        open_ = false;
    }

private:
    Engine& engine_;
    bool open_ = true;
};

// Runs an INSERT ... RETURNING of one column to its end and answers the
// column of its row.
int64_t Returned(Statement& insert);

// A stored id as the 32-bit id the records carry; ids beyond that range are a
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

} // namespace qm6::data::engine
