// Exporting a report sheet of rows x 8 columns to an .xlsx workbook (writeWorkbook), next to a
// raw libxlsxwriter program in constant-memory mode writing the same cells (same texts, same
// numbers, same column widths) from memory prepared beforehand, in the same run.
// Target: the export takes at most 1.3 x the raw writer's time, and its peak memory does not
// grow with the row count (peak_rss_growth_MB: the highest resident size during the write
// minus the resident size before it, for 100,000 and 1,000,000 rows).
// Run: build/<dir>/bench/tessel_export_bench
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "export/WorkbookExport.h"
#include "grid/Sheet.h"
#include "report/SheetBuilding.h"
#include "support/BenchDb.h"
#include "support/RatioReporter.h"

using namespace tessel;

namespace {

constexpr int kCols = 8;
const double kWidths[kCols] = {8, 12, 12, 6, 9.5, 11, 11, 8};

// A value of /proc/self/status in kB.
long statusKb(const char *key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// Restarts the peak resident size (VmHWM) from the current resident size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The report: the benchmark database's rows on a sheet, labels in row 0, and the same cells
// prepared for the raw writer (NUL-terminated texts, or numbers).
struct Dataset {
    int rows = 0;
    std::unique_ptr<grid::Sheet> sheet;
    struct Cell {
        bool number = false;
        double value = 0;
        std::size_t offset = 0;  // into texts
    };
    std::vector<Cell> cells;  // (rows + 1) x kCols, row by row; empty texts are skipped
    std::vector<std::uint8_t> present;
    std::string texts;
};

Dataset &dataset(int rows) {
    static Dataset d;
    if (d.rows == rows)
        return d;
    d = Dataset{};
    d.rows = rows;
    d.sheet = std::make_unique<grid::Sheet>();
    db::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(rows));
    db::Recordset rs;
    bench::openBenchQuery(rs, conn);
    report::FillFromRecordset(rs, *d.sheet);
    const char *labels[kCols] = {"编号", "客户", "产品", "数量", "单价", "金额", "日期", "备注"};
    for (int c = 1; c <= kCols; ++c) {
        d.sheet->setText(c, 0, QString::fromUtf8(labels[c - 1]));
        d.sheet->setColWidth(c, kWidths[c - 1]);
    }
    d.cells.resize(std::size_t(rows + 1) * kCols);
    d.present.resize(d.cells.size());
    for (int r = 0; r <= rows; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            const std::size_t i = std::size_t(r) * kCols + std::size_t(c - 1);
            const std::string_view t = d.sheet->textUtf8(c, r);
            d.present[i] = !t.empty();
            if (const auto n = exports::sheetNumber(t)) {
                d.cells[i] = {true, *n, 0};
            } else {
                d.cells[i] = {false, 0, d.texts.size()};
                d.texts.append(t);
                d.texts.push_back('\0');
            }
        }
    }
    return d;
}

void raw(benchmark::State &state, int rows) {
    const Dataset &d = dataset(rows);
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("raw.xlsx")));
    double growthMb = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS");
        resetPeak();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook *wb = workbook_new_opt(path.constData(), &options);
        lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
        for (int c = 0; c < kCols; ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), kWidths[c], nullptr);
        for (int r = 0; r <= rows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                const std::size_t i = std::size_t(r) * kCols + std::size_t(c);
                if (!d.present[i])
                    continue;
                const Dataset::Cell &cell = d.cells[i];
                if (cell.number)
                    worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), cell.value, nullptr);
                else
                    worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c),
                                           d.texts.data() + cell.offset, nullptr);
            }
        }
        if (workbook_close(wb) != LXW_NO_ERROR)
            state.SkipWithError("the raw writer failed");
        growthMb = double(statusKb("VmHWM") - before) / 1024.0;
    }
    state.counters["peak_rss_growth_MB"] = growthMb;
    state.SetItemsProcessed(state.iterations() * std::int64_t(rows + 1) * kCols);
}

void exportSheet(benchmark::State &state, int rows) {
    const Dataset &d = dataset(rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    double growthMb = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS");
        resetPeak();
        exports::writeWorkbook(path, *d.sheet, QString(), QString());
        growthMb = double(statusKb("VmHWM") - before) / 1024.0;
    }
    state.counters["peak_rss_growth_MB"] = growthMb;
    state.counters["sheet_MB"] = double(d.sheet->storageBytes()) / (1024.0 * 1024.0);
    state.SetItemsProcessed(state.iterations() * std::int64_t(rows + 1) * kCols);
}

}  // namespace

int main(int argc, char **argv) {
    // Filling the sheet shows the busy cursor, which needs a GUI application; none is drawn.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Raw and export side by side for each size, so both meet the same disk and cache.
    for (int rows : {100'000, 1'000'000}) {
        bench::benchDatabase(rows);  // generate outside the timings
        const std::string n = std::to_string(rows);
        benchmark::RegisterBenchmark(("RawLibxlsxwriter/" + n).c_str(), raw, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
        benchmark::RegisterBenchmark(("Export/" + n).c_str(), exportSheet, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    bench::RatioReporter reporter(
        [](const std::string &name) {
            return name.rfind("Export/", 0) == 0 ? "RawLibxlsxwriter/" + name.substr(7)
                                                 : std::string();
        },
        1.3);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
