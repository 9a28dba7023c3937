// Temporary databases for tests: a SQLite file reached directly or through ODBC.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "platform/db/Connection.h"

namespace tessel::test {

enum class Backend { SQLite, Odbc };

const char *backendName(Backend b);

// A fresh SQLite file in a temporary directory, removed with the object.
class TempDb {
public:
    TempDb();
    QString path() const { return m_path; }
    // The connection string that reaches the file through `backend`.
    QString connectionString(Backend backend) const;
    // Opens a connection to the file through `backend`.
    platform::Connection connect(Backend backend) const;
    // Runs SQL (several statements allowed) directly on the file, outside any connection.
    void exec(const QString &sql) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

// The tsl_report table as a host database holds it (the component never creates it).
QString tslReportDdl();

}  // namespace tessel::test
