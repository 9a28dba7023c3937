// Writing a sheet's rows into a workbook: the header and footer lines, the sheet rows over as
// many worksheets as they need with each worksheet's page setup, outline and column widths,
// then the conditional formats and charts over the rows written (the layout is described in
// WorkbookExport.h).
#pragma once

#include <xlsxwriter.h>

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "export/WorkbookCells.h"
#include "export/WorkbookGroups.h"
#include "export/WorkbookMerges.h"
#include "export/WorkbookPageSetup.h"
#include "export/WorkbookStyles.h"
#include "grid/Sheet.h"
#include "print/codes/PrintCodes.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// The writer's scratch files (one per worksheet, unlinked as soon as made) are closed only by
// a workbook_close that succeeds. After a failure they would hold their space, on a disk that
// may just have filled up, until the process ends: whatever is still open of them is closed
// when this object goes. Each is known by descriptor and file identity, so a descriptor the
// writer closed and the system handed out again is never touched.
class ScratchFiles {
public:
    ScratchFiles() = default;
    ScratchFiles(const ScratchFiles &) = delete;
    ScratchFiles &operator=(const ScratchFiles &) = delete;
    ~ScratchFiles();
    // Remembers the scratch file of `ws`, when it has one.
    void add(lxw_worksheet *ws);

private:
    struct File {
        int fd;
        dev_t dev;
        ino_t ino;
    };
    std::vector<File> m_files;
};

// Writes rows in order over as many worksheets as they need (WorksheetRows). Every worksheet
// after the first starts with the sheet's label row. A grouped sheet's rows carry their
// outline levels and its totals are formulas (WorkbookGroups). Failures throw Error(Io) with
// the workbook library's reason.
class RowWriter {
public:
    // `linesAbove` header lines come before the sheet's label row; every worksheet prints
    // with `page`, which outlives the writer.
    RowWriter(lxw_workbook *wb, ScratchFiles &scratch, const grid::Sheet &sheet,
              int rowsPerWorksheet, int linesAbove, const WorkbookPage &page);

    // One header or footer line: its left, centre and right parts in columns 1, 5 and 9, a
    // part that is the page number's code alone left empty. Nothing is written in the cells
    // between, so that a part's text runs on over them.
    void headerFooterLine(const print::PlainLine &parts);

    // The sheet rows from the label row down, prepared on a thread of their own while the
    // earlier ones are written (RowPreparer), each checked with `progress` by its number.
    void sheetRows(base::Progress &progress);

    // Throws Error(Io) with the system's reason when a worksheet's scratch file lost a write.
    void checkScratch() const;

    // The sheet's conditional formats as the workbook's own rules on every worksheet, over the
    // worksheet rows of its data rows, so that they keep working when a number is edited.
    void conditionalFormats();

    // The sheet's charts as native charts below the data, one under the other, on the last
    // worksheet holding data rows, their series referring to that worksheet's data cells.
    // They start a page of their own (a page break after the last sheet row). Group charts'
    // values refer to the subtotal cells. A chart that cannot be made is left out: the
    // report's build told the user why.
    void charts();

    // Once everything is written: each worksheet's print area (from the label row through
    // the last sheet row, or the last chart), its page breaks (the groups' and the charts')
    // and its default row height (finishWorkbookPage).
    void finishPages();

    // What the workbook could not carry as the report shows it, one sentence each (runs left
    // unmerged past a worksheet's merged ranges).
    QStringList notes() const { return m_merges.notes(m_worksheets); }

private:
    // Charts below the data: the blank rows above each, and the height of a default row in
    // pixels at kPixelsPerInch, the unit a chart's size is inserted in. The rows under a chart
    // are the worksheet's default rows, whose height is the sheet's (set when the pages are
    // finished); the writer places the chart over them by that height, so the rows a chart
    // covers, and the print area with them, are counted by it too.
    static constexpr lxw_row_t kChartGapRows = 2;
    static constexpr double kPixelsPerInch = 96.0;
    static constexpr double kRowPixels = grid::kDefaultRowHeight * kPixelsPerInch / 72.0;

    lxw_row_t nextRow();
    void addWorksheet();
    void setOutline();
    double rowHeight(int r);
    void addColumnFormats();
    bool writeTotal(lxw_row_t row, int c, std::string_view text);
    void writeSheetRow(lxw_row_t row, int r, const PreparedCell *cells, const std::string &texts);
    void writeText(lxw_row_t row, lxw_col_t col, std::string_view text);
    // Whether the line after the row being written goes to the same worksheet.
    bool belowOnSameWorksheet() const;
    static void check(lxw_error err);

    lxw_workbook *m_wb;
    ScratchFiles &m_scratch;
    std::vector<ColumnCells> m_formats;  // by sheet column
    lxw_worksheet *m_ws = nullptr;
    std::vector<lxw_worksheet *> m_worksheets;
    const grid::Sheet &m_sheet;
    const int m_cols;
    const WorksheetRows m_rows;
    WorkbookGroups m_groups;
    WorkbookStyles m_looks;
    WorkbookMerges m_merges;
    const lxw_row_t m_labelRow;
    const lxw_row_t m_capacity;  // rows of a worksheet
    const WorkbookPage &m_page;
    std::map<int, double>::const_iterator m_height;  // the next row height of the sheet's own
    int m_chartWorksheet = -1;                       // where the charts are, -1 for none
    lxw_row_t m_chartBreak = 0;                      // the row starting their page
    lxw_row_t m_chartEnd = 0;                        // the last row they cover
    long long m_line = 0;                            // the next line of m_rows
    std::string m_buffer;   // the current header or footer text, NUL-terminated for the writer
    PreparedRows m_labels;  // the label row, for the worksheets after the first
};

}  // namespace tessel::exports
