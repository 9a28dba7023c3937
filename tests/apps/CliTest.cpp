// The command-line renderer, run as a user would run it, on the sample database.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include "SampleDb.h"
#include "print/codes/HeaderFooterCodes.h"
#include "support/Pdf.h"
#include "support/Unzip.h"

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun tessel(const QStringList &args, const QString &runtimeDir = QString(),
              const QString &language = QString()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TESSEL_LANG"));
    if (!language.isEmpty())
        env.insert(QStringLiteral("TESSEL_LANG"), language);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // it must need no display by itself
    env.remove(QStringLiteral("DISPLAY"));
    if (!runtimeDir.isEmpty())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TESSEL_CLI), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { tessel::test::loadSample(db); }
    QString out(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    tessel::test::TempDb db;
    QTemporaryDir dir;
};

TEST_F(Cli, ListsTheStoredReports) {
    const CliRun r = tessel({QStringLiteral("list"), QStringLiteral("--db"), db.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char *name : {"订单明细", "部门销售汇总", "流水账", "产品目录", "季度利润"}) {
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(name))) << name;
    }
}

TEST_F(Cli, RendersAPdfWithSubstitutedHeaderAndFooter) {
    const QString pdf = out("明细.pdf");
    // A runtime folder open to others has Qt complain; only the renderer's line may show.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("run"), QFile::Permissions(0x7755)));
    const CliRun r =
        tessel({QStringLiteral("render"), QStringLiteral("--db"), db.path(),
                QStringLiteral("--report"), QStringLiteral("订单明细"), QStringLiteral("--where"),
                QStringLiteral("where 订单.金额 > 50000"), QStringLiteral("--var"),
                QStringLiteral("公司=测试公司"), QStringLiteral("--var"),
                QStringLiteral("制表人=李四"), QStringLiteral("--pdf"), pdf},
               out("run"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const int pages = tessel::test::pdfPageCount(pdf);
    EXPECT_GE(pages, 2);
    EXPECT_EQ(r.err, QStringLiteral("tessel: 已将 %1 页写入 %2\n").arg(pages).arg(pdf));
    const QString text = tessel::test::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("订单明细表")));
    EXPECT_TRUE(text.contains(QStringLiteral("公司:测试公司")));
    EXPECT_TRUE(text.contains(QStringLiteral("制表:李四")));
    const tessel::print::DateForms dates = tessel::print::placeholderDateForms(
        QLocale::system(), QLocale(QLocale::Chinese, QLocale::China));
    EXPECT_TRUE(text.contains(QStringLiteral("日期:") +
                              dates.locale.toString(QDate::currentDate(), dates.date)));
    EXPECT_TRUE(text.contains(QStringLiteral("投影仪")));
    EXPECT_FALSE(text.contains(QStringLiteral("V公司")));
}

// The report's paper reaches the PDF; a stored paper that names none is a note on standard
// error, and the report still renders, on A4.
TEST_F(Cli, RendersOnTheReportsPaper) {
    try {
        db.exec(QStringLiteral("alter table tsl_report add 纸张 varchar(40)"));
    } catch (const std::runtime_error &) {  // the sample has the column already
    }
    for (const auto &[stored, points] :
         {std::pair{"241x140mm", QSizeF(683, 397)}, std::pair{"A7x", QSizeF(595, 842)}}) {
        db.exec(QStringLiteral("update tsl_report set 纸张 = '%1', 打印方向 = '1'").arg(stored));
        const QString pdf = out("纸张.pdf");
        const CliRun r =
            tessel({"render", "--db", db.path(), "--report", "产品目录", "--pdf", pdf});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.contains("tessel: 注意："), points.width() == 595) << r.err.toStdString();
        EXPECT_EQ(tessel::test::pdfPageSize(pdf), points) << stored;
    }
}

