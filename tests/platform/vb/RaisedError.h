#pragma once

#include "platform/vb/VbError.h"

namespace qm6::vb::test {

// The run-time error numbers as the runtime documents them, written out here
// rather than taken from the library so that a wrong number there shows.
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int DuplicateKey = 457;

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
