#include "base/ErrorMessage.h"

#include <tessel/Error.h>

#include "base/Language.h"

namespace tessel::base {

QString errorMessage(const QString &whatFailed, const std::exception &e) {
    QString reason;
    if (const auto *error = dynamic_cast<const Error *>(&e)) {
        // The database layer's own sentence ("数据库拒绝了语句…") only repeats what the
        // window's sentence already says; the database's text is what tells the user why.
        const bool fromDatabase = error->category() == Error::Category::Connection ||
                                  error->category() == Error::Category::Statement;
        reason = fromDatabase && !error->databaseText().isEmpty() ? error->databaseText()
                                                                  : error->fullText();
    } else {
        reason = QString::fromLocal8Bit(e.what());
    }
    // The colon is the language's own: full width in Chinese, ": " in English.
    return tessel::base::tr("%1：%2").arg(whatFailed, reason.trimmed());
}

}  // namespace tessel::base
