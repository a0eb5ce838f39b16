// The console's window over a copy of the sample database, driven as a user
// drives it: editing a printer profile's pages and the custom actions, saving and reopening, the
// title's change mark, failures shown through the host, the texts of the
// built string libraries, and the save confirmation that can be told not to
// appear again.

#include "ConsoleWindow.h"
#include "CustomActionsPanel.h"
#include "CustomFieldsTab.h"
#include "HeadlessHost.h"
#include "JobOptionsTab.h"
#include "LimitsTab.h"
#include "ConsoleText.h"
#include "PriceProfilesPanel.h"
#include "PrinterProfilesPanel.h"

#include "support/TestSupport.h"
#include "common/Language.h"
#include "common/ModuleState.h"
#include "common/QM6AdminCommonGlobal.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/registry/Registry.h"
#include "platform/vb/Conversions.h"
#include "registry/clsRegistry.h"
#include "contract/RulePriority.h"
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "editors/limits/StoredLimits.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "editors/limits/frmLimit.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/Label.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/resources/LoadString.h"
#include "qm6data/OpenStore.h"
#include "qm6data/SampleScript.h"
#include "support/TestServer.h"
#include "qm6data/testing/RecordingConnection.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;
using forms::vbChecked;
using forms::vbUnchecked;

constexpr int kBareProfileRow = 3; // "Lab plotter", id 4, no job option rules

PrinterProfilesPanel& Profiles(const ConsoleWindow& window) {
    return window.PrinterProfiles();
}

ctlJobOptions& JobOptions(const ConsoleWindow& window) {
    return dynamic_cast<JobOptionsTab&>(window.PrinterProfiles().Tab(0)).Editor();
}

ctlCustomFieldChooser& CustomFields(const ConsoleWindow& window) {
    return dynamic_cast<CustomFieldsTab&>(window.PrinterProfiles().Tab(3)).Editor();
}

QStringList MenuTitles(const ConsoleWindow& window) {
    QStringList titles;
    for (QAction* action : window.menuBar()->actions())
        titles << action->text();
    return titles;
}

// The panel's button on the toolbar by its menu's id, or nullptr.
QAction* ToolbarButton(const ConsoleWindow& window, const QString& id) {
    for (QAction* action : window.ToolBar()->actions())
        if (action->objectName() == id)
            return action;
    return nullptr;
}

