// The limit dialog driven through the scripted host with real key events:
// its layout and window, the amount's key filter and its rules on a change
// of type and on leaving the box, the checks that keep a limit unchanged,
// and amounts kept exactly while they are shown unchanged.

#include "editors/limits/frmLimit.h"

#include "common/Language.h"
#include "common/ModuleState.h"
#include "common/clsQM6Branding.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/Screen.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/Conversions.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qm6 {
namespace {

using forms::ScriptedHost;
namespace input = forms::input;

constexpr int kKeyReturn = 13;
constexpr int kKeyEscape = 27;
constexpr int kCtrl = forms::vbCtrlMask;
constexpr const char* kFormat = "$#,##0.00;($#,##0.00)";

vb::Variant Money(int64_t scaled) {
    return vb::Variant(vb::Currency::FromScaled(scaled));
}

data::PrintingLimit MakeLimit(int32_t type, vb::Variant value, bool stop = true) {
    data::PrintingLimit limit;
    limit.SetLimitType(type);
    limit.SetLimitValue(std::move(value));
    limit.SetTitle("Daily budget");
    limit.SetMessageText("Spent enough.");
    limit.SetStopJob(stop);
    return limit;
}

// Every field of a limit, to see that nothing was written.
std::string Fields(const data::PrintingLimit& limit) {
    return std::to_string(limit.LimitType()) + "|" + vb::CStr(limit.LimitValue()) + "|" +
           std::to_string(static_cast<int>(limit.LimitValue().Type())) + "|" + limit.Title() + "|" +
           limit.MessageText() + "|" + (limit.StopJob() ? "stop" : "go");
}

class LimitDialogTest : public ::testing::Test {
protected:
    LimitDialogTest() : scope_(host_) {
        SetModuleFolder(QM6_BIN_DIR);
        ResetModuleState();
        vb::SetNumberChars(vb::NumberChars{});
        settings_->SetCurrencyFormat(kFormat);
    }
    ~LimitDialogTest() override {
        vb::ResetNumberChars();
        ResetModuleState();
        SetModuleFolder("");
    }

    // Opens the dialog on the limit; act drives it while it is shown.
    bool Open(data::PrintingLimit& limit, const std::function<void(frmLimit&)>& act, bool add = false,
              bool showStopJob = true) {
        host_.QueueModal([&](forms::Form& form) { act(dynamic_cast<frmLimit&>(form)); });
        frmLimit dialog;
        const bool saved = add ? dialog.AddLimit(limit, settings_, showStopJob)
                               : dialog.EditLimit(limit, settings_, showStopJob);
        EXPECT_EQ(host_.PendingModals(), 0u);
        EXPECT_EQ(host_.UnscriptedModals(), 0) << "the dialog stayed open after its script";
        return saved;
    }
    static void PressOK(frmLimit& dialog) { input::Click(dialog.cmdSave()); }

