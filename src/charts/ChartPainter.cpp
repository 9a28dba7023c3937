#include "charts/ChartPainter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "base/Language.h"
#include "charts/ChartLayout.h"

namespace tessel::charts {

namespace {

// Sizes in points.
constexpr double kTitlePoints = 11;
constexpr double kTextPoints = 7.5;
constexpr double kPad = 4;
constexpr double kGap = 4;
constexpr double kSwatch = 6;
constexpr double kLineWidth = 1.5;
// The share of a category's slot its bars take.
constexpr double kBarShare = 0.75;
// A slice smaller than this share gets its label outside.
constexpr double kInsideLabelShare = 0.06;
// Labels measured to find the widest of many categories.
constexpr int kLabelSample = 200;
// The share of a chart's height its category labels may take under the plot.
constexpr double kLabelDepthShare = 1.0 / 3;

const QColor kAxisColor(0x59, 0x59, 0x59);
const QColor kGridColor(0xD9, 0xD9, 0xD9);
const QColor kTextColor(0x26, 0x26, 0x26);

// Twelve colours: a pie's slices (at most kMaxPieSlices) never repeat one.
constexpr std::array<QRgb, 12> kPalette = {0x4472C4, 0xED7D31, 0x70AD47, 0xFFC000,
                                           0x5B9BD5, 0xA5A5A5, 0x264478, 0x9E480E,
                                           0x43682B, 0x997300, 0x7030A0, 0x00A19A};

// A font whose size is `points` in the painter's coordinates: point sizes are resolved with the
// device's resolution before the painter's transform applies.
QFont chartFont(double points, bool bold, const QPainter &painter) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    const QPaintDevice *device = painter.device();
    const int dpi = device ? device->logicalDpiY() : 72;
    font.setPointSizeF(points * 72.0 / (dpi > 0 ? dpi : 72));
    font.setBold(bold);
    // Unhinted advances keep text positions exact when the painter scales.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

class ChartDrawing {
public:
    ChartDrawing(const ChartData &data, QPainter &painter)
        : m_data(data),
          m_p(painter),
          m_font(chartFont(kTextPoints, false, painter)),
          m_metrics(m_font, painter.device()),
          m_line(m_metrics.height()) {}

    void paint(QRectF area) {
        area.adjust(kPad, kPad, -kPad, -kPad);
        if (area.width() <= 0 || area.height() <= 0)
            return;
        m_p.setClipRect(area, Qt::IntersectClip);
        m_p.setPen(kTextColor);
        if (!m_data.title.isEmpty()) {
            const QFont font = chartFont(kTitlePoints, true, m_p);
            const QFontMetricsF metrics(font, m_p.device());
            const QRectF row(area.left(), area.top(), area.width(), metrics.height());
            m_p.setFont(font);
            m_p.drawText(row, Qt::AlignCenter,
                         metrics.elidedText(m_data.title, Qt::ElideRight, area.width()));
            area.setTop(row.bottom() + kPad);
        }
        m_p.setFont(m_font);
        if (m_data.type == grid::ChartType::Pie)
            paintPie(area);
        else
            paintCartesian(area);
    }

private:
    // Draws `note` on the last line of `area` and takes that line from it.
    void takeNote(QRectF &area, const QString &note) {
        if (note.isEmpty())
            return;
        const QRectF row(area.left(), area.bottom() - m_line, area.width(), m_line);
        m_p.setPen(kTextColor);
        m_p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, note);
        area.setBottom(row.top() - kGap);
    }

    // A legend of the series' names on the last line of `area`, centred; takes that line.
    void takeSeriesLegend(QRectF &area) {
        if (m_data.series.size() < 2)
            return;
        std::vector<double> widths;
        double total = 0;
        for (const ChartSeries &s : m_data.series) {
            widths.push_back(kSwatch + 3 + m_metrics.horizontalAdvance(s.name) + 3 * kGap);
            total += widths.back();
        }
        const double top = area.bottom() - m_line;
        double x = area.left() + std::max(0.0, (area.width() - total) / 2);
        for (std::size_t i = 0; i < m_data.series.size(); ++i) {
            legendItem(QPointF(x, top), seriesColor(int(i)), m_data.series[i].name);
            x += widths[i];
        }
        area.setBottom(top - kGap);
    }

