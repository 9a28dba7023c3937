// Reading 1,000,000 rows x 8 columns through Recordset, every value as text, next to the
// same scan through the raw SQLite C API. Run: build/dev/bench/tessel_recordset_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
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

void RecordsetUtf8Scan(benchmark::State &state) {
    platform::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    for (auto _ : state) {
        platform::Recordset rs;
        rs.open(QString::fromUtf8(bench::kBenchQuery), conn, platform::CursorType::ForwardOnly,
                platform::LockType::ReadOnly, platform::kCommandText);
        std::size_t bytes = 0;
        const int n = rs.fieldCount();
        for (; !rs.eof(); rs.moveNext()) {
            for (int i = 0; i < n; ++i)
                bytes += rs.utf8(i).size() + 1;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows * 8);
}

void RecordsetQStringScan(benchmark::State &state) {
    platform::Connection conn;
    conn.open(QStringLiteral("sqlite:") + bench::benchDatabase(kRows));
    for (auto _ : state) {
        platform::Recordset rs;
        rs.open(QString::fromUtf8(bench::kBenchQuery), conn, platform::CursorType::ForwardOnly,
                platform::LockType::ReadOnly, platform::kCommandText);
        std::size_t chars = 0;
        const int n = rs.fieldCount();
        for (; !rs.eof(); rs.moveNext()) {
            for (int i = 0; i < n; ++i)
                chars += size_t(rs.text(i).size()) + 1;
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * kRows * 8);
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
