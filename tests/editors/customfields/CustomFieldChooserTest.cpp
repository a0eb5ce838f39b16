// The custom field chooser against the real SQLite store (a copy of the
// sample), wrapped in the recording decorator where calls are counted, made
// to fail or given chosen records, on real widgets offscreen.
//
// The sample's fields, in grid rows: 1 Project code, 2 Department/Cost centre
// (ids 2 and 5), 3 Client, 4 Course; owner 1 stores the list 1,2,3, owner 2
// the list 4, owners 3 and 4 none.

#include "editors/customfields/ctlCustomFieldChooser.h"

#include "common/Language.h"
#include "contract/RulePriority.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/VbError.h"
#include "editors/SampleStoreTest.h"

#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>


namespace qm6 {
namespace {

using data::JobOptionRule;
using forms::GridCellProperty;
using vb::Variant;

constexpr int32_t kPriority = data::RulePriorityPrinterProfile;
constexpr int32_t kListOwner = 1;  // stores 1,2,3
constexpr int32_t kCourseOwner = 2; // stores 4
constexpr int32_t kBareOwner = 4;
constexpr int32_t kGray = static_cast<int32_t>(0x80000011u);
constexpr int32_t kWindowText = static_cast<int32_t>(0x80000008u);

class CustomFieldChooserTest : public test::SampleStoreTest {
protected:
    void SetUp() override {
        SampleStoreTest::SetUp();
        chooser_ = std::make_unique<ctlCustomFieldChooser>();
        chooser_->OnCustomFieldsChanged = [this] { ++changes_; };
    }
    void TearDown() override {
        chooser_.reset();
        SampleStoreTest::TearDown();
    }

