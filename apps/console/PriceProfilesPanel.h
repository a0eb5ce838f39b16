#pragma once

// The price profiles panel: the price profiles of the store on the left; for
// the chosen one its description, which the user edits here, its page costs
// in the store's money format, how many paper sizes it prices, and the
// printer profiles that use it.
//
// New (the standard command, or Add > Price profile) makes a new profile,
// Duplicate (its own menu, on the toolbar) a copy of the chosen one; either
// is stored by Save. Choosing another profile asks ControlDone first. After a
// save it tells the other panels that a profile was added or changed (its
// id); when the printer profiles panel reports a saved profile, it shows the
// chosen price profile anew, unless it holds changes.

#include "ConsolePanel.h"

#include "contract/PriceProfile.h"
#include "contract/SystemSettings.h"

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;

namespace qm6::console {

class PriceProfilesPanel : public ConsolePanel {
public:
    static constexpr const char* kName = "PriceProfiles";
    static constexpr const char* kMenuId = "priceprofile";
    static constexpr const char* kDuplicateId = "duplicate";
    static constexpr const char* kAddMenuId = "add";
    static constexpr const char* kAddPriceProfileId = "priceprofile";

    PriceProfilesPanel();
    ~PriceProfilesPanel() override;

    std::string Name() const override { return kName; }
    std::string Caption() const override;
    pictures::PicturePtr NavGraphicLarge() const override;
    pictures::PicturePtr NavGraphicSmall() const override;
    data::Status Save() override;
    void StandardAction(QMAdminActions pintAction) override;
    void CustomAction(const std::string& pstrActionId) override;
    void AddItemClicked(const std::string& pstrActionId) override;
    void Refresh() override;
    void Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier, QMNotifyType type,
                      vb::Variant* changedValue = nullptr) override;

    bool HandlesAction(QMAdminActions action) const override;
    bool HasChanges() const override { return changes_; }
    std::string Subject() const override;
    int ViewCount() const override;
    View ShowView(int index) override;

    int ProfileCount() const { return static_cast<int>(entries_.size()); }
    int32_t ProfileId(int row) const { return entries_.at(static_cast<size_t>(row)).id; }
    bool ShowProfile(int row) override;
    // A new profile (a copy of the chosen one when copy is true), not yet
    // stored; asks about unsaved changes first.
    bool NewProfile(bool copy);
    // Shows the chosen profile as stored, dropping the changes (a new,
    // unsaved one goes).
    void Revert() override;

    QLineEdit* DescriptionBox() const { return description_; }
    QLabel* BWCostLabel() const { return bwCost_; }
    QLabel* ColorCostLabel() const { return colorCost_; }
    QLabel* UsedByLabel() const { return usedBy_; }

protected:
    void ReadData() override;

private:
    struct Entry {
        int32_t id; // 0 until the new profile is stored
        std::string description;
    };
    struct User {
        std::string name;
        int32_t priceProfileId;
    };
    void ReadUsers();
    void LoadProfile();
    void ShowValues();
    void SetChanges(bool changes);

    std::vector<Entry> entries_;
    std::vector<User> users_;
    std::shared_ptr<data::SystemSettings> settings_;
    std::shared_ptr<data::PriceProfile> profile_; // the chosen one, as loaded or made
    bool changes_ = false;
    bool showing_ = false;

    QLineEdit* description_ = nullptr;
    QLabel* bwCost_ = nullptr;
    QLabel* colorCost_ = nullptr;
    QLabel* paperSizes_ = nullptr;
    QLabel* usedBy_ = nullptr;
};

} // namespace qm6::console
