// The console's window over a copy of the sample database, driven as a user
// drives it: what it adds to the editors it hosts (the change mark, saving,
// discarding or staying on switching, the save confirmation, failures and
// conflicts told through the host, the panels' menus and toolbar, German
// texts) and the custom actions panel.

#include "ConsoleWindow.h"

#include "ConsoleText.h"
#include "CustomActionsPanel.h"
#include "CustomFieldsTab.h"
#include "HeadlessHost.h"
#include "JobOptionsTab.h"
#include "LimitsTab.h"
#include "PriceProfilesPanel.h"
#include "PrinterProfilesPanel.h"
#include "common/Language.h"
#include "common/ModuleState.h"
#include "contract/RulePriority.h"
#include "dialogs/frmIdiotBox.h"
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "editors/limits/StoredLimits.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Grid.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/registry/Registry.h"
#include "platform/resources/LoadString.h"
#include "platform/vb/Conversions.h"
#include "qm6data/OpenStore.h"
#include "qm6data/SampleScript.h"
#include "qm6data/testing/RecordingConnection.h"
#include "registry/clsRegistry.h"
#include "support/TestServer.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;
using forms::vbChecked;

constexpr int kBareProfileRow = 3; // "Lab plotter", id 4, no job option rules
constexpr int32_t kBareProfileId = 4;

PrinterProfilesPanel& Profiles(const ConsoleWindow& window) {
    return window.PrinterProfiles();
}

ctlJobOptions& JobOptions(const ConsoleWindow& window) {
    return dynamic_cast<JobOptionsTab&>(window.PrinterProfiles().Tab(0)).Editor();
}

// The panel's button on the toolbar by its menu's id, or nullptr.
QAction* ToolbarButton(const ConsoleWindow& window, const QString& id) {
    for (QAction* action : window.ToolBar()->actions())
        if (action->objectName() == id)
            return action;
    return nullptr;
}

// A menu's entry by the id it hands to the panel.
QAction* Entry(QMenu* menu, const QString& id) {
    for (QAction* action : menu ? menu->actions() : QList<QAction*>())
        if (action->data().toString() == id)
            return action;
    ADD_FAILURE() << "no entry " << id.toStdString();
    return nullptr;
}

class ConsoleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CloseThreadConnections();
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        file_ = dir_.Path() / "console.qm6db";
        if (test::TestServer().empty()) {
            fs::copy_file(QM6_SAMPLE_DATABASE, file_);
            location_ = file_.string();
        } else {
            // The sample on the run's server, as "qm6 data init --sample"
            // lays it out.
            server_.emplace();
            location_ = server_->Location();
            std::shared_ptr<data::StoreConnection> store;
            ASSERT_EQ(data::OpenStore(location_, store, data::OpenOptions{true}), nullptr);
            ASSERT_EQ(store->ExecuteScript(data::SampleScript()), nullptr);
        }
        store_ = Open();
        // The user chose long ago not to confirm saves; the test of the
        // confirmation takes the choice away.
        ASSERT_TRUE(
            ConsoleKey().SetCreateValue(ConsoleWindow::kConfirmSaveValue, vb::Variant("0"), false));
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
        ReloadConsoleText();
        vb::ResetNumberChars();
        reg::CloseThreadConnections();
    }
    clsRegistry ConsoleKey() const {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(ConsoleWindow::kSettingsKey);
        key.ValueType(reg::REG_SZ);
        return key;
    }
    void ForgetConfirmSave() {
        clsRegistry key = ConsoleKey();
        key.ValueKey(ConsoleWindow::kConfirmSaveValue);
        ASSERT_TRUE(key.DeleteValue());
    }
    // The stored choice as text, or "(missing)".
    std::string ConfirmSave() {
        clsRegistry key = ConsoleKey();
        return vb::CStr(
            key.GetValueOrDefault(ConsoleWindow::kConfirmSaveValue, vb::Variant("(missing)")));
    }
    std::shared_ptr<data::StoreConnection> Open() const {
        std::shared_ptr<data::StoreConnection> store;
        EXPECT_EQ(data::OpenStore(location_, store), nullptr);
        return store;
    }
    // The job option rules of a printer profile, read anew: their types.
    std::set<int32_t> Stored(int32_t profileId = kBareProfileId) const {
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(Open()->LoadJobOptionRules(rules, data::RulePriorityPrinterProfile, profileId),
                  nullptr);
        std::set<int32_t> types;
        for (int32_t i = 1; rules && i <= rules->Count(); ++i)
            types.insert(data::ItemAs<data::JobOptionRule>(*rules, i)->OptionType());
        return types;
    }
    // Shows the profile without rules and ticks one of its job option boxes.
    static void EditBare(ConsoleWindow& window, bool duplex = true) {
        ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
        ctlJobOptions& editor = JobOptions(window);
        forms::input::Click(duplex ? editor.chkForceDuplex() : editor.chkForceNUp());
    }

    test::TempDir dir_;
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    fs::path file_;
    std::optional<test::ServerDatabase> server_;
    std::string location_;
    std::shared_ptr<data::StoreConnection> store_;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
};

