// The recording decorator the editors' tests stand on: it fails the chosen
// call without reaching the store and hands out chosen records afresh on
// every call.

#include "StoreFixture.h"
#include "qm6data/testing/RecordingConnection.h"

namespace qm6::data::test {
namespace {

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
    auto settings = std::make_shared<SystemSettings>();
    settings->SetCurrencyFormat("#,##0.000 \"credits\"");
    recording->ServeSettings(settings);
    std::shared_ptr<SystemSettings> read;
    ASSERT_EQ(recording->LoadSystemSettings(read), nullptr);
    EXPECT_EQ(read->CurrencyFormat(), "#,##0.000 \"credits\"");
    recording->ClearServed();
    ASSERT_EQ(recording->LoadPrintingLimits(limits, 0, 0), nullptr);
    EXPECT_EQ(limits->Count(), 2);
}

} // namespace
} // namespace qm6::data::test
