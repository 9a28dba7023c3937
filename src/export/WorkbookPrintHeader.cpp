#include "export/WorkbookPrintHeader.h"

#include <QString>
#include <algorithm>
#include <cmath>

#include "print/Pagination.h"

namespace tessel::exports {

namespace {

int pointSize(double size) {
    return std::max(1, int(std::lround(size > 0 ? size : print::kDefaultCodeFontSize)));
}

QString escaped(QString text) {
    text.replace(print::kValueSlash, u'/');
    text.replace(u'&', QStringLiteral("&&"));
    return text;
}

QString fontCode(const print::CodeFont &font) {
    QString name = font.name;
    name.remove(u'"');
    const char *style = font.bold && font.italic ? "Bold Italic"
                        : font.bold              ? "Bold"
                        : font.italic            ? "Italic"
                                                 : "Regular";
    // "-" is the workbook's default font.
    return QStringLiteral("&\"%1,%2\"")
        .arg(name.isEmpty() ? QStringLiteral("-") : name, QLatin1String(style));
}

// With `fonts` false only the texts, the page numbers and the line feeds are written: a size
// code is left out too, as the digits of a text after it would read as part of it.
QString compose(const std::vector<print::PrintedLine> &lines, bool fonts) {
    static const char *const kSections[3] = {"&L", "&C", "&R"};
    QString out;
    for (int pos = 0; pos < 3; ++pos) {
        int last = -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].parts[pos].empty())
                last = int(i);
        }
        if (last < 0)
            continue;
        out += QLatin1String(kSections[pos]);
        // A section starts in the default font: underline and strikeout off, no size or font
        // set. A code is written where a run's differs from the one before.
        bool underline = false, strikeout = false;
        int shownSize = 0;
        QString shownFont;
        for (int i = 0; i <= last; ++i) {
            if (i > 0)
                out += u'\n';
            const print::PrintedLine &line = lines[std::size_t(i)];
            const int lineSize =
                pointSize(print::Pagination::codeLineHeight(line) / print::kCodeLineFactor);
            int partSize = 0;
            for (const print::CodeRun &run : line.parts[pos]) {
                const int size = pointSize(run.font.size);
                partSize = std::max(partSize, size);
                if (fonts) {
                    const QString font = fontCode(run.font);
                    // The font name's code ends the size's digits: after a size, a font
                    // code always follows.
                    if (size != shownSize || font != shownFont)
                        out += QStringLiteral("&%1").arg(size) + font;
                    shownSize = size;
                    shownFont = font;
                    if (run.font.underline != underline) {
                        out += QLatin1String("&U");
                        underline = run.font.underline;
                    }
                    if (run.font.strikeout != strikeout) {
                        out += QLatin1String("&S");
                        strikeout = run.font.strikeout;
                    }
                }
                out += run.pageNumber ? QStringLiteral("&P") : escaped(run.text);
            }
            // A part lower than its line (or none) is raised to the line's height by a space
            // in the line's size, so that the section's next line stands beside the others'.
            if (fonts && i < last && partSize < lineSize) {
                out += QStringLiteral("&%1 ").arg(lineSize);
                shownSize = lineSize;
            }
        }
    }
    return out;
}

qsizetype characters(const QString &s) {
    return s.size() - std::count_if(s.begin(), s.end(), [](QChar c) { return c.isLowSurrogate(); });
}

// The first kPrintHeaderMax characters of `codes`, less the start of a code cut in two.
QString cut(const QString &codes) {
    qsizetype end = 0;
    for (int n = 0; end < codes.size() && n < kPrintHeaderMax; ++n)
        end += codes[end].isHighSurrogate() && end + 1 < codes.size() ? 2 : 1;
    qsizetype ampersands = 0;
    while (ampersands < end && codes[end - 1 - ampersands] == u'&')
        ++ampersands;
    return codes.left(end - ampersands % 2);
}

}  // namespace

PrintHeaderText printHeaderCodes(const std::vector<print::PrintedLine> &lines) {
    PrintHeaderText out;
    QString codes = compose(lines, true);
    if (characters(codes) > kPrintHeaderMax) {
        out.shortened = true;
        codes = compose(lines, false);
        if (characters(codes) > kPrintHeaderMax)
            codes = cut(codes);
    }
    out.codes = codes.toStdString();
    return out;
}

}  // namespace tessel::exports
