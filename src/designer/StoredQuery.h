// A report's stored query taken apart into what the data-set wizard's lists show.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

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
// Keywords are found in any case and anywhere, inside names and literals too. Fields and
// tables are trimmed of blanks before they are split at ",", the pieces are not.
StoredQuery parseStoredQuery(const QString &query);

}  // namespace tessel::designer
