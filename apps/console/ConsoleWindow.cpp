#include "ConsoleWindow.h"

#include "ConsoleText.h"
#include "CustomActionsPanel.h"
#include "FailureText.h"
#include "PriceProfilesPanel.h"
#include "PrinterProfilesPanel.h"

#include "common/QM6AdminCommonGlobal.h"
#include "common/clsQM6Branding.h"
#include "contract/AdminMenu.h"
#include "platform/forms/Host.h"
#include "platform/forms/PictureSupport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace qm6::console {

namespace {

constexpr int kCritical = 16;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The menus of a panel's collection: the AdminMenu members (anything else is
// passed over), with their AdminMenuItem entries.
std::vector<std::shared_ptr<AdminMenu>> MenusOf(const std::shared_ptr<vb::Collection>& menus) {
    std::vector<std::shared_ptr<AdminMenu>> found;
    for (int32_t i = 1; menus && i <= menus->Count(); ++i)
        if (auto menu = data::ItemAs<AdminMenu>(*menus, i))
            found.push_back(std::move(menu));
    return found;
}

QIcon IconOf(const pictures::PicturePtr& picture) {
    return picture ? QIcon(forms::ToQPixmap(picture)) : QIcon();
}

} // namespace

ConsoleWindow::ConsoleWindow(std::shared_ptr<data::Connection> connection, QWidget* parent)
    : QMainWindow(parent) {
    previousHandler_ = data::SetStatusHandler([this](const data::DataStatus& status) {
        ++failures_;
        forms::ActiveHost().MsgBox(FailureText(Text(kTxtDataOperationFailed), status, Doing::Loading),
                                   kCritical, ProductTitle());
    });
    setWindowIcon(IconOf(Branding().ClientIcon(32, 32)));

    navigation_ = new QListWidget;
    navigation_->setObjectName("navigation");
    navigation_->setIconSize(QSize(16, 16));
    navigation_->setMaximumWidth(170);
    stack_ = new QStackedWidget;
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(navigation_);
    layout->addWidget(stack_, 1);
    setCentralWidget(central);

    toolbar_ = addToolBar(QText(kTxtToolbar));
    toolbar_->setObjectName("toolbar");
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    BuildCommands();

    AddPanel(std::make_shared<PrinterProfilesPanel>());
    AddPanel(std::make_shared<PriceProfilesPanel>());
    AddPanel(std::make_shared<CustomActionsPanel>());
    for (auto& panel : panels_)
        panel->SetConnection(connection);

    connect(navigation_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row != current_ && row >= 0 && !ShowPanel(row)) {
            const QSignalBlocker block(navigation_);
            navigation_->setCurrentRow(current_);
        }
    });
    ShowPanel(0);
}

ConsoleWindow::~ConsoleWindow() {
    ClearPanelMenus();
    // The panels' widgets are in the stack; they go with their panels.
    for (auto& panel : panels_) {
        panel->Widget()->setParent(nullptr);
        panel->OnNotify = nullptr;
        panel->OnStateChanged = nullptr;
    }
    panels_.clear();
    data::SetStatusHandler(std::move(previousHandler_));
}

PrinterProfilesPanel& ConsoleWindow::PrinterProfiles() const {
    return dynamic_cast<PrinterProfilesPanel&>(Panel(0));
}

PriceProfilesPanel& ConsoleWindow::PriceProfiles() const {
    return dynamic_cast<PriceProfilesPanel&>(Panel(1));
}

CustomActionsPanel& ConsoleWindow::CustomActions() const {
    return dynamic_cast<CustomActionsPanel&>(Panel(2));
}

int ConsoleWindow::Failures() const {
    int failures = failures_;
    for (const auto& panel : panels_)
        failures += panel->Failures();
    return failures;
}

