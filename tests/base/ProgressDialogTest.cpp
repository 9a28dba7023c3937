// The desktop's progress: nothing for the first half second of the work, then a dialog with
// the count and a 取消 button, whose click reaches the work at its next check point.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

#include "base/ProgressDialog.h"

using namespace tessel::base;

namespace {

QProgressDialog *shownDialog() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("progressDialog") && w->isVisible())
            return qobject_cast<QProgressDialog *>(w);
    }
    return nullptr;
}

TEST(DialogProgress, ShowsAfterHalfASecondAndItsCancelStopsTheWork) {
    DialogProgress progress(nullptr);
    progress.begin(QStringLiteral("读取数据"), ProgressUnit::Rows, 5000);
    QElapsedTimer clock;
    clock.start();
    qint64 row = 0;
    // Work of check points a few milliseconds apart, as a fill makes them.
    const auto work = [&](auto until) {
        while (!until() && clock.elapsed() < 10000) {
            progress.check(++row);
            QThread::msleep(5);
        }
    };
    work([&] { return shownDialog() != nullptr || clock.elapsed() >= 400; });
    EXPECT_EQ(shownDialog(), nullptr);
    work([&] { return shownDialog() != nullptr; });
    QProgressDialog *dialog = shownDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(progress.labelText().contains(QStringLiteral(" / 5000 行")));
    QPushButton *cancel = dialog->findChild<QPushButton *>();
    ASSERT_TRUE(cancel && cancel->text() == QStringLiteral("取消"));
    // The click arrives through the event loop, which turns at the check points.
    QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
    EXPECT_THROW(work([] { return false; }), Cancelled);
    progress.finish();
    EXPECT_EQ(shownDialog(), nullptr);
}

}  // namespace
