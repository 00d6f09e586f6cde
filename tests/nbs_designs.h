// SPDX-License-Identifier: MIT
// The six Yagis that the US National Bureau of Standards measured on a range (tests/data/
// nbs-tn688), read for the tests that use them. A file that is missing or unreadable gives no
// designs, never an exception: the test that counts them fails, and the others still run.
#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace zeva::testing_support {

inline constexpr std::size_t kNbsDesigns = 6;

struct NbsElement {
    std::string role;     // reflector, driven or director
    double length = 0;    // wavelengths
    double position = 0;  // wavelengths
};

struct NbsDesign {
    int elements = 0;
    double measuredDbd = 0, modelDbd = 0;
    std::vector<NbsElement> parts;
};

struct NbsDesigns {
    double frequency = 0;  // MHz
    double diameter = 0;   // wavelengths
    std::vector<NbsDesign> designs;
};

inline NbsDesigns readNbsDesigns() {
    std::ifstream in(ZEVA_TESTDATA_DIR "/nbs-tn688/designs.json");
    const nlohmann::json file = nlohmann::json::parse(in, nullptr, false);
    NbsDesigns all;
    if (file.is_discarded() || !file.is_object()) return all;
    try {
        all.frequency = file.at("frequency_mhz");
        all.diameter = file.at("element_diameter_wavelengths");
        for (const auto& d : file.at("designs")) {
            NbsDesign design{
                d.at("elements_count"), d.at("measured_gain_dbd"), d.at("model_gain_dbd"), {}};
            for (const auto& e : d.at("elements")) {
                design.parts.push_back(
                    {e.at("role"), e.at("length_wavelengths"), e.at("position_wavelengths")});
            }
            all.designs.push_back(std::move(design));
        }
    } catch (const nlohmann::json::exception&) {
        return {};
    }
    return all;
}

}  // namespace zeva::testing_support
