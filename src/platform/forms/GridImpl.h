#pragma once

// Private parts of Grid: its state, the table view that carries the edit
// notifications, and the delegate that paints check boxes and formats and
// filters keys typed in the cell editor.

#include "platform/forms/Grid.h"
#include "platform/forms/SystemColors.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <string>
#include <vector>

namespace qm6::forms {

class GridView;

// Item data role that holds a cell's own text colour as a platform colour
// value; resolved against the palette when painted, so that system colours
// follow the palette.
inline constexpr int kForeColorRole = Qt::UserRole + 1;
// Item data role set on a cell of a Boolean column whose box was taken away
// (check state 0).
inline constexpr int kNoCheckBoxRole = Qt::UserRole + 2;

// A cell's text as painted in a column with a display format: the runtime's
// Format in the calling thread's locale; in a Currency column, of the
// amount the text holds, read exactly.
std::string GridDisplayText(const std::string& text, const std::string& format, GridDataType type);

class Grid::Impl {
public:
    struct Column {
        GridDataType type = GridDataType::Empty;
        std::string format;
        int widthTwips = -1; // -1: the default width
    };

    Impl(Grid& owner, GridView* view);
    ~Impl();

    // Grid coordinates (fixed row included) from and to the table's.
    int ToGridRow(int tableRow) const { return tableRow + fixedRows; }
    void CheckRow(int row) const;
    void CheckCol(int col) const;
    bool IsBoolean(int col) const {
        return col >= 0 && size_t(col) < columns.size() &&
               columns[size_t(col)].type == GridDataType::Boolean;
    }
    bool IsNumeric(int col) const;
    // A data cell that shows a check box: every cell of a Boolean column
    // whose box was not taken away, and any cell given a check state.
    bool IsCheckCell(const QModelIndex& index) const;
    // The text a data cell paints (empty for a Boolean cell).
    QString DisplayText(const QModelIndex& index) const;

    QTableWidgetItem* HeaderItem(int col);
    QTableWidgetItem* DataItem(int tableRow, int col); // created when missing

    // The model, whose signals are held back while redraw is off; else nullptr.
    QObject* QuietModel() const;
    void SetText(int row, int col, const QString& text);
    void SetCheck(int row, int col, int state);
    void SetCellColor(int row, int col, uint32_t color);
    void ApplyForeColor();
    void UpdateHeaderVisible();
    void EnsureCursor();
    void ToggleCheck(const QModelIndex& index);
    // Fires RowColChange when the current cell differs from the last one reported.
    void ReportCurrent();

    Grid& owner;
    GridView* view = nullptr;
    int fixedRows = 1;
    bool headerHidden = false; // row 0 hidden while it is the fixed row
    bool redraw = true;
    bool editable = false;
    uint32_t foreColor = kSysWindowText;
    std::vector<Column> columns;

    // The cell whose editor is open, and how its edit is going.
    QPersistentModelIndex editIndex;
    QPointer<QWidget> vetoedEditor; // validation refused; its close is ignored
    bool committed = false;
    int lastRow = -1, lastCol = -1;
};

// The table: decides when an editor may open, runs validation before a
// commit, reports keys, double-clicks and cursor moves.
class GridView : public QTableWidget {
public:
    explicit GridView(QWidget* parent);
    // Connects the view to its grid (nullptr: a plain table from then on).
    void Attach(Grid::Impl* grid);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Rows as high as the platform's grid makes them: one line of the
    // grid's font and a small margin, not the style's taller default.
    void FitRowsToFont();

    Grid::Impl* g_ = nullptr;
};

// Paints check boxes in Boolean columns, right-aligns and formats numeric
// columns, applies cell colours, and passes typed keys to KeyPressEdit.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    void Attach(Grid::Impl* grid) { g_ = grid; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    Grid::Impl* g_ = nullptr;
};

} // namespace qm6::forms
