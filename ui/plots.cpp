// SPDX-License-Identifier: MIT
#include "ui/plots.h"
#include "ui/language.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "sheet/polar_scale.h"
#include "sheet/studies.h"

namespace zeva::ui {
namespace {

const QColor kSwrColour(200, 0, 0);
const QColor kGainColour(0, 0, 200);
const QColor kGrid(210, 210, 210);
const QColor kHairpinColour(0, 140, 0);
const QColor kCoaxColour(200, 120, 0);
const QColor kRodColour(150, 0, 150);
using sheet::kPolarRings;

// Round steps for a scale from low to high with about `count` divisions.
double niceStep(double span, int count) {
    const double raw = span / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (raw <= factor * magnitude) return factor * magnitude;
    }
    return 10 * magnitude;
}

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

int decimalsFor(double step) { return step >= 1 ? 0 : step >= 0.1 ? 1 : 2; }

}  // namespace

QRectF sweepPlotArea(const QRectF& area, const QFontMetricsF& metrics, bool keysRow) {
    const double line = metrics.height();
    return area.adjusted(metrics.horizontalAdvance(QStringLiteral("10.0")) + 10, line * 2.2,
                         -metrics.horizontalAdvance(QStringLiteral("10.0")) - 10,
                         -line * (keysRow ? 3.6 : 2.6));
}

std::vector<std::pair<double, double>> clippedStretches(
    const std::vector<analysis::SweepPoint>& sweep, double top) {
    std::vector<std::pair<double, double>> stretches;
    // Where the curve crosses the top between two steps, linearly.
    const auto crossing = [&](std::size_t a, std::size_t b) {
        const double t = (top - sweep[a].swr) / (sweep[b].swr - sweep[a].swr);
        return sweep[a].frequency + t * (sweep[b].frequency - sweep[a].frequency);
    };
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        if (!(sweep[i].swr > top)) continue;
        const double low = i == 0 ? sweep[0].frequency : crossing(i - 1, i);
        std::size_t j = i;
        while (j + 1 < sweep.size() && sweep[j + 1].swr > top) ++j;
        const double high = j + 1 == sweep.size() ? sweep[j].frequency : crossing(j, j + 1);
        stretches.emplace_back(low, high);
        i = j;
    }
    return stretches;
}

