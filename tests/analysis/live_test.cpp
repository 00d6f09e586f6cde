// SPDX-License-Identifier: MIT
// The analysis with the engine in process: the textbook dipole, the six Yagis that the US
// National Bureau of Standards measured on a range, and a design that is no beam.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "analysis/analyser.h"
#include "tests/case_name.h"

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
    EXPECT_EQ(dipole.sweep.size(), std::size_t{kSweepSteps});
}

struct Measured {
    std::string name;  // read by the case-naming helper
    std::string geometry;
    double measuredDbd;
    double modelDbd;
};

// The designs of the report, in wavelengths at 400 MHz, as geometry files in metres.
std::vector<Measured> nbsDesigns() {
    std::ifstream in(ZEVA_TESTDATA_DIR "/nbs-tn688/designs.json");
    const nlohmann::json file = nlohmann::json::parse(in);
    const double frequency = file["frequency_mhz"];
    const double wavelength = kSpeedOfLight / frequency;
    const double diameter = double(file["element_diameter_wavelengths"]) * wavelength;
    std::vector<Measured> designs;
    for (const auto& design : file["designs"]) {
        nlohmann::json geometry = {{"frequency_mhz", frequency}, {"unit", "m"}};
        int director = 0;
        for (const auto& element : design["elements"]) {
            const std::string role = element["role"];
            nlohmann::json item = {
                {"name", role == "director" ? "director " + std::to_string(++director) : role},
                {"length", double(element["length_wavelengths"]) * wavelength},
                {"position", double(element["position_wavelengths"]) * wavelength},
                {"diameter", diameter}};
            if (role == "driven") item["driven"] = true;
            geometry["elements"].push_back(item);
        }
        designs.push_back({std::to_string(int(design["elements_count"])) + "_elements",
                           geometry.dump(), design["measured_gain_dbd"], design["model_gain_dbd"]});
    }
    return designs;
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
