#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Variant.h"

#include <cstdint>

namespace qm6::data {

// The page costs of one paper size within a price profile, where they differ
// from the paper size's default costs.
class PaperSizePrice : public vb::Object {
public:
    int32_t PaperSizeId() const { return paperSizeId_; }
    void SetPaperSizeId(int32_t id) { paperSizeId_ = id; }
    vb::Currency BWCost() const { return bwCost_; }
    void SetBWCost(vb::Currency cost) { bwCost_ = cost; }
    vb::Currency ColorCost() const { return colorCost_; }
    void SetColorCost(vb::Currency cost) { colorCost_ = cost; }

private:
    int32_t paperSizeId_ = 0;
    vb::Currency bwCost_;
    vb::Currency colorCost_;
};

} // namespace qm6::data
