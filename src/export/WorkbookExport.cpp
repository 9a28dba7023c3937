#include "export/WorkbookExport.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <tessel/Error.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "export/CsvExport.h"
#include "export/WorkbookCells.h"
#include "export/WorkbookCharts.h"
#include "export/WorkbookConditions.h"
#include "export/WorkbookGroups.h"
#include "grid/ColumnFormat.h"
#include "grid/Paper.h"
#include "grid/Sheet.h"
#include "print/Printing.h"
#include "print/codes/PrintCodes.h"

namespace tessel::exports {

namespace {

// Worksheet columns (from 0) of the left, centre and right parts of a header/footer line.
constexpr lxw_col_t kPartCols[3] = {0, 4, 8};

// Digits Excel keeps of a number: a longer one would come back altered, so it stays text.
constexpr int kMaxSignificantDigits = 15;

Error ioError(const QString &message, const QString &reason) {
    return Error(Error::Category::Io, message, reason);
}

QString lxwReason(lxw_error err) {
    return QString::fromUtf8(lxw_strerror(err));
}

struct WorkbookDeleter {
    void operator()(lxw_workbook *wb) const { lxw_workbook_free(wb); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

// Permissions a newly created file gets in this process: what the umask leaves of rw-rw-rw-.
QFileDevice::Permissions newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    if (mode & S_IRUSR)
        p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        p |= QFileDevice::WriteOther;
    return p;
}

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
    ~ScratchFiles() {
        for (const File &f : m_files) {
            struct stat st {};
            if (::fstat(f.fd, &st) == 0 && st.st_dev == f.dev && st.st_ino == f.ino &&
                st.st_nlink == 0)
                ::close(f.fd);
        }
    }
    void add(lxw_worksheet *ws) {
        struct stat st {};
        if (ws->optimize_tmpfile && ::fstat(fileno(ws->optimize_tmpfile), &st) == 0)
            m_files.push_back({fileno(ws->optimize_tmpfile), st.st_dev, st.st_ino});
    }

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
// outline levels and its totals are formulas (WorkbookGroups).
class RowWriter {
public:
    // `linesAbove` header lines come before the sheet's label row.
    RowWriter(lxw_workbook *wb, ScratchFiles &scratch, const grid::Sheet &sheet,
              int rowsPerWorksheet, int linesAbove)
        : m_wb(wb),
          m_scratch(scratch),
          m_sheet(sheet),
          m_cols(sheet.maxCols()),
          m_rows(linesAbove, rowsPerWorksheet),
          m_groups(sheet, m_rows),
          m_labelRow(lxw_row_t(std::min(linesAbove, rowsPerWorksheet - 1))) {
        addColumnFormats();
        addWorksheet();
    }

    void headerFooterLine(const print::PlainLine &parts) {
        const lxw_row_t row = nextRow();
        for (int i = 0; i < 3; ++i) {
            if (!parts[i].isEmpty()) {
                const QByteArray utf8 = parts[i].toUtf8();
                writeText(row, kPartCols[i], std::string_view(utf8.constData(), utf8.size()));
            }
        }
    }

