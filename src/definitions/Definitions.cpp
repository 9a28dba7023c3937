#include "definitions/Definitions.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "base/ValueText.h"
#include "db/SqlClauses.h"
#include "grid/Sheet.h"

namespace tessel::definitions {

using db::bindQuoted;
using db::Statement;

namespace {

QStringList splitList(const QString &text, QChar separator) {
    if (text.isEmpty())
        return {};
    return text.split(separator, Qt::KeepEmptyParts);
}

}  // namespace

Statement selectReport(const QString &name) {
    return bindQuoted(QStringLiteral("select * from tsl_report where 报表名称='%1'"), {name});
}

Statement selectReportForSave(const QString &name) {
    return bindQuoted(QStringLiteral("select * from tsl_report where 报表名称= '%1'"), {name});
}

Statement selectReportForWizard(const QString &name) {
    return bindQuoted(QStringLiteral("select * from tsl_report where 报表名称 = '%1'"), {name});
}

Statement selectReportNames() {
    return Statement{QStringLiteral("select 报表名称 from tsl_report"), {}};
}

Statement deleteReport(const QString &name) {
    return bindQuoted(QStringLiteral("delete from tsl_report where 报表名称='%1'"), {name});
}

Statement updateLayout(const QString &widths, const QString &height, const QString &merges,
                       const QString &name) {
    return bindQuoted(QStringLiteral("update tsl_report set 列宽='%1',行高='%2',合并='%3' "
                                     "where 报表名称 = '%4'"),
                      {widths, height, merges, name});
}

Statement updateLabels(const QString &labels, const QString &name) {
    return bindQuoted(QStringLiteral("update tsl_report set 列标注 = '%1' where 报表名称 = '%2'"),
                      {labels, name});
}

db::Recordset open(const Statement &statement, const db::Connection &connection, Access access) {
    using db::CursorType;
    using db::LockType;
    db::Recordset rs;
    switch (access) {
        case Access::ReadOnly:
            // A definition row is read while the report's query runs on the same connection:
            // a static (held) read keeps the connection free for it.
            rs.open(statement, connection, CursorType::Static, LockType::ReadOnly,
                    db::kCommandText);
            break;
        case Access::Editable:
            rs.open(statement, connection, CursorType::Dynamic, LockType::Optimistic,
                    db::kCommandText);
            break;
        case Access::WizardLoad:
            rs.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly,
                    db::kCommandDefault);
            break;
        case Access::AllDefaults:
            rs.open(statement, connection);
            break;
    }
    return rs;
}

bool notFound(const db::Recordset &rs) {
    return rs.bof() || rs.eof();
}

QString encodeWidths(const grid::Sheet &sheet, int count) {
    QString out;
    for (int c = 1; c <= count; ++c) {
        out += base::doubleToText(sheet.colWidth(c));
        out += u' ';
    }
    return trimBlanks(out);
}

QStringList decodeWidths(const QString &text) {
    return splitList(text, u' ');
}

QString encodeLabels(const grid::Sheet &sheet, int count) {
    QString out;
    for (int c = 1; c <= count; ++c) {
        out += sheet.text(c, 0);
        out += u'，';
    }
    return trimBlanks(out);
}

QStringList decodeLabels(const QString &text) {
    return splitList(text, u'，');
}

QStringList decodeMerges(const QString &text) {
    return splitList(text, u',');
}

std::optional<double> decodeNumber(const QString &text) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = c.toDouble(trimBlanks(text), &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<int> decodeColumnCount(const QVariant &stored) {
    if (!stored.isValid() || stored.isNull())
        return std::nullopt;
    double value = 0;
    bool ok = false;
    if (stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QByteArray) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        value = c.toDouble(trimBlanks(base::valueToText(stored)), &ok);
    } else {
        value = stored.toDouble(&ok);
    }
    // nearbyint rounds halves to even (the default rounding mode), as page numbers typed into
    // the print options are rounded.
    const double whole = std::nearbyint(value);
    if (!ok || !(whole >= double(std::numeric_limits<int>::min()) &&
                 whole <= double(std::numeric_limits<int>::max())))
        return std::nullopt;
    return int(whole);
}

QString encodeHeaderHeight(const grid::Sheet &sheet) {
    return base::doubleToText(sheet.rowHeight(0));
}

QString trimBlanks(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString cutBeforeWhere(const QString &query) {
    const qsizetype at = db::findWhere(query);
    return at < 0 ? query : query.left(at);
}

QString tailFromWhere(const QString &query) {
    const qsizetype at = db::findWhere(query);
    return at < 0 ? QString() : query.mid(at);
}

}  // namespace tessel::definitions
