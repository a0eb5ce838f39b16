// The printing limits editor against the real SQLite store (a copy of the
// sample), wrapped in the recording decorator where calls are counted or
// made to fail; the dialog is driven through the scripted host.

#include "editors/limits/ctlPrintingLimits.h"

#include "common/Language.h"
#include "common/ModuleState.h"
#include "contract/RulePriority.h"
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

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace qm6 {
namespace {

namespace fs = std::filesystem;
namespace input = forms::input;
using data::testing::RecordingConnection;
using Strings = std::vector<std::string>;

constexpr int32_t kPriority = data::RulePriorityPrinterProfile;
// Owners of the sample: 1 has two limits (pages per job 200, cost per day
// 12.50), 3 the ignore-all rule, 4 nothing.
constexpr int32_t kTwoLimits = 1;
constexpr int32_t kIgnoring = 3;
constexpr int32_t kBare = 4;
constexpr int kYes = 6, kNo = 7;

class PrintingLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModuleFolder(QM6_BIN_DIR);
        ResetModuleState();
        vb::SetNumberChars(vb::NumberChars{});
        Fresh();
    }
    // A new copy of the sample and a new editor on it.
    void Fresh() {
        file_ = dir_.Path() / ("store" + std::to_string(++copies_) + ".qm6db");
        fs::copy_file(QM6_SAMPLE_DATABASE, file_);
        recorder_ = std::make_shared<RecordingConnection>(Open());
        editor_ = std::make_unique<ctlPrintingLimits>();
        editor_->OnLimitsChanged = [this] { ++changes_; };
        editor_->Widget()->show();
    }
    void TearDown() override {
        editor_.reset();
        vb::ResetNumberChars();
        ResetModuleState();
        SetModuleFolder("");
    }

    std::shared_ptr<data::SqliteConnection> Open() const {
        std::shared_ptr<data::SqliteConnection> store;
        EXPECT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        return store;
    }
    // The owner's stored limits as "type value title text stop", read through
    // a connection of its own.
    Strings Stored(int32_t owner) const {
        std::shared_ptr<vb::Collection> limits;
        EXPECT_EQ(Open()->LoadPrintingLimits(limits, kPriority, owner), nullptr);
        Strings out;
        for (int32_t i = 1; limits && i <= limits->Count(); ++i) {
            auto l = std::dynamic_pointer_cast<data::PrintingLimit>(limits->Item(i).AsObject());
            out.push_back(std::to_string(l->LimitType()) + " " + vb::CStr(l->LimitValue()) + " " + l->Title() +
                          " " + l->MessageText() + " " + (l->StopJob() ? "stop" : "go"));
        }
        return out;
    }
    bool RuleStored(int32_t owner) const {
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(Open()->LoadJobOptionRules(rules, kPriority, owner), nullptr);
        for (int32_t i = 1; rules && i <= rules->Count(); ++i)
            if (std::dynamic_pointer_cast<data::JobOptionRule>(rules->Item(i).AsObject())->IsOption(4, kPriority, owner))
                return true;
        return false;
    }
    data::Status Load(int32_t owner) { return editor_->LoadData(*recorder_, kPriority, owner, "printer profile"); }
    data::Status Save(int32_t owner) { return editor_->SaveData(*recorder_, kPriority, owner); }
    // The calls that reached the store since the last clear.
    Strings Calls() const { return recorder_->CallNames(); }

    // Adds a limit through the dialog: the entry of the type list, amount,
    // title; the text is the title's.
    void Add(int32_t typeIndex, const std::string& amount, const std::string& title, bool save = true) {
        host_.QueueModal([=](forms::Form& form) {
            auto& d = dynamic_cast<frmLimit&>(form);
            input::Choose(d.cmbType(), typeIndex);
            input::Type(d.txtLimit(), amount);
            input::Type(d.txtTitle(), title);
            input::Type(d.txtMessage(), title + " reached");
            input::Click(save ? d.cmdSave() : d.cmdClose());
        });
        input::Click(editor_->cmdAdd());
    }
    // Edits the limit of a grid row: its title becomes title.
    void Edit(int row, const std::string& title) {
        editor_->grdLimits().Row(row);
        host_.QueueModal([=](forms::Form& form) {
            auto& d = dynamic_cast<frmLimit&>(form);
            d.txtTitle().Text(title);
            input::Click(d.cmdSave());
        });
        input::Click(editor_->cmdEdit());
    }
    void Remove(int row, int answer = kYes) {
        editor_->grdLimits().Row(row);
        host_.QueueAnswer(answer);
        input::Click(editor_->cmdRemove());
    }
    void Tick(bool on) {
        if ((editor_->chkIgnoreAll().Value() == forms::vbChecked) != on)
            input::Click(editor_->chkIgnoreAll());
    }
    Strings Column(int col) const {
        Strings out;
        for (int r = 1; r < editor_->grdLimits().Rows(); ++r)
            out.push_back(editor_->grdLimits().TextMatrix(r, col));
        return out;
    }

    test::TempDir dir_;
    fs::path file_;
    forms::ScriptedHost host_;
    forms::ScopedHost scope_{host_};
    int copies_ = 0;
    std::shared_ptr<RecordingConnection> recorder_;
    std::unique_ptr<ctlPrintingLimits> editor_;
    int changes_ = 0;
};

