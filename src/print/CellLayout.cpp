#include "print/CellLayout.h"

#include "grid/NumberFit.h"

namespace tessel::print {

QString columnLetters(int col) {
    QString s;
    while (col > 0) {
        --col;
        s.prepend(QChar(u'A' + col % 26));
        col /= 26;
    }
    return s;
}

QString columnLabel(const grid::Sheet &sheet, int col) {
    return sheet.hasText(col, 0) ? sheet.text(col, 0) : columnLetters(col);
}

QString rowLabel(const grid::Sheet &sheet, int row) {
    return sheet.hasText(0, row) ? sheet.text(0, row) : QString::number(row);
}

TextAlign cellTextAlign(const grid::CellStyle &style, const QString &text, bool header,
                        bool number) {
    switch (style.align) {
        case grid::HAlign::Left:
            return TextAlign::Left;
        case grid::HAlign::Center:
            return TextAlign::Center;
        case grid::HAlign::Right:
            return TextAlign::Right;
        case grid::HAlign::General:
            break;
    }
    if (header || style.kind == grid::CellKind::Button || style.kind == grid::CellKind::Picture) {
        return TextAlign::Center;
    }
    // A text that starts right to left begins at the right edge, as it is read.
    return number || text.isRightToLeft() ? TextAlign::Right : TextAlign::Left;
}

FittedText fitCellText(const QString &text, bool number, bool formatted, double available,
                       const std::function<double(const QString &)> &width) {
    // Only a number is measured: the sheet view paints every visible cell through here.
    if (!number) {
        return {text};
    }
    const double w = width(text);
    if (w >= 0 && w <= available) {
        return {text};
    }
    if (formatted && w > 0 && w * kSmallestNumberScale <= available) {
        return {text, available / w};
    }
    return {grid::fitNumberText(text, available, [&](const QString &t) {
        const double tw = width(t);
        return tw < 0 ? available + 1 : tw;
    })};
}

}  // namespace tessel::print
