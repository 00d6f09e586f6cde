// SPDX-License-Identifier: MIT
#include "analysis/over_ground.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "analysis/deck.h"
#include "analysis/figures.h"
#include "nec/engine.h"

namespace zeva::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kThetaCount = static_cast<int>(90 / kElevationStep) + 1;

const GroundPreset* presetOf(const nec::Ground& ground) {
    if (ground.perfect) return nullptr;
    for (const GroundPreset& preset : kGroundPresets) {
        if (preset.permittivity == ground.permittivity &&
            preset.conductivity == ground.conductivity) {
            return &preset;
        }
    }
    return nullptr;
}

// The gain along the elevation profile at a fractional index, interpolated in dB.
double gainAt(const std::vector<ElevationPoint>& profile, double index) {
    const auto low = static_cast<std::size_t>(std::floor(index));
    if (low + 1 >= profile.size()) return profile.back().gain;
    const double t = index - static_cast<double>(low);
    return profile[low].gain + t * (profile[low + 1].gain - profile[low].gain);
}

// Elevation of the -3 dB point walking from the peak one way (+1 up, -1 down), interpolated
// in dB between the samples; NaN where the gain never falls that far.
double halfPowerElevation(const std::vector<ElevationPoint>& profile, std::size_t peak, double top,
                          int way) {
    const double level = top - 3;
    const auto n = static_cast<long>(profile.size());
    for (long i = static_cast<long>(peak) + way; i >= 0 && i < n; i += way) {
        const ElevationPoint& outside = profile[static_cast<std::size_t>(i)];
        const ElevationPoint& inside = profile[static_cast<std::size_t>(i - way)];
        if (outside.gain <= level) {
            const double t = (inside.gain - level) / (inside.gain - outside.gain);
            return inside.elevation + t * (outside.elevation - inside.elevation);
        }
    }
    return kNaN;
}

// The grid of directions the points were computed on: theta inner, phi outer.
nec::PatternCut gridOf(const std::vector<PatternPoint>& points) {
    nec::PatternCut grid;
    if (points.size() < 2) return grid;
    std::size_t thetas = 1;
    while (thetas < points.size() && points[thetas].phi == points[0].phi) ++thetas;
    grid.thetaCount = static_cast<int>(thetas);
    grid.phiCount = static_cast<int>(points.size() / thetas);
    grid.theta0 = points[0].theta;
    grid.phi0 = points[0].phi;
    grid.thetaStep = thetas > 1 ? points[1].theta - points[0].theta : 0;
    grid.phiStep = thetas < points.size() ? points[thetas].phi - points[0].phi : 0;
    return grid;
}

}  // namespace

std::optional<nec::Ground> groundNamed(std::string_view text) {
    if (text == "perfect") return nec::Ground{true, 1, 0};
    for (const GroundPreset& preset : kGroundPresets) {
        if (text == preset.name)
            return nec::Ground{false, preset.permittivity, preset.conductivity};
    }
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto permittivity = plainNumber(text.substr(0, comma));
    const auto conductivity = plainNumber(text.substr(comma + 1));
    if (!permittivity || !conductivity || *permittivity < 1 || *conductivity < kLeastConductivity) {
        return std::nullopt;
    }
    return nec::Ground{false, *permittivity, *conductivity};
}

double sommerfeldLimit(const nec::Ground& ground) {
    const GroundPreset* preset = presetOf(ground);
    return preset != nullptr ? preset->sommerfeldBelow : kSommerfeldBelow;
}

bool sommerfeldLimitMeasured(const nec::Ground& ground) {
    const GroundPreset* preset = presetOf(ground);
    return preset != nullptr && preset->measured;
}

bool sommerfeldAt(const nec::Ground& ground, double heightWavelengths) {
    return !ground.perfect && heightWavelengths < sommerfeldLimit(ground);
}

std::string groundName(const nec::Ground& ground, Language language) {
    if (ground.perfect) return say(language, "perfect ground");
    const GroundPreset* preset = presetOf(ground);
    return say(language, "%1 (ε %2, σ %3 S/m)",
               {say(language, preset != nullptr ? preset->title : N_("ground")),
                shortest(ground.permittivity), shortest(ground.conductivity)});
}

std::string groundKey(const nec::Ground& ground) {
    if (ground.perfect) return "perfect";
    if (const GroundPreset* preset = presetOf(ground)) return preset->name;
    return shortest(ground.permittivity) + "," + shortest(ground.conductivity);
}

std::optional<Failure> checkPlacement(const Antenna& antenna, const Placement& placement,
                                      Language language) {
    const double wavelength = antenna.wavelength();
    const double height = placement.height / wavelength;
    const double lowest =
        placement.ground.perfect ? kMinHeightOverPerfectGround : kMinHeightOverRealGround;
    const auto refuse = [&](const std::string& why) {
        return Failure{say(language, "cannot place the antenna: %1", {why})};
    };
    if (!std::isfinite(height) || height < lowest) {
        const std::string metres = fixed(lowest * wavelength, 2);
        return placement.ground.perfect
                   ? refuse(say(language, "the height must be at least %1 wavelength (%2 m)",
                                {fixed(lowest, 2), metres}))
                   : refuse(say(language,
                                "over real ground the height must be at least %1 wavelength "
                                "(%2 m): lower down NEC-2's ground models do not hold",
                                {fixed(lowest, 2), metres}));
    }
    if (height > kMaxHeight) {
        return refuse(say(language,
                          "the height is above %1 wavelengths (%2 m): the elevation pattern's "
                          "lobes are finer than its steps",
                          {fixed(kMaxHeight, 0), fixed(kMaxHeight * wavelength, 1)}));
    }
    return std::nullopt;
}