    ScriptedHost host_;
    forms::ScopedHost scope_;
    std::shared_ptr<data::SystemSettings> settings_ = std::make_shared<data::SystemSettings>();
};

TEST_F(LimitDialogTest, LayoutWindowCaptionsAndFocusOrder) {
    data::PrintingLimit limit = MakeLimit(1, vb::Variant(int32_t{200}));
    forms::Screen::MousePointer(forms::vbHourglass);
    EXPECT_FALSE(Open(limit, [](frmLimit& d) {
        EXPECT_EQ(forms::Screen::MousePointer(), forms::vbDefault);
        EXPECT_EQ(d.Caption(), "Edit Limit");
        EXPECT_EQ(d.ScaleWidth(), 4650);
        EXPECT_EQ(d.ScaleHeight(), 3690);
        EXPECT_EQ(d.BorderStyle(), forms::vbFixedDialog);
        EXPECT_FALSE(d.ShowInTaskbar());
        ASSERT_NE(d.Icon(), nullptr);
        EXPECT_EQ(d.Icon()->Width(), 16);
        EXPECT_EQ(d.Icon()->Height(), 16);
        struct Place {
            forms::Control* control;
            int32_t left, top, width, height, tab;
            std::string caption;
        };
        const std::vector<Place> places = {
            {&d.lblCaption(2), 240, 180, 675, 195, 0, LangString(207)},
            {&d.cmbType(), 960, 120, 3615, 315, 1, ""},
            {&d.lblCaption(1), 240, 660, 675, 195, 2, LangString(208)},
            {&d.txtLimit(), 960, 600, 1335, 315, 3, ""},
            {&d.chkStopJob(), 2940, 660, 1635, 195, 4, LangString(201)},
            {&d.lblMessage(), 120, 1080, 4455, 2055, 5, LangString(204)},
            {&d.lblCaption(3), 120, 270, 615, 255, 6, LangString(206)},
            {&d.txtTitle(), 840, 240, 3495, 315, 7, ""},
            {&d.lblCaption(0), 120, 780, 615, 255, 8, LangString(205)},
            {&d.txtMessage(), 840, 720, 3495, 1215, 9, ""},
            {&d.cmdSave(), 2160, 3240, 1155, 375, 10, LangString(203)},
            {&d.cmdClose(), 3420, 3240, 1155, 375, 11, LangString(202)},
        };
        for (const Place& p : places) {
            SCOPED_TRACE(p.control->Name());
            EXPECT_EQ(p.control->Left(), p.left);
            EXPECT_EQ(p.control->Top(), p.top);
            EXPECT_EQ(p.control->Width(), p.width);
            EXPECT_EQ(p.control->Height(), p.height);
            EXPECT_EQ(p.control->TabIndex(), p.tab);
            if (!p.caption.empty()) {
                EXPECT_EQ(p.control->Caption(), p.caption);
            }
        }
        EXPECT_EQ(&d.txtTitle().Parent(), static_cast<forms::Container*>(&d.lblMessage()));
        EXPECT_EQ(d.txtLimit().MaxLength(), 8);
        EXPECT_TRUE(d.txtMessage().MultiLine());
        // The list of limit types, in the list's order, with their codes.
        ASSERT_EQ(d.cmbType().ListCount(), 6);
        for (int32_t i = 0; i < 6; ++i)
            EXPECT_EQ(d.cmbType().ItemData(i), i + 1);
        input::Click(d.cmdClose());
    }));
    EXPECT_EQ(forms::Screen::MousePointer(), forms::vbHourglass);
    forms::Screen::MousePointer(forms::vbDefault);
    data::PrintingLimit fresh;
    Open(fresh, [](frmLimit& d) {
        EXPECT_EQ(d.Caption(), "Add Limit");
        input::PressKey(d, kKeyEscape);
    }, true);
}

TEST_F(LimitDialogTest, TheAmountTakesEightTypedDigitsAndTheDecimalOnlyForMoney) {
    struct Case {
        int32_t type; // 0: none chosen
        std::string typed, shown;
        int beeps;
    };
    const std::vector<Case> cases = {
        {1, "12.5-a", "125", 3},
        {3, "12.5-a", "12.5", 2},
        {4, "0.75", "0.75", 0},
        {0, "1.5", "15", 1}, // no type yet: a count until one is chosen
        {2, "1234567890", "12345678", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.typed);
        data::PrintingLimit limit = MakeLimit(c.type, vb::Variant(int32_t{0}));
        const int beeps = host_.Beeps();
        Open(limit, [&](frmLimit& d) {
            EXPECT_EQ(d.txtLimit().Text(), ""); // an amount of 0 shows as none
            input::Type(d.txtLimit(), c.typed);
            EXPECT_EQ(d.txtLimit().Text(), c.shown);
            input::Click(d.cmdClose());
        });
        EXPECT_EQ(host_.Beeps() - beeps, c.beeps);
    }
}

TEST_F(LimitDialogTest, TypeChangesRoundHalvesToEvenAndMoneyIsFormattedOnLeavingTheBox) {
    struct Case {
        std::string typed;
        std::string asMoney, asCount, moneyAgain;
    };
    for (const Case& c : {Case{"12.5", "$12.50", "12", "$12.00"}, Case{"13.5", "$13.50", "14", "$14.00"},
                          Case{"1234.5", "$1,234.50", "1234", "$1,234.00"}}) {
        SCOPED_TRACE(c.typed);
        data::PrintingLimit limit = MakeLimit(3, vb::Variant(int32_t{0}));
        Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), c.typed);
            input::Focus(d.txtTitle());
            EXPECT_EQ(d.txtLimit().Text(), c.asMoney);
            input::Choose(d.cmbType(), 0); // pages per job
            EXPECT_EQ(d.txtLimit().Text(), c.asCount);
            input::Choose(d.cmbType(), 2); // cost per job
            EXPECT_EQ(d.txtLimit().Text(), c.moneyAgain);
            PressOK(d);
        });
        EXPECT_EQ(vb::CStr(limit.LimitValue()), c.asCount);
        EXPECT_EQ(limit.LimitValue().Type(), vb::VarType::Currency);
    }
}

