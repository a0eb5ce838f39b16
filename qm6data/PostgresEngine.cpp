#include "qm6data/PostgresEngine.h"

#include "qm6data/StatusKind.h"

#include <cstdlib>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace qm6::data::engine {

std::string NumberParameters(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int next = 1;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            out += '$' + std::to_string(next++);
            continue;
        }
        out += c;
    }
    return out;
}

std::pair<int, int> CodeOfSqlState(std::string_view state) {
    static const std::pair<std::string_view, std::pair<int, int>> exact[] = {
        {"23505", {SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_UNIQUE}},
        {"23514", {SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_CHECK}},
        {"23503", {SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_FOREIGNKEY}},
        {"23502", {SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_NOTNULL}},
        {"40001", {SQLITE_BUSY, SQLITE_BUSY}},  // serialization failure
        {"40P01", {SQLITE_BUSY, SQLITE_BUSY}},  // deadlock
        {"55P03", {SQLITE_BUSY, SQLITE_BUSY}},  // lock not available (lock_timeout)
        {"57014", {SQLITE_BUSY, SQLITE_BUSY}},  // statement cancelled
        {"25006", {SQLITE_READONLY, SQLITE_READONLY}},
        {"42501", {SQLITE_PERM, SQLITE_PERM}},
        {"53200", {SQLITE_NOMEM, SQLITE_NOMEM}},
        {"XX001", {SQLITE_CORRUPT, SQLITE_CORRUPT}},
        {"XX002", {SQLITE_CORRUPT, SQLITE_CORRUPT}},
        {"3D000", {SQLITE_CANTOPEN, SQLITE_CANTOPEN}}, // no such database
        {"57P01", {kUnreachable, kUnreachable}},       // server shut down
        {"57P02", {kUnreachable, kUnreachable}},
        {"57P03", {kUnreachable, kUnreachable}},       // server starting up
    };
    for (const auto& [name, code] : exact) {
        if (state == name) {
            return code;
        }
    }
    static const std::pair<std::string_view, int> classes[] = {
        {"23", SQLITE_CONSTRAINT}, {"22", SQLITE_MISMATCH}, {"53", SQLITE_FULL},
        {"58", SQLITE_IOERR},      {"08", kUnreachable},    {"28", SQLITE_AUTH},
    };
    for (const auto& [name, code] : classes) {
        if (state.substr(0, 2) == name) {
            return {code, code};
        }
    }
    return {SQLITE_ERROR, SQLITE_ERROR};
}

namespace {

struct Result {
    PGresult* result;
    ~Result() { PQclear(result); }
};

std::string Trimmed(const char* text) {
    std::string out = text ? text : "";
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

class PostgresCursor final : public Cursor {
public:
    PostgresCursor(PostgresEngine& engine, std::string_view sql)
        : engine_(engine), sql_(NumberParameters(sql)) {}
    ~PostgresCursor() override { PQclear(result_); }
    PostgresCursor(const PostgresCursor&) = delete;
    PostgresCursor& operator=(const PostgresCursor&) = delete;

    void Bind(int index, int64_t value) override { Set(index, std::to_string(value)); }

    void Bind(int index, std::string_view text) override {
        // The server's texts cannot hold a NUL, and libpq would cut the text
        // there without a word.
        if (text.find('\0') != std::string_view::npos) {
            throw Failure(SQLITE_MISMATCH,
                          "a text that holds a NUL character cannot be stored on the server");
        }
        Set(index, std::string(text));
    }

    bool Step() override {
        if (!result_) {
            result_ = engine_.Run(sql_, parameters_);
        }
        return ++row_ < PQntuples(result_);
    }

    int64_t Int(int column) const override {
        return PQgetisnull(result_, row_, column) ? 0
                                                  : std::strtoll(PQgetvalue(result_, row_, column),
                                                                 nullptr, 10);
    }

    std::string Text(int column) const override {
        return std::string(PQgetvalue(result_, row_, column),
                           static_cast<size_t>(PQgetlength(result_, row_, column)));
    }

private:
    void Set(int index, std::string value) {
        if (index < 1) {
            throw Failure(SQLITE_RANGE, "parameter " + std::to_string(index) + " does not exist");
        }
        if (parameters_.size() < static_cast<size_t>(index)) {
            parameters_.resize(static_cast<size_t>(index));
        }
        parameters_[static_cast<size_t>(index) - 1] = std::move(value);
    }

    PostgresEngine& engine_;
    std::string sql_;
    std::vector<std::string> parameters_;
    PGresult* result_ = nullptr;
    int row_ = -1;
};

} // namespace

std::unique_ptr<PostgresEngine> PostgresEngine::Connect(const std::string& location,
                                                        int lockTimeoutMs, std::string& error) {
    // Defaults first: what the location itself says wins. A lost network
    // shows within about half a minute rather than the system's hours.
    const char* keys[] = {"connect_timeout",     "application_name", "keepalives_idle",
                          "keepalives_interval", "keepalives_count", "tcp_user_timeout",
                          "dbname",              nullptr};
    const char* values[] = {"10", "qm6data", "20", "5", "3", "30000", location.c_str(), nullptr};
    PGconn* conn = PQconnectdbParams(keys, values, 1);
    if (!conn) {
        error = "no connection to a server can be made (out of memory)";
        return nullptr;
    }
    std::unique_ptr<PostgresEngine> engine(new PostgresEngine(conn, lockTimeoutMs));
    if (PQstatus(conn) != CONNECTION_OK) {
        error = "no connection to the " + engine->Describe() + " could be made (" +
                Trimmed(PQerrorMessage(conn)) + ")";
        return nullptr;
    }
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    try {
        engine->Configure();
    } catch (const Failure& failure) {
        error = "the " + engine->Describe() + " cannot be used (" + failure.what() + ")";
        return nullptr;
    }
    return engine;
}

PostgresEngine::~PostgresEngine() {
    PQfinish(conn_);
}

std::string PostgresEngine::Describe() const {
    const char* host = PQhost(conn_);
    const char* port = PQport(conn_);
    const char* db = PQdb(conn_);
    return std::string("database ") + (db ? db : "") + " on " + (host ? host : "") + ":" +
           (port ? port : "");
}

void PostgresEngine::Configure() {
    if (PQsetClientEncoding(conn_, "UTF8") != 0) {
        throw Failure(SQLITE_ERROR, Trimmed(PQerrorMessage(conn_)));
    }
    // A lock held elsewhere fails a statement after the store's wait, as a
    // file's lock does.
    Result set{Run("SET lock_timeout = " + std::to_string(lockTimeoutMs_), {})};
}

void PostgresEngine::EnsureConnected() {
    if (PQstatus(conn_) == CONNECTION_OK) {
        return;
    }
    if (inTransaction_) {
        throw Failure(kUnreachable, "the connection to the " + Describe() +
                                        " was lost; nothing of this call was stored");
    }
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK) {
        throw Failure(kUnreachable, "no connection to the " + Describe() + " could be made (" +
                                        Trimmed(PQerrorMessage(conn_)) + ")");
    }
    Configure();
}

