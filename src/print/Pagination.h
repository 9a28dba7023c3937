// Page breaking of a report sheet: which rows and columns each printed page shows and where
// the header lines, the table and the footer lines stand on the paper.
//
// The result depends only on the sheet's geometry (column widths, row heights, counts, data
// extent) and its print settings, never on installed fonts: a header or footer line is as
// high as the largest font size in its codes times kCodeLineFactor.
//
// Units: everything returned is in points (1/72 inch) on the paper, origin at the paper's
// top-left corner, after orientation, except the table's geometry (PageLayout's table,
// colHeader, rowHeader and cells, and the columns), which is in table points: paper points
// scaled by scale() about the body's top-left corner, so the same as paper points unless
// the print settings fit the table to pages wide. tableTransform() maps table points onto
// the paper. Pages are numbered from 1.
//
// Fit to pages wide (PrintSettings::fitPagesWide N > 0): the table (row header column and
// printed columns, and with them the row heights) is scaled by the largest factor up to 1
// at which its columns break into at most N column bands, never below kMinFitScale; the
// rows are broken on the body's height at that scale. Header and footer lines keep their
// size.
//
// Order: the print area is cut into row bands (pages down) and column bands (pages across);
// pages run down the first column band, then down the next. The column header row (row 0)
// and the row header column (column 0) repeat on every page while their print switches are
// on. Columns of width 1 or less are hidden and not printed; a row of height 0 takes no
// space.
//
// Grouped sheets (Sheet::grouping, the row marks and grid::groupSpans): a group of a level
// with pageBreak starts a row band of its own; a group of a level with keepTogether that is
// cut by a band's end, starts below the band's first row and fits on a page of its own starts
// the next band instead (outer levels are tried first; a longer group is cut as usual); a
// band that starts inside a group of a level with a header row, below that row, prints the
// header row again above its rows (outermost level first), and the room it takes is taken
// from that band. With page totals every band keeps room at its foot for the page-total row
// and, with a running label, the running-total row, and every band after the first keeps
// room at its top for the carried row; these rows are kPageTotalRowHeight high. Carried and
// running sums follow the row bands: the pages across of one band show the same sums.
//
// Charts (Sheet::charts) follow the table: the area's pages are its table pages (the bands),
// then its chart pages. A chart is widthCm × heightCm on the paper, shrunk with its height to
// the body's width and cut to the body's height; its left edge is the body's. A chart placed
// `end` stands kChartGap below the last printed row on the last table page (or below the chart
// before it) when it fits above the body's foot, else at the top of a new chart page; a chart
// placed `page` takes a new chart page of its own. A chart whose points the sheet cannot give
// (charts::chartDataProblem) is left out, and a print of a cell block prints no chart.
//
// The bands are computed once, in the constructor, in time proportional to the number of
// pages plus the number of rows with a height of their own (and, for a grouped sheet, its
// marked rows); page details are derived from the bands on demand. With page totals the
// constructor also adds up the chosen columns over the data rows of the print area, once, in
// one pass (see pageTotal). A Pagination is a snapshot: it keeps no reference to the sheet.
#pragma once

#include "grid/Sheet.h"
#include "print/codes/PrintCodes.h"

#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel::print {

// Height of a header/footer line per point of its largest font size.
constexpr double kCodeLineFactor = 1.25;
// Font size of a header/footer part whose codes give none, in points.
constexpr double kDefaultCodeFontSize = 9.0;
// Space between the header lines and the table, and between the table and the footer
// lines, in points (only where there are such lines).
constexpr double kCodeBlockGap = 6.0;
// The smallest scale fit to pages wide prints at: below it texts are too small to read, and
// the columns take more pages across instead.
constexpr double kMinFitScale = 0.1;
// Points per column-width unit (105 twips).
constexpr double kPointsPerWidthUnit = grid::kTwipsPerWidthUnit / grid::kTwipsPerPoint;
// Height of a page-total, running-total or carried row, in points: the sheet's default row
// height, whatever the heights of the rows around it.
constexpr double kPageTotalRowHeight = grid::kDefaultRowHeight;

// Space between the last printed row and a chart below it, and between two charts, in points.
constexpr double kChartGap = 12.0;

// The lines a header or footer code string prints, top to bottom: parsed, the empty lines
// after the last one with text dropped.
std::vector<PrintedLine> codeLines(const QString &codes);
// Height in points of a block of header or footer lines: their lines (Pagination::
// codeLineHeight) and the gap to the table; 0 without lines.
double codeBlockHeight(const std::vector<PrintedLine> &lines);

