// Price profiles with their paper-size prices.

#include "qm6data/RecordVersions.h"
#include "qm6data/StoreConnection.h"

#include <sqlite3.h>

namespace qm6::data {

using namespace engine;

Status StoreConnection::LoadPriceProfile(std::shared_ptr<PriceProfile>& profile,
                                          int32_t priceProfileId) {
    return Guarded([&] {
        // The profile and its prices as of one moment.
        Transaction read(db_, Transaction::Read);
        Statement select(db_, "SELECT description, pricing_option, job_type, bw_cost, "
                              "color_cost, row_version FROM price_profiles "
                              "WHERE price_profile_id = ?");
        select.Bind(1, priceProfileId);
        if (!select.Step()) {
            throw Failure(SQLITE_NOTFOUND,
                          "price profile " + std::to_string(priceProfileId) + " does not exist");
        }
        const int64_t version = select.Int(5);
        auto loaded = NewPriceProfile();
        loaded->SetDescription(select.Text(0));
        loaded->SetPricingOption(static_cast<int32_t>(select.Int(1)));
        loaded->SetJobType(static_cast<int32_t>(select.Int(2)));
        loaded->SetBWCost(vb::Currency::FromScaled(select.Int(3)));
        loaded->SetColorCost(vb::Currency::FromScaled(select.Int(4)));

        Statement prices(db_, "SELECT paper_size_id, bw_cost, color_cost FROM paper_size_prices "
                              "WHERE price_profile_id = ? ORDER BY paper_size_id");
        prices.Bind(1, priceProfileId);
        auto collection = std::make_shared<vb::Collection>();
        while (prices.Step()) {
            auto price = NewPaperSizePrice();
            price->SetPaperSizeId(ToId(prices.Int(0)));
            price->SetBWCost(vb::Currency::FromScaled(prices.Int(1)));
            price->SetColorCost(vb::Currency::FromScaled(prices.Int(2)));
            collection->Add(AsItem(std::move(price)));
        }
        read.Commit();
        loaded->SetPaperSizePrices(std::move(collection));
        loaded->MarkStored(priceProfileId, version);
        profile = std::move(loaded);
    });
}

// The profile's row and its whole set of paper-size prices are written in one
// transaction: the prices stored afterwards are exactly the collection's. A
// profile saved by another connection after this one loaded it is not
// overwritten.
Status StoreConnection::SavePriceProfile(PriceProfile& profile) {
    return Guarded([&] {
        Write write(db_, *seen_);
        int32_t id = profile.PriceProfileId();
        if (profile.IsNew()) {
            Statement insert(db_, "INSERT INTO price_profiles (description, pricing_option, "
                                  "job_type, bw_cost, color_cost, row_version) "
                                  "VALUES (?, ?, ?, ?, ?, ?) RETURNING price_profile_id");
            insert.Bind(1, profile.Description())
                .Bind(2, profile.PricingOption())
                .Bind(3, profile.JobType())
                .Bind(4, profile.BWCost().Scaled())
                .Bind(5, profile.ColorCost().Scaled())
                .Bind(6, write.Change());
            id = ToId(Returned(insert));
        } else {
            CheckRowVersion(db_, "price_profiles", "price_profile_id", id, profile.RowVersion(),
                            "price profile " + std::to_string(id));
            Statement update(db_, "UPDATE price_profiles SET description = ?, pricing_option = ?, "
                                  "job_type = ?, bw_cost = ?, color_cost = ?, row_version = ? "
                                  "WHERE price_profile_id = ?");
            update.Bind(1, profile.Description())
                .Bind(2, profile.PricingOption())
                .Bind(3, profile.JobType())
                .Bind(4, profile.BWCost().Scaled())
                .Bind(5, profile.ColorCost().Scaled())
                .Bind(6, write.Change())
                .Bind(7, id);
            update.Run();
            Statement clear(db_, "DELETE FROM paper_size_prices WHERE price_profile_id = ?");
            clear.Bind(1, id);
            clear.Run();
        }
        const vb::Collection& prices = *profile.PaperSizePrices();
        for (int32_t i = 1; i <= prices.Count(); ++i) {
            const auto price = ItemAs<PaperSizePrice>(prices, i);
            if (!price) {
                throw Failure(SQLITE_MISMATCH, "item " + std::to_string(i) +
                                                   " of the paper-size prices is not a "
                                                   "paper-size price");
            }
            Statement insert(db_, "INSERT INTO paper_size_prices (price_profile_id, "
                                  "paper_size_id, bw_cost, color_cost) VALUES (?, ?, ?, ?)");
            insert.Bind(1, id)
                .Bind(2, price->PaperSizeId())
                .Bind(3, price->BWCost().Scaled())
                .Bind(4, price->ColorCost().Scaled());
            insert.Run();
        }
        write.Commit();
        profile.MarkStored(id, write.Change());
    });
}

} // namespace qm6::data
