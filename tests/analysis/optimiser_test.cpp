// SPDX-License-Identifier: MIT
// The optimiser: the goals as written, the band it may judge by, and a search that keeps the
// antenna a Yagi, does better than its start, repeats itself for a seed and stops when told.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "analysis/optimiser.h"

namespace zeva::analysis {
namespace {

TEST(Goals, read_as_written_and_refused_with_the_part_at_fault) {
    const auto read = parseGoals("gain,fb>=20,swr<=1.3,sidelobe>=18", Language::English);
    ASSERT_TRUE(std::holds_alternative<Goals>(read));
    const Goals& goals = std::get<Goals>(read);
    EXPECT_EQ(goals.aim, Aim::Gain);
    ASSERT_EQ(goals.limits.size(), 3U);
    EXPECT_EQ(goals.limits[0].figure, Figure::FrontToBack);
    EXPECT_TRUE(goals.limits[0].atLeast);
    EXPECT_EQ(goals.limits[1].figure, Figure::Swr);
    EXPECT_FALSE(goals.limits[1].atLeast);
    EXPECT_DOUBLE_EQ(goals.limits[1].value, 1.3);
    EXPECT_EQ(goalsText(goals), "gain,fb>=20,swr<=1.3,sidelobe>=18");
    EXPECT_EQ(goalsText(std::get<Goals>(parseGoals("swr", Language::English))), "swr");
    const auto built = parseGoals("fb,asbuilt,swr<=1.5", Language::English);
    ASSERT_TRUE(std::holds_alternative<Goals>(built));
    EXPECT_TRUE(std::get<Goals>(built).asBuilt);
    EXPECT_EQ(goalsText(std::get<Goals>(built)), "fb,swr<=1.5,asbuilt");
    EXPECT_FALSE(goals.asBuilt);

    struct Bad {
        const char* text;
        const char* named;  // what the message must name
    };
    for (const Bad& bad :
         {Bad{"", "unknown goal"}, Bad{"beauty", "beauty"}, Bad{"gain,fb>20", "fb>20"},
          Bad{"gain,fb=>20", "fb=>20"}, Bad{"gain,colour>=2", "colour>=2"},
          Bad{"gain,fb>=", "fb>="}, Bad{"gain,,fb>=20", "unknown goal"},
          Bad{"gain,swr<=0.9", "swr<=0.9"}, Bad{"gain,gain>=40", "gain>=40"},
          Bad{"gain,fb>=nan", "fb>=nan"}, Bad{"fb,fb>=20,fb>=25", "given twice"},
          Bad{"fb,swr>=1.5,swr<=1.2", "no room"}, Bad{"asbuilt", "asbuilt"},
          Bad{"gain,asbuilt,asbuilt", "given twice"}}) {
        const auto refused = parseGoals(bad.text, Language::English);
        ASSERT_TRUE(std::holds_alternative<Failure>(refused)) << bad.text;
        EXPECT_NE(std::get<Failure>(refused).message.find(bad.named), std::string::npos)
            << bad.text << ": " << std::get<Failure>(refused).message;
    }
}

TEST(Goals, the_cost_grows_with_every_limit_missed_and_the_aim_decides_otherwise) {
    const Goals goals = std::get<Goals>(parseGoals("gain,fb>=20,swr<=1.3", Language::English));
    const BandFigures good{15, 22, 18, 1.2, 17, 3};
    EXPECT_DOUBLE_EQ(cost(good, goals), -15);  // every limit kept: the gain alone
    BandFigures moreGain = good;
    moreGain.gain = 15.5;
    EXPECT_LT(cost(moreGain, goals), cost(good, goals));
    BandFigures poorFb = good;
    poorFb.frontToBack = 19;
    BandFigures poorerFb = good;
    poorerFb.frontToBack = 15;
    EXPECT_GT(cost(poorFb, goals), cost(good, goals));
    EXPECT_GT(cost(poorerFb, goals), cost(poorFb, goals));
    // The gain aim keeps the pattern clean without being told.
    BandFigures lobed = good;
    lobed.sidelobe = kCleanSidelobe - 3;
    EXPECT_GT(cost(lobed, goals), cost(good, goals));
    BandFigures unsolved = good;
    unsolved.swr = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isfinite(cost(unsolved, goals)));
    EXPECT_GT(cost(unsolved, goals), cost(good, goals));
}

TEST(Goals, the_band_stays_within_ten_percent_of_the_design_frequency) {
    EXPECT_FALSE(checkBand({144.0, 144.5}, 144, Language::English));
    EXPECT_FALSE(checkBand(defaultBand(14.2), 14.2, Language::English));
    EXPECT_TRUE(checkBand({144.5, 144.0}, 144, Language::English));
    EXPECT_TRUE(checkBand({120, 144.5}, 144, Language::English));
    EXPECT_TRUE(checkBand({144, 160}, 144, Language::English));
}

// A three-element beam of thin wire for 299.792458 MHz (a wavelength of one metre), a little
// off its best: short reflector, long director.
Antenna beam() {
    return {kSpeedOfLight,
            {{"reflector", 0.48, 0, 0.004},
             {"driven", 0.47, 0.2, 0.004},
             {"director", 0.46, 0.35, 0.004}},
            1};
}

Analysis convergedAt(int coarser, int finer) {
    Analysis a;
    a.segmentation = {finer};
    a.solvedAt = {finer};
    a.convergence = {{coarser, 0, {}, 0}, {finer, 0, {}, 0}};
    return a;
}

OptimiseRequest smallSearch(std::uint64_t seed) {
    OptimiseRequest request;
    request.goals = std::get<Goals>(parseGoals("gain,fb>=15,swr<=2", Language::English));
    request.band = defaultBand(kSpeedOfLight);
    request.seed = seed;
    request.evaluations = 120;
    request.seconds = 1e6;  // the evaluations end it, never the clock
    request.threads = 2;
    return request;
}

TEST(Optimiser, keeps_a_yagi_does_better_and_repeats_itself_for_a_seed) {
    const Antenna start = beam();
    const Analysis analysis = convergedAt(25, 50);
    const auto first = optimise(start, analysis, smallSearch(7), Language::English);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(first)) << std::get<Failure>(first).message;
    const Optimisation& o = std::get<Optimisation>(first);
    EXPECT_LE(o.evaluations, 121);
    EXPECT_LT(cost(o.after, o.goals), cost(o.before, o.goals));
    EXPECT_EQ(o.antenna.elements.size(), start.elements.size());
    EXPECT_EQ(o.antenna.driven, start.driven);
    // The boom held, the order kept, no spacing below the least, lengths within their limits.
    EXPECT_EQ(o.antenna.elements.front().position, start.elements.front().position);
    EXPECT_EQ(o.antenna.elements.back().position, start.elements.back().position);
    for (std::size_t i = 0; i < start.elements.size(); ++i) {
        const double length = o.antenna.elements[i].length;
        EXPECT_GE(length, start.elements[i].length * (1 - kLengthFreedom) - 1e-12) << i;
        EXPECT_LE(length, start.elements[i].length * (1 + kLengthFreedom) + 1e-12) << i;
        EXPECT_EQ(o.antenna.elements[i].diameter, start.elements[i].diameter);
        if (i == 0) continue;
        const double gap = start.elements[i].position - start.elements[i - 1].position;
        EXPECT_GE(o.antenna.elements[i].position - o.antenna.elements[i - 1].position,
                  std::min(kLeastSpacing * start.wavelength(), gap / 2) - 1e-12)
            << i;
    }

