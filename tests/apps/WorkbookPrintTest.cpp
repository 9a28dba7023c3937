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

// Runs `program` with `args`, waiting up to `seconds`: whether it ended with exit code 0; what
// it said goes to `output`.
bool run(const QString &program, const QStringList &args, int seconds, QString &output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool done = p.waitForFinished(seconds * 1000);
    output = QString::fromUtf8(p.readAll());
    return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
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
    } reports[] = {{"部门销售汇总", ""},
                   {"产品目录", ""},
                   {"季度利润", ""},
                   {"订单明细", ""},
                   {"流水账", "where 日期 < '2024-03-01'"}};
    QStringList workbooks;
    QString said;
    for (const auto &r : reports) {
        const QString name = QString::fromUtf8(r.report);
        QStringList args{"render", "--db", db.path(), "--report", name};
        if (*r.where)
            args << "--where" << QString::fromUtf8(r.where);
        workbooks << dir.filePath(name + ".xlsx");
        for (const QStringList &target :
             {QStringList{"--pdf", dir.filePath(name + ".pdf")}, {"--xlsx", workbooks.back()}})
            ASSERT_TRUE(run(TESSEL_CLI, args + target, 120, said)) << said.toStdString();
    }
    const QString printed = dir.filePath(QStringLiteral("printed"));
    const QStringList convert{"-env:UserInstallation=file://" + dir.filePath("profile"),
                              "--headless",
                              "--convert-to",
                              "pdf",
                              "--outdir",
                              printed};
    ASSERT_TRUE(run(soffice, convert + workbooks, 600, said)) << said.toStdString();
    for (const auto &r : reports) {
        const QString name = QString::fromUtf8(r.report);
        const int own = tessel::test::pdfPageCount(dir.filePath(name + ".pdf"));
        EXPECT_GT(own, 0) << r.report;
        EXPECT_EQ(tessel::test::pdfPageCount(QDir(printed).filePath(name + ".pdf")), own)
            << r.report;
    }
}
