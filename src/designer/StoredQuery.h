// A report's stored query taken apart into what the data-set wizard's lists show, and the
// text rules by which the wizard edits its entries and builds the query again.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "db/SqlDialect.h"

namespace tessel::designer {

struct StoredQuery {
    // What a select lists: its head, its fields and its tables.
    struct Selection {
        // "select" and the words that head the first field (distinct or all, top N, percent,
        // with ties), each after one blank: "select distinct top 5".
        QString head;
        // The fields, split at ","; the first without its head.
        QStringList fields;
        // The tables, split at ",", in lower case but for quoted names ("Dept"), kept as written.
        QStringList tables;
    };
    // The text after the first "where", starting with the blank that follows it; nullopt
    // when the query has no "where".
    std::optional<QString> condition;
    // nullopt when the query has no "from" or one of the pieces below would be shorter than
    // nothing: nothing to take apart.
    std::optional<Selection> selection;
};

// Takes `query` apart by text positions, as stored queries have always been read back:
//  - fields: from the 7th character (the one after "select") up to the one right before
//    the first "from";
//  - tables: from the second character after that "from" up to the one before the blank
//    ahead of the first "where" (the character right before it is left out), or to the end.
// The keywords "from" and "where" count in any case, as whole words only, and not inside
// string literals ('…') or quoted names ("…", […]): "fromage" holds no "from"; the where is
// the statement's own, as db::findWhere finds it (not a subquery's, nor one in a comment). Fields
// and tables are trimmed of blanks before they are split at ",", the pieces are not.
StoredQuery parseStoredQuery(const QString &query);

// ---- the wizard's selected-field entries: "员工.姓名", "员工.姓名 as 名字"

// The table an entry reads: its text before the first ".", trimmed of blanks. An entry
// without a "." gives all its text but the last character, which names no listed table.
QString entryTable(const QString &entry);

// True when `entry`, trimmed of blanks, is a field of `table`: its text before its last "."
// is exactly the table's name. An entry without a "." belongs to no table.
bool isFieldOf(const QString &entry, const QString &table);

// `entry` showing under `alias`: the entry, trimmed, up to its last " as " (in any case),
// then " as " and the alias trimmed. An entry carries one alias, however often renamed.
QString withAlias(const QString &entry, const QString &alias);

// `query` under `condition`: the query trimmed of blanks, cut before the blank ahead of its
// where (db::findWhere, as parseStoredQuery), then " where " and the condition
// as typed. A query without "where" gets the condition appended; a blank condition leaves
// the query as it is.
QString withCondition(const QString &query, const QString &condition);

// The select the wizard generates: "select" and two blanks, the fields joined by ",",
// " from " and the tables joined by ",", then " where " and the condition unless it is
// empty. Every name is written as `dialect` needs it (db::identifierFor), each part of a
// dotted name on its own; an alias (" as …") is kept as written.
QString composeSelect(const QStringList &fields, const QStringList &tables,
                      const QString &condition, db::Dialect dialect);

}  // namespace tessel::designer
