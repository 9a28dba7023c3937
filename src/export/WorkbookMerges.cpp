#include "export/WorkbookMerges.h"

#include <algorithm>

#include "base/Language.h"

namespace tessel::exports {

WorkbookMerges::WorkbookMerges(int cols, std::size_t limit)
    : m_limit(limit), m_runs(std::size_t(std::max(cols, 0)) + 1) {}

lxw_error WorkbookMerges::written(lxw_worksheet *ws, int worksheet, lxw_row_t row, int col,
                                  const PreparedCell &cell, lxw_format *format,
                                  bool belowOnSameWorksheet) {
    Run &run = m_runs[std::size_t(col)];
    const bool continues = run.open && cell.joinsAbove && run.worksheet == worksheet;
    const bool goesOn = cell.joinsBelow && belowOnSameWorksheet;
    if (!continues) {
        run = Run{};
        if (!goesOn)
            return LXW_NO_ERROR;
        if (std::size_t(worksheet) >= m_merges.size()) {
            m_merges.resize(std::size_t(worksheet) + 1, 0);
            m_refused.resize(std::size_t(worksheet) + 1, false);
        }
        // The range is set aside when the run starts: its cells are written blank from the
        // next row on, which only a merged range makes right.
        run.open = true;
        run.worksheet = worksheet;
        run.first = row;
        run.format = format;
        run.merged = m_merges[std::size_t(worksheet)] < m_limit;
        if (run.merged)
            ++m_merges[std::size_t(worksheet)];
        else
            m_refused[std::size_t(worksheet)] = true;
        return LXW_NO_ERROR;
    }
    if (goesOn)
        return LXW_NO_ERROR;
    run.open = false;
    if (!run.merged)
        return LXW_NO_ERROR;
    // At the run's last row the library takes the range; what it writes to the rows already
    // gone (the first cell, the blanks) it drops, so the first cell keeps its value, and the
    // blank it writes at this row has the format this cell was written with.
    return worksheet_merge_range(ws, run.first, lxw_col_t(col - 1), row, lxw_col_t(col - 1), "",
                                 run.format);
}

QStringList WorkbookMerges::notes(const std::vector<lxw_worksheet *> &worksheets) const {
    QStringList names;
    for (std::size_t i = 0; i < m_refused.size() && i < worksheets.size(); ++i) {
        if (m_refused[i])
            names << QString::fromUtf8(worksheets[i]->name);
    }
    if (names.isEmpty())
        return {};
    return {tessel::base::tr("一个工作表最多容纳 %1 个合并区域：工作表 %2 中其余相同值的单元格"
                             "没有合并，各自保留其值。")
                .arg(m_limit)
                .arg(names.join(tessel::base::tr("、")))};
}

}  // namespace tessel::exports
