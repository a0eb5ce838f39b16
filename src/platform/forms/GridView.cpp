#include "platform/forms/GridColor.h"
#include "platform/forms/GridImpl.h"
#include "platform/forms/QtSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

namespace qm6::forms {

namespace {

int ShiftStateOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0) |
           (m & Qt::AltModifier ? vbAltMask : 0);
}

// The character code a key press types into the editor: backspace 8, a
// printable character its code point; -1 for keys that type nothing
// (movement, Enter, Escape, shortcuts with Ctrl or Alt).
int KeyAsciiOf(const QKeyEvent& e) {
    if (e.key() == Qt::Key_Backspace)
        return 8;
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return -1;
    const QList<uint> chars = e.text().toUcs4();
    if (chars.size() != 1 || chars[0] < 32 || chars[0] == 127)
        return -1;
    return int(chars[0]);
}

bool IsToggleEvent(const QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease)
        return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Space || key == Qt::Key_Select;
    }
    return false;
}

} // namespace

// --- GridView -------------------------------------------------------------------

GridView::GridView(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new GridDelegate(this));
    verticalHeader()->setMinimumSectionSize(1);
    FitRowsToFont();
}

void GridView::FitRowsToFont() {
    // The margin leaves room for a check box's indicator around the text.
    constexpr int kRowMargin = 4;
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowMargin);
}

void GridView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        FitRowsToFont();
    QTableWidget::changeEvent(event);
}

void GridView::Attach(Grid::Impl* grid) {
    g_ = grid;
    static_cast<GridDelegate*>(itemDelegate())->Attach(grid);
}

bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!g_ || !index.isValid() || state() == EditingState)
        return QTableWidget::edit(index, trigger, event);
    if (g_->IsBoolean(index.column()) && !g_->IsCheckCell(index))
        return false; // a Boolean cell without its box has nothing to edit
    if (g_->IsCheckCell(index)) {
        // A check cell never opens a text editor; a click or Space toggles it.
        if (!g_->editable || !event)
            return false;
        if (IsToggleEvent(event)) {
            g_->ToggleCheck(index);
            return true;
        }
        return event->type() == QEvent::MouseButtonDblClick;
    }
    if (!g_->editable || !(trigger & editTriggers()))
        return QTableWidget::edit(index, trigger, event);
    bool cancel = false;
    if (g_->owner.OnBeforeEdit)
        g_->owner.OnBeforeEdit(g_->ToGridRow(index.row()), index.column(), cancel);
    if (cancel)
        return false;
    // The editor's cell is known before it opens: the key that opens it is
    // passed on to it as the first typed key.
    g_->editIndex = index;
    g_->committed = false;
    const bool opened = QTableWidget::edit(index, trigger, event);
    if (!opened || state() != EditingState)
        g_->editIndex = QPersistentModelIndex();
    return opened;
}

void GridView::commitData(QWidget* editor) {
    if (!g_) {
        QTableWidget::commitData(editor);
        return;
    }
    const QPersistentModelIndex index = g_->editIndex;
    if (!index.isValid() || indexWidget(index) != editor) {
        QTableWidget::commitData(editor);
        return;
    }
    bool cancel = false;
    if (g_->owner.OnValidateEdit)
        g_->owner.OnValidateEdit(g_->ToGridRow(index.row()), index.column(), cancel);
    if (cancel) {
        g_->vetoedEditor = editor;
        return;
    }
    g_->vetoedEditor = nullptr;
    QTableWidget::commitData(editor);
    g_->committed = true;
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (!g_) {
        QTableWidget::closeEditor(editor, hint);
        return;
    }
    if (editor && g_->vetoedEditor == editor && hint != QAbstractItemDelegate::RevertModelCache) {
        // Validation refused the edit: the editor stays open with its text
        // and gets the focus back once the event that closed it is done.
        g_->vetoedEditor = nullptr;
        QPointer<QWidget> e(editor);
        QTimer::singleShot(0, this, [e] {
            if (e)
                e->setFocus();
        });
        return;
    }
    g_->vetoedEditor = nullptr;
    const QPersistentModelIndex index = g_->editIndex;
    const bool ours = index.isValid() && indexWidget(index) == editor;
    const bool committed = ours && g_->committed;
    if (ours) {
        g_->editIndex = QPersistentModelIndex();
        g_->committed = false;
    }
    QTableWidget::closeEditor(editor, hint);
    if (committed && index.isValid() && g_->owner.OnAfterEdit)
        g_->owner.OnAfterEdit(g_->ToGridRow(index.row()), index.column());
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableWidget::currentChanged(current, previous);
    if (!g_)
        return;
    // Moving away from a cell whose edit was refused: the cursor goes back
    // to the open editor.
    const QPersistentModelIndex open = g_->editIndex;
    if (open.isValid() && state() == EditingState && current != open && indexWidget(open)) {
        selectionModel()->setCurrentIndex(open, QItemSelectionModel::ClearAndSelect);
        return;
    }
    g_->ReportCurrent();
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (g_ && state() != EditingState && g_->owner.OnKeyDown) {
        int code = VbKeyCode(event->key());
        if (code != 0) {
            g_->owner.OnKeyDown(code, ShiftStateOf(event->modifiers()));
            if (code == 0) {
                event->accept();
                return;
            }
        }
    }
    QTableWidget::keyPressEvent(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (g_ && event->button() == Qt::LeftButton && g_->owner.OnDblClick)
        g_->owner.OnDblClick();
    QTableWidget::mouseDoubleClickEvent(event);
}

// --- GridDelegate ---------------------------------------------------------------

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!g_)
        return;
    const int col = index.column();
    if (g_->IsBoolean(col)) {
        // A cell of a Boolean column shows its box, unchecked until set,
        // unless its box was taken away.
        if (g_->IsCheckCell(index)) {
            option->features |= QStyleOptionViewItem::HasCheckIndicator;
            const QVariant state = index.data(Qt::CheckStateRole);
            option->checkState = state.isValid() ? Qt::CheckState(state.toInt()) : Qt::Unchecked;
        } else {
            option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
        }
        option->text.clear();
        option->displayAlignment = Qt::AlignCenter;
    } else if (g_->IsNumeric(col)) {
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        option->text = g_->DisplayText(index);
    }
    const QVariant color = index.data(kForeColorRole);
    if (color.isValid()) {
        const QColor c = ResolveColor(color.toUInt(), QApplication::palette());
        option->palette.setColor(QPalette::Text, c);
    }
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
    if (g_ && event->type() == QEvent::KeyPress && g_->owner.OnKeyPressEdit &&
        g_->editIndex.isValid()) {
        auto* editor = qobject_cast<QLineEdit*>(object);
        const int typed = KeyAsciiOf(*static_cast<QKeyEvent*>(event));
        if (editor && typed >= 0) {
            int key = typed;
            g_->owner.OnKeyPressEdit(g_->ToGridRow(g_->editIndex.row()), g_->editIndex.column(),
                                     key);
            if (key == 0)
                return true; // dropped
            if (key != typed) {
                // Another character is typed in its place.
                if (key == 8) {
                    editor->backspace();
                } else {
                    const char32_t c = char32_t(key);
                    editor->insert(QString::fromUcs4(&c, 1));
                }
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace qm6::forms
