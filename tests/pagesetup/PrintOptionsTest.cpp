// The print content options dialog: loading from the sheet, the option and page box rules,
// and saving to the sheet and the definition row.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "pagesetup/PrintOptions.h"
#include "support/PreviewFixture.h"

using namespace tessel;
using pagesetup::PrintOptionsDialog;

namespace {

// The sheet's flags in the order of Check1 0 to 6, and their definition columns.
bool &flag(grid::PrintSettings &s, int i) {
    bool *f[] = {&s.colHeaders, &s.rowHeaders, &s.gridLines, &s.border,
                 &s.onlyData,   &s.color,      &s.shadows};
    return *f[i];
}
const char *kColumns[] = {"列标", "行标", "网格线", "边框", "仅打数据格", "彩色打印", "阴影"};

class PrintOptions : public test::ReportFixture {
protected:
    using ReportFixture::ReportFixture;
    void reopen() { d = std::make_unique<PrintOptionsDialog>(session); }
    QCheckBox *check(int i) { return d->findChild<QCheckBox *>(QString("Check1_%1").arg(i)); }
    QRadioButton *option(int i) {
        return d->findChild<QRadioButton *>(QString("Option1_%1").arg(i));
    }
    QLineEdit *page(int i) { return d->findChild<QLineEdit *>(QString("Text1_%1").arg(i)); }
    void press(const char *name) { d->findChild<QPushButton *>(name)->click(); }
    void setSheet(const std::function<void(grid::PrintSettings &)> &edit) {
        grid::PrintSettings s = session.sheet.print();
        edit(s);
        session.sheet.setPrint(s);
    }

    std::unique_ptr<PrintOptionsDialog> d;
};

// The dialog's saves, on every backend.
using PrintOptionsOn = test::OnEveryBackend<PrintOptions>;

TEST_F(PrintOptions, LoadsFlagsAndRangeTypeFromTheSheet) {
    for (int on = 0; on < 7; ++on) {
        setSheet([on](grid::PrintSettings &s) {
            for (int i = 0; i < 7; ++i)
                flag(s, i) = i == on;
            s.type = grid::PrintType(on % 4);
            s.pageStart = 4;
        });
        reopen();
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(check(i)->isChecked(), i == on) << on << " " << i;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(option(i)->isChecked(), i == on % 4) << on;
        // The page boxes take input only for a page range, and always start at "1".
        EXPECT_EQ(page(0)->isEnabled(), on % 4 == 3);
        EXPECT_EQ(page(1)->isEnabled(), on % 4 == 3);
        EXPECT_EQ(page(0)->text() + page(1)->text(), "11");
    }
    option(0)->click();
    EXPECT_FALSE(page(0)->isEnabled() || page(1)->isEnabled());
}

TEST_F(PrintOptions, PageBoxCheckOnKeyRelease) {
    reopen();
    option(3)->click();
    page(0)->clear();
    QTest::keyClicks(page(0), "2.5");
    EXPECT_EQ(page(0)->text(), "2.5");
    QTest::keyClick(page(0), Qt::Key_X);
    EXPECT_EQ(page(0)->text(), "1") << "a letter";
    QTest::keyClick(page(0), Qt::Key_Backspace);
    EXPECT_EQ(page(0)->text(), "1") << "emptied";
}

TEST(PageNumbers, ConversionRoundsHalvesToEven) {
    const std::pair<const char *, std::optional<int>> cases[] = {
        {"2.5", 2}, {"3.5", 4},  {"0.5", 0},       {" 7 ", 7},    {"2.", 2},
        {".5", 0},  {"-0.4", 0}, {"32767", 32767}, {"32768", {}}, {"-1", {}},
        {"", {}},   {"abc", {}}, {"1e3", {}},      {".", {}},     {"2 3", {}}};
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(pagesetup::pageNumberFromText(text), expected) << text;
}

TEST_P(PrintOptionsOn, SavesFlagsAndPageRangeToSheetAndRow) {
    reopen();
    const bool wanted[7] = {false, true, false, true, false, true, true};
    for (int i = 0; i < 7; ++i)
        check(i)->setChecked(wanted[i]);
    option(3)->click();
    page(0)->setText("2.5");
    page(1)->setText("3.5");
    press("cmdOK");
    EXPECT_EQ(d->result(), QDialog::Accepted);

    grid::PrintSettings s = session.sheet.print();
    auto rs = row();
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(flag(s, i), wanted[i]) << i;
        EXPECT_EQ(rs.value(kColumns[i]).toInt(), wanted[i] ? 1 : 0) << i;
    }
    EXPECT_EQ(s.type, grid::PrintType::PageRange);
    EXPECT_EQ(std::pair(s.pageStart, s.pageEnd), std::pair(2, 4));
    EXPECT_EQ(rs.value("范围类型").toInt(), 3);
    EXPECT_EQ(rs.value("开始页").toInt(), 2);
    EXPECT_EQ(rs.value("结束页").toInt(), 4);
}

