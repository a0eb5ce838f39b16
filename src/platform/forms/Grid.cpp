#include "platform/forms/Grid.h"

#include "platform/forms/GridColor.h"
#include "platform/forms/GridImpl.h"
#include "platform/forms/Container.h"
#include "platform/forms/Screen.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/Format.h"
#include "platform/vb/VbError.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

namespace qm6::forms {

namespace {

using vb::ErrorNumber;
using vb::VbError;

[[noreturn]] void InvalidValue() {
    throw VbError(ErrorNumber::InvalidProcedureCall);
}

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string S(const QString& s) {
    return s.toStdString();
}

// The check state a Boolean cell takes from text written to it: "True" or
// "False" in any case, or a number (non-zero is true); anything else,
// the empty text included, is false.
bool TextIsTrue(const std::string& text) {
    QString t = Q(text).trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.isEmpty() || t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    try {
        return vb::ParseNumericText(text) != 0.0;
    } catch (const VbError&) {
        return false;
    }
}

QLineEdit* OpenEditor(const Grid::Impl& g) {
    if (!g.editIndex.isValid())
        return nullptr;
    return qobject_cast<QLineEdit*>(g.view->indexWidget(g.editIndex));
}

} // namespace

// --- Impl ---------------------------------------------------------------------

Grid::Impl::Impl(Grid& grid, GridView* table) : owner(grid), view(table) {
    view->Attach(this);
    view->verticalHeader()->hide();
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    ApplyForeColor();
}

Grid::Impl::~Impl() {
    // The control deletes the widget after this: from here on the view and
    // its delegate act as a plain table.
    view->Attach(nullptr);
}

void Grid::Impl::CheckRow(int row) const {
    if (row < 0 || row >= view->rowCount() + fixedRows)
        throw VbError(ErrorNumber::SubscriptOutOfRange);
}

void Grid::Impl::CheckCol(int col) const {
    if (col < 0 || col >= view->columnCount())
        throw VbError(ErrorNumber::SubscriptOutOfRange);
}

bool Grid::Impl::IsNumeric(int col) const {
    if (col < 0 || size_t(col) >= columns.size())
        return false;
    switch (columns[size_t(col)].type) {
    case GridDataType::Short:
    case GridDataType::Long:
    case GridDataType::Single:
    case GridDataType::Double:
    case GridDataType::Currency:
        return true;
    default:
        return false;
    }
}

bool Grid::Impl::IsCheckCell(const QModelIndex& index) const {
    if (index.data(Qt::CheckStateRole).isValid())
        return true;
    return IsBoolean(index.column()) && !index.data(kNoCheckBoxRole).toBool();
}

QString Grid::Impl::DisplayText(const QModelIndex& index) const {
    const int col = index.column();
    if (IsBoolean(col))
        return QString();
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!IsNumeric(col) || text.isEmpty())
        return text;
    const Column& column = columns[size_t(col)];
    return column.format.empty() ? text : Q(GridDisplayText(S(text), column.format, column.type));
}

QTableWidgetItem* Grid::Impl::HeaderItem(int col) {
    QTableWidgetItem* item = view->horizontalHeaderItem(col);
    if (!item) {
        item = new QTableWidgetItem;
        view->setHorizontalHeaderItem(col, item);
    }
    return item;
}

QTableWidgetItem* Grid::Impl::DataItem(int tableRow, int col) {
    QTableWidgetItem* item = view->item(tableRow, col);
    if (!item) {
        item = new QTableWidgetItem;
        view->setItem(tableRow, col, item);
    }
    return item;
}

// While redraw is off, a cell's change is not announced by the model: the
// only listeners repaint the cell (nothing is painted now, and switching
// redraw on repaints everything) or report item changes nobody here uses.
// This keeps filling many rows close to the cost of creating the items.
QObject* Grid::Impl::QuietModel() const {
    return redraw ? nullptr : view->model();
}

void Grid::Impl::SetText(int row, int col, const QString& text) {
    if (row < fixedRows) {
        HeaderItem(col)->setText(text); // the header view must hear of it
        return;
    }
    const QSignalBlocker quiet(QuietModel());
    const int r = row - fixedRows;
    if (IsBoolean(col)) {
        SetCheck(row, col, TextIsTrue(text.toStdString()) ? kGridChecked : kGridUnchecked);
        return;
    }
    if (QTableWidgetItem* item = view->item(r, col))
        item->setText(text);
    else
        view->setItem(r, col, new QTableWidgetItem(text));
}

