// Advance widths of printed text, measured once per character and font: the page painter
// places a cell's single-line text by them instead of laying it out a second time.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <vector>

namespace tessel::print {

// Whether `c` is drawn in context: a character whose glyph depends on its neighbours or whose
// text runs right to left (Hebrew, Arabic, Syriac, Thaana, the Indic and South-East Asian
// scripts, joiners, direction marks, the Arabic and Hebrew presentation forms), a surrogate,
// a combining mark or a control.
bool drawnInContext(QChar c);

// Whether `text` holds a character drawn in context: such a text is laid out by Qt rather
// than placed by cached widths.
bool laidOutByQt(const QString &text);

// Advance widths of one family and style, measured once per character on an unhinted
// reference font and scaled: unhinted advances grow linearly with the size. Laying a cell's
// text out by these widths avoids a second text layout just to align or clip it.
class FontWidths {
public:
    explicit FontWidths(const QFont &font) : m_metrics(reference(font)), m_advance(0x10000, -1.f) {}

    // Width of `text` at `points`, or -1 when the text holds characters measured only in
    // context (surrogate pairs, combining marks, controls, shaped and right-to-left scripts).
    double width(const QString &text, double points) const {
        double sum = 0;
        for (const QChar ch : text) {
            const double a = advance(ch);
            if (a < 0) {
                return -1;
            }
            sum += a;
        }
        return sum * points / kReferenceSize;
    }
    // How many leading characters of `text` fit into `available` points at `points`.
    int fit(const QString &text, double points, double available) const {
        const double limit = available * kReferenceSize / points;
        double sum = 0;
        int n = 0;
        for (const QChar ch : text) {
            const double a = advance(ch);
            if (a < 0 || sum + a > limit) {
                break;
            }
            sum += a;
            ++n;
        }
        return n;
    }
    double ascent(double points) const { return m_metrics.ascent() * points / kReferenceSize; }
    double descent(double points) const { return m_metrics.descent() * points / kReferenceSize; }

private:
    static constexpr int kReferenceSize = 100;  // pixels
    // Advance of one character at the reference size; -1 for one measured only in context.
    double advance(QChar ch) const {
        float &a = m_advance[ch.unicode()];
        if (a < 0) {
            if (drawnInContext(ch)) {
                return -1;
            }
            a = float(m_metrics.horizontalAdvance(ch));
        }
        return a;
    }
    static QFont reference(QFont font) {
        font.setPixelSize(kReferenceSize);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setUnderline(false);
        font.setStrikeOut(false);
        return font;
    }
    QFontMetricsF m_metrics;
    mutable std::vector<float> m_advance;
};

// The widths of `font`'s families and style, kept for the life of the thread: a report
// prints in a handful of fonts.
const FontWidths &fontWidths(const QFont &font);

}  // namespace tessel::print
