#include <gtest/gtest.h>

#include <tuple>

#include <QDate>

#include "grid/Sheet.h"
#include "print/codes/HeaderFooterCodes.h"

using namespace tessel::print;

namespace {

const QString kWorkedExample = QStringLiteral(
    "/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/l日期:V日期/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n/n"
    "/fn\"宋体\"/fz\"9\"/fb1/fi0/fu0/fk0/c报表中间/n");

CodeCell cell(const QString &text, CodeFont font = {"宋体", 9.0}) {
    return {text, font};
}

CodeLine line(CodeCell left, CodeCell centre = {}, CodeCell right = {}) {
    return CodeLine{{left, centre, right}};
}

QVariantList vars(std::initializer_list<std::pair<QString, QVariant>> rows) {
    QVariantList out;
    for (const auto &[name, value] : rows)
        out.append(QVariant(QVariantList{name, value}));
    return out;
}

}  // namespace

TEST(ComposeCodes, WorkedExample) {
    CodeFont bold{"宋体", 9.0, true};
    const std::vector<CodeLine> layout{line(cell("日期:V日期"), {}, cell(kPageNumberText)),
                                       line({}), line({}, cell("报表中间", bold))};
    EXPECT_EQ(composeLayout(layout), kWorkedExample);

    const CodeLayout parsed = parseCodes(kWorkedExample);
    EXPECT_TRUE(parsed.error.isEmpty());
    EXPECT_EQ(parsed.lines, layout);
}

TEST(ComposeCodes, FontSizes) {
    const struct {
        double size;
        const char *text;
    } cases[] = {{12, "12"},
                 {10.5, "10.5"},
                 {9.75, "9.75"},
                 {10.3, "10.3"},
                 {0, "0"},
                 {-0.0, "0"},
                 {1e8, "100000000"},
                 {1e-5, "0.00001"},
                 {1.0 / 3, "0.33333334"},
                 // Spelled from the shortest digits, not from the binary value.
                 {1.5e20, "150000000000000000000"},
                 {-1.5e-7, "-0.00000015"}};
    for (const auto &c : cases)
        EXPECT_EQ(composeCell(cell("A", {"F", c.size}), CodePos::Left),
                  QString("/fn\"F\"/fz\"%1\"/fb0/fi0/fu0/fk0/lA").arg(c.text))
            << c.size;
}

TEST(ComposeCodes, PageNumbersInsideText) {
    EXPECT_EQ(composeCell(cell("第" + kPageNumberText + "页"), CodePos::Center),
              "/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/c第/p页");
}

TEST(ComposeCodes, EmptyCellsAndLines) {
    EXPECT_EQ(composeCell(cell(""), CodePos::Right), "");
    EXPECT_EQ(composeLayout({}), "");
    EXPECT_EQ(composeLayout({line({}), line({})}), "");
    // Empty lines between text stay as bare "/n"; trailing ones are not written.
    EXPECT_EQ(composeLayout({line({}), line(cell("A", {})), line({}), line({})}),
              "/n/fn\"\"/fz\"0\"/fb0/fi0/fu0/fk0/lA/n");
}

TEST(ComposeCodes, RoundTrips) {
    const CodeFont all{"Courier New", 10.5, true, true, true, true};
    const std::vector<std::vector<CodeLine>> layouts{
        {line(cell("日期:V日期"), {}, cell(kPageNumberText)), line({}),
         line({}, cell("报表中间", {"宋体", 9, true}))},
        {line(cell(QString(150, u'长')), cell("B", all), cell("C"))},
        {line({}, cell(kPageNumberText, all))},
        {line({}), line({}), line({}), line({}), line({}), line({}), line({}), line({}),
         line(cell("ninth")), line({}, {}, cell("tenth")), line({}), line(cell("twelfth"))},
        {line(cell("A \"quoted\" text", {"Arial", 9.75}))},
    };
    for (const auto &layout : layouts) {
        const QString codes = composeLayout(layout);
        const CodeLayout parsed = parseCodes(codes);
        EXPECT_TRUE(parsed.error.isEmpty()) << codes.toStdString();
        EXPECT_EQ(parsed.lines, layout) << codes.toStdString();
        EXPECT_EQ(composeLayout(parsed.lines), codes);
    }
}

