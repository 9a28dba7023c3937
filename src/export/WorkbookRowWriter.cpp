#include "export/WorkbookRowWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <tessel/Error.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

#include "base/Language.h"
#include "export/WorkbookCharts.h"
#include "export/WorkbookColumns.h"
#include "export/WorkbookConditions.h"
#include "export/WorkbookExport.h"
#include "grid/ColumnFormat.h"
#include "grid/Paper.h"
#include "grid/Sheet.h"

namespace tessel::exports {

namespace {

// Worksheet columns (from 0) of the left, centre and right parts of a header/footer line.
constexpr lxw_col_t kPartCols[3] = {0, 4, 8};

Error ioError(const QString &message, const QString &reason) {
    return Error(Error::Category::Io, message, reason);
}

QString lxwReason(lxw_error err) {
    return QString::fromUtf8(lxw_strerror(err));
}

}  // namespace

ScratchFiles::~ScratchFiles() {
    for (const File &f : m_files) {
        struct stat st {};
        if (::fstat(f.fd, &st) == 0 && st.st_dev == f.dev && st.st_ino == f.ino && st.st_nlink == 0)
            ::close(f.fd);
    }
}

void ScratchFiles::add(lxw_worksheet *ws) {
    struct stat st {};
    if (ws->optimize_tmpfile && ::fstat(fileno(ws->optimize_tmpfile), &st) == 0)
        m_files.push_back({fileno(ws->optimize_tmpfile), st.st_dev, st.st_ino});
}

RowWriter::RowWriter(lxw_workbook *wb, ScratchFiles &scratch, const grid::Sheet &sheet,
                     int rowsPerWorksheet, int linesAbove, const WorkbookPage &page)
    : m_wb(wb),
      m_scratch(scratch),
      m_sheet(sheet),
      m_cols(sheet.maxCols()),
      m_rows(linesAbove, rowsPerWorksheet),
      m_groups(sheet, m_rows),
      m_looks(wb, sheet),
      m_merges(sheet.maxCols()),
      m_labelRow(lxw_row_t(std::min(linesAbove, rowsPerWorksheet - 1))),
      m_capacity(lxw_row_t(rowsPerWorksheet)),
      m_page(page),
      m_height(sheet.rowHeightOverrides().lower_bound(1)) {
    addColumnFormats();
    addWorksheet();
}

void RowWriter::headerFooterLine(const print::PlainLine &parts) {
    const lxw_row_t row = nextRow();
    for (int i = 0; i < 3; ++i) {
        if (!parts[i].isEmpty()) {
            const QByteArray utf8 = parts[i].toUtf8();
            writeText(row, kPartCols[i], std::string_view(utf8.constData(), utf8.size()));
        }
    }
}

void RowWriter::sheetRows(base::Progress &progress) {
    RowPreparer prepared(m_sheet, m_formats, 0, m_sheet.maxRows());
    while (const PreparedRows *batch = prepared.next()) {
        for (int i = 0; i < batch->count; ++i) {
            const int r = batch->first + i;
            progress.checkRow(r);
            writeSheetRow(nextRow(), r, batch->row(i), batch->texts);
        }
        prepared.release();
    }
}

// The writer keeps each worksheet's rows in a scratch file and does not check those writes; a
// failed one (a full disk) leaves the file's error flag set.
void RowWriter::checkScratch() const {
    for (lxw_worksheet *ws : m_worksheets) {
        FILE *scratch = ws->optimize_tmpfile;
        if (scratch && (std::fflush(scratch) != 0 || std::ferror(scratch))) {
            throw ioError(tessel::base::tr("工作表写入失败"),
                          QString::fromLocal8Bit(std::strerror(errno ? errno : EIO)));
        }
    }
}

void RowWriter::conditionalFormats() {
    const grid::ConditionRules &rules = m_sheet.conditions();
    if (rules.empty())
        return;
    for (const auto &[worksheet, ranges] : dataRowRanges(m_sheet, m_rows)) {
        if (worksheet >= 0 && std::size_t(worksheet) < m_worksheets.size())
            writeConditionalFormats(m_wb, m_worksheets[std::size_t(worksheet)], rules, ranges,
                                    m_cols);
    }
}

void RowWriter::charts() {
    const grid::ChartSpecs &specs = m_sheet.charts();
    if (specs.empty())
        return;
    const std::map<int, std::vector<RowRange>> ranges = dataRowRanges(m_sheet, m_rows);
    int worksheet = int(m_worksheets.size()) - 1;
    std::vector<RowRange> dataRows;
    lxw_row_t row = m_rows.placeOfLine(m_line).row;
    if (!ranges.empty()) {
        const auto last = std::prev(ranges.end());
        if (last->first != m_rows.placeOfLine(m_line).worksheet)
            row = last->second.back().last + 1;
        worksheet = last->first;
        dataRows = last->second;
    }
    if (worksheet < 0 || std::size_t(worksheet) >= m_worksheets.size())
        return;
    // The charts' page starts after the last sheet row: the footer lines in cells print
    // above them there, and the table's pages stay as the report's.
    const WorksheetPlace end = m_rows.placeOfSheetRow(m_sheet.maxRows());
    const lxw_row_t pageStart = end.worksheet == worksheet ? end.row + 1 : row;
    lxw_worksheet *target = m_worksheets[std::size_t(worksheet)];
    const QString name = QString::fromUtf8(target->name);
    WorkbookCharts writer(m_wb, m_sheet, [this](int sheetRow, int col) {
        const WorksheetPlace place = m_rows.placeOfSheetRow(sheetRow);
        if (place.worksheet < 0 || std::size_t(place.worksheet) >= m_worksheets.size())
            return std::string();
        char cell[LXW_MAX_CELL_NAME_LENGTH];
        lxw_rowcol_to_cell(cell, place.row, lxw_col_t(col - 1));
        return quotedWorksheetName(
                   QString::fromUtf8(m_worksheets[std::size_t(place.worksheet)]->name)) +
               "!" + cell;
    });
    row += kChartGapRows;
    bool inserted = false;
    for (grid::ChartSpec chart : specs) {
        // A chart wider than the report's first band of columns is shrunk with its height to
        // it, as paper shrinks it to the page: across more columns it would print in pieces.
        const double pixels = chart.widthCm / 2.54 * kPixelsPerInch;
        if (m_page.chartPixels > 0 && pixels > m_page.chartPixels) {
            chart.heightCm *= m_page.chartPixels / pixels;
            chart.widthCm *= m_page.chartPixels / pixels;
        }
        if (!writer.insert(target, name, chart, dataRows, worksheet == 0 ? m_labelRow : 0, row)
                 .isEmpty())
            continue;
        inserted = true;
        row += lxw_row_t(std::ceil(chart.heightCm / 2.54 * kPixelsPerInch / kRowPixels));
        m_chartEnd = row;
        row += kChartGapRows;
    }
    if (inserted) {
        m_chartWorksheet = worksheet;
        m_chartBreak = pageStart;
    }
}

void RowWriter::finishPages() {
    const WorksheetPlace end = m_rows.placeOfSheetRow(m_sheet.maxRows());
    for (std::size_t i = 0; i < m_worksheets.size(); ++i) {
        const int w = int(i);
        const lxw_row_t first = w == 0 ? m_labelRow : 0;
        lxw_row_t last = w < end.worksheet ? m_capacity - 1 : w == end.worksheet ? end.row : first;
        std::vector<lxw_row_t> breaks;
        if (m_groups.grouped())
            breaks = m_groups.pageBreaks(w);
        if (w == m_chartWorksheet) {
            last = std::max(last, m_chartEnd);
            breaks.insert(std::upper_bound(breaks.begin(), breaks.end(), m_chartBreak),
                          m_chartBreak);
            breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
        }
        finishWorkbookPage(m_worksheets[i], first, last, lxw_col_t(std::max(m_cols, 1) - 1),
                           std::move(breaks));
    }
}

lxw_row_t RowWriter::nextRow() {
    const WorksheetPlace place = m_rows.placeOfLine(m_line++);
    if (place.worksheet == int(m_worksheets.size())) {
        addWorksheet();
        m_labels.reset(0, m_cols);
        m_labels.add(m_sheet, m_formats, 0);
        writeSheetRow(0, 0, m_labels.row(0), m_labels.texts);
    }
    return place.row;
}

void RowWriter::addWorksheet() {
    m_ws = workbook_add_worksheet(m_wb, nullptr);
    if (!m_ws)
        throw ioError(tessel::base::tr("无法在工作簿中添加工作表"), QString());
    m_worksheets.push_back(m_ws);
    m_scratch.add(m_ws);
    setWorkbookPage(m_ws, m_sheet, m_page, m_worksheets.size() == 1 ? m_labelRow : 0);
    if (m_groups.grouped())
        setOutline();
    setWorkbookColumns(m_ws, m_sheet);
}

// Collapsing a group leaves its subtotal row below it shown.
void RowWriter::setOutline() {
    worksheet_outline_settings(m_ws, LXW_TRUE, LXW_TRUE, LXW_TRUE, LXW_FALSE);
}

// The sheet's height of row `r`; rows other than the label row are asked in increasing order.
double RowWriter::rowHeight(int r) {
    if (r == 0)
        return m_sheet.rowHeight(0);
    const std::map<int, double> &heights = m_sheet.rowHeightOverrides();
    while (m_height != heights.end() && m_height->first < r)
        ++m_height;
    return m_height != heights.end() && m_height->first == r ? m_height->second
                                                             : grid::kDefaultRowHeight;
}

// How each column's data cells go in: its format's kind (the formats they carry are
// WorkbookStyles'), and whether its runs of equal values merge.
void RowWriter::addColumnFormats() {
    m_formats.assign(std::size_t(m_cols) + 1, ColumnCells{});
    for (const auto &[col, format] : m_sheet.colFormats()) {
        if (col >= 1 && col <= m_cols)
            m_formats[std::size_t(col)].kind = format.kind;
    }
    for (int c = 1; c <= m_cols; ++c)
        m_formats[std::size_t(c)].merged = m_sheet.colMerge(c) == grid::MergeMode::Always;
}

// A subtotal or totals cell as its formula, with the sheet's number cached and its
// column's number format. A text-format column holds no numbers to total: its cells stay
// text. Returns false for a cell to write as usual.
bool RowWriter::writeTotal(lxw_row_t row, int c, std::string_view text) {
    const ColumnCells &cells = m_formats[std::size_t(c)];
    if (cells.kind == grid::FormatKind::Text)
        return false;
    const std::optional<TotalFormula> total = m_groups.formula(c, text);
    if (!total)
        return false;
    const bool numeric =
        cells.kind == grid::FormatKind::Number || cells.kind == grid::FormatKind::Percent;
    check(worksheet_write_formula_num(m_ws, row, lxw_col_t(c - 1), total->text.c_str(),
                                      m_looks.total(c, numeric), total->value));
    return true;
}

void RowWriter::writeSheetRow(lxw_row_t row, int r, const PreparedCell *cells,
                              const std::string &texts) {
    bool totals = false;
    lxw_row_col_options options{};
    if (r >= 1 && m_groups.grouped()) {
        options.level = uint8_t(m_groups.enterRow(r));
        totals = m_groups.rowHasTotals();
    }
    // A row of the default height is written without one: the worksheet's default row height,
    // set once the rows are out (finishWorkbookPage), stands for it. The writer takes its own
    // default height (15 pt) as "none", so a row of exactly that height is given a hair more.
    double height = rowHeight(r);
    options.hidden = height <= 0;
    if (height == grid::kDefaultRowHeight || height <= 0)
        height = LXW_DEF_ROW_HEIGHT;
    else if (height == LXW_DEF_ROW_HEIGHT)
        height += 1.0 / 64;
    // The row's options go first: the writer keeps only the row being written.
    if (options.level || options.hidden || height != LXW_DEF_ROW_HEIGHT)
        check(worksheet_set_row_opt(m_ws, row, height, nullptr, &options));
    m_looks.enterRow(r);
    const int worksheet = int(m_worksheets.size()) - 1;
    for (int c = 1; c <= m_cols; ++c) {
        const PreparedCell &cell = cells[c - 1];
        const lxw_col_t col = lxw_col_t(c - 1);
        if (cell.kind == PreparedCell::Kind::Empty) {
            // An empty cell is written only for the fill and borders paper shows around it.
            if (lxw_format *blank = m_looks.blank(c))
                check(worksheet_write_blank(m_ws, row, col, blank));
            continue;
        }
        if (totals && writeTotal(row, c, m_sheet.cellUtf8(c, r)))
            continue;
        const bool inRun = cell.joinsAbove || cell.joinsBelow;
        if (inRun) {
            if (lxw_format *run = m_merges.inside(worksheet, c, cell)) {
                check(worksheet_write_blank(m_ws, row, col, run));
                check(m_merges.written(m_ws, worksheet, row, c, cell, run, belowOnSameWorksheet()));
                continue;
            }
        }
        lxw_format *format = m_looks.cell(c, cell);
        switch (cell.kind) {
            case PreparedCell::Kind::Empty:
                break;
            case PreparedCell::Kind::Number:
                check(worksheet_write_number(m_ws, row, col, cell.number, format));
                break;
            case PreparedCell::Kind::Text:
                check(worksheet_write_string(m_ws, row, col, texts.data() + cell.text, format));
                break;
            case PreparedCell::Kind::Date: {
                lxw_datetime when{cell.year, cell.month,  cell.day,
                                  cell.hour, cell.minute, double(cell.second)};
                check(worksheet_write_datetime(m_ws, row, col, &when, format));
                break;
            }
        }
        if (inRun)
            check(m_merges.written(m_ws, worksheet, row, c, cell, format, belowOnSameWorksheet()));
    }
}

bool RowWriter::belowOnSameWorksheet() const {
    return m_rows.placeOfLine(m_line).worksheet == int(m_worksheets.size()) - 1;
}

void RowWriter::writeText(lxw_row_t row, lxw_col_t col, std::string_view text) {
    m_buffer.clear();
    appendCellText(m_buffer, text);
    check(worksheet_write_string(m_ws, row, col, m_buffer.c_str(), nullptr));
}

void RowWriter::check(lxw_error err) {
    if (err != LXW_NO_ERROR)
        throw ioError(tessel::base::tr("工作表写入失败"), lxwReason(err));
}

}  // namespace tessel::exports
