// SPDX-License-Identifier: MIT
// The analysis with the engine in process: the textbook dipole, the six Yagis that the US
// National Bureau of Standards measured on a range, a design that is no beam, and the band
// edges found where a solve puts them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis/analyser.h"
#include "tests/case_name.h"
#include "tests/nbs_designs.h"

namespace zeva::analysis {
namespace {

std::variant<Analysis, Failure> analysedGeometry(const std::string& json) {
    const auto antenna = readGeometry(json, Language::English);
    if (const auto* failure = std::get_if<Failure>(&antenna)) return *failure;
    EngineRunner runner(Language::English, 2, nullptr);
    return analyse(std::get<Antenna>(antenna), runner, Language::English, 2);
}

TEST(Analysed, thin_half_wave_dipole) {
    // A wavelength of one metre; a radius of λ / 50 000.
    const auto result = analysedGeometry(R"({"frequency_mhz": 299.792458, "unit": "m", "elements": [
        {"name": "dipole", "length": 0.5, "position": 0, "diameter": 0.00004, "driven": true}]})");
    ASSERT_TRUE(std::holds_alternative<Analysis>(result)) << std::get<Failure>(result).message;
    const Analysis& dipole = std::get<Analysis>(result);
    EXPECT_NEAR(dipole.pattern.forwardGain, 2.15, 0.03);
    EXPECT_NEAR(dipole.gainDbd, 0.0, 0.03);
    // The textbook 73 + j42.5 ohms of an infinitely thin half wave; a real wire reads a
    // little higher.
    EXPECT_NEAR(dipole.feed.resistance, 75, 4);
    EXPECT_NEAR(dipole.feed.reactance, 43, 4);
    EXPECT_NEAR(dipole.pattern.beamwidthE, 78, 1.5);  // the half-wave dipole's 78°
    // Lossless in free space: it radiates what it is fed.
    EXPECT_NEAR(dipole.averageGain, 1, 0.005);
    EXPECT_EQ(dipole.sweep.size(), std::size_t{kSweepSteps});
}

// The engine without the fit: every step solved, the edges found by solves alone.
class SolvingEveryStep : public EngineRunner {
public:
    using EngineRunner::EngineRunner;
    [[nodiscard]] bool exactFields() const override { return false; }
};

// Each edge inside the sweep lies within the tolerance of the crossing: solves that far to
// either side of it find the SWR on either side of the level.
TEST(Analysed, band_edges_lie_on_the_solved_crossings) {
    const Antenna beam{14.2,
                       {{"reflector", 10.3776, 0, 0.0254},
                        {"driven", 10.2693, 5.7867, 0.0254},
                        {"director", 9.3538, 8.9479, 0.0254}},
                       1};
    const SweepRange wide{0.08};
    EngineRunner fitting(Language::English, 2, nullptr);
    SolvingEveryStep solving(Language::English, 2, nullptr);
    for (Runner* runner : std::initializer_list<Runner*>{&fitting, &solving}) {
        const auto result = analyse(beam, *runner, Language::English, 2, wide);
        ASSERT_TRUE(std::holds_alternative<Analysis>(result));
        const Analysis& a = std::get<Analysis>(result);
        int edges = 0;
        for (const double level : kSwrLevels) {
            const auto band = swrBand(a, level);
            ASSERT_TRUE(band.has_value());
            for (const bool low : {true, false}) {
                if (low ? band->lowAtSweepEnd : band->highAtSweepEnd) continue;
                ++edges;
                const double edge = low ? band->low : band->high;
                const double within = edgeTolerance(edge);
                // Solved at the figures' segmentation: the edges are solved at the level
                // before it and moved to it.
                const Outputs around =
                    fitting.run({sweepDeck(beam, a.segmentation, {edge - within, edge + within})});
                ASSERT_TRUE(std::holds_alternative<std::vector<DeckResults>>(around));
                const DeckResults& sides = std::get<std::vector<DeckResults>>(around)[0];
                ASSERT_EQ(sides.size(), 2u);
                EXPECT_LE(
                    (swrAgainst50(sides[0].feed) - level) * (swrAgainst50(sides[1].feed) - level),
                    0)
                    << level << (low ? " low " : " high ") << edge;
            }
        }
        EXPECT_EQ(edges, 4);
    }
}

struct Measured {
    std::string name;  // read by the case-naming helper
    std::string geometry;
    double measuredDbd;
    double modelDbd;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const Measured& c, std::ostream* os) { *os << c.name; }

// The designs of the report, in wavelengths at 400 MHz, as geometry files in metres.
std::vector<Measured> nbsDesigns() {
    const testing_support::NbsDesigns nbs = testing_support::readNbsDesigns();
    const double wavelength = kSpeedOfLight / nbs.frequency;
    std::vector<Measured> designs;
    for (const auto& design : nbs.designs) {
        nlohmann::json geometry = {{"frequency_mhz", nbs.frequency}, {"unit", "m"}};
        int director = 0;
        for (const auto& element : design.parts) {
            nlohmann::json item = {
                {"name", element.role == "director" ? "director " + std::to_string(++director)
                                                    : element.role},
                {"length", element.length * wavelength},
                {"position", element.position * wavelength},
                {"diameter", nbs.diameter * wavelength}};
            if (element.role == "driven") item["driven"] = true;
            geometry["elements"].push_back(item);
        }
        designs.push_back({std::to_string(design.elements) + "_elements", geometry.dump(),
                           design.measuredDbd, design.modelDbd});
    }
    return designs;
}

TEST(MeasuredOnARangeData, all_six_designs_are_read) {
    EXPECT_EQ(nbsDesigns().size(), testing_support::kNbsDesigns)
        << "tests/data/nbs-tn688/designs.json missing or unreadable under " ZEVA_TESTDATA_DIR;
}

class MeasuredOnARange : public testing::TestWithParam<Measured> {};

TEST_P(MeasuredOnARange, forward_gain_matches_the_published_model_and_the_range) {
    const Measured& design = GetParam();
    const auto result = analysedGeometry(design.geometry);
    ASSERT_TRUE(std::holds_alternative<Analysis>(result)) << std::get<Failure>(result).message;
    const Analysis& a = std::get<Analysis>(result);
    EXPECT_NEAR(a.pattern.forwardGain, design.modelDbd + kDipoleGain, 0.15);
    EXPECT_NEAR(a.gainDbd, design.measuredDbd, 0.5);
    // The driven element was trimmed for resonance with the parasitic elements in place.
    EXPECT_NEAR(a.feed.reactance, 0, 3);
}

INSTANTIATE_TEST_SUITE_P(NbsTechnicalNote688, MeasuredOnARange, testing::ValuesIn(nbsDesigns()),
                         testing_support::ByName{});

TEST(Analysed, a_parasitic_element_that_reflects_the_beam_backwards_is_refused) {
    // A long element in front of the driven one: a reflector on the wrong side.
    const auto result = analysedGeometry(R"({"frequency_mhz": 299.792458, "unit": "m", "elements": [
        {"name": "driven", "length": 0.47, "position": 0, "diameter": 0.002, "driven": true},
        {"name": "long", "length": 0.52, "position": 0.15, "diameter": 0.002}]})");
    ASSERT_TRUE(std::holds_alternative<Failure>(result));
    EXPECT_NE(std::get<Failure>(result).message.find("this is not a beam"), std::string::npos)
        << std::get<Failure>(result).message;
}

}  // namespace
}  // namespace zeva::analysis
