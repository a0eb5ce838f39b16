#include "qm6data/PostgresConnection.h"

#include "qm6data/PostgresEngine.h"
#include "qm6data/Schema.h"
#include "qm6data/StatusKind.h"

#include <sqlite3.h>

namespace qm6::data {

using namespace engine;

namespace {

void Lay(Engine& db, int32_t from, const UpgradeStepHandler& onStep) {
    schema::Apply(
        db, from, postgres::Dialect(),
        [&](int32_t version) {
            Statement mark(db, "UPDATE qm6data_store SET schema_version = ?");
            mark.Bind(1, version).Run();
        },
        onStep);
}

// Inspects the database inside the caller's transaction, which holds the
// store's advisory lock, and lays out or upgrades the store.
Status Prepare(Engine& db, const std::string& name, const OpenOptions& options,
               const UpgradeStepHandler& onStep, bool& laidOut) {
    Statement objects(db, "SELECT count(*), count(*) FILTER (WHERE c.relname = 'qm6data_store') "
                          "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                          "ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                          "AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'S')");
    objects.Step();
    if (objects.Int(0) == 0) {
        if (!options.create) {
            return MakeStatus(SQLITE_NOTADB,
                              "the " + name +
                                  " is not a qm6data database (it is empty; \"qm6 data init\" "
                                  "lays out a store in it)");
        }
        db.Execute("CREATE TABLE qm6data_store (application_id INTEGER NOT NULL, "
                   "schema_version INTEGER NOT NULL)");
        Statement marks(db, "INSERT INTO qm6data_store VALUES (?, 0)");
        marks.Bind(1, sqlite::kApplicationId).Run();
        Lay(db, 0, nullptr);
        laidOut = true;
        return nullptr;
    }
    if (objects.Int(1) == 0) {
        return MakeStatus(SQLITE_NOTADB, "the " + name +
                                             " is not a qm6data database (it holds other "
                                             "tables and no qm6data marks)");
    }
    Statement marks(db, "SELECT application_id, schema_version FROM qm6data_store");
    if (!marks.Step() || marks.Int(0) != sqlite::kApplicationId) {
        return MakeStatus(SQLITE_NOTADB, "the " + name + " is not a qm6data database");
    }
    const int64_t version = marks.Int(1);
    const int32_t current = schema::CurrentVersion();
    if (version > current) {
        return MakeStatus(SQLITE_NOTADB,
                          "the " + name + " holds a qm6data store of schema version " +
                              std::to_string(version) +
                              ", made by a newer version of the program; this one reads schema "
                              "versions up to " +
                              std::to_string(current) + " and leaves the database unchanged");
    }
    if (version < 1) {
        return MakeStatus(SQLITE_NOTADB, "the " + name +
                                             " is marked as a qm6data store but has schema "
                                             "version " +
                                             std::to_string(version) +
                                             ", which no version of the program made");
    }
    if (version < current) {
        Lay(db, static_cast<int32_t>(version), onStep);
    }
    return nullptr;
}

} // namespace

Status PostgresConnection::Open(const std::string& location,
                                std::shared_ptr<PostgresConnection>& out,
                                const OpenOptions& options,
                                const UpgradeStepHandler& onUpgradeStep) {
    std::string error;
    std::unique_ptr<PostgresEngine> db =
        PostgresEngine::Connect(location, options.busyTimeoutMs, error);
    if (!db) {
        return MakeStatus(kUnreachable, error);
    }
    const std::string name = db->Describe();
    bool laidOut = false;
    try {
        Transaction transaction(*db);
        // Consoles that open an empty or older store at once lay it out or
        // upgrade it one after the other; the later ones find it done.
        Statement lock(*db, "SELECT pg_advisory_xact_lock(?)");
        lock.Bind(1, sqlite::kApplicationId).Run();
        if (Status refused = Prepare(*db, name, options, onUpgradeStep, laidOut)) {
            return refused;
        }
        transaction.Commit();
    } catch (const Failure& failure) {
        return MakeStatus(failure.Code(),
                          "the " + name + " cannot be opened (" + failure.what() + ")");
    }
    out.reset(new PostgresConnection(std::move(db), laidOut));
    return nullptr;
}

} // namespace qm6::data
