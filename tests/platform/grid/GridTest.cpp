// The grid's shape, cells, colours, drawing and non-edit notifications.

#include "GridFixture.h"
#include "platform/forms/Screen.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/RaisedError.h"

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <string>
#include <vector>

namespace qm6::forms::test {
namespace {

using GridBasics = GridFixture;

TEST_F(GridBasics, ShapeCountsTheFixedRowWhichIsTheHeader) {
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(table->rowCount(), 4);
    grid->TextMatrix(0, 1, "Header");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text().toStdString(), "Header");
    EXPECT_EQ(grid->TextMatrix(0, 2), ""); // header cells start empty, not numbered

    // Dropping and restoring the fixed row moves the header in and out of the data.
    for (int fixed : {0, 1}) {
        grid->FixedRows(fixed);
        EXPECT_EQ(grid->Rows(), 5);
        EXPECT_EQ(grid->TextMatrix(0, 1), "Header");
        EXPECT_EQ(grid->TextMatrix(1, 1), "r1c1");
        EXPECT_EQ(table->horizontalHeader()->isVisible(), fixed == 1);
    }

    // Shrinking keeps the rows that remain; the header survives a reset.
    grid->Rows(2);
    grid->Rows(3);
    EXPECT_EQ(grid->TextMatrix(1, 3), "r1c3");
    EXPECT_EQ(grid->TextMatrix(2, 3), "");
    EXPECT_EQ(grid->TextMatrix(0, 1), "Header");
    grid->Rows(0);
    EXPECT_EQ(grid->FixedRows(), 0);
}

TEST_F(GridBasics, RowsAreOneLineOfTheFontHighAndFollowTheFont) {
    // A grid of a typical designed size (6,255 x 1,935 twips) shows a header
    // and five rows whole; the style's default row height would need a
    // scroll bar, which then takes the room of the last column too.
    grid->Move(0, 0, 6255, 1935);
    grid->Rows(6);
    Settle();
    EXPECT_FALSE(table->verticalScrollBar()->isVisible());
    const int before = table->rowHeight(0);
    grid->FontSize(16);
    Settle();
    EXPECT_GT(table->rowHeight(0), before);
    EXPECT_LE(table->rowHeight(0), table->fontMetrics().height() + 8);
}

TEST_F(GridBasics, BadIndicesAndValuesRaiseTheRuntimeErrors) {
    struct Case {
        const char* what;
        std::function<void()> call;
        int number;
    };
    const std::vector<Case> cases = {
        {"row past the end", [&] { grid->TextMatrix(5, 0); }, 9},
        {"negative column", [&] { grid->TextMatrix(1, -1, "x"); }, 9},
        {"column past the end", [&] { grid->ColWidth(4, 100); }, 9},
        {"range corner outside", [&] { grid->Cell(GridCellProperty::Text, 1, 0, 9, 0, "x"); }, 9},
        {"current row on the header", [&] { grid->Row(0); }, 9},
        {"two fixed rows", [&] { grid->FixedRows(2); }, 5},
        {"negative row count", [&] { grid->Rows(-1); }, 5},
        {"check state 7", [&] { grid->Cell(GridCellProperty::Checked, 1, 1, 1, 1, int32_t(7)); },
         5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qm6::vb::test::RaisedError(c.call), c.number) << c.what;
}

TEST_F(GridBasics, CellPropertiesApplyOverTheWholeRangeInEitherCornerOrder) {
    grid->Cell(GridCellProperty::Text, 3, 2, 2, 1, "z");
    for (int r = 1; r < 5; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool inside = r >= 2 && r <= 3 && c >= 1 && c <= 2;
            EXPECT_EQ(grid->TextMatrix(r, c),
                      inside ? "z" : "r" + std::to_string(r) + "c" + std::to_string(c))
                << r << "," << c;
        }

    // Numbers become text as the runtime writes them.
    grid->Cell(GridCellProperty::Text, 4, 0, 4, 0, 2.5);
    EXPECT_EQ(grid->TextMatrix(4, 0), "2.5");
    const int32_t grey = int32_t(0x80000011u);
    grid->Cell(GridCellProperty::ForeColor, 1, 0, 4, 3, int32_t(0x80000008u));
    grid->Cell(GridCellProperty::ForeColor, 1, 3, 4, 3, grey);
    EXPECT_EQ(grid->Cell(GridCellProperty::ForeColor, 2, 3).AsLong(), grey);
    EXPECT_EQ(grid->Cell(GridCellProperty::ForeColor, 2, 2).AsLong(), int32_t(0x80000008u));
}

TEST_F(GridBasics, CheckStatesReadAsTextAndStateZeroHasNoBox) {
    grid->TextMatrix(1, 3, "1");
    grid->ColDataType(3, GridDataType::Boolean); // existing text becomes a state
    EXPECT_EQ(grid->TextMatrix(1, 3), "True");
    EXPECT_EQ(grid->TextMatrix(3, 3), "False"); // "r3c3" is not true
    EXPECT_EQ(Checked(3, 3), kGridUnchecked);
    // One text a branch: a number, "False" in any case, and a text that is
    // neither, which reads as false rather than raise.
    const std::pair<const char*, const char*> texts[] = {
        {"-1", "True"}, {"false", "False"}, {"yes", "False"}};
    for (const auto& [text, reads] : texts) {
        grid->TextMatrix(4, 3, text);
        EXPECT_EQ(grid->TextMatrix(4, 3), reads) << text;
    }

    // State zero: no box and nothing to toggle until the cell is given a state.
    grid->Editable(true);
    grid->Cell(GridCellProperty::Checked, 2, 3, 2, 3, int32_t(kGridNoCheckBox));
    Click(2, 3);
    EXPECT_EQ(Checked(2, 3), kGridNoCheckBox);
    grid->Row(1);
    grid->TextMatrix(2, 3, "True");
    EXPECT_EQ(Checked(2, 3), kGridChecked);

    // States over a range of a text column; taking them away keeps the text.
    grid->Cell(GridCellProperty::Checked, 1, 1, 2, 1, int32_t(kGridChecked));
    EXPECT_EQ(std::pair(Checked(2, 1), Checked(3, 1)), std::pair(kGridChecked, kGridNoCheckBox));
    grid->Cell(GridCellProperty::Checked, 1, 1, 2, 1, int32_t(kGridNoCheckBox));
    EXPECT_EQ(std::pair(Checked(1, 1), grid->TextMatrix(1, 1)),
              std::pair(kGridNoCheckBox, std::string("r1c1")));
}

TEST_F(GridBasics, HiddenRowsAndColumnsKeepTheirDataAndWidths) {
    grid->ColWidth(1, 1440);
    grid->ColHidden(1, true);
    EXPECT_EQ(std::pair(table->isColumnHidden(1), grid->ColWidth(1)), std::pair(true, 1440));
    grid->ColHidden(1, false);
    EXPECT_EQ(table->columnWidth(1), Screen::ToPixelsX(1440));

    grid->RowHidden(2, true);
    EXPECT_EQ(std::pair(table->isRowHidden(0), table->isRowHidden(1)), std::pair(false, true));
    EXPECT_EQ(grid->TextMatrix(2, 0), "r2c0");

    grid->RowHidden(0, true); // the fixed row: the header goes
    EXPECT_FALSE(table->horizontalHeader()->isVisible());
}

TEST_F(GridBasics, CursorStartsOnFirstVisibleDataCellAndRowColChangeReportsMoves) {
    int changes = 0;
    grid->OnRowColChange = [&] { ++changes; };
    // The cursor and the moves reported so far.
    const auto cursor = [&] { return std::tuple(grid->Row(), grid->Col(), changes); };
    grid->Rows(1);
    EXPECT_EQ(cursor(), std::tuple(-1, -1, 1));
    grid->ColHidden(0, true);
    grid->Rows(4);
    EXPECT_EQ(cursor(), std::tuple(1, 1, 2));

    Click(3, 2);
    EXPECT_EQ(cursor(), std::tuple(3, 2, 3));
    Click(3, 2); // the same cell again: nothing moved
    EXPECT_EQ(changes, 3);
    KeyToGrid(Qt::Key_Up);
    EXPECT_EQ(cursor(), std::tuple(2, 2, 4));
    grid->Row(1);
    EXPECT_EQ(changes, 5);

    // A double-click on a cell moves there and is reported; it edits nothing.
    int clicks = 0;
    grid->OnDblClick = [&] { ++clicks; };
    DoubleClick(2, 1);
    EXPECT_EQ(std::pair(clicks, grid->Row()), std::pair(1, 2));
    EXPECT_FALSE(grid->IsEditing());
}

TEST_F(GridBasics, KeyDownGivesPlatformCodeAndShiftStateAndCanStopTheKey) {
    std::vector<std::pair<int, int>> keys;
    bool swallow = false;
    grid->OnKeyDown = [&](int& code, int shift) {
        keys.push_back({code, shift});
        if (swallow)
            code = 0;
    };
    table->setCurrentCell(1, 0);
    KeyToGrid(Qt::Key_D, Qt::ControlModifier);
    KeyToGrid(Qt::Key_Delete);
    KeyToGrid(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    // The modifier keys are reported too as they go down.
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{
                        {17, 2}, {68, 2}, {46, 0}, {16, 1}, {17, 3}, {68, 3}}));
    swallow = true;
    KeyToGrid(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2); // the grid did not move
    swallow = false;
    KeyToGrid(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridBasics, NumericColumnsPaintTheRuntimesFormatInTheThreadsLocale) {
    struct Case {
        bool german;
        const char* text;
        const char* format;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {false, "1234.5", "Currency", "$1,234.50"},
        {false, "1234.5", "$#,##0.00", "$1,234.50"},
        {true, "1234,5", "Currency", "1.234,50 \u20ac"},
        {true, "1234,5", "$#,##0.00", "$1.234,50"},
        {false, "n/a", "Currency", "n/a"},
    };
    for (int col : {1, 2}) {
        grid->ColDataType(col, GridDataType::Currency);
        grid->ColWidth(col, 2400);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.format);
        if (c.german)
            vb::SetNumberChars(vb::NumberCharsOf(1031)); // de-DE
        else
            vb::ResetNumberChars();
        grid->ColFormat(1, c.format);
        grid->TextMatrix(1, 1, c.text);
        grid->TextMatrix(1, 2, c.shown); // no format: painted as it is
        EXPECT_EQ(grid->Cell(GridCellProperty::TextDisplay, 1, 1).AsString(), c.shown);
        EXPECT_EQ(grid->TextMatrix(1, 1), c.text);
        const QImage image = Shot();
        EXPECT_EQ(image.copy(CellRect(1, 1)), image.copy(CellRect(1, 2)));
    }
    vb::ResetNumberChars();
}

} // namespace
} // namespace qm6::forms::test