TEST_F(Cli, RendersAWorkbookWithTotals) {
    const QString xlsx = out("汇总.xlsx");
    const CliRun r = tessel({QStringLiteral("render"), QStringLiteral("--db"), db.path(),
                             QStringLiteral("--report"), QStringLiteral("部门销售汇总"),
                             QStringLiteral("--totals"), QStringLiteral("4,5,6"),
                             QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString strings = QString::fromUtf8(
        tessel::test::unzipPart(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(strings.contains(QStringLiteral("部门销售汇总")));
    EXPECT_TRUE(strings.contains(QStringLiteral("合计")));
    EXPECT_TRUE(strings.contains(QStringLiteral("华东销售部")));
    // 20,000 orders in all: the totals row carries the count as a number.
    EXPECT_TRUE(strings.contains(QStringLiteral("<v>20000</v>")));
}

TEST_F(Cli, RendersCsvOfTheDataBlockWithTotals) {
    const QString csv = out("汇总.csv");
    const CliRun r = tessel({"render", "--db", db.path(), "--report", "部门销售汇总", "--totals",
                             "4,5,6", "--csv", csv});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    // No header line: the labels first, the totals row (20,000 orders) last.
    const QStringList records = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    EXPECT_EQ(records.first(), "部门,月份,业务员,订单数,数量,销售额");
    EXPECT_TRUE(records.at(records.size() - 2).startsWith("合计,,,20000,"));
    // Grouped as stored: a heading per department, subtotals per month and department.
    for (const char *row :
         {"华东销售部,,,,,", "2024-01 小计,,,339,2204,3985253.9", "华东销售部 合计,,,4000,26000,"})
        EXPECT_EQ(records.filter(QString::fromUtf8(row)).size(), 1) << row;
}

// The stored grouping rendered, left out with --no-groups, and told on one line when it
// cannot be used; the grand total stays that of the data rows.
TEST_F(Cli, RendersTheStoredGroupingUnlessToldNot) {
    const struct {
        const char *stored;
        bool noGroups, grouped, noted;
    } cases[] = {{R"({"levels":[{"column":1}]})", false, true, false},
                 {R"({"levels":[{"column":1}]})", true, false, false},
                 {R"({"levels":[{"column":9}]})", false, false, true}};
    const QString csv = out("grouped.csv");
    for (const auto &c : cases) {
        db.exec(QStringLiteral("update tsl_report set 分组 = '%1' where 报表名称 = '部门销售汇总'")
                    .arg(c.stored));
        // The report's chart of its groups is left out: the notes counted are the grouping's.
        QStringList args{"render",   "--db",  db.path(), "--report", "部门销售汇总",
                         "--totals", "4,5,6", "--csv",   csv,        "--no-charts"};
        if (c.noGroups)
            args << QStringLiteral("--no-groups");
        const CliRun r = tessel(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_EQ(text.contains(QStringLiteral(" 小计,")), c.grouped) << c.stored;
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n合计,,,20000,"))) << c.stored;
        EXPECT_EQ(r.err.count(QStringLiteral("tessel: 注意：")), int(c.noted)) << c.stored;
        EXPECT_EQ(r.err.contains(QStringLiteral("分组")), c.noted) << r.err.toStdString();
    }
}

TEST_F(Cli, FailsClearly) {
    const struct {
        QStringList args;
        int exitCode;
        const char *says;
    } cases[] = {
        {{}, 2, "没有给出命令"},
        {{QStringLiteral("draw")}, 2, "未知命令“draw”"},
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path()}, 2, "--report"},
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
          QStringLiteral("订单明细")},
         2,
         "只给出一个"},
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
          QStringLiteral("没有这个"), QStringLiteral("--pdf"), out("x.pdf")},
         1,
         "没有名为“没有这个”的报表"},
        {{QStringLiteral("list"), QStringLiteral("--db"), db.path() + QStringLiteral(".missing")},
         1,
         "数据库文件不存在"},  // the component's own message, in the interface language
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
          QStringLiteral("订单明细"), QStringLiteral("--where"), QStringLiteral("where 没有列 > 1"),
          QStringLiteral("--pdf"), out("y.pdf")},
         1,
         "tessel: 查询失败：no such column: 没有列\n"},  // without the designer's advice
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
          QStringLiteral("部门销售汇总"), QStringLiteral("--totals"), QStringLiteral("4,99"),
          QStringLiteral("--csv"), out("t.csv")},
         2,
         "报表只有 6 列，没有第 99 列"},
        {{QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
          QStringLiteral("订单明细"), QStringLiteral("--pdf"), out("no/z.pdf")},
         1,
         "z.pdf”: 此文件或目录不存在"},  // the system's reason, in Qt's Chinese
    };
    for (const auto &c : cases) {
        const CliRun r = tessel(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.says << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says)))
            << c.says << ": " << r.err.toStdString();
        for (const QString &line : r.err.split(u'\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(c.exitCode != 1 || line.startsWith(QLatin1String("tessel: "))) << c.says;
    }
    EXPECT_FALSE(QFileInfo::exists(out("x.pdf")));
    EXPECT_FALSE(QFileInfo::exists(out("y.pdf")));
    EXPECT_FALSE(QFileInfo::exists(out("t.csv")));
    const CliRun help = tessel({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("tessel render")));
}

