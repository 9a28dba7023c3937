// The column names of tsl_report, spelled once for the record's reader and writers.
#pragma once

#include <QString>

namespace tessel::definitions::column {

inline const QString kName = QStringLiteral("报表名称");
inline const QString kQuery = QStringLiteral("查询");
inline const QString kLabels = QStringLiteral("列标注");
inline const QString kWidths = QStringLiteral("列宽");
inline const QString kHeaderHeight = QStringLiteral("行高");
inline const QString kColumnCount = QStringLiteral("列数");
inline const QString kMerges = QStringLiteral("合并");
inline const QString kColHeaders = QStringLiteral("列标");
inline const QString kRowHeaders = QStringLiteral("行标");
inline const QString kGridLines = QStringLiteral("网格线");
inline const QString kBorder = QStringLiteral("边框");
inline const QString kOnlyData = QStringLiteral("仅打数据格");
inline const QString kColor = QStringLiteral("彩色打印");
inline const QString kShadows = QStringLiteral("阴影");
inline const QString kRange = QStringLiteral("范围类型");
inline const QString kFirstPage = QStringLiteral("开始页");
inline const QString kLastPage = QStringLiteral("结束页");
inline const QString kLeft = QStringLiteral("左");
inline const QString kRight = QStringLiteral("右");
inline const QString kTop = QStringLiteral("上");
inline const QString kBottom = QStringLiteral("下");
inline const QString kOrientation = QStringLiteral("打印方向");
inline const QString kHeaderFooter = QStringLiteral("页头页脚");
inline const QString kHeaderText = QStringLiteral("页头文本");
inline const QString kFooterText = QStringLiteral("页脚文本");

// Optional columns (see OptionalColumns.h).
// Fit to pages wide: 0 off, N > 0 the pages across the report's columns are fitted to.
inline const QString kFitPagesWide = QStringLiteral("页宽缩放");
// Column formats: one format code per column (see encodeColumnFormats).
inline const QString kColumnFormats = QStringLiteral("列格式");
// Paper: a name ("A3") or "<width>x<height>mm" (see encodePaper); NULL is A4.
inline const QString kPaper = QStringLiteral("纸张");
// Grouping: groups with subtotals, page and running totals, a JSON object (see
// groups/StoredGrouping.h); NULL or empty is none.
inline const QString kGrouping = QStringLiteral("分组");
// Conditional formats: rules in priority order, a JSON array (see conditions/StoredConditions.h);
// NULL or empty is none.
inline const QString kConditions = QStringLiteral("条件格式");
// Charts drawn with the report: a JSON array (see charts/StoredCharts.h); NULL or empty is none.
inline const QString kCharts = QStringLiteral("图表");
// Parameters asked before a run: a JSON array (see params/StoredParameters.h); NULL or empty is
// none.
inline const QString kParams = QStringLiteral("参数");

}  // namespace tessel::definitions::column
