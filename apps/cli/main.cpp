// tessel: renders stored reports without a display.
//
//   tessel render --db CONNECTION --report NAME [--where "where …"] [--var NAME=VALUE]…
//                 [--totals [COLS]] [--no-groups] [--no-charts]
//                 (--pdf FILE | --xlsx FILE | --csv FILE | --print [PRINTER])
//   tessel list --db CONNECTION
//
// The report is built exactly as a host's PrintPreSQL1 call builds it, with the report
// variables and the built-in date and time substituted into its header and footer as the
// preview does. Exit status 0 only on success. Standard error carries the renderer's own
// lines, never Qt's, and on a terminal a one-line progress bar. An output file is replaced only
// by a complete one: Ctrl+C (or a termination signal) stops the work at its next check point,
// leaves no output file behind and exits with 130.
#include <unistd.h>

#include <csignal>

#include <tessel/clsReport.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "base/Progress.h"
#include "component/Runs.h"
#include "component/SharedState.h"
#include "definitions/Definitions.h"
#include "export/CsvExport.h"
#include "export/WorkbookExport.h"
#include "print/Printing.h"
#include "print/codes/HeaderFooterCodes.h"

using namespace tessel;

namespace {

// The usage, in the interface language.
QString usage() {
    return tessel::base::tr(
        "用法：\n"
        "  tessel render --db 连接 --report 报表名 [--where \"where ...\"]\n"
        "                [--var 名称=值]... [--totals [列]] [--no-groups] [--no-charts]\n"
        "                (--pdf 文件 | --xlsx 文件 | --csv 文件 | --print [打印机])\n"
        "  tessel list --db 连接\n"
        "  tessel --help\n"
        "\n"
        "连接：sqlite:文件、文件路径、Data Source=文件、Driver={...};...、\n"
        "DSN=...;...、Provider=SQLOLEDB;Data Source=...;Initial Catalog=...;...，\n"
        "或 postgresql://用户:密码@主机:端口/数据库\n"
        "--where   选出数据行的条件，以小写的“where”开头\n"
        "--var     报表变量，在页头页脚中写作 V名称（可重复）\n"
        "--totals  在末尾加合计行，合计这些列（逗号分隔的表格列号；不给则合计全部列）\n"
        "--no-groups  不用报表保存的分组（分组、小计、页小计）\n"
        "--no-charts  不用报表保存的图表\n"
        "--csv     数据行及其列标题和合计行，CSV 格式（UTF-8，CR LF）\n"
        "--print   打印到这台打印机，不给则打印到系统默认打印机\n"
        "\n"
        "退出状态：0 完成，1 失败，2 参数有误，130 被中断（没有写出文件）。\n");
}

void printUsage(FILE *to) {
    std::fputs(usage().toUtf8().constData(), to);
}

// Exit codes: 0 done, 1 the report could not be produced, 2 bad arguments, 130 interrupted
// (the shell's code for a process ended by SIGINT).
constexpr int kFailed = 1;
constexpr int kBadArguments = 2;
constexpr int kInterrupted = 130;

// Set by SIGINT or SIGTERM; the work looks at it at its check points.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

// Ctrl+C and a polite termination cancel the work instead of ending the process, so that the
// writers can remove their temporary files.
void catchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

QTextStream &err() {
    static QTextStream s(stderr);
    return s;
}

// Qt's own debug, info and warning messages ("QPainter::begin(): Returned false", a runtime
// folder it would rather have) describe Qt's inner workings to nobody who can act on them; a
// failure that matters reaches the renderer as an error and is told in its own words. A
// critical or fatal message still goes out, as one of the renderer's lines (Qt ends the
// process after a fatal one).
void dropQtChatter(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        err() << "tessel: " << message << '\n';
        err().flush();
    }
}

// The progress of the render on one line of standard error, redrawn in place, when it is a
// terminal: the stage, its rows or pages done (of their total, with a bar, when known) and
// the time since the start. Nothing at all when standard error is not a terminal. Cancelled
// once an interrupt came, terminal or not.
class TerminalBar : public base::Progress {
public:
    explicit TerminalBar(bool on) : m_on(on) { m_clock.start(); }
    ~TerminalBar() override { finish(); }

