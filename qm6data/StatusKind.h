#pragma once

// What a status of the store means, apart from the engine that answered it,
// so that a host can tell the user in words what happened and what to do.

#include "contract/DataStatus.h"

namespace qm6::data {

// The code of a status whose call found the store's server unreachable: it
// could not be reached, or the connection was lost during the call. Nothing of
// the call was stored, unless its message says that this is not known (the
// connection went during a commit). The next call connects again. Like
// DataStatus::kConflict it lies above every code an engine answers.
constexpr int32_t kUnreachable = 0x00010002;

enum class StatusKind {
    Editor,   // code 0: a failure an editor found itself; its message says it
    Conflict, // another connection changed what was loaded: load again
    Locked,   // another program holds the store
    ReadOnly, // the store cannot be written
    Damaged,  // the file is damaged, or is no database
    Full,     // the disk is full
    Io,       // reading or writing the file failed
    Unreachable, // the server cannot be reached or the connection was lost: try again
    Missing,  // what was asked for is not stored
    Refused,  // the store refused a value (a constraint, a value of the wrong kind)
    Other,
};

StatusKind KindOf(const DataStatus& status);

} // namespace qm6::data
