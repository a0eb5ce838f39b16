#include "ConsoleWindow.h"

#include "FailureText.h"

#include "common/QM6AdminCommonGlobal.h"
#include "contract/RecordSet.h"
#include "contract/RulePriority.h"
#include "editors/LoadState.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "platform/forms/Host.h"
#include "platform/forms/Screen.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm6::console {

namespace {

// Message box styles and answers of the forms host.
constexpr int kYesNoCancel = 3;
constexpr int kExclamation = 48;
constexpr int kCritical = 16;
constexpr int kYes = 6;
constexpr int kNo = 7;

// Margin around the editor on its page, in twips.
constexpr int32_t kPageMargin = 120;

} // namespace

ConsoleWindow::ConsoleWindow(std::shared_ptr<data::Connection> connection, QWidget* parent)
    : QWidget(parent), data_(std::move(connection)) {
    previousHandler_ = data::SetStatusHandler([this](const data::DataStatus& status) {
        Report(FailureText("A data operation failed", status, Doing::Loading));
    });

    list_ = new QListWidget(this);
    list_->setObjectName("profiles");
    list_->setMinimumWidth(180);

    heading_ = new QLabel(this);
    heading_->setObjectName("heading");
    QFont headingFont = heading_->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.2);
    heading_->setFont(headingFont);

    // Says on the page itself when its rules could not be loaded.
    pageStatus_ = new QLabel(this);
    pageStatus_->setObjectName("pageStatus");
    pageStatus_->setWordWrap(true);
    pageStatus_->setStyleSheet("color: #b00000");
    pageStatus_->hide();

    auto* box = new QGroupBox("Job options", this);
    box->setObjectName("jobOptionsPage");
    page_ = new QWidget(box);
    jobOptions_ = std::make_unique<ctlJobOptions>();
    jobOptions_->PlaceOn(page_, kPageMargin, kPageMargin, ctlJobOptions::kDesignWidth,
                         ctlJobOptions::kDesignHeight);
    const int pageWidth = static_cast<int>((ctlJobOptions::kDesignWidth + 2 * kPageMargin) /
                                           forms::Screen::TwipsPerPixelX());
    const int pageHeight = static_cast<int>((ctlJobOptions::kDesignHeight + 2 * kPageMargin) /
                                            forms::Screen::TwipsPerPixelY());
    page_->setFixedSize(pageWidth, pageHeight);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(page_);

    save_ = new QPushButton("&Save", this);
    save_->setObjectName("save");
    revert_ = new QPushButton("&Revert", this);
    revert_->setObjectName("revert");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(revert_);

    auto* right = new QVBoxLayout;
    right->addWidget(heading_);
    right->addWidget(pageStatus_);
    right->addWidget(box);
    right->addLayout(buttons);
    right->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(right, 1);

    jobOptions_->OnJobOptionChanged = [this] {
        // A load sets the controls too; only the user's edits are changes.
        if (!loading_)
            SetModified(true);
    };
    connect(save_, &QPushButton::clicked, this, [this] { Save(); });
    connect(revert_, &QPushButton::clicked, this, [this] { Revert(); });

    ReadProfiles();
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row == current_ || row < 0)
            return;
        if (!ShowProfile(row)) {
            const QSignalBlocker block(list_);
            list_->setCurrentRow(current_);
        }
    });
    if (!profiles_.empty())
        list_->setCurrentRow(0);
    UpdateTitle();
}

ConsoleWindow::~ConsoleWindow() {
    // The editor's widget lives inside the page; the editor goes first, while
    // its widget still exists.
    jobOptions_.reset();
    data::SetStatusHandler(std::move(previousHandler_));
}

