#include <gtest/gtest.h>

#include <QPainter>
#include <QPointer>
#include <tuple>

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "grid/Sheet.h"
#include "print/PageCells.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "widgets/SheetView.h"

using namespace tessel::grid;
using namespace tessel::print;
using namespace tessel::widgets;

namespace {

class SheetViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        sheet.setMaxCols(6);
        sheet.setMaxRows(20);
        view.setSheet(&sheet);
        view.resize(640, 480);
        view.show();
        QCoreApplication::processEvents();
    }

    QPoint centre(int col, int row) const { return view.cellRect(col, row).center(); }

    void makeCell(int col, int row, CellKind kind, bool locked, const QString &text) {
        sheet.setCurrent(col, row);
        sheet.setCellKind(kind);
        sheet.setLocked(locked);
        sheet.setText(col, row, text);
    }

    Sheet sheet;
    SheetView view;
};

TEST_F(SheetViewTest, ButtonCellClickEmitsButtonClickedWithItsCell) {
    makeCell(2, 3, CellKind::Button, false, QStringLiteral("下一页"));
    QSignalSpy buttons(&view, &SheetView::ButtonClicked);
    QSignalSpy clicks(&view, &SheetView::Click);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(2, 3));

    ASSERT_EQ(buttons.count(), 1);
    EXPECT_EQ(buttons.at(0).at(0).toInt(), 2);
    EXPECT_EQ(buttons.at(0).at(1).toInt(), 3);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
    EXPECT_EQ(clicks.at(0).at(1).toInt(), 3);
}

TEST_F(SheetViewTest, ButtonClickedOnlyForUnlockedButtonsReleasedInPlace) {
    makeCell(2, 1, CellKind::Button, true, QStringLiteral("前一页"));  // a disabled button
    makeCell(4, 1, CellKind::Button, false, QStringLiteral("打印"));
    makeCell(1, 2, CellKind::EditText, false, QStringLiteral("plain"));
    QSignalSpy buttons(&view, &SheetView::ButtonClicked);
    QSignalSpy clicks(&view, &SheetView::Click);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(2, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(1, 2));
    // Pressed on the button, released elsewhere: no click of the button.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, centre(4, 1));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, centre(5, 4));

    EXPECT_EQ(buttons.count(), 0);
    ASSERT_EQ(clicks.count(), 3);
    EXPECT_EQ(clicks.at(1).at(0).toInt(), 1);
    EXPECT_EQ(clicks.at(1).at(1).toInt(), 2);
}

TEST_F(SheetViewTest, ButtonClickedCanBeEmittedByName) {
    QSignalSpy buttons(&view, &SheetView::ButtonClicked);
    ASSERT_TRUE(QMetaObject::invokeMethod(&view, "ButtonClicked", Q_ARG(int, 6), Q_ARG(int, 1)));
    ASSERT_EQ(buttons.count(), 1);
    EXPECT_EQ(buttons.at(0).at(0).toInt(), 6);

    sheet.setText(3, 2, QStringLiteral("金额"));
    QString text;
    int cols = 0;
    ASSERT_TRUE(QMetaObject::invokeMethod(&view, "text", Q_RETURN_ARG(QString, text), Q_ARG(int, 3),
                                          Q_ARG(int, 2)));
    ASSERT_TRUE(QMetaObject::invokeMethod(&view, "maxCols", Q_RETURN_ARG(int, cols)));
    EXPECT_EQ(text, QStringLiteral("金额"));
    EXPECT_EQ(cols, 6);
}

TEST_F(SheetViewTest, RightButtonReleaseReportsCellAndPosition) {
    QSignalSpy right(&view, &SheetView::RightClick);
    const QPoint at = centre(3, 5);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    ASSERT_EQ(right.count(), 1);
    const auto args = right.at(0);
    EXPECT_EQ(args.at(0).toInt(), 1);
    EXPECT_EQ(args.at(1).toInt(), 3);
    EXPECT_EQ(args.at(2).toInt(), 5);
    EXPECT_EQ(args.at(3).toInt(), at.x());
    EXPECT_EQ(args.at(4).toInt(), at.y());
    // The right button leaves the active cell where it was.
    EXPECT_EQ(view.activeCol(), 1);
    EXPECT_EQ(view.activeRow(), 1);
}

