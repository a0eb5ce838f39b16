// Job option rules: one row per option that is on, per owner. The rules of an
// owner are a set with a version: a write to it made on an older view than
// the store's is refused as a conflict, so two consoles saving the same
// owner's rules never mix their changes.

#include "qm6data/RecordVersions.h"
#include "qm6data/StoreConnection.h"

#include <sqlite3.h>

namespace qm6::data {

using namespace engine;

namespace {

RuleSet RulesOf(int32_t rulePriority, int32_t parentId) {
    return {RuleSet::JobOptionRules, rulePriority, parentId};
}

// Runs the insert or update of a rule and answers the first column of its
// row, if any; meeting a stored rule of the same option and owner is a
// conflict.
int64_t RunUnique(Statement& write, const JobOptionRule& rule) {
    try {
        const int64_t returned = write.Step() ? write.Int(0) : 0;
        write.Run();
        return returned;
    } catch (const Failure& failure) {
        if (failure.ExtendedCode() != SQLITE_CONSTRAINT_UNIQUE) {
            throw;
        }
        ThrowConflict("a job option rule of option type " + std::to_string(rule.OptionType()) +
                      " for rule priority " + std::to_string(rule.RulePriority()) + ", parent " +
                      std::to_string(rule.ParentId()) + " is already stored");
    }
}

} // namespace

Status StoreConnection::LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules,
                                            int32_t rulePriority, int32_t parentId) {
    return Guarded([&] {
        // The rules and their set's version as of one moment.
        Transaction read(db_, Transaction::Read);
        Statement select(db_, "SELECT rule_id, option_type, value_text, row_version "
                              "FROM job_option_rules WHERE rule_priority = ? AND parent_id = ? "
                              "ORDER BY option_type, rule_id");
        select.Bind(1, rulePriority).Bind(2, parentId);
        vb::Collection loaded;
        while (select.Step()) {
            auto rule = NewJobOptionRule();
            rule->DefineRule(static_cast<int32_t>(select.Int(1)), rulePriority, parentId,
                             select.Text(2));
            rule->MarkStored(ToId(select.Int(0)), select.Int(3));
            loaded.Add(AsItem(std::move(rule)));
        }
        const RuleSet set = RulesOf(rulePriority, parentId);
        const int64_t version = SetVersion(db_, set);
        read.Commit();
        seen_->versions[set] = version;
        Refill(rules, std::move(loaded));
    });
}

Status StoreConnection::SaveJobOptionRule(JobOptionRule& rule, int32_t /*flags*/) {
    return Guarded([&] {
        Write write(db_, *seen_);
        const RuleSet owner = RulesOf(rule.RulePriority(), rule.ParentId());
        if (rule.IsNew()) {
            write.Claim(owner);
            Statement insert(db_,
                             "INSERT INTO job_option_rules "
                             "(rule_priority, parent_id, option_type, value_text, row_version) "
                             "VALUES (?, ?, ?, ?, ?) RETURNING rule_id");
            insert.Bind(1, rule.RulePriority())
                .Bind(2, rule.ParentId())
                .Bind(3, rule.OptionType())
                .Bind(4, rule.ValueText())
                .Bind(5, write.Change());
            const int32_t id = ToId(RunUnique(insert, rule));
            write.Commit();
            rule.MarkStored(id, write.Change());
            return;
        }
        // A rule given another owner leaves its old owner's set as well.
        const RuleSet stored =
            StoredSet(db_, RuleSet::JobOptionRules, rule.RuleId(), rule.RowVersion());
        write.Claim(owner);
        if (stored != owner) {
            write.Claim(stored);
        }
        Statement update(db_, "UPDATE job_option_rules SET rule_priority = ?, parent_id = ?, "
                              "option_type = ?, value_text = ?, row_version = ? WHERE rule_id = ?");
        update.Bind(1, rule.RulePriority())
            .Bind(2, rule.ParentId())
            .Bind(3, rule.OptionType())
            .Bind(4, rule.ValueText())
            .Bind(5, write.Change())
            .Bind(6, rule.RuleId());
        RunUnique(update, rule);
        write.Commit();
        rule.MarkStored(rule.RuleId(), write.Change());
    });
}

// Deleting a rule that is not stored (never saved, or deleted through this
// record) has nothing to do and succeeds.
Status StoreConnection::DeleteJobOptionRule(JobOptionRule& rule) {
    return Guarded([&] {
        if (rule.IsNew()) {
            return;
        }
        Write write(db_, *seen_);
        write.Claim(StoredSet(db_, RuleSet::JobOptionRules, rule.RuleId(), rule.RowVersion()));
        Statement remove(db_, "DELETE FROM job_option_rules WHERE rule_id = ?");
        remove.Bind(1, rule.RuleId());
        remove.Run();
        write.Commit();
        rule.MarkNew();
    });
}

} // namespace qm6::data
