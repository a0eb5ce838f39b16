#pragma once

#include "contract/ListSource.h"

#include <memory>

namespace qm6::data {

// Lists 2 (pricing options; 3 is per paper size), 9 (job types; entry 0 is
// "any", which the pricing editor does not offer) and 23 (printing limit
// types; 3 and 4 are money). Loading this library installs them as the
// process's list source; a test that replaced them can install them again.
std::shared_ptr<const ListSource> FixedLists();

} // namespace qm6::data
