#include "report/SheetBuilding.h"

#include <tessel/Error.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/ValueText.h"
#include "definitions/Columns.h"
#include "definitions/Definitions.h"
#include "definitions/OptionalColumns.h"
#include "grid/CellNumber.h"
#include "report/StepAttempt.h"
#include "report/StoredSetting.h"

namespace tessel::report {

using db::Recordset;
using grid::CellBlock;
using grid::PrintSettings;
using grid::Sheet;

namespace {

// A value a step cannot do without: its absence fails the step.
template <class T>
T need(const std::optional<T> &value) {
    if (!value)
        throw Error(Error::Category::Conversion, QStringLiteral("The value is missing or invalid"));
    return *value;
}

// Holds the sheet's change notices back while a routine writes many cells, so views
// repaint once at the end instead of once per cell; restores what the caller had.
class RedrawPause {
public:
    explicit RedrawPause(Sheet &sheet) : m_sheet(sheet), m_was(sheet.redraw()) {
        m_sheet.setRedraw(false);
    }
    ~RedrawPause() { m_sheet.setRedraw(m_was); }
    RedrawPause(const RedrawPause &) = delete;
    RedrawPause &operator=(const RedrawPause &) = delete;

private:
    Sheet &m_sheet;
    bool m_was;
};

// A stored number: plain decimal notation with "." and blanks around; no group separators.
std::optional<double> toNumber(const QString &text) {
    return definitions::decodeNumber(text);
}

// A number as a whole number, rounded half to even; nullopt outside the int range.
std::optional<int> toWhole(double d) {
    const double r = std::nearbyint(d);
    if (!(r >= double(std::numeric_limits<int>::min()) &&
          r <= double(std::numeric_limits<int>::max())))
        return std::nullopt;
    return int(r);
}

std::optional<int> toWhole(const QString &text) {
    const auto d = toNumber(text);
    return d ? toWhole(*d) : std::nullopt;
}

// A number given as a variant: a number type as it is, a text as a stored number.
std::optional<double> toNumber(const QVariant &v) {
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
        }
        case QMetaType::QString:
        case QMetaType::QByteArray:
            return toNumber(base::valueToText(v));
        default:
            return std::nullopt;
    }
}

// Changes one part of the print settings; the sheet may refuse the result.
template <class F>
void editPrint(Sheet &sheet, F &&edit) {
    PrintSettings p = sheet.print();
    edit(p);
    sheet.setPrint(p);
}

// Inches to twips, as the sheet keeps margins.
int inchesToTwips(double inches) {
    const double twips = std::round(inches * grid::kTwipsPerInch);
    if (!(std::fabs(twips) <= double(std::numeric_limits<int>::max())))
        throw Error(Error::Category::Argument, QStringLiteral("Margin out of range"));
    return int(twips);
}

bool atEnd(const Recordset &rs) noexcept {
    try {
        return rs.eof();
    } catch (const std::exception &) {
        return true;
    }
}

}  // namespace

// ---- applying a definition

void ApplyDefinition(const Recordset &row, Sheet &sheet, QString &mergeList) {
    ApplyDefinition(definitions::readDefinition(row), sheet, mergeList);
}

void ApplyFitPagesWide(report::ReportSession &session) {
    attempt([&] {
        const std::optional<QVariant> stored =
            storedSetting(session, definitions::column::kFitPagesWide);
        const int pages = stored ? definitions::decodeFitPagesWide(*stored).value_or(0)
                                 : session.fitPagesWide.value(session.reportName, 0);
        editPrint(session.sheet, [&](PrintSettings &p) { p.fitPagesWide = pages; });
    });
}

void ApplyColumnFormats(report::ReportSession &session) {
    attempt([&] {
        const std::optional<QVariant> stored =
            storedSetting(session, definitions::column::kColumnFormats);
        const QString codes =
            stored ? stored->toString() : session.columnFormats.value(session.reportName);
        const std::vector<grid::ColumnFormat> formats = definitions::decodeColumnFormats(codes);
        Sheet &sheet = session.sheet;
        RedrawPause pause(sheet);
        const std::map<int, grid::ColumnFormat> before = sheet.colFormats();
        for (const auto &entry : before)
            sheet.setColFormat(entry.first, grid::ColumnFormat{});
        for (std::size_t i = 0; i < formats.size(); ++i)
            sheet.setColFormat(int(i) + 1, formats[i]);
    });
}