void ConsoleWindow::ReadProfiles() {
    std::shared_ptr<data::RecordSet> records;
    if (data::Status status = data_->LoadPrinterProfiles(records)) {
        lastStatus_ = status;
        Report(FailureText("The printer profiles could not be read", *status, Doing::Loading));
        return;
    }
    for (; records && !records->Eof(); records->MoveNext()) {
        profiles_.push_back({records->Fields("PrinterProfileId").Value.AsLong(),
                             QString::fromStdString(records->Fields("Description").Value.AsString())});
        list_->addItem(profiles_.back().name);
    }
    if (records)
        records->Close();
}

bool ConsoleWindow::ShowProfile(int row) {
    if (row < 0 || row >= ProfileCount())
        return false;
    if (modified_ && row != current_) {
        const int answer = forms::ActiveHost().MsgBox(
            "Save the changes to " + profiles_[static_cast<size_t>(current_)].name.toStdString() + "?",
            kYesNoCancel + kExclamation, ProductTitle());
        if (answer == kYes) {
            if (!Save())
                return false;
        } else if (answer != kNo) {
            return false;
        }
    }
    current_ = row;
    if (list_->currentRow() != row) {
        const QSignalBlocker block(list_);
        list_->setCurrentRow(row);
    }
    LoadPage();
    return true;
}

void ConsoleWindow::LoadPage() {
    heading_->setText(profiles_[static_cast<size_t>(current_)].name);
    loading_ = true;
    lastStatus_ = jobOptions_->LoadData(*data_, data::RulePriorityPrinterProfile,
                                        ProfileId(current_), "printer profile");
    loading_ = false;
    pageLoaded_ = lastStatus_ == nullptr;
    jobOptions_->Enabled(pageLoaded_);
    save_->setEnabled(pageLoaded_);
    pageStatus_->setText(pageLoaded_ ? QString()
                                     : "These rules could not be loaded, so none are shown and the "
                                       "page cannot be saved. Press Revert to try again.");
    pageStatus_->setVisible(!pageLoaded_);
    SetModified(false);
    if (lastStatus_)
        Report(FailureText("The " + PageName() + " could not be loaded", *lastStatus_,
                           Doing::Loading,
                           "The page shows no rules and cannot be saved until they load; press "
                           "Revert to try again."));
}

std::string ConsoleWindow::PageName() const {
    return "job options of " + profiles_[static_cast<size_t>(current_)].name.toStdString();
}

void ConsoleWindow::Report(const std::string& text) {
    ++failures_;
    forms::ActiveHost().MsgBox(text, kCritical, ProductTitle());
}

std::string ConsoleWindow::ProductTitle() {
    return QM6AdminCommonGlobal().ProductName();
}

bool ConsoleWindow::Save() {
    if (current_ < 0)
        return false;
    if (!pageLoaded_) {
        // What the page shows is not what is stored.
        lastStatus_ = LoadState::SaveRefusal();
        Report(FailureText("The " + PageName() + " were not saved", *lastStatus_, Doing::Saving,
                           "Press Revert to load them again."));
        return false;
    }
    if (!saveConfirmed_) {
        if (!QM6AdminCommonGlobal().ShowIdiotBox(kConfirmSaveText, kSettingsKey, kConfirmSaveValue, -1))
            return false;
        saveConfirmed_ = true;
    }
    if (!jobOptions_->Validate())
        return false;
    lastStatus_ = jobOptions_->SaveData(*data_, data::RulePriorityPrinterProfile, ProfileId(current_));
    if (lastStatus_) {
        Report(FailureText("The " + PageName() + " were not saved", *lastStatus_, Doing::Saving));
        return false;
    }
    SetModified(false);
    return true;
}

void ConsoleWindow::Revert() {
    if (current_ >= 0)
        LoadPage();
}

void ConsoleWindow::SetModified(bool modified) {
    modified_ = modified;
    UpdateTitle();
}

void ConsoleWindow::UpdateTitle() {
    QString title = QString::fromStdString(ProductTitle());
    if (current_ >= 0)
        title = profiles_[static_cast<size_t>(current_)].name + " - " + title;
    if (modified_)
        title.prepend('*');
    setWindowTitle(title);
}

} // namespace qm6::console
