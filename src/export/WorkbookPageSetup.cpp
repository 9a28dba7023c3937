#include "export/WorkbookPageSetup.h"

#include <tessel/Error.h>

#include <algorithm>
#include <cmath>

#include "base/Language.h"
#include "export/WorkbookColumns.h"
#include "export/WorkbookExport.h"
#include "export/WorkbookGroups.h"
#include "export/WorkbookPrintHeader.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::exports {

namespace {

constexpr double kPointsPerInch = 72.0;
// Where a print header or footer the report has no lines for (the page number) starts from
// the paper's edge at most, in inches: the spreadsheet programs' own default.
constexpr double kDefaultHeaderMargin = 0.3;

void check(lxw_error err) {
    if (err != LXW_NO_ERROR) {
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"),
                    QString::fromUtf8(lxw_strerror(err)));
    }
}

}  // namespace

WorkbookPage workbookPage(const grid::Sheet &sheet, const QString &header, const QString &footer) {
    WorkbookPage page;
    const print::Pagination pages(sheet, print::PageChoice::AllPages);
    const double scale = pages.scale();
    page.scale = std::clamp(int(std::floor(scale * 100 + 1e-9)), 10, 400);

    // The body between the header and footer lines as the report's pagination places it, for
    // the header and footer given (the sheet's, as the callers pass them).
    const QSizeF paper = pages.paperSizePoints();
    const QRectF printable = pages.printableRect();
    const std::vector<print::PrintedLine> headerLines = print::codeLines(header);
    const std::vector<print::PrintedLine> footerLines = print::codeLines(footer);
    double above = print::codeBlockHeight(headerLines);
    double below = print::codeBlockHeight(footerLines);
    // The room the report keeps for its page totals, in table points.
    if (pages.tablePageCount() > 0) {
        below += double(pages.layout(1).totals.size()) * print::kPageTotalRowHeight * scale;
        if (pages.rowBandCount() > 1 && pages.layout(2).carried)
            above += print::kPageTotalRowHeight * scale;
    }
    // Rows print smaller by the rounding of the scale: the body is shortened alike, so that
    // it holds the rows the report's does.
    const double body = std::max(0.0, printable.height() - above - below);
    below += body * (1 - page.scale / 100.0 / scale);
    page.left = printable.left() / kPointsPerInch;
    page.right = (paper.width() - printable.right()) / kPointsPerInch;
    page.top = (printable.top() + above) / kPointsPerInch;
    page.bottom = (paper.height() - printable.bottom() + below) / kPointsPerInch;
    if (pages.tablePageCount() > 0) {
        for (const print::PageColumn &column : pages.columns(1))
            page.chartPixels +=
                workbookColumnPixels(sheet.colWidth(column.col) * print::kPointsPerWidthUnit);
    }
    page.header = headerLines.empty() ? std::min(kDefaultHeaderMargin, page.top / 2)
                                      : printable.top() / kPointsPerInch;
    page.footer = footerLines.empty() ? std::min(kDefaultHeaderMargin, page.bottom / 2)
                                      : (paper.height() - printable.bottom()) / kPointsPerInch;
    // The codes of `lines`, telling `shortened` (which names the length as %1) when they had
    // to be cut to the format's length.
    const auto codesOf = [&page](const std::vector<print::PrintedLine> &lines,
                                 const char *shortened) {
        PrintHeaderText text = printHeaderCodes(lines);
        if (text.shortened)
            page.notices << tessel::base::tr(shortened).arg(kPrintHeaderMax);
        return std::move(text.codes);
    };
    page.headerCodes =
        codesOf(headerLines, QT_TRANSLATE_NOOP("tessel::base",
                                               "报表的页眉长于工作簿打印页眉的 %1 个字符，"
                                               "工作簿的打印页眉已缩短。"));
    page.footerCodes =
        footerLines.empty()
            ? tessel::base::tr("&C第 &P 页，共 &N 页").toStdString()
            : codesOf(footerLines, QT_TRANSLATE_NOOP("tessel::base",
                                                     "报表的页脚长于工作簿打印页脚的 %1 个字符，"
                                                     "工作簿的打印页脚已缩短。"));
    return page;
}

void setWorkbookPage(lxw_worksheet *worksheet, const grid::Sheet &sheet, const WorkbookPage &page,
                     lxw_row_t labelRow) {
    const grid::PrintSettings &print = sheet.print();
    if (print.orientation == grid::Orientation::Landscape)
        worksheet_set_landscape(worksheet);
    else
        worksheet_set_portrait(worksheet);
    if (const int paper = workbookPaperIndex(print.paper))
        worksheet_set_paper(worksheet, uint8_t(paper));
    worksheet_set_margins(worksheet, page.left, page.right, page.top, page.bottom);
    worksheet_set_print_scale(worksheet, uint16_t(page.scale));
    // The report's grid lines are the cells' borders (WorkbookStyles): printing the
    // worksheet's own as well would draw them twice, and frame the empty rows of the print
    // area around a chart as if they were the table's.
    worksheet_gridlines(worksheet, LXW_SHOW_SCREEN_GRIDLINES);
    if (print.colHeaders)
        check(worksheet_repeat_rows(worksheet, labelRow, labelRow));
    lxw_header_footer_options header{};
    header.margin = page.header;
    if (!page.headerCodes.empty())
        check(worksheet_set_header_opt(worksheet, page.headerCodes.c_str(), &header));
    lxw_header_footer_options footer{};
    footer.margin = page.footer;
    check(worksheet_set_footer_opt(worksheet, page.footerCodes.c_str(), &footer));
}

void finishWorkbookPage(lxw_worksheet *worksheet, lxw_row_t firstRow, lxw_row_t lastRow,
                        lxw_col_t lastCol, std::vector<lxw_row_t> breaks) {
    check(worksheet_print_area(worksheet, firstRow, 0, std::max(firstRow, lastRow), lastCol));
    if (breaks.size() > kMaxPageBreaks)
        breaks.resize(kMaxPageBreaks);
    if (!breaks.empty()) {
        breaks.push_back(0);  // the writer's end mark
        check(worksheet_set_h_pagebreaks(worksheet, breaks.data()));
    }
    // In constant-memory mode the rows are out by now: set last, the default height reaches
    // only the sheet's format, and the rows written without a height of their own take it
    // there, with no height written on each (a million rows would carry it a million times).
    worksheet_set_default_row(worksheet, grid::kDefaultRowHeight, LXW_FALSE);
}

}  // namespace tessel::exports
