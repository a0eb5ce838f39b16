// The console's window over a copy of the sample database: editing through
// the job options editor, saving and reopening, the title's change mark,
// failures shown through the host, the texts of the built English string
// library on its controls, and the save confirmation that can be told not to
// appear again.

#include "ConsoleWindow.h"
#include "HeadlessHost.h"

#include "support/TestSupport.h"
#include "common/ModuleState.h"
#include "common/QM6AdminCommonGlobal.h"
#include "dialogs/frmIdiotBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/registry/Registry.h"
#include "platform/vb/Conversions.h"
#include "registry/clsRegistry.h"
#include "contract/RulePriority.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/ScriptedHost.h"
#include "platform/forms/UserInput.h"
#include "platform/resources/LoadString.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace qm6::console {
namespace {

namespace fs = std::filesystem;
using forms::vbChecked;
using forms::vbUnchecked;

constexpr int kBareProfileRow = 3; // "Lab plotter", id 4, no job option rules

class ConsoleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg::CloseThreadConnections();
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        file_ = dir_.Path() / "console.qm6db";
        fs::copy_file(QM6_SAMPLE_DATABASE, file_);
        store_ = Open();
        // The user chose long ago not to confirm saves; the test of the
        // confirmation clears this.
        StoreConfirmSave("0");
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
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
    std::shared_ptr<data::SqliteConnection> Open() const {
        std::shared_ptr<data::SqliteConnection> store;
        EXPECT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
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

    test::TempDir dir_;
    test::TempDir hive_;
    test::ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    fs::path file_;
    std::shared_ptr<data::SqliteConnection> store_;
    forms::ScriptedHost host_;
    forms::ScopedHost scoped_{host_};
};

TEST_F(ConsoleWindowTest, EditsSavedThroughTheEditorAreInTheDatabaseWhenReopened) {
    int32_t profileId = 0;
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_EQ(window.ProfileCount(), 4);
        ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
        profileId = window.ProfileId(kBareProfileRow);
        EXPECT_FALSE(window.Modified());
        EXPECT_FALSE(window.windowTitle().startsWith('*'));

        ctlJobOptions& editor = window.JobOptions();
        forms::input::Click(editor.chkForceDuplex());
        forms::input::Choose(editor.cmbColor(), 2);
        EXPECT_TRUE(window.Modified());
        EXPECT_TRUE(window.windowTitle().startsWith('*'));

        window.SaveButton()->click();
        EXPECT_EQ(window.LastStatus(), nullptr);
        EXPECT_FALSE(window.Modified());
        EXPECT_FALSE(window.windowTitle().startsWith('*'));
    }
    store_.reset();
    EXPECT_EQ(Stored(profileId), (std::set<int32_t>{0, 2}));