    void begin(const QString &what, base::ProgressUnit unit, qint64 total) override {
        m_what = what;
        m_unit = unit;
        m_total = total;
        m_done = 0;
        draw();
    }
    void update(qint64 done) override {
        if (done >= 0)
            m_done = done;
        // Redrawn ten times a second at most: the clock is all a check point costs.
        if (m_on && m_lastDraw.isValid() && m_lastDraw.elapsed() < 100)
            return;
        draw();
    }
    bool cancelled() const override { return g_interrupted != 0; }
    void finish() override {
        if (m_on && m_shown) {
            err() << "\r\x1b[K";
            err().flush();
            m_shown = false;
        }
    }

private:
    void draw() {
        if (!m_on)
            return;
        m_lastDraw.start();
        QString line = QStringLiteral("tessel ");
        if (m_total > 0) {
            constexpr qint64 kWidth = 20;
            const qint64 filled = std::min(kWidth, m_done * kWidth / m_total);
            line += u'[' + QString(int(filled), u'#') + QString(int(kWidth - filled), u'-') +
                    QStringLiteral("] ");
        }
        line += m_what;
        const QString unit =
            m_unit == base::ProgressUnit::Rows ? tessel::base::tr("行") : tessel::base::tr("页");
        if (m_total > 0)
            line += QStringLiteral("  %1/%2 %3").arg(m_done).arg(m_total).arg(unit);
        else if (m_done > 0)
            line += QStringLiteral("  %1 %2").arg(m_done).arg(unit);
        line += QStringLiteral("  ") +
                tessel::base::tr("%1 秒").arg(m_clock.elapsed() / 1000.0, 0, 'f', 1);
        err() << "\r\x1b[K" << line;
        err().flush();
        m_shown = true;
    }

    const bool m_on;
    QElapsedTimer m_clock;
    QElapsedTimer m_lastDraw;
    QString m_what;
    base::ProgressUnit m_unit = base::ProgressUnit::Rows;
    qint64 m_total = -1;
    qint64 m_done = 0;
    bool m_shown = false;
};

// Hands the one bar of the render to each piece of work that asks for a progress.
class BarHandle : public base::Progress {
public:
    explicit BarHandle(TerminalBar &bar) : m_bar(bar) {}
    void begin(const QString &what, base::ProgressUnit unit, qint64 total) override {
        m_bar.begin(what, unit, total);
    }
    void update(qint64 done) override { m_bar.update(done); }
    bool cancelled() const override { return m_bar.cancelled(); }

private:
    TerminalBar &m_bar;
};

// One line naming the texts of the print that hold characters no installed font can draw.
void warnUndrawable() {
    const QStringList texts = print::undrawableTextsOfLastPrint();
    if (texts.isEmpty())
        return;
    QStringList quoted;
    for (const QString &text : texts)
        quoted << tessel::base::tr("“%1”").arg(text);
    err() << "tessel: "
          << tessel::base::tr("警告：没有已安装的字体能画出 %1 中的某些字符")
                 .arg(quoted.join(tessel::base::tr("、")))
          << '\n';
}

// Without a display nobody can answer a message box: messages go to standard error, and
// any message during a run means the run failed, except a notice (a stored setting the run
// could not use and did without), which is printed at once and lets the run go on.
class ConsoleInteraction : public base::QtInteraction {
public:
    explicit ConsoleInteraction(TerminalBar &bar) : m_bar(bar) {}
    struct Message {
        QString title, text;
    };
    std::vector<Message> messages;
    base::MessageAnswer message(QWidget *, const QString &text, const QString &title,
                                base::MessageIcon, base::MessageButtons) override {
        if (title == base::noticeTitle())  // one line, whatever lines the notice has
            err() << "tessel: "
                  << tessel::base::tr("注意：%1")
                         .arg(text.split(u'\n', Qt::SkipEmptyParts).join(u' '))
                  << '\n';
        else
            messages.push_back({title, text});
        return base::MessageAnswer::Ok;
    }
    void setBusy(bool) override {}
    std::unique_ptr<base::Progress> progress(QWidget *) override {
        return std::make_unique<BarHandle>(m_bar);
    }

private:
    TerminalBar &m_bar;
};

struct Options {
    QString command;
    QString db;
    QString report;
    QString where;
    QVariantList vars;
    bool totals = false;
    QVariant totalsCols;
    bool noGroups = false;
    bool noCharts = false;
    QString pdf;
    QString xlsx;
    QString csv;
    bool print = false;
    QString printer;
};

[[noreturn]] void usageError(const QString &what) {
    err() << "tessel: " << what << "\n\n" << usage();
    err().flush();
    std::exit(kBadArguments);
}

