// Paper sizes, custom fields, settings, the record set's navigation and the
// fixed lists; the per-thread services and status handler of the contract;
// the recording decorator the editors' tests stand on, which fails the chosen
// call without reaching the store and hands out chosen records afresh on
// every call.

#include "StoreFixture.h"
#include "contract/DataStatus.h"
#include "contract/ListService.h"
#include "contract/LookupService.h"
#include "contract/RuleService.h"
#include "qm6data/FixedLists.h"
#include "qm6data/testing/RecordingConnection.h"

#include <thread>

namespace qm6::data::test {
namespace {

using vb::Currency;

TEST_F(StoreTest, LookupsCarryTheirFieldsTheirLinksAndTheCurrencyFormat) {
    Run("INSERT INTO paper_sizes VALUES (2, 'Letter', 2159, 2794, 0, 1000, 5001),"
        " (1, 'Photo', 1000, 1500, 2, 1, 123456789);");
    std::shared_ptr<RecordSet> sizes;
    ASSERT_EQ(store_->LoadPaperSizes(sizes), nullptr);
    ASSERT_EQ(sizes->RecordCount(), 2);
    const std::vector<vb::Variant> photo{int32_t{1},
                                         "Photo",
                                         int32_t{1000},
                                         int32_t{1500},
                                         int32_t{2},
                                         Currency::FromScaled(1),
                                         Currency::FromScaled(123456789)};
    std::vector<vb::Variant> read;
    for (const char* name : {"PaperSizeId", "Description", "Width", "Height", "UnitType",
                             "BWPageCost", "ColorPageCost"})
        read.push_back(sizes->Fields(name).Value);
    EXPECT_EQ(read, photo);

    // Stored order puts the children before their parents and a chain 1 -> 5 -> 2.
    Run("INSERT INTO custom_fields (field_id, caption, display_order, link_parent_id) VALUES"
        " (2, 'grandchild', 1, 5), (5, 'child', 2, 1), (3, 'alone', 3, 0),"
        " (1, 'parent', 4, 0), (4, 'orphan', 5, 77);");
    std::shared_ptr<RecordSet> fields;
    ASSERT_EQ(store_->LoadCustomFields(fields), nullptr);
    std::vector<std::vector<int32_t>> rows; // id, parent, child
    for (fields->MoveFirst(); !fields->Eof(); fields->MoveNext()) {
        rows.push_back({fields->Fields("FieldId").Value.AsLong(),
                        fields->Fields("LinkParentId").Value.AsLong(),
                        fields->Fields("LinkChildId").Value.AsLong()});
    }
    const std::vector<std::vector<int32_t>> expected{
        {3, 0, 0}, {1, 0, 5}, {5, 1, 2}, {2, 5, 0}, {4, 0, 0}};
    EXPECT_EQ(rows, expected);

    // A field takes at most one linked child.
    EXPECT_EQ(store_->ExecuteScript("INSERT INTO custom_fields VALUES (6, 'x', 6, 1);")->Code(),
              SQLITE_CONSTRAINT);

    Run("UPDATE system_settings SET currency_format = '#,##0.0000 €';");
    std::shared_ptr<SystemSettings> settings;
    ASSERT_EQ(store_->LoadSystemSettings(settings), nullptr);
    EXPECT_EQ(settings->CurrencyFormat(), "#,##0.0000 €");
}

// The error number a call raises, or 0.
int Raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const RecordSetError& e) {
        return e.Number();
    }
    return 0;
}

TEST(RecordSetNavigation, WalksForwardAndRaisesOnMisuse) {
    RecordSet empty({"A"}, {});
    EXPECT_TRUE(empty.Bof() && empty.Eof());
    EXPECT_EQ(Raised([&] { (void)empty.Fields("A"); }), 3021);

    RecordSet two({"A", "B"}, {{int32_t{1}, "x"}, {int32_t{2}, "y"}});
    EXPECT_FALSE(two.Bof() || two.Eof());
    EXPECT_EQ(two.Fields("b").Value, vb::Variant("x"));
    two.MoveNext();
    EXPECT_EQ(two.Fields("A").Value, vb::Variant(int32_t{2}));
    two.MoveNext();
    EXPECT_TRUE(two.Eof());
    EXPECT_EQ(Raised([&] { two.MoveNext(); }), 3021);
    two.MoveFirst();
    EXPECT_EQ(two.Fields("A").Value, vb::Variant(int32_t{1}));
    EXPECT_EQ(Raised([&] { (void)two.Fields("C"); }), 3265);
    two.Close();
    EXPECT_EQ(Raised([&] { (void)two.RecordCount(); }), 3704);
}