TEST_F(PrintingLimitsTest, LoadShowsTheLimitsOrTheIgnoreAllRuleAndGreysTheList) {
    struct Case {
        int32_t owner;
        Strings types, values;
        bool ticked;
    };
    for (const Case& c : {Case{kTwoLimits, {"Pages per job", "Cost per day"}, {"200", "12.5"}, false},
                          Case{kIgnoring, {}, {}, true}, Case{kBare, {}, {}, false}}) {
        SCOPED_TRACE(c.owner);
        recorder_->ClearCalls();
        ASSERT_EQ(Load(c.owner), nullptr);
        EXPECT_EQ(Column(0), c.types);
        EXPECT_EQ(Column(1), c.values);
        EXPECT_EQ(editor_->chkIgnoreAll().Caption(), LangString(604, "printer profile"));
        EXPECT_EQ(editor_->IgnoreAllLimits(), c.ticked);
        // The rule is looked for only when the owner has no limits.
        EXPECT_EQ(recorder_->CallCount("LoadJobOptionRules"), c.types.empty() ? 1 : 0);
        const forms::Grid& grid = editor_->grdLimits();
        EXPECT_EQ(grid.Enabled(), !c.ticked);
        EXPECT_EQ(editor_->cmdAdd().Enabled(), !c.ticked);
        EXPECT_EQ(editor_->cmdEdit().Enabled(), !c.types.empty());
        EXPECT_EQ(grid.Cell(forms::GridCellProperty::ForeColor, 0, 2).AsLong(),
                  static_cast<int32_t>(c.ticked ? 0x80000011u : 0x80000008u));
        EXPECT_TRUE(editor_->Validate()); // a stored rule is not asked about
    }
    EXPECT_TRUE(host_.Boxes().empty());
    ASSERT_EQ(Load(kTwoLimits), nullptr);
    auto first = std::dynamic_pointer_cast<data::PrintingLimit>(editor_->Limits()->Item(1).AsObject());
    EXPECT_EQ(ctlPrintingLimits::LimitKey(*first), "LIMIT_" + std::to_string(first->LimitId()));
    EXPECT_EQ(ctlPrintingLimits::LimitKey(*first), "LIMIT_1");

    // Ticked, the list and its buttons are off whatever row is current.
    Tick(true);
    EXPECT_FALSE(editor_->grdLimits().Enabled());
    EXPECT_FALSE(editor_->cmdEdit().Enabled());
    EXPECT_FALSE(editor_->cmdRemove().Enabled());
    Tick(false);
    EXPECT_TRUE(editor_->cmdRemove().Enabled());
    // Disabled, a ticked box reads false.
    editor_->IgnoreAllLimits(true);
    editor_->Enabled(false);
    EXPECT_FALSE(editor_->IgnoreAllLimits());
}

