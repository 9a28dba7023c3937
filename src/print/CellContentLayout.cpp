#include "print/CellContentLayout.h"

#include <QTextLayout>
#include <algorithm>

namespace tessel::print {

CellContentBoxes cellContentBoxes(const QRectF &cell, double padding, const grid::CellStyle &style,
                                  const QSizeF &pictureSize) {
    const QRectF text = cell.adjusted(padding, 0, -padding, 0);
    const bool pictureKind =
        style.kind == grid::CellKind::Picture || style.kind == grid::CellKind::Button;
    if (!pictureKind || pictureSize.isEmpty())
        return {QRectF(), text};
    // The largest size of the picture's aspect inside a square of the cell's smaller side: the
    // picture's own resolution never decides how much of the cell it takes.
    const double side = std::min(cell.width(), cell.height());
    const double scale = side / std::max(pictureSize.width(), pictureSize.height());
    QRectF picture(0, 0, pictureSize.width() * scale, pictureSize.height() * scale);
    switch (style.pictureAlign) {
        case grid::PictureAlign::PictureOnly:
            picture.moveCenter(cell.center());
            return {picture, QRectF()};
        case grid::PictureAlign::PictureLeftCaptionRight:
            picture.moveTopLeft(QPointF(cell.left(), cell.center().y() - picture.height() / 2));
            return {picture, text.adjusted(picture.width(), 0, 0, 0)};
        case grid::PictureAlign::CaptionLeftPictureRight:
            break;
    }
    picture.moveTopRight(QPointF(cell.right(), cell.center().y() - picture.height() / 2));
    return {picture, text.adjusted(0, 0, -picture.width(), 0)};
}

QTextOption cellTextOption(const QString &text, Qt::Alignment align, bool wrap) {
    QTextOption option((align & Qt::AlignHorizontal_Mask) | Qt::AlignAbsolute);
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    return option;
}

QString cellLayoutText(const QString &text) {
    QString laid = text;
    laid.replace(u'\n', QChar::LineSeparator);
    return laid;
}

QPointF layOutCellText(QTextLayout &layout, const QRectF &rect, Qt::Alignment align, bool wrap) {
    layout.setTextOption(cellTextOption(layout.text(), align, wrap));
    double height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return QPointF(rect.left(), rect.center().y() - height / 2);
}

}  // namespace tessel::print
