#include "print/codes/HeaderFooterCodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "base/Language.h"
#include "base/ValueText.h"
#include "grid/Sheet.h"

namespace tessel::print {

using print::CodeCell;
using print::CodeLine;
using print::CodePos;

namespace {

QString flag(const char *code, bool on) {
    return QLatin1String(code) + (on ? u'1' : u'0');
}

// Sizes are held as single precision in the editor's font. The text is the shortest one that
// reads back as the same float (10.3 rather than 10.30000019), so compose -> parse -> compose
// is stable, and it is written in plain decimal notation, without an exponent, spelled from
// those digits (1.5e20 as 150000000000000000000, not as its binary expansion).
QString sizeText(double size) {
    const float f = float(size);
    if (!std::isfinite(f) || f == 0.0f)
        return QStringLiteral("0");
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::scientific);
    const QString scientific = QString::fromLatin1(buffer, end.ptr - buffer);  // "-1.03e+01"
    const qsizetype e = scientific.indexOf(u'e');
    const int exponent = scientific.mid(e + 1).toInt();
    const QString digits = scientific.left(e).remove(u'-').remove(u'.');
    QString text;
    if (exponent >= 0) {
        text = digits.left(exponent + 1).leftJustified(exponent + 1, u'0');
        if (digits.size() > exponent + 1)
            text += u'.' + digits.mid(exponent + 1);
    } else {
        text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    }
    return f < 0 ? u'-' + text : text;
}

}  // namespace

QString composeCell(const CodeCell &cell, CodePos pos) {
    if (cell.text.isEmpty())
        return {};
    static const char *const kAlign[] = {"/l", "/c", "/r"};
    QString out;
    out += QLatin1String("/fn\"") + cell.font.name + u'"';
    out += QLatin1String("/fz\"") + sizeText(cell.font.size) + u'"';
    out += flag("/fb", cell.font.bold);
    out += flag("/fi", cell.font.italic);
    out += flag("/fu", cell.font.underline);
    out += flag("/fk", cell.font.strikeout);
    out += QLatin1String(kAlign[int(pos)]);
    // A page number may stand inside a text (第<Page Number>页): each one is written as "/p"
    // in its place, which the parse reads back as the same text.
    out += QString(cell.text).replace(print::kPageNumberText, QLatin1String("/p"));
    return out;
}

QString composeLayout(const std::vector<CodeLine> &lines) {
    auto hasText = [](const CodeLine &line) {
        for (const CodeCell &cell : line.cells)
            if (!cell.text.isEmpty())
                return true;
        return false;
    };
    size_t count = lines.size();
    while (count > 0 && !hasText(lines[count - 1]))
        --count;
    QString out;
    for (size_t n = 0; n < count; ++n) {
        for (CodePos pos : {CodePos::Left, CodePos::Center, CodePos::Right})
            out += composeCell(lines[n].cells[int(pos)], pos);
        out += QLatin1String("/n");
    }
    return out;
}

namespace {
// A value goes into a code string, where "/" starts a code and has no escape: a date such
// as 2026/12/7 would lose "/1" and "/7" as unknown codes. Values carry the division slash
// instead, which prints the same.
QString asCodeText(QString value) {
    return value.replace(u'/', kValueSlash);
}
}  // namespace

std::vector<Placeholder> listedPlaceholders(const QVariantList &tslVar) {
    std::vector<Placeholder> out;
    for (const QVariant &row : tslVar) {
        const QVariantList fields = row.toList();
        QString name = fields.value(0).toString();
        // A nameless row carries the bare prefix "V". An empty name would match between
        // every two characters, so it is left out as well.
        if (name.isEmpty() || name == QLatin1String("V"))
            continue;
        out.push_back({std::move(name), base::valueToText(fields.value(1))});
    }
    return out;
}

DateForms placeholderDateForms(const QLocale &system, const QLocale &interfaceLanguage) {
    if (system.language() != QLocale::C) {
        return {system, system.dateFormat(QLocale::ShortFormat),
                system.dateTimeFormat(QLocale::ShortFormat)};
    }
    if (interfaceLanguage.language() == QLocale::Chinese) {
        return {interfaceLanguage, QStringLiteral("yyyy-MM-dd"),
                QStringLiteral("yyyy-MM-dd HH:mm")};
    }
    return {interfaceLanguage, interfaceLanguage.dateFormat(QLocale::ShortFormat),
            interfaceLanguage.dateTimeFormat(QLocale::ShortFormat)};
}

QString substituteVariables(const QString &text, const QVariantList &tslVar, const QDateTime &now,
                            const DateForms &forms) {
    QString out = text;
    // Rows are applied one after another over the growing text, so a value that contains a
    // later row's name is rewritten by that row too, and an earlier, shorter name rewrites
    // the start of a longer one.
    for (const Placeholder &p : listedPlaceholders(tslVar))
        out.replace(p.name, asCodeText(p.value));
    out.replace(kTimePlaceholder, asCodeText(forms.locale.toString(now, forms.dateTime)));
    out.replace(kDatePlaceholder, asCodeText(forms.locale.toString(now.date(), forms.date)));
    return out;
}

QString substituteVariables(const QString &text, const QVariantList &tslVar) {
    return substituteVariables(text, tslVar, QDateTime::currentDateTime(),
                               placeholderDateForms(QLocale::system(), base::interfaceLanguage()));
}

bool substituteSheetVariables(grid::Sheet &sheet, const QVariantList &tslVar) {
    grid::PrintSettings &print = sheet.printSettings();
    const QString header = substituteVariables(print.header, tslVar);
    const QString footer = substituteVariables(print.footer, tslVar);
    if (header == print.header && footer == print.footer)
        return false;
    print.header = header;
    print.footer = footer;
    sheet.notifyPrintChanged();
    return true;
}

}  // namespace tessel::print
