// Reading 1,000,000 rows x 8 columns through Recordset, every value as text, next to the
// same scan through the raw SQLite C API. Run: build/dev/bench/tessel_recordset_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "support/BenchDb.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;

void RawSqliteScan(benchmark::State &state) {
    const QString path = bench::benchDatabase(kRows);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::rawSqliteScan(path));
    state.SetItemsProcessed(state.iterations() * kRows * 8);
}

// One pass of the query through Recordset; `valueSize(rs, i)` reads field i of the current
// row the way the benchmark measures and returns its size.
template <class ValueSize>
void recordsetScan(benchmark::State &state, ValueSize valueSize) {
    db::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    for (auto _ : state) {
        db::Recordset rs;
        bench::openBenchQuery(rs, conn);
        std::size_t seen = 0;
        const int n = rs.fieldCount();
        for (; !rs.eof(); rs.moveNext()) {
            for (int i = 0; i < n; ++i)
                seen += valueSize(rs, i) + 1;
        }
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * kRows * 8);
}

// Every value as UTF-8 text, the fill's fast path.
void RecordsetUtf8Scan(benchmark::State &state) {
    recordsetScan(state, [](const db::Recordset &rs, int i) { return rs.utf8(i).size(); });
}

// Every value as a QString.
void RecordsetQStringScan(benchmark::State &state) {
    recordsetScan(state,
                  [](const db::Recordset &rs, int i) { return std::size_t(rs.text(i).size()); });
}

}  // namespace

BENCHMARK(RawSqliteScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(RecordsetUtf8Scan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(RecordsetQStringScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::benchDatabase(kRows);  // generate outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
