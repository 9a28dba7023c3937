#include "conditions/ColumnStatistics.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include "conditions/CaseFolding.h"
#include "conditions/Percentiles.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::conditions {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

constexpr int kRowsPerPart = 100'000;  // the fewest rows worth a thread of their own

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

// Whether a rule needs a statistic of its column.
bool statistical(const ConditionRule &rule) {
    return rule.kind != RuleKind::Condition ||
           (rule.when >= RuleWhen::Top && rule.when <= RuleWhen::BelowAverage);
}

// Whether a rule's statistic needs all of its column's numbers in one array: a three-colour
// scale's median, the edges of top and bottom.
bool needsAll(const ConditionRule &rule) {
    return rule.kind == RuleKind::Scale
               ? rule.scale.size() == 3
               : rule.kind == RuleKind::Condition &&
                     (rule.when == RuleWhen::Top || rule.when == RuleWhen::Bottom);
}

// The columns statistical rules test, each once, in the order of their first rule: each
// column's numbers and repeats are read once, however many rules test it.
std::vector<int> statisticalColumns(const grid::ConditionRules &rules) {
    std::vector<int> columns;
    for (const ConditionRule &rule : rules) {
        if (statistical(rule) &&
            std::find(columns.begin(), columns.end(), rule.column) == columns.end())
            columns.push_back(rule.column);
    }
    return columns;
}

// Reads the numbers of `columns` by row into `numbers` and returns their sums. The numbers of
// every column in one pass over the rows, whose cells lie together: a look reads them instead
// of the text again. A large sheet's rows are read in parts at once, each thread writing its
// own rows of the same arrays.
std::map<int, ColumnSums> readColumns(const grid::Sheet &sheet, const std::vector<int> &columns,
                                      ColumnNumbers &numbers) {
    const int rows = sheet.maxRows();
    numbers.rows = std::size_t(rows) + 1;
    // Left uninitialised here: each part writes every entry of its rows, on its own thread.
    std::vector<double *> byRow;
    for (const int col : columns) {
        numbers.byColumn[std::size_t(col)].reset(new double[numbers.rows]);
        byRow.push_back(numbers.byColumn[std::size_t(col)].get());
    }
    std::map<int, ColumnSums> sums;
    if (columns.empty())
        return sums;
    // Up to four parts, one per processor, for a sheet of many rows; the first is read here.
    const int parts =
        std::clamp(std::min(int(std::thread::hardware_concurrency()), rows / kRowsPerPart), 1, 4);
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
    return sums;
}

// The repeat flags of column `col` (RuleStatistics::repeats). A number is the same value as
// another when equal as numbers ("1.0" and "1"), a text when equal ignoring case; each row
// gets the number of its value's first row's entry.
std::shared_ptr<const std::vector<std::uint8_t>> repeatFlags(const grid::Sheet &sheet, int col) {
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
    return flags;
}

// The statistics of the rules `indices` of column `col` that need all its numbers in one
// array: gathered once, then each rule's median or edge found. Every use ignores the order of
// the numbers.
void selectEdges(const grid::ConditionRules &rules, const ColumnNumbers &numbers, std::size_t count,
                 const std::vector<std::size_t> &indices, std::vector<RuleStatistics> &stats,
                 int col) {
    std::vector<double> column;
    column.reserve(count);
    const double *all = numbers.byColumn[std::size_t(col)].get();
    for (std::size_t row = 0; row < numbers.rows; ++row) {
        if (!std::isnan(all[row]))
            column.push_back(all[row]);
    }
    for (const std::size_t i : indices) {
        const ConditionRule &rule = rules[i];
        RuleStatistics &s = stats[i];
        if (rule.kind == RuleKind::Scale) {
            s.middle = percentile(column, 0.5);
            continue;
        }
        // Top and Bottom: the n-th number from the end in question; every number equal to
        // it counts too, so ties at the edge are all marked.
        const double n = rule.value.toDouble();
        const auto wanted =
            rule.percent ? std::max<std::size_t>(1, std::size_t(double(column.size()) * n / 100))
                         : std::size_t(n);
        if (wanted == 0)
            s.any = false;
        else if (wanted >= column.size())
            s.threshold = rule.when == RuleWhen::Top ? s.low : s.high;
        else
            s.threshold = rule.when == RuleWhen::Top ? nthFromEnd(column, wanted, std::greater<>())
                                                     : nthFromEnd(column, wanted, std::less<>());
    }
}

}  // namespace

std::vector<RuleStatistics> ruleStatistics(const grid::Sheet &sheet,
                                           const grid::ConditionRules &rules, std::size_t columns,
                                           ColumnNumbers &numbers) {
    std::vector<RuleStatistics> stats(rules.size());
    numbers.byColumn.clear();
    numbers.byColumn.resize(columns);
    std::map<int, ColumnSums> sums = readColumns(sheet, statisticalColumns(rules), numbers);
    std::map<int, std::shared_ptr<const std::vector<std::uint8_t>>> repeats;
    std::map<int, std::vector<std::size_t>> selections;  // by column, the rules needsAll
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const ConditionRule &rule = rules[i];
        RuleStatistics &s = stats[i];
        if (rule.kind == RuleKind::Condition &&
            (rule.when == RuleWhen::Duplicate || rule.when == RuleWhen::Unique)) {
            auto &flags = repeats[rule.column];
            if (!flags)
                flags = repeatFlags(sheet, rule.column);
            s.repeats = flags;
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
    // The columns of a large sheet each on a thread of its own.
    std::vector<std::thread> selecting;
    for (const auto &[col, indices] : selections) {
        const std::size_t count = sums[col].count;
        if (numbers.rows > std::size_t(kRowsPerPart) && &indices != &selections.rbegin()->second)
            selecting.emplace_back(selectEdges, std::cref(rules), std::cref(numbers), count,
                                   std::cref(indices), std::ref(stats), col);
        else
            selectEdges(rules, numbers, count, indices, stats, col);
    }
    for (std::thread &t : selecting)
        t.join();
    return stats;
}

}  // namespace tessel::conditions
