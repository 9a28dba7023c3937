// The preview's exports: real reports written to .xlsx files and read back from the zip, and the
// PDF and CSV files the same dialog writes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <tessel/Error.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <csignal>
#include <map>
#include <set>

#include "conditions/StoredConditions.h"
#include "definitions/Definitions.h"
#include "export/CsvExport.h"
#include "export/ExportCommand.h"
#include "export/WorkbookCells.h"
#include "export/WorkbookColumns.h"
#include "export/WorkbookExport.h"
#include "export/WorkbookGroups.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"
#include "print/Printing.h"
#include "print/codes/HeaderFooterCodes.h"
#include "report/SheetBuilding.h"
#include "support/Pdf.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"
#include "support/Unzip.h"

using namespace tessel;
using exports::exportWorkbook;
using exports::writeWorkbook;
using test::unzipPart;

namespace {

// ---- reading a workbook back

// One worksheet as stored: cells by (row, column) from 1, as "n:<number>" or "s:<text>".
struct XSheet {
    std::map<std::pair<int, int>, QString> cells;
    std::map<int, double> widths;  // stored width by column
    std::set<int> hidden;          // hidden columns
    int lastRow = 0;
    std::map<std::pair<int, int>, QString> formulas;
    std::map<int, int> outline;  // outline level by row, where set
    std::vector<int> breaks;     // page break ids: the row above each break

    QString at(int row, int col) const {
        auto it = cells.find({row, col});
        return it == cells.end() ? QString() : it->second;
    }
    std::vector<int> rowsUsed() const {
        std::vector<int> out;
        for (const auto &[rc, v] : cells)
            if (out.empty() || out.back() != rc.first)
                out.push_back(rc.first);
        return out;
    }
};

XSheet readSheet(const QString &file, int index) {
    XSheet out;
    const QByteArray xml = unzipPart(file, QStringLiteral("xl/worksheets/sheet%1.xml").arg(index));
    EXPECT_FALSE(xml.isEmpty()) << "no sheet " << index;
    QXmlStreamReader x(xml);
    std::pair<int, int> cell;
    QString type;
    auto attr = [&x](const char *name) { return x.attributes().value(QLatin1String(name)); };
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"col") {
            for (int c = attr("min").toInt(); c <= attr("max").toInt(); ++c) {
                out.widths[c] = attr("width").toDouble();
                if (attr("hidden") == u"1")
                    out.hidden.insert(c);
            }
        } else if (x.name() == u"row") {
            out.lastRow = std::max(out.lastRow, attr("r").toInt());
            if (const int level = attr("outlineLevel").toInt())
                out.outline[attr("r").toInt()] = level;
        } else if (x.name() == u"brk") {
            out.breaks.push_back(attr("id").toInt());
        } else if (x.name() == u"f") {
            out.formulas[cell] = x.readElementText();
        } else if (x.name() == u"c") {
            const QString r = attr("r").toString();
            int col = 0;
            qsizetype i = 0;
            for (; i < r.size() && r[i].isLetter(); ++i)
                col = col * 26 + (r[i].unicode() - u'A' + 1);
            cell = {r.mid(i).toInt(), col};
            type = attr("t").toString();
        } else if (x.name() == u"v" && type.isEmpty()) {
            out.cells[cell] = QStringLiteral("n:") + x.readElementText();
        } else if (x.name() == u"t" && type == u"inlineStr") {
            out.cells[cell] = QStringLiteral("s:") + x.readElementText();
        }
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    return out;
}

QString s(const char *text) {
    return QStringLiteral("s:") + QString::fromUtf8(text);
}
QString n(const char *number) {
    return QStringLiteral("n:") + QString::fromUtf8(number);
}

// Whether a stored column width prints the report's width `w` (character units of 5.25 pt)
// within one workbook pixel below it, at the width LibreOffice prints a stored character.
testing::AssertionResult printsAsWide(double stored, double w) {
    const double printed = stored * exports::kWorkbookDigitPoints, points = w * 5.25;
    if (printed <= points + 1e-6 && printed > points - exports::kWorkbookDigitPoints / 7)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "prints " << printed << " pt for " << points << " pt";
}

// A sheet of three columns labelled 编码, 名称, 数量 and `rows` data rows "C<r>", "名<r>", r.
std::unique_ptr<grid::Sheet> smallSheet(int rows) {
    auto sheet = std::make_unique<grid::Sheet>();
    sheet->setMaxCols(3);
    sheet->setMaxRows(rows);
    sheet->setText(1, 0, QStringLiteral("编码"));
    sheet->setText(2, 0, QStringLiteral("名称"));
    sheet->setText(3, 0, QStringLiteral("数量"));
    for (int r = 1; r <= rows; ++r) {
        sheet->setText(1, r, QStringLiteral("C%1").arg(r));
        sheet->setText(2, r, QStringLiteral("名%1").arg(r));
        sheet->setText(3, r, QString::number(r));
    }
    return sheet;
}

