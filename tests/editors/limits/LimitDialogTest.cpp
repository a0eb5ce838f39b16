// The limit dialog driven through the scripted host with real key events.

#include "common/Language.h"
#include "common/ModuleState.h"
#include "editors/limits/frmLimit.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/Conversions.h"

#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace qm6 {
namespace {

namespace input = forms::input;
using Act = std::function<void(frmLimit&)>;
constexpr int kReturn = 13, kEscape = 27;

vb::Variant Money(int64_t scaled) {
    return vb::Variant(vb::Currency::FromScaled(scaled));
}

// A limit, and every field of it as text, to see what was written.
data::PrintingLimit Limit(int32_t type, vb::Variant value) {
    data::PrintingLimit limit;
    limit.SetLimitType(type);
    limit.SetLimitValue(std::move(value));
    limit.SetTitle("Budget");
    limit.SetMessageText("Spent.");
    return limit;
}
std::string Fields(const data::PrintingLimit& l) {
    return std::to_string(l.LimitType()) + "|" + vb::CStr(l.LimitValue()) + "|" +
           std::to_string(int(l.LimitValue().Type())) + "|" + l.Title() + "|" + l.MessageText() +
           "|" + std::to_string(l.StopJob());
}

class LimitDialogTest : public ::testing::Test {
protected:
    LimitDialogTest() : scope_(host_) {
        SetModuleFolder(QM6_BIN_DIR);
        ResetModuleState();
        vb::SetNumberChars(vb::NumberChars{});
        settings_->SetCurrencyFormat("$#,##0.00;($#,##0.00)");
    }
    ~LimitDialogTest() override {
        vb::ResetNumberChars();
        ResetModuleState();
    }
    // Opens the dialog on the limit; act drives it while it is shown.
    bool Open(data::PrintingLimit& limit, const Act& act, bool showStopJob = true) {
        host_.QueueModal([&](forms::Form& form) { act(dynamic_cast<frmLimit&>(form)); });
        const bool saved = frmLimit().EditLimit(limit, settings_, showStopJob);
        EXPECT_EQ(host_.UnscriptedModals(), 0) << "the dialog stayed open after its script";
        return saved;
    }
    static void OK(frmLimit& d) { input::Click(d.cmdSave()); }
    static void Close(frmLimit& d) { input::Click(d.cmdClose()); }

    forms::ScriptedHost host_;
    forms::ScopedHost scope_;
    std::shared_ptr<data::SystemSettings> settings_ = std::make_shared<data::SystemSettings>();
};

TEST_F(LimitDialogTest, TheKeyFilterFollowsTheTypeAndTypeChangesRoundHalvesToEven) {
    struct Keys {
        int32_t type; // 0: none chosen, a count until one is
        const char *typed, *shown;
        int beeps;
    };
    for (const Keys& c : {Keys{1, "12.5-a", "125", 3}, Keys{3, "12.5-a", "12.5", 2},
                          Keys{0, "1.5", "15", 1}, Keys{2, "1234567890", "12345678", 0}}) {
        data::PrintingLimit limit = Limit(c.type, vb::Variant(0));
        const int beeps = host_.Beeps();
        Open(limit, [&](frmLimit& d) {
            EXPECT_EQ(d.txtLimit().Text(), ""); // an amount of 0 shows none
            input::Type(d.txtLimit(), c.typed);
            EXPECT_EQ(d.txtLimit().Text(), c.shown);
            Close(d);
        });
        EXPECT_EQ(host_.Beeps() - beeps, c.beeps) << c.typed;
    }
    // Money is formatted on leaving the box; a count type rounds it.
    struct Change {
        const char *typed, *money, *count, *again;
    };
    for (const Change& c : {Change{"12.5", "$12.50", "12", "$12.00"},
                            Change{"1013.5", "$1,013.50", "1014", "$1,014.00"}}) {
        data::PrintingLimit limit = Limit(3, vb::Variant(0));
        EXPECT_TRUE(Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), c.typed);
            input::Focus(d.txtTitle());
            EXPECT_EQ(d.txtLimit().Text(), c.money);
            input::Choose(d.cmbType(), 0);
            EXPECT_EQ(d.txtLimit().Text(), c.count);
            input::Choose(d.cmbType(), 2);
            EXPECT_EQ(d.txtLimit().Text(), c.again);
            OK(d);
        }));
        EXPECT_EQ(limit.LimitValue(), vb::Variant(vb::CCur(vb::Variant(c.count))));
    }
}

