// Memory of a 1,000,000-row x 8-column report open in the preview, as a host opens it: the
// sheet filled from SQLite by a report run's fill (the bench database, through Recordset and
// FillFromRecordset, labels from the fields), the print header and footer of a monthly report
// (about 18,000 pages on A4), then the preview window shown on its first page.
//
// Reports, in MB (2^20 bytes):
//   peak_MB               the process's peak resident memory (VmHWM) from before the fill to
//                         the first page on screen; target: at most 150
//   fill_peak_MB          the peak while the sheet fills
//   fill_rss_MB           resident memory when the fill is done
//   sheet_MB              the sheet's own storage (Sheet::storageBytes)
//   preview_heap_MB       heap the open preview holds beyond the sheet (malloc's count of
//                         bytes in use after the window shows its first page, less before)
//   preview_rss_MB        resident growth from before the window is made to its first page
//   baseline_MB           resident memory before the fill: Qt, the libraries, the bench
// The bench database is generated before the peak is reset, so it does not count.
// Run: build/dev/bench/tessel_preview_memory_bench
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "preview/SpreadPreview.h"
#include "report/ReportSession.h"
#include "report/SheetBuilding.h"
#include "support/BenchDb.h"
#include "widgets/PageView.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;
constexpr double kTargetMB = 150;
constexpr double kMB = 1024.0 * 1024.0;

// A field of /proc/self/status ("VmHWM", "VmRSS") in bytes; 0 when it cannot be read.
double statusBytes(const char *field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() * 1024.0;
    }
    return 0;
}

// Starts a new peak at the present resident size (Linux: writing 5 to clear_refs).
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// Heap bytes in use: small blocks plus the large ones malloc maps on their own.
double heapBytes() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks) + double(m.hblkhd);
}

// The figures of the last run, printed again after the table.
struct Figures {
    double peak = 0, sheet = 0, previewHeap = 0, previewRss = 0;
} g_figures;

void PreviewPeakMemory(benchmark::State &state) {
    const QString path = bench::benchDatabase(kRows);
    for (auto _ : state) {
        resetPeak();
        const double baseline = statusBytes("VmRSS");

        auto session = std::make_unique<report::ReportSession>();
        grid::Sheet &sheet = session->sheet;
        {
            session->connection.open(QStringLiteral("sqlite:") + path);
            db::Recordset rs;
            bench::openBenchQuery(rs, session->connection);
            report::SetHeadersFromFields(rs, sheet);
            report::FillFromRecordset(rs, sheet);
        }
        grid::PrintSettings p = sheet.print();
        p.header = QStringLiteral("/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c月度销售报表/n");
        p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n");
        sheet.setPrint(p);
        const double fillPeak = statusBytes("VmHWM");
        state.counters["fill_rss_MB"] = statusBytes("VmRSS") / kMB;

        resetPeak();
        const double heap0 = heapBytes();
        const double rss0 = statusBytes("VmRSS");
        auto window = std::make_unique<preview::SpreadPreview>(*session);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->setVaGridtemp(&sheet);
        window->resize(960, 720);
        window->show();
        QApplication::processEvents();  // the first page on screen
        const double heap1 = heapBytes();
        const double rss1 = statusBytes("VmRSS");
        const double peak = std::max(fillPeak, statusBytes("VmHWM"));
        if (sheet.maxRows() != kRows || window->pageView()->renderCount() == 0)
            state.SkipWithError("the preview did not show the report");
        state.counters["pages"] = window->pageView()->pageCount();
        state.counters["peak_MB"] = peak / kMB;
        state.counters["fill_peak_MB"] = fillPeak / kMB;
        state.counters["sheet_MB"] = double(sheet.storageBytes()) / kMB;
        state.counters["preview_heap_MB"] = (heap1 - heap0) / kMB;
        state.counters["preview_rss_MB"] = (rss1 - rss0) / kMB;
        state.counters["baseline_MB"] = baseline / kMB;
        g_figures = {peak, double(sheet.storageBytes()), heap1 - heap0, rss1 - rss0};
    }
}
BENCHMARK(PreviewPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::benchDatabase(kRows);  // generated before anything is measured
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Figures &f = g_figures;
    if (f.peak > 0) {
        std::printf("sheet %.1f MB; the preview beyond it: heap %.1f MB, resident %.1f MB\n",
                    f.sheet / kMB, f.previewHeap / kMB, f.previewRss / kMB);
        std::printf("peak / target: %.1f MB / %.0f MB = %.3f (target <= 1)\n", f.peak / kMB,
                    kTargetMB, f.peak / kMB / kTargetMB);
    }
    return 0;
}
