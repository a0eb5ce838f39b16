#pragma once

#include "contract/ListSource.h"

#include <memory>

namespace qm6::data {

// The fixed lists: 2 pricing options, 9 job types, 23 printing limit types.
// One per thread, made on first use and shared. Without an installed source
// every list is an array never dimensioned and every text is empty.
class ListService {
public:
    static std::shared_ptr<ListService> Get();

    vb::Array2D GetList(int32_t listNumber) const;
    std::string GetListText(int32_t listNumber, int16_t code) const;
};

} // namespace qm6::data
