#include "widgets/ToolbarImages.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace tessel::widgets {

namespace {

constexpr int S = kToolbarImageSize;

QImage canvas(const std::function<void(QPainter &)> &draw) {
    QImage image(S, S, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return image;
}

// An arrow along the middle line; `right` points it to the right.
QImage arrow(bool right) {
    return canvas([right](QPainter &p) {
        QPolygonF shape;
        // Head from x 2 to 9, shaft from 9 to 14, drawn pointing left and mirrored for right.
        shape << QPointF(1.5, 8) << QPointF(8.5, 2) << QPointF(8.5, 5.5) << QPointF(14.5, 5.5)
              << QPointF(14.5, 10.5) << QPointF(8.5, 10.5) << QPointF(8.5, 14);
        if (right) {
            for (QPointF &pt : shape)
                pt.setX(S - pt.x());
        }
        p.setPen(QPen(QColor(0, 64, 128), 1));
        p.setBrush(QColor(40, 120, 210));
        p.drawPolygon(shape);
    });
}

// A sheet of paper with its text lines; landscape lies on its side.
QImage paper(bool landscape) {
    return canvas([landscape](QPainter &p) {
        const QRectF sheet = landscape ? QRectF(0.5, 3.5, 15, 10) : QRectF(3.5, 0.5, 10, 15);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(sheet);
        p.setPen(QPen(QColor(0, 0, 160), 1));
        const int lines = landscape ? 3 : 5;
        for (int i = 0; i < lines; ++i) {
            const double y = sheet.top() + 2.5 + 2 * i;
            p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
        }
    });
}

QImage zoomGlass() {
    return canvas([](QPainter &p) {
        p.setPen(QPen(QColor(96, 64, 32), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
        p.setPen(QPen(Qt::white, 1.2));
        p.drawArc(QRectF(3.5, 3.5, 6, 6), 90 * 16, 80 * 16);
    });
}

QImage printer() {
    return canvas([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 0.5, 7, 6));  // paper going in
        p.setBrush(QColor(160, 160, 160));
        p.drawRoundedRect(QRectF(0.5, 5.5, 15, 6), 1, 1);  // body
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 9.5, 9, 6));  // paper coming out
        p.setPen(QPen(QColor(0, 0, 160), 1));
        p.drawLine(QPointF(5, 12), QPointF(11, 12));
        p.drawLine(QPointF(5, 14), QPointF(9, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 170, 0));
        p.drawRect(QRectF(12, 7, 2, 1.5));  // power light
    });
}

// A page with a gear on its lower right corner.
QImage setup() {
    return canvas([](QPainter &p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 0.5, 9, 12));
        p.setPen(QPen(QColor(0, 0, 160), 1));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(3, 3 + 2 * i), QPointF(9, 3 + 2 * i));
        const QPointF c(11, 11);
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotate(45.0 * i);
            gear.addPolygon(t.map(QPolygonF(QRectF(-1.2, -5, 2.4, 3))));
        }
        gear.addEllipse(c, 3.6, 3.6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 90));
        p.drawPath(gear.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(c, 1.5, 1.5);
    });
}

QImage closeCross() {
    return canvas([](QPainter &p) {
        p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
    });
}

QImage greyed(const QImage &picture) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            const int grey = 128 + qGray(px) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(px));
        }
    }
    return image;
}

// Kept as images, which need no GUI application and may outlive it; pixmaps are made from
// them on each request.
std::vector<std::pair<QString, QImage>> buildImages() {
    const QImage left = arrow(false);
    const QImage right = arrow(true);
    return {
        {QStringLiteral("left"), left},
        {QStringLiteral("landscape"), paper(true)},
        {QStringLiteral("portrait"), paper(false)},
        {QStringLiteral("leftdis"), greyed(left)},
        {QStringLiteral("print"), printer()},
        {QStringLiteral("right"), right},
        {QStringLiteral("rightdis"), greyed(right)},
        {QStringLiteral("setup"), setup()},
        {QStringLiteral("zoom"), zoomGlass()},
        {QStringLiteral("close"), closeCross()},
    };
}

const std::vector<std::pair<QString, QImage>> &images() {
    static const std::vector<std::pair<QString, QImage>> list = buildImages();
    return list;
}

}  // namespace

QPixmap greyedImage(const QPixmap &picture) {
    return QPixmap::fromImage(greyed(picture.toImage()));
}

std::vector<std::pair<QString, QPixmap>> toolbarImages() {
    std::vector<std::pair<QString, QPixmap>> out;
    for (const auto &[key, image] : images())
        out.emplace_back(key, QPixmap::fromImage(image));
    return out;
}

std::map<QString, QPixmap> toolbarPictureMap() {
    std::map<QString, QPixmap> out;
    for (const auto &[key, image] : images())
        out.emplace(key, QPixmap::fromImage(image));
    return out;
}

QPixmap toolbarImage(const QString &key) {
    for (const auto &[k, image] : images()) {
        if (k == key)
            return QPixmap::fromImage(image);
    }
    return {};
}

}  // namespace tessel::widgets
