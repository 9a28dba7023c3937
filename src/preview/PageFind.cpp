#include "preview/PageFind.h"

#include <QChar>
#include <QStringView>
#include <algorithm>
#include <cstring>
#include <tuple>

#include "charts/ChartLayout.h"
#include "print/PageCells.h"
#include "print/codes/PrintCodes.h"

namespace tessel::preview {

namespace {

char32_t foldCodePoint(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;  // full-width forms sit at a fixed distance from ASCII
    } else if (c == 0x3000) {
        c = 0x20;
    }
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    }
    // Latin-1 and the Latin extensions: their letters have case too.
    if (c < 0x250) {
        return QChar::toLower(c);
    }
    return c;
}

// Decodes one code point at `p` (before `end`); a malformed byte reads as U+FFFD of one byte,
// so a damaged text is still searched rather than refused.
inline char32_t decode(const unsigned char *p, const unsigned char *end, int &len) {
    const unsigned char b = *p;
    if (b < 0x80) {
        len = 1;
        return b;
    }
    int n = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        c = b & 0x07;
    } else {
        len = 1;
        return 0xFFFD;
    }
    if (end - p < n) {
        len = 1;
        return 0xFFFD;
    }
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            len = 1;
            return 0xFFFD;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    len = n;
    return c;
}

int utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

unsigned char leadByte(char32_t c) {
    switch (utf8Length(c)) {
        case 1:
            return static_cast<unsigned char>(c);
        case 2:
            return static_cast<unsigned char>(0xC0 | (c >> 6));
        case 3:
            return static_cast<unsigned char>(0xE0 | (c >> 12));
        default:
            return static_cast<unsigned char>(0xF0 | (c >> 18));
    }
}

// Every code point that folds to `n`: `n` itself and, for ASCII and Latin letters, their
// other cases and full-width forms.
std::vector<char32_t> foldSources(char32_t n) {
    std::vector<char32_t> out{n};
    auto consider = [&](char32_t c) {
        if (c != n && foldCodePoint(c) == n) {
            out.push_back(c);
        }
    };
    for (char32_t c = 0; c < 0x250; ++c) {
        consider(c);
    }
    for (char32_t c = 0xFF01; c <= 0xFF5E; ++c) {
        consider(c);
    }
    consider(0x3000);
    return out;
}

// Where a carried or page-total row prints in reading order relative to the data cells.
int readingRank(const FindMatch &m) {
    switch (m.part) {
        case FindMatch::Part::Header:
            return 0;
        case FindMatch::Part::Label:
            return 1;
        case FindMatch::Part::ExtraRow:
            return m.row == int(print::PageRowKind::Carried) ? 2 : 4;
        case FindMatch::Part::Cell:
            return 3;
        case FindMatch::Part::Chart:
            return 5;
        case FindMatch::Part::Footer:
            return 6;
    }
    return 6;
}

}  // namespace

bool FindMatch::before(const FindMatch &o) const {
    return std::tuple(page, readingRank(*this), row, col) <
           std::tuple(o.page, readingRank(o), o.row, o.col);
}

QStringList chartTexts(const charts::ChartData &data) {
    QStringList out;
    if (!data.title.isEmpty())
        out << data.title;
    const int shown = charts::shownCategories(data.type, int(data.categories.size()));
    out << data.categories.mid(0, shown);
    if (data.series.size() > 1) {
        for (const charts::ChartSeries &series : data.series)
            out << series.name;
    }
    return out;
}

std::u32string foldForFind(QStringView text) {
    std::u32string out;
    out.reserve(std::size_t(text.size()));
    for (const char32_t c : text.toUcs4()) {
        out.push_back(foldCodePoint(c));
    }
    return out;
}

PageFinder::PageFinder(const grid::Sheet &sheet, const print::Pagination &pagination,
                       const QString &text)
    : m_sheet(sheet), m_pagination(pagination), m_needle(foldForFind(text)) {
    if (m_needle.empty()) {
        return;
    }
    // A needle none of whose characters has another form (Chinese text, say) is matched
    // byte for byte, which is the common and the fastest case.
    bool plain = true;
    for (const char32_t n : m_needle) {
        const std::vector<char32_t> sources = foldSources(n);
        plain = plain && sources.size() == 1;
        int fewest = 4;
        for (const char32_t c : sources) {
            fewest = std::min(fewest, utf8Length(c));
        }
        m_minBytes += std::size_t(fewest);
    }
    if (plain) {
        m_plain = QString::fromUcs4(m_needle.data(), qsizetype(m_needle.size())).toStdString();
    }
    for (const char32_t c : foldSources(m_needle.front())) {
        m_startByte[leadByte(c)] = true;
    }

    // Header and footer parts: one without a page number prints the same on every page.
    const auto addParts = [&](const std::vector<print::PrintedLine> &lines, FindMatch::Part part) {
        for (std::size_t line = 0; line < lines.size(); ++line) {
            for (int pos = 0; pos < 3; ++pos) {
                const std::vector<print::CodeRun> &runs = lines[line].parts[pos];
                if (runs.empty()) {
                    continue;
                }
                CodePart p{part, int(line), pos, false, false};
                QString joined;
                for (const print::CodeRun &run : runs) {
                    p.hasPageNumber = p.hasPageNumber || run.pageNumber;
                    joined += run.text;
                }
                if (!p.hasPageNumber) {
                    p.matches = contains(joined.toStdString());
                    if (!p.matches) {
                        continue;
                    }
                }
                m_codeParts.push_back(p);
            }
        }
    };
    addParts(m_pagination.headerLines(), FindMatch::Part::Header);
    addParts(m_pagination.footerLines(), FindMatch::Part::Footer);
}

