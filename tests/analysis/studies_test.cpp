// SPDX-License-Identifier: MIT
// The studies after the analysis: the antenna over the ground against image theory, the
// build tolerance's Monte Carlo, and the SWR bandwidths against the sweep's own rows.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "analysis/tuner.h"

namespace zeva::analysis {
namespace {

constexpr double kPi = std::numbers::pi;

// A half-wave dipole of thin wire at 299.792458 MHz (a wavelength of one metre).
Antenna dipole() { return {kSpeedOfLight, {{"dipole", 0.48, 0, 0.002}}, 0}; }

Analysis at(int perWavelength) {
    Analysis a;
    a.segmentation = {perWavelength};
    a.solvedAt = {perWavelength};
    return a;
}

const FrequencyResult& solvedOnce(EngineRunner& runner, const nec::Deck& deck) {
    static thread_local std::vector<DeckResults> kept;
    const Outputs out = runner.run({deck});
    kept = std::get<std::vector<DeckResults>>(out);
    return kept[0][0];
}

// Over a perfect ground a horizontal dipole and its image, 2h apart, form a pair fed in
// opposition. In the plane across the dipole every current along it radiates alike, so the
// pattern there is 4·sin²(kh·sin e) times a constant: the peak at sin e = λ/4h, the shape the
// array factor's, no front or back. And a lossless antenna over a lossless ground sends all
// its input power into the upper half space: the gain averages to 2 over it.
TEST(OverGround, a_dipole_over_perfect_ground_follows_image_theory) {
    EngineRunner runner(Language::English, 2, nullptr);
    const Antenna antenna = dipole();
    // NEC-2 takes the speed of light as 299.8 m/µs.
    const double wavelength = 299.8 / antenna.frequency;
    // Heights with a single lobe between the horizon and the zenith.
    for (const double height : {0.3, 0.4, 0.5, 0.6}) {
        const Placement placement{height, *groundNamed("perfect")};
        const auto studied = studyOverGround(antenna, at(50), placement, runner, Language::English);
        ASSERT_TRUE(std::holds_alternative<OverGround>(studied)) << height;
        const OverGround& over = std::get<OverGround>(studied);
        const double kh = 2 * kPi * height / wavelength;
        EXPECT_NEAR(over.takeoff, std::asin(kPi / 2 / kh) * 180 / kPi, 0.02) << height;
        EXPECT_NEAR(over.frontToBack, 0, 0.001) << height;
        for (const ElevationPoint& p : over.elevation) {
            const double factor = std::pow(std::sin(kh * std::sin(p.elevation * kPi / 180)), 2);
            if (factor < 0.01) continue;  // near a null the dB figure says nothing
            EXPECT_NEAR(p.gain, over.gain + 10 * std::log10(factor), 0.002)
                << height << " at " << p.elevation;
        }

        // The whole upper half space, two degrees apart, summed with the weight of sin θ.
        nec::Deck hemisphere = overGroundDeck(antenna, {50}, placement);
        constexpr int kThetas = 46, kPhis = 180;
        hemisphere.steps[0].cuts = {{kThetas, kPhis, 0, 0, 2, 2}};
        const FrequencyResult& all = solvedOnce(runner, hemisphere);
        double sum = 0;
        for (const nec::PatternPoint& p : all.patterns[0]) {
            const double weight = (p.theta == 0 || p.theta == 90) ? 0.5 : 1;
            sum += weight * std::pow(10, p.gain / 10) * std::sin(p.theta * kPi / 180);
        }
        const double step = 2 * kPi / 180;
        const double average = sum * step * step / (4 * kPi);
        EXPECT_NEAR(average, 1, 0.005) << height;
        // The study's own integral of the upper half space says the same, more exactly.
        EXPECT_NEAR(over.radiated, 1, 0.001) << height;
    }
}

TEST(OverGround, real_ground_lowers_the_gain_and_is_refused_where_the_model_fails) {
    EngineRunner runner(Language::English, 2, nullptr);
    const Antenna antenna = dipole();
    const auto perfect =
        studyOverGround(antenna, at(50), {1.0, *groundNamed("perfect")}, runner, Language::English);
    const auto average =
        studyOverGround(antenna, at(50), {1.0, *groundNamed("average")}, runner, Language::English);
    const auto sea =
        studyOverGround(antenna, at(50), {1.0, *groundNamed("sea")}, runner, Language::English);
    ASSERT_TRUE(std::holds_alternative<OverGround>(perfect));
    ASSERT_TRUE(std::holds_alternative<OverGround>(average));
    ASSERT_TRUE(std::holds_alternative<OverGround>(sea));
    EXPECT_LT(std::get<OverGround>(average).gain, std::get<OverGround>(sea).gain);
    EXPECT_LT(std::get<OverGround>(sea).gain, std::get<OverGround>(perfect).gain + 0.01);
    // A lossy ground takes some of the power; the sea hardly any.
    EXPECT_LT(std::get<OverGround>(average).radiated, std::get<OverGround>(sea).radiated);
    EXPECT_LT(std::get<OverGround>(sea).radiated, 1);
    EXPECT_GT(std::get<OverGround>(sea).radiated, 0.9);

    const auto low =
        studyOverGround(antenna, at(50), {0.03, *groundNamed("good")}, runner, Language::English);
    ASSERT_TRUE(std::holds_alternative<Failure>(low));
    EXPECT_NE(std::get<Failure>(low).message.find("0.05 wavelength"), std::string::npos);
    const auto high =
        studyOverGround(antenna, at(50), {11, *groundNamed("good")}, runner, Language::English);
    EXPECT_TRUE(std::holds_alternative<Failure>(high));
}

// Near real ground the currents feel the soil: Sommerfeld's integrals there, and nearly a
// perfect ground's figures over the sea, whose reflection is nearly total.
TEST(OverGround, near_the_ground_sommerfeld_s_integrals_take_over) {
    // A ground given by its figures was not measured: it takes the margin.
    EXPECT_FALSE(sommerfeldLimitMeasured(*groundNamed("7,0.002")));
    EXPECT_GT(sommerfeldLimit(*groundNamed("7,0.002")), sommerfeldLimit(*groundNamed("poor")));

    EngineRunner runner(Language::English, 2, nullptr);
    // At 3 MHz the sea's complex permittivity is some 30 000: it reflects 99 % of the field.
    const double wavelength = kSpeedOfLight / 3;
    const Antenna antenna{3, {{"dipole", 0.48 * wavelength, 0, 0.002 * wavelength}}, 0};
    const double height = 0.15 * wavelength;
    const Placement onSea{height, *groundNamed("sea")};
    EXPECT_TRUE(overGroundDeck(antenna, {50}, onSea).ground->sommerfeld);
    const auto sea = studyOverGround(antenna, at(50), onSea, runner, Language::English);
    const auto perfect = studyOverGround(antenna, at(50), {height, *groundNamed("perfect")}, runner,
                                         Language::English);
    ASSERT_TRUE(std::holds_alternative<OverGround>(sea));
    ASSERT_TRUE(std::holds_alternative<OverGround>(perfect));
    const OverGround& s = std::get<OverGround>(sea);
    const OverGround& p = std::get<OverGround>(perfect);
    EXPECT_TRUE(s.nearTheGround);
    EXPECT_NEAR(s.feed.resistance, p.feed.resistance, 0.02 * p.feed.resistance);
    EXPECT_NEAR(s.feed.reactance, p.feed.reactance, 1);
    EXPECT_NEAR(s.gain, p.gain, 0.1);
}

// A model that radiates more than it is fed, or is fed through a negative resistance, has
// failed: the figures are refused with the evidence.
TEST(OverGround, the_power_balance_refuses_a_failed_model) {
    const Antenna antenna = dipole();
    const Placement placement{0.2 * antenna.wavelength(), *groundNamed("poor")};
    EngineRunner runner(Language::English, 2, nullptr);
    const FrequencyResult sound = solvedOnce(runner, overGroundDeck(antenna, {50}, placement));
    ASSERT_TRUE(std::holds_alternative<OverGround>(
        overGroundFigures(sound, placement, antenna.wavelength(), Language::English)));

    FrequencyResult louder = sound;
    for (nec::PatternPoint& point : louder.patterns[1]) point.gain += 10 * std::log10(8.);
    const auto refused =
        overGroundFigures(louder, placement, antenna.wavelength(), Language::English);
    ASSERT_TRUE(std::holds_alternative<Failure>(refused));
    EXPECT_NE(std::get<Failure>(refused).message.find("times the input power"), std::string::npos);

    FrequencyResult negative = sound;
    negative.feed.resistance = -3;
    EXPECT_TRUE(std::holds_alternative<Failure>(
        overGroundFigures(negative, placement, antenna.wavelength(), Language::English)));
}

TEST(OverGround, grounds_are_named_as_the_command_line_gives_them) {
    EXPECT_TRUE(groundNamed("perfect")->perfect);
    const auto sea = groundNamed("sea");
    ASSERT_TRUE(sea);
    EXPECT_EQ(sea->permittivity, 80);
    EXPECT_EQ(sea->conductivity, 5);
    const auto own = groundNamed("7,0.002");
    ASSERT_TRUE(own);
    EXPECT_EQ(own->permittivity, 7);
    EXPECT_EQ(own->conductivity, 0.002);
    EXPECT_EQ(groundKey(*own), "7,0.002");
    EXPECT_EQ(groundKey(*groundNamed("13,0.005")), "average");
    EXPECT_EQ(groundName(*groundNamed("good"), Language::English),
              "good ground (ε 20, σ 0.03 S/m)");
    for (const char* bad :
         {"", "wet", "0.5,0.01", "13,-1", "13", "13,", ",0.01", "nan,1", "13,0.005,1"}) {
        EXPECT_FALSE(groundNamed(bad)) << bad;
    }
}

// A three-element 14.2 MHz beam of one-inch tubes.
Antenna oneInchThreeElements() {
    return {14.2,
            {{"reflector", 10.80, 0, 0.0254},
             {"driven element", 10.15, 2.3, 0.0254},
             {"director", 9.62, 4.6, 0.0254}},
            1};
}

// Through a gamma match, and through a T match behind its 4:1 or 1:1 balun, the 50-ohm line
// sees 50 ohms at the design frequency (the Smith chart's dot at its centre), the match solved
// where the model has settled.
TEST(RodMatch, the_line_sees_fifty_ohms_through_a_gamma_or_a_t_match) {
    EngineRunner runner(Language::English, 2, nullptr);
    const Antenna antenna = oneInchThreeElements();
    const auto analysed = analyse(antenna, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Analysis>(analysed));
    const Analysis& analysis = std::get<Analysis>(analysed);
    const std::size_t design = static_cast<std::size_t>(*designStep(analysis.range));
    for (const auto& [tee, feed] : {std::pair{false, 50.0}, {true, 200.0}, {true, 50.0}}) {
        MatchRequest request;
        request.gamma = !tee;
        request.tee = tee;
        request.teeFeed = feed;
        const auto tuned = tune(antenna, analysis, request, runner, Language::English, 2);
        ASSERT_TRUE(std::holds_alternative<Tuning>(tuned)) << std::get<Failure>(tuned).message;
        const std::optional<RodMatch>& match = std::get<Tuning>(tuned).rods;
        ASSERT_TRUE(match.has_value());
        EXPECT_EQ(match->shape.balanced, tee);
        EXPECT_NEAR(match->feed.resistance, feed, 0.005);
        ASSERT_EQ(match->sweepFeed.size(), analysis.sweep.size());
        EXPECT_NEAR(match->sweepFeed[design].resistance, kFeedlineOhms, 0.05) << tee << feed;
        EXPECT_NEAR(match->sweepFeed[design].reactance, 0, 0.05) << tee << feed;
        EXPECT_GE(match->perWavelength, kLeastRodLevel);
        EXPECT_LE(match->convergence, kRodConvergence);
        // Off the design frequency the capacitor and the rods detune: the SWR grows both ways.
        EXPECT_GT(match->sweepSwr.front(), match->swr);
        EXPECT_GT(match->sweepSwr.back(), match->swr);
        // The match is built on the element trimmed to resonance, here longer than the design's.
        EXPECT_EQ(match->designLength, antenna.elements[1].length);
        EXPECT_GT(match->elementLength, match->designLength);
        // The handbooks' line model places a gamma's strap and capacitor beside the engine's.
        if (!tee) {
            EXPECT_GT(match->lineStrap, 0.5 * match->shape.strap);
            EXPECT_LT(match->lineStrap, 2 * match->shape.strap);
            EXPECT_GT(match->lineCapacitance, 0);
        }
    }
}

// The line model in its limits: with the strap a quarter wave out the stubs are open and the
// port sees the element stepped up, four times for equal radii as in a folded dipole, and a
// gamma half of that; with the strap close in the stubs' line alone, shorted.
TEST(RodMatch, the_line_model_steps_up_as_a_folded_dipole_and_shorts_as_a_line) {
    const double f = 14.2;
    const double quarter = kSpeedOfLight / f / 4;
    const std::complex<double> element{70, 10};
    RodShape tee{true, quarter * (1 - 1e-12), 0.01, 0.002};
    EXPECT_NEAR(std::abs(lineModelPort(tee, 0.002, element, f) - 4.0 * element), 0, 1e-6);
    RodShape gamma = tee;
    gamma.balanced = false;
    EXPECT_NEAR(std::abs(lineModelPort(gamma, 0.002, element, f) - 2.0 * element), 0, 1e-6);
    // A rod thinner than the element takes the smaller share of the current: a larger step-up.
    const double share = 1 + std::log(0.01 / 0.0005) / std::log(0.01 / 0.001);
    RodShape thin = tee;
    thin.rodDiameter = 0.001;
    EXPECT_NEAR(std::abs(lineModelPort(thin, 0.002, element, f) - share * share * element), 0,
                1e-6);
    // 10 mm apart, 2 mm wires: a line of 60·acosh(49) ohms, about 275, 1 mm long.
    tee.strap = 0.001;
    const std::complex<double> stubs = lineModelPort(tee, 0.002, element, f);
    const double k = 2 * std::numbers::pi * f / kSpeedOfLight;
    EXPECT_NEAR(stubs.imag(), 2 * 60 * std::acosh(49.0) * std::tan(k * 0.001), 1e-3);
    EXPECT_NEAR(stubs.real(), 0, 1e-3);

    // The strap for a target: the port's resistance there is the target's, and a target above
    // what the stepped-up element gives has none.
    const auto strap = lineModelStrap(gamma, 0.002, 5, element, f, 50);
    ASSERT_TRUE(strap.has_value());
    gamma.strap = *strap;
    EXPECT_NEAR(lineModelPort(gamma, 0.002, element, f).real(), 50, 1e-6);
    EXPECT_FALSE(lineModelStrap(gamma, 0.002, 5, element, f, 400).has_value());
}

Tolerance toleranceOf(const Antenna& antenna, ToleranceRequest request, int threads) {
    EngineRunner runner(Language::English, threads, nullptr);
    const auto analysis = analyse(antenna, runner, Language::English, threads);
    EXPECT_TRUE(std::holds_alternative<Analysis>(analysis));
    const auto studied =
        studyTolerance(antenna, std::get<Analysis>(analysis), request, runner, Language::English);
    EXPECT_TRUE(std::holds_alternative<Tolerance>(studied)) << std::get<Failure>(studied).message;
    return std::get<Tolerance>(studied);
}

TEST(Tolerance, no_tolerance_no_spread_and_the_spread_grows_with_the_tolerance) {
    const Antenna antenna = oneInchThreeElements();
    const Tolerance none = toleranceOf(antenna, {0, 0, 20, 1}, 2);
    EXPECT_EQ(none.swr.median, none.swr.worst);
    EXPECT_EQ(none.gain.median, none.gain.worst);
    EXPECT_EQ(none.resonanceShift.worst, 0);

    const Tolerance fine = toleranceOf(antenna, {0.002, 0.002, 40, 7}, 2);
    const Tolerance coarse = toleranceOf(antenna, {0.02, 0.02, 40, 7}, 2);
    EXPECT_GT(fine.resonanceShift.p90, 0);
    EXPECT_GT(coarse.resonanceShift.p90, 3 * fine.resonanceShift.p90);
    EXPECT_GT(coarse.swr.worst - coarse.swr.median, fine.swr.worst - fine.swr.median);
    // The order of the spread: median, then the 90th percentile, then the worst.
    EXPECT_LE(coarse.swr.median, coarse.swr.p90);
    EXPECT_LE(coarse.swr.p90, coarse.swr.worst);
    EXPECT_GE(coarse.gain.median, coarse.gain.p90);
    EXPECT_GE(coarse.gain.p90, coarse.gain.worst);

    // The driven element's length moves the reactance; a longer element more inductive.
    ASSERT_EQ(coarse.sensitivities.size(), 3u);
    EXPECT_GT(coarse.sensitivities[1].reactance, 0);
    // The shift along the design's slope: a few kHz for a centimetre at 14 MHz.
    EXPECT_GT(coarse.reactanceSlope, 0);
}

TEST(Tolerance, one_seed_gives_the_same_samples_on_any_count_of_threads) {
    const Antenna antenna = oneInchThreeElements();
    const Tolerance one = toleranceOf(antenna, {0.005, 0.005, 16, 42}, 1);
    const Tolerance two = toleranceOf(antenna, {0.005, 0.005, 16, 42}, 2);
    const Tolerance other = toleranceOf(antenna, {0.005, 0.005, 16, 43}, 2);
    EXPECT_EQ(one.swrSamples, two.swrSamples);
    EXPECT_NE(one.swrSamples, other.swrSamples);
}

TEST(Tolerance, requests_beyond_a_tolerance_are_refused) {
    const Antenna antenna = oneInchThreeElements();
    const auto refused = [&](ToleranceRequest r) {
        return checkTolerance(antenna, r, Language::English).has_value();
    };
    EXPECT_FALSE(refused({0.005, 0.005, 200, 1}));
    EXPECT_TRUE(refused({-0.001, 0, 200, 1}));
    EXPECT_TRUE(refused({NAN, 0, 200, 1}));
    EXPECT_TRUE(refused({0.5, 0, 200, 1}));  // beyond 0.02 wavelength at 14.2 MHz
    EXPECT_TRUE(refused({0, 1.2, 200, 1}));  // elements could pass each other
    EXPECT_TRUE(refused({0.001, 0, 0, 1}));
    EXPECT_TRUE(refused({0.001, 0, kMaxSamples + 1, 1}));
}

TEST(Tolerance, percentiles_lie_between_the_sorted_samples) {
    EXPECT_DOUBLE_EQ(percentile({3, 1, 2}, 0.5), 2);
    EXPECT_DOUBLE_EQ(percentile({1, 2, 3, 4}, 0.5), 2.5);
    EXPECT_DOUBLE_EQ(percentile({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0.9), 10);
    EXPECT_DOUBLE_EQ(percentile({5}, 0.9), 5);
    EXPECT_DOUBLE_EQ(percentile({1, 2}, 1), 2);
}

std::vector<SweepPoint> sweepOf(const std::vector<double>& swr) {
    std::vector<SweepPoint> sweep;
    for (std::size_t i = 0; i < swr.size(); ++i) {
        SweepPoint p;
        p.frequency = 14.0 + 0.1 * static_cast<double>(i);
        p.swr = swr[i];
        sweep.push_back(p);
    }
    return sweep;
}

TEST(Bandwidth, edges_are_interpolated_between_the_rows_around_the_least_swr) {
    const auto sweep = sweepOf({3.0, 2.0, 1.4, 1.1, 1.3, 1.6, 2.5, 1.2, 3.0});
    const auto band = swrBand(sweep, 1.5);
    ASSERT_TRUE(band);
    EXPECT_NEAR(band->low, 14.1 + 0.1 * (2.0 - 1.5) / (2.0 - 1.4), 1e-12);
    EXPECT_NEAR(band->high, 14.4 + 0.1 * (1.5 - 1.3) / (1.6 - 1.3), 1e-12);
    EXPECT_FALSE(band->lowAtSweepEnd || band->highAtSweepEnd);
    // The stretch around the least SWR, not the other dip at 1.2.
    const auto two = swrBand(sweep, 2.0);
    ASSERT_TRUE(two);
    EXPECT_NEAR(two->low, 14.1, 1e-12);
    EXPECT_LT(two->high, 14.6);

    EXPECT_FALSE(swrBand(sweepOf({2.5, 1.8, 2.1}), 1.5));
    const auto open = swrBand(sweepOf({1.2, 1.3, 1.8}), 1.5);
    ASSERT_TRUE(open);
    EXPECT_TRUE(open->lowAtSweepEnd);
    EXPECT_EQ(open->low, 14.0);
    EXPECT_FALSE(open->highAtSweepEnd);
}

TEST(Bandwidth, a_range_given_is_swept_end_to_end_without_the_design_step) {
    const SweepRange range{0.02, 14.0, 14.35};
    EXPECT_DOUBLE_EQ(sweepFrequency(14.2, range, 0), 14.0);
    EXPECT_DOUBLE_EQ(sweepFrequency(14.2, range, kSweepSteps - 1), 14.35);
    EXPECT_FALSE(designStep(range));
    EXPECT_EQ(designStep(SweepRange{0.05}), kSweepSteps / 2);
    EXPECT_DOUBLE_EQ(sweepFrequency(14.2, SweepRange{0.05}, 0), 14.2 * 0.95);

    EngineRunner runner(Language::English, 2, nullptr);
    const auto analysed = analyse(oneInchThreeElements(), runner, Language::English, 2, range);
    ASSERT_TRUE(std::holds_alternative<Analysis>(analysed));
    const Analysis& a = std::get<Analysis>(analysed);
    ASSERT_EQ(a.sweep.size(), std::size_t{kSweepSteps});
    EXPECT_DOUBLE_EQ(a.sweep.front().frequency, 14.0);
    EXPECT_DOUBLE_EQ(a.sweep.back().frequency, 14.35);
    const auto far =
        analyse(oneInchThreeElements(), runner, Language::English, 2, {0.02, 10, 14.2});
    EXPECT_TRUE(std::holds_alternative<Failure>(far));
}

}  // namespace
}  // namespace zeva::analysis
