// ApplyDefinition on definition rows stored in a real tsl_report table.
#include <gtest/gtest.h>

#include "definitions/Definitions.h"
#include "report/SheetDb.h"

using namespace tessel;
using grid::Orientation;
using grid::PrintSettings;
using grid::PrintType;

namespace {

class ApplyDefinition : public ::testing::Test {
protected:
    // Stores the definition 报表 with these columns and SQL values, and applies it.
    void apply(const QString &columns, const QString &values) {
        data.db.exec(QStringLiteral("delete from tsl_report;"
                                    "insert into tsl_report (报表名称, %1) values ('报表', %2);")
                         .arg(columns, values));
        db::Recordset rs = definitions::open(definitions::selectReport(QStringLiteral("报表")),
                                             data.conn, definitions::Access::ReadOnly);
        report::ApplyDefinition(rs, sheet, mergeList);
    }
    test::SheetDb data;
    grid::Sheet sheet;
    QString mergeList = QStringLiteral("previous");
};

TEST_F(ApplyDefinition, FullRowSetsEverySetting) {
    apply(QStringLiteral("合并, 行高, 列标, 行标, 网格线, 边框, 仅打数据格, 彩色打印, 阴影, "
                         "范围类型, 开始页, 结束页, 左, 右, 上, 下, 打印方向, 页头页脚, "
                         "页头文本, 页脚文本"),
          QStringLiteral("'1,3', 20.25, 0, 0, 0, 0, 1, 0, 1, 3, 2, 5, 1, 0.25, 0.75, 0.5, ' 1 ', "
                         "3, '&L标题', '&R页脚'"));
    EXPECT_EQ(mergeList, QStringLiteral("1,3"));
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(sheet.colMerge(c) == grid::MergeMode::Always, c != 2) << c;
    EXPECT_EQ(sheet.rowHeight(0), 20.25);
    PrintSettings expected;
    expected.colHeaders = expected.rowHeaders = expected.gridLines = expected.border = false;
    expected.color = false;
    expected.onlyData = expected.shadows = true;
    expected.type = PrintType::PageRange;
    expected.pageStart = 2;
    expected.pageEnd = 5;
    expected.marginLeft = 1440;
    expected.marginRight = 360;
    expected.marginTop = 1080;  // 0.75 inch
    expected.marginBottom = 720;
    expected.orientation = Orientation::Portrait;
    expected.header = QStringLiteral("&L标题");
    expected.footer = QStringLiteral("&R页脚");
    EXPECT_EQ(sheet.print(), expected);
}

TEST_F(ApplyDefinition, NullColumnsKeepTheSheetsSettings) {
    PrintSettings before;
    before.colHeaders = false;
    before.marginTop = 100;
    before.header = QStringLiteral("old header");
    before.pageStart = 4;
    before.pageEnd = 9;
    sheet.setPrint(before);
    sheet.setRowHeight(0, 30);
    apply(QStringLiteral("查询"), QStringLiteral("null"));
    // Only "print everything" and landscape follow from NULLs; mergeList is kept.
    PrintSettings expected = before;
    expected.type = PrintType::All;
    expected.orientation = Orientation::Landscape;
    EXPECT_EQ(sheet.print(), expected);
    EXPECT_EQ(sheet.rowHeight(0), 30);
    EXPECT_EQ(mergeList, QStringLiteral("previous"));

    // No row at all: every read fails, with the same outcome.
    sheet.setPrint(before);
    db::Recordset none = definitions::open(definitions::selectReport(QStringLiteral("无")),
                                           data.conn, definitions::Access::ReadOnly);
    ASSERT_TRUE(definitions::notFound(none));
    report::ApplyDefinition(none, sheet, mergeList);
    EXPECT_EQ(sheet.print(), expected);
}

TEST_F(ApplyDefinition, BadMergeElementIsSkipped) {
    apply(QStringLiteral("合并"), QStringLiteral("'2,a,4,99999'"));
    EXPECT_EQ(mergeList, QStringLiteral("2,a,4,99999"));
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(sheet.colMerge(c) == grid::MergeMode::Always, c == 2 || c == 4) << c;
    EXPECT_EQ(sheet.currentCol(), 4);
    apply(QStringLiteral("合并"), QStringLiteral("''"));
    EXPECT_EQ(mergeList, QString());
}

TEST_F(ApplyDefinition, Orientation) {
    const struct {
        const char *value;
        Orientation expected;
    } cases[] = {{"'1'", Orientation::Portrait},   {"' 1 '", Orientation::Portrait},
                 {"'01'", Orientation::Landscape}, {"'2'", Orientation::Landscape},
                 {"''", Orientation::Landscape},   {"null", Orientation::Landscape}};
    for (const auto &c : cases) {
        sheet.printSettings().orientation =
            c.expected == Orientation::Portrait ? Orientation::Landscape : Orientation::Portrait;
        apply(QStringLiteral("打印方向"), QLatin1String(c.value));
        EXPECT_EQ(sheet.print().orientation, c.expected) << c.value;
    }
}

TEST_F(ApplyDefinition, RangeTypes) {
    const grid::CellBlock selected{2, 3, 4, 7};
    const struct {
        const char *type;
        bool select;
        PrintType expected;
        grid::CellBlock block;
        int start, end;
    } cases[] = {
        {"0", false, PrintType::All, {}, 1, 1},
        {"1", true, PrintType::CellRange, selected, 1, 1},
        {"1", false, PrintType::CellRange, {}, 1, 1},  // no selection: the empty block
        {"2", false, PrintType::CurrentPage, {}, 1, 1},
        {"3", false, PrintType::PageRange, {}, 2, 6},
        {"''", false, PrintType::PageRange, {}, 2, 6},
        {"null", false, PrintType::All, {}, 1, 1},  // never saved: the whole report
    };
    for (const auto &c : cases) {
        sheet.setPrint(PrintSettings{});
        sheet.setSelection(c.select ? selected : grid::CellBlock{});
        apply(QStringLiteral("范围类型, 开始页, 结束页"),
              QStringLiteral("%1, 2, 6").arg(QLatin1String(c.type)));
        EXPECT_EQ(sheet.print().type, c.expected) << c.type;
        EXPECT_EQ(sheet.print().block, c.block) << c.type;
        EXPECT_EQ(sheet.print().pageStart, c.start) << c.type;
        EXPECT_EQ(sheet.print().pageEnd, c.end) << c.type;
    }
}

TEST_F(ApplyDefinition, RefusedValuesSkipOnlyTheirStep) {
    // Flags: 0 off, another number on, a word or the empty text refused. Margins: not a
    // number, or one the sheet refuses, leaves that margin alone.
    PrintSettings start;
    start.rowHeaders = false;
    sheet.setPrint(start);
    apply(QStringLiteral("列标, 行标, 网格线, 边框, 上, 下, 左, 右"),
          QStringLiteral("0, 2, 'yes', '', 0.75, 'wide', -1, 1.5"));
    PrintSettings expected = start;
    expected.colHeaders = false;
    expected.rowHeaders = true;
    expected.marginTop = 1080;
    expected.marginRight = 2160;
    expected.orientation = Orientation::Landscape;
    EXPECT_EQ(sheet.print(), expected);
}

TEST_F(ApplyDefinition, HeaderAndFooterBySelectionCode) {
    const struct {
        const char *code, *header, *footer;
    } cases[] = {{"1", "H", "old"}, {"2", "old", "F"}, {"' 3 '", "H", "F"}, {"0", "old", "old"}};
    for (const auto &c : cases) {
        sheet.printSettings().header = sheet.printSettings().footer = QStringLiteral("old");
        apply(QStringLiteral("页头页脚, 页头文本, 页脚文本"),
              QStringLiteral("%1, 'H', 'F'").arg(QLatin1String(c.code)));
        EXPECT_EQ(sheet.print().header, QLatin1String(c.header)) << c.code;
        EXPECT_EQ(sheet.print().footer, QLatin1String(c.footer)) << c.code;
    }
    // A NULL text leaves its part as it was.
    apply(QStringLiteral("页头页脚, 页头文本, 页脚文本"), QStringLiteral("3, 'H2', null"));
    EXPECT_EQ(sheet.print().header, QStringLiteral("H2"));
    EXPECT_EQ(sheet.print().footer, QStringLiteral("old"));
}

}  // namespace
