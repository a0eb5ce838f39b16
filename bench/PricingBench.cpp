// Filling the pricing editor's paper-size grid with 5,000 and 50,000 paper
// sizes, against a bare QTableWidget filled in the same run with the
// switches the grid fills with (updates off, the model's signals blocked,
// the row header hidden, the same columns hidden) and the same work per row:
// the record's fields read, the size text and the cost texts written, the
// profile's price looked up, seven cells and the colour of the two cost
// cells set. Reported: each size's ratio to the bare table, and the ratio of
// 50,000 rows to 5,000 (10x means the cost grows linearly).

#include "RatioReporter.h"
#include "common/Utilities.h"
#include "contract/PriceProfile.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/Grid.h"
#include "platform/vb/Conversions.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm6::ctlPricing;
using qm6::vb::Currency;
using qm6::vb::Variant;

const std::vector<std::string> kFields = {"PaperSizeId", "Description", "Width",        "Height",
                                          "UnitType",    "BWPageCost",  "ColorPageCost"};

// Paper sizes of every unit, and prices of their own for every tenth.
std::vector<std::vector<Variant>> MakePaperSizes(int count) {
    std::vector<std::vector<Variant>> rows;
    rows.reserve(size_t(count));
    for (int32_t i = 1; i <= count; ++i)
        rows.push_back({Variant(i), Variant("Paper size number " + std::to_string(i)),
                        Variant(int32_t(1000 + i % 3000)), Variant(int32_t(1400 + i % 4000)),
                        Variant(int32_t(i % 3)), Variant(Currency::FromScaled(500 + i % 900)),
                        Variant(Currency::FromScaled(2500 + i % 9000))});
    return rows;
}

std::shared_ptr<qm6::data::PriceProfile> MakeProfile(qm6::data::Connection& data, int count) {
    auto profile = data.NewPriceProfile();
    profile->SetPricingOption(qm6::data::PriceProfile::PricedPerPaperSize);
    profile->SetJobType(1);
    for (int32_t id = 1; id <= count; id += 10) {
        auto price = data.NewPaperSizePrice();
        price->SetPaperSizeId(id);
        price->SetBWCost(Currency::FromScaled(777));
        price->SetColorCost(Currency::FromScaled(3333));
        profile->PaperSizePrices()->Add(Variant(qm6::vb::ObjectRef(std::move(price))));
    }
    return profile;
}

// A store to stand behind the served paper sizes.
class Store {
public:
    explicit Store(int count)
        : file_(fs::temp_directory_path() / ("pricing-bench-" + std::to_string(getpid()))) {
        std::shared_ptr<qm6::data::SqliteConnection> store;
        qm6::data::OpenOptions options;
        options.create = true;
        if (qm6::data::SqliteConnection::Open(file_, store, options))
            std::abort();
        data = std::make_shared<qm6::data::testing::RecordingConnection>(store);
        data->ServeRecordSet("LoadPaperSizes", kFields, MakePaperSizes(count));
        auto settings = std::make_shared<qm6::data::SystemSettings>();
        settings->SetCurrencyFormat("$#,##0.00;($#,##0.00)");
        data->ServeSettings(settings);
    }
    ~Store() {
        data.reset();
        std::error_code ignored;
        fs::remove(file_, ignored);
    }
    std::shared_ptr<qm6::data::testing::RecordingConnection> data;

private:
    fs::path file_;
};

