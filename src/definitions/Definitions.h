// The report definition record: one row of tsl_report per report, keyed by 报表名称.
// Statements on the table, how its rows are opened, and the codecs of its list columns.
//
// Every statement keeps its exact text; the report name and the values the designer writes
// are bound as parameters, so a name with a quote in it is data, not SQL.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/SqlDialect.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::definitions {

// ---- statements

// "select * from tsl_report where 报表名称='<name>'": the lookup of runs, the report list,
// the print options, the header/footer editor and page setup.
db::Statement selectReport(const QString &name);
// "select * from tsl_report where 报表名称= '<name>'": the saves of the designer and of the
// data-set wizard.
db::Statement selectReportForSave(const QString &name);
// "select * from tsl_report where 报表名称 = '<name>'": the data-set wizard's load.
db::Statement selectReportForWizard(const QString &name);
// "select 报表名称 from tsl_report": the report list.
db::Statement selectReportNames();
// "delete from tsl_report where 报表名称='<name>'".
db::Statement deleteReport(const QString &name);
// "update tsl_report set 列宽='<widths>',行高='<height>',合并='<merges>' where 报表名称 =
// '<name>'".
db::Statement updateLayout(const QString &widths, const QString &height, const QString &merges,
                           const QString &name);
// "update tsl_report set 列标注 = '<labels>' where 报表名称 = '<name>'".
db::Statement updateLabels(const QString &labels, const QString &name);

// ---- opening rows

// How a definition statement is opened.
enum class Access {
    ReadOnly,     // read-only lock, command type text; the row is held (static cursor), so
                  // the connection is free for the report's own query meanwhile
    Editable,     // dynamic cursor, optimistic lock, command type text
    WizardLoad,   // forward-only, read-only, command type left unspecified
    AllDefaults,  // cursor, lock and command type all left unspecified (reads only)
};

// Opens `statement` on `connection` as `access` says. Throws Error(Connection) without an
// open connection and Error(Statement) with the database's text when the query fails.
db::Recordset open(const db::Statement &statement, const db::Connection &connection, Access access);

// True when a lookup found no definition: the result is at its beginning or at its end.
// Throws Error(Statement) when `rs` is not open.
bool notFound(const db::Recordset &rs);

// ---- list columns

// 列宽 as written: the widths of columns 1..count in the sheet's width unit, each in its
// shortest decimal form followed by one space, the whole trimmed.
QString encodeWidths(const grid::Sheet &sheet, int count);
// 列宽 as read: the text split at every single space; element i is column i + 1's width.
// Two spaces in a row give an empty element, which shifts every later width by one column.
// An empty text gives no elements.
QStringList decodeWidths(const QString &text);

// 列标注 as written: the header texts (row 0) of columns 1..count, each followed by "，",
// the whole trimmed.
QString encodeLabels(const grid::Sheet &sheet, int count);
// 列标注 as read: the text split at every "，" (a saved list ends with an empty element).
// An empty text gives no elements.
QStringList decodeLabels(const QString &text);

// 合并 as read: the text split at every ","; each element names a sheet column (from 1).
// An empty text gives no elements.
QStringList decodeMerges(const QString &text);

// A number stored as text: decimal notation with "." and an optional exponent, whitespace
// around allowed, no group separators ("1,000" is no number). Infinities, NaN and every
// other text give nullopt.
std::optional<double> decodeNumber(const QString &text);

// 列数 as read: a whole number, or a real or a decimal text (blanks around allowed) rounded
// to the nearest whole number, halves to the even one ("2.5" gives 2). NULL, a text that is
// no number and a number outside the int range give nullopt: the count cannot be read.
std::optional<int> decodeColumnCount(const QVariant &stored);

// 行高 as written: the header row's height in points, in its shortest decimal form.
QString encodeHeaderHeight(const grid::Sheet &sheet);

// ---- texts

// `text` without leading and trailing blanks (U+0020 only): names, labels and lists are
// trimmed of blanks as they are written; a tab or line break is content.
QString trimBlanks(const QString &text);

// ---- queries

// A query without its condition: the text before its where (db::findWhere: the keyword in
// any case, outside literals, quoted names and comments; the blank ahead of it stays), or the
// whole text when it has none.
QString cutBeforeWhere(const QString &query);
// The condition of a query: the text from its where (as cutBeforeWhere finds it) to the end,
// "where" included; empty when it has none.
QString tailFromWhere(const QString &query);

}  // namespace tessel::definitions
