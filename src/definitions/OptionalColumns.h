// Columns of tsl_report that a host's table may or may not have. Settings added after the
// table's first design live in such columns: a table that has the column keeps the setting
// in the report's row, a table without it works as it always did. Each optional column is
// read and written by statements of its own, never by the statements every table answers.
//
// Which columns a table has is looked up once per connection (a connection opened anew, or
// a host's connection on another database, is looked up again) and kept for the thread.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

#include "db/Connection.h"
#include "grid/Sheet.h"

class QWidget;

namespace tessel::definitions {

// How an optional column is typed, whatever the database: a whole number, a text of at most
// `length` characters, or a text of any length (the structured settings).
enum class OptionalType { Integer, Text, LongText };

struct OptionalColumn {
    QString name;
    OptionalType type = OptionalType::Text;
    int length = 0;  // the longest text, for OptionalType::Text
};

// Every optional column tsl_report may have, in the order they were added: 页宽缩放
// integer, 列格式 varchar(400), 纸张 varchar(40), 分组, 条件格式, 图表 and 参数 text.
const std::vector<OptionalColumn> &optionalColumns();

// The statement that adds optional column `name` to tsl_report on a database of `dialect`:
// "alter table tsl_report add 列格式 varchar(400)" (SQL Server: nvarchar, and nvarchar(max)
// for a text of any length, so Chinese text keeps). Empty for a name that is no optional
// column.
QString addColumnStatement(const QString &name, db::Dialect dialect);

// What the user is told when a setting stored in optional column `name` can be kept only for
// the session because tsl_report on `connection` lacks the column: the column and the
// statement that adds it on this database. Given once per connection and column; nullopt
// every later time and when the table has the column.
std::optional<QString> sessionOnlyNotice(const db::Connection &connection, const QString &name);

// Shows sessionOnlyNotice (when there is one) over `parent`, with the information icon.
void tellIfSessionOnly(QWidget *parent, const db::Connection &connection, const QString &name);

// Whether tsl_report on `connection` has the column `name` (compared case-insensitively).
// A table that cannot be read counts as having none, and is looked up again next time.
bool hasOptionalColumn(const db::Connection &connection, const QString &name);

// Forgets what is known of the columns of tsl_report on `connection`: the next question
// looks them up again (after the host has altered the table).
void forgetOptionalColumns(const db::Connection &connection);

// The value of optional column `name` in the row of report `report`: nullopt when the table
// has no such column or no row has that name; a null QVariant for NULL. Throws Error when
// the database refuses the read.
std::optional<QVariant> readOptionalColumn(const db::Connection &connection, const QString &name,
                                           const QString &report);

// Stores `value` in optional column `name` of the row of report `report`. Returns false,
// storing nothing, when the table has no such column; true otherwise (also when no row has
// that name). Throws Error when the database refuses the write.
bool writeOptionalColumn(const db::Connection &connection, const QString &name,
                         const QString &report, const QVariant &value);

// The pages wide a stored 页宽缩放 value asks for: a whole number 0..kMaxFitPagesWide
// (blanks around allowed, a decimal rounded); nullopt for NULL or anything else.
constexpr int kMaxFitPagesWide = 99;
std::optional<int> decodeFitPagesWide(const QVariant &stored);

// 列格式 as written: the format codes (grid::formatCode: "" general, "#,##0",
// "#,##0.00", "0.0%", "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss", "@") of columns 1..count of
// `sheet`, each followed by nothing but the separator "|" before the next, in the manner
// of 列宽 (element i is column i + 1). General columns at the end are left out, so a report
// without formats stores the empty text: "|#,##0.00||yyyy-MM-dd" formats columns 2 and 4.
QString encodeColumnFormats(const grid::Sheet &sheet, int count);
// 列格式 as read: element i is column i + 1's format; an empty or unknown code (and NULL,
// as the empty text) is the general format.
std::vector<grid::ColumnFormat> decodeColumnFormats(const QString &text);

// 纸张 as written (at most 40 characters): the paper's name ("A3", "Letter", "241x280mm")
// or its size "<width>x<height>mm", the width running across the printed page.
QString encodePaper(const grid::Paper &paper);
// 纸张 as read: NULL and the empty text are A4; nullopt for a text that names no paper.
std::optional<grid::Paper> decodePaper(const QVariant &stored);

}  // namespace tessel::definitions
