#pragma once

#include <string_view>

namespace qm6::data {

// The sample data of the console's demo store (seed/sample.sql): a script for
// a freshly laid-out store of any engine, run with ExecuteScript.
std::string_view SampleScript();

} // namespace qm6::data
