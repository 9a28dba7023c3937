// Header/footer code strings: the parser, the composer and the variable substitution.
//
// Input: a code string as UTF-8, optionally followed by a report variable list: NUL, name,
// NUL, value, … (names as stored, with their "V").
//
// Properties:
//  - parsing any string ends (with or without one of the three errors);
//  - the composed form of a parsed layout parses without error, whatever font state the
//    parser holds, gives every cell back with its text, font name and styles, and composes
//    to the same string again (compose -> parse -> compose is stable);
//  - with an empty variable list only "V时间" and "V日期" are replaced;
//  - a substituted value never brings a "/" (a code) into the string, and a list none of
//    whose names occurs changes nothing.
#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <QVariantList>

#include "FuzzSupport.h"
#include "print/codes/HeaderFooterCodes.h"
#include "print/codes/PrintCodes.h"

using tessel::print::CodeCell;
using tessel::print::CodeFont;
using tessel::print::CodeLayout;
using tessel::print::composeLayout;
using tessel::print::parseCodes;
using tessel::print::substituteVariables;

namespace {

const QString kTime = QStringLiteral("V时间");
const QString kDate = QStringLiteral("V日期");

QString describe(const QString &input, const QString &composed) {
    return QStringLiteral("input: %1\ncomposed: %2").arg(input, composed);
}

void checkRoundTrip(const QString &input) {
    CodeFont state;
    const CodeLayout first = parseCodes(input, state);
    const QString composed = composeLayout(first.lines);

    // The state the first parse left behind stands for an editor that parsed before.
    CodeFont used = state;
    const CodeLayout again = parseCodes(composed, used);
    FUZZ_REQUIRE(again.error.isEmpty(), describe(input, composed) + u'\n' + again.error);
    FUZZ_REQUIRE(again.lines == parseCodes(composed).lines,
                 QStringLiteral("the parser's font state leaks into a composed string\n") +
                     describe(input, composed));
    const QString recomposed = composeLayout(again.lines);
    FUZZ_REQUIRE(recomposed == composed, describe(input, composed) + u'\n' + recomposed);

    for (size_t n = 0; n < first.lines.size(); ++n) {
        for (int pos = 0; pos < 3; ++pos) {
            const CodeCell &a = first.lines[n].cells[pos];
            const CodeCell *b = n < again.lines.size() ? &again.lines[n].cells[pos] : nullptr;
            const auto where = [&] {
                return QStringLiteral("line %1 position %2\n").arg(n).arg(pos) +
                       describe(input, composed);
            };
            if (a.text.isEmpty()) {
                FUZZ_REQUIRE(!b || b->text.isEmpty(), where());
                continue;
            }
            FUZZ_REQUIRE(b && b->text == a.text, where());
            FUZZ_REQUIRE(b->font.name == a.font.name && b->font.bold == a.font.bold &&
                             b->font.italic == a.font.italic &&
                             b->font.underline == a.font.underline &&
                             b->font.strikeout == a.font.strikeout,
                         where());
        }
    }
}

// `s` with every "V时间" and "V日期" replaced in one scan from the left.
QString replaceBuiltIns(const QString &s, const QString &time, const QString &date) {
    QString out;
    for (qsizetype i = 0; i < s.size();) {
        const QStringView rest = QStringView(s).mid(i);
        if (rest.startsWith(kTime)) {
            out += time;
            i += kTime.size();
        } else if (rest.startsWith(kDate)) {
            out += date;
            i += kDate.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

void checkSubstitution(const QString &text, const QVariantList &list) {
    // A fixed moment and a locale whose dates are written with "/".
    static const QDateTime now(QDate(2026, 12, 7), QTime(9, 5, 3));
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    static const tessel::print::DateForms forms =
        tessel::print::placeholderDateForms(locale, locale);
    static const QString time = substituteVariables(kTime, {}, now, forms);
    static const QString date = substituteVariables(kDate, {}, now, forms);

    const QString plain = substituteVariables(text, {}, now, forms);
    FUZZ_REQUIRE(plain == replaceBuiltIns(text, time, date),
                 QStringLiteral("text: %1\nresult: %2").arg(text, plain));

    const QString result = substituteVariables(text, list, now, forms);
    FUZZ_REQUIRE(result.count(u'/') <= text.count(u'/'),
                 QStringLiteral("text: %1\nresult: %2").arg(text, result));
    bool anyOccurs = text.contains(kTime) || text.contains(kDate);
    for (const QVariant &row : list) {
        const QString name = row.toList().value(0).toString();
        if (!name.isEmpty() && name != QLatin1String("V") && text.contains(name))
            anyOccurs = true;
    }
    if (!anyOccurs) {
        FUZZ_REQUIRE(result == text, QStringLiteral("text: %1\nresult: %2").arg(text, result));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QStringList parts = tessel::fuzz::utf8(data, size).split(QChar(0));
    const QString &text = parts.front();
    QVariantList list;
    for (qsizetype i = 1; i < parts.size(); i += 2)
        list.push_back(QVariantList{parts[i], parts.value(i + 1)});

    checkRoundTrip(text);
    checkSubstitution(text, list);
    return 0;
}
