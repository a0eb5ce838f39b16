#include "PriceProfilesPanel.h"

#include "ConsoleText.h"
#include "FailureText.h"
#include "NavPictures.h"
#include "PrinterProfilesPanel.h"

#include "contract/RecordSet.h"
#include "platform/forms/Host.h"
#include "platform/vb/Format.h"
#include "platform/vb/Strings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace qm6::console {

namespace {

constexpr int kExclamation = 48;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

PriceProfilesPanel::PriceProfilesPanel() {
    widget_->setObjectName(kName);
    description_ = new QLineEdit(widget_);
    description_->setObjectName("description");
    description_->setMaxLength(100);
    bwCost_ = new QLabel(widget_);
    bwCost_->setObjectName("bwCost");
    colorCost_ = new QLabel(widget_);
    colorCost_->setObjectName("colorCost");
    paperSizes_ = new QLabel(widget_);
    paperSizes_->setObjectName("paperSizes");
    usedBy_ = new QLabel(widget_);
    usedBy_->setObjectName("usedBy");
    usedBy_->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QText(kTxtDescription), description_);
    form->addRow(QText(kTxtBWCost), bwCost_);
    form->addRow(QText(kTxtColorCost), colorCost_);
    form->addRow(QText(kTxtPaperSizePrices), paperSizes_);
    form->addRow(QText(kTxtUsedBy), usedBy_);

    BuildLayout(form);
    QObject::connect(description_, &QLineEdit::textChanged, widget_, [this](const QString& text) {
        if (showing_ || !profile_)
            return;
        profile_->SetDescription(text.toStdString());
        SetChanges(true);
    });

    // Its own menu goes on the toolbar only; the add menu on both.
    auto menu = MakeMenu(kMenuId, Text(kTxtPriceProfileMenu), {{kDuplicateId, Text(kTxtDuplicate)}});
    menu->PlaceOnMenubar(false);
    menu->PlaceOnToolbar(true);
    menu->Graphic(DrawNavPicture(NavPicture::PriceTag, 16));
    customMenus_->Add(vb::ObjectVariant(menu));
    auto add = MakeMenu(kAddMenuId, Text(kTxtAddMenu), {{kAddPriceProfileId, Text(kTxtAddPriceProfile)}});
    add->PlaceOnToolbar(true);
    currentAddItem_ = vb::ObjectOf<AdminMenuItem>(add->MenuItems()->Item(1));
    currentAddItem_->Graphic(menu->Graphic());
    addItemMenus_->Add(vb::ObjectVariant(add));
}

PriceProfilesPanel::~PriceProfilesPanel() = default;

std::string PriceProfilesPanel::Caption() const {
    return Text(kTxtPriceProfiles);
}

pictures::PicturePtr PriceProfilesPanel::NavGraphicLarge() const {
    return DrawNavPicture(NavPicture::PriceTag, 32);
}

pictures::PicturePtr PriceProfilesPanel::NavGraphicSmall() const {
    return DrawNavPicture(NavPicture::PriceTag, 16);
}

void PriceProfilesPanel::ReadData() {
    const int32_t shown = current_ >= 0 ? ProfileId(current_) : 0;
    entries_.clear();
    ClearList();
    profile_.reset();
    changes_ = false;
    if (data::Status status = data_->LoadSystemSettings(settings_))
        Report(FailureText(Text(kTxtPriceProfilesNotRead), *status, Doing::Loading));
    std::shared_ptr<data::RecordSet> records;
    if (data::Status status = data_->LoadPriceProfiles(records))
        Report(FailureText(Text(kTxtPriceProfilesNotRead), *status, Doing::Loading));
    for (; records && !records->Eof(); records->MoveNext()) {
        entries_.push_back({records->Fields("PriceProfileId").Value.AsLong(),
                            records->Fields("Description").Value.AsString()});
        AddToList(entries_.back().description);
    }
    if (records)
        records->Close();
    ReadUsers();
    int row = 0;
    for (int i = 0; i < ProfileCount(); ++i)
        if (ProfileId(i) == shown)
            row = i;
    if (!entries_.empty())
        ShowProfile(row);
    else
        ShowValues();
}

