// The workbook prints on the report's pages: its print scale, page body, row heights, print
// area, print header and footer, and the charts' page, read back from the written file.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "charts/StoredCharts.h"
#include "export/WorkbookExport.h"
#include "export/WorkbookPrintHeader.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"
#include "support/Unzip.h"

using namespace tessel;

// The worksheet's and the workbook's XML, run together.
static QString workbookXml(const QString &file, int worksheet = 1) {
    return QString::fromUtf8(
        test::unzipPart(file, QStringLiteral("xl/worksheets/sheet%1.xml").arg(worksheet)) +
        test::unzipPart(file, QStringLiteral("xl/workbook.xml")));
}

// Three columns of 60 characters fitted to one page wide: the pagination's scale as the print
// scale (rounded down, no fit); the label row's, a 15-point and a hidden row's heights, the
// others the worksheet's default; the print area from the label row below the header line;
// the report's header (too long: shortened, with a notice) and footer as the print header and
// footer, the footer's page-number part left out of its cell.
TEST(WorkbookPages, PrintsAtTheReportsScaleWithItsRowsHeaderAndFooter) {
    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(4);
    for (int c = 1; c <= 3; ++c) {
        sheet.setColWidth(c, 60);
        for (int r = 0; r <= 4; ++r)
            sheet.setText(c, r, QStringLiteral("x%1").arg(r));
    }
    sheet.setRowHeight(0, 20);
    sheet.setRowHeight(2, 15);
    sheet.setRowHeight(3, 0);
    sheet.printSettings().fitPagesWide = 1;
    const int scale = int(print::Pagination(sheet).scale() * 100);
    ASSERT_LT(scale, 100);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("scale.xlsx"));
    const QStringList notices = exports::writeWorkbook(
        file, sheet, QStringLiteral("/c") + QString(300, u'长'), QStringLiteral("/r/p"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("255"))) << notices[0].toStdString();
    const QString xml = workbookXml(file);
    for (const QString &part :
         {QStringLiteral("scale=\"%1\"").arg(scale),
          QStringLiteral("<sheetFormatPr defaultRowHeight=\"12.75\" customHeight=\"1\"/>"),
          QStringLiteral("<row r=\"2\" ht=\"20\" customHeight=\"1\">"),
          QStringLiteral("<row r=\"4\" ht=\"15.015625\" customHeight=\"1\">"),
          QStringLiteral("<row r=\"5\" hidden=\"1\">"), QStringLiteral("<row r=\"6\">"),
          QStringLiteral("localSheetId=\"0\">Sheet1!$A$2:$C$6</definedName>"),
          QStringLiteral("<oddHeader>&amp;C") + QString(253, u'长') +
              QStringLiteral("</oddHeader>"),
          QStringLiteral("<oddFooter>&amp;R&amp;9&amp;\"-,Regular\"&amp;P<")})
        EXPECT_TRUE(xml.contains(part)) << part.toStdString();
    EXPECT_FALSE(xml.contains(QStringLiteral("fitTo")));
    EXPECT_FALSE(xml.contains(QStringLiteral("/p")));
}

// The print header or footer of a report's printed lines, table-driven over its codes.
TEST(WorkbookPages, PrintHeaderCodesCarryTheLines) {
    const QString x250(250, u'x'), x252(252, u'x');
    const struct {
        const char *what;
        QString codes, expected;
        bool shortened;
    } cases[] = {
        {"a section's empty line is as high as its line; & doubled; the page number",
         QStringLiteral("/fn\"宋体\"/fz\"12\"/fb1/c标题 & 副/n/fn\"宋体\"/fz\"9\"/fb0/r第/p页"),
         QStringLiteral("&C&12&\"宋体,Bold\"标题 && 副&R&12 \n&9&\"宋体,Regular\"第&P页"), false},
        {"no font name is the default font; underline switched on", QStringLiteral("/fu1/fi1/l/p"),
         QStringLiteral("&L&9&\"-,Italic\"&U&P"), false},
        {"too long with fonts: the text alone", QStringLiteral("/fn\"宋体\"/fz\"12\"/c") + x250,
         QStringLiteral("&C") + x250, true},
        {"too long still: cut, never inside a code",
         QStringLiteral("/c") + x252 + QStringLiteral("&"), QStringLiteral("&C") + x252, true},
    };
    for (const auto &c : cases) {
        const exports::PrintHeaderText text = exports::printHeaderCodes(print::codeLines(c.codes));
        EXPECT_EQ(QString::fromStdString(text.codes), c.expected) << c.what;
        EXPECT_EQ(text.shortened, c.shortened) << c.what;
    }
}

// A chart of the groups: its page starts after the last sheet row, after the groups' own
// breaks, and its hidden data block's values are formulas over the subtotal cells.
TEST(WorkbookPages, GroupsChartFollowsTheSubtotalsOnAPageOfItsOwn) {
    grid::Sheet sheet;
    sheet.setMaxCols(2);
    sheet.setMaxRows(5);
    const char *cells[] = {"部门",      "销售额", "华东", "10", "华东",      "20",
                           "华东 小计", "30",     "华南", "5",  "华南 小计", "5"};
    for (int i = 0; i < 12; ++i)
        sheet.setText(1 + i % 2, i / 2, QString::fromUtf8(cells[i]));
    sheet.setRowMark(3, {grid::RowKind::Subtotal, 1});
    sheet.setRowMark(5, {grid::RowKind::Subtotal, 1});
    grid::Grouping grouping;
    grouping.levels.push_back({});
    grouping.levels[0].column = 1;
    grouping.levels[0].pageBreak = true;
    sheet.setGrouping(grouping);
    sheet.setCharts(
        charts::readCharts(R"([{"type":"column","category":1,"values":[2],"source":"groups"}])", 2)
            .charts);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("chart.xlsx"));
    exports::writeWorkbook(file, sheet, {}, {});
    const QString report = workbookXml(file, 1);
    // Sheet rows 0..5 in rows 1..6: the second group starts in row 5, the charts in row 7.
    const QString xml = workbookXml(file, 1) + workbookXml(file, 2);
    for (const char *part : {"<brk id=\"4\" max=\"16383\" man=\"1\"/><brk id=\"6\" max=\"16383\"",
                             "name=\"图表数据\" sheetId=\"2\" state=\"hidden\"",
                             "<f>'Sheet1'!B4</f><v>30</v>", "<f>'Sheet1'!B6</f><v>5</v>"})
        EXPECT_TRUE(xml.contains(QString::fromUtf8(part))) << part;
}
