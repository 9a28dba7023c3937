#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "charts/ChartLayout.h"
#include "charts/ChartPainter.h"

using namespace tessel;
using namespace tessel::charts;

TEST(ChartLayout, AxesHaveNiceStepsAndCoverTheValues) {
    const struct {
        const char *name;
        double low, high;
        int maxTicks;
        bool fromZero;
        double min, max, step;
    } cases[] = {
        {"positive, from zero", 3, 97, 6, true, 0, 100, 20},
        {"negatives and positives", -35, 80, 6, true, -50, 100, 50},
        {"all negative, from zero", -7, -3, 5, true, -8, 0, 2},
        {"all equal, a line", 5, 5, 5, false, 4.5, 5.5, 0.5},
        {"all zero", 0, 0, 5, true, 0, 1, 0.5},
        {"no number", 1, 0, 5, true, 0, 1, 0.5},
        {"small fractions", 0.001, 0.0093, 5, false, 0, 0.01, 0.005},
        {"beyond a double's sums", -1e308, 1e308, 5, true, -1e300, 1e300, 5e299},
    };
    for (const auto &c : cases) {
        const ValueAxis axis = valueAxis(c.low, c.high, c.maxTicks, c.fromZero);
        EXPECT_NEAR(axis.min, c.min, c.step * 1e-9) << c.name;
        EXPECT_NEAR(axis.max, c.max, c.step * 1e-9) << c.name;
        EXPECT_NEAR(axis.step, c.step, c.step * 1e-9) << c.name;
        EXPECT_LE(int(axis.ticks().size()), c.maxTicks) << c.name;
    }
}

TEST(ChartLayout, AxisNumbersFollowTheColumnFormat) {
    using grid::FormatKind;
    const grid::Separators host{u',', u'.'};
    const struct {
        const char *name;
        double value, step;
        grid::ColumnFormat format;
        bool chinese;
        const char *shown;
        const char *note;
        grid::Separators separators = {};
    } cases[] = {
        {"thousands", 1234567, 500000, {FormatKind::Number, 0}, false, "1,234,567", ""},
        {"no decimals unneeded", 1500, 500, {FormatKind::Number, 2}, false, "1,500", ""},
        {"general, grouped", 90e6, 1e7, {}, false, "90,000,000", ""},
        {"the host's separators", 1234567.5, 0.5, {}, false, "1.234.567,5", "", host},
        {"percent", 0.25, 0.05, {FormatKind::Percent, 2}, false, "25%", ""},
        {"percent, finer", 0.125, 0.005, {FormatKind::Percent, 0}, false, "12.5%", ""},
        {"general, step's decimals", 2.5, 0.5, {}, false, "2.5", ""},
        {"no minus zero", -1e-12, 1, {}, false, "0", ""},
        {"万, step 10⁷", 50e6, 1e7, {FormatKind::Number, 2}, true, "5,000", "单位：万"},
        {"亿, step 10⁸", 3e8, 1e8, {}, true, "3", "单位：亿"},
        {"no unit, step 5,000", 25000, 5000, {}, true, "25,000", ""},
        {"no unit, percent", 3e6, 1e6, {FormatKind::Percent, 0}, true, "300000000%", ""},
    };
    for (const auto &c : cases) {
        const ValueAxis axis{c.value - c.step, c.value + c.step, c.step};
        const AxisNumbers numbers = axisNumbers(axis, c.format, c.separators, c.chinese);
        EXPECT_EQ(axisNumber(c.value, numbers), QString::fromUtf8(c.shown)) << c.name;
        EXPECT_EQ(unitNote(numbers), QString::fromUtf8(c.note)) << c.name;
    }
}