class Export : public ::testing::Test {
protected:
    QString file(const QString &name = QStringLiteral("out.xlsx")) const {
        return dir.filePath(name);
    }
    QStringList folderEntries() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

// ---- a real report: definition, query, totals, variables

TEST_F(Export, RealReportLandsBlockByBlock) {
    test::TempDb db;
    db.exec(test::tslReportDdl());
    db.exec(QStringLiteral(
        "create table goods (id int, name text, code text, price real, qty int);"
        "insert into goods values (1, '办公椅', '007', 120.5, 2), (2, '文件柜', '0815', 980, 1),"
        " (3, '台灯', 'A-1', 35.25, 4);"));
    // A one-line header with three parts and a two-line footer with the page number, as the
    // editor stores them.
    std::vector<print::CodeLine> head(1), foot(2);
    const print::CodeFont font{QStringLiteral("宋体"), 9};
    head[0] = {{{QStringLiteral("V单位"), font},
                {QStringLiteral("库存报表"), font},
                {QStringLiteral("制表:V制表人"), font}}};
    foot[1].cells[2] = {print::kPageNumberText, font};
    db.exec(
        QStringLiteral("insert into tsl_report (报表名称, 查询, 列标注, 列宽, 页头页脚, 页头文本, "
                       "页脚文本) values ('库存', 'select * from goods', "
                       "'编号，名称，编码，单价，数量，', '6 20 0 9.5 8', 3, '%1', '%2')")
            .arg(print::composeLayout(head), print::composeLayout(foot)));
    db::Connection conn = db.connect(test::Backend::SQLite);
    db::Recordset def = definitions::open(definitions::selectReport(QStringLiteral("库存")), conn,
                                          definitions::Access::ReadOnly);
    grid::Sheet sheet;
    QString merges;
    report::ApplyDefinition(def, sheet, merges);
    report::SetLabelsAndWidths(def.value(QStringLiteral("列标注")),
                               def.value(QStringLiteral("列宽")), 5, sheet);
    db::Recordset rs;
    rs.open(QStringLiteral("select * from goods order by id"), conn);
    report::FillFromRecordset(rs, sheet);
    report::AddTotalsRow(sheet, QVariantList{4, 5});

    const QVariantList vars{QVariantList{QStringLiteral("V单位"), QStringLiteral("某某公司")},
                            QVariantList{QStringLiteral("V制表人"), QStringLiteral("王五")}};
    writeWorkbook(file(), sheet, print::substituteVariables(sheet.print().header, vars),
                  print::substituteVariables(sheet.print().footer, vars));

    const XSheet x = readSheet(file(), 1);
    // Header in row 1 (columns 1, 5, 9); its closing "/n" leaves row 2 empty. Labels in row
    // 3, data in rows 4..6, totals in row 7; the footer's empty first line is row 8 and its
    // page number leaves row 9 empty: a cell has no page to number.
    const struct {
        int row, col;
        QString value;
    } cells[] = {
        {1, 1, s("某某公司")}, {1, 5, s("库存报表")}, {1, 9, s("制表:王五")}, {3, 1, s("编号")},
        {3, 5, s("数量")},     {4, 1, n("1")},        {4, 2, s("办公椅")},    {4, 3, n("7")},
        {5, 3, n("815")},      {4, 4, n("120.5")},    {5, 4, n("980")},       {6, 3, s("A-1")},
        {7, 1, s("合计")},     {7, 4, n("1135.75")},  {7, 5, n("7")},         {9, 9, QString()}};
    for (const auto &c : cells)
        EXPECT_EQ(x.at(c.row, c.col), c.value) << c.row << "," << c.col;
    EXPECT_EQ(x.rowsUsed(), (std::vector<int>{1, 3, 4, 5, 6, 7}));

    // Columns print as wide as the report's; the hidden column 3 is hidden, its data kept.
    const std::map<int, double> widths{{1, 6}, {2, 20}, {4, 9.5}, {5, 8}};
    for (const auto &[col, w] : widths)
        EXPECT_TRUE(printsAsWide(x.widths.at(col), w)) << "column " << col;
    EXPECT_EQ(x.hidden, std::set<int>{3});
    EXPECT_TRUE(unzipPart(file(), QStringLiteral("xl/worksheets/sheet2.xml")).isEmpty());
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("out.xlsx")});
}

TEST_F(Export, HeaderAndFooterLinesAroundTheData) {
    const struct {
        const char *what;
        QString header, footer;
        std::vector<int> rows;  // rows holding cells; the label row is the first data row
        int labelRow;
    } cases[] = {
        {"nothing around", {}, {}, {1, 2, 3}, 1},
        {"one line each, no closing /n",
         QStringLiteral("/fn\"A\"/l头"),
         QStringLiteral("/fn\"A\"/c脚"),
         {1, 2, 3, 4, 5},
         2},
        {"closing /n leaves an empty row",
         QStringLiteral("/fn\"A\"/l头/n"),
         QStringLiteral("/n/fn\"A\"/r脚/n"),
         {1, 3, 4, 5, 7},
         3},
        {"text without font codes is not written",
         QStringLiteral("/l头/n/c中"),
         QStringLiteral("/r脚"),
         {3, 4, 5},
         3},
    };
    const auto sheet = smallSheet(2);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeWorkbook(file(), *sheet, c.header, c.footer);
        const XSheet x = readSheet(file(), 1);
        EXPECT_EQ(x.at(c.labelRow, 1), s("编码"));
        EXPECT_EQ(x.at(c.labelRow + 2, 2), s("名2"));
        EXPECT_EQ(x.rowsUsed(), c.rows);
    }
}

