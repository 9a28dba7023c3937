#include "groups/ArrangeGroups.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "grid/CellNumber.h"

namespace tessel::groups {

using grid::Grouping;
using grid::GroupLevel;
using grid::GroupTotal;
using grid::RowKind;
using grid::Sheet;
using grid::TotalFunction;

namespace {

// Where a group value sorts: numbers by value, then texts by code point (the order of their
// UTF-8 bytes), then the empty value.
enum class ValueKind : std::uint8_t { Number, Text, Empty };

struct ValueKey {
    ValueKind kind = ValueKind::Empty;
    double number = 0;
    std::string_view text;
};

bool sortsBefore(const ValueKey &a, const ValueKey &b) {
    if (a.kind != b.kind)
        return a.kind < b.kind;
    if (a.kind == ValueKind::Number)
        return a.number < b.number;
    return a.kind == ValueKind::Text && a.text < b.text;
}

bool sameValue(const ValueKey &a, const ValueKey &b) {
    return !sortsBefore(a, b) && !sortsBefore(b, a);
}

// The rank of each row's value in column `col`: ranks follow the sort order and equal values
// (the same text, or numbers of the same value such as "1,000" and "1000") share one. Each
// distinct text is read as a number once; a row costs one hash lookup, none when its text is
// the row before's. The views point into the sheet's text storage: no cell is written
// while they live.
std::vector<std::uint32_t> valueRanks(const Sheet &sheet, int col, const std::vector<int> &rows,
                                      std::uint32_t &distinctRanks) {
    std::vector<std::uint32_t> ids(rows.size());
    std::unordered_map<std::string_view, std::uint32_t> idOf;
    std::vector<std::string_view> distinct;
    std::string_view previous;
    std::uint32_t previousId = std::numeric_limits<std::uint32_t>::max();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view text = sheet.cellUtf8(col, rows[i]);
        if (previousId == std::numeric_limits<std::uint32_t>::max() || text != previous) {
            const auto [it, added] = idOf.try_emplace(text, std::uint32_t(distinct.size()));
            if (added)
                distinct.push_back(text);
            previous = text;
            previousId = it->second;
        }
        ids[i] = previousId;
    }

    std::vector<ValueKey> keys(distinct.size());
    for (std::size_t d = 0; d < distinct.size(); ++d) {
        if (distinct[d].empty())
            continue;
        if (const std::optional<double> n = grid::cellNumber(distinct[d]))
            keys[d] = {ValueKind::Number, *n, {}};
        else
            keys[d] = {ValueKind::Text, 0, distinct[d]};
    }
    std::vector<std::uint32_t> order(distinct.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return sortsBefore(keys[a], keys[b]); });
    std::vector<std::uint32_t> rankOf(distinct.size());
    std::uint32_t rank = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && !sameValue(keys[order[k - 1]], keys[order[k]]))
            ++rank;
        rankOf[order[k]] = rank;
    }
    distinctRanks = distinct.empty() ? 0 : rank + 1;
    for (std::uint32_t &id : ids)
        id = rankOf[id];
    return ids;
}

// The positions 0..n-1 of the data rows, stably sorted by their ranks, outermost level first.
// The ranks of all levels usually fit one 64-bit key, sorted with the position as the tie
// breaker; otherwise the rank lists are compared one by one.
std::vector<std::uint32_t> sortedPositions(const std::vector<std::vector<std::uint32_t>> &ranks,
                                           const std::vector<std::uint32_t> &distinct,
                                           std::size_t n) {
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    int bits = 0;
    for (std::uint32_t d : distinct)
        bits += std::bit_width(d);
    if (bits <= 64) {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(n);
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t key = 0;
            for (std::size_t l = 0; l < ranks.size(); ++l) {
                key = (key << std::bit_width(distinct[l])) | ranks[l][i];
            }
            keyed[i] = {key, std::uint32_t(i)};
        }
        // A query that already orders by the group columns needs no sort.
        if (std::is_sorted(keyed.begin(), keyed.end()))
            return order;
        std::sort(keyed.begin(), keyed.end());
        for (std::size_t i = 0; i < n; ++i)
            order[i] = keyed[i].second;
        return order;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (const std::vector<std::uint32_t> &r : ranks) {
            if (r[a] != r[b])
                return r[a] < r[b];
        }
        return false;
    });
    return order;
}