TEST_F(PrintingLimitsTest, EditingAndRemovingKeepTheChangeListsAndSavingWritesThemInOrderOnce) {
    ASSERT_EQ(Load(kTwoLimits), nullptr);
    changes_ = 0;
    Add(0, "5", "Cancelled", false);
    EXPECT_EQ(changes_, 0);
    EXPECT_EQ(editor_->Limits()->Count(), 2);
    Edit(1, "Huge job");
    Edit(1, "Huger job");
    EXPECT_EQ(editor_->ChangedLimits().Count(), 1);
    Remove(2, kNo);
    EXPECT_EQ(editor_->Limits()->Count(), 2);
    Remove(2);
    Edit(1, "Hugest job");
    Remove(1);
    EXPECT_EQ(editor_->ChangedLimits().Count(), 0);
    EXPECT_EQ(editor_->RemovedLimits().Count(), 2);
    Add(2, "3.25", "Pricey");
    Add(1, "40", "Forty");
    Remove(2); // a new one: dropped, nothing to delete
    EXPECT_EQ(editor_->RemovedLimits().Count(), 2);
    Add(5, "900", "Month");
    Edit(2, "Monthly"); // new: saved from the list
    EXPECT_EQ(editor_->ChangedLimits().Count(), 0);
    EXPECT_EQ(changes_, 10);
    EXPECT_EQ(Column(2), (Strings{"Pricey", "Monthly"}));

    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBare), nullptr); // new limits take the save's owner
    EXPECT_EQ(Calls(), (Strings{"SavePrintingLimit", "SavePrintingLimit", "DeletePrintingLimit",
                                "DeletePrintingLimit"}));
    EXPECT_EQ(Stored(kTwoLimits), Strings{});
    EXPECT_EQ(Stored(kBare), (Strings{"3 3.25 Pricey Pricey reached go", "6 900 Monthly Month reached go"}));

    // Saved limits are stored ones now: an edit updates, and nothing else is written.
    Edit(1, "Costly");
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kBare), nullptr);
    ASSERT_EQ(Save(kBare), nullptr);
    EXPECT_EQ(Calls(), Strings{"SavePrintingLimit"});
    EXPECT_EQ(Stored(kBare)[0], "3 3.25 Costly Pricey reached go");
}

TEST_F(PrintingLimitsTest, IgnoringAllAsksThenStoresTheRuleAndDeletesOnlyStoredLimits) {
    ASSERT_EQ(Load(kTwoLimits), nullptr);
    Add(0, "7", "Seven");
    Remove(2);
    Tick(true);
    host_.QueueAnswer(kNo);
    EXPECT_FALSE(editor_->Validate());
    host_.QueueAnswer(kYes);
    EXPECT_TRUE(editor_->Validate());
    ASSERT_EQ(host_.Boxes().size(), 3u);
    EXPECT_EQ(host_.Boxes().back().text, LangString(611, "printer profile"));
    EXPECT_EQ(host_.Boxes().back().style, 4 + 48);

    recorder_->ClearCalls();
    ASSERT_EQ(Save(kTwoLimits), nullptr);
    EXPECT_EQ(Calls(), (Strings{"NewJobOptionRule", "SaveJobOptionRule", "DeletePrintingLimit",
                                "DeletePrintingLimit"}));
    EXPECT_TRUE(RuleStored(kTwoLimits));
    EXPECT_EQ(Stored(kTwoLimits), Strings{});
    EXPECT_EQ(editor_->grdLimits().Rows(), 1);
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kTwoLimits), nullptr);
    EXPECT_EQ(Calls(), Strings{});

    // Cleared on an owner with the rule, with two limits added: the rule
    // goes first, the limits take the save's owner.
    ASSERT_EQ(Load(kIgnoring), nullptr);
    Tick(false);
    Add(0, "10", "Ten");
    Add(3, "2.5", "Budget");
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kIgnoring), nullptr);
    EXPECT_EQ(Calls(), (Strings{"DeleteJobOptionRule", "SavePrintingLimit", "SavePrintingLimit"}));
    EXPECT_FALSE(RuleStored(kIgnoring));
    EXPECT_EQ(Stored(kIgnoring), (Strings{"1 10 Ten Ten reached go", "4 2.5 Budget Budget reached go"}));
}