    data::Status Load(int32_t owner) { return chooser_->LoadData(*recorder_, kPriority, owner, "printer profile"); }
    data::Status Save(int32_t owner) { return chooser_->SaveData(*recorder_, kPriority, owner); }
    data::Status LoadAction(int32_t type, const std::string& list) {
        return chooser_->LoadDataForCustomAction(*recorder_, data::RuleAction(type, {list}));
    }
    forms::Grid& Grid() const { return chooser_->grdCustomFields(); }
    int32_t Check(int row) const { return Grid().Cell(GridCellProperty::Checked, row, 2).AsLong(); }
    // The stored list of an owner, or "none", read through a connection of its own.
    std::string Stored(int32_t owner) const {
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(OpenStore()->LoadJobOptionRules(rules, kPriority, owner), nullptr);
        for (int32_t i = 1; i <= rules->Count(); ++i)
            if (auto rule = data::ItemAs<JobOptionRule>(*rules, i); rule->OptionType() == 5)
                return rule->ValueText();
        return "none";
    }
    void StoreList(int32_t owner, const std::string& list) {
        auto rule = recorder_->Inner()->NewJobOptionRule();
        rule->DefineRule(5, kPriority, owner, list);
        ASSERT_EQ(rule->Save(*recorder_->Inner(), 0), nullptr);
    }
    // The grid is usable exactly when the restriction is on or the chooser embedded.
    void ExpectGridFollowsRestriction() const {
        const bool usable = chooser_->EmbeddedMode() || chooser_->chkOverride().Value() == forms::vbChecked;
        EXPECT_EQ(Grid().Enabled(), usable);
        if (chooser_->FieldRowCount() > 0) {
            EXPECT_EQ(Grid().Cell(GridCellProperty::ForeColor, 1, 3).AsLong(), usable ? kWindowText : kGray);
        }
    }
    // A click, or a double-click as a widget receives one, on a data cell.
    void ClickCell(int row, int col, bool twice = false) {
        auto* table = static_cast<QTableWidget*>(Grid().Widget());
        const QPoint at = table->visualRect(table->model()->index(row - 1, col)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        if (twice) {
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }
        forms::input::Settle();
    }

    std::unique_ptr<ctlCustomFieldChooser> chooser_;
    int changes_ = 0;
};

TEST_F(CustomFieldChooserTest, TheGridShowsLinkedPairsAsOneRowAndBlankFillerRows) {
    EXPECT_EQ(chooser_->chkOverride().Caption(), LangString(300));
    ASSERT_EQ(Load(kBareOwner), nullptr);
    EXPECT_EQ(chooser_->chkOverride().Caption(), "Only use the included custom fields for this printer profile");
    EXPECT_EQ(chooser_->FieldRowCount(), 4);
    EXPECT_EQ(Grid().Rows(), 6);
    EXPECT_FALSE(Grid().RowHidden(0));
    EXPECT_EQ(Grid().TextMatrix(0, 2), "Include");
    EXPECT_EQ(Grid().ColWidth(3), 6255 - 820);
    EXPECT_EQ(Grid().TextMatrix(2, 3), "Department/Cost centre");
    EXPECT_EQ(Grid().TextMatrix(2, 1), "5");
    EXPECT_EQ(Check(5), forms::kGridNoCheckBox);
    EXPECT_EQ(Check(1), forms::kGridUnchecked);
    ExpectGridFollowsRestriction();

    // Chosen record sets: none, one field, a linked child with no parent above it.
    struct Case {
        std::vector<std::vector<Variant>> rows;
        int gridRows, fieldRows;
        std::string header, firstCaption;
    };
    const std::vector<Case> cases = {
        {{}, 1, 0, "Caption", ""},
        {{{Variant(7), Variant("Room"), Variant(0), Variant(0)}}, 6, 1, "Caption", "Room"},
        {{{Variant(9), Variant("Orphan"), Variant(3), Variant(0)}, {Variant(7), Variant("Room"), Variant(0), Variant(0)}},
         6, 2, "Caption", "Orphan"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fieldRows);
        recorder_->ServeRecordSet("LoadCustomFields", {"FieldId", "Caption", "LinkParentId", "LinkChildId"}, c.rows);
        ASSERT_EQ(Load(kBareOwner), nullptr);
        EXPECT_EQ(Grid().Rows(), c.gridRows);
        EXPECT_EQ(chooser_->FieldRowCount(), c.fieldRows);
        EXPECT_EQ(Grid().RowHidden(0), c.fieldRows == 0);
        EXPECT_EQ(Grid().TextMatrix(0, 3), c.header);
        if (c.fieldRows > 0) {
            EXPECT_EQ(Grid().TextMatrix(1, 3), c.firstCaption);
        }
    }
}

TEST_F(CustomFieldChooserTest, EveryLoadShowsItsOwnersRuleWithTheGridUsableExactlyWhenRestricted) {
    struct Step {
        std::function<data::Status()> load;
        int box;
        std::vector<int32_t> checks; // rows 1 to 4
        std::string selected;
    };
    const int on = forms::kGridChecked, off = forms::kGridUnchecked;
    const std::vector<Step> steps = {
        {[&] { return Load(kListOwner); }, 1, {on, on, on, off}, "1,2,5,3"},
        {[&] { return Load(kCourseOwner); }, 1, {off, off, off, on}, "4"}, // box already ticked
        {[&] { return Load(kBareOwner); }, 0, {off, off, off, off}, ""},
        {[&] { return LoadAction(8, "2,5"); }, 1, {off, on, off, off}, "2,5"}, // the stored list survives
        {[&] { return LoadAction(8, "1"); }, 1, {on, off, off, off}, "1"},      // and on a second load
        {[&] { return LoadAction(2, "a message"); }, 1, {on, on, on, on}, "1,2,5,3,4"},
        {[&] { return chooser_->LoadDataForEmbedded(*recorder_); }, 1, {on, on, on, on}, "1,2,5,3,4"},
        {[&] { return Load(kBareOwner); }, 0, {on, on, on, on}, "1,2,5,3,4"}, // embedded for good
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(steps[i].load(), nullptr);
        EXPECT_EQ(chooser_->chkOverride().Value(), steps[i].box);
        for (int row = 1; row <= 4; ++row)
            EXPECT_EQ(Check(row), steps[i].checks[size_t(row - 1)]) << row;
        EXPECT_EQ(chooser_->SelectedCustomFields(), steps[i].selected);
        ExpectGridFollowsRestriction();
        if (i == 3) {
            EXPECT_FALSE(chooser_->chkOverride().Visible());
            EXPECT_EQ(Grid().Top(), 0);
        }
    }
    EXPECT_TRUE(chooser_->chkOverride().Visible());
    EXPECT_EQ(Grid().Top(), 360);
}

TEST_F(CustomFieldChooserTest, SavingCreatesUpdatesAndDeletesTheOneRuleOfItsOwnerOnly) {
    ASSERT_EQ(Load(kListOwner), nullptr);
    ASSERT_EQ(Load(kBareOwner), nullptr); // owner 1's rule is not carried over
    EXPECT_EQ(chooser_->CustomFieldRule(), nullptr);
    chooser_->Override(true);
    chooser_->SelectedCustomFields(" 4 ,2");
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    const int32_t id = chooser_->CustomFieldRule()->RuleId();
    chooser_->SelectedCustomFields("1");
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(chooser_->CustomFieldRule()->RuleId(), id);
    EXPECT_EQ(Stored(kBareOwner), "1");
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 2);