// What a group's cells of one column add up to; merged into the enclosing group's when the
// group ends, so every data cell is read once whatever the number of levels.
struct Tally {
    double sum = 0;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    std::uint32_t numbers = 0;  // cells read as numbers
    std::uint32_t filled = 0;   // non-empty cells

    void add(std::string_view text) {
        if (text.empty())
            return;
        ++filled;
        if (const std::optional<double> v = grid::cellNumber(text)) {
            ++numbers;
            sum += *v;
            min = std::min(min, *v);
            max = std::max(max, *v);
        }
    }
    void merge(const Tally &o) {
        sum += o.sum;
        min = std::min(min, o.min);
        max = std::max(max, o.max);
        numbers += o.numbers;
        filled += o.filled;
    }
};

// The text of a subtotal cell: empty for a sum, mean, least or greatest value over no
// number; a count always shows.
void appendTotalText(std::string &out, TotalFunction f, const Tally &t) {
    if (f == TotalFunction::Count) {
        grid::appendTotal(out, double(t.filled));
        return;
    }
    if (t.numbers == 0)
        return;
    switch (f) {
        case TotalFunction::Sum:
            grid::appendTotal(out, t.sum);
            break;
        case TotalFunction::Average:
            grid::appendTotal(out, t.sum / double(t.numbers));
            break;
        case TotalFunction::Min:
            grid::appendTotal(out, t.min);
            break;
        case TotalFunction::Max:
            grid::appendTotal(out, t.max);
            break;
        case TotalFunction::Count:
            break;
    }
}

// A text for a cell of a new row, kept in one buffer until the rows are in place.
struct NewCell {
    int row;  // in the arranged sheet
    int col;
    std::size_t offset;
    std::size_t length;
};

// `grouping` with each level's totals given, and only columns of the sheet.
Grouping resolved(const Grouping &grouping, const std::vector<int> &defaultTotals, int cols) {
    Grouping g = grouping;
    const auto inSheet = [cols](int c) { return c >= 1 && c <= cols; };
    std::erase_if(g.levels, [&](const GroupLevel &l) { return !inSheet(l.column); });
    for (GroupLevel &level : g.levels) {
        if (!level.totals) {
            level.totals.emplace();
            for (int c : defaultTotals)
                level.totals->push_back({c, TotalFunction::Sum});
        }
        std::erase_if(*level.totals, [&](const GroupTotal &t) { return !inSheet(t.column); });
    }
    return g;
}

}  // namespace

