#include "report/PaperStep.h"

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "definitions/Columns.h"
#include "definitions/OptionalColumns.h"
#include "report/StepAttempt.h"
#include "report/StoredSetting.h"

namespace tessel::report {

void ApplyPaper(report::ReportSession &session) {
    attempt([&] {
        grid::Paper paper = session.papers.value(session.reportName, grid::Paper{});
        std::optional<QString> unread;  // a stored text that names no paper
        if (const std::optional<QVariant> stored =
                storedSetting(session, definitions::column::kPaper)) {
            const std::optional<grid::Paper> decoded = definitions::decodePaper(*stored);
            paper = decoded.value_or(grid::Paper{});
            if (!decoded)
                unread = stored->toString();
        }
        // The sheet first: the report runs on A4 whether or not the message can be shown.
        grid::PrintSettings p = session.sheet.print();
        p.paper = paper;
        session.sheet.setPrint(p);
        if (unread && !session.paperNotices.contains(session.reportName + u'\n' + *unread)) {
            session.paperNotices.insert(session.reportName + u'\n' + *unread);
            base::showInformation(
                nullptr,
                tessel::base::tr("报表“%1”的纸张“%2”无法识别，按 A4 打印。纸张可写作 A3、A4、"
                                 "A5、B5、Letter、Legal 或 宽x高mm（如 241x280mm）。")
                    .arg(session.reportName, *unread),
                base::noticeTitle());
        }
    });
}

}  // namespace tessel::report
