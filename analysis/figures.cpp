// SPDX-License-Identifier: MIT
#include "analysis/figures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zeva::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A cut as gains by the angle from the forward direction, -180 to 179 degrees in whole
// degrees; the forward direction is angle 0 and straight back is -180.
struct Cut {
    std::vector<double> gain = std::vector<double>(360, -999.99);
    double at(int angle) const {
        return gain[static_cast<std::size_t>(((angle % 360) + 540) % 360)];
    }
};

Cut cutOf(const std::vector<PatternPoint>& points, bool ePlane) {
    Cut cut;
    for (const PatternPoint& p : points) {
        const double angle = ePlane ? p.phi : 90 - p.theta;
        const long whole = std::lround(angle);
        cut.gain[static_cast<std::size_t>(((whole % 360) + 540) % 360)] = p.gain;
    }
    return cut;
}

// Degrees from the forward direction to the -3 dB point, walking one way (+1 or -1),
// interpolated in dB between whole degrees.
double halfPowerAngle(const Cut& cut, int way) {
    const double level = cut.at(0) - 3;
    for (int angle = 1; angle <= 180; ++angle) {
        const double inside = cut.at(way * (angle - 1));
        const double outside = cut.at(way * angle);
        if (outside <= level) return angle - 1 + (inside - level) / (inside - outside);
    }
    return kNaN;
}

// The last angle of the main lobe going one way: where the gain stops falling.
int lobeEdge(const Cut& cut, int way) {
    int angle = 0;
    while (angle < 180 && cut.at(way * (angle + 1)) <= cut.at(way * angle)) ++angle;
    return angle;
}

}  // namespace

PatternFigures patternFigures(const std::vector<PatternPoint>& ePlane,
                              const std::vector<PatternPoint>& hPlane) {
    const Cut e = cutOf(ePlane, true);
    const Cut h = cutOf(hPlane, false);
    PatternFigures figures;
    figures.forwardGain = e.at(0);
    figures.frontToBack = e.at(0) - e.at(180);
    figures.beamwidthE = halfPowerAngle(e, 1) + halfPowerAngle(e, -1);
    figures.beamwidthH = halfPowerAngle(h, 1) + halfPowerAngle(h, -1);

    double rear = -std::numeric_limits<double>::infinity();
    double other = rear;
    // The forward direction counts as the strongest unless another is stronger by more than
    // nec2c's printed resolution: a dipole's equal front and back stay a front.
    double strongest = figures.forwardGain + 0.005;
    for (const Cut* cut : {&e, &h}) {
        const int upper = lobeEdge(*cut, 1);
        const int lower = -lobeEdge(*cut, -1);
        for (int angle = -180; angle < 180; ++angle) {
            const double g = cut->at(angle);
            if (std::abs(angle) >= 90) rear = std::max(rear, g);
            if (angle > upper || angle < lower) other = std::max(other, g);
            if (g > strongest) {
                strongest = g;
                figures.strongestAngle = std::abs(angle);
            }
        }
    }
    figures.frontToRear = figures.forwardGain - rear;
    figures.sidelobe = figures.forwardGain - other;
    return figures;
}

double averageGain(const std::vector<PatternPoint>& sphere, const nec::PatternCut& grid) {
    if (!(grid.thetaStep > 0) || !(grid.phiStep > 0)) return kNaN;
    const int n = static_cast<int>(std::lround(180 / grid.thetaStep));   // intervals, 0 to 180
    const int phis = static_cast<int>(std::lround(360 / grid.phiStep));  // steps around
    if (n < 2 || n % 2 != 0 || phis < 2 || phis % 2 != 0 || grid.thetaCount != n / 2 + 1 ||
        grid.phiCount != phis / 2 + 1 ||
        sphere.size() !=
            static_cast<std::size_t>(grid.thetaCount) * static_cast<std::size_t>(grid.phiCount)) {
        return kNaN;
    }
    // Clenshaw-Curtis weights in cos theta over -1 .. 1, for the nodes theta j π / n; a node
    // above the equator stands for its mirror below it too.
    std::vector<double> weight(static_cast<std::size_t>(grid.thetaCount));
    for (int j = 0; j <= n / 2; ++j) {
        const double theta = std::numbers::pi * j / n;
        double sum = 0;
        for (int k = 1; k <= n / 2; ++k) {
            sum += (2 * k == n ? 1. : 2.) / (4. * k * k - 1) * std::cos(2 * k * theta);
        }
        const double own = (j == 0 ? 1. : 2.) / n * (1 - sum);
        weight[static_cast<std::size_t>(j)] = 2 * j == n ? own : 2 * own;
    }
    double total = 0;
    for (std::size_t p = 0; p < sphere.size(); ++p) {
        const double gain = sphere[p].gain;
        if (std::isnan(gain) || gain > 1e300) return kNaN;  // -∞ dB is a null: no power
        // Phi 0 and 180 stand for themselves; every phi between, for its mirror as well.
        const std::size_t phi = p / weight.size();
        const double around = phi == 0 || 2 * phi == static_cast<std::size_t>(phis) ? 1. : 2.;
        total += around * weight[p % weight.size()] * std::pow(10., gain / 10.);
    }
    // Each phi step stands for 2π / phis of the circle; the sphere is 4π.
    return total * (2 * std::numbers::pi / phis) / (4 * std::numbers::pi);
}

double stackingDistance(double wavelength, double beamwidthDegrees) {
    if (!std::isfinite(beamwidthDegrees) || beamwidthDegrees <= 0) return kNaN;
    return wavelength / (2 * std::sin(beamwidthDegrees / 2 * std::numbers::pi / 180));
}

std::string impedanceText(const Impedance& z) {
    return fixed(z.resistance, 2) + (z.reactance < 0 ? " - j" : " + j") +
           fixed(std::fabs(z.reactance), 2);
}

double swrAgainst50(const Impedance& z) { return swrAgainst(z, kFeedlineOhms); }

double swrAgainst(const Impedance& z, double z0) {
    const double reflected =
        std::hypot(z.resistance - z0, z.reactance) / std::hypot(z.resistance + z0, z.reactance);
    return reflected >= 1 ? std::numeric_limits<double>::infinity()
                          : (1 + reflected) / (1 - reflected);
}

}  // namespace zeva::analysis
