#include "report/ReportGrouping.h"

#include "base/ValueText.h"
#include "definitions/Columns.h"
#include "definitions/OptionalColumns.h"

namespace tessel::report {

QString storedGroupingText(const ReportSession &session) {
    const QString &column = definitions::column::kGrouping;
    if (!definitions::hasOptionalColumn(session.connection, column))
        return session.groupings.value(session.reportName);
    const QVariant stored =
        definitions::readOptionalColumn(session.connection, column, session.reportName)
            .value_or(QVariant());
    return stored.isNull() ? QString() : base::valueToText(stored);
}

groups::StoredGrouping readReportGrouping(const ReportSession &session, int columnCount) {
    return groups::readGrouping(storedGroupingText(session), columnCount);
}

}  // namespace tessel::report
