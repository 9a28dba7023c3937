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

// The text a cell shows of `text` in `available` width units, measured by `width` (a
// negative width counts as too wide): the text itself when it fits; a number too wide is
// rounded to the decimals that fit or shows as "#" marks, since a number cut short reads as
// another number; any other text is left whole, for the caller to cut or clip.
QString fittedCellText(const QString &text, bool number, double available,
                       const std::function<double(const QString &)> &width);

}  // namespace tessel::print
