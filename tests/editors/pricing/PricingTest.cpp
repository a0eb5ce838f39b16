// The pricing editor on real widgets, offscreen, against the real SQLite store
// (a copy of the sample), wrapped in the recording decorator where records
// the store refuses are served.

#include "common/Language.h"
#include "editors/SampleStoreTest.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace qm6 {
namespace {

using Prices = std::map<int32_t, std::pair<int64_t, int64_t>>; // id: B/W, colour (scaled)

constexpr int32_t kPerPage = 1, kPerPaperSize = 2; // the sample's price profiles
// Profile 2's own prices in the sample: A4, A3 and the photo size.
const Prices kSamplePrices = {{1, {800, 4000}}, {3, {2500, 12500}}, {5, {500, 6250}}};

vb::Currency Cur(int64_t scaled) {
    return vb::Currency::FromScaled(scaled);
}

Prices PricesOf(const data::PriceProfile& profile) {
    Prices prices;
    for (int32_t i = 1; i <= profile.PaperSizePrices()->Count(); ++i) {
        const auto p = data::ItemAs<data::PaperSizePrice>(*profile.PaperSizePrices(), i);
        prices[p->PaperSizeId()] = {p->BWCost().Scaled(), p->ColorCost().Scaled()};
    }
    return prices;
}

class PricingTest : public test::SampleStoreTest {
protected:
    void SetUp() override {
        SampleStoreTest::SetUp();
        previous_ = data::SetStatusHandler(
            [this](const data::DataStatus& s) { statuses_.push_back(s.Message()); });
        editor_->PlaceOn(&window_, 0, 0, ctlPricing::kDesignWidth, ctlPricing::kDesignHeight);
        editor_->OnPricingChange = [this] { ++changes_; };
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    void TearDown() override {
        editor_.reset();
        data::SetStatusHandler(previous_);
        vb::ResetNumberChars();
        SampleStoreTest::TearDown();
    }

    std::shared_ptr<data::PriceProfile> Stored(int32_t id) const {
        std::shared_ptr<data::PriceProfile> profile;
        EXPECT_EQ(OpenStore()->LoadPriceProfile(profile, id), nullptr);
        return profile;
    }
    void Show(int32_t id) {
        editor_->DataObject(recorder_);
        editor_->PriceProfile(profile_ = Stored(id));
    }
    forms::Grid& grid() const { return editor_->grdPaperSizes(); }
    QTableWidget* table() const { return static_cast<QTableWidget*>(grid().Widget()); }
    std::string Shown(int row, int col) const {
        return grid().Cell(forms::GridCellProperty::TextDisplay, row, col).AsString();
    }
    std::string LastBox() const { return host_.Boxes().empty() ? "" : host_.Boxes().back().text; }
    // Opens a cell's editor by typing a key, as a user does.
    void StartTyping(int row, int col, Qt::Key key) {
        grid().SetFocus();
        table()->setCurrentCell(row - 1, col);
        QTest::keyClick(table(), key);
    }
    void InEditor(Qt::Key key) {
        ASSERT_TRUE(grid().IsEditing());
        QTest::keyClick(qobject_cast<QLineEdit*>(table()->indexWidget(table()->currentIndex())),
                        key);
        forms::input::Settle();
    }

    data::StatusHandler previous_;
    std::vector<std::string> statuses_;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
    QWidget window_;
    std::unique_ptr<ctlPricing> editor_ = std::make_unique<ctlPricing>();
    std::shared_ptr<data::PriceProfile> profile_;
    int changes_ = 0;
};

TEST_F(PricingTest, AProfileShowsItsCostsAndEveryPaperSizeWithItsPriceOrDefault) {
    // The label that stands in the grid's place where prices are per page.
    EXPECT_EQ(editor_->lblNotInUse().Caption(), "<Not Using Paper Sizes>");
    Show(kPerPaperSize);
    EXPECT_EQ(editor_->cmbPricingOption().ItemData(editor_->cmbPricingOption().ListIndex()), 3);
    EXPECT_EQ(editor_->cmbJobType().ItemData(editor_->cmbJobType().ListIndex()), 1);
    EXPECT_EQ(editor_->txtBWCost().Text() + " " + editor_->txtColorCost().Text(), "$0.10 $0.50");
    // An own price in millimetres, a default in inches, an own one in
    // centimetres shown rounded.
    for (auto [r, row] :
         {std::pair{1, std::vector<std::string>{"A4", "210 mm x 297 mm", "$0.08", "$0.40"}},
          {2, {"Letter", "8.5 in x 11 in", "$0.10", "$0.50"}},
          {5, {"Photo 10 x 15", "10 cm x 15 cm", "$0.05", "$0.63"}}}) {
        EXPECT_EQ(row, std::vector({grid().TextMatrix(r, 1), grid().TextMatrix(r, 2), Shown(r, 3),
                                    Shown(r, 4)}));
    }

    // The same object again is no reload: the user's text stays.
    editor_->txtBWCost().Text("7");
    const int changes = changes_;
    editor_->PriceProfile(profile_);
    EXPECT_EQ(editor_->txtBWCost().Text(), "7");
    EXPECT_EQ(changes_, changes);
    // Another one is, with the grid's place taken by the label.
    editor_->PriceProfile(Stored(kPerPage));
    EXPECT_EQ(editor_->txtBWCost().Text(), "$0.10");
    EXPECT_TRUE(editor_->lblNotInUse().Visible() && !grid().Visible() && changes_ > changes);
    // An option no list entry has: nothing chosen, the grid as it was.
    editor_->PriceProfile(Stored(kPerPaperSize));
    auto odd = Stored(kPerPaperSize);
    odd->SetPricingOption(9);
    editor_->PriceProfile(odd);
    EXPECT_TRUE(editor_->cmbPricingOption().ListIndex() == -1 && grid().Visible() &&
                grid().Rows() == 7);
}

TEST_F(PricingTest, ValidateTellsTheFirstBadValueFocusesItsControlAndWritesNothing) {
    Show(kPerPaperSize);
    for (auto [bw, color, message, bwFocused] : {std::tuple{"abc", "0.5", 505, true},
                                                 {"-1", "0.5", 506, true},
                                                 {"0.5", "x", 507, false},
                                                 {"0.5", "(2)", 508, false},
                                                 {"x", "-1", 505, true},
                                                 {"1e300", "0", 505, true},
                                                 {"0", "0", 0, false},
                                                 {"$1,234.5", " 2\n", 0, false}}) {
        SCOPED_TRACE(std::string(bw) + " / " + color);
        editor_->txtBWCost().Text(bw);
        editor_->txtColorCost().Text(color);
        const size_t boxes = host_.Boxes().size();
        EXPECT_EQ(editor_->Validate(true), message == 0);
        if (message == 0)
            continue;
        EXPECT_EQ(profile_->BWCost(), Cur(1000)) << "written before the failure";
        EXPECT_EQ(host_.Boxes().size(), boxes + 1);
        EXPECT_EQ(LastBox() + " " + std::to_string(host_.Boxes().back().style),
                  LangString(message) + " 48");
        EXPECT_TRUE(
            (bwFocused ? editor_->txtBWCost() : editor_->txtColorCost()).Widget()->hasFocus());
    }
    // A missing choice fails the same way.
    editor_->txtBWCost().Text("3");
    editor_->cmbJobType().ListIndex(-1);
    EXPECT_FALSE(editor_->Validate(true));
    EXPECT_EQ(LastBox(), LangString(519));
    EXPECT_TRUE(editor_->cmbJobType().Widget()->hasFocus());
    editor_->cmbJobType().ListIndex(0);
    editor_->cmbPricingOption().ListIndex(-1);
    EXPECT_FALSE(editor_->Validate(false));
    EXPECT_EQ(LastBox(), LangString(518));
    EXPECT_EQ(std::pair(profile_->BWCost(), profile_->ColorCost()),
              std::pair(Cur(12345000), Cur(20000)));
    // A negative price the store handed over is refused as a negative box is.
    auto profile = Stored(kPerPaperSize);
    data::ItemAs<data::PaperSizePrice>(*profile->PaperSizePrices(), 2)->SetColorCost(Cur(-1));
    editor_->PriceProfile(profile);
    EXPECT_FALSE(editor_->Validate(true));
    EXPECT_EQ(LastBox(), LangString(508));
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(PricesOf(*profile).at(3).second, -1); // nothing stored
}

TEST_F(PricingTest, CostBoxesFilterEveryKeyAndFormatOnLeaving) {
    Show(kPerPage);
    forms::TextBox& bw = editor_->txtBWCost();
    forms::input::Focus(bw); // all of "$0.10" selected, so typing replaces it
    forms::input::Type(bw, "0a-.0 125");
    EXPECT_EQ(bw.Text(), "0.0125");
    forms::input::Type(editor_->txtColorCost(), "99999.99");
    forms::input::Focus(editor_->cmbJobType());
    // That the typed amount stays behind the rounded text is pinned by the
    // round trip below.
    EXPECT_EQ(bw.Text() + " " + editor_->txtColorCost().Text(), "$0.01 $99,999.99");
}

TEST_F(PricingTest, CostCellsTakeCostsOnlyEmptyMeansTheDefaultAndOnlyOwnPricesAreStored) {
    Show(kPerPaperSize);
    StartTyping(1, 3, Qt::Key_1);
    grid().EditText("1234.56");
    const int changes = changes_;
    InEditor(Qt::Key_Return);
    EXPECT_EQ(grid().TextMatrix(1, 3), "1234.56");
    EXPECT_EQ(changes_, changes + 1);
    // What cannot be a cost keeps the editor open with its text.
    for (const char* text : {"1.2.3", "-5", "(5)", "1e30"}) {
        StartTyping(2, 4, Qt::Key_1);
        grid().EditText(text);
        InEditor(Qt::Key_Return);
        EXPECT_EQ(grid().EditText(), text); // still editing
        InEditor(Qt::Key_Escape);
    }
    // Empty is the paper size's default, pasted money text its amount.
    for (auto [text, shown] : {std::pair{"", "0.5"}, {"$1,000.0125\r\n", "1000.0125"}}) {
        StartTyping(1, 4, Qt::Key_F2);
        grid().EditText(text);
        InEditor(Qt::Key_Return);
        EXPECT_EQ(grid().TextMatrix(1, 4), shown);
    }
    // Ctrl+D resets a row to the defaults on Yes; storing keeps only the
    // prices that differ from them.
    grid().SetFocus();
    grid().Row(3); // A3: 0.25 and 1.25 against 0.2 and 0.9
    for (auto [modifiers, answer, bw] :
         {std::tuple{Qt::KeyboardModifiers(Qt::ControlModifier), 7, "0.25"},
          {Qt::KeyboardModifiers(Qt::ControlModifier), 6, "0.2"}}) {
        const size_t boxes = host_.Boxes().size();
        if (answer)
            host_.QueueAnswer(answer);
        QTest::keyClick(table(), Qt::Key_D, modifiers);
        EXPECT_EQ(host_.Boxes().size(), boxes + (answer ? 1 : 0));
        EXPECT_EQ(grid().TextMatrix(3, 3), bw);
    }
    EXPECT_EQ(LastBox() + " " + std::to_string(host_.Boxes().back().style),
              LangString(509) + " 52");
    grid().TextMatrix(6, 4, "0.3125"); // A5 colour, as a committed edit leaves it
    ASSERT_TRUE(editor_->Validate(true));
    EXPECT_EQ(PricesOf(*profile_),
              (Prices{{1, {12345600, 10000125}}, {5, {500, 6250}}, {6, {600, 3125}}}));
}

// Faults of the original behaviour, each mended.
TEST_F(PricingTest, SettingTheStoreAgainOrLateNeverEmptiesThePaperSizePrices) {
    // The profile before the store: the grid cannot be filled yet.
    editor_->PriceProfile(profile_ = Stored(kPerPaperSize));
    EXPECT_EQ(statuses_, std::vector<std::string>{"Control data object not set."});
    ASSERT_TRUE(editor_->Validate(true));
    EXPECT_EQ(PricesOf(*profile_), kSamplePrices);
    editor_->DataObject(recorder_);
    // Setting it again keeps the rows and the user's edit in them.
    grid().TextMatrix(2, 3, "0.11");
    editor_->DataObject(recorder_);
    ASSERT_TRUE(editor_->Validate(true));
    Prices expected = kSamplePrices;
    expected[2] = {1100, 5000};
    EXPECT_EQ(PricesOf(*profile_), expected);
}

TEST_F(PricingTest, AnUnknownUnitIsToldOnceAFillAndItsSizeShownInMillimetres) {
    recorder_->ServeRecordSet("LoadPaperSizes",
                              {"PaperSizeId", "Description", "Width", "Height", "UnitType",
                               "BWPageCost", "ColorPageCost"},
                              {{1, "Odd", 2100, 2970, 7, Cur(1000), Cur(5000)},
                               {2, "Odd too", 1000, 1500, -1, Cur(1000), Cur(5000)},
                               {3, "Letter", 2159, 2794, 0, Cur(1000), Cur(5000)}});
    Show(kPerPaperSize);
    editor_->cmbPricingOption().ListIndex(1);
    editor_->cmbPricingOption().ListIndex(3); // a second fill
    EXPECT_TRUE(host_.Boxes().empty());       // no stop box per record
    ASSERT_EQ(statuses_.size(), 2u);
    EXPECT_NE(statuses_[0].find("2 paper sizes"), std::string::npos) << statuses_[0];
    EXPECT_EQ(grid().TextMatrix(1, 2) + ", " + grid().TextMatrix(2, 2) + ", " +
                  grid().TextMatrix(3, 2),
              "210 mm x 297 mm, 100 mm x 150 mm, 8.5 in x 11 in");
}

// Amounts go from the profile to the boxes and cells and back unchanged,
// untouched or typed as a user of the locale writes them.
TEST_F(PricingTest, MoneyRoundTripsExactlyInEveryLocaleAndFormat) {
    std::mt19937_64 random(18);
    std::vector<int64_t> amounts = {0, 1, 125, 5000, 999999900, 99999990000, 9999999999999999};
    for (int i = 0; i < 20; ++i)
        amounts.push_back(int64_t(random() % 100000000000ull) >> (random() % 30));
    for (uint32_t lcid : {1033u, 1031u, 1036u, 1041u, 2055u}) {
        vb::SetNumberChars(vb::NumberCharsOf(lcid));
        for (const char* format : {"$#,##0.00;($#,##0.00)", "Currency", ""}) {
            auto settings = std::make_shared<data::SystemSettings>();
            settings->SetCurrencyFormat(format);
            recorder_->ServeSettings(settings);
            editor_->DataObject(recorder_);
            for (int64_t scaled : amounts) {
                SCOPED_TRACE(std::to_string(lcid) + " " + format + " " + std::to_string(scaled));
                auto profile = Stored(kPerPaperSize);
                profile->SetBWCost(Cur(scaled));
                data::ItemAs<data::PaperSizePrice>(*profile->PaperSizePrices(), 1)
                    ->SetBWCost(Cur(scaled));
                editor_->PriceProfile(profile);
                // The colour box and A3's colour cell typed as the locale
                // writes them; leaving the box formats what it holds.
                editor_->txtColorCost().SetFocus();
                editor_->txtColorCost().Text(vb::CStr(vb::Variant(Cur(scaled))));
                StartTyping(3, 4, Qt::Key_1);
                grid().EditText(vb::Format(vb::Variant(Cur(scaled)), "#,##0.00##"));
                InEditor(Qt::Key_Return);
                ASSERT_TRUE(editor_->Validate(true));
                const Prices prices = PricesOf(*profile);
                EXPECT_EQ(std::vector({profile->BWCost().Scaled(), profile->ColorCost().Scaled(),
                                       prices.at(1).first, prices.at(3).second}),
                          std::vector<int64_t>(4, scaled));
            }
        }
    }
}

} // namespace
} // namespace qm6
