// Job option rules: one row per option that is on, per owner.

#include "qm6data/SqliteConnection.h"
#include "qm6data/Sqlite.h"

namespace qm6::data {

using namespace sqlite;

Status SqliteConnection::LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules,
                                            int32_t rulePriority, int32_t parentId) {
    return Guarded([&] {
        Statement select(db_, "SELECT rule_id, option_type, value_text FROM job_option_rules "
                              "WHERE rule_priority = ? AND parent_id = ? "
                              "ORDER BY option_type, rule_id");
        select.Bind(1, rulePriority).Bind(2, parentId);
        vb::Collection loaded;
        while (select.Step()) {
            auto rule = NewJobOptionRule();
            rule->DefineRule(static_cast<int32_t>(select.Int(1)), rulePriority, parentId,
                             select.Text(2));
            rule->MarkStored(ToId(select.Int(0)));
            loaded.Add(AsItem(std::move(rule)));
        }
        Refill(rules, std::move(loaded));
    });
}

Status SqliteConnection::SaveJobOptionRule(JobOptionRule& rule, int32_t /*flags*/) {
    return Guarded([&] {
        if (rule.IsNew()) {
            Statement insert(db_, "INSERT INTO job_option_rules "
                                  "(rule_priority, parent_id, option_type, value_text) "
                                  "VALUES (?, ?, ?, ?)");
            insert.Bind(1, rule.RulePriority())
                .Bind(2, rule.ParentId())
                .Bind(3, rule.OptionType())
                .Bind(4, rule.ValueText());
            insert.Run();
            rule.MarkStored(ToId(sqlite3_last_insert_rowid(db_)));
            return;
        }
        Statement update(db_, "UPDATE job_option_rules SET rule_priority = ?, parent_id = ?, "
                              "option_type = ?, value_text = ? WHERE rule_id = ?");
        update.Bind(1, rule.RulePriority())
            .Bind(2, rule.ParentId())
            .Bind(3, rule.OptionType())
            .Bind(4, rule.ValueText())
            .Bind(5, rule.RuleId());
        update.Run();
        if (sqlite3_changes(db_) == 0) {
            throw Failure(SQLITE_NOTFOUND, "job option rule " + std::to_string(rule.RuleId()) +
                                               " is no longer stored");
        }
    });
}

// Deleting a rule that is not stored (never saved, or already deleted) has
// nothing to do and succeeds.
Status SqliteConnection::DeleteJobOptionRule(JobOptionRule& rule) {
    return Guarded([&] {
        if (rule.IsNew()) {
            return;
        }
        Statement remove(db_, "DELETE FROM job_option_rules WHERE rule_id = ?");
        remove.Bind(1, rule.RuleId());
        remove.Run();
        rule.MarkNew();
    });
}

} // namespace qm6::data
