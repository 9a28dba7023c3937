// The workbook formats a sheet's cells are written with, so that the workbook looks like the
// printed report. Used by the row writer; no file is touched here.
//
// A cell's format carries its style (grid::CellStyle: font, size, bold, italic, underline,
// strike-out, text colour, fill) with:
//   - borders as paper draws them: thin grid lines (print::kGridLineGrey) on every side when
//     the report prints grid lines, the cell's own border in its colour, and the table's
//     frame (PrintSettings::border) in black on the outer edges: above the label row, left
//     of the first shown column, right of the last, below the sheet's last row;
//   - the label row and the totals row bold, the label row's texts centred and wrapped as
//     its labels are on paper; header and subtotal rows as their row style makes them (bold
//     on a light fill, as grouping leaves them);
//   - alignment as on paper (print::cellTextAlign): an explicit one kept; a general one left
//     to the workbook, which puts numbers right and texts left as paper does, except for a
//     text that paper reads as a number (PreparedCell::numberText), put right;
//   - every text centred vertically in its cell, as paper centres it (a merged run too);
//   - the number format the cell carries (its column's, or the one that shows it as spelt).
// One workbook format is made per distinct combination and shared by every cell that has it;
// the rows whose styles are those of their columns share one table made once, so a cell costs
// a table look-up.
#pragma once

#include <xlsxwriter.h>

#include <QRgb>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/WorkbookCells.h"
#include "grid/Sheet.h"

namespace tessel::exports {

class WorkbookStyles {
public:
    // The formats go into `wb`; `sheet` must not change while this object is used.
    WorkbookStyles(lxw_workbook *wb, const grid::Sheet &sheet);

    // Moves to sheet row `row`: 0 the label row, which may come in between, rows from 1 in
    // increasing order.
    void enterRow(int row);

    // The format of the cell in column `col` (from 1) of the row entered, going in as `cell`.
    lxw_format *cell(int col, const PreparedCell &cell);
    // The format of a subtotal or totals formula in column `col`: with the column's number
    // format when `numbered`.
    lxw_format *total(int col, bool numbered) const {
        const Slot &s = (*m_current)[std::size_t(col)];
        return numbered ? s.numbered : s.plain;
    }
    // The format an empty cell of column `col` is written with so that its fill and borders
    // show; nullptr when it would show nothing.
    lxw_format *blank(int col) const { return (*m_current)[std::size_t(col)].blank; }

private:
    static constexpr QRgb kNoColour = 0xFF000000;  // no RGB value has its alpha byte set

    // What a format shows, besides its number format.
    struct Look {
        grid::CellFont font;
        QRgb colour = kNoColour;
        QRgb fill = kNoColour;
        std::uint8_t borders[4] = {};  // top, left, bottom, right: LXW_BORDER_*
        QRgb borderColours[4] = {};
        std::uint8_t align = 0;  // LXW_ALIGN_*, LXW_ALIGN_NONE for the workbook's own
        bool wrap = false;
        bool operator==(const Look &) const = default;
    };
    // The formats of one column's cells in a row.
    struct Slot {
        std::uint16_t look = 0;
        lxw_format *plain = nullptr;
        lxw_format *numbered = nullptr;  // with the column's number format
        lxw_format *blank = nullptr;
    };
    enum class Role { Label, Data, Totals };

    void fillSlots(std::vector<Slot> &table, int row);
    Look look(const grid::CellStyle &style, Role role, int col, int row) const;
    std::uint16_t lookIndex(const Look &look);
    lxw_format *format(std::uint16_t look, std::uint16_t numberFormat, bool right);
    std::uint16_t numberFormatIndex(const std::string &code);

    lxw_workbook *m_wb;
    const grid::Sheet &m_sheet;
    const int m_cols;
    int m_firstShown = 0, m_lastShown = 0;       // the frame's columns; 0 without a frame
    std::vector<std::uint16_t> m_columnNumbers;  // by column: its number format, 0 none
    std::vector<Look> m_looks;
    std::vector<std::string> m_numberFormats;  // [0] none
    std::map<std::string, std::uint16_t> m_numberIndex;
    std::unordered_map<std::uint16_t, std::uint16_t> m_spellings;  // spelling -> number format
    std::unordered_map<std::uint64_t, lxw_format *> m_formats;
    std::vector<int> m_ownRows;  // rows styled otherwise than their columns, in order
    std::size_t m_nextOwn = 0;
    std::vector<Slot> m_labelSlots, m_dataSlots, m_rowSlots;  // by column from 1
    const std::vector<Slot> *m_current = &m_labelSlots;
};

}  // namespace tessel::exports
