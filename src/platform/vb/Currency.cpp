#include "platform/vb/Currency.h"

#include "platform/vb/VbError.h"

namespace qm6::vb {

Currency Currency::FromUnits(int64_t units) {
    int64_t scaled = 0;
    if (__builtin_mul_overflow(units, Scale, &scaled)) {
        throw VbError(ErrorNumber::Overflow);
    }
    return FromScaled(scaled);
}

Currency Currency::operator+(Currency other) const {
    int64_t sum = 0;
    if (__builtin_add_overflow(scaled_, other.scaled_, &sum)) {
        throw VbError(ErrorNumber::Overflow);
    }
    return FromScaled(sum);
}

Currency Currency::operator-(Currency other) const {
    int64_t difference = 0;
    if (__builtin_sub_overflow(scaled_, other.scaled_, &difference)) {
        throw VbError(ErrorNumber::Overflow);
    }
    return FromScaled(difference);
}

Currency Currency::operator-() const {
    // The range is one ten-thousandth wider below zero than above, so the
    // smallest amount has no positive counterpart.
    if (scaled_ == INT64_MIN) {
        throw VbError(ErrorNumber::Overflow);
    }
    return FromScaled(-scaled_);
}

} // namespace qm6::vb
