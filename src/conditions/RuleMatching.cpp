#include "conditions/RuleMatching.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessel::conditions {

using grid::RuleWhen;

bool ruleMatches(const grid::ConditionRule &rule, const RuleStatistics &s,
                 const PreparedValue &value, const PreparedValue &value2, std::string_view cell,
                 int row, const std::optional<double> &number) {
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