// Every page of the profile is saved by the panel's button, each as the
// profile's own rule; a save that fails is told and keeps the change mark,
// and the same edits save once the store recovers.
TEST_F(ConsoleWindowTest, EditsSavedThroughTheEditorAreInTheDatabaseWhenReopened) {
    auto recorder = std::make_shared<data::testing::RecordingConnection>(store_);
    {
        ConsoleWindow window(recorder);
        window.show();
        ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
        forms::input::Click(JobOptions(window).chkForceDuplex());
        forms::input::Choose(JobOptions(window).cmbColor(), 2);
        forms::input::Click(
            dynamic_cast<CustomFieldsTab&>(Profiles(window).Tab(3)).Editor().chkOverride());

        recorder->FailCall("SaveJobOptionRule", 8, "attempt to write a readonly database");
        Profiles(window).SaveButton()->click();
        ASSERT_EQ(host_.Boxes().size(), 1u);
        EXPECT_TRUE(window.windowTitle().startsWith('*'));

        recorder->ClearFailures();
        Profiles(window).SaveButton()->click();
        EXPECT_FALSE(window.windowTitle().startsWith('*'));
    }
    recorder.reset();
    store_.reset();
    EXPECT_EQ(Stored(), (std::set<int32_t>{0, 2, 5}));
    EXPECT_EQ(host_.Boxes().size(), 1u);
}

// The limits page checks before it saves: ignoring all limits asks first.
TEST_F(ConsoleWindowTest, IgnoringAllLimitsOnTheLimitsPageAsksBeforeTheRuleIsStored) {
    ConsoleWindow window(store_);
    window.show();
    ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
    Profiles(window).Tabs()->setCurrentIndex(1);
    ctlPrintingLimits& limits = dynamic_cast<LimitsTab&>(Profiles(window).Tab(1)).Editor();
    forms::input::Click(limits.chkIgnoreAll());
    EXPECT_TRUE(window.windowTitle().startsWith('*'));
    for (const auto& [answer, stored] : {std::pair{7, std::vector<std::string>{}}, {6, {"rule"}}}) {
        host_.QueueAnswer(answer);
        Profiles(window).SaveButton()->click();
        EXPECT_EQ(host_.Boxes().back().text, LangString(611, "printer profile"));
        EXPECT_EQ(test::StoredLimits(*Open(), kBareProfileId), stored);
    }
}

TEST_F(ConsoleWindowTest, EveryIdTheLibraryUsesHasATextInTheBuiltEnglishStringLibrary) {
    res::LoadResult loaded = res::ResourceLibrary::Load(QM6_ENGLISH_STRINGS);
    ASSERT_TRUE(loaded) << "error " << loaded.error;
    for (auto [first, last] :
         {std::pair{2u, 6u}, {200u, 214u}, {300u, 304u}, {400u, 407u}, {500u, 517u}, {600u, 611u}})
        for (uint32_t id = first; id <= last; ++id)
            EXPECT_FALSE(res::LoadString(*loaded.library, id, 512, 1252).text.empty())
                << "string " << id;
}

