#pragma once

#include "qm6data/StoreConnection.h"

#include <filesystem>
#include <memory>

namespace qm6::data {

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
// Failures come back as statuses carrying the database's own result code and
// message (StoreConnection). The refusals of Open are
// sentences naming the file, with the database's message after them, and use
// SQLITE_CANTOPEN 14 for a missing file, SQLITE_BUSY 5 for a file locked by
// another program, SQLITE_CORRUPT 11 for a damaged one and SQLITE_NOTADB 26
// for a foreign file or a version this library does not know.
class SqliteConnection final : public StoreConnection {
public:
    static Status Open(const std::filesystem::path& file, std::shared_ptr<SqliteConnection>& out,
                       const OpenOptions& options = {},
                       const UpgradeStepHandler& onUpgradeStep = nullptr);

private:
    using StoreConnection::StoreConnection;
};

} // namespace qm6::data
