// Memory and fill speed of the sheet model at 1,000,000 rows x 8 columns of short Latin and
// Chinese texts. Reports, per cell, the bytes the sheet holds beyond the text bytes
// (storageBytes) and the growth of the process's resident memory beyond the text bytes, and
// the fill rate in cells per second (items_per_second).
// Run: build/dev/bench/tessel_sheet_memory_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QVariant>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "grid/Sheet.h"

using tessel::grid::CellBlock;
using tessel::grid::Sheet;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;
constexpr std::size_t kPool = 4096;  // distinct texts per column, cycled

// Resident memory of this process in bytes.
std::size_t residentBytes() {
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    unsigned long size = 0, resident = 0;
    const int got = std::fscanf(f, "%lu %lu", &size, &resident);
    std::fclose(f);
    return got == 2 ? std::size_t(resident) * std::size_t(sysconf(_SC_PAGESIZE)) : 0;
}

// Texts like a report's: codes, names, places, amounts, dates, remarks.
const std::vector<std::vector<std::string>> &textPool() {
    static const std::vector<std::vector<std::string>> pool = [] {
        static const char *const surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄"};
        static const char *const given[] = {"伟", "芳", "娜", "敏", "静", "丽强", "磊", "洋"};
        static const char *const places[] = {"北京市海淀区", "上海市浦东新区", "广州市天河区",
                                             "深圳市南山区"};
        static const char *const remarks[] = {"已审核", "待付款", "Paid", "Open"};
        std::vector<std::vector<std::string>> p(kCols);
        char buf[64];
        for (std::size_t i = 0; i < kPool; ++i) {
            std::snprintf(buf, sizeof buf, "A%06zu", i * 7919 % 1000000);
            p[0].emplace_back(buf);
            p[1].emplace_back(std::string(surnames[i % 8]) + given[(i / 8) % 8]);
            p[2].emplace_back(places[i % 4]);
            std::snprintf(buf, sizeof buf, "%zu.%02zu", i * 37 % 100000, i % 100);
            p[3].emplace_back(buf);
            std::snprintf(buf, sizeof buf, "%zu", i % 500);
            p[4].emplace_back(buf);
            std::snprintf(buf, sizeof buf, "2024-%02zu-%02zu", i % 12 + 1, i % 28 + 1);
            p[5].emplace_back(buf);
            p[6].emplace_back(remarks[i % 4]);
            std::snprintf(buf, sizeof buf, "Dept %zu 部门", i % 40);
            p[7].emplace_back(buf);
        }
        return p;
    }();
    return pool;
}

std::size_t fill(Sheet &sheet, int rowOffset) {
    const auto &pool = textPool();
    std::size_t textBytes = 0;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            const std::string &t = pool[std::size_t(c - 1)][std::size_t(r + rowOffset) % kPool];
            sheet.setTextUtf8(c, r, t);
            textBytes += t.size();
        }
    }
    sheet.setMaxCols(kCols);
    sheet.setMaxRows(kRows);
    return textBytes;
}

// Fills a new sheet; Arg 0 fills with redraw suspended, 1 with redraw on (one `changed`
// per cell, no receiver).
void SheetFillUtf8(benchmark::State &state) {
    textPool();
    const bool redraw = state.range(0) != 0;
    const double cells = double(kRows) * kCols;
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t rss0 = residentBytes();
        auto sheet = std::make_unique<Sheet>();
        state.ResumeTiming();

        sheet->setRedraw(redraw);
        const std::size_t textBytes = fill(*sheet, 0);
        sheet->setRedraw(true);

        state.PauseTiming();
        const std::size_t rss1 = residentBytes();
        state.counters["text_bytes_per_cell"] = double(textBytes) / cells;
        state.counters["bytes_per_cell_beyond_text"] =
            (double(sheet->storageBytes()) - double(textBytes)) / cells;
        state.counters["rss_per_cell_beyond_text"] =
            (double(rss1) - double(rss0) - double(textBytes)) / cells;
        state.counters["rss_growth_MB"] = (double(rss1) - double(rss0)) / (1024.0 * 1024.0);
        sheet.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kCols);
}
BENCHMARK(SheetFillUtf8)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond);

// Writes the same sheet again with other texts of other lengths: reuse in place where they
// fit, appends and arena compaction where they do not.
void SheetOverwrite(benchmark::State &state) {
    Sheet sheet;
    sheet.setRedraw(false);
    fill(sheet, 0);
    int offset = 1;
    for (auto _ : state) {
        fill(sheet, offset);
        offset += 977;
    }
    state.counters["arena_MB"] = double(sheet.arenaBytes()) / (1024.0 * 1024.0);
    state.counters["garbage_MB"] = double(sheet.garbageBytes()) / (1024.0 * 1024.0);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kCols);
}
BENCHMARK(SheetOverwrite)->Iterations(4)->Unit(benchmark::kMillisecond);

// What a fill from a query writes: integers, reals and strings as values.
void SheetFillValues(benchmark::State &state) {
    std::vector<QVariant> values;
    for (std::size_t i = 0; i < kPool; ++i) {
        switch (i % 4) {
            case 0:
                values.emplace_back(int(i * 31));
                break;
            case 1:
                values.emplace_back(double(i) * 1.25);
                break;
            case 2:
                values.emplace_back(QString::fromUtf8(textPool()[1][i]));
                break;
            default:
                values.emplace_back(QString::fromUtf8(textPool()[0][i]));
                break;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<Sheet>();
        state.ResumeTiming();
        sheet->setRedraw(false);
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 1; c <= kCols; ++c)
                sheet->setValue(c, r, values[std::size_t(r * kCols + c) % kPool]);
        }
        sheet->setRedraw(true);
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kCols);
}
BENCHMARK(SheetFillValues)->Iterations(2)->Unit(benchmark::kMillisecond);

// The last row with data of a full sheet whose bottom rows were cleared.
void SheetLastDataRow(benchmark::State &state) {
    Sheet sheet;
    sheet.setRedraw(false);
    fill(sheet, 0);
    sheet.clearText(CellBlock{-1, kRows - 1000, -1, kRows});
    for (auto _ : state)
        benchmark::DoNotOptimize(sheet.lastDataRow());
}
BENCHMARK(SheetLastDataRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
