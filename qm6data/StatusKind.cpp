#include "qm6data/StatusKind.h"

#include <sqlite3.h>

namespace qm6::data {

StatusKind KindOf(const DataStatus& status) {
    if (status.Code() == 0) {
        return StatusKind::Editor;
    }
    if (status.IsConflict()) {
        return StatusKind::Conflict;
    }
    if (status.Code() == kUnreachable) {
        return StatusKind::Unreachable;
    }
    // SQLite's primary code, also of an extended one.
    switch (status.Code() & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StatusKind::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return StatusKind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return StatusKind::Damaged;
    case SQLITE_FULL:
        return StatusKind::Full;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return StatusKind::Io;
    case SQLITE_NOTFOUND:
        return StatusKind::Missing;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
        return StatusKind::Refused;
    default:
        return StatusKind::Other;
    }
}

} // namespace qm6::data
