// The three report runs: PrintPreSQL1, PrintPreGrid and getReport.
#include <tessel/clsReport.h>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "base/Progress.h"
#include "component/HostGrid.h"
#include "component/Runs.h"
#include "component/SharedState.h"
#include "db/SqlClauses.h"
#include "definitions/DefinitionRecord.h"
#include "definitions/Definitions.h"
#include "params/ParamValues.h"
#include "print/Printing.h"
#include "report/ReportRun.h"
#include "report/SheetBuilding.h"

namespace tessel {

using component::sharedState;
using definitions::Access;

namespace {

QString kNoDefinition() {
    return tessel::base::tr("不存在这个报表数据，请新建报表。");
}
QString kQueryFailed() {
    return component::queryFailedMessage();
}
QString kRunCancelled() {
    return tessel::base::tr("报表已取消");
}

// The run's message and, on a line of its own, what was wrong with what the run was given (a
// parameter without its value), or why the database refused or broke off when it said so (a
// server that went away, a statement cancelled, a refused query): a user facing a server fault
// must see the server's reason, not only the advice to check the query.
QString queryFailedText(const std::exception &e) {
    const auto *error = dynamic_cast<const Error *>(&e);
    if (!error)
        return kQueryFailed();
    QString reason = error->databaseText().trimmed();
    if (error->category() == Error::Category::Connection)
        reason = error->fullText().trimmed();  // "connection lost" and the server's text
    else if (dynamic_cast<const params::ParamError *>(error))
        reason = error->userMessage().trimmed();  // which parameter, and what is wrong
    return reason.isEmpty() ? kQueryFailed() : kQueryFailed() + u'\n' + reason;
}

// A print failure is not a query failure: the user is told what went wrong with printing.
class PrintFailed : public std::runtime_error {
public:
    explicit PrintFailed(const Error &e) : std::runtime_error(e.what()), error(e) {}
    Error error;
};

// Prints at once. A print the user cancelled is ended with its job and the run goes on: the
// user asked for it, there is nothing to tell.
void printNow(const grid::Sheet &sheet, bool busy, base::Progress &progress) {
    std::optional<base::BusyCursor> cursor;
    if (busy)
        cursor.emplace();
    try {
        print::printSheet(sheet, QString(), progress);
    } catch (const Error &e) {
        throw PrintFailed(e);
    } catch (const base::Cancelled &) {
    }
}

void tellPrintFailed(QWidget *parent, const PrintFailed &p) {
    base::showWarning(parent, base::errorMessage(tessel::base::tr("打印失败"), p.error),
                      base::warningTitle());
}

// Shows the built sheet as `isshow` asks: 0 the designer, 1 the preview, 2 the printer.
void act(designer::PrintSpread &w, int isshow, bool busyWhilePrinting, base::Progress &progress) {
    switch (isshow) {
        case 0:
            w.show();
            break;
        case 1:
            w.onPreview();
            break;
        case 2:
            printNow(w.sheet(), busyWhilePrinting, progress);
            break;
        default:
            break;
    }
}

// What a run changes before its rows are in, kept so that a run the user cancels leaves
// everything as it was: the designer shows the sheet it showed, under the report name it had,
// and nothing of the abandoned run remains. The sheet's contents are moved aside, not copied.
class KeptBeforeRun {
public:
    explicit KeptBeforeRun(component::SharedState &state)
        : m_session(state.session),
          m_querySQL(m_session.querySQL),
          m_whereSQL(m_session.whereSQL),
          m_whereReport(m_session.whereReport),
          m_mergeList(m_session.mergeList),
          m_reportName(m_session.reportName) {
        if (const designer::PrintSpread *w = state.loadedDesigner()) {
            m_hadDesigner = true;
            m_shown = w->isVisible();
            m_listini = w->listini;
        }
        m_sheet.swapContents(m_session.sheet);
    }

