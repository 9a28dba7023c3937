// Find across the printed pages of a 1,000,000-row x 8-column report sheet (17,858 A4
// pages with a header and a page-numbered footer), through the PageFinder the preview's find
// bar uses.
// - FirstMatch: from the middle page, the first page holding the text and the matches on it
//   (what a keystroke costs before the match is on screen). "墨盒" is on every page; the
//   order number "987654" first prints on a page near the end, so half the report (8,709
//   pages) is read before it is found: a text far from the current page.
// - FullCount: every page counted (what the match count costs), for a Chinese text (byte
//   comparison), a Latin text in the other case and a full-width text (folded comparison),
//   a text that is nowhere, and one longer than any cell (no text compared: what walking
//   the cells of every page costs by itself).
// Targets: first match <= 50 ms, full count <= 300 ms.
// Run: build/dev/bench/tessel_find_bench
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <string>

#include "grid/Sheet.h"
#include "preview/PageFind.h"
#include "print/Pagination.h"
#include "support/BenchMain.h"

using tessel::grid::PrintSettings;
using tessel::grid::Sheet;
using tessel::preview::PageFinder;
using tessel::print::Pagination;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;

// The rows of the benchmark database (bench/support/BenchDb.cpp) as the fill stores them.
struct Report {
    Sheet sheet;
    std::unique_ptr<Pagination> pages;
};

const Report &report() {
    static const Report *r = [] {
        auto *rep = new Report;
        Sheet &s = rep->sheet;
        static const char *labels[] = {"编号", "客户", "产品", "数量",
                                       "单价", "金额", "日期", "备注"};
        static const char *customers[] = {"张三贸易", "李四商行", "Acme Ltd", "王五百货", "Globex"};
        static const char *products[] = {"办公椅", "Laptop 14", "打印纸 A4", "墨盒", "Desk lamp"};
        for (int c = 1; c <= kCols; ++c)
            s.setTextUtf8(c, 0, labels[c - 1]);
        for (int i = 1; i <= kRows; ++i) {
            const int qty = 1 + i % 50;
            const double price = 0.5 + (i % 997) * 1.25;
            s.setTextUtf8(1, i, std::to_string(i));
            s.setTextUtf8(2, i, customers[i % 5]);
            s.setTextUtf8(3, i, products[(i / 5) % 5]);
            s.setTextUtf8(4, i, std::to_string(qty));
            s.setText(5, i, QString::number(price));
            s.setText(6, i, QString::number(qty * price));
            s.setTextUtf8(7, i,
                          "2024-" + std::to_string(1 + i % 12) + "-" + std::to_string(10 + i % 18));
            s.setTextUtf8(8, i, i % 3 ? "加急" : "normal");
        }
        s.setMaxCols(kCols);
        s.setMaxRows(kRows);
        PrintSettings p = s.print();
        p.header = QStringLiteral("/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c月度销售报表/n");
        p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r第/p页/n");
        s.setPrint(p);
        rep->pages = std::make_unique<Pagination>(s);
        return rep;
    }();
    return *r;
}

// From `start`, the first page with a match, wrapping to page 1 after the last.
int firstMatch(const PageFinder &finder, int start) {
    const int count = finder.pageCount();
    for (int i = 0; i < count; ++i) {
        const int page = (start - 1 + i) % count + 1;
        // As the find bar does: pages are counted, and the matches listed on the first
        // page that has any.
        if (finder.countOnPage(page) > 0 && !finder.matchesOnPage(page).empty())
            return page;
    }
    return 0;
}

void BM_FirstMatch(benchmark::State &state, const char *text) {
    const Report &r = report();
    const int start = r.pages->pageCount() / 2;
    int page = 0;
    for (auto _ : state) {
        const PageFinder finder(r.sheet, *r.pages, QString::fromUtf8(text));
        page = firstMatch(finder, start);
        benchmark::DoNotOptimize(page);
    }
    state.counters["page"] = page;
    state.counters["pages_scanned"] =
        page >= start ? page - start + 1 : r.pages->pageCount() - start + 1 + page;
}
BENCHMARK_CAPTURE(BM_FirstMatch, on_every_page, "墨盒")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstMatch, near_the_end, "987654")->Unit(benchmark::kMillisecond);

void BM_FullCount(benchmark::State &state, const char *text) {
    const Report &r = report();
    long long total = 0;
    for (auto _ : state) {
        const PageFinder finder(r.sheet, *r.pages, QString::fromUtf8(text));
        total = 0;
        for (int page = 1; page <= finder.pageCount(); ++page)
            total += finder.countOnPage(page);
        benchmark::DoNotOptimize(total);
    }
    state.counters["matches"] = double(total);
    state.counters["pages"] = r.pages->pageCount();
}
BENCHMARK_CAPTURE(BM_FullCount, chinese, "墨盒")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullCount, latin_other_case, "acme")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullCount, full_width, "ＡＣＭＥ")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullCount, nowhere, "不存在")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FullCount, longer_than_any_cell, "不存在不存在不存在不存在不存在不存在")
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return tessel::bench::runBenchmarks<QGuiApplication>(argc, argv);
}
