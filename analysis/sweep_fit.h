// SPDX-License-Identifier: MIT
// The sweep between solved frequencies: rational (Padé) fits of the feed impedance and of the
// forward and backward fields, trusted only where two fits of different order agree.
//
// The impedance and the fields of a resonant structure are smooth, pole-like functions of
// frequency across a few per cent, which a ratio of low-order polynomials follows closely.
// The fields are fitted per ampere of feed current (times the impedance, for the 1-volt
// source), which takes the feed's own resonance out of them, and without the phase of the
// path from the origin to the boom's centre, a fast turn with frequency that no gain sees.
// Nine samples give a fit of orders 4/4, which passes through them, and one of 4/3; where
// the two differ by less than the tolerances, the first is taken.
#pragma once

#include <complex>
#include <optional>
#include <vector>

namespace zeva::analysis {

// What is fitted at one frequency; the fields for a 1-volt source.
struct SweepSample {
    double frequency = 0;  // MHz
    std::complex<double> impedance;
    std::complex<double> forwardTheta, forwardPhi, backTheta, backPhi;
};

// A fitted step's figures: the impedance, and the gains from the fitted fields.
struct FittedStep {
    std::complex<double> impedance;
    double forwardGain = 0;  // dBi
    double backGain = 0;
};

// Two fits agree within these at a step before it is taken from the fit.
inline constexpr double kFitOhms = 0.05;
inline constexpr double kFitDb = 0.005;

class SweepFit {
public:
    // samples: the solved frequencies (nine suit a sweep of a few per cent), in any order;
    // boomCentre: metres along the boom, whose phase is taken out of the fields.
    SweepFit(std::vector<SweepSample> samples, double boomCentre);

    // The step at this frequency if both fits agree there; nothing where they do not.
    [[nodiscard]] std::optional<FittedStep> at(double frequency) const;

    // P(x) / Q(x), Q's constant term 1, x the frequency scaled to -1 .. 1 over the samples.
    struct Rational {
        std::vector<std::complex<double>> p, q;
        [[nodiscard]] std::complex<double> operator()(double x) const;
    };

private:
    [[nodiscard]] FittedStep stepOf(const std::vector<Rational>& fits, double frequency) const;

    double middle_ = 0, halfSpan_ = 1;
    // The impedance, then the forward and backward fields' theta and phi parts, each fitted
    // at two orders; empty with too few samples.
    std::vector<Rational> higher_, lower_;
};

}  // namespace zeva::analysis
