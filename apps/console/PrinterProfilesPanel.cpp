#include "PrinterProfilesPanel.h"

#include "ConsoleText.h"
#include "FailureText.h"
#include "NavPictures.h"
#include "PriceProfilesPanel.h"
#include "ProfileTabs.h"

#include "contract/RecordSet.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm6::console {

PrinterProfilesPanel::PrinterProfilesPanel(std::vector<std::unique_ptr<ProfileTab>> tabs)
    : tabs_(tabs.empty() ? MakeProfileTabs() : std::move(tabs)) {
    widget_->setObjectName(kName);
    priceProfile_ = new QLabel(widget_);
    priceProfile_->setObjectName("priceProfile");
    tabWidget_ = new QTabWidget(widget_);
    tabWidget_->setObjectName("pages");
    for (auto& tab : tabs_) {
        auto* page = new QWidget;
        auto* status = new QLabel(page);
        status->setObjectName("pageStatus");
        status->setWordWrap(true);
        status->setStyleSheet("color: #b00000");
        status->setText(QText(kTxtPageNotLoaded));
        status->hide();
        auto* editorArea = new QWidget(page);
        tab->PlaceOn(editorArea);
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(status);
        layout->addWidget(editorArea);
        layout->addStretch();
        tabWidget_->addTab(page, QString::fromStdString(tab->Caption()));
        pageStatus_.push_back(status);
        tab->OnChanged = [this] { UpdateState(); };
    }
    auto* content = new QVBoxLayout;
    content->addWidget(priceProfile_);
    content->addWidget(tabWidget_);
    BuildLayout(content);
    QObject::connect(tabWidget_, &QTabWidget::currentChanged, widget_, [this] { UpdateState(); });

    auto menu = MakeMenu(kMenuId, Text(kTxtPrinterProfileMenu),
                         {{kNextId, Text(kTxtNextProfile)},
                          {kPreviousId, Text(kTxtPreviousProfile)},
                          {kRevertId, Text(kTxtRevertChanges)}});
    customMenus_->Add(vb::ObjectVariant(menu));
}

// The pages' editors go before the widgets they live in.
PrinterProfilesPanel::~PrinterProfilesPanel() {
    tabs_.clear();
}

std::string PrinterProfilesPanel::Caption() const {
    return Text(kTxtPrinterProfiles);
}

pictures::PicturePtr PrinterProfilesPanel::NavGraphicLarge() const {
    return DrawNavPicture(NavPicture::Printer, 32);
}

pictures::PicturePtr PrinterProfilesPanel::NavGraphicSmall() const {
    return DrawNavPicture(NavPicture::Printer, 16);
}

void PrinterProfilesPanel::ReadData() {
    const int32_t shown = current_ >= 0 ? Profile(current_).id : 0;
    profiles_.clear();
    ClearList();
    std::shared_ptr<data::RecordSet> records;
    if (data::Status status = data_->LoadPrinterProfiles(records)) {
        lastStatus_ = status;
        Report(FailureText(Text(kTxtProfilesNotRead), *status, Doing::Loading));
    }
    for (; records && !records->Eof(); records->MoveNext()) {
        profiles_.push_back({records->Fields("PrinterProfileId").Value.AsLong(),
                             records->Fields("Description").Value.AsString(),
                             records->Fields("PriceProfileId").Value.AsLong()});
        AddToList(profiles_.back().name);
    }
    if (records)
        records->Close();
    ReadPriceProfileNames();
    int row = 0;
    for (int i = 0; i < ProfileCount(); ++i)
        if (Profile(i).id == shown)
            row = i;
    if (!profiles_.empty())
        ShowProfile(row);
    UpdateState();
}

void PrinterProfilesPanel::ReadPriceProfileNames() {
    priceProfileNames_.clear();
    std::shared_ptr<data::RecordSet> records;
    if (data::Status status = data_->LoadPriceProfiles(records)) {
        Report(FailureText(Text(kTxtPriceProfilesNotRead), *status, Doing::Loading));
        return;
    }
    for (; !records->Eof(); records->MoveNext())
        priceProfileNames_[records->Fields("PriceProfileId").Value.AsLong()] =
            records->Fields("Description").Value.AsString();
    records->Close();
}

bool PrinterProfilesPanel::ShowProfile(int row) {
    if (!ChooseRow(row))
        return false;
    LoadPage();
    return true;
}

void PrinterProfilesPanel::LoadPage() {
    const PrinterProfile& profile = Profile(current_);
    heading_->setText(QString::fromStdString(profile.name));
    ShowPriceProfile();
    lastStatus_ = nullptr;
    for (size_t i = 0; i < tabs_.size(); ++i) {
        ProfileTab& tab = *tabs_[i];
        const data::Status status = tab.Load(*data_, profile);
        pageStatus_[i]->setVisible(status != nullptr);
        if (!status)
            continue;
        if (!lastStatus_)
            lastStatus_ = status;
        Report(FailureText(Text(kTxtPageNotLoadedHeading, tab.Caption(), profile.name), *status,
                           Doing::Loading, Text(kTxtPageShowsNoRules)));
    }
    UpdateState();
}

