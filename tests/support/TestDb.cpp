#include "support/TestDb.h"

#include <sqlite3.h>

#include <QFile>
#include <stdexcept>

namespace tessel::test {

const char *backendName(Backend b) {
    return b == Backend::SQLite ? "SQLite" : "Odbc";
}

TempDb::TempDb() : m_dir(std::make_unique<QTemporaryDir>()) {
    m_path = m_dir->filePath(QStringLiteral("test.db"));
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(m_path).constData(), &db) != SQLITE_OK) {
        throw std::runtime_error("cannot create test database");
    }
    sqlite3_close(db);
}

QString TempDb::connectionString(Backend backend) const {
    if (backend == Backend::SQLite)
        return QStringLiteral("sqlite:") + m_path;
    return QStringLiteral("Driver=SQLite3;Database=%1;").arg(m_path);
}

platform::Connection TempDb::connect(Backend backend) const {
    platform::Connection c;
    c.open(connectionString(backend));
    return c;
}

void TempDb::exec(const QString &sql) const {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(m_path).constData(), &db);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

QString tslReportDdl() {
    QFile f(QStringLiteral(TESSEL_TEST_DATA_DIR "/support/tsl_report.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("tsl_report.sql missing");
    return QString::fromUtf8(f.readAll());
}

}  // namespace tessel::test
