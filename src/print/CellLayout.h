// How a cell's text is placed in its cell: the one rule the page painter and the sheet view
// share, so a cell reads the same on screen and on paper.
#pragma once

#include <QString>
#include <functional>

#include "grid/Sheet.h"

namespace tessel::print {

// Spreadsheet column letters: 1 -> "A", 26 -> "Z", 27 -> "AA"; "" for 0 and below.
QString columnLetters(int col);

// The label a column header shows for column `col`: the text of its cell in row 0, or its
// letters when that cell has no text. The label of row header `row`: the text of its cell
// in column 0, or its number.
QString columnLabel(const grid::Sheet &sheet, int col);
QString rowLabel(const grid::Sheet &sheet, int row);

enum class TextAlign { Left, Center, Right };

// Where a cell's text sits across its cell. An explicit alignment is kept. A general one
// centres header labels, buttons and pictures' captions; puts a number (`number`: the
// column's format, or the text itself, says it is one) and a text that starts right to left
// (Arabic, Hebrew) at the right; everything else at the left.
TextAlign cellTextAlign(const grid::CellStyle &style, const QString &text, bool header,
                        bool number);

// Points between a cell's edge and its text on paper, on either side.
constexpr double kCellPaddingPoints = 2.0;

// The smallest share of its size a formatted number is drawn at to show whole: any smaller
// and it no longer reads as one of its column. A report's run widens a column whose numbers
// need more (widenForNumbers); on a column narrowed by hand such a number shows as "#" marks.
constexpr double kSmallestNumberScale = 0.7;

// A cell's text as it is drawn: the characters, and the share of the cell's font size.
struct FittedText {
    QString text;
    double scale = 1.0;
};

// The text a cell shows of `text` in `available` width units, measured at the cell's font
// size by `width` (a negative width counts as too wide): the text itself when it fits. A
// number too wide is never cut, since a number cut short reads as another number: a formatted
// one (`formatted`: its column's format made the text) is drawn smaller, down to
// kSmallestNumberScale, and otherwise, like any other number, rounded to the decimals that
// fit or shown as "#" marks. Any other text is left whole, for the caller to cut or clip.
FittedText fitCellText(const QString &text, bool number, bool formatted, double available,
                       const std::function<double(const QString &)> &width);

}  // namespace tessel::print