void ConsoleWindow::AddPanel(std::shared_ptr<ConsolePanel> panel) {
    const int index = PanelCount();
    panel->OnNotify = [this, index](QMNotifyType type, vb::Variant value) {
        for (int i = 0; i < PanelCount(); ++i)
            if (i != index)
                panels_[static_cast<size_t>(i)]->Notification(panels_[static_cast<size_t>(index)], type, &value);
        UpdateCommands();
    };
    panel->OnStateChanged = [this, index] {
        if (index == current_)
            UpdateCommands();
    };
    panel->OnConfirmSave = [this] { return ConfirmSave(); };
    stack_->addWidget(panel->Widget());
    auto* item = new QListWidgetItem(IconOf(panel->NavGraphicSmall()), Q(panel->Caption()));
    {
        const QSignalBlocker block(navigation_);
        navigation_->addItem(item);
    }
    panels_.push_back(std::move(panel));
}

void ConsoleWindow::BuildCommands() {
    commands_.assign(kLastAdminAction + 1, nullptr);
    for (int32_t n = kFirstAdminAction; n <= kLastAdminAction; ++n) {
        const auto action = static_cast<QMAdminActions>(n);
        auto* command = new QAction(QText(kTxtActionBase + n), this);
        command->setObjectName("command" + QString::number(n));
        connect(command, &QAction::triggered, this, [this, action] { RunCommand(action); });
        commands_[static_cast<size_t>(n)] = command;
    }
    const auto icon = [this](QStyle::StandardPixmap pixmap) { return style()->standardIcon(pixmap); };
    Command(qmaNew)->setIcon(icon(QStyle::SP_FileIcon));
    Command(qmaNew)->setShortcut(QKeySequence::New);
    Command(qmaSave)->setIcon(icon(QStyle::SP_DialogSaveButton));
    Command(qmaSave)->setShortcut(QKeySequence::Save);
    Command(qmaDelete)->setIcon(icon(QStyle::SP_TrashIcon));
    Command(qmaDelete)->setShortcut(QKeySequence::Delete);
    Command(qmaRefresh)->setIcon(icon(QStyle::SP_BrowserReload));
    Command(qmaRefresh)->setShortcut(QKeySequence::Refresh);
    Command(qmaMoveUp)->setIcon(icon(QStyle::SP_ArrowUp));
    Command(qmaMoveDown)->setIcon(icon(QStyle::SP_ArrowDown));
    Command(qmaCut)->setShortcut(QKeySequence::Cut);
    Command(qmaCopy)->setShortcut(QKeySequence::Copy);
    Command(qmaPaste)->setShortcut(QKeySequence::Paste);
    Command(qmaSelectAll)->setShortcut(QKeySequence::SelectAll);

    QMenu* file = menuBar()->addMenu(QText(kTxtFileMenu));
    file->addActions({Command(qmaSave), Command(qmaImport), Command(qmaExport)});
    file->addSeparator();
    QAction* exit = file->addAction(QText(kTxtExit));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(QText(kTxtEditMenu));
    edit->addActions({Command(qmaNew), Command(qmaEdit), Command(qmaDelete)});
    edit->addSeparator();
    edit->addActions({Command(qmaCut), Command(qmaCopy), Command(qmaPaste), Command(qmaSelectAll)});
    edit->addSeparator();
    edit->addActions({Command(qmaMoveUp), Command(qmaMoveDown)});
    QMenu* view = menuBar()->addMenu(QText(kTxtViewMenu));
    view->addAction(Command(qmaRefresh));

    toolbar_->addActions({Command(qmaNew), Command(qmaSave), Command(qmaDelete), Command(qmaRefresh)});
    toolbar_->addSeparator();
}

bool ConsoleWindow::ShowPanel(int index) {
    if (index < 0 || index >= PanelCount())
        return false;
    if (index == current_)
        return true;
    if (current_ >= 0 && !Panel(current_).ControlDone())
        return false;
    current_ = index;
    stack_->setCurrentWidget(Panel(index).Widget());
    if (navigation_->currentRow() != index) {
        const QSignalBlocker block(navigation_);
        navigation_->setCurrentRow(index);
    }
    BuildPanelMenus();
    UpdateCommands();
    return true;
}

void ConsoleWindow::ClearPanelMenus() {
    for (QAction* action : panelMenus_) {
        menuBar()->removeAction(action);
        delete action->menu();
    }
    for (QAction* action : panelTools_) {
        toolbar_->removeAction(action);
        delete action->menu();
        delete action;
    }
    panelMenus_.clear();
    panelTools_.clear();
}

