// The recording decorator hands out chosen records (values the store would
// refuse included) without reaching the store, and the recording list
// source orders and counts list reads.

#include "StoreFixture.h"

#include "contract/ListService.h"
#include "qm6data/testing/RecordingConnection.h"
#include "qm6data/testing/RecordingListSource.h"

namespace qm6::data::test {
namespace {

using testing::ListRead;
using testing::RecordingConnection;
using testing::ScopedRecordingLists;
using vb::Variant;

std::shared_ptr<PrintingLimit> Limit(int32_t type, const std::string& title) {
    auto limit = std::make_shared<PrintingLimit>();
    limit->SetLimitType(type);
    limit->SetTitle(title);
    limit->MarkStored(700 + type);
    return limit;
}

TEST_F(StoreTest, ServedRecordsReachTheCallerOnEveryCallAndNeverTheStore) {
    auto recording = std::make_shared<RecordingConnection>(store_);
    recording->ServeRecordSet("LoadPaperSizes", {"PaperSizeId", "UnitType"},
                              {{Variant(int32_t{1}), Variant(int32_t{7})}});
    recording->ServeCollection("LoadPrintingLimits", [] {
        return std::vector<std::shared_ptr<vb::Object>>{Limit(99, "unknown type"), Limit(1, "pages")};
    });
    auto settings = std::make_shared<SystemSettings>();
    settings->SetCurrencyFormat("#,##0.000 \"credits\"");
    recording->ServeSettings(settings);

    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        std::shared_ptr<RecordSet> sizes;
        ASSERT_EQ(recording->LoadPaperSizes(sizes), nullptr);
        ASSERT_EQ(sizes->RecordCount(), 1);
        EXPECT_EQ(sizes->Fields("UnitType").Value, Variant(int32_t{7}));
        sizes->Close(); // the next call still gets an open set

        auto limits = std::make_shared<vb::Collection>();
        limits->Add(Variant(int32_t{5})); // replaced, not appended to
        const auto held = limits;
        ASSERT_EQ(recording->LoadPrintingLimits(limits, 2, 8), nullptr);
        EXPECT_EQ(limits, held);
        ASSERT_EQ(limits->Count(), 2);
        auto first = std::dynamic_pointer_cast<PrintingLimit>(limits->Item(1).AsObject());
        EXPECT_EQ(first->LimitType(), 99);
        EXPECT_EQ(first->Title(), "unknown type"); // a new record, whatever was done to the last
        first->SetTitle("changed by the editor");

        std::shared_ptr<SystemSettings> read;
        ASSERT_EQ(recording->LoadSystemSettings(read), nullptr);
        EXPECT_EQ(read->CurrencyFormat(), "#,##0.000 \"credits\"");
    }
    EXPECT_EQ(recording->CallNames(),
              (std::vector<std::string>{"LoadPaperSizes", "LoadPrintingLimits", "LoadSystemSettings",
                                        "LoadPaperSizes", "LoadPrintingLimits", "LoadSystemSettings"}));

    // The store underneath answers its own records again once nothing is served.
    recording->ClearServed();
    std::shared_ptr<RecordSet> sizes;
    ASSERT_EQ(recording->LoadPaperSizes(sizes), nullptr);
    std::shared_ptr<RecordSet> direct;
    ASSERT_EQ(store_->LoadPaperSizes(direct), nullptr);
    EXPECT_EQ(sizes->RecordCount(), direct->RecordCount());
}

TEST(RecordingLists, ListReadsAreRecordedInOrderWhileInstalled) {
    const auto before = InstalledListSource();
    {
        ScopedRecordingLists lists;
        const auto service = ListService::Get();
        const vb::Array2D limitTypes = service->GetList(23);
        EXPECT_GT(limitTypes.Count(1), 0); // the fixed lists answer through it
        EXPECT_EQ(service->GetListText(23, 99), ""); // a type list 23 lacks
        service->GetList(2);
        service->GetList(23);
        EXPECT_EQ(lists.Source().Reads(),
                  (std::vector<ListRead>{{"GetList", 23, 0}, {"GetListText", 23, 99}, {"GetList", 2, 0},
                                         {"GetList", 23, 0}}));
        EXPECT_EQ(lists.Source().ReadCount("GetList", 23), 2);
    }
    EXPECT_EQ(InstalledListSource(), before);
}

} // namespace
} // namespace qm6::data::test