    // Puts everything back, on the designer window `w` the run loaded in place of the old one.
    void restore(designer::PrintSpread &w) {
        m_session.sheet.swapContents(m_sheet);
        m_session.querySQL = m_querySQL;
        m_session.whereSQL = m_whereSQL;
        m_session.whereReport = m_whereReport;
        m_session.mergeList = m_mergeList;
        m_session.reportName = m_reportName;
        if (m_hadDesigner) {
            w.filllist();
            w.SetListValues();
            w.listini = m_listini;
        }
        w.showReportName();
        if (m_shown)
            w.show();
    }

private:
    report::ReportSession &m_session;
    grid::Sheet m_sheet;
    QString m_querySQL, m_whereSQL, m_whereReport, m_mergeList, m_reportName;
    bool m_hadDesigner = false;
    bool m_shown = false;
    bool m_listini = true;
};

// What the user is told when the host's text is a bare condition: the rows it meant cannot be
// chosen, and every row would print without a word.
QString kBareCondition() {
    return tessel::base::tr(
        "查询文本既不是 select 语句，也没有 where 子句，不能用来选择数据行。"
        "条件前要写 where，例如：where 订单.金额 > 60000");
}

void runSql(const QString &sql, const QString &reportName, int isshow, bool ishj,
            const std::optional<QVariant> &HJcol) {
    if (!sql.trimmed().isEmpty() && db::findWhere(sql) < 0 && !db::isSelectStatement(sql)) {
        base::showInformation(nullptr, kBareCondition(), base::infoTitle());
        return;
    }
    auto &state = sharedState();
    auto &session = state.session;
    designer::PrintSpread *window = nullptr;
    const std::unique_ptr<base::Progress> progress = base::interaction().progress(nullptr);
    KeptBeforeRun kept(state);
    const auto cancelled = [&] {
        progress->finish();
        designer::PrintSpread &w = window ? *window : state.designer();
        kept.restore(w);
        base::showInformation(&w, kRunCancelled(), base::infoTitle());
    };
    try {
        session.querySQL = sql;
        designer::PrintSpread &w = state.reloadDesigner();
        window = &w;
        if (!reportName.isEmpty())
            session.reportName = reportName;
        session.whereSQL = definitions::tailFromWhere(sql);
        session.whereReport = session.reportName;
        grid::Sheet &sheet = session.sheet;

        db::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                              session.connection, Access::ReadOnly);
        if (definitions::notFound(def)) {
            base::showInformation(&w, kNoDefinition(), base::infoTitle());
            progress->begin(report::queryStage(), base::ProgressUnit::Rows, -1);
            const db::StatementProgress watched(session.connection, *progress);
            db::Recordset data;
            data.open(sql, session.connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                      db::kCommandText);
            report::FillFromRecordset(data, sheet, *progress);
            progress->finish();
            report::SetHeadersFromFields(data, sheet);
            sheet.setRowHeight(0, 11.5);
            w.show();
            data.close();
            w.disableForUnstoredReport();
        } else {
            report::RunRequest run;
            run.source.kind = report::RunSource::Kind::StoredQuery;
            run.source.where = session.whereSQL;
            run.source.progress = progress.get();
            run.totals = {ishj, HJcol};
            report::buildReport(session, definitions::readDefinition(def), run);
            try {
                // Printing has a progress of its own: its cancel ends the job, not the run.
                act(w, isshow, true, *base::interaction().progress(&w));
            } catch (const PrintFailed &p) {
                tellPrintFailed(&w, p);
            }
        }
        w.refreshForBuiltReport();
        report::addRunTotals(session, {ishj, HJcol});
    } catch (const base::Cancelled &) {
        cancelled();
    } catch (const std::exception &e) {
        // A statement the user stopped while the database was still working on it fails
        // with the database's interruption: that is the cancel, not a faulty query.
        if (progress->cancelled()) {
            cancelled();
            return;
        }
        progress->finish();
        base::showInformation(window, queryFailedText(e), base::infoTitle());
    }
}

void runGrid(QObject *gd, const QString &rpName, int isshow, bool ishj,
             const std::optional<QVariant> &HJcol) {
    auto &state = sharedState();
    auto &session = state.session;
    designer::PrintSpread *window = nullptr;
    std::optional<base::BusyCursor> busy;
    try {
        designer::PrintSpread &w = state.reloadDesigner();
        window = &w;
        busy.emplace();
        const std::optional<component::HostGrid> grid = component::readHostGrid(gd);
        if (!grid) {
            throw Error(Error::Category::Argument,
                        tessel::base::tr("表格没有提供 cols、Rows 和 TextMatrix"));
        }
        grid::Sheet &sheet = session.sheet;
        sheet.setMaxCols(grid->cols);
        sheet.setMaxRows(std::max(0, grid->rows - 1));
        if (!rpName.isEmpty())
            session.reportName = definitions::trimBlanks(rpName);

        db::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                              session.connection, Access::ReadOnly);
        if (definitions::notFound(def)) {
            w.show();
            // Without a stored report the grid's header row is the labels' row.
            const bool redraw = sheet.redraw();
            sheet.setRedraw(false);
            for (int i = 0; i <= grid->rows - 1; ++i) {
                for (int j = 0; j <= grid->cols - 1; ++j)
                    sheet.setText(j + 1, i, grid->text(i, j));
            }
            sheet.setRedraw(redraw);
        } else {
            report::RunRequest run;
            run.source.kind = report::RunSource::Kind::Grid;
            run.source.grid = *grid;
            run.totals = {ishj, HJcol};
            // The host's grid is data: it is grouped as the report's query would be.
            report::buildReport(session, definitions::readDefinition(def), run);
        }
        try {
            act(w, isshow, false, *base::interaction().progress(&w));
        } catch (const PrintFailed &p) {
            busy.reset();
            tellPrintFailed(&w, p);
            busy.emplace();
        }
        w.refreshForBuiltReport();
        w.disableForGridData();
        report::addRunTotals(session, {ishj, HJcol});
        busy.reset();
    } catch (const std::exception &e) {
        busy.reset();
        base::showInformation(window, queryFailedText(e), base::infoTitle());
    }
}

}  // namespace

