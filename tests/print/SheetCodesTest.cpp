#include <gtest/gtest.h>

#include "grid/Sheet.h"
#include "print/codes/SheetCodes.h"

using namespace tessel;

// The editor's grid: text columns 1, 3 and 5 with font buttons between, headings in row 0,
// lines in rows 1 to 4. Each cell is {col, row, text, bold}.
TEST(ComposeSheetLayout, WhatTheGridHoldsBecomesCodes) {
    const QString font = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0");
    const struct {
        std::vector<std::tuple<int, int, QString, bool>> cells;
        QString codes;
    } cases[] = {
        {{}, ""},
        // headings, buttons and rows past the last line are not read
        {{{1, 0, "报表左边", 0}, {2, 1, "...", 0}, {6, 4, "...", 0}, {1, 5, "五", 0}}, ""},
        {{{5, 1, "右", 0}, {1, 1, "左", 0}, {3, 1, "中", 0}},
         font + "/l左" + font + "/c中" + font + "/r右/n"},
        {{{3, 3, "中", 1}}, "/n/n" + QString(font).replace("fb0", "fb1") + "/c中/n"},
        {{{5, 4, print::kPageNumberText, 0}}, "/n/n/n" + font + "/r/p/n"},
    };
    for (const auto &c : cases) {
        grid::Sheet sheet;
        for (const auto &[col, row, text, bold] : c.cells) {
            sheet.setText(col, row, text);
            sheet.setCurrent(col, row);
            sheet.setFont(grid::CellFont{.bold = bold});
        }
        EXPECT_EQ(print::composeSheetLayout(sheet, {1, 3, 5}, 1, 4), c.codes)
            << c.codes.toStdString();
    }
}
