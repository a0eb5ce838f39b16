// The job options editor against the real SQLite store (a copy of the
// sample), wrapped in the recording decorator where calls are counted or
// made to fail.

#include "editors/joboptions/ctlJobOptions.h"

#include "editors/SampleStoreTest.h"
#include "common/Language.h"
#include "support/TestSupport.h"
#include "common/ModuleState.h"
#include "contract/RulePriority.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/UserInput.h"
#include <QWidget>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace qm6 {
namespace {

using data::JobOptionRule;
using forms::vbChecked;
using forms::vbGrayed;
using forms::vbUnchecked;

constexpr int32_t kPriority = data::RulePriorityPrinterProfile;
// Owners of the sample: 1 has rules of types 1 and 2, 2 of types 0 and 3,
// 4 none.
constexpr int32_t kMonoDuplexOwner = 1;
constexpr int32_t kColorNUpOwner = 2;
constexpr int32_t kBareOwner = 4;

class JobOptionsTest : public test::SampleStoreTest {
protected:
    void SetUp() override {
        SampleStoreTest::SetUp();
        editor_ = std::make_unique<ctlJobOptions>();
        editor_->OnJobOptionChanged = [this] { ++changes_; };
    }
    void TearDown() override {
        editor_.reset();
        SampleStoreTest::TearDown();
    }

    // The option types stored for an owner, read through a connection of
    // its own so that nothing the editor holds is involved.
    std::set<int32_t> Stored(int32_t parentId) const {
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(OpenStore()->LoadJobOptionRules(rules, kPriority, parentId), nullptr);
        std::set<int32_t> types;
        for (int32_t i = 1; rules && i <= rules->Count(); ++i)
            types.insert(std::dynamic_pointer_cast<JobOptionRule>(rules->Item(i).AsObject())->OptionType());
        types.erase(JobOptionRule::IgnoreAllLimits);
        types.erase(JobOptionRule::CustomFieldSelection);
        return types;
    }

    data::Status Load(int32_t parentId) { return editor_->LoadData(*recorder_, kPriority, parentId, "printer profile"); }
    data::Status Save(int32_t parentId) { return editor_->SaveData(*recorder_, kPriority, parentId); }
    // The calls that reached the store, without the factory's (which only
    // makes records in memory).
    std::vector<std::string> DataCalls() const {
        std::vector<std::string> names;
        for (const std::string& name : recorder_->CallNames())
            if (name.rfind("New", 0) != 0)
                names.push_back(name);
        return names;
    }
    int32_t ColorItemData() const {
        return editor_->cmbColor().ItemData(editor_->cmbColor().ListIndex());
    }
    void ChooseColor(int32_t itemData) {
        for (int32_t i = 0; i < editor_->cmbColor().ListCount(); ++i)
            if (editor_->cmbColor().ItemData(i) == itemData)
                editor_->cmbColor().ListIndex(i);
    }

