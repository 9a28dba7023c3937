// Opening the preview's thumbnail panel on a 1,000,000-row x 8-column report (about 18,000
// pages on A4): from the F4 toggle to the panel laid out and its pictures in sight drawn,
// in a preview already showing its first page. Each run opens a fresh window, so every
// picture is drawn anew. Target: at most 100 ms.
// Run: build/dev/bench/tessel_thumbnail_bench
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <memory>
#include <string>

#include "preview/SpreadPreview.h"
#include "report/ReportSession.h"
#include "support/BenchMain.h"
#include "widgets/PageThumbnails.h"
#include "widgets/PageView.h"

using namespace tessel;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 8;

std::unique_ptr<report::ReportSession> makeSession() {
    auto session = std::make_unique<report::ReportSession>();
    grid::Sheet &sheet = session->sheet;
    sheet.setRedraw(false);
    sheet.setMaxCols(kCols);
    sheet.setMaxRows(kRows);
    const char *labels[kCols] = {"订单号", "日期", "客户", "产品", "数量", "单价", "金额", "备注"};
    for (int c = 1; c <= kCols; ++c)
        sheet.setText(c, 0, QString::fromUtf8(labels[c - 1]));
    for (int r = 1; r <= kRows; ++r) {
        const std::string n = std::to_string(r);
        sheet.setTextUtf8(1, r, "SO" + n);
        sheet.setTextUtf8(2, r, "2026-03-14");
        sheet.setTextUtf8(3, r, "华东贸易有限公司");
        sheet.setTextUtf8(4, r, "办公用品" + std::to_string(r % 97));
        sheet.setTextUtf8(5, r, std::to_string(r % 50 + 1));
        sheet.setTextUtf8(6, r, "12.50");
        sheet.setTextUtf8(7, r, std::to_string((r % 50 + 1) * 12.5));
        sheet.setTextUtf8(8, r, "");
    }
    grid::PrintSettings p = sheet.print();
    p.header = QStringLiteral("/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c月度销售报表/n");
    p.footer = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n");
    sheet.setPrint(p);
    sheet.setRedraw(true);
    return session;
}

void BM_OpenThumbnailPanel(benchmark::State &state) {
    static const auto session = makeSession();
    int pages = 0;
    int drawn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<preview::SpreadPreview>(*session);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->setVaGridtemp(&session->sheet);
        window->resize(960, 720);
        window->show();
        QApplication::processEvents();  // the first page on screen
        state.ResumeTiming();

        window->setThumbnailsVisible(true);  // what F4 does
        QApplication::processEvents();       // laid out and painted

        state.PauseTiming();
        pages = window->thumbnails()->model()->rowCount();
        drawn = window->thumbnails()->renderCount();
        if (pages != window->pageView()->pageCount() || drawn == 0)
            state.SkipWithError("the panel did not show the pages");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["pictures_drawn"] = drawn;
}
BENCHMARK(BM_OpenThumbnailPanel)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char **argv) {
    return tessel::bench::runBenchmarks<QApplication>(argc, argv);
}