void ConsoleWindow::BuildPanelMenus() {
    ClearPanelMenus();
    ConsolePanel& panel = Panel(current_);
    // The entries of one menu, each handing its id to the panel.
    auto fill = [this, &panel](QMenu* menu, const AdminMenu& from, bool add) {
        for (int32_t i = 1; i <= from.MenuItems()->Count(); ++i) {
            const auto item = data::ItemAs<AdminMenuItem>(*from.MenuItems(), i);
            if (!item)
                continue;
            QAction* entry = menu->addAction(IconOf(item->Graphic()), Q(item->Caption()));
            entry->setData(Q(item->Id()));
            connect(entry, &QAction::triggered, this, [this, &panel, add, id = item->Id()] {
                if (add)
                    panel.AddItemClicked(id);
                else
                    panel.CustomAction(id);
                UpdateCommands();
            });
        }
    };
    const std::shared_ptr<AdminMenuItem> current = panel.CurrentAddItem();
    for (const bool add : {false, true}) {
        for (const auto& from : MenusOf(add ? panel.AddItemMenus() : panel.CustomMenus())) {
            if (from->PlaceOnMenubar()) {
                auto* menu = new QMenu(Q(from->Caption()), this);
                menu->setObjectName(Q(from->Id()));
                fill(menu, *from, add);
                panelMenus_.push_back(menuBar()->addMenu(menu));
            }
            if (from->PlaceOnToolbar()) {
                auto* menu = new QMenu(Q(from->Caption()), this);
                fill(menu, *from, add);
                auto* button = new QAction(IconOf(from->Graphic()), Q(from->Caption()), this);
                button->setObjectName(Q(from->Id()));
                button->setMenu(menu);
                toolbar_->addAction(button);
                auto* tool = qobject_cast<QToolButton*>(toolbar_->widgetForAction(button));
                // An add menu's button adds its current entry; its arrow
                // offers the others. A panel's own menu opens on a click.
                if (add && current) {
                    button->setIcon(IconOf(current->Graphic() ? current->Graphic() : from->Graphic()));
                    connect(button, &QAction::triggered, this, [this, &panel, id = current->Id()] {
                        panel.AddItemClicked(id);
                        UpdateCommands();
                    });
                    tool->setPopupMode(QToolButton::MenuButtonPopup);
                } else {
                    tool->setPopupMode(QToolButton::InstantPopup);
                }
                panelTools_.push_back(button);
            }
        }
    }
}

void ConsoleWindow::RunCommand(QMAdminActions action) {
    if (current_ < 0)
        return;
    ConsolePanel& panel = Panel(current_);
    if (action == qmaSave)
        panel.Save();
    else if (action == qmaRefresh)
        panel.Refresh();
    else
        panel.StandardAction(action);
    UpdateCommands();
}

void ConsoleWindow::UpdateCommands() {
    QString title = Q(ProductTitle());
    if (current_ >= 0) {
        const ConsolePanel& panel = Panel(current_);
        const auto* handles = dynamic_cast<const IStandardActions*>(&panel);
        for (int32_t n = kFirstAdminAction; n <= kLastAdminAction; ++n)
            commands_[static_cast<size_t>(n)]->setEnabled(!handles ||
                                                          handles->HandlesAction(static_cast<QMAdminActions>(n)));
        title = Q(panel.Caption()) + " - " + title;
        if (!panel.Subject().empty())
            title = Q(panel.Subject()) + " - " + title;
        if (panel.HasChanges())
            title.prepend('*');
    }
    setWindowTitle(title);
}

bool ConsoleWindow::ConfirmSave() {
    if (saveConfirmed_)
        return true;
    if (!QM6AdminCommonGlobal().ShowIdiotBox(Text(kTxtConfirmSave), kSettingsKey, kConfirmSaveValue, -1))
        return false;
    saveConfirmed_ = true;
    return true;
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
    // The chosen panel first, then the others, each shown while it asks.
    std::vector<int> order{current_};
    for (int i = 0; i < PanelCount(); ++i)
        if (i != current_)
            order.push_back(i);
    for (int i : order) {
        if (!Panel(i).HasChanges())
            continue;
        if (!ShowPanel(i) || !Panel(i).ControlDone()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace qm6::console