// The codes and texts of the lists are pinned by the editors that show them.
TEST(FixedLists, ACodeOrAListThatIsNotThereHasNoText) {
    const auto lists = ListService::Get();
    EXPECT_EQ(lists->GetListText(23, 99), "");
    EXPECT_EQ(lists->GetList(7).Count(1), 0);
}

using testing::RecordingConnection;
using vb::Variant;

// Failing the chosen occurrence only, without reaching the store, is pinned
// by the editors' failed-save tables, which read the store afterwards.
TEST_F(FileStoreTest, TheDecoratorLeavesAFailedLoadsRecordsAndServesNewRecordsOnEveryCall) {
    auto recording = std::make_shared<RecordingConnection>(store_);
    Run("INSERT INTO printing_limits (rule_priority, parent_id, display_order, limit_type, "
        "limit_value, title, message_text, stop_job) VALUES (0, 0, 1, 1, 1, 'a', 'm', 0), "
        "(0, 0, 2, 1, 1, 'b', 'm', 0);");
    std::shared_ptr<vb::Collection> limits;
    ASSERT_EQ(store_->LoadPrintingLimits(limits, 0, 0), nullptr);
    recording->FailCall("LoadPrintingLimits", 8, "read-only");
    ASSERT_NE(recording->LoadPrintingLimits(limits, 0, 0), nullptr);
    EXPECT_EQ(limits->Count(), 2); // untouched by the failed load

    std::vector<std::string> outcomes;
    recording->ClearFailures();
    recording->ServeRecordSet("LoadCustomFields", {"FieldId"}, {{Variant(int32_t{4})}});
    recording->ServeCollection("LoadPrintingLimits", [] {
        auto limit = std::make_shared<PrintingLimit>();
        limit->SetTitle("served");
        return std::vector<std::shared_ptr<vb::Object>>{limit};
    });
    recording->FailCall("LoadCustomFields", 3021, "lost", 2); // wins over the served set
    for (int call = 0; call < 3; ++call) {
        std::shared_ptr<RecordSet> fields;
        const Status status = recording->LoadCustomFields(fields);
        outcomes.push_back(status ? status->Message() : std::to_string(fields->RecordCount()));
        if (fields)
            fields->Close(); // the next call still gets an open set
        const auto held = limits;
        ASSERT_EQ(recording->LoadPrintingLimits(limits, 2, 8), nullptr);
        EXPECT_EQ(limits, held); // refilled in place, not appended to
        ASSERT_EQ(limits->Count(), 1);
        EXPECT_EQ(ItemAs<PrintingLimit>(*limits, 1)->Title(), "served");
        ItemAs<PrintingLimit>(*limits, 1)->SetTitle("changed by the editor");
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{"1", "lost", "1"}));
    recording->ClearServed();
    ASSERT_EQ(recording->LoadPrintingLimits(limits, 0, 0), nullptr);
    EXPECT_EQ(limits->Count(), 2);
}

TEST(Services, OneOfEachPerThreadSharedByEveryCaller) {
    const auto rules = RuleService::Get();
    EXPECT_EQ(RuleService::Get(), rules);
    EXPECT_EQ(LookupService::Get(), LookupService::Get());
    EXPECT_EQ(ListService::Get(), ListService::Get());
    const RuleService* other = nullptr;
    std::thread([&] { other = RuleService::Get().get(); }).join();
    EXPECT_NE(other, rules.get());
}

TEST(DataStatusShow, CallsTheHandlerInstalledOnThisThread) {
    std::vector<std::string> shown;
    SetStatusHandler([&](const DataStatus& s) {
        shown.push_back(std::to_string(s.Code()) + ":" + s.Message());
    });
    DataStatus status(0, "Control data object not set.");
    status.Show();
    bool otherThreadCalledIt = false;
    std::thread([&] {
        ::testing::internal::CaptureStderr();
        status.Show(); // no handler on this thread: goes to standard error
        otherThreadCalledIt =
            ::testing::internal::GetCapturedStderr().find("not set") == std::string::npos;
    }).join();
    SetStatusHandler(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"0:Control data object not set."}));
    EXPECT_FALSE(otherThreadCalledIt);
}

} // namespace
} // namespace qm6::data::test
