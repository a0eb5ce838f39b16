#pragma once

#include "platform/vb/Variant.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm6::data {

// The fixed lists of the data-access library (2 pricing options, 9 job types,
// 23 printing limit types). Lists take no connection, so the library that
// holds them installs them for the whole process.
class ListSource {
public:
    virtual ~ListSource() = default;
    // A two-column list array: rows 0..n-1; column 0 the code (a Long), column
    // 1 the display text. A list it does not know is an array never dimensioned.
    virtual vb::Array2D GetList(int32_t listNumber) const = 0;
    // The display text of one code, or an empty text when the list has no such code.
    virtual std::string GetListText(int32_t listNumber, int16_t code) const = 0;
};

// Installs the lists for every thread; answers the source it replaces. The
// source must be safe to read from several threads (fixed tables are).
std::shared_ptr<const ListSource> InstallListSource(std::shared_ptr<const ListSource> source);
std::shared_ptr<const ListSource> InstalledListSource();

} // namespace qm6::data
