#include "report/NumberWidthStep.h"

#include <QStringList>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "print/CellLayout.h"
#include "print/NumberWidths.h"
#include "report/StepAttempt.h"

namespace tessel::report {

void WidenForNumbers(ReportSession &session) {
    attempt([&] {
        const std::vector<int> widened = print::widenForNumbers(session.sheet);
        if (widened.empty())
            return;
        QStringList labels;
        for (const int col : widened)
            labels << print::columnLabel(session.sheet, col);
        const QString columns = labels.join(tessel::base::tr("、"));
        const QString told = session.reportName + u'\n' + columns;
        if (session.numberWidthNotices.contains(told))
            return;
        session.numberWidthNotices.insert(told);
        base::showInformation(
            nullptr,
            tessel::base::tr("报表“%1”的列“%2”放不下其中的数字，本次已将其加宽。在设计器中双击"
                             "该列标题的右边界后保存，可保留合适的列宽。")
                .arg(session.reportName, columns),
            base::noticeTitle());
    });
}

}  // namespace tessel::report
