#include "contract/PriceProfile.h"

#include "contract/Connection.h"

namespace qm6::data {

void PriceProfile::SetPaperSizePrices(std::shared_ptr<vb::Collection> prices) {
    paperSizePrices_ = prices ? std::move(prices) : std::make_shared<vb::Collection>();
}

std::shared_ptr<PaperSizePrice> PriceProfile::GetPaperSizePrice(int32_t paperSizeId) const {
    for (int32_t i = 1; i <= paperSizePrices_->Count(); ++i) {
        auto price = ItemAs<PaperSizePrice>(*paperSizePrices_, i);
        if (price && price->PaperSizeId() == paperSizeId) {
            return price;
        }
    }
    return nullptr;
}

Status PriceProfile::Save(Connection& data) {
    return data.SavePriceProfile(*this);
}

} // namespace qm6::data