    // A console on the reopened file shows what was stored, unchanged.
    ConsoleWindow again(Open());
    ASSERT_TRUE(again.ShowProfile(kBareProfileRow));
    EXPECT_EQ(again.JobOptions().cmbColor().ItemData(again.JobOptions().cmbColor().ListIndex()), 2);
    EXPECT_EQ(again.JobOptions().chkForceDuplex().Value(), vbChecked);
    EXPECT_FALSE(again.Modified());
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(ConsoleWindowTest, ControlTextsAreThoseOfTheBuiltEnglishStringLibrary) {
    res::LoadResult loaded = res::ResourceLibrary::Load(QM6_ENGLISH_STRINGS);
    ASSERT_TRUE(loaded) << "error " << loaded.error;
    auto text = [&](uint32_t id) {
        const std::string s = res::LoadString(*loaded.library, id, 512, 1252).text;
        EXPECT_FALSE(s.empty()) << "string " << id;
        return s;
    };
    ConsoleWindow window(store_);
    ctlJobOptions& editor = window.JobOptions();
    EXPECT_EQ(editor.lblCaption(2).Caption(), text(402));
    EXPECT_EQ(editor.lblCaption(3).Caption(), text(403));
    EXPECT_EQ(editor.lblCaption(4).Caption(), text(404));
    EXPECT_EQ(editor.chkForceDuplex().Caption(), text(401));
    EXPECT_EQ(editor.chkForceNUp().Caption(), text(400));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(editor.cmbColor().List(i), text(405 + static_cast<uint32_t>(i)));

    // Every id the library uses has a text.
    for (auto [first, last] : {std::pair{2u, 6u}, {200u, 214u}, {300u, 304u}, {400u, 407u},
                               {500u, 517u}, {600u, 611u}})
        for (uint32_t id = first; id <= last; ++id)
            text(id);
}

TEST_F(ConsoleWindowTest, AFailedSaveIsShownAndKeepsTheChangeMark) {
    auto recorder = std::make_shared<data::testing::RecordingConnection>(store_);
    ConsoleWindow window(recorder);
    window.show();
    ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
    forms::input::Click(window.JobOptions().chkForceNUp());
    recorder->FailCall("SaveJobOptionRule", 8, "attempt to write a readonly database");
    host_.QueueAnswer(1);

    EXPECT_FALSE(window.Save());
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_NE(host_.Boxes()[0].text.find("attempt to write a readonly database"), std::string::npos);
    EXPECT_EQ(host_.Boxes()[0].title, QM6AdminCommonGlobal().ProductName());
    EXPECT_TRUE(window.windowTitle().endsWith(" - " + QString::fromStdString(QM6AdminCommonGlobal().ProductName())));
    EXPECT_TRUE(window.windowTitle().startsWith('*'));

    // Once the store recovers the same edit is saved.
    recorder->ClearFailures();
    EXPECT_TRUE(window.Save());
    EXPECT_EQ(Stored(window.ProfileId(kBareProfileRow)), (std::set<int32_t>{3}));
}

TEST_F(ConsoleWindowTest, RevertAndSwitchingProfilesDropOrKeepChanges) {
    ConsoleWindow window(store_);
    window.show();
    ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
    forms::input::Click(window.JobOptions().chkForceDuplex());
    window.RevertButton()->click();
    EXPECT_EQ(window.JobOptions().chkForceDuplex().Value(), vbUnchecked);
    EXPECT_FALSE(window.windowTitle().startsWith('*'));

    // Cancel keeps the page and its change; No drops the change.
    forms::input::Click(window.JobOptions().chkForceDuplex());
    host_.QueueAnswer(2);
    EXPECT_FALSE(window.ShowProfile(0));
    EXPECT_EQ(window.CurrentRow(), kBareProfileRow);
    EXPECT_TRUE(window.Modified());
    host_.QueueAnswer(7);
    EXPECT_TRUE(window.ShowProfile(0));
    EXPECT_EQ(window.CurrentRow(), 0);
    EXPECT_FALSE(window.Modified());
    EXPECT_TRUE(Stored(window.ProfileId(kBareProfileRow)).empty());
    EXPECT_EQ(host_.Boxes().size(), 2u);
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
            EXPECT_TRUE(box.cmdCancel().Visible());
            EXPECT_FALSE(box.cmdHelp().Visible());
            act(box);
        });
    };
    const int32_t profileId = 4;
    {
        ConsoleWindow window(store_);
        window.show();
        ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
        ASSERT_EQ(window.ProfileId(kBareProfileRow), profileId);
        forms::input::Click(window.JobOptions().chkForceDuplex());

        // The user clears the box and presses OK: saved.
        queueBox([](frmIdiotBox& box) {
            forms::input::Click(box.chkDoNotShow());
            forms::input::Click(box.cmdOK());
        });
        window.SaveButton()->click();
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(window.Modified());
        EXPECT_EQ(Stored(profileId), (std::set<int32_t>{2}));
        EXPECT_EQ(ConfirmSave(), "0");

        // Later saves of the same run are not asked about.
        forms::input::Click(window.JobOptions().chkForceNUp());
        EXPECT_TRUE(window.Save());
        EXPECT_EQ(shown, 1);
    }
    // A new run over the same hive does not ask either.
    store_.reset();
    ConsoleWindow again(Open());
    again.show();
    ASSERT_TRUE(again.ShowProfile(kBareProfileRow));
    forms::input::Click(again.JobOptions().chkForceDuplex());
    EXPECT_TRUE(again.Save());
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
        ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
        forms::input::Click(window.JobOptions().chkForceDuplex());
        if (run == 0) {
            // Cancel, even with the box cleared: no save, no choice stored.
            host_.QueueModal([&](forms::Form& form) {
                ++shown;
                auto& box = dynamic_cast<frmIdiotBox&>(form);
                forms::input::Click(box.chkDoNotShow());
                forms::input::Click(box.cmdCancel());
            });
            EXPECT_FALSE(window.Save());
            EXPECT_TRUE(window.Modified());
            EXPECT_TRUE(Stored(window.ProfileId(kBareProfileRow)).empty());
            EXPECT_EQ(ConfirmSave(), "(missing)");
        }
        host_.QueueModal([&](forms::Form& form) {
            ++shown;
            forms::input::Click(dynamic_cast<frmIdiotBox&>(form).cmdOK());
        });
        EXPECT_TRUE(window.Save());
        EXPECT_EQ(shown, run == 0 ? 2 : 3);
        EXPECT_EQ(ConfirmSave(), "-1");
    }
}

