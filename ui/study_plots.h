// SPDX-License-Identifier: MIT
// The studies drawn: the elevation pattern over the ground as a half polar plot, and the
// build tolerance's SWR as a histogram; and a widget that paints either once it is known.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"

class QPainter;

namespace zeva::ui {

// The vertical plane along the boom, the horizon ahead (towards the directors) to the right,
// the zenith up, 10 dB a ring from the scale's top; the takeoff angle marked.
void paintElevation(QPainter& painter, const QRectF& area, const analysis::OverGround& over);

// The histogram's bands: as wide as the SWR's printed step (0.01) or a round multiple of it,
// at most twenty across the samples' spread, from a multiple of that width.
struct SwrBands {
    double start = 0;  // the first band's lower edge
    double width = 0.01;
    std::vector<int> counts;  // samples in each band
};
SwrBands swrBands(const std::vector<double>& samples);

// How many samples fall in each band of SWR, with the median and the 90th percentile marked.
void paintSwrHistogram(QPainter& painter, const QRectF& area, const analysis::Tolerance& tolerance);

// The optimiser's search as it runs: the SWR across the band on the left, the E-plane pattern
// at the band's centre on the right, the start's dashed in grey and the best so far's in
// colour, both at the search's segmentation and on one scale.
void paintSearchCurves(QPainter& painter, const QRectF& area, const analysis::BandCurves& start,
                       const analysis::BandCurves& best);

// Paints with the function it is given, or a grey hint where it has none.
class StudyPlot final : public QWidget {
public:
    explicit StudyPlot(QString hint, QWidget* parent = nullptr);
    void setPainter(std::function<void(QPainter&, const QRectF&)> paint);
    void setHint(const QString& hint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString hint_;
    std::function<void(QPainter&, const QRectF&)> paint_;
};

}  // namespace zeva::ui
