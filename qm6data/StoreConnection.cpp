#include "qm6data/StoreConnection.h"

#include "qm6data/Engine.h"
#include "qm6data/RecordVersions.h"

namespace qm6::data {

using namespace engine;

StoreConnection::StoreConnection(std::unique_ptr<Engine> engine, bool isNew)
    : engine_(std::move(engine)), db_(*engine_), seen_(std::make_unique<SeenSets>()),
      isNew_(isNew) {}

StoreConnection::~StoreConnection() = default;

bool StoreConnection::IsReadOnly() {
    try {
        return db_.IsReadOnly();
    } catch (const Failure&) {
        return false;
    }
}

Status StoreConnection::ExecuteScript(std::string_view sql) {
    return Guarded([&] {
        Transaction transaction(db_);
        db_.Execute(sql);
        db_.ContinueNumbering();
        transaction.Commit();
    });
}

std::shared_ptr<JobOptionRule> StoreConnection::NewJobOptionRule() {
    return std::make_shared<JobOptionRule>();
}

std::shared_ptr<PrintingLimit> StoreConnection::NewPrintingLimit() {
    return std::make_shared<PrintingLimit>();
}

std::shared_ptr<PaperSizePrice> StoreConnection::NewPaperSizePrice() {
    return std::make_shared<PaperSizePrice>();
}

std::shared_ptr<PriceProfile> StoreConnection::NewPriceProfile() {
    return std::make_shared<PriceProfile>();
}

} // namespace qm6::data
