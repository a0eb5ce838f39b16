// The printer profiles panel with a page of a test's own beside the job
// options: a save validates every page before anything is written, stops at
// the first page that fails and names it, and a page whose load failed is
// disabled and saves nothing while the other pages still save.

#include "JobOptionsTab.h"
#include "PrinterProfilesPanel.h"

#include "common/ModuleState.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/registry/Registry.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;

constexpr int kLabPlotter = 3; // a profile without job option rules

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
        const fs::path file = dir_.Path() / "console.qm6db";
        fs::copy_file(QM6_SAMPLE_DATABASE, file);
        std::shared_ptr<data::SqliteConnection> store;
        ASSERT_EQ(data::SqliteConnection::Open(file, store), nullptr);
        recorder_ = std::make_shared<data::testing::RecordingConnection>(store);
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
        reg::CloseThreadConnections();
    }
    // A panel over the store with the job options page, then the test's.
    std::shared_ptr<PrinterProfilesPanel> MakePanel(const std::function<void(TestTab&)>& setUp = nullptr) {
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
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    std::shared_ptr<data::testing::RecordingConnection> recorder_;
    TestTab* extra_ = nullptr;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
};

TEST_F(ProfileTabsTest, APageThatRefusesItsValuesStopsTheSaveBeforeAnyWrite) {
    auto panel = MakePanel([](TestTab& tab) { tab.valid = false; });
    ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
    forms::input::Click(JobOptions(*panel).chkForceDuplex());
    extra_->Edit();
    EXPECT_NE(panel->Save(), nullptr);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 0);
    EXPECT_EQ(extra_->saves, 0);
    EXPECT_TRUE(panel->Tab(0).HasChanges() && panel->Tab(1).HasChanges());
    EXPECT_EQ(panel->Tabs()->currentIndex(), 1) << "the page that refused is shown";
}

TEST_F(ProfileTabsTest, TheFirstFailedSaveIsToldWithItsPageAndItsChangesKept) {
    auto panel = MakePanel([](TestTab& tab) { tab.saveFails = true; });
    ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
    forms::input::Click(JobOptions(*panel).chkForceDuplex());
    extra_->Edit();
    const data::Status status = panel->Save();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Code(), 8);
    EXPECT_EQ(recorder_->CallCount("SaveJobOptionRule"), 1);
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].text.rfind("The Extra page of Lab plotter was not saved: the database cannot be "
                                          "written",
                                          0),
              0u)
        << host_.Boxes()[0].text;
    EXPECT_FALSE(panel->Tab(0).HasChanges());
    EXPECT_TRUE(panel->HasChanges());
    EXPECT_EQ(panel->Tabs()->currentIndex(), 1);
}

TEST_F(ProfileTabsTest, APageWhoseLoadFailedSavesNothingWhileTheOthersSave) {
    auto panel = MakePanel([](TestTab& tab) { tab.loadFails = true; });
    ASSERT_TRUE(panel->ShowProfile(kLabPlotter));
    ASSERT_FALSE(host_.Boxes().empty());
    EXPECT_EQ(host_.Boxes().back().text.rfind("The Extra page of Lab plotter could not be loaded: the database file "
                                              "is damaged.",
                                              0),
              0u);
    EXPECT_FALSE(extra_->enabled);
    const auto statusOf = [&](int page) {
        return panel->Tabs()->widget(page)->findChild<QLabel*>("pageStatus");
    };
    EXPECT_TRUE(statusOf(0)->isHidden());
    EXPECT_FALSE(statusOf(1)->isHidden());

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
    EXPECT_EQ(host_.Boxes().back().text.rfind("The Extra page of Lab plotter was not saved.", 0), 0u)
        << host_.Boxes().back().text;
}

} // namespace
} // namespace qm6::console
