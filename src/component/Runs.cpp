// The three report runs: PrintPreSQL1, PrintPreGrid and getReport.
#include <tessel/clsReport.h>

#include "component/HostGrid.h"
#include "component/SharedState.h"
#include "definitions/DefinitionRecord.h"
#include "definitions/Definitions.h"
#include "platform/Interaction.h"
#include "platform/sheet/Printing.h"
#include "sheet/SheetBuilding.h"
#include "ui/ErrorMessage.h"
#include "ui/MessageTitles.h"

namespace tessel {

using component::sharedState;
using definitions::Access;

namespace {

const QString kNoDefinition = QStringLiteral("不存在这个报表数据，请新建报表。");
const QString kQueryFailed = QStringLiteral("查询有误，不能生成报表，请确认是否点击查询按钮。");

// The run's message and, on a line of its own, why the database refused or broke off when it
// said so (a server that went away, a statement cancelled, a refused query): a user facing a
// server fault must see the server's reason, not only the advice to check the query.
QString queryFailedText(const std::exception &e) {
    const auto *error = dynamic_cast<const Error *>(&e);
    if (!error)
        return kQueryFailed;
    QString reason = error->databaseText().trimmed();
    if (error->category() == Error::Category::Connection)
        reason = error->fullText().trimmed();  // "connection lost" and the server's text
    return reason.isEmpty() ? kQueryFailed : kQueryFailed + u'\n' + reason;
}

// A print failure is not a query failure: the user is told what went wrong with printing.
class PrintFailed : public std::runtime_error {
public:
    explicit PrintFailed(const Error &e) : std::runtime_error(e.what()), error(e) {}
    Error error;
};

void printNow(const platform::Sheet &sheet, bool busy) {
    std::optional<platform::BusyCursor> cursor;
    if (busy)
        cursor.emplace();
    try {
        platform::printSheet(sheet);
    } catch (const Error &e) {
        throw PrintFailed(e);
    }
}

void tellPrintFailed(QWidget *parent, const PrintFailed &p) {
    platform::showWarning(parent, ui::errorMessage(QStringLiteral("打印失败"), p.error),
                          ui::kWarningTitle);
}

// The header row height of the definition; a definition without one (a report the data-set
// wizard created and the designer never saved) keeps the sheet's height.
void applyHeaderHeight(const definitions::DefinitionRecord &def, platform::Sheet &sheet) {
    if (const std::optional<double> height = def.headerHeight.value())
        sheet.setRowHeight(0, *height);
}

// Shows the built sheet as `isshow` asks: 0 the designer, 1 the preview, 2 the printer.
void act(designer::PrintSpread &w, int isshow, bool busyWhilePrinting) {
    switch (isshow) {
        case 0:
            w.show();
            break;
        case 1:
            w.onPreview();
            break;
        case 2:
            printNow(w.sheet(), busyWhilePrinting);
            break;
        default:
            break;
    }
}

void runSql(const QString &sql, const QString &reportName, int isshow, bool ishj,
            const std::optional<QVariant> &HJcol) {
    auto &state = sharedState();
    auto &session = state.session;
    designer::PrintSpread *window = nullptr;
    try {
        session.querySQL = sql;
        designer::PrintSpread &w = state.reloadDesigner();
        window = &w;
        if (!reportName.isEmpty())
            session.reportName = reportName;
        session.whereSQL = definitions::tailFromWhere(sql);
        platform::Sheet &sheet = session.sheet;

        platform::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                                    session.connection, Access::ReadOnly);
        if (definitions::notFound(def)) {
            platform::showInformation(&w, kNoDefinition, ui::kInfoTitle);
            platform::Recordset data;
            data.open(sql, session.connection, platform::CursorType::ForwardOnly,
                      platform::LockType::ReadOnly, platform::kCommandText);
            sheet::FillFromRecordset(data, sheet);
            sheet::SetHeadersFromFields(data, sheet);
            sheet.setRowHeight(0, 11.5);
            w.show();
            data.close();
            w.disableForUnstoredReport();
        } else {
            const definitions::DefinitionRecord stored = definitions::readDefinition(def);
            sheet::ApplyDefinition(stored, sheet, session.mergeList);
            sheet::ApplyFitPagesWide(session);
            sheet::ApplyColumnFormats(session);
            const QString query =
                definitions::cutBeforeWhere(stored.query.value()) + u' ' + session.whereSQL;
            platform::Recordset data;
            data.open(query, session.connection, platform::CursorType::ForwardOnly,
                      platform::LockType::ReadOnly, platform::kCommandText);
            applyHeaderHeight(stored, sheet);
            sheet::SetLabelsAndWidths(stored.labels.value(), stored.widths.value(),
                                      data.fieldCount(), sheet);
            sheet::FillFromRecordset(data, sheet);
            try {
                act(w, isshow, true);
            } catch (const PrintFailed &p) {
                tellPrintFailed(&w, p);
            }
        }
        w.refreshForBuiltReport();
        if (ishj)
            sheet::AddTotalsRow(sheet, HJcol);
    } catch (const std::exception &e) {
        platform::showInformation(window, queryFailedText(e), ui::kInfoTitle);
    }
}

void runGrid(QObject *gd, const QString &rpName, int isshow, bool ishj,
             const std::optional<QVariant> &HJcol) {
    auto &state = sharedState();
    auto &session = state.session;
    designer::PrintSpread *window = nullptr;
    std::optional<platform::BusyCursor> busy;
    try {
        designer::PrintSpread &w = state.reloadDesigner();
        window = &w;
        busy.emplace();
        const std::optional<component::HostGrid> grid = component::readHostGrid(gd);
        if (!grid) {
            throw Error(Error::Category::Argument,
                        QStringLiteral("The grid offers no cols, Rows and TextMatrix"));
        }
        platform::Sheet &sheet = session.sheet;
        sheet.setMaxCols(grid->cols);
        sheet.setMaxRows(std::max(0, grid->rows - 1));
        if (!rpName.isEmpty())
            session.reportName = definitions::trimBlanks(rpName);

        platform::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                                    session.connection, Access::ReadOnly);
        int firstRow = 0;
        if (definitions::notFound(def)) {
            w.show();
        } else {
            const definitions::DefinitionRecord stored = definitions::readDefinition(def);
            const int count = definitions::requireColumnCount(stored);
            sheet::SetLabelsAndWidths(stored.labels.value(), stored.widths.value(), count, sheet);
            sheet::ApplyDefinition(stored, sheet, session.mergeList);
            sheet::ApplyFitPagesWide(session);
            sheet::ApplyColumnFormats(session);
            firstRow = 1;
        }
        const bool redraw = sheet.redraw();
        sheet.setRedraw(false);
        for (int i = firstRow; i <= grid->rows - 1; ++i) {
            for (int j = 0; j <= grid->cols - 1; ++j)
                sheet.setText(j + 1, i, grid->text(i, j));
        }
        sheet.setRedraw(redraw);
        try {
            act(w, isshow, false);
        } catch (const PrintFailed &p) {
            busy.reset();
            tellPrintFailed(&w, p);
            busy.emplace();
        }
        w.refreshForBuiltReport();
        w.disableForGridData();
        if (ishj)
            sheet::AddTotalsRow(sheet, HJcol);
        busy.reset();
    } catch (const std::exception &e) {
        busy.reset();
        platform::showInformation(window, queryFailedText(e), ui::kInfoTitle);
    }
}

}  // namespace

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
    platform::Sheet &sheet = session.sheet;

    platform::Recordset def = definitions::open(definitions::selectReport(session.reportName),
                                                session.connection, Access::ReadOnly);
    if (definitions::notFound(def)) {
        platform::showInformation(&w, kNoDefinition, ui::kInfoTitle);
        sheet.setRowHeight(0, double(rowH));
        w.show();
        def.close();
        w.disableForUnstoredReport();
        return;
    }
    const definitions::DefinitionRecord stored = definitions::readDefinition(def);
    sheet::ApplyDefinition(stored, sheet, session.mergeList);
    sheet::ApplyFitPagesWide(session);
    sheet::ApplyColumnFormats(session);
    applyHeaderHeight(stored, sheet);
    sheet::SetLabelsAndWidths(stored.labels.value(), stored.widths.value(), col, sheet);
    try {
        act(w, isshow, true);
    } catch (const PrintFailed &p) {
        throw p.error;  // getReport returns its errors to the host
    }
    w.refreshForBuiltReport();
    // Whatever the arguments, the row is labelled and holds no sums.
    sheet::AddTotalsRow(sheet, QVariant());
}

}  // namespace tessel