TEST_F(SheetViewTest, TipRequestShowsWhatTheReceiverSupplies) {
    sheet.setText(2, 2, QStringLiteral("Page 2 of 5"));
    QList<QPoint> asked;
    QObject::connect(
        &view, &SheetView::TextTipFetch, &view,
        [&](int col, int row, QString *tip, bool *show) {
            asked.append({col, row});
            EXPECT_TRUE(tip->isEmpty());
            EXPECT_FALSE(*show);
            *tip = view.text(col, row);
            *show = !tip->isEmpty();
        },
        Qt::DirectConnection);
    auto hover = [&](int col, int row) {
        const QPoint pos = centre(col, row);
        QHelpEvent ev(QEvent::ToolTip, pos, view.viewport()->mapToGlobal(pos));
        QApplication::sendEvent(view.viewport(), &ev);
    };

    hover(2, 2);  // tips are off until switched on
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(view.shownTip().isEmpty());

    view.setTextTips(true);
    hover(2, 2);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.at(0), QPoint(2, 2));
    EXPECT_EQ(view.shownTip(), QStringLiteral("Page 2 of 5"));

    hover(3, 3);  // the receiver declines: the tip goes away
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(view.shownTip().isEmpty());
}

TEST_F(SheetViewTest, CellGeometryFollowsWidthsHeightsAndHiddenColumns) {
    sheet.setColWidth(1, 10);   // 70 px
    sheet.setColWidth(2, 0);    // hidden
    sheet.setColWidth(4, 0.3);  // a 2 px spacer, still shown
    sheet.setRowHeight(2, 30);  // 40 px
    sheet.setRowHeight(3, 0);   // hidden row

    const QRect c1 = view.cellRect(1, 1);
    EXPECT_EQ(c1.width(), 70);
    EXPECT_EQ(view.cellRect(2, 1).width(), 0);
    EXPECT_EQ(view.cellRect(3, 1).left(), c1.left() + 70);
    EXPECT_EQ(view.cellRect(3, 1).width(), SheetView::widthToPixels(kDefaultColWidth));
    EXPECT_EQ(view.cellRect(4, 1).width(), 2);
    EXPECT_EQ(view.cellRect(1, 2).height(), 40);
    EXPECT_EQ(view.cellRect(1, 4).top(), view.cellRect(1, 2).top() + 40);
    EXPECT_EQ(view.cellRect(1, 1).top(), SheetView::heightToPixels(sheet.rowHeight(0)));

    struct Probe {
        QPoint pos;
        QPoint cell;
    };
    const QRect c3 = view.cellRect(3, 2);
    const Probe probes[] = {
        {{c1.left(), c1.top()}, {1, 1}},
        {{c1.right(), c1.bottom()}, {1, 1}},
        {{c3.left(), c3.top()}, {3, 2}},  // right of the hidden column: never column 2
        {{c3.left() - 1, c3.top()}, {1, 2}},
        {{view.cellRect(4, 1).left() + 1, c1.top()}, {4, 1}},
        {{c3.left(), view.cellRect(1, 4).top()}, {3, 4}},            // below the hidden row 3
        {{c3.left(), 2}, {3, 0}},                                    // column header
        {{2, c1.top() + 2}, {0, 1}},                                 // row header
        {{c3.left(), view.cellRect(1, 20).bottom() + 5}, {-1, -1}},  // below the last row
    };
    for (const Probe &p : probes)
        EXPECT_EQ(view.cellAt(p.pos), p.cell) << p.pos.x() << "," << p.pos.y();

    sheet.setColHeadersVisible(false);
    sheet.setRowHeadersVisible(false);
    EXPECT_EQ(view.cellRect(1, 1).topLeft(), QPoint(0, 0));
    EXPECT_EQ(view.cellAt(QPoint(0, 0)), QPoint(1, 1));
}

