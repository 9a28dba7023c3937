#include "report/StoredSetting.h"

#include "definitions/OptionalColumns.h"

namespace tessel::report {

std::optional<QVariant> storedSetting(const ReportSession &session, const QString &name) {
    if (!definitions::hasOptionalColumn(session.connection, name))
        return std::nullopt;
    return definitions::readOptionalColumn(session.connection, name, session.reportName)
        .value_or(QVariant());
}

}  // namespace tessel::report
