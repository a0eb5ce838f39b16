// The custom fields of the console over a copy of the sample, driven as a
// user drives them: the printer profile's custom fields tab and the custom
// actions panel, each saved and shown again on a console of the reopened
// file, and both in German.

#include "ConsoleText.h"
#include "ConsoleWindow.h"
#include "CustomActionsPanel.h"
#include "CustomFieldsTab.h"
#include "PrinterProfilesPanel.h"

#include "common/ModuleState.h"
#include "contract/RulePriority.h"
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Grid.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/registry/Registry.h"
#include "platform/vb/Conversions.h"
#include "qm6data/SqliteConnection.h"
#include "registry/clsRegistry.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;

constexpr int kLabPlotterRow = 3; // id 4, no custom field rule
constexpr int kCourseAndClientRow = 2; // stores 4,3

class CustomFieldsConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CloseThreadConnections();
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        fs::copy_file(QM6_SAMPLE_DATABASE, file_);
        // The user chose long ago not to confirm saves.
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(ConsoleWindow::kSettingsKey);
        key.ValueType(reg::REG_SZ);
        ASSERT_TRUE(key.SetCreateValue(ConsoleWindow::kConfirmSaveValue, vb::Variant("0"), false));
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
        ReloadConsoleText();
        vb::ResetNumberChars();
        reg::CloseThreadConnections();
    }
    std::shared_ptr<data::SqliteConnection> Open() const {
        std::shared_ptr<data::SqliteConnection> store;
        EXPECT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        return store;
    }
    static ctlCustomFieldChooser& Chooser(const ConsoleWindow& window) {
        return dynamic_cast<CustomFieldsTab&>(window.PrinterProfiles().Tab(1)).Editor();
    }
    // Clicks a field row's box as a user does.
    static void Tick(ctlCustomFieldChooser& chooser, int row) {
        auto* table = static_cast<QTableWidget*>(chooser.grdCustomFields().Widget());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                          table->visualRect(table->model()->index(row - 1, 2)).center());
        forms::input::Settle();
    }

    test::TempDir dir_;
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    fs::path file_ = dir_.Path() / "console.qm6db";
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
};

TEST_F(CustomFieldsConsoleTest, TheTabStoresTheTickedFieldsAsTheProfilesRuleAParentBeforeItsChild) {
    {
        ConsoleWindow window(Open());
        window.show();
        PrinterProfilesPanel& profiles = window.PrinterProfiles();
        ASSERT_TRUE(profiles.ShowProfile(kLabPlotterRow));
        profiles.Tabs()->setCurrentIndex(1);
        ctlCustomFieldChooser& chooser = Chooser(window);
        chooser.grdCustomFields().Height(4000); // every row in view
        forms::input::Click(chooser.chkOverride()); // every field in
        Tick(chooser, 1);                           // Project code out
        Tick(chooser, 3);                           // Client out
        EXPECT_TRUE(window.windowTitle().startsWith('*'));
        profiles.SaveButton()->click();
        EXPECT_EQ(profiles.LastStatus(), nullptr);
        EXPECT_FALSE(profiles.HasChanges());
    }
    std::shared_ptr<vb::Collection> rules;
    ASSERT_EQ(Open()->LoadJobOptionRules(rules, data::RulePriorityPrinterProfile, 4), nullptr);
    ASSERT_EQ(rules->Count(), 1);
    EXPECT_EQ(data::ItemAs<data::JobOptionRule>(*rules, 1)->OptionType(), 5);
    EXPECT_EQ(data::ItemAs<data::JobOptionRule>(*rules, 1)->ValueText(), "2,5,4");

    ConsoleWindow again(Open());
    ASSERT_TRUE(again.PrinterProfiles().ShowProfile(kLabPlotterRow));
    EXPECT_EQ(Chooser(again).chkOverride().Value(), forms::vbChecked);
    EXPECT_EQ(Chooser(again).SelectedCustomFields(), "2,5,4");
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(CustomFieldsConsoleTest, ActionsAreListedTheirFieldListsEditedAndShownAgainOnReopening) {
    {
        ConsoleWindow window(Open());
        window.show();
        ASSERT_TRUE(window.ShowPanel(2));
        CustomActionsPanel& actions = window.CustomActions();
        ASSERT_EQ(actions.List()->count(), 4);
        EXPECT_EQ(actions.List()->item(1)->text(), "Ask for department and cost centre");
        // An action of another kind has no list to edit.
        ASSERT_TRUE(actions.ShowProfile(3));
        EXPECT_FALSE(actions.SaveButton()->isEnabled() || actions.Chooser().Enabled());
        EXPECT_EQ(actions.NoteLabel()->text(), QText(kTxtActionAsksForNoFields));

        ASSERT_TRUE(actions.ShowProfile(kCourseAndClientRow));
        ctlCustomFieldChooser& chooser = actions.Chooser();
        EXPECT_FALSE(chooser.chkOverride().Visible());
        EXPECT_EQ(chooser.SelectedCustomFields(), "3,4");
        chooser.grdCustomFields().Height(4000);
        Tick(chooser, 2); // Department/Cost centre in
        EXPECT_TRUE(actions.HasChanges());
        actions.SaveButton()->click();
        EXPECT_FALSE(actions.HasChanges());
    }
    ConsoleWindow again(Open());
    ASSERT_TRUE(again.ShowPanel(2));
    ASSERT_TRUE(again.CustomActions().ShowProfile(kCourseAndClientRow));
    EXPECT_EQ(again.CustomActions().Chooser().SelectedCustomFields(), "2,5,3,4");
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(CustomFieldsConsoleTest, UnderGermanTheTabAndTheActionsAreGerman) {
    test::ScopedEnv german("LC_ALL", "de_DE.UTF-8");
    ResetModuleState();
    ReloadConsoleText();
    ConsoleWindow window(Open());
    EXPECT_EQ(window.PrinterProfiles().Tabs()->tabText(1), "Zusatzfelder");
    EXPECT_EQ(Chooser(window).chkOverride().Caption(), "Nur ausgewählte Zusatzfelder verwenden (Druckerprofil)");
    EXPECT_EQ(Chooser(window).grdCustomFields().TextMatrix(0, 2), "Aktiv");
    EXPECT_EQ(Chooser(window).grdCustomFields().TextMatrix(0, 3), "Beschriftung");
    EXPECT_EQ(window.Navigation()->item(2)->text(), "Eigene Aktionen");
    ASSERT_TRUE(window.ShowPanel(2));
    EXPECT_TRUE(window.CustomActions().NoteLabel()->text().startsWith("Wenn diese Aktion ausgeführt"));
}

} // namespace
} // namespace qm6::console