void FillPricingGrid(benchmark::State& state, int count) {
    Store store(count);
    QWidget window;
    window.resize(640, 300);
    ctlPricing editor;
    editor.PlaceOn(&window, 0, 0, ctlPricing::kDesignWidth, ctlPricing::kDesignHeight);
    window.show();
    editor.DataObject(store.data);
    editor.PriceProfile(MakeProfile(*store.data, count)); // reads the paper sizes once
    for (auto _ : state) {
        state.PauseTiming();
        auto profile = MakeProfile(*store.data, count);
        state.ResumeTiming();
        editor.PriceProfile(profile); // a new profile fills the grid again
    }
    if (editor.grdPaperSizes().Rows() != count + 1)
        state.SkipWithError("the grid holds the wrong rows");
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

void FillBareTable(benchmark::State& state, int count) {
    Store store(count);
    QWidget window;
    window.resize(640, 300);
    auto* table = new QTableWidget(&window);
    table->setGeometry(0, 0, 430, 100);
    table->setColumnCount(ctlPricing::kGridColumns);
    table->verticalHeader()->hide();
    for (int col : {0, 5, 6})
        table->setColumnHidden(col, true);
    window.show();
    std::shared_ptr<qm6::data::RecordSet> records;
    store.data->LoadPaperSizes(records);
    const char* units[] = {"in", "mm", "cm"};

    for (auto _ : state) {
        state.PauseTiming();
        auto profile = MakeProfile(*store.data, count);
        state.ResumeTiming();

        std::unordered_map<int32_t, std::shared_ptr<qm6::data::PaperSizePrice>> prices;
        const qm6::vb::Collection& items = *profile->PaperSizePrices();
        for (int32_t i = 1; i <= items.Count(); ++i)
            if (auto price = qm6::data::ItemAs<qm6::data::PaperSizePrice>(items, i))
                prices.emplace(price->PaperSizeId(), std::move(price));
        // As the grid does: the rows of the last fill dropped, then all
        // rows made at once, each cell set with the model's signals blocked.
        table->setRowCount(0);
        table->setUpdatesEnabled(false);
        table->setRowCount(records->RecordCount());
        const auto set = [&](int row, int col, const std::string& text) {
            const QSignalBlocker quiet(table->model());
            table->setItem(row, col, new QTableWidgetItem(QString::fromStdString(text)));
        };
        int row = 0;
        for (records->MoveFirst(); !records->Eof(); records->MoveNext(), ++row) {
            const int32_t id = qm6::vb::CLng(records->Fields("PaperSizeId").Value);
            const int32_t unit = qm6::vb::CLng(records->Fields("UnitType").Value);
            const std::string unitText = std::string(" ") + units[unit] + " ";
            const auto length = [&](const char* field) {
                return qm6::vb::CStr(Variant(
                    qm6::ConvertToUnits(qm6::vb::CLng(records->Fields(field).Value), unit)));
            };
            const Currency bw = qm6::vb::CCur(records->Fields("BWPageCost").Value);
            const Currency color = qm6::vb::CCur(records->Fields("ColorPageCost").Value);
            set(row, 0, qm6::vb::CStr(Variant(id)));
            set(row, 1, qm6::vb::CStr(records->Fields("Description").Value));
            set(row, 2, length("Width") + unitText + "x " + length("Height") + unitText);
            set(row, 5, qm6::vb::CStr(Variant(bw)));
            set(row, 6, qm6::vb::CStr(Variant(color)));
            const auto price = prices.find(id);
            const bool own = price != prices.end();
            set(row, 3, qm6::vb::CStr(Variant(own ? price->second->BWCost() : bw)));
            set(row, 4, qm6::vb::CStr(Variant(own ? price->second->ColorCost() : color)));
            const QSignalBlocker quiet(table->model());
            for (int col : {3, 4})
                table->item(row, col)->setData(Qt::UserRole + 1, 0x80000012u);
        }
        table->setUpdatesEnabled(true);
    }
    if (table->rowCount() != count)
        state.SkipWithError("the table holds the wrong rows");
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    for (int count : {5000, 50000}) {
        const std::string size = count == 5000 ? "5k" : "50k";
        benchmark::RegisterBenchmark(("BarePaperSizeTable" + size).c_str(), FillBareTable, count)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PricingGridFill" + size).c_str(), FillPricingGrid, count)
            ->Unit(benchmark::kMillisecond);
    }

    qm6::bench::RatioReporter reporter;
    reporter.Compare("PricingGridFill5k", "BarePaperSizeTable5k");
    reporter.Compare("PricingGridFill50k", "BarePaperSizeTable50k");
    reporter.Compare("PricingGridFill50k", "PricingGridFill5k");
    reporter.Compare("BarePaperSizeTable50k", "BarePaperSizeTable5k");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