    // Saved for another owner than loaded: that owner gets a rule of its own.
    chooser_->SelectedCustomFields("3");
    ASSERT_EQ(Save(3), nullptr);
    EXPECT_EQ(Stored(3), "3");
    EXPECT_EQ(Stored(kBareOwner), "1");
    EXPECT_EQ(Stored(kListOwner), "1,2,3");

    ASSERT_EQ(Load(kBareOwner), nullptr);
    chooser_->Override(false);
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBareOwner), nullptr);
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(recorder_->CallNames(), std::vector<std::string>{"DeleteJobOptionRule"});
    EXPECT_EQ(Stored(kBareOwner), "none");
}

TEST_F(CustomFieldChooserTest, AFailedWriteKeepsTheChooserEqualToTheStoreSoARetryCompletesIt) {
    struct Case {
        const char* failing;
        int32_t owner;
        bool restrict;
        std::string before, after;
    };
    for (const Case& c : {Case{"DeleteJobOptionRule", kListOwner, false, "1,2,3", "none"},
                          Case{"SaveJobOptionRule", kBareOwner, true, "none", "1,2,5,3,4"}}) {
        SCOPED_TRACE(c.failing);
        ASSERT_EQ(Load(c.owner), nullptr);
        const bool held = chooser_->CustomFieldRule() != nullptr;
        chooser_->Override(c.restrict);
        recorder_->FailCall(c.failing, 5, "database is locked", 1);
        ASSERT_NE(Save(c.owner), nullptr);
        EXPECT_EQ(chooser_->CustomFieldRule() != nullptr, held);
        EXPECT_EQ(Stored(c.owner), c.before);
        recorder_->ClearFailures();
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(Stored(c.owner), c.after);
    }
}

TEST_F(CustomFieldChooserTest, ADisabledChooserSavesWhatItShowsAndEnablingKeepsAnEmbeddedGridUsable) {
    ASSERT_EQ(Load(kListOwner), nullptr);
    chooser_->Enabled(false);
    EXPECT_FALSE(chooser_->Override()); // checked but disabled
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kListOwner), nullptr);
    EXPECT_EQ(recorder_->CallCount("DeleteJobOptionRule"), 0);
    EXPECT_EQ(Stored(kListOwner), "1,2,5,3"); // the pair is stored parent then child
    chooser_->Enabled(true);
    EXPECT_TRUE(chooser_->Override());
    EXPECT_TRUE(Grid().Enabled());

    ASSERT_EQ(chooser_->LoadDataForEmbedded(*recorder_), nullptr);
    chooser_->Override(false);
    chooser_->Enabled(true);
    EXPECT_TRUE(Grid().Enabled());

    // Without fields the box means nothing: enabling clears it.
    recorder_->ServeRecordSet("LoadCustomFields", {"FieldId", "Caption", "LinkParentId", "LinkChildId"}, {});
    ASSERT_EQ(Load(kListOwner), nullptr);
    EXPECT_EQ(chooser_->chkOverride().Value(), forms::vbChecked);
    chooser_->Enabled(true);
    EXPECT_FALSE(chooser_->chkOverride().Enabled());
    EXPECT_EQ(chooser_->chkOverride().Value(), forms::vbUnchecked);
    EXPECT_FALSE(chooser_->Override());
}

