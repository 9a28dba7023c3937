// The database layer's behaviour, the same on SQLite and PostgreSQL, each reached through
// Qt's own driver and through ODBC.
#include <gtest/gtest.h>
#include <tessel/clsReport.h>

#include <dlfcn.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "support/TestDb.h"

using namespace tessel;
using namespace tessel::db;
using tessel::test::Backend;

namespace {

class Database : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(GetParam());
        db.exec(QStringLiteral(
            "create table 订单 (编号 integer primary key, 客户 text, 金额 real, 日期 text);"
            "insert into 订单 values (1, '张三', 120.5, '2024-01-05');"
            "insert into 订单 values (2, 'O''Brien', 80, '2024-02-01');"
            "insert into 订单 values (3, null, 300.25, null);"
            "create table 备注 (内容 text, 次数 int);"  // no primary key
            "insert into 备注 values ('a', 1);"
            "insert into 备注 values ('b', 1);"
            "insert into 备注 values ('b', 1);"
            "create view 大额订单 as select * from 订单 where 金额 > 100;"));
        db.exec(db.tslReportDdl());
        conn = db.connect();
    }

    Dialect dialect() const {
        if (GetParam() == Backend::SqlServer)
            return Dialect::SqlServer;
        return test::isPostgres(GetParam()) ? Dialect::PostgreSQL : Dialect::SQLite;
    }

    // A connection the host opened itself, on the same file, through the same backend.
    QSqlDatabase openHostConnection(const QString &name) const {
        const ConnectionSpec spec = parseConnectionString(db.connectionString());
        QSqlDatabase host = QSqlDatabase::addDatabase(spec.driver, name);
        host.setDatabaseName(spec.databaseName);
        host.setHostName(spec.host);
        host.setPort(spec.port);
        host.setUserName(spec.user);
        host.open();
        return host;
    }

    QStringList column(const QString &sql, int field = 0) {
        Recordset rs;
        rs.open(sql, conn, CursorType::ForwardOnly, LockType::ReadOnly, kCommandText);
        QStringList out;
        for (; !rs.eof(); rs.moveNext())
            out << rs.text(field);
        return out;
    }

    test::TempDb db{GetParam()};
    Connection conn;
};

TEST_P(Database, ConnectsAndKnowsTheDialect) {
    EXPECT_TRUE(conn.isOpen());
    EXPECT_EQ(conn.dialect(), dialect());
}

TEST_P(Database, MissingFileIsAnErrorAndCreatesNothing) {
    const QString missing = db.path() + QStringLiteral(".missing");
    Connection c;
    QString cs = GetParam() == Backend::SQLite ? QStringLiteral("sqlite:") + missing
                                               : QStringLiteral("Data Source=") + missing;
    if (test::isServer(GetParam())) {  // a database the server does not hold
        cs = db.connectionString().replace(QRegularExpression(QStringLiteral("(tessel_\\w+)")),
                                           QStringLiteral("\\1_missing"));
    }
    try {
        c.open(cs);
        FAIL() << "opened a missing file";
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Connection);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(c.isOpen());
}

