#include "editors/LoadState.h"

namespace qm6 {

data::Status LoadState::SaveRefusal() {
    return data::MakeStatus(0, "Nothing was saved: these rules could not be loaded, so what is "
                               "shown is not what the database holds. Load them again first.");
}

} // namespace qm6
