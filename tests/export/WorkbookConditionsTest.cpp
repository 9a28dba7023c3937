// Conditional formats written as the workbook's own rules, read back from the worksheet's XML.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "conditions/StoredConditions.h"
#include "export/WorkbookConditions.h"
#include "grid/Sheet.h"
#include "support/Unzip.h"

using namespace tessel;
using exports::RowRange;

namespace {

// Each rule of the worksheet as "sqref type [operator] [rank] [percent] [stop] formulas".
QStringList writtenRules(const QString &stored, const std::vector<RowRange> &rows) {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("c.xlsx")).toUtf8();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *wb = workbook_new_opt(path.constData(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    exports::writeConditionalFormats(wb, ws, conditions::readConditions(stored, 4).rules, rows, 4);
    EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
    QXmlStreamReader x(
        test::unzipPart(QString::fromUtf8(path), QStringLiteral("xl/worksheets/sheet1.xml")));
    QStringList out;
    QString sqref;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = x.attributes();
        if (x.name() == u"conditionalFormatting") {
            sqref = a.value(QLatin1String("sqref")).toString();
        } else if (x.name() == u"cfRule") {
            QStringList parts{sqref, a.value(QLatin1String("type")).toString()};
            for (const char *key :
                 {"operator", "rank", "percent", "bottom", "aboveAverage", "stopIfTrue"}) {
                if (a.hasAttribute(QLatin1String(key)))
                    parts << QLatin1String(key) + u'=' + a.value(QLatin1String(key)).toString();
            }
            out << parts.join(u' ');
        } else if (x.name() == u"formula" || x.name() == u"f" || x.name() == u"cfvo") {
            const QString text = x.name() == u"cfvo"
                                     ? a.value(QLatin1String("type")).toString() + u':' +
                                           a.value(QLatin1String("val")).toString()
                                     : x.readElementText();
            if (!out.isEmpty())
                out.back() += u' ' + text;
        }
    }
    return out;
}

}  // namespace

// Data rows of a report in worksheet rows 2..5 (from 1), or in two blocks 2..3 and 5..6 around
// a subtotal row, with its totals row below them.
TEST(WorkbookConditions, RulesLiveInTheWorkbook) {
    const std::vector<RowRange> four{{1, 4}}, blocks{{1, 2}, {4, 5}};
    const struct {
        const char *name, *rules;
        std::vector<RowRange> rows;
        const char *expected;
    } cases[] = {
        {"a number compared", R"([{"column":2,"when":">","value":10000,"bold":true}])", four,
         "B2:B5 cellIs operator=greaterThan 10000"},
        {"a text compared, stop", R"([{"column":2,"when":"=","value":"a\"b","stop":true}])", four,
         "B2:B5 cellIs operator=equal stopIfTrue=1 \"a\"\"b\""},
        {"between, ends in order", R"([{"column":2,"when":"between","value":20,"value2":10}])",
         four, "B2:B5 cellIs operator=between 10 20"},
        {"blocks leave the subtotal row out", R"([{"column":3,"when":"<=","value":0}])", blocks,
         "C2:C3 C5:C6 cellIs operator=lessThanOrEqual 0"},
        {"a text rule", R"([{"column":1,"when":"contains","value":"物流"}])", four,
         "A2:A5 containsText operator=containsText NOT(ISERROR(SEARCH(\"物流\",A2)))"},
        {"blanks", R"([{"column":1,"when":"blank"}])", four,
         "A2:A5 containsBlanks LEN(TRIM(A2))=0"},
        {"top percent", R"([{"column":4,"when":"top","value":10,"percent":true}])", four,
         "D2:D5 top10 rank=10 percent=1"},
        {"bottom 10", R"([{"column":4,"when":"bottom","value":10}])", four,
         "D2:D5 top10 rank=10 bottom=1"},
        {"bottom 3", R"([{"column":4,"when":"bottom","value":3}])", four,
         "D2:D5 expression "
         "AND(ISNUMBER(D2),D2<=_xlfn.AGGREGATE(15,2,$D$2:$D$5,MIN(3,_xlfn.AGGREGATE(2,2,$D$2:$D$5))"
         "))"},
        {"below average", R"([{"column":4,"when":"belowAverage"}])", four,
         "D2:D5 aboveAverage aboveAverage=0"},
        {"duplicates over blocks", R"([{"column":4,"when":"duplicate"}])", blocks,
         "D2:D3 D5:D6 duplicateValues"},
        {"a three-colour scale", R"([{"column":4,"scale":["#F8696B","#FFEB84","#63BE7B"]}])",
         blocks, "D2:D3 D5:D6 colorScale min:0 percentile:50 max:0"},
        {"a bar", R"([{"column":4,"bar":"#638EC6"}])", four,
         "D2:D5 dataBar min: max:\n dataBar min: max:"},
        {"a row rule", R"([{"column":4,"when":">","value":10000,"fill":"#FFF2CC","row":true}])",
         blocks, "A2:D3 A5:D6 expression $D2>10000"},
        {"a row rule of the top", R"([{"column":4,"when":"top","value":2,"row":true}])", four,
         "A2:D5 expression "
         "AND(ISNUMBER($D2),$D2>=_xlfn.AGGREGATE(14,2,$D$2:$D$5,MIN(2,_xlfn.AGGREGATE(2,2,$D$2:$D$"
         "5))))"},
    };
    for (const auto &c : cases) {
        const QStringList rules = writtenRules(QString::fromUtf8(c.rules), c.rows);
        EXPECT_EQ(rules.join(u'\n').toStdString(), c.expected) << c.name;
    }
}

// Many blocks: the rule is repeated over parts of them, a statistic over the column's span.
TEST(WorkbookConditions, ManyBlocksShareTheColumnsStatistics) {
    std::vector<RowRange> rows;
    for (lxw_row_t r = 1; r < 3000; r += 3)
        rows.push_back({r, r + 1});
    const QStringList rules =
        writtenRules(QStringLiteral(R"([{"column":2,"when":"aboveAverage"}])"), rows);
    ASSERT_GT(rules.size(), 1);
    for (const QString &rule : rules) {
        EXPECT_TRUE(rule.endsWith(QStringLiteral("_xlfn.AGGREGATE(1,2,$B$2:$B$3000))")))
            << rule.toStdString();
        EXPECT_FALSE(rule.contains(QStringLiteral("B4:"))) << rule.toStdString();
    }
}

// The data rows' ranges: marked rows and the label row a new worksheet repeats fall between.
TEST(WorkbookConditions, DataRowRangesLeaveOutMarkedRows) {
    using Ranges = std::map<int, std::vector<RowRange>>;
    const struct {
        const char *name;
        int linesAbove, capacity;
        Ranges expected;
    } cases[] = {
        {"one worksheet", 0, 100, {{0, {{1, 2}, {4, 5}}}}},
        {"a header line above", 1, 100, {{0, {{2, 3}, {5, 6}}}}},
        {"continued on a second worksheet", 1, 4, {{0, {{2, 3}}}, {1, {{2, 3}}}}},
        {"a run split by the new worksheet", 0, 3, {{0, {{1, 2}}}, {1, {{2, 2}}}, {2, {{1, 1}}}}},
    };
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(6);
    sheet.setRowMark(3, grid::RowMark{grid::RowKind::Subtotal, 1});
    sheet.setRowMark(6, grid::RowMark{grid::RowKind::Totals, 0});
    for (const auto &c : cases) {
        EXPECT_EQ(exports::dataRowRanges(sheet, exports::WorksheetRows(c.linesAbove, c.capacity)),
                  c.expected)
            << c.name;
    }
}
