// Page count of a 1,000,000-row x 8-column report sheet on A4: the time to break the sheet
// into pages (Pagination's constructor), with default row heights, with 10,000 rows of
// their own height, and with "only cells holding data" (which asks the sheet for its data
// extent) on a filled sheet.
// Run: build/dev/bench/tessel_pagination_bench
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <string>

#include "grid/Sheet.h"
#include "print/Pagination.h"
#include "support/BenchMain.h"

using tessel::grid::PrintSettings;
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

}  // namespace

int main(int argc, char **argv) {
    return tessel::bench::runBenchmarks<QGuiApplication>(argc, argv);
}
