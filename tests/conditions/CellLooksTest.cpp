#include <gtest/gtest.h>

#include "conditions/CellLooks.h"
#include "conditions/StoredConditions.h"
#include "grid/Sheet.h"

using namespace tessel;

namespace {

// A look as "fill text b i bar(share)", unset parts left out.
QString described(const conditions::CellLook &look) {
    QStringList parts;
    if (look.fill.isValid())
        parts << QStringLiteral("fill") + look.fill.name();
    if (look.text.isValid())
        parts << QStringLiteral("text") + look.text.name();
    if (look.bold)
        parts << (*look.bold ? QStringLiteral("b") : QStringLiteral("!b"));
    if (look.italic)
        parts << (*look.italic ? QStringLiteral("i") : QStringLiteral("!i"));
    if (look.bar)
        parts << QStringLiteral("bar%1%2").arg(*look.bar).arg(look.barColor.name());
    return parts.join(u' ');
}

}  // namespace

// Rows from row 1 split by '|', the cells of columns 1 and 2 by ';'; a row starting with '!' is
// a subtotal row. The rules are the stored text; the look asked for is of (col, row).
TEST(CellLooks, RulesDecideACellsLook) {
    const struct {
        const char *name, *rows, *rules;
        int col, row;
        const char *expected;
    } cases[] = {
        {"number above", "a;5|b;12,345.50",
         R"([{"column":2,"when":">","value":10000,"fill":"#ff0000"}])", 2, 2, "fill#ff0000"},
        {"number not above", "a;5|b;12,345.50",
         R"([{"column":2,"when":">","value":10000,"fill":"#ff0000"}])", 2, 1, ""},
        {"a numeric text value compares as a number", "a;9",
         R"([{"column":2,"when":"<","value":"10","bold":true}])", 2, 1, "b"},
        {"text order ignores case", "C;1", R"([{"column":1,"when":">","value":"b","bold":true}])",
         1, 1, "b"},
        {"text equal ignores case", "ABC;1",
         R"([{"column":1,"when":"=","value":"abc","italic":true}])", 1, 1, "i"},
        {"a number against a text compares texts", "10;1",
         R"([{"column":1,"when":"!=","value":"1e1x","bold":false}])", 1, 1, "!b"},
        {"between, ends in either order", "a;15",
         R"([{"column":2,"when":"between","value":20,"value2":10,"bold":true}])", 2, 1, "b"},
        {"not between", "a;25",
         R"([{"column":2,"when":"notBetween","value":10,"value2":20,"bold":true}])", 2, 1, "b"},
        {"contains ignores case", "Hello World;1",
         R"([{"column":1,"when":"contains","value":"WORLD","bold":true}])", 1, 1, "b"},
        {"contains beyond ASCII", "顺丰物流;1",
         R"([{"column":1,"when":"contains","value":"物流","bold":true}])", 1, 1, "b"},
        {"case beyond ASCII", "ÉCOLE du;1",
         R"([{"column":1,"when":"beginsWith","value":"écOle","bold":true}])", 1, 1, "b"},
        {"a sign folding to a letter", "\u212A1;1",
         R"([{"column":1,"when":"contains","value":"k","bold":true}])", 1, 1, "b"},
        {"not contains", "abc;1", R"([{"column":1,"when":"notContains","value":"B","bold":true}])",
         1, 1, ""},
        {"ends with", "abc;1", R"([{"column":1,"when":"endsWith","value":"BC","bold":true}])", 1, 1,
         "b"},
        {"blanks only is blank", "  ;1", R"([{"column":1,"when":"blank","bold":true}])", 1, 1, "b"},
        {"not blank", "x;1", R"([{"column":1,"when":"notBlank","bold":true}])", 1, 1, "b"},
        {"top 2 takes the tie", "a;10|b;30|c;20|d;20|e;5",
         R"([{"column":2,"when":"top","value":2,"bold":true}])", 2, 4, "b"},
        {"top 2 leaves the rest", "a;10|b;30|c;20|d;20|e;5",
         R"([{"column":2,"when":"top","value":2,"bold":true}])", 2, 1, ""},
        {"top 20 % of five is one", "a;10|b;30|c;20|d;25|e;5",
         R"([{"column":2,"when":"top","value":20,"percent":true,"bold":true}])", 2, 4, ""},
        {"bottom 1", "a;10|b;30|c;-2", R"([{"column":2,"when":"bottom","value":1,"bold":true}])", 2,
         3, "b"},
        {"above average", "a;1|b;2|c;6", R"([{"column":2,"when":"aboveAverage","bold":true}])", 2,
         3, "b"},
        {"below average", "a;1|b;2|c;6", R"([{"column":2,"when":"belowAverage","bold":true}])", 2,
         3, ""},
        {"duplicate ignores case", "a;1|A;2|b;3",
         R"([{"column":1,"when":"duplicate","bold":true}])", 1, 2, "b"},
        {"unique", "a;1|A;2|b;3", R"([{"column":1,"when":"unique","bold":true}])", 1, 3, "b"},
        {"duplicate numbers as numbers", "a;1.0|b;1|c;",
         R"([{"column":2,"when":"duplicate","bold":true}])", 2, 2, "b"},
        {"a blank is neither", "a;1|b;|c;", R"([{"column":2,"when":"unique","bold":true}])", 2, 2,
         ""},
        {"scale low end", "a;0|b;50|c;100", R"([{"column":2,"scale":["#000000","#ffffff"]}])", 2, 1,
         "fill#000000"},
        {"scale high end", "a;0|b;50|c;100", R"([{"column":2,"scale":["#000000","#ffffff"]}])", 2,
         3, "fill#ffffff"},
        {"three colours: the median", "a;0|b;10|c;100",
         R"([{"column":2,"scale":["#000000","#ff0000","#ffffff"]}])", 2, 2, "fill#ff0000"},
        {"three colours: above the median", "a;0|b;10|c;55",
         R"([{"column":2,"scale":["#000000","#ff0000","#ffffff"]}])", 2, 3, "fill#ffffff"},
        {"three colours: between middle and top", "a;0|b;10|c;50|d;90|e;100",
         R"([{"column":2,"scale":["#000000","#ff0000","#ffffff"]}])", 2, 4, "fill#ffcccc"},
        {"a bar is the share of the range", "a;-50|b;0|c;50", R"([{"column":2,"bar":"#638ec6"}])",
         2, 2, "bar0.5#638ec6"},
        {"no bar on a text", "a;x|c;50", R"([{"column":2,"bar":"#638ec6"}])", 2, 1, ""},
        {"the earlier rule wins a property", "a;5",
         R"([{"column":2,"when":">","value":1,"fill":"#ff0000"},{"column":2,"when":">","value":2,"fill":"#00ff00","text":"#0000ff"}])",
         2, 1, "fill#ff0000 text#0000ff"},
        {"stop ends the rules", "a;5",
         R"([{"column":2,"when":">","value":1,"fill":"#ff0000","stop":true},{"column":2,"when":">","value":2,"text":"#0000ff"}])",
         2, 1, "fill#ff0000"},
        {"stop only where matched", "a;5",
         R"([{"column":2,"when":"<","value":1,"fill":"#ff0000","stop":true},{"column":2,"when":">","value":2,"text":"#0000ff"}])",
         2, 1, "text#0000ff"},
        {"a row rule colours the row", "x1;5",
         R"([{"column":1,"when":"contains","value":"X","fill":"#ffff00","row":true}])", 2, 1,
         "fill#ffff00"},
        {"a cell rule stays in its column", "x1;5",
         R"([{"column":1,"when":"contains","value":"X","fill":"#ffff00"}])", 2, 1, ""},
        {"a row rule's stop holds for the row", "x1;5",
         R"([{"column":1,"when":"contains","value":"x","row":true,"stop":true,"bold":true},{"column":2,"when":">","value":1,"fill":"#ff0000"}])",
         2, 1, "b"},
        {"a subtotal row is untouched", "a;5|!a 小计;50000",
         R"([{"column":2,"when":">","value":1,"fill":"#ff0000","row":true}])", 1, 2, ""},
        {"and left out of the statistics", "a;5|b;7|!b 小计;12",
         R"([{"column":2,"when":"top","value":1,"bold":true}])", 2, 2, "b"},
        {"the label row is untouched", "a;5", R"([{"column":2,"when":">","value":1,"bold":true}])",
         2, 0, ""},
    };
    for (const auto &c : cases) {
        grid::Sheet sheet;
        const QStringList rows = QString::fromUtf8(c.rows).split(u'|');
        sheet.setMaxCols(2);
        sheet.setMaxRows(int(rows.size()));
        sheet.setText(2, 0, QStringLiteral("99999"));
        for (int r = 1; r <= rows.size(); ++r) {
            QString row = rows[r - 1];
            if (row.startsWith(u'!')) {
                sheet.setRowMark(r, grid::RowMark{grid::RowKind::Subtotal, 1});
                row.remove(0, 1);
            }
            const QStringList cells = row.split(u';');
            for (int col = 1; col <= cells.size(); ++col)
                sheet.setText(col, r, cells[col - 1]);
        }
        const conditions::StoredConditions stored =
            conditions::readConditions(QString::fromUtf8(c.rules), 2);
        ASSERT_TRUE(stored.ignored.isEmpty())
            << c.name << ": " << stored.ignored.join(u' ').toStdString();
        const conditions::CellLooks looks(stored.rules);
        EXPECT_EQ(described(looks.look(sheet, c.col, c.row)).toStdString(), c.expected) << c.name;
    }
}

// The statistics follow the sheet: a change of a cell moves the top cell.
TEST(CellLooks, StatisticsFollowTheSheet) {
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(2);
    sheet.setText(1, 1, QStringLiteral("1"));
    sheet.setText(1, 2, QStringLiteral("2"));
    const conditions::CellLooks looks(
        conditions::readConditions(
            QStringLiteral(R"([{"column":1,"when":"top","value":1,"bold":true}])"), 1)
            .rules);
    EXPECT_TRUE(looks.look(sheet, 1, 2).bold);
    sheet.setText(1, 1, QStringLiteral("3"));
    EXPECT_TRUE(looks.look(sheet, 1, 1).bold);
    EXPECT_FALSE(looks.look(sheet, 1, 2).bold);
}

// A sheet large enough that its rows are read in parts: the statistics join them (the smallest
// number in the first part, the largest in the last), and looksOf follows the sheet's rules.
TEST(CellLooks, StatisticsOfALargeSheetJoinItsParts) {
    constexpr int kRows = 200'001;
    grid::Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(kRows);
    for (int r = 1; r <= kRows; ++r)
        sheet.setText(1, r, QString::number(r));
    const auto rules = QStringLiteral(R"([{"column":1,"when":"top","value":1,"bold":true},
        {"column":1,"when":"aboveAverage","text":"#0000FF"}, {"column":1,"bar":"#638EC6"}])");
    sheet.setConditions(conditions::readConditions(rules, 1).rules);
    for (const auto &[row, look] : {std::pair(1, "bar0#638ec6"),
                                    {100'002, "text#0000ff bar0.500005#638ec6"},
                                    {kRows, "text#0000ff b bar1#638ec6"}})
        EXPECT_EQ(described(conditions::looksOf(sheet).look(sheet, 1, row)).toStdString(), look)
            << row;
    sheet.setConditions({});
    EXPECT_TRUE(conditions::looksOf(sheet).look(sheet, 1, kRows).isEmpty());
}
