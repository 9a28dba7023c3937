#include "export/WorkbookExport.h"

#include <xlsxwriter.h>

#include <tessel/Error.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "base/Language.h"
#include "base/SafeReplace.h"
#include "export/WorkbookClose.h"
#include "export/WorkbookPageSetup.h"
#include "export/WorkbookRowWriter.h"
#include "grid/Paper.h"
#include "grid/Sheet.h"
#include "print/codes/PrintCodes.h"

namespace tessel::exports {

namespace {

// Digits Excel keeps of a number: a longer one would come back altered, so it stays text.
constexpr int kMaxSignificantDigits = 15;

struct WorkbookDeleter {
    void operator()(lxw_workbook *wb) const { lxw_workbook_free(wb); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

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

QStringList writeWorkbook(const QString &path, const grid::Sheet &sheet, const QString &header,
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
    // The workbook is built under a name of its own in the target folder (base::ReplacementFile),
    // which a folder that takes no new file refuses before any work is done.
    base::ReplacementFile file(path);
    const QFileInfo target(path);

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
    const QByteArray tempPath = QFile::encodeName(file.tempName());
    ScratchFiles scratchFiles;  // outlives the workbook: closes what a failure leaves open
    WorkbookPtr wb(workbook_new_opt(tempPath.constData(), &options));
    if (!wb)
        throw Error(Error::Category::Io, tessel::base::tr("无法创建工作簿"), QString());

    const WorkbookPage page = workbookPage(sheet, header, footer);
    QStringList notes = page.notices;
    {
        const std::vector<print::PlainLine> headerLines = print::plainTextLines(header);
        const std::vector<print::PlainLine> footerLines = print::plainTextLines(footer);
        progress.begin(
            tessel::base::tr("写入工作簿"), base::ProgressUnit::Rows,
            qint64(headerLines.size()) + sheet.maxRows() + 1 + qint64(footerLines.size()));
        RowWriter rows(wb.get(), scratchFiles, sheet, rowsPerWorksheet, int(headerLines.size()),
                       page);
        for (const print::PlainLine &line : headerLines)
            rows.headerFooterLine(line);
        rows.sheetRows(progress);
        for (const print::PlainLine &line : footerLines)
            rows.headerFooterLine(line);
        rows.conditionalFormats();
        rows.charts();
        rows.finishPages();
        errno = 0;
        rows.checkScratch();
        notes += rows.notes();
    }

    // Most of the time of a large workbook goes into compressing it, which reports nothing:
    // it runs on a thread of its own while this one keeps the windows painting.
    closeWorkbook(wb.release(), tessel::base::tr("无法写入文件 %1").arg(file.targetName()),
                  progress);
    progress.check(0);
    file.commit();
    return notes;
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
