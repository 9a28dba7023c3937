// The column statistics conditional formats need (top and bottom thresholds, averages,
// repeats, scale and bar ranges), computed in one pass over the data rows of each column a
// statistical rule tests, a large sheet's rows read in parts on several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "grid/ConditionRules.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::conditions {

// What one rule needs of its column.
struct RuleStatistics {
    bool any = false;      // the column holds a number in a data row
    double threshold = 0;  // Top, Bottom: the last number that still counts
    double mean = 0;
    double low = 0, middle = 0, high = 0;  // Scale, Bar
    // Duplicate, Unique: per row, 1 where the value occurs in another data row too, 2 where
    // it occurs once, 0 for a blank or a row that is no data row.
    std::shared_ptr<const std::vector<std::uint8_t>> repeats;
};

// Each row's number of the columns the statistics read: byColumn[col] holds `rows` numbers
// (rows 0..maxRows), NaN for none and for a row that is no data row; null for a column no
// statistic reads.
struct ColumnNumbers {
    std::vector<std::unique_ptr<double[]>> byColumn;
    std::size_t rows = 0;
};

// The statistics of each of `rules` (in their order) over the data rows of `sheet`, and in
// `numbers` (`columns` entries, columns 0..columns - 1) the numbers they were computed from.
// A rule that needs no statistic gets an empty one.
std::vector<RuleStatistics> ruleStatistics(const grid::Sheet &sheet,
                                           const grid::ConditionRules &rules, std::size_t columns,
                                           ColumnNumbers &numbers);

}  // namespace tessel::conditions
