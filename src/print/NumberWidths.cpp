#include "print/NumberWidths.h"

#include <cmath>
#include <optional>

#include "grid/CellNumber.h"
#include "grid/ColumnFormat.h"
#include "grid/Sheet.h"
#include "print/CellLayout.h"
#include "print/FontWidths.h"
#include "print/Pagination.h"
#include "print/PrintFonts.h"

namespace tessel::print {

namespace {

// The rows whose formatted text may be the widest of a column: under a number or percent
// format the largest and the smallest number (the most digits, or a minus sign); under a date
// format every text has one width, so the first. Data rows and the others (subtotals and
// totals, printed bold) are kept apart, since their fonts differ.
struct Candidates {
    struct Extreme {
        int most = -1, least = -1;
        double high = 0, low = 0;
    } data, marked;

    void note(const grid::Sheet &sheet, int col, int row) {
        const std::optional<double> v = grid::cellNumber(sheet.cellUtf8(col, row));
        if (!v)
            return;
        Extreme &e = sheet.isDataRow(row) ? data : marked;
        if (e.most < 0 || *v > e.high) {
            e.most = row;
            e.high = *v;
        }
        if (e.least < 0 || *v < e.low) {
            e.least = row;
            e.low = *v;
        }
    }
    std::vector<int> rows() const { return {data.most, data.least, marked.most, marked.least}; }
};

// The width in points the formatted texts of `col` take at their full size, over `rows`.
double widestFormatted(const grid::Sheet &sheet, int col, const std::vector<int> &rows) {
    const grid::ColumnFormat &format = sheet.colFormat(col);
    const grid::Separators separators = grid::numberSeparators();
    double widest = 0;
    for (const int row : rows) {
        if (row < 1)
            continue;
        const grid::CellDisplay shown = grid::cellDisplay(sheet.text(col, row), format, separators);
        if (!shown.formatted)
            continue;
        const grid::CellFont &font = sheet.style(col, row).font;
        const double w = fontWidths(cellFont(font)).width(shown.text, cellPoints(font));
        widest = std::max(widest, w);
    }
    return widest;
}

}  // namespace

std::vector<int> widenForNumbers(grid::Sheet &sheet) {
    std::vector<int> widened;
    for (int col = 1; col <= sheet.maxCols(); ++col) {
        const grid::FormatKind kind = sheet.colFormat(col).kind;
        if (kind == grid::FormatKind::General || kind == grid::FormatKind::Text)
            continue;
        const double width = sheet.colWidth(col);
        if (width <= 1)  // hidden
            continue;
        std::vector<int> rows;
        if (kind == grid::FormatKind::Number || kind == grid::FormatKind::Percent) {
            Candidates candidates;
            for (int row = 1; row <= sheet.maxRows(); ++row)
                candidates.note(sheet, col, row);
            rows = candidates.rows();
        } else {
            for (int row = 1; row <= sheet.maxRows() && rows.empty(); ++row) {
                if (!sheet.cellUtf8(col, row).empty() &&
                    grid::formatDate(sheet.text(col, row)).has_value())
                    rows.push_back(row);
            }
        }
        const double widest = widestFormatted(sheet, col, rows);
        const double available = width * kPointsPerWidthUnit - 2 * kCellPaddingPoints;
        if (widest * kSmallestNumberScale <= available)
            continue;
        // Hundredths of a unit, rounded up: the width the text takes at its full size.
        const double units =
            std::ceil((widest + 2 * kCellPaddingPoints) / kPointsPerWidthUnit * 100.0) / 100.0;
        sheet.setColWidth(col, units);
        widened.push_back(col);
    }
    return widened;
}

}  // namespace tessel::print
