#pragma once

// Which of the console's standard commands a panel handles now. The window
// asks after every command and every change of the panel, and offers the
// others greyed out. This is the console's own addition beside the panel
// contract, which has no member that says so; a panel without it is offered
// every command.

#include "contract/AdminEnumerations.h"

namespace qm6::console {

class IStandardActions {
public:
    virtual ~IStandardActions();
    virtual bool HandlesAction(QMAdminActions action) const = 0;
};

} // namespace qm6::console
