// Conditional formats over a report of 1,000,000 rows x 8 columns filled from SQLite: five rules
// of different kinds (a comparison, a text rule giving the whole row, the top 10, a 3-colour
// scale, a data bar) with their column statistics computed and every data cell's look asked for
// once, next to the plain fill of the same rows. Target: at most 0.3 x the fill.
// The same report to PDF, pages 1..kPdfPages, with the rules set afresh each time (their
// statistics over the million rows included) and without: pages/s with rules at least 0.9 x
// without, a time ratio of at most 1.11. And the first page of its preview, from setting the
// rules to the page painted (pagination and statistics included), against the same page without
// rules: `extra_ms` at most 50.
// Run: build/<dir>/bench/tessel_conditions_bench
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <memory>

#include "conditions/CellLooks.h"
#include "conditions/StoredConditions.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "grid/Sheet.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "print/Printing.h"
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

// The report filled once for the PDF and preview benchmarks.
grid::Sheet &report() {
    static const std::unique_ptr<grid::Sheet> sheet = [] {
        auto s = std::make_unique<grid::Sheet>();
        fill(*s);
        return s;
    }();
    return *sheet;
}

grid::ConditionRules benchRules() {
    return conditions::readConditions(QString::fromUtf8(kRules), kCols).rules;
}

constexpr int kPdfPages = 1000;

void pdf(benchmark::State &state, bool rules) {
    grid::Sheet &sheet = report();
    grid::PrintSettings p = sheet.print();
    p.type = grid::PrintType::PageRange;
    p.pageStart = 1;
    p.pageEnd = kPdfPages;
    sheet.setPrint(p);
    const QString path = QDir::temp().filePath(QStringLiteral("tessel_bench_rules.pdf"));
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sheet.setConditions({});
        state.ResumeTiming();
        if (rules)
            sheet.setConditions(benchRules());
        pages = print::writePdf(sheet, path);
    }
    sheet.setConditions({});
    QFile::remove(path);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void PdfWithoutRules(benchmark::State &state) {
    pdf(state, false);
}
void PdfWithRules(benchmark::State &state) {
    pdf(state, true);
}

// Page 1 as the preview paints it, A4 at 96 dots per inch; the pagination built afresh, as a
// change of the sheet asks.
double firstPage(const grid::Sheet &sheet, QImage &image) {
    const auto start = std::chrono::steady_clock::now();
    const print::Pagination pagination(sheet);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(96.0 / 72, 96.0 / 72);
    print::paintPage(sheet, pagination, 1, painter);
    painter.end();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void FirstPreviewPage(benchmark::State &state) {
    grid::Sheet &sheet = report();
    sheet.setPrint(grid::PrintSettings{});
    QImage image(794, 1123, QImage::Format_ARGB32_Premultiplied);
    double plain = 0, ruled = 0;
    for (auto _ : state) {
        sheet.setConditions({});
        plain += firstPage(sheet, image);
        const auto start = std::chrono::steady_clock::now();
        sheet.setConditions(benchRules());
        ruled += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count() +
                 firstPage(sheet, image);
    }
    sheet.setConditions({});
    const double n = double(state.iterations());
    state.counters["plain_ms"] = plain / n;
    state.counters["rules_ms"] = ruled / n;
    state.counters["extra_ms"] = (ruled - plain) / n;
}

}  // namespace

BENCHMARK(FillIntoNewSheet)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(RulesOverEveryCell)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(PdfWithoutRules)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(PdfWithRules)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(FirstPreviewPage)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

int main(int argc, char **argv) {
    return tessel::bench::runAgainstAnchors(
        argc, argv, kRows,
        [](const std::string &name) {
            if (name == "PdfWithRules")
                return std::string("PdfWithoutRules");
            return name == "RulesOverEveryCell" ? std::string("FillIntoNewSheet") : std::string();
        },
        0.3, {{"PdfWithRules", 1 / 0.9}});
}
