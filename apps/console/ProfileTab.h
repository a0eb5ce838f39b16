#pragma once

// One page of the printer profiles panel: an editor of the chosen printer
// profile's rules, on a tab of its own.
//
// To add an editor to the panel, derive a class from ProfileTab (see
// JobOptionsTab for the whole of one), and add one line to MakeProfileTabs()
// in ProfileTabs.cpp. The class:
//
//   - makes its editor and places it on the page it is given (PlaceOn);
//   - reads the profile's rules into the editor (LoadEditor) and stores them
//     (SaveEditor), answering the store's status, nullptr for success;
//   - checks the editor's values before anything is stored (ValidateEditor),
//     telling the user itself what is wrong;
//   - enables or disables the editor (EnableEditor);
//   - calls Changed() from the editor's change event;
//   - names the page (Caption, from a string library, and Key, for files).
//
// The panel drives every tab the same way, through the members here, which
// keep what all pages need: whether the page holds changes, and whether its
// last load failed. A page whose load failed shows no rule (the editor's own
// failed-load state), is disabled, says so on the page, and saves nothing
// until a load succeeds. The panel saves a profile by validating every page
// first and writing none if one refuses, then saving the pages that hold
// changes, in order, until one fails.

#include "contract/Connection.h"
#include "editors/LoadState.h"

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace qm6::console {

// The rule owner a page edits.
struct PrinterProfile {
    int32_t id = 0;
    std::string name;
    int32_t priceProfileId = 0; // 0: none
};

class ProfileTab {
public:
    virtual ~ProfileTab();

    // The page's caption in the user's language ("Job options").
    virtual std::string Caption() const = 0;
    // A name for the files of rendered pages ("job-options").
    virtual std::string Key() const = 0;
    // Makes the editor a child of page, at its design size, and gives the
    // page the size the editor needs.
    virtual void PlaceOn(QWidget* page) = 0;

    // Loads the page for a profile: changes are dropped, and a failure
    // leaves the page disabled and refusing to save. Answers the status.
    data::Status Load(data::Connection& data, const PrinterProfile& profile);
    bool LoadFailed() const { return !loadState_.CanSave(); }
    bool HasChanges() const { return changes_; }
    bool Validate() { return ValidateEditor(); }
    // Stores the page; without a data call while the last load failed
    // (LoadState::SaveRefusal). The changes are kept when it fails.
    data::Status Save(data::Connection& data, const PrinterProfile& profile);

    // Called on every change the user makes on the page.
    std::function<void()> OnChanged;

protected:
    virtual data::Status LoadEditor(data::Connection& data, const PrinterProfile& profile) = 0;
    virtual bool ValidateEditor() = 0;
    virtual data::Status SaveEditor(data::Connection& data, const PrinterProfile& profile) = 0;
    virtual void EnableEditor(bool enabled) = 0;
    // For the editor's change event: a change while loading is not the user's.
    void Changed();

private:
    LoadState loadState_;
    bool loading_ = false;
    bool changes_ = false;
};

} // namespace qm6::console
