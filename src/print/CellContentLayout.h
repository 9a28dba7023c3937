// Where a cell's content goes: its picture and caption, and a text over several lines. The page
// painter and the sheet view both lay a cell out here, so a cell reads the same on screen as on
// paper.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <QTextOption>

#include "grid/Sheet.h"

class QTextLayout;

namespace tessel::print {

// The grey of a cell's border when its style names no colour, on screen and on paper.
inline constexpr QRgb kDefaultBorderGrey = qRgb(128, 128, 128);
// The grey of the grid lines a report prints between its cells (PrintSettings::gridLines).
inline constexpr QRgb kGridLineGrey = qRgb(192, 192, 192);

// Where a cell's picture and its text go, in the cell's units.
struct CellContentBoxes {
    QRectF picture;  // empty: no picture
    QRectF text;     // empty: no text shows
};

// Lays out a cell of style `style` in `cell` (any unit: points on paper, pixels on screen), its
// text kept `padding` from the left and right edges. A picture or button cell (style.kind) with
// a picture of `pictureSize` (empty: none) shows it scaled, keeping its aspect, to fit a square
// of the cell's smaller side, centred vertically: alone in the cell's centre (PictureOnly, no
// text), at the cell's left edge with the text after it (PictureLeftCaptionRight), or at its
// right edge with the text before it (CaptionLeftPictureRight). Any other cell: no picture, the
// padded cell for the text.
CellContentBoxes cellContentBoxes(const QRectF &cell, double padding, const grid::CellStyle &style,
                                  const QSizeF &pictureSize);

// Whether a cell's text is laid out over lines (cellTextLayout) rather than drawn on one line:
// a text holding a line break, a text `width` wide (on one line) when `wrap` and `room` is less,
// or one whose width could not be measured (`width` negative: characters shaped only in
// context).
inline bool laysOutLines(const QString &text, double width, double room, bool wrap) {
    return width < 0 || (wrap && width > room) || text.contains(u'\n');
}

// The options a cell's text is laid out with: aligned by `align` (absolute: left stays left),
// wrapped at word boundaries when `wrap`, in the direction of the text's first strong character.
QTextOption cellTextOption(const QString &text, Qt::Alignment align, bool wrap);

// The text a cell lays out: its line breaks as line separators, as QTextLayout takes them.
QString cellLayoutText(const QString &text);

// Lays `layout` (made over cellLayoutText of a cell's text, with its font and device) out in
// `rect` by cellTextOption(align, wrap): lines as wide as the rectangle, one under the other,
// centred vertically as a whole. Returns the point the laid-out lines are drawn from.
QPointF layOutCellText(QTextLayout &layout, const QRectF &rect, Qt::Alignment align, bool wrap);

}  // namespace tessel::print
