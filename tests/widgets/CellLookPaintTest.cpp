// Conditional formats painted alike on screen and on paper: a cell's fill and text colour, a
// whole-row rule, a data bar's length, read from the pixels of the sheet view and of a page.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "conditions/StoredConditions.h"
#include "grid/Sheet.h"
#include "print/PageCells.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "widgets/SheetView.h"

using namespace tessel;

namespace {

// Whether some pixel of `cell` in `image` is clearly blue: the ink of a blue text.
bool blueInk(const QImage &image, const QRect &cell) {
    for (int y = cell.top() + 1; y < cell.bottom(); ++y)
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() - c.red() > 120 && c.blue() - c.green() > 120)
                return true;
        }
    return false;
}

}  // namespace

TEST(CellLookPaint, ScreenAndPaperShowTheSameLooks) {
    // Column 1 numbers, 2 names, 3 numbers under a bar; rows tall enough that a point a fifth
    // down a cell lies above its text and inside its bar.
    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(4);
    const char *names[] = {"甲", "乙", "丙", "丁"};
    const int amounts[] = {10, 60, 30, 40};
    for (int r = 1; r <= 4; ++r) {
        sheet.setText(1, r, QString::number(amounts[r - 1]));
        sheet.setText(2, r, QString::fromUtf8(names[r - 1]));
        sheet.setText(3, r, QString::number(r));
        sheet.setRowHeight(r, 30);
    }
    for (int c = 1; c <= 3; ++c)
        sheet.setColWidth(c, 16);
    sheet.setConditions(conditions::readConditions(QString::fromUtf8(R"([
        {"column": 1, "when": ">", "value": 50, "fill": "#FF0000"},
        {"column": 2, "when": "=", "value": "丙", "fill": "#00FF00", "row": true},
        {"column": 2, "when": "=", "value": "丁", "text": "#0000FF"},
        {"column": 3, "bar": "#0000FF"}])"),
                                                   3)
                            .rules);
    ASSERT_EQ(sheet.conditions().size(), 4u);

    const QColor white(Qt::white), red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    const struct {
        const char *name;
        int col, row;
        double across;  // where across the cell the pixel is read, 0..1; < 0: look for blue ink
        QColor expected;
    } cases[] = {
        {"a number over the value is filled", 1, 2, 0.1, red},
        {"a number under it is not", 1, 1, 0.1, white},
        {"a whole-row rule fills its row's other cells", 1, 3, 0.1, green},
        {"and its own cell", 2, 3, 0.9, green},
        {"a text colour", 2, 4, -1, blue},
        {"no text colour elsewhere", 2, 1, -1, white},
        {"the largest number's bar spans the cell", 3, 4, 0.9, blue},
        {"the smallest number has no bar", 3, 1, 0.1, white},
        {"a third of the range: a bar a third long", 3, 2, 0.2, blue},
        {"  and not beyond", 3, 2, 0.5, white},
        {"a bar over a whole-row fill", 3, 3, 0.9, green},
    };

    widgets::SheetView view;
    view.setSheet(&sheet);
    view.resize(600, 300);
    const QImage screen = view.viewport()->grab().toImage();

    // Paper at two pixels per point, so that a 9-point text has solid pixels.
    const print::Pagination pg(sheet);
    QImage paper(1200, 1700, QImage::Format_RGB32);
    paper.fill(Qt::white);
    {
        QPainter painter(&paper);
        painter.scale(2, 2);
        print::paintPage(sheet, pg, 1, painter);
    }
    const std::vector<print::PageRow> rows = print::pageRows(sheet, pg.layout(1));
    const std::vector<print::PageColumn> cols = pg.columns(1);
    const auto onPaper = [&](int col, int row) {
        for (const print::PageColumn &c : cols)
            for (const print::PageRow &r : rows)
                if (c.col == col && r.fromSheet() && r.row == row)
                    return QRectF(2 * c.x, 2 * r.y, 2 * c.width, 2 * r.h).toAlignedRect();
        return QRect();
    };

    for (const auto &c : cases) {
        for (const auto &[image, cell, where] :
             {std::tuple(screen, view.cellRect(c.col, c.row), "screen"),
              std::tuple(paper, onPaper(c.col, c.row), "paper")}) {
            ASSERT_FALSE(cell.isEmpty()) << c.name << " on " << where;
            if (c.across < 0) {
                EXPECT_EQ(blueInk(image, cell), c.expected == blue) << c.name << " on " << where;
                continue;
            }
            const QPoint at(cell.left() + int(c.across * cell.width()),
                            cell.top() + cell.height() / 5);
            EXPECT_EQ(image.pixelColor(at), c.expected) << c.name << " on " << where;
        }
    }
}
