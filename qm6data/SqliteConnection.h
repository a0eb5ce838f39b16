#pragma once

#include "contract/Connection.h"

#include <filesystem>
#include <memory>
#include <string_view>

struct sqlite3;

namespace qm6::data {

struct OpenOptions {
    // Make the file, with an empty store, when it does not exist (or is an
    // empty file). Otherwise a missing file is a failure.
    bool create = false;
    // How long a statement waits for another connection's lock before it
    // fails with SQLITE_BUSY.
    int busyTimeoutMs = 2000;
};

// The data-access object on an SQLite database file.
//
// A file is accepted only when it carries the qm6data application id and the
// schema version this library reads; anything else is refused with a status
// and left exactly as it was (it is checked through a read-only connection
// before it is opened for writing). A file whose mode bits allow no writing is
// opened read-only for everyone, root included, so every write then fails
// with SQLITE_READONLY.
//
// Failures come back as statuses carrying the database's own result code and
// message (SQLITE_BUSY 5 for a lock held elsewhere, SQLITE_READONLY 8,
// SQLITE_CONSTRAINT 19, ...); the refusals of Open use SQLITE_CANTOPEN 14 for a
// missing file and SQLITE_NOTADB 26 for a foreign file or another version.
class SqliteConnection final : public Connection {
public:
    static Status Open(const std::filesystem::path& file, std::shared_ptr<SqliteConnection>& out,
                       const OpenOptions& options = {});
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
    Status LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                            int32_t priceProfileId) override;

    Status SaveJobOptionRule(JobOptionRule& rule, int32_t flags) override;
    Status DeleteJobOptionRule(JobOptionRule& rule) override;
    Status SavePrintingLimit(PrintingLimit& limit) override;
    Status DeletePrintingLimit(PrintingLimit& limit) override;
    Status SavePriceProfile(PriceProfile& profile) override;

    std::shared_ptr<JobOptionRule> NewJobOptionRule() override;
    std::shared_ptr<PrintingLimit> NewPrintingLimit() override;
    std::shared_ptr<PaperSizePrice> NewPaperSizePrice() override;
    std::shared_ptr<PriceProfile> NewPriceProfile() override;

private:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}

    sqlite3* db_;
};

} // namespace qm6::data