TEST_F(LimitDialogTest, AFailedCheckShowsItsMessageAndWritesNothing) {
    struct Case {
        int32_t type;
        const char *amount, *title, *text;
        int32_t message;
    };
    for (const Case& c :
         {Case{3, "abc", "T", "M", 211}, Case{1, "  ", "T", "M", 212}, Case{3, "-5", "T", "M", 211},
          Case{1, "-5", "T", "M", 212}, Case{2, "9999999999", "T", "M", 212},
          Case{1, "5", "   ", "M", 213}, Case{1, "5", "T", " ", 214}}) {
        data::PrintingLimit limit = Limit(c.type, vb::Variant(7));
        const std::string before = Fields(limit);
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            d.txtLimit().Text(c.amount); // as pasted, past the key filter
            d.txtTitle().Text(c.title);
            d.txtMessage().Text(c.text);
            input::Click(d.chkStopJob());
            OK(d);
            EXPECT_TRUE(d.Widget()->isVisible());
            Close(d);
        }));
        EXPECT_EQ(host_.Boxes().back().text, LangString(c.message)) << c.amount;
        EXPECT_EQ(host_.Boxes().back().style, 48);
        EXPECT_EQ(Fields(limit), before);
    }
}

TEST_F(LimitDialogTest, AnAmountShownUnchangedIsStoredExactlyWhenOnlyTheTitleChanges) {
    struct Case {
        int32_t type;
        vb::Variant value;
        const char* shown;
    };
    for (const Case& c :
         {Case{3, Money(12345600), "$1,234.56"}, Case{4, Money(123456700), "$12,345.67"},
          Case{3, Money(12345678), "$1,234.57"}, Case{1, vb::Variant(123456789), "123456789"}}) {
        data::PrintingLimit limit = Limit(c.type, c.value);
        EXPECT_TRUE(Open(limit, [&](frmLimit& d) {
            input::Focus(d.txtLimit());
            input::Type(d.txtTitle(), "Renamed");
            EXPECT_EQ(d.txtLimit().Text(), c.shown);
            OK(d);
        }));
        EXPECT_EQ(limit.Title() + vb::CStr(limit.LimitValue()), "Renamed" + vb::CStr(c.value));
        EXPECT_EQ(limit.LimitValue().Type(), c.value.Type());
    }
    // Where the euro is the currency symbol the format's "$" makes the text
    // no number, yet the amount is kept.
    vb::SetNumberChars(vb::NumberChars{",", ".", "€", "-", 3, 2});
    data::PrintingLimit german = Limit(4, Money(12345600));
    EXPECT_TRUE(Open(german, [](frmLimit& d) {
        EXPECT_EQ(d.txtLimit().Text(), "$1.234,56");
        OK(d);
    }));
    EXPECT_EQ(german.LimitValue(), Money(12345600));
}

TEST_F(LimitDialogTest, EnterSavesCloseKeepsTheLimitAndOKWaitsForAType) {
    data::PrintingLimit limit = Limit(1, vb::Variant(5));
    EXPECT_TRUE(Open(limit, [](frmLimit& d) {
        EXPECT_EQ(d.Caption(), LangString(210));
        input::Type(d.txtMessage(), "a");
        input::PressKey(d.txtMessage(), kReturn, forms::vbCtrlMask); // breaks the line
        input::Type(d.txtMessage(), "b");
        input::PressKey(d.txtLimit(), kReturn);
    }));
    EXPECT_EQ(limit.MessageText(), "a\nb");
    EXPECT_TRUE(Open(limit, [](frmLimit& d) { input::PressKey(d.txtMessage(), kReturn); }));
    // Close, Esc and the close box leave the limit alone.
    const std::string before = Fields(limit);
    for (const Act& close :
         {Act(Close), Act([](frmLimit& d) { input::PressKey(d.txtLimit(), kEscape); }),
          Act([](frmLimit& d) { input::CloseBox(d); })}) {
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), "9");
            input::Click(d.chkStopJob());
            close(d);
        }));
        EXPECT_EQ(Fields(limit), before);
    }
    // A hidden stop-job box writes the limit's own flag back.
    limit.SetStopJob(true);
    EXPECT_TRUE(Open(
        limit, [](frmLimit& d) { OK(d); }, false));
    EXPECT_TRUE(limit.StopJob());

    // A type the list lacks: OK and Enter do nothing until one is chosen.
    data::PrintingLimit unknown = Limit(99, vb::Variant(40));
    EXPECT_TRUE(Open(unknown, [](frmLimit& d) {
        EXPECT_FALSE(d.cmdSave().Enabled());
        input::PressKey(d.txtTitle(), kReturn);
        EXPECT_FALSE(d.ValidateAndStore());
        EXPECT_TRUE(d.Widget()->isVisible());
        input::Choose(d.cmbType(), 4);
        OK(d);
    }));
    EXPECT_EQ(Fields(unknown), "5|40|3|Budget|Spent.|0");
}

} // namespace
} // namespace qm6