// Switching to another profile or panel, or closing the window: Yes saves,
// No drops the change, Cancel stays where the window was.
TEST_F(ConsoleWindowTest, SwitchingOrClosingWithUnsavedChangesAsksToSaveDiscardOrStay) {
    enum Move { kProfile, kPanel, kClose };
    struct Case {
        int answer; // Yes, No, Cancel
        Move move;
        bool moved;
        std::set<int32_t> stored;
    };
    const std::vector<Case> cases{
        {6, kProfile, true, {2}}, {7, kProfile, true, {}}, {2, kProfile, false, {}},
        {6, kPanel, true, {2}},   {7, kPanel, true, {}},   {2, kPanel, false, {}},
        {2, kClose, false, {}},   {6, kClose, true, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("answer " + std::to_string(c.answer) + " move " + std::to_string(c.move));
        fs::copy_file(QM6_SAMPLE_DATABASE, file_, fs::copy_options::overwrite_existing);
        ConsoleWindow window(Open());
        window.show();
        EditBare(window);
        host_.QueueAnswer(c.answer);
        // The list shows where the window is, also when it stayed.
        if (c.move == kClose) {
            EXPECT_EQ(window.close(), c.moved);
        } else if (c.move == kPanel) {
            window.Navigation()->setCurrentRow(1); // as a click does
            EXPECT_EQ(std::pair(window.CurrentPanel(), window.Navigation()->currentRow()),
                      std::pair(int(c.moved), int(c.moved)));
        } else {
            Profiles(window).List()->setCurrentRow(0);
            const int row = c.moved ? 0 : kBareProfileRow;
            EXPECT_EQ(
                std::pair(Profiles(window).CurrentRow(), Profiles(window).List()->currentRow()),
                std::pair(row, row));
        }
        EXPECT_EQ(host_.Boxes().back().text, "Save the changes to Lab plotter?");
        EXPECT_EQ(Profiles(window).HasChanges(), !c.moved);
        EXPECT_EQ(Stored(), c.stored);
    }
}

// The box is checked when it comes; while it stays checked each run asks
// once, and Cancel cancels the save.
TEST_F(ConsoleWindowTest, FirstSaveOfARunIsConfirmedUntilTheUserClearsTheBox) {
    ForgetConfirmSave();
    int shown = 0;
    const auto answer = [&](bool clear, bool ok) {
        host_.QueueModal([&shown, clear, ok](forms::Form& form) {
            auto& box = dynamic_cast<frmIdiotBox&>(form);
            ++shown;
            EXPECT_EQ(box.chkDoNotShow().Value(), vbChecked);
            if (clear)
                forms::input::Click(box.chkDoNotShow());
            forms::input::Click(ok ? box.cmdOK() : box.cmdCancel());
        });
    };
    {
        ConsoleWindow window(store_);
        window.show();
        EditBare(window);
        answer(true, false);
        EXPECT_NE(Profiles(window).Save(), nullptr);
        EXPECT_EQ(Stored(), std::set<int32_t>{});
        EXPECT_EQ(ConfirmSave(), "(missing)");
        answer(false, true);
        EXPECT_EQ(Profiles(window).Save(), nullptr);
        EditBare(window, false);
        EXPECT_EQ(Profiles(window).Save(), nullptr);
        EXPECT_EQ(shown, 2);
    }
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        ConsoleWindow window(store_);
        EditBare(window);
        if (run == 0)
            answer(true, true);
        EXPECT_EQ(Profiles(window).Save(), nullptr);
        EXPECT_EQ(shown, 3);
        EXPECT_EQ(ConfirmSave(), "0");
    }
    EXPECT_EQ(Stored(), (std::set<int32_t>{2, 3}));
}

TEST_F(ConsoleWindowTest,
       OfTwoConsolesSavingTheSameProfileTheSecondIsToldToReloadAndWritesNothing) {
    ConsoleWindow first(Open()), second(Open());
    ASSERT_TRUE(Profiles(first).ShowProfile(kBareProfileRow) &&
                Profiles(second).ShowProfile(kBareProfileRow));
    forms::input::Click(JobOptions(first).chkForceDuplex());
    ASSERT_EQ(Profiles(first).Save(), nullptr);

    forms::input::Choose(JobOptions(second).cmbColor(), 1);
    EXPECT_NE(Profiles(second).Save(), nullptr);
    // The console's own words, then what the store said.
    EXPECT_EQ(
        host_.Boxes().back().text.rfind(
            "The Job options page of Lab plotter was not saved: another console changed them "
            "after they were loaded here, so they were not written. Press Revert to load them "
            "again (the changes on the page are dropped), then make your changes again and "
            "save.\n\nDetail: the job option rules of rule priority 2, parent 4 were changed",
            0),
        0u)
        << host_.Boxes().back().text;
    EXPECT_EQ(Stored(), (std::set<int32_t>{2}));

    Profiles(second).Revert();
    forms::input::Choose(JobOptions(second).cmbColor(), 1);
    EXPECT_EQ(Profiles(second).Save(), nullptr);
    EXPECT_EQ(Stored(), (std::set<int32_t>{1, 2}));
}