TEST_P(Database, CatalogueStatementsListUserTablesAndColumns) {
    // A name stored in mixed case, an index, and on PostgreSQL a table of a schema off the
    // search path: only the tables of the current schema are listed, names as written.
    db.exec(
        QStringLiteral("create table \"Dept\" (\"DeptName\" text, 编号 integer);"
                       "insert into \"Dept\" values ('Sales', 1);"
                       "create index 订单_客户 on 订单 (客户);"));
    if (test::isPostgres(GetParam()))
        db.exec(QStringLiteral("create schema 其他; create table 其他.外表 (x integer);"));
    // The data-set wizard's two statements, as it sends them.
    QStringList tables = column(QStringLiteral(
        "select name from dbo.sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1"));
    tables.sort();
    EXPECT_EQ(tables, (QStringList{QStringLiteral("Dept"), QStringLiteral("tsl_report"),
                                   QStringLiteral("备注"), QStringLiteral("订单")}));
    EXPECT_EQ(column(QStringLiteral("select syscolumns.name from dbo.syscolumns  where id = "
                                    "object_id(N'Dept')")),
              (QStringList{QStringLiteral("DeptName"), QStringLiteral("编号")}));
    // A statement built with the names as listed reads the table.
    const QString dept = identifierFor(QStringLiteral("Dept"), conn.dialect());
    EXPECT_EQ(column(QStringLiteral("select %1.%2 from %1 where %1.编号 = 1")
                         .arg(dept, identifierFor(QStringLiteral("DeptName"), conn.dialect()))),
              QStringList{QStringLiteral("Sales")});
    EXPECT_EQ(column(QStringLiteral("select syscolumns.name from dbo.syscolumns  where id = "
                                    "object_id(N'订单')")),
              (QStringList{QStringLiteral("编号"), QStringLiteral("客户"), QStringLiteral("金额"),
                           QStringLiteral("日期")}));
    EXPECT_TRUE(column(QStringLiteral("select syscolumns.name from dbo.syscolumns  where id = "
                                      "object_id(N'没有这个表')"))
                    .isEmpty());
}

TEST_P(Database, TopAndNationalLiterals) {
    EXPECT_EQ(column(QStringLiteral("select top 2  编号 from 订单 order by 编号 desc")),
              (QStringList{QStringLiteral("3"), QStringLiteral("2")}));
    EXPECT_EQ(column(QStringLiteral("select 编号 from 订单 where 客户 = N'张三'")),
              QStringList{QStringLiteral("1")});
    EXPECT_EQ(column(QStringLiteral("select 'select top 1 x' from 订单 where 编号 = 1")),
              QStringList{QStringLiteral("select top 1 x")});
}

TEST_P(Database, ForwardReadingFieldsAndNulls) {
    Recordset rs;
    rs.open(QStringLiteral("select 编号, 客户 as 名称, 金额, 日期 from 订单 order by 编号"), conn,
            CursorType::ForwardOnly, LockType::ReadOnly, kCommandText);
    EXPECT_FALSE(rs.bof());
    EXPECT_FALSE(rs.eof());
    ASSERT_EQ(rs.fieldCount(), 4);
    EXPECT_EQ(rs.fieldName(1), QStringLiteral("名称"));
    EXPECT_EQ(rs.fieldIndex(QStringLiteral("金额")), 2);
    EXPECT_EQ(rs.text(0), QStringLiteral("1"));
    EXPECT_EQ(rs.text(QStringLiteral("名称")), QStringLiteral("张三"));
    EXPECT_EQ(rs.text(2), QStringLiteral("120.5"));
    EXPECT_EQ(QString::fromUtf8(rs.utf8(1).data(), qsizetype(rs.utf8(1).size())),
              QStringLiteral("张三"));
    rs.moveNext();
    EXPECT_EQ(rs.text(1), QStringLiteral("O'Brien"));
    EXPECT_EQ(rs.text(2), QStringLiteral("80"));
    rs.moveNext();
    EXPECT_TRUE(rs.value(1).isNull());
    EXPECT_EQ(QString() + rs.text(1), QString());
    EXPECT_TRUE(rs.utf8(3).empty());
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.value(0), Error);
    EXPECT_THROW(rs.moveNext(), Error);
    rs.moveFirst();
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.text(0), QStringLiteral("1"));
    EXPECT_THROW(rs.value(QStringLiteral("没有")), Error);
    EXPECT_THROW(rs.setValue(QStringLiteral("客户"), QStringLiteral("x")), Error);
}

