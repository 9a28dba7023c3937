// How a worksheet prints: on the pages the report prints on.
//
// The page setup takes the report's own pagination (print::Pagination): its paper,
// orientation and side margins, and its scale as the print scale (a report fitted to pages
// wide prints at the scale the fit chose, rounded down to a whole percent; no fit to pages,
// which would make the spreadsheet program pass over the manual page breaks). The page body
// is the report's: the top margin ends where the report's header lines end, the bottom margin
// starts where its footer lines start, and the room the report keeps on a page for its page
// totals (the page-total and running rows at the foot, the carried row at the top of the pages
// after the first) stays in the margins, so that as many rows print on a page as on paper; a
// scale rounded down shortens the body by as much, for the same reason.
// The report's header and footer go into the print header and footer (WorkbookPrintHeader),
// printed from the report's top and bottom margins; a report without a footer gets the page
// number and count instead. The print area starts at the label row, so the header lines that
// the worksheet holds in cells above it do not print twice, and the label row repeats at the
// top of every page when the report repeats it.
#pragma once

#include <xlsxwriter.h>

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// The page setup every worksheet of one export shares. Margins in inches.
struct WorkbookPage {
    int scale = 100;  // percent, 10..400
    double left = 0, right = 0, top = 0, bottom = 0;
    double header = 0, footer = 0;  // where the print header and footer start
    std::string headerCodes, footerCodes;
    // The widest a chart may be, in the workbook's pixels (worksheet_insert_chart's): the
    // columns of the report's first band of columns across (all of them when they fit one
    // page across), so that a chart prints whole within the print area, which ends at the
    // last of them; 0 for no limit (a report without table pages).
    int chartPixels = 0;
    // What the user is told: a print header or footer the format's length shortened.
    QStringList notices;
};

// The page setup of `sheet` printed with `header` and `footer` (the sheet's header and footer
// code strings, variables substituted).
WorkbookPage workbookPage(const grid::Sheet &sheet, const QString &header, const QString &footer);

// Sets `worksheet` up to print with `page` and the sheet's print settings (orientation,
// paper, grid lines), the label row in worksheet row `labelRow` repeated when the report
// repeats it. Throws Error(Io) when the writer refuses.
void setWorkbookPage(lxw_worksheet *worksheet, const grid::Sheet &sheet, const WorkbookPage &page,
                     lxw_row_t labelRow);

// What is known once every row of `worksheet` is written: its print area (worksheet rows
// `firstRow` .. `lastRow`, columns A .. `lastCol`), its manual page breaks (`breaks`: the
// rows starting a page, in increasing order; those past the format's kMaxPageBreaks are left
// out) and the height of the rows written without one of their own (the sheet's default row
// height). Throws Error(Io) when the writer refuses.
void finishWorkbookPage(lxw_worksheet *worksheet, lxw_row_t firstRow, lxw_row_t lastRow,
                        lxw_col_t lastCol, std::vector<lxw_row_t> breaks);

}  // namespace tessel::exports
