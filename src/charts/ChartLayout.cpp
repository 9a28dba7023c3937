#include "charts/ChartLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "base/Language.h"

namespace tessel::charts {

namespace {

// Tolerance of the divisions of the axis arithmetic, so that 0.3 / 0.1 counts as 3.
constexpr double kEpsilon = 1e-9;

int stepDecimals(double step) {
    return std::max(0, int(-std::floor(std::log10(step) + kEpsilon)));
}

}  // namespace

std::vector<double> ValueAxis::ticks() const {
    std::vector<double> out;
    const int n = int(std::llround((max - min) / step));
    out.reserve(std::size_t(n) + 1);
    for (int i = 0; i <= n; ++i) {
        // Multiples of the step, not running sums, so errors do not add up; no "-0".
        const double v = min + i * step;
        out.push_back(std::abs(v) < step * kEpsilon ? 0.0 : v);
    }
    return out;
}

double niceStep(double rough) {
    const double base = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / base;
    for (double nice : {1.0, 2.0, 5.0}) {
        if (f <= nice * (1 + kEpsilon))
            return nice * base;
    }
    return 10 * base;
}

ValueAxis valueAxis(double low, double high, int maxTicks, bool fromZero) {
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        low = high = 0;
    if (fromZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    // Beyond ±1e300 the axis arithmetic would overflow; such values are drawn at the ends.
    low = std::clamp(low, -1e300, 1e300);
    high = std::clamp(high, -1e300, 1e300);
    if (!(high - low > 1e-300)) {
        // All values equal: a range around them, from zero when the value is zero.
        const double pad = low == 0 ? 1 : std::max(std::abs(low) * 0.1, 1e-300);
        if (low == 0 || !fromZero) {
            high += pad;
            if (low != 0)
                low -= pad;
        }
    }
    maxTicks = std::clamp(maxTicks, 2, 1000);
    ValueAxis axis;
    axis.step = niceStep((high - low) / (maxTicks - 1));
    for (;;) {
        axis.min = std::floor(low / axis.step + kEpsilon) * axis.step;
        axis.max = std::ceil(high / axis.step - kEpsilon) * axis.step;
        if (axis.max <= axis.min)
            axis.max = axis.min + axis.step;
        if (std::llround((axis.max - axis.min) / axis.step) + 1 <= maxTicks)
            return axis;
        axis.step = niceStep(axis.step * (1 + 1e-6));
    }
}

ValueRange valueRange(const ChartData &data, int count) {
    ValueRange range{std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()};
    const auto take = [&](double v) {
        range.low = std::min(range.low, v);
        range.high = std::max(range.high, v);
    };
    if (data.stacked) {
        for (int i = 0; i < count; ++i) {
            double up = 0, down = 0;
            bool any = false;
            for (const ChartSeries &s : data.series) {
                const double v = std::size_t(i) < s.values.size() ? s.values[std::size_t(i)] : NAN;
                if (std::isnan(v))
                    continue;
                any = true;
                (v > 0 ? up : down) += v;
            }
            if (any) {
                take(up);
                take(down);
            }
        }
        return range;
    }
    for (const ChartSeries &s : data.series) {
        const std::size_t n = std::min(s.values.size(), std::size_t(std::max(0, count)));
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isnan(s.values[i]))
                take(s.values[i]);
        }
    }
    return range;
}

AxisNumbers axisNumbers(const ValueAxis &axis, const grid::ColumnFormat &format,
                        const grid::Separators &separators, bool chineseUnits) {
    AxisNumbers out;
    out.separators = separators;
    out.percent = format.kind == grid::FormatKind::Percent;
    if (out.percent) {
        out.decimals = stepDecimals(axis.step * 100);
        return out;
    }
    if (chineseUnits) {
        for (const double unit : {1e8, 1e4}) {
            // Steps are 1, 2 or 5 × 10ⁿ: a multiple of the unit is at least the unit.
            if (axis.step >= unit * (1 - kEpsilon)) {
                out.unit = unit;
                break;
            }
        }
    }
    out.decimals = stepDecimals(axis.step / out.unit);
    return out;
}

QString axisNumber(double value, const AxisNumbers &numbers) {
    value /= numbers.unit;
    if (numbers.decimals > grid::kMaxFormatDecimals) {
        // Finer than any format writes: the plain number, so the ticks stay apart.
        QString text = QString::number(value * (numbers.percent ? 100 : 1), 'f', numbers.decimals);
        text.replace(u'.', numbers.separators.decimal);
        return numbers.percent ? text + u'%' : text;
    }
    // Written with exactly the decimals shown, so the format only adds the separators and "%"
    // (and drops the minus of a sum's rounding that shows as zero).
    const grid::FormatKind kind =
        numbers.percent ? grid::FormatKind::Percent : grid::FormatKind::Number;
    const QString text = QString::number(value, 'f', numbers.decimals + (numbers.percent ? 2 : 0));
    return grid::formatted(text, grid::ColumnFormat{kind, numbers.decimals}, numbers.separators);
}

QString unitNote(const AxisNumbers &numbers) {
    if (numbers.unit == 1e8)
        return tessel::base::tr("单位：亿");
    if (numbers.unit == 1e4)
        return tessel::base::tr("单位：万");
    return QString();
}

