// The pricing page of the printer profiles panel, driven with a user's keys
// over a copy of the sample: what a save writes is what the database holds
// when it is opened again.

#include "PricingTab.h"
#include "PrinterProfilesPanel.h"

#include "common/ModuleState.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UserInput.h"
#include "platform/registry/Registry.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;
using Prices = std::map<int32_t, std::pair<int64_t, int64_t>>; // id: B/W, colour (scaled)

constexpr int kLibraryPrinter = 1; // rows: uses price profile 2, priced per paper size
constexpr int kLabPlotter = 3;     // uses none

class PricingTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CloseThreadConnections();
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        fs::copy_file(QM6_SAMPLE_DATABASE, file_);
        std::shared_ptr<data::SqliteConnection> store;
        ASSERT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        recorder_ = std::make_shared<data::testing::RecordingConnection>(store);
        panel_->SetConnection(recorder_);
        panel_->Widget()->show();
        for (int i = 0; i < panel_->TabCount(); ++i)
            if (auto* tab = dynamic_cast<PricingTab*>(&panel_->Tab(i)))
                tab_ = tab, page_ = i;
        ASSERT_NE(tab_, nullptr);
    }
    void TearDown() override {
        panel_.reset();
        SetModuleFolder("");
        ResetModuleState();
        reg::CloseThreadConnections();
    }
    // Types a cost into a cell: the first key opens its editor, Enter commits.
    void TypeInCell(int row, int col, const char* text) {
        auto* table = static_cast<QTableWidget*>(tab_->Editor().grdPaperSizes().Widget());
        table->setFocus();
        table->setCurrentCell(row - 1, col);
        QTest::keyClicks(table, QString(text).left(1));
        auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(table->currentIndex()));
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QString(text).mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        forms::input::Settle();
    }

    test::TempDir dir_;
    fs::path file_ = dir_.Path() / "console.qm6db";
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    std::shared_ptr<data::testing::RecordingConnection> recorder_;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
    std::shared_ptr<PrinterProfilesPanel> panel_ = std::make_shared<PrinterProfilesPanel>();
    PricingTab* tab_ = nullptr;
    int page_ = -1;
};

TEST_F(PricingTabTest, EditedCostAndPricesAreStoredExactlyAndDefaultsNot) {
    ASSERT_TRUE(panel_->ShowProfile(kLibraryPrinter));
    panel_->Tabs()->setCurrentIndex(page_);
    EXPECT_EQ(panel_->Tabs()->tabText(page_), "Pricing");
    ctlPricing& editor = tab_->Editor();
    forms::input::Type(editor.txtBWCost(), "0.0125");
    TypeInCell(2, 3, "0.1234"); // Letter's B/W, at its default until now
    TypeInCell(4, 4, "0.0001"); // Legal's colour
    forms::input::Settle();
    EXPECT_EQ(editor.txtBWCost().Text(), "$0.01");
    ASSERT_TRUE(panel_->HasChanges());
    ASSERT_EQ(panel_->Save(), nullptr);

    std::shared_ptr<data::SqliteConnection> reopened;
    ASSERT_EQ(data::SqliteConnection::Open(file_, reopened), nullptr);
    std::shared_ptr<data::PriceProfile> stored;
    ASSERT_EQ(reopened->LoadPriceProfile(stored, 2), nullptr);
    EXPECT_EQ(stored->BWCost().Scaled(), 125);
    EXPECT_EQ(stored->ColorCost().Scaled(), 5000);
    Prices prices;
    for (int32_t i = 1; i <= stored->PaperSizePrices()->Count(); ++i) {
        const auto p = data::ItemAs<data::PaperSizePrice>(*stored->PaperSizePrices(), i);
        prices[p->PaperSizeId()] = {p->BWCost().Scaled(), p->ColorCost().Scaled()};
    }
    // A5 (6) kept its defaults and has no price; the sample's own stay.
    EXPECT_EQ(prices, (Prices{{1, {800, 4000}}, {2, {1234, 5000}}, {3, {2500, 12500}}, {4, {1200, 1}}, {5, {500, 6250}}}));
}

TEST_F(PricingTabTest, AProfileWithoutAPriceProfileOrWhoseCannotBeReadOffersNothingToPrice) {
    ASSERT_TRUE(panel_->ShowProfile(kLibraryPrinter));
    ASSERT_TRUE(panel_->ShowProfile(kLabPlotter));
    EXPECT_EQ(tab_->Profile(), nullptr);
    EXPECT_FALSE(tab_->Editor().Enabled());
    EXPECT_FALSE(tab_->NoPriceProfileNote()->isHidden());
    EXPECT_EQ(tab_->Editor().txtBWCost().Text(), "");
    EXPECT_EQ(tab_->Editor().grdPaperSizes().Rows(), 1); // none of the last profile's rows
    EXPECT_TRUE(tab_->Editor().lblNotInUse().Visible());
    ASSERT_TRUE(panel_->ShowProfile(kLibraryPrinter));
    EXPECT_TRUE(tab_->Editor().Enabled());
    EXPECT_TRUE(tab_->NoPriceProfileNote()->isHidden());
    // A price profile that cannot be read shows no values either.
    recorder_->FailCall("LoadPriceProfile", 11, "database disk image is malformed");
    panel_->Revert();
    EXPECT_TRUE(tab_->LoadFailed() && !tab_->Editor().Enabled() && tab_->NoPriceProfileNote()->isHidden());
    EXPECT_EQ(tab_->Editor().txtColorCost().Text(), "");
}

} // namespace
} // namespace qm6::console
