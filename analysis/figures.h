// SPDX-License-Identifier: MIT
// The figures a builder compares, from the two pattern cuts at the design frequency.
#pragma once

#include <string>
#include <vector>

#include "analysis/nec_output.h"

namespace zeva::analysis {

inline constexpr double kDipoleGain = 2.15;  // dBi of a half-wave dipole: dBd = dBi - 2.15

struct PatternFigures {
    double forwardGain = 0;  // dBi, along the boom towards the directors
    double frontToBack = 0;  // dB, against straight back
    double frontToRear = 0;  // dB, against the strongest direction of the rear half
    double beamwidthE = 0;   // degrees between the -3 dB points; NaN where none is found
    double beamwidthH = 0;
    double sidelobe = 0;        // dB below the forward gain of the strongest other lobe
    double strongestAngle = 0;  // degrees between the strongest direction and the forward one
};

// E-plane points as theta 90, phi 0 to 360; H-plane points as phi 0, theta 0 to 360.
[[nodiscard]] PatternFigures patternFigures(const std::vector<PatternPoint>& ePlane,
                                            const std::vector<PatternPoint>& hPlane);

// The average power gain over the sphere that sphereOf() samples (theta inner, phi outer,
// the upper quarter standing for the others):
// the radiated power over the input power, 1 for a sound lossless model in free space. NaN
// where the points are not that grid.
[[nodiscard]] double averageGain(const std::vector<PatternPoint>& sphere,
                                 const nec::PatternCut& grid);
// A model whose average gain is further than this from 1 is suspect: its gains by as much.
inline constexpr double kAverageGainTolerance = 0.05;

// DL6WU's stacking distance for a -3 dB beamwidth in that plane: λ / (2 sin(θ / 2)).
[[nodiscard]] double stackingDistance(double wavelength, double beamwidthDegrees);

// An impedance as the reports write it: "47.09 + j11.51".
[[nodiscard]] std::string impedanceText(const Impedance& z);

// The coaxial feed line's impedance, which the SWR is against and the matches aim at.
inline constexpr double kFeedlineOhms = 50.0;

[[nodiscard]] double swrAgainst50(const Impedance& z);
// The SWR of z on a line of z0 ohms.
[[nodiscard]] double swrAgainst(const Impedance& z, double z0);

}  // namespace zeva::analysis