TEST_F(Cli, SpeaksEnglishWhenTesselLangAsksForIt) {
    const struct {
        QStringList args;
        const char *says;
    } cases[] = {
        {{QStringLiteral("--where"), QStringLiteral("where 没有列 > 1"), QStringLiteral("--pdf"),
          out("y.pdf")},
         "tessel: Query failed: no such column: 没有列\n"},
        {{QStringLiteral("--report"), QStringLiteral("没有这个"), QStringLiteral("--pdf"),
          out("x.pdf")},
         "tessel: there is no report named \"没有这个\"\n"},
        {{QStringLiteral("--pdf"), out("no/z.pdf")}, "Cannot write the PDF file"},
    };
    for (const auto &c : cases) {
        const QStringList args =
            QStringList{QStringLiteral("render"), QStringLiteral("--db"), db.path(),
                        QStringLiteral("--report"), QStringLiteral("订单明细")} +
            c.args;
        const CliRun r = tessel(args, QString(), QStringLiteral("en"));
        EXPECT_EQ(r.exitCode, 1) << c.says;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
}

// A target the user may not write (mode 444) is refused alike by every file target: exit 1,
// the writers' one message, the old file kept and nothing else left. Root writes any file, so
// a test run as root runs the renderer as nobody, in a folder that user may write in.
TEST_F(Cli, RefusesATargetTheUserMayNotWrite) {
    ASSERT_TRUE(QFile::copy(db.path(), out("s.db")));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::Permissions(0x7777)));
    ASSERT_TRUE(QFile::setPermissions(out("s.db"), QFile::Permissions(0x6644)));
    for (const char *type : {"pdf", "csv", "xlsx"}) {
        const QString target = out("old.") + QLatin1String(type);
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        ASSERT_TRUE(old.setPermissions(QFile::Permissions(0x4444)));
        QProcess p;
        if (::geteuid() == 0) {
            p.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(99);
            });
        }
        p.start(QStringLiteral(TESSEL_CLI),
                {QStringLiteral("render"), QStringLiteral("--db"), out("s.db"),
                 QStringLiteral("--report"), QStringLiteral("部门销售汇总"),
                 QStringLiteral("--") + QLatin1String(type), target});
        ASSERT_TRUE(p.waitForFinished(120000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 1) << type << ": " << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("无法写入")) && err.contains(target)) << type;
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old") << type;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

