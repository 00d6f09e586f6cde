// SPDX-License-Identifier: MIT
#include "analysis/sweep_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "nec/engine.h"
#include "nec/structure.h"

namespace zeva::analysis {

using Complex = std::complex<double>;

namespace {

// One quantity fitted by linear least squares to P(x_k) - y_k (Q(x_k) - 1) = y_k; with as
// many unknowns as samples it interpolates them.
SweepFit::Rational fitted(const std::vector<double>& x, const std::vector<Complex>& y, int order,
                          int denominator) {
    const Eigen::Index rows = static_cast<Eigen::Index>(x.size());
    Eigen::MatrixXcd a = Eigen::MatrixXcd::Zero(rows, order + denominator + 1);
    Eigen::VectorXcd b(rows);
    for (Eigen::Index k = 0; k < rows; ++k) {
        const double xk = x[static_cast<std::size_t>(k)];
        const Complex yk = y[static_cast<std::size_t>(k)];
        double power = 1;
        for (int i = 0; i <= order; ++i) {
            a(k, i) = power;
            if (i > 0 && i <= denominator) a(k, order + i) = -yk * power;
            power *= xk;
        }
        b(k) = yk;
    }
    const Eigen::VectorXcd c = a.colPivHouseholderQr().solve(b);
    SweepFit::Rational r;
    for (int i = 0; i <= order; ++i) r.p.push_back(c(i));
    r.q.push_back(1.);
    for (int i = 1; i <= denominator; ++i) r.q.push_back(c(order + i));
    return r;
}

// The factor that takes the path to the boom's centre out of a field towards phi 0 (sign 1)
// or phi 180 (sign -1), with NEC-2's speed of light.
Complex boomPhase(double frequency, double boomCentre, double sign) {
    const double angle =
        -sign * 2 * std::numbers::pi * boomCentre * frequency / nec::kNecSpeedOfLight;
    return {std::cos(angle), std::sin(angle)};
}

}  // namespace

Complex SweepFit::Rational::operator()(double x) const {
    Complex numerator, denominator;
    for (std::size_t i = p.size(); i-- > 0;) numerator = numerator * x + p[i];
    for (std::size_t i = q.size(); i-- > 0;) denominator = denominator * x + q[i];
    return numerator / denominator;
}

SweepFit::SweepFit(std::vector<SweepSample> samples, double boomCentre) {
    const int order = static_cast<int>(samples.size()) / 2;  // nine samples: 4/4 and 3/3
    if (order < 2) return;
    const auto [low, high] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const SweepSample& a, const SweepSample& b) { return a.frequency < b.frequency; });
    if (!(high->frequency > low->frequency)) return;
    middle_ = (high->frequency + low->frequency) / 2;
    halfSpan_ = (high->frequency - low->frequency) / 2;
    std::vector<double> x;
    std::vector<std::vector<Complex>> y(5);
    for (const SweepSample& s : samples) {
        x.push_back((s.frequency - middle_) / halfSpan_);
        const Complex forward = boomPhase(s.frequency, boomCentre, 1);
        const Complex back = boomPhase(s.frequency, boomCentre, -1);
        y[0].push_back(s.impedance);
        y[1].push_back(s.forwardTheta * forward * s.impedance);
        y[2].push_back(s.forwardPhi * forward * s.impedance);
        y[3].push_back(s.backTheta * back * s.impedance);
        y[4].push_back(s.backPhi * back * s.impedance);
    }
    for (const auto& values : y) {
        higher_.push_back(fitted(x, values, order, order));
        lower_.push_back(fitted(x, values, order, order - 1));
    }
}

FittedStep SweepFit::stepOf(const std::vector<Rational>& fits, double frequency) const {
    const double x = (frequency - middle_) / halfSpan_;
    const Complex z = fits[0](x);
    const double inputPower = .5 * (1. / z).real();  // for a 1-volt source
    FittedStep step;
    step.impedance = z;
    step.forwardGain = nec::powerGain(fits[1](x) / z, fits[2](x) / z, frequency, inputPower);
    step.backGain = nec::powerGain(fits[3](x) / z, fits[4](x) / z, frequency, inputPower);
    return step;
}

std::optional<FittedStep> SweepFit::at(double frequency) const {
    if (higher_.empty()) return std::nullopt;
    const FittedStep a = stepOf(higher_, frequency);
    const FittedStep b = stepOf(lower_, frequency);
    const bool agree =
        std::fabs(a.impedance.real() - b.impedance.real()) < kFitOhms &&
        std::fabs(a.impedance.imag() - b.impedance.imag()) < kFitOhms &&
        std::fabs(a.forwardGain - b.forwardGain) < kFitDb &&
        std::fabs((a.forwardGain - a.backGain) - (b.forwardGain - b.backGain)) < kFitDb &&
        std::isfinite(a.forwardGain) && std::isfinite(a.backGain) && a.impedance.real() > 0;
    if (!agree) return std::nullopt;
    return a;
}

}  // namespace zeva::analysis
