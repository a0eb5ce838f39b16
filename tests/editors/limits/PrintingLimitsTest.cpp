// The printing limits editor against a copy of the sample store, wrapped in
// the recording decorator where calls are counted or made to fail; the
// dialog is driven through the scripted host.

#include "common/Language.h"
#include "common/ModuleState.h"
#include "contract/RulePriority.h"
#include "editors/limits/StoredLimits.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "editors/limits/frmLimit.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Grid.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/Conversions.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"
#include "support/TestSupport.h"

#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

namespace input = forms::input;
using Strings = std::vector<std::string>;
constexpr int32_t kPriority = data::RulePriorityPrinterProfile;
// Owners of the sample: 1 has limits "1 200 Large job" and "4 12.5 Daily
// budget", 3 the ignore-all rule, 4 nothing.
constexpr int32_t kTwo = 1, kIgnoring = 3, kBare = 4;
constexpr int kYes = 6, kNo = 7;

class PrintingLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModuleFolder(QM6_BIN_DIR);
        ResetModuleState();
        Fresh();
    }
    void TearDown() override {
        editor_.reset();
        ResetModuleState();
        SetModuleFolder("");
    }
    // A new copy of the sample and a new editor on it.
    void Fresh() {
        file_ = dir_.Path() / ("store" + std::to_string(++copies_));
        std::filesystem::copy_file(QM6_SAMPLE_DATABASE, file_);
        recorder_ = std::make_shared<data::testing::RecordingConnection>(Open());
        editor_ = std::make_unique<ctlPrintingLimits>();
        editor_->OnLimitsChanged = [this] { ++changes_; };
        editor_->Widget()->show();
    }
    std::shared_ptr<data::SqliteConnection> Open() const {
        std::shared_ptr<data::SqliteConnection> store;
        EXPECT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        return store;
    }
    Strings Stored(int32_t owner) const { return test::StoredLimits(*Open(), owner); }
    data::Status Load(int32_t owner) {
        return editor_->LoadData(*recorder_, kPriority, owner, "printer profile");
    }
    data::Status Save(int32_t owner) {
        recorder_->ClearCalls();
        return editor_->SaveData(*recorder_, kPriority, owner);
    }
    // Adds a limit through the dialog: the type list's entry, the amount and
    // the title, which is also the text.
    void Add(int32_t typeIndex, const std::string& amount, const std::string& title,
             bool save = true) {
        host_.QueueModal([=](forms::Form& form) {
            auto& d = dynamic_cast<frmLimit&>(form);
            input::Choose(d.cmbType(), typeIndex);
            input::Type(d.txtLimit(), amount);
            input::Type(d.txtTitle(), title);
            input::Type(d.txtMessage(), title);
            input::Click(save ? d.cmdSave() : d.cmdClose());
        });
        input::Click(editor_->cmdAdd());
    }
    void Edit(int row, const std::string& title) {
        editor_->grdLimits().Row(row);
        host_.QueueModal([=](forms::Form& form) {
            dynamic_cast<frmLimit&>(form).txtTitle().Text(title);
            input::Click(dynamic_cast<frmLimit&>(form).cmdSave());
        });
        input::Click(editor_->cmdEdit());
    }
    void Remove(int row, int answer = kYes) {
        editor_->grdLimits().Row(row);
        host_.QueueAnswer(answer);
        input::Click(editor_->cmdRemove());
    }
    std::string Cells(int row) const {
        std::string out;
        for (int col = 0; col < 4; ++col)
            out += editor_->grdLimits().TextMatrix(row, col) + "|";
        return out;
    }

    qm6::test::TempDir dir_;
    std::filesystem::path file_;
    int copies_ = 0;
    forms::ScriptedHost host_;
    forms::ScopedHost scope_{host_};
    std::shared_ptr<data::testing::RecordingConnection> recorder_;
    std::unique_ptr<ctlPrintingLimits> editor_;
    int changes_ = 0;
};

