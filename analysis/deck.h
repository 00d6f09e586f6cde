// SPDX-License-Identifier: MIT
// NEC-2 decks of an antenna: each element one straight wire across the boom (the boom along
// +x, the elements along y, centred on it), in free space, fed at the middle segment of the
// driven element.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/geometry.h"
#include "nec/deck.h"

namespace zeva::analysis {

// The impedance is swept in 21 steps: by default over the design frequency ±2 %, the design
// frequency the middle step; at most ±10 %; or over a range the user gives.
inline constexpr int kSweepSteps = 21;
inline constexpr double kSweepSpan = 0.02;
inline constexpr double kMaxSweepSpan = 0.10;

struct SweepRange {
    double span = kSweepSpan;  // ± this fraction of the design frequency, without a range
    double low = 0, high = 0;  // MHz: the range given, where high > low

    [[nodiscard]] bool given() const { return high > low; }
};

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
[[nodiscard]] double sweepFrequency(double designFrequency, const SweepRange& range, int step);
// The step at the design frequency itself: the middle one of a span, none of a range given.
[[nodiscard]] std::optional<int> designStep(const SweepRange& range);

// The cuts the figures are read from: the E-plane (theta 90, phi 0 to 360) and the H-plane
// (phi 0, theta 0 to 360), both a degree apart.
inline const nec::PatternCut kEPlaneCut{1, 361, 90, 0, 0, 1};
inline const nec::PatternCut kHPlaneCut{361, 1, 0, 0, 1, 0};

// The design frequency alone, with both pattern cuts one degree apart: the E-plane (theta 90,
// the plane of the elements, phi 0 to 360) and the H-plane (phi 0, theta 0 to 360).
[[nodiscard]] nec::Deck patternDeck(const Antenna& antenna, const Segmentation& segmentation);

// The sphere, fine enough that the power pattern's integral over it is exact: a power
// pattern of an antenna L wavelengths across holds spherical harmonics of degree up to about
// 2πL, and a grid of N + 1 theta steps from 0 to 180 degrees (weighted by Clenshaw and
// Curtis) and N + 2 phi steps around integrates up to degree N exactly. N is that degree with
// a margin, even, at least 12. The antenna lies in the plane z = 0, symmetric about y = 0 (as
// every antenna the analysis builds does), so only theta 0 to 90 and phi 0 to 180 are taken.
// Over a ground at a height its image makes the antenna 2 h taller, and the same grid covers
// the upper half space, where all the power goes.
[[nodiscard]] nec::PatternCut sphereOf(const Antenna& antenna, double height = 0);
// A level of the refinement: the pattern deck with the sphere as its third cut.
[[nodiscard]] nec::Deck levelDeck(const Antenna& antenna, const Segmentation& segmentation);

// Towards the directors (phi 0) and straight back (phi 180), in the plane of the elements.
inline const nec::PatternCut kForwardAndBack{1, 2, 90, 0, 0, 180};

// A structure solved at the given frequencies, each with that cut.
[[nodiscard]] nec::Deck withSteps(nec::Deck structure, const std::vector<double>& frequencies);

// A structure's decks for the given frequencies, each with that cut, shared as below.
[[nodiscard]] std::vector<nec::Deck> sharedDecks(const nec::Deck& structure,
                                                 const std::vector<double>& frequencies,
                                                 std::size_t parts);

// The given frequencies, each with the gain towards the directors and straight back.
[[nodiscard]] nec::Deck sweepDeck(const Antenna& antenna, const Segmentation& segmentation,
                                  const std::vector<double>& frequencies);

// The frequencies shared among that many decks, each a run of them in order, so that each
// deck can go to a process of its own; no deck is empty.
[[nodiscard]] std::vector<nec::Deck> sharedSweepDecks(const Antenna& antenna,
                                                      const Segmentation& segmentation,
                                                      const std::vector<double>& frequencies,
                                                      std::size_t parts);

// The feed segment of the antenna's deck at this segmentation.
[[nodiscard]] nec::SegmentRef feedSegment(const Antenna& antenna, const Segmentation& segmentation);

// Everything in one deck, for the user to run: the patterns, then the whole sweep.
[[nodiscard]] nec::Deck wholeDeck(const Antenna& antenna, const Segmentation& segmentation,
                                  const std::vector<std::string>& comments,
                                  const SweepRange& range = {});

// The segments of each element at this segmentation.
[[nodiscard]] std::vector<int> segmentCounts(const Antenna& antenna,
                                             const Segmentation& segmentation);
// The antenna's wires cut into the given counts of segments, fed at the middle of the driven
// element, without steps: a study of small changes to an antenna keeps its segments, so that
// what it sees is the change and not a segment more or less.
[[nodiscard]] nec::Deck structureWith(const Antenna& antenna, const std::vector<int>& segments);

}  // namespace zeva::analysis
