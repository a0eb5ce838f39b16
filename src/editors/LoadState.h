#pragma once

// What an editor keeps about its last load. After a failed load an editor
// shows no rule and saves nothing until a load succeeds: what it would show is
// not what the store holds, and saving it would write the previous owner's
// leftovers, or an empty page, over the new owner's rules. Every editor keeps
// one: LoadData notes its outcome, SaveData asks CanSave first and otherwise
// answers SaveRefusal without a data call.

#include "contract/DataStatus.h"

namespace qm6 {

class LoadState {
public:
    // Notes the outcome of a load (nullptr: it succeeded) and answers it.
    const data::Status& Note(const data::Status& status) {
        failed_ = status != nullptr;
        return status;
    }
    bool CanSave() const { return !failed_; }
    // What a save answers while the last load has failed: a failure the
    // editor found itself (code 0).
    static data::Status SaveRefusal();

private:
    bool failed_ = false;
};

} // namespace qm6
