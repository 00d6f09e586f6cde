// SPDX-License-Identifier: MIT
// The analysis drawn: SWR and gain across the sweep, and the E- and H-plane patterns as
// polar plots in dBi. The same painting serves the window, the PDF report and the printer.
#pragma once

#include <QWidget>
#include <complex>
#include <functional>
#include <utility>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/touchstone.h"
#include "analysis/tuner.h"

class QPainter;

namespace zeva::ui {

// Alignment flags as QPainter::drawText takes them.
inline int textFlags(Qt::Alignment alignment) { return static_cast<int>(alignment.toInt()); }

// The SWR scale goes no higher than this; a curve above it is marked as clipped.
inline constexpr double kSwrScaleTop = 10.0;

// The stretches of the sweep, MHz, where the SWR runs above the top of its scale, their
// ends interpolated between the steps.
[[nodiscard]] std::vector<std::pair<double, double>> clippedStretches(
    const std::vector<analysis::SweepPoint>& sweep, double top);

// The sweep plot's frame inside the area, the scales and keys around it.
[[nodiscard]] QRectF sweepPlotArea(const QRectF& area, const QFontMetricsF& metrics, bool keysRow);

// SWR (left scale) and forward gain (right scale) against frequency in MHz, the design
// frequency marked and the 2:1 and 1.5:1 bandwidths shaded; with a tuning, the SWR through
// each match beside the bare one; with a measurement, the measured SWR over the same
// frequencies.
void paintSweep(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                const analysis::Tuning* tuning, const analysis::Measurement* measured = nullptr);

// The two pattern cuts side by side, the forward direction (towards the directors) to the
// right, rings at 0, -3, -10, -20 and -30 dB below the maximum, whose dBi is written.
void paintPatterns(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                   const analysis::Tuning* tuning = nullptr,
                   const analysis::Measurement* measured = nullptr);

// The feed across the sweep on a Smith chart normalised to the 50-ohm line: the bare
// element's, each match's as the line sees it, and the measured one, the design frequency
// marked on each; circles of constant resistance and arcs of constant reactance at 0.2, 0.5,
// 1, 2 and 5 times 50 ohms.
void paintSmith(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                const analysis::Tuning* tuning = nullptr,
                const analysis::Measurement* measured = nullptr);

// The reflection coefficient of z on a line of z0 ohms.
[[nodiscard]] std::complex<double> reflectionOf(std::complex<double> z, double z0);

// A widget that paints an analysis with one of the functions above, or a grey hint without.
class PlotWidget final : public QWidget {
public:
    using Paint = void (*)(QPainter&, const QRectF&, const analysis::Analysis&,
                           const analysis::Tuning*, const analysis::Measurement*);
    PlotWidget(Paint paint, QWidget* parent = nullptr);
    void setAnalysis(const analysis::Analysis* analysis, const analysis::Tuning* tuning = nullptr);
    void setMeasurement(const analysis::Measurement* measured);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Over the sweep plot, the step nearest the pointer: frequency, SWR, gain.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Paint paint_;
    const analysis::Analysis* analysis_ = nullptr;
    const analysis::Tuning* tuning_ = nullptr;
    const analysis::Measurement* measured_ = nullptr;
};

}  // namespace zeva::ui
