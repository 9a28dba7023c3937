#include "export/WorkbookConditions.h"

#include <tessel/Error.h>

#include <QLocale>
#include <QString>
#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "base/Language.h"
#include "grid/CellNumber.h"
#include "grid/Sheet.h"

namespace tessel::exports {

using grid::ConditionRule;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

// The most characters of ranges one rule names: the writer keeps a rule's ranges in a
// fixed buffer (LXW_MAX_ATTRIBUTE_LENGTH).
constexpr std::size_t kMaxRangesText = 2000;

void check(lxw_error err) {
    if (err != LXW_NO_ERROR) {
        throw Error(Error::Category::Io, tessel::base::tr("工作表写入失败"),
                    QString::fromUtf8(lxw_strerror(err)));
    }
}

// The letters of worksheet column `col` (from 0).
std::string columnLetters(int col) {
    std::string out;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        out.insert(out.begin(), char('A' + (n - 1) % 26));
    return out;
}

std::string rowNumber(lxw_row_t row) {
    return std::to_string(row + 1);
}

// "D2:D5" (columns from..to, from 0, over the rows), with "$" before each part when fixed.
std::string rangeText(int from, int to, RowRange rows, bool fixed = false) {
    const std::string d = fixed ? "$" : "";
    return d + columnLetters(from) + d + rowNumber(rows.first) + ':' + d + columnLetters(to) + d +
           rowNumber(rows.last);
}

// The ranges in parts whose texts, joined by spaces, stay within what one rule names.
std::vector<std::vector<RowRange>> parts(const std::vector<RowRange> &ranges, int from, int to) {
    std::vector<std::vector<RowRange>> out;
    std::size_t length = 0;
    for (const RowRange &r : ranges) {
        const std::size_t n = rangeText(from, to, r).size() + 1;
        if (out.empty() || length + n > kMaxRangesText) {
            out.emplace_back();
            length = 0;
        }
        out.back().push_back(r);
        length += n;
    }
    return out;
}

std::string numberText(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest).toStdString();
}

// A text as a formula's string literal.
std::string quoted(const QString &text) {
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return '"' + q.toStdString() + '"';
}

// The number a rule's value stands for, when it reads as one (as a cell's text reads).
std::optional<double> numberOf(const QVariant &value) {
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    const std::string text = value.toString().toStdString();
    return grid::cellNumber(text);
}

// A value in a formula: a number as a number, anything else as a text.
std::string operand(const QVariant &value) {
    const std::optional<double> n = numberOf(value);
    return n ? numberText(*n) : quoted(value.toString());
}

// Both ends of Between, lower first; numbers when both read as numbers.
std::pair<std::string, std::string> ends(const ConditionRule &rule) {
    const std::optional<double> a = numberOf(rule.value), b = numberOf(rule.value2);
    if (a && b)
        return {numberText(std::min(*a, *b)), numberText(std::max(*a, *b))};
    QString x = rule.value.toString(), y = rule.value2.toString();
    if (x.compare(y, Qt::CaseInsensitive) > 0)
        std::swap(x, y);
    return {quoted(x), quoted(y)};
}

// A text searched for with SEARCH, whose wildcards are taken literally.
std::string searched(const QString &text) {
    QString s;
    for (const QChar c : text) {
        if (c == u'~' || c == u'*' || c == u'?')
            s += u'~';
        s += c;
    }
    return quoted(s);
}

// The workbook's AGGREGATE of function `function` over `span`, skipping error values and the
// SUBTOTAL cells of subtotal and totals rows (option 2).
std::string aggregate(int function, const std::string &span, const std::string &extra = {}) {
    return "_xlfn.AGGREGATE(" + std::to_string(function) + ",2," + span +
           (extra.empty() ? "" : "," + extra) + ')';
}

