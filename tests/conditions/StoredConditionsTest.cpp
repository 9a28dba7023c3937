#include <gtest/gtest.h>

#include "conditions/StoredConditions.h"

using namespace tessel;
using conditions::readConditions;

// Stored values for a report of 3 columns: how many rules are used, and the rules named as
// left out (by number; 0 for a value ignored whole).
TEST(StoredConditions, WhatCannotBeUsedIsLeftOutAndNamed) {
    const struct {
        const char *name, *text;
        int used;
        std::vector<int> named;
    } cases[] = {
        {"nothing stored", "  ", 0, {}},
        {"no JSON", "[{", 0, {0}},
        {"an object, not an array", R"({"column":1})", 0, {0}},
        {"a rule that is no object", R"([1, {"column":1,"when":"blank"}])", 1, {1}},
        {"a column outside the sheet",
         R"([{"column":4,"when":"blank"},{"column":0,"bar":"#000000"}])",
         0,
         {1, 2}},
        {"a column that is no integer",
         R"([{"column":1.5,"when":"blank"},{"column":"1","when":"blank"}])",
         0,
         {1, 2}},
        {"an unknown when",
         R"([{"column":1,"when":"like","value":"a"},{"column":1,"when":"blank"}])",
         1,
         {1}},
        {"a colour not #RRGGBB",
         R"([{"column":1,"when":"blank","fill":"red"},{"column":1,"when":"blank","text":"#12345"},{"column":1,"scale":["#000000","#GGGGGG"]}])",
         2,
         {1, 2, 3}},
        {"a missing value",
         R"([{"column":1,"when":">"},{"column":1,"when":"between","value":1}])",
         0,
         {1, 2}},
        {"a value of no use",
         R"([{"column":1,"when":"=","value":[1]},{"column":1,"when":"=","value":null}])",
         0,
         {1, 2}},
        {"top out of range",
         R"([{"column":1,"when":"top","value":0},{"column":1,"when":"top","value":101,"percent":true},{"column":1,"when":"top","value":2.5},{"column":1,"when":"top","value":1001}])",
         0,
         {1, 2, 3, 4}},
        {"top in range",
         R"([{"column":1,"when":"top","value":1000},{"column":1,"when":"bottom","value":100,"percent":true}])",
         2,
         {}},
        {"a flag that is no boolean",
         R"([{"column":1,"when":"blank","bold":1},{"column":1,"bar":"#000000","stop":"yes"}])",
         2,
         {1, 2}},
        {"a scale of one colour",
         R"([{"column":1,"scale":["#000000"]},{"column":1,"scale":"#000000"}])",
         0,
         {1, 2}},
        {"two kinds at once, or none",
         R"([{"column":1,"when":"blank","bar":"#000000"},{"column":1,"fill":"#000000"}])",
         0,
         {1, 2}},
    };
    for (const auto &c : cases) {
        const conditions::StoredConditions read = readConditions(QString::fromUtf8(c.text), 3);
        EXPECT_EQ(int(read.rules.size()), c.used) << c.name;
        ASSERT_EQ(read.ignored.size(), qsizetype(c.named.size())) << c.name;
        for (std::size_t i = 0; i < c.named.size(); ++i) {
            if (c.named[i] > 0) {
                EXPECT_TRUE(
                    read.ignored[qsizetype(i)].contains(QStringLiteral("第 %1 条").arg(c.named[i])))
                    << c.name << ": " << read.ignored[qsizetype(i)].toStdString();
            }
        }
    }
}

// Written back, the rules read the same, and keys this version does not know stay with their rule.
TEST(StoredConditions, WritingBackKeepsRulesAndOtherKeys) {
    const QString stored = QStringLiteral(
        R"([{"column":3,"when":">","value":10000,"text":"#c00000","bold":true,"note":{"by":"tool"}},)"
        R"({"column":2,"when":"contains","value":"物流","fill":"#FFF2CC","row":true,"stop":true},)"
        R"({"column":3,"when":"between","value":"a","value2":5,"italic":false},)"
        R"({"column":1,"scale":["#F8696B","#FFEB84","#63BE7B"],"fill":"#000000"},{"column":3,"bar":"#638EC6","x":1}])");
    const conditions::StoredConditions first = readConditions(stored, 3);
    ASSERT_TRUE(first.ignored.isEmpty()) << first.ignored.join(u' ').toStdString();
    const QString written = conditions::writeConditions(first.rules);
    const conditions::StoredConditions second = readConditions(written, 3);
    EXPECT_TRUE(second.ignored.isEmpty());
    EXPECT_EQ(second.rules, first.rules) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral(R"("note":{"by":"tool"})")))
        << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral(R"("fill":"#000000")"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral(R"("value2":5)"))) << written.toStdString();
    EXPECT_TRUE(conditions::writeConditions({}).isEmpty());
}
