#pragma once

#include "qm6data/StoreConnection.h"

#include <memory>
#include <string>

namespace qm6::data {

// The data-access object on a PostgreSQL server, for an organisation whose
// consoles share one store.
//
// The location is a libpq connection string: a postgresql:// or postgres://
// URI, or key=value pairs. A password comes from libpq's password file
// (~/.pgpass) or service file, or from the location.
//
// The store lives in the database's current schema, marked as ours by the
// table qm6data_store, which holds the application id and the schema version.
// An empty database is laid out when OpenOptions::create is set and refused
// otherwise; an older store is upgraded in one transaction; a newer store, or
// a database that holds other tables and no marks, is refused with
// SQLITE_NOTADB and left as it was. Several consoles opening one database at
// once lay it out or upgrade it once. A server that cannot be reached answers
// kUnreachable.
class PostgresConnection final : public StoreConnection {
public:
    static Status Open(const std::string& location, std::shared_ptr<PostgresConnection>& out,
                       const OpenOptions& options = {},
                       const UpgradeStepHandler& onUpgradeStep = nullptr);

private:
    using StoreConnection::StoreConnection;
};

} // namespace qm6::data