// A table another connection has altered since this one last read it is read with the
// columns it has now, rows or none, by every kind of cursor.
TEST_P(Database, ColumnsAnotherConnectionAddedAreRead) {
    if (GetParam() == Backend::Odbc)
        GTEST_SKIP() << "the SQLite ODBC driver describes a statement as it last read the schema";
    EXPECT_EQ(column("select count(*) from 备注"), QStringList{"3"});
    db.exec("alter table 备注 add 标记 text; update 备注 set 标记 = 'x'");
    for (const CursorType cursor : {CursorType::ForwardOnly, CursorType::Static}) {
        for (const char *sql : {"select * from 备注", "select * from 备注 where 1=0"}) {
            Recordset rs;
            rs.open(QString(sql), conn, cursor, LockType::ReadOnly, kCommandText);
            EXPECT_EQ(rs.fieldNames(), (QStringList{"内容", "次数", "标记"})) << sql;
            EXPECT_TRUE(rs.eof() || rs.text("标记") == "x") << sql;
        }
    }
}

TEST_P(Database, EmptyResultIsBofAndEof) {
    for (LockType lock : {LockType::ReadOnly, LockType::Optimistic}) {
        Recordset rs;
        rs.open(QStringLiteral("select * from tsl_report where 报表名称='无'"), conn,
                CursorType::Dynamic, lock, kCommandText);
        EXPECT_TRUE(rs.bof());
        EXPECT_TRUE(rs.eof());
        EXPECT_TRUE(rs.isEmptyOrPast());
        EXPECT_EQ(rs.fieldCount(), 25);
    }
}

TEST_P(Database, StatementErrorsCarryTheDatabaseText) {
    Recordset rs;
    try {
        rs.open(QStringLiteral("select * from 不存在的表"), conn);
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Statement);
        EXPECT_TRUE(e.databaseText().contains(QStringLiteral("不存在的表"))) << e.what();
    }
    EXPECT_THROW(conn.execute(QStringLiteral("delete from 不存在的表")), Error);
    Connection unset;
    try {
        rs.open(QStringLiteral("select 1"), unset);
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Connection);
    }
}

TEST_P(Database, QuoteInABoundNameIsData) {
    const QString name = QStringLiteral("O'Brien's 报表");
    Recordset add;
    add.open(bindQuoted(QStringLiteral("select * from tsl_report where 报表名称= '%1'"), {name}),
             conn, CursorType::Dynamic, LockType::Optimistic, kCommandText);
    ASSERT_TRUE(add.isEmptyOrPast());
    add.addNew();
    add.setValue(QStringLiteral("报表名称"), name);
    add.setValue(QStringLiteral("列数"), 3);
    add.update();
    EXPECT_EQ(conn.execute(bindQuoted(
                  QStringLiteral("update tsl_report set 列标注 = '%1' where 报表名称 = '%2'"),
                  {QStringLiteral("a'b，"), name})),
              1);
    Recordset rs;
    rs.open(bindQuoted(QStringLiteral("select * from tsl_report where 报表名称='%1'"), {name}),
            conn, CursorType::ForwardOnly, LockType::ReadOnly, kCommandText);
    ASSERT_FALSE(rs.isEmptyOrPast());
    EXPECT_EQ(rs.text(QStringLiteral("列标注")), QStringLiteral("a'b，"));
    EXPECT_EQ(rs.value(QStringLiteral("列数")).toInt(), 3);
    EXPECT_TRUE(rs.value(QStringLiteral("查询")).isNull());
}