nec::Deck overGroundDeck(const Antenna& antenna, const Segmentation& segmentation,
                         const Placement& placement) {
    nec::Deck deck = structureWith(antenna, segmentCounts(antenna, segmentation));
    for (nec::Wire& wire : deck.wires) {
        wire.end1.z = placement.height;
        wire.end2.z = placement.height;
    }
    deck.ground = placement.ground;
    deck.ground->sommerfeld =
        sommerfeldAt(placement.ground, placement.height / antenna.wavelength());
    // Towards the directors (phi 0) and behind (phi 180), from the zenith to the horizon; then
    // the upper half space for the power radiated, unless it needs more directions than the
    // engine takes in one cut (a boom of some 140 wavelengths).
    deck.steps = {{antenna.frequency, {{kThetaCount, 2, 0, 0, kElevationStep, 180}}}};
    const nec::PatternCut above = sphereOf(antenna, placement.height);
    if (static_cast<std::size_t>(above.thetaCount) * static_cast<std::size_t>(above.phiCount) <=
        nec::kMaxPatternPoints) {
        deck.steps[0].cuts.push_back(above);
    }
    return deck;
}

std::variant<OverGround, Failure> overGroundFigures(const FrequencyResult& result,
                                                    const Placement& placement, double wavelength,
                                                    Language language) {
    const auto count = static_cast<std::size_t>(kThetaCount);
    if (!result.hasFeed || result.patterns.empty() || result.patterns.size() > 2 ||
        result.patterns[0].size() != 2 * count) {
        return Failure{say(language, "incomplete NEC-2 results over the ground")};
    }
    const std::vector<PatternPoint>& cut = result.patterns[0];
    OverGround over;
    over.placement = placement;
    over.heightWavelengths = placement.height / wavelength;
    over.nearTheGround = sommerfeldAt(placement.ground, over.heightWavelengths);
    // The mirrored grid's average counts the upper half space twice.
    over.radiated = result.patterns.size() == 2
                        ? averageGain(result.patterns[1], gridOf(result.patterns[1])) / 2
                        : kNaN;
    const std::string feed = impedanceText(result.feed);
    if (!(result.feed.resistance > 0)) {
        return Failure{say(language,
                           "NEC-2's model of the ground fails this near it: the feed would be %1 "
                           "ohm, a resistance of no power; place the antenna higher",
                           {feed})};
    }
    if (over.radiated > 1 + kRadiatedTolerance) {
        return Failure{
            say(language,
                "NEC-2's model of the ground fails this near it: the antenna would radiate %1 "
                "times the input power, with a feed of %2 ohm; place it higher",
                {fixed(over.radiated, 2), feed})};
    }
    over.feed = result.feed;
    over.swr = swrAgainst50(result.feed);
    // Forward from the horizon up to the zenith, then behind down to the horizon.
    for (std::size_t i = count; i-- > 0;) {
        over.elevation.push_back({90 - cut[i].theta, cut[i].gain});
    }
    for (std::size_t i = 1; i < count; ++i) {
        over.elevation.push_back({90 + cut[count + i].theta, cut[count + i].gain});
    }
    const std::vector<ElevationPoint>& profile = over.elevation;
    // The strongest sample forward, refined by the parabola through it and its neighbours.
    std::size_t peak = 0;
    for (std::size_t i = 1; i < count; ++i) {
        if (profile[i].gain > profile[peak].gain) peak = i;
    }
    double offset = 0;
    double top = profile[peak].gain;
    if (peak > 0 && peak + 1 < profile.size()) {
        const double below = profile[peak - 1].gain;
        const double above = profile[peak + 1].gain;
        const double curvature = below - 2 * top + above;
        if (curvature < 0) {
            offset = 0.5 * (below - above) / curvature;
            top -= 0.25 * (below - above) * offset;
        }
    }
    over.takeoff = profile[peak].elevation + offset * kElevationStep;
    over.gain = top;
    over.beamwidth =
        halfPowerElevation(profile, peak, top, 1) - halfPowerElevation(profile, peak, top, -1);
    // Behind at the same elevation: the profile's mirror index.
    const double behind =
        static_cast<double>(profile.size() - 1) - (static_cast<double>(peak) + offset);
    over.frontToBack = top - gainAt(profile, behind);
    return over;
}

GroundStudy::GroundStudy(const Antenna& antenna, const Analysis& analysis, Placement placement,
                         Language language)
    : Study(language), placement_(placement), wavelength_(antenna.wavelength()) {
    if (auto failure = checkPlacement(antenna, placement_, language_)) {
        result_ = std::move(*failure);
        return;
    }
    decks_ = {overGroundDeck(antenna, analysis.solvedAt, placement_)};
}

void GroundStudy::step(const std::vector<DeckResults>& round) {
    decks_.clear();  // one round
    const DeckResults& results = round[0];
    if (results.size() != 1) {
        result_ = Failure{say(language_, "incomplete NEC-2 results over the ground")};
        return;
    }
    result_ = overGroundFigures(results[0], placement_, wavelength_, language_);
}

std::variant<OverGround, Failure> studyOverGround(const Antenna& antenna, const Analysis& analysis,
                                                  const Placement& placement, Runner& runner,
                                                  Language language) {
    GroundStudy study(antenna, analysis, placement, language);
    drive(study, runner);
    return study.result();
}

}  // namespace zeva::analysis
