#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include "grid/Sheet.h"
#include "print/PrintFonts.h"
#include "widgets/SheetView.h"

using namespace tessel::grid;
using namespace tessel::widgets;

namespace {

struct SheetViewResizeTest : ::testing::Test {
    void SetUp() override {
        sheet.setMaxCols(6);
        sheet.setMaxRows(6000);
        view.setSheet(&sheet);
        view.resize(640, 480);
        view.show();
        QCoreApplication::processEvents();
    }
    Sheet sheet;
    SheetView view;
};

TEST_F(SheetViewResizeTest, HeaderGesturesSizeColumnsAndTheLabelRowOrSelect) {
    // The press: by column 2's right border, inside its header, by the label row's lower
    // border in the row header column or in the header row.
    enum Anchor { ColBorder, InHeader, RowBorderLeft, RowBorderTop };
    enum Twist { Plain, Off, Hide3, Escape };  // resizing off, column 3 hidden, Escape pressed
    struct Case {
        const char *name;
        Anchor anchor;
        int offset, drag;  // pixels from the anchor, then dragged, across or down
        Twist twist;
        Qt::CursorShape cursor;
        double size;  // column 2's width across, row 0's height down
    };
    const Case cases[] = {
        {"wider by 21 px", ColBorder, -1, 21, Plain, Qt::SplitHCursor, 13},
        {"past the border, 14 px narrower", ColBorder, 2, -14, Plain, Qt::SplitHCursor, 8},
        {"past its left edge hides", ColBorder, 0, -300, Plain, Qt::SplitHCursor, 0},
        {"a hidden neighbour leaves it to column 2", ColBorder, 2, 7, Hide3, Qt::SplitHCursor, 11},
        {"escape puts it back", ColBorder, -1, 30, Escape, Qt::SplitHCursor, 10},
        {"inside the header selects", InHeader, 0, 21, Plain, Qt::ArrowCursor, 10},
        {"resizing off", ColBorder, -1, 21, Off, Qt::ArrowCursor, 10},
        {"label row from the row header", RowBorderLeft, 2, 12, Plain, Qt::SplitVCursor, 21.75},
        {"label row from the header row", RowBorderTop, -2, -4, Plain, Qt::SplitVCursor, 9.75},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sheet.setColWidth(2, 10);  // 70 px
        sheet.setColWidth(3, c.twist == Hide3 ? 0 : kDefaultColWidth);
        sheet.setRowHeight(0, kDefaultRowHeight);  // 17 px
        sheet.setSelection({});
        view.setUserResizable(c.twist != Off);
        const bool clicked = c.anchor == InHeader || c.twist == Off;
        const QRect h2 = view.cellRect(2, 0);
        const bool across = c.anchor == ColBorder || c.anchor == InHeader;
        const QPoint anchors[] = {{h2.right() + 1, 8},
                                  h2.center(),
                                  {5, h2.bottom() + 1},
                                  {h2.center().x(), h2.bottom() + 1}};
        const QPoint from =
            anchors[c.anchor] + (across ? QPoint(c.offset, 0) : QPoint(0, c.offset));
        const QPoint to = from + (across ? QPoint(c.drag, 0) : QPoint(0, c.drag));
        auto size = [&] { return across ? sheet.colWidth(2) : sheet.rowHeight(0); };
        QSignalSpy widths(&view, &SheetView::ColumnWidthChanged);
        QSignalSpy heights(&view, &SheetView::RowHeightChanged);
        QTest::mouseMove(view.viewport(), from);
        EXPECT_EQ(view.viewport()->cursor().shape(), c.cursor);
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view.viewport(), to);
        if (c.twist != Escape)
            EXPECT_DOUBLE_EQ(size(), c.size) << "while dragging";
        else
            QTest::keyClick(&view, Qt::Key_Escape);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
        EXPECT_DOUBLE_EQ(size(), c.size);
        EXPECT_DOUBLE_EQ(across ? sheet.rowHeight(0) : sheet.colWidth(2), across ? 12.75 : 10);
        EXPECT_EQ(sheet.selection().isEmpty(), !clicked);
        EXPECT_EQ(widths.size(), clicked || !across ? 0 : c.twist == Escape ? 2 : 1);
        EXPECT_EQ(heights.size(), across ? 0 : 1);
    }
}

TEST_F(SheetViewResizeTest, DoubleClickOnABorderFitsTheWidestTextWithinLimits) {
    view.setUserResizable(true);
    const QString wide(30, QChar(u'宽'));
    const int widePx =
        QFontMetrics(tessel::print::cellFont(sheet.defaultStyle().font)).horizontalAdvance(wide);
    struct Case {
        const char *name;
        int row;  // where the text goes (0: the label)
        QString text;
        double leastPx, mostPx;  // the fitted width in pixels
        RowKind kind = RowKind::Data;
    };
    const Case cases[] = {
        {"a long label", 0, wide, widePx + 4.0, widePx + 16.0},
        {"a long text in the first rows", 3, wide, widePx + 4.0, widePx + 16.0},
        {"a long text in view, far down", 5990, wide, widePx + 4.0, widePx + 16.0},
        {"far down, out of view: not measured", 5500, wide, 14, 14},
        {"a subtotal out of view is measured", 5500, wide, widePx + 4.0, widePx + 16.0,
         RowKind::Subtotal},
        {"an empty column keeps the least width", 1, {}, 14, 14},
        {"a very long label is capped", 0, QString(300, QChar(u'宽')), 700, 700},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sheet.clearText({2, 0, 2, 6000});
        sheet.setColWidth(2, 10);
        sheet.setText(2, 0, QStringLiteral(" "));  // a blank label: no letters either
        sheet.setText(2, c.row, c.text);
        sheet.setRowMark(5500, RowMark{c.kind, c.kind == RowKind::Data ? 0 : 1});
        view.scrollTo(1, c.row == 5990 ? 5990 : 1);
        QSignalSpy widths(&view, &SheetView::ColumnWidthChanged);
        QSignalSpy dbl(&view, &SheetView::DblClick);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, {view.cellRect(2, 0).right(), 8});
        EXPECT_GE(sheet.colWidth(2) * 7, c.leastPx - 0.01);
        EXPECT_LE(sheet.colWidth(2) * 7, c.mostPx + 0.07);  // within a hundredth of a unit
        EXPECT_EQ(widths.size(), 1);
        EXPECT_TRUE(dbl.isEmpty());
    }
}

}  // namespace
