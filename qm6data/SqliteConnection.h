#pragma once

#include "contract/Connection.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

struct sqlite3;

namespace qm6::data {

namespace sqlite {
struct SeenSets;
}

struct OpenOptions {
    // Make the file, with an empty store, when it does not exist (or is an
    // empty file). Otherwise a missing file is a failure.
    bool create = false;
    // How long opening, and then each statement, waits for another
    // program's lock before it fails with SQLITE_BUSY.
    int busyTimeoutMs = 3000;
};

// Called inside an upgrade's transaction after each step has been applied,
// with the version the store then has; a host can report progress.
using UpgradeStepHandler = std::function<void(int32_t version)>;

// The data-access object on an SQLite database file.
//
// A file is accepted when it carries the qm6data application id and a schema
// version this library knows. A store of an older version is upgraded in
// place, in one transaction, keeping its data (a crash during the upgrade
// leaves it as it was); a damaged store is not upgraded. A newer store, a
// foreign file or a damaged one that cannot be read is refused with a status
// and left exactly as it was (it is checked through a read-only connection
// before it is opened for writing). A file whose mode bits allow no writing is
// opened read-only for everyone, root included, so every write then fails
// with SQLITE_READONLY.
//
// Stored records carry versions: a save or delete of a record that another
// connection changed or deleted after this one loaded it, a write to an
// owner's rules (job option rules, printing limits) that another connection
// changed after this one loaded them, and an insert that meets a stored rule,
// write nothing and answer DataStatus::kConflict.
//
// Other failures come back as statuses carrying the database's own result
// code and message (SQLITE_BUSY 5 for a lock held elsewhere, SQLITE_READONLY
// 8, SQLITE_CORRUPT 11, SQLITE_CONSTRAINT 19, ...). The refusals of Open are
// sentences naming the file, with the database's message after them, and use
// SQLITE_CANTOPEN 14 for a missing file, SQLITE_BUSY 5 for a file locked by
// another program, SQLITE_CORRUPT 11 for a damaged one and SQLITE_NOTADB 26
// for a foreign file or a version this library does not know.
class SqliteConnection final : public Connection {
public:
    static Status Open(const std::filesystem::path& file, std::shared_ptr<SqliteConnection>& out,
                       const OpenOptions& options = {},
                       const UpgradeStepHandler& onUpgradeStep = nullptr);
    ~SqliteConnection() override;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    bool IsReadOnly() const;
    // Runs a script of statements in one transaction (the seed data).
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

private:
    explicit SqliteConnection(sqlite3* db);

    sqlite3* db_;
    // The version of each owner's rules as this connection last loaded or
    // wrote them.
    std::unique_ptr<sqlite::SeenSets> seen_;
};

} // namespace qm6::data