TEST_F(SheetViewTest, InPlaceEditWritesTheSheetAndLockedCellsDoNotEdit) {
    makeCell(1, 1, CellKind::EditText, false, QStringLiteral("old"));
    makeCell(2, 1, CellKind::EditText, true, QStringLiteral("locked"));
    makeCell(3, 1, CellKind::StaticText, false, QStringLiteral("static"));
    makeCell(4, 1, CellKind::Button, false, QStringLiteral("..."));
    QSignalSpy modes(&view, &SheetView::EditMode);
    QSignalSpy dbl(&view, &SheetView::DblClick);

    for (int col : {2, 3, 4}) {
        EXPECT_FALSE(view.editCell(col, 1)) << col;
        EXPECT_FALSE(view.isEditing());
    }
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre(2, 1));
    EXPECT_FALSE(view.isEditing());
    EXPECT_EQ(modes.count(), 0);
    EXPECT_EQ(dbl.count(), 1);

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre(1, 1));
    ASSERT_TRUE(view.isEditing());
    ASSERT_EQ(modes.count(), 1);
    EXPECT_EQ(modes.at(0).at(2).toInt(), 1);
    view.editor()->setText(QStringLiteral("新值"));
    view.commitEdit();
    EXPECT_FALSE(view.isEditing());
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("新值"));
    ASSERT_EQ(modes.count(), 2);
    EXPECT_EQ(modes.at(1).at(0).toInt(), 1);
    EXPECT_EQ(modes.at(1).at(2).toInt(), 0);
    EXPECT_TRUE(modes.at(1).at(3).toBool());

    // Escape drops the typed text.
    ASSERT_TRUE(view.editCell(1, 1));
    view.editor()->setText(QStringLiteral("discarded"));
    QTest::keyClick(view.editor(), Qt::Key_Escape);
    EXPECT_FALSE(view.isEditing());
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("新值"));
    EXPECT_FALSE(modes.last().at(3).toBool());

    // Typing on the active cell starts an edit holding what was typed; Return commits.
    view.setActiveCell(1, 1);
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_X);
    ASSERT_TRUE(view.isEditing());
    EXPECT_EQ(view.editor()->text(), QStringLiteral("x"));
    QTest::keyClick(view.editor(), Qt::Key_Return);
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("x"));
    EXPECT_EQ(view.activeRow(), 2);
}

TEST_F(SheetViewTest, AStripWithoutFocusLeavesTheFocusWhereItIs) {
    view.setFocusPolicy(Qt::NoFocus);
    view.clearFocus();
    ASSERT_FALSE(view.hasFocus());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(1, 1));
    EXPECT_FALSE(view.hasFocus());
}

