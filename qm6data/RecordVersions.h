#pragma once

// Versions of stored records and of owners' rule sets, so that a write made
// on an out-of-date view of the store is refused as a conflict.

#include "qm6data/Engine.h"

#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::data::engine {

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
int64_t SetVersion(Engine& engine, const RuleSet& set);

// One write of records: its transaction and the store's next change number,
// which the write stamps on the records it writes and the sets it claims.
// Taking the number makes writers take turns, on every engine.
class Write {
public:
    Write(Engine& engine, SeenSets& seen);
    int64_t Change() const { return change_; }
    // Refuses the write as a conflict when another connection wrote to the
    // set since this connection last loaded or wrote it; a set this
    // connection never saw is claimed without that check. Then stamps the set
    // with the change number.
    void Claim(const RuleSet& set);
    // Commits; the claimed sets count as seen at the change number.
    void Commit();

private:
    Engine& engine_;
    SeenSets& seen_;
    Transaction transaction_;
    int64_t change_ = 0;
    std::vector<RuleSet> claimed_;
};

// The stored version of a record, read inside a write that saves or deletes
// it; a record that is no longer stored, or is stored at another version
// than loadedVersion, is a conflict. what names the record in the message.
int64_t CheckRowVersion(Engine& engine, std::string_view table, std::string_view idColumn,
                        int32_t id, int64_t loadedVersion, const std::string& what);

// The set a stored rule or limit belongs to, read inside a write that saves or
// deletes it, after the same check as CheckRowVersion.
RuleSet StoredSet(Engine& engine, RuleSet::Kind kind, int32_t id, int64_t loadedVersion);

} // namespace qm6::data::engine
