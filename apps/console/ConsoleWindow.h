#pragma once

// The console's window, a host of panels that implement the panel contract:
// the printer profiles, the price profiles and the custom actions. On the left the navigation
// lists each panel by its caption and small picture; the chosen panel fills
// the rest. The menu bar holds the standard commands (File, Edit, View),
// then the chosen panel's own menus and add menus that ask for the menu bar;
// the toolbar holds the most used standard commands, then the panel's menus
// that ask for the toolbar (an add menu's button adds its current entry).
//
// A standard command goes to the chosen panel: Save to its Save, Refresh to
// its Refresh, every other one to StandardAction; the commands the panel
// does not handle now (IStandardActions) are greyed out. An entry of a panel's
// menu goes to its CustomAction, of an add menu to AddItemClicked, by the
// entry's id. A notification of one panel goes to every other panel.
//
// Before another panel is shown, and before the window closes, the panel is
// asked ControlDone, which asks the user about unsaved changes; the window
// stays as it is when a panel is not done. The title names the panel, what
// it shows and the product, with a "*" while the panel holds changes. The
// first save of a window is confirmed in a box that can be told not to
// appear again.

#include "ConsolePanel.h"

#include "contract/Connection.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QListWidget;
class QStackedWidget;
class QToolBar;

namespace qm6::console {

class CustomActionsPanel;
class PrinterProfilesPanel;
class PriceProfilesPanel;

class ConsoleWindow : public QMainWindow {
public:
    // Where the choice of the save confirmation is kept, below HKEY_CURRENT_USER.
    static constexpr const char* kSettingsKey = "Software\\Quillmeter 6\\Console";
    static constexpr const char* kConfirmSaveValue = "ConfirmSave";

    // Makes the panels, hands each the data-access object and shows the
    // first. Installs, for the window's lifetime, the handler that shows a
    // data status in a message box through the forms host.
    explicit ConsoleWindow(std::shared_ptr<data::Connection> connection, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    ConsolePanel& Panel(int index) const { return *panels_.at(static_cast<size_t>(index)); }
    int CurrentPanel() const { return current_; }
    // Shows a panel after the current one is done; false when it stayed.
    bool ShowPanel(int index);
    PrinterProfilesPanel& PrinterProfiles() const;
    PriceProfilesPanel& PriceProfiles() const;
    CustomActionsPanel& CustomActions() const;

    // The command of a standard action, on the menus and the toolbar.
    QAction* Command(QMAdminActions action) const { return commands_.at(static_cast<size_t>(action)); }
    QListWidget* Navigation() const { return navigation_; }
    QToolBar* ToolBar() const { return toolbar_; }
    // The failures told to the user so far, by the window and its panels.
    int Failures() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void AddPanel(std::shared_ptr<ConsolePanel> panel);
    void BuildCommands();
    void BuildPanelMenus();
    void ClearPanelMenus();
    void UpdateCommands();
    void RunCommand(QMAdminActions action);
    bool ConfirmSave();

    std::vector<std::shared_ptr<ConsolePanel>> panels_;
    int current_ = -1;
    bool saveConfirmed_ = false;
    int failures_ = 0;
    data::StatusHandler previousHandler_;

    std::vector<QAction*> commands_; // by QMAdminActions; [0] unused
    std::vector<QAction*> panelMenus_;
    std::vector<QAction*> panelTools_;
    QListWidget* navigation_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QToolBar* toolbar_ = nullptr;
};

} // namespace qm6::console
