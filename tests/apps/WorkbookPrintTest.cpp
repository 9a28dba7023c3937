// The sample reports' workbooks printed by a spreadsheet program (LibreOffice, headless) come
// out on as many pages as the renderer's own PDF of the same report. Skipped where the
// program is not installed.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "SampleDb.h"
#include "support/Pdf.h"

namespace {

// Runs `program` with `args`, waiting up to `seconds`; its exit code, or -1.
int run(const QString &program, const QStringList &args, int seconds, QString *output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool done = p.waitForFinished(seconds * 1000);
    if (output)
        *output = QString::fromUtf8(p.readAll());
    if (!done) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

// Each report as a PDF and as a workbook; the workbooks converted to PDF by one run of the
// spreadsheet program (its own profile in the test's folder, so parallel runs do not meet).
// 订单明细 runs whole (378 pages, about 20 s of the spreadsheet program); 流水账, as long, on
// a part of its rows, which has its page shape (page totals at the foot, carried at the top).
TEST(WorkbookPrint, SamplesPrintOnTheReportsPages) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
    tessel::test::TempDb db;
    tessel::test::loadSample(db);
    QTemporaryDir dir;
    const struct {
        const char *report, *where;
    } reports[] = {
        {"部门销售汇总", ""},
        {"产品目录", ""},
        {"季度利润", ""},
        {"订单明细", ""},
        {"流水账", "where 日期 < '2024-03-01'"},
    };
    QStringList workbooks;
    for (const auto &r : reports) {
        const QString name = QString::fromUtf8(r.report);
        QStringList args{QStringLiteral("render"), QStringLiteral("--db"), db.path(),
                         QStringLiteral("--report"), name};
        if (*r.where)
            args << QStringLiteral("--where") << QString::fromUtf8(r.where);
        QString said;
        ASSERT_EQ(run(QStringLiteral(TESSEL_CLI),
                      args + QStringList{QStringLiteral("--pdf"), dir.filePath(name + ".pdf")}, 120,
                      &said),
                  0)
            << r.report << ": " << said.toStdString();
        workbooks << dir.filePath(name + ".xlsx");
        ASSERT_EQ(run(QStringLiteral(TESSEL_CLI),
                      args + QStringList{QStringLiteral("--xlsx"), workbooks.back()}, 120, &said),
                  0)
            << r.report << ": " << said.toStdString();
    }
    const QString printed = dir.filePath(QStringLiteral("printed"));
    QString said;
    ASSERT_EQ(run(soffice,
                  QStringList{QStringLiteral("-env:UserInstallation=file://") +
                                  dir.filePath(QStringLiteral("profile")),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                              QStringLiteral("pdf"), QStringLiteral("--outdir"), printed} +
                      workbooks,
                  600, &said),
              0)
        << said.toStdString();
    for (const auto &r : reports) {
        const QString name = QString::fromUtf8(r.report);
        const int own = tessel::test::pdfPageCount(dir.filePath(name + ".pdf"));
        EXPECT_GT(own, 0) << r.report;
        EXPECT_EQ(tessel::test::pdfPageCount(QDir(printed).filePath(name + ".pdf")), own)
            << r.report;
    }
}
