#include "export/WorkbookCells.h"

#include <QString>
#include <algorithm>

#include "export/WorkbookExport.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::exports {

namespace {

// Cells a batch holds. Enough that handing a batch over costs nothing next to writing it,
// few enough that the batches ahead stay in the cache (512 rows of 8 columns).
constexpr int kBatchCells = 4096;
// Batches prepared ahead of the writer, the one being written included: one being filled
// while another waits covers the writer's uneven pace (a long text, a new worksheet).
constexpr int kSlots = 4;

// A data cell of a column with a format: a number or date the format can read goes in as a
// number carrying the format, so that the workbook computes with it; the text format keeps
// every text a text. Returns false for a cell that goes in as any other.
bool prepareFormatted(PreparedCell &cell, const ColumnCells &column, std::string_view text,
                      std::string &texts) {
    using grid::FormatKind;
    if (column.kind == FormatKind::General)
        return false;
    const QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
    switch (column.kind) {
        case FormatKind::General:
            return false;
        case FormatKind::Number:
        case FormatKind::Percent:
            if (const std::optional<double> number = grid::formatNumber(value)) {
                cell.kind = PreparedCell::Kind::Number;
                cell.number = *number;
                cell.formatted = true;
                return true;
            }
            return false;
        case FormatKind::Date:
        case FormatKind::DateTime:
            // The workbook's dates start in 1900; an earlier one stays text.
            if (const std::optional<grid::DateValue> d = grid::formatDate(value);
                d && d->year >= 1900) {
                cell.kind = PreparedCell::Kind::Date;
                cell.year = std::int16_t(d->year);
                cell.month = std::uint8_t(d->month);
                cell.day = std::uint8_t(d->day);
                cell.hour = std::uint8_t(d->hour);
                cell.minute = std::uint8_t(d->minute);
                cell.second = std::uint8_t(d->second);
                cell.formatted = true;
                return true;
            }
            return false;
        case FormatKind::Text:
            cell.kind = PreparedCell::Kind::Text;
            cell.text = std::uint32_t(texts.size());
            appendCellText(texts, text);
            cell.formatted = true;
            return true;
    }
    return false;
}

}  // namespace

std::uint16_t numberSpelling(std::string_view text, QChar group) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    const QByteArray separator = QString(group).toUtf8();
    std::size_t intDigits = 0;
    bool grouped = false, leadingZero = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            if (intDigits == 0 && text[i] == '0')
                leadingZero = true;
            ++intDigits;
        } else if (!separator.isEmpty() && text.substr(i).starts_with(separator.constData())) {
            grouped = true;
            i += std::size_t(separator.size()) - 1;
        } else {
            break;
        }
    }
    leadingZero = leadingZero && intDigits > 1;
    std::size_t decimals = 0;
    bool trailingZero = false;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            ++decimals;
            trailingZero = text[i] == '0';
        }
    }
    if (i != text.size())  // an exponent: the general form shows the value
        return 0;
    const bool noWhole = intDigits == 0;
    if (!grouped && !leadingZero && !trailingZero && !noWhole)
        return 0;
    // Bit 15 marks a code; bits 0-4 the decimals, 5-9 the whole digits shown (0 for none),
    // bit 10 thousands separators. A workbook format shows at most 30 decimals.
    const std::size_t whole = leadingZero ? std::min<std::size_t>(intDigits, 30) : noWhole ? 0 : 1;
    return std::uint16_t(0x8000 | std::min<std::size_t>(decimals, 30) | (whole << 5) |
                         (grouped ? 0x400 : 0));
}

std::string spelledFormat(std::uint16_t spelling) {
    const std::size_t decimals = spelling & 0x1F, whole = (spelling >> 5) & 0x1F;
    std::string code = (spelling & 0x400) ? std::string("#,##0")
                       : whole == 0       ? std::string("#")
                                          : std::string(whole, '0');
    if (decimals > 0)
        code += '.' + std::string(decimals, '0');
    return code;
}

