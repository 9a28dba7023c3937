#include "report/ReportGrouping.h"

#include "definitions/Columns.h"
#include "definitions/OptionalColumns.h"

namespace tessel::report {

QString storedGroupingText(const ReportSession &session) {
    const QString &column = definitions::column::kGroups;
    if (!definitions::hasOptionalColumn(session.connection, column))
        return session.groupings.value(session.reportName);
    return definitions::readOptionalColumn(session.connection, column, session.reportName)
        .value_or(QVariant())
        .toString();
}

groups::StoredGrouping readReportGrouping(const ReportSession &session, int columnCount) {
    return groups::readGrouping(storedGroupingText(session), columnCount);
}

}  // namespace tessel::report