TEST(SheetNumber, OnlyTheSheetsOwnFormIsANumber) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {"0", 0.0},
        {"120.5", 120.5},
        {"-3", -3.0},
        {"0.001", 0.001},
        {"123456789012345", 123456789012345.0},
        {"1000000000000000", 1e15},
        {"007", {}},
        {"1.50", {}},
        {"-0", {}},
        {".5", {}},
        {"+5", {}},
        {"1e3", {}},
        {"1,000", {}},
        {" 1", {}},
        {"NaN", {}},
        {"Infinity", {}},
        {"2024-01-05", {}},
        {"", {}},
        {"-", {}},
        {"1234567890123456", {}},  // more digits than a workbook keeps
        {"9999999999999990", 9999999999999990.0},
        {"10000000000000000", {}},  // the sheet prints 1e+16
        {"0.000001", 1e-6},
        {"0.0000001", {}},  // the sheet prints 1e-07
        {"-0.5", -0.5},
        {"123456789.012345", 123456789.012345},
        {"0.0000012345678901234567", {}},
        {"0.0", {}},
        {"5.", {}},
        {"00", {}},
        {"1.2.3", {}},
        {"1-2", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(exports::sheetNumber(c.text), c.value) << c.text;
}

// One sheet of the texts whose reading matters, to paper, workbook and CSV: a text the
// totals row adds up on paper is a number in the workbook, and a text it leaves out is text
// there; CSV keeps every text as it stands.
TEST_F(Export, EveryOutputReadsTheSameNumbers) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {"1,234", 1234},    {" 12 ", 12}, {"-0", 0},     {"1e5", 1e5},   {"1.5", 1.5},
        {"-0.125", -0.125}, {"inf", {}},  {"nan", {}},   {"0x1F", {}},   {"١٢٣", {}},
        {"１２３", {}},     {"", {}},     {"12abc", {}}, {"1,23,4", {}},
    };
    const int count = int(std::size(cases));
    grid::Sheet sheet;
    sheet.setMaxCols(count + 1);
    sheet.setMaxRows(2);
    sheet.setText(1, 0, QStringLiteral("项"));
    for (int i = 0; i < count; ++i) {
        sheet.setText(i + 2, 0, QStringLiteral("c%1").arg(i + 1));
        sheet.setText(i + 2, 1, QString::fromUtf8(cases[i].text));
        sheet.setText(i + 2, 2, QStringLiteral("1"));  // so that every total shows
        sheet.setColWidth(i + 2, 8);
    }
    grid::PrintSettings landscape = sheet.print();  // every column on one page
    landscape.orientation = grid::Orientation::Landscape;
    sheet.setPrint(landscape);
    sheet.setText(1, 1, QStringLiteral("甲"));
    sheet.setText(1, 2, QStringLiteral("乙"));
    report::AddTotalsRow(sheet, std::nullopt);
    writeWorkbook(file(), sheet, {}, {});
    print::writePdf(sheet, file(QStringLiteral("out.pdf")));
    exports::writeCsv(file(QStringLiteral("out.csv")), sheet);

    const XSheet x = readSheet(file(), 1);
    QStringList printedTotals;
    for (const QString &line : test::pdfText(file(QStringLiteral("out.pdf"))).split(u'\n')) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (const qsizetype at = words.indexOf(QStringLiteral("合计")); at >= 0)
            printedTotals = words.mid(at + 1);
    }
    ASSERT_EQ(printedTotals.size(), count)
        << test::pdfText(file(QStringLiteral("out.pdf"))).toStdString();
    QFile csv(file(QStringLiteral("out.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> csvLines = csv.readAll().split('\n');
    ASSERT_GE(csvLines.size(), 2);
    for (int i = 0; i < count; ++i) {
        const auto &c = cases[i];
        SCOPED_TRACE(c.text);
        const bool number = c.value.has_value();
        EXPECT_EQ(printedTotals[i], grid::totalText(c.value.value_or(0) + 1));
        EXPECT_EQ(x.at(2, i + 2).startsWith(u"n:"), number) << x.at(2, i + 2).toStdString();
        if (number) {
            EXPECT_EQ(x.at(2, i + 2).mid(2).toDouble(), *c.value);
        } else if (*c.text) {
            EXPECT_EQ(x.at(2, i + 2), s(c.text));
        }
        EXPECT_TRUE(csvLines[1].contains(c.text));
    }
}

// A number spelt otherwise than the workbook's general form shows it keeps its look there.
TEST(NumberSpelling, FormatShowsTheNumberAsSpelt) {
    const struct {
        const char *text, *format;  // format: nullptr for the general form
    } cases[] = {
        {"1,234", "#,##0"}, {"1,234.50", "#,##0.00"}, {"1.50", "0.00"},
        {"007", "000"},     {"-0.50", "0.00"},        {".5", "#.0"},
        {"12", nullptr},    {"1.5", nullptr},         {"1e5", nullptr},
        {" 12 ", nullptr},  {"0", nullptr},           {"0.05", nullptr},
    };
    for (const auto &c : cases) {
        const std::uint16_t spelling = exports::numberSpelling(c.text, u',');
        if (!c.format) {
            EXPECT_EQ(spelling, 0) << c.text;
        } else {
            EXPECT_EQ(exports::spelledFormat(spelling), c.format) << c.text;
        }
    }
}

TEST_F(Export, LongReportContinuesOnAnotherWorksheetWithTheLabels) {
    // Five rows per worksheet: header, labels, data 1..3 | labels, data 4..7 | labels,
    // data 8, footer.
    writeWorkbook(file(), *smallSheet(8), QStringLiteral("/fn\"A\"/c标题"),
                  QStringLiteral("/fn\"A\"/l页脚"), 5);
    const XSheet s1 = readSheet(file(), 1), s2 = readSheet(file(), 2), s3 = readSheet(file(), 3);
    EXPECT_EQ(s1.at(1, 5), s("标题"));
    EXPECT_EQ(s1.at(5, 3), n("3"));
    EXPECT_EQ(s1.lastRow, 5);
    EXPECT_EQ(s2.at(1, 3), s("数量"));
    EXPECT_EQ(s2.at(2, 1), s("C4"));
    EXPECT_EQ(s2.at(5, 1), s("C7"));
    EXPECT_EQ(s3.at(1, 2), s("名称"));
    EXPECT_EQ(s3.at(2, 2), s("名8"));
    EXPECT_EQ(s3.at(3, 1), s("页脚"));
    EXPECT_EQ(s3.lastRow, 3);
}

// The workbook's own page setup, read back from the file: each worksheet prints like the
// report, the label row repeated (on later worksheets the first row), the page number in the
// print footer; a paper the workbook has no number for is left to the printer.
TEST_F(Export, WorksheetsPrintLikeTheReport) {
    const struct {
        grid::Paper paper;
        bool landscape, labels, gridLines;
        std::vector<const char *> present, absent;  // in the first worksheet, or the workbook
    } cases[] = {
        {{297, 420},
         true,
         true,
         true,
         {"paperSize=\"8\"", "orientation=\"landscape\"",
          // The body below the two 9-point header lines and their gap: 1 in + 28.5 pt.
          "<pageMargins left=\"0.5\" right=\"0.75\" top=\"1.395833333333333\" bottom=\"0.25\" "
          "header=\"1\"",
          "<oddHeader>&amp;C&amp;9&amp;\"A,Regular\"标题\n副标题</oddHeader>",
          "<oddFooter>&amp;C第 &amp;P 页，共 &amp;N 页</oddFooter>",
          "localSheetId=\"0\">Sheet1!$3:$3<", "localSheetId=\"1\">Sheet2!$1:$1<"},
         {"fitTo", "printOptions"}},  // grid lines print as the cells' borders
        {{241, 140},
         false,
         false,
         false,
         {"orientation=\"portrait\"", "<oddFooter>"},
         {"paperSize", "printOptions", "Print_Titles"}},
        {{182, 257}, false, true, true, {"paperSize=\"13\""}, {}},
    };
    for (const auto &c : cases) {
        auto sheet = smallSheet(6);
        grid::PrintSettings &p = sheet->printSettings();
        p.paper = c.paper, p.colHeaders = c.labels, p.gridLines = c.gridLines;
        p.orientation = c.landscape ? grid::Orientation::Landscape : grid::Orientation::Portrait;
        p.fitPagesWide = c.landscape ? 2 : 0;
        p.marginLeft = 720, p.marginRight = 1080, p.marginTop = 1440, p.marginBottom = 360;
        writeWorkbook(file(), *sheet, QStringLiteral("/fn\"A\"/c标题/n/fn\"A\"/c副标题"), {}, 6);
        const QByteArray xml =
            unzipPart(file(), "xl/worksheets/sheet1.xml") + unzipPart(file(), "xl/workbook.xml");
        for (const char *part : c.present)
            EXPECT_TRUE(xml.contains(part)) << part;
        for (const char *part : c.absent)
            EXPECT_FALSE(xml.contains(part)) << part;
    }
}

TEST_F(Export, MoreRowsThanOneWorksheetHolds) {
    // 1,048,577 sheet rows (labels and 1,048,576 data rows) under a one-line header: row 1
    // header, row 2 labels, rows 3..1048576 data 1..1048574; the rest goes on.
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(exports::kWorksheetRows);
    sheet.setText(1, 0, QStringLiteral("序号"));
    for (int r = 1; r <= exports::kWorksheetRows; ++r)
        sheet.setTextUtf8(1, r, std::to_string(r));
    writeWorkbook(file(), sheet, QStringLiteral("/fn\"A\"/l标题"), QString());
    const QByteArray head = unzipPart(file(), QStringLiteral("xl/worksheets/sheet1.xml")).left(800);
    EXPECT_TRUE(head.contains("<dimension ref=\"A1:A1048576\"/>")) << head.toStdString();
    const XSheet s2 = readSheet(file(), 2);
    EXPECT_EQ(s2.at(1, 1), s("序号"));
    EXPECT_EQ(s2.at(2, 1), n("1048575"));
    EXPECT_EQ(s2.at(3, 1), n("1048576"));
    EXPECT_EQ(s2.lastRow, 3);
}

// Every cell lands where it belongs however the rows fall into the batches prepared ahead of
// the writer (more of them than are held at once) and onto worksheets: batches that end with
// the sheet, worksheets that end inside a batch, a sheet so wide that a batch is one row.
// Empty cells stay empty.
TEST_F(Export, EveryCellLandsInItsPlace) {
    const struct {
        int cols, rows, rowsPerWorksheet;
    } cases[] = {{8, 3000, 700}, {3, 2730, exports::kWorksheetRows}, {5000, 6, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.cols << " x " << c.rows << " by " << c.rowsPerWorksheet);
        grid::Sheet sheet;
        sheet.setMaxCols(c.cols);
        sheet.setMaxRows(c.rows);
        // Odd columns hold numbers, even ones texts.
        const auto text = [](int col, int row) -> std::string {
            if ((col + row) % 5 == 0)
                return {};
            return col % 2 ? std::to_string(row * 10 + col) : "行" + std::to_string(row);
        };
        const auto stored = [&](int col, int row) {
            return (col % 2 ? n("") : s("")) + QString::fromStdString(text(col, row));
        };
        for (int r = 0; r <= c.rows; ++r)
            for (int col = 1; col <= c.cols; ++col)
                sheet.setTextUtf8(col, r, text(col, r));
        writeWorkbook(file(), sheet, {}, {}, c.rowsPerWorksheet);
        const exports::WorksheetRows places(0, c.rowsPerWorksheet);
        std::map<int, std::map<std::pair<int, int>, QString>> expected;  // by worksheet
        for (int r = 0; r <= c.rows; ++r) {
            const exports::WorksheetPlace at = places.placeOfSheetRow(r);
            for (int col = 1; col <= c.cols; ++col) {
                auto &cells = expected[at.worksheet];
                if (!text(col, r).empty())
                    cells[{int(at.row) + 1, col}] = stored(col, r);
                if (at.worksheet > 0 && !text(col, 0).empty())
                    cells[{1, col}] = stored(col, 0);
            }
        }
        for (const auto &[worksheet, cells] : expected)
            EXPECT_EQ(readSheet(file(), worksheet + 1).cells, cells)
                << "worksheet " << worksheet + 1;
    }
}

TEST_F(Export, OverlongTextIsCutToTheCellLimit) {
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(1);
    sheet.setText(1, 1, QString(40000, u'字'));
    writeWorkbook(file(), sheet, {}, {});
    EXPECT_EQ(readSheet(file(), 1).at(2, 1),
              QStringLiteral("s:") + QString(exports::kCellTextMax, u'字'));
}

// Department (level 1, a page each, counting months and summing quantities) and month (level
// 2, with a header row, summing quantities and taking the largest amount), then 合计. Sheet
// rows: 1 header 1月, 2-3 data, 4 subtotal, 5 header 2月, 6 data, 7 subtotal, 8 甲's subtotal,
// 9 header 1月, 10 data, 11 subtotal, 12 乙's subtotal, 13 totals.
std::unique_ptr<grid::Sheet> groupedSheet() {
    using K = grid::RowKind;
    const struct {
        K kind;
        int level;
        std::vector<const char *> texts;
    } rows[] = {{K::GroupHeader, 2, {"", "1月"}},
                {K::Data, 0, {"甲", "1月", "3", "10"}},
                {K::Data, 0, {"甲", "1月", "4", "20"}},
                {K::Subtotal, 2, {"1月 小计", "", "7", "20"}},
                {K::GroupHeader, 2, {"", "2月"}},
                {K::Data, 0, {"甲", "2月", "5", "30"}},
                {K::Subtotal, 2, {"2月 小计", "", "5", "30"}},
                {K::Subtotal, 1, {"甲 小计", "3", "12"}},
                {K::GroupHeader, 2, {"", "1月"}},
                {K::Data, 0, {"乙", "1月", "6", "40"}},
                {K::Subtotal, 2, {"1月 小计", "", "6", "40"}},
                {K::Subtotal, 1, {"乙 小计", "1", "6"}},
                {K::Totals, 0, {"合计", "", "18"}}};
    auto sheet = std::make_unique<grid::Sheet>();
    sheet->setMaxCols(4);
    sheet->setMaxRows(int(std::size(rows)));
    for (int r = 1; r <= sheet->maxRows(); ++r) {
        const auto &row = rows[r - 1];
        for (std::size_t c = 0; c < row.texts.size(); ++c)
            sheet->setText(int(c) + 1, r, QString::fromUtf8(row.texts[c]));
        sheet->setRowMark(r, {row.kind, row.level});
    }
    grid::Grouping g;
    using F = grid::TotalFunction;
    g.levels = {{1, std::vector<grid::GroupTotal>{{2, F::Count}, {3, F::Sum}}},
                {2, std::vector<grid::GroupTotal>{{3, F::Sum}, {4, F::Max}}}};
    g.levels[0].pageBreak = true;
    g.levels[1].header = true;
    sheet->setGrouping(g);
    return sheet;
}

TEST_F(Export, GroupedReportHasFormulasOutlineAndPageBreaks) {
    struct Cell {
        int worksheet, row, col;
        const char *formula, *value;  // no formula: a plain cell holding value
    };
    const struct {
        const char *what;
        int rowsPerWorksheet;
        bool grouped;
        std::vector<Cell> cells;
        std::map<int, int> outline1, outline2;  // of worksheets 1 and 2
        std::vector<int> breaks1, breaks2;
    } cases[] = {
        {"one worksheet: the outer formulas span the inner subtotal rows, header values left out",
         exports::kWorksheetRows,
         true,
         {{1, 5, 3, "SUBTOTAL(9,C2:C4)", "7"},
          {1, 5, 4, "SUBTOTAL(4,D2:D4)", "20"},
          {1, 8, 3, "SUBTOTAL(9,C6:C7)", "5"},
          {1, 9, 2, "SUBTOTAL(3,B3:B5,B7:B8)", "3"},
          {1, 9, 3, "SUBTOTAL(9,C2:C8)", "12"},
          {1, 13, 2, "SUBTOTAL(3,B11:B12)", "1"},
          {1, 13, 3, "SUBTOTAL(9,C10:C12)", "6"},
          {1, 14, 3, "SUBTOTAL(9,C2:C13)", "18"},
          {1, 9, 1, nullptr, "s:甲 小计"}},
         {{2, 2},
          {3, 3},
          {4, 3},
          {5, 2},
          {6, 2},
          {7, 3},
          {8, 2},
          {9, 1},
          {10, 2},
          {11, 3},
          {12, 2},
          {13, 1}},
         {},
         {9},
         {}},
        {"split after sheet row 7: totals reaching the first worksheet are plain numbers",
         8,
         true,
         {{1, 5, 3, "SUBTOTAL(9,C2:C4)", "7"},
          {1, 8, 3, "SUBTOTAL(9,C6:C7)", "5"},
          {2, 2, 2, nullptr, "n:3"},
          {2, 2, 3, nullptr, "n:12"},
          {2, 5, 3, "SUBTOTAL(9,C3:C4)", "6"},
          {2, 6, 2, "SUBTOTAL(3,B4:B5)", "1"},
          {2, 7, 3, nullptr, "n:18"}},
         {{2, 2}, {3, 3}, {4, 3}, {5, 2}, {6, 2}, {7, 3}, {8, 2}},
         {{2, 1}, {3, 2}, {4, 3}, {5, 2}, {6, 1}},
         {},
         {2}},
        {"no group levels: a plain workbook",
         exports::kWorksheetRows,
         false,
         {{1, 5, 3, nullptr, "n:7"}, {1, 14, 3, nullptr, "n:18"}},
         {},
         {},
         {},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto sheet = groupedSheet();
        if (!c.grouped)
            sheet->setGrouping({});
        writeWorkbook(file(), *sheet, {}, {}, c.rowsPerWorksheet);
        const bool split = c.rowsPerWorksheet < exports::kWorksheetRows;
        const XSheet x[] = {readSheet(file(), 1), split ? readSheet(file(), 2) : XSheet{}};
        for (const Cell &cell : c.cells) {
            const XSheet &ws = x[cell.worksheet - 1];
            const std::pair<int, int> at{cell.row, cell.col};
            const QString formula = ws.formulas.count(at) ? ws.formulas.at(at) : QString();
            EXPECT_EQ(formula, QString::fromUtf8(cell.formula ? cell.formula : ""))
                << cell.worksheet << ":" << cell.row << "," << cell.col;
            EXPECT_EQ(ws.at(cell.row, cell.col),
                      cell.formula ? n(cell.value) : QString::fromUtf8(cell.value))
                << cell.worksheet << ":" << cell.row << "," << cell.col;
        }
        EXPECT_EQ(x[0].outline, c.outline1);
        EXPECT_EQ(x[1].outline, c.outline2);
        EXPECT_EQ(x[0].breaks, c.breaks1);
        EXPECT_EQ(x[1].breaks, c.breaks2);
    }
}

// The grouped report's conditional formats in the workbook: each worksheet's rules over the
// worksheet rows of its data rows (sheet rows 2, 3, 6, 10), not the label, header, subtotal or
// totals rows; as "sqref type" per rule, joined by "|".
TEST_F(Export, ConditionalFormatsCoverTheDataRowsOfEachWorksheet) {
    const auto rulesOf = [&](int worksheet) {
        QXmlStreamReader x(
            unzipPart(file(), QStringLiteral("xl/worksheets/sheet%1.xml").arg(worksheet)));
        QStringList out;
        QString sqref;
        while (!x.atEnd()) {
            // The worksheet's own elements; a data bar's extension repeats it under a prefix.
            if (x.readNext() == QXmlStreamReader::StartElement &&
                x.qualifiedName() == u"conditionalFormatting")
                sqref = x.attributes().value(QLatin1String("sqref")).toString();
            else if (x.isStartElement() && x.qualifiedName() == u"cfRule")
                out << sqref + u' ' + x.attributes().value(QLatin1String("type")).toString();
        }
        return out.join(u'|').toStdString();
    };
    const char *cell = R"([{"column": 3, "when": ">", "value": 4}])";
    const struct {
        const char *what, *rules;
        int rowsPerWorksheet;
        const char *first, *second;  // the rules of worksheets 1 and 2
    } cases[] = {
        {"a cell rule", cell, exports::kWorksheetRows, "C3:C4 C7:C7 C11:C11 cellIs", ""},
        {"a row rule and a bar",
         R"([{"column": 3, "when": ">", "value": 4, "row": true}, {"column": 4, "bar": "#638EC6"}])",
         exports::kWorksheetRows, "A3:D4 A7:D7 A11:D11 expression|D3:D4 D7:D7 D11:D11 dataBar", ""},
        {"over two worksheets, each its own rows", cell, 8, "C3:C4 C7:C7 cellIs", "C4 cellIs"},
    };
    for (const auto &c : cases) {
        auto sheet = groupedSheet();
        sheet->setConditions(conditions::readConditions(QString::fromUtf8(c.rules), 4).rules);
        writeWorkbook(file(), *sheet, {}, {}, c.rowsPerWorksheet);
        EXPECT_EQ(rulesOf(1), c.first) << c.what;
        EXPECT_EQ(rulesOf(2), c.second) << c.what;
    }
}

// ---- failures

TEST_F(Export, FoldersThatTakeNoFile) {
    QFile plain(file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const QString &p :
         {file(QStringLiteral("plain/out.xlsx")), file(QStringLiteral("missing/out.xlsx")),
          QStringLiteral("/proc/x.xlsx")}) {
        try {
            writeWorkbook(p, *smallSheet(3), {}, {});
            ADD_FAILURE() << "no error for " << p.toStdString();
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), Error::Category::Io);
            EXPECT_FALSE(e.databaseText().isEmpty());  // the system's reason
        }
    }
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("plain")});
}

