#include "qm6data/FixedLists.h"

#include <string>
#include <utility>
#include <vector>

namespace qm6::data {

namespace {

using Entries = std::vector<std::pair<int32_t, std::string>>;

const Entries* EntriesOf(int32_t listNumber) {
    static const Entries pricingOptions{
        {0, "Free of charge"}, {1, "Per page"}, {2, "Per sheet"}, {3, "Per paper size"}};
    static const Entries jobTypes{
        {0, "Any job"}, {1, "Print"}, {2, "Copy"}, {3, "Scan"}, {4, "Fax"}};
    static const Entries limitTypes{{1, "Pages per job"}, {2, "Pages per day"},
                                    {3, "Cost per job"},  {4, "Cost per day"},
                                    {5, "Jobs per day"},  {6, "Pages per month"}};
    switch (listNumber) {
    case 2:
        return &pricingOptions;
    case 9:
        return &jobTypes;
    case 23:
        return &limitTypes;
    default:
        return nullptr;
    }
}

class Lists final : public ListSource {
public:
    vb::Array2D GetList(int32_t listNumber) const override {
        const Entries* entries = EntriesOf(listNumber);
        if (entries == nullptr) {
            return vb::Array2D();
        }
        vb::Array2D list(0, static_cast<int32_t>(entries->size()) - 1, 0, 1);
        for (size_t i = 0; i < entries->size(); ++i) {
            const auto row = static_cast<int32_t>(i);
            list.At(row, 0) = vb::Variant((*entries)[i].first);
            list.At(row, 1) = vb::Variant((*entries)[i].second);
        }
        return list;
    }

    std::string GetListText(int32_t listNumber, int16_t code) const override {
        if (const Entries* entries = EntriesOf(listNumber)) {
            for (const auto& [entryCode, text] : *entries) {
                if (entryCode == code) {
                    return text;
                }
            }
        }
        return {};
    }
};

[[maybe_unused]] const bool gInstalled = [] {
    InstallListSource(FixedLists());
    return true;
}();

} // namespace

std::shared_ptr<const ListSource> FixedLists() {
    static const auto lists = std::make_shared<const Lists>();
    return lists;
}

} // namespace qm6::data