void PrinterProfilesPanel::ShowPriceProfile() {
    const int32_t id = Profile(current_).priceProfileId;
    const auto found = priceProfileNames_.find(id);
    if (id == 0)
        priceProfile_->setText(QText(kTxtNoPriceProfile));
    else
        priceProfile_->setText(QText(kTxtPriceProfileIs, found != priceProfileNames_.end()
                                                             ? found->second
                                                             : std::to_string(id)));
}

void PrinterProfilesPanel::Revert() {
    if (current_ >= 0)
        LoadPage();
}

data::Status PrinterProfilesPanel::Save() {
    if (current_ < 0)
        return nullptr;
    const PrinterProfile& profile = Profile(current_);
    std::vector<int> changed;
    for (int i = 0; i < TabCount(); ++i)
        if (Tab(i).HasChanges())
            changed.push_back(i);
    if (changed.empty())
        return nullptr;

    auto fail = [&](int index, data::Status status, const std::string& note) {
        lastStatus_ = status;
        tabWidget_->setCurrentIndex(index);
        Report(FailureText(Text(kTxtPageNotSavedHeading, Tab(index).Caption(), profile.name), *status,
                           Doing::Saving, note));
        UpdateState();
        return status;
    };
    // What a page whose load failed shows is not what is stored.
    for (int i : changed)
        if (Tab(i).LoadFailed())
            return fail(i, LoadState::SaveRefusal(), Text(kTxtPressRevert));
    if (!ConfirmSave())
        return SaveStopped();
    for (int i : changed) {
        if (!Tab(i).Validate()) {
            tabWidget_->setCurrentIndex(i);
            return SaveStopped();
        }
    }
    for (int i : changed)
        if (data::Status status = Tab(i).Save(*data_, profile))
            return fail(i, status, {});
    lastStatus_ = nullptr;
    UpdateState();
    Notify(qmnObjectChanged, vb::Variant(profile.id));
    return nullptr;
}

void PrinterProfilesPanel::StandardAction(QMAdminActions pintAction) {
    if (pintAction == qmaSave)
        Save();
    else if (pintAction == qmaRefresh)
        Refresh();
}

void PrinterProfilesPanel::CustomAction(const std::string& pstrActionId) {
    if (pstrActionId == kNextId)
        ShowProfile(current_ + 1);
    else if (pstrActionId == kPreviousId)
        ShowProfile(current_ - 1);
    else if (pstrActionId == kRevertId)
        Revert();
}

void PrinterProfilesPanel::Refresh() {
    if (data_ && ControlDone())
        ReadData();
}

void PrinterProfilesPanel::Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier,
                                        QMNotifyType, vb::Variant* changedValue) {
    if (!pinsNotifier || pinsNotifier->Name() != PriceProfilesPanel::kName || !data_)
        return;
    ReadPriceProfileNames();
    if (current_ < 0)
        return;
    ShowPriceProfile();
    // The pages of a profile that uses the changed price profile show it
    // anew, unless they hold changes of their own.
    const bool ours = changedValue && changedValue->Type() == vb::VarType::Long &&
                      changedValue->AsLong() == Profile(current_).priceProfileId;
    if (ours && !HasChanges())
        LoadPage();
}

bool PrinterProfilesPanel::HandlesAction(QMAdminActions action) const {
    switch (action) {
    case qmaSave: {
        if (current_ < 0)
            return false;
        for (const auto& tab : tabs_)
            if (!tab->LoadFailed())
                return true;
        return false;
    }
    case qmaRefresh:
        return data_ != nullptr;
    default:
        return false;
    }
}

bool PrinterProfilesPanel::HasChanges() const {
    for (const auto& tab : tabs_)
        if (tab->HasChanges())
            return true;
    return false;
}

std::string PrinterProfilesPanel::Subject() const {
    return current_ >= 0 ? Profile(current_).name : std::string();
}

void PrinterProfilesPanel::UpdateState() {
    const int page = tabWidget_->currentIndex();
    save_->setEnabled(current_ >= 0 && page >= 0 && !Tab(page).LoadFailed());
    revert_->setEnabled(current_ >= 0);
    StateChanged();
}

int PrinterProfilesPanel::ViewCount() const {
    return std::max(1, ProfileCount() * TabCount());
}

ConsolePanel::View PrinterProfilesPanel::ShowView(int index) {
    if (ProfileCount() == 0)
        return {"printer-profiles", Caption()};
    const int row = index / TabCount();
    const int page = index % TabCount();
    if (row != current_)
        ShowProfile(row);
    tabWidget_->setCurrentIndex(page);
    return {"printer-profile-" + std::to_string(Profile(row).id) + "-" + Tab(page).Key(),
            Profile(row).name + ": " + Tab(page).Caption()};
}

} // namespace qm6::console