    // The sheet rows from the label row down, prepared on a thread of their own while the
    // earlier ones are written (RowPreparer), each checked with `progress` by its number.
    void sheetRows(base::Progress &progress) {
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

    // The writer keeps each worksheet's rows in a scratch file and does not check those
    // writes; a failed one (a full disk) leaves the file's error flag set.
    void checkScratch() const {
        for (lxw_worksheet *ws : m_worksheets) {
            FILE *scratch = ws->optimize_tmpfile;
            if (scratch && (std::fflush(scratch) != 0 || std::ferror(scratch))) {
                throw ioError(tessel::base::tr("工作表写入失败"),
                              QString::fromLocal8Bit(std::strerror(errno ? errno : EIO)));
            }
        }
    }

    // The sheet's conditional formats as the workbook's own rules on every worksheet, over the
    // worksheet rows of its data rows, so that they keep working when a number is edited.
    void conditionalFormats() {
        const grid::ConditionRules &rules = m_sheet.conditions();
        if (rules.empty())
            return;
        for (const auto &[worksheet, ranges] : dataRowRanges(m_sheet, m_rows)) {
            if (worksheet >= 0 && std::size_t(worksheet) < m_worksheets.size())
                writeConditionalFormats(m_wb, m_worksheets[std::size_t(worksheet)], rules, ranges,
                                        m_cols);
        }
    }

    // The sheet's charts as native charts below the data, one under the other, on the last
    // worksheet holding data rows, their series referring to that worksheet's data cells.
    // A chart that cannot be made is left out: the report's build told the user why.
    void charts() {
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
        lxw_worksheet *target = m_worksheets[std::size_t(worksheet)];
        const QString name = QString::fromUtf8(target->name);
        WorkbookCharts writer(m_wb, m_sheet);
        row += kChartGapRows;
        for (const grid::ChartSpec &chart : specs) {
            if (!writer.insert(target, name, chart, dataRows, worksheet == 0 ? m_labelRow : 0, row)
                     .isEmpty())
                continue;
            row += lxw_row_t(std::ceil(chart.heightCm / 2.54 * kPixelsPerInch / kRowPixels)) +
                   kChartGapRows;
        }
    }

private:
    // Charts below the data: the blank rows above each, and the height of a default row in
    // pixels at kPixelsPerInch, the unit a chart's size is inserted in.
    static constexpr lxw_row_t kChartGapRows = 2;
    static constexpr double kPixelsPerInch = 96.0;
    static constexpr double kRowPixels = 20.0;

    lxw_row_t nextRow() {
        const WorksheetPlace place = m_rows.placeOfLine(m_line++);
        if (place.worksheet == int(m_worksheets.size())) {
            addWorksheet();
            m_labels.reset(0, m_cols);
            m_labels.add(m_sheet, m_formats, 0);
            writeSheetRow(0, 0, m_labels.row(0), m_labels.texts);
        }
        return place.row;
    }

    void addWorksheet() {
        m_ws = workbook_add_worksheet(m_wb, nullptr);
        if (!m_ws)
            throw ioError(tessel::base::tr("无法在工作簿中添加工作表"), QString());
        m_worksheets.push_back(m_ws);
        m_scratch.add(m_ws);
        setPageSetup(m_worksheets.size() == 1 ? m_labelRow : 0);
        if (m_groups.grouped())
            setOutline(int(m_worksheets.size()) - 1);
        for (int c = 1; c <= m_cols; ++c) {
            const double w = m_sheet.colWidth(c);
            // A hidden column is exported like a shown one, so it gets a width its data shows in.
            if (w <= 1.0 || w == grid::kDefaultColWidth)
                continue;
            check(worksheet_set_column(m_ws, lxw_col_t(c - 1), lxw_col_t(c - 1), std::min(w, 255.0),
                                       nullptr));
        }
    }

    void setPageSetup(lxw_row_t labelRow) {
        const grid::PrintSettings &print = m_sheet.print();
        if (print.orientation == grid::Orientation::Landscape)
            worksheet_set_landscape(m_ws);
        else
            worksheet_set_portrait(m_ws);
        if (const int paper = workbookPaperIndex(print.paper))
            worksheet_set_paper(m_ws, uint8_t(paper));
        const auto inches = [](int twips) { return double(twips) / grid::kTwipsPerInch; };
        worksheet_set_margins(m_ws, inches(print.marginLeft), inches(print.marginRight),
                              inches(print.marginTop), inches(print.marginBottom));
        if (print.fitPagesWide > 0)
            worksheet_fit_to_pages(m_ws, uint16_t(print.fitPagesWide), 0);
        worksheet_gridlines(m_ws,
                            print.gridLines ? LXW_SHOW_ALL_GRIDLINES : LXW_SHOW_SCREEN_GRIDLINES);
        if (print.colHeaders)
            check(worksheet_repeat_rows(m_ws, labelRow, labelRow));
        // The report's own header and footer lines are cells; the page number can only come
        // from the workbook's footer, which the printing program fills in.
        const QByteArray footer = tessel::base::tr("&C第 &P 页，共 &N 页").toUtf8();
        check(worksheet_set_footer(m_ws, footer.constData()));
    }

    // Collapsing a group leaves its subtotal row below it shown; the page breaks before the
    // groups that start a page are known before the worksheet's first row.
    void setOutline(int worksheet) {
        worksheet_outline_settings(m_ws, LXW_TRUE, LXW_TRUE, LXW_TRUE, LXW_FALSE);
        const std::vector<lxw_row_t> &breaks = m_groups.pageBreaks(worksheet);
        if (breaks.empty())
            return;
        std::vector<lxw_row_t> terminated = breaks;
        terminated.push_back(0);
        check(worksheet_set_h_pagebreaks(m_ws, terminated.data()));
    }

    // One workbook format per distinct column format, shared by every cell of the columns
    // that carry it.
    void addColumnFormats() {
        m_formats.assign(std::size_t(m_cols) + 1, ColumnCells{});
        std::map<QString, lxw_format *> made;
        for (const auto &[col, format] : m_sheet.colFormats()) {
            if (col < 1 || col > m_cols)
                continue;
            const QString code = grid::workbookNumberFormat(format);
            lxw_format *&f = made[code];
            if (!f) {
                f = workbook_add_format(m_wb);
                if (!f)
                    throw ioError(tessel::base::tr("工作表写入失败"), QString());
                format_set_num_format(f, code.toUtf8().constData());
            }
            m_formats[std::size_t(col)] = ColumnCells{format.kind, f};
        }
    }

    // The format that shows a number as the sheet spells it, made once per spelling.
    lxw_format *spelledNumberFormat(std::uint16_t spelling) {
        lxw_format *&f = m_spellings[spelling];
        if (!f) {
            f = workbook_add_format(m_wb);
            if (!f)
                throw ioError(tessel::base::tr("工作表写入失败"), QString());
            format_set_num_format(f, spelledFormat(spelling).c_str());
        }
        return f;
    }

    // A subtotal or totals cell as its formula, with the sheet's number cached and its
    // column's number format. A text-format column holds no numbers to total: its cells stay
    // text. Returns false for a cell to write as usual.
    bool writeTotal(lxw_row_t row, int c, std::string_view text) {
        const ColumnCells &cells = m_formats[std::size_t(c)];
        if (cells.kind == grid::FormatKind::Text)
            return false;
        const std::optional<TotalFormula> total = m_groups.formula(c, text);
        if (!total)
            return false;
        const bool numeric =
            cells.kind == grid::FormatKind::Number || cells.kind == grid::FormatKind::Percent;
        check(worksheet_write_formula_num(m_ws, row, lxw_col_t(c - 1), total->text.c_str(),
                                          numeric ? cells.format : nullptr, total->value));
        return true;
    }

    void writeSheetRow(lxw_row_t row, int r, const PreparedCell *cells, const std::string &texts) {
        bool totals = false;
        if (r >= 1 && m_groups.grouped()) {
            // The row's options go first: the writer keeps only the row being written.
            if (const int level = m_groups.enterRow(r)) {
                lxw_row_col_options options{};
                options.level = uint8_t(level);
                check(worksheet_set_row_opt(m_ws, row, LXW_DEF_ROW_HEIGHT, nullptr, &options));
            }
            totals = m_groups.rowHasTotals();
        }
        for (int c = 1; c <= m_cols; ++c) {
            const PreparedCell &cell = cells[c - 1];
            if (cell.kind == PreparedCell::Kind::Empty)
                continue;
            if (totals && writeTotal(row, c, m_sheet.cellUtf8(c, r)))
                continue;
            const lxw_col_t col = lxw_col_t(c - 1);
            lxw_format *format = cell.formatted  ? m_formats[std::size_t(c)].format
                                 : cell.spelling ? spelledNumberFormat(cell.spelling)
                                                 : nullptr;
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
        }
    }

    void writeText(lxw_row_t row, lxw_col_t col, std::string_view text) {
        m_buffer.clear();
        appendCellText(m_buffer, text);
        check(worksheet_write_string(m_ws, row, col, m_buffer.c_str(), nullptr));
    }

    static void check(lxw_error err) {
        if (err != LXW_NO_ERROR)
            throw ioError(tessel::base::tr("工作表写入失败"), lxwReason(err));
    }

    lxw_workbook *m_wb;
    ScratchFiles &m_scratch;
    std::vector<ColumnCells> m_formats;                 // by sheet column
    std::map<std::uint16_t, lxw_format *> m_spellings;  // by numberSpelling code
    lxw_worksheet *m_ws = nullptr;
    std::vector<lxw_worksheet *> m_worksheets;
    const grid::Sheet &m_sheet;
    const int m_cols;
    const WorksheetRows m_rows;
    WorkbookGroups m_groups;
    const lxw_row_t m_labelRow;
    long long m_line = 0;   // the next line of m_rows
    std::string m_buffer;   // the current header or footer text, NUL-terminated for the writer
    PreparedRows m_labels;  // the label row, for the worksheets after the first
};

// Puts the finished file on the disk before it replaces anything, so that a crash never
// leaves an empty file in place of the old one; a write the disk refuses late (space
// allocated only now) shows up here as well.
void syncFile(const QString &name, const QString &targetName) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName), f.errorString());
    if (::fsync(f.handle()) != 0) {
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName),
                      QString::fromLocal8Bit(std::strerror(errno)));
    }
}

}  // namespace

