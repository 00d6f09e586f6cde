// SPDX-License-Identifier: MIT
#include "analysis/deck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "nec/engine.h"

namespace zeva::analysis {
namespace {

nec::Deck structure(const Antenna& antenna, const Segmentation& segmentation) {
    return structureWith(antenna, segmentCounts(antenna, segmentation));
}

}  // namespace

int segmentsOf(const Element& element, double wavelength, int perWavelength) {
    const double wanted = element.length / wavelength * perWavelength;
    int segments = static_cast<int>(std::lround(std::fmax(1.0, std::fmin(wanted, 1e6))));
    if (segments % 2 == 0) segments += wanted >= segments ? 1 : -1;
    return segments < 1 ? 1 : segments;
}

int totalSegments(const Antenna& antenna, int perWavelength) {
    int total = 0;
    for (const Element& e : antenna.elements) {
        total += segmentsOf(e, antenna.wavelength(), perWavelength);
    }
    return total;
}

nec::SegmentRef feedSegment(const Antenna& antenna, const Segmentation& segmentation) {
    const int segments = segmentsOf(antenna.elements[antenna.driven], antenna.wavelength(),
                                    segmentation.perWavelength);
    return {static_cast<int>(antenna.driven), (segments - 1) / 2};
}

std::vector<int> segmentCounts(const Antenna& antenna, const Segmentation& segmentation) {
    std::vector<int> counts;
    for (const Element& e : antenna.elements) {
        counts.push_back(segmentsOf(e, antenna.wavelength(), segmentation.perWavelength));
    }
    return counts;
}

nec::Deck structureWith(const Antenna& antenna, const std::vector<int>& segments) {
    nec::Deck deck;
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        const Element& e = antenna.elements[i];
        deck.wires.push_back({segments[i],
                              {e.position, -e.length / 2, 0},
                              {e.position, e.length / 2, 0},
                              e.diameter / 2});
    }
    deck.extendedKernel = true;
    deck.source.at = {static_cast<int>(antenna.driven), (segments[antenna.driven] - 1) / 2};
    return deck;
}

double sweepFrequency(double designFrequency, const SweepRange& range, int step) {
    if (range.given()) {
        return range.low + step * (range.high - range.low) / (kSweepSteps - 1);
    }
    const double start = designFrequency * (1 - range.span);
    const double increment = designFrequency * 2 * range.span / (kSweepSteps - 1);
    return step == kSweepSteps / 2 ? designFrequency : start + step * increment;
}

std::optional<int> designStep(const SweepRange& range) {
    if (range.given()) return std::nullopt;
    return kSweepSteps / 2;
}

nec::Deck patternDeck(const Antenna& antenna, const Segmentation& segmentation) {
    nec::Deck deck = structure(antenna, segmentation);
    deck.steps = {{antenna.frequency, {kEPlaneCut, kHPlaneCut}}};
    return deck;
}

nec::PatternCut sphereOf(const Antenna& antenna, double height) {
    double first = std::numeric_limits<double>::infinity();
    double last = -first, widest = 0;
    for (const Element& e : antenna.elements) {
        first = std::min(first, e.position);
        last = std::max(last, e.position);
        widest = std::max(widest, e.length);
    }
    const double across = std::hypot(last - first, widest, 2 * height) / antenna.wavelength();
    int degree = std::max(12, static_cast<int>(std::ceil(2 * std::numbers::pi * across)) + 8);
    degree += degree % 2;  // Clenshaw-Curtis weights for an even count of intervals
    // The upper half of theta and of phi: the antenna lies in the plane z = 0, symmetric
    // about y = 0, so the pattern repeats in the other three quarters.
    const int phis = degree + 2;  // around the whole circle, even
    return {degree / 2 + 1, phis / 2 + 1, 0, 0, 180.0 / degree, 360.0 / phis};
}

nec::Deck levelDeck(const Antenna& antenna, const Segmentation& segmentation) {
    nec::Deck deck = patternDeck(antenna, segmentation);
    // A boom of more than about 140 wavelengths would need more directions than the engine
    // takes in one cut: such an antenna goes without the average gain.
    const nec::PatternCut sphere = sphereOf(antenna);
    if (static_cast<std::size_t>(sphere.thetaCount) * static_cast<std::size_t>(sphere.phiCount) <=
        nec::kMaxPatternPoints) {
        deck.steps[0].cuts.push_back(sphere);
    }
    return deck;
}

nec::Deck sweepDeck(const Antenna& antenna, const Segmentation& segmentation,
                    const std::vector<double>& frequencies) {
    return withSteps(structure(antenna, segmentation), frequencies);
}

nec::Deck withSteps(nec::Deck structure, const std::vector<double>& frequencies) {
    for (const double f : frequencies) structure.steps.push_back({f, {kForwardAndBack}});
    return structure;
}

std::vector<nec::Deck> sharedDecks(const nec::Deck& structure,
                                   const std::vector<double>& frequencies, std::size_t parts) {
    std::vector<nec::Deck> decks;
    parts = std::max<std::size_t>(1, parts);
    for (std::size_t part = 0; part < parts; ++part) {
        const std::size_t begin = frequencies.size() * part / parts;
        const std::size_t end = frequencies.size() * (part + 1) / parts;
        if (begin == end) continue;
        decks.push_back(
            withSteps(structure, {frequencies.begin() + static_cast<std::ptrdiff_t>(begin),
                                  frequencies.begin() + static_cast<std::ptrdiff_t>(end)}));
    }
    return decks;
}

std::vector<nec::Deck> sharedSweepDecks(const Antenna& antenna, const Segmentation& segmentation,
                                        const std::vector<double>& frequencies, std::size_t parts) {
    return sharedDecks(structure(antenna, segmentation), frequencies, parts);
}

nec::Deck wholeDeck(const Antenna& antenna, const Segmentation& segmentation,
                    const std::vector<std::string>& comments, const SweepRange& range) {
    nec::Deck deck = patternDeck(antenna, segmentation);
    deck.comments = comments;
    for (int step = 0; step < kSweepSteps; ++step) {
        deck.steps.push_back({sweepFrequency(antenna.frequency, range, step), {kForwardAndBack}});
    }
    return deck;
}

}  // namespace zeva::analysis
