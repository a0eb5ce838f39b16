#include "qm6data/Engine.h"

#include "platform/vb/VbError.h"

#include <limits>
#include <sqlite3.h>

namespace qm6::data::engine {

void ThrowConflict(const std::string& message) {
    throw Failure(DataStatus::kConflict, message);
}

Status Guarded(const std::function<void()>& operation) {
    try {
        operation();
        return nullptr;
    } catch (const Failure& failure) {
        return MakeStatus(failure.Code(), failure.what());
    } catch (const vb::VbError& error) {
        // A value the record holds cannot be stored as its field needs (a
        // limit amount that is not a number, say). The runtime's error number
        // goes into the message: as the code it would read as one of the
        // database's (13 Type mismatch is SQLITE_FULL, 6 Overflow
        // SQLITE_LOCKED).
        return MakeStatus(SQLITE_MISMATCH, std::string("a value of the record cannot be stored: ") +
                                               error.what() + " (error " +
                                               std::to_string(error.Number()) + ")");
    } catch (const std::exception& error) {
        return MakeStatus(SQLITE_INTERNAL, error.what());
    }
}

int64_t Returned(Statement& insert) {
    if (!insert.Step()) {
        throw Failure(SQLITE_INTERNAL, "an insert answered no row");
    }
    const int64_t value = insert.Int(0);
    insert.Run();
    return value;
}

int32_t ToId(int64_t rowId) {
    if (rowId < 1 || rowId > std::numeric_limits<int32_t>::max()) {
        throw Failure(SQLITE_RANGE,
                      "stored id " + std::to_string(rowId) + " does not fit a 32-bit record id");
    }
    return static_cast<int32_t>(rowId);
}

} // namespace qm6::data::engine