void ApplyDefinition(const definitions::DefinitionRecord &def, Sheet &sheet, QString &mergeList) {
    RedrawPause pause(sheet);

    if (def.merges)
        mergeList = *def.merges;

    // A bad element skips both of its operations: merging the previous column again
    // would be wrong.
    for (const QString &element : definitions::decodeMerges(mergeList)) {
        attempt([&] {
            const int col = need(toWhole(element));
            sheet.setCurrent(col, sheet.currentRow());
            sheet.setColMerge(col, grid::MergeMode::Always);
        });
    }

    attempt([&] {
        const double height = need(def.headerHeight.valueOr(std::nullopt));
        // An infinite or NaN height is no number here; the runs, applying the height again,
        // are the ones that fail on it.
        if (std::isfinite(height))
            sheet.setRowHeight(0, height);
    });

    const auto setFlag = [&](const std::optional<bool> &value, bool PrintSettings::*flag) {
        attempt([&] {
            const bool on = need(value);
            editPrint(sheet, [&](PrintSettings &p) { p.*flag = on; });
        });
    };
    setFlag(def.flags.colHeaders, &PrintSettings::colHeaders);
    setFlag(def.flags.rowHeaders, &PrintSettings::rowHeaders);
    setFlag(def.flags.border, &PrintSettings::border);
    setFlag(def.flags.color, &PrintSettings::color);
    setFlag(def.flags.gridLines, &PrintSettings::gridLines);
    setFlag(def.flags.shadows, &PrintSettings::shadows);
    setFlag(def.flags.onlyData, &PrintSettings::onlyData);

    const auto setType = [&](grid::PrintType type) {
        attempt([&] { editPrint(sheet, [&](PrintSettings &p) { p.type = type; }); });
    };
    switch (def.range) {
        case grid::PrintType::All:
            // Also when no range is stored (a report the data-set wizard created and no
            // print options were saved for): the whole report prints. Read as a page range
            // it would print the sheet's first page only, with nothing to tell the user why.
            setType(grid::PrintType::All);
            break;
        case grid::PrintType::CellRange:
            // The cell range printed is the current block, made the user's selection first.
            attempt([&] { sheet.setCurrentBlock(sheet.selection()); });
            attempt([&] {
                const CellBlock block = sheet.currentBlock();
                editPrint(sheet, [&](PrintSettings &p) {
                    p.block = block;
                    p.type = grid::PrintType::CellRange;
                });
            });
            break;
        case grid::PrintType::CurrentPage:
            setType(grid::PrintType::CurrentPage);
            break;
        case grid::PrintType::PageRange:
            attempt([&] {
                const int page = need(def.firstPage);
                editPrint(sheet, [&](PrintSettings &p) { p.pageStart = page; });
            });
            attempt([&] {
                const int page = need(def.lastPage);
                editPrint(sheet, [&](PrintSettings &p) { p.pageEnd = page; });
            });
            setType(grid::PrintType::PageRange);
            break;
    }

    const auto setMargin = [&](const std::optional<double> &inches, int PrintSettings::*margin) {
        attempt([&] {
            const int twips = inchesToTwips(need(inches));
            editPrint(sheet, [&](PrintSettings &p) { p.*margin = twips; });
        });
    };
    setMargin(def.marginTop, &PrintSettings::marginTop);
    setMargin(def.marginBottom, &PrintSettings::marginBottom);
    setMargin(def.marginLeft, &PrintSettings::marginLeft);
    setMargin(def.marginRight, &PrintSettings::marginRight);

    attempt([&] { editPrint(sheet, [&](PrintSettings &p) { p.orientation = def.orientation; }); });

    const auto setHeader = [&] {
        attempt([&] {
            const QString text = need(def.headerText.valueOr(std::nullopt));
            editPrint(sheet, [&](PrintSettings &p) { p.header = text; });
        });
    };
    const auto setFooter = [&] {
        attempt([&] {
            const QString text = need(def.footerText.valueOr(std::nullopt));
            editPrint(sheet, [&](PrintSettings &p) { p.footer = text; });
        });
    };
    switch (def.headerFooter) {
        case definitions::HeaderFooterParts::Header:
            setHeader();
            break;
        case definitions::HeaderFooterParts::Footer:
            setFooter();
            break;
        case definitions::HeaderFooterParts::Both:
            setHeader();
            setFooter();
            break;
        case definitions::HeaderFooterParts::None:
            break;
    }
}