TEST(SubstituteVariables, ListOrderAndBuiltIns) {
    const QDateTime now(QDate(2024, 3, 5), QTime(9, 7, 30));
    const QLocale zh(QLocale::Chinese, QLocale::China);
    const struct {
        QString text;
        QVariantList vars;
        QString expected;
    } cases[] = {
        {"", vars({{"V部门", "销售"}}), ""},
        {"V部门/V部门", vars({{"V部门", "销售"}}), "销售/销售"},
        // "/" in a value would start a code: values carry the division slash.
        {"V时间|V日期", {}, "2024∕3∕5 09:07|2024∕3∕5"},
        {"/lV单位/n", vars({{"V单位", "A/B"}}), "/lA∕B/n"},
        {"V日期", vars({{"V日期", "今天"}}), "今天"},  // a listed name wins over the built-in
        {"V单位名", vars({{"V单位", "甲"}, {"V单位名", "乙"}}), "甲名"},
        {"V单位名", vars({{"V单位名", "乙"}, {"V单位", "甲"}}), "乙"},
        {"Va", vars({{"Va", "Vb"}, {"Vb", "x"}}), "x"},  // later names reach earlier values
        {"Vb", vars({{"Va", "x"}, {"Vb", "Va"}}), "Va"},
        {"AV5V", vars({{"V", 5}, {"", "x"}}), "AV5V"},  // nameless rows are skipped
        {"V部门 V未知", vars({{"V部门", "销售"}}), "销售 V未知"},
        {"v部门", vars({{"V部门", "销售"}}), "v部门"},
        {"V金额 V日", vars({{"V金额", 1234.5}, {"V日", QDate(2024, 1, 5)}}), "1234.5 2024-01-05"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(substituteVariables(c.text, c.vars, now, placeholderDateForms(zh, zh)),
                  c.expected)
            << c.text.toStdString();
}

TEST(SubstituteVariables, ASubstitutedDatePrintsWhole) {
    const QDateTime now(QDate(2026, 12, 7), QTime(8, 0));
    const QLocale zh(QLocale::Chinese, QLocale::China);
    const QString codes = substituteVariables(QStringLiteral("/l制表日期：V日期/n"), {}, now,
                                              placeholderDateForms(zh, zh));
    const CodeLayout parsed = parseCodes(codes);
    ASSERT_EQ(parsed.lines.size(), 1u);
    EXPECT_EQ(parsed.lines[0].cells[0].text, QStringLiteral("制表日期：2026∕12∕7"));
}

// The system's short forms, unless the system locale speaks no language (C, POSIX): then the
// interface language's, Chinese written out in full.
TEST(SubstituteVariables, DatesTakeTheSystemFormOrTheInterfaceLanguagesOnC) {
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 5));
    const QLocale zh(QLocale::Chinese, QLocale::China), en(QLocale::English);
    const std::tuple<QLocale, QLocale, const char *> cases[] = {
        {QLocale::c(), zh, "2026-12-08 14:05|2026-12-08"},
        {QLocale(QStringLiteral("POSIX")), zh, "2026-12-08 14:05|2026-12-08"},
        {QLocale::c(), en, "12∕8∕26 2:05 PM|12∕8∕26"},
        {zh, en, "2026∕12∕8 14:05|2026∕12∕8"},
        {QLocale(QLocale::German, QLocale::Germany), zh, "08.12.26 14:05|08.12.26"},
    };
    for (const auto &[system, interface, expected] : cases) {
        EXPECT_EQ(substituteVariables(QStringLiteral("V时间|V日期"), {}, now,
                                      placeholderDateForms(system, interface)),
                  QString::fromUtf8(expected))
            << system.name().toStdString() << " / " << interface.name().toStdString();
    }
}

TEST(SubstituteVariables, IntoASheetAnnouncesOnlyARealChange) {
    const char *cases[][4] = {{"/l部门", "/rV未知", "/l部门", "/rV未知"},
                              {"/lV部门", "", "/l销售", ""},
                              {"", "/rV部门/n", "", "/r销售/n"}};
    for (const auto &[header, footer, headerAfter, footerAfter] : cases) {
        tessel::grid::Sheet sheet;
        sheet.printSettings().header = QString::fromUtf8(header);
        sheet.printSettings().footer = QString::fromUtf8(footer);
        int announced = 0;
        QObject::connect(&sheet, &tessel::grid::Sheet::printSettingsChanged, [&] { ++announced; });
        const bool changes = QString(header) != headerAfter || QString(footer) != footerAfter;
        EXPECT_EQ(substituteSheetVariables(sheet, vars({{"V部门", "销售"}})), changes) << header;
        EXPECT_EQ(announced, changes ? 1 : 0) << header;
        EXPECT_EQ(sheet.print().header, headerAfter);
        EXPECT_EQ(sheet.print().footer, footerAfter);
    }
}