    void legendItem(QPointF topLeft, const QColor &color, const QString &text) {
        m_p.fillRect(QRectF(topLeft.x(), topLeft.y() + (m_line - kSwatch) / 2, kSwatch, kSwatch),
                     color);
        m_p.setPen(kTextColor);
        m_p.drawText(QPointF(topLeft.x() + kSwatch + 3, topLeft.y() + m_metrics.ascent()), text);
    }

    // The widest of the first `count` categories' labels (of a sample when there are many).
    double widestLabel(int count) const {
        double widest = 0;
        const int step = std::max(1, count / kLabelSample);
        for (int i = 0; i < count; i += step)
            widest = std::max(widest, m_metrics.horizontalAdvance(m_data.categories[i]));
        return widest;
    }

    double widestNumber(const ValueAxis &axis, const AxisNumbers &numbers) const {
        double widest = 0;
        for (double tick : axis.ticks())
            widest = std::max(widest, m_metrics.horizontalAdvance(axisNumber(tick, numbers)));
        return widest;
    }

    AxisNumbers numbersOf(const ValueAxis &axis, const grid::ColumnFormat &format) const {
        return axisNumbers(axis, format, grid::numberSeparators(), !base::translationInUse());
    }

    void paintCartesian(QRectF area) {
        const int all = int(m_data.categories.size());
        const int n = shownCategories(m_data.type, all);
        takeNote(area, n < all ? shownNote(n) : QString());
        takeSeriesLegend(area);
        if (n == 0 || area.height() <= 2 * m_line)
            return;
        const bool horizontal = m_data.type == grid::ChartType::Bar;
        const ValueRange range = valueRange(m_data, n);
        const grid::ColumnFormat format =
            m_data.series.empty() ? grid::ColumnFormat{} : m_data.series.front().format;
        const bool fromZero = m_data.type != grid::ChartType::Line;

        QRectF plot;
        ValueAxis axis;
        AxisNumbers numbers;
        CategoryLabels labels;
        double noteLine = 0;  // what the unit note takes above the plot, its gap included
        if (horizontal) {
            // Numbers under the plot: as many ticks as fit their widths side by side.
            const double names = std::min(widestLabel(n), area.width() * 0.3);
            int ticks = int(area.width() / (m_line * 3));
            do {
                axis = valueAxis(range.low, range.high, ticks, fromZero);
                numbers = numbersOf(axis, format);
                ticks = int(axis.ticks().size()) - 1;
            } while (ticks > 2 &&
                     (widestNumber(axis, numbers) + kGap) * double(axis.ticks().size()) >
                         area.width() - names);
            noteLine = unitNote(numbers).isEmpty() ? 0 : m_line + kGap / 2;
            // The numbers are centred on their ticks: the outermost reach past the plot's ends.
            const double overhang = widestNumber(axis, numbers) / 2;
            plot = QRectF(
                QPointF(area.left() + std::max(names + kGap, overhang), area.top() + noteLine),
                QPointF(area.right() - overhang, area.bottom() - m_line - kGap));
        } else {
            // The numbers' width moves the plot's left edge and so the labels' slots; the
            // labels' depth sets the plot's height and so the ticks: the second round lays out
            // for the plot's height the first found.
            const double first = m_metrics.horizontalAdvance(m_data.categories.front());
            const double widest = widestLabel(n);
            double height = area.height() - m_line * 1.5 - kLabelGap;
            for (int round = 0; round < 2; ++round) {
                axis = valueAxis(range.low, range.high, int(height / (m_line * 2)) + 1, fromZero);
                numbers = numbersOf(axis, format);
                noteLine = unitNote(numbers).isEmpty() ? 0 : m_line + kGap / 2;
                labels = categoryLabels({n, first, widest, m_line, area.width(),
                                         widestNumber(axis, numbers) + kGap,
                                         area.height() * kLabelDepthShare});
                height = area.height() - noteLine - m_line / 2 - labels.depth;
            }
            plot = QRectF(QPointF(area.left() + labels.left, area.top() + noteLine + m_line / 2),
                          QPointF(area.right() - labels.right, area.bottom() - labels.depth));
        }
        if (plot.width() <= 0 || plot.height() <= 0)
            return;
        if (noteLine > 0) {
            m_p.setPen(kTextColor);
            m_p.drawText(QRectF(area.left(), area.top(), area.width(), m_line),
                         (horizontal ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         unitNote(numbers));
        }
        paintValueAxis(plot, axis, numbers, horizontal);
        if (horizontal)
            paintBarLabels(plot, n, plot.left() - kGap - area.left());
        else
            paintCategoryLabels(plot, n, labels);

        m_p.save();
        m_p.setClipRect(plot, Qt::IntersectClip);
        if (m_data.type == grid::ChartType::Column || horizontal)
            paintBars(plot, axis, n, horizontal);
        else
            paintLines(plot, axis, n);
        m_p.restore();

        // The category axis over the bars' feet.
        const double base = std::clamp(0.0, axis.min, axis.max);
        m_p.setPen(QPen(kAxisColor, 0.75));
        if (horizontal) {
            const double x = plot.left() + axis.fraction(base) * plot.width();
            m_p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        } else {
            const double y = plot.bottom() - axis.fraction(base) * plot.height();
            m_p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
    }

    void paintValueAxis(const QRectF &plot, const ValueAxis &axis, const AxisNumbers &numbers,
                        bool horizontal) {
        for (double tick : axis.ticks()) {
            const double f = axis.fraction(tick);
            const QString text = axisNumber(tick, numbers);
            const double w = m_metrics.horizontalAdvance(text);
            m_p.setPen(QPen(kGridColor, 0.5));
            if (horizontal) {
                const double x = plot.left() + f * plot.width();
                m_p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
                m_p.setPen(kTextColor);
                m_p.drawText(QPointF(x - w / 2, plot.bottom() + kGap + m_metrics.ascent()), text);
            } else {
                const double y = plot.bottom() - f * plot.height();
                m_p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
                m_p.setPen(kTextColor);
                m_p.drawText(QPointF(plot.left() - kGap - w, y - m_line / 2 + m_metrics.ascent()),
                             text);
            }
        }
    }

    // A bar chart's categories from the top down, right-aligned before the plot in `width`.
    void paintBarLabels(const QRectF &plot, int n, double width) {
        m_p.setPen(kTextColor);
        const double slot = plot.height() / n;
        const int stride = labelStride(n, slot, m_line, 1);
        for (int i = 0; i < n; i += stride) {
            const QString text =
                m_metrics.elidedText(m_data.categories[i], Qt::ElideRight, std::max(0.0, width));
            const double y = plot.top() + (i + 0.5) * slot;
            m_p.drawText(QPointF(plot.left() - kGap - m_metrics.horizontalAdvance(text),
                                 y - m_line / 2 + m_metrics.ascent()),
                         text);
        }
    }

    // The categories under the plot as `labels` lays them out: a level label centred under its
    // slot, a turned one ending at the top by its slot's middle.
    void paintCategoryLabels(const QRectF &plot, int n, const CategoryLabels &labels) {
        m_p.setPen(kTextColor);
        const double slot = plot.width() / n;
        // A label at 45° turns about the middle of its line's end, which lies that much below
        // the gap so that its upper corner stays under the plot.
        const double drop = labels.angle == 45 ? m_line / 2 * std::numbers::sqrt2 / 2 : 0;
        for (int i = 0; i < n; i += labels.stride) {
            const QString text =
                m_metrics.elidedText(m_data.categories[i], Qt::ElideRight, labels.length);
            const double w = m_metrics.horizontalAdvance(text);
            const double x = plot.left() + (i + 0.5) * slot;
            if (labels.angle == 0) {
                m_p.drawText(QPointF(x - w / 2, plot.bottom() + kLabelGap + m_metrics.ascent()),
                             text);
                continue;
            }
            m_p.save();
            m_p.translate(x, plot.bottom() + kLabelGap + drop);
            m_p.rotate(-labels.angle);
            m_p.drawText(QPointF(-w, -m_line / 2 + m_metrics.ascent()), text);
            m_p.restore();
        }
    }

    void paintBars(const QRectF &plot, const ValueAxis &axis, int n, bool horizontal) {
        const double length = horizontal ? plot.width() : plot.height();
        const double slot = (horizontal ? plot.height() : plot.width()) / n;
        const double group = slot * kBarShare;
        const std::size_t count = m_data.series.size();
        const double thickness = m_data.stacked ? group : group / double(count);
        const double base = std::clamp(0.0, axis.min, axis.max);
        // Along the value axis, from the category axis' side.
        const auto at = [&](double v) { return axis.fraction(v) * length; };
        std::vector<double> up(std::size_t(n), 0.0), down(std::size_t(n), 0.0);
        m_p.setPen(Qt::NoPen);
        for (std::size_t s = 0; s < count; ++s) {
            std::vector<QRectF> rects;
            rects.reserve(std::size_t(n));
            const std::vector<double> &values = m_data.series[s].values;
            for (int i = 0; i < n && std::size_t(i) < values.size(); ++i) {
                const double v = values[std::size_t(i)];
                if (std::isnan(v))
                    continue;
                double from = base, to = v;
                if (m_data.stacked) {
                    double &sum = v > 0 ? up[std::size_t(i)] : down[std::size_t(i)];
                    from = sum;
                    sum += v;
                    to = sum;
                }
                const double across =
                    i * slot + (slot - group) / 2 + (m_data.stacked ? 0.0 : double(s) * thickness);
                const double a = at(std::min(from, to)), b = at(std::max(from, to));
                rects.push_back(
                    horizontal ? QRectF(plot.left() + a, plot.top() + across, b - a, thickness)
                               : QRectF(plot.left() + across, plot.bottom() - b, thickness, b - a));
            }
            m_p.setBrush(seriesColor(int(s)));
            m_p.drawRects(rects.data(), int(rects.size()));
        }
    }

    void paintLines(const QRectF &plot, const ValueAxis &axis, int n) {
        const double slot = plot.width() / n;
        const int pixels = std::max(1, int(std::ceil(m_p.deviceTransform().mapRect(plot).width())));
        const bool area = m_data.type == grid::ChartType::Area;
        const double base = std::clamp(0.0, axis.min, axis.max);
        const auto y = [&](double v) { return plot.bottom() - axis.fraction(v) * plot.height(); };
        const auto x = [&](double i) { return plot.left() + (i + 0.5) * slot; };

        // Stacked areas draw the running sums, the last series (the outermost) first.
        std::vector<std::vector<double>> sums;
        if (area && m_data.stacked) {
            std::vector<double> running(std::size_t(n), 0.0);
            for (const ChartSeries &s : m_data.series) {
                for (std::size_t i = 0; i < running.size() && i < s.values.size(); ++i)
                    running[i] += std::isnan(s.values[i]) ? 0.0 : s.values[i];
                sums.push_back(running);
            }
        }
        m_p.setRenderHint(QPainter::Antialiasing, true);
        const std::size_t count = m_data.series.size();
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t s = sums.empty() ? k : count - 1 - k;
            const std::vector<double> &values = sums.empty() ? m_data.series[s].values : sums[s];
            const std::vector<QPointF> points = decimate(
                std::span<const double>(values.data(), std::min(values.size(), std::size_t(n))),
                pixels);
            if (points.empty())
                continue;
            QPolygonF line;
            line.reserve(qsizetype(points.size()) + 2);
            for (const QPointF &p : points)
                line << QPointF(x(p.x()), y(p.y()));
            QColor color = seriesColor(int(s));
            if (area) {
                line << QPointF(line.back().x(), y(base)) << QPointF(line.front().x(), y(base));
                if (!m_data.stacked)
                    color.setAlpha(190);  // overlapping areas stay visible
                m_p.setPen(Qt::NoPen);
                m_p.setBrush(color);
                m_p.drawPolygon(line);
            } else {
                m_p.setBrush(Qt::NoBrush);
                // A reduced line turns back in every pixel column: a pixel engine fills the
                // outline of one stroke through all those turns slowly, separate segments
                // quickly; a vector device (PDF, a printer) writes the one stroke faster.
                const bool raster =
                    m_p.paintEngine() && m_p.paintEngine()->type() == QPaintEngine::Raster;
                if (points.size() <= std::size_t(pixels) || !raster) {
                    m_p.setPen(QPen(color, kLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                    m_p.drawPolyline(line);
                    continue;
                }
                m_p.setPen(QPen(color, kLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
                std::vector<QLineF> segments;
                segments.reserve(std::size_t(line.size()));
                for (qsizetype k = 1; k < line.size(); ++k)
                    segments.emplace_back(line[k - 1], line[k]);
                m_p.drawLines(segments.data(), int(segments.size()));
            }
        }
    }

    void paintPie(QRectF area) {
        if (m_data.series.empty())
            return;
        const PieSlices pie = pieSlices(m_data.series.front().values);
        takeNote(area, pie.note);
        if (pie.slices.empty())
            return;
        double legend = 0;
        for (const PieSlice &slice : pie.slices) {
            legend =
                std::max(legend, m_metrics.horizontalAdvance(m_data.categories.value(slice.index)));
        }
        legend = std::min(legend + kSwatch + 3, area.width() * 0.4);
        const double diameter = std::min(area.width() - legend - 2 * kGap, area.height()) -
                                2 * m_line;  // room for labels outside
        if (diameter <= 0)
            return;
        const QRectF circle(area.left() + (area.width() - legend - kGap - diameter) / 2,
                            area.top() + (area.height() - diameter) / 2, diameter, diameter);

        m_p.setRenderHint(QPainter::Antialiasing, true);
        m_p.setPen(QPen(Qt::white, 0.75));
        double start = 90;  // degrees, counter-clockwise from three o'clock
        std::vector<std::pair<double, double>> middles;  // angle, share
        for (std::size_t i = 0; i < pie.slices.size(); ++i) {
            const double span = -pie.slices[i].share * 360;
            m_p.setBrush(seriesColor(int(i)));
            m_p.drawPie(circle, int(std::lround(start * 16)), int(std::lround(span * 16)));
            middles.emplace_back(start + span / 2, pie.slices[i].share);
            start += span;
        }
        const double r = diameter / 2;
        for (const auto &[angle, share] : middles) {
            const bool inside = share >= kInsideLabelShare;
            const double at = inside ? r * 0.65 : r + m_line * 0.8;
            const double rad = angle * std::numbers::pi / 180;
            const QPointF centre = circle.center() + QPointF(std::cos(rad), -std::sin(rad)) * at;
            const QString text = shareText(share);
            const double w = m_metrics.horizontalAdvance(text);
            m_p.setPen(inside ? QColor(Qt::white) : kTextColor);
            m_p.drawText(QPointF(centre.x() - w / 2, centre.y() - m_line / 2 + m_metrics.ascent()),
                         text);
        }

        // The legend of the slices' categories, beside the pie.
        double y =
            area.top() + std::max(0.0, (area.height() - m_line * double(middles.size())) / 2);
        const double left = area.right() - legend;
        for (std::size_t i = 0; i < pie.slices.size() && y + m_line <= area.bottom(); ++i) {
            const QString text = m_metrics.elidedText(m_data.categories.value(pie.slices[i].index),
                                                      Qt::ElideRight, legend - kSwatch - 3);
            legendItem(QPointF(left, y), seriesColor(int(i)), text);
            y += m_line;
        }
    }

    const ChartData &m_data;
    QPainter &m_p;
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_line;
};

}  // namespace

QColor seriesColor(int index) {
    return QColor(kPalette[std::size_t(index) % kPalette.size()]);
}

void paintChart(const ChartData &data, const QRectF &rectPoints, QPainter &painter) {
    painter.save();
    ChartDrawing(data, painter).paint(rectPoints);
    painter.restore();
}

}  // namespace tessel::charts