void PriceProfilesPanel::ReadUsers() {
    users_.clear();
    std::shared_ptr<data::RecordSet> records;
    if (data::Status status = data_->LoadPrinterProfiles(records)) {
        Report(FailureText(Text(kTxtProfilesNotRead), *status, Doing::Loading));
        return;
    }
    for (; !records->Eof(); records->MoveNext())
        users_.push_back({records->Fields("Description").Value.AsString(),
                          records->Fields("PriceProfileId").Value.AsLong()});
    records->Close();
}

bool PriceProfilesPanel::ShowProfile(int row) {
    // Dropping a new profile's changes removes its row; the rows before it stay.
    if (!ChooseRow(row))
        return false;
    LoadProfile();
    return true;
}

void PriceProfilesPanel::LoadProfile() {
    profile_.reset();
    if (data::Status status = data_->LoadPriceProfile(profile_, ProfileId(current_))) {
        profile_.reset();
        Report(FailureText(Text(kTxtPriceProfileNotLoaded, entries_[static_cast<size_t>(current_)].description),
                           *status, Doing::Loading, Text(kTxtPressRevert)));
    }
    SetChanges(false);
    ShowValues();
}

void PriceProfilesPanel::ShowValues() {
    showing_ = true;
    const bool shown = profile_ != nullptr;
    const std::string format = settings_ ? settings_->CurrencyFormat() : std::string();
    auto money = [&](vb::Currency amount) { return Q(vb::Format(vb::Variant(amount), format)); };
    heading_->setText(current_ >= 0 ? Q(entries_[static_cast<size_t>(current_)].description) : QString());
    description_->setText(shown ? Q(profile_->Description()) : QString());
    description_->setEnabled(shown);
    bwCost_->setText(shown ? money(profile_->BWCost()) : QString());
    colorCost_->setText(shown ? money(profile_->ColorCost()) : QString());
    paperSizes_->setText(shown ? QText(kTxtPaperSizeCount, profile_->PaperSizePrices()->Count()) : QString());
    std::string users;
    const int32_t id = shown ? profile_->PriceProfileId() : -1;
    for (const User& user : users_)
        if (id > 0 && user.priceProfileId == id)
            users += (users.empty() ? "" : ", ") + user.name;
    usedBy_->setText(shown ? (users.empty() ? QText(kTxtUsedByNone) : Q(users)) : QString());
    showing_ = false;
    SetChanges(changes_);
}

void PriceProfilesPanel::SetChanges(bool changes) {
    changes_ = changes;
    save_->setEnabled(profile_ != nullptr);
    revert_->setEnabled(current_ >= 0);
    StateChanged();
}

bool PriceProfilesPanel::NewProfile(bool copy) {
    if (!ControlDone())
        return false;
    const std::shared_ptr<data::PriceProfile> original = profile_;
    if (copy && !original)
        return false;
    auto made = data_->NewPriceProfile();
    if (copy) {
        made->SetDescription(Text(kTxtCopyOf, original->Description()));
        made->SetPricingOption(original->PricingOption());
        made->SetJobType(original->JobType());
        made->SetBWCost(original->BWCost());
        made->SetColorCost(original->ColorCost());
        auto prices = std::make_shared<vb::Collection>();
        const vb::Collection& from = *original->PaperSizePrices();
        for (int32_t i = 1; i <= from.Count(); ++i) {
            const auto price = data::ItemAs<data::PaperSizePrice>(from, i);
            if (!price)
                continue;
            auto same = data_->NewPaperSizePrice();
            same->SetPaperSizeId(price->PaperSizeId());
            same->SetBWCost(price->BWCost());
            same->SetColorCost(price->ColorCost());
            prices->Add(vb::ObjectVariant(same));
        }
        made->SetPaperSizePrices(std::move(prices));
    } else {
        made->SetDescription(Text(kTxtNewPriceProfile));
    }
    entries_.push_back({0, made->Description()});
    AddToList(made->Description());
    current_ = -1;
    ChooseRow(ProfileCount() - 1);
    profile_ = std::move(made);
    changes_ = true;
    ShowValues();
    description_->setFocus();
    description_->selectAll();
    return true;
}

