#include "conditions/CellLooks.h"

#include <QLocale>
#include <QPointer>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::conditions {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

// Whether `text` holds a character beyond ASCII whose case folds to an ASCII letter: the
// KELVIN SIGN (k) and the LATIN SMALL LETTER LONG S (s).
bool foldsToAscii(std::string_view text) {
    return text.find("\xE2\x84\xAA") != std::string_view::npos ||
           text.find("\xC5\xBF") != std::string_view::npos;
}

// Whether some character of `text` has another case: then only a comparison that folds every
// character's case is exact.
bool hasCasedCharacter(const QString &text) {
    for (const QChar c : text) {
        if (c.toLower() != c || c.toUpper() != c)
            return true;
    }
    return false;
}

// Blank as the workbook program's blank test (LEN(TRIM(x)) = 0) sees it: empty or spaces.
bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

QColor mix(const QColor &from, const QColor &to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    const auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// The value at fraction p (0..1) of the sorted numbers, linear between neighbours (the
// workbook program's inclusive percentile). `numbers` is reordered.
double percentile(std::vector<double> &numbers, double p) {
    const double pos = p * double(numbers.size() - 1);
    const auto lower = std::size_t(std::floor(pos));
    std::nth_element(numbers.begin(), numbers.begin() + std::ptrdiff_t(lower), numbers.end());
    const double low = numbers[lower];
    if (lower + 1 >= numbers.size() || pos == double(lower))
        return low;
    const double high =
        *std::min_element(numbers.begin() + std::ptrdiff_t(lower) + 1, numbers.end());
    return low + (high - low) * (pos - double(lower));
}

// The count-th of `numbers` in the order `before` (count from 1, below numbers.size()). A
// few from the end are kept in a heap in one pass; a larger count sorts a copy partly.
template <typename Before>
double nthFromEnd(const std::vector<double> &numbers, std::size_t count, Before before) {
    constexpr std::size_t kHeapMost = 1000;
    if (count <= kHeapMost) {
        // The heap's top is the last of the `count` first so far.
        std::vector<double> heap(numbers.begin(), numbers.begin() + std::ptrdiff_t(count));
        std::make_heap(heap.begin(), heap.end(), before);
        for (std::size_t i = count; i < numbers.size(); ++i) {
            if (before(numbers[i], heap.front())) {
                std::pop_heap(heap.begin(), heap.end(), before);
                heap.back() = numbers[i];
                std::push_heap(heap.begin(), heap.end(), before);
            }
        }
        return heap.front();
    }
    std::vector<double> copy = numbers;
    const auto nth = copy.begin() + std::ptrdiff_t(count - 1);
    std::nth_element(copy.begin(), nth, copy.end(), before);
    return *nth;
}

// Calls `visit(row)` for every data row first..last of `sheet`, in order, walking the row
// marks beside instead of looking each row up.
template <typename Visit>
void forEachDataRow(const grid::Sheet &sheet, int first, int last, Visit visit) {
    const auto &marks = sheet.rowMarks();
    auto mark = marks.lower_bound(first);
    for (int row = first; row <= last; ++row) {
        while (mark != marks.end() && mark->first < row)
            ++mark;
        if (mark != marks.end() && mark->first == row)
            continue;
        visit(row);
    }
}

template <typename Visit>
void forEachDataRow(const grid::Sheet &sheet, Visit visit) {
    forEachDataRow(sheet, 1, sheet.maxRows(), visit);
}

// What one pass finds of a column's numbers.
struct ColumnSums {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double sum = 0;
    std::size_t count = 0;
    void add(const ColumnSums &o) {
        low = std::min(low, o.low);
        high = std::max(high, o.high);
        sum += o.sum;
        count += o.count;
    }
};

// Reads the numbers of `columns` in rows first..last into byRow[k][row] (NaN for none and for a
// row that is no data row) and their sums into sums[k]. Reads the sheet only: parts of the rows
// may be read on several threads at once.
void readNumbers(const grid::Sheet &sheet, const std::vector<int> &columns, int first, int last,
                 const std::vector<double *> &byRow, ColumnSums *sums) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    for (double *numbers : byRow)
        std::fill(numbers + first, numbers + last + 1, kNone);
    forEachDataRow(sheet, std::max(first, 1), last, [&](int row) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (const std::optional<double> v = grid::cellNumber(sheet.cellUtf8(columns[k], row))) {
                byRow[k][row] = *v;
                ColumnSums &s = sums[k];
                s.low = std::min(s.low, *v);
                s.high = std::max(s.high, *v);
                s.sum += *v;
                ++s.count;
            }
        }
    });
}

}  // namespace

