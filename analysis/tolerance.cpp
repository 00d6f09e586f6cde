// SPDX-License-Identifier: MIT
#include "analysis/tolerance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace zeva::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A uniform draw in [-1, 1] from the generator's 53 high bits: the same on every platform.
double symmetricDraw(std::mt19937_64& generator) {
    return static_cast<double>(generator() >> 11) * 0x1.0p-52 - 1;
}

// The feed, forward gain and F/B at the design frequency.
struct Solved {
    Impedance feed;
    double gain = 0;
    double frontToBack = 0;
};

std::optional<Solved> solvedOf(const DeckResults& results) {
    if (results.empty() || !results[0].hasFeed || results[0].patterns.size() != 1 ||
        results[0].patterns[0].size() != 2) {
        return std::nullopt;
    }
    Solved s;
    s.feed = results[0].feed;
    s.gain = results[0].patterns[0][0].gain;
    s.frontToBack = s.gain - results[0].patterns[0][1].gain;
    return s;
}

Spread spreadOf(const std::vector<double>& values, bool higherIsWorse) {
    if (values.empty()) return {kNaN, kNaN, kNaN};
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return {percentile(values, 0.5), percentile(values, higherIsWorse ? 0.9 : 0.1),
            higherIsWorse ? *high : *low};
}

}  // namespace

