// SQL dialects and the translation of the SQL Server forms the component itself sends.
#pragma once

#include <QString>
#include <QVariantList>

namespace tessel::db {

// The server kind behind a connection; it decides how statements are translated.
enum class Dialect {
    SqlServer,   // statements pass unchanged
    SQLite,      // the component's SQL Server forms are rewritten
    PostgreSQL,  // the same, with the PostgreSQL catalogue
};

// Rewrites the SQL Server forms the component sends into `dialect`:
//  - `select [distinct|all] top N …` (also `top (N)`) becomes `select … limit N`, the limit
//    placed at the end of that select's scope (before its closing parenthesis or `;`);
//  - `N'text'` becomes `'text'`;
//  - `dbo.sysobjects` and `dbo.syscolumns` become subqueries over the catalogue with the
//    columns the component reads (`name`, `id`, `xtype`; `name`, `id`, `colid`);
//  - `object_id(x)` and `OBJECTPROPERTY(id, 'IsUserTable' | 'IsView')` become scalar
//    subqueries on the catalogue.
// String literals, quoted and bracketed identifiers, comments and every other token are
// copied as they stand, so Chinese names and quotes inside literals are never touched.
// With Dialect::SqlServer the text is returned unchanged.
QString translateSql(const QString &sql, Dialect dialect);

// A table or column name as a statement for `dialect` writes it: on PostgreSQL, which folds
// unquoted names to lower case, a plain name with upper-case letters ("Dept") in double
// quotes; every other name (Chinese ones, lower-case ones, names already quoted or not
// plain) unchanged.
QString identifierFor(const QString &name, Dialect dialect);

// The one table a `select … from TABLE [alias] [where …]` statement reads, without quoting
// (`dbo.` prefixes dropped); empty when the statement reads from a join, several tables, a
// subquery or is not a select. Editable recordsets write back to this table.
QString singleTableOf(const QString &sql);

// A statement text with positional `?` parameters and their values.
struct Statement {
    QString text;
    QVariantList params;
};

// Builds a statement from a template that keeps the statement's written shape: every
// quoted placeholder `'%1'`, `'%2'`, … becomes a `?` bound to values[n - 1], so a value
// with a quote in it is data, not SQL. A placeholder without quotes (`%1`) is bound too.
// Placeholders may repeat and appear in any order.
Statement bindQuoted(const QString &templ, const QVariantList &values);

}  // namespace tessel::db
