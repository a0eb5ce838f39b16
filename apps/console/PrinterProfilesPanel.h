#pragma once

// The printer profiles panel: the profiles of the store on the left; for the
// chosen one its name, the price profile it uses, and a tab for each editor
// of its rules (ProfileTabs.cpp lists them), with Save and Revert.
//
// Choosing another profile first asks ControlDone (save, discard or stay).
// Save validates every page before anything is written and writes nothing if
// one refuses; it then saves the pages that hold changes, stopping at the
// first failure, which it tells with the page's name. A page whose load
// failed says so on the page and saves nothing until Revert loads it.
//
// Its own menu "Printer profile" (menu bar) moves to the next or previous
// profile or drops the changes. After a save it tells the other panels that
// the profile changed (its id); when the price profiles panel reports a
// change, it shows the price profile's new name and reloads the pages of a
// profile that uses it, unless they hold changes.

#include "ConsolePanel.h"
#include "ProfileTab.h"

#include <map>
#include <memory>
#include <vector>

class QLabel;
class QTabWidget;

namespace qm6::console {

class PrinterProfilesPanel : public ConsolePanel {
public:
    static constexpr const char* kName = "PrinterProfiles";
    // The ids of its menu and entries.
    static constexpr const char* kMenuId = "profile";
    static constexpr const char* kNextId = "next";
    static constexpr const char* kPreviousId = "previous";
    static constexpr const char* kRevertId = "revert";

    // The pages are those MakeProfileTabs() lists, unless others are given.
    explicit PrinterProfilesPanel(std::vector<std::unique_ptr<ProfileTab>> tabs = {});
    ~PrinterProfilesPanel() override;

    std::string Name() const override { return kName; }
    std::string Caption() const override;
    pictures::PicturePtr NavGraphicLarge() const override;
    pictures::PicturePtr NavGraphicSmall() const override;
    data::Status Save() override;
    void StandardAction(QMAdminActions pintAction) override;
    void CustomAction(const std::string& pstrActionId) override;
    void Refresh() override;
    void Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier, QMNotifyType type,
                      vb::Variant* changedValue = nullptr) override;

    bool HandlesAction(QMAdminActions action) const override;
    bool HasChanges() const override;
    std::string Subject() const override;
    int ViewCount() const override;
    View ShowView(int index) override;

    int ProfileCount() const { return static_cast<int>(profiles_.size()); }
    const PrinterProfile& Profile(int row) const { return profiles_.at(static_cast<size_t>(row)); }
    bool ShowProfile(int row) override;
    // Loads the pages again, dropping their changes.
    void Revert() override;

    int TabCount() const { return static_cast<int>(tabs_.size()); }
    ProfileTab& Tab(int index) const { return *tabs_.at(static_cast<size_t>(index)); }
    QTabWidget* Tabs() const { return tabWidget_; }
    QLabel* PriceProfileLabel() const { return priceProfile_; }
    // The status of the last load or save (nullptr for success).
    const data::Status& LastStatus() const { return lastStatus_; }

protected:
    void ReadData() override;

private:
    void ReadPriceProfileNames();
    void LoadPage();
    void ShowPriceProfile();
    void UpdateState();

    std::vector<PrinterProfile> profiles_;
    std::map<int32_t, std::string> priceProfileNames_;
    std::vector<std::unique_ptr<ProfileTab>> tabs_;
    std::vector<QLabel*> pageStatus_;
    data::Status lastStatus_;

    QLabel* priceProfile_ = nullptr;
    QTabWidget* tabWidget_ = nullptr;
};

} // namespace qm6::console
