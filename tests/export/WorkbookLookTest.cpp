// The workbook's look read back from its XML: cell formats as paper draws the rows, merged runs
// of the merged columns, and CSV without the hidden columns.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>

#include "export/CsvExport.h"
#include "export/WorkbookExport.h"
#include "export/WorkbookMerges.h"
#include "grid/Sheet.h"
#include "groups/ArrangeGroups.h"
#include "report/SheetBuilding.h"
#include "support/Unzip.h"

using namespace tessel;

namespace {

// A worksheet read back: each cell's format index and value by reference ("B3"), its merged
// ranges, and each format of styles.xml as "bold fill:<colour> sides:<n> num:<id> <align>".
struct Book {
    std::map<QString, int> cellXf;
    std::map<QString, QString> values;
    QStringList merges;
    QStringList xfs;
    QString at(const char *ref) const { return xfs.at(cellXf.at(QString::fromLatin1(ref))); }
};

Book readBook(const QString &file, int worksheet = 1) {
    Book b;
    QString cell, list;
    QXmlStreamReader x(
        test::unzipPart(file, QStringLiteral("xl/worksheets/sheet%1.xml").arg(worksheet)));
    const auto attr = [&x](const char *name) {
        return x.attributes().value(QLatin1String(name)).toString();
    };
    while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd()) {
        if (x.name() == u"c" && x.isStartElement())
            b.cellXf[cell = attr("r")] = attr("s").toInt();
        else if ((x.name() == u"v" || x.name() == u"t") && x.isStartElement())
            b.values[cell] = x.readElementText();
        else if (x.name() == u"mergeCell" && x.isStartElement())
            b.merges << attr("ref");
    }
    QStringList fonts, fills, borders;
    x.clear();
    x.addData(test::unzipPart(file, QStringLiteral("xl/styles.xml")));
    while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd()) {
        const auto name = x.name();
        if (!x.isStartElement())
            continue;
        if (name == u"fonts" || name == u"cellXfs" || name == u"cellStyleXfs")
            list = name.toString();
        else if (name == u"font" || name == u"fill" || name == u"border")
            (name == u"font" ? fonts : name == u"fill" ? fills : borders) << QString();
        else if (name == u"b" && list == u"fonts")
            fonts.back() = QStringLiteral("bold ");
        else if (name == u"fgColor")
            fills.back() = QStringLiteral("fill:%1 ").arg(attr("rgb"));
        else if (!attr("style").isEmpty() &&
                 QStringList{"left", "right", "top", "bottom"}.contains(name))
            borders.back() += u'|';
        else if (name == u"xf" && list == u"cellXfs")
            b.xfs << fonts.at(attr("fontId").toInt()) + fills.at(attr("fillId").toInt()) +
                         QStringLiteral("sides:%1 num:%2")
                             .arg(borders.at(attr("borderId").toInt()).size())
                             .arg(attr("numFmtId"));
        else if (name == u"alignment" && list == u"cellXfs" && !attr("horizontal").isEmpty())
            b.xfs.back() += u' ' + attr("horizontal");
    }
    return b;
}

// A report as a run makes it: 部门, 月份, 金额 (with thousands and two decimals), 账号; grouped
// by 部门 with a header and subtotals of 金额, a totals row, 部门 and 月份 merged.
std::unique_ptr<grid::Sheet> groupedReport(int rowsPerDepartment) {
    auto sheet = std::make_unique<grid::Sheet>();
    sheet->setMaxCols(4);
    const char *labels[] = {"部门", "月份", "金额", "账号"};
    for (int c = 1; c <= 4; ++c)
        sheet->setText(c, 0, QString::fromUtf8(labels[c - 1]));
    sheet->setMaxRows(2 * rowsPerDepartment);
    for (int r = 1; r <= 2 * rowsPerDepartment; ++r) {
        sheet->setText(1, r,
                       r <= rowsPerDepartment ? QStringLiteral("华东") : QStringLiteral("华南"));
        sheet->setText(2, r, QStringLiteral("2024-0%1").arg((r - 1) / 2 % 9 + 1));
        sheet->setText(3, r, QString::number(r * 1000.5));
        sheet->setText(4, r, QStringLiteral("62220200%1").arg(r, 10, 10, QLatin1Char('0')));
    }
    sheet->setColFormat(3, {grid::FormatKind::Number, 2});
    sheet->setColMerge(1, grid::MergeMode::Always);
    sheet->setColMerge(2, grid::MergeMode::Always);
    report::AddTotalsRow(*sheet, QVariantList{3});
    grid::Grouping grouping;
    grouping.levels = {{1, std::vector<grid::GroupTotal>{{3, grid::TotalFunction::Sum}}}};
    grouping.levels[0].header = true;
    groups::arrangeGroups(*sheet, grouping, {3});
    return sheet;
}

