#pragma once

// The console's window: the printer profiles of the open database on the
// left, and for the chosen one a page with the job options editor and its
// Save and Revert buttons. The title and the message boxes carry the
// product name from the branding library, and the title a "*" while the page
// holds changes that are not saved. Before the first save of a run the user
// confirms saving in a box that can be told not to appear again.
//
// A failure of the store is told in a message box as a sentence about what
// happened, with the store's own message after it, and counted. A page whose
// load failed shows no rule, its editor and Save are disabled, and it saves
// nothing until a load (Revert) succeeds.

#include "contract/Connection.h"
#include "contract/DataStatus.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace qm6 {
class ctlJobOptions;
}

namespace qm6::console {

class ConsoleWindow : public QWidget {
public:
    // Where the choice of the save confirmation is kept, below HKEY_CURRENT_USER.
    static constexpr const char* kSettingsKey = "Software\\Quillmeter 6\\Console";
    static constexpr const char* kConfirmSaveValue = "ConfirmSave";
    static constexpr const char* kConfirmSaveText =
        "Saving writes the job options of this printer profile to the database at once. "
        "Press OK to save, or Cancel to go on editing.";

    // The product's name, from the branding library: the title of the window
    // and of its message boxes.
    static std::string ProductTitle();

    // Reads the printer profiles and shows the first. Installs, for the
    // window's lifetime, the handler that shows a data status in a message
    // box through the forms host.
    explicit ConsoleWindow(std::shared_ptr<data::Connection> connection, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    int ProfileCount() const { return static_cast<int>(profiles_.size()); }
    int32_t ProfileId(int row) const { return profiles_.at(static_cast<size_t>(row)).id; }
    QString ProfileName(int row) const { return profiles_.at(static_cast<size_t>(row)).name; }
    int CurrentRow() const { return current_; }

    // Shows the page of a profile; with unsaved changes on the page it asks
    // first whether to save them. False when the user (or a failed save)
    // kept the current page.
    bool ShowProfile(int row);
    // Validates and saves the page; a failure is shown and answered false.
    // The first save of the window asks for confirmation first (unless the
    // user chose not to be asked again); Cancel there saves nothing.
    bool Save();
    // Loads the page again from the database, dropping unsaved changes.
    void Revert();
    bool Modified() const { return modified_; }

    ctlJobOptions& JobOptions() const { return *jobOptions_; }
    QListWidget* Profiles() const { return list_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* RevertButton() const { return revert_; }
    // The status of the last load or save (nullptr for success).
    const data::Status& LastStatus() const { return lastStatus_; }
    // Whether the page's rules were loaded, so that it may be saved.
    bool PageLoaded() const { return pageLoaded_; }
    // The failures told to the user so far.
    int Failures() const { return failures_; }

private:
    struct Profile {
        int32_t id;
        QString name;
    };
    void ReadProfiles();
    void LoadPage();
    // Tells the user of a failure and counts it.
    void Report(const std::string& text);
    std::string PageName() const;
    void SetModified(bool modified);
    void UpdateTitle();

    std::shared_ptr<data::Connection> data_;
    std::vector<Profile> profiles_;
    int current_ = -1;
    bool loading_ = false;
    bool modified_ = false;
    bool saveConfirmed_ = false;
    bool pageLoaded_ = false;
    int failures_ = 0;
    data::Status lastStatus_;
    data::StatusHandler previousHandler_;

    QListWidget* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* pageStatus_ = nullptr;
    QWidget* page_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* revert_ = nullptr;
    std::unique_ptr<ctlJobOptions> jobOptions_;
};

} // namespace qm6::console
