#pragma once

// The console's window: the printer profiles of the open database on the
// left, and for the chosen one a page with the job options editor and its
// Save and Revert buttons. The title carries a "*" while the page holds
// changes that are not saved.

#include "contract/Connection.h"
#include "contract/DataStatus.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
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
    static constexpr const char* kProductTitle = "Quillmeter 6 Console";

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

private:
    struct Profile {
        int32_t id;
        QString name;
    };
    void ReadProfiles();
    void LoadPage();
    void SetModified(bool modified);
    void UpdateTitle();

    std::shared_ptr<data::Connection> data_;
    std::vector<Profile> profiles_;
    int current_ = -1;
    bool loading_ = false;
    bool modified_ = false;
    data::Status lastStatus_;
    data::StatusHandler previousHandler_;

    QListWidget* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QWidget* page_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* revert_ = nullptr;
    std::unique_ptr<ctlJobOptions> jobOptions_;
};

} // namespace qm6::console
