// Hostile values reach the database bound, on every backend: each selects exactly the rows its
// meaning selects and never fails as SQL, and the table is intact afterwards.
#include <gtest/gtest.h>
#include <tessel/Error.h>

#include "db/Recordset.h"
#include "params/ComposeQuery.h"
#include "params/StoredParameters.h"
#include "support/TestDb.h"

using namespace tessel;
using namespace tessel::params;
using tessel::test::Backend;

namespace {

const QStringList kNotes = {QStringLiteral("普通"),    QStringLiteral("含%号"),
                            QStringLiteral("a_b"),     QStringLiteral("c\\d"),
                            QStringLiteral("O'Brien"), QStringLiteral("[x]")};

class Safety : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(GetParam());
        db.exec(QStringLiteral(
            "create table 订单 (编号 integer, 备注 varchar(200), 金额 real, 日期 date, "
            "时刻 timestamp)"));
        for (int i = 0; i < kNotes.size(); ++i) {
            QString note = kNotes[i];
            db.exec(QStringLiteral("insert into 订单 values (%1, '%2', %1, '2024-03-0%1', "
                                   "'2024-03-0%1 15:30:00')")
                        .arg(i + 1)
                        .arg(note.replace(u'\'', QStringLiteral("''"))));
        }
        conn = db.connect();
        parameters = readParameters(QString::fromUtf8(R"([
          {"name": "等于", "column": "备注"},
          {"name": "含", "column": "备注", "op": "contains"},
          {"name": "起", "column": "备注", "op": "startsWith"},
          {"name": "额", "type": "number", "column": "金额"},
          {"name": "期", "type": "date", "range": true, "column": "日期"},
          {"name": "刻", "type": "date", "range": true, "column": "时刻"}])"))
                         .parameters;
    }

    int count(const QString &name, const QVariant &value) {
        const ParamValues values = resolveValues(parameters, {{name, value}}, QDate(2024, 3, 15));
        db::Recordset rs;
        rs.open(composeQuery(QStringLiteral("select 编号 from 订单"), {}, parameters, values,
                             conn.dialect()),
                conn, db::CursorType::ForwardOnly, db::LockType::ReadOnly);
        int n = 0;
        for (; !rs.isEmptyOrPast(); rs.moveNext())
            ++n;
        return n;
    }

    test::TempDb db{GetParam()};
    db::Connection conn;
    Parameters parameters;
};

TEST_P(Safety, HostileValuesSelectWhatTheyMean) {
    const QStringList hostile = {QStringLiteral("'; drop table 订单; --"),
                                 QStringLiteral("%"),
                                 QStringLiteral("_"),
                                 QStringLiteral("\\"),
                                 QStringLiteral("'"),
                                 QStringLiteral("["),
                                 QStringLiteral("!"),
                                 QString(10000, u'x'),
                                 QStringLiteral("NaN")};
    for (const QString &v : hostile) {
        const QString shown = v.left(30);
        const auto matching = [&](auto pred) {
            return int(std::count_if(kNotes.begin(), kNotes.end(), pred));
        };
        EXPECT_EQ(count(QStringLiteral("等于"), v), kNotes.count(v)) << shown.toStdString();
        EXPECT_EQ(count(QStringLiteral("含"), v),
                  matching([&](const QString &n) { return n.contains(v); }))
            << shown.toStdString();
        EXPECT_EQ(count(QStringLiteral("起"), v),
                  matching([&](const QString &n) { return n.startsWith(v); }))
            << shown.toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("额"), 3), 1);
    EXPECT_EQ(count(QStringLiteral("期"), QVariantList{"0001-01-01", "0001-01-01"}), 0);
    EXPECT_EQ(count(QStringLiteral("期"), QVariantList{"2024-03-02", "2024-03-04"}), 3);
    // The last day's afternoon counts: a date range ends with its whole last day.
    EXPECT_EQ(count(QStringLiteral("刻"), QVariantList{"0001-01-01", "2024-03-02"}), 2);
    EXPECT_EQ(count(QStringLiteral("等于"), QString()), int(kNotes.size()));  // empty: all
    // Refused before the database sees them: a NUL, and NaN as a number.
    EXPECT_THROW(count(QStringLiteral("等于"), QStringLiteral("a") + QChar(0) + u'b'), Error);
    EXPECT_THROW(count(QStringLiteral("额"), QStringLiteral("NaN")), Error);
    EXPECT_EQ(count(QStringLiteral("额"), QVariant()), int(kNotes.size()));  // intact
}

INSTANTIATE_TEST_SUITE_P(Backends, Safety, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
