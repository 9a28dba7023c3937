// Find across the printed pages of a report sheet: which printed texts of which page hold a
// text, and where they stand on the paper. Reads the sheet's UTF-8 cell storage and the
// pagination the pages were broken with; nothing is rendered.
//
// What is searched is what prints: the page header lines, the column labels (row 0, when
// the column header row prints), the data cells of the page's rows and columns (subtotal and
// group header rows are sheet rows like the others, and a header row repeated at the top of
// a page is searched there too), the page's carried and page-total rows as printed (their
// labels and formatted sums, print::extraRowCell), the texts of the page's charts (chartTexts),
// and the page footer lines. Hidden columns and
// rows (width 1 or less, height 0) and cells outside the print area do not print and are not
// searched; a merged group of equal cells prints once per page and is found once per page, at its
// first printed cell: the blocks are the page painter's own (print::cellBlocks,
// print::headerBlocks). A header or footer part is searched as printed: its runs joined, the page
// number as the page's own number (the header codes hold the report variables already substituted
// by the preview).
//
// Matching: the text is found anywhere inside a printed text; Latin letters match in either
// case, and the full-width forms U+FF01..U+FF5E and the ideographic space U+3000 match their
// ASCII forms (Ａ = a, １ = 1).
//
// Order of the matches of a page (reading order): header lines top to bottom, each left,
// centre, right; column labels left to right; the carried row, then data cells row by row
// (repeated header rows first), then the page-total rows, each left to right; the charts top
// to bottom, each in the order of chartTexts; footer lines as the header's.
#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "charts/ChartData.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::preview {

// One printed text that holds the searched text.
struct FindMatch {
    enum class Part { Header = 0, Label = 1, Cell = 2, Footer = 3, ExtraRow = 4, Chart = 5 };
    int page = 0;  // printed page, from 1
    Part part = Part::Cell;
    // Cell and Label: the sheet cell (col, row; row 0 for a label). Header and Footer: `row`
    // is the line (from 0, among all lines of the header or footer) and `col` the part
    // (CodePos: 0 left, 1 centre, 2 right). ExtraRow: `col` is the sheet column and `row` the
    // print::PageRowKind of the carried or page-total row. Chart: `row` is the chart among the
    // page's (PageLayout::charts, from 0) and `col` the text among its chartTexts.
    int col = 0;
    int row = 0;
    bool operator==(const FindMatch &) const = default;
    // Reading order within one page.
    bool before(const FindMatch &o) const;
};

// The texts a chart prints as text, in reading order: its title, the labels of the categories
// it draws (charts::shownCategories) and, with more than one series, the series' names.
QStringList chartTexts(const charts::ChartData &data);

// A text folded for comparison: code points with Latin letters in lower case, full-width
// forms and the ideographic space in their ASCII form.
std::u32string foldForFind(QStringView text);

// Searches the printed pages of one sheet for one text. Holds references to `sheet` and
// `pagination`: both must stay alive and unchanged while it is used (a changed sheet needs a
// new pagination and a new finder).
class PageFinder {
public:
    PageFinder(const grid::Sheet &sheet, const print::Pagination &pagination, const QString &text);

    // Whether there is nothing to search for (an empty text).
    bool isEmpty() const { return m_needle.empty(); }
    int pageCount() const { return m_pagination.pageCount(); }

    // How many matches printed page `page` (1..pageCount()) holds.
    int countOnPage(int page) const;
    // The matches of printed page `page`, in reading order.
    std::vector<FindMatch> matchesOnPage(int page) const;
    // Where a match of page match.page stands on the paper, in points (a merged group: the
    // whole group as the page prints it; a header or footer part: its line).
    QRectF matchRect(const FindMatch &match) const;

    // Whether `utf8` holds the searched text (folded as above). Inline for the common
    // answer: a cell too short to hold it.
    bool contains(std::string_view utf8) const {
        return !m_needle.empty() && utf8.size() >= m_minBytes && containsText(utf8);
    }

private:
    bool containsText(std::string_view utf8) const;
    template <class Visit>
    void scanPage(int page, Visit &&visit) const;
    bool containsQString(const QString &text) const { return contains(text.toStdString()); }

    const grid::Sheet &m_sheet;
    const print::Pagination &m_pagination;
    std::u32string m_needle;
    std::string m_plain;         // the needle in UTF-8 when no character of it folds
    bool m_startByte[256] = {};  // bytes a match may begin with
    std::size_t m_minBytes = 0;  // the fewest bytes a match can take
    // Header and footer parts: whether a part without a page number matches (same on every
    // page), or the runs to join per page.
    struct CodePart {
        FindMatch::Part part;
        int line;  // index among all lines of the header or footer
        int pos;
        bool hasPageNumber;
        bool matches;  // for a part without a page number
    };
    std::vector<CodePart> m_codeParts;
};

}  // namespace tessel::preview