std::optional<double> sheetNumber(std::string_view s) {
    // The sheet's own text of a number (base::appendDouble) is its shortest round-trip
    // digits, plain from 1e-6 up to 1e16, with "-" before a negative one and "0" for zero.
    // A decimal of at most kMaxSignificantDigits digits reads as a double whose shortest
    // digits are that decimal again (no two such decimals share a double), so such a text is
    // the sheet's own form exactly when it is spelt canonically: no leading zero before
    // another digit, no empty integer or fraction part, no trailing zero in the fraction,
    // no "-0", and within those magnitudes. Checking the spelling stands in for printing
    // the value back, and the digits read here make the value.
    if (s.empty() || s.size() > 32)
        return std::nullopt;
    const char *p = s.data();
    const char *const end = p + s.size();
    const bool negative = *p == '-';
    if (negative)
        ++p;
    std::uint64_t digits = 0;   // every digit read, as one integer
    int count = 0;              // digits read
    int first = -1, last = -1;  // positions among them of the first and last non-zero one
    const auto readDigits = [&] {
        const char *const from = p;
        for (; p != end && unsigned(*p - '0') < 10; ++p) {
            const unsigned digit = unsigned(*p - '0');
            digits = digits * 10 + digit;
            if (digit != 0) {
                if (first < 0)
                    first = count;
                last = count;
            }
            ++count;
        }
        return int(p - from);
    };
    const char *const integer = p;
    const int integerDigits = readDigits();
    // A sixteen-digit integer part is below 1e16; a longer one is printed with an exponent.
    if (integerDigits == 0 || integerDigits > 16 || (integerDigits > 1 && *integer == '0'))
        return std::nullopt;
    int fractionDigits = 0;
    if (p != end) {
        if (*p != '.')
            return std::nullopt;
        ++p;
        fractionDigits = readDigits();
        if (fractionDigits == 0 || p != end || end[-1] == '0')
            return std::nullopt;
    }
    if (first < 0)  // zero: only "0" itself
        return negative || fractionDigits ? std::nullopt : std::optional<double>(0.0);
    // Below 1e-6 the sheet prints an exponent: the sixth decimal must be reached.
    if (integerDigits == 1 && *integer == '0' && first > 6)
        return std::nullopt;
    const int significant = (fractionDigits ? count : last + 1) - first;
    if (significant > kMaxSignificantDigits)
        return std::nullopt;
    // With a fraction the digits are at most kMaxSignificantDigits long, so below 2^53 and
    // exact, as is every power of ten up to 1e22: one rounding, the division, gives the
    // nearest double, as reading the text would. Without one the conversion of the integer
    // is that rounding.
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static_assert(kMaxSignificantDigits + 6 < int(std::size(kPowersOfTen)));
    const double value = double(digits) / kPowersOfTen[fractionDigits];
    return negative ? -value : value;
}

