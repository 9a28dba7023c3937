// The interface language reaches Qt's own texts: the file dialogs, the colour chooser and the
// message boxes' buttons speak the language the component's windows do.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "base/Language.h"

namespace {

TEST(Language, QtsOwnTextsFollowTheInterfaceLanguage) {
    const struct {
        QLocale locale;
        bool chinese;
    } cases[] = {{QLocale(QLocale::English), false},
                 {QLocale(QLocale::Chinese), true},
                 {QLocale::c(), true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        tessel::base::setLanguage(c.locale);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                  c.chinese ? QStringLiteral("取消") : QStringLiteral("Cancel"));
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:") != "Look in:", c.chinese);
        EXPECT_EQ(QCoreApplication::translate("QColorDialog", "&Red:") != "&Red:", c.chinese);
        // Ours beside Qt's: the component's texts keep their language.
        EXPECT_EQ(tessel::base::tr("取消"),
                  c.chinese ? QStringLiteral("取消") : QStringLiteral("Cancel"));
        EXPECT_EQ(tessel::base::interfaceLanguage().language(),
                  c.chinese ? QLocale::Chinese : QLocale::English);
    }
}

}  // namespace
