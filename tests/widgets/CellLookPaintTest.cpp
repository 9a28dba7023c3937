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

// Conditional formats painted alike on screen and on paper, read from the pixels of the sheet view
// and of a page. Column 1 numbers, 2 names, 3 numbers under a bar; rows tall enough that a point a
// fifth down a cell lies above its text and inside its bar. `across` < 0: blue ink in the cell?
TEST(CellLookPaint, ScreenAndPaperShowTheSameLooks) {
    grid::Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(4);
    const QString names[] = {"甲", "乙", "丙", "丁"}, amounts[] = {"10", "60", "30", "40"};
    for (int r = 1; r <= 4; ++r) {
        sheet.setText(1, r, amounts[r - 1]);
        sheet.setText(2, r, names[r - 1]);
        sheet.setText(3, r, QString::number(r));
        sheet.setRowHeight(r, 30);
        sheet.setColWidth(r, 16);
    }
    const char *rules = R"([{"column": 1, "when": ">", "value": 50, "fill": "#FF0000"},
        {"column": 2, "when": "=", "value": "丙", "fill": "#00FF00", "row": true},
        {"column": 2, "when": "=", "value": "丁", "text": "#0000FF"}, {"column": 3, "bar": "#0000FF"}])";
    sheet.setConditions(conditions::readConditions(QString::fromUtf8(rules), 3).rules);
    const struct {
        const char *name;
        int col, row;
        double across;
        Qt::GlobalColor expected;
    } cases[] = {{"a number over the value is filled", 1, 2, 0.1, Qt::red},
                 {"a number under it is not", 1, 1, 0.1, Qt::white},
                 {"a whole-row rule fills its row's other cells", 1, 3, 0.1, Qt::green},
                 {"a text colour", 2, 4, -1, Qt::blue},
                 {"no text colour elsewhere", 2, 1, -1, Qt::white},
                 {"the largest number's bar spans the cell", 3, 4, 0.9, Qt::blue},
                 {"the smallest number has none", 3, 1, 0.1, Qt::white},
                 {"a third of the range: a third long", 3, 2, 0.2, Qt::blue},
                 {"  and not beyond", 3, 2, 0.5, Qt::white},
                 {"a bar over a whole-row fill", 3, 3, 0.9, Qt::green}};

    widgets::SheetView view;
    view.setSheet(&sheet);
    view.resize(600, 300);
    const QImage screen = view.viewport()->grab().toImage();
    // Paper at two pixels per point, so that a 9-point text has solid pixels.
    const print::Pagination pg(sheet);
    QImage paper(1200, 1700, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.scale(2, 2);
    print::paintPage(sheet, pg, 1, painter);
    painter.end();
    const auto onPaper = [&, cols = pg.columns(1), rows = print::pageRows(sheet, pg.layout(1))](
                             int col, int row) {
        const print::PageColumn &c = cols[std::size_t(col - 1)];
        const print::PageRow &r = rows[std::size_t(row - 1)];
        return QRectF(2 * c.x, 2 * r.y, 2 * c.width, 2 * r.h).toAlignedRect();
    };
    const auto blueInk = [](const QImage &image, const QRect &cell) {
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (const QColor c = image.pixelColor(x, y);
                    c.blue() - c.red() > 120 && c.blue() - c.green() > 120)
                    return true;
        return false;
    };
    for (const auto &c : cases) {
        for (const auto &[image, cell, where] :
             {std::tuple(screen, view.cellRect(c.col, c.row), "screen"),
              std::tuple(paper, onPaper(c.col, c.row), "paper")}) {
            if (c.across < 0) {
                EXPECT_EQ(blueInk(image, cell), c.expected == Qt::blue)
                    << c.name << " on " << where;
                continue;
            }
            const QPoint at(cell.left() + int(c.across * cell.width()),
                            cell.top() + cell.height() / 5);
            EXPECT_EQ(image.pixelColor(at), QColor(c.expected)) << c.name << " on " << where;
        }
    }
}
