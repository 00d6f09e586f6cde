// NEC-2 decks of an antenna: each element one straight wire across the boom (the boom along
// +x, the elements along y, centred on it), in free space, fed at the middle segment of the
// driven element.
#pragma once

#include <string>
#include <vector>

#include "analysis/geometry.h"
#include "nec/deck.h"

namespace zeva::analysis {

// The impedance is swept over the design frequency ±2 % in 21 steps, the design frequency
// the middle one.
inline constexpr int kSweepSteps = 21;
inline constexpr double kSweepSpan = 0.02;

// How finely the wires are cut: every element gets the odd count of segments nearest to
// perWavelength segments a wavelength, so that segment lengths are alike across elements
// and the feed sits on a middle segment.
// Every deck uses the extended thin-wire kernel (EK): it holds for segments down to two
// radii, where the plain kernel needs eight, and one kernel on every level keeps the steps of
// a refinement comparable.
struct Segmentation {
    int perWavelength = 50;
};

[[nodiscard]] int segmentsOf(const Element& element, double wavelength, int perWavelength);
[[nodiscard]] int totalSegments(const Antenna& antenna, int perWavelength);

// The frequency of sweep step 0 to kSweepSteps - 1, MHz.
[[nodiscard]] double sweepFrequency(double designFrequency, int step);

// The design frequency alone, with both pattern cuts one degree apart: the E-plane (theta 90,
// the plane of the elements, phi 0 to 360) and the H-plane (phi 0, theta 0 to 360).
[[nodiscard]] nec::Deck patternDeck(const Antenna& antenna, const Segmentation& segmentation);

// The given frequencies, each with the gain towards the directors and straight back.
[[nodiscard]] nec::Deck sweepDeck(const Antenna& antenna, const Segmentation& segmentation,
                                  const std::vector<double>& frequencies);

// The feed segment of the antenna's deck at this segmentation.
[[nodiscard]] nec::SegmentRef feedSegment(const Antenna& antenna, const Segmentation& segmentation);

// Everything in one deck, for the user to run: the patterns, then the whole sweep.
[[nodiscard]] nec::Deck wholeDeck(const Antenna& antenna, const Segmentation& segmentation,
                                  const std::vector<std::string>& comments);

}  // namespace zeva::analysis
