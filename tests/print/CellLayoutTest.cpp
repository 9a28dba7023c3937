// How a cell's text is placed: the one rule the page painter and the sheet view share.
#include <gtest/gtest.h>

#include "print/CellLayout.h"

using namespace tessel;
using grid::CellKind;
using grid::HAlign;
using print::TextAlign;

TEST(CellLayout, Alignment) {
    const struct {
        const char *name;
        HAlign align;
        CellKind kind;
        QString text;
        bool header, number;
        TextAlign expected;
    } cases[] = {
        {"plain text", HAlign::General, CellKind::EditText, "abc", false, false, TextAlign::Left},
        {"number", HAlign::General, CellKind::EditText, "12.5", false, true, TextAlign::Right},
        // Right to left on screen as on paper: the text begins at the right edge.
        {"Hebrew", HAlign::General, CellKind::EditText, "שלום", false, false, TextAlign::Right},
        {"Arabic with digits", HAlign::General, CellKind::EditText, "مرحبا 12", false, false,
         TextAlign::Right},
        {"Latin first, Hebrew after", HAlign::General, CellKind::EditText, "abc שלום", false, false,
         TextAlign::Left},
        {"header label", HAlign::General, CellKind::EditText, "12", true, false, TextAlign::Center},
        {"button", HAlign::General, CellKind::Button, "打印", false, false, TextAlign::Center},
        {"picture caption", HAlign::General, CellKind::Picture, "x", false, false,
         TextAlign::Center},
        {"explicit left wins over a number", HAlign::Left, CellKind::EditText, "12", false, true,
         TextAlign::Left},
        {"explicit right on a header", HAlign::Right, CellKind::EditText, "a", true, false,
         TextAlign::Right},
        {"explicit centre", HAlign::Center, CellKind::EditText, "שלום", false, false,
         TextAlign::Center},
    };
    for (const auto &c : cases) {
        grid::CellStyle style;
        style.align = c.align;
        style.kind = c.kind;
        EXPECT_EQ(print::cellTextAlign(style, c.text, c.header, c.number), c.expected) << c.name;
    }
}

TEST(CellLayout, LabelsAndFitting) {
    const std::pair<int, const char *> letters[] = {{0, ""},     {1, "A"},    {26, "Z"},
                                                    {27, "AA"},  {52, "AZ"},  {53, "BA"},
                                                    {702, "ZZ"}, {703, "AAA"}};
    for (const auto &[col, text] : letters)
        EXPECT_EQ(print::columnLetters(col), QString::fromLatin1(text)) << col;

    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(3);
    sheet.setText(2, 0, QStringLiteral("金额"));
    sheet.setText(0, 2, QStringLiteral("小计"));
    EXPECT_EQ(print::columnLabel(sheet, 1), "A");
    EXPECT_EQ(print::columnLabel(sheet, 2), "金额");
    EXPECT_EQ(print::rowLabel(sheet, 1), "1");
    EXPECT_EQ(print::rowLabel(sheet, 2), "小计");

    // One width unit a character.
    const auto chars = [](const QString &t) { return double(t.size()); };
    const struct {
        const char *text;
        bool number, formatted;
        double available;
        const char *shown;
        double scale;
    } fits[] = {
        {"3.14159", true, false, 7, "3.14159", 1},  // fits as it is
        {"3.14159", true, false, 4, "3.14", 1},     // rounded to the decimals that fit
        {"123456789", true, false, 6, "######", 1},
        {"abcdefgh", false, false, 3, "abcdefgh", 1},        // text is cut or clipped by the caller
        {"12,345.00", true, true, 8, "12,345.00", 8.0 / 9},  // formatted: drawn smaller
        {"12,345.00", true, true, 6.3, "12,345.00", 0.7},
        {"12,345.00", true, true, 6, "######", 1},  // not even at 70 %
    };
    for (const auto &f : fits) {
        const print::FittedText fitted = print::fitCellText(QString::fromUtf8(f.text), f.number,
                                                            f.formatted, f.available, chars);
        EXPECT_EQ(fitted.text, QString::fromUtf8(f.shown)) << f.text << " in " << f.available;
        EXPECT_DOUBLE_EQ(fitted.scale, f.scale) << f.text << " in " << f.available;
    }
}