Options parse(const QStringList &args) {
    Options o;
    if (args.size() < 2)
        usageError(tessel::base::tr("没有给出命令"));
    o.command = args[1];
    if (o.command == QLatin1String("--help") || o.command == QLatin1String("-h") ||
        o.command == QLatin1String("help")) {
        printUsage(stdout);
        std::exit(0);
    }
    if (o.command != QLatin1String("render") && o.command != QLatin1String("list")) {
        usageError(tessel::base::tr("未知命令“%1”").arg(o.command));
    }
    auto value = [&](qsizetype &i) {
        if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
            usageError(tessel::base::tr("%1 需要一个值").arg(args[i]));
        }
        return args[++i];
    };
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help")) {
            printUsage(stdout);
            std::exit(0);
        } else if (a == QLatin1String("--db")) {
            o.db = value(i);
        } else if (a == QLatin1String("--report")) {
            o.report = value(i);
        } else if (a == QLatin1String("--where")) {
            o.where = value(i);
        } else if (a == QLatin1String("--var")) {
            const QString v = value(i);
            const qsizetype eq = v.indexOf(u'=');
            if (eq <= 0)
                usageError(tessel::base::tr("--var 的格式是 名称=值，不是“%1”").arg(v));
            o.vars << QVariant(QVariantList{v.left(eq), v.mid(eq + 1)});
        } else if (a == QLatin1String("--totals")) {
            o.totals = true;
            if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) {
                QVariantList cols;
                for (const QString &c : args[++i].split(u',')) {
                    bool ok = false;
                    const int n = c.trimmed().toInt(&ok);
                    if (!ok || n < 1)
                        usageError(tessel::base::tr("--totals：“%1”不是列号").arg(c));
                    cols << n;
                }
                o.totalsCols = cols;
            }
        } else if (a == QLatin1String("--no-groups")) {
            o.noGroups = true;
        } else if (a == QLatin1String("--no-charts")) {
            o.noCharts = true;
        } else if (a == QLatin1String("--pdf")) {
            o.pdf = value(i);
        } else if (a == QLatin1String("--xlsx")) {
            o.xlsx = value(i);
        } else if (a == QLatin1String("--csv")) {
            o.csv = value(i);
        } else if (a == QLatin1String("--print")) {
            o.print = true;
            if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) {
                o.printer = args[++i];
            }
        } else {
            usageError(tessel::base::tr("未知选项“%1”").arg(a));
        }
    }
    if (o.db.isEmpty())
        usageError(tessel::base::tr("必须给出 --db"));
    if (o.command == QLatin1String("render")) {
        if (o.report.isEmpty())
            usageError(tessel::base::tr("必须给出 --report"));
        const int outputs =
            int(!o.pdf.isEmpty()) + int(!o.xlsx.isEmpty()) + int(!o.csv.isEmpty()) + int(o.print);
        if (outputs != 1)
            usageError(tessel::base::tr("--pdf、--xlsx、--csv、--print 须给出且只给出一个"));
        if (!o.where.isEmpty() && !o.where.trimmed().startsWith(QLatin1String("where"))) {
            usageError(tessel::base::tr("--where 必须以小写的“where”开头"));
        }
    }
    return o;
}

int list(const Options &o) {
    clsReport report;
    report.ConDb(o.db);
    db::Recordset rs = definitions::open(definitions::selectReportNames(),
                                         component::sharedState().session.connection,
                                         definitions::Access::ReadOnly);
    QTextStream out(stdout);
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(0) << '\n';
    return 0;
}

// What the console says of a failed run: "查询失败" with the database's reason, never the
// designer's advice that ends the run's own message, which means nothing here. Without a
// reason in the run's message the query the run sent is tried once more for it.
QString queryFailure(report::ReportSession &session, const Options &o, const QString &reason) {
    const QString failed = tessel::base::tr("查询失败");
    if (!reason.isEmpty())
        return tessel::base::tr("%1：%2").arg(failed, reason);
    try {
        db::Recordset def = definitions::open(definitions::selectReport(o.report),
                                              session.connection, definitions::Access::ReadOnly);
        const QString query = definitions::cutBeforeWhere(def.text(QStringLiteral("查询"))) + u' ' +
                              definitions::tailFromWhere(o.where);
        db::Recordset data;
        data.open(query, session.connection);
    } catch (const Error &e) {
        return base::errorMessage(failed, e);
    }
    return failed;
}

// The columns `--totals` names that the report does not have, as the message that says so;
// empty when every one is the report's.
QString columnsOutside(const QVariant &totalsCols, int reportColumns) {
    QStringList outside;
    for (const QVariant &c : totalsCols.toList()) {
        if (c.toInt() > reportColumns)
            outside << c.toString();
    }
    if (outside.isEmpty())
        return {};
    return tessel::base::tr("--totals：报表只有 %1 列，没有第 %2 列")
        .arg(reportColumns)
        .arg(outside.join(tessel::base::tr("、")));
}