void arrangeGroups(Sheet &sheet, const Grouping &grouping, const std::vector<int> &defaultTotals) {
    if (grouping.isEmpty())
        return;
    const Grouping g = resolved(grouping, defaultTotals, sheet.maxCols());
    const bool redraw = sheet.redraw();
    sheet.setRedraw(false);
    struct Restore {
        Sheet &s;
        bool on;
        ~Restore() { s.setRedraw(on); }
    } restore{sheet, redraw};
    sheet.setGrouping(g);
    if (g.levels.empty())
        return;

    // The data rows; header and subtotal rows of an earlier arrangement give way to new ones,
    // a totals row stays last.
    std::vector<int> rows;
    std::vector<int> totalsRows;
    rows.reserve(std::size_t(sheet.maxRows()));
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        if (sheet.isDataRow(r))
            rows.push_back(r);
        else if (sheet.rowMark(r).kind == RowKind::Totals)
            totalsRows.push_back(r);
    }
    const std::size_t n = rows.size();
    const std::size_t levels = g.levels.size();

    std::vector<std::vector<std::uint32_t>> ranks(levels);
    std::vector<std::uint32_t> distinct(levels);
    for (std::size_t l = 0; l < levels; ++l)
        ranks[l] = valueRanks(sheet, g.levels[l].column, rows, distinct[l]);
    std::vector<std::uint32_t> order;
    if (g.sort) {
        order = sortedPositions(ranks, distinct, n);
    } else {
        order.resize(n);
        std::iota(order.begin(), order.end(), 0u);
    }

    // The columns any level totals; each row's cells of them are read once.
    std::vector<int> tallied;
    for (const GroupLevel &level : g.levels) {
        for (const GroupTotal &t : *level.totals)
            tallied.push_back(t.column);
    }
    std::sort(tallied.begin(), tallied.end());
    tallied.erase(std::unique(tallied.begin(), tallied.end()), tallied.end());
    const auto talliedIndex = [&](int col) {
        return std::size_t(std::lower_bound(tallied.begin(), tallied.end(), col) - tallied.begin());
    };
    std::vector<Tally> tallies(levels * tallied.size());
    const auto tallyOf = [&](std::size_t level) {
        return tallies.begin() + std::ptrdiff_t(level * tallied.size());
    };

    const int labelCol = grid::subtotalLabelColumn(sheet);
    std::vector<std::string> labels(levels);  // a label without {value}, as UTF-8
    const QString placeholder = QStringLiteral("{value}");
    for (std::size_t l = 0; l < levels; ++l) {
        if (!g.levels[l].label.contains(placeholder))
            labels[l] = g.levels[l].label.toStdString();
    }

    std::vector<int> from;
    from.reserve(n + totalsRows.size() + 64);
    std::string texts;
    std::vector<NewCell> cells;
    std::vector<std::pair<int, grid::RowMark>> marks;
    std::vector<int> groupFirst(levels, 0);  // the first data row (old number) of each open group
    const auto addText = [&](int row, int col, std::string_view text) {
        if (text.empty() || col < 1)
            return;
        cells.push_back({row, col, texts.size(), text.size()});
        texts.append(text);
    };
    const auto endGroup = [&](std::size_t l) {
        from.push_back(0);
        const int row = int(from.size());
        marks.push_back({row, {RowKind::Subtotal, int(l) + 1}});
        const auto tally = tallyOf(l);
        for (const GroupTotal &t : *g.levels[l].totals) {
            if (t.column == labelCol)
                continue;
            const std::size_t before = texts.size();
            appendTotalText(texts, t.function, tally[std::ptrdiff_t(talliedIndex(t.column))]);
            if (texts.size() > before)
                cells.push_back({row, t.column, before, texts.size() - before});
        }
        if (labels[l].empty() && !g.levels[l].label.isEmpty()) {
            const std::string_view value = sheet.cellUtf8(g.levels[l].column, groupFirst[l]);
            QString label = g.levels[l].label;
            label.replace(placeholder, QString::fromUtf8(value.data(), qsizetype(value.size())));
            addText(row, labelCol, label.toStdString());
        } else {
            addText(row, labelCol, labels[l]);
        }
        for (std::size_t u = 0; u < tallied.size(); ++u) {
            if (l > 0)
                tallyOf(l - 1)[std::ptrdiff_t(u)].merge(tally[std::ptrdiff_t(u)]);
            tally[std::ptrdiff_t(u)] = Tally{};
        }
    };

    // The ranks in the arranged order, so that the walks below read them in sequence, and
    // the outermost level whose value changes at each position (`levels` for none).
    std::vector<std::vector<std::uint32_t>> sorted(levels, std::vector<std::uint32_t>(n));
    for (std::size_t l = 0; l < levels; ++l) {
        for (std::size_t p = 0; p < n; ++p)
            sorted[l][p] = ranks[l][order[p]];
        std::vector<std::uint32_t>().swap(ranks[l]);
    }
    const auto changedAt = [&](std::size_t p) {
        if (p == 0)
            return std::size_t(0);
        for (std::size_t l = 0; l < levels; ++l) {
            if (sorted[l][p] != sorted[l][p - 1])
                return l;
        }
        return levels;
    };

    // Each row's innermost group, then the group totals read in the sheet's own row order:
    // the cells are visited in sequence, not in the arranged order.
    std::vector<std::uint32_t> groupOf(n);
    std::uint32_t groups = 0;
    for (std::size_t p = 0; p < n; ++p) {
        if (p > 0 && changedAt(p) < levels)
            ++groups;
        groupOf[order[p]] = groups;
    }
    std::vector<Tally> groupTallies(n > 0 ? (std::size_t(groups) + 1) * tallied.size() : 0);
    for (std::size_t i = 0; i < n; ++i) {
        Tally *t = groupTallies.data() + std::size_t(groupOf[i]) * tallied.size();
        for (std::size_t u = 0; u < tallied.size(); ++u)
            t[u].add(sheet.cellUtf8(tallied[u], rows[i]));
    }
    std::vector<std::uint32_t>().swap(groupOf);

    const auto inner = tallyOf(levels - 1);
    std::size_t group = 0;
    for (std::size_t p = 0; p < n; ++p) {
        const std::size_t changed = changedAt(p);
        if (p > 0) {
            for (std::size_t l = levels; l-- > changed;)
                endGroup(l);
        }
        const int row = rows[order[p]];
        for (std::size_t l = changed; l < levels; ++l) {
            groupFirst[l] = row;
            if (g.levels[l].header) {
                from.push_back(0);
                marks.push_back({int(from.size()), {RowKind::GroupHeader, int(l) + 1}});
                addText(int(from.size()), g.levels[l].column,
                        sheet.cellUtf8(g.levels[l].column, row));
            }
        }
        if (changed < levels || p == 0) {
            // A new innermost group: its totals, added up before.
            for (std::size_t u = 0; u < tallied.size(); ++u)
                inner[std::ptrdiff_t(u)] = groupTallies[group * tallied.size() + u];
            ++group;
        }
        from.push_back(row);
    }
    if (n > 0) {
        for (std::size_t l = levels; l-- > 0;)
            endGroup(l);
    }
    from.insert(from.end(), totalsRows.begin(), totalsRows.end());

    sheet.arrangeRows(from);
    sheet.reserveText(texts.size());
    for (const NewCell &c : cells)
        sheet.setTextUtf8(c.col, c.row, std::string_view(texts).substr(c.offset, c.length));
    grid::CellStyle style = sheet.defaultStyle();
    style.font.bold = true;
    style.background = kGroupRowFill;
    for (const auto &[row, mark] : marks) {
        sheet.setRowMark(row, mark);
        sheet.setRowStyle(row, style);
    }
}

