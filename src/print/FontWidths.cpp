#include "print/FontWidths.h"

#include <QStringList>
#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

namespace tessel::print {

namespace {

// The code points of the contextual and right-to-left scripts, joiners, direction marks and
// presentation forms (see drawnInContext).
bool contextual(char16_t c) {
    return (c >= 0x0590 && c <= 0x10FF) || (c >= 0x1700 && c <= 0x1CFF) ||
           (c >= 0x200C && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || (c >= 0xA800 && c <= 0xABFF) ||
           (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

}  // namespace

bool drawnInContext(QChar ch) {
    return ch.isSurrogate() || ch.isMark() || ch.category() == QChar::Other_Control ||
           contextual(ch.unicode());
}

bool laidOutByQt(const QString &text) {
    return std::any_of(text.begin(), text.end(), drawnInContext);
}

const FontWidths &fontWidths(const QFont &font) {
    thread_local std::map<std::tuple<QStringList, bool, bool>, std::unique_ptr<FontWidths>> cache;
    auto &slot = cache[{font.families(), font.bold(), font.italic()}];
    if (!slot) {
        slot = std::make_unique<FontWidths>(font);
    }
    return *slot;
}

}  // namespace tessel::print