TEST_F(LimitDialogTest, AFailedCheckShowsItsMessageAndWritesNothing) {
    struct Case {
        int32_t type;
        std::string amount, title, text;
        int32_t message;
    };
    const std::vector<Case> cases = {
        {3, "abc", "T", "M", 211},   {1, "", "T", "M", 212},     {1, "  ", "T", "M", 212},
        {3, "-5", "T", "M", 211},    {2, "-5", "T", "M", 212},   {1, "9999999999", "T", "M", 212},
        {1, "5", "   ", "M", 213},   {1, "5", "T", " ", 214},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount + "/" + c.title + "/" + c.text);
        data::PrintingLimit limit = MakeLimit(c.type, vb::Variant(int32_t{7}), false);
        const std::string before = Fields(limit);
        const size_t boxes = host_.Boxes().size();
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            // Set as a paste would, past the key filter.
            d.txtLimit().Text(c.amount);
            d.txtTitle().Text(c.title);
            d.txtMessage().Text(c.text);
            input::Click(d.chkStopJob());
            PressOK(d);
            EXPECT_TRUE(d.Widget()->isVisible()) << "the dialog stays open";
            input::Click(d.cmdClose());
        }));
        ASSERT_EQ(host_.Boxes().size(), boxes + 1);
        EXPECT_EQ(host_.Boxes().back().text, LangString(c.message));
        EXPECT_EQ(host_.Boxes().back().style, 48);
        EXPECT_EQ(host_.Boxes().back().title, Branding().ProductName());
        EXPECT_EQ(Fields(limit), before);
    }
}

TEST_F(LimitDialogTest, AnAmountShownUnchangedIsStoredExactly) {
    struct Case {
        int32_t type;
        vb::Variant value;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {3, Money(12345600), "$1,234.56"},
        {4, Money(123456700), "$12,345.67"},
        {3, Money(12345678), "$1,234.57"}, // four decimals shown as two
        {4, Money(125000), "$12.50"},
        {1, vb::Variant(int32_t{123456789}), "123456789"}, // nine digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        data::PrintingLimit limit = MakeLimit(c.type, c.value);
        EXPECT_TRUE(Open(limit, [&](frmLimit& d) {
            EXPECT_EQ(d.txtLimit().Text(), c.shown);
            input::Focus(d.txtLimit());
            input::Focus(d.txtTitle());
            EXPECT_EQ(d.txtLimit().Text(), c.shown);
            input::Type(d.txtTitle(), "Renamed");
            PressOK(d);
        }));
        EXPECT_EQ(limit.Title(), "Renamed");
        EXPECT_EQ(vb::CStr(limit.LimitValue()), vb::CStr(c.value));
        EXPECT_EQ(limit.LimitValue().Type(), c.value.Type());
    }
    // In a locale whose currency symbol is not the format's "$", the shown
    // amount does not read as a number, yet is kept.
    vb::SetNumberChars(vb::NumberChars{",", ".", "€", "-", 3, 2});
    data::PrintingLimit german = MakeLimit(4, Money(12345600));
    EXPECT_TRUE(Open(german, [](frmLimit& d) {
        EXPECT_EQ(d.txtLimit().Text(), "$1.234,56");
        PressOK(d);
    }));
    EXPECT_EQ(german.LimitValue(), Money(12345600));
}

