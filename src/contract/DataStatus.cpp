#include "contract/DataStatus.h"

#include <cstdio>

namespace qm6::data {

namespace {
thread_local StatusHandler tHandler;
}

StatusHandler SetStatusHandler(StatusHandler handler) {
    StatusHandler previous = std::move(tHandler);
    tHandler = std::move(handler);
    return previous;
}

void DataStatus::Show() const {
    if (tHandler) {
        // A copy, so that a handler that replaces itself stays alive while it runs.
        const StatusHandler handler = tHandler;
        handler(*this);
        return;
    }
    std::fprintf(stderr, "qm6data: %s (%d)\n", message_.c_str(), static_cast<int>(code_));
}

} // namespace qm6::data
