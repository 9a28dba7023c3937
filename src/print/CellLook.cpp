#include "print/CellLook.h"

#include <algorithm>

#include "conditions/CellLooks.h"

namespace tessel::print {

CellPaint cellPaint(const grid::Sheet &sheet, int col, int row) {
    const grid::CellStyle &style = sheet.style(col, row);
    if (col < 1 || row < 1 || sheet.conditions().empty())
        return {style, std::nullopt, QColor()};
    const conditions::CellLook look = conditions::looksOf(sheet).look(sheet, col, row);
    if (look.isEmpty())
        return {style, std::nullopt, QColor()};
    return {conditions::withLook(style, look), look.bar, look.barColor};
}

QRectF barRect(const QRectF &cell, double share, double inset) {
    const QRectF inner = cell.adjusted(inset, inset, -inset, -inset);
    // A share out of range (a NaN included) draws nothing rather than past the cell.
    if (!(share > 0) || inner.width() <= 0 || inner.height() <= 0)
        return QRectF();
    QRectF bar = inner;
    bar.setWidth(inner.width() * std::min(share, 1.0));
    return bar;
}

}  // namespace tessel::print
