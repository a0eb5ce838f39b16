#pragma once

// Small wrappers over the SQLite C interface for the store's own use: a
// prepared statement, a transaction, a write with its versions, and the
// exception that carries a failure to the edge of each operation, where it
// becomes a DataStatus.

#include "contract/DataStatus.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <functional>
#include <map>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data::sqlite {

// A failure inside an operation: the database's code and message. The code
// is SQLite's primary result code (or DataStatus::kConflict); the extended
// code tells the kinds of a primary code apart (a unique key from a check).
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

// Throws the connection's last error.
[[noreturn]] void ThrowLast(sqlite3* db);
// Throws a conflict: the write was made on an out-of-date view.
[[noreturn]] void ThrowConflict(const std::string& message);

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

// BEGIN IMMEDIATE now (or BEGIN, which takes no lock before the first read,
// for reads that must see one state of the store), ROLLBACK when it goes
// without Commit.
class Transaction {
public:
    enum Kind { Write, Read };
    explicit Transaction(sqlite3* db, Kind kind = Write);
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

// A set of rules of one owner that carries a version: every write to the set
// raises it, so that a write made on an older view of the set is refused.
struct RuleSet {
    enum Kind : int32_t { JobOptionRules = 1, PrintingLimits = 2 };
    Kind kind;
    int32_t rulePriority;
    int32_t parentId;
    auto operator<=>(const RuleSet&) const = default;
};

// The set versions a connection saw when it last loaded or wrote each set.
struct SeenSets {
    std::map<RuleSet, int64_t> versions;
};

// A set's stored version; 0 for a set never written.
int64_t SetVersion(sqlite3* db, const RuleSet& set);

// One write of records: its transaction and the store's next change number,
// which the write stamps on the records it writes and the sets it claims.
class Write {
public:
    Write(sqlite3* db, SeenSets& seen);
    int64_t Change() const { return change_; }
    // Refuses the write as a conflict when another connection wrote to the
    // set since this connection last loaded or wrote it; a set this
    // connection never saw is claimed without that check. Then stamps the set
    // with the change number.
    void Claim(const RuleSet& set);
    // Commits; the claimed sets count as seen at the change number.
    void Commit();

private:
    sqlite3* db_;
    SeenSets& seen_;
    Transaction transaction_;
    int64_t change_ = 0;
    std::vector<RuleSet> claimed_;
};

// The stored version of a record, read inside a write that saves or deletes
// it; a record that is no longer stored, or is stored at another version
// than loadedVersion, is a conflict. what names the record in the message.
int64_t CheckRowVersion(sqlite3* db, std::string_view table, std::string_view idColumn, int32_t id,
                        int64_t loadedVersion, const std::string& what);

// The set a stored rule or limit belongs to, read inside a write that saves or
// deletes it, after the same check as CheckRowVersion.
RuleSet StoredSet(sqlite3* db, RuleSet::Kind kind, int32_t id, int64_t loadedVersion);

template <typename T> vb::Variant AsItem(std::shared_ptr<T> record) {
    return vb::Variant(std::static_pointer_cast<vb::Object>(std::move(record)));
}

} // namespace qm6::data::sqlite
