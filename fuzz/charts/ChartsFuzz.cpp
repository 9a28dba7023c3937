// The reader of the stored charts (图表) and the points a chart takes from a sheet.
//
// Input: one byte for the column count (1 to 8), then the stored text as UTF-8.
//
// Properties (what the reader itself owes is fuzzed by fuzz_stored_settings):
//  - every chart read gets its points from a sheet of that many columns: one per data row,
//    or a sentence saying why not (groups without a grouping).
#include "FuzzSupport.h"
#include "charts/ChartData.h"
#include "charts/StoredCharts.h"
#include "grid/Sheet.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % 8;
    const QString text = fuzz::utf8(data + 1, size - 1);
    const charts::StoredCharts read = charts::readCharts(text, count);
    const auto what = [&] {
        return QStringLiteral("count %1\ntext: %2\nignored: %3")
            .arg(count)
            .arg(text, read.ignored.join(u'\n'));
    };

    grid::Sheet sheet;
    sheet.setMaxCols(count);
    sheet.setMaxRows(3);
    for (int col = 1; col <= count; ++col) {
        sheet.setText(col, 1, QString::number(col));
        sheet.setText(col, 2, QStringLiteral("x"));
    }
    sheet.setRowMark(3, grid::RowMark{grid::RowKind::Totals, 0});
    for (const grid::ChartSpec &chart : read.charts) {
        const charts::ChartDataResult points = charts::chartData(sheet, chart);
        if (chart.source == grid::ChartSource::Rows) {
            FUZZ_REQUIRE(points.data && points.data->categories.size() == 2, what());
        } else {
            FUZZ_REQUIRE(!points.data && !points.why.isEmpty(), what());
        }
    }
    return 0;
}
