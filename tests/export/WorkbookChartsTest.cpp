#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "charts/StoredCharts.h"
#include "export/WorkbookCharts.h"
#include "grid/Sheet.h"
#include "support/Unzip.h"

using namespace tessel;

// A sheet of departments and sales, grouped by department: rows 1..2 华东, 3 its subtotal,
// 4 华南, 5 its subtotal; written as worksheet "销售 表" (label row 0, sheet row r in row r).
// Each case inserts one chart and reads the workbook's chart part back.
TEST(WorkbookCharts, NativeChartsReferToTheExportedCells) {
    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(5);
    const char *cells[][3] = {{"部门", "销售额", "成本"}, {"华东", "10", "4"},
                              {"华东", "20", "5"},        {"华东 小计", "30", "9"},
                              {"华南", "5", "1"},         {"华南 小计", "5", "1"}};
    for (int row = 0; row <= 5; ++row) {
        for (int col = 1; col <= 3; ++col)
            sheet.setText(col, row, QString::fromUtf8(cells[row][col - 1]));
    }
    sheet.setRowMark(3, {grid::RowKind::Subtotal, 1});
    sheet.setRowMark(5, {grid::RowKind::Subtotal, 1});
    grid::Grouping grouping;
    grouping.levels.resize(1);
    grouping.levels[0].column = 1;
    sheet.setGrouping(grouping);
    const std::vector<exports::RowRange> dataRows = {{1, 2}, {4, 4}};

    const struct {
        const char *name, *stored;
        std::vector<const char *> fragments;
    } cases[] = {
        {"column of two series over the data rows",
         R"({"type":"column","title":"各部门销售额","category":1,"values":[2,3]})",
         {"<c:barDir val=\"col\"/>", "各部门销售额",
          "<c:f>('销售 表'!$B$2:$B$3,'销售 表'!$B$5)</c:f>",
          "<c:f>('销售 表'!$A$2:$A$3,'销售 表'!$A$5)</c:f>", "<c:f>'销售 表'!$C$1</c:f>",
          "!plotVisOnly"}},
        {"stacked bars",
         R"({"type":"bar","stacked":true,"category":1,"values":[2]})",
         {"<c:barDir val=\"bar\"/>", "<c:grouping val=\"stacked\"/>"}},
        {"pie of the groups' subtotals",
         R"({"type":"pie","category":1,"values":[2],"source":"groups"})",
         {"<c:pieChart>", "<c:f>'图表数据'!$B$2:$B$3</c:f>", "<c:f>'图表数据'!$A$2:$A$3</c:f>",
          "<c:showPercent val=\"1\"/>"}},
        {"area", R"({"type":"area","category":1,"values":[3]})", {"<c:areaChart>"}},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("charts.xlsx"));
        lxw_workbook *workbook = workbook_new(file.toStdString().c_str());
        lxw_worksheet *worksheet = workbook_add_worksheet(workbook, "销售 表");
        const charts::StoredCharts stored =
            charts::readCharts(QStringLiteral("[%1]").arg(QString::fromUtf8(c.stored)), 3);
        ASSERT_EQ(stored.charts.size(), 1u) << c.name;
        exports::WorkbookCharts writer(workbook, sheet);
        EXPECT_EQ(
            writer.insert(worksheet, QStringLiteral("销售 表"), stored.charts[0], dataRows, 0, 7),
            QString())
            << c.name;
        ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR) << c.name;
        const QString xml =
            QString::fromUtf8(test::unzipPart(file, QStringLiteral("xl/charts/chart1.xml")));
        // A fragment after "!" must not be there (hidden rows charted: no plotVisOnly).
        for (const char *fragment : c.fragments) {
            const bool absent = fragment[0] == '!';
            EXPECT_NE(xml.contains(QString::fromUtf8(fragment + int(absent))), absent)
                << c.name << ": " << fragment;
        }
    }
}
