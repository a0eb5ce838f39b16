// The grid's edit notifications, driven by mouse and key events as a user
// gives them.

#include "GridFixture.h"

#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

namespace qm6::forms::test {
namespace {

using Events = std::vector<std::string>;

class GridEdit : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->Editable(true);
        grid->OnBeforeEdit = [this](int r, int c, bool& cancel) {
            events.push_back("before " + At(r, c));
            cancel = refuseCol == c;
        };
        grid->OnValidateEdit = [this](int r, int c, bool& cancel) {
            events.push_back("validate " + At(r, c) + " " + grid->EditText());
            cancel = refuseValidate;
            if (!replaceWith.empty())
                grid->EditText(replaceWith);
        };
        grid->OnAfterEdit = [this](int r, int c) { events.push_back("after " + At(r, c)); };
    }
    static std::string At(int row, int col) {
        return std::to_string(row) + "," + std::to_string(col);
    }

    // Starts an edit of a cell by typing a first character into the grid.
    void StartTyping(int row, int col, int key) {
        table->setCurrentCell(row - 1, col);
        KeyToGrid(key);
    }
    void Type(const char* text) {
        ASSERT_NE(Editor(), nullptr);
        QTest::keyClicks(Editor(), text);
        Settle();
    }
    void PressInEditor(int key) {
        ASSERT_NE(Editor(), nullptr);
        QTest::keyClick(Editor(), Qt::Key(key));
        Settle();
    }

    int refuseCol = -1;
    bool refuseValidate = false;
    std::string replaceWith; // the text a validation puts in the editor
    // The notifications in the order they came, with their cell and the
    // text a validation saw.
    Events events;
};

TEST_F(GridEdit, TypingOpensEditorAndEnterCommitsThroughValidateAndAfterEdit) {
    StartTyping(2, 1, Qt::Key_X);
    Type("yz");
    EXPECT_EQ(grid->TextMatrix(2, 1), "r2c1"); // nothing committed yet
    PressInEditor(Qt::Key_Return);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(grid->TextMatrix(2, 1), "xyz"); // the first key replaced the old text

    // Escape abandons an edit without validating it.
    StartTyping(4, 1, Qt::Key_Z);
    PressInEditor(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(grid->TextMatrix(4, 1), "r4c1");
    EXPECT_EQ(events, (Events{"before 2,1", "validate 2,1 xyz", "after 2,1", "before 4,1"}));
}

TEST_F(GridEdit, CancelledBeforeEditOpensNoEditor) {
    refuseCol = 2;
    StartTyping(1, 2, Qt::Key_Q);
    EXPECT_FALSE(grid->IsEditing());
    DoubleClick(3, 2);
    EXPECT_FALSE(grid->IsEditing());
    KeyToGrid(Qt::Key_F2);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(events, (Events{"before 1,2", "before 3,2", "before 3,2"}));
    EXPECT_EQ(grid->TextMatrix(1, 2), "r1c2");
    // Another column of the same grid still edits.
    DoubleClick(3, 1);
    EXPECT_TRUE(grid->IsEditing());
    PressInEditor(Qt::Key_Escape);

    // A grid that is not editable never asks.
    grid->Editable(false);
    events.clear();
    StartTyping(1, 1, Qt::Key_Q);
    DoubleClick(1, 1);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_TRUE(events.empty());
}

TEST_F(GridEdit, CancelledValidateKeepsEditorOpenWithItsText) {
    refuseValidate = true;
    StartTyping(1, 3, Qt::Key_A);
    Type("bc");
    PressInEditor(Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_EQ(grid->TextMatrix(1, 3), "r1c3");
    EXPECT_TRUE(Editor()->hasFocus());

    // Tab and a click on another cell do not get past it either, and the
    // cursor stays on the edited cell.
    PressInEditor(Qt::Key_Tab);
    EXPECT_TRUE(grid->IsEditing());
    Click(3, 0);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_EQ(std::pair(grid->Row(), grid->Col()), std::pair(1, 3));

    // Typing goes on in the same editor; once accepted, what the validation
    // left in the editor is committed.
    Type("d");
    refuseValidate = false;
    replaceWith = "ABCD";
    PressInEditor(Qt::Key_Return);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(grid->TextMatrix(1, 3), "ABCD");
    // A refused edit may be validated again on every attempt to leave it.
    events.erase(std::unique(events.begin(), events.end()), events.end());
    EXPECT_EQ(events, (Events{"before 1,3", "validate 1,3 abc", "validate 1,3 abcd", "after 1,3"}));
}

TEST_F(GridEdit, KeyPressEditCanReplaceOrDropEachTypedKey) {
    std::vector<int> keys;
    Events cells;
    grid->OnKeyPressEdit = [&](int r, int c, int& key) {
        keys.push_back(key);
        cells.push_back(At(r, c));
        if (key == '1')
            key = '7'; // replaced
        else if (key == '-')
            key = 0; // dropped
        else if (key == 'x')
            key = 8; // replaced by a backspace
    };
    StartTyping(3, 2, Qt::Key_1); // the key that opens the editor counts too
    Type("2-3x4");
    PressInEditor(Qt::Key_Backspace);
    EXPECT_EQ(grid->EditText(), "72");
    EXPECT_EQ(keys, (std::vector<int>{'1', '2', '-', '3', 'x', '4', 8}));
    EXPECT_EQ(cells, Events(7, "3,2"));
    PressInEditor(Qt::Key_Return);
    EXPECT_EQ(grid->TextMatrix(3, 2), "72");

    // A replaced key goes where the caret is, over the selected text.
    KeyToGrid(Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    Editor()->setText("12345");
    Editor()->setSelection(1, 2); // "23"
    QTest::keyClicks(Editor(), "1");
    EXPECT_EQ(grid->EditText(), "1745");
}

TEST_F(GridEdit, CheckBoxCellTogglesOnClickAndSpaceAndNotifies) {
    grid->ColDataType(2, GridDataType::Boolean);
    Click(1, 2);
    EXPECT_EQ(Checked(1, 2), kGridChecked);
    EXPECT_EQ(grid->TextMatrix(1, 2), "True");
    EXPECT_FALSE(grid->IsEditing()); // a check cell has no text editor

    KeyToGrid(Qt::Key_Space);
    EXPECT_EQ(Checked(1, 2), kGridUnchecked);

    refuseCol = 2;
    Click(2, 2);
    EXPECT_EQ(Checked(2, 2), kGridUnchecked);
    EXPECT_EQ(events, (Events{"before 1,2", "after 1,2", "before 1,2", "after 1,2", "before 2,2"}));

    // A check state given to a text cell makes it a check cell; the text stays.
    refuseCol = -1;
    grid->Cell(GridCellProperty::Checked, 2, 0, 2, 0, int32_t(kGridUnchecked));
    Click(2, 0);
    EXPECT_EQ(Checked(2, 0), kGridChecked);
    EXPECT_EQ(grid->TextMatrix(2, 0), "r2c0");
    EXPECT_FALSE(grid->IsEditing());

    grid->Editable(false);
    Click(3, 2);
    EXPECT_EQ(Checked(3, 2), kGridUnchecked);
}

} // namespace
} // namespace qm6::forms::test
