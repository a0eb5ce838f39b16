// The limit dialog and the printing limits editor, driven through the
// scripted host with real key events; the editor over a copy of the sample
// store, wrapped in the recording decorator where calls are counted or made
// to fail.

#include "common/Language.h"
#include "editors/SampleStoreTest.h"
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

#include <QWidget>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

namespace input = forms::input;
using Act = std::function<void(frmLimit&)>;
constexpr int kReturn = 13, kEscape = 27, kYes = 6, kNo = 7;
// Owners of the sample: 1 has limits "1 200 Large job" and "4 12.5 Daily
// budget", 3 the ignore-all rule, 4 nothing.
constexpr int32_t kTwo = 1, kIgnoring = 3, kBare = 4;

vb::Variant Money(int64_t scaled) {
    return vb::Variant(vb::Currency::FromScaled(scaled));
}

data::PrintingLimit Limit(int32_t type, vb::Variant value) {
    data::PrintingLimit limit;
    limit.SetLimitType(type);
    limit.SetLimitValue(std::move(value));
    limit.SetTitle("Budget");
    limit.SetMessageText("Spent.");
    return limit;
}

// Every field of a limit, the value with its type, to see what was written.
std::string Fields(const data::PrintingLimit& l) {
    return std::to_string(l.LimitType()) + "|" + vb::CStr(l.LimitValue()) + "|" +
           std::to_string(int(l.LimitValue().Type())) + "|" + l.Title() + "|" + l.MessageText() +
           "|" + std::to_string(l.StopJob());
}

class LimitsTest : public test::EditorTest<ctlPrintingLimits> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        vb::SetNumberChars(vb::NumberChars{});
        settings_->SetCurrencyFormat("$#,##0.00;($#,##0.00)");
        NewEditor();
    }
    void TearDown() override {
        vb::ResetNumberChars();
        EditorTest::TearDown();
    }

    // The dialog on a limit; act drives it while it is shown.
    bool Open(data::PrintingLimit& limit, const Act& act, bool showStopJob = true) {
        host_.QueueModal([&](forms::Form& form) { act(dynamic_cast<frmLimit&>(form)); });
        const bool saved = frmLimit().EditLimit(limit, settings_, showStopJob);
        EXPECT_EQ(host_.UnscriptedModals(), 0) << "the dialog stayed open after its script";
        return saved;
    }
    static void OK(frmLimit& d) { input::Click(d.cmdSave()); }

    void NewEditor() {
        editor_ = std::make_unique<ctlPrintingLimits>();
        editor_->OnLimitsChanged = [this] { ++changes_; };
        editor_->Widget()->show();
    }
    Strings Stored(int32_t owner) const { return test::StoredLimits(*OpenStore(), owner); }
    // Adds a limit through the dialog: the type list's entry, the amount, and
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
            OK(dynamic_cast<frmLimit&>(form));
        });
        input::Click(editor_->cmdEdit());
    }
    void Remove(int row, int answer = kYes) {
        editor_->grdLimits().Row(row);
        host_.QueueAnswer(answer);
        input::Click(editor_->cmdRemove());
    }

    forms::ScriptedHost host_;
    forms::ScopedHost scope_{host_};
    std::shared_ptr<data::SystemSettings> settings_ = std::make_shared<data::SystemSettings>();
};

// Money is formatted on leaving the amount box; a count type rounds it,
// halves to even.
TEST_F(LimitsTest, DialogATypeChangeFormatsMoneyOrRoundsHalvesToEven) {
    for (auto [typed, shown, count] : {std::tuple{"12.5", "$12.50 12 $12.00", "12"},
                                       {"1013.5", "$1,013.50 1014 $1,014.00", "1014"}}) {
        data::PrintingLimit limit = Limit(3, vb::Variant(0));
        std::string texts;
        EXPECT_TRUE(Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), typed);
            input::Focus(d.txtTitle());
            texts = d.txtLimit().Text();
            input::Choose(d.cmbType(), 0);
            texts += " " + d.txtLimit().Text();
            input::Choose(d.cmbType(), 2);
            texts += " " + d.txtLimit().Text();
            OK(d);
        }));
        EXPECT_EQ(texts, shown);
        EXPECT_EQ(limit.LimitValue(), vb::Variant(vb::CCur(vb::Variant(count))));
    }
}

TEST_F(LimitsTest, DialogAFailedCheckShowsItsMessageAndWritesNothing) {
    for (auto [type, amount, title, text, message] : {std::tuple{3, "abc", "T", "M", 211},
                                                      {1, "  ", "T", "M", 212},
                                                      {3, "-5", "T", "M", 211},
                                                      {2, "9999999999", "T", "M", 212},
                                                      {1, "5", "   ", "M", 213},
                                                      {1, "5", "T", " ", 214}}) {
        data::PrintingLimit limit = Limit(type, vb::Variant(7));
        const std::string before = Fields(limit);
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            d.txtLimit().Text(amount); // as pasted, past the key filter
            d.txtTitle().Text(title);
            d.txtMessage().Text(text);
            input::Click(d.chkStopJob());
            OK(d);
            EXPECT_TRUE(d.Widget()->isVisible());
            input::Click(d.cmdClose());
        }));
        EXPECT_EQ(host_.Boxes().back().text, LangString(message)) << amount;
        EXPECT_EQ(Fields(limit), before);
    }
}

