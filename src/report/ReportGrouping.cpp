#include "report/ReportGrouping.h"

#include "base/ValueText.h"
#include "definitions/Columns.h"
#include "report/StoredSetting.h"

namespace tessel::report {

QString storedGroupingText(const ReportSession &session) {
    const std::optional<QVariant> stored = storedSetting(session, definitions::column::kGrouping);
    if (!stored)
        return session.groupings.value(session.reportName);
    return stored->isNull() ? QString() : base::valueToText(*stored);
}

groups::StoredGrouping readReportGrouping(const ReportSession &session, int columnCount) {
    return groups::readGrouping(storedGroupingText(session), columnCount);
}

}  // namespace tessel::report
