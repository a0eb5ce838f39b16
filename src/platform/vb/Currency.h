#pragma once

#include <compare>
#include <cstdint>

namespace qm6::vb {

// Money as the original runtime keeps it: a signed 64-bit integer counting
// ten-thousandths, so every amount with up to four decimals is exact.
class Currency {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() = default;

    // From the raw count of ten-thousandths.
    static constexpr Currency FromScaled(int64_t scaled) {
        Currency c;
        c.scaled_ = scaled;
        return c;
    }
    // From whole units; throws Overflow (6) when out of range.
    static Currency FromUnits(int64_t units);

    constexpr int64_t Scaled() const { return scaled_; }
    double ToDouble() const { return static_cast<double>(scaled_) / Scale; }

    static constexpr Currency Min() { return FromScaled(INT64_MIN); }
    static constexpr Currency Max() { return FromScaled(INT64_MAX); }

    // Arithmetic raises Overflow (6) when the result leaves the range.
    Currency operator+(Currency other) const;
    Currency operator-(Currency other) const;
    Currency operator-() const;

    constexpr auto operator<=>(const Currency&) const = default;

private:
    int64_t scaled_ = 0;
};

} // namespace qm6::vb
