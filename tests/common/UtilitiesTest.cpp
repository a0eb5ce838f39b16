// The shared utilities on the forms layer: unit conversion, combo boxes by
// item data, the numeric key filter in the user's locale, trimming text boxes, and
// a message box handler that answers instead of the thread's host.

#include "common/Utilities.h"

#include "common/MessageBox.h"
#include "common/ModuleState.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qm6;
using forms::ComboBox;
using forms::Form;
using forms::ScopedHost;
using forms::ScriptedHost;

namespace {

class UtilitiesTest : public testing::Test {
protected:
    UtilitiesTest() : scope_(host_) { ResetModuleState(); }
    ~UtilitiesTest() override { ResetModuleState(); }

    ScriptedHost host_;
    ScopedHost scope_;
    Form form_{"frmTest"};
};

vb::Variant ListArray(int32_t lower, std::initializer_list<std::pair<int32_t, const char*>> rows) {
    vb::Array2D a(lower, lower + static_cast<int32_t>(rows.size()) - 1, 0, 1);
    int32_t r = lower;
    for (const auto& [data, text] : rows) {
        a.At(r, 0) = vb::Variant(data);
        a.At(r, 1) = vb::Variant(text);
        ++r;
    }
    return vb::Variant(std::move(a));
}

std::vector<std::string> Entries(const ComboBox& combo) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < combo.ListCount(); ++i)
        out.push_back(std::to_string(combo.ItemData(i)) + "=" + combo.List(i));
    return out;
}

TEST_F(UtilitiesTest, ConvertToUnitsRoundsToTwoDecimalsInEachUnit) {
    struct Case {
        int32_t length, unit;
        float expected;
    };
    // A cut instead of rounding would give 0.06 for 17.
    const Case cases[] = {{2159, 1, 215.9f}, {-2970, 0, -11.69f}, {17, 0, 0.07f}};
    for (const auto& c : cases)
        EXPECT_EQ(ConvertToUnits(c.length, c.unit), c.expected)
            << c.length << " in unit " << c.unit;

    // An unknown unit gives 0 and a message, which an installed handler
    // answers instead of the thread's host.
    int handled = 0;
    SetMessageBoxHandler([&](const std::string&, int, const std::string&) {
        ++handled;
        return vbOK;
    });
    EXPECT_EQ(ConvertToUnits(2159, 3), 0.0f);
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(UtilitiesTest, FillComboFromArrayAndFindComboItemData) {
    auto& cmb = form_.Add<ComboBox>("cmbList");
    struct Case {
        const char* what;
        vb::Variant list;
        int16_t firstRow;
        std::vector<std::string> expected;
    };
    const vb::Variant three = ListArray(0, {{1, "one"}, {2, "two"}, {3, "three"}});
    const Case cases[] = {
        {"first row 1 skips row 0", three, 1, {"2=two", "3=three"}},
        {"a lower bound of 1", ListArray(1, {{4, "x"}, {5, "y"}}), -1, {"4=x", "5=y"}},
        {"a start past the end only clears", ListArray(0, {{1, "one"}}), 5, {}},
        {"not an array leaves the entries", vb::Variant(int32_t{42}), -1, {"0=old"}},
        {"item data twice",
         ListArray(0, {{5, "a"}, {7, "b"}, {7, "c"}}),
         -1,
         {"5=a", "7=b", "7=c"}},
    };
    for (const auto& c : cases) {
        cmb.AddItem("old");
        FillComboFromArray(cmb, c.list, c.firstRow);
        EXPECT_EQ(Entries(cmb), c.expected) << c.what;
    }
    // The search by item data answers the first match or -1.
    EXPECT_EQ(FindComboItemData(cmb, 7), 1);
    EXPECT_EQ(FindComboItemData(cmb, 9), -1);

    // One row more than a signed 16-bit counter reaches; the cells are
    // converted, a text to the item data and a number to the entry.
    vb::Array2D big(0, 32767, 0, 1);
    big.At(32767, 0) = vb::Variant("12");
    big.At(32767, 1) = vb::Variant(int32_t{34});
    FillComboFromArray(cmb, vb::Variant(std::move(big)), -1);
    ASSERT_EQ(cmb.ListCount(), 32768);
    EXPECT_EQ(cmb.ItemData(32767), 12);
    EXPECT_EQ(cmb.List(32767), "34");
}

TEST_F(UtilitiesTest, FilterNumericKeyPassesDigitsBackspaceAndTheAllowedSigns) {
    test::ScopedEnv lc("LC_ALL", std::string("en_US.UTF-8"));
    struct Case {
        int key;
        bool negative, decimal;
        int expected;
    };
    const Case cases[] = {
        {'.', false, true, '.'}, {'.', true, false, 0},    {'-', true, false, '-'},
        {'-', false, true, 0},   {'0', false, false, '0'}, {'9', false, false, '9'},
        {8, false, false, 8},    {'a', true, true, 0},
    };
    for (const auto& c : cases) {
        const int beeps = host_.Beeps();
        EXPECT_EQ(FilterNumericKey(c.key, c.negative, c.decimal), c.expected) << "key " << c.key;
        EXPECT_EQ(host_.Beeps() - beeps, c.expected == 0 ? 1 : 0) << "key " << c.key;
    }
}

// The separators are the user's locale's.
TEST_F(UtilitiesTest, FilterNumericKeyTakesTheDecimalSeparatorOfTheUsersLocale) {
    test::ScopedEnv lc("LC_ALL", std::string("de_DE.UTF-8"));
    EXPECT_EQ(FilterNumericKey(',', false, true), ',');
    EXPECT_EQ(FilterNumericKey('.', false, true), 0);
}

TEST_F(UtilitiesTest, TrimTextControlsTrimsAndCutsEveryTextBox) {
    form_.Add<forms::CheckBox>("chkSkipped");
    auto& free = form_.Add<forms::TextBox>("txtFree");
    auto& later = form_.Add<forms::TextBox>("txtLater");
    free.Text("  spaced out  ");
    later.MaxLength(3);
    later.Text(" xyz12 ");

    EXPECT_TRUE(TrimTextControls(form_, false));
    EXPECT_EQ(free.Text(), "spaced out");
    EXPECT_EQ(later.Text(), "xyz");
    EXPECT_TRUE(host_.Boxes().empty());

    // Reporting: the first text box without a maximum stops the walk.
    free.Text("  again  ");
    later.Text("  later  ");
    host_.QueueAnswer(1);
    EXPECT_FALSE(TrimTextControls(form_, true));
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].text,
              "TrimTextControls: Textbox txtFree does not have MaxLength specified.");
    EXPECT_EQ(free.Text(), "again");      // trimmed before the report
    EXPECT_EQ(later.Text(), "  later  "); // untouched
}

} // namespace
