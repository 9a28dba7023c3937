// The sentence a window shows for a failure: what failed, the language's own colon, why.
#include <gtest/gtest.h>
#include <tessel/Error.h>

#include <QLocale>

#include "base/ErrorMessage.h"
#include "base/Language.h"

using tessel::Error;

TEST(ErrorMessage, WhatFailedAndWhyInTheInterfaceLanguage) {
    const Error refused(Error::Category::Statement, "refused", "no such column: x");
    const Error other(Error::Category::Io, "disk full");
    const struct {
        QLocale locale;
        const Error &error;
        const char *expected;
    } cases[] = {
        {QLocale(QLocale::Chinese), refused, "保存失败：no such column: x"},  // the database's text
        {QLocale(QLocale::Chinese), other, "保存失败：disk full"},
        {QLocale(QLocale::English), refused, "保存失败: no such column: x"},
        {QLocale(QLocale::English), other, "保存失败: disk full"},
    };
    for (const auto &c : cases) {
        tessel::base::setLanguage(c.locale);
        EXPECT_EQ(tessel::base::errorMessage(QStringLiteral("保存失败"), c.error),
                  QString::fromUtf8(c.expected))
            << c.expected;
    }
    tessel::base::setLanguage(QLocale(QLocale::Chinese));
}
