// SPDX-License-Identifier: MIT
#include "analysis/deck.h"

#include <cmath>

namespace zeva::analysis {
namespace {

nec::Deck structure(const Antenna& antenna, const Segmentation& segmentation) {
    nec::Deck deck;
    const double wavelength = antenna.wavelength();
    for (const Element& e : antenna.elements) {
        const int segments = segmentsOf(e, wavelength, segmentation.perWavelength);
        deck.wires.push_back({segments,
                              {e.position, -e.length / 2, 0},
                              {e.position, e.length / 2, 0},
                              e.diameter / 2});
    }
    deck.extendedKernel = true;
    deck.source.at = feedSegment(antenna, segmentation);
    return deck;
}

// E-plane: theta 90, phi 0 to 360; H-plane: phi 0, theta 0 to 360; both a degree apart.
const nec::PatternCut kEPlane{1, 361, 90, 0, 0, 1};
const nec::PatternCut kHPlane{361, 1, 0, 0, 1, 0};
// Towards the directors (phi 0) and straight back (phi 180).
const nec::PatternCut kForwardAndBack{1, 2, 90, 0, 0, 180};

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

double sweepFrequency(double designFrequency, int step) {
    const double start = designFrequency * (1 - kSweepSpan);
    const double increment = designFrequency * 2 * kSweepSpan / (kSweepSteps - 1);
    return step == kSweepSteps / 2 ? designFrequency : start + step * increment;
}

nec::Deck patternDeck(const Antenna& antenna, const Segmentation& segmentation) {
    nec::Deck deck = structure(antenna, segmentation);
    deck.steps = {{antenna.frequency, {kEPlane, kHPlane}}};
    return deck;
}

nec::Deck sweepDeck(const Antenna& antenna, const Segmentation& segmentation,
                    const std::vector<double>& frequencies) {
    nec::Deck deck = structure(antenna, segmentation);
    for (const double f : frequencies) deck.steps.push_back({f, {kForwardAndBack}});
    return deck;
}

nec::Deck wholeDeck(const Antenna& antenna, const Segmentation& segmentation,
                    const std::vector<std::string>& comments) {
    nec::Deck deck = patternDeck(antenna, segmentation);
    deck.comments = comments;
    for (int step = 0; step < kSweepSteps; ++step) {
        deck.steps.push_back({sweepFrequency(antenna.frequency, step), {kForwardAndBack}});
    }
    return deck;
}

}  // namespace zeva::analysis
