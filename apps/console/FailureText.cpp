#include "FailureText.h"

#include "qm6data/StatusKind.h"

namespace qm6::console {

namespace {

std::string WhatHappened(data::StatusKind kind, Doing doing) {
    using data::StatusKind;
    switch (kind) {
    case StatusKind::Conflict:
        return doing == Doing::Saving
                   ? "another console changed them after they were loaded here, so they were "
                     "not written. Press Revert to load them again (the changes on the page are "
                     "dropped), then make your changes again and save."
                   : "another console changed them while they were being loaded. Press Revert to "
                     "load them again.";
    case StatusKind::Locked:
        return "another program is using the database and did not let go of it in time. Try "
               "again when it has finished.";
    case StatusKind::ReadOnly:
        return "the database cannot be written: the file or its folder is read-only.";
    case StatusKind::Damaged:
        return "the database file is damaged. Restore it from a backup.";
    case StatusKind::Full:
        return "the disk that holds the database is full. Free some space and try again.";
    case StatusKind::Io:
        return "the database file could not be read or written.";
    case StatusKind::Missing:
        return "they are no longer in the database; another console may have removed them.";
    case StatusKind::Refused:
        return "the database refused a value on the page.";
    case StatusKind::Editor:
    case StatusKind::Other:
        break;
    }
    return "the database reported a failure.";
}

} // namespace

std::string FailureText(const std::string& heading, const data::DataStatus& status, Doing doing,
                        const std::string& note) {
    const std::string after = note.empty() ? std::string() : " " + note;
    const data::StatusKind kind = data::KindOf(status);
    if (kind == data::StatusKind::Editor)
        return heading + ". " + status.Message() + after;
    return heading + ": " + WhatHappened(kind, doing) + after + "\n\nDetail: " + status.Message() +
           " (code " + std::to_string(status.Code()) + ")";
}

} // namespace qm6::console
