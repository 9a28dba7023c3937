// The definition record: each column's reading rule, and each window's write read back.
#include <gtest/gtest.h>
#include <tessel/Error.h>

#include "base/ValueText.h"
#include "definitions/DefinitionRecord.h"
#include "definitions/DefinitionWrites.h"
#include "definitions/Definitions.h"
#include "support/TestDb.h"

using namespace tessel;
using namespace tessel::definitions;

namespace {

QString show(const QString &v) {
    return u'[' + v + u']';
}
QString show(int v) {
    return QString::number(v);
}
QString show(const std::optional<QString> &v) {
    return v ? show(*v) : QStringLiteral("-");
}
QString show(const std::optional<double> &v) {
    return v ? QString::number(*v) : QStringLiteral("-");
}
QString show(const std::optional<int> &v) {
    return v ? QString::number(*v) : QStringLiteral("-");
}
QString show(const std::optional<bool> &v) {
    return v ? QString::fromLatin1(*v ? "on" : "off") : QStringLiteral("-");
}
template <class T>
QString show(const Stored<T> &v) {
    return v.readable() ? show(v.value()) : QStringLiteral("missing");
}

class DefinitionRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.exec(test::tslReportDdl());
        conn = db.connect(test::Backend::SQLite);
    }
    DefinitionRecord read(const QString &name) {
        db::Recordset rs = open(selectReport(name), conn, Access::ReadOnly);
        return readDefinition(rs);
    }
    test::TempDb db;
    db::Connection conn;
};

TEST_F(DefinitionRecordTest, ReadsEachColumnByItsRule) {
    using R = const DefinitionRecord &;
    // Each case reads a row holding one column (SQLite keeps the value's own type): the
    // others are missing, as in a table without them.
    const struct {
        const char *name, *column;
        QString (*field)(R);
        const char *expected;
    } cases[] = {
        {"flag 0 is off", "0 as 列标", [](R d) { return show(d.flags.colHeaders); }, "off"},
        {"flag number is on", "2 as 列标", [](R d) { return show(d.flags.colHeaders); }, "on"},
        {"flag text", "' 1 ' as 行标", [](R d) { return show(d.flags.rowHeaders); }, "on"},
        {"flag word", "'yes' as 网格线", [](R d) { return show(d.flags.gridLines); }, "-"},
        {"flag empty", "'' as 边框", [](R d) { return show(d.flags.border); }, "-"},
        {"flag grouped", "'1,0' as 彩色打印", [](R d) { return show(d.flags.color); }, "-"},
        {"flag NULL", "null as 阴影", [](R d) { return show(d.flags.shadows); }, "-"},
        {"flag missing", "1 as x", [](R d) { return show(d.flags.onlyData); }, "-"},
        {"range NULL", "null as 范围类型", [](R d) { return show(int(d.range)); }, "0"},
        {"range 1", "1 as 范围类型", [](R d) { return show(int(d.range)); }, "1"},
        {"range real 2", "2.0 as 范围类型", [](R d) { return show(int(d.range)); }, "2"},
        {"range blank 1", "' 1' as 范围类型", [](R d) { return show(int(d.range)); }, "3"},
        {"range empty", "'' as 范围类型", [](R d) { return show(int(d.range)); }, "3"},
        {"page half even", "'2.5' as 开始页", [](R d) { return show(d.firstPage); }, "2"},
        {"page half up", "3.5 as 结束页", [](R d) { return show(d.lastPage); }, "4"},
        {"page too big", "1e10 as 开始页", [](R d) { return show(d.firstPage); }, "-"},
        {"margin", "0.75 as 上", [](R d) { return show(d.marginTop); }, "0.75"},
        {"margin word", "'wide' as 下", [](R d) { return show(d.marginBottom); }, "-"},
        {"margin negative", "-1 as 左", [](R d) { return show(d.marginLeft); }, "-1"},
        {"margin infinite", "9e999 as 右", [](R d) { return show(d.marginRight); }, "-"},
        {"portrait", "' 1 ' as 打印方向", [](R d) { return show(int(d.orientation)); }, "1"},
        {"landscape 01", "'01' as 打印方向", [](R d) { return show(int(d.orientation)); }, "2"},
        {"landscape NULL", "null as 打印方向", [](R d) { return show(int(d.orientation)); }, "2"},
        {"parts 3", "' 3 ' as 页头页脚", [](R d) { return show(int(d.headerFooter)); }, "3"},
        {"parts 4", "4 as 页头页脚", [](R d) { return show(int(d.headerFooter)); }, "0"},
        {"height", "20.25 as 行高", [](R d) { return show(d.headerHeight); }, "20.25"},
        {"height text", "char(9)||'12 ' as 行高", [](R d) { return show(d.headerHeight); }, "12"},
        {"height word", "'abc' as 行高", [](R d) { return show(d.headerHeight); }, "-"},
        {"height NULL", "null as 行高", [](R d) { return show(d.headerHeight); }, "-"},
        {"height infinite", "9e999 as 行高", [](R d) { return show(d.headerHeight); }, "inf"},
        {"height missing", "1 as x", [](R d) { return show(d.headerHeight); }, "missing"},
        {"count text", "'2.5' as 列数", [](R d) { return show(d.columnCount); }, "2"},
        {"count word", "'x' as 列数", [](R d) { return show(d.columnCount); }, "-"},
        {"count missing", "1 as x", [](R d) { return show(d.columnCount); }, "missing"},
        {"labels", "'a，b' as 列标注", [](R d) { return show(d.labels); }, "[a，b]"},
        {"widths NULL", "null as 列宽", [](R d) { return show(d.widths); }, "-"},
        {"query NULL", "null as 查询", [](R d) { return show(d.query); }, "[]"},
        {"name missing", "1 as x", [](R d) { return show(d.name); }, "missing"},
        {"merges", "'1,3' as 合并", [](R d) { return show(d.merges); }, "[1,3]"},
        {"merges missing", "1 as x", [](R d) { return show(d.merges); }, "-"},
        {"header NULL", "null as 页头文本", [](R d) { return show(d.headerText); }, "-"},
        {"footer missing", "1 as x", [](R d) { return show(d.footerText); }, "missing"},
    };
    for (const auto &c : cases) {
        db::Recordset rs;
        rs.open(QStringLiteral("select ") + QString::fromUtf8(c.column), conn);
        EXPECT_EQ(c.field(readDefinition(rs)).toStdString(), c.expected) << c.name;
    }
}