// The panel's menu on the menu bar by its id, or nullptr.
QMenu* MenubarMenu(const ConsoleWindow& window, const QString& id) {
    for (QAction* action : window.menuBar()->actions())
        if (action->menu() && action->menu()->objectName() == id)
            return action->menu();
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
        // confirmation clears this.
        StoreConfirmSave("0");
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
    void StoreConfirmSave(const std::string& text) {
        ASSERT_TRUE(ConsoleKey().SetCreateValue(ConsoleWindow::kConfirmSaveValue, vb::Variant(text), false));
    }
    void ForgetConfirmSave() {
        clsRegistry key = ConsoleKey();
        key.ValueKey(ConsoleWindow::kConfirmSaveValue);
        ASSERT_TRUE(key.DeleteValue());
    }
    // The stored choice as text, or "(missing)".
    std::string ConfirmSave() {
        clsRegistry key = ConsoleKey();
        return vb::CStr(key.GetValueOrDefault(ConsoleWindow::kConfirmSaveValue, vb::Variant("(missing)")));
    }
    std::shared_ptr<data::StoreConnection> Open() const {
        std::shared_ptr<data::StoreConnection> store;
        EXPECT_EQ(data::OpenStore(location_, store), nullptr);
        return store;
    }
    // Job option types 0 to 3 stored for a printer profile, read anew from the file.
    std::set<int32_t> Stored(int32_t profileId) const {
        auto store = Open();
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(store->LoadJobOptionRules(rules, data::RulePriorityPrinterProfile, profileId), nullptr);
        std::set<int32_t> types;
        for (int32_t i = 1; rules && i <= rules->Count(); ++i) {
            const int32_t type =
                std::dynamic_pointer_cast<data::JobOptionRule>(rules->Item(i).AsObject())->OptionType();
            if (type < 4)
                types.insert(type);
        }
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

TEST_F(ConsoleWindowTest, EditsSavedThroughTheEditorAreInTheDatabaseWhenReopened) {
    int32_t profileId = 0;
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_EQ(Profiles(window).ProfileCount(), 4);
        ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
        profileId = Profiles(window).Profile(kBareProfileRow).id;
        EXPECT_FALSE(Profiles(window).HasChanges());
        EXPECT_FALSE(window.windowTitle().startsWith('*'));

        ctlJobOptions& editor = JobOptions(window);
        forms::input::Click(editor.chkForceDuplex());
        forms::input::Choose(editor.cmbColor(), 2);
        EXPECT_TRUE(Profiles(window).HasChanges());
        EXPECT_TRUE(window.windowTitle().startsWith('*'));

        Profiles(window).SaveButton()->click();
        EXPECT_EQ(Profiles(window).LastStatus(), nullptr);
        EXPECT_FALSE(Profiles(window).HasChanges());
        EXPECT_FALSE(window.windowTitle().startsWith('*'));
    }
    store_.reset();
    EXPECT_EQ(Stored(profileId), (std::set<int32_t>{0, 2}));

    // A console on the reopened file shows what was stored, unchanged.
    ConsoleWindow again(Open());
    ASSERT_TRUE(Profiles(again).ShowProfile(kBareProfileRow));
    EXPECT_EQ(JobOptions(again).cmbColor().ItemData(JobOptions(again).cmbColor().ListIndex()), 2);
    EXPECT_EQ(JobOptions(again).chkForceDuplex().Value(), vbChecked);
    EXPECT_FALSE(Profiles(again).HasChanges());
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(ConsoleWindowTest, ALimitAddedThroughTheLimitsPageIsStoredAndIgnoringAllAsksFirst) {
    namespace input = forms::input;
    ConsoleWindow window(store_);
    window.show();
    ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
    Profiles(window).Tabs()->setCurrentIndex(1);
    EXPECT_EQ(Profiles(window).Tabs()->tabText(1), "Limits");
    host_.QueueModal([](forms::Form& form) {
        auto& d = dynamic_cast<frmLimit&>(form);
        input::Choose(d.cmbType(), 3); // cost per day
        input::Type(d.txtLimit(), "12.3456");
        input::Click(d.chkStopJob());
        input::Type(d.txtTitle(), "Budget");
        input::Type(d.txtMessage(), "Spent enough today.");
        input::Click(d.cmdSave());
    });
    ctlPrintingLimits& limits = dynamic_cast<LimitsTab&>(Profiles(window).Tab(1)).Editor();
    input::Click(limits.cmdAdd());
    EXPECT_TRUE(window.windowTitle().startsWith('*'));
    Profiles(window).SaveButton()->click();
    EXPECT_EQ(Profiles(window).LastStatus(), nullptr);
    EXPECT_EQ(test::StoredLimits(*Open(), 4), std::vector<std::string>{"4 12.3456 Budget Spen 1"});

    // The page checks before it saves: ignoring all limits asks first.
    input::Click(limits.chkIgnoreAll());
    host_.QueueAnswer(7); // No
    Profiles(window).SaveButton()->click();
    EXPECT_EQ(host_.Boxes().back().text, LangString(611, "printer profile"));
    EXPECT_EQ(test::StoredLimits(*Open(), 4), std::vector<std::string>{"4 12.3456 Budget Spen 1"});
}

TEST_F(ConsoleWindowTest, EveryIdTheLibraryUsesHasATextInTheBuiltEnglishStringLibrary) {
    res::LoadResult loaded = res::ResourceLibrary::Load(QM6_ENGLISH_STRINGS);
    ASSERT_TRUE(loaded) << "error " << loaded.error;
    for (auto [first, last] : {std::pair{2u, 6u}, {200u, 214u}, {300u, 304u}, {400u, 407u},
                               {500u, 517u}, {600u, 611u}})
        for (uint32_t id = first; id <= last; ++id)
            EXPECT_FALSE(res::LoadString(*loaded.library, id, 512, 1252).text.empty()) << "string " << id;
}

TEST_F(ConsoleWindowTest, AFailedSaveIsShownAndKeepsTheChangeMark) {
    auto recorder = std::make_shared<data::testing::RecordingConnection>(store_);
    ConsoleWindow window(recorder);
    window.show();
    EditBare(window, false);
    recorder->FailCall("SaveJobOptionRule", 8, "attempt to write a readonly database");
    host_.QueueAnswer(1);

    EXPECT_FALSE((Profiles(window).Save() == nullptr));
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_NE(host_.Boxes()[0].text.find("attempt to write a readonly database"), std::string::npos);
    EXPECT_EQ(host_.Boxes()[0].title, QM6AdminCommonGlobal().ProductName());
    EXPECT_TRUE(window.windowTitle().endsWith(" - " + QString::fromStdString(QM6AdminCommonGlobal().ProductName())));
    EXPECT_TRUE(window.windowTitle().startsWith('*'));

    // Once the store recovers the same edit is saved.
    recorder->ClearFailures();
    EXPECT_TRUE((Profiles(window).Save() == nullptr));
    EXPECT_EQ(Stored(Profiles(window).Profile(kBareProfileRow).id), (std::set<int32_t>{3}));
}

TEST_F(ConsoleWindowTest, SwitchingWithUnsavedChangesAsksToSaveDiscardOrStay) {
    struct Case {
        int answer; // Yes, No, Cancel
        bool panel; // switch to the price profiles panel, else to the first profile
        bool switched;
        std::set<int32_t> stored;
    };
    const std::vector<Case> cases{
        {6, false, true, {2}}, {7, false, true, {}}, {2, false, false, {}},
        {6, true, true, {2}},  {7, true, true, {}},  {2, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("answer " + std::to_string(c.answer) + (c.panel ? " switching panels" : " switching profiles"));
        fs::copy_file(QM6_SAMPLE_DATABASE, file_, fs::copy_options::overwrite_existing);
        ConsoleWindow window(Open());
        window.show();
        EditBare(window);
        ASSERT_TRUE(window.windowTitle().startsWith("*Lab plotter - "));
        const size_t boxes = host_.Boxes().size();
        host_.QueueAnswer(c.answer);
        if (c.panel)
            window.Navigation()->setCurrentRow(1); // as a click does
        else
            Profiles(window).List()->setCurrentRow(0);
        ASSERT_EQ(host_.Boxes().size(), boxes + 1);
        EXPECT_EQ(host_.Boxes().back().text, "Save the changes to Lab plotter?");
        EXPECT_EQ(c.panel ? window.CurrentPanel() == 1 : Profiles(window).CurrentRow() == 0, c.switched);
        EXPECT_EQ(c.panel ? window.Navigation()->currentRow() : Profiles(window).List()->currentRow(),
                  c.switched ? (c.panel ? 1 : 0) : (c.panel ? 0 : kBareProfileRow));
        EXPECT_EQ(Profiles(window).HasChanges(), !c.switched);
        EXPECT_EQ(Stored(4), c.stored);
    }
}

TEST_F(ConsoleWindowTest, ClosingWithUnsavedChangesAsksFirstAndCancelKeepsTheWindow) {
    ConsoleWindow window(store_);
    window.show();
    EditBare(window, false);
    host_.QueueAnswer(2);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    host_.QueueAnswer(6);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(Stored(4), (std::set<int32_t>{3}));
}

TEST_F(ConsoleWindowTest, FirstSaveOfARunIsConfirmedUntilTheUserClearsTheBox) {
    ForgetConfirmSave();
    ASSERT_EQ(ConfirmSave(), "(missing)");
    int shown = 0;
    // The box as the user meets it: checked, with Cancel; the script then acts.
    auto queueBox = [&](std::function<void(frmIdiotBox&)> act) {
        host_.QueueModal([this, &shown, act](forms::Form& form) {
            auto& box = dynamic_cast<frmIdiotBox&>(form);
            ++shown;
            EXPECT_EQ(box.Caption(), QM6AdminCommonGlobal().ProductName());
            EXPECT_NE(box.lblMesg().Caption().find("Press OK to save"), std::string::npos);
            EXPECT_EQ(box.chkDoNotShow().Value(), vbChecked);
            act(box);
        });
    };
    const int32_t profileId = 4;
    {
        ConsoleWindow window(store_);
        window.show();
        EditBare(window);
        ASSERT_EQ(Profiles(window).Profile(kBareProfileRow).id, profileId);

        // The user clears the box and presses OK: saved.
        queueBox([](frmIdiotBox& box) {
            forms::input::Click(box.chkDoNotShow());
            forms::input::Click(box.cmdOK());
        });
        Profiles(window).SaveButton()->click();
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(Profiles(window).HasChanges());
        EXPECT_EQ(Stored(profileId), (std::set<int32_t>{2}));
        EXPECT_EQ(ConfirmSave(), "0");

        // Later saves of the same run are not asked about.
        forms::input::Click(JobOptions(window).chkForceNUp());
        EXPECT_TRUE((Profiles(window).Save() == nullptr));
        EXPECT_EQ(shown, 1);
    }
    // A new run over the same hive does not ask either.
    store_.reset();
    ConsoleWindow again(Open());
    again.show();
    EditBare(again);
    EXPECT_TRUE((Profiles(again).Save() == nullptr));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(host_.PendingModals(), 0u);
    EXPECT_EQ(host_.UnscriptedModals(), 0);
    EXPECT_EQ(Stored(profileId), (std::set<int32_t>{3}));
}

TEST_F(ConsoleWindowTest, CancelInTheBoxCancelsTheSaveAndACheckedBoxAsksAgainNextRun) {
    ForgetConfirmSave();
    int shown = 0;
    for (int run = 0; run < 2; ++run) {
        ConsoleWindow window(store_);
        window.show();
        EditBare(window);
        if (run == 0) {
            // Cancel, even with the box cleared: no save, no choice stored.
            host_.QueueModal([&](forms::Form& form) {
                ++shown;
                auto& box = dynamic_cast<frmIdiotBox&>(form);
                forms::input::Click(box.chkDoNotShow());
                forms::input::Click(box.cmdCancel());
            });
            EXPECT_FALSE((Profiles(window).Save() == nullptr));
            EXPECT_TRUE(Profiles(window).HasChanges());
            EXPECT_TRUE(Stored(Profiles(window).Profile(kBareProfileRow).id).empty());
            EXPECT_EQ(ConfirmSave(), "(missing)");
        }
        host_.QueueModal([&](forms::Form& form) {
            ++shown;
            forms::input::Click(dynamic_cast<frmIdiotBox&>(form).cmdOK());
        });
        EXPECT_TRUE((Profiles(window).Save() == nullptr));
        EXPECT_EQ(shown, run == 0 ? 2 : 3);
        EXPECT_EQ(ConfirmSave(), "-1");
    }
}

TEST_F(ConsoleWindowTest, AFailedLoadShowsNoRuleAndThePageSavesNothingUntilALoadSucceeds) {
    auto recorder = std::make_shared<data::testing::RecordingConnection>(store_);
    ConsoleWindow window(recorder); // shows the first profile: rules of types 1 and 2
    // The job options page reads the rules first; the limits page after it loads.
    recorder->FailCall("LoadJobOptionRules", 11, "database disk image is malformed", 1);
    ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].text,
              "The Job options page of Lab plotter could not be loaded: the database file is damaged. "
              "Restore it from a backup. The page shows no rules and cannot be saved until they "
              "load; press Revert to try again.\n\nDetail: database disk image is malformed (code 11)");
    EXPECT_FALSE(Profiles(window).SaveButton()->isEnabled() || JobOptions(window).Enabled());
    EXPECT_EQ(JobOptions(window).chkForceDuplex().Value(), vbUnchecked);
    JobOptions(window).chkForceNUp().Value(vbChecked);
    EXPECT_FALSE((Profiles(window).Save() == nullptr));
    EXPECT_EQ(recorder->CallCount("SaveJobOptionRule"), 0);
    EXPECT_EQ(window.Failures(), 2);

    recorder->ClearFailures();
    Profiles(window).RevertButton()->click();
    JobOptions(window).chkForceNUp().Value(vbChecked);
    EXPECT_TRUE((Profiles(window).Save() == nullptr));
    EXPECT_EQ(Stored(Profiles(window).Profile(kBareProfileRow).id), (std::set<int32_t>{3}));
}

TEST_F(ConsoleWindowTest, OfTwoConsolesSavingTheSameProfileTheSecondIsToldToReloadAndWritesNothing) {
    struct Case {
        int row;
        int32_t firstColor, secondColor; // colour entries chosen; -1 for duplex on instead
        std::set<int32_t> afterFirst, afterRetry;
        std::string detail;
    };
    const std::vector<Case> cases{
        {kBareProfileRow, -1, 1, {2}, {1, 2},
         "the job option rules of rule priority 2, parent 4 were changed by another connection"},
        {0, 0, 2, {2}, {0, 2}, "job option rule 1 was deleted by another connection"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        ConsoleWindow first(Open()), second(Open());
        ASSERT_TRUE(Profiles(first).ShowProfile(c.row) && Profiles(second).ShowProfile(c.row));
        const int32_t id = Profiles(first).Profile(c.row).id;
        if (c.firstColor < 0)
            forms::input::Click(JobOptions(first).chkForceDuplex());
        else
            forms::input::Choose(JobOptions(first).cmbColor(), c.firstColor);
        ASSERT_TRUE((Profiles(first).Save() == nullptr));
        ASSERT_EQ(Stored(id), c.afterFirst);

        forms::input::Choose(JobOptions(second).cmbColor(), c.secondColor);
        EXPECT_FALSE((Profiles(second).Save() == nullptr));
        EXPECT_EQ(host_.Boxes().back().text.rfind(
                      "The Job options page of " + Profiles(second).Profile(c.row).name +
                          " was not saved: another console changed them after they were loaded here, so "
                          "they were not written. Press Revert",
                      0),
                  0u)
            << host_.Boxes().back().text;
        EXPECT_NE(host_.Boxes().back().text.find("\n\nDetail: " + c.detail), std::string::npos);
        EXPECT_EQ(Stored(id), c.afterFirst);

        Profiles(second).Revert();
        forms::input::Choose(JobOptions(second).cmbColor(), c.secondColor);
        EXPECT_TRUE((Profiles(second).Save() == nullptr));
        EXPECT_EQ(Stored(id), c.afterRetry);
    }
}

TEST_F(ConsoleWindowTest, WithoutADisplayNothingWaitsAndNothingUnseenIsConfirmed) {
    std::FILE* out = std::tmpfile();
    HeadlessHost headless(out);
    forms::ScopedHost scoped(headless);
    // Cancel, else No, else OK (else Abort), by button style; stop icons are failures.
    for (const auto& [style, answer] : std::vector<std::pair<int, int>>{{0, 1}, {2, 3}, {3 + 48, 2}, {4 + 16, 7}})
        EXPECT_EQ(headless.MsgBox("text", style, "Title"), answer) << style;
    EXPECT_EQ(headless.Failures(), 1);

    // The save confirmation is a window no one can answer: closed, nothing saved.
    ForgetConfirmSave();
    ConsoleWindow window(store_);
    EditBare(window);
    EXPECT_FALSE((Profiles(window).Save() == nullptr));
    EXPECT_TRUE(Stored(Profiles(window).Profile(kBareProfileRow).id).empty());

    std::string written(4096, '\0');
    std::rewind(out);
    written.resize(std::fread(written.data(), 1, written.size(), out));
    std::fclose(out);
    EXPECT_EQ(written.rfind("Title: text\n[no display: the box answered OK]\n", 0), 0u) << written;
    EXPECT_NE(written.find("\nSaving writes the changes on this page"), std::string::npos);
}

TEST_F(ConsoleWindowTest, TheMenusAndToolbarAreThoseOfTheChosenPanelAndUnhandledCommandsAreGrey) {
    ConsoleWindow window(store_);
    window.show();
    ASSERT_EQ(window.Navigation()->count(), 3);
    EXPECT_EQ(window.Navigation()->item(2)->text(), "Custom Actions");
    EXPECT_FALSE(window.Navigation()->item(0)->icon().isNull() || window.Navigation()->item(1)->icon().isNull());
    struct Expected {
        QStringList menus;
        std::vector<const char*> tools, noTools;
        std::vector<QMAdminActions> enabled;
    };
    const std::vector<Expected> panels{
        {{"&File", "&Edit", "&View", "Printer profile"}, {}, {"profile", "priceprofile", "add"}, {qmaSave, qmaRefresh}},
        // The price profiles' own menu asks for the toolbar only, the add menu for both.
        {{"&File", "&Edit", "&View", "Add"}, {"priceprofile", "add"}, {"profile"}, {qmaNew, qmaEdit, qmaSave, qmaRefresh}},
    };
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(window.ShowPanel(index));
        const Expected& e = panels[static_cast<size_t>(index)];
        EXPECT_EQ(MenuTitles(window), e.menus);
        for (const char* id : e.tools)
            EXPECT_NE(ToolbarButton(window, id), nullptr) << id;
        for (const char* id : e.noTools)
            EXPECT_EQ(ToolbarButton(window, id), nullptr) << id;
        for (int32_t n = qmaNew; n <= qmaExport; ++n) {
            const auto action = static_cast<QMAdminActions>(n);
            const bool handled = std::find(e.enabled.begin(), e.enabled.end(), action) != e.enabled.end();
            EXPECT_EQ(window.Command(action)->isEnabled(), handled) << window.Command(action)->text().toStdString();
        }
    }
    // The add button shows its current entry's picture and adds it.
    EXPECT_FALSE(ToolbarButton(window, "add")->icon().isNull());
    EXPECT_EQ(ToolbarButton(window, "add")->menu()->actions().size(), 1);
}

TEST_F(ConsoleWindowTest, CommandsAndMenuEntriesReachTheChosenPanelByTheirIds) {
    ConsoleWindow window(store_);
    window.show();
    // The printer profiles' own menu, entry by entry.
    Entry(MenubarMenu(window, "profile"), "next")->trigger();
    EXPECT_EQ(Profiles(window).CurrentRow(), 1);
    Entry(MenubarMenu(window, "profile"), "previous")->trigger();
    EXPECT_EQ(Profiles(window).CurrentRow(), 0);

    ASSERT_TRUE(window.ShowPanel(1));
    PriceProfilesPanel& prices = window.PriceProfiles();
    ASSERT_EQ(prices.ProfileCount(), 3);
    // Numbers that name no command change nothing.
    prices.StandardAction(static_cast<QMAdminActions>(0));
    prices.StandardAction(static_cast<QMAdminActions>(14));
    EXPECT_EQ(prices.ProfileCount(), 3);

    // The add button adds its current entry; Save stores it.
    ToolbarButton(window, "add")->trigger();
    ASSERT_EQ(prices.ProfileCount(), 4);
    EXPECT_EQ(prices.DescriptionBox()->text(), "New price profile");
    EXPECT_TRUE(window.windowTitle().startsWith("*New price profile - Price Profiles - "));
    prices.DescriptionBox()->setText("  Night shift ");
    window.Command(qmaSave)->trigger();
    EXPECT_FALSE(prices.HasChanges());
    const int32_t id = prices.ProfileId(3);
    std::shared_ptr<data::PriceProfile> stored;
    ASSERT_EQ(Open()->LoadPriceProfile(stored, id), nullptr);
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
    ASSERT_EQ(Profiles(window).CurrentRow(), 0); // Front desk laser, priced by profile 1
    EXPECT_EQ(Profiles(window).PriceProfileLabel()->text(), "Price profile: Standard per page");

    ASSERT_TRUE(window.ShowPanel(1));
    PriceProfilesPanel& prices = window.PriceProfiles();
    ASSERT_EQ(prices.ProfileId(prices.CurrentRow()), 1);
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
    EXPECT_EQ(MenuTitles(window), (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "Druckerprofil"}));
    EXPECT_EQ(Profiles(window).Tabs()->tabText(3), "Zusatzfelder");
    EXPECT_EQ(CustomFields(window).chkOverride().Caption(), "Nur ausgewählte Zusatzfelder verwenden (Druckerprofil)");
    EXPECT_EQ(Profiles(window).SaveButton()->text(), "&Speichern");
    EXPECT_EQ(Profiles(window).PriceProfileLabel()->text(), "Preisprofil: Standard per page");
    EXPECT_EQ(JobOptions(window).lblCaption(2).Caption(), "Farbe:");
    EXPECT_TRUE(window.windowTitle().endsWith(" - Druckerprofile - " + QString::fromStdString(ProductTitle())));

    forms::input::Click(JobOptions(window).chkForceDuplex());
    host_.QueueAnswer(2);
    EXPECT_FALSE(window.ShowPanel(1));
    EXPECT_EQ(host_.Boxes().back().text, "Änderungen an Front desk laser speichern?");
    host_.QueueAnswer(7);
    ASSERT_TRUE(window.ShowPanel(1));
    // The stored money format keeps its own symbol; the separators are German.
    EXPECT_EQ(window.PriceProfiles().BWCostLabel()->text(), "$1.234,56");
    EXPECT_EQ(window.PriceProfiles().ColorCostLabel()->text(), "$0,50");
    EXPECT_EQ(MenuTitles(window).back(), "Hinzufügen");
}

