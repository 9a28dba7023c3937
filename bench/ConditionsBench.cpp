// Conditional formats over a report of 1,000,000 rows x 8 columns filled from SQLite: five rules
// of different kinds (a comparison, a text rule giving the whole row, the top 10, a 3-colour
// scale, a data bar) with their column statistics computed and every data cell's look asked for
// once, next to the plain fill of the same rows. Target: at most 0.3 x the fill.
// Run: build/<dir>/bench/tessel_conditions_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "conditions/CellLooks.h"
#include "conditions/StoredConditions.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "grid/Sheet.h"
#include "report/SheetBuilding.h"
#include "support/BenchDb.h"
#include "support/BenchMain.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;

// Columns of the bench query: 2 客户, 4 数量, 5 单价, 6 金额.
const char *kRules = R"([
  {"column": 6, "when": ">", "value": 30000, "text": "#C00000", "bold": true},
  {"column": 2, "when": "contains", "value": "acme", "fill": "#FFF2CC", "row": true},
  {"column": 6, "when": "top", "value": 10, "fill": "#E2EFDA"},
  {"column": 5, "scale": ["#F8696B", "#FFEB84", "#63BE7B"]},
  {"column": 4, "bar": "#638EC6"}
])";

void fill(grid::Sheet &sheet) {
    db::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    db::Recordset rs;
    bench::openBenchQuery(rs, conn);
    report::FillFromRecordset(rs, sheet);
}

void FillIntoNewSheet(benchmark::State &state) {
    for (auto _ : state) {
        auto sheet = std::make_unique<grid::Sheet>();
        fill(*sheet);
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Fresh rules each round, so the statistics are computed every time, then every data cell's
// look; `statistics_ms` is the part the statistics take.
void RulesOverEveryCell(benchmark::State &state) {
    grid::Sheet sheet;
    fill(sheet);
    const conditions::StoredConditions stored =
        conditions::readConditions(QString::fromUtf8(kRules), kCols);
    if (!stored.ignored.isEmpty() || stored.rules.size() != 5)
        state.SkipWithError("the rules were not all read");
    double statistics = 0;
    long marked = 0;
    for (auto _ : state) {
        const conditions::CellLooks looks(stored.rules);
        const auto start = std::chrono::steady_clock::now();
        looks.refresh(sheet);
        statistics +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        marked = 0;
        for (int row = 1; row <= sheet.maxRows(); ++row) {
            for (int col = 1; col <= kCols; ++col)
                marked += !looks.look(sheet, col, row).isEmpty();
        }
        benchmark::DoNotOptimize(marked);
    }
    state.counters["statistics_ms"] = statistics / double(state.iterations());
    state.counters["cells_with_a_look"] = double(marked);
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

}  // namespace

BENCHMARK(FillIntoNewSheet)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(RulesOverEveryCell)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

int main(int argc, char **argv) {
    return tessel::bench::runAgainstAnchors(
        argc, argv, kRows,
        [](const std::string &name) {
            return name == "RulesOverEveryCell" ? std::string("FillIntoNewSheet") : std::string();
        },
        0.3);
}