TEST_F(PrintingLimitsTest, LoadShowsTheLimitsOrTheRuleAndTheBoxGreysTheList) {
    for (int32_t owner : {kTwo, kIgnoring, kBare}) {
        recorder_->ClearCalls();
        ASSERT_EQ(Load(owner), nullptr);
        const bool ticked = owner == kIgnoring, listed = owner == kTwo;
        EXPECT_EQ(editor_->grdLimits().Rows(), listed ? 3 : 1) << owner;
        // The rule is sought only without limits, and a stored one is not asked about.
        EXPECT_EQ(recorder_->CallCount("LoadJobOptionRules"), listed ? 0 : 1);
        EXPECT_TRUE(editor_->Validate());
        EXPECT_EQ(editor_->IgnoreAllLimits(), ticked);
        EXPECT_EQ(editor_->grdLimits().Enabled() + editor_->cmdAdd().Enabled() * 2 +
                      editor_->cmdEdit().Enabled() * 4,
                  ticked   ? 0
                  : listed ? 7
                           : 3);
        EXPECT_EQ(editor_->grdLimits().Cell(forms::GridCellProperty::ForeColor, 0, 2).AsLong(),
                  int32_t(ticked ? 0x80000011u : 0x80000008u));
    }
    ASSERT_EQ(Load(kTwo), nullptr);
    EXPECT_EQ(editor_->chkIgnoreAll().Caption(), LangString(604, "printer profile"));
    EXPECT_EQ(Cells(1) + Cells(2),
              "Pages per job|200|Large job|True|Cost per day|12.5|Daily budget|False|");
    editor_->IgnoreAllLimits(true); // whatever row is current
    EXPECT_FALSE(editor_->cmdEdit().Enabled() || editor_->cmdRemove().Enabled());
    editor_->IgnoreAllLimits(false);
    EXPECT_TRUE(editor_->cmdRemove().Enabled());
    editor_->IgnoreAllLimits(true);
    editor_->Enabled(false);
    EXPECT_FALSE(editor_->IgnoreAllLimits()); // ticked but disabled
}

TEST_F(PrintingLimitsTest, EditsAndRemovalsWaitOnceAndSaveWritesThemInOrderOnce) {
    ASSERT_EQ(Load(kTwo), nullptr);
    changes_ = 0;
    Add(0, "5", "Cancelled", false);
    Remove(2, kNo);
    EXPECT_EQ(changes_ + editor_->Limits()->Count(), 2);
    Edit(1, "Huge");
    Edit(1, "Huger");
    EXPECT_EQ(editor_->ChangedLimits().Count(), 1);
    Remove(2);
    Remove(1);
    EXPECT_EQ(editor_->ChangedLimits().Count() * 10 + editor_->RemovedLimits().Count(), 2);
    Add(2, "3.25", "Pricey");
    Add(1, "40", "Forty");
    Remove(2); // new: dropped, nothing to delete
    Add(5, "900", "Month");
    Edit(2, "Monthly"); // new: saved from the list
    EXPECT_EQ(editor_->ChangedLimits().Count() * 10 + editor_->RemovedLimits().Count(), 2);
    EXPECT_EQ(changes_, 9);

    ASSERT_EQ(Save(kBare), nullptr); // new limits take the save's owner
    EXPECT_EQ(recorder_->CallNames(), (Strings{"SavePrintingLimit", "SavePrintingLimit",
                                               "DeletePrintingLimit", "DeletePrintingLimit"}));
    EXPECT_EQ(Stored(kTwo), Strings{});
    EXPECT_EQ(Stored(kBare), (Strings{"3 3.25 Pricey Pric 0", "6 900 Monthly Mont 0"}));
    Edit(1, "Costly"); // a stored limit now: updated
    ASSERT_EQ(Save(kBare), nullptr);
    EXPECT_EQ(Save(kBare), nullptr);
    EXPECT_EQ(recorder_->CallNames(), Strings{}) << "nothing is written twice";
    EXPECT_EQ(Stored(kBare)[0], "3 3.25 Costly Pric 0");
}

