#include "report/ParamsStep.h"

#include "base/Interaction.h"
#include "base/MessageTitles.h"
#include "base/ValueText.h"
#include "definitions/Columns.h"
#include "params/ComposeQuery.h"
#include "params/StoredParameters.h"
#include "report/StoredSetting.h"

namespace tessel::report {

params::Parameters ReadParameters(ReportSession &session) {
    const std::optional<QVariant> stored = storedSetting(session, definitions::column::kParams);
    const QString text = stored ? (stored->isNull() ? QString() : base::valueToText(*stored))
                                : session.params.value(session.reportName);
    if (text.trimmed().isEmpty())
        return {};
    params::StoredParameters read = params::readParameters(text);
    const QString told = session.reportName + u'\n' + text;
    if (!read.ignored.isEmpty() && !session.paramNotices.contains(told)) {
        session.paramNotices.insert(told);
        base::showInformation(nullptr, params::ignoredNotice(session.reportName, read.ignored),
                              base::noticeTitle());
    }
    return std::move(read.parameters);
}

db::Statement ComposeRunQuery(ReportSession &session, const QString &storedQuery,
                              const QString &where, const QVariantMap &given, const QDate &today) {
    const params::Parameters parameters = ReadParameters(session);
    const params::ParamValues values = params::resolveValues(parameters, given, today);
    return params::composeQuery(storedQuery, where, parameters, values,
                                session.connection.dialect());
}

}  // namespace tessel::report
