// The job options editor against the real SQLite store (a copy of the
// sample), wrapped in the recording decorator where calls are counted or
// made to fail.

#include "editors/SampleStoreTest.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"

#include <gtest/gtest.h>
#include <vector>

namespace qm6 {
namespace {

using forms::vbChecked;
using forms::vbGrayed;
using forms::vbUnchecked;

// Owners of the sample: 1 has rules of types 1 and 2, 2 of types 0 and 3,
// 4 none.
constexpr int32_t kMonoDuplexOwner = 1;
constexpr int32_t kColorNUpOwner = 2;
constexpr int32_t kBareOwner = 4;

class JobOptionsTest : public test::EditorTest<ctlJobOptions> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor_->OnJobOptionChanged = [this] { ++changes_; };
    }
    // The colour entry's option type and text, then the duplex and n-up boxes.
    std::string Shown() const {
        const forms::ComboBox& colour = editor_->cmbColor();
        return std::to_string(colour.ItemData(colour.ListIndex())) + " " +
               colour.List(colour.ListIndex()) + "|" +
               std::to_string(editor_->chkForceDuplex().Value()) + " " +
               std::to_string(editor_->chkForceNUp().Value());
    }
};

// A load shows the stored rules and raises one change event for every
// control it changes; a failed one shows no rule, and after it no save writes
// anything, to the owner that failed or to the one shown before, until a load
// succeeds.
TEST_F(JobOptionsTest, LoadShowsTheStoredRulesWithTheColourTypesCrossedAndAFailedOneSavesNothing) {
    for (auto [owner, shown] :
         {std::pair{kMonoDuplexOwner, "1 Require black and white printing|1 0|2"},
          {kColorNUpOwner, "2 Require color printing|0 1|3"},
          {kBareOwner, "0 No color requirement|0 0|2"}}) {
        changes_ = 0;
        ASSERT_EQ(Load(owner), nullptr);
        EXPECT_EQ(Shown() + "|" + std::to_string(changes_), shown);
    }
    // Loading again forgets the earlier owner's rules: nothing to write.
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(recorder_->CallNames(), Strings{});

    ASSERT_EQ(Load(kMonoDuplexOwner), nullptr);
    recorder_->FailCall("LoadJobOptionRules", 11, "database disk image is malformed");
    ASSERT_NE(Load(kColorNUpOwner), nullptr);
    EXPECT_EQ(Shown(), "0 No color requirement|0 0");
    editor_->chkForceDuplex().Value(vbChecked);
    editor_->cmbColor().ListIndex(2);
    for (int32_t owner : {kColorNUpOwner, kMonoDuplexOwner}) {
        const data::Status refused = Save(owner);
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->Code(), 0);
    }
    EXPECT_EQ(StoredRules(kColorNUpOwner), (Strings{"0", "3", "5 4"}));
    EXPECT_EQ(StoredRules(kMonoDuplexOwner), (Strings{"1", "2", "5 1,2,3"}));
    recorder_->ClearFailures();
    ASSERT_EQ(Load(kColorNUpOwner), nullptr);
    editor_->chkForceDuplex().Value(vbChecked);
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(StoredRules(kColorNUpOwner), (Strings{"0", "2", "3", "5 4"}));
}

// Each save writes what changed since the last load, ends at the first
// failing step with that step's status, and a retry writes the rest; a save
// after that writes nothing.
TEST_F(JobOptionsTest, ASaveWritesTheChangesOnceAndARetryCompletesAFailedOne) {
    constexpr int kKeep = -1;
    struct Case {
        const char* name;
        std::vector<int32_t> loads;
        bool monoToo; // a type 1 rule stored beside the owner's type 0 first
        int colour, duplex, nup;
        std::vector<std::string> failing; // each fails its first call
        int32_t owner;                    // saved for
        Strings afterFailure, stored;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"n-up not tried after duplex failed", {kBareOwner}, false, kKeep, vbChecked, vbChecked,
         {"SaveJobOptionRule"}, kBareOwner, {}, {"2", "3"}},
        {"the colour step's delete and save failed", {kColorNUpOwner}, false, 1, kKeep, vbUnchecked,
         {"DeleteJobOptionRule", "SaveJobOptionRule"}, kColorNUpOwner, {"0", "3", "5 4"}, {"1", "5 4"}},
        {"both colour rules: the second choice kept", {kColorNUpOwner}, true, kKeep, kKeep, kKeep,
         {}, kColorNUpOwner, {}, {"0", "3", "5 4"}},
        {"a parent below one loads nothing", {kMonoDuplexOwner, 0, -1}, false, kKeep, kKeep, kKeep,
         {}, kBareOwner, {}, {"1", "2"}},
        {"a greyed box is off", {kColorNUpOwner}, false, kKeep, vbGrayed, kKeep,
         {}, kColorNUpOwner, {}, {"0", "3", "5 4"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        editor_ = std::make_unique<ctlJobOptions>();
        if (c.monoToo) {
            auto extra = recorder_->Inner()->NewJobOptionRule();
            extra->DefineRule(data::JobOptionRule::MonochromeRequired,
                              data::RulePriorityPrinterProfile, c.owner, "");
            ASSERT_EQ(extra->Save(*recorder_->Inner(), 0), nullptr);
        }
        for (int32_t owner : c.loads)
            ASSERT_EQ(Load(owner), nullptr);
        if (c.colour != kKeep)
            editor_->cmbColor().ListIndex(c.colour); // an entry's index is its item data
        for (auto [box, value] :
             {std::pair{&editor_->chkForceDuplex(), c.duplex}, {&editor_->chkForceNUp(), c.nup}})
            if (value != kKeep)
                box->Value(value);
        if (!c.failing.empty()) {
            for (size_t i = 0; i < c.failing.size(); ++i)
                recorder_->FailCall(c.failing[i], int32_t(100 + i), "database is locked", 1);
            const data::Status failed = Save(c.owner);
            ASSERT_NE(failed, nullptr);
            EXPECT_EQ(failed->Code(), 100); // the first, not a later one
            EXPECT_EQ(StoredRules(c.owner), c.afterFailure);
        }
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(StoredRules(c.owner), c.stored);
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(recorder_->CallNames(), Strings{}) << "written again";
    }
}

} // namespace
} // namespace qm6