TEST_F(LimitsTest, DialogAnAmountShownUnchangedIsStoredExactlyWhenOnlyTheTitleChanges) {
    // Where the euro is the currency symbol the format's "$" makes the text
    // no number, yet the amount is kept.
    const vb::NumberChars us, euro{",", ".", "€", "-", 3, 2};
    for (const auto& [type, value, shown, chars] : {std::tuple{3, Money(12345678), "$1,234.57", us},
                                                    {1, vb::Variant(123456789), "123456789", us},
                                                    {4, Money(12345600), "$1.234,56", euro}}) {
        vb::SetNumberChars(chars);
        data::PrintingLimit limit = Limit(type, value);
        EXPECT_TRUE(Open(limit, [&](frmLimit& d) {
            input::Focus(d.txtLimit());
            input::Type(d.txtTitle(), "Renamed");
            EXPECT_EQ(d.txtLimit().Text(), shown);
            OK(d);
        }));
        EXPECT_EQ(limit.Title() + vb::CStr(limit.LimitValue()), "Renamed" + vb::CStr(value));
        EXPECT_EQ(limit.LimitValue().Type(), value.Type());
    }
}

TEST_F(LimitsTest, DialogCloseEscAndTheCloseBoxKeepTheLimitAndOKWaitsForAType) {
    data::PrintingLimit limit = Limit(1, vb::Variant(5));
    const std::string before = Fields(limit);
    for (const Act& close : {Act([](frmLimit& d) { input::PressKey(d.txtLimit(), kEscape); }),
                             Act([](frmLimit& d) { input::CloseBox(d); })}) {
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), "9");
            input::Click(d.chkStopJob());
            close(d);
        }));
        EXPECT_EQ(Fields(limit), before);
    }
    // Enter saves, also from the text; a hidden stop-job box writes the
    // limit's own flag back.
    limit.SetStopJob(true);
    EXPECT_TRUE(Open(
        limit, [](frmLimit& d) { input::PressKey(d.txtMessage(), kReturn); }, false));
    EXPECT_TRUE(limit.StopJob());

    // A type the list lacks: OK and Enter do nothing until one is chosen.
    data::PrintingLimit unknown = Limit(99, vb::Variant(40));
    EXPECT_TRUE(Open(unknown, [](frmLimit& d) {
        input::PressKey(d.txtTitle(), kReturn);
        EXPECT_FALSE(d.ValidateAndStore());
        EXPECT_TRUE(d.Widget()->isVisible());
        input::Choose(d.cmbType(), 4);
        OK(d);
    }));
    EXPECT_EQ(Fields(unknown), "5|40|3|Budget|Spent.|0");
}

TEST_F(LimitsTest, EditorLoadShowsTheLimitsOrTheRuleWhichGreysTheListAndAsksBeforeItIsStored) {
    forms::Grid& grid = editor_->grdLimits();
    // The grid's rows, the box, and which of the grid, Add and Edit are usable.
    for (auto [owner, shown] :
         {std::pair{kTwo, "3 0 111"}, {kIgnoring, "1 1 000"}, {kBare, "1 0 110"}}) {
        ASSERT_EQ(Load(owner), nullptr);
        EXPECT_TRUE(editor_->Validate()); // a stored rule is not asked about
        EXPECT_EQ(std::to_string(grid.Rows()) + " " + std::to_string(editor_->IgnoreAllLimits()) +
                      " " + std::to_string(grid.Enabled()) +
                      std::to_string(editor_->cmdAdd().Enabled()) +
                      std::to_string(editor_->cmdEdit().Enabled()),
                  shown);
    }
    ASSERT_EQ(Load(kTwo), nullptr);
    EXPECT_EQ(grid.TextMatrix(2, 0) + grid.TextMatrix(2, 1) + grid.TextMatrix(2, 2),
              "Cost per day12.5Daily budget");
    // Ignoring all asks first, then stores the rule and deletes only the
    // stored limits, the removed one once.
    Add(0, "7", "Seven");
    Remove(2);
    editor_->IgnoreAllLimits(true);
    host_.QueueAnswer(kNo);
    EXPECT_FALSE(editor_->Validate());
    host_.QueueAnswer(kYes);
    EXPECT_TRUE(editor_->Validate());
    EXPECT_EQ(host_.Boxes().back().text, LangString(611, "printer profile"));
    ASSERT_EQ(Save(kTwo), nullptr);
    EXPECT_EQ(Stored(kTwo), Strings{"rule"});
    EXPECT_EQ(grid.Rows(), 1);

    // Disabled by its host, the editor reads the box as clear, yet saving
    // keeps the stored rule.
    ASSERT_EQ(Load(kIgnoring), nullptr);
    editor_->Enabled(false);
    EXPECT_FALSE(editor_->IgnoreAllLimits());
    ASSERT_EQ(Save(kIgnoring), nullptr);
    EXPECT_EQ(Stored(kIgnoring), Strings{"rule"});
}