bool PageFinder::containsText(std::string_view utf8) const {
    if (!m_plain.empty()) {
        // Cells are short: a plain loop on the first two bytes beats a library search, whose
        // setup costs more than the few bytes of a cell.
        const char *p = utf8.data();
        const char *last = p + (utf8.size() - m_plain.size());
        const char b0 = m_plain[0];
        const char b1 = m_plain.size() > 1 ? m_plain[1] : 0;
        const std::size_t rest = m_plain.size() > 1 ? m_plain.size() - 2 : 0;
        for (; p <= last; ++p) {
            if (*p == b0 && (m_plain.size() == 1 ||
                             (p[1] == b1 && std::memcmp(p + 2, m_plain.data() + 2, rest) == 0))) {
                return true;
            }
        }
        return false;
    }
    const auto *begin = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = begin + utf8.size();
    const auto *last = end - m_minBytes;
    for (const unsigned char *p = begin; p <= last; ++p) {
        // Only lead bytes and ASCII are start bytes, so p is always at a character's start
        // when it is tried.
        if (!m_startByte[*p]) {
            continue;
        }
        const unsigned char *q = p;
        bool match = true;
        for (const char32_t n : m_needle) {
            if (q >= end) {
                match = false;
                break;
            }
            int len = 1;
            if (foldCodePoint(decode(q, end, len)) != n) {
                match = false;
                break;
            }
            q += len;
        }
        if (match) {
            return true;
        }
    }
    return false;
}

template <class Visit>
void PageFinder::scanPage(int page, Visit &&visit) const {
    if (m_needle.empty()) {
        return;
    }
    const print::PageLayout layout = m_pagination.layout(page);
    const std::vector<print::PageColumn> cols = m_pagination.columns(page);

    const auto visitCodeParts = [&](FindMatch::Part part, int firstLine, int lineCount) {
        for (const CodePart &p : m_codeParts) {
            if (p.part != part || p.line < firstLine || p.line >= firstLine + lineCount) {
                continue;
            }
            bool matches = p.matches;
            if (p.hasPageNumber) {
                const auto &lines = part == FindMatch::Part::Header ? m_pagination.headerLines()
                                                                    : m_pagination.footerLines();
                QString joined;
                for (const print::CodeRun &run : lines[std::size_t(p.line)].parts[p.pos]) {
                    joined += run.pageNumber ? QString::number(layout.number) : run.text;
                }
                matches = contains(joined.toStdString());
            }
            if (matches) {
                visit(FindMatch{page, part, p.pos, p.line});
            }
        }
    };
    visitCodeParts(FindMatch::Part::Header, 0, int(layout.headerLines.size()));

    // What prints is what the painter draws: a merged block shows the text of its first printed
    // cell once (print::headerBlocks, print::cellBlocks), and is found there.
    if (!cols.empty() && m_pagination.printsColHeader()) {
        for (const print::PageBlock &b : print::headerBlocks(m_sheet, cols)) {
            if (contains(m_sheet.textUtf8(cols[b.ci].col, 0)))
                visit(FindMatch{page, FindMatch::Part::Label, cols[b.ci].col, 0});
        }
    }

    const std::vector<print::PageRow> rows = print::pageRows(m_sheet, layout);
    // Whether printed cell (ri, ci) begins a block. The blocks are worked out only on a page
    // where some cell holds the text and some cells may join, so a page without a match costs
    // its texts alone.
    int joins = -1;            // pageJoinsCells; -1: not asked yet
    std::vector<char> begins;  // [ri * cols.size() + ci], on a page where cells join
    const auto beginsBlock = [&](std::size_t ri, std::size_t ci) {
        if (joins < 0)
            joins = print::pageJoinsCells(m_sheet, cols, rows) ? 1 : 0;
        if (!joins)
            return true;
        if (begins.empty()) {
            begins.assign(rows.size() * cols.size(), 0);
            for (const print::PageBlock &b : print::cellBlocks(m_sheet, cols, rows))
                begins[b.ri * cols.size() + b.ci] = 1;
        }
        return begins[ri * cols.size() + ci] != 0;
    };
    // Row by row: a fill stores a row's texts one after the other, so the texts are read in
    // the order they lie in memory.
    for (std::size_t ri = 0; ri < rows.size(); ++ri) {
        const print::PageRow &r = rows[ri];
        for (std::size_t ci = 0; ci < cols.size(); ++ci) {
            const int col = cols[ci].col;
            if (r.fromSheet()) {
                if (contains(m_sheet.cellUtf8(col, r.row)) && beginsBlock(ri, ci))
                    visit(FindMatch{page, FindMatch::Part::Cell, col, r.row});
            } else if (containsQString(
                           print::extraRowCell(m_sheet, m_pagination, layout, cols, r.kind, col)
                               .text) &&
                       beginsBlock(ri, ci)) {
                visit(FindMatch{page, FindMatch::Part::ExtraRow, col, int(r.kind)});
            }
        }
    }

    for (std::size_t i = 0; i < layout.charts.size(); ++i) {
        const std::size_t chart = std::size_t(layout.charts[i].chart);
        if (chart >= m_sheet.charts().size())
            continue;
        const charts::ChartDataResult data = charts::chartData(m_sheet, m_sheet.charts()[chart]);
        if (!data.data)
            continue;
        const QStringList texts = chartTexts(*data.data);
        for (int t = 0; t < texts.size(); ++t) {
            if (containsQString(texts[t]))
                visit(FindMatch{page, FindMatch::Part::Chart, t, int(i)});
        }
    }

    const int footerLines = int(m_pagination.footerLines().size());
    const int footerShown = int(layout.footerLines.size());
    visitCodeParts(FindMatch::Part::Footer, footerLines - footerShown, footerShown);
}

