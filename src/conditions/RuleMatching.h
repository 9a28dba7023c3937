// Whether a condition rule matches a cell: the tests of blanks, texts, repeats, top and bottom,
// averages, ranges and comparisons.
#pragma once

#include <optional>
#include <string_view>

#include "conditions/CaseFolding.h"
#include "conditions/ColumnStatistics.h"
#include "grid/ConditionRules.h"

namespace tessel::conditions {

// Whether the Condition rule `rule` matches `cell`, the text of its column in `row`, whose
// number is `number` (read when the rule compares numbers; nullopt for a text). `stats` are
// the rule's column statistics, `value` and `value2` its values read once. A comparison is
// numeric when the cell and the value (both values of Between) are numbers, else it compares
// texts ignoring case.
bool ruleMatches(const grid::ConditionRule &rule, const RuleStatistics &stats,
                 const PreparedValue &value, const PreparedValue &value2, std::string_view cell,
                 int row, const std::optional<double> &number);

}  // namespace tessel::conditions