TEST_F(Export, FailedWriteKeepsTheExistingFile) {
    // A file size limit makes every write past it fail, as a full disk does: with 20,000 rows
    // the worksheet's scratch data passes 8 KB; with two rows only the finished workbook
    // (about 5 KB) passes 4 KB.
    const struct {
        int rows;
        rlim_t limit;
    } cases[] = {{20000, 8192}, {2, 4096}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rows);
        QFile old(file());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the previous export");
        old.close();
        const auto sheet = smallSheet(c.rows);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit small = before;
        small.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool failed = false;
        try {
            writeWorkbook(file(), *sheet, {}, {});
        } catch (const Error &e) {
            failed = e.category() == Error::Category::Io;
        }
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, SIG_DFL);

        EXPECT_TRUE(failed);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("the previous export"));
        old.close();
        EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("out.xlsx")});
    }
}

TEST_F(Export, SuccessReplacesAnExistingFileKeepingItsPermissions) {
    QFile old(file());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(file(), perms);
    writeWorkbook(file(), *smallSheet(2), {}, {});
    EXPECT_EQ(readSheet(file(), 1).at(3, 2), s("名2"));
    EXPECT_EQ(QFile::permissions(file()) & 0x7077, perms);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("out.xlsx")});
}

// ---- the command: dialog, messages