void writeWorkbook(const QString &path, const grid::Sheet &sheet, const QString &header,
                   const QString &footer, int rowsPerWorksheet, base::Progress &progress) {
    if (path.isEmpty())
        throw Error(Error::Category::Argument, tessel::base::tr("未指定导出文件名"));
    if (rowsPerWorksheet < 2 || rowsPerWorksheet > kWorksheetRows)
        throw Error(Error::Category::Argument, tessel::base::tr("工作表行数无效"));
    if (sheet.maxCols() > kWorksheetCols) {
        throw Error(Error::Category::Argument,
                    tessel::base::tr("报表有%1列，工作表最多只能容纳%2列")
                        .arg(sheet.maxCols())
                        .arg(kWorksheetCols));
    }
    const QFileInfo target(path);
    const QString targetName = QDir::toNativeSeparators(target.absoluteFilePath());

    // The workbook is built under a name of its own in the target folder: an existing file
    // is replaced only by a complete workbook, and a folder that takes no new file is found
    // before any work is done.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName), temp.errorString());
    const QString tempName = temp.fileName();
    temp.close();

    // Constant-memory mode writes each row out as the next one starts, so memory stays flat
    // however long the report is. Its scratch files go to the target folder, which has room
    // for the workbook anyway, rather than to a /tmp that may be small or held in memory.
    // Past about 4 GB of sheet text the zip needs its 64-bit extension.
    const std::size_t estimate =
        sheet.arenaBytes() + std::size_t(sheet.maxCols()) * std::size_t(sheet.maxRows()) * 48;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    QByteArray scratch = QFile::encodeName(target.absolutePath());
    options.tmpdir = scratch.data();
    options.use_zip64 = estimate > (std::size_t(3) << 30) ? LXW_TRUE : LXW_FALSE;
    const QByteArray tempPath = QFile::encodeName(tempName);
    ScratchFiles scratchFiles;  // outlives the workbook: closes what a failure leaves open
    WorkbookPtr wb(workbook_new_opt(tempPath.constData(), &options));
    if (!wb)
        throw ioError(tessel::base::tr("无法创建工作簿"), QString());

    {
        const std::vector<print::PlainLine> headerLines = print::plainTextLines(header);
        const std::vector<print::PlainLine> footerLines = print::plainTextLines(footer);
        progress.begin(
            tessel::base::tr("写入工作簿"), base::ProgressUnit::Rows,
            qint64(headerLines.size()) + sheet.maxRows() + 1 + qint64(footerLines.size()));
        RowWriter rows(wb.get(), scratchFiles, sheet, rowsPerWorksheet, int(headerLines.size()));
        for (const print::PlainLine &line : headerLines)
            rows.headerFooterLine(line);
        rows.sheetRows(progress);
        for (const print::PlainLine &line : footerLines)
            rows.headerFooterLine(line);
        rows.conditionalFormats();
        rows.charts();
        errno = 0;
        rows.checkScratch();
    }

    // Most of the time of a large workbook goes into compressing it, inside workbook_close,
    // which reports nothing and cannot be broken off: it runs on a thread of its own while
    // this one waits at check points, so that the windows keep painting. A cancel seen
    // meanwhile takes effect once it has returned. workbook_close frees the workbook whatever
    // it returns.
    progress.begin(tessel::base::tr("压缩工作簿"), base::ProgressUnit::Rows, -1);
    struct Closed {
        lxw_error err;
        int error;  // the thread's errno
    };
    std::future<Closed> closing = std::async(std::launch::async, [book = wb.release()] {
        errno = 0;
        const lxw_error err = workbook_close(book);
        return Closed{err, errno};
    });
    bool cancelled = false;
    while (closing.wait_for(std::chrono::milliseconds(base::kProgressPollMs)) !=
           std::future_status::ready) {
        progress.update(0);
        cancelled = cancelled || progress.cancelled();
    }
    const Closed closed = closing.get();
    if (cancelled)
        throw base::Cancelled();
    if (closed.err != LXW_NO_ERROR) {
        QString reason = lxwReason(closed.err);
        if (closed.error != 0)
            reason +=
                QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(closed.error)));
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName), reason);
    }
    progress.check(0);
    syncFile(tempName, targetName);

    // The replaced file's permissions carry over; a new file gets the usual ones.
    const QFileDevice::Permissions perms =
        QFileInfo::exists(path) ? QFile::permissions(path) : newFilePermissions();
    QFile::setPermissions(tempName, perms);
    if (std::rename(tempPath.constData(), QFile::encodeName(target.absoluteFilePath())) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName), reason);
    }
    temp.setAutoRemove(false);
}

