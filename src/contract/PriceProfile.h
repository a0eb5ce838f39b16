#pragma once

#include "contract/DataStatus.h"
#include "contract/PaperSizePrice.h"
#include "platform/vb/Collection.h"
#include "platform/vb/Currency.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm6::data {

class Connection;

// How a printer profile charges: a pricing option and job type from lists 2
// and 9, the page costs, and, when priced per paper size, the costs of the
// paper sizes that differ from their defaults.
class PriceProfile : public vb::Object {
public:
    // The pricing option under which the paper-size prices apply.
    static constexpr int32_t PricedPerPaperSize = 3;

    int32_t PriceProfileId() const { return priceProfileId_; }
    bool IsNew() const { return priceProfileId_ == 0; }
    const std::string& Description() const { return description_; }
    void SetDescription(std::string text) { description_ = std::move(text); }
    int32_t PricingOption() const { return pricingOption_; }
    void SetPricingOption(int32_t option) { pricingOption_ = option; }
    int32_t JobType() const { return jobType_; }
    void SetJobType(int32_t jobType) { jobType_ = jobType; }
    vb::Currency BWCost() const { return bwCost_; }
    void SetBWCost(vb::Currency cost) { bwCost_ = cost; }
    vb::Currency ColorCost() const { return colorCost_; }
    void SetColorCost(vb::Currency cost) { colorCost_ = cost; }

    // A collection of PaperSizePrice objects; never null. Replacing it
    // replaces the prices that the next Save stores.
    const std::shared_ptr<vb::Collection>& PaperSizePrices() const { return paperSizePrices_; }
    void SetPaperSizePrices(std::shared_ptr<vb::Collection> prices);

    // The price entry of a paper size, or nullptr when the profile has none
    // (the paper size's default costs apply).
    std::shared_ptr<PaperSizePrice> GetPaperSizePrice(int32_t paperSizeId) const;

    // Stores the profile with its paper-size prices, all or nothing. A
    // profile another connection saved after this one was loaded is not
    // overwritten: the save answers a conflict.
    Status Save(Connection& data);

    // The stored version the profile was loaded or last saved with.
    int64_t RowVersion() const { return rowVersion_; }

    // For the store.
    void MarkStored(int32_t id, int64_t rowVersion = 1) {
        priceProfileId_ = id;
        rowVersion_ = rowVersion;
    }

private:
    int32_t priceProfileId_ = 0;
    int64_t rowVersion_ = 0;
    std::string description_;
    int32_t pricingOption_ = 0;
    int32_t jobType_ = 0;
    vb::Currency bwCost_;
    vb::Currency colorCost_;
    std::shared_ptr<vb::Collection> paperSizePrices_ = std::make_shared<vb::Collection>();
};

// The object a collection member holds, as T, or nullptr when it holds no
// object or another kind.
template <typename T> std::shared_ptr<T> ItemAs(const vb::Collection& items, int32_t index) {
    const vb::Variant& item = items.Item(index);
    if (item.Type() != vb::VarType::Object) {
        return nullptr;
    }
    return std::dynamic_pointer_cast<T>(item.AsObject());
}

} // namespace qm6::data