    const auto again = optimise(start, analysis, smallSearch(7), Language::English);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(again));
    const Optimisation& o2 = std::get<Optimisation>(again);
    EXPECT_EQ(o2.evaluations, o.evaluations);
    for (std::size_t i = 0; i < start.elements.size(); ++i) {
        EXPECT_EQ(o2.antenna.elements[i].length, o.antenna.elements[i].length) << i;
        EXPECT_EQ(o2.antenna.elements[i].position, o.antenna.elements[i].position) << i;
    }
}

TEST(Optimiser, a_stop_keeps_the_best_so_far) {
    std::atomic<bool> stop{false};
    OptimiseRequest request = smallSearch(3);
    request.stop = &stop;
    int seen = 0;
    const ProgressReport stopAfterTen = [&](const OptimiseProgress& p) {
        seen = p.evaluations;
        if (p.evaluations >= 10) stop.store(true);
    };
    const auto stopped =
        optimise(beam(), convergedAt(25, 50), request, Language::English, stopAfterTen);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(stopped));
    const Optimisation& o = std::get<Optimisation>(stopped);
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.evaluations, 10);
    EXPECT_EQ(seen, 10);
    EXPECT_LE(cost(o.after, o.goals), cost(o.before, o.goals));

    // Raised before the search: the start itself comes back.
    const auto atOnce = optimise(beam(), convergedAt(25, 50), request, Language::English);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(atOnce));
    EXPECT_TRUE(std::get<Optimisation>(atOnce).stopped);
    EXPECT_EQ(std::get<Optimisation>(atOnce).antenna.elements[1].length, 0.47);
}

