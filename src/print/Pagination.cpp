#include "print/Pagination.h"

#include <tessel/Error.h>

#include <algorithm>
#include <cmath>

#include "charts/ChartData.h"
#include "grid/CellNumber.h"
#include "print/PaginationRows.h"

namespace tessel::print {

using namespace detail;

// A string ends with "/n", so the parse may leave empty lines behind the last one with text;
// they take no space on the page. Empty lines between lines with text are kept as blank lines.
// A parse error keeps what was parsed.
std::vector<PrintedLine> codeLines(const QString &codes) {
    if (codes.isEmpty()) {
        return {};
    }
    CodeLayout layout = parseCodes(codes);
    std::vector<PrintedLine> lines = std::move(layout.printed);
    while (!lines.empty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

double codeBlockHeight(const std::vector<PrintedLine> &lines) {
    double height = 0;
    for (const PrintedLine &line : lines)
        height += Pagination::codeLineHeight(line);
    return lines.empty() ? 0 : height + kCodeBlockGap;
}

namespace {

// The first column (index into `cols`) of each column band when the columns of widths
// `cols` are broken into bands of `available` points, each band taking as many as fit.
std::vector<int> bandStarts(const std::vector<std::pair<int, double>> &cols, double available) {
    std::vector<int> starts;
    double used = 0;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const double w = cols[i].second;
        if (starts.empty() || used + w > available + kEpsilon) {
            // A column wider than the body starts a band of its own and is clipped.
            starts.push_back(int(i));
            used = 0;
        }
        used += w;
    }
    return starts;
}

double twipsToPoints(int twips) {
    return std::max(0, twips) / grid::kTwipsPerPoint;
}

// Whether breaking the rows needs the groups: only settings that move a break or take room
// do; a grouping without them breaks as a plain sheet does.
bool breaksByGroups(const grid::Grouping &g) {
    if (g.pageTotals) {
        return true;
    }
    return std::any_of(g.levels.begin(), g.levels.end(), [](const grid::GroupLevel &l) {
        return l.header || l.pageBreak || l.keepTogether;
    });
}

}  // namespace

namespace detail {

// Takes rows from `r` on, at most through `limit`, while they fit in `available` points; a
// first row taller than that is taken alone. Returns the first row not taken and sets `used`
// to the height taken. `it` is an override at or before `r`'s and is moved along; runs of
// rows without a height of their own are measured by arithmetic, so the work is proportional
// to the overrides passed, not to the rows.
int takeRows(const Overrides &overrides, Overrides::const_iterator &it, int r, int limit,
             double available, double &used) {
    const double d = grid::kDefaultRowHeight;
    used = 0;
    bool any = false;
    while (r <= limit) {
        while (it != overrides.end() && it->first < r) {
            ++it;
        }
        const int next = (it != overrides.end() && it->first <= limit) ? it->first : limit + 1;
        if (r < next) {
            // Rows r..next-1 have the default height.
            const double room = available - used + kEpsilon;
            long long take = room > 0 ? std::min<long long>(
                                            static_cast<long long>(std::floor(room / d)), next - r)
                                      : 0;
            if (take == 0) {
                if (any) {
                    break;
                }
                take = 1;  // a row taller than the body gets a page of its own
            }
            r += int(take);
            used += double(take) * d;
            any = true;
            if (r < next) {
                break;  // the band is full
            }
            continue;
        }
        const double h = std::max(0.0, it->second);
        if (any && used + h > available + kEpsilon) {
            break;
        }
        used += h;
        any = true;
        ++r;
    }
    return r;
}

// Height in points of rows a..b, inclusive: the overrides among them walked, the rest counted.
double rowsHeight(const Overrides &overrides, int a, int b) {
    if (b < a) {
        return 0;
    }
    double h = double(b - a + 1) * grid::kDefaultRowHeight;
    for (auto it = overrides.lower_bound(a); it != overrides.end() && it->first <= b; ++it) {
        h += std::max(0.0, it->second) - grid::kDefaultRowHeight;
    }
    return h;
}

}  // namespace detail

double Pagination::codeLineHeight(const PrintedLine &line) {
    // Every run counts, so a size set in the middle of a part makes the line as high as the
    // text printed in it.
    double size = 0;
    for (const std::vector<CodeRun> &part : line.parts) {
        for (const CodeRun &run : part) {
            size = std::max(size, run.font.size > 0 ? run.font.size : kDefaultCodeFontSize);
        }
    }
    if (size <= 0) {
        size = kDefaultCodeFontSize;  // a blank line keeps the default line's height
    }
    return size * kCodeLineFactor;
}

Pagination::Pagination(const grid::Sheet &sheet, PageChoice choice)
    : Pagination(sheet, grid::pageSize(sheet.print().paper), choice) {}

Pagination::Pagination(const grid::Sheet &sheet, const QPageSize &paper, PageChoice choice)
    : m_settings(sheet.print()), m_paper(paper.isValid() ? paper : QPageSize(QPageSize::A4)) {
    // Paper and margins.
    // Qt's paint devices (PDF writer, printers) take paper in whole points (A4 595 x 842), so
    // the pages are broken on the same size they are printed on.
    m_paperPoints = QSizeF(m_paper.sizePoints());
    if (m_settings.orientation == grid::Orientation::Landscape) {
        m_paperPoints.transpose();
    }
    const double left = twipsToPoints(m_settings.marginLeft);
    const double right = twipsToPoints(m_settings.marginRight);
    const double top = twipsToPoints(m_settings.marginTop);
    const double bottom = twipsToPoints(m_settings.marginBottom);
    m_printable = QRectF(left, top, std::max(0.0, m_paperPoints.width() - left - right),
                         std::max(0.0, m_paperPoints.height() - top - bottom));

    // Header and footer lines, and the body between them.
    m_header = codeLines(m_settings.header);
    m_footer = codeLines(m_settings.footer);
    for (const PrintedLine &line : m_header) {
        m_headerHeights.push_back(codeLineHeight(line));
    }
    for (const PrintedLine &line : m_footer) {
        m_footerHeights.push_back(codeLineHeight(line));
    }
    const double headerHeight = codeBlockHeight(m_header);
    const double footerHeight = codeBlockHeight(m_footer);
    const double bodyTop = std::min(m_printable.top() + headerHeight, m_printable.bottom());
    const double bodyBottom = std::max(bodyTop, m_printable.bottom() - footerHeight);
    m_body = QRectF(m_printable.left(), bodyTop, m_printable.width(), bodyBottom - bodyTop);

    // Repeated headers.
    if (m_settings.colHeaders) {
        m_colHeaderHeight = std::max(0.0, sheet.rowHeight(0));
    }
    if (m_settings.rowHeaders && sheet.colWidth(0) > 1) {
        m_rowHeaderWidth = sheet.colWidth(0) * kPointsPerWidthUnit;
    }

    // The print area.
    m_rowFirst = 1;
    m_rowLast = sheet.maxRows();
    m_colFirst = 1;
    m_colLast = sheet.maxCols();
    // A cell range with no block (a stored range type 1 on a sheet where nothing is selected,
    // as after every reload) prints the whole sheet: an empty print would only fail later.
    if (m_settings.type == grid::PrintType::CellRange && !m_settings.block.isEmpty()) {
        const grid::CellBlock &b = m_settings.block;
        // -1 stands for the whole column or row range, as for style blocks.
        if (b.col != -1 && b.col2 != -1) {
            m_colFirst = std::max(m_colFirst, std::min(b.col, b.col2));
            m_colLast = std::min(m_colLast, std::max(b.col, b.col2));
        }
        if (b.row != -1 && b.row2 != -1) {
            m_rowFirst = std::max(m_rowFirst, std::min(b.row, b.row2));
            m_rowLast = std::min(m_rowLast, std::max(b.row, b.row2));
        }
    }
    if (m_settings.onlyData) {
        m_rowLast = std::min(m_rowLast, sheet.lastDataRow());
        m_colLast = std::min(m_colLast, sheet.lastDataCol());
    }

    // Column bands first: without a printed column there is no page at all. A sheet with
    // columns but no rows in the area still prints its headers on one page per band.
    for (int c = m_colFirst; c <= m_colLast; ++c) {
        const double w = sheet.colWidth(c);
        if (w > 1) {
            m_visibleCols.emplace_back(c, w * kPointsPerWidthUnit);
        }
    }
    if (!m_visibleCols.empty() && m_settings.fitPagesWide > 0)
        m_scale = fitScale(m_settings.fitPagesWide);
    m_frame = QRectF(m_body.topLeft(), m_body.size() / m_scale);
    if (m_visibleCols.empty()) {
        m_colFirst = 1;
        m_colLast = 0;
    } else {
        breakCols(m_frame.width() - m_rowHeaderWidth);
        if (m_rowLast >= m_rowFirst && breaksByGroups(sheet.grouping())) {
            breakGroupedRows(sheet, m_frame.height() - m_colHeaderHeight);
            if (m_pageTotals) {
                addPageSums(sheet);
            }
        } else {
            breakRows(sheet, m_frame.height() - m_colHeaderHeight);
        }
    }

    placeCharts(sheet);

    // The pages the print type picks out of the area's pages.
    const int areaPages = areaPageCount();
    switch (choice == PageChoice::AllPages ? grid::PrintType::All : m_settings.type) {
        case grid::PrintType::All:
        case grid::PrintType::CellRange:
            m_firstPage = 1;
            m_lastPage = areaPages;
            break;
        case grid::PrintType::CurrentPage:
            if (areaPages > 0) {
                m_firstPage = m_lastPage = std::clamp(m_settings.currentPage, 1, areaPages);
            }
            break;
        case grid::PrintType::PageRange:
            m_firstPage = std::max(1, m_settings.pageStart);
            m_lastPage = std::min(areaPages, m_settings.pageEnd);
            break;
    }
    if (m_lastPage < m_firstPage) {
        m_firstPage = 1;
        m_lastPage = 0;
    }
}

void Pagination::breakCols(double available) {
    m_colBandFirstVisible = bandStarts(m_visibleCols, available);
}

void Pagination::placeCharts(const grid::Sheet &sheet) {
    const int tablePages = tablePageCount();
    // Without a printed column nothing prints; a block printed alone is no report.
    if (sheet.charts().empty() || tablePages == 0 ||
        (m_settings.type == grid::PrintType::CellRange && !m_settings.block.isEmpty()))
        return;
    constexpr double kPointsPerCm = 72.0 / 2.54;
    int page = tablePages - 1;
    double y = tableTransform().mapRect(areaLayout(page).table).bottom();
    bool open = true;  // whether the next `end` chart may join page
    for (std::size_t i = 0; i < sheet.charts().size(); ++i) {
        const grid::ChartSpec &chart = sheet.charts()[i];
        if (!charts::chartDataProblem(sheet, chart).isEmpty())
            continue;
        double width = chart.widthCm * kPointsPerCm;
        double height = chart.heightCm * kPointsPerCm;
        if (width > m_body.width()) {
            height *= m_body.width() / width;
            width = m_body.width();
        }
        height = std::min(height, m_body.height());
        const bool own = chart.place == grid::ChartPlace::Page;
        if (own || !open || y + kChartGap + height > m_body.bottom()) {
            page = tablePages + m_chartPages++;
            y = m_body.top();
        } else {
            y += kChartGap;
        }
        m_charts.push_back({page, {int(i), QRectF(m_body.left(), y, width, height)}});
        y += height;
        open = !own;
    }
}

// The band width the columns need is found by bisection between the widest column (every
// band holds at least one column, unclipped) and all of them: the band count falls as the
// width grows, and the smallest width with at most `pagesWide` bands gives the largest scale.
double Pagination::fitScale(int pagesWide) const {
    double widest = 0, total = 0;
    for (const auto &[col, w] : m_visibleCols) {
        widest = std::max(widest, w);
        total += w;
    }
    double lo = std::max(widest, total / pagesWide), hi = total;
    const auto bandCount = [this](double available) {
        return int(bandStarts(m_visibleCols, available).size());
    };
    if (bandCount(lo) > pagesWide) {
        for (int i = 0; i < 60 && hi - lo > 1e-9 * hi; ++i) {
            const double mid = (lo + hi) / 2;
            (bandCount(mid) > pagesWide ? lo : hi) = mid;
        }
        lo = hi;
    }
    const double needed = lo + m_rowHeaderWidth;
    if (needed <= 0 || m_body.width() <= 0)
        return 1;
    return std::clamp(m_body.width() / needed, kMinFitScale, 1.0);
}

QTransform Pagination::tableTransform() const {
    QTransform t;
    t.translate(m_body.left(), m_body.top());
    t.scale(m_scale, m_scale);
    t.translate(-m_body.left(), -m_body.top());
    return t;
}

void Pagination::breakRows(const grid::Sheet &sheet, double available) {
    if (m_rowLast < m_rowFirst) {
        m_rowBandStart.push_back(m_rowFirst);
        m_rowBandHeight.push_back(0);
        return;
    }
    const Overrides &overrides = sheet.rowHeightOverrides();
    auto it = overrides.lower_bound(m_rowFirst);
    int r = m_rowFirst;
    while (r <= m_rowLast) {
        const int start = r;
        double used = 0;
        r = takeRows(overrides, it, r, m_rowLast, available, used);
        m_rowBandStart.push_back(start);
        m_rowBandHeight.push_back(used);
    }
}

// The rows are taken as for a plain sheet, band by band, within a limit set by the next
// group that must start a page; the groups a band asks about are found from cursors that
// move down with the bands, so the work is proportional to the bands plus the marks, and
// the rows of a group kept together are measured once, when it is first cut.
int Pagination::areaPageIndex(int page) const {
    if (page < 1 || page > pageCount()) {
        throw Error(Error::Category::Argument,
                    QStringLiteral("页码 %1 超出范围 1 到 %2").arg(page).arg(pageCount()));
    }
    return m_firstPage + page - 2;
}

PageLayout Pagination::layout(int page) const {
    PageLayout l = areaLayout(areaPageIndex(page));
    l.page = page;
    l.number = pageNumber(page);
    return l;
}

PageLayout Pagination::areaLayout(int index) const {
    PageLayout l;
    // Lines that begin past the paper's printable part are left out: a header of thousands of
    // lines would otherwise be painted in full on every page, none of it visible.
    double y = m_printable.top();
    for (double h : m_headerHeights) {
        if (y >= m_printable.bottom())
            break;
        l.headerLines.emplace_back(m_printable.left(), y, m_printable.width(), h);
        y += h;
    }
    double footerHeight = 0;
    for (double h : m_footerHeights) {
        footerHeight += h;
    }
    y = m_printable.bottom() - footerHeight;
    for (double h : m_footerHeights) {
        if (y + h > m_printable.top())
            l.footerLines.emplace_back(m_printable.left(), y, m_printable.width(), h);
        y += h;
    }
    l.body = m_body;
    const auto byPage = [](const std::pair<int, PlacedChart> &placed, int page) {
        return placed.first < page;
    };
    for (auto it = std::lower_bound(m_charts.begin(), m_charts.end(), index, byPage);
         it != m_charts.end() && it->first == index; ++it)
        l.charts.push_back(it->second);
    if (index >= tablePageCount()) {
        l.tablePage = false;
        l.firstCol = 1;
        l.lastCol = 0;
        return l;
    }

    const int rowBands = rowBandCount();
    l.colBand = index / rowBands;
    l.rowBand = index % rowBands;
    l.firstRow = m_rowBandStart[std::size_t(l.rowBand)];
    l.lastRow =
        l.rowBand + 1 < rowBands ? m_rowBandStart[std::size_t(l.rowBand) + 1] - 1 : m_rowLast;
    const std::size_t firstVisible = std::size_t(m_colBandFirstVisible[std::size_t(l.colBand)]);
    const std::size_t endVisible =
        l.colBand + 1 < colBandCount()
            ? std::size_t(m_colBandFirstVisible[std::size_t(l.colBand) + 1])
            : m_visibleCols.size();
    l.firstCol = m_visibleCols[firstVisible].first;
    l.lastCol = m_visibleCols[endVisible - 1].first;
    l.carried = m_carried && l.rowBand > 0;
    if (!m_bandHeaders.empty()) {
        l.repeatedHeaders.assign(
            m_repeatedHeaders.begin() + m_bandHeaders[std::size_t(l.rowBand)],
            m_repeatedHeaders.begin() + m_bandHeaders[std::size_t(l.rowBand) + 1]);
    }
    l.totals = m_totalRows;

    // Headers and cells, clipped to the body where a single column or row is larger.
    const double rowHeaderWidth = std::min(m_rowHeaderWidth, m_frame.width());
    const double colHeaderHeight = std::min(m_colHeaderHeight, m_frame.height());
    double cellsWidth = 0;
    for (std::size_t i = firstVisible; i < endVisible; ++i) {
        cellsWidth += m_visibleCols[i].second;
    }
    cellsWidth = std::min(cellsWidth, m_frame.width() - rowHeaderWidth);
    const double cellsHeight =
        std::min(m_rowBandHeight[std::size_t(l.rowBand)], m_frame.height() - colHeaderHeight);
    const double cellsLeft = m_frame.left() + rowHeaderWidth;
    const double cellsTop = m_frame.top() + colHeaderHeight;
    l.cells = QRectF(cellsLeft, cellsTop, cellsWidth, cellsHeight);
    if (m_colHeaderHeight > 0) {
        l.colHeader = QRectF(cellsLeft, m_frame.top(), cellsWidth, colHeaderHeight);
    }
    if (m_rowHeaderWidth > 0) {
        l.rowHeader = QRectF(m_frame.left(), cellsTop, rowHeaderWidth, cellsHeight);
    }
    l.table = QRectF(m_frame.left(), m_frame.top(), rowHeaderWidth + cellsWidth,
                     colHeaderHeight + cellsHeight);
    return l;
}

std::vector<PageColumn> Pagination::columns(int page) const {
    const int index = areaPageIndex(page);
    if (index >= tablePageCount())
        return {};
    const int colBand = index / rowBandCount();
    const std::size_t first = std::size_t(m_colBandFirstVisible[std::size_t(colBand)]);
    const std::size_t end = colBand + 1 < colBandCount()
                                ? std::size_t(m_colBandFirstVisible[std::size_t(colBand) + 1])
                                : m_visibleCols.size();
    const double rowHeaderWidth = std::min(m_rowHeaderWidth, m_frame.width());
    const double right = m_frame.right();
    double x = m_frame.left() + rowHeaderWidth;
    std::vector<PageColumn> out;
    out.reserve(end - first);
    for (std::size_t i = first; i < end && x < right; ++i) {
        const double w = std::min(m_visibleCols[i].second, right - x);
        out.push_back({m_visibleCols[i].first, x, w});
        x += m_visibleCols[i].second;
    }
    return out;
}

}  // namespace tessel::print
