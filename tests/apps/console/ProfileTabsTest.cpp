// The printer profiles panel with a page of a test's own beside the job
// options: a save validates every page before anything is written, stops at
// the first page that fails and names it, and a page whose load failed is
// disabled and saves nothing while the other pages still save. Then the
// panel's own pricing page: what a save writes is what the database holds
// when it is opened again.

#include "JobOptionsTab.h"
#include "PricingTab.h"
#include "PrinterProfilesPanel.h"
#include "common/ModuleState.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/CheckBox.h"
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
#include <filesystem>
#include <gtest/gtest.h>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;

constexpr int kLabPlotter = 3; // a profile without job option rules or a price profile

// A page whose load, validation and save a test decides.
class TestTab : public ProfileTab {
public:
    std::string Caption() const override { return "Extra"; }
    std::string Key() const override { return "extra"; }
    void PlaceOn(QWidget*) override {}
    void Edit() { Changed(); }

    bool loadFails = false, valid = true, saveFails = false, enabled = true;
    int saves = 0;

protected:
    data::Status LoadEditor(data::Connection&, const PrinterProfile&) override {
        return loadFails ? data::MakeStatus(11, "database disk image is malformed") : nullptr;
    }
    bool ValidateEditor() override { return valid; }
    data::Status SaveEditor(data::Connection&, const PrinterProfile&) override {
        ++saves;
        return saveFails ? data::MakeStatus(8, "attempt to write a readonly database") : nullptr;
    }
    void EnableEditor(bool on) override { enabled = on; }
};

class ProfileTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CloseThreadConnections();
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        fs::copy_file(QM6_SAMPLE_DATABASE, file_);
        std::shared_ptr<data::SqliteConnection> store;
        ASSERT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        recorder_ = std::make_shared<data::testing::RecordingConnection>(store);
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
        reg::CloseThreadConnections();
    }
    // A panel over the store with the job options page, then the test's.
    std::shared_ptr<PrinterProfilesPanel>
    MakePanel(const std::function<void(TestTab&)>& setUp = nullptr) {
        auto extra = std::make_unique<TestTab>();
        extra_ = extra.get();
        if (setUp)
            setUp(*extra_);
        std::vector<std::unique_ptr<ProfileTab>> tabs;
        tabs.push_back(std::make_unique<JobOptionsTab>());
        tabs.push_back(std::move(extra));
        auto panel = std::make_shared<PrinterProfilesPanel>(std::move(tabs));
        panel->SetConnection(recorder_);
        return panel;
    }
    static ctlJobOptions& JobOptions(const PrinterProfilesPanel& panel) {
        return dynamic_cast<JobOptionsTab&>(panel.Tab(0)).Editor();
    }

    test::TempDir dir_;
    fs::path file_ = dir_.Path() / "console.qm6db";
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    std::shared_ptr<data::testing::RecordingConnection> recorder_;
    TestTab* extra_ = nullptr;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
};

// A page that refuses its values stops the save before any write; a page
// whose save fails is told, with what was saved before it kept saved.
TEST_F(ProfileTabsTest, TheFirstPageThatRefusesOrFailsStopsTheSaveIsNamedAndKeepsItsChanges) {
    struct Case {
        bool valid, saveFails;
        int jobOptionWrites;
        const char* told; // the start of the box, or nothing
    };
    for (const Case& c :
         {Case{false, false, 0, nullptr}, Case{true, true, 1,
                                               "The Extra page of Lab plotter was not saved: the "
                                               "database cannot be written"}}) {
        SCOPED_TRACE(c.valid);
        recorder_->ClearCalls();
        auto panel =
            MakePanel([&](TestTab& tab) { tab.valid = c.valid, tab.saveFails = c.saveFails; });
        ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
        forms::input::Click(JobOptions(*panel).chkForceDuplex());
        extra_->Edit();
        EXPECT_NE(panel->Save(), nullptr);
        EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), c.jobOptionWrites);
        EXPECT_EQ(extra_->saves, c.jobOptionWrites);
        EXPECT_EQ(panel->Tab(0).HasChanges(), c.jobOptionWrites == 0);
        EXPECT_TRUE(panel->Tab(1).HasChanges());
        EXPECT_EQ(panel->Tabs()->currentIndex(), 1) << "the page that stopped the save is shown";
        if (c.told) {
            EXPECT_EQ(host_.Boxes().back().text.rfind(c.told, 0), 0u) << host_.Boxes().back().text;
        }
    }
}

