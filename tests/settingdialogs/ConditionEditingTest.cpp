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

// What a value box's text stores, and what the stored form's reader says of a rule that lacks
// what its condition takes.
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
        if (c.stored.typeId() == QMetaType::Double) {
            EXPECT_EQ(settingdialogs::valueFromText(settingdialogs::textOfValue(c.stored)),
                      c.stored)
                << c.name;
        }
    }
}

}  // namespace
