#include "report/GroupingStep.h"

#include <algorithm>
#include <vector>

#include "base/Interaction.h"
#include "base/MessageTitles.h"
#include "groups/ArrangeGroups.h"
#include "groups/StoredGrouping.h"
#include "report/ReportGrouping.h"
#include "report/SheetBuilding.h"
#include "report/StepAttempt.h"

namespace tessel::report {

namespace {

// Arranges the sheet's rows by `grouping`, a level without totals summing the run's totals
// columns or the numeric ones.
void arrange(grid::Sheet &sheet, const grid::Grouping &grouping,
             const std::optional<QVariant> &totalsColumns) {
    const bool needsDefaults =
        std::any_of(grouping.levels.begin(), grouping.levels.end(),
                    [](const grid::GroupLevel &l) { return !l.totals.has_value(); });
    std::vector<int> defaults;
    if (needsDefaults) {
        std::optional<std::vector<int>> given;
        if (totalsColumns)
            given = totalsColumnList(*totalsColumns);
        defaults = groups::defaultTotalColumns(sheet, given);
    }
    attempt([&] { groups::arrangeGroups(sheet, grouping, defaults); });
}

}  // namespace

void ApplyGrouping(report::ReportSession &session, const std::optional<QVariant> &totalsColumns) {
    if (session.groupsOff)
        return;
    attempt([&] {
        const QString text = storedGroupingText(session);
        const groups::StoredGrouping read = groups::readGrouping(text, session.sheet.maxCols());
        // The sheet first: the report runs with what can be used whether or not the message
        // can be shown.
        arrange(session.sheet, read.grouping, totalsColumns);
        const QString told = session.reportName + u'\n' + text;
        if (!read.ignored.isEmpty() && !session.groupingNotices.contains(told)) {
            session.groupingNotices.insert(told);
            base::showInformation(nullptr, groups::ignoredNotice(session.reportName, read.ignored),
                                  base::noticeTitle());
        }
    });
}

void ApplyGrouping(report::ReportSession &session, const grid::Grouping &grouping,
                   const std::optional<QVariant> &totalsColumns) {
    attempt([&] {
        // A grouping of page totals alone, or none, arranges no rows: the earlier header and
        // subtotal rows must go first.
        groups::removeGroups(session.sheet);
        arrange(session.sheet, grouping, totalsColumns);
    });
}

}  // namespace tessel::report
