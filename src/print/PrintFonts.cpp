#include "print/PrintFonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMessageLogContext>
#include <QPaintDevice>
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tessel::print {

namespace {

// The fallback families, installed or not. WenQuanYi Micro Hei carries CJK, kana, hangul,
// Latin, Cyrillic and Greek in one TrueType face. The script families are TrueType too, so
// PDF output embeds them as subsets (the CJK Noto fonts are CFF, which the PDF writer
// cannot subset); Symbola draws emoji in outline, one colour.
const char *const kFallbacks[] = {"WenQuanYi Micro Hei",  "Noto Sans Arabic",   "Noto Sans Hebrew",
                                  "Noto Sans Devanagari", "Noto Sans Thai",     "Noto Sans",
                                  "Noto Sans Symbols",    "Noto Sans Symbols2", "Symbola",
                                  "DejaVu Sans"};

// The family of kFallbacks that carries Chinese glyphs, substituted for the Chinese families
// sheets name when the system does not have them.
const char *const kChineseFallback = kFallbacks[0];

const QStringList &installedFallbacks() {
    static const QStringList families = [] {
        QStringList out;
        for (const char *f : kFallbacks) {
            const QString name = QString::fromUtf8(f);
            if (QFontDatabase::hasFamily(name)) {
                out << name;
            }
        }
        return out;
    }();
    return families;
}

// Characters that are not drawn as a glyph of their own: controls, format characters
// (joiners, direction marks), separators and variation selectors.
bool invisible(char32_t c) {
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) ||
        (c >= 0xE0000 && c <= 0xE007F)) {
        return true;
    }
    switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
    }
}

// Which characters some family of one family list draws, found once per character: the
// metrics of a family list answer for the whole fallback chain.
class Coverage {
public:
    explicit Coverage(const QFont &font) : m_metrics(font), m_bmp(0x10000, -1) {}
    bool draws(char32_t c) {
        if (c < 0x10000) {
            signed char &known = m_bmp[c];
            if (known < 0) {
                known = m_metrics.inFontUcs4(c) ? 1 : 0;
            }
            return known != 0;
        }
        const auto it = m_astral.find(c);
        if (it != m_astral.end()) {
            return it->second;
        }
        return m_astral[c] = m_metrics.inFontUcs4(c);
    }

private:
    QFontMetricsF m_metrics;
    std::vector<signed char> m_bmp;
    std::unordered_map<char32_t, bool> m_astral;
};

struct UndrawableLog {
    QStringList texts;
    std::map<QStringList, std::unique_ptr<Coverage>> coverage;
    QStringList lastFamilies;  // the family list last looked up, and its coverage
    Coverage *last = nullptr;
};

UndrawableLog &undrawableLog() {
    thread_local UndrawableLog log;
    return log;
}

QtMessageHandler g_previousHandler = nullptr;

void fontNoteFilter(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (type == QtWarningMsg &&
        message.trimmed().startsWith(QLatin1String("OpenType support missing for"))) {
        return;
    }
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    }
}

}  // namespace

QStringList printFamilies(const QString &family) {
    QStringList families{family.isEmpty() ? kDefaultFamily : family};
    for (const QString &f : installedFallbacks()) {
        if (f != families.front()) {
            families << f;
        }
    }
    return families;
}

void noteUndrawable(const QFont &font, const QString &text) {
    UndrawableLog &log = undrawableLog();
    Coverage *coverage = nullptr;
    const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *end = p + text.size();
    while (p < end) {
        char32_t c = *p++;
        if (c < 0x80) {
            continue;
        }
        if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        }
        if (invisible(c)) {
            continue;
        }
        if (!coverage) {
            const QStringList families = font.families();
            if (!log.last || log.lastFamilies != families) {
                auto &slot = log.coverage[families];
                if (!slot) {
                    slot = std::make_unique<Coverage>(font);
                }
                log.last = slot.get();
                log.lastFamilies = families;
            }
            coverage = log.last;
        }
        if (!coverage->draws(c)) {
            addUndrawable(log.texts, text);
            return;
        }
    }
}

QStringList takeUndrawableTexts() {
    QStringList out;
    out.swap(undrawableLog().texts);
    return out;
}

void quietFontEngineNotes() {
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = qInstallMessageHandler(fontNoteFilter); });
}

void setupPrintFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        quietFontEngineNotes();
        // Families Chinese reports name that this system may not have.
        for (const char *family : {"宋体", "新宋体", "黑体", "楷体", "仿宋", "微软雅黑", "SimSun",
                                   "NSimSun", "SimHei", "KaiTi", "FangSong", "Microsoft YaHei"}) {
            const QString name = QString::fromUtf8(family);
            if (!QFontDatabase::hasFamily(name)) {
                QFont::insertSubstitution(name, QString::fromUtf8(kChineseFallback));
            }
        }
    });
}

double cellPoints(const grid::CellFont &f) {
    return std::max(kMinFontSize, f.size > 0 ? f.size : kDefaultCellFontSize);
}

QFont cellFont(const grid::CellFont &f) {
    QFont font;
    font.setFamilies(printFamilies(f.name));
    font.setPointSizeF(cellPoints(f));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    return font;
}

QFont printFont(const QString &family, double points, bool bold, bool italic, bool underline,
                bool strikeout, const QPainter &painter) {
    QFont font;
    font.setFamilies(printFamilies(family));
    // Point sizes are resolved with the device's resolution, then the painter's transform
    // applies; dividing by the resolution's share makes `points` the size in painter units.
    const QPaintDevice *device = painter.device();
    const int dpi = device ? device->logicalDpiY() : 72;
    font.setPointSizeF(std::max(kMinFontSize, points) * 72.0 / (dpi > 0 ? dpi : 72));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeout);
    // Unhinted glyph advances keep text positions exact when the painter scales.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont printFont(const grid::CellFont &f, const QPainter &painter) {
    return printFont(f.name, cellPoints(f), f.bold, f.italic, f.underline, f.strikeout, painter);
}

}  // namespace tessel::print
