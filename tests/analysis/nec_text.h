// SPDX-License-Identifier: MIT
// nec2c's printed output, written by the tests for the parser and the analyser: one frequency
// with its feed row and pattern tables, laid out as nec2c lays them out.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/nec_output.h"

namespace zeva::analysis::nec_text {

inline std::string necBlock(double mhz, Impedance z,
                            const std::vector<std::vector<PatternPoint>>& tables) {
    char line[256];
    std::string text;
    std::snprintf(line, sizeof line, "                                FREQUENCY : %.4E MHz\n", mhz);
    text += line;
    text +=
        "\n                        --------- ANTENNA INPUT PARAMETERS ---------\n"
        "  TAG   SEG       VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS)\n"
        "  No:   No:     REAL      IMAGINARY     REAL      IMAGINARY     REAL      IMAGINARY\n";
    std::snprintf(line, sizeof line,
                  "    2     7  1.0000E+00  0.0000E+00  1.9E-02 -3.9E-03  %.4E %.4E  1 2 3\n\n",
                  z.resistance, z.reactance);
    text += line;
    for (const auto& table : tables) {
        text +=
            "                             ---------- RADIATION PATTERNS -----------\n"
            "  THETA      PHI       VERTC    HORIZ    TOTAL       AXIAL      TILT  SENSE\n";
        for (const PatternPoint& p : table) {
            std::snprintf(line, sizeof line,
                          "  %6.2f  %8.2f   -999.99  %7.2f  %7.2f      0.0000    -90.00 LINEAR  "
                          "0.0E+00 0.00  6.8E-01 -121.65\n",
                          p.theta, p.phi, p.gain, p.gain);
            text += line;
        }
        text += "\n";
    }
    return text;
}

// A beam's cut: a main lobe towards angle 0 that falls 3 dB at ±halfWidth degrees, and a flat
// rear half at rearLevel dB below the peak.
inline double beamGain(double angle, double peak, double halfWidth, double rearLevel) {
    const double a = std::fabs(std::remainder(angle, 360.0));
    const double lobe = peak - 3 * (a / halfWidth) * (a / halfWidth);
    return std::fmax(lobe, peak - rearLevel);
}

// The E-plane (phi 0 to 360) and H-plane (theta 0 to 360) cuts of beamGain.
inline std::vector<std::vector<PatternPoint>> beamCuts(double peak, double halfE, double halfH,
                                                       double rear) {
    std::vector<PatternPoint> e;
    std::vector<PatternPoint> h;
    for (int step = 0; step <= 360; ++step) {
        e.push_back({90, double(step), beamGain(step, peak, halfE, rear), {}, {}});
        h.push_back({double(step), 0, beamGain(90 - step, peak, halfH, rear), {}, {}});
    }
    return {e, h};
}

}  // namespace zeva::analysis::nec_text