void appendCellText(std::string &out, std::string_view text) {
    // Up to kCellTextMax bytes the text is surely within the cell limit; a longer one is
    // measured and cut, never split inside a character.
    if (text.size() > std::size_t(kCellTextMax)) {
        QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
        if (s.size() > kCellTextMax) {
            qsizetype n = kCellTextMax;
            if (s.at(n - 1).isHighSurrogate())
                --n;
            s.truncate(n);
        }
        const QByteArray utf8 = s.toUtf8();
        out.append(utf8.constData(), std::size_t(utf8.size()));
    } else {
        out.append(text);
    }
    out.push_back('\0');
}

void PreparedRows::reset(int firstRow, int columns) {
    first = firstRow;
    count = 0;
    cols = columns;
    cells.clear();
    texts.clear();
}

void PreparedRows::add(const grid::Sheet &sheet, const std::vector<ColumnCells> &formats, int r) {
    ++count;
    // A workbook cell holds 15 digits: a longer number stays text there (see NumberReading).
    const grid::NumberReading paper = grid::numberReadingInForce();
    grid::NumberReading reading = paper;
    reading.exactDigits = true;
    // Runs of a merged column are among data rows only (grid::inColumnRun).
    const bool data = r >= 1 && sheet.isDataRow(r);
    const bool dataAbove = data && r >= 2 && sheet.isDataRow(r - 1);
    const bool dataBelow = data && r < sheet.maxRows() && sheet.isDataRow(r + 1);
    for (int c = 1; c <= cols; ++c) {
        PreparedCell &cell = cells.emplace_back();
        const std::string_view text = sheet.cellUtf8(c, r);
        if (text.empty())
            continue;
        if (data && formats[std::size_t(c)].merged) {
            cell.joinsAbove = dataAbove && sheet.cellUtf8(c, r - 1) == text;
            cell.joinsBelow = dataBelow && sheet.cellUtf8(c, r + 1) == text;
        }
        if (r >= 1 && prepareFormatted(cell, formats[std::size_t(c)], text, texts))
            continue;
        // The sheet's own form needs no second look; any other number the rule of every
        // output reads goes in as a number too, shown as the sheet spells it.
        if (const std::optional<double> number = sheetNumber(text)) {
            cell.kind = PreparedCell::Kind::Number;
            cell.number = *number;
        } else if (const std::optional<double> read = grid::cellNumber(text, reading)) {
            cell.kind = PreparedCell::Kind::Number;
            cell.number = *read;
            cell.spelling = numberSpelling(text, reading.group);
        } else {
            cell.kind = PreparedCell::Kind::Text;
            cell.text = std::uint32_t(texts.size());
            appendCellText(texts, text);
            // Only a text of more digits than the workbook keeps can still be a number on
            // paper, which reads any number of digits.
            cell.numberText = text.size() > 15 && grid::cellNumber(text, paper).has_value();
        }
    }
}

RowPreparer::RowPreparer(const grid::Sheet &sheet, const std::vector<ColumnCells> &formats,
                         int first, int last)
    : m_sheet(sheet),
      m_formats(formats),
      m_first(first),
      m_last(last),
      m_slots(kSlots),
      m_thread([this] { run(); }) {}

RowPreparer::~RowPreparer() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

const PreparedRows *RowPreparer::next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_made > m_used || m_done; });
    if (m_made > m_used)
        return &m_slots[std::size_t(m_used % kSlots)];
    if (m_failure)
        std::rethrow_exception(m_failure);
    return nullptr;
}

void RowPreparer::release() {
    {
        const std::lock_guard lock(m_mutex);
        ++m_used;
    }
    m_changed.notify_all();
}

void RowPreparer::run() {
    const int cols = m_sheet.maxCols();
    const int rowsPerBatch = std::max(1, kBatchCells / std::max(1, cols));
    try {
        for (long long made = 0, from = m_first; from <= m_last; ++made, from += rowsPerBatch) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return made - m_used < kSlots || m_stop; });
                if (m_stop)
                    return;
            }
            // Only this thread touches a slot between the writer's release and this count.
            PreparedRows &batch = m_slots[std::size_t(made % kSlots)];
            batch.reset(int(from), cols);
            const long long to = std::min<long long>(m_last, from + rowsPerBatch - 1);
            for (long long r = from; r <= to; ++r)
                batch.add(m_sheet, m_formats, int(r));
            {
                const std::lock_guard lock(m_mutex);
                ++m_made;
            }
            m_changed.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

}  // namespace tessel::exports