// A chart a page draws: which of Sheet::charts() (from 0) and where, in points on the paper.
struct PlacedChart {
    int chart = 0;
    QRectF rect;
    bool operator==(const PlacedChart &) const = default;
};

// The rows a page prints beyond its band of sheet rows (see PageLayout).
enum class ExtraRow : std::uint8_t {
    Carried,       // the previous band's running sums, above everything else
    PageTotal,     // the sums over the page's data rows, below its last row
    RunningTotal,  // the sums from the first data row through the page, below the page total
};

// A printed column on a page: sheet column and its horizontal extent on the paper.
struct PageColumn {
    int col = 0;
    double x = 0;      // points from the paper's left edge
    double width = 0;  // points (clipped to the body when the column is wider than the body)
};

// Everything about one printed page, in points on the paper.
struct PageLayout {
    int page = 0;     // printed page, from 1
    int number = 0;   // the page number "/p" prints: position among all pages of the print area
    int rowBand = 0;  // 0-based bands
    int colBand = 0;
    int firstRow = 1;  // body rows, inclusive; lastRow < firstRow when the band has no rows
    int lastRow = 0;
    int firstCol = 1;  // body columns, inclusive; hidden columns in between are not printed
    int lastCol = 0;
    // One per header line, top to bottom: the first lines, those that begin inside the
    // printable part of the paper.
    std::vector<QRectF> headerLines;
    // One per footer line, top to bottom: the last lines, those that end inside the printable
    // part of the paper.
    std::vector<QRectF> footerLines;
    QRectF body;  // space between header and footer lines, inside the margins (paper)
    // The rest in table points (see above).
    QRectF table;      // what the page prints of the sheet: headers plus cells, from body's
                       // top-left corner
    QRectF colHeader;  // the repeated column header row; empty when not printed
    QRectF rowHeader;  // the repeated row header column; empty when not printed
    QRectF cells;      // the cells of the page's row band and column band, with the rows
                       // printed beyond the band (below)
    // Printed beyond the band, top to bottom: the carried row (when `carried`), the group
    // header rows repeated for groups the page continues (sheet rows, outermost level first),
    // the band's rows, then `totals` (the page-total row, then the running-total row).
    bool carried = false;
    std::vector<int> repeatedHeaders;
    std::vector<ExtraRow> totals;
    // False on a chart page: no rows, columns or table (firstRow > lastRow, empty rectangles).
    bool tablePage = true;
    // The charts the page draws below its table, top to bottom.
    std::vector<PlacedChart> charts;
};

// Which of the print area's pages a pagination keeps.
enum class PageChoice {
    ByPrintType,  // those the print type picks: all, the current page or the page range
    AllPages,     // every page of the print area, whatever the print type picks
};

class Pagination {
public:
    // Breaks `sheet` into pages on its own paper (print().paper; the sheet's orientation
    // turns it), with the sheet's margins, header, footer and print settings, keeping the
    // pages `choice` names. The sheet is only read.
    explicit Pagination(const grid::Sheet &sheet, PageChoice choice = PageChoice::ByPrintType);
    // The same on `paper` (portrait dimensions) instead of the sheet's paper; an invalid
    // size is A4.
    Pagination(const grid::Sheet &sheet, const QPageSize &paper,
               PageChoice choice = PageChoice::ByPrintType);

    // Pages kept: with PageChoice::AllPages every page of the print area; otherwise those the
    // print settings produce: all pages of the print area for print types 0 and 1,
    // one for type 2 (the current page, clamped to the pages there are), the clamped range
    // pageStart..pageEnd for type 3 (0 when the range holds no page).
    int pageCount() const { return m_lastPage >= m_firstPage ? m_lastPage - m_firstPage + 1 : 0; }
    // Pages of the whole print area before the choice of type 2 and 3: the table pages, then
    // the chart pages.
    int areaPageCount() const { return tablePageCount() + m_chartPages; }
    int tablePageCount() const { return rowBandCount() * colBandCount(); }
    int chartPageCount() const { return m_chartPages; }
    int rowBandCount() const { return int(m_rowBandStart.size()); }
    int colBandCount() const { return int(m_colBandFirstVisible.size()); }

    // The page number printed on printed page `page` (1..pageCount()).
    int pageNumber(int page) const { return m_firstPage + page - 1; }

    QPageSize paper() const { return m_paper; }
    // Paper size in points after orientation, in whole points as printers and PDF take it.
    QSizeF paperSizePoints() const { return m_paperPoints; }
    // The paper inside the margins, in points.
    QRectF printableRect() const { return m_printable; }
    // The factor the table prints at: 1, or less when fit to pages wide shrinks it.
    double scale() const { return m_scale; }
    // Maps table points onto paper points: a scaling by scale() about the body's top-left
    // corner (the identity at scale 1).
    QTransform tableTransform() const;