// Values bound as parameters keep their type and precision: written, found again by value
// through each kind of cursor, read back, and named by an editable set's optimistic write.
TEST_P(Database, BoundValuesReadBackUnchanged) {
    const bool sqlServer = GetParam() == Backend::SqlServer;
    db.exec(QStringLiteral("create table 参数 (种类 varchar(40) primary key, 时间 %1, 整数 bigint, "
                           "实数 %2)")
                .arg(sqlServer ? "datetime2(3)" : "timestamp",
                     sqlServer ? "float" : "double precision"));
    const QDateTime stamp(QDate(2024, 3, 5), QTime(14, 7, 9, 123), Qt::UTC);
    const struct {
        const char *name;
        const char *column;
        QVariant value;
    } cases[] = {
        {"timestamp with milliseconds", "时间", stamp},
        {"integer beyond a double", "整数", qlonglong(9007199254740993)},
        {"unsigned beyond int", "整数", QVariant(4000000000U)},
        {"real", "实数", 98765.4321},
        {"NULL", "整数", QVariant()},
    };
    // The same value as each backend reads it back (SQLite keeps date-times as text).
    const auto same = [](const QVariant &read, const QVariant &want) {
        if (want.isNull() || read.isNull())
            return want.isNull() && read.isNull();
        if (want.typeId() == QMetaType::QDateTime) {
            const QString form = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
            return read.toDateTime().toString(form) == want.toDateTime().toString(form);
        }
        return want.typeId() == QMetaType::Double ? read.toDouble() == want.toDouble()
                                                  : read.toLongLong() == want.toLongLong();
    };
    for (const auto &c : cases) {
        const QString column = QString::fromUtf8(c.column);
        conn.execute(
            Statement{QStringLiteral("insert into 参数 (种类, %1) values (?, ?)").arg(column),
                      {QString::fromUtf8(c.name), c.value}});
        for (const CursorType cursor : {CursorType::ForwardOnly, CursorType::Static}) {
            Recordset back;
            back.open(Statement{QStringLiteral("select %1 from 参数 where 种类 = ?").arg(column),
                                {QString::fromUtf8(c.name)}},
                      conn, cursor, LockType::ReadOnly, kCommandText);
            ASSERT_FALSE(back.isEmptyOrPast()) << c.name;
            EXPECT_TRUE(same(back.value(0), c.value))
                << c.name << ": read back " << back.text(0).toStdString();
            if (c.value.isNull())
                continue;
            Recordset found;
            found.open(Statement{QStringLiteral("select 种类 from 参数 where %1 = ?").arg(column),
                                 {c.value}},
                       conn, cursor, LockType::ReadOnly, kCommandText);
            EXPECT_EQ(found.isEmptyOrPast() ? QString() : found.text(0), QString::fromUtf8(c.name))
                << c.name << ": not found by its value";
        }
        // A write back names the row by the value it read: it must find it again.
        Recordset edit;
        edit.open(Statement{QStringLiteral("select * from 参数 where 种类 = ?"),
                            {QString::fromUtf8(c.name)}},
                  conn, CursorType::Dynamic, LockType::Optimistic, kCommandText);
        edit.setValue(column, edit.value(column));
        EXPECT_NO_THROW(edit.update()) << c.name;
    }
}

TEST_P(Database, EditableUpdateWritesTheRow) {
    Recordset rs;
    rs.open(QStringLiteral("select * from 订单 where 编号 = 1"), conn, CursorType::Dynamic,
            LockType::Optimistic, kCommandText);
    ASSERT_TRUE(rs.isEditable());
    rs.setValue(QStringLiteral("金额"), 99.5);
    rs.setValue(QStringLiteral("日期"), QVariant());
    EXPECT_EQ(rs.value(QStringLiteral("金额")).toDouble(), 99.5);
    rs.update();
    const QString written =
        QStringLiteral("select 金额, coalesce(日期, 'null') from 订单 where 编号 = 1");
    EXPECT_EQ(column(written, 0), QStringList{QStringLiteral("99.5")});
    EXPECT_EQ(column(written, 1), QStringList{QStringLiteral("null")});
    rs.update();  // nothing pending: no error, nothing written
}

