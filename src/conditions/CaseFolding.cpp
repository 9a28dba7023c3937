#include "conditions/CaseFolding.h"

#include <QLocale>

#include "grid/CellNumber.h"

namespace tessel::conditions {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

bool foldsToAscii(std::string_view text) {
    return text.find("\xE2\x84\xAA") != std::string_view::npos ||
           text.find("\xC5\xBF") != std::string_view::npos;
}

bool hasCasedCharacter(const QString &text) {
    for (const QChar c : text) {
        if (c.toLower() != c || c.toUpper() != c)
            return true;
    }
    return false;
}

PreparedValue::PreparedValue(const QVariant &value) {
    if (!value.isValid())
        return;
    if (value.typeId() == QMetaType::Double) {
        number = value.toDouble();
        text = QString::number(*number, 'g', QLocale::FloatingPointShortest);
    } else {
        text = value.toString();
        const QByteArray utf8 = text.toUtf8();
        number = grid::cellNumber(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    }
    const QByteArray utf8 = text.toUtf8();
    lowered = lowerAscii(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    ascii = isAscii(lowered);
    cased = hasCasedCharacter(text);
}

}  // namespace tessel::conditions