    // The print area: sheet rows and columns the pages show (after print block and data-only
    // limits; an empty print block limits nothing). Empty (last < first) when nothing prints.
    int areaFirstRow() const { return m_rowFirst; }
    int areaLastRow() const { return m_rowLast; }
    int areaFirstCol() const { return m_colFirst; }
    int areaLastCol() const { return m_colLast; }

    // The settings and the parsed header and footer lines the pages were broken with
    // (trailing empty lines dropped; heights in points).
    const grid::PrintSettings &settings() const { return m_settings; }
    const std::vector<PrintedLine> &headerLines() const { return m_header; }
    const std::vector<PrintedLine> &footerLines() const { return m_footer; }
    // Height in points of a header/footer line: the largest font size of its runs (the
    // default size for a run without one, or for a line without runs) times kCodeLineFactor.
    static double codeLineHeight(const PrintedLine &line);

    // Whether the column header row / row header column are printed on every page.
    bool printsColHeader() const { return m_colHeaderHeight > 0; }
    bool printsRowHeader() const { return m_rowHeaderWidth > 0; }

    // Details of printed page `page` (1..pageCount()); Error(Argument) outside that range.
    PageLayout layout(int page) const;
    // The printed columns of printed page `page`, left to right, hidden columns left out (none
    // on a chart page).
    std::vector<PageColumn> columns(int page) const;

    // The page totals the pages print (the sheet grouping's), nullopt when none.
    const std::optional<grid::PageTotals> &pageTotals() const { return m_pageTotals; }
    // What extra row `kind` of a page of row band `rowBand` shows in sheet column `col`: the
    // sum of the column's numbers (grid::cellNumber) over the data rows (not marked, not
    // hidden) of the band (PageTotal), of every band up to and including it (RunningTotal), or
    // of every band before it (Carried); nullopt when `col` is not one of the page totals'
    // columns or the band is out of range.
    std::optional<double> pageTotal(int rowBand, ExtraRow kind, int col) const;

private:
    void breakRows(const grid::Sheet &sheet, double available);
    void breakGroupedRows(const grid::Sheet &sheet, double available);
    void addPageSums(const grid::Sheet &sheet);
    void breakCols(double available);
    void placeCharts(const grid::Sheet &sheet);
    PageLayout areaLayout(int index) const;  // page and number left 0
    double fitScale(int pagesWide) const;
    int areaPageIndex(int page) const;  // 0-based page of the print area

    grid::PrintSettings m_settings;
    QPageSize m_paper;
    QSizeF m_paperPoints;
    QRectF m_printable;
    QRectF m_body;
    QRectF m_frame;  // the body in table points: m_body's top-left, its size over m_scale
    double m_scale = 1;
    std::vector<PrintedLine> m_header;
    std::vector<PrintedLine> m_footer;
    std::vector<double> m_headerHeights;
    std::vector<double> m_footerHeights;
    double m_colHeaderHeight = 0;  // 0 when not printed
    double m_rowHeaderWidth = 0;   // 0 when not printed
    int m_rowFirst = 1, m_rowLast = 0;
    int m_colFirst = 1, m_colLast = 0;
    std::vector<int> m_rowBandStart;                    // first row of each row band
    std::vector<double> m_rowBandHeight;                // points
    std::vector<std::pair<int, double>> m_visibleCols;  // (column, width in points)
    std::vector<int> m_colBandFirstVisible;             // per column band: index into m_visibleCols
    // Per row band: where its repeated header rows start in m_repeatedHeaders (one entry
    // more than bands); empty when no band repeats any.
    std::vector<int> m_bandHeaders;
    std::vector<int> m_repeatedHeaders;
    std::optional<grid::PageTotals> m_pageTotals;
    std::vector<ExtraRow> m_totalRows;  // below every band
    bool m_carried = false;             // the carried row above every band after the first
    std::vector<int> m_sumColumns;      // the page totals' columns, ascending, once each
    // Per row band and sum column (band * m_sumColumns.size() + i): the band's sum and the
    // running sum through the band.
    std::vector<double> m_bandSums;
    std::vector<double> m_runningSums;
    int m_chartPages = 0;
    // The charts placed, with the area page (0-based) each stands on, in the order of pages.
    std::vector<std::pair<int, PlacedChart>> m_charts;
    int m_firstPage = 1;  // area pages printed: m_firstPage..m_lastPage (1-based)
    int m_lastPage = 0;
};

}  // namespace tessel::print
