// How a cell's picture, caption and lines are laid out: the one routine the page painter and
// the sheet view share.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QTextLayout>

#include "print/CellContentLayout.h"

using namespace tessel;
using grid::CellKind;
using grid::PictureAlign;

TEST(CellContentLayout, PictureScaledIntoTheCellAndCaptionBesideIt) {
    const struct {
        const char *name;
        CellKind kind;
        PictureAlign align;
        QRectF cell;
        QSizeF picture;
        QRectF expectedPicture, expectedText;  // padding 2
    } cases[] = {
        {"wide cell, wide picture, alone", CellKind::Picture, PictureAlign::PictureOnly,
         QRectF(0, 0, 100, 20), QSizeF(40, 20), QRectF(40, 5, 20, 10), QRectF()},
        {"tall picture kept inside a wide cell", CellKind::Picture, PictureAlign::PictureOnly,
         QRectF(0, 0, 100, 20), QSizeF(10, 40), QRectF(47.5, 0, 5, 20), QRectF()},
        {"tall cell: the width decides", CellKind::Picture, PictureAlign::PictureOnly,
         QRectF(10, 10, 20, 100), QSizeF(300, 300), QRectF(10, 50, 20, 20), QRectF()},
        {"picture left, caption after it", CellKind::Picture, PictureAlign::PictureLeftCaptionRight,
         QRectF(0, 0, 100, 20), QSizeF(20, 20), QRectF(0, 0, 20, 20), QRectF(22, 0, 76, 20)},
        {"button: caption left, picture right", CellKind::Button,
         PictureAlign::CaptionLeftPictureRight, QRectF(0, 0, 100, 20), QSizeF(64, 32),
         QRectF(80, 5, 20, 10), QRectF(2, 0, 76, 20)},
        {"no picture: the caption alone", CellKind::Picture, PictureAlign::PictureOnly,
         QRectF(0, 0, 100, 20), QSizeF(), QRectF(), QRectF(2, 0, 96, 20)},
        {"text cell: no picture", CellKind::EditText, PictureAlign::PictureOnly,
         QRectF(0, 0, 100, 20), QSizeF(20, 20), QRectF(), QRectF(2, 0, 96, 20)},
    };
    for (const auto &c : cases) {
        grid::CellStyle style;
        style.kind = c.kind;
        style.pictureAlign = c.align;
        const print::CellContentBoxes boxes = print::cellContentBoxes(c.cell, 2, style, c.picture);
        EXPECT_EQ(boxes.picture, c.expectedPicture) << c.name;
        EXPECT_EQ(boxes.text, c.expectedText) << c.name;
    }
}

TEST(CellContentLayout, LinesOfACellText) {
    QImage device(200, 200, QImage::Format_ARGB32);
    const QFont font(QStringLiteral("WenQuanYi Micro Hei"), 10);
    const struct {
        const char *name;
        QString text;
        double room;
        bool wrap;
        int lines;
    } cases[] = {
        {"one line", "合计", 200, true, 1},
        {"line breaks kept", "第一行\n第二行\n第三行", 200, false, 3},
        {"wrapped at word boundaries", "alpha beta gamma delta", 40, true, 4},
        {"not wrapped", "alpha beta gamma delta", 40, false, 1},
    };
    for (const auto &c : cases) {
        QTextLayout layout(print::cellLayoutText(c.text), font, &device);
        const QRectF rect(0, 0, c.room, 100);
        const QPointF origin = print::layOutCellText(layout, rect, Qt::AlignLeft, c.wrap);
        EXPECT_EQ(layout.lineCount(), c.lines) << c.name;
        // Centred vertically as a whole.
        const QRectF laid = layout.boundingRect().translated(origin);
        EXPECT_NEAR(laid.center().y(), rect.center().y(), 0.5) << c.name;
    }
}
