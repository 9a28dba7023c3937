// The one paint path of a chart: the preview, the printer and PDF draw a chart through
// paintChart, in vector shapes with its texts as text.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

#include "charts/ChartData.h"

namespace tessel::charts {

// The colour of series (or pie slice) `index` from 0: one fixed palette, repeated after its
// last colour.
QColor seriesColor(int index);

// Paints `data` into `rectPoints`. The painter's coordinates are points on the paper (scale
// the painter beforehand: for a device of D dots per inch, scale by D / 72); texts are sized
// in points whatever the device. Draws the title above, then:
//  - column, bar, line and area charts: a value axis with nice steps, its numbers in the first
//    series' column format (axisNumbers: in 万 or 亿 in the Chinese interface, with the unit
//    note above the plot), grid lines, category labels under the plot level, turned or thinned
//    as categoryLabels lays them out, never cut at the chart's edges,
//    the series in palette colours side by side or stacked; lines and areas reduced to the
//    device's pixel columns (decimate) with every point's extremes kept; a legend of the
//    series' names under the chart when there is more than one;
//  - a pie of the first series: its slices clockwise from the top, each labelled with its
//    share in percent, and a legend of the categories beside it;
// and under the chart the note of the points left out (shownNote). The background is not
// filled; nothing is drawn outside rectPoints. The painter's state is restored on return.
void paintChart(const ChartData &data, const QRectF &rectPoints, QPainter &painter);

}  // namespace tessel::charts
