#pragma once

// Colour values of the platform's forms: a value 0x800000nn names entry nn
// of the system colour table, resolved against the current palette when
// painted; any other value is an RGB colour stored as 0x00BBGGRR.

#include <cstdint>

namespace qm6::forms {

constexpr uint32_t kSysWindowBackground = 0x80000005u;
constexpr uint32_t kSysWindowText = 0x80000008u;
constexpr uint32_t kSysGrayText = 0x80000011u;
constexpr uint32_t kSysButtonText = 0x80000012u;

// The text colour of an item the user can use now, or grey text for one
// that waits on another choice.
constexpr uint32_t TextColor(bool usable) {
    return usable ? kSysWindowText : kSysGrayText;
}

// True for a system colour value (0x800000nn).
constexpr bool IsSystemColor(uint32_t value) {
    return (value & 0xFFFFFF00u) == 0x80000000u;
}

} // namespace qm6::forms