TEST_F(ConsoleWindowTest, WithoutADisplayNothingWaitsAndNothingUnseenIsConfirmed) {
    const fs::path told = dir_.Path() / "told.txt";
    std::FILE* out = std::fopen(told.c_str(), "w");
    HeadlessHost headless(out);
    forms::ScopedHost scoped(headless);
    // Cancel, else No, else OK (else Abort), by button style; stop icons are failures.
    for (const auto& [style, answer] :
         std::vector<std::pair<int, int>>{{0, 1}, {2, 3}, {3 + 48, 2}, {4 + 16, 7}})
        EXPECT_EQ(headless.MsgBox("text", style, "Title"), answer) << style;
    EXPECT_EQ(headless.Failures(), 1);

    // The save confirmation is a window no one can answer: closed, nothing saved.
    ForgetConfirmSave();
    ConsoleWindow window(store_);
    EditBare(window);
    EXPECT_NE(Profiles(window).Save(), nullptr);
    EXPECT_EQ(Stored(), std::set<int32_t>{});

    std::fclose(out);
    const std::string written = test::ReadFile(told);
    EXPECT_EQ(written.rfind("Title: text\n[no display: the box answered OK]\n", 0), 0u) << written;
    EXPECT_NE(written.find("\nSaving writes the changes on this page"), std::string::npos);
}

TEST_F(ConsoleWindowTest, TheMenusAndToolbarAreThoseOfTheChosenPanelAndUnhandledCommandsAreGrey) {
    ConsoleWindow window(store_);
    window.show();
    ASSERT_EQ(window.Navigation()->count(), 3);
    struct Expected {
        QStringList menus, tools; // the panel's own buttons on the toolbar
        std::set<int32_t> enabled;
    };
    const Expected panels[] = {
        {{"&File", "&Edit", "&View", "Printer profile"}, {}, {qmaSave, qmaRefresh}},
        // The price profiles' own menu asks for the toolbar only, the add menu for both.
        {{"&File", "&Edit", "&View", "Add"},
         {"priceprofile", "add"},
         {qmaNew, qmaEdit, qmaSave, qmaRefresh}},
    };
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(window.ShowPanel(index));
        const Expected& e = panels[index];
        QStringList menus, tools;
        for (QAction* action : window.menuBar()->actions())
            menus << action->text();
        EXPECT_EQ(menus, e.menus);
        for (QAction* action : window.ToolBar()->actions())
            if (!action->objectName().isEmpty() && !action->objectName().startsWith("command"))
                tools << action->objectName();
        EXPECT_EQ(tools, e.tools);
        for (int32_t n = qmaNew; n <= qmaExport; ++n)
            EXPECT_EQ(window.Command(static_cast<QMAdminActions>(n))->isEnabled(),
                      e.enabled.count(n) > 0)
                << n;
    }
}

TEST_F(ConsoleWindowTest, CommandsAndMenuEntriesReachTheChosenPanelByTheirIds) {
    ConsoleWindow window(store_);
    window.show();
    // The printer profiles' own menu on the menu bar.
    Entry(window.menuBar()->actions().back()->menu(), "next")->trigger();
    EXPECT_EQ(Profiles(window).CurrentRow(), 1);

    ASSERT_TRUE(window.ShowPanel(1));
    PriceProfilesPanel& prices = window.PriceProfiles();

    // The add button adds its current entry; Save stores it.
    ToolbarButton(window, "add")->trigger();
    ASSERT_EQ(prices.ProfileCount(), 4);
    EXPECT_TRUE(window.windowTitle().startsWith("*New price profile - Price Profiles - "));
    prices.DescriptionBox()->setText("  Night shift ");
    window.Command(qmaSave)->trigger();
    std::shared_ptr<data::PriceProfile> stored;
    ASSERT_EQ(Open()->LoadPriceProfile(stored, prices.ProfileId(3)), nullptr);
    EXPECT_EQ(stored->Description(), "Night shift");

    // Duplicate, from the panel's menu on the toolbar; Refresh asks about the
    // copy, and No drops it.
    Entry(ToolbarButton(window, "priceprofile")->menu(), "duplicate")->trigger();
    ASSERT_EQ(prices.ProfileCount(), 5);
    EXPECT_EQ(prices.DescriptionBox()->text(), "Night shift (copy)");
    host_.QueueAnswer(7);
    window.Command(qmaRefresh)->trigger();
    EXPECT_EQ(prices.ProfileCount(), 4);
    EXPECT_FALSE(prices.HasChanges());
    EXPECT_EQ(host_.Boxes().size(), 1u);
}

