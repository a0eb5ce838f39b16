#pragma once

// Grid: the stand-in for the outside grid control the editors place on their
// panels, over a QTableWidget. Rows and columns count from 0, fixed (header)
// rows included; widths and positions are in twips; colours are platform
// colour values (0x00BBGGRR, or 0x800000nn for a system colour). The
// notifications are plain std::function members whose Cancel / KeyAscii
// arguments are passed by reference, as the editors' handlers expect.
//
// Grid is a Control (type name "VSFlexGrid") with a Font; the key-down and
// double-click notifications are the control's OnKeyDown and OnDblClick.
// This header needs no Qt: the editors use the grid without seeing Qt.

#include "platform/forms/Control.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qm6::forms {

// Data type of a column; the values are those of the original control's
// ColDataType (which follow the runtime's variant types).
enum class GridDataType : int {
    Empty = 0,
    Short = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Boolean = 11,
};

// Cell properties addressed by number over a range.
enum class GridCellProperty : int {
    Text = 0,      // the cell's text
    Checked = 5,   // check box: 0 none, 1 checked, 2 unchecked
    ForeColor = 7, // text colour of the cell (a platform colour value)
    TextDisplay = 19, // read only: the text as painted (through the column's format)
};

// Check states of property 5.
inline constexpr int kGridNoCheckBox = 0;
inline constexpr int kGridChecked = 1;
inline constexpr int kGridUnchecked = 2;

class Grid : public Control {
public:
    // A grid with one fixed (header) row, no data rows and no columns.
    Grid(Container& parent, std::string name, int32_t index = -1);
    ~Grid() override;

    std::string TypeName() const override { return "VSFlexGrid"; }

    // --- Shape ---------------------------------------------------------------
    // Rows counts the fixed rows too. FixedRows is 0 or 1; the fixed row is
    // row 0 and is shown as the column header. Lowering Rows below FixedRows
    // lowers FixedRows with it. Bad values raise "Invalid procedure call" (5).
    int Rows() const;
    void Rows(int rows);
    int FixedRows() const;
    void FixedRows(int fixedRows);
    int Cols() const;
    void Cols(int cols);

    // --- Columns -------------------------------------------------------------
    // A column or row index outside the grid raises "Subscript out of range" (9).
    bool ColHidden(int col) const;
    void ColHidden(int col, bool hidden);
    int ColWidth(int col) const; // twips
    void ColWidth(int col, int twips);
    // Boolean columns show every data cell as a check box, except cells
    // given the check state 0 (no box), which show nothing and cannot be
    // edited; numeric columns are right-aligned and show their text through
    // the column's format.
    GridDataType ColDataType(int col) const;
    void ColDataType(int col, GridDataType type);
    // Display format of a numeric column: the cells keep the text that was
    // set; what is painted is the runtime's Format of that text with the
    // format ("Currency", "$#,##0.00", ...) in the calling thread's locale;
    // a Currency column reads its text as an exact amount (CCurOfFormatted),
    // other numeric columns as a Double.
    // Text that is no number is painted as it is.
    std::string ColFormat(int col) const;
    void ColFormat(int col, std::string format);

    // --- Rows ----------------------------------------------------------------
    bool RowHidden(int row) const;
    void RowHidden(int row, bool hidden);

    // --- Cells ---------------------------------------------------------------
    // The text of a cell. In a Boolean column the text is the check state:
    // it reads "True" or "False", and "True", "False" and numbers (non-zero
    // is true) can be written.
    std::string TextMatrix(int row, int col) const;
    void TextMatrix(int row, int col, const std::string& text);

    // Reads a property of one cell: Text and TextDisplay a string, Checked
    // and ForeColor a Long. A fixed (header) cell reads back the colour
    // written to it, else the grid's.
    vb::Variant Cell(GridCellProperty property, int row, int col) const;
    // Writes a property over the cells row1..row2 x col1..col2 (either
    // corner first). Text takes any value the runtime converts to a string;
    // Checked 0, 1 or 2; ForeColor a colour value.
    void Cell(GridCellProperty property, int row1, int col1, int row2, int col2,
                 const vb::Variant& value);

    // The text in the cell editor while a cell is being edited; empty, and
    // writing ignored, when no editor is open.
    std::string EditText() const;
    void EditText(const std::string& text);
    bool IsEditing() const;

    // --- Whole grid ----------------------------------------------------------
    // Text colour of cells that have none of their own (default window text).
    uint32_t ForeColor() const;
    void ForeColor(uint32_t color);

    // Redraw off suspends all painting and layout work of the grid until it
    // is switched on again, which repaints once; fill with it off.
    bool Redraw() const;
    void Redraw(bool redraw);

    // Whether the user may edit: typing, F2 or a double-click opens a cell's
    // editor, a click toggles a check box. Off by default, as in the original
    // control; the editors that edit in place switch it on.
    bool Editable() const;
    void Editable(bool editable);

    // Enabled, Visible, Left, Top, Width and Height are the control's.

    // The current row, -1 when there is none (no data rows). Setting it to a
    // data row moves the cursor there (keeping the column); it does not
    // scroll. Adding data rows to a grid without a cursor puts it on the
    // first data row, as the original control does.
    int Row() const;
    void Row(int row);
    int Col() const; // current column, -1 when none

    // Widens or narrows a column to fit its texts (header included).
    void AutoSize(int col);

    // The face and size in points of the grid's font object.
    std::string FontName() const;
    void FontName(const std::string& name);
    float FontSize() const;
    void FontSize(float points);

    // --- Notifications ------------------------------------------------------
    // Before an editor opens or a check box toggles; set cancel to refuse.
    std::function<void(int row, int col, bool& cancel)> OnBeforeEdit;
    // Each character typed in the cell editor (backspace is 8): set keyAscii
    // to 0 to drop it or to another character to insert that one instead.
    std::function<void(int row, int col, int& keyAscii)> OnKeyPressEdit;
    // When an edit is to be committed (Enter, Tab, moving away, focus lost);
    // set cancel to keep the editor open with its text. The handler may
    // change EditText, which is then what is committed. Escape abandons the
    // edit without this notification.
    std::function<void(int row, int col, bool& cancel)> OnValidateEdit;
    // After an edit was committed or a check box toggled.
    std::function<void(int row, int col)> OnAfterEdit;
    // OnKeyDown: a key pressed while the grid (not its cell editor) has the
    // focus; setting keyCode to 0 stops the grid acting on the key.
    // OnDblClick: a double-click anywhere on the grid.
    // After the current cell moved to another row or column, by the user or
    // by code.
    std::function<void()> OnRowColChange;

    class Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace qm6::forms
