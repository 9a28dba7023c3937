// What the files of the sheet model share: the checks that refuse an address outside the
// sheet or an invalid size (Error(Argument), as Sheet.h says), and a cell block resolved
// against the sheet's counts. Not part of the model's interface.
#pragma once

#include <tessel/Error.h>

#include <QString>
#include <algorithm>
#include <cmath>

#include "grid/Sheet.h"

namespace tessel::grid::detail {

[[noreturn]] inline void refuse(const QString &message) {
    throw Error(Error::Category::Argument, message);
}

inline void checkCol(int col) {
    if (col < 0 || col > kMaxColNumber)
        refuse(
            QStringLiteral("Column %1 is outside the sheet (0 to %2)").arg(col).arg(kMaxColNumber));
}

inline void checkRow(int row) {
    if (row < 0 || row > kMaxRowNumber)
        refuse(QStringLiteral("Row %1 is outside the sheet (0 to %2)").arg(row).arg(kMaxRowNumber));
}

inline void checkCell(int col, int row) {
    checkCol(col);
    checkRow(row);
}

inline void checkBlock(const CellBlock &b) {
    for (int c : {b.col, b.col2}) {
        if (c != -1)
            checkCol(c);
    }
    for (int r : {b.row, b.row2}) {
        if (r != -1)
            checkRow(r);
    }
}

inline void checkSize(double size, const char *what) {
    if (!std::isfinite(size) || size < 0)
        refuse(QStringLiteral("Invalid %1 %2").arg(QLatin1String(what)).arg(size));
}

// A block resolved against the counts: -1 becomes the whole range, ends come in order.
struct Range {
    int c1, c2, r1, r2;
    bool wholeCols;  // row -1: the columns' own styles
    bool isEmpty() const { return c1 > c2 || r1 > r2; }
};

inline Range resolve(const CellBlock &b, int maxCols, int maxRows) {
    Range r{};
    r.wholeCols = b.row == -1 || b.row2 == -1;
    if (b.col == -1 || b.col2 == -1) {
        r.c1 = 1;
        r.c2 = maxCols;
    } else {
        r.c1 = std::min(b.col, b.col2);
        r.c2 = std::max(b.col, b.col2);
    }
    if (r.wholeCols) {
        r.r1 = 1;
        r.r2 = maxRows;
    } else {
        r.r1 = std::min(b.row, b.row2);
        r.r2 = std::max(b.row, b.row2);
    }
    return r;
}

}  // namespace tessel::grid::detail