TEST_P(Database, EditableUpdateWithoutKeyNeedsOneMatchingRow) {
    Recordset rs;
    rs.open(QStringLiteral("select * from 备注 where 内容 = 'a'"), conn, CursorType::Dynamic,
            LockType::Optimistic, kCommandText);
    rs.setValue(QStringLiteral("次数"), 2);
    rs.update();
    EXPECT_EQ(column(QStringLiteral("select 次数 from 备注 where 内容 = 'a'")),
              QStringList{QStringLiteral("2")});

    // Two equal rows cannot be told apart: a conflict, and neither row changes.
    Recordset twin;
    twin.open(QStringLiteral("select * from 备注 where 内容 = 'b'"), conn, CursorType::Dynamic,
              LockType::Optimistic, kCommandText);
    twin.setValue(QStringLiteral("次数"), 5);
    try {
        twin.update();
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Conflict);
    }
    EXPECT_EQ(column(QStringLiteral("select 次数 from 备注 where 内容 = 'b'")),
              (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
}

TEST_P(Database, ChangedRowIsAConflictAndNothingIsWritten) {
    const Connection other = db.connect();  // another session on the same database
    for (const auto &[sql, field] : {std::pair{"select * from 订单 where 编号 = 2", "客户"},
                                     std::pair{"select * from 备注 where 内容 = 'a'", "内容"}}) {
        Recordset rs;
        rs.open(QString::fromUtf8(sql), conn, CursorType::Dynamic, LockType::Optimistic,
                kCommandText);
        // The other session changes the row after it was read.
        other.execute(QString::fromUtf8(sql)
                          .replace(QLatin1String("select * from"), QLatin1String("update"))
                          .replace(QLatin1String(" where"),
                                   QStringLiteral(" set %1 = 'other' where").arg(field)));
        rs.setValue(QString::fromUtf8(field), QStringLiteral("mine"));
        try {
            rs.update();
            FAIL() << sql;
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), Error::Category::Conflict) << sql;
        }
        Recordset check;
        check.open(QStringLiteral("select count(*) from %1 where %2 = 'mine'")
                       .arg(QString::fromUtf8(sql).section(u' ', 3, 3), QString::fromUtf8(field)),
                   conn);
        EXPECT_EQ(check.value(0).toInt(), 0) << sql;
    }
}

TEST_P(Database, AddNewInsertsAndBecomesCurrent) {
    Recordset rs;
    rs.open(QStringLiteral("select * from 订单 where 1=0"), conn, CursorType::Dynamic,
            LockType::Optimistic, kCommandText);
    rs.addNew();
    rs.setValue(QStringLiteral("编号"), 10);
    rs.setValue(QStringLiteral("客户"), QStringLiteral("李四"));
    rs.update();
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.text(QStringLiteral("客户")), QStringLiteral("李四"));
    // A change to the new row goes to the same row.
    rs.setValue(QStringLiteral("金额"), 7);
    rs.update();
    EXPECT_EQ(column(QStringLiteral("select 客户 from 订单 where 编号 = 10 and 金额 = 7")),
              QStringList{QStringLiteral("李四")});
}

TEST_P(Database, MovingWritesPendingChanges) {
    Recordset rs;
    rs.open(QStringLiteral("select * from 订单 order by 编号"), conn, CursorType::Dynamic,
            LockType::Optimistic, kCommandText);
    rs.setValue(QStringLiteral("客户"), QStringLiteral("王五"));
    rs.moveNext();
    EXPECT_EQ(column(QStringLiteral("select 客户 from 订单 where 编号 = 1")),
              QStringList{QStringLiteral("王五")});
    rs.setValue(QStringLiteral("客户"), QStringLiteral("丢弃"));
    rs.cancelUpdate();
    rs.close();
    EXPECT_EQ(column(QStringLiteral("select 客户 from 订单 where 编号 = 2")),
              QStringList{QStringLiteral("O'Brien")});
}

TEST_P(Database, JoinedResultIsNotWrittenBack) {
    Recordset rs;
    rs.open(QStringLiteral("select 订单.编号 from 订单, 备注"), conn, CursorType::Dynamic,
            LockType::Optimistic, kCommandText);
    rs.setValue(QStringLiteral("编号"), 5);
    EXPECT_THROW(rs.update(), Error);
}

TEST_P(Database, TransactionRollsBack) {
    conn.beginTransaction();
    conn.execute(QStringLiteral("delete from 订单"));
    conn.rollback();
    EXPECT_EQ(column(QStringLiteral("select count(*) from 订单")),
              QStringList{QStringLiteral("3")});
}

