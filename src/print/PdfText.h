// Text in PDF files as readers extract it. The PDF writer names the characters of a glyph
// only when the font maps a character of the Basic Multilingual Plane straight to it; glyphs
// that shaping makes (Arabic ligatures, Devanagari conjuncts and vowel forms) and glyphs of
// characters beyond that plane (emoji) come out as nothing. Texts laid out through
// drawLaidOut while a GlyphTextRecorder is active are remembered glyph by glyph, and
// completePdfFonts gives those glyphs their characters in the written file. It also names
// every embedded font as the subset it is.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>
#include <vector>

namespace tessel::print {

// The glyphs drawn through drawLaidOut on this thread while the recorder lives, per font
// (by PostScript name): those the font's character map does not reach, in the order they
// were first drawn, with the text each stands for (empty when its cluster's text went to
// another glyph).
class GlyphTextRecorder {
public:
    GlyphTextRecorder();
    ~GlyphTextRecorder();
    GlyphTextRecorder(const GlyphTextRecorder &) = delete;
    GlyphTextRecorder &operator=(const GlyphTextRecorder &) = delete;

    struct Glyph {
        quint32 index;
        QString text;
    };
    // The unmapped glyphs of the font with PostScript name `postscriptName`, in first-drawn
    // order; empty for a font nothing was recorded for.
    std::vector<Glyph> glyphs(const QByteArray &postscriptName) const;

    struct Data;
    Data &data() { return *m_data; }

private:
    std::unique_ptr<Data> m_data;
    GlyphTextRecorder *m_outer;
};

// Lays `text` out with `font` in `rect` (the painter's units) as a cell's text is laid out
// (layOutCellText: wrapped at word boundaries when `wrap`, line breaks kept, lines centred
// vertically, aligned by `align`) and draws it. Draws nothing outside what the painter's clip
// allows. Records the glyphs for an active GlyphTextRecorder.
void drawLaidOut(QPainter &painter, const QFont &font, const QRectF &rect, const QString &text,
                 Qt::Alignment align, bool wrap);

// Draws one line of `text` with `font` starting at `origin` on the baseline, as
// QPainter::drawText(origin, text) does, recording its glyphs like drawLaidOut.
void drawLaidOutLine(QPainter &painter, const QFont &font, const QPointF &origin,
                     const QString &text);

// Rewrites the end of a PDF file the Qt PDF writer wrote, `tail` being its bytes from
// offset `tailOffset` on (the part written when the painter ended: the last page, the fonts,
// the page tree, the cross-reference table): each font's /BaseFont takes its subset name
// (the "ABCDEF+" tag of its descriptor), and each font the recorder saw gets the characters
// of its unmapped glyphs in its /ToUnicode map, when the glyphs the file holds agree with the
// recorded ones in number. Returns the new tail; `tail` unchanged when it cannot be read.
QByteArray completePdfFonts(const QByteArray &tail, qint64 tailOffset,
                            const GlyphTextRecorder &recorder);

}  // namespace tessel::print
