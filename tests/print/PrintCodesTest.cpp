#include <gtest/gtest.h>

#include <QStringList>

#include "print/codes/PrintCodes.h"

using namespace tessel::print;

namespace {

// The texts of a layout, one line per row as "left|centre|right".
QStringList texts(const CodeLayout &layout) {
    QStringList out;
    for (const CodeLine &line : layout.lines)
        out << line.cells[0].text + u'|' + line.cells[1].text + u'|' + line.cells[2].text;
    return out;
}

}  // namespace

TEST(ParseCodes, TextsAndPositions) {
    const QString longText(150, u'x');
    const struct {
        QString codes;
        QStringList lines;
        const char *error;
    } cases[] = {
        {"", {}, ""},
        {"/lA/B/n", {"A||"}, ""},    // "/B" is an unknown code
        {"Hello", {"Hello||"}, ""},  // a text run may end the string
        {"X", {"X||"}, ""},
        {"/lA/", {"A||"}, ""},             // a lone trailing "/" is skipped
        {"/cA/nB/n", {"|A|", "|B|"}, ""},  // "/n" keeps the position
        {"/lA/q/cB/n", {"A|B|"}, ""},
        {"/fqZ/cA", {"Z|A|"}, ""},   // "/fq" skips three characters
        {"/lA/xB/n", {"AB||"}, ""},  // runs of one part follow one another
        {"/lA/lB/n", {"B||"}, ""},   // an alignment code starts its part afresh
        {"/c第/p页/n/r-/p-/n", {"|第<Page Number>页|", "||-<Page Number>-"}, ""},
        {"/lPage /p/n", {"Page <Page Number>||"}, ""},
        {"/n/n/rX/n", {"||", "||", "||X"}, ""},
        {"/r/p/n/l/p", {"||<Page Number>", "<Page Number>||"}, ""},
        {"/l" + longText + "/n", {longText + "||"}, ""},
        {"/lA/n/fn\"Arial/cB", {"A||"}, "Error parsing FONT NAME"},
        {"/lA/fz\"12/cB/n", {"A||"}, "Error parsing FONT SIZE"},
        {"/fn\"" + QString(99, u'n') + "\"/lA", {"A||"}, ""},
        {"/lA/fn\"" + QString(100, u'n') + "\"/cB", {"A||"}, "Error parsing FONT NAME"},
    };
    for (const auto &c : cases) {
        const CodeLayout layout = parseCodes(c.codes);
        EXPECT_EQ(texts(layout), c.lines) << c.codes.toStdString();
        EXPECT_EQ(layout.error, QString::fromLatin1(c.error)) << c.codes.toStdString();
    }
}

TEST(ParseCodes, FontCodesSetTheStateAndAlignmentCopiesIt) {
    CodeFont state;
    const CodeLayout layout =
        parseCodes("/fn\"Arial\"/fz\"10.5\"/fb1/fiX/fu0/fk1/lA/fb0/fz\"abc\"/cB/n", state);
    ASSERT_EQ(layout.lines.size(), 1u);
    const CodeFont left{"Arial", 10.5, true, true, false, true};
    EXPECT_EQ(layout.lines[0].cells[0].font, left);  // later codes do not reach it
    const CodeFont centre{"Arial", 0.0, false, true, false, true};
    EXPECT_EQ(layout.lines[0].cells[1].font, centre);  // a size that is not a number is 0
    EXPECT_EQ(state, centre);
}

TEST(ParseCodes, TextBeforeAnyAlignmentKeepsTheDefaultFont) {
    const CodeLayout layout = parseCodes("/fb1/fn\"Arial\"A/n");
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_EQ(layout.lines[0].cells[0].text, "A");
    EXPECT_EQ(layout.lines[0].cells[0].font, CodeFont{});
}

TEST(ParseCodes, FontStateLastsAcrossParses) {
    CodeFont state;
    parseCodes("/fn\"宋体\"/fz\"9\"/fb1/n", state);
    const CodeLayout second = parseCodes("/lA/n", state);
    ASSERT_EQ(second.lines.size(), 1u);
    EXPECT_EQ(second.lines[0].cells[0].font, (CodeFont{"宋体", 9.0, true, false, false, false}));

    // Without a state of its own a parse starts fresh.
    const CodeLayout fresh = parseCodes("/lA/n");
    EXPECT_EQ(fresh.lines[0].cells[0].font, CodeFont{});
}

// Each part as it prints: "text@size" per run, "#" for the page number, runs joined by "+".
TEST(ParseCodes, PartsPrintTheirRunsInOrderEachInItsFont) {
    const struct {
        QString codes;
        QStringList parts;  // "left|centre|right" per line
    } cases[] = {
        {"/fz\"9\"/c第/fz\"14\"/p/fz\"9\"页/n", {"|第@9+#@14+页@9|"}},
        {"/fz\"12\"/lA/fz\"8\"/cB/n", {"A@12|B@8|"}},             // codes for the next part
        {"/fz\"12\"/rX/nY/fz\"7\"Z/n", {"||X@12", "||Y@0+Z@7"}},  // a line's own part
    };
    for (const auto &c : cases) {
        QStringList parts;
        for (const PrintedLine &line : parseCodes(c.codes).printed) {
            QStringList texts;
            for (const auto &runs : line.parts) {
                QStringList pieces;
                for (const CodeRun &run : runs)
                    pieces << (run.pageNumber ? "#" : run.text) + u'@' +
                                  QString::number(run.font.size);
                texts << pieces.join(u'+');
            }
            parts << texts.join(u'|');
        }
        EXPECT_EQ(parts, c.parts) << c.codes.toStdString();
    }
    // The editor's cell shows the part in its first font.
    EXPECT_EQ(parseCodes("/c/fz\"14\"第/fz\"9\"/p/n").lines[0].cells[1].font.size, 14.0);
}

TEST(PlainTextLines, IndependentTestsOnEachSegment) {
    const struct {
        const char *line;
        const char *left, *centre, *right;  // nullptr: not named
    } cases[] = {
        {"/fn\"A\"/fz\"9\"/l左/fn\"A\"/c中/fn\"A\"/r右", "左", "中", "右"},
        {"/fn\"A\"/c中", nullptr, "中", nullptr},
        {"/l左/c中", nullptr, nullptr, nullptr},               // before the first /fn
        {"/fn\"A\"/l一/fn\"B\"/l二", "二", nullptr, nullptr},  // the later one wins
        {"/fn\"A\"/lA/cB", "A/cB", "B", nullptr},              // a /c inside the left text
        {"/fn\"A\"/l", "", nullptr, nullptr},
        {"/fn\"A\"/c第/p页", nullptr, "", nullptr},  // no pages to number: the part is empty
        {"/fn\"A\"/l路径 a∕p", "路径 a/p", nullptr, nullptr},              // a value's "/p" is text
        {"/fn\"A\"/l日期:2026∕12∕7", "日期:2026/12/7", nullptr, nullptr},  // substituted slash
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const std::vector<PlainLine> lines = plainTextLines(QString::fromUtf8(c.line));
        ASSERT_EQ(lines.size(), 1u);
        const char *expected[] = {c.left, c.centre, c.right};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(lines[0][size_t(i)].isNull(), expected[i] == nullptr) << i;
            EXPECT_EQ(lines[0][size_t(i)], QString::fromUtf8(expected[i])) << i;
        }
    }
    EXPECT_TRUE(plainTextLines(QString()).empty());
    // A closing "/n" leaves a last, empty line.
    EXPECT_EQ(plainTextLines(QStringLiteral("a/nb/n")).size(), 3u);
}