TEST_F(ConsoleWindowTest, ASaveInOnePanelReachesTheOtherThroughANotification) {
    ConsoleWindow window(store_);
    window.show();
    // The first printer profile, Front desk laser, is priced by profile 1.
    ASSERT_TRUE(window.ShowPanel(1));
    PriceProfilesPanel& prices = window.PriceProfiles();
    EXPECT_EQ(prices.UsedByLabel()->text(), "Front desk laser");
    prices.DescriptionBox()->setText("Standard A4");
    window.Command(qmaSave)->trigger();
    EXPECT_EQ(Profiles(window).PriceProfileLabel()->text(), "Price profile: Standard A4");

    // Another console changes the price profile; a save of the printer
    // profile tells the price profiles panel, which shows what is stored now.
    {
        auto other = Open();
        std::shared_ptr<data::PriceProfile> profile;
        ASSERT_EQ(other->LoadPriceProfile(profile, 1), nullptr);
        profile->SetBWCost(vb::Currency::FromScaled(2500));
        ASSERT_EQ(profile->Save(*other), nullptr);
    }
    EXPECT_EQ(prices.BWCostLabel()->text(), "$0.10");
    ASSERT_TRUE(window.ShowPanel(0));
    forms::input::Click(JobOptions(window).chkForceNUp());
    window.Command(qmaSave)->trigger();
    EXPECT_EQ(prices.BWCostLabel()->text(), "$0.25");
}

TEST_F(ConsoleWindowTest, UnderGermanTheWholeConsoleIsGermanWithGermanNumbers) {
    {
        std::shared_ptr<data::PriceProfile> profile;
        ASSERT_EQ(store_->LoadPriceProfile(profile, 1), nullptr);
        profile->SetBWCost(vb::Currency::FromScaled(12345600)); // 1234.56
        ASSERT_EQ(profile->Save(*store_), nullptr);
    }
    test::ScopedEnv german("LC_ALL", "de_DE.UTF-8");
    ResetModuleState();
    ReloadConsoleText();
    vb::ResetNumberChars();

    ConsoleWindow window(store_);
    window.show();
    forms::input::Click(JobOptions(window).chkForceDuplex());
    host_.QueueAnswer(7);
    ASSERT_TRUE(window.ShowPanel(1));
    EXPECT_EQ(host_.Boxes().back().text, "Änderungen an Front desk laser speichern?");
    // The stored money format keeps its own symbol; the separators are German.
    EXPECT_EQ(window.PriceProfiles().BWCostLabel()->text(), "$1.234,56");
}

TEST_F(ConsoleWindowTest, CustomActionsAreListedTheirFieldListsEditedAndShownAgainOnReopening) {
    constexpr int kCourseAndClient = 2; // stores 4,3
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_TRUE(window.ShowPanel(2));
        CustomActionsPanel& actions = window.CustomActions();
        ASSERT_TRUE(actions.ShowProfile(3)); // of another kind: no list to edit
        EXPECT_FALSE(actions.SaveButton()->isEnabled() || actions.Chooser().Enabled());
        ASSERT_TRUE(actions.ShowProfile(kCourseAndClient));
        forms::input::ClickCell(actions.Chooser().grdCustomFields(), 2,
                                2); // Department/Cost centre
        actions.SaveButton()->click();
    }
    ConsoleWindow again(Open());
    ASSERT_TRUE(again.ShowPanel(2));
    ASSERT_TRUE(again.CustomActions().ShowProfile(kCourseAndClient));
    EXPECT_EQ(again.CustomActions().Chooser().SelectedCustomFields(), "2,5,3,4");
    EXPECT_TRUE(host_.Boxes().empty());
}

} // namespace
} // namespace qm6::console
