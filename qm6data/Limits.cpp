// Printing limits: rows per owner in display order; new limits go last. The
// limits of an owner are a set with a version, as the job option rules are:
// a write made on an older view of the set than the store's is refused.

#include "platform/vb/Conversions.h"
#include "qm6data/RecordVersions.h"
#include "qm6data/StoreConnection.h"

namespace qm6::data {

using namespace engine;

namespace {

// The stored form of a limit's amount: ten-thousandths for money, else the count.
int64_t StoredValue(const PrintingLimit& limit) {
    if (PrintingLimit::IsMoneyType(limit.LimitType())) {
        return vb::CCur(limit.LimitValue()).Scaled();
    }
    return vb::CLng(limit.LimitValue());
}

vb::Variant LoadedValue(int32_t limitType, int64_t stored) {
    if (PrintingLimit::IsMoneyType(limitType)) {
        return vb::Variant(vb::Currency::FromScaled(stored));
    }
    return vb::Variant(static_cast<int32_t>(stored));
}

RuleSet LimitsOf(int32_t rulePriority, int32_t parentId) {
    return {RuleSet::PrintingLimits, rulePriority, parentId};
}

} // namespace

Status StoreConnection::LoadPrintingLimits(std::shared_ptr<vb::Collection>& limits,
                                            int32_t rulePriority, int32_t parentId) {
    return Guarded([&] {
        // The limits and their set's version as of one moment.
        Transaction read(db_, Transaction::Read);
        Statement select(db_, "SELECT limit_id, limit_type, limit_value, title, message_text, "
                              "stop_job, row_version FROM printing_limits "
                              "WHERE rule_priority = ? AND parent_id = ? "
                              "ORDER BY display_order, limit_id");
        select.Bind(1, rulePriority).Bind(2, parentId);
        vb::Collection loaded;
        while (select.Step()) {
            auto limit = NewPrintingLimit();
            const auto type = static_cast<int32_t>(select.Int(1));
            limit->SetRulePriority(rulePriority);
            limit->SetParentId(parentId);
            limit->SetLimitType(type);
            limit->SetLimitValue(LoadedValue(type, select.Int(2)));
            limit->SetTitle(select.Text(3));
            limit->SetMessageText(select.Text(4));
            limit->SetStopJob(select.Int(5) != 0);
            limit->MarkStored(ToId(select.Int(0)), select.Int(6));
            loaded.Add(AsItem(std::move(limit)));
        }
        const RuleSet set = LimitsOf(rulePriority, parentId);
        const int64_t version = SetVersion(db_, set);
        read.Commit();
        seen_->versions[set] = version;
        Refill(limits, std::move(loaded));
    });
}

Status StoreConnection::SavePrintingLimit(PrintingLimit& limit) {
    return Guarded([&] {
        const int64_t value = StoredValue(limit);
        Write write(db_, *seen_);
        const RuleSet owner = LimitsOf(limit.RulePriority(), limit.ParentId());
        if (limit.IsNew()) {
            write.Claim(owner);
            Statement last(db_, "SELECT coalesce(max(display_order), 0) FROM printing_limits "
                                "WHERE rule_priority = ? AND parent_id = ?");
            last.Bind(1, limit.RulePriority()).Bind(2, limit.ParentId());
            last.Step();
            const int64_t order = last.Int(0) + 1;
            Statement insert(db_, "INSERT INTO printing_limits (rule_priority, parent_id, "
                                  "display_order, limit_type, limit_value, title, message_text, "
                                  "stop_job, row_version) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                  "RETURNING limit_id");
            insert.Bind(1, limit.RulePriority())
                .Bind(2, limit.ParentId())
                .Bind(3, order)
                .Bind(4, limit.LimitType())
                .Bind(5, value)
                .Bind(6, limit.Title())
                .Bind(7, limit.MessageText())
                .Bind(8, limit.StopJob() ? 1 : 0)
                .Bind(9, write.Change());
            const int32_t id = ToId(Returned(insert));
            write.Commit();
            limit.MarkStored(id, write.Change());
            return;
        }
        // A limit given another owner leaves its old owner's set as well.
        const RuleSet stored =
            StoredSet(db_, RuleSet::PrintingLimits, limit.LimitId(), limit.RowVersion());
        write.Claim(owner);
        if (stored != owner) {
            write.Claim(stored);
        }
        Statement update(db_, "UPDATE printing_limits SET rule_priority = ?, parent_id = ?, "
                              "limit_type = ?, limit_value = ?, title = ?, message_text = ?, "
                              "stop_job = ?, row_version = ? WHERE limit_id = ?");
        update.Bind(1, limit.RulePriority())
            .Bind(2, limit.ParentId())
            .Bind(3, limit.LimitType())
            .Bind(4, value)
            .Bind(5, limit.Title())
            .Bind(6, limit.MessageText())
            .Bind(7, limit.StopJob() ? 1 : 0)
            .Bind(8, write.Change())
            .Bind(9, limit.LimitId());
        update.Run();
        write.Commit();
        limit.MarkStored(limit.LimitId(), write.Change());
    });
}

// Deleting a limit that is not stored (never saved, or deleted through this
// record) has nothing to do and succeeds.
Status StoreConnection::DeletePrintingLimit(PrintingLimit& limit) {
    return Guarded([&] {
        if (limit.IsNew()) {
            return;
        }
        Write write(db_, *seen_);
        write.Claim(StoredSet(db_, RuleSet::PrintingLimits, limit.LimitId(), limit.RowVersion()));
        Statement remove(db_, "DELETE FROM printing_limits WHERE limit_id = ?");
        remove.Bind(1, limit.LimitId());
        remove.Run();
        write.Commit();
        limit.MarkNew();
    });
}

} // namespace qm6::data
