#include "export/WorkbookColumns.h"

#include <tessel/Error.h>

#include <algorithm>
#include <cmath>

#include "base/Language.h"
#include "grid/Sheet.h"
#include "print/Pagination.h"

namespace tessel::exports {

namespace {

// The widest column the workbook takes: 255 characters.
constexpr int kMaxColumnPixels = 255 * kWorkbookDigitPixels + 5;

void check(lxw_error err) {
    if (err != LXW_NO_ERROR) {
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"),
                    QString::fromUtf8(lxw_strerror(err)));
    }
}

}  // namespace

int workbookColumnPixels(double points) {
    // A small epsilon keeps a width that converts to whole pixels exactly from losing one.
    const double pixels = points / kWorkbookDigitPoints * kWorkbookDigitPixels + 1e-9;
    return std::clamp(int(std::floor(pixels)), 1, kMaxColumnPixels);
}

void setWorkbookColumns(lxw_worksheet *worksheet, const grid::Sheet &sheet) {
    for (int c = 1; c <= sheet.maxCols(); ++c) {
        const double width = sheet.colWidth(c);
        const lxw_col_t col = lxw_col_t(c - 1);
        if (width <= 1.0) {
            lxw_row_col_options hidden{};
            hidden.hidden = LXW_TRUE;
            check(
                worksheet_set_column_opt(worksheet, col, col, LXW_DEF_COL_WIDTH, nullptr, &hidden));
            continue;
        }
        check(worksheet_set_column_pixels(worksheet, col, col,
                                          workbookColumnPixels(width * print::kPointsPerWidthUnit),
                                          nullptr));
    }
}

}  // namespace tessel::exports