QString component::queryFailedMessage() {
    return tessel::base::tr("查询有误，不能生成报表，请确认是否点击查询按钮。");
}

void clsReport::PrintPreSQL1(const QString &sql, const QString &reportName, int isshow, bool ishj) {
    runSql(sql, reportName, isshow, ishj, std::nullopt);
}

void clsReport::PrintPreSQL1(const QString &sql, const QString &reportName, int isshow, bool ishj,
                             const QVariant &HJcol) {
    runSql(sql, reportName, isshow, ishj, HJcol);
}

void clsReport::PrintPreGrid(QObject *gd, const QString &rpName, int isshow, bool ishj) {
    runGrid(gd, rpName, isshow, ishj, std::nullopt);
}

void clsReport::PrintPreGrid(QObject *gd, const QString &rpName, int isshow, bool ishj,
                             const QVariant &HJcol) {
    runGrid(gd, rpName, isshow, ishj, HJcol);
}

void clsReport::getReport(const QString &name, int col, int isshow, float rowH) {
    auto &state = sharedState();
    auto &session = state.session;
    // Names are trimmed of spaces alone, as every writer of a report name trims them: a tab
    // or a full-width space is part of the name.
    if (const QString given = definitions::trimBlanks(name); !given.isEmpty())
        session.reportName = given;
    designer::PrintSpread &w = state.designer();
    grid::Sheet &sheet = session.sheet;

    db::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                          session.connection, Access::ReadOnly);
    if (definitions::notFound(def)) {
        base::showInformation(&w, kNoDefinition(), base::infoTitle());
        sheet.setRowHeight(0, double(rowH));
        w.markClean();  // the height is the host's, not a change of the user's
        w.show();
        def.close();
        w.disableForUnstoredReport();
        return;
    }
    // Whatever the arguments, the row is labelled and holds no sums; the rows are never
    // grouped.
    report::RunRequest run;
    run.source.columns = col;
    run.grouped = false;
    run.totals = {true, QVariant()};
    report::buildReport(session, definitions::readDefinition(def), run);
    try {
        act(w, isshow, true, *base::interaction().progress(&w));
    } catch (const PrintFailed &p) {
        throw p.error;  // getReport returns its errors to the host
    }
    w.refreshForBuiltReport();
    report::addRunTotals(session, run.totals);
}

}  // namespace tessel