TEST_F(ConsoleWindowTest, AFailedLoadShowsNoRuleAndThePageSavesNothingUntilALoadSucceeds) {
    auto recorder = std::make_shared<data::testing::RecordingConnection>(store_);
    ConsoleWindow window(recorder); // shows the first profile: rules of types 1 and 2
    recorder->FailCall("LoadJobOptionRules", 11, "database disk image is malformed");
    ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
    ASSERT_EQ(host_.Boxes().size(), 1u);
    EXPECT_EQ(host_.Boxes()[0].text,
              "The job options of Lab plotter could not be loaded: the database file is damaged. "
              "Restore it from a backup. The page shows no rules and cannot be saved until they "
              "load; press Revert to try again.\n\nDetail: database disk image is malformed (code 11)");
    EXPECT_FALSE(window.SaveButton()->isEnabled() || window.JobOptions().Enabled());
    EXPECT_EQ(window.JobOptions().chkForceDuplex().Value(), vbUnchecked);
    window.JobOptions().chkForceNUp().Value(vbChecked);
    EXPECT_FALSE(window.Save());
    EXPECT_EQ(recorder->CallCount("SaveJobOptionRule"), 0);
    EXPECT_EQ(window.Failures(), 2);

    recorder->ClearFailures();
    window.RevertButton()->click();
    window.JobOptions().chkForceNUp().Value(vbChecked);
    EXPECT_TRUE(window.Save());
    EXPECT_EQ(Stored(window.ProfileId(kBareProfileRow)), (std::set<int32_t>{3}));
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
        ASSERT_TRUE(first.ShowProfile(c.row) && second.ShowProfile(c.row));
        const int32_t id = first.ProfileId(c.row);
        if (c.firstColor < 0)
            forms::input::Click(first.JobOptions().chkForceDuplex());
        else
            forms::input::Choose(first.JobOptions().cmbColor(), c.firstColor);
        ASSERT_TRUE(first.Save());
        ASSERT_EQ(Stored(id), c.afterFirst);

        forms::input::Choose(second.JobOptions().cmbColor(), c.secondColor);
        EXPECT_FALSE(second.Save());
        EXPECT_EQ(host_.Boxes().back().text.rfind(
                      "The job options of " + second.ProfileName(c.row).toStdString() +
                          " were not saved: another console changed them after they were loaded here, so "
                          "they were not written. Press Revert",
                      0),
                  0u)
            << host_.Boxes().back().text;
        EXPECT_NE(host_.Boxes().back().text.find("\n\nDetail: " + c.detail), std::string::npos);
        EXPECT_EQ(Stored(id), c.afterFirst);

        second.Revert();
        forms::input::Choose(second.JobOptions().cmbColor(), c.secondColor);
        EXPECT_TRUE(second.Save());
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
    ASSERT_TRUE(window.ShowProfile(kBareProfileRow));
    forms::input::Click(window.JobOptions().chkForceDuplex());
    EXPECT_FALSE(window.Save());
    EXPECT_TRUE(Stored(window.ProfileId(kBareProfileRow)).empty());

    std::string written(4096, '\0');
    std::rewind(out);
    written.resize(std::fread(written.data(), 1, written.size(), out));
    std::fclose(out);
    EXPECT_EQ(written.rfind("Title: text\n[no display: the box answered OK]\n", 0), 0u) << written;
    EXPECT_NE(written.find("\nSaving writes the job options of this printer profile"), std::string::npos);
}

} // namespace
} // namespace qm6::console
