#include "platform/sheet/PrintCodes.h"

#include <cmath>
#include <utility>

namespace tessel::platform {

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
        if (out_.lines.size() <= size_t(line_))
            out_.lines.resize(size_t(line_) + 1);
        return out_.lines[size_t(line_)].cells[int(pos_)];
    }

    // Reads the code or text run at `i`; returns the position of its last character.
    qsizetype step(qsizetype i) {
        if (at(i) != u'/') {
            // A text run has no length limit and ends at the next "/" or the end.
            qsizetype j = s_.indexOf(u'/', i);
            if (j < 0)
                j = s_.size();
            current().text = s_.mid(i, j - i);
            return j - 1;
        }
        switch (at(i + 1).unicode()) {
            case u'n':
                ++line_;  // the position is kept: text may follow without an alignment code
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
                current().text = kPageNumberText;
                return i + 1;
            case u'f':
                return fontCode(i);
            default:
                return i + 1;  // unknown code or a lone "/" at the end: two characters
        }
    }

    void align(CodePos pos) {
        pos_ = pos;
        current().font = font_;
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
                font_.name = value;
            } else {
                // Sizes are real numbers (10.5 stays 10.5). A size that is not a number
                // counts as 0, the size of a state no size code has set.
                bool ok = false;
                const double size = value.toDouble(&ok);
                font_.size = ok && std::isfinite(size) ? size : 0.0;
            }
            return close;
        }
        bool *flag = nullptr;
        switch (which.unicode()) {
            case u'b':
                flag = &font_.bold;
                break;
            case u'i':
                flag = &font_.italic;
                break;
            case u'u':
                flag = &font_.underline;
                break;
            case u'k':
                flag = &font_.strikeout;
                break;
            default:
                return i + 2;  // unknown font code: three characters
        }
        // Only "0" turns a style off; any other character, or none, turns it on.
        *flag = at(i + 3) != u'0';
        return i + 3;
    }

    const QString &s_;
    CodeFont &font_;
    CodeLayout out_;
    int line_ = 0;
    CodePos pos_ = CodePos::Left;
};

}  // namespace

CodeLayout parseCodes(const QString &codes, CodeFont &fontState) {
    return Parser(codes, fontState).run();
}

CodeLayout parseCodes(const QString &codes) {
    CodeFont fresh;
    return parseCodes(codes, fresh);
}

}  // namespace tessel::platform