// A formula true where the Condition rule matches the cell `ref`; statistics over `span`.
std::string conditionFormula(const ConditionRule &rule, const std::string &ref,
                             const std::string &span) {
    const auto compare = [&](const char *op) { return ref + op + operand(rule.value); };
    const std::string isNumber = "ISNUMBER(" + ref + ')';
    const std::string filled = "LEN(TRIM(" + ref + "))>0";
    const auto rank = [&] {
        const std::string count = aggregate(2, span);
        const std::string n = numberText(rule.value.toDouble());
        const std::string k = rule.percent ? "MAX(1,INT(" + count + '*' + n + "/100))" : n;
        return "MIN(" + k + ',' + count + ')';
    };
    switch (rule.when) {
        case RuleWhen::Greater:
            return compare(">");
        case RuleWhen::GreaterEqual:
            return compare(">=");
        case RuleWhen::Less:
            return compare("<");
        case RuleWhen::LessEqual:
            return compare("<=");
        case RuleWhen::Equal:
            return compare("=");
        case RuleWhen::NotEqual:
            return compare("<>");
        case RuleWhen::Between:
        case RuleWhen::NotBetween: {
            const auto [low, high] = ends(rule);
            const std::string inside = "AND(" + ref + ">=" + low + ',' + ref + "<=" + high + ')';
            return rule.when == RuleWhen::Between ? inside : "NOT(" + inside + ')';
        }
        case RuleWhen::Contains:
            return "ISNUMBER(SEARCH(" + searched(rule.value.toString()) + ',' + ref + "))";
        case RuleWhen::NotContains:
            return "ISERROR(SEARCH(" + searched(rule.value.toString()) + ',' + ref + "))";
        case RuleWhen::BeginsWith:
        case RuleWhen::EndsWith: {
            const std::string text = quoted(rule.value.toString());
            return std::string(rule.when == RuleWhen::BeginsWith ? "LEFT(" : "RIGHT(") + ref +
                   ",LEN(" + text + "))=" + text;
        }
        case RuleWhen::Blank:
            return "LEN(TRIM(" + ref + "))=0";
        case RuleWhen::NotBlank:
            return filled;
        case RuleWhen::Top:
            return "AND(" + isNumber + ',' + ref + ">=" + aggregate(14, span, rank()) + ')';
        case RuleWhen::Bottom:
            return "AND(" + isNumber + ',' + ref + "<=" + aggregate(15, span, rank()) + ')';
        case RuleWhen::AboveAverage:
            return "AND(" + isNumber + ',' + ref + '>' + aggregate(1, span) + ')';
        case RuleWhen::BelowAverage:
            return "AND(" + isNumber + ',' + ref + '<' + aggregate(1, span) + ')';
        case RuleWhen::Duplicate:
            return "AND(" + filled + ",COUNTIF(" + span + ',' + ref + ")>1)";
        case RuleWhen::Unique:
            return "AND(" + filled + ",COUNTIF(" + span + ',' + ref + ")=1)";
    }
    return "FALSE";
}

bool needsWholeColumn(const ConditionRule &rule) {
    if (rule.kind != RuleKind::Condition)
        return true;
    return rule.when >= RuleWhen::Top && rule.when <= RuleWhen::Unique;
}

lxw_color_t rgb(const QColor &color) {
    return lxw_color_t(color.rgb() & 0xFFFFFF);
}

