#include "FailureText.h"

#include "ConsoleText.h"

#include "qm6data/StatusKind.h"

namespace qm6::console {

namespace {

int32_t WhatHappened(data::StatusKind kind, Doing doing) {
    using data::StatusKind;
    switch (kind) {
    case StatusKind::Conflict:
        return doing == Doing::Saving ? kTxtConflictSaving : kTxtConflictLoading;
    case StatusKind::Locked:
        return kTxtLocked;
    case StatusKind::ReadOnly:
        return kTxtReadOnly;
    case StatusKind::Damaged:
        return kTxtDamaged;
    case StatusKind::Full:
        return kTxtFull;
    case StatusKind::Io:
        return kTxtIo;
    case StatusKind::Missing:
        return kTxtMissing;
    case StatusKind::Unreachable:
        return kTxtUnreachable;
    case StatusKind::Refused:
        return kTxtRefused;
    case StatusKind::Editor:
    case StatusKind::Other:
        break;
    }
    return kTxtOtherFailure;
}

} // namespace

std::string FailureText(const std::string& heading, const data::DataStatus& status, Doing doing,
                        const std::string& note) {
    const std::string after = note.empty() ? std::string() : " " + note;
    const data::StatusKind kind = data::KindOf(status);
    if (kind == data::StatusKind::Editor)
        return heading + ". " + status.Message() + after;
    return heading + ": " + Text(WhatHappened(kind, doing)) + after + "\n\n" +
           Text(kTxtDetail, status.Message(), std::to_string(status.Code()));
}

} // namespace qm6::console
