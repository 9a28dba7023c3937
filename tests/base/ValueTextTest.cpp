#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include "base/ValueText.h"

using tessel::base::valueToText;

TEST(ValueText, Conversions) {
    const struct {
        QVariant value;
        const char *text;
    } cases[] = {
        {QVariant(), ""},
        {QVariant(QMetaType(QMetaType::QString)), ""},
        {QVariant(42), "42"},
        {QVariant(qlonglong(-9007199254740993LL)), "-9007199254740993"},
        {QVariant(0.1), "0.1"},
        {QVariant(1234.5), "1234.5"},
        {QVariant(100.0), "100"},
        {QVariant(-0.0), "0"},
        {QVariant(1.0 / 3.0), "0.3333333333333333"},
        {QVariant(1e20), "1e+20"},
        {QVariant(2.5e-7), "2.5e-07"},
        {QVariant(true), "True"},
        {QVariant(QDate(2024, 1, 5)), "2024-01-05"},
        {QVariant(QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7))), "2024-01-05 09:03:07"},
        {QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0))), "2024-01-05"},
        {QVariant(QStringLiteral("编号")), "编号"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(valueToText(c.value), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST(ValueText, RealsReadBackExactly) {
    for (double d : {0.1 + 0.2, 123456.789, 1e15 + 0.5, 3.141592653589793, -2.675}) {
        EXPECT_EQ(valueToText(d).toDouble(), d);
    }
}