int render(const Options &o) {
    TerminalBar progress(isatty(STDERR_FILENO) != 0);
    ConsoleInteraction console(progress);
    base::setInteraction(&console);
    struct Restore {
        ~Restore() { base::setInteraction(nullptr); }
    } restore;

    clsReport report;
    progress.begin(tessel::base::tr("连接数据库"), base::ProgressUnit::Rows, -1);
    report.ConDb(o.db);
    auto &session = component::sharedState().session;
    {
        db::Recordset def = definitions::open(definitions::selectReport(o.report),
                                              session.connection, definitions::Access::ReadOnly);
        if (definitions::notFound(def)) {
            err() << "tessel: " << tessel::base::tr("没有名为“%1”的报表").arg(o.report) << '\n';
            return kFailed;
        }
    }
    report.PutVar(o.vars);
    session.groupsOff = o.noGroups;
    session.chartsOff = o.noCharts;
    progress.begin(tessel::base::tr("运行报表查询"), base::ProgressUnit::Rows, -1);
    // Only the where tail of the query matters when the report is stored.
    if (o.totals && o.totalsCols.isValid()) {
        report.PrintPreSQL1(o.where, o.report, -1, true, o.totalsCols);
    } else {
        report.PrintPreSQL1(o.where, o.report, -1, o.totals);
    }
    // An interrupted run ends as cancelled, whatever it said about it.
    if (progress.cancelled())
        throw base::Cancelled();
    if (!console.messages.empty()) {
        progress.finish();
        // The run's query failure is told as a failed query with the database's reason (the
        // message's further lines); any other message as its title and lines.
        for (const ConsoleInteraction::Message &m : console.messages) {
            QStringList lines = m.text.split(u'\n', Qt::SkipEmptyParts);
            if (!lines.isEmpty() && lines.first() == component::queryFailedMessage()) {
                lines.removeFirst();
                err() << "tessel: " << queryFailure(session, o, lines.join(u' ')) << '\n';
                continue;
            }
            for (const QString &line : lines)
                err() << "tessel: " << tessel::base::tr("%1：%2").arg(m.title, line) << '\n';
        }
        return kFailed;
    }
    grid::Sheet &sheet = session.sheet;
    // The report's columns are known once its query ran: a totals column past them is a bad
    // argument, told before anything is written.
    if (o.totals && o.totalsCols.isValid()) {
        if (const QString outside = columnsOutside(o.totalsCols, sheet.maxCols());
            !outside.isEmpty()) {
            err() << "tessel: " << outside << '\n';
            return kBadArguments;
        }
    }
    // The header and footer as the preview shows them.
    print::substituteSheetVariables(sheet, session.tslVar);
    const grid::PrintSettings &ps = sheet.print();

    if (!o.pdf.isEmpty()) {
        const int pages = print::writePdf(sheet, o.pdf, std::nullopt, o.report, progress);
        progress.finish();
        warnUndrawable();
        err() << "tessel: " << tessel::base::tr("已将 %n 页写入 %1", nullptr, pages).arg(o.pdf)
              << '\n';
    } else if (!o.xlsx.isEmpty()) {
        const QStringList notices = exports::writeWorkbook(o.xlsx, sheet, ps.header, ps.footer,
                                                           exports::kWorksheetRows, progress);
        progress.finish();
        for (const QString &notice : notices)
            err() << "tessel: " << tessel::base::tr("注意：%1").arg(notice) << '\n';
        err() << "tessel: " << tessel::base::tr("已写入工作簿 %1").arg(o.xlsx) << '\n';
    } else if (!o.csv.isEmpty()) {
        exports::writeCsv(o.csv, sheet, progress);
        progress.finish();
        err() << "tessel: "
              << tessel::base::tr("已将 %n 行写入 %1", nullptr, sheet.maxRows() + 1).arg(o.csv)
              << '\n';
    } else {
        if (!o.printer.isEmpty())
            qputenv(print::kPrinterEnvVar, o.printer.toUtf8());
        const int pages = print::printSheet(sheet, o.report, progress);
        progress.finish();
        warnUndrawable();
        err() << "tessel: " << tessel::base::tr("已打印 %n 页", nullptr, pages) << '\n';
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    qInstallMessageHandler(dropQtChatter);
    // No display is needed, whatever the environment offers; without a session (cron, a
    // server) Qt still wants a private runtime folder.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QDir::tempPath().toUtf8() + "/tessel-runtime-" +
                               QByteArray::number(qulonglong(getuid()));
        QDir().mkpath(QString::fromUtf8(dir));
        QFile::setPermissions(QString::fromUtf8(dir),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    QApplication app(argc, argv);
    base::applyLanguageFromEnvironment();
    const Options o = parse(app.arguments());
    catchInterrupts();
    try {
        const int rc = o.command == QLatin1String("list") ? list(o) : render(o);
        err().flush();
        return rc;
    } catch (const base::Cancelled &) {
        err() << "tessel: " << tessel::base::tr("已中断，没有写出文件") << '\n';
        err().flush();
        return kInterrupted;
    } catch (const Error &e) {
        err() << "tessel: " << e.fullText() << '\n';
        err().flush();
        return kFailed;
    }
}
