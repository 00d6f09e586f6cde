// SPDX-License-Identifier: MIT
// The radial scale of every polar plot, in the SVG files and in the windows: the maximum on
// the outer ring, rings at 0, -3, -10, -20 and -30 dB below it, and deep nulls held on an
// inner ring a tenth of the radius out, 40 dB below the maximum.
#pragma once

#include <algorithm>

namespace zeva::sheet {

inline constexpr double kPolarRings[] = {0, -3, -10, -20, -30};  // dB below the maximum
inline constexpr double kPolarRange = 40;                        // dB from the outer ring in

struct PolarScale {
    double maximum = 0;  // dBi on the outer ring
    double radius = 1;   // of the outer ring

    [[nodiscard]] double floor() const { return radius / 10; }
    // The distance from the centre of a gain in dBi.
    [[nodiscard]] double at(double gain) const {
        const double share = std::clamp((gain - (maximum - kPolarRange)) / kPolarRange, 0.0, 1.0);
        return floor() + share * (radius - floor());
    }
};

}  // namespace zeva::sheet