TEST_F(PrintingLimitsTest, IgnoringAllAsksThenStoresTheRuleAndDeletesOnlyStoredLimits) {
    ASSERT_EQ(Load(kTwo), nullptr);
    Add(0, "7", "Seven");
    Remove(2);
    editor_->IgnoreAllLimits(true);
    host_.QueueAnswer(kNo);
    EXPECT_FALSE(editor_->Validate());
    host_.QueueAnswer(kYes);
    EXPECT_TRUE(editor_->Validate());
    EXPECT_EQ(host_.Boxes().back().text, LangString(611, "printer profile"));
    EXPECT_EQ(host_.Boxes().back().style, 4 + 48);
    ASSERT_EQ(Save(kTwo), nullptr);
    EXPECT_EQ(recorder_->CallNames(), (Strings{"NewJobOptionRule", "SaveJobOptionRule",
                                               "DeletePrintingLimit", "DeletePrintingLimit"}));
    EXPECT_EQ(Stored(kTwo), Strings{"rule"});
    EXPECT_EQ(editor_->grdLimits().Rows(), 1);
    ASSERT_EQ(Save(kTwo), nullptr);
    EXPECT_EQ(recorder_->CallNames(), Strings{});
}

TEST_F(PrintingLimitsTest, AFailedWriteAnswersTheFirstFailureAndStaysPendingForTheRetry) {
    struct Case {
        int32_t owner;
        std::function<void()> edit;
        Strings failing; // the n-th of a name fails its n-th call
        Strings afterFailure, afterRetry;
    };
    const Strings sample = {"1 200 Large job This 1", "4 12.5 Daily budget You  0"};
    // clang-format off
    const std::vector<Case> cases = {
        {kBare, [&] { Add(0, "1", "A"), Add(0, "2", "B"); }, {"SavePrintingLimit", "SavePrintingLimit"},
         {}, {"1 1 A A 0", "1 2 B B 0"}},
        {kTwo, [&] { Edit(1, "Big"), Remove(2); }, {"SavePrintingLimit", "DeletePrintingLimit"},
         sample, {"1 200 Big This 1"}},
        // No limit is deleted until the rule is stored ...
        {kTwo, [&] { editor_->IgnoreAllLimits(true); }, {"SaveJobOptionRule"}, sample, {"rule"}},
        {kTwo, [&] { editor_->IgnoreAllLimits(true); }, {"DeletePrintingLimit"}, {sample[0], "rule"}, {"rule"}},
        // ... and none is saved while the rule stays.
        {kIgnoring, [&] { editor_->IgnoreAllLimits(false), Add(0, "3", "C"); }, {"DeleteJobOptionRule"},
         {"rule"}, {"1 3 C C 0"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing.front() + " on " + std::to_string(c.owner));
        Fresh();
        ASSERT_EQ(Load(c.owner), nullptr);
        c.edit();
        for (size_t i = 0; i < c.failing.size(); ++i)
            recorder_->FailCall(
                c.failing[i], int32_t(100 + i), "disk full",
                int(std::count(c.failing.begin(), c.failing.begin() + long(i), c.failing[i])) + 1);
        const data::Status failed = Save(c.owner);
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->Code(), 100); // the first, not the last
        EXPECT_EQ(Stored(c.owner), c.afterFailure);
        EXPECT_EQ(editor_->IgnoreAllRule() != nullptr,
                  c.afterFailure.size() && c.afterFailure.back() == "rule");
        recorder_->ClearFailures();
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(Stored(c.owner), c.afterRetry);
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(recorder_->CallNames(), Strings{}) << "all written by the retry";
    }
}