void Grid::Impl::SetCheck(int row, int col, int state) {
    if (state < kGridNoCheckBox || state > kGridUnchecked)
        InvalidValue();
    if (row < fixedRows)
        return; // the header row shows no check boxes
    const int r = row - fixedRows;
    QVariant value;
    if (state == kGridChecked)
        value = int(Qt::Checked);
    else if (state == kGridUnchecked)
        value = int(Qt::Unchecked);
    const bool noBox = state == kGridNoCheckBox && IsBoolean(col);
    if (!value.isValid() && !noBox && !view->item(r, col))
        return;
    const QSignalBlocker quiet(QuietModel());
    QTableWidgetItem* item = DataItem(r, col);
    item->setData(kNoCheckBoxRole, noBox ? QVariant(true) : QVariant());
    item->setData(Qt::CheckStateRole, value);
}

void Grid::Impl::SetCellColor(int row, int col, uint32_t color) {
    if (row < fixedRows) {
        QTableWidgetItem* header = HeaderItem(col);
        header->setData(kForeColorRole, uint(color));
        header->setForeground(ResolveColor(color, QApplication::palette()));
        return;
    }
    const QSignalBlocker quiet(QuietModel());
    DataItem(row - fixedRows, col)->setData(kForeColorRole, uint(color));
}

void Grid::Impl::ApplyForeColor() {
    // The grid keeps its text colour when disabled, as the original control
    // does; the editors grey their cells themselves.
    const QColor c = ResolveColor(foreColor, QApplication::palette());
    QPalette p = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, c);
    view->setPalette(p);
}

void Grid::Impl::UpdateHeaderVisible() {
    view->horizontalHeader()->setVisible(fixedRows > 0 && !headerHidden);
}

void Grid::Impl::EnsureCursor() {
    if (view->currentIndex().isValid() || view->rowCount() == 0 || view->columnCount() == 0)
        return;
    int col = 0;
    while (col < view->columnCount() && view->isColumnHidden(col))
        ++col;
    if (col == view->columnCount())
        col = 0;
    view->setCurrentCell(0, col);
}

void Grid::Impl::ToggleCheck(const QModelIndex& index) {
    const int row = ToGridRow(index.row());
    const int col = index.column();
    bool cancel = false;
    if (owner.OnBeforeEdit)
        owner.OnBeforeEdit(row, col, cancel);
    if (cancel)
        return;
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    SetCheck(row, col, checked ? kGridUnchecked : kGridChecked);
    if (owner.OnAfterEdit)
        owner.OnAfterEdit(row, col);
}

void Grid::Impl::ReportCurrent() {
    const int row = owner.Row();
    const int col = owner.Col();
    if (row == lastRow && col == lastCol)
        return;
    lastRow = row;
    lastCol = col;
    if (owner.OnRowColChange)
        owner.OnRowColChange();
}

// --- Grid ---------------------------------------------------------------------

Grid::Grid(Container& parent, std::string name, int32_t index)
    : Control(parent, std::move(name), index, new GridView(parent.ClientWidget()), true, false),
      d_(std::make_unique<Impl>(*this, static_cast<GridView*>(Widget()))) {}

Grid::~Grid() = default;

int Grid::Rows() const {
    return d_->view->rowCount() + d_->fixedRows;
}

void Grid::Rows(int rows) {
    if (rows < 0)
        InvalidValue();
    if (rows < d_->fixedRows)
        FixedRows(rows);
    d_->view->setRowCount(rows - d_->fixedRows);
    d_->EnsureCursor();
    d_->ReportCurrent();
}

int Grid::FixedRows() const {
    return d_->fixedRows;
}

void Grid::FixedRows(int fixedRows) {
    if (fixedRows < 0 || fixedRows > 1)
        InvalidValue();
    Impl& g = *d_;
    if (fixedRows == g.fixedRows)
        return;
    QTableWidget* v = g.view;
    if (fixedRows == 0) {
        // The header row becomes the first data row.
        v->insertRow(0);
        for (int c = 0; c < v->columnCount(); ++c) {
            if (QTableWidgetItem* item = v->takeHorizontalHeaderItem(c))
                v->setItem(0, c, item);
            v->setHorizontalHeaderItem(c, new QTableWidgetItem);
        }
    } else {
        // The first data row becomes the header row (one is added if none).
        if (v->rowCount() == 0)
            v->insertRow(0);
        for (int c = 0; c < v->columnCount(); ++c) {
            QTableWidgetItem* item = v->takeItem(0, c);
            v->setHorizontalHeaderItem(c, item ? item : new QTableWidgetItem);
        }
        v->removeRow(0);
    }
    g.fixedRows = fixedRows;
    g.UpdateHeaderVisible();
    g.EnsureCursor();
    g.ReportCurrent();
}

int Grid::Cols() const {
    return d_->view->columnCount();
}

void Grid::Cols(int cols) {
    if (cols < 0)
        InvalidValue();
    Impl& g = *d_;
    const int old = g.view->columnCount();
    g.view->setColumnCount(cols);
    g.columns.resize(size_t(cols));
    // Header cells start empty rather than numbered.
    for (int c = old; c < cols; ++c)
        g.view->setHorizontalHeaderItem(c, new QTableWidgetItem);
    g.EnsureCursor();
    g.ReportCurrent();
}

