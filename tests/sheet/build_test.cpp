// SPDX-License-Identifier: MIT
// From design to antenna: the boom correction's published worked figures, the trimmed driven
// element checked by a fresh analysis, and the hairpin match checked by a NEC-2 run that
// models the stub as a transmission line.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/build.h"
#include "analysis/deck.h"
#include "analysis/tuner.h"
#include "sheet/cut_sheet.h"
#include "tests/case_name.h"

namespace zeva::sheet {
namespace {

using analysis::Mounting;

double lengthening(Mounting mounting, double boom, double megahertz) {
    const auto result =
        analysis::boomCorrection(mounting, boom, 299.792458 / megahertz, Language::English);
    return std::get<double>(result);
}

TEST(BoomCorrection, gives_the_worked_figures_and_refuses_a_boom_beyond_the_fits) {
    EXPECT_NEAR(lengthening(Mounting::Insulated, 0.0254, 144) * 1000, 3.47, 0.005);
    EXPECT_NEAR(lengthening(Mounting::Bonded, 0.0254, 144) * 1000, 6.94, 0.005);
    const double wavelengths = 1.5 * 0.0254 / (299.792458 / 50.1);
    EXPECT_NEAR(analysis::boomCorrectionFraction(Mounting::Bonded, wavelengths), 0.15, 0.005);
    EXPECT_NEAR(lengthening(Mounting::Bonded, 1.5 * 0.0254, 50.1) * 1000, 5.8, 0.05);
    EXPECT_EQ(lengthening(Mounting::Insulators, 0.0254, 144), 0.0);

    // 0.055 wavelengths at 144 MHz is 114.5 mm: a 120 mm boom is beyond the fits.
    EXPECT_TRUE(std::holds_alternative<double>(
        analysis::boomCorrection(Mounting::Bonded, 0.114, 299.792458 / 144, Language::English)));
    const auto beyond =
        analysis::boomCorrection(Mounting::Bonded, 0.120, 299.792458 / 144, Language::English);
    ASSERT_TRUE(std::holds_alternative<Failure>(beyond));
    EXPECT_NE(std::get<Failure>(beyond).message.find("0.055"), std::string::npos);
}

// What both front ends check before a sheet is made: a boom to pass through, a taper that
// narrows, a hairpin whose wires do not touch.
TEST(DesignRequest, is_refused_where_it_cannot_be_built) {
    DesignRequest request;
    request.design.frequency = "144";
    request.design.diameterIndex = 10;
    EXPECT_FALSE(checkRequest(request, Language::English).has_value());

    DesignRequest noBoom = request;
    noBoom.construction.mounting = Mounting::Bonded;
    ASSERT_TRUE(checkRequest(noBoom, Language::English).has_value());
    EXPECT_NE(checkRequest(noBoom, Language::English)->message.find("boom's diameter"),
              std::string::npos);
    noBoom.construction.boomDiameter = 0.025;
    EXPECT_FALSE(checkRequest(noBoom, Language::English).has_value());

    DesignRequest widening = request;
    widening.design.largestDiameter = "1/2";
    widening.design.smallestDiameter = "3/4";
    EXPECT_TRUE(checkRequest(widening, Language::Chinese).has_value());
    widening.design.largestDiameter = "1 1/4";
    EXPECT_FALSE(checkRequest(widening, Language::Chinese).has_value());

    DesignRequest touching = request;
    touching.match.hairpin = true;
    touching.match.wireDiameter = 0.005;
    touching.match.spacing = 0.004;
    EXPECT_TRUE(checkRequest(touching, Language::English).has_value());
}

// The sheet: elements through the boom are cut longer, the driven element only when it
// passes through too; every cut figure is the design figure plus the lengthening.
TEST(BoomCorrection, lengthens_the_cut_figures_of_the_elements_through_the_boom) {
    DesignRequest request;
    request.design.frequency = "144";
    request.design.diameterIndex = 10;
    request.construction.mountingGiven = true;
    request.construction.mounting = Mounting::Bonded;
    request.construction.boomDiameter = 0.0254;
    ASSERT_TRUE(makeCutSheet(request, Language::Chinese).ok());
    CutSheet s = makeCutSheet(request, Language::Chinese).value();
    ASSERT_FALSE(applyBoomCorrection(s).has_value());
    EXPECT_NEAR(s.boomCorrection * 1000, 6.94, 0.005);
    EXPECT_EQ(s.elements[0].feet, "3.3118");
    EXPECT_EQ(s.elements[0].cutFeet, "3.3346");  // + 6.94 mm = 0.02277 ft
    EXPECT_EQ(s.elements[0].cutCentimetres, "101.63");
    EXPECT_EQ(s.elements[0].cutTape, "3' 4 1/64\"");
    EXPECT_EQ(s.elements[1].cutFeet, "3.2526");  // the driven element, mounted apart
    request.construction.drivenThroughBoom = true;
    s = makeCutSheet(request, Language::Chinese).value();
    ASSERT_FALSE(applyBoomCorrection(s).has_value());
    EXPECT_EQ(s.elements[1].cutFeet, "3.2754");

    // At 14.2 MHz the calculator writes 34.047 ft and 1037.7 cm: the cut figures keep those
    // digits (34.0569 ft rounds to 34.057).
    request.design.mode = ElementMode::ThreeElement;
    request.design.frequency = "14.2";
    request.design.diameterIndex = 14;
    request.construction.boomDiameter = 0.0508;
    s = makeCutSheet(request, Language::Chinese).value();
    ASSERT_FALSE(applyBoomCorrection(s).has_value());
    EXPECT_EQ(s.elements[0].feet, "34.047");
    EXPECT_EQ(s.elements[0].cutFeet, "34.057");
    EXPECT_EQ(s.elements[0].centimetres, "1037.7");
    EXPECT_EQ(s.elements[0].cutCentimetres, "1038.0");
    EXPECT_EQ(s.elements[0].cutTape, "34' 0 11/16\"");
    EXPECT_EQ(s.elements[2].cutCentimetres, "935.68");
}

analysis::Antenna designAntenna(ElementMode mode, const char* frequency, int diameterIndex) {
    DesignRequest request;
    request.design.mode = mode;
    request.design.frequency = frequency;
    request.design.diameterIndex = diameterIndex;
    const Result<CutSheet> sheet = makeCutSheet(request, Language::Chinese);
    EXPECT_TRUE(sheet.ok());
    return antennaOf(sheet.value());
}

// The design's feed through a shorted two-wire stub, as NEC-2 models it: a transmission line
// (TL) from the feed segment to a one-segment wire far away, shorted across its far end.
nec::Deck stubbedDeck(const analysis::Antenna& antenna, const analysis::Analysis& analysis,
                      const analysis::HairpinMatch& hairpin) {
    nec::Deck deck = analysis::sweepDeck(antenna, analysis.segmentation, {antenna.frequency});
    const double far = 100 * antenna.wavelength();
    deck.wires.push_back({1, {far, 0, 0}, {far, 0.001, 0}, 0.0001});
    nec::TransmissionLine stub;
    stub.end1 = deck.source.at;
    stub.end2 = {static_cast<int>(deck.wires.size()) - 1, 0};
    stub.impedance = hairpin.stubImpedance;
    stub.length = hairpin.stubLength;
    stub.shunt2 = 1e6;  // the short
    deck.lines.push_back(stub);
    return deck;
}

struct Tuned {
    std::string name;
    ElementMode mode;
    const char* frequency;
    int diameterIndex;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const Tuned& c, std::ostream* os) { *os << c.name; }

class TrimAndHairpin : public testing::TestWithParam<Tuned> {};

TEST_P(TrimAndHairpin, hold_in_a_fresh_analysis_and_a_modelled_network) {
    const Tuned& design = GetParam();
    const analysis::Antenna antenna =
        designAntenna(design.mode, design.frequency, design.diameterIndex);
    analysis::EngineRunner runner(Language::English, 2, nullptr);
    const auto analysed = analysis::analyse(antenna, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<analysis::Analysis>(analysed));
    const auto& a = std::get<analysis::Analysis>(analysed);
    analysis::MatchRequest request;
    request.hairpin = true;
    request.coax = true;
    const auto tuned = analysis::tune(antenna, a, request, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<analysis::Tuning>(tuned))
        << std::get<Failure>(tuned).message;
    const analysis::Tuning& t = std::get<analysis::Tuning>(tuned);

    // The trimmed element analysed afresh, convergence and all: resonant within 2 ohms.
    analysis::Antenna trimmed = antenna;
    trimmed.elements[trimmed.driven].length = t.trim.length;
    const auto again = analysis::analyse(trimmed, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<analysis::Analysis>(again));
    EXPECT_NEAR(std::get<analysis::Analysis>(again).feed.reactance, 0, 2.0);
    EXPECT_LT(t.trim.length, antenna.elements[antenna.driven].length);  // both feeds are inductive

    // The hairpin: the shortened element with the stub as a NEC-2 transmission line.
    ASSERT_TRUE(t.hairpin.has_value()) << t.hairpinNote;
    analysis::Antenna shortened = antenna;
    shortened.elements[shortened.driven].length = t.hairpin->elementLength;
    const analysis::Outputs outputs = runner.run({stubbedDeck(shortened, a, *t.hairpin)});
    ASSERT_TRUE(std::holds_alternative<std::vector<analysis::DeckResults>>(outputs));
    const auto& results = std::get<std::vector<analysis::DeckResults>>(outputs)[0];
    ASSERT_EQ(results.size(), 1u);
    EXPECT_LT(analysis::swrAgainst50(results[0].feed), 1.1)
        << results[0].feed.resistance << " " << results[0].feed.reactance;
    EXPECT_LT(t.hairpin->swr, 1.1);
    EXPECT_EQ(t.hairpin->sweepSwr.size(), static_cast<std::size_t>(analysis::kSweepSteps));

    // The coaxial transformer: the nearest cable, a quarter wave long in it.
    ASSERT_TRUE(t.coax.has_value()) << t.coaxNote;
    EXPECT_NEAR(t.coax->wanted, std::sqrt(50 * t.trim.feed.resistance), 1e-9);
    EXPECT_NEAR(t.coax->length, 0.66 * antenna.wavelength() / 4, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, TrimAndHairpin,
    testing::Values(Tuned{"three_elements_14_2_MHz_1_inch", ElementMode::ThreeElement, "14.2", 14},
                    Tuned{"long_boom_144_MHz_half_inch", ElementMode::MultiElement, "144", 10}),
    testing_support::ByName{});

TEST(Matches, formulas_and_the_choice_of_cable) {
    // For R = 25: X = -25, shunt +50; through that shunt the feed is 50 ohms exactly.
    EXPECT_DOUBLE_EQ(analysis::hairpinReactance(25), -25);
    EXPECT_DOUBLE_EQ(analysis::hairpinShuntReactance(25), 50);
    const double wavelength = 299.792458 / 144;
    const double z0 = analysis::twoWireImpedance(0.05, 0.003);
    EXPECT_NEAR(z0, 276 * std::log10(100.0 / 3), 1e-12);
    const double stub = analysis::shortedLineLength(50, z0, wavelength);
    const auto matched = analysis::throughStub({25, -25}, z0, stub, 144);
    EXPECT_NEAR(matched.real(), 50, 1e-9);
    EXPECT_NEAR(matched.imag(), 0, 1e-9);
    // A quarter wave of √(50·R) turns R into 50.
    const auto transformed = analysis::throughQuarterWave({32, 0}, 40, 144, 144);
    EXPECT_NEAR(transformed.real(), 50, 1e-9);
    EXPECT_NEAR(transformed.imag(), 0, 1e-9);
    EXPECT_EQ(analysis::nearestCable(35.4).impedance, 37.5);  // two 75-ohm cables
    EXPECT_EQ(analysis::nearestCable(35.4).parallel, 2);
    EXPECT_EQ(analysis::nearestCable(70).impedance, 75);
    EXPECT_EQ(analysis::nearestCable(49).impedance, 50);
}

}  // namespace
}  // namespace zeva::sheet
