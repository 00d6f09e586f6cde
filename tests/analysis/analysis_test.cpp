// SPDX-License-Identifier: MIT
// The analysis without a solver: decks, the output parser, the figures, the limits, and the
// analyser's refinement and sweep driven by a runner that answers like nec2c.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <sstream>

#include "analysis/analyser.h"
#include "nec/engine.h"
#include "tests/analysis/nec_text.h"

namespace zeva::analysis {
namespace {

using nec_text::beamCuts;
using nec_text::necBlock;

// A three-element beam at 14.2 MHz, 1-inch elements: lengths and positions in metres.
Antenna threeElements() {
    const double inch = 0.0254;
    return {14.2,
            {{"reflector", 10.3776, 0, inch},
             {"driven", 10.2693, 5.7867, inch},
             {"director", 9.3538, 8.9479, inch}},
            1};
}

TEST(Deck, odd_segments_alike_across_elements_and_the_feed_on_the_middle_one) {
    const Antenna antenna = threeElements();
    const double wavelength = antenna.wavelength();
    // 10.2693 m of a 21.112 m wavelength at 50 a wavelength: 24.3 rounds to the odd 25.
    EXPECT_EQ(segmentsOf(antenna.elements[1], wavelength, 50), 25);
    EXPECT_EQ(segmentsOf(antenna.elements[1], wavelength, 25), 13);
    EXPECT_EQ(segmentsOf({"stub", 0.001, 0, 0.0001}, wavelength, 25), 1);
    EXPECT_EQ(totalSegments(antenna, 50), 25 + 25 + 23);

    const std::string deck = nec::toCards(patternDeck(antenna, Segmentation{50}));
    EXPECT_NE(deck.find("GW 2 25 5.7867 -5.13465 0 5.7867 5.13465 0 0.0127\n"), std::string::npos)
        << deck;
    EXPECT_NE(deck.find("GE 0\nEK 0\nEX 0 2 13 0 1 0\n"), std::string::npos);
    EXPECT_EQ(deck.find("GN"), std::string::npos);  // free space
    EXPECT_NE(deck.find("FR 0 1 0 0 14.2 0\nRP 0 1 361 1000 90 0 0 1\nRP 0 361 1 1000 0 0 1 0\n"),
              std::string::npos);
}

TEST(Deck, the_whole_deck_holds_the_patterns_and_every_sweep_step) {
    const std::string deck =
        nec::toCards(wholeDeck(threeElements(), Segmentation{100}, {"a comment"}));
    EXPECT_EQ(deck.rfind("CM a comment\nCE\n", 0), 0u);
    std::size_t steps = 0;
    for (std::size_t at = deck.find("RP 0 1 2 1000 90 0 0 180"); at != std::string::npos;
         at = deck.find("RP 0 1 2 1000 90 0 0 180", at + 1)) {
        ++steps;
    }
    EXPECT_EQ(steps, std::size_t{kSweepSteps});
    EXPECT_NE(deck.find("FR 0 1 0 0 13.916 0\n"), std::string::npos);
    EXPECT_NE(deck.find("FR 0 1 0 0 14.484 0\n"), std::string::npos);
    EXPECT_EQ(deck.substr(deck.size() - 3), "EN\n");
    EXPECT_DOUBLE_EQ(sweepFrequency(14.2, {}, kSweepSteps / 2), 14.2);
}

// A sweep shared among processes: runs of the steps in order, none empty, none lost.
TEST(Deck, a_shared_sweep_keeps_every_step_in_order) {
    std::vector<double> frequencies;
    for (int step = 0; step < kSweepSteps; ++step) {
        frequencies.push_back(sweepFrequency(14.2, {}, step));
    }
    for (const std::size_t parts : {std::size_t{1}, std::size_t{4}, std::size_t{30}}) {
        const auto decks = sharedSweepDecks(threeElements(), Segmentation{50}, frequencies, parts);
        EXPECT_EQ(decks.size(), std::min<std::size_t>(parts, frequencies.size()));
        std::vector<double> shared;
        for (const nec::Deck& deck : decks) {
            EXPECT_FALSE(deck.steps.empty());
            for (const auto& step : deck.steps) shared.push_back(step.frequency);
        }
        EXPECT_EQ(shared, frequencies) << parts << " parts";
    }
}

std::string fixture(const char* name) {
    std::ifstream in(std::string(ZEVA_ANALYSIS_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A captured nec2c run: the ±2 % sweep of a three-element design with the patterns at its
// middle step, from the first frequency on.
TEST(NecOutput, reads_a_captured_run_frequency_by_frequency) {
    const auto read = parseNecOutput(fixture("three_elements_14_2.out"));
    ASSERT_TRUE(std::holds_alternative<std::vector<FrequencyResult>>(read));
    const auto& results = std::get<std::vector<FrequencyResult>>(read);
    ASSERT_EQ(results.size(), 21u);
    EXPECT_DOUBLE_EQ(results[0].frequency, 13.916);
    EXPECT_DOUBLE_EQ(results[0].feed.resistance, 52.064);  // printed as 5.2064E+01
    EXPECT_DOUBLE_EQ(results[0].feed.reactance, -7.5878);
    EXPECT_TRUE(results[0].patterns.empty());
    ASSERT_EQ(results[10].patterns.size(), 2u);
    EXPECT_EQ(results[10].patterns[0].size(), 361u);
    const PatternFigures figures = patternFigures(results[10].patterns[0], results[10].patterns[1]);
    EXPECT_NEAR(figures.forwardGain, 7.6, 0.01);
    EXPECT_GT(figures.frontToBack, 15.0);
}

TEST(NecOutput, rows_cut_short_or_tables_before_a_frequency_are_refused) {
    const auto blocks = parseNecOutput(necBlock(14.2, {50, -12.5}, beamCuts(7.6, 30, 50, 20)));
    ASSERT_TRUE(std::holds_alternative<std::vector<FrequencyResult>>(blocks));
    EXPECT_DOUBLE_EQ(std::get<std::vector<FrequencyResult>>(blocks)[0].feed.reactance, -12.5);

    EXPECT_TRUE(std::holds_alternative<Failure>(parseNecOutput(
        " FREQUENCY : 1.4E+01 MHz\n RADIATION PATTERNS\n THETA\n 90.00 0.00 1 2 3\n")));
    EXPECT_TRUE(std::holds_alternative<Failure>(
        parseNecOutput(" ANTENNA INPUT PARAMETERS\n  TAG\n 2 7 1 0 1 0 50 0 1 2 3\n")));
    EXPECT_TRUE(std::holds_alternative<Failure>(parseNecOutput(" FREQUENCY : lots MHz\n")));
}

TEST(Figures, beamwidths_front_ratios_and_sidelobe_of_a_known_pattern) {
    auto cuts = beamCuts(10, 25, 35, 22);
    // A back lobe 18 dB down straight back, and a side lobe 15 dB down at 60° in the E-plane.
    for (PatternPoint& p : cuts[0]) {
        if (p.phi == 180) p.gain = 10 - 18;
        if (p.phi == 59 || p.phi == 61) p.gain = 10 - 16;
        if (p.phi == 60) p.gain = 10 - 15;
    }
    const PatternFigures f = patternFigures(cuts[0], cuts[1]);
    EXPECT_DOUBLE_EQ(f.forwardGain, 10);
    EXPECT_NEAR(f.frontToBack, 18, 1e-9);
    EXPECT_NEAR(f.frontToRear, 18, 1e-9);  // the worst of the rear half is the back lobe
    EXPECT_NEAR(f.beamwidthE, 50, 0.2);    // -3 dB at ±25°
    EXPECT_NEAR(f.beamwidthH, 70, 0.2);
    EXPECT_NEAR(f.sidelobe, 15, 1e-9);
    EXPECT_EQ(f.strongestAngle, 0);
}

// Patterns whose average is known: the sphere's grid integrates them exactly, whichever way
// they point, and grows with the antenna's size.
TEST(Figures, the_average_gain_over_the_sphere_of_known_patterns) {
    const nec::PatternCut grid = sphereOf(threeElements());
    ASSERT_GE(grid.thetaCount, 7);
    EXPECT_DOUBLE_EQ(grid.thetaStep * (grid.thetaCount - 1), 90);
    EXPECT_DOUBLE_EQ(grid.phiStep * (grid.phiCount - 1), 180);
    const auto average = [&](auto gain) {
        std::vector<PatternPoint> sphere;
        for (int p = 0; p < grid.phiCount; ++p) {
            for (int t = 0; t < grid.thetaCount; ++t) {
                const double theta = t * grid.thetaStep * std::numbers::pi / 180;
                const double phi = p * grid.phiStep * std::numbers::pi / 180;
                sphere.push_back({t * grid.thetaStep,
                                  p * grid.phiStep,
                                  10 * std::log10(gain(theta, phi)),
                                  {},
                                  {}});
            }
        }
        return averageGain(sphere, grid);
    };
    // A short dipole along z: 1.5 sin² θ.
    EXPECT_NEAR(average([](double t, double) { return 1.5 * std::pow(std::sin(t), 2); }), 1, 1e-12);
    // A beam of degree 10 along x, as a Yagi points along its boom, half as strong.
    const auto beam = [](double t, double f) {
        return 0.5 * 11 * std::pow((1 + std::sin(t) * std::cos(f)) / 2, 10);
    };
    EXPECT_NEAR(average(beam), 0.5, 1e-12);
    // Points that are not the grid: no figure.
    EXPECT_TRUE(std::isnan(averageGain({}, grid)));
    // A boom of 20 wavelengths needs a grid fine enough for degree 2π 20.
    Antenna longBoom = threeElements();
    longBoom.elements[2].position = 20 * longBoom.wavelength();
    EXPECT_LE(sphereOf(longBoom).thetaStep, 180.0 / 126);
    // The longest boom the limits allow would need more directions than the engine takes in
    // a cut: it is analysed without the sphere.
    longBoom.elements[2].position = kMaxBoomLength * longBoom.wavelength();
    const nec::Deck deck = levelDeck(longBoom, {25});
    EXPECT_TRUE(std::holds_alternative<std::monostate>(nec::check(deck)));
    EXPECT_EQ(deck.steps[0].cuts.size(), 2u);
    EXPECT_EQ(levelDeck(threeElements(), {25}).steps[0].cuts.size(), 3u);
}

// Figures are written whole at any magnitude: a text cut at 64 bytes once printed 1e300 as
// a number sixty digits long.
TEST(Figures, written_whole_at_any_magnitude) {
    EXPECT_EQ(fixed(-1.2345, 2), "-1.23");
    EXPECT_EQ(fixed(0.5, 3), "0.500");
    EXPECT_EQ(fixed(-0.00004, 4), "0.0000");  // no negative zero
    EXPECT_EQ(fixed(-0.4, 0), "0");
    EXPECT_EQ(fixed(-0.00005, 4), "-0.0001");
    const std::string huge = fixed(1e300, 1);
    EXPECT_EQ(huge.size(), 303u);
    EXPECT_EQ(huge.substr(0, 17), "10000000000000000");
    EXPECT_EQ(huge.substr(huge.size() - 2), ".0");
    EXPECT_EQ(fixed(-1.7976931348623157e308, 0).size(), 310u);
    EXPECT_EQ(fixed(NAN, 2), "-");
    EXPECT_EQ(fixed(-INFINITY, 2), "inf");
}

TEST(Figures, stacking_distance_swr_and_dbd) {
    // DL6WU: λ / (2 sin(θ/2)); a 60° beamwidth stacks one wavelength apart.
    EXPECT_NEAR(stackingDistance(2.0, 60), 2.0, 1e-12);
    EXPECT_TRUE(std::isnan(stackingDistance(2.0, NAN)));
    EXPECT_DOUBLE_EQ(swrAgainst50({50, 0}), 1.0);
    EXPECT_DOUBLE_EQ(swrAgainst50({100, 0}), 2.0);
    EXPECT_DOUBLE_EQ(swrAgainst50({25, 0}), 2.0);
    EXPECT_NEAR(swrAgainst50({50, 50}), 2.618, 0.001);
    EXPECT_DOUBLE_EQ(kDipoleGain, 2.15);
}

// Answers decks as nec2c would, from a model of its own: the impedance converges as
// 300 ohms / segments a wavelength, and the pattern is a fixed beam.
class ModelRunner : public Runner {
public:
    Outputs run(const std::vector<nec::Deck>& decks) override {
        calls.push_back(decks.size());
        std::vector<DeckResults> outputs;
        for (const nec::Deck& cards : decks) {
            const std::string deck = nec::toCards(cards);
            std::istringstream lines(deck);
            std::string line;
            int segments = 0;
            std::string text;
            while (std::getline(lines, line)) {
                std::istringstream fields(line);
                std::string card;
                fields >> card;
                if (card == "GW") {
                    int tag = 0;
                    int count = 0;
                    fields >> tag >> count;
                    segments += count;
                } else if (card == "FR") {
                    double ignored = 0;
                    double mhz = 0;
                    fields >> ignored >> ignored >> ignored >> ignored >> mhz;
                    const double perWavelength = segments / 1.45;  // three ~0.48 λ elements
                    const Impedance z{30 + 300 / perWavelength, 5 + mhz - 14.2};
                    const bool patterns = deck.find("RP 0 1 361") != std::string::npos;
                    if (patterns) {
                        auto cuts = beamCuts(beam, 30, 45, 20);
                        // A beam the wrong way round: its E-plane turned through 180°.
                        for (PatternPoint& p : cuts[0]) {
                            if (backwards) p.gain = nec_text::beamGain(p.phi + 180, beam, 30, 20);
                        }
                        text += necBlock(mhz, z, cuts);
                    } else {
                        text += necBlock(mhz, z,
                                         {{{90, 0, beam, {}, {}}, {90, 180, beam - 20, {}, {}}}});
                    }
                }
            }
            outputs.push_back(std::get<DeckResults>(parseNecOutput(text)));
        }
        return outputs;
    }
    double beam = 7.5;
    bool backwards = false;
    std::vector<std::size_t> calls;
};

TEST(Analyser, refines_until_a_doubling_moves_less_than_half_an_ohm) {
    ModelRunner runner;
    const auto result = analyse(threeElements(), runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Analysis>(result)) << std::get<Failure>(result).message;
    const Analysis& a = std::get<Analysis>(result);
    // 300 / N ohms: 12, 6, 3, 1.5, 0.75, 0.375 at 25 to 800: 400 → 800 is the first move
    // under half an ohm, so the figures are 800's and the sweep is solved at 400.
    ASSERT_EQ(a.convergence.size(), 6u);
    EXPECT_EQ(a.segmentation.perWavelength, 800);
    EXPECT_EQ(a.segments, a.convergence[5].segments);
    EXPECT_EQ(a.feed.resistance, a.convergence[5].feed.resistance);
    EXPECT_EQ(a.solvedAt.perWavelength, 400);
    EXPECT_EQ(a.solvedFeed.resistance, a.convergence[4].feed.resistance);
    // With the ends unchecked, the whole sweep moves as the design frequency does: R by what
    // 800 takes off 400's, which is the same at every frequency here.
    EXPECT_EQ(a.shift.scale, 1);
    ASSERT_EQ(a.shift.remainders.size(), 1u);
    EXPECT_NEAR(a.shift.remainders[0].feed.resistance,
                a.convergence[5].feed.resistance - a.convergence[4].feed.resistance, 1e-12);
    EXPECT_EQ(a.shift.remainders[0].feed.reactance, 0);
    // The two coarsest levels together, the finer ones one by one, then the sweep in two; its
    // ends are not solved at 800, whose more than 1000 segments would cost more than the rest.
    EXPECT_EQ(runner.calls, (std::vector<std::size_t>{2, 1, 1, 1, 1, 2}));
    ASSERT_TRUE(a.ends.has_value());
    EXPECT_EQ(a.ends->finerPerWavelength, 800);
    EXPECT_FALSE(a.ends->checked());
    ASSERT_EQ(a.sweep.size(), std::size_t{kSweepSteps});
    EXPECT_DOUBLE_EQ(a.sweep[10].frequency, 14.2);
    EXPECT_DOUBLE_EQ(a.sweep[10].feed.resistance, a.feed.resistance);
    EXPECT_NEAR(a.sweep[0].frequency, 14.2 * 0.98, 1e-12);
    EXPECT_NEAR(a.sweep[0].feed.reactance, 5 - 0.284, 1e-3);  // its own frequency's figure
    EXPECT_NEAR(a.sweep[0].feed.resistance, a.feed.resistance, 1e-9);
    EXPECT_NEAR(a.sweep[20].feed.resistance, a.feed.resistance, 1e-9);
    EXPECT_NEAR(a.sweep[20].frontToBack, 20, 1e-9);
    EXPECT_NEAR(a.gainDbd, 7.5 - 2.15, 1e-9);
    EXPECT_NEAR(a.pattern.beamwidthE, 60, 0.3);
    EXPECT_NEAR(a.stackingSideBySide, a.wavelength, 0.01);
}

TEST(Analyser, a_beam_pointing_backwards_is_refused) {
    ModelRunner runner;
    runner.backwards = true;
    const auto result = analyse(threeElements(), runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Failure>(result));
    EXPECT_EQ(std::get<Failure>(result).message,
              "cannot analyse: this is not a beam: the strongest lobe points 180 degrees away "
              "from the directors");
}

TEST(Analyser, a_failing_run_ends_the_analysis_with_its_message) {
    struct Failing : Runner {
        Outputs run(const std::vector<nec::Deck>&) override { return Failure{"no nec2c"}; }
    } failing;
    const auto result = analyse(threeElements(), failing, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Failure>(result));
    EXPECT_EQ(std::get<Failure>(result).message, "no nec2c");

    struct Garbled : Runner {
        Outputs run(const std::vector<nec::Deck>& decks) override {
            return std::vector<DeckResults>(decks.size());  // nothing solved
        }
    } garbled;
    const auto unread = analyse(threeElements(), garbled, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Failure>(unread));
    EXPECT_EQ(std::get<Failure>(unread).message,
              "the NEC-2 results lack the impedance or the patterns");
}

TEST(Limits, thick_elements_overlapping_ones_and_segments_below_two_radii) {
    const auto message = [](const Antenna& antenna) {
        ModelRunner runner;
        const auto result = analyse(antenna, runner, Language::English, 2);
        EXPECT_TRUE(runner.calls.empty()) << "refused before any run";
        return std::holds_alternative<Failure>(result) ? std::get<Failure>(result).message
                                                       : std::string("accepted");
    };
    Antenna thick = threeElements();
    thick.frequency = 1296;  // 1-inch tube: 0.345 wavelengths round
    EXPECT_NE(message(thick).find("too thick for a thin-wire model"), std::string::npos);

    Antenna overlapping = threeElements();
    overlapping.elements[2].position = overlapping.elements[1].position + 0.01;
    EXPECT_EQ(message(overlapping), "cannot analyse: elements \"driven\" and \"director\" overlap");

    // Thin enough for the model, too thick for 50 segments a wavelength of two radii each,
    // and for a last step of a quarter more than 25.
    Antenna stout = threeElements();
    for (Element& e : stout.elements) e.diameter = stout.wavelength() * 0.031;
    EXPECT_NE(message(stout).find("segments must be longer than two radii"), std::string::npos);

    Antenna none = threeElements();
    none.frequency = 0;
    EXPECT_EQ(message(none), "cannot analyse: the frequency must be above zero");
}

// Elements of 0.11 m at 14.2 MHz: 200 segments a wavelength would cut them shorter than two
// radii, so the refinement doubles to 100 and takes one last step to the finest count the
// limit allows; where that step still moves the figures, the refusal shows both levels.
TEST(Levels, the_last_level_lands_on_the_two_radii_limit) {
    Antenna stout = threeElements();
    for (Element& e : stout.elements) e.diameter = 0.11;
    const Levels levels = levelsOf(stout);
    ASSERT_EQ(levels.perWavelength.size(), 4u);
    EXPECT_EQ(levels.perWavelength[2], 100);
    const int last = levels.perWavelength[3];
    EXPECT_GT(last, 125);
    EXPECT_LT(last, 200);
    EXPECT_TRUE(levels.endByRadius);
    EXPECT_FALSE(levels.endBySize);
    const auto shortest = [&](int perWavelength) {
        double least = INFINITY;
        for (const Element& e : stout.elements) {
            least = std::min(least,
                             e.length / segmentsOf(e, stout.wavelength(), perWavelength) / 0.055);
        }
        return least;
    };
    EXPECT_GE(shortest(last), kMinSegmentOverRadius);
    EXPECT_LT(shortest(last + 1), kMinSegmentOverRadius);

    // The model runner's 300 / N ohms moves 3 - 300 / last > 0.5 ohm on the last step.
    ModelRunner runner;
    const auto result = analyse(stout, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Failure>(result));
    const std::string& message = std::get<Failure>(result).message;
    EXPECT_NE(
        message.find("the figures do not converge while segments stay longer than two radii (" +
                     std::to_string(last) + " segments a wavelength tried: at 100 and " +
                     std::to_string(last) + " segments a wavelength the feed is 33."),
        std::string::npos)
        << message;
}

// A thin wire: every doubling up to 800 is allowed, and none is added after it.
TEST(Levels, thin_elements_double_all_the_way) {
    const Levels levels = levelsOf(threeElements());
    EXPECT_EQ(levels.perWavelength, (std::vector<int>{25, 50, 100, 200, 400, 800}));
    EXPECT_FALSE(levels.endByRadius);
}

TEST(Geometry, round_trip_units_and_faults_named_by_field_or_line) {
    const Antenna antenna = threeElements();
    const auto read =
        readGeometry("{\"geometry\": " + geometryJson(antenna, 2) + "}", Language::English);
    ASSERT_TRUE(std::holds_alternative<Antenna>(read)) << std::get<Failure>(read).message;
    const Antenna& back = std::get<Antenna>(read);
    EXPECT_EQ(back.frequency, antenna.frequency);
    EXPECT_EQ(back.driven, 1u);
    ASSERT_EQ(back.elements.size(), 3u);
    EXPECT_EQ(back.elements[2].name, "director");
    EXPECT_EQ(back.elements[2].length, antenna.elements[2].length);  // every bit kept

    const auto inches = readGeometry(
        R"({"frequency_mhz": 144, "unit": "in", "elements": [
             {"length": 40, "position": 0, "diameter": 0.5, "driven": true}]})",
        Language::English);
    ASSERT_TRUE(std::holds_alternative<Antenna>(inches));
    EXPECT_DOUBLE_EQ(std::get<Antenna>(inches).elements[0].length, 1.016);
    EXPECT_EQ(std::get<Antenna>(inches).elements[0].name, "1");

    const struct {
        const char* text;
        const char* message;
    } faults[] = {
        {"{\n  \"frequency_mhz\": 144,\n  oops\n}", "geometry file, line 3: not valid JSON"},
        {R"({"elements": []})", "geometry file: frequency_mhz: missing"},
        {R"({"frequency_mhz": "144", "elements": []})",
         "geometry file: frequency_mhz: must be a number"},
        {R"({"frequency_mhz": 144, "unit": "yd", "elements": []})",
         "geometry file: unit: must be m, cm, mm, in or ft"},
        {R"({"frequency_mhz": 144, "elements": []})",
         "geometry file: unit: missing (m, cm, mm, in or ft)"},
        {R"({"frequency_mhz": 144, "unit": "m", "elements": []})",
         "geometry file: elements: must be a non-empty array of elements"},
        {R"({"frequency_mhz": 144, "unit": "m", "elements": [{"length": 1, "position": 0}]})",
         "geometry file: elements[0].diameter: missing"},
        {R"({"frequency_mhz": 144, "unit": "m",
             "elements": [{"length": -1, "position": 0, "diameter": 1}]})",
         "geometry file: elements[0].length: must be above zero"},
        // An escape that would turn a terminal red.
        {R"({"frequency_mhz": 144, "unit": "m",
             "elements": [{"name": "a\u001b[31m", "length": 1, "position": 0, "diameter": 1}]})",
         "geometry file: elements[0].name: must not hold control characters (tabs, line "
         "breaks, escapes)"},
        {R"({"geometry": {"frequency_mhz": 144, "unit": "m", "elements": [{"length": 1,
             "position": 0, "diameter": 0.01}]}})",
         "geometry file: geometry.elements: exactly one element must be marked \"driven\": true"},
        // Refused rather than guessed.
        {R"({"frequency_mhz": 144, "unit": "m", "unit": "cm", "elements": []})",
         "geometry file: the key \"unit\" appears twice in one object"},
        {R"({"frequency_mhz": 1e400, "unit": "m", "elements": []})",
         "geometry file: a number out of range or content not valid"},
    };
    for (const auto& fault : faults) {
        const auto result = readGeometry(fault.text, Language::English);
        ASSERT_TRUE(std::holds_alternative<Failure>(result)) << fault.text;
        EXPECT_EQ(std::get<Failure>(result).message, fault.message);
    }
    const auto chinese = readGeometry("{}", Language::Chinese);
    EXPECT_EQ(std::get<Failure>(chinese).message, "几何文件 frequency_mhz：缺少此项");
}

}  // namespace
}  // namespace zeva::analysis