// Category labels under a plot 450 points across in a 10-point font, the value axis' numbers
// taking 40 points, at most 80 points deep: each case's angle, stride and shortening, and that
// no drawn label overlaps the next and the first does not reach past the area's left edge.
TEST(ChartLayout, CategoryLabelsTurnBeforeAnyIsLeftOut) {
    const struct {
        const char *name;
        int count;
        double first, widest;
        int angle, stride;
        double length;
    } cases[] = {
        {"short labels stay level", 5, 30, 30, 0, 1, 30},
        {"ten customers' names lean", 10, 75, 75, 45, 1, 75},
        {"a long first name moves the plot right", 10, 200, 200, 45, 1, 97.5},
        {"twenty-five stand upright", 25, 40, 40, 90, 1, 40},
        {"a hundred: every fourth labelled", 100, 40, 40, 90, 4, 40},
    };
    constexpr double kLine = 10, kWidth = 450, kNumbers = 40, kDepth = 80;
    for (const auto &c : cases) {
        const CategoryLabels l =
            categoryLabels({c.count, c.first, c.widest, kLine, kWidth, kNumbers, kDepth});
        EXPECT_EQ(l.angle, c.angle) << c.name;
        EXPECT_EQ(l.stride, c.stride) << c.name;
        EXPECT_NEAR(l.length, c.length, 0.1) << c.name;
        EXPECT_LE(l.depth, kDepth + 1e-9) << c.name;
        const double slot = (kWidth - l.left - l.right) / c.count;
        const double rad = l.angle * std::numbers::pi / 180;
        // The first label, centred on its slot or ending at its middle, stays inside the area.
        const double first = std::min(c.first, l.length);
        const double reach =
            l.angle == 0 ? first / 2 : first * std::cos(rad) + kLine / 2 * std::sin(rad);
        EXPECT_GE(l.left + slot / 2 - reach, -1e-9) << c.name;
        // Apart along the axis by the label's width when level, else across by its height.
        const double apart = slot * l.stride * (l.angle == 0 ? 1 : std::sin(rad));
        EXPECT_GE(apart, (l.angle == 0 ? l.length : kLine) + kLabelGap - 1e-9) << c.name;
    }
}

TEST(ChartLayout, LabelsAndCategoriesThinned) {
    const struct {
        const char *name;
        int count;
        double slot, extent;
        int stride;
    } strides[] = {
        {"room for every label", 10, 50, 30, 1},
        {"narrow slots", 100, 5, 30, 7},
        {"one label", 1, 1, 100, 1},
        {"never beyond the count", 3, 1, 100, 3},
    };
    for (const auto &c : strides)
        EXPECT_EQ(labelStride(c.count, c.slot, c.extent, 4), c.stride) << c.name;
    const struct {
        grid::ChartType type;
        int count, shown;
    } shown[] = {{grid::ChartType::Column, 80, 50},
                 {grid::ChartType::Bar, 50, 50},
                 {grid::ChartType::Pie, 20, 12},
                 {grid::ChartType::Line, 1'000'000, 1'000'000}};
    for (const auto &c : shown)
        EXPECT_EQ(shownCategories(c.type, c.count), c.shown) << int(c.type) << " " << c.count;
}

