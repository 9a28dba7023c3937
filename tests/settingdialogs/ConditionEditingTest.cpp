// The conditional formats dialog's edits of a report's rules, without the dialog.
#include <gtest/gtest.h>

#include "settingdialogs/ConditionEditing.h"

using namespace tessel;
using grid::ConditionRule;
using grid::ConditionRules;
using settingdialogs::withColumnRules;

namespace {

// Rules named by their column and a mark in `value`, as "3a": column 3, value "a".
ConditionRules rulesOf(const QStringList &names) {
    ConditionRules out;
    for (const QString &n : names) {
        ConditionRule r;
        r.column = n.left(1).toInt();
        r.value = n.mid(1);
        out.push_back(r);
    }
    return out;
}

QStringList namesOf(const ConditionRules &rules) {
    QStringList out;
    for (const ConditionRule &r : rules)
        out << QString::number(r.column) + r.value.toString();
    return out;
}

// The column's edited rules take its places in turn; the others keep theirs.
TEST(ConditionEditing, ColumnRulesReplacedInPlace) {
    const struct {
        const char *name;
        QStringList rules;
        QStringList edited;  // the column 3 rules as the dialog gives them back
        QStringList expected;
    } cases[] = {
        {"unchanged", {"3a", "1b", "3c"}, {"3a", "3c"}, {"3a", "1b", "3c"}},
        {"swapped", {"3a", "1b", "3c"}, {"3c", "3a"}, {"3c", "1b", "3a"}},
        {"added after the column's last",
         {"3a", "1b", "3c", "2d"},
         {"3a", "3c", "3n"},
         {"3a", "1b", "3c", "3n", "2d"}},
        {"one removed", {"3a", "1b", "3c", "2d"}, {"3c"}, {"3c", "1b", "2d"}},
        {"all removed", {"3a", "1b", "3c"}, {}, {"1b"}},
        {"first rules of the column go last", {"1b", "2d"}, {"3n", "3m"}, {"1b", "2d", "3n", "3m"}},
        {"edited rules moved to the column", {"1b"}, {"5n"}, {"1b", "3n"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(namesOf(withColumnRules(rulesOf(c.rules), 3, rulesOf(c.edited))), c.expected)
            << c.name;
    }
}

// What a value box's text stores, and what the stored form's reader and the live sample make of
// a rule that lacks what its condition takes.
TEST(ConditionEditing, ValuesAndProblems) {
    using grid::RuleWhen;
    const struct {
        const char *name;
        RuleWhen when;
        QString value, value2;
        QVariant stored;  // what the first box gives
        bool storable;
    } cases[] = {
        {"number with separators", RuleWhen::Greater, "50,000", "", 50000.0, true},
        {"text", RuleWhen::Contains, " 物流", "", QString(" 物流"), true},
        {"blanks are no value", RuleWhen::Greater, "  ", "", QVariant(), false},
        {"between lacks its other end", RuleWhen::Between, "1", "", 1.0, false},
        {"top count out of range", RuleWhen::Top, "0", "", 0.0, false},
        {"top count", RuleWhen::Top, "10", "", 10.0, true},
        {"blank takes no value", RuleWhen::Blank, "5", "", 5.0, true},
    };
    for (const auto &c : cases) {
        ConditionRule r = settingdialogs::newRule(2);
        r.value = settingdialogs::valueFromText(c.value).value_or(QVariant());
        r.value2 = settingdialogs::valueFromText(c.value2).value_or(QVariant());
        settingdialogs::setWhen(r, c.when);
        EXPECT_EQ(settingdialogs::valueFromText(c.value).value_or(QVariant()), c.stored) << c.name;
        EXPECT_EQ(settingdialogs::ruleProblems({r}, 3).isEmpty(), c.storable) << c.name;
        // The live sample applies what can be stored: a value still to be typed colours nothing.
        EXPECT_EQ(settingdialogs::sampleRules({r}, 3).size(), c.storable ? 1u : 0u) << c.name;
        if (c.stored.typeId() == QMetaType::Double) {
            EXPECT_EQ(settingdialogs::valueFromText(settingdialogs::textOfValue(c.stored)),
                      c.stored)
                << c.name;
        }
    }
}

// A sample of three columns: 金额 numbers, 备注 texts, 单价 empty but formatted as numbers.
void fillSample(grid::Sheet &sheet) {
    sheet.setMaxCols(3);
    sheet.setMaxRows(3);
    const QStringList cells =
        QStringLiteral("金额 备注 单价 120.5 加急 _ 1,800 _ _ 95 无 _").split(u' ');
    for (int i = 0; i < cells.size(); ++i) {
        if (cells[i] != u"_")
            sheet.setText(i % 3 + 1, i / 3, cells[i]);
    }
    sheet.setColFormat(3, {grid::FormatKind::Number, 2});
}

// A number column compared by order with a text is named on OK, with the text; equality, text
// tests and text columns are not.
TEST(ConditionEditing, NumberColumnComparedWithATextIsNamed) {
    using grid::RuleWhen;
    const struct {
        const char *name;
        int column;
        RuleWhen when;
        QString value, value2;
        const char *named;  // the sentence, or "" for none
    } cases[] = {
        {"greater than a text", 1, RuleWhen::Greater, "abc", "",
         "第 1 条规则（大于 abc）：“abc”不是数字"},
        {"between a number and a text", 1, RuleWhen::Between, "1", "5万",
         "第 1 条规则（介于 1 与 5万）：“5万”不是数字"},
        {"an empty column formatted as numbers", 3, RuleWhen::Less, "x", "",
         "第 1 条规则（小于 x）：“x”不是数字"},
        {"a number with separators", 1, RuleWhen::Greater, "1,000", "", ""},
        {"equal to a text", 1, RuleWhen::Equal, "无", "", ""},
        {"a text column", 2, RuleWhen::Greater, "abc", "", ""},
    };
    grid::Sheet sample;
    fillSample(sample);
    for (const auto &c : cases) {
        ConditionRule r = settingdialogs::newRule(c.column);
        settingdialogs::setWhen(r, c.when);
        r.value = settingdialogs::valueFromText(c.value).value_or(QVariant());
        r.value2 = settingdialogs::valueFromText(c.value2).value_or(QVariant());
        EXPECT_EQ(settingdialogs::textComparisons({r}, sample).join(u'|'),
                  QString::fromUtf8(c.named))
            << c.name;
    }
}

}  // namespace