// Behind a match the driven element's length is the match's trim to decide: the search moves
// every other length and leaves it as it was.
TEST(Optimiser, behind_a_match_the_driven_element_keeps_its_length) {
    OptimiseRequest request = smallSearch(5);
    request.feed = Feed::Hairpin;
    const auto found = optimise(beam(), convergedAt(25, 50), request, Language::English);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(found));
    const Antenna& a = std::get<Optimisation>(found).antenna;
    EXPECT_EQ(a.elements[1].length, 0.47);
    EXPECT_NE(a.elements[0].length, 0.48);
}

TEST(Optimiser, the_matches_are_designed_at_the_centre_of_the_band) {
    const Antenna start = beam();
    const std::vector<int> segments = segmentCounts(start, {50});
    const Band band = defaultBand(start.frequency);
    const auto direct = bandFigures(start, segments, band, 1, Feed::Direct, 2);
    const auto hairpin = bandFigures(start, segments, band, 1, Feed::Hairpin, 2);
    const auto coax = bandFigures(start, segments, band, 1, Feed::Coax, 2);
    ASSERT_TRUE(direct && hairpin && coax);
    // The same antenna: only the SWR differs. At the centre each match, with the driven
    // element trimmed for it, gives 1 (the beam's feed is below 50 ohms).
    EXPECT_EQ(direct->gain, hairpin->gain);
    EXPECT_GT(direct->swr, 1.05);
    EXPECT_NEAR(hairpin->swr, 1.0, 1e-9);
    EXPECT_NEAR(coax->swr, 1.0, 1e-9);
    // Across a band the edges are worse than the centre for a match made there.
    const auto across = bandFigures(start, segments, band, 5, Feed::Coax, 2);
    ASSERT_TRUE(across);
    EXPECT_GE(across->swr, coax->swr);
    EXPECT_NEAR(across->boom, 0.35, 1e-12);
}

// The curves a window draws while the search runs are the band figures' own.
TEST(Optimiser, the_curves_are_those_the_band_figures_are_taken_from) {
    const Antenna start = beam();
    const std::vector<int> segments = segmentCounts(start, {50});
    const Band band = defaultBand(start.frequency);
    BandCurves curves;
    const auto figures = bandFigures(start, segments, band, 4, Feed::Hairpin, 2, nullptr, &curves);
    ASSERT_TRUE(figures);
    ASSERT_EQ(curves.mhz.size(), 5U);  // an odd count, the centre among them
    ASSERT_EQ(curves.swr.size(), 5U);
    ASSERT_EQ(curves.gain.size(), 5U);
    EXPECT_DOUBLE_EQ(curves.mhz[2], band.centre());
    EXPECT_DOUBLE_EQ(*std::max_element(curves.swr.begin(), curves.swr.end()), figures->swr);
    EXPECT_DOUBLE_EQ(*std::min_element(curves.gain.begin(), curves.gain.end()), figures->gain);
    ASSERT_EQ(curves.ePlane.size(), 361U);                // a degree apart, all round
    EXPECT_NEAR(curves.ePlane[0], curves.gain[2], 1e-9);  // forward, at the centre
    EXPECT_LT(curves.ePlane[180], curves.ePlane[0] - 3);  // the back

    BandCurves built;
    const auto asBuilt =
        builtBandFigures(start, segments, band, 4, Feed::Direct, AsBuilt{}, 1, 2, nullptr, &built);
    ASSERT_TRUE(asBuilt);
    EXPECT_EQ(built.mhz, curves.mhz);  // the exact antenna's
    EXPECT_EQ(built.ePlane, curves.ePlane);
}

