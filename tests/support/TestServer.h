#pragma once

// The PostgreSQL server that a test run starts (scripts/test-server.sh, a
// CTest fixture): its location comes in QM6_TEST_SERVER, and each case makes
// a database of its own from the server's empty template. Users link libpq.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <libpq-fe.h>
#include <string>
#include <unistd.h>

namespace qm6::test {

// The server's location without a database name; empty when the run has no
// server.
inline std::string TestServer() {
    const char* location = std::getenv("QM6_TEST_SERVER");
    return location ? location : "";
}

// Runs statements at a location and answers the rows of the last one, a line
// each with its fields between "|".
inline std::string ServerRows(const std::string& location, const std::string& sql) {
    PGconn* conn = PQconnectdb(location.c_str());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PGresult* result = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(conn);
    std::string rows;
    for (int row = 0; status == PGRES_TUPLES_OK && row < PQntuples(result); ++row) {
        for (int column = 0; column < PQnfields(result); ++column) {
            rows += (column ? "|" : "") + std::string(PQgetvalue(result, row, column));
        }
        rows += "\n";
    }
    PQclear(result);
    PQfinish(conn);
    return rows;
}

// Runs statements on the server's maintenance database.
inline void ServerCommand(const std::string& sql) {
    ServerRows(TestServer() + " dbname=postgres", sql);
}

// A database of its own for one case, dropped when the object goes.
class ServerDatabase {
public:
    ServerDatabase() {
        static std::atomic<int> counter{0};
        name_ = "case_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        ServerCommand("CREATE DATABASE " + name_ + " TEMPLATE qm6_template");
    }
    ~ServerDatabase() { ServerCommand("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)"); }
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    const std::string& Name() const { return name_; }
    std::string Location() const { return TestServer() + " dbname=" + name_; }

private:
    std::string name_;
};

} // namespace qm6::test
