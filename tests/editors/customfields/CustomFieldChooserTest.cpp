// The custom field chooser on a copy of the sample store, through the
// recording decorator, on real widgets offscreen.
//
// The sample's fields, in grid rows: 1 Project code, 2 Department/Cost centre
// (ids 2 and 5), 3 Client, 4 Course; owner 1 stores the list 1,2,3, owner 2
// the list 4, owners 3 and 4 none.

#include "editors/SampleStoreTest.h"
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/VbError.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

using forms::GridCellProperty;
using vb::Variant;

constexpr int32_t kListOwner = 1;   // stores 1,2,3
constexpr int32_t kCourseOwner = 2; // stores 4
constexpr int32_t kBareOwner = 4;
const std::vector<std::string> kFieldColumns = {"FieldId", "Caption", "LinkParentId",
                                                "LinkChildId"};

class CustomFieldChooserTest : public test::EditorTest<ctlCustomFieldChooser> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor_->OnCustomFieldsChanged = [this] { ++changes_; };
    }
    data::Status LoadAction(int32_t type, const std::string& list) {
        return editor_->LoadDataForCustomAction(*recorder_, data::RuleAction(type, {list}));
    }
    forms::Grid& Grid() const { return editor_->grdCustomFields(); }
};

// What a load shows is read back as the selected list, which the grid's
// boxes make.
TEST_F(CustomFieldChooserTest, EveryLoadShowsItsOwnListWithTheGridUsableExactlyWhenRestricted) {
    // The box, the selected list, and whether the box is hidden (for actions,
    // which are always restricted).
    using Step = std::pair<std::function<data::Status()>, std::string>;
    // clang-format off
    const std::vector<Step> steps = {
        {[&] { return Load(kListOwner); }, "1 1,2,5,3"},
        {[&] { return Load(kCourseOwner); }, "1 4"}, // box already ticked
        {[&] { return Load(kBareOwner); }, "0 "},    // no rule carried over
        {[&] { return LoadAction(8, "2,5"); }, "1 2,5 hidden"}, // the list survives
        {[&] { return LoadAction(8, "1"); }, "1 1 hidden"},     // a second time too
        {[&] { return LoadAction(2, "a message"); }, "1 1,2,5,3,4 hidden"},
        {[&] { return editor_->LoadDataForEmbedded(*recorder_); }, "1 1,2,5,3,4"},
        {[&] { return Load(kBareOwner); }, "0 1,2,5,3,4"}, // embedded for good
    };
    // clang-format on
    for (const auto& [load, shown] : steps) {
        SCOPED_TRACE(shown);
        ASSERT_EQ(load(), nullptr);
        EXPECT_EQ(std::to_string(editor_->chkOverride().Value()) + " " +
                      editor_->SelectedCustomFields() +
                      (editor_->chkOverride().Visible() ? "" : " hidden"),
                  shown);
        // The grid is usable, and coloured so, exactly when the restriction
        // is on or the chooser embedded.
        const bool usable =
            editor_->EmbeddedMode() || editor_->chkOverride().Value() == forms::vbChecked;
        EXPECT_EQ(Grid().Enabled(), usable);
        EXPECT_EQ(uint32_t(Grid().Cell(GridCellProperty::ForeColor, 0, 3).AsLong()),
                  usable ? 0x80000008u : 0x80000011u);
    }
    // A linked pair is one row, and blank filler rows without a box follow;
    // a child with no parent above it is a row of its own.
    EXPECT_EQ(editor_->FieldRowCount(), 4);
    EXPECT_EQ(Grid().Rows(), 6);
    EXPECT_EQ(Grid().TextMatrix(2, 3), "Department/Cost centre");
    EXPECT_EQ(Grid().Cell(GridCellProperty::Checked, 5, 2).AsLong(), forms::kGridNoCheckBox);
    recorder_->ServeRecordSet("LoadCustomFields", kFieldColumns,
                              {{Variant(9), Variant("Orphan"), Variant(3), Variant(0)}});
    ASSERT_EQ(Load(kBareOwner), nullptr);
    EXPECT_EQ(Grid().TextMatrix(1, 3), "Orphan");
}

