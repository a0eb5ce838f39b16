#include "ConsolePanel.h"

#include "ConsoleText.h"

#include "common/Fonts.h"
#include "common/QM6AdminCommonGlobal.h"
#include "contract/AdminMenu.h"
#include "platform/forms/Host.h"
#include "platform/forms/QtSupport.h"
#include "platform/forms/Screen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace qm6::console {

namespace {

// Message box styles and answers of the forms host.
constexpr int kYesNoCancel = 3;
constexpr int kExclamation = 48;
constexpr int kCritical = 16;
constexpr int kYes = 6;
constexpr int kNo = 7;

} // namespace

IStandardActions::~IStandardActions() = default;

std::string ProductTitle() {
    return QM6AdminCommonGlobal().ProductName();
}

data::Status SaveStopped() {
    return data::MakeStatus(0, std::string());
}

ConsolePanel::ConsolePanel() : widget_(new QWidget) {
    if (fonts::FontPtr font = LibraryFont())
        Font(std::move(font));
}

ConsolePanel::~ConsolePanel() {
    if (font_)
        font_->Unsubscribe(fontToken_);
    delete widget_;
}

void ConsolePanel::SetConnection(std::shared_ptr<data::Connection> pinsData) {
    data_ = std::move(pinsData);
    ReadData();
}

bool ConsolePanel::Visible() const {
    return widget_->isVisible();
}

void ConsolePanel::Visible(bool pblnVisible) {
    widget_->setVisible(pblnVisible);
}

int32_t ConsolePanel::Left() const {
    return static_cast<int32_t>(widget_->x() * forms::Screen::TwipsPerPixelX());
}

void ConsolePanel::Left(int32_t plngLeft) {
    widget_->move(forms::Screen::ToPixelsX(plngLeft), widget_->y());
}

int32_t ConsolePanel::Top() const {
    return static_cast<int32_t>(widget_->y() * forms::Screen::TwipsPerPixelY());
}

void ConsolePanel::Top(int32_t plngTop) {
    widget_->move(widget_->x(), forms::Screen::ToPixelsY(plngTop));
}

int32_t ConsolePanel::hwnd() const {
    // Only a window that has one already: asking Qt to make one would change
    // how the window is drawn.
    return static_cast<int32_t>(widget_->window()->internalWinId());
}

void ConsolePanel::Font(fonts::FontPtr pinsFont) {
    if (font_)
        font_->Unsubscribe(fontToken_);
    font_ = std::move(pinsFont);
    if (!font_)
        return;
    fontToken_ = font_->Subscribe([this] { widget_->setFont(forms::ToQFont(font_.get())); });
    widget_->setFont(forms::ToQFont(font_.get()));
}

void ConsolePanel::SetFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

bool ConsolePanel::ControlDone() {
    if (!HasChanges())
        return true;
    const int answer = forms::ActiveHost().MsgBox(Text(kTxtSaveChangesTo, Subject()),
                                                  kYesNoCancel + kExclamation, ProductTitle());
    if (answer == kYes)
        return Save() == nullptr;
    if (answer == kNo) {
        Revert();
        return true;
    }
    return false;
}

void ConsolePanel::BuildLayout(QLayout* content) {
    list_ = new QListWidget(widget_);
    list_->setObjectName("list");
    list_->setMinimumWidth(180);
    heading_ = new QLabel(widget_);
    heading_->setObjectName("heading");
    QFont font = heading_->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    heading_->setFont(font);
    save_ = new QPushButton(QText(kTxtSave), widget_);
    save_->setObjectName("save");
    revert_ = new QPushButton(QText(kTxtRevert), widget_);
    revert_->setObjectName("revert");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(revert_);
    auto* right = new QVBoxLayout;
    right->addWidget(heading_);
    right->addLayout(content);
    right->addLayout(buttons);
    right->addStretch();
    auto* layout = new QHBoxLayout(widget_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    layout->addLayout(right, 1);

    QObject::connect(save_, &QPushButton::clicked, widget_, [this] { Save(); });
    QObject::connect(revert_, &QPushButton::clicked, widget_, [this] { Revert(); });
    QObject::connect(list_, &QListWidget::currentRowChanged, widget_, [this](int row) {
        if (row == current_ || row < 0)
            return;
        if (!ShowProfile(row)) {
            const QSignalBlocker block(list_);
            list_->setCurrentRow(current_);
        }
    });
}

void ConsolePanel::ClearList() {
    const QSignalBlocker block(list_);
    list_->clear();
    current_ = -1;
}

void ConsolePanel::AddToList(const std::string& name) {
    const QSignalBlocker block(list_);
    list_->addItem(QString::fromStdString(name));
}

bool ConsolePanel::ChooseRow(int row) {
    if (row < 0 || row >= list_->count())
        return false;
    if (row != current_ && current_ >= 0 && !ControlDone())
        return false;
    if (row >= list_->count())
        return false;
    current_ = row;
    if (list_->currentRow() != row) {
        const QSignalBlocker block(list_);
        list_->setCurrentRow(row);
    }
    return true;
}

void ConsolePanel::Notify(QMNotifyType type, vb::Variant changedValue) {
    if (OnNotify)
        OnNotify(type, std::move(changedValue));
}

void ConsolePanel::StateChanged() {
    if (OnStateChanged)
        OnStateChanged();
}

bool ConsolePanel::ConfirmSave() {
    return !OnConfirmSave || OnConfirmSave();
}

void ConsolePanel::Report(const std::string& text) {
    ++failures_;
    forms::ActiveHost().MsgBox(text, kCritical, ProductTitle());
}

std::shared_ptr<AdminMenu> ConsolePanel::MakeMenu(
    const std::string& id, const std::string& caption,
    std::initializer_list<std::pair<std::string, std::string>> items) {
    auto menu = std::make_shared<AdminMenu>();
    menu->Id(id);
    menu->Caption(caption);
    for (const auto& [itemId, itemCaption] : items) {
        auto item = std::make_shared<AdminMenuItem>();
        item->Id(itemId);
        item->Caption(itemCaption);
        menu->MenuItems()->Add(vb::ObjectVariant(item));
    }
    return menu;
}

} // namespace qm6::console
