// The connection-string parser.
//
// Input: a connection string as UTF-8.
//
// Properties: the parse either gives a connection for one of the three drivers or throws
// the component's connection error naming the accepted forms (no other exception, no
// crash); a SQLite file, a PostgreSQL database and host, an ODBC string are never empty;
// the ODBC string built from a SQL Server provider's keys reads back, through the same
// parser, as itself.
#include <tessel/Error.h>

#include "FuzzSupport.h"
#include "db/Connection.h"

using tessel::Error;
using tessel::db::ConnectionSpec;
using tessel::db::parseConnectionString;

namespace {

QString describe(const QString &input, const ConnectionSpec &spec) {
    return QStringLiteral("input: %1\ndriver: %2\ndatabase: %3\nhost: %4")
        .arg(input, spec.driver, spec.databaseName, spec.host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString input = tessel::fuzz::utf8(data, size);
    ConnectionSpec spec;
    try {
        spec = parseConnectionString(input);
    } catch (const Error &e) {
        FUZZ_REQUIRE(e.category() == Error::Category::Connection, input);
        FUZZ_REQUIRE(e.userMessage().contains(QLatin1String("accepted forms")),
                     input + u'\n' + e.userMessage());
        return 0;
    }
    const QString what = describe(input, spec);
    if (spec.driver == QLatin1String("QSQLITE")) {
        FUZZ_REQUIRE(!spec.databaseName.isEmpty(), what);
        FUZZ_REQUIRE(spec.databaseName == spec.databaseName.trimmed(), what);
    } else if (spec.driver == QLatin1String("QPSQL")) {
        FUZZ_REQUIRE(!spec.databaseName.isEmpty() && !spec.host.isEmpty(), what);
    } else if (spec.driver == QLatin1String("QODBC")) {
        FUZZ_REQUIRE(!spec.databaseName.isEmpty(), what);
        // The string built from a SQL Server provider's keys (no other form starts so; the
        // driver is FreeTDS while TESSEL_SQLSERVER_DRIVER is unset).
        if (spec.databaseName.startsWith(QLatin1String("Driver={FreeTDS};Server="))) {
            ConnectionSpec again;
            try {
                again = parseConnectionString(spec.databaseName);
            } catch (const Error &e) {
                FUZZ_REQUIRE(false, what + u'\n' + e.userMessage());
            }
            FUZZ_REQUIRE(again.driver == spec.driver && again.databaseName == spec.databaseName,
                         what + QStringLiteral("\nread back: ") + again.databaseName);
        }
    } else {
        FUZZ_REQUIRE(false, what);
    }
    return 0;
}
