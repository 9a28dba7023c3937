// Tessel: the error type the component raises and returns to the host. Every layer of the
// component, from its database access up, raises this one type.
#pragma once

#include <tessel/Export.h>
#include <QString>
#include <stdexcept>

namespace tessel {

// An error returned to the host, and raised inside the component by its database layer.
// It carries what went wrong in three parts: a category for the program, a message for
// the user, and the database's own text (empty when the database said nothing).
class TESSEL_EXPORT Error : public std::runtime_error {
public:
    enum class Category {
        Connection,  // opening or reaching the database failed, or no connection is set
        Statement,   // the database refused a statement, or a recordset operation was invalid
        Conflict,    // an optimistic write found its row changed or gone: nothing was written
        Conversion,  // a value could not be converted to the type asked for
        Argument,    // a caller passed something the component cannot use
        Printing,    // no printer could be reached, or printing failed
        Io,          // a file could not be read or written
    };

    Error(Category category, const QString &userMessage, const QString &databaseText = {});

    Category category() const noexcept { return m_category; }
    const QString &userMessage() const noexcept { return m_userMessage; }
    const QString &databaseText() const noexcept { return m_databaseText; }

    // The user message followed by the database's text, when there is one.
    QString fullText() const;

private:
    Category m_category;
    QString m_userMessage;
    QString m_databaseText;
};

}  // namespace tessel
