// Grouping 1,000,000 rows x 8 columns read from SQLite into 10,000 groups on two levels (100
// departments x 100 months, in no order), with three totals per group, next to the plain fill
// of the same rows. Targets: sorting, grouping and the subtotal rows take at most 0.5 x the
// plain fill; the sheet holds no more bytes beyond the plain sheet than the subtotal rows'
// own cells (their cell references, texts, marks and row styles): counter
// beyond_over_own <= 1. Run: build/<dir>/bench/tessel_grouping_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "grid/Sheet.h"
#include "groups/ArrangeGroups.h"
#include "report/SheetBuilding.h"
#include "support/BenchDb.h"
#include "support/BenchMain.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;

// The bench rows with a department (100 values) and a month (100 values) in front, the pairs
// spread over the table so that nothing comes sorted.
const QString kQuery = QStringLiteral(
    "select 编号 % 100, (编号 / 100) % 100, 客户, 产品, 数量, 单价, 金额, 日期 from 订单");

std::unique_ptr<grid::Sheet> filledSheet(const db::Connection &conn) {
    auto sheet = std::make_unique<grid::Sheet>();
    db::Recordset rs;
    rs.open(kQuery, conn, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::kCommandText);
    report::FillFromRecordset(rs, *sheet);
    return sheet;
}

grid::Grouping departmentsAndMonths() {
    grid::Grouping g;
    g.levels.resize(2);
    g.levels[0].column = 1;
    g.levels[0].header = true;
    g.levels[1].column = 2;
    for (grid::GroupLevel &l : g.levels) {
        l.totals = std::vector<grid::GroupTotal>{{5, grid::TotalFunction::Sum},
                                                 {6, grid::TotalFunction::Average},
                                                 {7, grid::TotalFunction::Sum}};
    }
    return g;
}

// What the marked rows hold of their own: a cell reference per column, their texts, and the
// tree nodes of their mark and row style (as Sheet::storageBytes counts nodes).
double ownBytesOfMarkedRows(const grid::Sheet &sheet) {
    constexpr std::size_t kNode = 5 * sizeof(void *);
    double bytes = 0;
    for (const auto &entry : sheet.rowMarks()) {
        bytes += double(sheet.maxCols()) * 8 + double(kNode) * 2 +
                 double(sizeof(std::pair<const int, grid::RowMark>)) +
                 double(sizeof(std::pair<const int, std::uint16_t>));
        for (int c = 1; c <= sheet.maxCols(); ++c)
            bytes += double(sheet.cellUtf8(c, entry.first).size());
    }
    return bytes;
}

void PlainFill(benchmark::State &state) {
    db::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    for (auto _ : state) {
        auto sheet = filledSheet(conn);
        state.PauseTiming();
        if (sheet->maxRows() != kRows) {
            state.SkipWithError("the fill did not fill every row");
            break;
        }
        sheet.reset();
        state.ResumeTiming();
    }
}

void ArrangeGroups(benchmark::State &state) {
    db::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    const grid::Grouping grouping = departmentsAndMonths();
    double beyond = 0;
    double own = 0;
    double subtotals = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = filledSheet(conn);
        const std::size_t plain = sheet->storageBytes();
        state.ResumeTiming();

        groups::arrangeGroups(*sheet, grouping, {});

        state.PauseTiming();
        subtotals = 0;
        for (const auto &entry : sheet->rowMarks())
            subtotals += entry.second.kind == grid::RowKind::Subtotal;
        if (subtotals != 10'100) {
            std::fprintf(stderr, "%g subtotal rows\n", subtotals);
            state.SkipWithError("not 10,000 + 100 groups");
            break;
        }
        beyond = double(sheet->storageBytes()) - double(plain);
        own = ownBytesOfMarkedRows(*sheet);
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["subtotal_rows"] = subtotals;
    state.counters["bytes_beyond_plain"] = beyond;
    state.counters["own_bytes_of_marked_rows"] = own;
    state.counters["beyond_over_own"] = own > 0 ? beyond / own : 0;
}

}  // namespace

BENCHMARK(PlainFill)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(ArrangeGroups)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char **argv) {
    return tessel::bench::runAgainstAnchors(
        argc, argv, kRows,
        [](const std::string &name) {
            return name == "ArrangeGroups" ? std::string("PlainFill") : std::string();
        },
        0.5);
}