// A value of a rule read once: its number when it reads as one, its text, and how a cell's
// text compares with it.
struct PreparedValue {
    std::optional<double> number;
    QString text;
    std::string lowered;  // `text` as UTF-8, ASCII letters lowered
    bool ascii = true;    // `text` is ASCII
    bool cased = false;   // some character of `text` has another case

    explicit PreparedValue(const QVariant &value) {
        if (!value.isValid())
            return;
        if (value.typeId() == QMetaType::Double) {
            number = value.toDouble();
            text = QString::number(*number, 'g', QLocale::FloatingPointShortest);
        } else {
            text = value.toString();
            const QByteArray utf8 = text.toUtf8();
            number = grid::cellNumber(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        }
        const QByteArray utf8 = text.toUtf8();
        lowered = lowerAscii(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        ascii = isAscii(lowered);
        cased = hasCasedCharacter(text);
    }
    PreparedValue() = default;

    // Whether comparing bytes with ASCII letters lowered is exact for `cell`. It is when this
    // value is ASCII and no character of the cell folds to an ASCII letter (a character beyond
    // ASCII then differs from every character of the value, and sorts after it in both
    // orders); and, for equality and search but not order, when nothing in this value has a
    // case, so a matching character of the cell must be the same character.
    bool bytesExact(std::string_view cell, bool forOrder) const {
        if (ascii)
            return isAscii(cell) || !foldsToAscii(cell);
        return !forOrder && !cased;
    }

    // <0, 0, >0 as the cell's text sorts before, with or after this value, ignoring case.
    int compare(std::string_view cell) const {
        if (bytesExact(cell, true)) {
            const std::size_t n = std::min(cell.size(), lowered.size());
            for (std::size_t i = 0; i < n; ++i) {
                const auto a = static_cast<unsigned char>(lowerAscii(cell[i]));
                const auto b = static_cast<unsigned char>(lowered[i]);
                if (a != b)
                    return a < b ? -1 : 1;
            }
            return sign(int(cell.size() > n) - int(lowered.size() > n));
        }
        return sign(QString::fromUtf8(cell.data(), qsizetype(cell.size()))
                        .compare(text, Qt::CaseInsensitive));
    }

    bool equals(std::string_view cell) const {
        if (bytesExact(cell, false))
            return cell.size() == lowered.size() &&
                   std::equal(cell.begin(), cell.end(), lowered.begin(),
                              [](char a, char b) { return lowerAscii(a) == b; });
        return QString::fromUtf8(cell.data(), qsizetype(cell.size()))
                   .compare(text, Qt::CaseInsensitive) == 0;
    }

    bool found(std::string_view cell, RuleWhen when) const {
        if (!bytesExact(cell, false)) {
            const QString t = QString::fromUtf8(cell.data(), qsizetype(cell.size()));
            switch (when) {
                case RuleWhen::BeginsWith:
                    return t.startsWith(text, Qt::CaseInsensitive);
                case RuleWhen::EndsWith:
                    return t.endsWith(text, Qt::CaseInsensitive);
                default:
                    return t.contains(text, Qt::CaseInsensitive);
            }
        }
        const auto same = [](char a, char b) { return lowerAscii(a) == b; };
        if (lowered.size() > cell.size())
            return false;
        switch (when) {
            case RuleWhen::BeginsWith:
                return std::equal(lowered.begin(), lowered.end(), cell.begin(),
                                  [&](char b, char a) { return same(a, b); });
            case RuleWhen::EndsWith:
                return std::equal(lowered.begin(), lowered.end(),
                                  cell.end() - std::ptrdiff_t(lowered.size()),
                                  [&](char b, char a) { return same(a, b); });
            default:
                return std::search(cell.begin(), cell.end(), lowered.begin(), lowered.end(),
                                   same) != cell.end();
        }
    }
};

struct CellLooks::Prepared {
    PreparedValue value;
    PreparedValue value2;
};

struct CellLooks::Statistics {
    bool any = false;      // the column holds a number in a data row
    double threshold = 0;  // Top, Bottom: the last number that still counts
    double mean = 0;
    double low = 0, middle = 0, high = 0;  // Scale, Bar
    // Duplicate, Unique: per row, 1 where the value occurs in another data row too, 2 where
    // it occurs once, 0 for a blank or a row that is no data row.
    std::shared_ptr<const std::vector<std::uint8_t>> repeats;
};

grid::CellStyle withLook(const grid::CellStyle &style, const CellLook &look) {
    grid::CellStyle out = style;
    if (look.text.isValid())
        out.foreground = look.text;
    if (look.fill.isValid())
        out.background = look.fill;
    if (look.bold)
        out.font.bold = *look.bold;
    if (look.italic)
        out.font.italic = *look.italic;
    return out;
}

CellLooks::CellLooks(grid::ConditionRules rules) : m_rules(std::move(rules)) {
    prepare();
}

CellLooks::~CellLooks() = default;

void CellLooks::setRules(grid::ConditionRules rules) {
    m_rules = std::move(rules);
    prepare();
}

void CellLooks::prepare() {
    m_current = false;
    m_prepared.clear();
    m_byColumn.clear();
    m_rowRules.clear();
    m_rowSlot.clear();
    int last = 0;
    for (const ConditionRule &rule : m_rules) {
        m_prepared.push_back({PreparedValue(rule.value), PreparedValue(rule.value2)});
        last = std::max(last, rule.column);
    }
    m_byColumn.resize(std::size_t(last) + 1);
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const ConditionRule &rule = m_rules[i];
        // A scale or a bar colours its own column alone.
        const bool row = rule.row && rule.kind == RuleKind::Condition;
        m_rowSlot.push_back(row ? int(m_rowRules.size()) : -1);
        if (row)
            m_rowRules.push_back(int(i));
        for (int c = 1; c <= last; ++c) {
            if (row || rule.column == c)
                m_byColumn[std::size_t(c)].push_back(int(i));
        }
    }
}

void CellLooks::refresh(const grid::Sheet &sheet) const {
    if (m_current && m_sheet == &sheet && m_revision == sheet.revision())
        return;
    m_stats.assign(m_rules.size(), Statistics{});
    // Each column's numbers and repeats are read once, however many rules test it; the numbers
    // of every column a statistic needs in one pass over the rows, whose cells lie together.
    const auto statistical = [](const ConditionRule &rule) {
        return rule.kind != RuleKind::Condition ||
               (rule.when >= RuleWhen::Top && rule.when <= RuleWhen::BelowAverage);
    };
    std::vector<int> columns;
    for (const ConditionRule &rule : m_rules) {
        if (statistical(rule) &&
            std::find(columns.begin(), columns.end(), rule.column) == columns.end())
            columns.push_back(rule.column);
    }
    // The numbers of each such column by row, read once: a look reads them instead of the text
    // again. A large sheet's rows are read in parts at once, each thread writing its own rows of
    // the same arrays.
    // Left uninitialised here: each part writes every entry of its rows, on its own thread.
    m_numbers.clear();
    m_numbers.resize(m_byColumn.size());
    const int rows = sheet.maxRows();
    constexpr int kRowsPerPart = 100'000;  // the fewest rows worth a thread of their own
    m_numberRows = std::size_t(rows) + 1;
    std::vector<double *> byRow;
    for (const int col : columns) {
        m_numbers[std::size_t(col)].reset(new double[m_numberRows]);
        byRow.push_back(m_numbers[std::size_t(col)].get());
    }
    std::map<int, ColumnSums> sums;
    if (!columns.empty()) {
        // Up to four parts, one per processor, for a sheet of many rows; the first is read here.
        const int parts = std::clamp(
            std::min(int(std::thread::hardware_concurrency()), rows / kRowsPerPart), 1, 4);
        std::vector<std::vector<ColumnSums>> partSums(std::size_t(parts),
                                                      std::vector<ColumnSums>(columns.size()));
        const auto readPart = [&](int part) {
            const int first = int(std::int64_t(rows + 1) * part / parts);
            const int last = int(std::int64_t(rows + 1) * (part + 1) / parts) - 1;
            readNumbers(sheet, columns, first, last, byRow, partSums[std::size_t(part)].data());
        };
        std::vector<std::thread> helpers;
        for (int part = 1; part < parts; ++part)
            helpers.emplace_back(readPart, part);
        readPart(0);
        for (std::thread &helper : helpers)
            helper.join();
        for (std::size_t k = 0; k < columns.size(); ++k) {
            ColumnSums &joined = sums[columns[k]];
            for (const std::vector<ColumnSums> &part : partSums)
                joined.add(part[k]);
        }
    }
    std::map<int, std::shared_ptr<const std::vector<std::uint8_t>>> repeats;
    const auto repeatsOf = [&](int col) {
        auto it = repeats.find(col);
        if (it != repeats.end())
            return it->second;
        // A number is the same value as another when equal as numbers ("1.0" and "1"), a text
        // when equal ignoring case; each row gets the number of its value's first row's entry.
        std::unordered_map<double, int> numberKeys;
        std::unordered_map<std::string, int> textKeys;
        std::vector<int> counts;
        std::vector<int> keyOfRow(std::size_t(sheet.maxRows()) + 1, -1);
        forEachDataRow(sheet, [&](int row) {
            const std::string_view cell = sheet.cellUtf8(col, row);
            if (isBlank(cell))
                return;
            int key = 0;
            if (const std::optional<double> v = grid::cellNumber(cell)) {
                const auto n = numberKeys.try_emplace(*v, int(counts.size()));
                key = n.first->second;
                if (n.second)
                    counts.push_back(0);
            } else {
                std::string folded = isAscii(cell)
                                         ? lowerAscii(cell)
                                         : QString::fromUtf8(cell.data(), qsizetype(cell.size()))
                                               .toCaseFolded()
                                               .toStdString();
                const auto t = textKeys.try_emplace(std::move(folded), int(counts.size()));
                key = t.first->second;
                if (t.second)
                    counts.push_back(0);
            }
            ++counts[std::size_t(key)];
            keyOfRow[std::size_t(row)] = key;
        });
        auto flags = std::make_shared<std::vector<std::uint8_t>>(keyOfRow.size(), 0);
        for (std::size_t row = 0; row < keyOfRow.size(); ++row) {
            if (keyOfRow[row] >= 0)
                (*flags)[row] = counts[std::size_t(keyOfRow[row])] > 1 ? 1 : 2;
        }
        repeats[col] = flags;
        return std::shared_ptr<const std::vector<std::uint8_t>>(flags);
    };

    const auto needsAll = [](const ConditionRule &rule) {
        return rule.kind == RuleKind::Scale
                   ? rule.scale.size() == 3
                   : rule.kind == RuleKind::Condition &&
                         (rule.when == RuleWhen::Top || rule.when == RuleWhen::Bottom);
    };
    std::map<int, std::vector<std::size_t>> selections;  // by column, the rules needsAll
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const ConditionRule &rule = m_rules[i];
        Statistics &s = m_stats[i];
        if (rule.kind == RuleKind::Condition &&
            (rule.when == RuleWhen::Duplicate || rule.when == RuleWhen::Unique)) {
            s.repeats = repeatsOf(rule.column);
            continue;
        }
        if (!statistical(rule))
            continue;
        const ColumnSums &found = sums[rule.column];
        s.any = found.count > 0;
        if (!s.any)
            continue;
        s.low = found.low;
        s.high = found.high;
        if (rule.when == RuleWhen::AboveAverage || rule.when == RuleWhen::BelowAverage)
            s.mean = found.sum / double(found.count);
        if (needsAll(rule))
            selections[rule.column].push_back(i);
    }
    // A three-colour scale's median and the edges of top and bottom need a column's numbers in
    // one array: per column, the array is gathered and those statistics found, the columns of a
    // large sheet each on a thread of its own.
    const auto select = [&](int col, const std::vector<std::size_t> &indices) {
        std::vector<double> column;
        column.reserve(sums[col].count);
        const double *all = m_numbers[std::size_t(col)].get();
        for (std::size_t row = 0; row < m_numberRows; ++row) {
            if (!std::isnan(all[row]))
                column.push_back(all[row]);
        }
        // Every use below ignores the order of the numbers.
        for (const std::size_t i : indices) {
            const ConditionRule &rule = m_rules[i];
            Statistics &s = m_stats[i];
            if (rule.kind == RuleKind::Scale) {
                s.middle = percentile(column, 0.5);
                continue;
            }
            // Top and Bottom: the n-th number from the end in question; every number equal to
            // it counts too, so ties at the edge are all marked.
            const double n = rule.value.toDouble();
            const auto count = rule.percent ? std::max<std::size_t>(
                                                  1, std::size_t(double(column.size()) * n / 100))
                                            : std::size_t(n);
            if (count == 0)
                s.any = false;
            else if (count >= column.size())
                s.threshold = rule.when == RuleWhen::Top ? s.low : s.high;
            else
                s.threshold = rule.when == RuleWhen::Top
                                  ? nthFromEnd(column, count, std::greater<>())
                                  : nthFromEnd(column, count, std::less<>());
        }
    };
    std::vector<std::thread> selecting;
    for (const auto &[col, indices] : selections) {
        if (m_numberRows > std::size_t(kRowsPerPart) && &indices != &selections.rbegin()->second)
            selecting.emplace_back(select, col, std::cref(indices));
        else
            select(col, indices);
    }
    for (std::thread &t : selecting)
        t.join();
    m_sheet = &sheet;
    m_revision = sheet.revision();
    m_current = true;
    m_matchedRow = 0;
}

