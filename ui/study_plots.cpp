// SPDX-License-Identifier: MIT
#include "ui/study_plots.h"
#include "ui/language.h"

#include "sheet/polar_scale.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace zeva::ui {
namespace {

const QColor kGrid(210, 210, 210);
const QColor kText(90, 90, 90);
const QColor kCurve(0, 0, 200);
const QColor kMark(200, 0, 0);

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

void paintElevation(QPainter& painter, const QRectF& area, const analysis::OverGround& over) {
    if (over.elevation.empty()) return;
    double peak = -999;
    for (const analysis::ElevationPoint& p : over.elevation) peak = std::max(peak, p.gain);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line * 1.3), Qt::AlignCenter,
                     uiText("Elevation pattern along the boom, %1 m above the ground")
                         .arg(number(over.placement.height, 2)));
    const double margin = metrics.horizontalAdvance(QStringLiteral("180°")) + 6;
    const double radius =
        std::max(10.0, std::min(area.width() / 2 - margin, area.height() - line * 5.5));
    const QPointF centre(area.center().x(), area.top() + line * 2.4 + radius);
    const sheet::PolarScale scale{peak, radius};
    const double floor = scale.floor();
    const auto radiusOf = [&scale](double gain) { return scale.at(gain); };
    const auto direction = [](double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return QPointF(std::cos(a), -std::sin(a));
    };
    painter.setBrush(Qt::NoBrush);
    for (const double below : sheet::kPolarRings) {
        painter.setPen(below == -3 ? QPen(kGrid, 1, Qt::DashLine) : QPen(kGrid));
        const double r = radiusOf(peak + below);
        painter.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 0, 180 * 16);
    }
    for (int angle = 0; angle <= 180; angle += 15) {
        painter.setPen(kGrid);
        painter.drawLine(centre + direction(angle) * floor, centre + direction(angle) * radius);
        if (angle % 30 != 0) continue;
        painter.setPen(kText);
        const QPointF at = centre + direction(angle) * (radius + line * 0.9);
        painter.drawText(QRectF(at.x() - 30, at.y() - line / 2, 60, line), Qt::AlignCenter,
                         QStringLiteral("%1°").arg(angle <= 90 ? angle : 180 - angle));
    }
    painter.setPen(kGrid);
    painter.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));  // the ground
    QPainterPath path(centre);
    for (const analysis::ElevationPoint& p : over.elevation) {
        path.lineTo(centre + direction(p.elevation) * radiusOf(p.gain));
    }
    path.closeSubpath();
    painter.setPen(QPen(kCurve, 1.5));
    painter.setBrush(QColor(0, 0, 255, 20));
    painter.drawPath(path);
    // The takeoff angle.
    painter.setPen(QPen(kMark, 1, Qt::DashLine));
    painter.drawLine(centre, centre + direction(over.takeoff) * radius);
    // The rings' figures along the ground line, right of the centre, 0 and -3 apart.
    painter.setPen(kText);
    double lastText = -1e9;
    for (const double below : sheet::kPolarRings) {
        const double x = centre.x() + radiusOf(peak + below);
        if (std::fabs(x - lastText) < metrics.horizontalAdvance(QStringLiteral("-30")) + 4) {
            continue;
        }
        painter.drawText(QRectF(x - 30, centre.y() + 2, 60, line), Qt::AlignCenter,
                         number(below, 0));
        lastText = x;
    }
    painter.drawText(QRectF(area.left(), centre.y() + line * 1.3, area.width(), line),
                     Qt::AlignCenter,
                     uiText("takeoff %1°, gain %2 dBi (rings in dB below it)")
                         .arg(number(over.takeoff, 1), number(over.gain, 2)));
    painter.restore();
}

SwrBands swrBands(const std::vector<double>& samples) {
    SwrBands bands;
    if (samples.empty()) return bands;
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    constexpr int kMostBands = 20;
    // A sample on a band's edge belongs to the band above it, whatever the rounding of the
    // division: the margin is far below the printed step.
    const auto band = [&bands](double swr) {
        return static_cast<long>(std::floor(swr / bands.width + 1e-9));
    };
    for (const double width : {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0}) {
        bands.width = width;
        if (band(*high) - band(*low) < kMostBands) break;
    }
    const long first = band(*low);
    bands.start = static_cast<double>(first) * bands.width;
    bands.counts.assign(static_cast<std::size_t>(std::min<long>(band(*high) - first + 1, 1000)), 0);
    for (const double swr : samples) {
        const long index =
            std::clamp<long>(band(swr) - first, 0, static_cast<long>(bands.counts.size()) - 1);
        ++bands.counts[static_cast<std::size_t>(index)];
    }
    return bands;
}

