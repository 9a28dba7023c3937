// Printing to a real queue of the private CUPS scheduler scripts/with-cups starts: each way a
// report reaches a printer, read back from the PDF the queue's CUPS-PDF backend writes.
#include <gtest/gtest.h>
#include <tessel/clsReport.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "SampleDb.h"
#include "component/SharedState.h"
#include "preview/SpreadPreview.h"
#include "support/Pdf.h"
#include "support/ScriptedInteraction.h"
#include "widgets/SheetView.h"

using namespace tessel;

namespace {

const QString kReport = QStringLiteral("订单明细");
const QString kWhere = QStringLiteral("where 订单.金额 > 50000");

QString run(const QString &tool, const QStringList &args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class QueuePrinting : public ::testing::Test {
protected:
    void SetUp() override {
        if (queue.isEmpty() || out.isEmpty())
            GTEST_SKIP()
                << "TESSEL_TEST_CUPS_QUEUE is not set: no CUPS scheduler (scripts/with-cups)";
        test::loadSample(db);
        report.ConDb(db.connectionString());
    }
    void TearDown() override { component::sharedState().unloadDesigner(); }

    QString pending() const { return run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}); }
    QStringList pdfs() const { return QDir(out).entryList({QStringLiteral("*.pdf")}, QDir::Files); }
    // The PDF of the one job that arrived since `before`, once the queue has no job left; empty
    // when none arrived within a minute or more than one did.
    QString awaitPdf(const QStringList &before) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            QStringList fresh = pdfs();
            for (const QString &old : before)
                fresh.removeAll(old);
            if (pending().isEmpty() && !fresh.isEmpty())
                return fresh.size() == 1 ? QDir(out).filePath(fresh[0]) : QString();
            QThread::msleep(100);
        }
        return {};
    }
    // Runs the report with `isshow` 1 or 2 to `printer`, 1 through the preview's print button.
    QString runTo(const QString &printer, int isshow) {
        test::PrintToPdf to(printer);
        report.PrintPreSQL1(kWhere, kReport, isshow, false);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("spreadpreview") && w->isVisible()) {
                QMetaObject::invokeMethod(w->findChild<widgets::SheetView *>("fpSpread1"),
                                          "ButtonClicked", Q_ARG(int, preview::kColPrint),
                                          Q_ARG(int, 1));
                w->close();
            }
        }
        return user.texts().join(u'\n');
    }
    QString renderTo(const QString &printer) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("TESSEL_PRINTER"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TESSEL_CLI), {"render", "--db", db.path(), "--report", kReport,
                                             "--where", kWhere, "--print", printer});
        p.waitForFinished(120000);
        return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
    }

    const QString queue = qEnvironmentVariable("TESSEL_TEST_CUPS_QUEUE");
    const QString out = qEnvironmentVariable("TESSEL_TEST_CUPS_OUT");
    test::TempDb db;
    test::ScriptedInteraction user;
    clsReport report;
};

TEST_F(QueuePrinting, EveryWayReachesTheQueueWithTheReportsPagesOrSaysTheQueueIsMissing) {
    QTemporaryDir dir;
    const QString reference = dir.filePath(QStringLiteral("reference.pdf"));
    ASSERT_EQ(runTo(reference, 2), QString());
    const int pages = test::pdfPageCount(reference);
    ASSERT_GE(pages, 2);
    const struct {
        const char *way;
        std::function<QString(const QString &printer)> print;
    } ways[] = {
        {"preview's print button", [&](const QString &p) { return runTo(p, 1); }},
        {"run with isshow 2", [&](const QString &p) { return runTo(p, 2); }},
        {"tessel render --print", [&](const QString &p) { return renderTo(p); }},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        user.messages.clear();
        const QStringList before = pdfs();
        ASSERT_EQ(w.print(queue), QString());
        const QString pdf = awaitPdf(before);
        ASSERT_FALSE(pdf.isEmpty()) << "no job output in " << out.toStdString();
        EXPECT_EQ(test::pdfPageCount(pdf), pages);
        // The queue's conversions keep the words but not every digit readable.
        const QString text = test::pdfText(pdf);
        EXPECT_EQ(text.split(u'\f').filter(QStringLiteral("订单明细表")).size(), pages);
        EXPECT_TRUE(text.contains(QStringLiteral("杭州西湖科技"))) << text.left(300).toStdString();

        user.messages.clear();
        EXPECT_TRUE(w.print(QStringLiteral("tessel-no-such-queue"))
                        .contains(QStringLiteral("找不到打印机“tessel-no-such-queue”")));
        EXPECT_EQ(pdfs().size(), before.size() + 1);
    }
}

TEST_F(QueuePrinting, AJobCancelledOnTheQueuePrintsNothing) {
    const QStringList before = pdfs();
    // A stopped queue keeps the job until it is cancelled.
    run(QStringLiteral("cupsdisable"), {queue});
    struct Restart {
        QString queue;
        ~Restart() { run(QStringLiteral("cupsenable"), {queue}); }
    } restart{queue};
    ASSERT_EQ(runTo(queue, 2), QString());
    ASSERT_FALSE(pending().isEmpty());
    run(QStringLiteral("cancel"), {QStringLiteral("-a"), queue});
    EXPECT_EQ(pending(), QString());
    run(QStringLiteral("cupsenable"), {queue});
    // The queue prints in order: the next job's file is the only new one.
    ASSERT_EQ(renderTo(queue), QString());
    EXPECT_FALSE(awaitPdf(before).isEmpty());
}

}  // namespace
