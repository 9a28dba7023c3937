#include "widgets/HeaderResize.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <optional>

#include "grid/ColumnFormat.h"
#include "print/CellLayout.h"
#include "print/PrintFonts.h"
#include "widgets/ViewUnits.h"

namespace tessel::widgets::headerResize {

namespace {

// The text's padding as the view paints it (2 pixels each side) and the grid line, plus a
// little room: printing lays text out with the printer's font metrics, which may run a
// pixel or two wider than the screen's.
constexpr int kFitExtraPixels = 2 + 2 + 1 + 3;

double hundredths(double v) {
    return std::round(v * 100.0) / 100.0;
}

}  // namespace

bool nearBorder(std::int64_t pos, std::int64_t border) {
    return pos >= border - kGrip && pos < border + kGrip;
}

int borderAt(const Axis &axis, std::int64_t pos) {
    const int n = axis.count();
    if (n < 1 || pos < 0)
        return 0;
    const int at = axis.indexAt(pos);  // 1..n, or n + 1 past the last item
    // The border at the item's far end, when pos is in an item.
    int best = 0;
    std::int64_t bestDistance = kGrip + 1;
    if (at <= n) {
        const std::int64_t border = axis.offset(at + 1);
        if (nearBorder(pos, border)) {
            best = at;
            bestDistance = border - pos;
        }
    }
    // The border at its near end belongs to the shown item before it.
    int before = std::min(at, n + 1) - 1;
    while (before >= 1 && axis.size(before) == 0)
        --before;
    if (before >= 1) {
        const std::int64_t border = axis.offset(before + 1);
        if (nearBorder(pos, border) && pos - border + 1 < bestDistance)
            best = before;
    }
    return best;
}

double widthForPixels(int px) {
    return hundredths(std::max(0, px) / kPixelsPerWidthUnit);
}

double heightForPixels(int px) {
    return hundredths(std::max(0, px) / kPixelsPerPoint);
}

double fitColumnWidth(const grid::Sheet &sheet, int col, int firstRow, int lastRow) {
    // Cells mostly share one font: its metrics are built again only when the font changes.
    std::optional<grid::CellFont> lastFont;
    std::optional<QFontMetrics> metrics;
    int widest = 0;
    auto measure = [&](int row, const QString &text) {
        if (text.isEmpty())
            return;
        const grid::CellFont &font = sheet.style(col, row).font;
        if (!lastFont || !(*lastFont == font)) {
            lastFont = font;
            metrics.emplace(print::cellFont(font));
        }
        widest = std::max(widest, metrics->horizontalAdvance(text));
    };

    measure(0, print::columnLabel(sheet, col));
    const grid::ColumnFormat &format = sheet.colFormat(col);
    const grid::Separators separators = grid::numberSeparators();
    auto measureRows = [&](int from, int to) {
        from = std::max(from, 1);
        to = std::min(to, sheet.maxRows());
        const auto &heights = sheet.rowHeightOverrides();
        for (int row = from; row <= to; ++row) {
            const auto h = heights.find(row);
            if (h != heights.end() && h->second <= 0)
                continue;
            if (sheet.cellUtf8(col, row).empty())
                continue;
            measure(row, grid::cellDisplay(sheet.text(col, row), format, separators).text);
        }
    };
    const int sampleEnd = std::min(kFitSampleRows, sheet.maxRows());
    measureRows(1, sampleEnd);
    measureRows(std::max(firstRow, sampleEnd + 1), lastRow);
    // Subtotal and totals rows hold a column's widest numbers wherever they stand.
    for (const auto &[row, mark] : sheet.rowMarks()) {
        if (row > sampleEnd && (row < firstRow || row > lastRow))
            measureRows(row, row);
    }

    const double units =
        std::ceil((widest + kFitExtraPixels) / kPixelsPerWidthUnit * 100.0) / 100.0;
    return std::clamp(units, kFitMinWidth, kFitMaxWidth);
}

}  // namespace tessel::widgets::headerResize
