// Exporting a report sheet of rows x 8 columns to an .xlsx workbook (writeWorkbook), next to a
// raw libxlsxwriter program in constant-memory mode writing the same cells (same texts, same
// numbers, same column widths) from memory prepared beforehand, in the same run.
// Target: the export takes at most the raw writer's wall time (ratio <= 1.0; the cells are
// prepared on a second thread ahead of the writer), and its peak memory does not grow with
// the row count (peak_rss_growth_MB: the highest resident size during the write minus the
// resident size before it, for 100,000 and 1,000,000 rows). CPU times are the process's, all
// threads together, so the cpu ratio is the work done beside the raw writer's.
// The same 1,000,000 rows grouped (10,000 groups on two levels, with subtotal and totals
// rows) export with SUBTOTAL formulas, an outline and page breaks in at most 1.15 x the time
// of the plain export of that sheet. The grouped sheet looks as arranging leaves it (its
// header and subtotal rows bold on a light fill) and merges runs of equal products (column
// 3, five rows each), so the workbook's formats and merged ranges are timed with it.
// Run: build/<dir>/bench/tessel_export_bench (--benchmark_filter=Grouped for the grouped pair)
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

#include "base/ValueText.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "export/WorkbookExport.h"
#include "grid/CellNumber.h"
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

// The benchmark rows grouped by hand, as arranging them would: every 100 data rows an inner
// group (level 2) closed by its subtotal row, every 100 inner groups an outer one (level 1,
// each starting a page), both summing 数量 and 金额 (columns 4 and 6); then the totals row.
// The rows' own values do not matter to the writer, which reads the marks.
grid::Sheet &groupedSheet(int rows) {
    static std::unique_ptr<grid::Sheet> sheet;
    static int made = 0;
    if (sheet && made == rows)
        return *sheet;
    constexpr int kGroupRows = 100, kInnerGroups = 100;
    constexpr int kTotalCols[] = {4, 6};
    sheet = std::make_unique<grid::Sheet>();
    made = rows;
    {
        db::Connection conn;
        conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(rows));
        db::Recordset rs;
        bench::openBenchQuery(rs, conn);
        report::FillFromRecordset(rs, *sheet);
    }
    std::vector<int> from;
    std::vector<grid::RowMark> marks{{}};  // by new row; [0] unused
    for (int r = 1; r <= rows; ++r) {
        from.push_back(r);
        marks.push_back({});
        if (r % kGroupRows == 0 || r == rows) {
            from.push_back(0);
            marks.push_back({grid::RowKind::Subtotal, 2});
            if (r % (kGroupRows * kInnerGroups) == 0 || r == rows) {
                from.push_back(0);
                marks.push_back({grid::RowKind::Subtotal, 1});
            }
        }
    }
    from.push_back(0);
    marks.push_back({grid::RowKind::Totals, 0});
    sheet->arrangeRows(from);

    grid::CellStyle rowStyle = sheet->defaultStyle();
    rowStyle.font.bold = true;
    rowStyle.background = QColor(242, 242, 242);
    double sums[3][2] = {};  // outer, inner, all; by total column
    std::string text;
    for (int r = 1; r <= sheet->maxRows(); ++r) {
        const grid::RowMark mark = marks[std::size_t(r)];
        if (mark.kind == grid::RowKind::Data) {
            for (int i = 0; i < 2; ++i) {
                const double v = grid::cellNumber(sheet->textUtf8(kTotalCols[i], r)).value_or(0);
                for (double *s : {sums[0], sums[1], sums[2]})
                    s[i] += v;
            }
            continue;
        }
        double *own = mark.kind == grid::RowKind::Totals ? sums[2] : sums[mark.level - 1];
        sheet->setText(
            1, r,
            mark.kind == grid::RowKind::Totals ? QStringLiteral("合计") : QStringLiteral("小计"));
        for (int i = 0; i < 2; ++i) {
            text.clear();
            base::appendDouble(text, own[i]);
            sheet->setTextUtf8(kTotalCols[i], r, text);
            own[i] = 0;
        }
        sheet->setRowMark(r, mark);
        sheet->setRowStyle(r, rowStyle);
    }
    const char *labels[kCols] = {"编号", "客户", "产品", "数量", "单价", "金额", "日期", "备注"};
    for (int c = 1; c <= kCols; ++c) {
        sheet->setText(c, 0, QString::fromUtf8(labels[c - 1]));
        sheet->setColWidth(c, kWidths[c - 1]);
    }
    sheet->setColMerge(3, grid::MergeMode::Always);
    return *sheet;
}

// The grouping the grouped sheet was arranged by.
grid::Grouping benchGrouping() {
    const std::vector<grid::GroupTotal> sums{{4, grid::TotalFunction::Sum},
                                             {6, grid::TotalFunction::Sum}};
    grid::Grouping g;
    g.levels = {{2, sums}, {3, sums}};
    g.levels[0].pageBreak = true;
    return g;
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

// The grouped sheet written with its grouping (formulas, outline, page breaks) or, as the
// anchor, with none: the same cells as plain values.
void exportGrouped(benchmark::State &state, int rows, bool grouped) {
    grid::Sheet &sheet = groupedSheet(rows);
    sheet.setGrouping(grouped ? benchGrouping() : grid::Grouping{});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grouped.xlsx"));
    double growthMb = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS");
        resetPeak();
        exports::writeWorkbook(path, sheet, QString(), QString());
        growthMb = double(statusKb("VmHWM") - before) / 1024.0;
    }
    state.counters["peak_rss_growth_MB"] = growthMb;
    state.counters["file_MB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
    state.SetItemsProcessed(state.iterations() * std::int64_t(sheet.maxRows() + 1) * kCols);
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
            ->MeasureProcessCPUTime()
            ->Iterations(1);
        benchmark::RegisterBenchmark(("Export/" + n).c_str(), exportSheet, rows)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime()
            ->Iterations(1);
    }
    const std::string grouped = "Grouped/1000000";
    benchmark::RegisterBenchmark("GroupedPlain/1000000", exportGrouped, 1'000'000, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark(grouped.c_str(), exportGrouped, 1'000'000, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime()
        ->Iterations(1);
    bench::RatioReporter reporter(
        [](const std::string &name) {
            if (name.rfind("Export/", 0) == 0)
                return "RawLibxlsxwriter/" + name.substr(7);
            if (name.rfind("Grouped/", 0) == 0)
                return "GroupedPlain/" + name.substr(8);
            return std::string();
        },
        1.0);
    reporter.setTarget(grouped, 1.15);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
