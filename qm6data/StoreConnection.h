#pragma once

#include "contract/Connection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace qm6::data {

namespace engine {
class Engine;
struct SeenSets;
} // namespace engine

struct OpenOptions {
    // Lay out an empty store when there is none: make the file (or fill an
    // empty one), or lay out an empty database on a server. Otherwise a
    // missing file or an empty database is a failure.
    bool create = false;
    // How long opening, and then each statement, waits for another
    // program's lock before it fails with SQLITE_BUSY.
    int busyTimeoutMs = 3000;
};

// Called inside an upgrade's transaction after each step has been applied,
// with the version the store then has; a host can report progress.
using UpgradeStepHandler = std::function<void(int32_t version)>;

// The data-access object on one store, whatever engine holds it: the
// operations of Connection written once over the engine's statements.
//
// Stored records carry versions: a save or delete of a record that another
// connection changed or deleted after this one loaded it, a write to an
// owner's rules (job option rules, printing limits) that another connection
// changed after this one loaded them, and an insert that meets a stored rule,
// write nothing and answer DataStatus::kConflict. Every save is one
// transaction.
//
// Other failures come back as statuses carrying a code in SQLite's numbering
// and the engine's message (SQLITE_BUSY 5 for a lock held elsewhere,
// SQLITE_READONLY 8, SQLITE_CORRUPT 11, SQLITE_CONSTRAINT 19, ...), and
// kUnreachable (StatusKind.h) for a server that cannot be reached.
class StoreConnection : public Connection {
public:
    ~StoreConnection() override;
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    bool IsReadOnly();
    // Whether opening laid the store out (a new file, an empty database).
    bool IsNew() const { return isNew_; }
    // Runs a script of statements in one transaction (the seed data). Ids the
    // script gives its rows are kept, and later rows are numbered after them.
    Status ExecuteScript(std::string_view sql);

    Status LoadJobOptionRules(std::shared_ptr<vb::Collection>& rules, int32_t rulePriority,
                              int32_t parentId) override;
    Status LoadPrintingLimits(std::shared_ptr<vb::Collection>& limits, int32_t rulePriority,
                              int32_t parentId) override;
    Status LoadPaperSizes(std::shared_ptr<RecordSet>& records) override;
    Status LoadCustomFields(std::shared_ptr<RecordSet>& records) override;
    Status LoadSystemSettings(std::shared_ptr<SystemSettings>& settings) override;
    Status LoadPrinterProfiles(std::shared_ptr<RecordSet>& records) override;
    Status LoadPriceProfiles(std::shared_ptr<RecordSet>& records) override;
    Status LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                            int32_t priceProfileId) override;
    Status LoadRuleActions(std::shared_ptr<vb::Collection>& actions) override;

    Status SaveJobOptionRule(JobOptionRule& rule, int32_t flags) override;
    Status DeleteJobOptionRule(JobOptionRule& rule) override;
    Status SavePrintingLimit(PrintingLimit& limit) override;
    Status DeletePrintingLimit(PrintingLimit& limit) override;
    Status SavePriceProfile(PriceProfile& profile) override;
    Status SaveRuleAction(RuleAction& action) override;

    std::shared_ptr<JobOptionRule> NewJobOptionRule() override;
    std::shared_ptr<PrintingLimit> NewPrintingLimit() override;
    std::shared_ptr<PaperSizePrice> NewPaperSizePrice() override;
    std::shared_ptr<PriceProfile> NewPriceProfile() override;
    std::shared_ptr<RuleAction> NewRuleAction() override;

protected:
    StoreConnection(std::unique_ptr<engine::Engine> engine, bool isNew);

private:
    std::unique_ptr<engine::Engine> engine_;
    engine::Engine& db_;
    // The version of each owner's rules as this connection last loaded or
    // wrote them.
    std::unique_ptr<engine::SeenSets> seen_;
    bool isNew_;
};

} // namespace qm6::data