TEST_F(LimitsTest, EditorEditsAndRemovalsWaitAndSaveWritesThemOnce) {
    ASSERT_EQ(Load(kTwo), nullptr);
    changes_ = 0;
    Add(0, "5", "Cancelled", false);
    Remove(2, kNo);
    Edit(1, "Huge");
    Edit(1, "Huger");
    Remove(2);
    Remove(1);
    Add(2, "3.25", "Pricey");
    Add(1, "40", "Forty");
    Remove(2); // new: dropped, nothing to delete
    Add(5, "900", "Month");
    Edit(2, "Monthly"); // new: saved from the list
    EXPECT_EQ(changes_, 9);

    ASSERT_EQ(Save(kBare), nullptr); // new limits take the save's owner
    EXPECT_EQ(Stored(kTwo), Strings{});
    EXPECT_EQ(Stored(kBare), (Strings{"3 3.25 Pricey Pric 0", "6 900 Monthly Mont 0"}));
    Edit(1, "Costly"); // a stored limit now: updated
    ASSERT_EQ(Save(kBare), nullptr);
    EXPECT_EQ(Save(kBare), nullptr);
    EXPECT_EQ(recorder_->CallNames(), Strings{}) << "nothing is written twice";
    EXPECT_EQ(Stored(kBare)[0], "3 3.25 Costly Pric 0");
}

TEST_F(LimitsTest, EditorAFailedWriteAnswersTheFirstFailureAndStaysPendingForTheRetry) {
    // Each failing call fails its first call still to come.
    using Case = std::tuple<int32_t, std::function<void()>, Strings, Strings, Strings>;
    const Strings sample = {"1 200 Large job This 1", "4 12.5 Daily budget You  0"};
    // clang-format off
    const std::vector<Case> cases = {
        {kBare, [&] { Add(0, "1", "A"), Add(0, "2", "B"); }, {"SavePrintingLimit"}, {"1 2 B B 0"},
         {"1 2 B B 0", "1 1 A A 0"}},
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
    for (const auto& [owner, edit, failing, afterFailure, afterRetry] : cases) {
        SCOPED_TRACE(failing.front() + " on " + std::to_string(owner));
        Fresh();
        NewEditor();
        ASSERT_EQ(Load(owner), nullptr);
        edit();
        for (size_t i = 0; i < failing.size(); ++i)
            recorder_->FailCall(failing[i], int32_t(100 + i), "disk full", 1);
        const data::Status failed = Save(owner);
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->Code(), 100); // the first, not the last
        EXPECT_EQ(Stored(owner), afterFailure);
        recorder_->ClearFailures();
        ASSERT_EQ(Save(owner), nullptr);
        EXPECT_EQ(Stored(owner), afterRetry);
        ASSERT_EQ(Save(owner), nullptr);
        EXPECT_EQ(recorder_->CallNames(), Strings{}) << "all written by the retry";
    }
}

TEST_F(LimitsTest, EditorALoadDropsTheEarlierOwnersRuleAndPendingLimitsAndAFailedOneSavesNothing) {
    for (const char* failing : {"LoadSystemSettings", "LoadPrintingLimits", ""}) {
        SCOPED_TRACE(failing);
        recorder_->ClearFailures();
        ASSERT_EQ(Load(kIgnoring), nullptr);
        editor_->IgnoreAllLimits(false);
        Add(0, "8", "Pending");
        if (*failing)
            recorder_->FailCall(failing, 11, "database disk image is malformed");
        EXPECT_EQ(Load(kBare) != nullptr, *failing != '\0');
        EXPECT_EQ(editor_->IgnoreAllLimits() + editor_->grdLimits().Rows(), 1);
        EXPECT_TRUE(editor_->Validate());
        const data::Status saved = Save(kBare);
        EXPECT_EQ(saved != nullptr, *failing != '\0'); // refused with a status of its own
        EXPECT_EQ(recorder_->CallNames(), Strings{});
        EXPECT_EQ(Stored(kIgnoring), Strings{"rule"});
        EXPECT_EQ(Stored(kBare), Strings{});
    }
}

TEST_F(LimitsTest, EditorEmbeddedTheBoxLeavesTheListOnAndWithoutARowKeysDoNothing) {
    ASSERT_EQ(editor_->LoadDataForEmbedded(*recorder_, "user", vb::Variant(false)), nullptr);
    EXPECT_EQ(editor_->chkIgnoreAll().Caption(), LangString(605, "user"));
    editor_->IgnoreAllLimits(true);
    EXPECT_TRUE(editor_->grdLimits().Enabled() && editor_->cmdAdd().Enabled());
    // No row: the Delete key and a double-click do nothing.
    input::PressKey(editor_->grdLimits(), 46);
    input::DoubleClick(editor_->grdLimits());
    EXPECT_EQ(host_.Boxes().size() + host_.ModalForms().size(), 0u);
}

} // namespace
} // namespace qm6