    std::unique_ptr<ctlJobOptions> editor_;
    int changes_ = 0;
};

TEST_F(JobOptionsTest, CreationShowsTheEnglishTextsAndTheCrossedColourList) {
    EXPECT_EQ((std::vector<std::string>{editor_->lblCaption(2).Caption(), editor_->lblCaption(3).Caption(),
                                        editor_->lblCaption(4).Caption(), editor_->chkForceDuplex().Caption(),
                                        editor_->chkForceNUp().Caption()}),
              (std::vector<std::string>{"Color:", "Duplex:", "N-up:", "Require double-sided (duplex) printing",
                                        "Require multiple pages per sheet (n-up)"}));
    const forms::ComboBox& combo = editor_->cmbColor();
    std::vector<std::pair<int32_t, std::string>> entries;
    for (int32_t i = 0; i < combo.ListCount(); ++i)
        entries.emplace_back(combo.ItemData(i), combo.List(i));
    EXPECT_EQ(entries, (std::vector<std::pair<int32_t, std::string>>{
                           {0, "No color requirement"}, {1, "Require black and white printing"},
                           {2, "Require color printing"}}));
    EXPECT_EQ(combo.ListIndex(), 0);
}

TEST_F(JobOptionsTest, LoadShowsTheStoredRulesWithTheColourTypesCrossed) {
    struct Case {
        int32_t owner;
        int32_t colour;
        int duplex, nup;
    };
    for (const Case& c : {Case{kMonoDuplexOwner, 1, vbChecked, vbUnchecked},
                          Case{kColorNUpOwner, 2, vbUnchecked, vbChecked},
                          Case{kBareOwner, 0, vbUnchecked, vbUnchecked}}) {
        SCOPED_TRACE(c.owner);
        ASSERT_EQ(Load(c.owner), nullptr);
        EXPECT_EQ(ColorItemData(), c.colour);
        EXPECT_EQ(editor_->chkForceDuplex().Value(), c.duplex);
        EXPECT_EQ(editor_->chkForceNUp().Value(), c.nup);
    }
    // Loading again forgets the earlier owner's rules: nothing to write.
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_TRUE(DataCalls().empty());
}

TEST_F(JobOptionsTest, BothColourRulesLoadAsTheSecondChoiceAndSavingKeepsOnlyTypeZero) {
    // Give owner 2 (type 0 stored) a type 1 rule as well, behind the editor's back.
    auto extra = recorder_->Inner()->NewJobOptionRule();
    extra->DefineRule(JobOptionRule::MonochromeRequired, kPriority, kColorNUpOwner, "");
    ASSERT_EQ(extra->Save(*recorder_->Inner(), 0), nullptr);

    ASSERT_EQ(Load(kColorNUpOwner), nullptr);
    EXPECT_EQ(ColorItemData(), 2);
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(DataCalls(), std::vector<std::string>{"DeleteJobOptionRule"});
    EXPECT_EQ(recorder_->Calls()[0].arguments[0].AsLong(), JobOptionRule::MonochromeRequired);
    EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{0, 3}));
}

TEST_F(JobOptionsTest, AParentIdBelowOneLoadsNothingAndAFollowingSaveCreatesWhatIsShown) {
    ASSERT_EQ(Load(kMonoDuplexOwner), nullptr);
    for (int32_t parent : {0, -1}) {
        recorder_->ClearCalls();
        EXPECT_EQ(Load(parent), nullptr);
        EXPECT_TRUE(DataCalls().empty());
        EXPECT_EQ(ColorItemData(), 1); // as before
        EXPECT_EQ(editor_->chkForceDuplex().Value(), vbChecked);
    }
    // No rules loaded now: saving for a bare owner creates a rule for each option shown.
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 2);
    EXPECT_EQ(recorder_->CallCount("DeleteJobOptionRule"), 0);
    EXPECT_EQ(Stored(kBareOwner), (std::set<int32_t>{1, 2}));
    EXPECT_EQ(Stored(kMonoDuplexOwner), (std::set<int32_t>{1, 2}));
}

TEST_F(JobOptionsTest, SavingWritesOnlyChangesAndNothingTheSecondTime) {
    ASSERT_EQ(Load(kBareOwner), nullptr);
    recorder_->ClearCalls();
    // Colour entry 0 with no colour rules: no data call at all.
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_TRUE(DataCalls().empty());

    editor_->chkForceDuplex().Value(vbChecked);
    ASSERT_EQ(Save(kBareOwner), nullptr);
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(DataCalls(), std::vector<std::string>{"SaveJobOptionRule"});
    EXPECT_EQ(Stored(kBareOwner), (std::set<int32_t>{2}));

    // A switch to the other colour choice and n-up off, in one save.
    ASSERT_EQ(Load(kColorNUpOwner), nullptr);
    ChooseColor(1);
    editor_->chkForceNUp().Value(vbUnchecked);
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(DataCalls(),
              (std::vector<std::string>{"DeleteJobOptionRule", "SaveJobOptionRule", "DeleteJobOptionRule"}));
    EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{1}));
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_TRUE(DataCalls().empty());

    // A greyed box counts as off.
    editor_->chkForceDuplex().Value(vbGrayed);
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 0);
}