// The user, also noting what the save dialog offered.
struct User : test::ScriptedInteraction {
    QString title, filter, suffix;
    QString saveFileName(QWidget *parent, const QString &t, const QString &f, const QString &sfx,
                         const QString &initial) override {
        title = t;
        filter = f;
        suffix = sfx;
        return ScriptedInteraction::saveFileName(parent, t, f, sfx, initial);
    }
};

TEST_F(Export, CommandTellsTheOutcome) {
    const auto sheet = smallSheet(2);
    User user;
    QString lastName;
    exportWorkbook(nullptr, *sheet, {}, {}, lastName);  // cancelled: nothing written, nothing said
    EXPECT_EQ(user.title, QStringLiteral("数据导出"));
    EXPECT_EQ(user.filter, QStringLiteral("Excel file (*.xlsx)"));
    EXPECT_EQ(user.suffix, QStringLiteral("xlsx"));
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(folderEntries().isEmpty());

    // A name chosen with another suffix gets the workbook's own.
    user.saveNames = {file(QStringLiteral("报表.xlsx")), file(QStringLiteral("旧.xls")),
                      file(QStringLiteral("missing/报表.xlsx"))};
    exportWorkbook(nullptr, *sheet, {}, {}, lastName);
    exportWorkbook(nullptr, *sheet, {}, {}, lastName);
    EXPECT_EQ(readSheet(file(QStringLiteral("报表.xlsx")), 1).at(1, 1), s("编码"));
    EXPECT_EQ(folderEntries(),
              (QStringList{QStringLiteral("报表.xlsx"), QStringLiteral("旧.xls.xlsx")}));
    exportWorkbook(nullptr, *sheet, {}, {}, lastName);
    // Each dialog opens on the name the previous export chose, as written.
    EXPECT_EQ(user.saveNamesOffered,
              (std::vector<QString>{
                  {}, {}, file(QStringLiteral("报表.xlsx")), file(QStringLiteral("旧.xls.xlsx"))}));

    ASSERT_EQ(user.messages.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(user.messages[i].text,
                  QStringLiteral("表格数据导出到excel表成功！\n") +
                      file(i == 0 ? QStringLiteral("报表.xlsx") : QStringLiteral("旧.xls.xlsx")));
        EXPECT_EQ(user.messages[i].title, QStringLiteral("导出数据成功"));
        EXPECT_EQ(user.messages[i].icon, base::MessageIcon::Information);
    }
    EXPECT_EQ(user.messages[2].icon, base::MessageIcon::Warning);
    EXPECT_TRUE(user.messages[2].text.contains(QStringLiteral("missing")))
        << user.messages[2].text.toStdString();
    EXPECT_EQ(user.busyDepth, 0);
    EXPECT_EQ(user.busyMaxDepth, 1);

    // A paper the workbook has no number for is said after the success, with its size.
    sheet->printSettings().paper = {241, 93};
    user.messages.clear();
    user.saveNames = {file(QStringLiteral("连续纸.xlsx"))};
    exportWorkbook(nullptr, *sheet, {}, {}, lastName);
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_TRUE(user.messages[1].text.contains(QStringLiteral("241 × 93 毫米")))
        << user.messages[1].text.toStdString();
}

