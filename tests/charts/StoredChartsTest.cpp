#include <gtest/gtest.h>

#include "charts/ChartData.h"
#include "charts/StoredCharts.h"
#include "grid/Sheet.h"

using namespace tessel;
using charts::readCharts;

// Stored values for a report of 5 columns: how many charts are used, and which are named as
// left out (by number; 0 for a value ignored whole).
TEST(StoredCharts, WhatCannotBeUsedIsLeftOutAndNamed) {
    const struct {
        const char *name, *text;
        int used;
        std::vector<int> named;
    } cases[] = {
        {"nothing stored", " ", 0, {}},
        {"no JSON", "[{", 0, {0}},
        {"an object, not an array", R"({"type":"pie"})", 0, {0}},
        {"the worked example",
         R"([{"type":"column","title":"各部门销售额","category":1,"values":[4,5],"source":"groups","place":"end","width":16,"height":9}])",
         1,
         {}},
        {"an unknown type", R"([{"type":"radar","category":1,"values":[2]},7])", 0, {1, 2}},
        {"columns outside the sheet",
         R"([{"type":"line","category":6,"values":[2]},{"type":"line","category":1,"values":[0]},{"type":"bar","category":1,"values":[]}])",
         0,
         {1, 2, 3}},
        {"a column that is no integer", R"([{"type":"area","category":1.5,"values":[2]}])", 0, {1}},
        {"a pie of two series", R"([{"type":"pie","category":1,"values":[2,3]}])", 0, {1}},
        {"stacked lines", R"([{"type":"line","stacked":true,"category":1,"values":[2]}])", 1, {1}},
        {"unknown source and place",
         R"([{"type":"bar","category":1,"values":[2],"source":"all"},{"type":"bar","category":1,"values":[2],"place":"top"}])",
         2,
         {1, 2}},
        {"sizes of no use",
         R"([{"type":"bar","category":1,"values":[2],"width":0},{"type":"bar","category":1,"values":[2],"height":"9"},{"type":"bar","category":1,"values":[2],"width":16.5}])",
         3,
         {1, 2}},
    };
    for (const auto &c : cases) {
        const charts::StoredCharts read = readCharts(QString::fromUtf8(c.text), 5);
        EXPECT_EQ(int(read.charts.size()), c.used) << c.name;
        ASSERT_EQ(read.ignored.size(), qsizetype(c.named.size())) << c.name;
        for (std::size_t i = 0; i < c.named.size(); ++i) {
            if (c.named[i] > 0) {
                EXPECT_TRUE(read.ignored[qsizetype(i)].contains(QString::number(c.named[i])))
                    << c.name << ": " << read.ignored[qsizetype(i)].toStdString();
            }
        }
        const QString notice = charts::ignoredNotice(QStringLiteral("r"), read.ignored);
        EXPECT_TRUE(notice.contains(QStringLiteral("图表")) && !notice.contains(u'\n')) << c.name;
        // What was read is written back the same, unknown keys included.
        const charts::StoredCharts again = readCharts(charts::writeCharts(read.charts), 5);
        EXPECT_TRUE(again.ignored.isEmpty() && again.charts == read.charts) << c.name;
    }
    const auto kept =
        readCharts(QStringLiteral(R"([{"type":"pie","category":1,"values":[2],"x":[1]}])"), 5);
    ASSERT_EQ(kept.charts.size(), 1u);
    EXPECT_TRUE(charts::writeCharts(kept.charts).contains(QStringLiteral("\"x\":[1]")));
}

// Rows 1..5: 华东 10, 华东 20, subtotal 30, 华南 5, subtotal 5, then the totals row.
TEST(ChartData, PointsFromDataRowsOrFromTheOutermostGroups) {
    grid::Sheet sheet;
    sheet.setMaxCols(2);
    sheet.setMaxRows(6);
    const char *cells[][2] = {{"部门", "销售额"},  {"华东", "10"}, {"华东", "20"},
                              {"华东 小计", "30"}, {"华南", "5"},  {"华南 小计", "1,005"},
                              {"合计", "35"}};
    for (int row = 0; row <= 6; ++row) {
        for (int col = 1; col <= 2; ++col)
            sheet.setText(col, row, QString::fromUtf8(cells[row][col - 1]));
    }
    sheet.setRowMark(3, {grid::RowKind::Subtotal, 1});
    sheet.setRowMark(5, {grid::RowKind::Subtotal, 1});
    sheet.setRowMark(6, {grid::RowKind::Totals, 0});
    grid::Grouping grouping;
    grouping.levels.push_back({});
    grouping.levels.back().column = 1;

    const struct {
        const char *name;
        grid::ChartSource source;
        bool grouped;
        QStringList categories;
        std::vector<double> values;
    } cases[] = {
        {"rows", grid::ChartSource::Rows, true, {"华东", "华东", "华南"}, {10, 20, 5}},
        {"groups", grid::ChartSource::Groups, true, {"华东", "华南"}, {30, 1005}},
        {"groups without a grouping", grid::ChartSource::Groups, false, {}, {}},
    };
    for (const auto &c : cases) {
        sheet.setGrouping(c.grouped ? grouping : grid::Grouping{});
        grid::ChartSpec spec;
        spec.category = 1;
        spec.values = {2};
        spec.source = c.source;
        const charts::ChartDataResult result = charts::chartData(sheet, spec);
        ASSERT_EQ(result.data.has_value(), c.grouped) << c.name;
        EXPECT_EQ(result.why.isEmpty(), c.grouped) << c.name;
        if (!result.data)
            continue;
        EXPECT_EQ(result.data->categories, c.categories) << c.name;
        EXPECT_EQ(result.data->series.at(0).values, c.values) << c.name;
        EXPECT_EQ(result.data->series.at(0).name, QStringLiteral("销售额")) << c.name;
    }
}