std::optional<double> CellLooks::number(const grid::Sheet &sheet, int col, int row) const {
    if (std::size_t(col) < m_numbers.size() && m_numbers[std::size_t(col)]) {
        const double v = std::size_t(row) < m_numberRows
                             ? m_numbers[std::size_t(col)][std::size_t(row)]
                             : std::numeric_limits<double>::quiet_NaN();
        return std::isnan(v) ? std::nullopt : std::optional<double>(v);
    }
    return grid::cellNumber(sheet.cellUtf8(col, row));
}

CellLook CellLooks::look(const grid::Sheet &sheet, int col, int row) const {
    CellLook out;
    const std::vector<int> &rules =
        std::size_t(col) < m_byColumn.size() ? m_byColumn[std::size_t(col)] : m_rowRules;
    if (rules.empty() || col < 1 || row < 1 || !sheet.isDataRow(row))
        return out;
    if (!m_current || m_sheet != &sheet || m_revision != sheet.revision())
        refresh(sheet);
    if (m_matchedRow != row) {
        m_matchedRow = row;
        m_rowMatched.assign(m_rowRules.size(), -1);
    }
    for (const int i : rules) {
        const ConditionRule &rule = m_rules[std::size_t(i)];
        const Statistics &s = m_stats[std::size_t(i)];
        bool matched = false;
        switch (rule.kind) {
            case RuleKind::Scale:
                if (const std::optional<double> v = number(sheet, rule.column, row); v && s.any) {
                    matched = true;
                    if (!out.fill.isValid()) {
                        const std::vector<QColor> &c = rule.scale;
                        if (c.size() == 2)
                            out.fill = s.high > s.low
                                           ? mix(c[0], c[1], (*v - s.low) / (s.high - s.low))
                                           : c[0];
                        else if (*v <= s.middle)
                            out.fill = s.middle > s.low
                                           ? mix(c[0], c[1], (*v - s.low) / (s.middle - s.low))
                                           : c[0];
                        else
                            out.fill = mix(c[1], c[2], (*v - s.middle) / (s.high - s.middle));
                    }
                }
                break;
            case RuleKind::Bar:
                if (const std::optional<double> v = number(sheet, rule.column, row); v && s.any) {
                    matched = true;
                    if (!out.bar) {
                        out.bar = s.high > s.low ? (*v - s.low) / (s.high - s.low) : 1.0;
                        out.barColor = rule.bar;
                    }
                }
                break;
            case RuleKind::Condition: {
                const int slot = m_rowSlot[std::size_t(i)];
                if (slot >= 0 && m_rowMatched[std::size_t(slot)] >= 0) {
                    matched = m_rowMatched[std::size_t(slot)] != 0;
                } else {
                    // Text tests, blanks and repeats never need the number.
                    const bool textual =
                        rule.when >= RuleWhen::Contains && rule.when <= RuleWhen::NotBlank;
                    const bool repeats =
                        rule.when == RuleWhen::Duplicate || rule.when == RuleWhen::Unique;
                    const std::optional<double> v =
                        textual || repeats ? std::nullopt : number(sheet, rule.column, row);
                    matched = matches(i, sheet.cellUtf8(rule.column, row), row, v);
                    if (slot >= 0)
                        m_rowMatched[std::size_t(slot)] = matched ? 1 : 0;
                }
                if (matched) {
                    if (!out.text.isValid())
                        out.text = rule.text;
                    if (!out.fill.isValid())
                        out.fill = rule.fill;
                    if (!out.bold)
                        out.bold = rule.bold;
                    if (!out.italic)
                        out.italic = rule.italic;
                }
                break;
            }
        }
        if (matched && rule.stop)
            break;
    }
    return out;
}

