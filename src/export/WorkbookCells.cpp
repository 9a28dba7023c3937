#include "export/WorkbookCells.h"

#include <QString>
#include <algorithm>

#include "export/WorkbookExport.h"
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
    for (int c = 1; c <= cols; ++c) {
        PreparedCell &cell = cells.emplace_back();
        const std::string_view text = sheet.cellUtf8(c, r);
        if (text.empty())
            continue;
        if (r >= 1 && prepareFormatted(cell, formats[std::size_t(c)], text, texts))
            continue;
        if (const std::optional<double> number = sheetNumber(text)) {
            cell.kind = PreparedCell::Kind::Number;
            cell.number = *number;
        } else {
            cell.kind = PreparedCell::Kind::Text;
            cell.text = std::uint32_t(texts.size());
            appendCellText(texts, text);
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
