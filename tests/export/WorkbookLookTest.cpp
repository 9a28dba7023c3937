// The workbook's look read back from its XML: cell formats as paper draws the rows, merged runs
// of the merged columns, and CSV without the hidden columns.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
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

// What a cell's format shows, resolved through styles.xml.
struct Xf {
    bool bold = false;
    QString fill;    // the fill's colour, empty for none
    int sides = 0;   // sides with a border
    int numFmt = 0;  // the number format's id, 0 for the general one
    QString align;   // the horizontal alignment, empty for the general one
};

// The cells of a worksheet by reference ("B3") with the index of their format, and its merged
// ranges; the formats of styles.xml in order.
struct Book {
    std::map<QString, int> cellXf;
    std::map<QString, QString> values;  // the text or number a cell holds
    QStringList merges;
    std::vector<Xf> xfs;
    Xf at(const QString &ref) const { return xfs.at(std::size_t(cellXf.at(ref))); }
};

Book readBook(const QString &file, int worksheet = 1) {
    Book b;
    const auto attr = [](QXmlStreamReader &x, const char *name) {
        return x.attributes().value(QLatin1String(name)).toString();
    };
    QXmlStreamReader x(
        test::unzipPart(file, QStringLiteral("xl/worksheets/sheet%1.xml").arg(worksheet)));
    QString cell;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"c") {
            cell = attr(x, "r");
            b.cellXf[cell] = attr(x, "s").toInt();
        } else if (x.name() == u"v" || x.name() == u"t") {
            b.values[cell] = x.readElementText();
        } else if (x.name() == u"mergeCell") {
            b.merges << attr(x, "ref");
        }
    }
    std::vector<bool> bold;
    std::vector<QString> fills;
    std::vector<int> sides;
    QXmlStreamReader s(test::unzipPart(file, QStringLiteral("xl/styles.xml")));
    QString list;
    while (!s.atEnd()) {
        s.readNext();
        if (!s.isStartElement())
            continue;
        const auto name = s.name();
        if (name == u"fonts" || name == u"fills" || name == u"borders" || name == u"cellXfs" ||
            name == u"cellStyleXfs")
            list = name.toString();
        else if (name == u"font")
            bold.push_back(false);
        else if (name == u"b" && list == u"fonts")
            bold.back() = true;
        else if (name == u"fill")
            fills.emplace_back();
        else if (name == u"fgColor")
            fills.back() = attr(s, "rgb");
        else if (name == u"border")
            sides.push_back(0);
        else if ((name == u"left" || name == u"right" || name == u"top" || name == u"bottom") &&
                 !attr(s, "style").isEmpty())
            ++sides.back();
        else if (name == u"xf" && list == u"cellXfs")
            b.xfs.push_back(
                {bold.at(attr(s, "fontId").toUInt()), fills.at(attr(s, "fillId").toUInt()),
                 sides.at(attr(s, "borderId").toUInt()), attr(s, "numFmtId").toInt(), QString()});
        else if (name == u"alignment" && list == u"cellXfs")
            b.xfs.back().align = attr(s, "horizontal");
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
    // Rows: labels 1, header 2, data 3..6 (华东), subtotal 7, header 8, ..., totals 14.
    exports::writeWorkbook(file(), *groupedReport(4), QString(), QString());
    const Book b = readBook(file());
    const Xf data = b.at("C3");
    const struct {
        const char *cell;
        bool bold;
        const char *fill;
        int sides;
        bool numbered;  // carries column C's number format
        const char *align;
    } cases[] = {
        {"A1", true, "", 4, false, "center"},    // a label, framed and grid-lined
        {"A2", true, "FFF2F2F2", 4, false, ""},  // a group's header row, filled
        {"B2", true, "FFF2F2F2", 4, false, ""},  // its empty cells filled too
        {"C3", false, "", 4, true, ""},          // a data number
        {"D3", false, "", 4, false, "right"},    // a number paper reads, too long to keep
        {"C7", true, "FFF2F2F2", 4, true, ""},   // the subtotal keeps the number format
        {"C14", true, "", 4, true, ""},          // the totals row
    };
    for (const auto &c : cases) {
        const Xf xf = b.at(QString::fromLatin1(c.cell));
        EXPECT_EQ(xf.bold, c.bold) << c.cell;
        EXPECT_EQ(xf.fill, QLatin1String(c.fill)) << c.cell;
        EXPECT_EQ(xf.sides, c.sides) << c.cell;
        EXPECT_EQ(xf.numFmt == data.numFmt && xf.numFmt != 0, c.numbered) << c.cell;
        EXPECT_EQ(xf.align, QLatin1String(c.align)) << c.cell;
    }
    // Formats are made per look, not per cell: a report 100 times longer has no more.
    const std::size_t formats = b.xfs.size();
    exports::writeWorkbook(file(), *groupedReport(400), QString(), QString());
    EXPECT_EQ(readBook(file()).xfs.size(), formats);
    EXPECT_LE(formats, 16u);
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
    const QByteArray xml = test::unzipPart(file(), QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(xml.contains("<mergeCells count=\"65535\">"));
    const QString lastRun = QStringLiteral("A%1:A%2").arg(2 * runs).arg(2 * runs + 1);
    EXPECT_FALSE(xml.contains(lastRun.toUtf8()));
    // The unmerged run's cells keep their values.
    const QString value = (runs - 1) % 2 ? QStringLiteral("乙") : QStringLiteral("甲");
    const QRegularExpression last(
        QStringLiteral("<c r=\"A%1\"[^>]*><is><t>%2</t>").arg(2 * runs + 1).arg(value));
    EXPECT_TRUE(last.match(QString::fromUtf8(xml)).hasMatch());
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
