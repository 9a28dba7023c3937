#include "print/codes/SheetCodes.h"

#include <vector>

#include "grid/Sheet.h"
#include "print/codes/HeaderFooterCodes.h"

namespace tessel::print {

CodeCell sheetCodeCell(const grid::Sheet &sheet, int col, int row) {
    const grid::CellFont &f = sheet.style(col, row).font;
    return CodeCell{sheet.text(col, row),
                    CodeFont{f.name, f.size, f.bold, f.italic, f.underline, f.strikeout}};
}

QString composeSheetCell(const grid::Sheet &sheet, int col, int row, CodePos pos) {
    return composeCell(sheetCodeCell(sheet, col, row), pos);
}

QString composeSheetLayout(const grid::Sheet &sheet, const std::array<int, 3> &cols, int firstRow,
                           int lastRow) {
    std::vector<CodeLine> lines;
    for (int row = firstRow; row <= lastRow; ++row) {
        CodeLine &line = lines.emplace_back();
        for (int p = 0; p < 3; ++p)
            line.cells[p] = sheetCodeCell(sheet, cols[size_t(p)], row);
    }
    return composeLayout(lines);
}

}  // namespace tessel::print