TEST_F(SheetViewTest, MouseSelectsABlockOnTheSheet) {
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, centre(2, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(centre(4, 6)), QPointF(centre(4, 6)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, centre(4, 6));
    EXPECT_EQ(sheet.selection(), (CellBlock{2, 3, 4, 6}));

    // Shift-click extends from the anchor, here upwards and to the left.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(1, 1));
    EXPECT_EQ(sheet.selection(), (CellBlock{1, 1, 2, 3}));

    // A column header selects the whole column.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(5, 0));
    EXPECT_EQ(sheet.selection(), (CellBlock{5, 1, 5, 20}));
}

// Pixels that tell merged cells from separate ones: grid lines run along the right and
// bottom edge of each cell shown, so a merged block has none inside it.
TEST_F(SheetViewTest, EqualNeighboursOfMergedColumnsAndRowsShowAsOne) {
    view.setGridColor(QColor(255, 0, 0));
    view.setActiveCell(6, 20);  // keep the active cell's frame out of the way
    sheet.setText(1, 1, QStringLiteral("A"));
    sheet.setText(1, 2, QStringLiteral("A"));
    sheet.setText(1, 3, QStringLiteral("B"));
    sheet.setText(2, 1, QStringLiteral("A"));
    sheet.setText(2, 2, QStringLiteral("A"));  // equal neighbours in an unmerged column
    sheet.setText(3, 4, QStringLiteral("C"));
    sheet.setText(4, 4, QStringLiteral("C"));
    sheet.setColMerge(1, MergeMode::Always);
    sheet.setRowMerge(4, MergeMode::Always);

    const QImage shot = view.viewport()->grab().toImage();
    const QRgb red = qRgb(255, 0, 0);
    auto bottomLine = [&](int col, int row) {
        const QRect r = view.cellRect(col, row);
        return shot.pixel(r.right() - 3, r.bottom()) == red;
    };
    auto rightLine = [&](int col, int row) {
        const QRect r = view.cellRect(col, row);
        return shot.pixel(r.right(), r.bottom() - 3) == red;
    };
    EXPECT_FALSE(bottomLine(1, 1));  // A over A in a merged column
    EXPECT_TRUE(bottomLine(1, 2));   // A over B
    EXPECT_TRUE(bottomLine(2, 1));   // column 2 is not merged
    EXPECT_FALSE(rightLine(3, 4));   // C beside C in a merged row
    EXPECT_TRUE(rightLine(4, 4));
}

// The view and the printed pages of one sheet merge the same cells; a page shows the part
// of a group that lies on it.
TEST(SheetViewMerges, ScreenAndPaperDrawTheSameMergedBlocks) {
    Sheet sheet;
    sheet.setMaxCols(4);
    sheet.setMaxRows(30);
    sheet.setText(2, 0, "A");  // an empty label beside "A" in a merged header row
    sheet.setText(3, 0, "同");
    sheet.setText(4, 0, "同");
    sheet.setRowMerge(0, MergeMode::Always);
    for (int c = 1; c <= 3; ++c)  // a row merge next to a column run
        sheet.setText(c, 3, "X");
    sheet.setText(2, 4, "X");
    sheet.setRowMerge(3, MergeMode::Always);
    sheet.setColMerge(2, MergeMode::Always);
    for (int r = 4; r <= 30; ++r)  // one run down the column, cut by page breaks
        sheet.setText(1, r, "部门");
    sheet.setColMerge(1, MergeMode::Always);

    const QPageSize paper(QSizeF(300, 200), QPageSize::Point, QString(), QPageSize::ExactMatch);
    const Pagination pg(sheet, paper);
    ASSERT_GT(pg.pageCount(), 1);
    SheetView view;
    view.setSheet(&sheet);
    EXPECT_EQ(view.mergedBlock(1, 0), (CellSpan{1, 0, 1, 0}));  // an empty label stays alone
    EXPECT_EQ(view.mergedBlock(2, 3), (CellSpan{2, 3, 2, 4}));  // the run keeps its cell
    for (int page = 1; page <= pg.pageCount(); ++page) {
        const PageLayout l = pg.layout(page);
        const std::vector<PageColumn> cols = pg.columns(page);
        for (const CellSpan &printed : printedBlocks(sheet, pg, page)) {
            const bool header = printed.row == 0;
            CellSpan shown = view.mergedBlock(printed.col, printed.row);
            shown.col = std::max(shown.col, cols.front().col);
            shown.col2 = std::min(shown.col2, cols.back().col);
            shown.row = std::max(shown.row, header ? 0 : l.firstRow);
            shown.row2 = std::min(shown.row2, header ? 0 : l.lastRow);
            EXPECT_EQ(shown, printed)
                << "page " << page << " cell " << printed.col << "," << printed.row;
        }
    }
}

TEST_F(SheetViewTest, SuspendedRedrawKeepsTheLastPicture) {
    view.setActiveCell(6, 20);
    sheet.setText(1, 1, QStringLiteral("before"));
    const QImage before = view.viewport()->grab().toImage();
    sheet.setRedraw(false);
    sheet.setCurrent(1, 1);
    sheet.setBackground(QColor(0, 0, 255));
    sheet.setText(1, 1, QStringLiteral("after"));
    EXPECT_EQ(view.viewport()->grab().toImage(), before);
    sheet.setRedraw(true);
    const QImage after = view.viewport()->grab().toImage();
    EXPECT_NE(after, before);
    const QRect r = view.cellRect(1, 1);
    EXPECT_EQ(after.pixelColor(r.right() - 6, r.center().y()), QColor(0, 0, 255));
}

TEST(SheetViewLarge, MillionRowSheetPaintsAndScrollsToTheEnd) {
    Sheet sheet;
    constexpr int kRows = 1'000'000;
    sheet.setRedraw(false);
    sheet.setMaxCols(8);
    sheet.setMaxRows(kRows);
    for (int r = 1; r <= kRows; ++r)
        sheet.setTextUtf8(1, r, std::to_string(r));
    // A few rows of their own height, so offsets are not plain arithmetic.
    sheet.setRowHeight(10, 40);
    sheet.setRowHeight(500'000, 0);
    sheet.setRowHeight(999'990, 25);
    sheet.setRedraw(true);

    SheetView view;
    view.setSheet(&sheet);
    view.resize(800, 600);
    view.show();
    EXPECT_FALSE(view.grab().isNull());
    EXPECT_EQ(view.topRow(), 1);

    const int def = SheetView::heightToPixels(kDefaultRowHeight);
    EXPECT_EQ(view.cellRect(1, 11).top() - view.cellRect(1, 10).top(),
              SheetView::heightToPixels(40));
    EXPECT_EQ(view.cellRect(1, 500'001).top(), view.cellRect(1, 500'000).top());
    EXPECT_EQ(view.cellRect(1, 999'991).top() - view.cellRect(1, 999'989).top(),
              def + SheetView::heightToPixels(25));

    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_FALSE(view.grab().isNull());
    const QRect last = view.cellRect(1, kRows);
    EXPECT_LE(last.bottom(), view.viewport()->height() - 1);
    EXPECT_GE(last.top(), 0);
    EXPECT_EQ(view.cellAt(last.center()), QPoint(1, kRows));
    EXPECT_GT(view.topRow(), kRows - 100);

    view.scrollTo(1, 600'000);
    const QRect mid = view.cellRect(1, 600'000);
    EXPECT_TRUE(view.viewport()->rect().contains(mid.center()));
    EXPECT_EQ(view.cellAt(mid.center()), QPoint(1, 600'000));
    EXPECT_EQ(view.text(1, 600'000), QStringLiteral("600000"));
}

}  // namespace

// A cell's text sits the same on screen and on paper: a right-to-left text at the right of
// its cell, a Latin one at the left, a number at the right. `ink` finds where a text's dark
// pixels lie across a cell rectangle of an image.
TEST(SheetViewCellText, ScreenAndPaperPlaceTextAlike) {
    const struct {
        const char *name;
        QString text;
        bool right;
    } cases[] = {{"Hebrew", QStringLiteral("שלום"), true},
                 {"Arabic", QStringLiteral("مرحبا"), true},
                 {"Latin", QStringLiteral("abc"), false},
                 {"number", QStringLiteral("42"), true}};
    const auto ink = [](const QImage &image, const QRect &cell, int &left, int &right) {
        left = cell.right();
        right = cell.left();
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
    };
    for (const auto &c : cases) {
        Sheet sheet;
        sheet.setMaxCols(1);
        sheet.setMaxRows(1);
        sheet.setColWidth(1, 40);
        sheet.setText(1, 1, c.text);

        SheetView view;
        view.setSheet(&sheet);
        view.setActiveCell(1, 1);
        view.resize(500, 200);
        const QImage screen = view.viewport()->grab().toImage();
        const QRect onScreen = view.cellRect(1, 1);

        const Pagination pg(sheet);
        QImage paper(600, 850, QImage::Format_RGB32);
        paper.fill(Qt::white);
        {
            QPainter painter(&paper);
            paintPage(sheet, pg, 1, painter);
        }
        const std::vector<PageRow> rows = pageRows(sheet, pg.layout(1));
        ASSERT_EQ(rows.size(), 1u) << c.name;
        const PageColumn col = pg.columns(1).front();
        const QRectF cellPoints(col.x, rows[0].y, col.width, rows[0].h);
        const QRect onPaper = cellPoints.toAlignedRect();

        for (const auto &[image, cell, where] :
             {std::tuple(screen, onScreen, "screen"), std::tuple(paper, onPaper, "paper")}) {
            int left = 0, right = 0;
            ink(image, cell, left, right);
            ASSERT_LE(left, right) << c.name << " on " << where << ": no text drawn";
            const int middle = cell.center().x();
            if (c.right)
                EXPECT_GT(left, middle) << c.name << " on " << where;
            else
                EXPECT_LT(right, middle) << c.name << " on " << where;
        }
    }
}
