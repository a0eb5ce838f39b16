#include "GridFixture.h"

#include <QApplication>
#include <QTest>
#include <string>

namespace qm6::forms::test {

void GridFixture::SetUp() {
    form = std::make_unique<Form>("frmGrid");
    form->Move(0, 0, 12000, 6000);
    grid = &form->Add<Grid>("grdTest");
    table = static_cast<QTableWidget*>(grid->Widget());
    grid->Move(0, 0, 9000, 4500);
    grid->Cols(4);
    grid->Rows(5);
    for (int r = 1; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            grid->TextMatrix(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    form->Show();
    QWidget* window = form->Widget();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    table->setFocus();
    Settle();
}

void GridFixture::TearDown() {
    grid = nullptr;
    table = nullptr;
    form.reset();
    Settle();
}

QRect GridFixture::CellRect(int row, int col) const {
    return table->visualRect(table->model()->index(row - grid->FixedRows(), col));
}

int32_t GridFixture::Checked(int row, int col) const {
    return grid->Cell(GridCellProperty::Checked, row, col).AsLong();
}

QImage GridFixture::Shot() const {
    Settle();
    return table->viewport()->grab().toImage();
}

void GridFixture::Click(int row, int col) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      CellRect(row, col).center());
    Settle();
}

void GridFixture::DoubleClick(int row, int col) {
    // What a widget receives from a double-click: press, release, then the
    // second press as a double-click event, and its release.
    QWidget* viewport = table->viewport();
    const QPoint at = CellRect(row, col).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
    Settle();
}

void GridFixture::KeyToGrid(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(table, Qt::Key(key), modifiers);
    Settle();
}

QLineEdit* GridFixture::Editor() const {
    if (!grid->IsEditing())
        return nullptr;
    return qobject_cast<QLineEdit*>(table->indexWidget(table->currentIndex()));
}

void GridFixture::Settle() {
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace qm6::forms::test