bool Grid::ColHidden(int col) const {
    d_->CheckCol(col);
    return d_->view->isColumnHidden(col);
}

void Grid::ColHidden(int col, bool hidden) {
    d_->CheckCol(col);
    d_->view->setColumnHidden(col, hidden);
}

int Grid::ColWidth(int col) const {
    d_->CheckCol(col);
    const Impl::Column& c = d_->columns[size_t(col)];
    if (c.widthTwips >= 0)
        return c.widthTwips;
    return Screen::ToTwipsX(d_->view->horizontalHeader()->defaultSectionSize());
}

void Grid::ColWidth(int col, int twips) {
    d_->CheckCol(col);
    if (twips < 0)
        InvalidValue();
    d_->columns[size_t(col)].widthTwips = twips;
    d_->view->setColumnWidth(col, Screen::ToPixelsX(twips));
}

GridDataType Grid::ColDataType(int col) const {
    d_->CheckCol(col);
    return d_->columns[size_t(col)].type;
}

void Grid::ColDataType(int col, GridDataType type) {
    d_->CheckCol(col);
    Impl& g = *d_;
    const bool wasBoolean = g.IsBoolean(col);
    g.columns[size_t(col)].type = type;
    const bool isBoolean = type == GridDataType::Boolean;
    if (wasBoolean == isBoolean)
        return;
    // Existing cells change between text and check state.
    for (int r = 0; r < g.view->rowCount(); ++r) {
        QTableWidgetItem* item = g.view->item(r, col);
        if (!item)
            continue;
        item->setData(kNoCheckBoxRole, QVariant());
        if (isBoolean) {
            const bool on = TextIsTrue(item->text().toStdString());
            item->setText(QString());
            item->setData(Qt::CheckStateRole, int(on ? Qt::Checked : Qt::Unchecked));
        } else {
            const bool on = item->data(Qt::CheckStateRole).toInt() == Qt::Checked;
            item->setData(Qt::CheckStateRole, QVariant());
            item->setText(on ? QStringLiteral("True") : QStringLiteral("False"));
        }
    }
    g.view->viewport()->update();
}

std::string Grid::ColFormat(int col) const {
    d_->CheckCol(col);
    return d_->columns[size_t(col)].format;
}

void Grid::ColFormat(int col, std::string format) {
    d_->CheckCol(col);
    d_->columns[size_t(col)].format = std::move(format);
    d_->view->viewport()->update();
}

bool Grid::RowHidden(int row) const {
    d_->CheckRow(row);
    if (row < d_->fixedRows)
        return d_->headerHidden;
    return d_->view->isRowHidden(row - d_->fixedRows);
}

void Grid::RowHidden(int row, bool hidden) {
    d_->CheckRow(row);
    if (row < d_->fixedRows) {
        d_->headerHidden = hidden;
        d_->UpdateHeaderVisible();
        return;
    }
    d_->view->setRowHidden(row - d_->fixedRows, hidden);
}

std::string Grid::TextMatrix(int row, int col) const {
    d_->CheckRow(row);
    d_->CheckCol(col);
    const Impl& g = *d_;
    if (row < g.fixedRows) {
        const QTableWidgetItem* item = g.view->horizontalHeaderItem(col);
        return item ? S(item->text()) : std::string();
    }
    const QTableWidgetItem* item = g.view->item(row - g.fixedRows, col);
    if (g.IsBoolean(col)) {
        const bool on = item && item->data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return on ? "True" : "False";
    }
    return item ? S(item->text()) : std::string();
}

void Grid::TextMatrix(int row, int col, const std::string& text) {
    d_->CheckRow(row);
    d_->CheckCol(col);
    d_->SetText(row, col, Q(text));
}

vb::Variant Grid::Cell(GridCellProperty property, int row, int col) const {
    d_->CheckRow(row);
    d_->CheckCol(col);
    const Impl& g = *d_;
    const bool header = row < g.fixedRows;
    const QTableWidgetItem* item = header ? g.view->horizontalHeaderItem(col)
                                          : g.view->item(row - g.fixedRows, col);
    switch (property) {
    case GridCellProperty::Text:
        return TextMatrix(row, col);
    case GridCellProperty::TextDisplay:
        if (header)
            return TextMatrix(row, col);
        return S(g.DisplayText(g.view->model()->index(row - g.fixedRows, col)));
    case GridCellProperty::Checked: {
        if (header)
            return int32_t(kGridNoCheckBox);
        const QVariant v = item ? item->data(Qt::CheckStateRole) : QVariant();
        if (!v.isValid()) {
            const bool noBox = item && item->data(kNoCheckBoxRole).toBool();
            return int32_t(g.IsBoolean(col) && !noBox ? kGridUnchecked : kGridNoCheckBox);
        }
        return int32_t(v.toInt() == Qt::Checked ? kGridChecked : kGridUnchecked);
    }
    case GridCellProperty::ForeColor: {
        const QVariant v = item ? item->data(kForeColorRole) : QVariant();
        return int32_t(v.isValid() ? v.toUInt() : g.foreColor);
    }
    }
    InvalidValue();
}