bool CellLooks::matches(int index, std::string_view cell, int row,
                        const std::optional<double> &number) const {
    const ConditionRule &rule = m_rules[std::size_t(index)];
    const Statistics &s = m_stats[std::size_t(index)];
    const PreparedValue &value = m_prepared[std::size_t(index)].value;
    const PreparedValue &value2 = m_prepared[std::size_t(index)].value2;
    switch (rule.when) {
        case RuleWhen::Blank:
            return isBlank(cell);
        case RuleWhen::NotBlank:
            return !isBlank(cell);
        case RuleWhen::Contains:
        case RuleWhen::BeginsWith:
        case RuleWhen::EndsWith:
            return value.found(cell, rule.when);
        case RuleWhen::NotContains:
            return !value.found(cell, RuleWhen::Contains);
        case RuleWhen::Duplicate:
        case RuleWhen::Unique: {
            const std::vector<std::uint8_t> &flags = *s.repeats;
            const std::uint8_t flag = std::size_t(row) < flags.size() ? flags[std::size_t(row)] : 0;
            return flag == (rule.when == RuleWhen::Duplicate ? 1 : 2);
        }
        default:
            break;
    }
    switch (rule.when) {
        case RuleWhen::Top:
            return number && s.any && *number >= s.threshold;
        case RuleWhen::Bottom:
            return number && s.any && *number <= s.threshold;
        case RuleWhen::AboveAverage:
            return number && s.any && *number > s.mean;
        case RuleWhen::BelowAverage:
            return number && s.any && *number < s.mean;
        case RuleWhen::Between:
        case RuleWhen::NotBetween: {
            bool inside = false;
            if (number && value.number && value2.number) {
                const auto [lo, hi] = std::minmax(*value.number, *value2.number);
                inside = *number >= lo && *number <= hi;
            } else {
                // Texts: the two ends in either order, as for numbers.
                const int a = value.compare(cell);
                const int b = value2.compare(cell);
                inside = (a >= 0 && b <= 0) || (a <= 0 && b >= 0);
            }
            return inside == (rule.when == RuleWhen::Between);
        }
        default:
            break;
    }
    // The comparisons: the cell against the value, numbers when both are.
    int order = 0;
    if (number && value.number)
        order = *number < *value.number ? -1 : (*number > *value.number ? 1 : 0);
    else if (rule.when == RuleWhen::Equal || rule.when == RuleWhen::NotEqual)
        order = value.equals(cell) ? 0 : 1;
    else
        order = value.compare(cell);
    switch (rule.when) {
        case RuleWhen::Greater:
            return order > 0;
        case RuleWhen::GreaterEqual:
            return order >= 0;
        case RuleWhen::Less:
            return order < 0;
        case RuleWhen::LessEqual:
            return order <= 0;
        case RuleWhen::Equal:
            return order == 0;
        case RuleWhen::NotEqual:
            return order != 0;
        default:
            return false;
    }
}

}  // namespace tessel::conditions