void PriceProfilesPanel::Revert() {
    if (current_ < 0)
        return;
    if (ProfileId(current_) != 0) {
        LoadProfile();
        return;
    }
    // A new profile that was never stored goes.
    entries_.pop_back();
    {
        const QSignalBlocker block(list_);
        delete list_->takeItem(ProfileCount());
    }
    current_ = -1;
    profile_.reset();
    changes_ = false;
    if (!entries_.empty())
        ShowProfile(ProfileCount() - 1);
    else
        ShowValues();
}

data::Status PriceProfilesPanel::Save() {
    if (!profile_ || !changes_)
        return nullptr;
    if (vb::Trim(profile_->Description()).empty()) {
        forms::ActiveHost().MsgBox(Text(kTxtDescriptionMissing), kExclamation, ProductTitle());
        description_->setFocus();
        return SaveStopped();
    }
    if (!ConfirmSave())
        return SaveStopped();
    const bool added = profile_->IsNew();
    profile_->SetDescription(vb::Trim(profile_->Description()));
    if (data::Status status = profile_->Save(*data_)) {
        Report(FailureText(Text(kTxtPriceProfileNotSaved, profile_->Description()), *status, Doing::Saving,
                           Text(kTxtPressRevert)));
        return status;
    }
    Entry& entry = entries_[static_cast<size_t>(current_)];
    entry = {profile_->PriceProfileId(), profile_->Description()};
    list_->item(current_)->setText(Q(entry.description));
    changes_ = false;
    ShowValues();
    Notify(added ? qmnObjectAdded : qmnObjectChanged, vb::Variant(entry.id));
    return nullptr;
}

void PriceProfilesPanel::StandardAction(QMAdminActions pintAction) {
    switch (pintAction) {
    case qmaNew:
        NewProfile(false);
        break;
    case qmaEdit:
        description_->setFocus();
        description_->selectAll();
        break;
    case qmaSave:
        Save();
        break;
    case qmaRefresh:
        Refresh();
        break;
    default:
        break;
    }
}

void PriceProfilesPanel::CustomAction(const std::string& pstrActionId) {
    if (pstrActionId == kDuplicateId)
        NewProfile(true);
}

void PriceProfilesPanel::AddItemClicked(const std::string& pstrActionId) {
    if (pstrActionId == kAddPriceProfileId)
        NewProfile(false);
}

void PriceProfilesPanel::Refresh() {
    if (data_ && ControlDone())
        ReadData();
}

void PriceProfilesPanel::Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier, QMNotifyType,
                                      vb::Variant*) {
    if (!pinsNotifier || pinsNotifier->Name() != PrinterProfilesPanel::kName || !data_)
        return;
    // A printer profile's pages may have changed the price profile it uses.
    ReadUsers();
    if (current_ >= 0 && ProfileId(current_) != 0 && !changes_)
        LoadProfile();
    else
        ShowValues();
}

bool PriceProfilesPanel::HandlesAction(QMAdminActions action) const {
    switch (action) {
    case qmaNew:
    case qmaRefresh:
        return data_ != nullptr;
    case qmaEdit:
    case qmaSave:
        return profile_ != nullptr;
    default:
        return false;
    }
}

std::string PriceProfilesPanel::Subject() const {
    return current_ >= 0 ? entries_[static_cast<size_t>(current_)].description : std::string();
}

int PriceProfilesPanel::ViewCount() const {
    return std::max(1, ProfileCount());
}

ConsolePanel::View PriceProfilesPanel::ShowView(int index) {
    if (ProfileCount() == 0)
        return {"price-profiles", Caption()};
    if (index != current_)
        ShowProfile(index);
    return {"price-profile-" + std::to_string(ProfileId(index)), entries_[static_cast<size_t>(index)].description};
}

} // namespace qm6::console
