#include "report/ReportVariables.h"

#include <tessel/Error.h>

#include "base/ValueText.h"

namespace tessel::report {

namespace {
[[noreturn]] void refuse(const QString &message) {
    throw Error(Error::Category::Argument, message);
}
}  // namespace

QVariantList reportVariableList(const QVariant &tslVar) {
    // Only the first two entries of a row are read (name, value); more are allowed. A text is
    // never taken for a list, whatever conversions Qt offers for it.
    if (!tslVar.canConvert<QVariantList>() || tslVar.typeId() == QMetaType::QString) {
        refuse(QStringLiteral("Report variables must be a list of (name, value) rows"));
    }
    const QVariantList rows = tslVar.toList();
    QVariantList list;
    list.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QVariant &row = rows[i];
        if (row.typeId() == QMetaType::QString || !row.canConvert<QVariantList>() ||
            row.toList().size() < 2) {
            refuse(QStringLiteral("Report variable row %1 is not a (name, value) pair").arg(i));
        }
        const QVariantList pair = row.toList();
        list.push_back(QVariantList{QStringLiteral("V") + base::valueToText(pair[0]), pair[1]});
    }
    return list;
}

}  // namespace tessel::report
