#pragma once

// What the console tells the user about a failure of the store: a heading
// that says what did not happen, then what happened in words and what to do,
// then the store's own message and code, never the store's message alone.
// Every part comes from the console's string library.

#include "contract/DataStatus.h"

#include <string>

namespace qm6::console {

enum class Doing { Loading, Saving };

// "<heading>: <what happened and what to do> <note>\n\n<Detail: message
// (code N)>". A failure an editor found itself (code 0) is told in the
// editor's own words: "<heading>. <message> <note>".
std::string FailureText(const std::string& heading, const data::DataStatus& status, Doing doing,
                        const std::string& note = {});

} // namespace qm6::console
