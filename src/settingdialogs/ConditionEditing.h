// The edits the conditional formats dialog makes to a report's rules, as plain functions of the
// rules (grid::ConditionRules), and the sample of a report's rows the dialog colours by them.
// Columns are sheet columns from 1; a column's rules are those whose `column` is that column,
// in the order they stand in the report's list (their priority).
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "grid/ConditionRules.h"
#include "grid/Sheet.h"

namespace tessel::settingdialogs {

// A condition the dialog offers and its caption (a text marked for translation), in the order
// it lists them.
struct WhenChoice {
    grid::RuleWhen when;
    const char *caption;
};
const std::array<WhenChoice, 20> &whenChoices();
// The position of `when` in whenChoices().
int whenChoiceIndex(grid::RuleWhen when);

// Whether a condition counts cells (top, bottom): its value is a whole number, a percentage
// with `percent`.
bool countsCells(grid::RuleWhen when);

// What a rule is in the dialog's kind box: a condition with a look, a scale of two or of three
// colours, or a data bar.
enum class RuleShape { Condition, Scale2, Scale3, Bar };
RuleShape shapeOf(const grid::ConditionRule &rule);
// Makes `rule` one of `shape`, keeping what the rule already has that the shape uses (its
// column, condition and look, the ends of a scale) and giving what it lacks the usual colours
// (a scale from red over yellow to green, a blue bar).
void setShape(grid::ConditionRule &rule, RuleShape shape);

// Makes `rule` test `when`, dropping the values and the percent flag the new condition does
// not take.
void setWhen(grid::ConditionRule &rule, grid::RuleWhen when);

// A new rule on `column`: cells above a value (still to be typed) in dark red on a light red
// fill.
grid::ConditionRule newRule(int column);

// The value a value box's text stands for: nullopt (no value) for blanks only, a number
// (double) when the text reads as one (grid::cellNumber, so "50,000" is 50000), the text as
// typed otherwise.
std::optional<QVariant> valueFromText(const QString &text);
// The text a value box shows for a stored value: a number in its shortest form, a text as it
// is, nothing for an absent value.
QString textOfValue(const QVariant &value);

// The rules' line in the dialog's list: the condition with its values and what it gives
// ("大于 50000：文字 #C00000，加粗，整行"), or the scale's or bar's colours.
QString ruleSummary(const grid::ConditionRule &rule);

// The positions in `rules` of the rules of `column`, in order.
std::vector<int> columnRulePositions(const grid::ConditionRules &rules, int column);
// The rules of `column`, in order.
grid::ConditionRules columnRules(const grid::ConditionRules &rules, int column);
// `rules` with the rules of `column` replaced by `edited`, in place: the other rules keep their
// order and the places between them, the edited ones take the column's places in turn, and
// those beyond the column's places follow its last one (or the list's end when the column had
// none). `edited` rules are put on `column`.
grid::ConditionRules withColumnRules(const grid::ConditionRules &rules, int column,
                                     grid::ConditionRules edited);

// Moves rule `index` of `rules` one place up (step -1) or down (step +1); false, changing
// nothing, when that leaves the list.
bool moveRule(grid::ConditionRules &rules, int index, int step);

// Why rules could not be stored as they are: one sentence per rule the stored form's reader
// would leave out (a missing value, a count out of range), named by its place in `rules`;
// empty when every rule can be stored. `columnCount` is the report's.
QStringList ruleProblems(const grid::ConditionRules &rules, int columnCount);

// The rules the live sample applies: those a run would apply (the stored form's reader keeps
// them), so that a rule whose value is still to be typed colours nothing.
grid::ConditionRules sampleRules(const grid::ConditionRules &rules, int columnCount);

// Whether `column` of `sheet` holds numbers: its format is Number or Percent, or each of its
// data rows' cells that is not blank reads as a number (grid::cellNumber) and one does at least.
bool numberColumn(const grid::Sheet &sheet, int column);

// The rules that compare a number column (numberColumn of `sample`) by order (greater, less,
// between and their kin) with a text: such a rule compares the cells as texts, character by
// character ("9" after "10,000"), never by their value, so it cannot mean what it says. One
// sentence per rule, named by its place in `rules`, quoting the texts; empty when no rule does.
// Equality tests are not named: a number column may hold texts such as "无" among its numbers.
QStringList textComparisons(const grid::ConditionRules &rules, const grid::Sheet &sample);

// Puts on `to` the columns of `from` (labels, widths, formats, merges, the label row's height)
// and the texts and marks of its first `rows` rows below the label row, so that rules colour
// the data rows there as they would the report's and leave its subtotal and totals rows alone.
// `to` is cleared first.
void takeRuleSample(const grid::Sheet &from, int rows, grid::Sheet &to);

}  // namespace tessel::settingdialogs