void paintSweep(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                const analysis::Tuning* tuning, const analysis::Measurement* measured) {
    const std::vector<analysis::SweepPoint>& sweep = analysis.sweep;
    if (sweep.size() < 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    // A row for the matches' keys below the frequency scale, where there are matches.
    const bool matched = (tuning != nullptr && (tuning->hairpin || tuning->coax || tuning->rods)) ||
                         measured != nullptr;
    const QRectF plot = sweepPlotArea(area, metrics, matched);

    const double f0 = sweep.front().frequency;
    const double f1 = sweep.back().frequency;
    double swrTop = 1.5;
    double swrMost = 1;
    double gainLow = 1e9;
    double gainHigh = -1e9;
    for (const analysis::SweepPoint& p : sweep) {
        swrTop = std::max(swrTop, std::min(p.swr, kSwrScaleTop));
        swrMost = std::max(swrMost, p.swr);
        gainLow = std::min(gainLow, p.gain);
        gainHigh = std::max(gainHigh, p.gain);
    }
    const double swrStep = niceStep(swrTop - 1, 5);
    swrTop = 1 + std::ceil((swrTop - 1) / swrStep) * swrStep;
    const double gainStep = niceStep(std::max(gainHigh - gainLow, 0.5), 5);
    gainLow = std::floor(gainLow / gainStep) * gainStep;
    gainHigh = std::max(std::ceil(gainHigh / gainStep) * gainStep, gainLow + gainStep);

    const auto x = [&](double f) { return plot.left() + (f - f0) / (f1 - f0) * plot.width(); };
    const auto ySwr = [&](double s) {
        return plot.bottom() - (std::min(s, swrTop) - 1) / (swrTop - 1) * plot.height();
    };
    const auto yGain = [&](double g) {
        return plot.bottom() - (g - gainLow) / (gainHigh - gainLow) * plot.height();
    };

    painter.setPen(QPen(painter.pen().color(), 1));
    painter.drawText(QRectF(area.left(), area.top(), area.width(), line * 1.4), Qt::AlignCenter,
                     (analysis.range.given() ? uiText("SWR and gain, %1")
                                             : uiText("SWR and gain, design frequency %1"))
                         .arg(QString::fromStdString(sheet::sweepRangeText(analysis.range))));
    // Grid and the three scales.
    const double fStep = niceStep(f1 - f0, 4);
    for (double f = std::ceil(f0 / fStep) * fStep; f <= f1 + 1e-9; f += fStep) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(x(f), plot.top()), QPointF(x(f), plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x(f) - 40, plot.bottom() + 2, 80, line), Qt::AlignCenter,
                         number(f, decimalsFor(fStep)));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + line, plot.width(), line), Qt::AlignCenter,
                     uiText("frequency (MHz)"));
    for (double s = 1; s <= swrTop + 1e-9; s += swrStep) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot.left(), ySwr(s)), QPointF(plot.right(), ySwr(s)));
        painter.setPen(kSwrColour);
        painter.drawText(
            QRectF(area.left(), ySwr(s) - line / 2, plot.left() - area.left() - 4, line),
            textFlags(Qt::AlignRight | Qt::AlignVCenter), number(s, decimalsFor(swrStep)));
    }
    painter.setPen(kGainColour);
    for (double g = gainLow; g <= gainHigh + 1e-9; g += gainStep) {
        painter.drawText(
            QRectF(plot.right() + 4, yGain(g) - line / 2, area.right() - plot.right() - 4, line),
            textFlags(Qt::AlignLeft | Qt::AlignVCenter), number(g, decimalsFor(gainStep)));
    }
    painter.setPen(kSwrColour);
    painter.drawText(QRectF(area.left(), area.top(), plot.width() / 2, line * 1.4),
                     textFlags(Qt::AlignLeft | Qt::AlignVCenter), uiText("SWR"));
    painter.setPen(kGainColour);
    painter.drawText(
        QRectF(plot.center().x(), area.top(), area.right() - plot.center().x(), line * 1.4),
        textFlags(Qt::AlignRight | Qt::AlignVCenter), uiText("gain (dBi)"));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    // The 2:1 and 1.5:1 bandwidths shaded, the design frequency marked.
    for (const double level : {2.0, 1.5}) {
        if (const auto band = analysis::swrBand(analysis, level)) {
            painter.fillRect(
                QRectF(QPointF(x(band->low), plot.top()), QPointF(x(band->high), plot.bottom())),
                level == 2.0 ? QColor(200, 0, 0, 18) : QColor(200, 0, 0, 30));
        }
    }
    const double design = analysis::kSpeedOfLight / analysis.wavelength;
    if (design >= f0 && design <= f1) {
        painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashDotLine));
        painter.drawLine(QPointF(x(design), plot.top()), QPointF(x(design), plot.bottom()));
    }
    QPainterPath swrPath(QPointF(x(sweep.front().frequency), ySwr(sweep.front().swr)));
    QPainterPath gainPath(QPointF(x(sweep.front().frequency), yGain(sweep.front().gain)));
    for (const analysis::SweepPoint& p : sweep) {
        swrPath.lineTo(x(p.frequency), ySwr(p.swr));
        gainPath.lineTo(x(p.frequency), yGain(p.gain));
    }
    painter.setPen(QPen(kSwrColour, 2));
    painter.drawPath(swrPath);
    // Where the SWR runs off the scale: a dotted stretch along its top and the highest figure.
    if (swrMost > swrTop) {
        painter.setPen(QPen(kSwrColour, 4, Qt::DotLine));
        for (const auto& [low, high] : clippedStretches(sweep, swrTop)) {
            painter.drawLine(QPointF(x(low), plot.top() + 2), QPointF(x(high), plot.top() + 2));
        }
        // The figure in the half away from the highest step, clear of the curve.
        const auto highest = std::max_element(
            sweep.begin(), sweep.end(), [](const auto& a, const auto& b) { return a.swr < b.swr; });
        const bool right = x(highest->frequency) < plot.center().x();
        painter.setPen(kSwrColour);
        painter.drawText(QRectF(plot.left() + 6, plot.top() + 6, plot.width() - 12, line),
                         textFlags((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter),
                         uiText("↑ off the scale, up to %1").arg(number(swrMost, 1)));
    }
    // The matched SWR, step by step across the same frequencies, each with its key.
    std::vector<std::pair<QString, QColor>> keys;
    if (tuning != nullptr) {
        const struct {
            const std::vector<double>* swr;
            QColor colour;
            QString name;
        } matches[] = {
            {tuning->hairpin ? &tuning->hairpin->sweepSwr : nullptr, kHairpinColour,
             uiText("through the hairpin")},
            {tuning->coax ? &tuning->coax->sweepSwr : nullptr, kCoaxColour,
             uiText("through the transformer")},
            {tuning->rods ? &tuning->rods->sweepSwr : nullptr, kRodColour,
             tuning->rods && tuning->rods->shape.balanced ? uiText("through the T match")
                                                          : uiText("through the gamma match")},
        };
        for (const auto& match : matches) {
            if (match.swr == nullptr || match.swr->size() != sweep.size()) continue;
            QPainterPath path(QPointF(x(sweep.front().frequency), ySwr(match.swr->front())));
            for (std::size_t i = 0; i < sweep.size(); ++i) {
                path.lineTo(x(sweep[i].frequency), ySwr((*match.swr)[i]));
            }
            painter.setPen(QPen(match.colour, 2));
            painter.drawPath(path);
            keys.push_back({match.name, match.colour});
        }
    }
    // The measured SWR within the model's sweep, dotted.
    if (measured != nullptr) {
        QPainterPath path;
        for (const analysis::MeasuredPoint& p : measured->points) {
            if (p.frequency < f0 || p.frequency > f1) continue;
            const QPointF at(
                x(p.frequency),
                ySwr(analysis::swrAgainst50({p.impedance.real(), p.impedance.imag()})));
            if (path.elementCount() == 0) {
                path.moveTo(at);
            } else {
                path.lineTo(at);
            }
        }
        if (path.elementCount() > 0) {
            painter.setPen(QPen(Qt::black, 1.5, Qt::DotLine));
            painter.drawPath(path);
            keys.push_back({uiText("as measured"), Qt::black});
        }
    }
    // The keys in one row below the frequency scale, the bare SWR's first.
    keys.insert(keys.begin(), {uiText("SWR"), kSwrColour});
    if (keys.size() > 1) {
        double x0 = plot.left();
        for (const auto& [name, colour] : keys) {
            const double y0 = plot.bottom() + line * 2.3;
            painter.setPen(QPen(colour, 2));
            painter.drawLine(QPointF(x0, y0 + line / 2), QPointF(x0 + 16, y0 + line / 2));
            const double width = metrics.horizontalAdvance(name);
            painter.drawText(QRectF(x0 + 20, y0, width + 2, line),
                             textFlags(Qt::AlignLeft | Qt::AlignVCenter), name);
            x0 += 20 + width + 16;
        }
    }
    painter.setPen(QPen(kGainColour, 2, Qt::DashLine));
    painter.drawPath(gainPath);
    painter.restore();
}