class WorkbookLook : public ::testing::Test {
protected:
    QString file(const char *name = "look.xlsx") const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(WorkbookLook, RowsLookAsOnPaper) {
    // Rows: labels 1, header 2, data 3..6 (华东), subtotal 7, header 8, ..., totals 14. Column
    // C's number format "#,##0.00" is the workbook's first of its own, number 164.
    exports::writeWorkbook(file(), *groupedReport(4), QString(), QString());
    const Book b = readBook(file());
    const struct {
        const char *cell, *look;
    } cases[] = {
        {"A1", "bold sides:4 num:0 center"},           // a label, framed and grid-lined
        {"A2", "bold fill:FFF2F2F2 sides:4 num:0"},    // a group's header row, filled
        {"B2", "bold fill:FFF2F2F2 sides:4 num:0"},    // its empty cells filled too
        {"C3", "sides:4 num:164"},                     // a data number
        {"D3", "sides:4 num:0 right"},                 // a number paper reads, too long
        {"C7", "bold fill:FFF2F2F2 sides:4 num:164"},  // a subtotal keeps the number format
        {"C14", "bold sides:4 num:164"},               // the totals row
    };
    for (const auto &c : cases)
        EXPECT_EQ(b.at(c.cell).toStdString(), c.look) << c.cell;
    // Formats are made per look, not per cell: a report 100 times longer has no more.
    exports::writeWorkbook(file(), *groupedReport(400), QString(), QString());
    EXPECT_EQ(readBook(file()).xfs.size(), b.xfs.size());
    EXPECT_LE(b.xfs.size(), 16);
}

TEST_F(WorkbookLook, MergedRunsKeepTheirValueInTheFirstCell) {
    // Worksheets of 5 rows, the label row and 4 sheet rows each: 华东's run (sheet rows 2..5)
    // is cut after row 4, 华南's (8..11) after row 8, as are the months around those cuts.
    exports::writeWorkbook(file(), *groupedReport(4), QString(), QString(), 5);
    const struct {
        int worksheet;
        QStringList merges;
        std::map<QString, QString> values;
    } cases[] = {
        {1, {"A3:A5", "B3:B4"}, {{"A3", "华东"}, {"B3", "2024-01"}, {"B5", "2024-02"}}},
        {2, {}, {{"A2", "华东"}, {"B2", "2024-02"}, {"A5", "华南"}, {"B5", "2024-03"}}},
        {3, {"A2:A4", "B3:B4"}, {{"A2", "华南"}, {"B2", "2024-03"}, {"B3", "2024-04"}}},
    };
    for (const auto &c : cases) {
        const Book b = readBook(file(), c.worksheet);
        QStringList merges = b.merges;
        merges.sort();
        EXPECT_EQ(merges, c.merges) << c.worksheet;
        for (const auto &[cell, value] : c.values)
            EXPECT_EQ(b.values.count(cell) ? b.values.at(cell) : QString(), value)
                << c.worksheet << " " << cell.toStdString();
    }
    // Under a merge the cells are blank, in the first cell's format.
    const Book first = readBook(file(), 1);
    EXPECT_EQ(first.values.count("A4") + first.values.count("B4"), 0u);
    EXPECT_EQ(first.cellXf.at("A5"), first.cellXf.at("A3"));
}

TEST_F(WorkbookLook, RunsPastTheWorksheetsMergesStayUnmergedWithANotice) {
    // One run more than a worksheet merges: two rows each, alternating values.
    const int runs = int(exports::kMaxMergesPerWorksheet) + 1;
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(2 * runs);
    sheet.setColMerge(1, grid::MergeMode::Always);
    for (int r = 1; r <= 2 * runs; ++r)
        sheet.setText(1, r, (r - 1) / 2 % 2 ? QStringLiteral("乙") : QStringLiteral("甲"));
    const QStringList notes = exports::writeWorkbook(file(), sheet, QString(), QString());
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].contains(QStringLiteral("Sheet1"))) << notes[0].toStdString();
    // The last run is left unmerged, each of its cells keeping its value.
    const Book b = readBook(file());
    EXPECT_EQ(b.merges.size(), 65'535);
    EXPECT_EQ(b.merges.last(), QStringLiteral("A%1:A%2").arg(2 * runs - 2).arg(2 * runs - 1));
    const QString value = (runs - 1) % 2 ? QStringLiteral("乙") : QStringLiteral("甲");
    EXPECT_EQ(b.values.at(QStringLiteral("A%1").arg(2 * runs)), value);
    EXPECT_EQ(b.values.at(QStringLiteral("A%1").arg(2 * runs + 1)), value);
}

TEST_F(WorkbookLook, CsvLeavesHiddenColumnsOut) {
    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(1);
    for (int c = 1; c <= 3; ++c) {
        sheet.setText(c, 0, QStringLiteral("L%1").arg(c));
        sheet.setText(c, 1, QString::number(c));
    }
    sheet.setColWidth(2, 0);
    exports::writeCsv(file("out.csv"), sheet);
    QFile csv(file("out.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), QByteArray("\xEF\xBB\xBFL1,L3\r\n1,3\r\n"));
}

}  // namespace