void paintSwrHistogram(QPainter& painter, const QRectF& area, const analysis::Tolerance& t) {
    const std::vector<double>& samples = t.swrSamples;
    if (samples.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line * 1.3), Qt::AlignCenter,
                     uiText("SWR at the design frequency within the tolerance (%1 samples)")
                         .arg(samples.size()));
    // Below the title, two lines for the marks' labels, which keep clear of it.
    const QRectF plot = area.adjusted(metrics.horizontalAdvance(QStringLiteral("000")) + 10,
                                      line * 3.6, -10, -line * 2.6);
    const SwrBands bands = swrBands(samples);
    const auto count = static_cast<int>(bands.counts.size());
    const double end = bands.start + count * bands.width;
    const int most = *std::max_element(bands.counts.begin(), bands.counts.end());
    const double width = plot.width() / count;
    painter.setPen(kGrid);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 200, 120));
    for (int band = 0; band < count; ++band) {
        const double h = plot.height() * bands.counts[static_cast<std::size_t>(band)] / most;
        painter.drawRect(QRectF(plot.left() + band * width + 1, plot.bottom() - h, width - 2, h));
    }
    painter.setPen(kText);
    painter.drawText(
        QRectF(area.left(), plot.top() - line / 2, plot.left() - area.left() - 4, line),
        Qt::AlignRight | Qt::AlignVCenter, QString::number(most));
    painter.drawText(
        QRectF(area.left(), plot.bottom() - line / 2, plot.left() - area.left() - 4, line),
        Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    const auto x = [&](double swr) {
        return plot.left() + (swr - bands.start) / (end - bands.start) * plot.width();
    };
    painter.drawText(QRectF(plot.left() - 40, plot.bottom() + 2, 80, line), Qt::AlignCenter,
                     number(bands.start, 2));
    painter.drawText(QRectF(plot.right() - 40, plot.bottom() + 2, 80, line), Qt::AlignCenter,
                     number(end, 2));
    // The 90th percentile's label a line above the median's where the two would meet.
    const bool close = std::abs(x(t.swr.p90) - x(t.swr.median)) < 120;
    for (const auto& [value, name, raised] :
         {std::tuple{t.swr.median, uiText("median"), false},
          std::tuple{t.swr.p90, QStringLiteral("90 %"), close}}) {
        painter.setPen(QPen(kMark, 1, Qt::DashLine));
        painter.drawLine(QPointF(x(value), plot.top()), QPointF(x(value), plot.bottom()));
        painter.setPen(kMark);
        painter.drawText(QRectF(x(value) - 60, plot.top() - line * (raised ? 2.2 : 1.1), 120, line),
                         Qt::AlignCenter, name + ' ' + number(value, 2));
    }
    painter.setPen(kText);
    painter.drawText(QRectF(area.left(), plot.bottom() + line * 1.2, area.width(), line),
                     Qt::AlignCenter,
                     uiText("SWR (%1 ohms)")
                         .arg(QString::fromStdString(analysis::shortest(analysis::kFeedlineOhms))));
    painter.restore();
}

