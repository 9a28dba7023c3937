#include "definitions/OptionalColumns.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>
#include <cmath>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "db/Recordset.h"
#include "definitions/Columns.h"
#include "definitions/Definitions.h"

namespace tessel::definitions {

namespace {

// A connection is known by its Qt name together with where it leads: a host may close its
// named connection and open it again on another database.
QString connectionKey(const db::Connection &connection) {
    const QSqlDatabase db = connection.database();
    return db.connectionName() + u'\n' + db.driverName() + u'\n' + db.hostName() + u'\n' +
           QString::number(db.port()) + u'\n' + db.databaseName();
}

// A name as the driver gave it, without the NUL characters ODBC pads Chinese names with.
QString stripped(QString name) {
    name.remove(QChar(0));
    return name;
}

// Column names in upper case, per connection.
QHash<QString, QSet<QString>> &knownColumns() {
    thread_local QHash<QString, QSet<QString>> known;
    return known;
}

// The (connection, column) pairs the user was told about.
QSet<QString> &toldMissing() {
    thread_local QSet<QString> told;
    return told;
}

}  // namespace

const std::vector<OptionalColumn> &optionalColumns() {
    static const std::vector<OptionalColumn> columns{
        {column::kFitPagesWide, OptionalType::Integer},
        {column::kColumnFormats, OptionalType::Text, 400},
        {column::kPaper, OptionalType::Text, 40},
        {QStringLiteral("分组"), OptionalType::LongText},
        {QStringLiteral("条件格式"), OptionalType::LongText},
        {QStringLiteral("图表"), OptionalType::LongText},
        {column::kParams, OptionalType::LongText},
    };
    return columns;
}

QString addColumnStatement(const QString &name, db::Dialect dialect) {
    for (const OptionalColumn &c : optionalColumns()) {
        if (c.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // SQL Server keeps Chinese text only in its national types; the others take any text
        // in varchar and text.
        const bool national = dialect == db::Dialect::SqlServer;
        QString type;
        switch (c.type) {
            case OptionalType::Integer:
                type = national ? QStringLiteral("int") : QStringLiteral("integer");
                break;
            case OptionalType::Text:
                type = (national ? QStringLiteral("nvarchar(%1)") : QStringLiteral("varchar(%1)"))
                           .arg(c.length);
                break;
            case OptionalType::LongText:
                type = national ? QStringLiteral("nvarchar(max)") : QStringLiteral("text");
                break;
        }
        return QStringLiteral("alter table tsl_report add ") + c.name + u' ' + type;
    }
    return {};
}

std::optional<QString> sessionOnlyNotice(const db::Connection &connection, const QString &name) {
    if (!connection.isSet() || hasOptionalColumn(connection, name))
        return std::nullopt;
    const QString statement = addColumnStatement(name, connection.dialect());
    if (statement.isEmpty())
        return std::nullopt;
    const QString key = connectionKey(connection) + u'\n' + name.toUpper();
    if (toldMissing().contains(key))
        return std::nullopt;
    toldMissing().insert(key);
    return tessel::base::tr(
               "表 tsl_report 没有列“%1”，这项设置只在本次运行中有效，程序关闭后就会丢失。\n"
               "要长久保存，请在数据库上执行：\n%2")
        .arg(name, statement);
}

void tellIfSessionOnly(QWidget *parent, const db::Connection &connection, const QString &name) {
    if (const std::optional<QString> text = sessionOnlyNotice(connection, name))
        base::showInformation(parent, *text, base::infoTitle());
}

bool hasOptionalColumn(const db::Connection &connection, const QString &name) {
    if (!connection.isSet())
        return false;
    const QString key = connectionKey(connection);
    auto it = knownColumns().constFind(key);
    if (it == knownColumns().constEnd()) {
        // The driver's catalogue reads the table as it is now; a statement prepared on a
        // connection may describe it as that connection last read it (the SQLite ODBC driver
        // does). A table the catalogue does not show (a synonym) is asked through a query
        // that returns its columns and no row.
        QSet<QString> columns;
        try {
            connection.drainStreams();  // the catalogue query needs the connection free
            const QSqlRecord record = connection.database().record(QStringLiteral("tsl_report"));
            for (int i = 0; i < record.count(); ++i)
                columns.insert(stripped(record.fieldName(i)).toUpper());
            if (columns.isEmpty()) {
                db::Recordset rs;
                rs.open(db::Statement{QStringLiteral("select * from tsl_report where 1=0"), {}},
                        connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                        db::kCommandText);
                for (const QString &field : rs.fieldNames())
                    columns.insert(field.toUpper());
            }
        } catch (const std::exception &) {
            return false;  // unknown, not absent: asked again next time
        }
        it = knownColumns().insert(key, columns);
    }
    return it->contains(name.toUpper());
}

void forgetOptionalColumns(const db::Connection &connection) {
    if (connection.isSet())
        knownColumns().remove(connectionKey(connection));
}

std::optional<QVariant> readOptionalColumn(const db::Connection &connection, const QString &name,
                                           const QString &report) {
    if (!hasOptionalColumn(connection, name))
        return std::nullopt;
    db::Recordset rs =
        open(db::bindQuoted(QStringLiteral("select ") + name +
                                QStringLiteral(" from tsl_report where 报表名称='%1'"),
                            {report}),
             connection, Access::ReadOnly);
    if (notFound(rs))
        return std::nullopt;
    return rs.value(0);
}

bool writeOptionalColumn(const db::Connection &connection, const QString &name,
                         const QString &report, const QVariant &value) {
    if (!hasOptionalColumn(connection, name))
        return false;
    connection.execute(db::bindQuoted(QStringLiteral("update tsl_report set ") + name +
                                          QStringLiteral(" = %1 where 报表名称 = '%2'"),
                                      {value, report}));
    return true;
}

std::optional<int> decodeFitPagesWide(const QVariant &stored) {
    if (stored.isNull())
        return std::nullopt;
    const std::optional<double> number = decodeNumber(stored.toString());
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    const double rounded = std::nearbyint(*number);
    if (rounded < 0 || rounded > kMaxFitPagesWide)
        return std::nullopt;
    return int(rounded);
}

QString encodeColumnFormats(const grid::Sheet &sheet, int count) {
    QStringList codes;
    for (int c = 1; c <= count; ++c)
        codes << grid::formatCode(sheet.colFormat(c));
    while (!codes.isEmpty() && codes.last().isEmpty())
        codes.removeLast();
    return codes.join(u'|');
}

std::vector<grid::ColumnFormat> decodeColumnFormats(const QString &text) {
    std::vector<grid::ColumnFormat> formats;
    if (text.trimmed().isEmpty())
        return formats;
    for (const QString &code : text.split(u'|'))
        formats.push_back(grid::parseFormatCode(code).value_or(grid::ColumnFormat{}));
    return formats;
}

QString encodePaper(const grid::Paper &paper) {
    return grid::paperText(paper);
}

std::optional<grid::Paper> decodePaper(const QVariant &stored) {
    if (stored.isNull() || stored.toString().trimmed().isEmpty())
        return grid::Paper{};
    return grid::parsePaper(stored.toString());
}

}  // namespace tessel::definitions
