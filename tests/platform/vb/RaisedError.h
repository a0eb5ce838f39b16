#pragma once

#include "platform/vb/VbError.h"

namespace qm6::vb::test {

// The run-time error number a call raises, or 0 when it returns. Any other
// exception escapes and fails the test.
template <typename Call> int RaisedError(Call&& call) {
    try {
        call();
    } catch (const VbError& error) {
        return error.Number();
    }
    return 0;
}

} // namespace qm6::vb::test