void exportWorkbook(QWidget *parent, const grid::Sheet &sheet, const QString &header,
                    const QString &footer, QString &lastName, const QString &title) {
    // A report without a data row (its run failed, or found nothing) is not written out as a
    // file of labels alone and called a success.
    if (sheet.maxRows() < 1) {
        base::showInformation(parent, tessel::base::tr("报表中没有数据，没有可导出的内容。"),
                              base::informationTitle());
        return;
    }
    struct Format {
        base::FileType type;
        const char *done;
    };
    // Built on each call: the filters and messages are in the current interface language.
    const Format formats[] = {
        {{tessel::base::tr("Excel file (*.xlsx)"), QStringLiteral("xlsx")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到excel表成功！")},
        {{tessel::base::tr("PDF file (*.pdf)"), QStringLiteral("pdf")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到PDF文件成功！")},
        {{tessel::base::tr("CSV file (*.csv)"), QStringLiteral("csv")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到CSV文件成功！")},
    };
    std::vector<base::FileType> types;
    for (const Format &f : formats)
        types.push_back(f.type);
    const base::SaveChoice choice =
        base::interaction().saveFile(parent, tessel::base::tr("数据导出"), types, lastName);
    if (choice.name.isEmpty())
        return;
    const auto format = ExportFormat(std::clamp(choice.type, 0, int(std::size(formats)) - 1));
    const Format &chosen = formats[int(format)];
    QString name = choice.name;
    // The type chosen is what the file holds; under another suffix it would not open as one.
    if (QFileInfo(name).suffix().compare(chosen.type.suffix, Qt::CaseInsensitive) != 0)
        name += u'.' + chosen.type.suffix;
    // The name is remembered whether or not the write succeeds: after a failure the user
    // corrects it rather than typing it again.
    lastName = name;
    try {
        const std::unique_ptr<base::Progress> progress = base::interaction().progress(parent);
        base::ProgressScope shown(*progress);
        base::BusyCursor busy;
        switch (format) {
            case ExportFormat::Workbook:
                writeWorkbook(name, sheet, header, footer, kWorksheetRows, *progress);
                break;
            case ExportFormat::Pdf:
                print::writePdf(sheet, name, std::nullopt, title, *progress);
                break;
            case ExportFormat::Csv:
                writeCsv(name, sheet, *progress);
                break;
        }
    } catch (const base::Cancelled &) {
        return;  // the user stopped it: no file, nothing to tell
    } catch (const Error &e) {
        base::showWarning(parent, base::errorMessage(tessel::base::tr("数据导出失败"), e),
                          base::warningTitle());
        return;
    }
    base::showInformation(parent, tessel::base::tr(chosen.done), tessel::base::tr("导出数据成功"));
    const grid::Paper paper = sheet.print().paper;
    if (format == ExportFormat::Workbook && workbookPaperIndex(paper) == 0) {
        base::showInformation(
            parent,
            tessel::base::tr("工作簿没有 %1 × %2 毫米的纸张，打印它时用打印机的默认纸张；"
                             "请在打印时选择这种纸张。")
                .arg(QString::number(paper.widthMm), QString::number(paper.heightMm)),
            base::informationTitle());
    }
}

int workbookPaperIndex(const grid::Paper &paper) {
    const std::optional<grid::PaperChoice> choice = grid::paperChoice(paper);
    if (!choice)
        return 0;
    static const std::pair<const char *, int> indices[] = {{"Letter", 1}, {"Legal", 5}, {"A3", 8},
                                                           {"A4", 9},     {"A5", 11},   {"B5", 13}};
    for (const auto &[name, index] : indices) {
        if (choice->name == QLatin1String(name))
            return index;
    }
    return 0;
}

}  // namespace tessel::exports