int labelStride(int count, double slot, double extent, double gap) {
    if (count <= 1 || slot <= 0)
        return 1;
    const double needed = std::ceil((extent + gap) / slot - kEpsilon);
    return int(std::clamp(needed, 1.0, double(count)));
}

CategoryLabels categoryLabels(const CategoryLabelRoom &room) {
    const int n = std::max(1, room.count);
    const double h = room.line;
    constexpr double kHalf = std::numbers::sqrt2 / 2;  // sin 45° = cos 45°
    // How far a label `length` long reaches left of its slot's middle: a level one by half its
    // length, a turned one by its end (and half its line's height) the way it leans.
    const auto reachLeft = [h](int angle, double length) {
        if (angle == 0)
            return length / 2;
        return angle == 45 ? (length + h / 2) * kHalf : h / 2;
    };
    const auto place = [&](int angle) {
        CategoryLabels out;
        out.angle = angle;
        const double deepest = std::max(0.0, room.maxDepth - kLabelGap);
        out.length = angle == 0    ? room.widest
                     : angle == 45 ? std::max(0.0, deepest / kHalf - h)
                                   : deepest;
        out.length = std::min(out.length, room.widest);
        out.depth = kLabelGap + (angle == 0    ? h
                                 : angle == 45 ? (out.length + h) * kHalf
                                               : out.length);
        // A turned label's line reaches half its height right of its slot's middle.
        out.right = angle == 0 ? kPlotRightPad : std::max(kPlotRightPad, h / 2);
        // With the plot from P to the area's width less `right`, slot i's middle lies at
        // P + (i + ½)·(across − P) / n; label i stays inside when that is at least its reach:
        // solved for P. The first label is measured; the second, with the widest's reach,
        // stands for every later one.
        const double across = room.width - out.right;
        const auto least = [&](int i, double reach) {
            const double at = (i + 0.5) / n;
            return (reach - at * across) / (1 - at);
        };
        out.left =
            std::max(room.numbers, least(0, reachLeft(angle, std::min(room.first, out.length))));
        if (n > 1)
            out.left = std::max(out.left, least(1, reachLeft(angle, out.length)));
        return out;
    };
    const auto slotOf = [&](const CategoryLabels &l) {
        return (room.width - l.left - l.right) / n;
    };
    // Level labels need their width in a slot; turned ones, parallel, their line's height
    // across the slot: slot · sin 45° apart at 45°, the slot at 90°.
    if (const CategoryLabels level = place(0); room.widest + kLabelGap <= slotOf(level))
        return level;
    if (const CategoryLabels leaning = place(45); h + kLabelGap <= slotOf(leaning) * kHalf)
        return leaning;
    CategoryLabels upright = place(90);
    upright.stride = labelStride(n, slotOf(upright), h, kLabelGap);
    return upright;
}

int shownCategories(grid::ChartType type, int count) {
    switch (type) {
        case grid::ChartType::Column:
        case grid::ChartType::Bar:
            return std::min(count, kMaxBarCategories);
        case grid::ChartType::Pie:
            return std::min(count, kMaxPieSlices);
        case grid::ChartType::Line:
        case grid::ChartType::Area:
            break;
    }
    return count;
}

QString shownNote(int shown) {
    return tessel::base::tr("仅显示前 %1 项").arg(shown);
}

std::vector<QPointF> decimate(std::span<const double> values, int pixelColumns) {
    std::vector<QPointF> out;
    const std::size_t n = values.size();
    const std::size_t columns = std::size_t(std::max(1, pixelColumns));
    if (n <= 4 * columns) {
        out.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isnan(values[i]))
                out.emplace_back(double(i), values[i]);
        }
        return out;
    }
    out.reserve(4 * columns);
    std::size_t i = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        // Values i..end fall into pixel column c.
        const std::size_t end = (c + 1) * n / columns;
        std::size_t first = end, last = end, least = end, greatest = end;
        for (; i < end; ++i) {
            const double v = values[i];
            if (std::isnan(v))
                continue;
            if (first == end)
                first = least = greatest = i;
            last = i;
            if (v < values[least])
                least = i;
            if (v > values[greatest])
                greatest = i;
        }
        if (first == end)
            continue;
        std::size_t kept[4] = {first, least, greatest, last};
        std::sort(kept, kept + 4);
        for (std::size_t k = 0; k < 4; ++k) {
            if (k == 0 || kept[k] != kept[k - 1])
                out.emplace_back(double(kept[k]), values[kept[k]]);
        }
    }
    return out;
}

PieSlices pieSlices(std::span<const double> values) {
    PieSlices out;
    bool leftOut = false;
    double sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = values[i];
        if (v < 0 || (v > 0 && out.slices.size() == std::size_t(kMaxPieSlices))) {
            leftOut = true;
            continue;
        }
        if (!(v > 0) || !std::isfinite(v))
            continue;
        out.slices.push_back({int(i), v});
        sum += v;
    }
    for (PieSlice &slice : out.slices)
        slice.share /= sum;
    if (leftOut)
        out.note = shownNote(int(out.slices.size()));
    return out;
}

QString shareText(double share) {
    QString text = QString::number(share * 100, 'f', 1);
    text.replace(u'.', grid::numberSeparators().decimal);
    return text + u'%';
}

}  // namespace tessel::charts
