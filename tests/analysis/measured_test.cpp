// SPDX-License-Identifier: MIT
// A measured sweep read back to the cut: Touchstone files as analysers write them, malformed
// ones refused with their line, and the advice against synthetic measurements of antennas
// cut wrong by a known amount (solved by nec2c, the reference, with noise added).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <numbers>
#include <random>
#include <sstream>

#include "analysis/trim_advice.h"
#include "tests/have_nec2c.h"

namespace zeva::analysis {
namespace {

using Complex = std::complex<double>;

Measurement read(const std::string& text) {
    const auto result = readTouchstone(text, Language::English);
    if (const auto* failure = std::get_if<Failure>(&result)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    return std::get<Measurement>(result);
}

std::string refusal(const std::string& text) {
    const auto result = readTouchstone(text, Language::English);
    if (const auto* failure = std::get_if<Failure>(&result)) return failure->message;
    ADD_FAILURE() << "accepted: " << text;
    return {};
}

TEST(Touchstone, every_form_and_unit_gives_the_same_reflection) {
    // S11 = 0.2 + j0.1 at 14.2 MHz and 0.1 - j0.2 at 14.3 MHz, written four ways.
    const Complex first(0.2, 0.1), second(0.1, -0.2);
    const auto ma = [](Complex s) {
        return std::to_string(std::abs(s)) + " " +
               std::to_string(std::arg(s) * 180 / std::numbers::pi);
    };
    const auto db = [](Complex s) {
        return std::to_string(20 * std::log10(std::abs(s))) + " " +
               std::to_string(std::arg(s) * 180 / std::numbers::pi);
    };
    for (const std::string& text : std::vector<std::string>{
             "! NanoVNA\n# Hz S RI R 50\n14200000 0.2 0.1\n14300000 0.1 -0.2\n",
             "# mhz s ri r 50\n14.2 0.2 0.1 ! a note\n\n14.3 0.1 -0.2\n",
             "#KHZ S MA\n14200 " + ma(first) + "\n14300 " + ma(second) + "\n",
             "# S DB R 50 GHZ\n0.0142 " + db(first) + "\n0.0143 " + db(second) + "\r\n"}) {
        const Measurement m = read(text);
        ASSERT_EQ(m.points.size(), 2u) << text;
        EXPECT_NEAR(m.points[0].frequency, 14.2, 1e-9) << text;
        EXPECT_NEAR(m.points[1].frequency, 14.3, 1e-9) << text;
        EXPECT_NEAR(std::abs(m.points[0].reflection - first), 0, 1e-5) << text;
        EXPECT_NEAR(std::abs(m.points[1].reflection - second), 0, 1e-5) << text;
        const Complex z = 50.0 * (1.0 + first) / (1.0 - first);
        EXPECT_NEAR(std::abs(m.points[0].impedance - z), 0, 1e-3) << text;
    }
    // Without an option line: GHz, magnitude and angle, 50 ohms. Another reference.
    EXPECT_NEAR(read("0.0142 0.5 0\n0.0143 0.5 0\n").points[0].impedance.real(), 150, 1e-9);
    EXPECT_NEAR(read("# MHZ S RI R 75\n14.2 0 0\n14.3 0 0\n").points[0].impedance.real(), 75, 1e-9);
}

TEST(Touchstone, malformed_files_are_refused_with_their_line) {
    const std::string head = "# MHZ S RI R 50\n14.0 0.1 0.1\n";
    EXPECT_EQ(refusal(head + "14.1 0.1\n"),
              "line 3: expected 3 numbers (a frequency and the reflection's two parts), found "
              "2: only one-port files (.s1p) are read");
    EXPECT_EQ(refusal(head + "14.1 0.1 0.1 0.2 0.3\n").substr(0, 7), "line 3:");
    EXPECT_EQ(refusal(head + "14.1 0.1 x\n"), "line 3: not a finite number: x");
    EXPECT_EQ(refusal(head + "14.1 nan 0.1\n"), "line 3: not a finite number: nan");
    EXPECT_EQ(refusal(head + "14.1 0.1 inf\n"), "line 3: not a finite number: inf");
    EXPECT_EQ(refusal(head + "14.0 0.1 0.1\n"),
              "line 3: the frequencies must rise from line to line");
    EXPECT_EQ(refusal(head + "# MHZ S RI\n"), "line 3: a second option line");
    EXPECT_EQ(refusal("14.0 0.1 0.1\n# MHZ S RI\n"), "line 2: the option line must come first");
    EXPECT_EQ(refusal("# MHZ Z RI R 50\n"),
              "line 1: only S-parameters (the reflection) are read, not Z");
    EXPECT_EQ(refusal("# MHZ S RI R\n").substr(0, 7), "line 1:");
    EXPECT_EQ(refusal("# MHZ S XY\n"),
              "line 1: expected # [HZ|KHZ|MHZ|GHZ] S [RI|MA|DB] R <ohms>, not XY");
    EXPECT_EQ(refusal(head + "14.1 1.2 0.1\n").substr(0, 52),
              "line 3: a reflection of magnitude 1.204, above 1.02:");
    EXPECT_EQ(refusal("# MHZ S MA R 50\n14.0 0.5 0\n14.1 -0.5 0\n"),
              "line 3: a magnitude must not be below zero");
    EXPECT_EQ(refusal("# GHZ S RI R 50\n1 0 0\n1e308 0 0\n"),
              "line 3: the frequency is beyond any analyser's");
    for (const char* reference : {"0.5", "1e300", "-50"}) {
        EXPECT_EQ(refusal(std::string("# MHZ S RI R ") + reference + "\n"),
                  "line 1: R must be followed by a reference impedance of 1 to 1000 ohms");
    }
    EXPECT_EQ(refusal("[Version] 2.0\n# MHZ S RI R 50\n").substr(0, 40),
              "line 1: Touchstone version 2 is not read");
    EXPECT_EQ(refusal(head), "fewer than two frequencies in the measurement");
    EXPECT_EQ(refusal("").substr(0, 5), "fewer");
    EXPECT_EQ(refusal(std::string(kMaxTouchstoneBytes + 1, '!')).substr(0, 16), "the measurement ");
}

TEST(Touchstone, the_example_reads_as_an_analyser_wrote_it) {
    std::ifstream in(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p");
    std::stringstream text;
    text << in.rdbuf();
    const Measurement m = read(text.str());
    EXPECT_GE(m.points.size(), 101u);
    EXPECT_EQ(m.reference, 50);
    const auto figures = measuredFigures(m, 14.2, Language::English);
    ASSERT_TRUE(std::holds_alternative<MeasuredFigures>(figures));
    EXPECT_TRUE(std::get<MeasuredFigures>(figures).resonance.has_value());
    EXPECT_FALSE(
        std::holds_alternative<MeasuredFigures>(measuredFigures(m, 50, Language::English)));
}

// A three-element 14.2 MHz beam of one-inch tubes, and its analysis and tuning.
struct Designed {
    Antenna antenna{14.2,
                    {{"reflector", 10.80, 0, 0.0254},
                     {"driven element", 10.15, 2.3, 0.0254},
                     {"director", 9.62, 4.6, 0.0254}},
                    1};
    Analysis analysis;
    Tuning tuning;
};

const Designed& designed() {
    static const Designed d = [] {
        Designed out;
        EngineRunner runner(Language::English, 2, nullptr);
        out.analysis = std::get<Analysis>(analyse(out.antenna, runner, Language::English, 2));
        MatchRequest request;
        request.hairpin = true;
        request.coax = true;
        out.tuning = std::get<Tuning>(
            tune(out.antenna, out.analysis, request, runner, Language::English, 2));
        return out;
    }();
    return d;
}

// The feeds of an antenna across 13.9 to 14.5 MHz, solved by the runner.
std::vector<std::pair<double, Complex>> sweepOf(const Antenna& antenna, Runner& runner) {
    std::vector<double> frequencies;
    for (int i = 0; i <= 60; ++i) frequencies.push_back(13.9 + 0.01 * i);
    const Outputs out =
        runner.run({sweepDeck(antenna, designed().analysis.segmentation, frequencies)});
    std::vector<std::pair<double, Complex>> feeds;
    for (const FrequencyResult& r : std::get<std::vector<DeckResults>>(out)[0]) {
        feeds.emplace_back(r.frequency, Complex(r.feed.resistance, r.feed.reactance));
    }
    return feeds;
}

// The sweep as a hand-held analyser writes it (Hz, real and imaginary), through a network
// that turns the element's feed at a frequency into what the analyser sees, with noise of
// a few thousandths in the reflection.
std::string touchstoneOf(const std::vector<std::pair<double, Complex>>& feeds,
                         const std::function<Complex(Complex, double)>& network) {
    std::mt19937_64 noise(7);
    std::uniform_real_distribution<double> small(-0.002, 0.002);
    std::string text = "! synthetic sweep\n# HZ S RI R 50\n";
    for (const auto& [f, z] : feeds) {
        const Complex in = network(z, f);
        const Complex s = (in - 50.0) / (in + 50.0) + Complex(small(noise), small(noise));
        char line[96];
        std::snprintf(line, sizeof line, "%.0f %.6f %.6f\n", f * 1e6, s.real(), s.imag());
        text += line;
    }
    return text;
}

TrimAdvice adviceFor(Feed feed, const std::string& measured) {
    EngineRunner runner(Language::English, 2, nullptr);
    const auto advice = adviseTrim(designed().antenna, designed().analysis, designed().tuning, feed,
                                   read(measured), runner, Language::English);
    EXPECT_TRUE(std::holds_alternative<TrimAdvice>(advice)) << std::get<Failure>(advice).message;
    return std::holds_alternative<TrimAdvice>(advice) ? std::get<TrimAdvice>(advice) : TrimAdvice{};
}

TEST(TrimAdvice, a_driven_element_cut_one_per_cent_wrong_is_found_from_nec2cs_sweep) {
    if (!testing_support::haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    ProcessRunner nec2c(Language::English, 300, nullptr, 2);
    const double trimmed = designed().tuning.trim.length;
    for (const double error : {0.01, -0.01}) {
        Antenna built = designed().antenna;
        built.elements[built.driven].length = trimmed * (1 + error);
        const TrimAdvice advice = adviceFor(
            Feed::Direct, touchstoneOf(sweepOf(built, nec2c), [](Complex z, double) { return z; }));
        ASSERT_TRUE(advice.advised) << (advice.checks.empty() ? "" : advice.checks[0]);
        EXPECT_NEAR(advice.drivenChange, -error * trimmed, 0.1 * std::fabs(error) * trimmed)
            << error;
        // Too long resonates low, too short high.
        ASSERT_TRUE(advice.measured.resonance);
        EXPECT_EQ(*advice.measured.resonance<14.2, error> 0);
    }
}

// A measurement that stops short of the resonance (a beam's feed may stay reactive across a
// whole measurement): the model's curve still reads the trim off the design frequency.
TEST(TrimAdvice, a_measurement_without_resonance_is_still_read) {
    EngineRunner engine(Language::English, 2, nullptr);
    const double trimmed = designed().tuning.trim.length;
    Antenna built = designed().antenna;
    built.elements[built.driven].length = trimmed * 1.01;  // resonates near 14.06 MHz
    auto feeds = sweepOf(built, engine);
    std::erase_if(feeds, [](const auto& step) { return step.first < 14.15; });
    const TrimAdvice advice =
        adviceFor(Feed::Direct, touchstoneOf(feeds, [](Complex z, double) { return z; }));
    EXPECT_FALSE(advice.measured.resonance);
    ASSERT_TRUE(advice.advised) << (advice.checks.empty() ? "" : advice.checks[0]);
    EXPECT_NEAR(advice.drivenChange, -0.01 * trimmed, 0.1 * 0.01 * trimmed);
}

TEST(TrimAdvice, behind_a_hairpin_the_line_is_trimmed) {
    EngineRunner engine(Language::English, 2, nullptr);
    const HairpinMatch& h = *designed().tuning.hairpin;
    Antenna built = designed().antenna;
    built.elements[built.driven].length = h.elementLength;
    const auto feeds = sweepOf(built, engine);
    for (const double error : {0.1, -0.1}) {
        const TrimAdvice advice =
            adviceFor(Feed::Hairpin, touchstoneOf(feeds, [&](Complex z, double f) {
                          return throughStub(z, h.stubImpedance, h.stubLength * (1 + error), f);
                      }));
        ASSERT_TRUE(advice.advised) << (advice.checks.empty() ? "" : advice.checks[0]);
        ASSERT_TRUE(advice.lineChange);
        EXPECT_NEAR(*advice.lineChange, -error * h.stubLength, 0.1 * 0.1 * h.stubLength) << error;
        EXPECT_FALSE(advice.elementOff);
    }
}

TEST(TrimAdvice, behind_a_coaxial_transformer_the_cable_or_the_element_is_named) {
    EngineRunner engine(Language::English, 2, nullptr);
    const CoaxMatch& c = *designed().tuning.coax;
    Antenna trimmed = designed().antenna;
    trimmed.elements[trimmed.driven].length = designed().tuning.trim.length;
    const auto right = sweepOf(trimmed, engine);
    // The cable 5 % long: a quarter wave at 14.2 / 1.05 MHz.
    const TrimAdvice cable =
        adviceFor(Feed::Coax, touchstoneOf(right, [&](Complex z, double f) {
                      return throughQuarterWave(z, c.cable.impedance, f, 14.2 / 1.05);
                  }));
    ASSERT_TRUE(cable.advised) << (cable.checks.empty() ? "" : cable.checks[0]);
    EXPECT_FALSE(cable.elementOff);
    ASSERT_TRUE(cable.lineChange);
    EXPECT_NEAR(*cable.lineChange, -0.05 * c.length, 0.1 * 0.05 * c.length);

    // The element 1 % long behind the right cable.
    Antenna longer = trimmed;
    longer.elements[longer.driven].length *= 1.01;
    const TrimAdvice element =
        adviceFor(Feed::Coax, touchstoneOf(sweepOf(longer, engine), [&](Complex z, double f) {
                      return throughQuarterWave(z, c.cable.impedance, f, 14.2);
                  }));
    ASSERT_TRUE(element.advised) << (element.checks.empty() ? "" : element.checks[0]);
    EXPECT_TRUE(element.elementOff);
    EXPECT_NEAR(element.drivenChange, -0.01 * trimmed.elements[1].length,
                0.1 * 0.01 * trimmed.elements[1].length);
    EXPECT_EQ(element.lineChange.value_or(1), 0);
}

TEST(TrimAdvice, a_measurement_no_trim_explains_lists_what_to_check) {
    EngineRunner engine(Language::English, 2, nullptr);
    Antenna other = designed().antenna;
    other.elements[other.driven].length = designed().tuning.trim.length;
    // A director 6 % long: another antenna, a resistance far from the model's.
    other.elements[2].length *= 1.06;
    const TrimAdvice advice =
        adviceFor(Feed::Direct,
                  touchstoneOf(sweepOf(other, engine), [](Complex z, double) { return z + 40.0; }));
    EXPECT_FALSE(advice.advised);
    ASSERT_EQ(advice.checks.size(), 2u);
    EXPECT_NE(advice.checks[1].find("boom correction"), std::string::npos);
}

}  // namespace
}  // namespace zeva::analysis