void paintPatterns(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                   const analysis::Tuning*, const analysis::Measurement*) {
    double peak = -999;
    for (const auto* plane : {&analysis.ePlane, &analysis.hPlane}) {
        for (const analysis::PatternPoint& p : *plane) peak = std::max(peak, p.gain);
    }
    if (peak < -900) return;
    // The scale's top is the maximum itself; the rings read in dB below it.
    const double top = peak;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();

    const auto plot = [&](const std::vector<analysis::PatternPoint>& points, bool ePlane,
                          const QRectF& box, const QString& title) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left(), box.top(), box.width(), line * 1.3), Qt::AlignCenter,
                         title);
        const double radius = std::max(
            10.0, std::min(box.width() / 2 - metrics.horizontalAdvance(QStringLiteral("330°")) - 4,
                           (box.height() - line * 4.5) / 2 - line));
        const QPointF centre(box.center().x(), box.top() + line * 1.5 + line + radius);
        const sheet::PolarScale scale{top, radius};
        const double floor = scale.floor();  // deep nulls stay on this ring
        const auto radiusOf = [&scale](double gain) { return scale.at(gain); };
        painter.setBrush(Qt::NoBrush);
        for (const double below : kPolarRings) {
            painter.setPen(below == -3 ? QPen(kGrid, 1, Qt::DashLine) : QPen(kGrid));
            const double r = radiusOf(top + below);
            painter.drawEllipse(centre, r, r);
        }
        for (int angle = 0; angle < 360; angle += 30) {
            const double a = angle * std::numbers::pi / 180;
            const QPointF direction(std::cos(a), -std::sin(a));
            painter.setPen(kGrid);
            painter.drawLine(centre + direction * floor, centre + direction * radius);
            painter.setPen(QColor(90, 90, 90));
            const QPointF at = centre + direction * (radius + line * 0.9);
            painter.drawText(QRectF(at.x() - 30, at.y() - line / 2, 60, line), Qt::AlignCenter,
                             QStringLiteral("%1°").arg(angle));
        }
        if (points.empty()) return;
        const auto pointOf = [&](const analysis::PatternPoint& p) {
            const double degrees = ePlane ? p.phi : 90 - p.theta;
            const double a = degrees * std::numbers::pi / 180;
            return centre + QPointF(std::cos(a), -std::sin(a)) * radiusOf(p.gain);
        };
        QPainterPath path(pointOf(points.front()));
        for (const analysis::PatternPoint& p : points) path.lineTo(pointOf(p));
        path.closeSubpath();
        painter.setPen(QPen(kGainColour, 1.5));
        painter.setBrush(QColor(0, 0, 255, 20));
        painter.drawPath(path);
        // The scale on a ruler below the plot, where no lobe covers it.
        const double ruler = centre.y() + radius + line * 1.6;
        painter.setPen(QColor(90, 90, 90));
        painter.drawLine(QPointF(centre.x() + floor, ruler), QPointF(centre.x() + radius, ruler));
        // Each ring's figure where it keeps clear of the one before, 0 and -3 crowding.
        double lastText = -1e9;
        for (const double below : kPolarRings) {
            const double rx = centre.x() + radiusOf(top + below);
            painter.drawLine(QPointF(rx, ruler - 3), QPointF(rx, ruler + 3));
            const double half = metrics.horizontalAdvance(number(below, 0)) / 2 + 2;
            if (std::fabs(rx - lastText) < 2 * half) continue;
            painter.drawText(QRectF(rx - 20, ruler + 3, 40, line), Qt::AlignCenter,
                             number(below, 0));
            lastText = rx;
        }
        painter.drawText(QRectF(box.left(), ruler - line / 2, centre.x() - box.left() - 4, line),
                         textFlags(Qt::AlignRight | Qt::AlignVCenter), QStringLiteral("dB"));
    };
    const double half = area.width() / 2;
    plot(analysis.ePlane, true, QRectF(area.left(), area.top(), half, area.height()),
         uiText("E-plane pattern"));
    plot(analysis.hPlane, false, QRectF(area.left() + half, area.top(), half, area.height()),
         uiText("H-plane pattern"));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.bottom() - line, area.width(), line), Qt::AlignCenter,
                     uiText("maximum %1 dBi; rings in dB below it").arg(number(peak, 2)));
    painter.restore();
}

