#include "settingdialogs/ChartPicture.h"

#include <QPainter>

#include "charts/ChartData.h"
#include "charts/ChartPainter.h"

namespace tessel::settingdialogs {

ChartPicture::ChartPicture(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picChart"));
    setMinimumSize(320, 200);
}

void ChartPicture::showChart(const grid::Sheet *sheet, const grid::ChartSpec &chart) {
    m_sheet = sheet;
    m_chart = chart;
    m_why.clear();
    if (sheet) {
        // The data is taken again when painted: the check here only finds the sentence.
        if (const charts::ChartDataResult result = charts::chartData(*sheet, chart); !result.data)
            m_why = result.why;
    }
    update();
}

void ChartPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!m_sheet)
        return;
    const charts::ChartDataResult result = charts::chartData(*m_sheet, m_chart);
    if (!result.data) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_why);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The painter works in points, as on paper: the widget's pixels are scaled to them.
    const double scale = logicalDpiX() / 72.0;
    painter.scale(scale, scale);
    const QRectF points(6, 6, width() / scale - 12, height() / scale - 12);
    charts::paintChart(*result.data, points, painter);
}

}  // namespace tessel::settingdialogs