TEST_F(PrintingLimitsTest, AFailedWriteAnswersTheFirstFailureAndStaysPendingForTheRetry) {
    struct Case {
        const char* name;
        int32_t owner;
        std::function<void()> edit;
        Strings failing; // each fails once, in turn
        Strings firstCalls;
        Strings storedAfterFailure;
        bool ruleAfterFailure;
        Strings stored;
        bool rule;
    };
    const Strings sample = {"1 200 Large job This job has more than 200 pages. stop",
                            "4 12.5 Daily budget You have spent $12.50 today. go"};
    const std::vector<Case> cases = {
        {"a new limit's save", kBare, [&] { Add(0, "1", "A"); Add(0, "2", "B"); },
         {"SavePrintingLimit", "SavePrintingLimit"}, {"SavePrintingLimit", "SavePrintingLimit"}, {}, false,
         {"1 1 A A reached go", "1 2 B B reached go"}, false},
        {"an edit's save and a delete", kTwoLimits, [&] { Edit(1, "Big"); Remove(2); },
         {"SavePrintingLimit", "DeletePrintingLimit"}, {"SavePrintingLimit", "DeletePrintingLimit"}, sample, false,
         {"1 200 Big This job has more than 200 pages. stop"}, false},
        {"the rule's save", kTwoLimits, [&] { Tick(true); }, {"SaveJobOptionRule"},
         {"NewJobOptionRule", "SaveJobOptionRule"}, sample, false, {}, true},
        {"a delete after the rule", kTwoLimits, [&] { Tick(true); }, {"DeletePrintingLimit"},
         {"NewJobOptionRule", "SaveJobOptionRule", "DeletePrintingLimit", "DeletePrintingLimit"},
         {sample[0]}, true, {}, true},
        {"the rule's delete", kIgnoring, [&] { Tick(false); Add(0, "3", "C"); }, {"DeleteJobOptionRule"},
         {"DeleteJobOptionRule"}, {}, true, {"1 3 C C reached go"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        ASSERT_EQ(Load(c.owner), nullptr);
        c.edit();
        recorder_->ClearCalls();
        const int32_t code = 100;
        for (size_t i = 0; i < c.failing.size(); ++i) {
            // The n-th failure of a name fails its n-th call.
            const auto sameBefore = std::count(c.failing.begin(), c.failing.begin() + long(i), c.failing[i]);
            recorder_->FailCall(c.failing[i], code + static_cast<int32_t>(i), "disk full", int(sameBefore) + 1);
        }
        const data::Status failed = Save(c.owner);
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->Code(), code); // the first, not the last
        EXPECT_EQ(Calls(), c.firstCalls);
        EXPECT_EQ(Stored(c.owner), c.storedAfterFailure);
        EXPECT_EQ(RuleStored(c.owner), c.ruleAfterFailure);
        EXPECT_EQ(editor_->IgnoreAllRule() != nullptr, c.ruleAfterFailure);

        recorder_->ClearFailures();
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(Stored(c.owner), c.stored);
        EXPECT_EQ(RuleStored(c.owner), c.rule);
        recorder_->ClearCalls();
        ASSERT_EQ(Save(c.owner), nullptr);
        EXPECT_EQ(Calls(), Strings{}) << "all written by the retry";
    }
}

TEST_F(PrintingLimitsTest, ALoadForgetsTheEarlierOwnerAndAFailedOneSavesNothing) {
    // The earlier owner's rule and pending limits never reach the next one,
    // whether its load fails at the settings, at the limits, or succeeds.
    for (const char* failing : {"LoadSystemSettings", "LoadPrintingLimits", ""}) {
        SCOPED_TRACE(failing);
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kIgnoring), nullptr);
        Tick(false);
        Add(0, "8", "Pending");
        if (*failing)
            recorder_->FailCall(failing, 11, "database disk image is malformed");
        EXPECT_EQ(Load(kBare) != nullptr, *failing != '\0');
        EXPECT_EQ(editor_->IgnoreAllRule(), nullptr);
        EXPECT_FALSE(editor_->IgnoreAllLimits());
        EXPECT_EQ(editor_->grdLimits().Rows(), 1);
        EXPECT_TRUE(editor_->Validate());
        recorder_->ClearCalls();
        const data::Status saved = Save(kBare);
        EXPECT_EQ(saved != nullptr, *failing != '\0');
        if (saved) {
            EXPECT_EQ(saved->Code(), 0);
        }
        EXPECT_EQ(Calls(), Strings{});
        EXPECT_TRUE(RuleStored(kIgnoring));
        EXPECT_EQ(Stored(kBare), Strings{});
    }
}