std::complex<double> reflectionOf(std::complex<double> z, double z0) { return (z - z0) / (z + z0); }

void paintSmith(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                const analysis::Tuning* tuning, const analysis::Measurement* measured) {
    const std::vector<analysis::SweepPoint>& sweep = analysis.sweep;
    if (sweep.size() < 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    // The chart a square on the left, the keys to its right.
    const double keysWidth = std::min(area.width() * 0.35, 16 * line);
    // A line's room around the rim for the reactance labels.
    const double side = std::min(area.width() - keysWidth - 3 * line, area.height() - 3 * line);
    if (side < 4 * line) {
        painter.restore();
        return;
    }
    const QPointF centre(area.left() + 1.5 * line + side / 2, area.top() + 1.5 * line + side / 2);
    const double radius = side / 2;
    const auto at = [&](std::complex<double> gamma) {
        return QPointF(centre.x() + radius * gamma.real(), centre.y() - radius * gamma.imag());
    };
    const double z0 = analysis::kFeedlineOhms;

    // The grid: the rim, circles of constant resistance, arcs of constant reactance (each
    // drawn point by point across the resistances, so that it stops at the rim), the axis.
    painter.setPen(QPen(kGrid, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.drawLine(at({-1, 0}), at({1, 0}));
    constexpr double kGridSteps[] = {0.2, 0.5, 1, 2, 5};
    painter.setPen(QPen(kGrid.darker(130), 1));
    for (const double r : kGridSteps) {
        const double c = r / (1 + r), rr = 1 / (1 + r);
        painter.drawEllipse(at({c, 0}), rr * radius, rr * radius);
    }
    for (const double x : kGridSteps) {
        for (const double sign : {1.0, -1.0}) {
            QPainterPath arc;
            for (int k = 0; k <= 200; ++k) {
                // r from 0 to about 50, denser near the rim where the arc turns.
                const double r = std::pow(k / 200.0, 3) * 50;
                const QPointF p = at(reflectionOf({r * z0, sign * x * z0}, z0));
                k == 0 ? arc.moveTo(p) : arc.lineTo(p);
            }
            painter.drawPath(arc);
        }
        painter.setPen(Qt::darkGray);
        const QPointF label = at(reflectionOf({0, x * z0}, z0));
        painter.drawText(QRectF(label.x() - 2 * line, label.y() - line * 1.2, 4 * line, line),
                         textFlags(Qt::AlignCenter), number(x, x < 1 ? 1 : 0));
        painter.setPen(QPen(kGrid.darker(130), 1));
    }

    // Each curve from its impedances in order, the design frequency marked with a dot.
    std::vector<std::pair<QString, QColor>> keys;
    const auto curve = [&](const std::vector<std::complex<double>>& feeds, const QColor& colour,
                           const QString& name, Qt::PenStyle style, int design) {
        if (feeds.size() < 2) return;
        QPainterPath path(at(reflectionOf(feeds.front(), z0)));
        for (const std::complex<double>& z : feeds) path.lineTo(at(reflectionOf(z, z0)));
        painter.setPen(QPen(colour, 2, style));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        if (design >= 0 && static_cast<std::size_t>(design) < feeds.size()) {
            painter.setBrush(colour);
            painter.drawEllipse(at(reflectionOf(feeds[static_cast<std::size_t>(design)], z0)),
                                line / 4, line / 4);
        }
        keys.emplace_back(name, colour);
    };
    // The design frequency is the sweep's middle step unless a range was given.
    const int design = analysis::designStep(analysis.range).value_or(-1);
    std::vector<std::complex<double>> bare;
    for (const analysis::SweepPoint& p : sweep) {
        bare.emplace_back(p.feed.resistance, p.feed.reactance);
    }
    curve(bare, kSwrColour, uiText("the antenna"), Qt::SolidLine, design);
    if (tuning != nullptr) {
        const auto matched = [&](const std::vector<analysis::Impedance>& feeds,
                                 const QColor& colour, const QString& name) {
            std::vector<std::complex<double>> points;
            for (const analysis::Impedance& z : feeds)
                points.emplace_back(z.resistance, z.reactance);
            curve(points, colour, name, Qt::SolidLine, design);
        };
        if (tuning->hairpin) {
            matched(tuning->hairpin->sweepFeed, kHairpinColour, uiText("through the hairpin"));
        }
        if (tuning->coax) {
            matched(tuning->coax->sweepFeed, kCoaxColour, uiText("through the transformer"));
        }
        if (tuning->rods) {
            matched(tuning->rods->sweepFeed, kRodColour,
                    tuning->rods->shape.balanced ? uiText("through the T match")
                                                 : uiText("through the gamma match"));
        }
    }
    if (measured != nullptr) {
        std::vector<std::complex<double>> points;
        const double f0 = sweep.front().frequency, f1 = sweep.back().frequency;
        for (const analysis::MeasuredPoint& p : measured->points) {
            if (p.frequency >= f0 && p.frequency <= f1) points.push_back(p.impedance);
        }
        curve(points, Qt::black, uiText("measured"), Qt::DotLine, -1);
    }

    // The keys, and a word on what the chart is.
    double y = area.top() + line;
    const double x = centre.x() + radius + line;
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(x, y, keysWidth, line), textFlags(Qt::AlignLeft | Qt::AlignVCenter),
        uiText("normalised to %1 Ω").arg(QString::fromStdString(analysis::shortest(z0))));
    y += line * 1.5;
    for (const auto& [name, colour] : keys) {
        painter.setPen(QPen(colour, 2));
        painter.drawLine(QPointF(x, y + line / 2), QPointF(x + line * 1.5, y + line / 2));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x + line * 2, y, keysWidth - line * 2, line),
                         textFlags(Qt::AlignLeft | Qt::AlignVCenter), name);
        y += line * 1.3;
    }
    painter.restore();
}

