// The preview's find bar driven through its controls on a 300-page report: Ctrl+F opens it,
// typing moves to the first match, Enter / the next button / Shift+Enter step through the
// matches with the page counter and page buttons following, the ends wrap with a note, the
// matching cell is outlined, a header text is found on every page, and Esc closes the bar.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QToolButton>

#include "preview/FindBar.h"
#include "preview/SpreadPreview.h"
#include "support/PreviewFixture.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"

using namespace tessel;
using namespace preview;

namespace {

class FindBarWindow : public test::ReportFixture {
protected:
    void TearDown() override {
        delete window.data();
        test::flushDeletes();
    }
    template <class T>
    T *child(const char *name) const {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The page shown, the page counter and the page buttons (locked = disabled).
    void expectPage(int page) const {
        EXPECT_EQ(window->pageView()->pageCurrent(), page);
        const grid::Sheet &strip = *window->toolbar()->sheet();
        EXPECT_EQ(strip.text(kColCounter, 1), QString("Page %1 of 300").arg(page));
        EXPECT_EQ(strip.style(kColPrevious, 1).locked, page == 1);
        EXPECT_EQ(strip.style(kColNext, 1).locked, page == 300);
    }
    // Types `text` key by key (QTest::keyClicks knows ASCII only).
    static void type(QWidget *w, const QString &text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    QString countText() const { return child<QLabel>("lblFindCount")->text(); }

    QPointer<SpreadPreview> window;
};

TEST_F(FindBarWindow, TypeStepWrapAndClose) {
    grid::Sheet &sheet = session.sheet;
    sheet.printSettings().header = QStringLiteral("/c销售日报/n");
    test::fillPages(sheet, 300);
    const print::Pagination pages(sheet);
    const int middleRow = pages.layout(150).firstRow + 5;
    sheet.setText(2, 3, QStringLiteral("Marker One"));
    sheet.setText(2, middleRow, QStringLiteral("Marker Two"));
    sheet.setText(2, sheet.maxRows(), QStringLiteral("Marker Three"));
    window = new SpreadPreview(session);
    window->setVaGridtemp(&sheet);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    auto *bar = child<FindBar>("findBar");
    auto *text = child<QLineEdit>("txtFind");
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().top(), window->toolbar()->geometry().bottom() + 1);
    EXPECT_EQ(window->pageView()->geometry().top(), bar->geometry().bottom() + 1);

    window->pageView()->setPageCurrent(2);
    type(text, QStringLiteral("ＭＡＲＫＥＲ"));  // full width, other case
    // The search runs in slices on the event loop: a slow build needs more than one.
    QTRY_COMPARE(window->pageView()->pageCurrent(), 150);
    expectPage(150);
    EXPECT_EQ(window->pageView()->highlightPage(), 150);
    EXPECT_EQ(
        window->pageView()->highlightRect(),
        PageFinder(sheet, pages, "marker").matchRect({150, FindMatch::Part::Cell, 2, middleRow}));
    QTRY_COMPARE(countText(), QString("2 / 3"));

    QTest::keyClick(text, Qt::Key_Return);
    expectPage(300);
    EXPECT_EQ(countText(), "3 / 3");
    QTest::mouseClick(child<QToolButton>("cmdFindNext"), Qt::LeftButton);
    expectPage(1);
    EXPECT_EQ(countText(), "1 / 3  已回到开头");
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    expectPage(300);
    EXPECT_EQ(countText(), "3 / 3  已回到末尾");
    QTest::keyClick(text, Qt::Key_F3);
    expectPage(1);

    QTest::keyClick(text, Qt::Key_F3, Qt::ShiftModifier);
    expectPage(300);
    text->setText(QStringLiteral("销售日报"));  // the header, on every page
    expectPage(300);
    EXPECT_EQ(bar->currentMatch()->part, FindMatch::Part::Header);
    QTRY_COMPARE(countText(), QString("300 / 300"));

    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(window->pageView()->highlightPage(), 0);

    QMenu menu;
    window->fillPageViewMenu(menu);
    ASSERT_EQ(menu.actions().value(0)->text(), "查找");
    menu.actions().value(0)->trigger();
    EXPECT_TRUE(bar->isVisible());
}

}  // namespace
