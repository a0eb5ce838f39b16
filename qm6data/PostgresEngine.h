#pragma once

// The store's engine on a PostgreSQL server, through libpq.

#include "qm6data/Engine.h"

#include <memory>
#include <string>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace qm6::data::engine {

// One connection to the server. A connection that was lost (the server
// restarted, the network went down) fails the call that meets it with
// kUnreachable; the next call outside a transaction connects again. A
// transaction is never carried over to a new connection: what it wrote
// before the loss is rolled back by the server.
class PostgresEngine final : public Engine {
public:
    // Connects to a server location (a postgresql:// URI or a key=value
    // string). A password comes from the location or from libpq's password
    // and service files. Null on failure, with a sentence in error.
    static std::unique_ptr<PostgresEngine> Connect(const std::string& location, int lockTimeoutMs,
                                                   std::string& error);
    ~PostgresEngine() override;
    PostgresEngine(const PostgresEngine&) = delete;
    PostgresEngine& operator=(const PostgresEngine&) = delete;

    // "database NAME on HOST:PORT", for messages; never the password.
    std::string Describe() const;

    std::unique_ptr<Cursor> Prepare(std::string_view sql) override;
    void Execute(std::string_view script) override;
    void StartTransaction(Begin kind) override;
    void Commit() override;
    void Rollback() noexcept override;
    bool IsReadOnly() override;
    void ContinueNumbering() override;

    // Runs one statement with its parameters (already in the server's $n
    // form); answers its result, which the caller frees, or throws.
    PGresult* Run(const std::string& sql, const std::vector<std::string>& parameters);

private:
    PostgresEngine(PGconn* conn, int lockTimeoutMs) : conn_(conn), lockTimeoutMs_(lockTimeoutMs) {}
    // Sets what every session of the store needs, after each connection.
    void Configure();
    // Connects again when the connection was lost, unless inside a
    // transaction, which the loss has ended.
    void EnsureConnected();
    [[noreturn]] void ThrowFailure(PGresult* result, std::string_view during);

    PGconn* conn_;
    int lockTimeoutMs_;
    bool inTransaction_ = false;
};

// The statement with each ? outside quotes replaced by $1, $2, ... in order.
std::string NumberParameters(std::string_view sql);

// The code in SQLite's numbering (and the extended code) of a server's
// SQLSTATE.
std::pair<int, int> CodeOfSqlState(std::string_view state);

} // namespace qm6::data::engine