// Fills `cf` with the workbook's own rule for a Condition rule of a cell's column.
void nativeCondition(const ConditionRule &rule, lxw_conditional_format &cf,
                     std::deque<std::string> &texts) {
    static constexpr std::pair<RuleWhen, std::uint8_t> kCellCriteria[] = {
        {RuleWhen::Greater, LXW_CONDITIONAL_CRITERIA_GREATER_THAN},
        {RuleWhen::GreaterEqual, LXW_CONDITIONAL_CRITERIA_GREATER_THAN_OR_EQUAL_TO},
        {RuleWhen::Less, LXW_CONDITIONAL_CRITERIA_LESS_THAN},
        {RuleWhen::LessEqual, LXW_CONDITIONAL_CRITERIA_LESS_THAN_OR_EQUAL_TO},
        {RuleWhen::Equal, LXW_CONDITIONAL_CRITERIA_EQUAL_TO},
        {RuleWhen::NotEqual, LXW_CONDITIONAL_CRITERIA_NOT_EQUAL_TO},
        {RuleWhen::Between, LXW_CONDITIONAL_CRITERIA_BETWEEN},
        {RuleWhen::NotBetween, LXW_CONDITIONAL_CRITERIA_NOT_BETWEEN},
        {RuleWhen::Contains, LXW_CONDITIONAL_CRITERIA_TEXT_CONTAINING},
        {RuleWhen::NotContains, LXW_CONDITIONAL_CRITERIA_TEXT_NOT_CONTAINING},
        {RuleWhen::BeginsWith, LXW_CONDITIONAL_CRITERIA_TEXT_BEGINS_WITH},
        {RuleWhen::EndsWith, LXW_CONDITIONAL_CRITERIA_TEXT_ENDS_WITH},
    };
    // The writer reads the texts through pointers during the call: they live in `texts`.
    const auto keep = [&texts](std::string s) {
        texts.push_back(std::move(s));
        return texts.back().data();
    };
    for (const auto &[when, criteria] : kCellCriteria) {
        if (when == rule.when)
            cf.criteria = criteria;
    }
    switch (rule.when) {
        case RuleWhen::Between:
        case RuleWhen::NotBetween: {
            cf.type = LXW_CONDITIONAL_TYPE_CELL;
            const auto [low, high] = ends(rule);
            cf.min_value_string = keep(low);
            cf.max_value_string = keep(high);
            break;
        }
        case RuleWhen::Contains:
        case RuleWhen::NotContains:
        case RuleWhen::BeginsWith:
        case RuleWhen::EndsWith: {
            cf.type = LXW_CONDITIONAL_TYPE_TEXT;
            QString text = rule.value.toString();
            text.replace(u'"', QStringLiteral("\"\""));
            cf.value_string = keep(text.toStdString());
            break;
        }
        case RuleWhen::Blank:
            cf.type = LXW_CONDITIONAL_TYPE_BLANKS;
            break;
        case RuleWhen::NotBlank:
            cf.type = LXW_CONDITIONAL_TYPE_NO_BLANKS;
            break;
        case RuleWhen::Top:
        case RuleWhen::Bottom:
            cf.type =
                rule.when == RuleWhen::Top ? LXW_CONDITIONAL_TYPE_TOP : LXW_CONDITIONAL_TYPE_BOTTOM;
            cf.value = rule.value.toDouble();
            if (rule.percent)
                cf.criteria = LXW_CONDITIONAL_CRITERIA_TOP_OR_BOTTOM_PERCENT;
            break;
        case RuleWhen::AboveAverage:
        case RuleWhen::BelowAverage:
            cf.type = LXW_CONDITIONAL_TYPE_AVERAGE;
            cf.criteria = rule.when == RuleWhen::AboveAverage
                              ? LXW_CONDITIONAL_CRITERIA_AVERAGE_ABOVE
                              : LXW_CONDITIONAL_CRITERIA_AVERAGE_BELOW;
            break;
        case RuleWhen::Duplicate:
            cf.type = LXW_CONDITIONAL_TYPE_DUPLICATE;
            break;
        case RuleWhen::Unique:
            cf.type = LXW_CONDITIONAL_TYPE_UNIQUE;
            break;
        default:
            cf.type = LXW_CONDITIONAL_TYPE_CELL;
            cf.value_string = keep(operand(rule.value));
            break;
    }
}

// Fills `cf` with a scale or a bar; with `span`, its ends are the AGGREGATEs over it.
void scaleOrBar(const ConditionRule &rule, lxw_conditional_format &cf, const std::string &span,
                std::deque<std::string> &texts) {
    const auto keep = [&texts](std::string s) {
        texts.push_back(std::move(s));
        return texts.back().data();
    };
    if (rule.kind == RuleKind::Bar) {
        cf.type = LXW_CONDITIONAL_DATA_BAR;
        cf.bar_color = rgb(rule.bar);
        cf.bar_solid = LXW_TRUE;
    } else {
        cf.type =
            rule.scale.size() == 3 ? LXW_CONDITIONAL_3_COLOR_SCALE : LXW_CONDITIONAL_2_COLOR_SCALE;
        cf.min_color = rgb(rule.scale.front());
        cf.max_color = rgb(rule.scale.back());
        if (rule.scale.size() == 3) {
            cf.mid_color = rgb(rule.scale[1]);
            cf.mid_rule_type = LXW_CONDITIONAL_RULE_TYPE_PERCENTILE;
            cf.mid_value = 50;
        }
    }
    cf.min_rule_type = LXW_CONDITIONAL_RULE_TYPE_MINIMUM;
    cf.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_MAXIMUM;
    if (span.empty())
        return;
    cf.min_rule_type = cf.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_FORMULA;
    cf.min_value_string = keep('=' + aggregate(5, span));
    cf.max_value_string = keep('=' + aggregate(4, span));
    if (rule.kind == RuleKind::Scale && rule.scale.size() == 3) {
        cf.mid_rule_type = LXW_CONDITIONAL_RULE_TYPE_FORMULA;
        cf.mid_value_string = keep('=' + aggregate(16, span, "0.5"));
    }
}

}  // namespace