TEST_F(ProfileTabsTest, APageWhoseLoadFailedSavesNothingWhileTheOthersSaveUntilARevertLoadsIt) {
    auto panel = MakePanel([](TestTab& tab) { tab.loadFails = true; });
    ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
    ASSERT_FALSE(host_.Boxes().empty());
    EXPECT_EQ(
        host_.Boxes().back().text,
        "The Extra page of Lab plotter could not be loaded: the database file is damaged. "
        "Restore it from a backup. The page shows no rules and cannot be saved until they "
        "load; press Revert to try again.\n\nDetail: database disk image is malformed (code 11)");
    EXPECT_FALSE(extra_->enabled);

    // The loaded page saves alone.
    forms::input::Click(JobOptions(*panel).chkForceDuplex());
    EXPECT_EQ(panel->Save(), nullptr);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 1);

    // A change on the failed page (made by code: the page is disabled)
    // refuses the whole save, naming the page.
    forms::input::Click(JobOptions(*panel).chkForceNUp());
    extra_->Edit();
    EXPECT_NE(panel->Save(), nullptr);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 1);
    EXPECT_EQ(extra_->saves, 0);
    EXPECT_EQ(host_.Boxes().back().text.rfind("The Extra page of Lab plotter was not saved.", 0),
              0u)
        << host_.Boxes().back().text;

    // Once the store recovers, Revert loads the page again and it saves.
    extra_->loadFails = false;
    panel->Revert();
    EXPECT_TRUE(extra_->enabled);
    extra_->Edit();
    EXPECT_EQ(panel->Save(), nullptr);
    EXPECT_EQ(extra_->saves, 1);
}

constexpr int kLibraryPrinter = 1; // uses price profile 2, priced per paper size

// The panel's own pricing page. The editor's own tests type every kind of
// cost; here a change on the page reaches the price profile of the printer
// profile when the panel saves, and a profile without a price profile, or
// whose cannot be read, offers nothing to price.
TEST_F(ProfileTabsTest, ThePricingPageEditsThePriceProfileOfThePrinterProfile) {
    auto panel = std::make_shared<PrinterProfilesPanel>();
    panel->SetConnection(recorder_);
    panel->Widget()->show();
    auto& tab = dynamic_cast<PricingTab&>(panel->Tab(2));
    ctlPricing& editor = tab.Editor();
    ASSERT_TRUE(panel->ShowProfile(kLibraryPrinter));
    panel->Tabs()->setCurrentIndex(2);
    forms::input::Type(editor.txtBWCost(), "0.0125");
    forms::input::Settle();
    ASSERT_EQ(panel->Save(), nullptr);
    std::shared_ptr<data::SqliteConnection> reopened;
    ASSERT_EQ(data::SqliteConnection::Open(file_, reopened), nullptr);
    std::shared_ptr<data::PriceProfile> stored;
    ASSERT_EQ(reopened->LoadPriceProfile(stored, 2), nullptr);
    EXPECT_EQ(stored->BWCost().Scaled(), 125);

    ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
    EXPECT_TRUE(!tab.Profile() && !editor.Enabled() && !tab.NoPriceProfileNote()->isHidden());
    // No values, and none of the last profile's rows.
    EXPECT_TRUE(editor.txtBWCost().Text().empty() && editor.grdPaperSizes().Rows() == 1 &&
                editor.lblNotInUse().Visible());
    ASSERT_TRUE(panel->ShowProfile(kLibraryPrinter));
    EXPECT_TRUE(editor.Enabled() && tab.NoPriceProfileNote()->isHidden());
    recorder_->FailCall("LoadPriceProfile", 11, "database disk image is malformed");
    panel->Revert();
    EXPECT_TRUE(tab.LoadFailed() && !editor.Enabled() && tab.NoPriceProfileNote()->isHidden());
    EXPECT_EQ(editor.txtColorCost().Text(), "");
}

} // namespace
} // namespace qm6::console
