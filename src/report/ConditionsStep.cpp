#include "report/ConditionsStep.h"

#include "base/Interaction.h"
#include "base/MessageTitles.h"
#include "base/ValueText.h"
#include "conditions/StoredConditions.h"
#include "definitions/Columns.h"
#include "report/StepAttempt.h"
#include "report/StoredSetting.h"

namespace tessel::report {

void ApplyConditions(report::ReportSession &session) {
    grid::Sheet &sheet = session.sheet;
    // No rules unless they are read: a refused read must not leave an earlier report's.
    attempt([&] { sheet.setConditions({}); });
    attempt([&] {
        const std::optional<QVariant> stored =
            storedSetting(session, definitions::column::kConditions);
        const QString text = stored ? (stored->isNull() ? QString() : base::valueToText(*stored))
                                    : session.conditions.value(session.reportName);
        conditions::StoredConditions read = conditions::readConditions(text, sheet.maxCols());
        // The sheet first: the report runs with what can be used whether or not the message
        // can be shown.
        sheet.setConditions(std::move(read.rules));
        const QString told = session.reportName + u'\n' + text;
        if (!read.ignored.isEmpty() && !session.conditionNotices.contains(told)) {
            session.conditionNotices.insert(told);
            base::showInformation(nullptr,
                                  conditions::ignoredNotice(session.reportName, read.ignored),
                                  base::noticeTitle());
        }
    });
}

}  // namespace tessel::report