// ---- filling from a query

void FillFromRecordset(Recordset &rs, Sheet &sheet, base::Progress &progress) {
    RedrawPause pause(sheet);
    // The rows written are data: the header, subtotal and totals rows of an earlier
    // arrangement no longer stand where their marks say.
    attempt([&] {
        const std::map<int, grid::RowMark> marks = sheet.rowMarks();
        for (const auto &entry : marks) {
            sheet.setRowMark(entry.first, {});
            sheet.setRowStyle(entry.first, std::nullopt);
        }
        sheet.setGrouping({});
    });
    progress.begin(tessel::base::tr("读取数据"), base::ProgressUnit::Rows, -1);
    int rows = 0;  // 32-bit: results run past 32,767 rows
    int fields = 0;
    attempt([&] { fields = rs.fieldCount(); });
    {
        base::BusyCursor busy;
        attempt([&] { rs.moveFirst(); });
        // Field numbers past the sheet's last column could never be written.
        const int writable = std::min(fields, grid::kMaxColNumber);
        std::vector<std::string_view> cells(std::size_t(std::max(writable, 0)));
        // Rows past the sheet's last one could not be written either: the fill ends there.
        while (rows < grid::kMaxRowNumber && !atEnd(rs)) {
            progress.checkRow(rows);
            ++rows;
            // UTF-8 straight from the database into the sheet's text storage, a row at a
            // time; a NULL comes as the empty text and empties a cell left by an earlier fill.
            bool whole = false;
            attempt([&] {
                rs.rowUtf8(cells);
                sheet.setRowUtf8(rows, 1, cells);
                whole = true;
            });
            // A row that cannot go whole (a value that cannot be read, a text the sheet
            // refuses) goes cell by cell, so that every cell that can be written is.
            for (int f = 0; !whole && f < writable; ++f)
                attempt([&] { sheet.setTextUtf8(f + 1, rows, rs.utf8(f)); });
            // A failure to read the next row (the connection lost, the statement cancelled)
            // is no end of the data: the fill fails, the counts unchanged, rather than show
            // part of the result as the whole of it.
            rs.moveNext();
        }
    }
    attempt([&] { sheet.setMaxCols(rs.fieldCount()); });
    attempt([&] { sheet.setMaxRows(rows); });
}

void SetHeadersFromFields(Recordset &rs, Sheet &sheet) {
    RedrawPause pause(sheet);
    attempt([&] { rs.moveFirst(); });
    int fields = 0;
    attempt([&] { fields = rs.fieldCount(); });
    for (int f = 0; f < std::min(fields, grid::kMaxColNumber); ++f) {
        attempt([&] { sheet.setText(f + 1, 0, rs.fieldName(f)); });
        attempt([&] {
            // Characters, not UTF-16 units: a name outside the basic plane counts once.
            const auto chars = rs.fieldName(f).toUcs4().size();
            sheet.setColWidth(f + 1, 3.5 * double(chars));
        });
    }
    attempt([&] { sheet.setMaxCols(rs.fieldCount()); });
}

// ---- stored labels and widths

void SetLabelsAndWidths(const QVariant &labels, const QVariant &widths, int count, Sheet &sheet) {
    const auto list = [](const QVariant &v) -> std::optional<QString> {
        if (!v.isValid() || v.isNull())
            return std::nullopt;
        return base::valueToText(v);
    };
    SetLabelsAndWidths(list(labels), list(widths), count, sheet);
}

