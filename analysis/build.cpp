// SPDX-License-Identifier: MIT
#include "analysis/build.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/geometry.h"

namespace zeva::analysis {

using std::complex;

double boomCorrectionFraction(Mounting mounting, double b) {
    switch (mounting) {
        case Mounting::Bonded:
            return 733 * b * (0.055 - b) - 504 * b * (0.03 - b);
        case Mounting::Insulated:
            return 12.5975 * b - 114.5 * b * b;
        case Mounting::Insulators:
            break;
    }
    return 0;
}

std::variant<double, Failure> boomCorrection(Mounting mounting, double boomDiameter,
                                             double wavelength, Language language) {
    if (mounting == Mounting::Insulators) return 0.0;
    if (!(boomDiameter > 0) || !std::isfinite(boomDiameter)) {
        return Failure{say(language, "the boom diameter must be above zero")};
    }
    const double b = boomDiameter / wavelength;
    if (b > kMaxBoomWavelengths) {
        return Failure{say(language,
                           "the boom is too thick for the correction: its diameter is %1 "
                           "wavelengths, and the fits hold below %2",
                           {fixed(b, 4), shortest(kMaxBoomWavelengths)})};
    }
    return boomCorrectionFraction(mounting, b) * boomDiameter;
}

double hairpinReactance(double r) { return -std::sqrt(r * (50 - r)); }

double hairpinShuntReactance(double r) { return 50 * std::sqrt(r / (50 - r)); }

double twoWireImpedance(double spacing, double wireDiameter) {
    return 276 * std::log10(2 * spacing / wireDiameter);
}

double shortedLineLength(double reactance, double z0, double wavelength) {
    return std::atan(reactance / z0) * wavelength / (2 * std::numbers::pi);
}

complex<double> throughStub(complex<double> feed, double z0, double length, double frequency) {
    const double wavelength = kSpeedOfLight / frequency;
    const complex<double> stub(0, z0 * std::tan(2 * std::numbers::pi * length / wavelength));
    return feed * stub / (feed + stub);
}

Cable nearestCable(double wanted) {
    Cable best{50, 1, 50};
    for (const double each : {50.0, 75.0, 93.0}) {
        for (const int parallel : {1, 2}) {
            const double z = each / parallel;
            if (std::fabs(std::log(z / wanted)) < std::fabs(std::log(best.impedance / wanted))) {
                best = {z, parallel, each};
            }
        }
    }
    return best;
}

complex<double> throughQuarterWave(complex<double> feed, double z0, double frequency,
                                   double designFrequency) {
    const complex<double> t(0, std::tan(std::numbers::pi / 2 * frequency / designFrequency));
    return z0 * (feed + z0 * t) / (z0 + feed * t);
}

}  // namespace zeva::analysis