// As built: antennas cut off by up to the tolerance, drawn from the seed (the report's from
// another); the SWR's 90th percentile over them and the other figures' medians; the match
// the exact antenna's; a tolerance that lets elements meet refused.
TEST(Optimiser, as_built_the_figures_spread_over_antennas_cut_within_the_tolerance) {
    const Antenna start = beam();
    const std::vector<int> segments = segmentCounts(start, {50});
    const Band band = defaultBand(start.frequency);
    const AsBuilt loose{0.01, 0.01, 6};  // a centimetre at 300 MHz
    const std::vector<Antenna> cut = builtAntennas(start, loose, 5);
    ASSERT_EQ(cut.size(), 6U);
    for (const Antenna& a : cut) {
        for (std::size_t e = 0; e < start.elements.size(); ++e) {
            EXPECT_LE(std::abs(a.elements[e].length - start.elements[e].length), 0.01);
            EXPECT_LE(std::abs(a.elements[e].position - start.elements[e].position), 0.01);
        }
    }
    EXPECT_NE(cut[0].elements[1].length, cut[1].elements[1].length);
    EXPECT_EQ(builtAntennas(start, loose, 5)[3].elements[2].position, cut[3].elements[2].position);
    EXPECT_NE(builtAntennas(start, loose, reportSeed(5))[0].elements[0].length,
              cut[0].elements[0].length);

    // Fed straight, the figures are each antenna's own: six sorted, the 90th percentile lies
    // halfway between the fifth and the sixth, the median between the third and the fourth.
    std::vector<double> swr, gain, frontToBack;
    for (const Antenna& a : cut) {
        const auto f = bandFigures(a, segments, band, 3, Feed::Direct, 2);
        ASSERT_TRUE(f);
        swr.push_back(f->swr);
        gain.push_back(f->gain);
        frontToBack.push_back(f->frontToBack);
    }
    for (auto* values : {&swr, &gain, &frontToBack}) std::sort(values->begin(), values->end());
    const auto built = builtBandFigures(start, segments, band, 3, Feed::Direct, loose, 5, 2);
    ASSERT_TRUE(built);
    EXPECT_NEAR(built->swr, (swr[4] + swr[5]) / 2, 1e-12);
    EXPECT_NEAR(built->gain, (gain[2] + gain[3]) / 2, 1e-12);
    EXPECT_NEAR(built->frontToBack, (frontToBack[2] + frontToBack[3]) / 2, 1e-12);
    EXPECT_NEAR(built->boom, 0.35, 1e-12);

    // Through a hairpin the match is the exact antenna's, not each cut one's own.
    const AsBuilt one{0.01, 0.01, 1};
    const auto own =
        bandFigures(builtAntennas(start, one, 5)[0], segments, band, 1, Feed::Hairpin, 2);
    const auto matched = builtBandFigures(start, segments, band, 1, Feed::Hairpin, one, 5, 2);
    ASSERT_TRUE(own && matched);
    EXPECT_EQ(matched->gain, own->gain);
    EXPECT_NE(matched->swr, own->swr);

    // No tolerance is the exact antenna.
    const auto exact = bandFigures(start, segments, band, 3, Feed::Hairpin, 2);
    const auto none = builtBandFigures(start, segments, band, 3, Feed::Hairpin, {0, 0, 4}, 1, 2);
    ASSERT_TRUE(exact && none);
    EXPECT_DOUBLE_EQ(none->swr, exact->swr);
    EXPECT_DOUBLE_EQ(none->gain, exact->gain);

    // Positions off by a quarter of the least spacing could meet: refused, with the limit.
    EXPECT_FALSE(checkAsBuilt(start, loose, Language::English));
    const auto crossing = checkAsBuilt(start, {0.01, 0.02, 6}, Language::English);
    ASSERT_TRUE(crossing);
    EXPECT_NE(crossing->message.find("12.5 mm in position"), std::string::npos)
        << crossing->message;
    OptimiseRequest request = smallSearch(7);
    request.goals.asBuilt = true;
    request.asBuilt = {0.01, 0.02, 6};
    EXPECT_TRUE(std::holds_alternative<Failure>(
        optimise(start, convergedAt(25, 50), request, Language::English)));
}