void SetLabelsAndWidths(const std::optional<QString> &labels, const std::optional<QString> &widths,
                        int count, Sheet &sheet) {
    RedrawPause pause(sheet);
    QStringList labelElements;
    QStringList widthElements;
    if (labels)
        labelElements = definitions::decodeLabels(*labels);
    if (widths)
        widthElements = definitions::decodeWidths(*widths);

    // Columns past both lists have nothing to apply.
    const qsizetype listed = std::max(labelElements.size(), widthElements.size());
    const int last = int(std::min<qsizetype>(count, listed));
    for (int i = 0; i < last; ++i) {
        if (i < labelElements.size()) {
            attempt([&] {
                const QString &label = labelElements[i];
                sheet.setText(i + 1, 0, label.isEmpty() ? QStringLiteral(" ") : label);
            });
        }
        if (i < widthElements.size()) {
            attempt([&] { sheet.setColWidth(i + 1, need(toNumber(widthElements[i]))); });
        }
    }
    attempt([&] { sheet.setMaxCols(count); });
}

void SetTypedLabels(const QString &labels, const QStringList &fieldNames, int count, Sheet &sheet) {
    RedrawPause pause(sheet);
    const QStringList typed = definitions::decodeLabels(labels);
    for (int i = 0; i < count; ++i) {
        const bool given = i < typed.size() && !typed[i].trimmed().isEmpty();
        if (!given && i >= fieldNames.size())
            continue;
        attempt([&] { sheet.setText(i + 1, 0, given ? typed[i] : fieldNames[i]); });
    }
    attempt([&] { sheet.setMaxCols(count); });
}

void StartReportSheet(Sheet &sheet) {
    RedrawPause pause(sheet);
    sheet.clear();
    sheet.setMaxCols(0);
    sheet.setMaxRows(0);
    sheet.setPrint(PrintSettings{});
    sheet.setSelection(CellBlock{});
    sheet.setCurrentBlock(CellBlock{1, 1, 1, 1});
    sheet.setColHeadersVisible(true);
    sheet.setRowHeadersVisible(true);
}

// ---- totals row

std::vector<int> totalsColumnList(const QVariant &columns) {
    std::vector<int> out;
    const int type = columns.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray ||
        !columns.canConvert<QVariantList>())
        return out;
    const QVariantList entries = columns.toList();
    for (const QVariant &entry : entries) {
        attempt([&] { out.push_back(need(toWhole(need(toNumber(entry))))); });
    }
    return out;
}

void AddTotalsRow(Sheet &sheet, const std::optional<QVariant> &columns) {
    RedrawPause pause(sheet);
    const int count = sheet.maxCols();
    const int rows = sheet.maxRows();

    std::vector<int> list;
    if (!columns) {
        for (int c = 1; c <= count; ++c)
            list.push_back(c);
    } else {
        list = totalsColumnList(*columns);
    }
    // Sums exist for columns 0..count + 1; other column numbers total nothing.
    std::vector<double> sums(std::size_t(count) + 2, 0.0);
    std::erase_if(list, [&](int c) { return c < 0 || c > count + 1; });

    // Data rows only: the subtotals of a grouping must not be added in again.
    for (int r = 1; r <= rows; ++r) {
        if (!sheet.isDataRow(r))
            continue;
        for (int c : list) {
            attempt([&] {
                if (const auto v = grid::cellNumber(sheet.textUtf8(c, r)))
                    sums[std::size_t(c)] += *v;
            });
        }
    }

    // The row is written whether or not the sheet takes the larger count: a refused count
    // must not put the totals over the last data row.
    const int totalsRow = rows + 1;
    attempt([&] { sheet.setMaxRows(totalsRow); });
    attempt([&] { sheet.setRowMark(totalsRow, {grid::RowKind::Totals, 0}); });

    const CellBlock current = sheet.currentBlock();
    for (int c = 0; c <= count; ++c) {
        attempt([&] {
            sheet.setCurrent(c + 1, totalsRow);
            sheet.setForeground(kTotalsColor);
        });
        attempt([&] { sheet.setText(c, totalsRow, grid::sumText(sums[std::size_t(c)])); });
    }
    attempt([&] { sheet.setCurrentBlock(current); });

    // The label goes into the first shown column; the last column is never labelled.
    for (int c = 1; c <= count - 1; ++c) {
        bool placed = false;
        attempt([&] {
            if (sheet.colWidth(c) > 1) {
                placed = true;
                sheet.setText(c, totalsRow, kTotalsLabel);
            }
        });
        if (placed)
            break;
    }
}

}  // namespace tessel::report
