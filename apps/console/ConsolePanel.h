#pragma once

// What the console's own panels share: each implements the panel contract
// (IQM6AdminControl) and says which standard commands it handles
// (IStandardActions). This base keeps the panel's widget, which the window
// places, and answers the contract's placement members over it (positions in
// twips); it holds the panel's menus, the data-access object, the help file
// and the font. Every panel lays out the same way: the list of what it edits
// on the left; on the right a heading over its content and the Save and
// Revert buttons. ControlDone asks about unsaved changes:
//
//   no changes: done; else "Save the changes to <name>?" Yes saves and is
//   done when the save succeeded; No drops the changes and is done; Cancel
//   keeps them and is not done.
//
// A panel tells the window through two hooks the window sets: OnNotify
// passes a notification to the other panels, OnStateChanged says that its
// changes or its commands may differ now. A failure is told in a box titled
// with the product name and counted.

#include "StandardActions.h"

#include "contract/AdminMenu.h"
#include "contract/Connection.h"
#include "contract/IQM6AdminControl.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class QLabel;
class QLayout;
class QListWidget;
class QPushButton;
class QWidget;

namespace qm6::console {

// The product's name, from the branding library: the title of the window
// and of every box the console shows.
std::string ProductTitle();

// What a save answers when nothing was written because the user stopped it
// (Cancel in a confirmation) or a page refused its values: a status of the
// console's own (code 0); the page has told the user already.
data::Status SaveStopped();

class ConsolePanel : public IQM6AdminControl, public IStandardActions {
public:
    ~ConsolePanel() override;

    std::shared_ptr<data::Connection> Connection() const override { return data_; }
    // Takes the data-access object and reads the panel's data from it.
    void SetConnection(std::shared_ptr<data::Connection> pinsData) override;
    int32_t HelpContextId() const override { return 0; }
    std::string HelpFileName() const override { return helpFile_; }
    void HelpFileName(const std::string& pstrHelpFile) override { helpFile_ = pstrHelpFile; }
    bool Visible() const override;
    void Visible(bool pblnVisible) override;
    int32_t Left() const override;
    void Left(int32_t plngLeft) override;
    int32_t Top() const override;
    void Top(int32_t plngTop) override;
    // The native handle of the window the panel is on, 0 while it has none.
    int32_t hwnd() const override;
    fonts::FontPtr Font() const override { return font_; }
    // The panel shows its texts in the font object given (shared).
    void Font(fonts::FontPtr pinsFont) override;
    std::shared_ptr<vb::Collection> CustomMenus() const override { return customMenus_; }
    std::shared_ptr<AdminMenuItem> CurrentAddItem() const override { return currentAddItem_; }
    std::shared_ptr<vb::Collection> AddItemMenus() const override { return addItemMenus_; }
    void SetFocus() override;
    bool ControlDone() override;

    // The console's side.
    QWidget* Widget() const { return widget_; }
    // Shows the row of the list; with unsaved changes asks first. False when
    // the current row stayed.
    virtual bool ShowProfile(int row) = 0;
    // Shows the current row as stored, dropping the changes.
    virtual void Revert() = 0;
    int CurrentRow() const { return current_; }
    QListWidget* List() const { return list_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* RevertButton() const { return revert_; }
    // Whether the panel holds changes that are not saved.
    virtual bool HasChanges() const = 0;
    // What the panel shows now, for the window's title ("Lab plotter").
    virtual std::string Subject() const = 0;
    // The pictures a run without a display writes: the panel shows view
    // index (0 to ViewCount() - 1) and answers the name of its file (without
    // ".png") and what it shows.
    struct View {
        std::string file;
        std::string title;
    };
    virtual int ViewCount() const = 0;
    virtual View ShowView(int index) = 0;
    // The failures told to the user so far.
    int Failures() const { return failures_; }

    std::function<void(QMNotifyType type, vb::Variant changedValue)> OnNotify;
    std::function<void()> OnStateChanged;
    // Asked before the first write of a save; false stops the save.
    std::function<bool()> OnConfirmSave;

protected:
    ConsolePanel();

    // Reads the panel's data anew from the data-access object.
    virtual void ReadData() = 0;

    // Lays the panel out with its content; choosing a row in the list calls
    // ShowProfile, and a row it refuses is unchosen again.
    void BuildLayout(QLayout* content);
    // Empties the list and forgets the current row; adds a row (neither calls
    // ShowProfile).
    void ClearList();
    void AddToList(const std::string& name);
    // Makes row the current one, after asking ControlDone when another row
    // is current; false when the row does not exist (also once a discarded
    // new row went) or the current row stayed.
    bool ChooseRow(int row);

    void Notify(QMNotifyType type, vb::Variant changedValue);
    void StateChanged();
    bool ConfirmSave();
    // Tells the user of a failure and counts it.
    void Report(const std::string& text);
    // A new menu of the panel with its entries (id, caption).
    static std::shared_ptr<AdminMenu> MakeMenu(const std::string& id, const std::string& caption,
                                               std::initializer_list<std::pair<std::string, std::string>> items);

    QWidget* widget_;
    QListWidget* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* revert_ = nullptr;
    int current_ = -1;
    std::shared_ptr<data::Connection> data_;
    std::shared_ptr<vb::Collection> customMenus_ = std::make_shared<vb::Collection>();
    std::shared_ptr<vb::Collection> addItemMenus_ = std::make_shared<vb::Collection>();
    std::shared_ptr<AdminMenuItem> currentAddItem_;

private:
    std::string helpFile_;
    fonts::FontPtr font_;
    int fontToken_ = 0;
    int failures_ = 0;
};

} // namespace qm6::console