// The search's antenna against the start at the converged level: kept where it holds and does
// better; the start kept otherwise, and why where the analysis refused it.
TEST(Optimiser, the_start_is_kept_where_the_result_is_refused_or_no_better) {
    const Antenna start = beam();
    EngineRunner runner(Language::English, 2, nullptr);
    const auto analysed = analyse(start, runner, Language::English, 2);
    ASSERT_TRUE(std::holds_alternative<Analysis>(analysed));
    const Analysis& analysis = std::get<Analysis>(analysed);

    Optimisation refused;
    refused.goals = smallSearch(1).goals;
    refused.band = defaultBand(start.frequency);
    refused.antenna = start;
    refused.antenna.elements[2].length = 0.40;
    EXPECT_FALSE(settle(refused, start, analysis, Failure{"cannot analyse: too thin"}, 2,
                        Language::English));
    EXPECT_FALSE(refused.improved);
    EXPECT_NE(refused.note.find("too thin"), std::string::npos);
    EXPECT_EQ(refused.antenna.elements[2].length, start.elements[2].length);
    EXPECT_EQ(refused.after.gain, refused.before.gain);

    // The driven element cut far too short, judged at the start's segmentation: worse than
    // the start by the goals (its SWR far beyond 2).
    Optimisation worse = refused;
    worse.note.clear();
    worse.improved = true;
    worse.antenna = start;
    worse.antenna.elements[1].length = 0.40;
    EXPECT_FALSE(settle(worse, start, analysis, std::variant<Analysis, Failure>(analysis), 2,
                        Language::English));
    EXPECT_FALSE(worse.improved);
    EXPECT_TRUE(worse.note.empty()) << worse.note;
    EXPECT_EQ(worse.antenna.elements[1].length, start.elements[1].length);

    // The search's own result does better and is kept, with its analysis.
    const auto searched = optimise(start, analysis, smallSearch(7), Language::English);
    ASSERT_TRUE(std::holds_alternative<Optimisation>(searched));
    Optimisation better = std::get<Optimisation>(searched);
    ASSERT_FALSE(better.candidates.empty());
    const auto kept = conclude(better, start, analysis, runner, 2, Language::English);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(better.improved);
    EXPECT_LT(cost(better.after, better.goals), cost(better.before, better.goals));
    EXPECT_EQ(better.antenna.elements[2].length, better.candidates.front().elements[2].length);
}

TEST(Optimiser, refuses_a_band_beyond_its_reach) {
    OptimiseRequest request = smallSearch(1);
    request.band = {kSpeedOfLight * 0.8, kSpeedOfLight};
    const auto refused = optimise(beam(), convergedAt(25, 50), request, Language::English);
    ASSERT_TRUE(std::holds_alternative<Failure>(refused));
    EXPECT_NE(std::get<Failure>(refused).message.find("10 %"), std::string::npos);
}

}  // namespace
}  // namespace zeva::analysis
