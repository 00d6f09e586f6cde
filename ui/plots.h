// The analysis drawn: SWR and gain across the sweep, and the E- and H-plane patterns as
// polar plots in dBi. The same painting serves the window, the PDF report and the printer.
#pragma once

#include <QWidget>
#include <functional>

#include "analysis/analyser.h"
#include "analysis/touchstone.h"
#include "analysis/tuner.h"

class QPainter;

namespace zeva::ui {

// Alignment flags as QPainter::drawText takes them.
inline int textFlags(Qt::Alignment alignment) { return static_cast<int>(alignment.toInt()); }

// SWR (left scale) and forward gain (right scale) against frequency in MHz; with a tuning,
// the SWR through each match beside the bare one; with a measurement, the measured SWR over
// the same frequencies.
void paintSweep(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                const analysis::Tuning* tuning, const analysis::Measurement* measured = nullptr);

// The two pattern cuts side by side, the forward direction (towards the directors) to the
// right, 10 dB a ring from the scale's top down to 40 dB below it.
void paintPatterns(QPainter& painter, const QRectF& area, const analysis::Analysis& analysis,
                   const analysis::Tuning* tuning = nullptr,
                   const analysis::Measurement* measured = nullptr);

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

private:
    Paint paint_;
    const analysis::Analysis* analysis_ = nullptr;
    const analysis::Tuning* tuning_ = nullptr;
    const analysis::Measurement* measured_ = nullptr;
};

}  // namespace zeva::ui