TEST(ChartLayout, DecimationKeepsEveryPixelColumnsExtremes) {
    std::vector<double> million(1'000'000);
    for (std::size_t i = 0; i < million.size(); ++i)
        million[i] = std::sin(double(i) / 5000) + (i % 77'777 == 5 ? 40.0 : 0.0);
    million[999'999] = -30;
    const struct {
        const char *name;
        std::vector<double> values;
        int pixels;
    } cases[] = {
        {"short, kept whole", {3, 1, NAN, 2}, 100},
        {"a million with spikes", million, 500},
        {"gaps", std::vector<double>(1000, NAN), 10},
    };
    for (const auto &c : cases) {
        const std::vector<QPointF> points = decimate(c.values, c.pixels);
        const std::size_t n = c.values.size();
        EXPECT_LE(points.size(), std::max(n, 4 * std::size_t(c.pixels))) << c.name;
        for (std::size_t k = 1; k < points.size(); ++k)
            ASSERT_LT(points[k - 1].x(), points[k].x()) << c.name;
        const auto kept = [&](double v) {
            return std::any_of(points.begin(), points.end(),
                               [&](const QPointF &p) { return p.y() == v; });
        };
        for (std::size_t col = 0; col < std::size_t(c.pixels); ++col) {
            const std::size_t from = n <= 4 * std::size_t(c.pixels) ? 0 : col * n / c.pixels;
            const std::size_t to = n <= 4 * std::size_t(c.pixels) ? n : (col + 1) * n / c.pixels;
            double lo = INFINITY, hi = -INFINITY;
            for (std::size_t i = from; i < to; ++i) {
                lo = std::isnan(c.values[i]) ? lo : std::min(lo, c.values[i]);
                hi = std::isnan(c.values[i]) ? hi : std::max(hi, c.values[i]);
            }
            if (lo <= hi) {
                ASSERT_TRUE(kept(lo) && kept(hi)) << c.name << ", pixel column " << col;
            }
        }
    }
}

TEST(ChartLayout, PieSharesAddUpAndLeftOutSlicesAreNoted) {
    std::vector<double> fifteen(15);
    std::iota(fifteen.begin(), fifteen.end(), 1.0);
    const struct {
        const char *name;
        std::vector<double> values;
        std::size_t slices;
        const char *note;
    } cases[] = {
        {"plain", {1, 1, 2}, 3, ""},
        {"negatives left out", {5, -2, 5}, 2, "仅显示前 2 项"},
        {"zero and blanks give no slice", {0, NAN, 3}, 1, ""},
        {"more than twelve slices", fifteen, 12, "仅显示前 12 项"},
    };
    for (const auto &c : cases) {
        const PieSlices pie = pieSlices(c.values);
        EXPECT_EQ(pie.slices.size(), c.slices) << c.name;
        EXPECT_EQ(pie.note, QString::fromUtf8(c.note)) << c.name;
        double sum = 0;
        for (const PieSlice &s : pie.slices)
            sum += s.share;
        EXPECT_NEAR(sum, 1.0, 1e-12) << c.name;
    }
}

// A column chart painted on an image: each bar's height is its value's share of the axis, and
// the tallest bar (100, the axis' top) reaches the top grid line.
TEST(ChartPainter, BarsStandAtTheirValuesAgainstTheAxis) {
    ChartData data;
    data.categories = {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")};
    data.series.push_back({QStringLiteral("销售额"), {100, 50, 25}, {}});
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintChart(data, QRectF(0, 0, 400, 300), painter);
    }
    const QRgb bar = seriesColor(0).rgb();
    // Every bar's columns: the first and last row of the bar colour in the middle column.
    std::vector<std::pair<int, int>> bars;  // top, bottom
    int gridTop = -1;
    for (int x = 0, runStart = -1; x < image.width(); ++x) {
        const bool inBar = image.pixel(x, 250) == bar || image.pixel(x, 200) == bar;
        if (inBar && runStart < 0)
            runStart = x;
        if (!inBar && runStart >= 0) {
            const int mid = (runStart + x) / 2;
            int top = 0, bottom = image.height() - 1;
            while (top < bottom && image.pixel(mid, top) != bar)
                ++top;
            while (bottom > top && image.pixel(mid, bottom) != bar)
                --bottom;
            bars.emplace_back(top, bottom);
            if (gridTop < 0) {
                // The first grey pixel from the top beside the bar: the top grid line.
                const auto grey = [&](QRgb c) { return qRed(c) == qBlue(c) && qRed(c) < 250; };
                for (gridTop = 0; gridTop < bottom && !grey(image.pixel(runStart - 3, gridTop));)
                    ++gridTop;
            }
            runStart = -1;
        }
    }
    ASSERT_EQ(bars.size(), 3u);
    const double tallest = bars[0].second - bars[0].first + 1;
    EXPECT_NEAR(bars[0].first, gridTop, 1);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        EXPECT_NEAR(bars[i].second, bars[0].second, 1) << "bar " << i << " stands on the axis";
        EXPECT_NEAR(bars[i].second - bars[i].first + 1, tallest * data.series[0].values[i] / 100,
                    1.5)
            << "bar " << i;
    }
}
