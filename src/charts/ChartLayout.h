// The arithmetic of a chart's drawing, without painting: the value axis and its numbers, how
// many categories are drawn and labelled, a long line reduced to the device's pixels, and the
// shares of a pie's slices.
#pragma once

#include <QPointF>
#include <QString>
#include <span>
#include <vector>

#include "charts/ChartData.h"
#include "grid/ColumnFormat.h"

namespace tessel::charts {

// The most categories a column or bar chart draws, and the most slices of a pie.
constexpr int kMaxBarCategories = 50;
constexpr int kMaxPieSlices = 12;

// A value axis from min to max in steps of step: min and max are whole multiples of step,
// step is 1, 2 or 5 × 10ⁿ, min < max.
struct ValueAxis {
    double min = 0;
    double max = 1;
    double step = 1;
    // The values of the ticks from min to max, both included.
    std::vector<double> ticks() const;
    // Where `value` lies between min (0) and max (1); outside 0..1 beyond the ends.
    double fraction(double value) const { return (value - min) / (max - min); }
};

// The least of 1, 2 and 5 × 10ⁿ that is at least `rough` (> 0).
double niceStep(double rough);

// The axis covering low..high with at most maxTicks ticks (at least 2), the finest step that
// allows. fromZero: 0 lies on the axis (bars and areas grow from it). All-equal values get a
// range around them; no finite value (low > high or not finite) gives 0..1.
ValueAxis valueAxis(double low, double high, int maxTicks, bool fromZero);

// The least and greatest value a chart of `data` draws over its first `count` categories:
// for stacked charts the sums of each category's positive and of its negative values. NaN
// values count for nothing; low > high when there is no number.
struct ValueRange {
    double low = 0;
    double high = 0;
};
ValueRange valueRange(const ChartData &data, int count);

// How a value axis writes its numbers: as the value column's format shows a number (Percent
// times 100 with "%", every other format as a number with thousands separators), with the
// decimals the axis step needs to tell its ticks apart and no more, in `unit`s.
struct AxisNumbers {
    bool percent = false;
    int decimals = 0;
    // 1, or 10⁴ (万) or 10⁸ (亿) when the numbers are written in that unit.
    double unit = 1;
    grid::Separators separators;
};

// The numbers of `axis` for a value column of `format`, written with `separators` (the ones in
// force: grid::numberSeparators). chineseUnits (the Chinese interface): when the step is a
// multiple of 10⁸ the numbers are written in 亿, else when it is a multiple of 10⁴ in 万, so
// that 50,000,000 reads 5,000 (unitNote says which); never for a Percent column.
AxisNumbers axisNumbers(const ValueAxis &axis, const grid::ColumnFormat &format,
                        const grid::Separators &separators, bool chineseUnits);

// Tick `value` of an axis as `numbers` writes it: "50,000,000", "5,000" in 万, "12.5%".
QString axisNumber(double value, const AxisNumbers &numbers);

// The note beside an axis whose numbers are in a unit: "单位：万", "单位：亿"; empty for 1.
QString unitNote(const AxisNumbers &numbers);

// Every how many categories a label is drawn (1: every one) so that labels `extent` wide
// (points, along the axis) keep a gap of `gap` points on slots `slot` points apart.
int labelStride(int count, double slot, double extent, double gap);

// What the category labels under a plot take: the chart's area across, the labels measured in
// the chart's text font (points).
struct CategoryLabelRoom {
    int count = 0;        // categories drawn, each a slot of equal width across the plot
    double first = 0;     // the first label's width, unturned
    double widest = 0;    // the widest label's width, unturned
    double line = 0;      // the height of a line of text
    double width = 0;     // the chart's area across, from its left edge to its right
    double numbers = 0;   // what the value axis' numbers take left of the plot, their gap included
    double maxDepth = 0;  // the most the labels may take under the plot, their gap included
};

// How the category labels stand under a plot and where the plot lies across.
struct CategoryLabels {
    // Degrees the labels are turned: 0 (level, centred under their slot), 45 or 90 (reading
    // upwards, each ending at the top by its slot's middle).
    int angle = 0;
    int stride = 1;     // every how many categories a label is drawn (1: every one)
    double length = 0;  // the longest a label may run along its line; longer ones are shortened
    double depth = 0;   // the height the labels take under the plot, their gap included
    double left = 0;    // the plot's left edge, from the area's
    double right = 0;   // the plot's right edge, from the area's right edge
};

// The gap between the plot's foot and its category labels, and between two labels (points).
constexpr double kLabelGap = 4;
// What the plot keeps from the area's right edge at least (points).
constexpr double kPlotRightPad = 4;

// Lays out the category labels of `room`: level when every label fits its slot, else turned
// 45°, else 90°, and only when even level lines of text at 90° do not fit, every stride-th one.
// Turned labels are shortened to `maxDepth`; the plot starts far enough right for the first
// labels' turned ends and the value axis numbers, and ends far enough left for the last, so no
// label reaches past the area.
CategoryLabels categoryLabels(const CategoryLabelRoom &room);

// The categories a chart of `type` draws of `count`: every one for lines and areas, at most
// kMaxBarCategories of a column or bar chart, kMaxPieSlices of a pie (see pieSlices).
int shownCategories(grid::ChartType type, int count);

// The note under a chart that leaves points out: "仅显示前 N 项".
QString shownNote(int shown);

// The points of a polyline through values[i] at x = i, reduced to `pixelColumns` columns of
// the device: where more than four values fall into one column, only its first, least,
// greatest and last are kept (so every extreme is drawn). NaN values are left out. Points in
// order of i; time proportional to values.size().
std::vector<QPointF> decimate(std::span<const double> values, int pixelColumns);

// The slices of a pie of `values`: the positive values in order, at most kMaxPieSlices, each
// with its share of their sum (the shares add up to 1). Zero and NaN give no slice; a
// negative value, or one beyond the first kMaxPieSlices, is left out and gives the note.
struct PieSlice {
    int index = 0;  // the category
    double share = 0;
};
struct PieSlices {
    std::vector<PieSlice> slices;
    QString note;  // empty when nothing was left out
};
PieSlices pieSlices(std::span<const double> values);

// A slice's share as its label shows it: percent with one decimal ("12.5%").
QString shareText(double share);

}  // namespace tessel::charts