int PageFinder::countOnPage(int page) const {
    int n = 0;
    scanPage(page, [&n](const FindMatch &) { ++n; });
    return n;
}

std::vector<FindMatch> PageFinder::matchesOnPage(int page) const {
    std::vector<FindMatch> out;
    scanPage(page, [&out](const FindMatch &m) { out.push_back(m); });
    std::sort(out.begin(), out.end(),
              [](const FindMatch &a, const FindMatch &b) { return a.before(b); });
    return out;
}

QRectF PageFinder::matchRect(const FindMatch &match) const {
    const print::PageLayout layout = m_pagination.layout(match.page);
    if (match.part == FindMatch::Part::Header) {
        return match.row < int(layout.headerLines.size())
                   ? layout.headerLines[std::size_t(match.row)]
                   : QRectF();
    }
    if (match.part == FindMatch::Part::Footer) {
        const int index =
            match.row - (int(m_pagination.footerLines().size()) - int(layout.footerLines.size()));
        return index >= 0 && index < int(layout.footerLines.size())
                   ? layout.footerLines[std::size_t(index)]
                   : QRectF();
    }
    if (match.part == FindMatch::Part::Chart) {
        return match.row >= 0 && match.row < int(layout.charts.size())
                   ? layout.charts[std::size_t(match.row)].rect
                   : QRectF();
    }
    const std::vector<print::PageColumn> cols = m_pagination.columns(match.page);
    if (cols.empty()) {
        return {};
    }
    // The table's geometry is in table points; a report fitted to pages wide is drawn
    // scaled, so its rectangles are mapped onto the paper.
    const QTransform toPaper = m_pagination.tableTransform();
    // The block the painter draws the cell in, from its first printed column to its last.
    const auto blockRect = [&](const print::PageBlock &b, double top, double bottom) {
        const double left = cols[b.ci].x;
        const double right = cols[b.cj].x + cols[b.cj].width;
        return toPaper.mapRect(QRectF(left, top, right - left, bottom - top));
    };
    const auto holdsColumn = [&](const print::PageBlock &b) {
        return cols[b.ci].col <= match.col && match.col <= cols[b.cj].col;
    };
    if (match.part == FindMatch::Part::Label) {
        for (const print::PageBlock &b : print::headerBlocks(m_sheet, cols)) {
            if (holdsColumn(b))
                return blockRect(b, layout.colHeader.top(), layout.colHeader.bottom());
        }
        return {};
    }
    const std::vector<print::PageRow> rows = print::pageRows(m_sheet, layout);
    for (const print::PageBlock &b : print::cellBlocks(m_sheet, cols, rows)) {
        const print::PageRow &top = rows[b.ri];
        const print::PageRow &bottom = rows[b.rj];
        const bool holds = match.part == FindMatch::Part::ExtraRow
                               ? !top.fromSheet() && int(top.kind) == match.row
                               : top.fromSheet() && top.row <= match.row && match.row <= bottom.row;
        if (holds && holdsColumn(b))
            return blockRect(b, top.y, bottom.y + bottom.h);
    }
    return {};
}

}  // namespace tessel::preview