TEST_F(CustomFieldChooserTest, AStoredListWithEmptyOrUnreadablePiecesLoadsWhatItNamesWithoutRaising) {
    struct Case {
        std::string stored;
        bool status;
        std::string shown;
    };
    for (const Case& c : {Case{"4,1,", false, "1,4"}, Case{"4,,1", false, "1,4"}, Case{"4,x", true, "4"},
                          Case{"x", true, ""}, Case{"", false, ""}}) {
        SCOPED_TRACE(c.stored);
        recorder_->ClearServed();
        ASSERT_EQ(Load(kBareOwner), nullptr); // no rule held
        recorder_->ServeCollection("LoadJobOptionRules", [&] {
            auto rule = std::make_shared<JobOptionRule>();
            rule->DefineRule(5, kPriority, kBareOwner, c.stored);
            return std::vector<std::shared_ptr<vb::Object>>{rule};
        });
        data::Status status;
        ASSERT_NO_THROW(status = Load(kBareOwner));
        EXPECT_EQ(status != nullptr, c.status);
        if (status) {
            EXPECT_EQ(status->Code(), 0);
        }
        EXPECT_TRUE(chooser_->CanSave());
        EXPECT_EQ(chooser_->SelectedCustomFields(), c.shown);
        ASSERT_NO_THROW(status = LoadAction(8, c.stored));
        EXPECT_EQ(status != nullptr, c.status);
        EXPECT_EQ(chooser_->SelectedCustomFields(), c.shown);
        ExpectGridFollowsRestriction();
    }
    // Written by a host, such a list is an error of use and changes nothing.
    chooser_->SelectedCustomFields("3");
    for (const char* list : {"4,x", "4,,1", "4,"}) {
        try {
            chooser_->SelectedCustomFields(list);
            ADD_FAILURE() << list;
        } catch (const vb::VbError& error) {
            EXPECT_EQ(error.Number(), 13);
        }
        EXPECT_EQ(chooser_->SelectedCustomFields(), "3");
    }
}

TEST_F(CustomFieldChooserTest, AfterAFailedLoadNoRuleIsShownAndNothingIsSavedUntilALoadSucceeds) {
    for (const char* failing : {"LoadCustomFields", "LoadJobOptionRules"}) {
        SCOPED_TRACE(failing);
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kListOwner), nullptr);
        recorder_->FailCall(failing, 11, "database disk image is malformed");
        ASSERT_NE(Load(kCourseOwner), nullptr);
        EXPECT_EQ(chooser_->chkOverride().Value(), forms::vbUnchecked);
        EXPECT_EQ(chooser_->SelectedCustomFields(), "");
        EXPECT_EQ(Grid().Rows() == 1, std::string(failing) == "LoadCustomFields");
        ExpectGridFollowsRestriction();
        chooser_->Override(true);
        recorder_->ClearCalls();
        for (int32_t owner : {kCourseOwner, kListOwner}) {
            const data::Status refused = Save(owner);
            ASSERT_NE(refused, nullptr);
            EXPECT_EQ(refused->Code(), 0);
        }
        EXPECT_TRUE(recorder_->Calls().empty());
    }
    recorder_->ClearFailures();
    ASSERT_EQ(Load(kCourseOwner), nullptr);
    chooser_->Override(false);
    ASSERT_EQ(Save(kCourseOwner), nullptr);
    EXPECT_EQ(Stored(kCourseOwner), "none");
    EXPECT_EQ(Stored(kListOwner), "1,2,3");
}

TEST_F(CustomFieldChooserTest, TheUserChangesOnlyTheBoxesOfFieldRowsAndEachChangeIsReported) {
    Grid().Height(4000); // every row in view
    chooser_->Widget()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser_->Widget()));
    ASSERT_EQ(Load(kListOwner), nullptr);
    EXPECT_EQ(changes_, 1); // the stored rule switched the box on
    changes_ = 0;
    ClickCell(5, 2); // a filler row
    ClickCell(4, 3, true); // a caption
    EXPECT_FALSE(Grid().IsEditing());
    EXPECT_EQ(changes_, 0);
    EXPECT_EQ(chooser_->SelectedCustomFields(), "1,2,5,3");
    ClickCell(4, 2);
    ClickCell(1, 2);
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(chooser_->SelectedCustomFields(), "2,5,3,4");

    forms::input::Click(chooser_->chkOverride()); // off: every field out, grey
    EXPECT_EQ(chooser_->SelectedCustomFields(), "");
    ExpectGridFollowsRestriction();
    forms::input::Click(chooser_->chkOverride()); // on: every field in
    EXPECT_EQ(chooser_->SelectedCustomFields(), "1,2,5,3,4");
    EXPECT_EQ(changes_, 4);
    EXPECT_TRUE(chooser_->Validate());
}

} // namespace
} // namespace qm6
