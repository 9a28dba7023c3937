#include <tessel/clsReport.h>

#include "base/Language.h"
#include "component/SharedState.h"
#include "grid/ColumnFormat.h"
#include "report/ReportVariables.h"

namespace tessel {

using component::sharedState;

namespace {

[[noreturn]] void refuse(const QString &message) {
    throw Error(Error::Category::Argument, message);
}

void requireAddress(int col, int row) {
    if (col < 0 || row < 0) {
        refuse(QStringLiteral("There is no cell at column %1, row %2").arg(col).arg(row));
    }
}

// The designer window when this thread can have one; the shared state either way.
void loadDesignerIfPossible() {
    try {
        sharedState().designer();
    } catch (const Error &) {
        // Off the GUI thread: the component works without its windows.
    }
}

// The working sheet, as the designer window holds it: a window closed by the user is
// loaded again first, and loading gives the sheet its design state. Writing to the sheet
// without that would put cells on a sheet the next load throws away.
grid::Sheet &designerSheet() {
    loadDesignerIfPossible();
    return sharedState().session.sheet;
}

}  // namespace

clsReport::clsReport(QObject *parent) : QObject(parent) {
    base::applyLanguageFromEnvironment();
    loadDesignerIfPossible();
    sharedState().session.mergeList.clear();
}

clsReport::~clsReport() = default;

QString clsReport::sqlAfter1() const {
    return m_sqlAfter1;
}
void clsReport::setSqlAfter1(const QString &v) {
    m_sqlAfter1 = v;
}
QString clsReport::sqlReport1() const {
    return m_sqlReport1;
}
void clsReport::setSqlReport1(const QString &v) {
    m_sqlReport1 = v;
}

void clsReport::ConDb(const QString &DbStr) {
    auto &session = sharedState().session;
    session.connection = db::Connection();
    session.connection.open(DbStr);
}

QSqlDatabase clsReport::tsDBc() const {
    return sharedState().session.connection.database();
}

void clsReport::setTsDBc(const QSqlDatabase &db) {
    sharedState().session.connection = db::Connection::wrap(db);
}

int clsReport::tsCols() const {
    return designerSheet().maxCols();
}
void clsReport::setTsCols(int n) {
    if (n < 0)
        refuse(QStringLiteral("A column count cannot be negative"));
    designerSheet().setMaxCols(n);
}
int clsReport::tsRows() const {
    return designerSheet().maxRows();
}
void clsReport::setTsRows(int n) {
    if (n < 0)
        refuse(QStringLiteral("A row count cannot be negative"));
    designerSheet().setMaxRows(n);
}

bool clsReport::Visible() const {
    const auto *w = sharedState().loadedDesigner();
    return w && w->isVisible();
}

void clsReport::setVisible(bool on) {
    sharedState().designer().setVisible(on);
}

QString clsReport::NameOfReport() const {
    return sharedState().session.reportName;
}
void clsReport::setNameOfReport(const QString &name) {
    sharedState().session.reportName = name;
}

void clsReport::PutVar(const QVariant &tslVar) {
    // The list is built (and the whole array checked) before the old one is replaced, so a
    // wrong shape leaves the old list in place.
    sharedState().session.tslVar = report::reportVariableList(tslVar);
}

void clsReport::setText(int col, int Row, const QVariant &strText) {
    requireAddress(col, Row);
    designerSheet().setValue(col, Row, strText);
}

QVariant clsReport::getText(int col, int Row) const {
    requireAddress(col, Row);
    return designerSheet().text(col, Row);
}

void clsReport::setNumberSeparators(QChar decimalPoint, QChar groupSeparator) {
    // A separator that could be read as part of a number would make formatted texts
    // ambiguous.
    for (const QChar c : {decimalPoint, groupSeparator}) {
        if (c.isDigit() || c == u'-' || c == u'+' || c == u'%')
            refuse(QStringLiteral("\"%1\" cannot separate the parts of a number").arg(c));
    }
    if (decimalPoint == groupSeparator)
        refuse(QStringLiteral("The decimal point and the thousands separator must differ"));
    grid::setNumberSeparators(grid::Separators{decimalPoint, groupSeparator});
}

bool clsReport::setLanguage(const QLocale &locale) {
    return base::setLanguage(locale);
}

}  // namespace tessel