TEST_F(LimitDialogTest, SaveCloseEscAndTheKeysOfTheMessageBox) {
    // Enter in the amount and in the text box presses OK; Ctrl+Enter breaks
    // the text's line. Close, Esc and the close box leave the limit alone.
    data::PrintingLimit limit = MakeLimit(1, vb::Variant(int32_t{5}), false);
    EXPECT_TRUE(Open(limit, [](frmLimit& d) {
        input::Type(d.txtMessage(), "a");
        input::PressKey(d.txtMessage(), kKeyReturn, kCtrl);
        input::Type(d.txtMessage(), "b");
        input::PressKey(d.txtLimit(), kKeyReturn);
    }));
    EXPECT_EQ(limit.MessageText(), "a\nb");
    EXPECT_TRUE(Open(limit, [](frmLimit& d) { input::PressKey(d.txtMessage(), kKeyReturn); }));

    const std::string before = Fields(limit);
    const std::vector<std::function<void(frmLimit&)>> closers = {
        [](frmLimit& d) { input::Click(d.cmdClose()); },
        [](frmLimit& d) { input::PressKey(d.txtLimit(), kKeyEscape); },
        [](frmLimit& d) { input::CloseBox(d); },
    };
    for (const auto& close : closers) {
        EXPECT_FALSE(Open(limit, [&](frmLimit& d) {
            input::Type(d.txtLimit(), "9");
            input::Click(d.chkStopJob());
            close(d);
        }));
        EXPECT_EQ(Fields(limit), before);
    }

    // A hidden stop-job box writes the limit's own flag back.
    for (bool stop : {true, false}) {
        data::PrintingLimit hidden = MakeLimit(2, vb::Variant(int32_t{5}), stop);
        EXPECT_TRUE(Open(hidden, [](frmLimit& d) {
            EXPECT_FALSE(d.chkStopJob().Visible());
            PressOK(d);
        }, false, false));
        EXPECT_EQ(hidden.StopJob(), stop);
    }
}

TEST_F(LimitDialogTest, WithoutATypeOKWaitsForOne) {
    data::PrintingLimit limit = MakeLimit(99, vb::Variant(int32_t{40}));
    const std::string before = Fields(limit);
    EXPECT_FALSE(Open(limit, [](frmLimit& d) {
        EXPECT_EQ(d.cmbType().ListIndex(), -1);
        EXPECT_FALSE(d.cmdSave().Enabled());
        input::PressKey(d.txtTitle(), kKeyReturn);
        EXPECT_TRUE(d.Widget()->isVisible());
        EXPECT_FALSE(d.ValidateAndStore());
        input::Click(d.cmdClose());
    }));
    EXPECT_EQ(Fields(limit), before);
    EXPECT_TRUE(host_.Boxes().empty());

    EXPECT_TRUE(Open(limit, [](frmLimit& d) {
        input::Choose(d.cmbType(), 4);
        EXPECT_TRUE(d.cmdSave().Enabled());
        PressOK(d);
    }));
    EXPECT_EQ(limit.LimitType(), 5);
    EXPECT_EQ(limit.LimitValue(), vb::Variant(int32_t{40}));
}

} // namespace
} // namespace qm6
