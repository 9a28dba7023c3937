// The charts dialog's live picture (picChart): one chart of a sheet drawn as it will print.
#pragma once

#include <QString>
#include <QWidget>

#include "grid/ChartSpec.h"
#include "grid/Sheet.h"

namespace tessel::settingdialogs {

// Draws one chart of a sheet with charts::paintChart, scaled to the widget; when the chart
// cannot be drawn, the sentence saying why.
class ChartPicture : public QWidget {
    Q_OBJECT
public:
    explicit ChartPicture(QWidget *parent = nullptr);
    // Shows `chart` drawn from `sheet` (which must outlive the picture or the next call), or
    // nothing with a null sheet.
    void showChart(const grid::Sheet *sheet, const grid::ChartSpec &chart);
    // The sentence shown instead of the chart; empty while the chart is drawn.
    const QString &why() const { return m_why; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const grid::Sheet *m_sheet = nullptr;
    grid::ChartSpec m_chart;
    QString m_why;
};

}  // namespace tessel::settingdialogs
