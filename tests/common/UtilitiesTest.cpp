// The shared utilities on the forms layer: unit conversion, the common
// folder, combo boxes by item data, the numeric key filter, locale texts,
// trimming text boxes, and message boxes reaching the thread's host.

#include "common/Utilities.h"

#include "common/MessageBox.h"
#include "common/ModuleState.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/locale/LocaleInfo.h"
#include "platform/vb/VbError.h"
#include "support/TestSupport.h"

#include <filesystem>
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
    const Case cases[] = {
        {2159, 0, 8.5f}, {2159, 1, 215.9f}, {2159, 2, 21.59f}, {-2970, 0, -11.69f}, {17, 0, 0.07f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertToUnits(c.length, c.unit), c.expected)
            << c.length << " in unit " << c.unit;

    host_.QueueAnswer(vbOK);
    EXPECT_EQ(ConvertToUnits(2159, 3), 0.0f);
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].text, "modQM6Common::ConvertToUnits - Unknown unit of measure");
    EXPECT_EQ(host_.Boxes()[0].style, 16);
}

TEST_F(UtilitiesTest, FindComboItemDataAnswersTheFirstMatchOrMinusOne) {
    auto& cmb = form_.Add<ComboBox>("cmbList");
    EXPECT_EQ(FindComboItemData(cmb, 7), -1);
    FillComboFromArray(cmb, ListArray(0, {{5, "a"}, {7, "b"}, {7, "c"}}), -1);
    EXPECT_EQ(FindComboItemData(cmb, 7), 1);
    EXPECT_EQ(FindComboItemData(cmb, 5), 0);
    EXPECT_EQ(FindComboItemData(cmb, 9), -1);
}

TEST_F(UtilitiesTest, FillComboFromArrayTakesRowsFromTheChosenStart) {
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
    };
    for (const auto& c : cases) {
        cmb.AddItem("old");
        FillComboFromArray(cmb, c.list, c.firstRow);
        EXPECT_EQ(Entries(cmb), c.expected) << c.what;
        EXPECT_EQ(cmb.ListIndex(), -1) << c.what;
    }

    // Something that is not an array leaves the entries as they were.
    FillComboFromArray(cmb, ListArray(0, {{8, "kept"}}), -1);
    FillComboFromArray(cmb, vb::Variant(int32_t{42}), -1);
    FillComboFromArray(cmb, vb::Variant(), -1);
    EXPECT_EQ(Entries(cmb), std::vector<std::string>{"8=kept"});

    // Text and number conversions of the cells.
    vb::Array2D mixed(0, 0, 0, 1);
    mixed.At(0, 0) = vb::Variant("12");
    mixed.At(0, 1) = vb::Variant(int32_t{34});
    FillComboFromArray(cmb, vb::Variant(mixed), -1);
    EXPECT_EQ(Entries(cmb), std::vector<std::string>{"12=34"});

    // More rows than a 16-bit counter holds.
    const int32_t rows = 40000;
    vb::Array2D big(0, rows - 1, 0, 1);
    for (int32_t r = 0; r < rows; ++r)
        big.At(r, 0) = vb::Variant(r);
    FillComboFromArray(cmb, vb::Variant(std::move(big)), -1);
    EXPECT_EQ(cmb.ListCount(), rows);
    EXPECT_EQ(cmb.ItemData(rows - 1), rows - 1);
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
        {8, false, false, 8},    {'a', true, true, 0},     {',', true, true, 0},
    };
    for (const auto& c : cases) {
        const int beeps = host_.Beeps();
        EXPECT_EQ(FilterNumericKey(c.key, c.negative, c.decimal), c.expected) << "key " << c.key;
        EXPECT_EQ(host_.Beeps() - beeps, c.expected == 0 ? 1 : 0) << "key " << c.key;
    }
}

// The separators are the user's locale's, read once on the thread.
TEST_F(UtilitiesTest, FilterNumericKeyKeepsTheSeparatorsReadFirstOnTheThread) {
    {
        test::ScopedEnv lc("LC_ALL", std::string("de_DE.UTF-8"));
        EXPECT_EQ(FilterNumericKey(',', false, true), ',');
    }
    test::ScopedEnv lc("LC_ALL", std::string("en_US.UTF-8"));
    EXPECT_EQ(FilterNumericKey(',', false, true), ','); // still the first locale's
    ResetModuleState();
    EXPECT_EQ(FilterNumericKey(',', false, true), 0);
}

TEST_F(UtilitiesTest, LocaleStringsAreEmptyWhenTheLocaleHasNone) {
    EXPECT_EQ(GetLocaleString(1033, 0x7777), "");                 // no such setting
    EXPECT_EQ(GetLocaleString(0x7777, loc::LOCALE_SDECIMAL), ""); // no such locale
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
    EXPECT_EQ(host_.Boxes()[0].style, 48);
    EXPECT_EQ(free.Text(), "again");      // trimmed before the report
    EXPECT_EQ(later.Text(), "  later  "); // untouched
}

TEST_F(UtilitiesTest, GetCommonFolderWalksUpOnceAndKeepsItsAnswerForTheThread) {
    test::TempDir dir;
    const auto module = dir.Path() / "a" / "b" / "bin";
    std::filesystem::create_directories(module);
    std::filesystem::create_directories(dir.Path() / "a" / "common");
    SetModuleFolder(module.string());
    EXPECT_EQ(GetCommonFolder(), (dir.Path() / "a" / "common").string());

    std::filesystem::create_directories(dir.Path() / "a" / "b" / "common");
    EXPECT_EQ(GetCommonFolder(), (dir.Path() / "a" / "common").string()); // cached
    ResetModuleState();
    SetModuleFolder(module.string());
    EXPECT_EQ(GetCommonFolder(), (dir.Path() / "a" / "b" / "common").string());
    SetModuleFolder("");
}

TEST_F(UtilitiesTest, MessageBoxesReachTheThreadsHostUnlessAHandlerIsInstalled) {
    host_.QueueAnswer(vbNo);
    EXPECT_EQ(ShowMessageBox("Delete?", vbYesNo + vbQuestion, "Product"), vbNo);
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].title, "Product");

    SetMessageBoxHandler([](const std::string&, int, const std::string&) { return vbCancel; });
    EXPECT_EQ(ShowMessageBox("Handled", vbOKCancel, ""), vbCancel);
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ(host_.Boxes().size(), 1u);
}

} // namespace
