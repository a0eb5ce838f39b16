#include "qm6data/Sqlite.h"

#include "platform/vb/VbError.h"

#include <limits>

namespace qm6::data::sqlite {

void ThrowLast(sqlite3* db) {
    throw Failure(sqlite3_errcode(db), sqlite3_errmsg(db), sqlite3_extended_errcode(db));
}

void ThrowConflict(const std::string& message) {
    throw Failure(DataStatus::kConflict, message);
}

Status Guarded(const std::function<void()>& operation) {
    try {
        operation();
        return nullptr;
    } catch (const Failure& failure) {
        return MakeStatus(failure.Code(), failure.what());
    } catch (const vb::VbError& error) {
        // A value the record holds cannot be stored as its field needs (a
        // limit amount that is not a number, say). The runtime's error number
        // goes into the message: as the code it would read as one of the
        // database's (13 Type mismatch is SQLITE_FULL, 6 Overflow
        // SQLITE_LOCKED).
        return MakeStatus(SQLITE_MISMATCH, std::string("a value of the record cannot be stored: ") +
                                               error.what() + " (error " +
                                               std::to_string(error.Number()) + ")");
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
        throw Failure(sqlite3_errcode(db), message, sqlite3_extended_errcode(db));
    }
}

Transaction::Transaction(sqlite3* db, Kind kind) : db_(db) {
    Exec(db, kind == Write ? "BEGIN IMMEDIATE" : "BEGIN");
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
        throw Failure(SQLITE_RANGE,
                      "stored id " + std::to_string(rowId) + " does not fit a 32-bit record id");
    }
    return static_cast<int32_t>(rowId);
}

} // namespace qm6::data::sqlite

namespace qm6::data::sqlite {

int64_t SetVersion(sqlite3* db, const RuleSet& set) {
    Statement select(db, "SELECT set_version FROM rule_sets "
                         "WHERE rule_kind = ? AND rule_priority = ? AND parent_id = ?");
    select.Bind(1, set.kind).Bind(2, set.rulePriority).Bind(3, set.parentId);
    return select.Step() ? select.Int(0) : 0;
}

Write::Write(sqlite3* db, SeenSets& seen) : db_(db), seen_(seen), transaction_(db) {
    Exec(db, "UPDATE store_state SET last_change = last_change + 1 WHERE state_id = 1");
    Statement select(db, "SELECT last_change FROM store_state WHERE state_id = 1");
    if (!select.Step()) {
        throw Failure(SQLITE_CORRUPT,
                      "the store has no change number (table store_state is empty)");
    }
    change_ = select.Int(0);
}

namespace {

std::string Describe(const RuleSet& set) {
    return std::string(set.kind == RuleSet::JobOptionRules ? "job option rules"
                                                           : "printing limits") +
           " of rule priority " + std::to_string(set.rulePriority) + ", parent " +
           std::to_string(set.parentId);
}

} // namespace

void Write::Claim(const RuleSet& set) {
    const auto seen = seen_.versions.find(set);
    if (seen != seen_.versions.end() && SetVersion(db_, set) != seen->second) {
        ThrowConflict("the " + Describe(set) +
                      " were changed by another connection after they were loaded");
    }
    Statement upsert(db_,
                     "INSERT INTO rule_sets (rule_kind, rule_priority, parent_id, set_version) "
                     "VALUES (?, ?, ?, ?) ON CONFLICT (rule_kind, rule_priority, parent_id) "
                     "DO UPDATE SET set_version = excluded.set_version");
    upsert.Bind(1, set.kind).Bind(2, set.rulePriority).Bind(3, set.parentId).Bind(4, change_);
    upsert.Run();
    claimed_.push_back(set);
}

void Write::Commit() {
    transaction_.Commit();
    for (const RuleSet& set : claimed_) {
        seen_.versions[set] = change_;
    }
}

int64_t CheckRowVersion(sqlite3* db, std::string_view table, std::string_view idColumn, int32_t id,
                        int64_t loadedVersion, const std::string& what) {
    Statement select(db, "SELECT row_version FROM " + std::string(table) + " WHERE " +
                             std::string(idColumn) + " = ?");
    select.Bind(1, id);
    if (!select.Step()) {
        ThrowConflict(what + " was deleted by another connection after it was loaded");
    }
    const int64_t stored = select.Int(0);
    if (stored != loadedVersion) {
        ThrowConflict(what + " was changed by another connection after it was loaded");
    }
    return stored;
}

RuleSet StoredSet(sqlite3* db, RuleSet::Kind kind, int32_t id, int64_t loadedVersion) {
    const bool rules = kind == RuleSet::JobOptionRules;
    const std::string table = rules ? "job_option_rules" : "printing_limits";
    const std::string idColumn = rules ? "rule_id" : "limit_id";
    CheckRowVersion(db, table, idColumn, id, loadedVersion,
                    (rules ? "job option rule " : "printing limit ") + std::to_string(id));
    Statement select(db, "SELECT rule_priority, parent_id FROM " + table + " WHERE " + idColumn +
                             " = ?");
    select.Bind(1, id);
    select.Step();
    return {kind, static_cast<int32_t>(select.Int(0)), static_cast<int32_t>(select.Int(1))};
}

} // namespace qm6::data::sqlite
