// Reading 1,000,000 rows x 8 columns (integers, reals, Latin and Chinese texts) from
// PostgreSQL, all in one run against the same server: the raw libpq single-row scan (the
// anchor), Qt's forward-only query, Recordset's text scan and FillFromRecordset into a new
// sheet. The fill reads in single-row mode too, so anchor and fill fetch alike. Targets: the
// fill takes at most 1.15 x the raw scan (the other readers 1.5 x), and its peak memory stays
// within the sheet's own storage + 50 MB (no whole result held).
// Run: scripts/with-postgres build/dev/bench/tessel_pg_bench
// (without TESSEL_TEST_PG every benchmark reports itself skipped).
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <QApplication>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "grid/Sheet.h"
#include "report/SheetBuilding.h"
#include "support/BenchDb.h"
#include "support/RatioReporter.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;
const char *kSkip = "TESSEL_TEST_PG is not set: run under scripts/with-postgres";

QString server() {
    return qEnvironmentVariable("TESSEL_TEST_PG");
}
QString benchUrl() {
    return server() + QStringLiteral("tessel_bench");
}

// The database tessel_bench with table 订单 as the SQLite benchmark file holds it, made
// on the server once (kept between runs of the same server).
void makeBenchDatabase() {
    db::Connection admin;
    admin.open(server() + QStringLiteral("postgres"));
    db::Recordset exists;
    exists.open(QStringLiteral("select count(*) from pg_database where datname = 'tessel_bench'"),
                admin);
    if (exists.value(0).toInt() == 0)
        admin.execute(QStringLiteral("create database tessel_bench encoding 'UTF8'"));
    db::Connection db;
    db.open(benchUrl());
    db::Recordset count;
    count.open(QStringLiteral("select count(*) from pg_tables where tablename = '订单'"), db);
    if (count.value(0).toInt() == 1)
        return;
    db.execute(QStringLiteral(
        "create table 订单 (编号 integer primary key, 客户 text, 产品 text, 数量 integer,"
        " 单价 double precision, 金额 double precision, 日期 text, 备注 text)"));
    db.execute(
        QStringLiteral(
            "insert into 订单 select i, (array['张三贸易','李四商行','Acme Ltd','王五百货',"
            "'Globex'])[i % 5 + 1], (array['办公椅','Laptop 14','打印纸 A4','墨盒','Desk lamp'])"
            "[(i / 5) % 5 + 1], 1 + i % 50, 0.5 + (i % 997) * 1.25, (1 + i % 50) * "
            "(0.5 + (i % 997) * 1.25), '2024-' || (1 + i % 12) || '-' || (10 + i % 18), "
            "case when i % 3 <> 0 then '加急' else 'normal' end "
            "from generate_series(1, %1) i")
            .arg(kRows));
    db.execute(QStringLiteral("vacuum analyze 订单"));
}

// The anchor: one pass of the query over its own libpq connection in single-row mode,
// every value fetched as text. Returns the bytes seen.
std::size_t rawLibpqScan(PGconn *pg) {
    PQsendQuery(pg, bench::kBenchQuery);
    PQsetSingleRowMode(pg);
    std::size_t bytes = 0;
    while (PGresult *r = PQgetResult(pg)) {
        if (PQresultStatus(r) == PGRES_SINGLE_TUPLE) {
            for (int i = 0; i < kCols; ++i)
                bytes += std::size_t(PQgetlength(r, 0, i)) + (PQgetvalue(r, 0, i) != nullptr);
        }
        PQclear(r);
    }
    return bytes;
}

void RawLibpqScan(benchmark::State &state) {
    if (server().isEmpty())
        return state.SkipWithError(kSkip);
    const QByteArray url = benchUrl().toUtf8();
    PGconn *pg = PQconnectdb(url.constData());
    for (auto _ : state)
        benchmark::DoNotOptimize(rawLibpqScan(pg));
    PQfinish(pg);
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Qt's own forward-only query, every value as text: the path reads took before.
void QtForwardOnlyScan(benchmark::State &state) {
    if (server().isEmpty())
        return state.SkipWithError(kSkip);
    db::Connection conn;
    conn.open(benchUrl());
    for (auto _ : state) {
        QSqlQuery q(conn.database());
        q.setForwardOnly(true);
        q.exec(QString::fromUtf8(bench::kBenchQuery));
        std::size_t seen = 0;
        while (q.next()) {
            for (int i = 0; i < kCols; ++i)
                seen += std::size_t(q.value(i).toString().size()) + 1;
        }
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Every value through Recordset as UTF-8 text, the fill's reading path.
void RecordsetUtf8Scan(benchmark::State &state) {
    if (server().isEmpty())
        return state.SkipWithError(kSkip);
    db::Connection conn;
    conn.open(benchUrl());
    for (auto _ : state) {
        db::Recordset rs;
        bench::openBenchQuery(rs, conn);
        std::size_t seen = 0;
        for (; !rs.eof(); rs.moveNext()) {
            for (int i = 0; i < kCols; ++i)
                seen += rs.utf8(i).size() + 1;
        }
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// Resident memory figures of this process, in bytes: the current and the peak since the
// last resetPeak().
std::size_t statusBytes(const char *field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return std::size_t(line.mid(qstrlen(field)).trimmed().split(' ')[0].toULongLong()) *
                   1024;
    }
    return 0;
}
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// A fresh sheet each time: the fill pays for every allocation of its storage. Reports the
// peak memory the fill took beyond the sheet it built.
void FillIntoNewSheet(benchmark::State &state) {
    if (server().isEmpty())
        return state.SkipWithError(kSkip);
    db::Connection conn;
    conn.open(benchUrl());
    double beyondSheetMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<grid::Sheet>();
        resetPeak();
        const std::size_t before = statusBytes("VmRSS:");
        state.ResumeTiming();

        db::Recordset rs;
        bench::openBenchQuery(rs, conn);
        report::FillFromRecordset(rs, *sheet);

        state.PauseTiming();
        if (sheet->maxRows() != kRows || sheet->maxCols() != kCols)
            state.SkipWithError("the fill did not fill every row");
        const double peak = double(statusBytes("VmHWM:")) - double(before);
        beyondSheetMb = std::max(beyondSheetMb, (peak - double(sheet->storageBytes())) / 1e6);
        rs.close();
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MB_beyond_sheet"] = beyondSheetMb;
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

}  // namespace

BENCHMARK(RawLibpqScan)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(QtForwardOnlyScan)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(RecordsetUtf8Scan)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(FillIntoNewSheet)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

int main(int argc, char **argv) {
    // The fill shows the busy cursor, which needs a GUI application; none is drawn.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!server().isEmpty())
        makeBenchDatabase();  // outside the timings
    bench::RatioReporter reporter([](const std::string &) { return std::string("RawLibpqScan"); },
                                  1.5);
    reporter.setTarget("FillIntoNewSheet", 1.15);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