Antenna cutWithin(const Antenna& antenna, double length, double position,
                  std::mt19937_64& generator) {
    Antenna cut = antenna;
    for (Element& e : cut.elements) {
        e.length += length * symmetricDraw(generator);
        e.position += position * symmetricDraw(generator);
    }
    return cut;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return kNaN;
    std::sort(values.begin(), values.end());
    const double at = p * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    if (below + 1 >= values.size()) return values.back();
    return values[below] + (at - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

std::optional<Failure> checkTolerance(const Antenna& antenna, const ToleranceRequest& request,
                                      Language language) {
    const auto refuse = [&](const std::string& why) {
        return Failure{say(language, "cannot study the tolerance: %1", {why})};
    };
    if (!(request.length >= 0) || !(request.position >= 0) || !std::isfinite(request.length) ||
        !std::isfinite(request.position)) {
        return refuse(say(language, "a tolerance must be zero or more"));
    }
    if (request.samples < 1 || request.samples > kMaxSamples) {
        return refuse(say(language, "the samples must be 1 to %1", {std::to_string(kMaxSamples)}));
    }
    const double longest = kMaxLengthTolerance * antenna.wavelength();
    if (request.length > longest) {
        return refuse(say(language,
                          "a length tolerance above %1 wavelength (%2 mm) makes another design",
                          {fixed(kMaxLengthTolerance, 2), fixed(longest * 1000, 1)}));
    }
    double shortest = std::numeric_limits<double>::infinity();
    for (const Element& e : antenna.elements) shortest = std::min(shortest, e.length);
    if (request.length > kMaxLengthToleranceOfElement * shortest) {
        return refuse(say(language,
                          "the length tolerance must be at most a quarter of the shortest "
                          "element (%1 mm)",
                          {fixed(kMaxLengthToleranceOfElement * shortest * 1000, 1)}));
    }
    std::vector<double> positions;
    for (const Element& e : antenna.elements) positions.push_back(e.position);
    std::sort(positions.begin(), positions.end());
    double closest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < positions.size(); ++i) {
        closest = std::min(closest, positions[i] - positions[i - 1]);
    }
    if (request.position * 2 >= closest) {
        return refuse(say(language,
                          "the position tolerance must be below half the least spacing (%1 mm)",
                          {fixed(closest / 2 * 1000, 1)}));
    }
    return std::nullopt;
}

ToleranceStudy::ToleranceStudy(Antenna antenna, const Analysis& analysis, ToleranceRequest request,
                               Language language)
    : Study(language), antenna_(std::move(antenna)), request_(request) {
    if (auto failure = checkTolerance(antenna_, request_, language_)) {
        result_ = std::move(*failure);
        return;
    }
    // Every deck keeps the segments of the converged design.
    const std::vector<int> segments = segmentCounts(antenna_, analysis.solvedAt);
    const double f0 = antenna_.frequency;
    const auto atDesign = [&](const Antenna& a) {
        nec::Deck deck = structureWith(a, segments);
        deck.steps = {{f0, {kForwardAndBack}}};
        return deck;
    };
    nec::Deck design = atDesign(antenna_);
    design.steps.push_back({f0 * (1 - kResonanceStep), {}});
    design.steps.push_back({f0 * (1 + kResonanceStep), {}});
    decks_.push_back(std::move(design));
    std::mt19937_64 generator(request_.seed);
    for (int sample = 0; sample < request_.samples; ++sample) {
        decks_.push_back(
            atDesign(cutWithin(antenna_, request_.length, request_.position, generator)));
    }
    const double step = request_.length > 0 ? request_.length : kSensitivityStep;
    for (std::size_t i = 0; i < antenna_.elements.size(); ++i) {
        for (const double sign : {-1.0, 1.0}) {
            Antenna a = antenna_;
            a.elements[i].length += sign * step;
            decks_.push_back(atDesign(a));
        }
    }
}

void ToleranceStudy::step(const std::vector<DeckResults>& results) {
    decks_.clear();  // one round
    const auto incomplete = [this] {
        return Failure{say(language_, "incomplete NEC-2 results for the tolerance")};
    };
    const auto nominal = solvedOf(results[0]);
    if (!nominal || results[0].size() != 3 || !results[0][1].hasFeed || !results[0][2].hasFeed) {
        result_ = incomplete();
        return;
    }
    Tolerance t;
    t.request = request_;
    t.reactanceSlope = (results[0][2].feed.reactance - results[0][1].feed.reactance) /
                       (results[0][2].frequency - results[0][1].frequency);
    std::vector<double> shifts, gains, ratios;
    const auto samples = static_cast<std::size_t>(request_.samples);
    for (std::size_t i = 1; i <= samples; ++i) {
        const auto s = solvedOf(results[i]);
        if (!s) {
            result_ = incomplete();
            return;
        }
        t.swrSamples.push_back(swrAgainst50(s->feed));
        // The frequency where the sample's reactance is what the design's is at the design
        // frequency, along the design's slope.
        const double shift = (s->feed.reactance - nominal->feed.reactance) / t.reactanceSlope;
        shifts.push_back(std::fabs(shift) * 1000);
        gains.push_back(s->gain);
        ratios.push_back(s->frontToBack);
    }
    t.swr = spreadOf(t.swrSamples, true);
    t.resonanceShift = spreadOf(shifts, true);
    t.gain = spreadOf(gains, false);
    t.frontToBack = spreadOf(ratios, false);
    const double step = request_.length > 0 ? request_.length : kSensitivityStep;
    for (std::size_t e = 0; e < antenna_.elements.size(); ++e) {
        const auto shorter = solvedOf(results[1 + samples + 2 * e]);
        const auto longer = solvedOf(results[2 + samples + 2 * e]);
        if (!shorter || !longer) {
            result_ = incomplete();
            return;
        }
        const double millimetres = 2 * step * 1000;
        t.sensitivities.push_back({antenna_.elements[e].name,
                                   (longer->feed.reactance - shorter->feed.reactance) / millimetres,
                                   (longer->gain - shorter->gain) / millimetres});
    }
    result_ = std::move(t);
}

std::variant<Tolerance, Failure> studyTolerance(const Antenna& antenna, const Analysis& analysis,
                                                const ToleranceRequest& request, Runner& runner,
                                                Language language) {
    ToleranceStudy study(antenna, analysis, request, language);
    drive(study, runner);
    return study.result();
}

}  // namespace zeva::analysis
