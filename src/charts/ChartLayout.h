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

// An axis number as the value column's format shows it: Number with thousands separators
// and Percent times 100 with "%", with the format's decimals or more where the axis step needs
// them to tell ticks apart; other formats as a plain number with the step's decimals.
QString axisNumber(double value, const ValueAxis &axis, const grid::ColumnFormat &format);

// Every how many categories a label is drawn (1: every one) so that labels `extent` wide
// (points, along the axis) keep a gap of `gap` points on slots `slot` points apart.
int labelStride(int count, double slot, double extent, double gap);

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