TEST_F(DefinitionRecordTest, DesignerSaveAddsTheRowWithDefaultsThenUpdatesIt) {
    grid::Sheet sheet;
    sheet.setMaxCols(2);
    sheet.setText(1, 0, QStringLiteral("编号"));
    sheet.setText(2, 0, QStringLiteral("名称"));
    sheet.setColWidth(1, 8.5);
    sheet.setRowHeight(0, 20.25);
    QString merges = QStringLiteral("2");
    const QString name = QStringLiteral("报表");
    EXPECT_TRUE(
        saveLayout(conn, name, sheet, 2, QStringLiteral("select a from t where b"), merges));
    EXPECT_EQ(merges, QStringLiteral("1"));
    DefinitionRecord d = read(name);
    EXPECT_EQ(d.query.value(), QStringLiteral("select a from t "));
    EXPECT_EQ(d.columnCount.value(), 2);
    EXPECT_EQ(show(d.flags.border) + show(d.flags.shadows), QStringLiteral("onoff"));
    EXPECT_EQ(d.marginLeft, 0.5);
    EXPECT_EQ(d.widths.value(), QStringLiteral("8.5 ") + base::doubleToText(sheet.colWidth(2)));
    EXPECT_EQ(d.labels.value(), QStringLiteral("编号，名称，"));
    EXPECT_EQ(d.headerHeight.value(), 20.25);
    EXPECT_EQ(d.merges, QStringLiteral("1"));

    merges = QStringLiteral("2");
    sheet.setColWidth(1, 3);
    EXPECT_FALSE(saveLayout(conn, name, sheet, 1, QString(), merges));
    d = read(name);
    EXPECT_EQ(d.widths.value(), QStringLiteral("3"));
    EXPECT_EQ(d.merges, QStringLiteral("2"));
    EXPECT_EQ(d.query.value(), QStringLiteral("select a from t "));

    // One transaction: a refused label update leaves no new row behind.
    db.exec(
        QStringLiteral("create trigger no_labels before update of 列标注 on tsl_report "
                       "begin select raise(abort, 'refused'); end;"));
    EXPECT_THROW(saveLayout(conn, QStringLiteral("新"), sheet, 1, QString(), merges), Error);
    EXPECT_TRUE(notFound(open(selectReport(QStringLiteral("新")), conn, Access::ReadOnly)));
}

TEST_F(DefinitionRecordTest, WindowSavesReadBack) {
    const QString name = QStringLiteral("报表");
    saveQuery(conn, name, QStringLiteral("select 1"), QStringLiteral("甲，"), 3);
    saveQuery(conn, name, QStringLiteral("select 2"), QStringLiteral("乙，"), 4);
    DefinitionRecord d = read(name);
    EXPECT_EQ(d.query.value() + d.labels.value().value_or(QString()),
              QStringLiteral("select 2乙，"));
    EXPECT_EQ(d.columnCount.value(), 4);

    grid::PrintSettings options;
    options.rowHeaders = options.shadows = false;
    options.type = grid::PrintType::PageRange;
    options.pageStart = 2;
    options.pageEnd = 5;
    int calls = 0;
    const auto count = [&] { ++calls; };
    EXPECT_TRUE(savePrintOptions(conn, name, options, count));
    EXPECT_FALSE(savePrintOptions(conn, QStringLiteral("无"), options, count));
    EXPECT_TRUE(savePageSetup(conn, name, {true, 0.25, 0.5, 0.75, 1.25}, count));
    EXPECT_FALSE(savePageSetup(conn, QStringLiteral("无"), {}, count));
    EXPECT_EQ(calls, 2);
    d = read(name);
    EXPECT_EQ(show(d.flags.colHeaders) + show(d.flags.rowHeaders) + show(d.flags.shadows),
              QStringLiteral("onoffoff"));
    EXPECT_EQ(d.range, grid::PrintType::PageRange);
    EXPECT_EQ(show(d.firstPage) + show(d.lastPage), QStringLiteral("25"));
    EXPECT_EQ(d.orientation, grid::Orientation::Portrait);
    EXPECT_EQ(show(d.marginLeft) + show(d.marginRight) + show(d.marginTop) + show(d.marginBottom),
              QStringLiteral("0.250.50.751.25"));

    const auto header = [] { return PartToStore{QStringLiteral("&L头"), 1}; };
    const auto footer = [] { return PartToStore{QStringLiteral("&R脚"), 3}; };
    EXPECT_EQ(saveHeaderFooter(conn, name, PagePart::Header, header)->other, QString());
    EXPECT_EQ(saveHeaderFooter(conn, name, PagePart::Footer, footer)->other,
              QStringLiteral("&L头"));
    EXPECT_FALSE(saveHeaderFooter(conn, QStringLiteral("无"), PagePart::Header, header));
    d = read(name);
    EXPECT_EQ(show(d.headerText) + show(d.footerText), QStringLiteral("[&L头][&R脚]"));
    EXPECT_EQ(d.headerFooter, HeaderFooterParts::Both);
}

}  // namespace
