// The cursor behind a Recordset: one way of walking a result. Shared by the reading paths
// (Recordset.cpp, PgStream.cpp); callers use Recordset.
#pragma once

#include <tessel/Error.h>
#include <QStringList>
#include <QVariant>
#include <string>
#include <string_view>

#include "base/ValueText.h"
#include "db/Recordset.h"

namespace tessel::db {

// `row` answers for the current row only.
struct Recordset::Cursor {
    virtual ~Cursor() = default;

    QStringList names;
    bool bof = true;
    bool eof = true;
    // Still on the row the set opened on: moving to the first row then needs no new query.
    bool onFirstRow = true;
    mutable std::string scratch;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual QVariant value(int i) const = 0;
    virtual std::string_view utf8(int i) const {
        scratch = base::valueToText(value(i)).toStdString();
        return scratch;
    }
    virtual bool editable() const { return false; }
    virtual void setValue(int, const QVariant &) {
        fail(QStringLiteral("The recordset is read-only"));
    }
    virtual void addNew() { fail(QStringLiteral("The recordset is read-only")); }
    virtual void update() {}
    virtual void cancelUpdate() {}
    virtual bool pending() const { return false; }

    // The same test for every cursor: a field is read only on a current row.
    void requireRow() const {
        if (bof || eof)
            fail(QStringLiteral("There is no current row (BOF or EOF is true)"));
    }

    [[noreturn]] static void fail(const QString &message) {
        throw Error(Error::Category::Statement, message);
    }
};

}  // namespace tessel::db
