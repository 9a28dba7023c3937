// Conditional formats: rules that give a data cell, or its whole row, a text colour, a fill,
// a weight or a slant when its value meets a condition, and colour scales and data bars over a
// column's numbers. Plain data, in priority order (the first rule wins a property), so that the
// sheet, the painter and the exports read the same rules.
//
// Columns are sheet columns from 1.
#pragma once

#include <QColor>
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel::grid {

// What a rule with a condition tests in its column's cell. Comparisons are numeric when both
// the cell's data and the value read as numbers (cellNumber), otherwise on text; text tests
// ignore case.
enum class RuleWhen : std::uint8_t {
    Greater,       // >
    GreaterEqual,  // >=
    Less,          // <
    LessEqual,     // <=
    Equal,         // =
    NotEqual,      // !=
    Between,       // value..value2, both ends included, in either order
    NotBetween,
    Contains,
    NotContains,
    BeginsWith,
    EndsWith,
    Blank,  // empty or only spaces
    NotBlank,
    Top,  // the `value` largest numbers of the column (or value % of them), ties included
    Bottom,
    AboveAverage,  // above the mean of the column's numbers
    BelowAverage,
    Duplicate,  // the value occurs in more than one data row of the column
    Unique,     // the value occurs in exactly one
};

// How many values a condition takes (value, value2): none for blank, the averages and the
// repeats, two for between, one for the others. The stored form and the dialog both ask.
constexpr int whenValueCount(RuleWhen when) {
    switch (when) {
        case RuleWhen::Between:
        case RuleWhen::NotBetween:
            return 2;
        case RuleWhen::Blank:
        case RuleWhen::NotBlank:
        case RuleWhen::AboveAverage:
        case RuleWhen::BelowAverage:
        case RuleWhen::Duplicate:
        case RuleWhen::Unique:
            return 0;
        default:
            return 1;
    }
}

// What a rule is: a condition with a look, a colour scale, or a data bar.
enum class RuleKind : std::uint8_t { Condition, Scale, Bar };

struct ConditionRule {
    int column = 0;
    RuleKind kind = RuleKind::Condition;
    RuleWhen when = RuleWhen::Greater;  // Condition rules only
    // The values as stored: a double for a number, a QString for a text, invalid when absent.
    // value2 is the other end of Between and NotBetween.
    QVariant value;
    QVariant value2;
    bool percent = false;  // Top and Bottom: value is a percentage of the column's numbers
    // The look a matching Condition rule gives; an invalid colour or nullopt sets nothing.
    QColor text;
    QColor fill;
    std::optional<bool> bold;
    std::optional<bool> italic;
    // Condition rules: the look goes to every cell of the row, not the tested cell alone.
    bool row = false;
    bool stop = false;          // where this rule matched, later rules do not apply
    std::vector<QColor> scale;  // Scale: 2 or 3 colours, smallest number to largest
    QColor bar;                 // Bar: the bar's colour
    // Keys of the stored rule this version does not know, written back as they were.
    QJsonObject otherKeys;
    bool operator==(const ConditionRule &) const = default;
};

using ConditionRules = std::vector<ConditionRule>;

}  // namespace tessel::grid
