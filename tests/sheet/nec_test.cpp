#include "sheet/nec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zeva::sheet {
namespace {

std::string fixture(const char* name) {
    std::ifstream in(std::string(ZEVA_SHEET_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

CutSheet threeElementExample() {
    SheetOptions options;
    options.mode = ElementMode::ThreeElement;
    options.frequency = "14.2";
    options.diameterIndex = 14;  // 1 inch
    return makeCutSheet(options).value();
}

// nec2c is a real program: the live tests need it, and in CI its absence is a failure.
bool haveNec2c() {
    if (std::system("command -v nec2c >/dev/null 2>&1") == 0) return true;
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "nec2c is not installed";
    return false;
}

Analysis analysed(const Model& model) {
    const auto output = runNec2c(
        {deckOf(model, DeckPart::LowerSweep), deckOf(model, DeckPart::UpperSweepAndPatterns)},
        Language::English);
    if (const auto* failure = std::get_if<Failure>(&output)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    const auto read = parseNecOutput(std::get<std::string>(output));
    if (const auto* failure = std::get_if<Failure>(&read)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    const auto result = analyse(std::get<NecOutput>(read), model.frequency);
    if (const auto* failure = std::get_if<Failure>(&result)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    return std::get<Analysis>(result);
}

TEST(NecDeck, one_wire_per_element_fed_at_the_centre_of_the_driven_element) {
    const std::string deck = deckOf(modelOf(threeElementExample()));
    // The deck in the repository was captured from this very model.
    EXPECT_EQ(deck, fixture("three_elements_14_2.nec"));
    EXPECT_NE(deck.find("GW 3 13 8.94789744874 -4.67694152269 0 8.94789744874 4.67694152269 0 "
                        "0.0127\n"),
              std::string::npos);
    EXPECT_NE(deck.find("EX 0 2 7 0 1 0\n"), std::string::npos);
    EXPECT_NE(deck.find("GE 0\n"), std::string::npos);
    EXPECT_EQ(deck.find("GN"), std::string::npos);  // free space
}

TEST(NecDeck, the_two_halves_hold_the_whole_sweep_once) {
    const Model model = modelOf(threeElementExample());
    const std::string lower = deckOf(model, DeckPart::LowerSweep);
    const std::string upper = deckOf(model, DeckPart::UpperSweepAndPatterns);
    EXPECT_NE(lower.find("FR 0 10 0 0 13.916 0.0284\n"), std::string::npos);
    EXPECT_EQ(lower.find("RP"), std::string::npos);
    EXPECT_NE(upper.find("FR 0 1 0 0 14.2 0\nRP"), std::string::npos);
    EXPECT_NE(upper.find("FR 0 10 0 0 14.2284 0.0284\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(sweepFrequency(14.2, 10), 14.2);
    EXPECT_NEAR(sweepFrequency(14.2, 20), 14.484, 1e-12);
}

// The output nec2c printed for the deck beside it, from its first frequency on: the echo of
// the geometry before that is left out, since nothing is read from it.
TEST(NecOutput, reads_a_captured_run_of_the_three_element_example) {
    const auto read = parseNecOutput(fixture("three_elements_14_2.out"));
    ASSERT_TRUE(std::holds_alternative<NecOutput>(read));
    const NecOutput& output = std::get<NecOutput>(read);
    ASSERT_EQ(output.impedances.size(), 21u);
    ASSERT_EQ(output.patterns.size(), 2u);
    EXPECT_EQ(output.patterns[0].size(), 361u);
    EXPECT_EQ(output.patterns[1].size(), 361u);

    const auto result = analyse(output, 14.2);
    ASSERT_TRUE(std::holds_alternative<Analysis>(result));
    const Analysis& analysis = std::get<Analysis>(result);
    EXPECT_GT(analysis.forwardGain, 7.0);
    EXPECT_LT(analysis.forwardGain, 8.5);
    EXPECT_GT(analysis.frontToBack, 15.0);
    EXPECT_DOUBLE_EQ(analysis.feed.resistance, 47.756);  // printed as 4.7756E+01
    EXPECT_DOUBLE_EQ(analysis.feed.reactance, 9.696);
    EXPECT_NEAR(analysis.swr, 1.23, 0.005);
    ASSERT_EQ(analysis.sweep.size(), 21u);
    EXPECT_DOUBLE_EQ(analysis.sweep.front().frequency, 14.2 * 0.98);
    // A design is tuned near its frequency: the SWR is lowest inside the sweep, not at an end.
    EXPECT_LT(analysis.swr, analysis.sweep.back().swr);
}

TEST(NecOutput, pattern_rows_with_or_without_a_polarisation_sense) {
    const std::string text =
        "                                FREQUENCY : 1.4200E+01 MHz\n"
        "                        --------- ANTENNA INPUT PARAMETERS ---------\n"
        "  TAG   SEG       VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS) \n"
        "    2     7  1.0000E+00  0.0000E+00  1.9E-02 -3.9E-03  5.0000E+01 -1.2500E+01  1 2 3\n"
        "\n"
        "                             ---------- RADIATION PATTERNS -----------\n"
        "  THETA      PHI       VERTC    HORIZ    TOTAL       AXIAL      TILT  SENSE\n"
        "   90.00      0.00   -999.99     7.60     7.60      0.0000    -90.00 LINEAR  0.0E+00 "
        "0.00  6.8E-01 -121.65\n"
        "   90.00    180.00   -999.99   -12.61   -12.61      0.0000     90.00         0.0E+00 "
        "0.00  6.8E-02 58.35\n"
        "\n"
        "  THETA      PHI  this heading ends the table\n";
    const auto read = parseNecOutput(text);
    ASSERT_TRUE(std::holds_alternative<NecOutput>(read));
    const NecOutput& output = std::get<NecOutput>(read);
    ASSERT_EQ(output.impedances.size(), 1u);
    EXPECT_DOUBLE_EQ(output.impedances[0].frequency, 14.2);
    EXPECT_DOUBLE_EQ(output.impedances[0].resistance, 50.0);
    EXPECT_DOUBLE_EQ(output.impedances[0].reactance, -12.5);
    ASSERT_EQ(output.patterns.size(), 1u);
    ASSERT_EQ(output.patterns[0].size(), 2u);
    EXPECT_DOUBLE_EQ(output.patterns[0][1].phi, 180.0);
    EXPECT_DOUBLE_EQ(output.patterns[0][1].gain, -12.61);

    EXPECT_TRUE(std::holds_alternative<Failure>(parseNecOutput(
        "   RADIATION PATTERNS\n THETA\n   90.00  0.00  1 2 3\n")));      // a row cut short
    EXPECT_TRUE(std::holds_alternative<Failure>(analyse(output, 14.2)));  // no sweep
}

TEST(Swr, against_fifty_ohms) {
    EXPECT_DOUBLE_EQ(swrAgainst50(50, 0), 1.0);
    EXPECT_DOUBLE_EQ(swrAgainst50(100, 0), 2.0);
    EXPECT_DOUBLE_EQ(swrAgainst50(25, 0), 2.0);
    EXPECT_NEAR(swrAgainst50(50, 50), 2.618, 0.001);
}

// The textbook check of the model and the parser: a thin half-wave dipole in free space.
TEST(Nec2cLive, thin_half_wave_dipole) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    Model dipole;
    dipole.frequency = 299.792458;  // a wavelength of one metre
    dipole.wires = {{0.0, 0.5, 1.0 / 50000}};
    dipole.fedWire = 0;
    dipole.segments = 51;
    const Analysis analysis = analysed(dipole);
    EXPECT_NEAR(analysis.forwardGain, 2.15, 0.05);
    EXPECT_GT(analysis.feed.resistance, 72.0);
    EXPECT_LT(analysis.feed.resistance, 80.0);
    EXPECT_GT(analysis.feed.reactance, 35.0);
    EXPECT_LT(analysis.feed.reactance, 50.0);
}

TEST(Nec2cLive, three_element_worked_example_beams_forward) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    const Analysis analysis = analysed(modelOf(threeElementExample()));
    EXPECT_GT(analysis.forwardGain, 7.0);
    EXPECT_LT(analysis.forwardGain, 8.5);
    EXPECT_GT(analysis.frontToBack, 15.0);
    EXPECT_EQ(analysis.sweep.size(), 21u);
    EXPECT_EQ(analysis.ePlane.size(), 361u);
    EXPECT_EQ(analysis.hPlane.size(), 361u);
}

// A PATH with nothing on it, put back after each test.
class WithoutNec2c : public testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        saved = path != nullptr ? path : "";
        setenv("PATH", "/nonexistent", 1);
    }
    void TearDown() override { setenv("PATH", saved.c_str(), 1); }

    std::string saved;
};

TEST_F(WithoutNec2c, its_absence_is_named) {
    const auto output = runNec2c({"EN\n"}, Language::English);
    ASSERT_TRUE(std::holds_alternative<Failure>(output));
    EXPECT_EQ(std::get<Failure>(output).message,
              "nec2c not found: install the Debian package nec2c");
}

}  // namespace
}  // namespace zeva::sheet