TEST_F(ConsoleWindowTest, TheCustomFieldsTabStoresTheTickedFieldsAsTheProfilesRuleAParentBeforeItsChild) {
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_TRUE(Profiles(window).ShowProfile(kBareProfileRow));
        Profiles(window).Tabs()->setCurrentIndex(3);
        forms::Grid& grid = CustomFields(window).grdCustomFields();
        forms::input::Click(CustomFields(window).chkOverride()); // every field in
        forms::input::ClickCell(grid, 1, 2);                     // Project code out
        forms::input::ClickCell(grid, 3, 2);                     // Client out
        Profiles(window).SaveButton()->click();
        EXPECT_FALSE(Profiles(window).HasChanges());
    }
    store_.reset();
    std::shared_ptr<vb::Collection> rules;
    ASSERT_EQ(Open()->LoadJobOptionRules(rules, data::RulePriorityPrinterProfile, 4), nullptr);
    ASSERT_EQ(rules->Count(), 1);
    EXPECT_TRUE(data::ItemAs<data::JobOptionRule>(*rules, 1)->IsOption(5, data::RulePriorityPrinterProfile, 4));
    EXPECT_EQ(data::ItemAs<data::JobOptionRule>(*rules, 1)->ValueText(), "2,5,4");
}

TEST_F(ConsoleWindowTest, CustomActionsAreListedTheirFieldListsEditedAndShownAgainOnReopening) {
    constexpr int kCourseAndClient = 2; // stores 4,3
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_TRUE(window.ShowPanel(2));
        CustomActionsPanel& actions = window.CustomActions();
        ASSERT_EQ(actions.List()->count(), 4);
        ASSERT_TRUE(actions.ShowProfile(3)); // of another kind: no list to edit
        EXPECT_FALSE(actions.SaveButton()->isEnabled() || actions.Chooser().Enabled());
        ASSERT_TRUE(actions.ShowProfile(kCourseAndClient));
        EXPECT_EQ(actions.Chooser().SelectedCustomFields(), "3,4");
        forms::input::ClickCell(actions.Chooser().grdCustomFields(), 2, 2); // Department/Cost centre
        actions.SaveButton()->click();
        EXPECT_FALSE(actions.HasChanges());
    }
    ConsoleWindow again(Open());
    ASSERT_TRUE(again.ShowPanel(2));
    ASSERT_TRUE(again.CustomActions().ShowProfile(kCourseAndClient));
    EXPECT_EQ(again.CustomActions().Chooser().SelectedCustomFields(), "2,5,3,4");
    EXPECT_TRUE(host_.Boxes().empty());
}

} // namespace
} // namespace qm6::console
