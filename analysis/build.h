// SPDX-License-Identifier: MIT
// From design to antenna: the boom correction of elements that pass through a metal boom, and
// the two 50-ohm matches builders use (a hairpin across a split driven element, a quarter-wave
// coaxial transformer), with their SWR through the network.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "analysis/message.h"
#include "analysis/nec_output.h"

namespace zeva::analysis {

// How the antenna is fed: straight into the 50-ohm line, through a hairpin, or through a
// quarter-wave coaxial transformer.
enum class Feed { Direct, Hairpin, Coax };

enum class Mounting {
    Insulators,  // on insulators above the boom: no correction
    Insulated,   // through a round metal boom, insulated from it
    Bonded,      // through the boom and bonded to it
};

// DL6WU's boom correction as fitted by G3SEK, valid for booms below this many wavelengths.
inline constexpr double kMaxBoomWavelengths = 0.055;
// Over the last fifth of that range the fit is steep and its source graph sparse: the
// correction is shown with a word of caution.
inline constexpr double kLargeBoomWavelengths = 0.044;

// The fraction of the boom diameter by which an element passing through the boom is made
// longer, for a boom of b wavelengths:
//   bonded:    733·b·(0.055 − b) − 504·b·(0.03 − b)
//   insulated: 12.5975·b − 114.5·b²
[[nodiscard]] double boomCorrectionFraction(Mounting mounting, double boomWavelengths);

// The lengthening in metres for a boom of that diameter at that wavelength (metres); a
// refusal where the boom is thicker than the fits hold for or not above zero.
[[nodiscard]] std::variant<double, Failure> boomCorrection(Mounting mounting, double boomDiameter,
                                                           double wavelength, Language language);

// A hairpin (beta) match: the driven element shortened until its feed is R − j√(R·(50 − R)),
// and a shunt inductive reactance 50·√(R / (50 − R)) across the feed, made as a shorted
// two-wire line of characteristic impedance 276·log₁₀(2S/d).
[[nodiscard]] double hairpinReactance(double resistance);       // the element's, negative
[[nodiscard]] double hairpinShuntReactance(double resistance);  // the stub's, positive
[[nodiscard]] double twoWireImpedance(double spacing, double wireDiameter);
// The length of a shorted air line of impedance z0 with that reactance, at that wavelength.
[[nodiscard]] double shortedLineLength(double reactance, double z0, double wavelength);
// The feed seen through a shorted stub of impedance z0 and length, at a frequency f (MHz).
[[nodiscard]] std::complex<double> throughStub(std::complex<double> feed, double z0, double length,
                                               double frequency);

// A quarter-wave transformer of coaxial cable: √(50·R), the nearest of the cables below.
struct Cable {
    double impedance;  // ohms of the line as built: one cable or two in parallel
    int parallel;      // 1 or 2
    double each;       // ohms of each cable: 50, 75 or 93
};
[[nodiscard]] Cable nearestCable(double wanted);
// The feed through a line of impedance z0 that is a quarter wave at f0 (MHz), at f.
[[nodiscard]] std::complex<double> throughQuarterWave(std::complex<double> feed, double z0,
                                                      double frequency, double designFrequency);

}  // namespace zeva::analysis
