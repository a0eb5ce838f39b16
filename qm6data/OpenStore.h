#pragma once

// Opens a store by its location, as a host is given it: a file path means an
// SQLite file (the embedded default, nothing to set up); a postgresql:// or
// postgres:// URI, or a libpq key=value string, means a PostgreSQL server.

#include "qm6data/StoreConnection.h"

#include <memory>
#include <string>
#include <string_view>

namespace qm6::data {

bool IsServerLocation(std::string_view location);

// Whether a server location carries a password itself. A host that takes
// the location from a command line refuses it: command lines are visible to
// every user of the machine, and libpq's password file is the place for it.
bool HasPassword(std::string_view location);

Status OpenStore(const std::string& location, std::shared_ptr<StoreConnection>& out,
                 const OpenOptions& options = {},
                 const UpgradeStepHandler& onUpgradeStep = nullptr);

} // namespace qm6::data
