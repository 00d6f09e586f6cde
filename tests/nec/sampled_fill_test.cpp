// SPDX-License-Identifier: MIT
// The field between wires sampled and interpolated against every pair computed, over the
// calculator's designs from 7 to 1296 MHz in every mode, each at a segmentation the analysis
// reaches: the feed and the forward gain far within the analysis' convergence limits (0.5 ohm,
// 0.02 dB), in fact within a part in a million.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/deck.h"
#include "nec/engine.h"
#include "sheet/cut_sheet.h"
#include "tests/sanitized.h"

namespace zeva::nec {
namespace {

struct Design {
    ElementMode mode;
    const char* frequency;
    int diameter;  // the catalogue's index: 0 AWG 18, 2 AWG 12, 6 1/8, 10 1/2, 14 1 in
};

TEST(SampledFill, thirty_designs_from_7_to_1296_mhz_keep_every_pair_s_figures) {
    std::vector<Design> designs;
    const ElementMode modes[] = {ElementMode::TwoElement, ElementMode::ThreeElement,
                                 ElementMode::FourElement, ElementMode::MultiElement};
    const std::pair<const char*, int> bands[] = {
        {"7.1", 14},  {"14.2", 14}, {"18.1", 14}, {"21.2", 14}, {"24.9", 10},
        {"28.5", 10}, {"50.1", 10}, {"144", 6},   {"432", 2},   {"1296", 0}};
    for (const ElementMode mode : modes) {
        for (const auto& [frequency, diameter] : bands) {
            // The long boom below 50 MHz is no antenna anyone builds.
            if (mode == ElementMode::MultiElement && std::stod(frequency) < 50) continue;
            designs.push_back({mode, frequency, diameter});
        }
    }
    ASSERT_GE(designs.size(), 30U);
    const std::size_t step = testing_support::kSanitized ? 6 : 1;
    for (std::size_t k = 0; k < designs.size(); k += step) {
        const Design& d = designs[k];
        sheet::DesignRequest request;
        request.design.mode = d.mode;
        request.design.frequency = d.frequency;
        request.design.diameterIndex = d.diameter;
        const Result<sheet::CutSheet> made =
            sheet::makeCutSheet(request, analysis::Language::English);
        ASSERT_TRUE(made.ok()) << d.frequency;
        const analysis::Antenna antenna = sheet::antennaOf(made.value());
        // Fine enough for the samples to be taken between most elements.
        const int perWavelength = d.mode == ElementMode::MultiElement ? 100 : 200;
        const Deck deck = analysis::patternDeck(antenna, {perWavelength});
        Options pairByPair;
        pairByPair.threads = 2;
        pairByPair.sampleAcrossWires = false;
        Options sampled = pairByPair;
        sampled.sampleAcrossWires = true;
        const auto a = solveFrequency(deck, 0, sampled);
        const auto b = solveFrequency(deck, 0, pairByPair);
        const std::string name = std::to_string(static_cast<int>(d.mode)) + " " + d.frequency;
        ASSERT_TRUE(std::holds_alternative<FrequencyResult>(a)) << name;
        ASSERT_TRUE(std::holds_alternative<FrequencyResult>(b)) << name;
        const FrequencyResult& x = std::get<FrequencyResult>(a);
        const FrequencyResult& y = std::get<FrequencyResult>(b);
        const double z = std::hypot(y.feed.resistance, y.feed.reactance);
        EXPECT_NEAR(x.feed.resistance, y.feed.resistance, 1e-6 * z) << name;
        EXPECT_NEAR(x.feed.reactance, y.feed.reactance, 1e-6 * z) << name;
        ASSERT_FALSE(x.patterns.empty());
        // Forward, along the boom: the first point of the plane of the elements.
        EXPECT_NEAR(x.patterns[0][0].gain, y.patterns[0][0].gain, 1e-5) << name;
    }
}

}  // namespace
}  // namespace zeva::nec
