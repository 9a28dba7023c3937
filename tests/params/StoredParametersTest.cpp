// The stored form 参数 read forgivingly and written back with the keys it does not know.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "params/StoredParameters.h"

using namespace tessel::params;

namespace {

TEST(StoredParameters, WhatCannotBeUsedIsNamedAndTheRestApplies) {
    const StoredParameters read = readParameters(QString::fromUtf8(R"([
      {"name": "期间", "type": "date", "range": true, "column": "日期", "default": ["monthStart", "today"]},
      {"name": "日期", "type": "date"},
      {"name": "期间", "type": "text"},
      {"name": "a b", "type": "text"},
      {"name": "量", "type": "decimal"},
      {"name": "客户", "type": "text", "multi": true, "op": ">="},
      {"name": "标志", "type": "bool", "range": true, "default": "maybe"},
      {"name": "甲", "list": {"query": "select x from t where y = :乙"}},
      {"name": "乙", "list": {"query": "select x from t where y = :甲"}},
      {"name": "丙", "list": {"query": "select x from t where y = :期间_from"}},
      7
    ])"));
    QStringList names;
    for (const Parameter &p : read.parameters)
        names << p.name;
    EXPECT_EQ(names, QStringList({"期间", "客户", "标志", "丙"}));
    EXPECT_EQ(read.parameters[1].op, ParamOp::In);
    EXPECT_FALSE(read.parameters[2].range);
    EXPECT_TRUE(read.parameters[2].defaultValue.isUndefined());
    EXPECT_EQ(read.parameters[3].listNeeds, QStringList{"期间"});
    // One sentence for each part left out or set back, each naming what and why.
    const QString all = read.ignored.join(u'\n');
    EXPECT_EQ(read.ignored.size(), 10) << all.toStdString();
    for (const char *named : {"日期", "重复", "a b", "decimal", "op", "range", "maybe", "甲 → 乙",
                              "乙 → 甲", "第 11 个参数"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(named))) << named << "\n" << all.toStdString();
    const QString notice = ignoredNotice(QStringLiteral("订单明细"), read.ignored);
    EXPECT_TRUE(notice.contains(QStringLiteral("参数")) &&
                notice.contains(QStringLiteral("订单明细")));
}

TEST(StoredParameters, WrittenBackWithKeysThisVersionDoesNotKnow) {
    const QString stored = QString::fromUtf8(
        R"([{"name":"客户","type":"text","column":"订单.客户","multi":true,"hint":"x",)"
        R"("list":{"query":"select 名称 from 客户","size":3},"ask":false,"required":true},)"
        R"({"name":"最低","label":"最低金额","type":"number","op":">=","default":100,"column":"金额"}])");
    const Parameters read = readParameters(stored).parameters;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(QJsonDocument::fromJson(writeParameters(read).toUtf8()),
              QJsonDocument::fromJson(stored.toUtf8()));
    EXPECT_TRUE(readParameters(QString()).parameters.empty());
    EXPECT_TRUE(readParameters(QStringLiteral("{}")).parameters.empty());
}

}  // namespace
