#pragma once

// A grid on a shown form, offscreen, with four columns and four data rows
// whose cells read "r<row>c<col>"; helpers that drive it with the same
// mouse and key events a user's input produces.

#include "platform/forms/Form.h"
#include "platform/forms/Grid.h"

#include <QImage>
#include <QLineEdit>
#include <QPoint>
#include <QTableWidget>
#include <gtest/gtest.h>
#include <memory>

namespace qm6::forms::test {

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A cell's place in the viewport (grid coordinates, row 0 fixed).
    QRect CellRect(int row, int col) const;
    // A cell's check state.
    int32_t Checked(int row, int col) const;
    // The viewport as painted once queued work has run.
    QImage Shot() const;
    void Click(int row, int col);
    void DoubleClick(int row, int col);
    // Sends a key to the table itself (not to an editor).
    void KeyToGrid(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The open cell editor, or nullptr.
    QLineEdit* Editor() const;
    // Runs queued work (the commit after Enter, the editor's refocus).
    static void Settle();

    std::unique_ptr<Form> form;
    Grid* grid = nullptr;
    QTableWidget* table = nullptr;
};

} // namespace qm6::forms::test