TEST_F(CustomFieldChooserTest, SavingWritesTheOwnersOneRuleAndAFailedWriteIsCompletedByARetry) {
    ASSERT_EQ(Load(kBareOwner), nullptr);
    editor_->Override(true);
    editor_->SelectedCustomFields(" 4 ,2");
    recorder_->FailCall("SaveJobOptionRule", 5, "database is locked", 1);
    ASSERT_NE(Save(kBareOwner), nullptr);
    ASSERT_EQ(Save(kBareOwner), nullptr);
    EXPECT_EQ(StoredRules(kBareOwner), Strings{"5 2,5,4"});
    editor_->SelectedCustomFields("1"); // the same rule updated, no second one
    ASSERT_EQ(Save(kBareOwner), nullptr);
    // Saved for another owner than loaded: that owner gets a rule of its own.
    ASSERT_EQ(Save(3), nullptr);
    EXPECT_EQ(StoredRules(3), (Strings{"2", "4", "5 1"}));
    EXPECT_EQ(StoredRules(kBareOwner), Strings{"5 1"});

    ASSERT_EQ(Load(kListOwner), nullptr);
    editor_->Override(false);
    recorder_->FailCall("DeleteJobOptionRule", 5, "database is locked", 1);
    ASSERT_NE(Save(kListOwner), nullptr);
    EXPECT_EQ(StoredRules(kListOwner), (Strings{"1", "2", "5 1,2,3"}));
    ASSERT_EQ(Save(kListOwner), nullptr);
    EXPECT_EQ(StoredRules(kListOwner), (Strings{"1", "2"}));
    ASSERT_EQ(Save(kListOwner), nullptr);
    EXPECT_EQ(recorder_->CallNames(), Strings{}); // deleted once
}

TEST_F(CustomFieldChooserTest,
       ADisabledChooserSavesWhatItShowsAndWithoutFieldsEnablingClearsTheBox) {
    ASSERT_EQ(Load(kListOwner), nullptr);
    editor_->Enabled(false);
    EXPECT_FALSE(editor_->Override()); // checked but disabled
    ASSERT_EQ(Save(kListOwner), nullptr);
    EXPECT_EQ(StoredRules(kListOwner),
              (Strings{"1", "2", "5 1,2,5,3"})); // the pair parent then child

    // Without fields the box means nothing: enabling clears it.
    recorder_->ServeRecordSet("LoadCustomFields", kFieldColumns, {});
    ASSERT_EQ(Load(kListOwner), nullptr);
    EXPECT_EQ(editor_->chkOverride().Value(), forms::vbChecked);
    editor_->Enabled(true);
    EXPECT_EQ(editor_->chkOverride().Value(), forms::vbUnchecked);
    EXPECT_FALSE(editor_->Override());
}

// A rule's stored list is read as an action's is (one reader); an action
// hands it over directly.
TEST_F(CustomFieldChooserTest, AStoredListWithEmptyOrUnreadablePiecesLoadsTheIdsItNames) {
    for (auto [stored, told, shown] : {std::tuple{"4,1,", false, "1,4"},
                                       {"4,,1", false, "1,4"},
                                       {"4,x", true, "4"},
                                       {"x", true, ""}}) {
        SCOPED_TRACE(stored);
        data::Status status;
        ASSERT_NO_THROW(status = LoadAction(8, stored));
        EXPECT_EQ(status ? status->Code() : -1, told ? 0 : -1); // told, yet no failure
        EXPECT_TRUE(editor_->CanSave());
        EXPECT_EQ(editor_->SelectedCustomFields(), shown);
    }
    // Written by a host, such a list is an error of use and changes nothing.
    EXPECT_THROW(editor_->SelectedCustomFields("4,x"), vb::VbError);
    EXPECT_EQ(editor_->SelectedCustomFields(), "");
}

TEST_F(CustomFieldChooserTest, AfterAFailedLoadNoRuleIsShownAndNothingIsSavedUntilALoadSucceeds) {
    for (const char* failing : {"LoadCustomFields", "LoadJobOptionRules"}) {
        SCOPED_TRACE(failing);
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kListOwner), nullptr);
        recorder_->FailCall(failing, 11, "database disk image is malformed");
        ASSERT_NE(Load(kCourseOwner), nullptr);
        EXPECT_TRUE(editor_->chkOverride().Value() == forms::vbUnchecked &&
                    editor_->SelectedCustomFields().empty());
        editor_->Override(true);
        const data::Status refused = Save(kCourseOwner);
        EXPECT_EQ(refused ? refused->Code() : -1, 0);
        EXPECT_TRUE(recorder_->Calls().empty());
    }
    recorder_->ClearFailures();
    ASSERT_EQ(Load(kCourseOwner), nullptr);
    editor_->Override(false);
    ASSERT_EQ(Save(kCourseOwner), nullptr);
    EXPECT_EQ(StoredRules(kCourseOwner), (Strings{"0", "3"}));
}

TEST_F(CustomFieldChooserTest, TheUserChangesOnlyTheBoxesOfFieldRowsAndEachChangeIsReported) {
    Grid().Height(4000); // every row in view
    editor_->Widget()->show();
    ASSERT_EQ(Load(kListOwner), nullptr);
    forms::input::ClickCell(Grid(), 5, 2); // a filler row: no box to tick
    forms::input::ClickCell(Grid(), 1, 2);
    EXPECT_EQ(editor_->SelectedCustomFields(), "2,5,3");
    forms::input::Click(editor_->chkOverride()); // off: every field out
    forms::input::Click(editor_->chkOverride()); // on: every field in
    EXPECT_EQ(editor_->SelectedCustomFields(), "1,2,5,3,4");
    EXPECT_EQ(changes_, 4); // the load's, the cell's and the box's two
}

} // namespace
} // namespace qm6