namespace tessel::conditions {

namespace {

// One sheet's looks on this thread. The pointer clears itself when its sheet is destroyed, so a
// new sheet at the same address is never taken for it.
struct KeptLooks {
    QPointer<const grid::Sheet> sheet;
    std::uint64_t rulesRevision = 0;  // the sheet's revision when its rules were last compared
    std::unique_ptr<CellLooks> looks;
};

}  // namespace

const CellLooks &looksOf(const grid::Sheet &sheet) {
    thread_local const CellLooks none;
    if (sheet.conditions().empty())
        return none;
    // Most recent first.
    thread_local std::array<KeptLooks, 2> kept;
    if (kept[0].sheet != &sheet) {
        if (kept[1].sheet == &sheet) {
            std::swap(kept[0], kept[1]);
        } else {
            kept[1] = std::move(kept[0]);
            kept[0] = KeptLooks{&sheet, sheet.revision(),
                                std::make_unique<CellLooks>(sheet.conditions())};
        }
    }
    KeptLooks &k = kept[0];
    // Rules change only with the revision: they are compared again only then.
    if (k.rulesRevision != sheet.revision()) {
        k.rulesRevision = sheet.revision();
        if (k.looks->rules() != sheet.conditions())
            k.looks->setRules(sheet.conditions());
    }
    return *k.looks;
}

}  // namespace tessel::conditions
