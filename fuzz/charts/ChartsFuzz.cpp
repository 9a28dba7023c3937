// The reader of the stored charts (图表) and the points a chart takes from a sheet.
//
// Input: one byte for the column count (1 to 8), then the stored text as UTF-8.
//
// Properties:
//  - nothing the reader cannot use goes unnamed: a JSON array gives one used or named chart
//    per element, any other non-blank text one sentence and no chart;
//  - a chart read is within the sheet and of a drawable form (a pie of one series, sizes
//    above 0), and its notice is one line;
//  - the charts written back read the same, with nothing left out;
//  - every chart read gets its points from a sheet of that many columns: one per data row,
//    or a sentence saying why not (groups without a grouping).
#include <QJsonArray>
#include <QJsonDocument>

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

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (text.trimmed().isEmpty())
        FUZZ_REQUIRE(read.charts.empty() && read.ignored.isEmpty(), what());
    else if (error.error == QJsonParseError::NoError && document.isArray())
        FUZZ_REQUIRE(qsizetype(read.charts.size()) + read.ignored.size() == document.array().size(),
                     what());
    else
        FUZZ_REQUIRE(read.charts.empty() && read.ignored.size() == 1, what());
    FUZZ_REQUIRE(!charts::ignoredNotice(QStringLiteral("r"), read.ignored).contains(u'\n'), what());

    grid::Sheet sheet;
    sheet.setMaxCols(count);
    sheet.setMaxRows(3);
    for (int col = 1; col <= count; ++col) {
        sheet.setText(col, 1, QString::number(col));
        sheet.setText(col, 2, QStringLiteral("x"));
    }
    sheet.setRowMark(3, grid::RowMark{grid::RowKind::Totals, 0});
    for (const grid::ChartSpec &chart : read.charts) {
        bool inside = chart.category >= 1 && chart.category <= count && !chart.values.empty();
        for (int col : chart.values)
            inside = inside && col >= 1 && col <= count;
        FUZZ_REQUIRE(inside && chart.widthCm > 0 && chart.heightCm > 0, what());
        FUZZ_REQUIRE(chart.type != grid::ChartType::Pie || chart.values.size() == 1, what());
        const charts::ChartDataResult points = charts::chartData(sheet, chart);
        if (chart.source == grid::ChartSource::Rows) {
            FUZZ_REQUIRE(points.data && points.data->categories.size() == 2, what());
        } else {
            FUZZ_REQUIRE(!points.data && !points.why.isEmpty(), what());
        }
    }

    const QString written = charts::writeCharts(read.charts);
    const charts::StoredCharts again = charts::readCharts(written, count);
    FUZZ_REQUIRE(again.ignored.isEmpty() && again.charts == read.charts,
                 what() + QStringLiteral("\nwritten: ") + written);
    return 0;
}