// ---- PDF and CSV beside the workbook

TEST(CsvField, QuotedOnlyWhereTheTextNeedsIt) {
    const struct {
        const char *text, *field;
    } cases[] = {{"", ""},
                 {"名 a;b 'x' ", "名 a;b 'x' "},
                 {"a,b", "\"a,b\""},
                 {"说\"好\"", "\"说\"\"好\"\"\""},
                 {"一\n二", "\"一\n二\""},
                 {"cr\r", "\"cr\r\""}};
    for (const auto &c : cases) {
        std::string out = "x,";
        exports::appendCsvField(out, c.text);
        EXPECT_EQ(out, std::string("x,") + c.field) << c.text;
    }
}

TEST_F(Export, TheDialogsThreeFormatsAgreeOnEveryCell) {
    auto sheet = smallSheet(3);
    sheet->setText(2, 2, QStringLiteral("名\"2\",乙"));
    report::AddTotalsRow(*sheet, QVariantList{3});
    sheet->printSettings().header = QStringLiteral("/fn\"宋体\"/c库存报表");
    // The chosen type decides the format and the suffix a bare name gets.
    test::ScriptedInteraction user;
    user.saveNames = {file("报表"), file("报表"), file("报表.csv")};
    user.saveTypes = {0, 1, 2};
    QString lastName;
    for (int i = 0; i < 3; ++i)
        exportWorkbook(nullptr, *sheet, sheet->print().header, {}, lastName, "库存");
    ASSERT_EQ(folderEntries(), (QStringList{"报表.csv", "报表.pdf", "报表.xlsx"}));

    // CSV: the data block alone, BOM, CR LF, quoted where needed.
    QFile csv(file("报表.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), QByteArray("\xEF\xBB\xBF编码,名称,数量\r\nC1,名1,1\r\n"
                                        "C2,\"名\"\"2\"\",乙\",2\r\nC3,名3,3\r\n合计,,6\r\n"));
    // The workbook and the PDF hold the same texts, the PDF exactly as printing prints it.
    const XSheet x = readSheet(file("报表.xlsx"), 1);  // header line in row 1
    const QString printed = dir.filePath("printed.pdf");
    {
        test::PrintToPdf to(printed);
        print::printSheet(*sheet, "库存");
    }
    const QString text = test::pdfText(file("报表.pdf"));
    EXPECT_EQ(text, test::pdfText(printed));
    for (int r = 0; r <= sheet->maxRows(); ++r) {
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(x.at(r + 2, c).mid(2), sheet->text(c, r)) << r << "," << c;
            EXPECT_TRUE(text.contains(sheet->text(c, r))) << r << "," << c;
        }
    }
}

}  // namespace
