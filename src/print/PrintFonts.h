// The fonts printed text is drawn in: the family a sheet names, then installed families that
// cover the other scripts, and a record of the characters none of them can draw.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <QStringList>

#include "grid/Sheet.h"

namespace tessel::print {

// The family a cell or header/footer run prints in when it names none, and the point size of
// a cell font that gives none.
inline const QString kDefaultFamily = QStringLiteral("宋体");
inline constexpr double kDefaultCellFontSize = 9.0;
// Points; smaller sizes print at this size.
inline constexpr double kMinFontSize = 0.1;

// `family` (宋体 when empty) followed by the installed families every printed font falls back
// to, in order: the Chinese family (Simplified and Traditional Chinese, Japanese kana,
// Korean hangul, Latin, Cyrillic, Greek), then per-script families (Arabic, Hebrew,
// Devanagari, Thai, symbols) with the OpenType tables their shaping needs, then a
// monochrome emoji family. Families that are not installed are left out.
QStringList printFamilies(const QString &family);

// Records `text` when it holds a character that no family `font` falls back to can draw
// (line breaks, spaces and invisible format characters aside). Each character is looked up
// once per thread and family list; a text is recorded once.
void noteUndrawable(const QFont &font, const QString &text);

// The most texts noteUndrawable keeps, and a print reports.
inline constexpr qsizetype kMaxUndrawable = 20;

// Adds `text` to the undrawable texts `list` unless it is there or the list is full.
inline void addUndrawable(QStringList &list, const QString &text) {
    if (list.size() < kMaxUndrawable && !list.contains(text))
        list << text;
}

// The texts recorded by noteUndrawable on this thread since the last call, in order of
// first appearance, and forgets them. At most kMaxUndrawable are kept.
QStringList takeUndrawableTexts();

// Installs, once per process, a message handler that drops the font engine's notes on fonts
// it tried and passed over for a script ("OpenType support missing for …"), which the
// fallback families make harmless, and hands every other message to the handler that was
// installed before.
void quietFontEngineNotes();

// The point size a cell font prints and shows at: its own size, kDefaultCellFontSize when it
// gives none, never below kMinFontSize.
double cellPoints(const grid::CellFont &font);

// The font of a cell on screen: `font`'s family followed by the fallback families
// (printFamilies), its size in points (cellPoints), bold, italic, underline and strikeout as it
// sets them.
QFont cellFont(const grid::CellFont &font);

// The font a part of the sheet is printed in, sized for `painter` so that `points` is the
// height in the painter's coordinates. Families that are not installed (the sheet's default
// 宋体 among them) fall back to a Chinese-capable installed family; characters the family
// lacks come from the families printFamilies lists. Glyph advances are unhinted, so text
// positions stay exact when the painter scales.
QFont printFont(const QString &family, double points, bool bold, bool italic, bool underline,
                bool strikeout, const QPainter &painter);
// A cell's font as printed: cellFont's family, size and style, sized for `painter`.
QFont printFont(const grid::CellFont &font, const QPainter &painter);

// Registers the font substitutions for the Chinese families sheets name and quiets the font
// engine's notes on passed-over fonts (quietFontEngineNotes). Called by paintPage and the
// sheet view; safe to call more than once.
void setupPrintFonts();

}  // namespace tessel::print