TEST_P(Database, HostConnectionIsSharedNotCopied) {
    const QString name = QStringLiteral("host-%1").arg(int(GetParam()));
    {
        QSqlDatabase host = openHostConnection(name);
        ASSERT_TRUE(host.isOpen());
        Connection c = Connection::wrap(host);
        EXPECT_EQ(c.database().connectionName(), name);
        EXPECT_EQ(c.dialect(), dialect());
        // A transaction the host starts covers what the component writes.
        ASSERT_TRUE(host.transaction());
        c.execute(QStringLiteral("delete from 订单 where 编号 = 3"));
        host.rollback();
        Recordset rs;
        rs.open(QStringLiteral("select count(*) from 订单"), c);
        EXPECT_EQ(rs.value(0).toInt(), 3);
    }
    QSqlDatabase::removeDatabase(name);
}

TEST_P(Database, WorkInsideAHostTransactionIsUndoneAloneAndLeftToTheHost) {
    const QString name = QStringLiteral("host-tx-%1").arg(int(GetParam()));
    {
        QSqlDatabase host = openHostConnection(name);
        ASSERT_TRUE(host.isOpen());
        Connection c = Connection::wrap(host);
        EXPECT_FALSE(c.inTransaction());
        ASSERT_TRUE(host.transaction());
        EXPECT_TRUE(c.inTransaction());
        c.execute(QStringLiteral("delete from 订单 where 编号 = 1"));  // the host's own work
        {
            Transaction failing(c);
            c.execute(QStringLiteral("delete from 订单 where 编号 = 2"));
        }  // not committed: only this work is undone
        {
            Transaction done(c);
            c.execute(QStringLiteral("delete from 订单 where 编号 = 3"));
            done.commit();
        }
        EXPECT_TRUE(c.inTransaction());  // the host's transaction is still the host's
        ASSERT_TRUE(host.commit());
        Recordset rs;
        rs.open(QStringLiteral("select 编号 from 订单"), c);
        EXPECT_EQ(rs.text(0), QStringLiteral("2"));
        rs.moveNext();
        EXPECT_TRUE(rs.eof());
    }
    QSqlDatabase::removeDatabase(name);
}

TEST_P(Database, AStreamKeepsReadingWhileOtherStatementsRun) {
    Recordset outer;
    outer.open(QStringLiteral("select 编号 from 订单 order by 编号"), conn, CursorType::ForwardOnly,
               LockType::ReadOnly, kCommandText);
    ASSERT_EQ(outer.text(0), QStringLiteral("1"));
    // A lookup and a write in between, as a run does while its data query is open.
    Recordset lookup;
    lookup.open(QStringLiteral("select count(*) from 备注"), conn, CursorType::ForwardOnly,
                LockType::ReadOnly, kCommandText);
    EXPECT_EQ(lookup.text(0), QStringLiteral("3"));
    conn.execute(QStringLiteral("update 备注 set 次数 = 2 where 内容 = 'a'"));
    QStringList seen{outer.text(0)};
    for (outer.moveNext(); !outer.eof(); outer.moveNext())
        seen << outer.text(0);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    outer.moveFirst();  // reads the result again from its start
    EXPECT_EQ(outer.text(0), QStringLiteral("1"));
}

