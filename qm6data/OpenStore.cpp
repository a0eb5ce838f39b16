#include "qm6data/OpenStore.h"

#include "qm6data/PostgresConnection.h"
#include "qm6data/SqliteConnection.h"

#include <libpq-fe.h>

namespace qm6::data {

namespace {

// The options of a key=value string or URI that libpq accepts; null for
// anything else.
PQconninfoOption* Parse(std::string_view location) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(std::string(location).c_str(), &error);
    PQfreemem(error);
    return options;
}

} // namespace

bool IsServerLocation(std::string_view location) {
    if (location.starts_with("postgresql://") || location.starts_with("postgres://")) {
        return true;
    }
    // libpq accepts only its own keywords, so a path that holds "=" stays a
    // path.
    if (location.find('=') == std::string_view::npos) {
        return false;
    }
    PQconninfoOption* options = Parse(location);
    PQconninfoFree(options);
    return options != nullptr;
}

bool HasPassword(std::string_view location) {
    PQconninfoOption* options = IsServerLocation(location) ? Parse(location) : nullptr;
    bool found = false;
    for (PQconninfoOption* option = options; option && option->keyword; ++option) {
        found = found || (std::string_view(option->keyword) == "password" && option->val &&
                          *option->val);
    }
    PQconninfoFree(options);
    return found;
}

Status OpenStore(const std::string& location, std::shared_ptr<StoreConnection>& out,
                 const OpenOptions& options, const UpgradeStepHandler& onUpgradeStep) {
    if (IsServerLocation(location)) {
        std::shared_ptr<PostgresConnection> server;
        Status status = PostgresConnection::Open(location, server, options, onUpgradeStep);
        out = std::move(server);
        return status;
    }
    std::shared_ptr<SqliteConnection> file;
    Status status = SqliteConnection::Open(location, file, options, onUpgradeStep);
    out = std::move(file);
    return status;
}

} // namespace qm6::data