void PostgresEngine::ThrowFailure(PGresult* result, std::string_view during) {
    const char* field = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string state = field ? field : "";
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string message = primary ? primary : Trimmed(PQerrorMessage(conn_));
    PQclear(result);
    if (PQstatus(conn_) != CONNECTION_OK) {
        std::string text = "the connection to the " + Describe() + " was lost (" + message + ")";
        text += during == "COMMIT"
                    ? "; whether the change was stored is not known: load again to see"
                    : "; nothing of this call was stored";
        throw Failure(kUnreachable, text);
    }
    const auto [code, extended] = CodeOfSqlState(state);
    if (!state.empty()) {
        message += " (SQLSTATE " + state + ")";
    }
    throw Failure(code, message, extended);
}

PGresult* PostgresEngine::Run(const std::string& sql, const std::vector<std::string>& parameters) {
    EnsureConnected();
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const std::string& value : parameters) {
        values.push_back(value.c_str());
    }
    PGresult* result = PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                    values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        ThrowFailure(result, sql);
    }
    return result;
}

std::unique_ptr<Cursor> PostgresEngine::Prepare(std::string_view sql) {
    return std::make_unique<PostgresCursor>(*this, sql);
}

void PostgresEngine::Execute(std::string_view script) {
    EnsureConnected();
    PGresult* result = PQexec(conn_, std::string(script).c_str());
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        ThrowFailure(result, script);
    }
    PQclear(result);
}

void PostgresEngine::StartTransaction(Begin kind) {
    Execute(kind == Begin::Write ? "BEGIN"
                                 : "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    inTransaction_ = true;
}

void PostgresEngine::Commit() {
    PGresult* result = PQexec(conn_, "COMMIT");
    // A transaction that met an error answers COMMIT with ROLLBACK.
    if (!result || PQresultStatus(result) != PGRES_COMMAND_OK ||
        std::string_view(PQcmdStatus(result)) != "COMMIT") {
        inTransaction_ = false;
        if (result && PQresultStatus(result) == PGRES_COMMAND_OK) {
            PQclear(result);
            throw Failure(SQLITE_ERROR, "the server rolled the transaction back");
        }
        ThrowFailure(result, "COMMIT");
    }
    PQclear(result);
    inTransaction_ = false;
}

void PostgresEngine::Rollback() noexcept {
    inTransaction_ = false;
    if (PQstatus(conn_) == CONNECTION_OK) {
        PQclear(PQexec(conn_, "ROLLBACK"));
    }
}

bool PostgresEngine::IsReadOnly() {
    Result result{Run("SELECT current_setting('transaction_read_only')", {})};
    return PQntuples(result.result) == 1 && std::string_view(PQgetvalue(result.result, 0, 0)) == "on";
}

void PostgresEngine::ContinueNumbering() {
    Result statements{
        Run("SELECT format('SELECT setval(pg_get_serial_sequence(%L, %L), "
            "coalesce(max(%I), 0) + 1, false) FROM %I', table_name, column_name, column_name, "
            "table_name) FROM information_schema.columns "
            "WHERE table_schema = current_schema() AND is_identity = 'YES'",
            {})};
    for (int row = 0; row < PQntuples(statements.result); ++row) {
        Result done{Run(PQgetvalue(statements.result, row, 0), {})};
    }
}

} // namespace qm6::data::engine
