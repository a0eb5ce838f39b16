// Filling the grid control with rows of four columns, with redraw off as the
// editors fill it, against filling a bare QTableWidget with the same texts in
// the same run and the switches the grid fills with (updates off, the model's
// signals blocked while a cell is set, the row header hidden). Reported: each size's ratio to the bare widget, and the ratio
// of 100,000 rows to 10,000 (10x means the cost grows linearly).

#include "RatioReporter.h"

#include "platform/forms/Container.h"
#include "platform/forms/Grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using qm6::forms::Container;
using qm6::forms::Grid;

constexpr int kCols = 4;

class Panel : public Container {
public:
    Panel() : widget_(std::make_unique<QWidget>()) { widget_->resize(640, 480); }
    ~Panel() override { DestroyControls(); }
    QWidget* ClientWidget() const override { return widget_.get(); }

private:
    std::unique_ptr<QWidget> widget_;
};

// Texts like a paper-size list: an id, a description, a size and a cost.
std::vector<std::string> MakeTexts(int rows) {
    std::vector<std::string> texts;
    texts.reserve(size_t(rows) * kCols);
    for (int r = 0; r < rows; ++r) {
        texts.push_back(std::to_string(1000 + r));
        texts.push_back("Paper size number " + std::to_string(r));
        texts.push_back(std::to_string(r % 300) + " mm x " + std::to_string(r % 400) + " mm");
        texts.push_back(std::to_string(r % 97) + "." + std::to_string(r % 100));
    }
    return texts;
}

void FillGrid(benchmark::State& state, int rows) {
    const std::vector<std::string> texts = MakeTexts(rows);
    for (auto _ : state) {
        state.PauseTiming();
        auto panel = std::make_unique<Panel>();
        Grid& grid = panel->Add<Grid>("grdBench");
        grid.Move(0, 0, 9000, 6000);
        grid.Cols(kCols);
        panel->ClientWidget()->show();
        state.ResumeTiming();

        grid.Redraw(false);
        grid.Rows(rows + 1);
        size_t i = 0;
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < kCols; ++c)
                grid.TextMatrix(r, c, texts[i++]);
        grid.Redraw(true);

        state.PauseTiming();
        if (grid.TextMatrix(rows, kCols - 1) != texts.back())
            state.SkipWithError("grid holds the wrong text");
        panel.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * rows);
}

void FillBareTable(benchmark::State& state, int rows) {
    const std::vector<std::string> texts = MakeTexts(rows);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<QWidget>();
        window->resize(640, 480);
        auto* table = new QTableWidget(window.get());
        table->setGeometry(0, 0, 600, 400);
        table->setColumnCount(kCols);
        table->verticalHeader()->hide(); // as the grid's
        window->show();
        state.ResumeTiming();

        // The switches the grid fills with: updates off, each cell set with
        // the model's signals blocked.
        table->setUpdatesEnabled(false);
        table->setRowCount(rows);
        size_t i = 0;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                const QSignalBlocker quiet(table->model());
                table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(texts[i++])));
            }
        }
        table->setUpdatesEnabled(true);

        state.PauseTiming();
        if (table->item(rows - 1, kCols - 1)->text().toStdString() != texts.back())
            state.SkipWithError("table holds the wrong text");
        window.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * rows);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    for (int rows : {10000, 100000}) {
        const std::string size = rows == 10000 ? "10k" : "100k";
        benchmark::RegisterBenchmark(("BareTableFill" + size).c_str(), FillBareTable, rows)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("GridFill" + size).c_str(), FillGrid, rows)
            ->Unit(benchmark::kMillisecond);
    }

    qm6::bench::RatioReporter reporter;
    reporter.Compare("GridFill10k", "BareTableFill10k");
    reporter.Compare("GridFill100k", "BareTableFill100k");
    reporter.Compare("GridFill100k", "GridFill10k");
    reporter.Compare("BareTableFill100k", "BareTableFill10k");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
