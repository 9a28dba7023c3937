#include "export/WorkbookStyles.h"

#include <tessel/Error.h>

#include <algorithm>

#include "base/Language.h"
#include "grid/ColumnFormat.h"
#include "print/CellContentLayout.h"
#include "print/CellLayout.h"

namespace tessel::exports {

namespace {

enum Side { kTop, kLeft, kBottom, kRight };

// The workbook reads colour 0 as "not set": black has a value of its own.
lxw_color_t workbookColour(QRgb rgb) {
    const lxw_color_t c = lxw_color_t(rgb & 0xFFFFFF);
    return c == 0 ? lxw_color_t(LXW_COLOR_BLACK) : c;
}

std::uint8_t workbookAlign(print::TextAlign align) {
    switch (align) {
        case print::TextAlign::Left:
            return LXW_ALIGN_LEFT;
        case print::TextAlign::Center:
            return LXW_ALIGN_CENTER;
        case print::TextAlign::Right:
            return LXW_ALIGN_RIGHT;
    }
    return LXW_ALIGN_NONE;
}

}  // namespace

WorkbookStyles::WorkbookStyles(lxw_workbook *wb, const grid::Sheet &sheet)
    : m_wb(wb), m_sheet(sheet), m_cols(sheet.maxCols()) {
    m_numberFormats.emplace_back();
    m_columnNumbers.assign(std::size_t(m_cols) + 1, 0);
    for (const auto &[col, format] : sheet.colFormats()) {
        if (col >= 1 && col <= m_cols)
            m_columnNumbers[std::size_t(col)] =
                numberFormatIndex(grid::workbookNumberFormat(format).toStdString());
    }
    if (sheet.print().border) {
        for (int c = 1; c <= m_cols; ++c) {
            if (sheet.colHidden(c))
                continue;
            m_firstShown = m_firstShown ? m_firstShown : c;
            m_lastShown = c;
        }
    }
    // Rows whose cells may look otherwise than their columns' data cells: their own styles,
    // the marked rows (the totals row is bold whatever its style) and the frame's last row.
    m_ownRows = sheet.rowsWithOwnStyles();
    for (const auto &[row, mark] : sheet.rowMarks())
        m_ownRows.push_back(row);
    if (m_firstShown && sheet.maxRows() >= 1)
        m_ownRows.push_back(sheet.maxRows());
    std::sort(m_ownRows.begin(), m_ownRows.end());
    m_ownRows.erase(std::unique(m_ownRows.begin(), m_ownRows.end()), m_ownRows.end());

    fillSlots(m_labelSlots, 0);
    // Any row from 1 that is none of those shows its columns' styles.
    int plain = 1;
    for (const int row : m_ownRows) {
        if (row == plain)
            ++plain;
        else if (row > plain)
            break;
    }
    if (plain <= grid::kMaxRowNumber)
        fillSlots(m_dataSlots, plain);
    m_current = &m_labelSlots;
}

void WorkbookStyles::enterRow(int row) {
    if (row == 0) {
        m_current = &m_labelSlots;
        return;
    }
    while (m_nextOwn < m_ownRows.size() && m_ownRows[m_nextOwn] < row)
        ++m_nextOwn;
    if (m_nextOwn < m_ownRows.size() && m_ownRows[m_nextOwn] == row) {
        fillSlots(m_rowSlots, row);
        m_current = &m_rowSlots;
    } else {
        m_current = &m_dataSlots;
    }
}

lxw_format *WorkbookStyles::cell(int col, const PreparedCell &cell) {
    const Slot &s = (*m_current)[std::size_t(col)];
    if (cell.formatted)
        return s.numbered;
    if (cell.spelling) {
        auto found = m_spellings.find(cell.spelling);
        if (found == m_spellings.end())
            found =
                m_spellings.emplace(cell.spelling, numberFormatIndex(spelledFormat(cell.spelling)))
                    .first;
        return format(s.look, found->second, false);
    }
    if (cell.numberText && m_looks[s.look].align == LXW_ALIGN_NONE)
        return format(s.look, 0, true);
    return s.plain;
}

void WorkbookStyles::fillSlots(std::vector<Slot> &table, int row) {
    table.assign(std::size_t(m_cols) + 1, Slot{});
    const grid::RowKind kind = row >= 1 ? m_sheet.rowMark(row).kind : grid::RowKind::Data;
    const Role role = row == 0                        ? Role::Label
                      : kind == grid::RowKind::Totals ? Role::Totals
                                                      : Role::Data;
    for (int c = 1; c <= m_cols; ++c) {
        Slot &s = table[std::size_t(c)];
        const Look l = look(m_sheet.style(c, row), role, c, row);
        s.look = lookIndex(l);
        s.plain = format(s.look, 0, false);
        const std::uint16_t number = row >= 1 ? m_columnNumbers[std::size_t(c)] : 0;
        s.numbered = number ? format(s.look, number, false) : s.plain;
        const bool shows =
            l.fill != kNoColour || std::any_of(std::begin(l.borders), std::end(l.borders),
                                               [](std::uint8_t b) { return b != LXW_BORDER_NONE; });
        s.blank = shows ? s.plain : nullptr;
    }
}

WorkbookStyles::Look WorkbookStyles::look(const grid::CellStyle &style, Role role, int col,
                                          int row) const {
    const grid::PrintSettings &print = m_sheet.print();
    Look l;
    l.font = style.font;
    l.font.bold = style.font.bold || role != Role::Data;
    if (style.foreground.isValid())
        l.colour = style.foreground.rgb() & 0xFFFFFF;
    if (style.background.isValid())
        l.fill = style.background.rgb() & 0xFFFFFF;
    const auto setSide = [&l](int side, QRgb colour) {
        l.borders[side] = LXW_BORDER_THIN;
        l.borderColours[side] = colour;
    };
    for (int side = kTop; side <= kRight; ++side) {
        if (style.border)
            setSide(side, style.borderColor.isValid() ? style.borderColor.rgb()
                                                      : print::kDefaultBorderGrey);
        else if (print.gridLines)
            setSide(side, print::kGridLineGrey);
    }
    if (m_firstShown) {
        const QRgb black = qRgb(0, 0, 0);
        if (row == 0)
            setSide(kTop, black);
        if (row >= 1 && row == m_sheet.maxRows())
            setSide(kBottom, black);
        if (col == m_firstShown)
            setSide(kLeft, black);
        if (col == m_lastShown)
            setSide(kRight, black);
    }
    // Paper's rule for a text and for a number: where they agree the alignment is the cell's
    // own; where they differ it is general, which the workbook applies by the cell's type.
    const bool header = role == Role::Label;
    const print::TextAlign asText = print::cellTextAlign(style, QString(), header, false);
    const print::TextAlign asNumber = print::cellTextAlign(style, QString(), header, true);
    l.align = asText == asNumber ? workbookAlign(asText) : std::uint8_t(LXW_ALIGN_NONE);
    l.wrap = header;
    return l;
}

std::uint16_t WorkbookStyles::lookIndex(const Look &look) {
    // A report has a handful of looks: a linear search finds them.
    const auto found = std::find(m_looks.begin(), m_looks.end(), look);
    if (found != m_looks.end())
        return std::uint16_t(found - m_looks.begin());
    m_looks.push_back(look);
    return std::uint16_t(m_looks.size() - 1);
}

std::uint16_t WorkbookStyles::numberFormatIndex(const std::string &code) {
    if (code.empty())
        return 0;
    const auto [it, added] = m_numberIndex.emplace(code, std::uint16_t(m_numberFormats.size()));
    if (added)
        m_numberFormats.push_back(code);
    return it->second;
}

lxw_format *WorkbookStyles::format(std::uint16_t look, std::uint16_t numberFormat, bool right) {
    const std::uint64_t key =
        (std::uint64_t(look) << 32) | (std::uint64_t(numberFormat) << 1) | (right ? 1 : 0);
    lxw_format *&f = m_formats[key];
    if (f)
        return f;
    f = workbook_add_format(m_wb);
    if (!f)
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"), QString());
    const Look &l = m_looks[look];
    const QByteArray font = l.font.name.toUtf8();
    format_set_font_name(f, font.constData());
    format_set_font_size(f, l.font.size);
    if (l.font.bold)
        format_set_bold(f);
    if (l.font.italic)
        format_set_italic(f);
    if (l.font.underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (l.font.strikeout)
        format_set_font_strikeout(f);
    if (l.colour != kNoColour)
        format_set_font_color(f, workbookColour(l.colour));
    if (l.fill != kNoColour) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, workbookColour(l.fill));
    }
    using SetBorder = void (*)(lxw_format *, uint8_t);
    using SetColour = void (*)(lxw_format *, lxw_color_t);
    static constexpr SetBorder setBorder[4] = {format_set_top, format_set_left, format_set_bottom,
                                               format_set_right};
    static constexpr SetColour setColour[4] = {format_set_top_color, format_set_left_color,
                                               format_set_bottom_color, format_set_right_color};
    for (int side = kTop; side <= kRight; ++side) {
        if (l.borders[side] == LXW_BORDER_NONE)
            continue;
        setBorder[side](f, l.borders[side]);
        setColour[side](f, workbookColour(l.borderColours[side]));
    }
    const std::uint8_t align = right ? std::uint8_t(LXW_ALIGN_RIGHT) : l.align;
    if (align != LXW_ALIGN_NONE)
        format_set_align(f, align);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    if (l.wrap)
        format_set_text_wrap(f);
    if (numberFormat)
        format_set_num_format(f, m_numberFormats[numberFormat].c_str());
    return f;
}

}  // namespace tessel::exports
