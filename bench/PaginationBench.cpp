// Page count of a 1,000,000-row x 8-column report sheet on A4: the time to break the sheet
// into pages (Pagination's constructor), with default row heights, with 10,000 rows of
// their own height, and with "only cells holding data" (which asks the sheet for its data
// extent) on a filled sheet.
//
// A grouped sheet of the same size (10,000 groups on two levels, numbers in every cell): the
// plain pagination of its rows (grouping off) is the anchor; against it, the pagination with
// group breaks, repeated headers, kept groups and page totals with running and carried rows,
// once with the page sums of two columns (the whole constructor) and once with page-total rows
// of no column (the breaking alone, the rows' room kept, no sums to add).
// Run: build/dev/bench/tessel_pagination_bench
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <string>

#include "grid/Sheet.h"
#include "print/Pagination.h"
#include "support/RatioReporter.h"

using tessel::grid::Grouping;
using tessel::grid::GroupLevel;
using tessel::grid::PageTotals;
using tessel::grid::PrintSettings;
using tessel::grid::RowKind;
using tessel::grid::Sheet;
using tessel::print::Pagination;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;

std::unique_ptr<Sheet> makeSheet(bool overrides, bool filled) {
    auto sheet = std::make_unique<Sheet>();
    sheet->setMaxCols(kCols);
    sheet->setMaxRows(kRows);
    PrintSettings p = sheet->print();
    p.header = QStringLiteral("/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c月度销售报表/n");
    p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n");
    p.onlyData = filled;
    sheet->setPrint(p);
    if (overrides) {
        for (int r = 1; r <= kRows; r += kRows / 10000) {
            sheet->setRowHeight(r, 30);
        }
    }
    if (filled) {
        for (int c = 1; c <= kCols; ++c) {
            for (int r = 1; r <= kRows; ++r) {
                sheet->setTextUtf8(c, r, "张三");
            }
        }
    }
    return sheet;
}

void run(benchmark::State &state, const Sheet &sheet) {
    int pages = 0;
    for (auto _ : state) {
        const Pagination pg(sheet);
        pages = pg.pageCount();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
}

void BM_PageCount1MDefaultHeights(benchmark::State &state) {
    static const auto sheet = makeSheet(false, false);
    run(state, *sheet);
}
BENCHMARK(BM_PageCount1MDefaultHeights)->Unit(benchmark::kMillisecond);

void BM_PageCount1MWith10kRowHeights(benchmark::State &state) {
    static const auto sheet = makeSheet(true, false);
    run(state, *sheet);
}
BENCHMARK(BM_PageCount1MWith10kRowHeights)->Unit(benchmark::kMillisecond);

void BM_PageCount1MOnlyDataFilled(benchmark::State &state) {
    static const auto sheet = makeSheet(false, true);
    run(state, *sheet);
}
BENCHMARK(BM_PageCount1MOnlyDataFilled)->Unit(benchmark::kMillisecond);

// Rows of the grouped sheet: 100 outer groups of 100 inner groups, each inner group a header
// row, 97 data rows and a subtotal row, each outer group closed by its subtotal row; the rows
// after the last group are data too.
constexpr int kOuter = 100;
constexpr int kInner = 100;
constexpr int kInnerData = 97;

Sheet &groupedSheet() {
    static const std::unique_ptr<Sheet> sheet = [] {
        auto s = std::make_unique<Sheet>();
        s->setMaxCols(kCols);
        s->setMaxRows(kRows);
        PrintSettings p = s->print();
        p.header = QStringLiteral("/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c部门销售汇总/n");
        p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n");
        s->setPrint(p);
        std::string number;
        for (int c = 1; c <= kCols; ++c) {
            for (int r = 1; r <= kRows; ++r) {
                number = std::to_string((r * 7 + c) % 100000) + ".25";
                s->setTextUtf8(c, r, number);
            }
        }
        int row = 0;
        for (int o = 0; o < kOuter; ++o) {
            for (int i = 0; i < kInner; ++i) {
                s->setRowMark(++row, {RowKind::GroupHeader, 2});
                row += kInnerData;
                s->setRowMark(++row, {RowKind::Subtotal, 2});
            }
            s->setRowMark(++row, {RowKind::Subtotal, 1});
        }
        return s;
    }();
    return *sheet;
}

Grouping grouping(std::vector<int> totalColumns) {
    Grouping g;
    GroupLevel outer;
    outer.column = 1;
    outer.pageBreak = true;
    GroupLevel inner;
    inner.column = 2;
    inner.header = true;
    inner.keepTogether = true;
    g.levels = {outer, inner};
    g.pageTotals = PageTotals{std::move(totalColumns), QStringLiteral("本页小计"),
                              QStringLiteral("累计"), QStringLiteral("承前页")};
    return g;
}

void BM_GroupedSheetPlain(benchmark::State &state) {
    Sheet &sheet = groupedSheet();
    sheet.setGrouping(Grouping{});
    run(state, sheet);
}
BENCHMARK(BM_GroupedSheetPlain)->Unit(benchmark::kMillisecond);

void BM_GroupedSheetPageTotals(benchmark::State &state) {
    Sheet &sheet = groupedSheet();
    sheet.setGrouping(grouping({3, 4}));
    run(state, sheet);
}
BENCHMARK(BM_GroupedSheetPageTotals)->Unit(benchmark::kMillisecond);

void BM_GroupedSheetBreaksOnly(benchmark::State &state) {
    Sheet &sheet = groupedSheet();
    sheet.setGrouping(grouping({}));
    run(state, sheet);
}
BENCHMARK(BM_GroupedSheetBreaksOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tessel::bench::RatioReporter reporter(
        [](const std::string &name) {
            return name.starts_with("BM_GroupedSheet") ? std::string("BM_GroupedSheetPlain")
                                                       : std::string();
        },
        2);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
