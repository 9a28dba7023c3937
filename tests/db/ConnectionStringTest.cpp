#include <gtest/gtest.h>
#include <tessel/Error.h>

#include "db/ConnectionString.h"

using namespace tessel::db;

namespace {

struct Case {
    const char *in;
    const char *driver;
    const char *database;
};

class ConnectionStrings : public ::testing::TestWithParam<Case> {};

TEST_P(ConnectionStrings, Parse) {
    const Case c = GetParam();
    qunsetenv("TESSEL_SQLSERVER_DRIVER");
    const ConnectionSpec spec = parseConnectionString(QString::fromUtf8(c.in));
    EXPECT_EQ(spec.driver, QLatin1String(c.driver));
    EXPECT_EQ(spec.databaseName, QString::fromUtf8(c.database));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConnectionStrings,
    ::testing::Values(
        Case{"sqlite:/tmp/a.db", "QSQLITE", "/tmp/a.db"},
        Case{"sqlite:///tmp/a b.db", "QSQLITE", "/tmp/a b.db"},
        Case{"Data Source=/tmp/报表.db", "QSQLITE", "/tmp/报表.db"},
        Case{"  /tmp/a b.db ", "QSQLITE", "/tmp/a b.db"},
        Case{"Driver={SQLite3};Database=/tmp/a.db;", "QODBC",
             "Driver={SQLite3};Database=/tmp/a.db;"},
        Case{"DSN=sales;UID=sa", "QODBC", "sales;UID=sa"},
        Case{"UID=sa; DSN = 销售库 ;PWD=x", "QODBC", "销售库;UID=sa;PWD=x"},
        Case{"DSN=sales;Server=h", "QODBC", "DSN=sales;Server=h"},
        Case{"Provider=SQLOLEDB.1;Data Source=srv,1433;Initial Catalog=erp;User ID=sa;Password=p",
             "QODBC", "Driver={FreeTDS};Server=srv;Port=1433;Database=erp;UID=sa;PWD=p;"},
        Case{"Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=srv", "QODBC",
             "Driver={FreeTDS};Server=srv;Trusted_Connection=yes;"},
        // A value with a brace the host did not close is quoted for ODBC, so the string
        // handed to the driver manager stays well formed; a braced value stays as given.
        Case{"Provider=SQLOLEDB;Data Source=srv,{1433;Initial Catalog=a}b;Password={p;w}", "QODBC",
             "Driver={FreeTDS};Server=srv;Port={{1433};Database={a}}b};PWD={p;w};"},
        Case{"postgresql://u:pw@db.local:5433/erp", "QPSQL", "erp"}));

TEST(ConnectionStrings, PostgresUrlParts) {
    const ConnectionSpec s = parseConnectionString(QStringLiteral("postgresql://u:pw@h:5433/erp"));
    EXPECT_EQ(s.host, QLatin1String("h"));
    EXPECT_EQ(s.port, 5433);
    EXPECT_EQ(s.user, QLatin1String("u"));
    EXPECT_EQ(s.password, QLatin1String("pw"));
}

class BadConnectionStrings : public ::testing::TestWithParam<const char *> {};

TEST_P(BadConnectionStrings, NameTheAcceptedForms) {
    try {
        parseConnectionString(QString::fromUtf8(GetParam()));
        FAIL() << "accepted " << GetParam();
    } catch (const tessel::Error &e) {
        EXPECT_EQ(e.category(), tessel::Error::Category::Connection);
        EXPECT_TRUE(e.userMessage().contains(QLatin1String("accepted forms"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Malformed, BadConnectionStrings,
                         ::testing::Values("", "   ", "mysql://h/db", "Server=x;Database=y",
                                           "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb",
                                           "Provider=SQLOLEDB;Initial Catalog=x",
                                           "sqlite:", "Data Source=", "Driver={x;Database=y",
                                           "DSN=;UID=sa", "postgresql:///nohost"));

}  // namespace