TEST_P(PrintOptionsOn, OtherRangesStoreOnlyTheirType) {
    test::fillReport(session.sheet, 20);
    session.sheet.setSelection({2, 3, 3, 8});
    using T = grid::PrintType;
    for (auto [index, type] :
         {std::pair(0, T::All), std::pair(1, T::CellRange), std::pair(2, T::CurrentPage)}) {
        reopen();
        option(3)->click();
        option(index)->click();
        press("cmdOK");
        EXPECT_EQ(session.sheet.print().type, type);
        EXPECT_EQ(stored("范围类型").toInt(), index);
        EXPECT_EQ(stored("开始页").toInt() * 10 + stored("结束页").toInt(), 79) << "as they were";
    }
    EXPECT_EQ(session.sheet.print().block, (grid::CellBlock{2, 3, 3, 8})) << "the selection";
}

TEST_P(PrintOptionsOn, UntouchedPageRangeAndUnknownTypeSaveOneToOne) {
    setSheet([](grid::PrintSettings &s) {
        s.type = grid::PrintType::PageRange;
        s.pageStart = 3;
        s.pageEnd = 5;
    });
    reopen();
    press("cmdOK");
    EXPECT_EQ(std::pair(session.sheet.print().pageStart, session.sheet.print().pageEnd),
              std::pair(1, 1));
    EXPECT_EQ(stored("开始页").toInt() * 10 + stored("结束页").toInt(), 11);

    session.sheet.printSettings().type = grid::PrintType(7);
    reopen();
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(option(i)->isChecked());
    press("cmdOK");
    EXPECT_EQ(session.sheet.print().type, grid::PrintType::PageRange);
    EXPECT_EQ(stored("范围类型").toInt(), 3);
}

TEST_F(PrintOptions, MissingRowCancelAndFailedWriteChangeNothing) {
    const grid::PrintSettings before = session.sheet.print();
    auto changeEverything = [this] {
        reopen();
        for (int i = 0; i < 7; ++i)
            check(i)->setChecked(!check(i)->isChecked());
        option(3)->click();
        page(0)->setText("4");
    };
    changeEverything();
    press("Command3");
    EXPECT_EQ(d->result(), QDialog::Rejected);

    session.reportName = "没有这个报表";
    changeEverything();
    press("cmdOK");
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "系统错误，报表不存在");
    EXPECT_EQ(user.messages[0].title, "提示信息");
    EXPECT_EQ(user.messages[0].icon, base::MessageIcon::Information);
    EXPECT_NE(d->result(), QDialog::Accepted);

    // The row is there but the write touches nothing: a conflict, reported as such.
    session.reportName = test::kReportName;
    db.exec("create trigger keep before update on tsl_report begin select raise(ignore); end;");
    changeEverything();
    press("cmdOK");
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_EQ(user.messages[1].title, "系统警告");
    EXPECT_NE(d->result(), QDialog::Accepted);

    EXPECT_EQ(session.sheet.print(), before);
    EXPECT_EQ(stored("网格线").toInt(), 1);
    EXPECT_EQ(stored("范围类型").toInt(), 0);
}

TEST_F(PrintOptions, ADatabaseFailureSaysWhatFailedThenWhy) {
    db.exec("drop table tsl_report");
    reopen();
    press("cmdOK");
    ASSERT_EQ(user.messages.size(), 1u);
    // The dialog's sentence, then the database's own words (not the database layer's).
    EXPECT_TRUE(user.messages[0].text.startsWith("打印设置保存失败：no such table"))
        << user.messages[0].text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, PrintOptionsOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
