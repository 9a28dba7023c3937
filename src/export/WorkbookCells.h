// What each sheet cell becomes in a workbook (a number, a text or a date, with or without its
// column's format), worked out for batches of rows on a thread of its own while the writer
// puts the previous batches into the workbook. Used by writeWorkbook; no file is touched here.
#pragma once

#include <xlsxwriter.h>

#include <QChar>

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "grid/ColumnFormat.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// How the data cells of one sheet column go into the workbook.
struct ColumnCells {
    grid::FormatKind kind = grid::FormatKind::General;
    bool merged = false;  // its runs of equal values show as one cell (合并)
};

// One cell as the workbook gets it. A text is NUL-terminated in its batch's texts, already
// cut to kCellTextMax UTF-16 units; a date is a date from 1900 on.
struct PreparedCell {
    enum class Kind : std::uint8_t { Empty, Number, Text, Date };
    double number = 0;       // Number
    std::uint32_t text = 0;  // Text: offset into PreparedRows::texts
    std::int16_t year = 0;   // Date, with the fields below
    Kind kind = Kind::Empty;
    bool formatted = false;  // carries its column's workbook format
    // Number: the number format that shows it as the sheet spells it (spelledFormat), 0 for
    // the workbook's general form.
    std::uint16_t spelling = 0;
    std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    // Text: a number on paper that the workbook holds as text (more digits than a workbook
    // number keeps), so it is aligned as paper aligns a number.
    bool numberText : 1 = false;
    // A data cell of a merged column equal to the data cell above / below it (a run, see
    // grid::inColumnRun), by the sheet's rows.
    bool joinsAbove : 1 = false;
    bool joinsBelow : 1 = false;
};

// A number the sheet spells otherwise than the workbook's general form shows it ("1,234",
// "1.50", "007", ".5"), as a small code for the number format that shows it so: 0 when the
// general form shows it as spelt (or nearly: a sign, blanks or an exponent are not kept).
// `group` is the thousands separator the text was read with.
std::uint16_t numberSpelling(std::string_view text, QChar group);
// The workbook number format of a spelling code: "#,##0", "0.00", "000", "#.0".
std::string spelledFormat(std::uint16_t spelling);

// Appends `text` to `out` as a workbook cell holds it, cut to kCellTextMax UTF-16 units
// (never inside a character), and a NUL after it.
void appendCellText(std::string &out, std::string_view text);

// Consecutive sheet rows, each as `cols` cells (sheet columns 1..cols).
struct PreparedRows {
    int first = 0;  // sheet row of the first
    int count = 0;
    int cols = 0;
    std::vector<PreparedCell> cells;  // count x cols, row by row
    std::string texts;

    const PreparedCell *row(int i) const {
        return cells.data() + std::size_t(i) * std::size_t(cols);
    }

    // Empties the batch for `cols` columns from sheet row `first`, keeping its memory.
    void reset(int firstRow, int columns);
    // Appends sheet row `r` of `sheet`, its columns going in by `formats` (indexed by sheet
    // column, 1..cols). The label row (0) and header lines take no column format, and join
    // no run.
    void add(const grid::Sheet &sheet, const std::vector<ColumnCells> &formats, int r);
};

// Prepares the sheet rows first..last (inclusive) in batches on a thread of its own, at most
// a few batches ahead of the one being written, so memory stays bounded however long the
// sheet is. The sheet and the formats must not change until this object is gone; going
// early (a cancel, a failed write) stops the thread.
class RowPreparer {
public:
    RowPreparer(const grid::Sheet &sheet, const std::vector<ColumnCells> &formats, int first,
                int last);
    ~RowPreparer();
    RowPreparer(const RowPreparer &) = delete;
    RowPreparer &operator=(const RowPreparer &) = delete;

    // The next batch in row order, waiting for it; nullptr after the last. Valid until
    // release(). Throws what preparing it threw.
    const PreparedRows *next();
    // Hands the batch got from next() back for reuse.
    void release();

private:
    void run();

    const grid::Sheet &m_sheet;
    const std::vector<ColumnCells> &m_formats;
    const int m_first, m_last;
    std::vector<PreparedRows> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    long long m_made = 0;  // batches prepared, under m_mutex
    long long m_used = 0;  // batches released, under m_mutex
    bool m_done = false;   // the thread made its last batch, or failed
    bool m_stop = false;   // the writer went
    std::exception_ptr m_failure;
    std::thread m_thread;  // last: starts once the rest is set
};

}  // namespace tessel::exports