// Ctrl+C in the middle of a long render: the renderer stops, leaves no file (nor a temporary
// one) and exits with 130; with standard error not a terminal it never drew a progress bar.
TEST_F(Cli, AnInterruptedRenderLeavesNoFile) {
    db.exec(QStringLiteral(
        "create table 大表 (编号 integer, 名称 text);"
        "insert into 大表 with recursive n(i) as (select 1 union all select i + 1 from n where "
        "i < 300000) select i, '名称' || i from n;"
        "insert into tsl_report (报表名称, 查询, 列标注, 列宽, 行高, 列数, 页头页脚) values "
        "('大报表', 'select 编号, 名称 from 大表', '编号，名称，', '8 12', 15, 2, 0)"));
    QProcess p;
    p.start(
        QStringLiteral(TESSEL_CLI),
        {QStringLiteral("render"), QStringLiteral("--db"), db.path(), QStringLiteral("--report"),
         QStringLiteral("大报表"), QStringLiteral("--pdf"), out("大.pdf")});
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(1500);  // the rows are read and the pages are being written
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
    EXPECT_EQ(err, QStringLiteral("tessel: 已中断，没有写出文件\n"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// Runs a program to its end; true when it exited with 0. Its error output goes to `err`.
bool runTool(const QString &program, const QStringList &args, QString *err) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(300000);
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The sample loaded into PostgreSQL renders every stored report as it does from SQLite.
TEST_F(Cli, RendersTheSameReportsFromPostgreSQL) {
    const QString server = qEnvironmentVariable("TESSEL_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << "TESSEL_TEST_PG is not set: no PostgreSQL server for this run";
    const QString database =
        QStringLiteral("tessel_cli_%1").arg(QCoreApplication::applicationPid());
    const QString admin = server + QStringLiteral("postgres");
    const QString url = server + database;
    QString err;
    runTool(QStringLiteral("psql"),
            {admin, QStringLiteral("-qc"), "drop database if exists " + database}, &err);
    ASSERT_TRUE(runTool(QStringLiteral("psql"),
                        {admin, QStringLiteral("-qc"), "create database " + database}, &err))
        << err.toStdString();
    const bool loaded =
        runTool(QStringLiteral(TESSEL_MAKE_SAMPLE_DB), {QStringLiteral("--postgresql"), url}, &err);
    EXPECT_TRUE(loaded) << err.toStdString();
    for (const char *name : {"订单明细", "部门销售汇总", "产品目录", "季度利润"}) {
        if (!loaded)
            break;
        const QString report = QString::fromUtf8(name);
        QString texts[2];
        const QString sources[2] = {db.path(), url};
        for (int i = 0; i < 2; ++i) {
            const QString pdf = out(name) + QString::number(i) + QStringLiteral(".pdf");
            const CliRun r =
                tessel({QStringLiteral("render"), QStringLiteral("--db"), sources[i],
                        QStringLiteral("--report"), report, QStringLiteral("--var"),
                        QStringLiteral("公司=测试公司"), QStringLiteral("--pdf"), pdf});
            ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err.toStdString();
            // The clock in a header (V时间) may turn between the two renders.
            texts[i] = tessel::test::pdfText(pdf).remove(
                QRegularExpression(QStringLiteral("\\d{1,2}:\\d{2}(:\\d{2})?")));
        }
        EXPECT_FALSE(texts[0].isEmpty()) << name;
        EXPECT_EQ(texts[1], texts[0]) << name;
    }
    runTool(QStringLiteral("psql"), {admin, QStringLiteral("-qc"), "drop database " + database},
            &err);
}

TEST_F(Cli, NamesTextsNoFontCanDrawOnceAndKeepsFontNotesOffStandardError) {
    const QString odd = QStringLiteral("नमस्ते दुकान \U0010FFFD");
    db.exec(QStringLiteral("insert into 产品 values (1001, '%1', 'भारत', '个', 1.0), "
                           "(1002, '%1', 'ไทย', '个', 2.0)")
                .arg(odd));
    const QString pdf = out("p.pdf");
    const CliRun r =
        tessel({QStringLiteral("render"), QStringLiteral("--db"), db.path(),
                QStringLiteral("--report"), QStringLiteral("产品目录"), QStringLiteral("--where"),
                QStringLiteral("where 编号 > 1000"), QStringLiteral("--pdf"), pdf},
               QString(), QStringLiteral("en"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QStringLiteral("tessel: warning: no installed font can draw some characters "
                                    "of \"%1\"\ntessel: 1 page written to %2\n")
                         .arg(odd, pdf));
    EXPECT_TRUE(tessel::test::pdfText(pdf).contains(QStringLiteral("भारत")));
}

}  // namespace