void paintSearchCurves(QPainter& painter, const QRectF& area, const analysis::BandCurves& start,
                       const analysis::BandCurves& best) {
    if (best.mhz.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    const QPen startPen(QColor(140, 140, 140), 1.5, Qt::DashLine);
    const QColor swrColour(200, 0, 0);

    // The key along the bottom.
    const double keyY = area.bottom() - line;
    painter.setPen(startPen);
    painter.drawLine(QPointF(area.left() + 4, keyY + line / 2),
                     QPointF(area.left() + 28, keyY + line / 2));
    painter.setPen(kText);
    const QString startKey = uiText("start");
    painter.drawText(QPointF(area.left() + 34, keyY + metrics.ascent()), startKey);
    const double bestX = area.left() + 34 + metrics.horizontalAdvance(startKey) + 20;
    painter.setPen(QPen(swrColour, 2));
    painter.drawLine(QPointF(bestX, keyY + line / 2), QPointF(bestX + 12, keyY + line / 2));
    painter.setPen(QPen(kCurve, 2));
    painter.drawLine(QPointF(bestX + 12, keyY + line / 2), QPointF(bestX + 24, keyY + line / 2));
    painter.setPen(kText);
    painter.drawText(QPointF(bestX + 30, keyY + metrics.ascent()),
                     uiText("best so far (at the search's segmentation)"));

    // SWR against frequency.
    const QRectF left(area.left(), area.top(), area.width() * 0.55, area.height() - line * 1.5);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(left.left(), left.top(), left.width(), line * 1.3), Qt::AlignCenter,
                     uiText("SWR across the band"));
    double highest = 1.5;
    for (const auto* curves : {&start, &best}) {
        for (const double swr : curves->swr) {
            if (std::isfinite(swr)) highest = std::max(highest, swr);
        }
    }
    const double top = std::min(10.0, std::ceil(highest * 2) / 2);
    const double step = top <= 3 ? 0.5 : top <= 6 ? 1 : 2;
    const double scaleWidth = metrics.horizontalAdvance(QStringLiteral("10.0")) + 6;
    const QRectF plot(left.left() + scaleWidth, left.top() + line * 1.6,
                      std::max(10.0, left.width() - scaleWidth - 10),
                      std::max(10.0, left.height() - line * 3.2));
    const double low = best.mhz.front(), high = best.mhz.back();
    const auto x = [&](double mhz) {
        return high > low ? plot.left() + (mhz - low) / (high - low) * plot.width()
                          : plot.center().x();
    };
    const auto y = [&](double swr) {
        return plot.bottom() - (std::clamp(swr, 1.0, top) - 1) / (top - 1) * plot.height();
    };
    for (double v = 1; v <= top + 1e-9; v += step) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
        painter.setPen(kText);
        painter.drawText(QRectF(left.left(), y(v) - line / 2, scaleWidth - 4, line),
                         Qt::AlignRight | Qt::AlignVCenter, number(v, 1));
    }
    painter.setPen(kGrid);
    painter.drawRect(plot);
    painter.setPen(kText);
    painter.drawText(QRectF(plot.left() - 40, plot.bottom() + 2, 80, line), Qt::AlignCenter,
                     number(low, 3));
    painter.drawText(QRectF(plot.right() - 40, plot.bottom() + 2, 80, line), Qt::AlignCenter,
                     number(high, 3));
    painter.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), line), Qt::AlignCenter,
                     uiText("MHz"));
    const auto swrCurve = [&](const analysis::BandCurves& curves, const QPen& pen) {
        if (curves.mhz.size() != curves.swr.size() || curves.mhz.empty()) return;
        QPainterPath path(QPointF(x(curves.mhz[0]), y(curves.swr[0])));
        for (std::size_t i = 1; i < curves.mhz.size(); ++i) {
            path.lineTo(x(curves.mhz[i]), y(curves.swr[i]));
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        for (std::size_t i = 0; i < curves.mhz.size(); ++i) {
            painter.drawEllipse(QPointF(x(curves.mhz[i]), y(curves.swr[i])), 2.5, 2.5);
        }
    };
    painter.save();
    painter.setClipRect(plot.adjusted(-4, -4, 4, 4));
    swrCurve(start, startPen);
    swrCurve(best, QPen(swrColour, 2));
    painter.restore();

    // The E-plane pattern at the centre, forward to the right.
    const QRectF right(left.right(), area.top(), area.width() - left.width(), left.height());
    const double centreMhz = best.mhz[best.mhz.size() / 2];
    painter.setPen(Qt::black);
    painter.drawText(QRectF(right.left(), right.top(), right.width(), line * 1.3), Qt::AlignCenter,
                     uiText("E-plane at %1 MHz").arg(number(centreMhz, 3)));
    double peak = -999;
    for (const auto* curves : {&start, &best}) {
        for (const double gain : curves->ePlane) peak = std::max(peak, gain);
    }
    const double radius =
        std::max(10.0, std::min(right.width() / 2 - 8, (right.height() - line * 2.5) / 2));
    const QPointF centre(right.center().x(), right.top() + line * 1.8 + radius);
    const sheet::PolarScale scale{peak, radius};
    painter.setBrush(Qt::NoBrush);
    for (const double below : sheet::kPolarRings) {
        painter.setPen(below == -3 ? QPen(kGrid, 1, Qt::DashLine) : QPen(kGrid));
        const double r = scale.at(peak + below);
        painter.drawEllipse(centre, r, r);
    }
    const auto polar = [&](const analysis::BandCurves& curves, const QPen& pen) {
        if (curves.ePlane.empty() || peak < -900) return;
        const auto pointAt = [&](std::size_t k) {
            const double a = static_cast<double>(k) * std::numbers::pi / 180;
            return centre + QPointF(std::cos(a), -std::sin(a)) * scale.at(curves.ePlane[k]);
        };
        QPainterPath path(pointAt(0));
        for (std::size_t k = 1; k < curves.ePlane.size(); ++k) path.lineTo(pointAt(k));
        path.closeSubpath();
        painter.setPen(pen);
        painter.drawPath(path);
    };
    polar(start, startPen);
    polar(best, QPen(kCurve, 2));
    painter.setPen(kText);
    painter.drawText(QRectF(right.left(), centre.y() + radius + 2, right.width(), line),
                     Qt::AlignCenter, uiText("outer ring %1 dBi").arg(number(peak, 2)));
    painter.restore();
}

StudyPlot::StudyPlot(QString hint, QWidget* parent) : QWidget(parent), hint_(std::move(hint)) {
    setMinimumSize(300, 200);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

void StudyPlot::setPainter(std::function<void(QPainter&, const QRectF&)> paint) {
    paint_ = std::move(paint);
    update();
}

void StudyPlot::setHint(const QString& hint) {
    hint_ = hint;
    update();
}

void StudyPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (paint_) {
        paint_(painter, QRectF(rect()).adjusted(4, 4, -4, -4));
    } else {
        painter.setPen(Qt::gray);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, hint_);
    }
}

}  // namespace zeva::ui
