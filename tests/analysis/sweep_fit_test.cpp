// SPDX-License-Identifier: MIT
// The rational fits of the sweep: exact where the truth is a low-order ratio, and refused
// where the two orders disagree.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/sweep_fit.h"
#include "nec/engine.h"

namespace zeva::analysis {
namespace {

using Complex = std::complex<double>;

// A series-resonant feed and fields that follow it, as a short Yagi's do near its design
// frequency, with the phase of a boom centred 3 m from the origin.
SweepSample resonant(double f) {
    const double x = (f - 144) / 2.88;
    SweepSample s;
    s.frequency = f;
    s.impedance = Complex(30 + 4 * x, 0) + Complex(0, 40) * x / Complex(1, 0.2 * x);
    const double turn = 2 * std::numbers::pi * 3.0 * f / 299.8;
    const Complex forward = Complex(std::cos(turn), std::sin(turn)) * Complex(2.0 + 0.3 * x, 0.5);
    const Complex back = Complex(std::cos(turn), -std::sin(turn)) * Complex(0.2, -0.1 * x);
    s.forwardTheta = 0;
    s.forwardPhi = forward / s.impedance;
    s.backTheta = 0;
    s.backPhi = back / s.impedance;
    return s;
}

std::vector<SweepSample> nineOf(SweepSample (*truth)(double)) {
    std::vector<SweepSample> samples;
    for (int k = 0; k < 9; ++k) samples.push_back(truth(144 * (0.98 + 0.005 * k)));
    return samples;
}

TEST(SweepFit, a_low_order_truth_is_followed_between_the_samples) {
    const SweepFit fit(nineOf(resonant), 3.0);
    for (const double f : {141.2, 142.9, 144.1, 146.7}) {
        const auto step = fit.at(f);
        ASSERT_TRUE(step.has_value()) << f;
        const SweepSample truth = resonant(f);
        EXPECT_NEAR(step->impedance.real(), truth.impedance.real(), 1e-6) << f;
        EXPECT_NEAR(step->impedance.imag(), truth.impedance.imag(), 1e-6) << f;
        const double power = .5 * (1. / truth.impedance).real();
        EXPECT_NEAR(step->forwardGain, nec::powerGain(0, truth.forwardPhi, f, power), 1e-6);
        EXPECT_NEAR(step->backGain, nec::powerGain(0, truth.backPhi, f, power), 1e-6);
    }
}

TEST(SweepFit, where_the_orders_disagree_nothing_is_fitted) {
    // A feed with a sharp wiggle between the samples that nine samples cannot pin down.
    std::vector<SweepSample> samples = nineOf(resonant);
    samples[4].impedance += Complex(3, -2);
    const SweepFit fit(samples, 3.0);
    EXPECT_FALSE(fit.at(144 * 0.9975).has_value());
    // Too few samples for two orders: never a fit.
    EXPECT_FALSE(SweepFit({samples.begin(), samples.begin() + 3}, 3.0).at(144).has_value());
}

}  // namespace
}  // namespace zeva::analysis
