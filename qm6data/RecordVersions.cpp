#include "qm6data/RecordVersions.h"

#include <sqlite3.h>

namespace qm6::data::engine {

int64_t SetVersion(Engine& engine, const RuleSet& set) {
    Statement select(engine, "SELECT set_version FROM rule_sets "
                             "WHERE rule_kind = ? AND rule_priority = ? AND parent_id = ?");
    select.Bind(1, set.kind).Bind(2, set.rulePriority).Bind(3, set.parentId);
    return select.Step() ? select.Int(0) : 0;
}

Write::Write(Engine& engine, SeenSets& seen)
    : engine_(engine), seen_(seen), transaction_(engine) {
    Statement next(engine, "UPDATE store_state SET last_change = last_change + 1 "
                           "WHERE state_id = 1 RETURNING last_change");
    if (!next.Step()) {
        throw Failure(SQLITE_CORRUPT,
                      "the store has no change number (table store_state is empty)");
    }
    change_ = next.Int(0);
    next.Run();
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
    if (seen != seen_.versions.end() && SetVersion(engine_, set) != seen->second) {
        ThrowConflict("the " + Describe(set) +
                      " were changed by another connection after they were loaded");
    }
    Statement upsert(engine_,
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

int64_t CheckRowVersion(Engine& engine, std::string_view table, std::string_view idColumn,
                        int32_t id, int64_t loadedVersion, const std::string& what) {
    Statement select(engine, "SELECT row_version FROM " + std::string(table) + " WHERE " +
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

RuleSet StoredSet(Engine& engine, RuleSet::Kind kind, int32_t id, int64_t loadedVersion) {
    const bool rules = kind == RuleSet::JobOptionRules;
    const std::string table = rules ? "job_option_rules" : "printing_limits";
    const std::string idColumn = rules ? "rule_id" : "limit_id";
    CheckRowVersion(engine, table, idColumn, id, loadedVersion,
                    (rules ? "job option rule " : "printing limit ") + std::to_string(id));
    Statement select(engine, "SELECT rule_priority, parent_id FROM " + table + " WHERE " +
                                 idColumn + " = ?");
    select.Bind(1, id);
    select.Step();
    return {kind, static_cast<int32_t>(select.Int(0)), static_cast<int32_t>(select.Int(1))};
}

} // namespace qm6::data::engine