TEST_F(PrintingLimitsTest, ADisabledEditorKeepsTheRuleAndAnotherConsolesChangeIsAConflict) {
    ASSERT_EQ(Load(kIgnoring), nullptr);
    editor_->Enabled(false);
    recorder_->ClearCalls();
    ASSERT_EQ(Save(kIgnoring), nullptr);
    EXPECT_EQ(Calls(), Strings{});
    EXPECT_TRUE(RuleStored(kIgnoring));

    // Another console removes a limit after this one loaded.
    editor_->Enabled(true);
    ASSERT_EQ(Load(kTwoLimits), nullptr);
    std::shared_ptr<data::SqliteConnection> other = Open();
    std::shared_ptr<vb::Collection> theirs;
    ASSERT_EQ(other->LoadPrintingLimits(theirs, kPriority, kTwoLimits), nullptr);
    ASSERT_EQ(std::dynamic_pointer_cast<data::PrintingLimit>(theirs->Item(2).AsObject())->Delete(*other), nullptr);
    Edit(1, "Mine");
    Add(0, "4", "New");
    const data::Status conflict = Save(kTwoLimits);
    ASSERT_NE(conflict, nullptr);
    EXPECT_EQ(conflict->Code(), data::DataStatus::kConflict);
    EXPECT_EQ(Stored(kTwoLimits).size(), 1u);
    EXPECT_EQ(editor_->ChangedLimits().Count(), 1);
}

TEST_F(PrintingLimitsTest, EmbeddedHidesTheStopJobColumnAndKeepsTheListOn) {
    for (bool showStop : {false, true}) {
        SCOPED_TRACE(showStop);
        ASSERT_EQ(editor_->LoadDataForEmbedded(*recorder_, "user", vb::Variant(showStop)), nullptr);
        EXPECT_EQ(editor_->chkIgnoreAll().Caption(), LangString(605, "user"));
        const forms::Grid& grid = editor_->grdLimits();
        EXPECT_EQ(grid.ColHidden(3), !showStop);
        EXPECT_EQ(grid.ColWidth(2), 6255 - 3040 + (showStop ? 0 : 770));
        Tick(true);
        EXPECT_TRUE(grid.Enabled());
        EXPECT_TRUE(editor_->cmdAdd().Enabled());
        host_.QueueModal([&](forms::Form& form) {
            auto& d = dynamic_cast<frmLimit&>(form);
            EXPECT_EQ(d.chkStopJob().Visible(), showStop);
            input::Click(d.cmdClose());
        });
        input::Click(editor_->cmdAdd());
        Tick(false);
    }
    // No row: Edit, Remove, Delete and double-click do nothing.
    recorder_->ClearCalls();
    input::PressKey(editor_->grdLimits(), 46);
    input::DoubleClick(editor_->grdLimits());
    EXPECT_TRUE(host_.Boxes().empty());
    EXPECT_TRUE(host_.ModalForms().size() == 2u);

    // Limits: an empty collection is ignored, one limit shows one row.
    editor_->Limits(std::make_shared<vb::Collection>());
    EXPECT_EQ(editor_->grdLimits().Rows(), 1);
    auto one = std::make_shared<vb::Collection>();
    auto limit = std::make_shared<data::PrintingLimit>();
    limit->SetTitle("Only");
    one->Add(vb::Variant(std::static_pointer_cast<vb::Object>(limit)));
    editor_->Limits(one);
    EXPECT_EQ(editor_->Limits(), one);
    EXPECT_EQ(Column(2), Strings{"Only"});
    EXPECT_EQ(Column(1), Strings{"0"});
}

} // namespace
} // namespace qm6