void removeGroups(Sheet &sheet) {
    if (!sheet.grouping().isEmpty())
        sheet.setGrouping({});
    const std::map<int, grid::RowMark> &marks = sheet.rowMarks();
    if (std::none_of(marks.begin(), marks.end(),
                     [](const auto &m) { return m.second.kind != RowKind::Totals; }))
        return;
    std::vector<int> from;
    std::vector<int> totalsRows;
    from.reserve(std::size_t(sheet.maxRows()));
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        if (sheet.isDataRow(r))
            from.push_back(r);
        else if (sheet.rowMark(r).kind == RowKind::Totals)
            totalsRows.push_back(r);
    }
    from.insert(from.end(), totalsRows.begin(), totalsRows.end());
    sheet.arrangeRows(from);
}

std::vector<int> defaultTotalColumns(const Sheet &sheet,
                                     const std::optional<std::vector<int>> &totalsColumns) {
    std::vector<int> out;
    if (totalsColumns) {
        for (int c : *totalsColumns) {
            if (c >= 1 && c <= sheet.maxCols() && std::find(out.begin(), out.end(), c) == out.end())
                out.push_back(c);
        }
        std::sort(out.begin(), out.end());
        if (!out.empty())
            return out;
    }
    for (int c = 1; c <= sheet.maxCols(); ++c) {
        bool any = false;
        bool numeric = true;
        for (int r = 1; r <= sheet.maxRows() && numeric; ++r) {
            const std::string_view text = sheet.cellUtf8(c, r);
            if (text.empty() || !sheet.isDataRow(r))
                continue;
            any = true;
            numeric = grid::cellNumber(text).has_value();
        }
        if (any && numeric)
            out.push_back(c);
    }
    return out;
}

}  // namespace tessel::groups