std::map<int, std::vector<RowRange>> dataRowRanges(const grid::Sheet &sheet,
                                                   const WorksheetRows &rows) {
    std::map<int, std::vector<RowRange>> out;
    const auto &marks = sheet.rowMarks();
    auto mark = marks.begin();
    for (int row = 1; row <= sheet.maxRows(); ++row) {
        while (mark != marks.end() && mark->first < row)
            ++mark;
        if (mark != marks.end() && mark->first == row)
            continue;
        const WorksheetPlace place = rows.placeOfSheetRow(row);
        std::vector<RowRange> &ranges = out[place.worksheet];
        if (!ranges.empty() && ranges.back().last + 1 == place.row)
            ranges.back().last = place.row;
        else
            ranges.push_back({place.row, place.row});
    }
    return out;
}

void writeConditionalFormats(lxw_workbook *workbook, lxw_worksheet *worksheet,
                             const grid::ConditionRules &rules,
                             const std::vector<RowRange> &dataRows, int lastCol) {
    if (dataRows.empty() || rules.empty() || lastCol < 1)
        return;
    const RowRange whole{dataRows.front().first, dataRows.back().last};
    for (const ConditionRule &rule : rules) {
        const int col = rule.column - 1;
        const bool row = rule.row && rule.kind == RuleKind::Condition;
        const int from = row ? 0 : col;
        const int to = row ? lastCol - 1 : col;
        const std::vector<std::vector<RowRange>> split = parts(dataRows, from, to);
        // Split parts would each take their own statistics: the column's span serves them all.
        // The writer of this version writes every top and bottom rule with the rank 10, so
        // another rank is a formula rule.
        const bool otherRank = rule.kind == RuleKind::Condition &&
                               (rule.when == RuleWhen::Top || rule.when == RuleWhen::Bottom) &&
                               rule.value.toDouble() != 10;
        const bool spanned = row || otherRank || (split.size() > 1 && needsWholeColumn(rule));
        const std::string span = spanned ? rangeText(col, col, whole, true) : std::string();

        lxw_format *format = nullptr;
        if (rule.kind == RuleKind::Condition) {
            format = workbook_add_format(workbook);
            if (rule.text.isValid())
                format_set_font_color(format, rgb(rule.text));
            if (rule.fill.isValid())
                format_set_bg_color(format, rgb(rule.fill));
            if (rule.bold.value_or(false))
                format_set_bold(format);
            if (rule.italic.value_or(false))
                format_set_italic(format);
        }
        for (const std::vector<RowRange> &part : split) {
            std::deque<std::string> texts;  // the writer reads them through pointers
            lxw_conditional_format cf{};
            cf.format = format;
            cf.stop_if_true = rule.stop ? LXW_TRUE : LXW_FALSE;
            if (rule.kind != RuleKind::Condition) {
                scaleOrBar(rule, cf, span, texts);
            } else if (spanned) {
                // The formula speaks of the part's first row; the workbook moves it down the rows.
                const std::string ref =
                    (row ? "$" : "") + columnLetters(col) + rowNumber(part.front().first);
                texts.push_back('=' + conditionFormula(rule, ref, span));
                cf.type = LXW_CONDITIONAL_TYPE_FORMULA;
                cf.value_string = texts.back().data();
            } else {
                nativeCondition(rule, cf, texts);
            }
            std::string ranges;
            for (const RowRange &r : part)
                ranges += (ranges.empty() ? "" : " ") + rangeText(from, to, r);
            if (part.size() > 1)
                cf.multi_range = ranges.data();
            const RowRange first = part.front();
            check(worksheet_conditional_format_range(worksheet, first.first, lxw_col_t(from),
                                                     first.last, lxw_col_t(to), &cf));
        }
    }
}

}  // namespace tessel::exports
