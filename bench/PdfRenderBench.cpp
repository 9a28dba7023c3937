// Pages rendered per second to PDF: a 200-page report sheet (50 rows x 8 columns of Chinese
// and Latin texts per A4 page, column header row, grid lines, footer with page number)
// written through the sheet's one paint path, next to the bare-QPdfWriter anchor: the same
// texts, one drawText per cell, nothing else. BM_PdfProgressOverhead gives what reporting
// progress costs the sheet's PDF (target: overhead_pct at most 2). Beside them, a one-page
// report in twelve scripts (shaped and right-to-left texts laid out by Qt, their glyphs named
// in the PDF): its time and the file's size in KB, which should stay under 300.
// BM_PdfSheetWithChart: the 200-page report with a chart page after it, its pages per second
// (all 201 counted) at least 0.9 × BM_PdfSheet's.
// BM_PdfSheet paints its pages on every core and joins them into one file: it is held to 1.3 ×
// the bare grid's pages per second (a time ratio of at most 1 / 1.3, printed at the end), its
// file to at most 1.05 × the size of the same report written on one thread (size_ratio).
// BM_PdfSheetOneThread is that one-thread writing, for comparison.
// Run: build/dev/bench/tessel_pdf_render_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <memory>
#include <vector>

#include "grid/Sheet.h"
#include "print/Pagination.h"
#include "print/PdfParts.h"
#include "print/Printing.h"
#include "support/BenchMain.h"
#include "support/ProgressOverhead.h"

using tessel::grid::PrintSettings;
using tessel::grid::Sheet;
using tessel::print::Pagination;

