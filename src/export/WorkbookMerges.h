// The runs of equal values down a merged column (合并, grid::inColumnRun) as the workbook's
// merged ranges, the value in the run's first cell and its other cells blank in the first
// cell's format. Used by the row writer; no file is touched here.
//
// The workbook is written a row at a time and a written row cannot be gone back to, so a run
// is merged when the writer is at its last row, which the cells know (PreparedCell::joinsBelow).
// A run never crosses a worksheet: one cut by the end of a worksheet ends there, and its rest
// starts a run of its own, with the value again, on the next. A worksheet holds at most
// `limit` merged ranges; the runs past them keep every cell's value, unmerged, and notes()
// says on which worksheets.
#pragma once

#include <xlsxwriter.h>

#include <QStringList>
#include <cstddef>
#include <vector>

#include "export/WorkbookCells.h"

namespace tessel::exports {

// The merged ranges a worksheet of the workbook holds at most.
constexpr std::size_t kMaxMergesPerWorksheet = 65'535;

class WorkbookMerges {
public:
    explicit WorkbookMerges(int cols, std::size_t limit = kMaxMergesPerWorksheet);

    // For a cell of column `col` (from 1) that joins a run (joinsAbove or joinsBelow) about
    // to be written on worksheet `worksheet` (from 0): the format to write it blank with when
    // it lies inside a run being merged, nullptr to write it as usual.
    lxw_format *inside(int worksheet, int col, const PreparedCell &cell) const {
        const Run &run = m_runs[std::size_t(col)];
        return run.open && run.merged && cell.joinsAbove && run.worksheet == worksheet ? run.format
                                                                                       : nullptr;
    }

    // After writing that cell at `row` of `ws` (worksheet `worksheet`) with `format`: starts a
    // run at its first cell and merges it at its last. `belowOnSameWorksheet`: the next row
    // goes to the same worksheet. Returns the workbook library's error, LXW_NO_ERROR if none.
    lxw_error written(lxw_worksheet *ws, int worksheet, lxw_row_t row, int col,
                      const PreparedCell &cell, lxw_format *format, bool belowOnSameWorksheet);

    // One sentence per export naming the worksheets where runs were left unmerged; empty when
    // every run was merged.
    QStringList notes(const std::vector<lxw_worksheet *> &worksheets) const;

private:
    struct Run {
        bool open = false;
        bool merged = false;  // a range was set aside for it
        int worksheet = 0;
        lxw_row_t first = 0;
        lxw_format *format = nullptr;
    };

    const std::size_t m_limit;
    std::vector<Run> m_runs;            // by column from 1
    std::vector<std::size_t> m_merges;  // by worksheet: ranges set aside
    std::vector<bool> m_refused;        // by worksheet: a run was left unmerged
};

}  // namespace tessel::exports