TEST_P(Database, AResultIsReadToItsEndWhileTheDefinitionIsWritten) {
    db.exec(QStringLiteral(
        "create table 大表 (编号 integer, 名称 text);"
        "with recursive g(n) as (select 1 union all select n + 1 from g where n < 100000) "
        "insert into 大表 select n, 'r' || n from g"));
    for (const auto &[sql, rows] : {std::pair{"select 编号 from 订单 order by 编号", 3},
                                    std::pair{"select 编号, 名称 from 大表", 100000}}) {
        Recordset data;
        data.open(QString::fromUtf8(sql), conn, CursorType::ForwardOnly, LockType::ReadOnly,
                  kCommandText);
        // As the data-set wizard's finish: the definition row is written in a transaction
        // while the data is open.
        {
            Transaction tx(conn);
            Recordset row;
            row.open(QStringLiteral("select * from tsl_report where 报表名称 = '报表'"), conn,
                     CursorType::Dynamic, LockType::Optimistic, kCommandText);
            if (row.isEmptyOrPast())
                row.addNew();
            row.setValue(QStringLiteral("报表名称"), QStringLiteral("报表"));
            row.setValue(QStringLiteral("查询"), QString::fromUtf8(sql));
            row.update();
            tx.commit();
        }
        int read = 0;
        for (; !data.eof(); data.moveNext())
            ++read;
        EXPECT_EQ(read, rows) << sql;
    }
}

TEST_P(Database, ALostResultIsAnErrorNotTheEnd) {
    Recordset data;
    data.open(QStringLiteral("select 编号 from 订单 order by 编号"), conn, CursorType::ForwardOnly,
              LockType::ReadOnly, kCommandText);
    // The host runs a statement of its own on the connection, past the component.
    QSqlQuery host(conn.database());
    ASSERT_TRUE(host.exec(QStringLiteral("select 1")));
    conn.execute(QStringLiteral("update 备注 set 次数 = 2 where 内容 = 'a'"));
    // All three rows (a driver that keeps several results open on one connection), or an
    // error: never fewer rows as if the result had ended.
    int read = 0;
    try {
        for (; !data.eof(); data.moveNext())
            ++read;
        EXPECT_EQ(read, 3);
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), Error::Category::Statement) << e.what();
    }
}

TEST_P(Database, OwnTransactionCommitsOrRollsBack) {
    {
        Transaction t(conn);
        EXPECT_TRUE(conn.inTransaction());
        conn.execute(QStringLiteral("delete from 订单 where 编号 = 1"));
    }
    EXPECT_FALSE(conn.inTransaction());
    {
        Transaction t(conn);
        conn.execute(QStringLiteral("delete from 订单 where 编号 = 2"));
        t.commit();
    }
    EXPECT_EQ(column(QStringLiteral("select 编号 from 订单 order by 编号")),
              (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
}

TEST(OdbcDataSource, OpensByName) {
    test::TempDb db;
    db.exec(QStringLiteral("create table 部门 (名称 text); insert into 部门 values ('销售部');"));
    // A system data source of our own: the driver manager reads ODBCSYSINI's folder. It keeps
    // the first folder it was given for the rest of the process, so the folder (a copy of the
    // system's drivers) stays until the process ends.
    static QTemporaryDir ini;
    ASSERT_TRUE(QFile::copy(QStringLiteral("/etc/odbcinst.ini"), ini.filePath("odbcinst.ini")));
    // The driver manager loads its ini reader for a data source and unloads it again; held
    // loaded, a leak checker can name the reader's own cached allocations (tests/lsan.supp).
    static void *const keepIniReader = dlopen("libodbcinst.so.2", RTLD_NOW);
    (void)keepIniReader;
    QFile dsn(ini.filePath("odbc.ini"));
    ASSERT_TRUE(dsn.open(QIODevice::WriteOnly));
    dsn.write(
        QStringLiteral("[tessel_test]\nDriver=SQLite3\nDatabase=%1\n").arg(db.path()).toUtf8());
    dsn.close();
    const QByteArray old = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", QFile::encodeName(ini.path()));
    for (const char *cs : {"DSN=tessel_test", "DSN=tessel_test;Timeout=1000"}) {
        Connection c;
        c.open(QString::fromLatin1(cs));
        Recordset rs;
        rs.open(QStringLiteral("select 名称 from 部门"), c);
        EXPECT_EQ(rs.text(0), QStringLiteral("销售部")) << cs;
    }
    if (old.isNull())
        qunsetenv("ODBCSYSINI");
    else
        qputenv("ODBCSYSINI", old);
}

INSTANTIATE_TEST_SUITE_P(Backends, Database, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