void Grid::Cell(GridCellProperty property, int row1, int col1, int row2, int col2,
                   const vb::Variant& value) {
    Impl& g = *d_;
    g.CheckRow(row1);
    g.CheckRow(row2);
    g.CheckCol(col1);
    g.CheckCol(col2);
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    switch (property) {
    case GridCellProperty::Text: {
        const QString text = Q(vb::CStr(value));
        for (int r = row1; r <= row2; ++r)
            for (int c = col1; c <= col2; ++c)
                g.SetText(r, c, text);
        return;
    }
    case GridCellProperty::Checked: {
        const int32_t state = vb::CLng(value);
        for (int r = row1; r <= row2; ++r)
            for (int c = col1; c <= col2; ++c)
                g.SetCheck(r, c, state);
        return;
    }
    case GridCellProperty::TextDisplay:
        break; // read only
    case GridCellProperty::ForeColor: {
        // Colour values above 0x7FFFFFFF (the system colours) arrive as
        // negative Longs.
        const auto color = uint32_t(vb::CLng(value));
        for (int r = row1; r <= row2; ++r)
            for (int c = col1; c <= col2; ++c)
                g.SetCellColor(r, c, color);
        return;
    }
    }
    InvalidValue();
}

std::string Grid::EditText() const {
    const QLineEdit* editor = OpenEditor(*d_);
    return editor ? S(editor->text()) : std::string();
}

void Grid::EditText(const std::string& text) {
    if (QLineEdit* editor = OpenEditor(*d_))
        editor->setText(Q(text));
}

bool Grid::IsEditing() const {
    return OpenEditor(*d_) != nullptr;
}

uint32_t Grid::ForeColor() const {
    return d_->foreColor;
}

void Grid::ForeColor(uint32_t color) {
    d_->foreColor = color;
    d_->ApplyForeColor();
}

bool Grid::Redraw() const {
    return d_->redraw;
}

void Grid::Redraw(bool redraw) {
    Impl& g = *d_;
    if (redraw == g.redraw)
        return;
    g.redraw = redraw;
    // With updates disabled every change only records itself in the model;
    // no region is invalidated and nothing is painted or laid out until
    // updates come back, which repaints the grid once.
    g.view->setUpdatesEnabled(redraw);
    if (redraw)
        g.view->viewport()->update();
}

bool Grid::Editable() const {
    return d_->editable;
}

void Grid::Editable(bool editable) {
    d_->editable = editable;
    d_->view->setEditTriggers(editable ? QAbstractItemView::DoubleClicked |
                                             QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed
                                       : QAbstractItemView::NoEditTriggers);
}

int Grid::Row() const {
    const QModelIndex i = d_->view->currentIndex();
    return i.isValid() ? d_->ToGridRow(i.row()) : -1;
}

void Grid::Row(int row) {
    Impl& g = *d_;
    if (row == -1) {
        g.view->setCurrentIndex(QModelIndex());
        return;
    }
    if (row < g.fixedRows || row >= Rows())
        throw VbError(ErrorNumber::SubscriptOutOfRange);
    const int col = std::max(g.view->currentColumn(), 0);
    g.view->setCurrentCell(row - g.fixedRows, col);
}

int Grid::Col() const {
    const QModelIndex i = d_->view->currentIndex();
    return i.isValid() ? i.column() : -1;
}

void Grid::AutoSize(int col) {
    d_->CheckCol(col);
    d_->view->resizeColumnToContents(col);
    d_->columns[size_t(col)].widthTwips = Screen::ToTwipsX(d_->view->columnWidth(col));
}

std::string Grid::FontName() const {
    return Font()->Name();
}

void Grid::FontName(const std::string& name) {
    Font()->Name(name);
}

float Grid::FontSize() const {
    return Font()->Size();
}

void Grid::FontSize(float points) {
    if (!(points > 0))
        InvalidValue();
    Font()->Size(points);
}

std::string GridDisplayText(const std::string& text, const std::string& format, GridDataType type) {
    try {
        // An amount of money is formatted from its exact decimal digits; a
        // detour through a Double would round amounts beyond 15 digits.
        if (type == GridDataType::Currency)
            return vb::Format(vb::Variant(vb::CCurOfFormatted(text, format)), format);
        return vb::Format(vb::Variant(text), format);
    } catch (const VbError&) {
        return text; // a format the runtime refuses paints the text as it is
    }
}

} // namespace qm6::forms
