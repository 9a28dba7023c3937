// The stored form of a report's charts (optional column 图表 of tsl_report): a JSON array of
// charts,
//
//   [{"type": "column", "title": "各部门销售额", "category": 1, "values": [4, 5],
//     "source": "groups", "place": "end", "width": 16, "height": 9}]
//
// `type` is column, bar, line, area or pie; `stacked` (a boolean) is for column, bar and
// area; `source` is rows (the default) or groups; `place` is end (the default) or page;
// `width` and `height` are centimetres (16 × 9 unless given); `title` is optional. NULL or
// the empty text is no chart. Hosts and tools write this form: keys this version does not
// know are kept, chart by chart, when the value is written back.
#pragma once

#include <QString>
#include <QStringList>

#include "grid/ChartSpec.h"

namespace tessel::charts {

// The largest width or height of a chart, in centimetres (a large sheet of paper).
constexpr double kMaxChartSizeCm = 200.0;

// A stored value as read: the charts that can be drawn, in their order, and for the user one
// sentence per chart or key left out saying which and why.
struct StoredCharts {
    grid::ChartSpecs charts;
    QStringList ignored;
};

// Reads a stored 图表 text for a report of `columnCount` sheet columns by the stored settings'
// rule (settings/SettingReader.h). A chart is left out, and named in `ignored`, without what it
// needs: a known type, a category that is an integer of 1..columnCount, values that are a
// non-empty array of such integers (a pie takes exactly one). An unknown source or place,
// `stacked` that is no boolean or set on a line or pie, a title that is no text, a width or
// height that is no number above 0 up to kMaxChartSizeCm is named and left at its default.
// A text that is no JSON array is ignored whole (one sentence). Never throws.
StoredCharts readCharts(const QString &text, int columnCount);

// The text 图表 stores for `charts`: each chart's other keys with the known ones set from the
// chart (a false `stacked` and an empty title left out). The empty text for no chart.
QString writeCharts(const grid::ChartSpecs &charts);

// What the user is told about charts of report `report` that were left out: one line naming
// the setting, listing `ignored` (read errors, or charts the data cannot draw).
QString ignoredNotice(const QString &report, const QStringList &ignored);

}  // namespace tessel::charts