namespace {

constexpr int kPages = 200;
constexpr int kRowsPerPage = 50;
constexpr int kCols = 8;
constexpr int kRows = kPages * kRowsPerPage;

QString cellText(int col, int row) {
    static const QString names[] = {QStringLiteral("王伟"), QStringLiteral("李芳"),
                                    QStringLiteral("张娜"), QStringLiteral("刘敏")};
    switch (col % 4) {
        case 1:
            return QStringLiteral("A%1").arg(row * 7919 % 1000000, 6, 10, QLatin1Char('0'));
        case 2:
            return names[row % 4];
        case 3:
            return QString::number(row * 13.37, 'f', 2);
        default:
            return QStringLiteral("北京市海淀区");
    }
}

QString outputPath(const char *name) {
    return QDir::temp().filePath(QString::fromLatin1(name));
}

// A4 portrait with a footer holding the page number; top and bottom margins chosen so that
// the column header row and exactly 50 default rows fill the body.
std::unique_ptr<Sheet> makeSheet() {
    auto sheet = std::make_unique<Sheet>();
    sheet->setMaxCols(kCols);
    sheet->setMaxRows(kRows);
    for (int c = 1; c <= kCols; ++c) {
        sheet->setText(c, 0, QStringLiteral("列%1").arg(c));
        for (int r = 1; r <= kRows; ++r) {
            sheet->setText(c, r, cellText(c, r));
        }
    }
    PrintSettings p = sheet->print();
    p.rowHeaders = false;
    p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n");
    const double footer = 9 * tessel::print::kCodeLineFactor + tessel::print::kCodeBlockGap;
    const double body = (kRowsPerPage + 1) * tessel::grid::kDefaultRowHeight;
    const int vertical = int((842.0 - body - footer) * 20 / 2) - 2;  // twips, a little slack
    p.marginTop = p.marginBottom = vertical;
    sheet->setPrint(p);
    return sheet;
}

void BM_PdfBareGrid(benchmark::State &state) {
    std::vector<QString> texts;
    for (int r = 1; r <= kRowsPerPage * 2; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            texts.push_back(cellText(c, r));
        }
    }
    const QString path = outputPath("tessel_bench_bare.pdf");
    for (auto _ : state) {
        QPdfWriter writer(path);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter(&writer);
        painter.scale(writer.resolution() / 72.0, writer.resolution() / 72.0);
        QFont font(QStringLiteral("WenQuanYi Micro Hei"));
        font.setPointSizeF(9.0 * 72.0 / writer.resolution());
        painter.setFont(font);
        for (int page = 0; page < kPages; ++page) {
            if (page > 0) {
                writer.newPage();
            }
            for (int r = 0; r < kRowsPerPage; ++r) {
                for (int c = 0; c < kCols; ++c) {
                    const QString &t =
                        texts[std::size_t((page % 2 * kRowsPerPage + r) * kCols + c)];
                    painter.drawText(QPointF(36 + c * 60, 48 + r * 14), t);
                }
            }
        }
    }
    QFile::remove(path);
    state.counters["pages/s"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfBareGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

const auto &benchSheet() {
    static const auto sheet = makeSheet();
    return *sheet;
}

// The report written in `parts` page ranges (0: as writePdf chooses); returns its pages.
int writeSheet(const QString &path, int parts) {
    return tessel::print::writePdfInParts(benchSheet(), path, QPageSize(QPageSize::A4), QString(),
                                          tessel::Error::Category::Io, QStringLiteral("PDF"),
                                          tessel::base::noProgress(), parts);
}

void BM_PdfSheet(benchmark::State &state) {
    const QString path = outputPath("tessel_bench_sheet.pdf");
    int pages = 0;
    for (auto _ : state) {
        pages = tessel::print::writePdf(benchSheet(), path);
    }
    const QString single = outputPath("tessel_bench_sheet_one.pdf");
    writeSheet(single, 1);
    state.counters["KB"] = double(QFileInfo(path).size()) / 1024;
    state.counters["size_ratio"] =
        double(QFileInfo(path).size()) / double(QFileInfo(single).size());
    QFile::remove(path);
    QFile::remove(single);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfSheet)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PdfSheetOneThread(benchmark::State &state) {
    const QString path = outputPath("tessel_bench_sheet_one.pdf");
    int pages = 0;
    for (auto _ : state) {
        pages = writeSheet(path, 1);
    }
    state.counters["KB"] = double(QFileInfo(path).size()) / 1024;
    QFile::remove(path);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfSheetOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same report with a column chart of its rows (the first 50 drawn) on a page of its own:
// pages per second over the whole file (201 pages), to be held at 0.9 × BM_PdfSheet's or better.
void BM_PdfSheetWithChart(benchmark::State &state) {
    static const auto sheet = [] {
        std::unique_ptr<Sheet> s = makeSheet();
        tessel::grid::ChartSpec chart;
        chart.title = QStringLiteral("各地区金额");
        chart.category = 2;
        chart.values = {3, 7};
        chart.place = tessel::grid::ChartPlace::Page;
        s->setCharts({chart});
        return s;
    }();
    const QString path = outputPath("tessel_bench_chart.pdf");
    int pages = 0;
    for (auto _ : state) {
        pages = tessel::print::writePdf(*sheet, path);
    }
    QFile::remove(path);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfSheetWithChart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same PDF with the desktop's progress (its dialog, the event loop turning) against none.
void BM_PdfProgressOverhead(benchmark::State &state) {
    const QString path = outputPath("tessel_bench_progress.pdf");
    tessel::bench::measureProgressOverhead(state, 7, [&](tessel::base::Progress &progress) {
        tessel::print::writePdf(benchSheet(), path, QPageSize(QPageSize::A4), QString(), progress);
        progress.finish();
    });
    QFile::remove(path);
}
BENCHMARK(BM_PdfProgressOverhead)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_PdfMultilingual(benchmark::State &state) {
    static const QString texts[] = {
        QStringLiteral("销售报表汇总"),         QStringLiteral("銷售報表彙總"),
        QStringLiteral("こんにちは、カタカナ"), QStringLiteral("안녕하세요 보고서"),
        QStringLiteral("مرحبا بالعالم"),        QStringLiteral("שלום עולם"),
        QStringLiteral("नमस्ते दुनिया"),           QStringLiteral("สวัสดีชาวโลก"),
        QStringLiteral("Привет, мир"),          QStringLiteral("Καλημέρα κόσμε"),
        QStringLiteral("Crème brûlée"),         QStringLiteral("👍 😀 ☃")};
    constexpr int kScriptCols = 4, kScriptRows = 40;
    Sheet sheet;
    sheet.setMaxCols(kScriptCols);
    sheet.setMaxRows(kScriptRows);
    for (int r = 1; r <= kScriptRows; ++r) {
        for (int c = 1; c <= kScriptCols; ++c) {
            sheet.setText(c, r, texts[(r * kScriptCols + c) % 12]);
        }
    }
    const QString path = outputPath("tessel_bench_scripts.pdf");
    int pages = 0;
    for (auto _ : state) {
        pages = tessel::print::writePdf(sheet, path);
    }
    state.counters["pages"] = pages;
    state.counters["KB"] = double(QFileInfo(path).size()) / 1024;
    QFile::remove(path);
}
BENCHMARK(BM_PdfMultilingual)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    // A widget application, as a host is: the progress dialog can show.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The report's time per file against the bare grid's: 1.3 × its pages per second.
    tessel::bench::RatioReporter reporter(
        [](const std::string &name) {
            return name == "BM_PdfSheet" || name == "BM_PdfSheetOneThread"
                       ? std::string("BM_PdfBareGrid")
                       : std::string();
        },
        1 / 1.3);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
