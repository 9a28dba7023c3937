#include "settingdialogs/ConditionEditing.h"

#include <algorithm>

#include "base/Language.h"
#include "conditions/StoredConditions.h"
#include "grid/CellNumber.h"
#include "settingdialogs/ListItems.h"

namespace tessel::settingdialogs {

using grid::ConditionRule;
using grid::ConditionRules;
using grid::RuleKind;
using grid::RuleWhen;

namespace {

// The usual colours: those the workbook program offers first, so that a rule made here looks
// at home in the exported workbook.
const QColor kLightRedFill(0xFF, 0xC7, 0xCE);
const QColor kDarkRedText(0x9C, 0x00, 0x06);
const QColor kScaleLow(0xF8, 0x69, 0x6B);
const QColor kScaleMiddle(0xFF, 0xEB, 0x84);
const QColor kScaleHigh(0x63, 0xBE, 0x7B);
const QColor kBarBlue(0x63, 0x8E, 0xC6);

}  // namespace

const std::array<WhenChoice, 20> &whenChoices() {
    static const std::array<WhenChoice, 20> choices = {{
        {RuleWhen::Greater, QT_TRANSLATE_NOOP("tessel::base", "大于")},
        {RuleWhen::GreaterEqual, QT_TRANSLATE_NOOP("tessel::base", "大于或等于")},
        {RuleWhen::Less, QT_TRANSLATE_NOOP("tessel::base", "小于")},
        {RuleWhen::LessEqual, QT_TRANSLATE_NOOP("tessel::base", "小于或等于")},
        {RuleWhen::Equal, QT_TRANSLATE_NOOP("tessel::base", "等于")},
        {RuleWhen::NotEqual, QT_TRANSLATE_NOOP("tessel::base", "不等于")},
        {RuleWhen::Between, QT_TRANSLATE_NOOP("tessel::base", "介于")},
        {RuleWhen::NotBetween, QT_TRANSLATE_NOOP("tessel::base", "未介于")},
        {RuleWhen::Contains, QT_TRANSLATE_NOOP("tessel::base", "包含")},
        {RuleWhen::NotContains, QT_TRANSLATE_NOOP("tessel::base", "不包含")},
        {RuleWhen::BeginsWith, QT_TRANSLATE_NOOP("tessel::base", "开头是")},
        {RuleWhen::EndsWith, QT_TRANSLATE_NOOP("tessel::base", "结尾是")},
        {RuleWhen::Blank, QT_TRANSLATE_NOOP("tessel::base", "为空")},
        {RuleWhen::NotBlank, QT_TRANSLATE_NOOP("tessel::base", "不为空")},
        {RuleWhen::Top, QT_TRANSLATE_NOOP("tessel::base", "最大的前几项")},
        {RuleWhen::Bottom, QT_TRANSLATE_NOOP("tessel::base", "最小的前几项")},
        {RuleWhen::AboveAverage, QT_TRANSLATE_NOOP("tessel::base", "高于平均值")},
        {RuleWhen::BelowAverage, QT_TRANSLATE_NOOP("tessel::base", "低于平均值")},
        {RuleWhen::Duplicate, QT_TRANSLATE_NOOP("tessel::base", "重复值")},
        {RuleWhen::Unique, QT_TRANSLATE_NOOP("tessel::base", "唯一值")},
    }};
    return choices;
}

int whenChoiceIndex(RuleWhen when) {
    const auto &choices = whenChoices();
    const auto it = std::find_if(choices.begin(), choices.end(),
                                 [when](const WhenChoice &c) { return c.when == when; });
    return it == choices.end() ? 0 : int(it - choices.begin());
}

bool countsCells(RuleWhen when) {
    return when == RuleWhen::Top || when == RuleWhen::Bottom;
}

RuleShape shapeOf(const ConditionRule &rule) {
    switch (rule.kind) {
        case RuleKind::Scale:
            return rule.scale.size() == 3 ? RuleShape::Scale3 : RuleShape::Scale2;
        case RuleKind::Bar:
            return RuleShape::Bar;
        case RuleKind::Condition:
            break;
    }
    return RuleShape::Condition;
}

void setShape(ConditionRule &rule, RuleShape shape) {
    switch (shape) {
        case RuleShape::Condition:
            rule.kind = RuleKind::Condition;
            if (!rule.text.isValid() && !rule.fill.isValid() && !rule.bold && !rule.italic) {
                rule.text = kDarkRedText;
                rule.fill = kLightRedFill;
            }
            return;
        case RuleShape::Scale2:
        case RuleShape::Scale3: {
            rule.kind = RuleKind::Scale;
            // The ends stay where the user had them; a middle colour comes or goes.
            const QColor low = rule.scale.empty() ? kScaleLow : rule.scale.front();
            const QColor high = rule.scale.size() < 2 ? kScaleHigh : rule.scale.back();
            if (shape == RuleShape::Scale2)
                rule.scale = {low, high};
            else
                rule.scale = {low, rule.scale.size() == 3 ? rule.scale[1] : kScaleMiddle, high};
            return;
        }
        case RuleShape::Bar:
            rule.kind = RuleKind::Bar;
            if (!rule.bar.isValid())
                rule.bar = kBarBlue;
            return;
    }
}

void setWhen(ConditionRule &rule, RuleWhen when) {
    rule.when = when;
    const int values = grid::whenValueCount(when);
    if (values < 2)
        rule.value2 = QVariant();
    if (values < 1)
        rule.value = QVariant();
    if (!countsCells(when))
        rule.percent = false;
}

ConditionRule newRule(int column) {
    ConditionRule rule;
    rule.column = column;
    rule.when = RuleWhen::Greater;
    rule.text = kDarkRedText;
    rule.fill = kLightRedFill;
    return rule;
}

std::optional<QVariant> valueFromText(const QString &text) {
    if (text.trimmed().isEmpty())
        return std::nullopt;
    if (const std::optional<double> n = grid::cellNumber(text.toUtf8().toStdString()))
        return QVariant(*n);
    return QVariant(text);
}

QString textOfValue(const QVariant &value) {
    if (!value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int ||
        value.typeId() == QMetaType::LongLong)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

namespace {

// A condition with its values, as the rules' list shows it: "介于 100 与 1000".
QString conditionText(const ConditionRule &rule) {
    QString condition =
        tessel::base::tr(whenChoices()[std::size_t(whenChoiceIndex(rule.when))].caption);
    const int values = grid::whenValueCount(rule.when);
    if (values >= 1)
        condition += QLatin1Char(' ') + textOfValue(rule.value);
    if (countsCells(rule.when) && rule.percent)
        condition += QLatin1Char('%');
    if (values == 2)
        condition += tessel::base::tr(" 与 ") + textOfValue(rule.value2);
    return condition;
}

// Whether a condition compares by order, where a text and a number cannot be told apart.
bool comparesByOrder(RuleWhen when) {
    switch (when) {
        case RuleWhen::Greater:
        case RuleWhen::GreaterEqual:
        case RuleWhen::Less:
        case RuleWhen::LessEqual:
        case RuleWhen::Between:
        case RuleWhen::NotBetween:
            return true;
        default:
            return false;
    }
}

}  // namespace

QString ruleSummary(const ConditionRule &rule) {
    if (rule.kind == RuleKind::Scale) {
        QStringList colours;
        for (const QColor &c : rule.scale)
            colours << c.name().toUpper();
        return tessel::base::tr("色阶 %1").arg(colours.join(QStringLiteral(" → ")));
    }
    if (rule.kind == RuleKind::Bar)
        return tessel::base::tr("数据条 %1").arg(rule.bar.name().toUpper());
    const QString condition = conditionText(rule);
    QStringList look;
    if (rule.text.isValid())
        look << tessel::base::tr("文字 %1").arg(rule.text.name().toUpper());
    if (rule.fill.isValid())
        look << tessel::base::tr("填充 %1").arg(rule.fill.name().toUpper());
    if (rule.bold.value_or(false))
        look << tessel::base::tr("粗体");
    if (rule.italic.value_or(false))
        look << tessel::base::tr("斜体");
    if (rule.row)
        look << tessel::base::tr("整行");
    if (rule.stop)
        look << tessel::base::tr("停止");
    if (look.isEmpty())
        return condition;
    return tessel::base::tr("%1：%2").arg(condition, look.join(tessel::base::tr("，")));
}

std::vector<int> columnRulePositions(const ConditionRules &rules, int column) {
    std::vector<int> out;
    for (int i = 0; i < int(rules.size()); ++i) {
        if (rules[std::size_t(i)].column == column)
            out.push_back(i);
    }
    return out;
}

ConditionRules columnRules(const ConditionRules &rules, int column) {
    ConditionRules out;
    for (const ConditionRule &r : rules) {
        if (r.column == column)
            out.push_back(r);
    }
    return out;
}

ConditionRules withColumnRules(const ConditionRules &rules, int column, ConditionRules edited) {
    for (ConditionRule &r : edited)
        r.column = column;
    const std::vector<int> places = columnRulePositions(rules, column);
    ConditionRules out;
    out.reserve(rules.size() + edited.size());
    std::size_t next = 0;
    const auto takeRest = [&] {
        for (; next < edited.size(); ++next)
            out.push_back(edited[next]);
    };
    for (int i = 0; i < int(rules.size()); ++i) {
        if (rules[std::size_t(i)].column != column) {
            out.push_back(rules[std::size_t(i)]);
            continue;
        }
        if (i == places.back())
            takeRest();  // the column's last place: every edited rule left goes here
        else if (next < edited.size())
            out.push_back(edited[next++]);
    }
    if (places.empty())
        takeRest();
    return out;
}

bool moveRule(ConditionRules &rules, int index, int step) {
    return moveItem(rules, index, index + step);
}

QStringList ruleProblems(const ConditionRules &rules, int columnCount) {
    // The stored form's own reader decides, so that what the dialog lets through is what a
    // run can use.
    return conditions::readConditions(conditions::writeConditions(rules), columnCount).ignored;
}

ConditionRules sampleRules(const ConditionRules &rules, int columnCount) {
    return conditions::readConditions(conditions::writeConditions(rules), columnCount).rules;
}

bool numberColumn(const grid::Sheet &sheet, int column) {
    if (column < 1 || column > sheet.maxCols())
        return false;
    const grid::FormatKind kind = sheet.colFormat(column).kind;
    if (kind == grid::FormatKind::Number || kind == grid::FormatKind::Percent)
        return true;
    bool any = false;
    for (int row = 1; row <= sheet.maxRows(); ++row) {
        if (!sheet.isDataRow(row))
            continue;
        const std::string_view cell = sheet.textUtf8(column, row);
        if (cell.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        if (!grid::cellNumber(cell))
            return false;
        any = true;
    }
    return any;
}

QStringList textComparisons(const ConditionRules &rules, const grid::Sheet &sample) {
    QStringList out;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const ConditionRule &r = rules[i];
        if (r.kind != RuleKind::Condition || !comparesByOrder(r.when))
            continue;
        QStringList texts;
        for (const QVariant *value : {&r.value, &r.value2}) {
            if (value->typeId() == QMetaType::QString)
                texts << tessel::base::tr("“%1”").arg(value->toString());
        }
        if (texts.isEmpty() || !numberColumn(sample, r.column))
            continue;
        out << tessel::base::tr("第 %1 条规则（%2）：%3不是数字")
                   .arg(i + 1)
                   .arg(conditionText(r), texts.join(tessel::base::tr("、")));
    }
    return out;
}

void takeRuleSample(const grid::Sheet &from, int rows, grid::Sheet &to) {
    to.clear();
    to.setMaxCols(from.maxCols());
    const int n = std::clamp(from.maxRows(), 0, std::max(rows, 0));
    to.setMaxRows(n);
    to.setRowHeight(0, from.rowHeight(0));
    for (int c = 1; c <= from.maxCols(); ++c) {
        to.setColWidth(c, from.colWidth(c));
        to.setColFormat(c, from.colFormat(c));
        to.setColMerge(c, from.colMerge(c));
        for (int r = 0; r <= n; ++r) {
            if (from.hasText(c, r))
                to.setTextUtf8(c, r, from.textUtf8(c, r));
        }
    }
    to.setRowMerge(0, from.rowMerge(0));
    for (const auto &[row, mark] : from.rowMarks()) {
        if (row > n)
            break;
        to.setRowMark(row, mark);
    }
}

}  // namespace tessel::settingdialogs