TEST_F(JobOptionsTest, AFailingSaveEndsAfterItsStepAndARetryStoresTheRule) {
    ASSERT_EQ(Load(kBareOwner), nullptr);
    editor_->chkForceDuplex().Value(vbChecked);
    editor_->chkForceNUp().Value(vbChecked);
    recorder_->FailCall("SaveJobOptionRule", 5, "database is locked", 1);

    data::Status status = Save(kBareOwner);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), 5);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 1); // n-up not attempted
    EXPECT_EQ(editor_->Slot(JobOptionRule::DuplexRequired), nullptr);
    EXPECT_TRUE(Stored(kBareOwner).empty());

    recorder_->ClearFailures();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(Stored(kBareOwner), (std::set<int32_t>{2, 3}));
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_TRUE(DataCalls().empty());
}

TEST_F(JobOptionsTest, TheColourStepAnswersItsFirstFailureAndKeepsAnUndeletedRule) {
    ASSERT_EQ(Load(kColorNUpOwner), nullptr);
    ChooseColor(1);
    editor_->chkForceNUp().Value(vbUnchecked);
    recorder_->FailCall("DeleteJobOptionRule", 8, "attempt to write a readonly database", 1);
    recorder_->ClearCalls();

    data::Status status = Save(kColorNUpOwner);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), 8); // the delete's failure, not the later save's success
    EXPECT_EQ(DataCalls(), (std::vector<std::string>{"DeleteJobOptionRule", "SaveJobOptionRule"}));
    EXPECT_NE(editor_->Slot(JobOptionRule::ColorRequired), nullptr);
    EXPECT_NE(editor_->Slot(JobOptionRule::MonochromeRequired), nullptr);
    EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{0, 1, 3}));

    // Once the store recovers, a retry deletes what is still there.
    recorder_->ClearFailures();
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{1}));
    EXPECT_EQ(editor_->Slot(JobOptionRule::ColorRequired), nullptr);
}

TEST_F(JobOptionsTest, AfterAFailedLoadNoRuleIsShownAndNothingIsSavedUntilALoadSucceeds) {
    // Whatever the user does after the failed load, no save writes anything,
    // to the owner that failed or to the one shown before.
    for (const bool duplexOn : {false, true}) {
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kMonoDuplexOwner), nullptr);
        recorder_->FailCall("LoadJobOptionRules", 11, "database disk image is malformed");
        ASSERT_NE(Load(kColorNUpOwner), nullptr);
        EXPECT_EQ(ColorItemData(), 0);
        EXPECT_EQ(editor_->chkForceDuplex().Value(), vbUnchecked);
        EXPECT_EQ(editor_->chkForceNUp().Value(), vbUnchecked);
        duplexOn ? editor_->chkForceDuplex().Value(vbChecked) : ChooseColor(2);
        recorder_->ClearCalls();
        for (int32_t owner : {kColorNUpOwner, kMonoDuplexOwner}) {
            const data::Status refused = Save(owner);
            ASSERT_NE(refused, nullptr);
            EXPECT_EQ(refused->Code(), 0);
        }
        EXPECT_TRUE(DataCalls().empty());
        EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{0, 3}));
        EXPECT_EQ(Stored(kMonoDuplexOwner), (std::set<int32_t>{1, 2}));
    }
    recorder_->ClearFailures();
    ASSERT_EQ(Load(kColorNUpOwner), nullptr);
    editor_->chkForceDuplex().Value(vbChecked);
    ASSERT_EQ(Save(kColorNUpOwner), nullptr);
    EXPECT_EQ(Stored(kColorNUpOwner), (std::set<int32_t>{0, 2, 3}));
}

// A user's clicks mark the console's page changed; its tests drive them.
TEST_F(JobOptionsTest, JobOptionChangedFiresForEveryControlALoadChanges) {
    ASSERT_EQ(Load(kBareOwner), nullptr);
    changes_ = 0;
    ASSERT_EQ(Load(kColorNUpOwner), nullptr); // colour and n-up change
    EXPECT_EQ(changes_, 2);
}

TEST_F(JobOptionsTest, EnabledReachesEveryControl) {
    for (const bool enabled : {false, true}) {
        editor_->Enabled(enabled);
        EXPECT_EQ(editor_->Enabled(), enabled);
        for (forms::Control* control : editor_->Controls())
            EXPECT_EQ(control->Enabled(), enabled) << control->Name();
    }
}

} // namespace
} // namespace qm6