TEST_F(PrintingLimitsTest,
       ALoadDropsTheEarlierOwnersRuleAndPendingLimitsAndAFailedOneSavesNothing) {
    for (const char* failing : {"LoadSystemSettings", "LoadPrintingLimits", ""}) {
        SCOPED_TRACE(failing);
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kIgnoring), nullptr);
        editor_->IgnoreAllLimits(false);
        Add(0, "8", "Pending");
        if (*failing)
            recorder_->FailCall(failing, 11, "database disk image is malformed");
        EXPECT_EQ(Load(kBare) != nullptr, *failing != '\0');
        EXPECT_EQ(editor_->IgnoreAllRule(), nullptr);
        EXPECT_EQ(editor_->IgnoreAllLimits() + editor_->grdLimits().Rows(), 1);
        EXPECT_TRUE(editor_->Validate());
        const data::Status saved = Save(kBare);
        EXPECT_EQ(saved ? saved->Code() + 1 : 0,
                  *failing ? 1 : 0); // refused with a status of its own
        EXPECT_EQ(recorder_->CallNames(), Strings{});
        EXPECT_EQ(Stored(kIgnoring), Strings{"rule"});
        EXPECT_EQ(Stored(kBare), Strings{});
    }
}

TEST_F(PrintingLimitsTest, ADisabledEditorKeepsTheRuleAndAnotherConsolesChangeIsAConflict) {
    ASSERT_EQ(Load(kIgnoring), nullptr);
    editor_->Enabled(false);
    ASSERT_EQ(Save(kIgnoring), nullptr);
    EXPECT_EQ(Stored(kIgnoring), Strings{"rule"});

    editor_->Enabled(true);
    ASSERT_EQ(Load(kTwo), nullptr);
    auto other = Open();
    std::shared_ptr<vb::Collection> theirs;
    ASSERT_EQ(other->LoadPrintingLimits(theirs, kPriority, kTwo), nullptr);
    ASSERT_EQ(
        std::dynamic_pointer_cast<data::PrintingLimit>(theirs->Item(2).AsObject())->Delete(*other),
        nullptr);
    Edit(1, "Mine");
    Add(0, "4", "New");
    const data::Status conflict = Save(kTwo);
    ASSERT_NE(conflict, nullptr);
    EXPECT_EQ(conflict->Code(), data::DataStatus::kConflict);
    EXPECT_EQ(Stored(kTwo), Strings{"1 200 Large job This 1"});
    EXPECT_EQ(editor_->ChangedLimits().Count(), 1);
}

TEST_F(PrintingLimitsTest, EmbeddedHidesTheStopJobColumnAndTheBoxLeavesTheListOn) {
    for (bool showStop : {false, true}) {
        ASSERT_EQ(editor_->LoadDataForEmbedded(*recorder_, "user", vb::Variant(showStop)), nullptr);
        EXPECT_EQ(editor_->chkIgnoreAll().Caption(), LangString(605, "user"));
        EXPECT_EQ(editor_->grdLimits().ColHidden(3), !showStop);
        EXPECT_EQ(editor_->grdLimits().ColWidth(2), 6255 - 3040 + (showStop ? 0 : 770));
        editor_->IgnoreAllLimits(true);
        EXPECT_TRUE(editor_->grdLimits().Enabled() && editor_->cmdAdd().Enabled());
        host_.QueueModal([&](forms::Form& form) {
            EXPECT_EQ(dynamic_cast<frmLimit&>(form).chkStopJob().Visible(), showStop);
            input::Click(dynamic_cast<frmLimit&>(form).cmdClose());
        });
        input::Click(editor_->cmdAdd());
        editor_->IgnoreAllLimits(false);
    }
    // No row: the Delete key and a double-click do nothing.
    input::PressKey(editor_->grdLimits(), 46);
    input::DoubleClick(editor_->grdLimits());
    EXPECT_EQ(host_.Boxes().size() + host_.ModalForms().size(), 2u);
}

} // namespace
} // namespace qm6
