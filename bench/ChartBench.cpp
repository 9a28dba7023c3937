// Drawing charts through the one chart painter: a line chart of 1,000,000 points (reduced to
// the device's pixels) into an image of 16 x 9 cm at 96 dpi and into a PDF page at the
// writer's 1200 dpi, and a column chart of 50 categories and two series into the image.
// Targets: the line chart within 100 ms, the column chart within 5 ms (`target_ms`).
// Run: build/<dir>/bench/tessel_chart_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "charts/ChartPainter.h"

using namespace tessel;

namespace {

constexpr double kPointsPerCm = 72 / 2.54;
const QRectF kChartPoints(0, 0, 16 * kPointsPerCm, 9 * kPointsPerCm);

charts::ChartData lineChart(int points) {
    charts::ChartData data;
    data.type = grid::ChartType::Line;
    data.title = QStringLiteral("每日成交额");
    data.categories.reserve(points);
    data.series.push_back({QStringLiteral("成交额"), {}, {grid::FormatKind::Number, 0}});
    data.series[0].values.reserve(std::size_t(points));
    double walk = 50'000;
    for (int i = 0; i < points; ++i) {
        data.categories << QString::number(i + 1);
        walk += std::sin(i * 0.37) * 900 + std::cos(i * 0.011) * 400;
        data.series[0].values.push_back(walk);
    }
    return data;
}

charts::ChartData columnChart(int categories) {
    charts::ChartData data;
    data.type = grid::ChartType::Column;
    data.title = QStringLiteral("各部门销售额");
    data.series.push_back({QStringLiteral("销售额"), {}, {grid::FormatKind::Number, 0}});
    data.series.push_back({QStringLiteral("成本"), {}, {grid::FormatKind::Number, 0}});
    for (int i = 0; i < categories; ++i) {
        data.categories << QStringLiteral("部门%1").arg(i + 1);
        data.series[0].values.push_back(1000 + 37 * i % 900);
        data.series[1].values.push_back(600 + 53 * i % 500);
    }
    return data;
}

void drawIntoImage(benchmark::State &state, const charts::ChartData &data) {
    const double scale = 96.0 / 72;
    QImage image(int(kChartPoints.width() * scale), int(kChartPoints.height() * scale),
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        charts::paintChart(data, kChartPoints, painter);
    }
    benchmark::DoNotOptimize(image.constBits());
}

void LineMillionIntoImage(benchmark::State &state) {
    const charts::ChartData data = lineChart(1'000'000);
    drawIntoImage(state, data);
    state.counters["target_ms"] = 100;
}

void LineMillionIntoPdfPage(benchmark::State &state) {
    const charts::ChartData data = lineChart(1'000'000);
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&pdf);
        painter.scale(pdf.resolution() / 72.0, pdf.resolution() / 72.0);
        charts::paintChart(data, kChartPoints.translated(40, 40), painter);
        painter.end();
        bytes = buffer.size();
    }
    state.counters["target_ms"] = 100;
    state.counters["pdf_bytes"] = double(bytes);
}

void Column50IntoImage(benchmark::State &state) {
    const charts::ChartData data = columnChart(50);
    drawIntoImage(state, data);
    state.counters["target_ms"] = 5;
}

}  // namespace

BENCHMARK(LineMillionIntoImage)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(LineMillionIntoPdfPage)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(Column50IntoImage)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

int main(int argc, char **argv) {
    // Fonts need a GUI application; none is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
