// The demo host starts on the sample database and runs its reports.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

#include "DemoWindow.h"
#include "SampleDb.h"
#include "component/SharedState.h"
#include "support/ScriptedInteraction.h"

namespace {

QWidget *shownWindow(const char *name) {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    }
    return nullptr;
}

TEST(Demo, RunsTheSampleReports) {
    tessel::test::TempDb db;
    tessel::test::loadSample(db);
    tessel::test::ScriptedInteraction user;
    DemoWindow demo(db.path());
    demo.show();
    auto *reports = demo.findChild<QListWidget *>(QStringLiteral("reports"));
    ASSERT_NE(reports, nullptr);
    ASSERT_EQ(reports->count(), 5);
    reports->setCurrentRow(
        reports->row(reports->findItems(QStringLiteral("产品目录"), Qt::MatchExactly)[0]));

    demo.findChild<QPushButton *>(QStringLiteral("design"))->click();
    EXPECT_TRUE(user.messages.empty());
    ASSERT_NE(shownWindow("printSpread"), nullptr);
    auto &sheet = tessel::component::sharedState().session.sheet;
    EXPECT_EQ(sheet.maxRows(), 12);
    EXPECT_EQ(sheet.text(2, 0), QStringLiteral("产品名称"));

    demo.findChild<QPushButton *>(QStringLiteral("preview"))->click();
    EXPECT_TRUE(user.messages.empty());
    EXPECT_NE(shownWindow("spreadpreview"), nullptr);

    demo.findChild<QPushButton *>(QStringLiteral("grid"))->click();
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("季度"));
    EXPECT_EQ(sheet.text(2, 4), QStringLiteral("450.75"));  // the totals row
    tessel::component::sharedState().unloadDesigner();
}

// The interface language reaches the demo's own captions (its data stays as stored) and Qt's
// texts: the message boxes' buttons, the file dialogs.
TEST(Demo, SpeaksTheInterfaceLanguage) {
    tessel::test::TempDb db;
    tessel::test::loadSample(db);
    const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}]"));
    for (const bool english : {true, false}) {
        tessel::clsReport::setLanguage(QLocale(english ? QLocale::English : QLocale::Chinese));
        DemoWindow demo(db.path());
        QStringList texts{demo.windowTitle().section(u' ', 0, -2),
                          QCoreApplication::translate("QPlatformTheme", "Cancel"),
                          QCoreApplication::translate("QFileDialog", "Look in:")};
        for (const QAbstractButton *b : demo.findChildren<QAbstractButton *>())
            texts << b->text();
        for (const QLabel *l : demo.findChildren<QLabel *>())
            texts << l->text();
        for (const QAction *a : demo.findChildren<QAction *>())
            texts << a->text();
        EXPECT_EQ(texts.filter(chinese).isEmpty(), english) << texts.join(u'|').toStdString();
        // Qt's own texts in Chinese too: none of them stays English.
        EXPECT_NE(texts[1].contains(chinese) && texts[2].contains(chinese), english);
    }
}

}  // namespace
