#include "report/ChartsStep.h"

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "base/ValueText.h"
#include "charts/ChartData.h"
#include "charts/StoredCharts.h"
#include "definitions/Columns.h"
#include "report/StepAttempt.h"
#include "report/StoredSetting.h"

namespace tessel::report {

namespace {

// Puts the charts of `read` the sheet can draw on it and tells, once per report and `text`
// (the stored form they came from), what was left out.
void placeCharts(report::ReportSession &session, charts::StoredCharts read, const QString &text) {
    grid::Sheet &sheet = session.sheet;
    // A chart the rows cannot give points (groups without a grouping) is told here, once,
    // rather than left out of the pages without a word.
    grid::ChartSpecs drawn;
    for (grid::ChartSpec &chart : read.charts) {
        const QString why = charts::chartDataProblem(sheet, chart);
        if (why.isEmpty()) {
            drawn.push_back(std::move(chart));
        } else {
            read.ignored.append(chart.title.isEmpty()
                                    ? why
                                    : tessel::base::tr("图表“%1”：%2").arg(chart.title, why));
        }
    }
    // The sheet first: the report runs with what can be drawn whether or not the message
    // can be shown.
    sheet.setCharts(std::move(drawn));
    const QString told = session.reportName + u'\n' + text;
    if (!read.ignored.isEmpty() && !session.chartNotices.contains(told)) {
        session.chartNotices.insert(told);
        base::showInformation(nullptr, charts::ignoredNotice(session.reportName, read.ignored),
                              base::noticeTitle());
    }
}

}  // namespace

void ApplyCharts(report::ReportSession &session) {
    grid::Sheet &sheet = session.sheet;
    // No charts unless they are read: a refused read must not leave an earlier report's.
    attempt([&] { sheet.setCharts({}); });
    if (session.chartsOff)
        return;
    attempt([&] {
        const std::optional<QVariant> stored = storedSetting(session, definitions::column::kCharts);
        const QString text = stored ? (stored->isNull() ? QString() : base::valueToText(*stored))
                                    : session.charts.value(session.reportName);
        placeCharts(session, charts::readCharts(text, sheet.maxCols()), text);
    });
}

void ApplyCharts(report::ReportSession &session, grid::ChartSpecs charts) {
    attempt([&] {
        const QString text = charts::writeCharts(charts);
        charts::StoredCharts given;
        given.charts = std::move(charts);
        placeCharts(session, std::move(given), text);
    });
}

}  // namespace tessel::report
