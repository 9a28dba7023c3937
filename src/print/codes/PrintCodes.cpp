#include "print/codes/PrintCodes.h"

#include <QStringList>
#include <cmath>
#include <utility>

namespace tessel::print {

namespace {

// A font name or size longer than this is taken as a malformed string: no installed font
// has such a name and no size needs such a text, and the bound keeps a lost closing quote
// from swallowing the rest of the string into a name.
constexpr qsizetype kMaxQuotedLength = 100;

// The walk over one code string. Positions are 0-based; a position past the end reads as
// no character, which matches no code letter.
class Parser {
public:
    Parser(const QString &s, CodeFont &font) : s_(s), font_(font) {}

    CodeLayout run() {
        // Every character is read, the last one included, so a string that ends in a text
        // run (a part written without the closing "/n") loads its text rather than failing.
        for (qsizetype i = 0; i < s_.size() && out_.error.isEmpty(); ++i)
            i = step(i);
        return std::move(out_);
    }

private:
    QChar at(qsizetype i) const { return i < s_.size() ? s_.at(i) : QChar(); }

    CodeCell &current() {
        touchLine();
        return out_.lines[size_t(line_)].cells[int(pos_)];
    }
    std::vector<CodeRun> &currentRuns() {
        touchLine();
        return out_.printed[size_t(line_)].parts[int(pos_)];
    }
    void touchLine() {
        if (out_.lines.size() <= size_t(line_)) {
            out_.lines.resize(size_t(line_) + 1);
            out_.printed.resize(size_t(line_) + 1);
        }
    }

    // Text runs and page numbers of one part accumulate in order, each in the part's font
    // at that point, so "第/p页" prints around its page number.
    void addRun(const QString &text, bool pageNumber) {
        std::vector<CodeRun> &runs = currentRuns();
        CodeCell &cell = current();
        if (runs.empty() && partAligned_)
            cell.font = partFont_;
        cell.text += pageNumber ? kPageNumberText : text;
        runs.push_back(CodeRun{pageNumber ? QString() : text, pageNumber, partFont_});
    }

    // Reads the code or text run at `i`; returns the position of its last character.
    qsizetype step(qsizetype i) {
        if (at(i) != u'/') {
            // A text run has no length limit and ends at the next "/" or the end.
            qsizetype j = s_.indexOf(u'/', i);
            if (j < 0)
                j = s_.size();
            addRun(s_.mid(i, j - i), false);
            return j - 1;
        }
        switch (at(i + 1).unicode()) {
            case u'n':
                // The position is kept: text may follow without an alignment code, in a part
                // of its own that has no font yet.
                ++line_;
                partFont_ = CodeFont{};
                partAligned_ = false;
                return i + 1;
            case u'l':
                align(CodePos::Left);
                return i + 1;
            case u'c':
                align(CodePos::Center);
                return i + 1;
            case u'r':
                align(CodePos::Right);
                return i + 1;
            case u'p':
                addRun(QString(), true);
                return i + 1;
            case u'f':
                return fontCode(i);
            default:
                return i + 1;  // unknown code or a lone "/" at the end: two characters
        }
    }

    // An alignment code starts its part afresh: what an earlier part at the same place held
    // is replaced.
    void align(CodePos pos) {
        pos_ = pos;
        CodeCell &cell = current();
        cell.text.clear();
        cell.font = font_;
        currentRuns().clear();
        partFont_ = font_;
        partAligned_ = true;
    }

    qsizetype fontCode(qsizetype i) {
        const QChar which = at(i + 2);
        if (which == u'n' || which == u'z') {
            // The character after the letter stands for the opening quote whatever it is.
            const qsizetype start = i + 4;
            const qsizetype close = start < s_.size() ? s_.indexOf(u'"', start) : -1;
            if (close < 0 || close - start >= kMaxQuotedLength) {
                out_.error = which == u'n' ? QStringLiteral("Error parsing FONT NAME")
                                           : QStringLiteral("Error parsing FONT SIZE");
                return s_.size();
            }
            const QString value = s_.mid(start, close - start);
            if (which == u'n') {
                font_.name = partFont_.name = value;
            } else {
                // Sizes are real numbers (10.5 stays 10.5). A size that is not a number
                // counts as 0, the size of a state no size code has set.
                bool ok = false;
                const double size = value.toDouble(&ok);
                font_.size = partFont_.size = ok && std::isfinite(size) ? size : 0.0;
            }
            return close;
        }
        bool CodeFont::*flag = nullptr;
        switch (which.unicode()) {
            case u'b':
                flag = &CodeFont::bold;
                break;
            case u'i':
                flag = &CodeFont::italic;
                break;
            case u'u':
                flag = &CodeFont::underline;
                break;
            case u'k':
                flag = &CodeFont::strikeout;
                break;
            default:
                return i + 2;  // unknown font code: three characters
        }
        // Only "0" turns a style off; any other character, or none, turns it on.
        font_.*flag = partFont_.*flag = at(i + 3) != u'0';
        return i + 3;
    }

    const QString &s_;
    CodeFont &font_;
    CodeLayout out_;
    int line_ = 0;
    CodePos pos_ = CodePos::Left;
    // The font of the current part from here on: a font code changes it together with the
    // state, so a size set mid-part applies to the runs after it.
    CodeFont partFont_;
    bool partAligned_ = false;  // the current part was begun by an alignment code
};

}  // namespace

CodeLayout parseCodes(const QString &codes, CodeFont &fontState) {
    return Parser(codes, fontState).run();
}

CodeLayout parseCodes(const QString &codes) {
    CodeFont fresh;
    return parseCodes(codes, fresh);
}

std::vector<PlainLine> plainTextLines(const QString &codes) {
    std::vector<PlainLine> out;
    if (codes.isEmpty())
        return out;
    static const QString kAlign[3] = {QStringLiteral("/l"), QStringLiteral("/c"),
                                      QStringLiteral("/r")};
    for (const QString &line : codes.split(QStringLiteral("/n"), Qt::KeepEmptyParts)) {
        PlainLine &parts = out.emplace_back();
        const QStringList pieces = line.split(QStringLiteral("/fn"), Qt::KeepEmptyParts);
        for (qsizetype j = 1; j < pieces.size(); ++j) {
            for (int i = 0; i < 3; ++i) {
                const qsizetype at = pieces[j].indexOf(kAlign[i]);
                if (at < 0)
                    continue;
                QString &part = parts[size_t(i)];
                part = pieces[j].mid(at + 2);
                // Checked before value slashes turn back into "/": a substituted value's
                // "/p" is text, not the code.
                if (part.contains(QLatin1String("/p")))
                    part.clear();
                part.replace(kValueSlash, u'/');
                if (part.isNull())
                    part = QLatin1String("");  // a part named with no text: empty, not absent
            }
        }
    }
    return out;
}

}  // namespace tessel::print