PlotWidget::PlotWidget(Paint paint, QWidget* parent) : QWidget(parent), paint_(paint) {
    setMinimumSize(300, 240);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

void PlotWidget::setAnalysis(const analysis::Analysis* analysis, const analysis::Tuning* tuning) {
    analysis_ = analysis;
    tuning_ = tuning;
    update();
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (paint_ != paintSweep || analysis_ == nullptr || analysis_->sweep.size() < 2) return;
    const bool keys =
        (tuning_ != nullptr && (tuning_->hairpin || tuning_->coax || tuning_->rods)) ||
        measured_ != nullptr;
    const QRectF plot =
        sweepPlotArea(QRectF(rect()).adjusted(4, 4, -4, -4), QFontMetricsF(font()), keys);
    const QPointF at = event->position();
    if (!plot.contains(at)) return QToolTip::hideText();
    const auto& sweep = analysis_->sweep;
    const double f =
        sweep.front().frequency +
        (at.x() - plot.left()) / plot.width() * (sweep.back().frequency - sweep.front().frequency);
    const auto nearest =
        std::min_element(sweep.begin(), sweep.end(), [f](const auto& a, const auto& b) {
            return std::fabs(a.frequency - f) < std::fabs(b.frequency - f);
        });
    QToolTip::showText(
        event->globalPosition().toPoint(),
        uiText("%1 MHz\nSWR %2\ngain %3 dBi")
            .arg(number(nearest->frequency, 3), number(nearest->swr, 2), number(nearest->gain, 2)),
        this);
}

void PlotWidget::setMeasurement(const analysis::Measurement* measured) {
    measured_ = measured;
    update();
}

void PlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (analysis_ != nullptr) {
        paint_(painter, QRectF(rect()).adjusted(4, 4, -4, -4), *analysis_, tuning_, measured_);
    } else {
        painter.setPen(Qt::gray);
        painter.drawText(rect(), Qt::AlignCenter,
                         uiText("The plots appear once the analysis is done"));
    }
}

}  // namespace zeva::ui
