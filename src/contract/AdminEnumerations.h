#pragma once

// The enumerations that travel between the console and its panels.

#include <cstdint>

namespace qm6 {

// The kind of a notification one panel passes to the others.
enum QMNotifyType : int32_t {
    qmnObjectAdded = 0,
    qmnObjectDeleted = 1,
    qmnObjectChanged = 2,
    qmnPropertyChanged = 3,
};

// The console's standard commands. They start at 1: no member is 0.
enum QMAdminActions : int32_t {
    qmaNew = 1,
    qmaEdit = 2,
    qmaSave = 3,
    qmaDelete = 4,
    qmaMoveUp = 5,
    qmaMoveDown = 6,
    qmaCut = 7,
    qmaCopy = 8,
    qmaPaste = 9,
    qmaRefresh = 10,
    qmaSelectAll = 11,
    qmaImport = 12,
    qmaExport = 13,
};

constexpr QMAdminActions kFirstAdminAction = qmaNew;
constexpr QMAdminActions kLastAdminAction = qmaExport;

// Whether a number names one of the standard commands (0 and values above
// 13 name none).
constexpr bool IsAdminAction(int32_t value) {
    return value >= kFirstAdminAction && value <= kLastAdminAction;
}

} // namespace qm6
