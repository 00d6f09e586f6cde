// SPDX-License-Identifier: MIT
// Elements of telescoping tubes: the schedule of tubes from the boom outwards, the uniform
// element that a stepped one works as, the tip that makes it the element the design asks
// for, and what to cut.
//
// A wire whose radius steps is where NEC-2's thin-wire model goes wrong: the charge at a step
// is put in the wrong place, and stepped wires read several per cent low in frequency. The
// stepped element is therefore replaced by a uniform element that works as it does (Leeson's
// substitute element): each tube is a section of transmission line of Schelkunoff's average
// characteristic impedance ln(h/a) − 1 (h the element's half length, a the tube's radius),
// open at the tip, and the sections are followed from the tip inwards. The substitute is taken
// at the stepped line's own resonance, where it does not depend on the substitute's impedance,
// and holds near half-wave resonance, where the element's radiation is nearly its
// substitute's.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "analysis/message.h"

namespace zeva::analysis {

struct Tube {
    double diameter = 0;  // metres, outside
    double length = 0;    // metres exposed on one side; the centre tube's from the centre
};

// The usual telescoping series: tubes of 0.058 in wall stepping by 1/8 in, 3 in overlaps.
inline constexpr double kInchWall = 0.058 * 0.0254;
inline constexpr double kInchOverlap = 3 * 0.0254;

// An element's tubes from the centre outwards, one side: the centre tube (across the boom,
// half of it on each side), then each tube that slides into the one before; the last, the
// tip, has its length solved.
struct TubeSchedule {
    std::vector<Tube> tubes;
    double overlap = kInchOverlap;  // metres of each tube inside the one before
    double wall = kInchWall;        // metres, of every tube
    std::vector<double> stock = {6 * 0.3048, 12 * 0.3048};  // lengths sold, metres
};

// What a workshop works to: overlaps, walls and stock lengths beyond these are refused.
inline constexpr double kLeastOverlap = 0.005;
inline constexpr double kLongestOverlap = 0.5;
inline constexpr double kThinnestWall = 0.0002;
inline constexpr double kThickestWall = 0.01;
inline constexpr double kShortestStock = 0.5;
inline constexpr double kLongestStock = 13;

// The schedule's faults that no element decides: a tube that does not slide into the one
// before it (no narrower, or its wall leaves no room), an overlap not shorter than a fixed
// tube, a tube too thick for the thin-wire model at that frequency, a taper beyond what the
// substitute element was checked for. Nothing where the schedule can be built.
[[nodiscard]] std::optional<Failure> checkSchedule(const TubeSchedule& schedule, double frequency,
                                                   Language language);

// The largest over the smallest diameter that the substitute element is held to: the
// full-wave reference of stepped elements reaches 2:1.
inline constexpr double kMaxTaperRatio = 2.0;
// Beyond it by more than a rounding: 1.25 in over 0.625 in is 2:1.
[[nodiscard]] inline bool beyondTaper(double largest, double smallest) {
    return largest / smallest > kMaxTaperRatio * (1 + 1e-9);
}
// How far from half-wave resonance an element may be for the substitute to hold.
inline constexpr double kMaxResonanceOffset = 0.15;

// The length, tip to tip, of the uniform element of that diameter which resonates with the
// stepped element whose half is given (every tube's length set), near that frequency (MHz):
// the stepped line's half wave, shortened as much as a wire of the tubes' diameter averaged
// by the square of the line's voltage (the tips count most) and lengthened back as much as a
// wire of that diameter.
[[nodiscard]] double substituteLength(std::span<const Tube> half, double diameter,
                                      double frequency);

// The stepped element's radiation resistance at its own resonance over a uniform element's at
// its own: the substitute matches the resonance alone, and a stepped element carries its
// current differently. Each tube a section of line of Schelkunoff's average impedance, open at
// the tip; the current that the sections carry at their resonance radiates, and the power it
// radiates is referred to the current at the feed. 1 for a uniform element; above 1 where the
// tubes thin towards the tips, below 1 where they thicken.
[[nodiscard]] double resistanceRatio(std::span<const Tube> half);

// The length, tip to tip, at which a uniform element of that diameter resonates at that
// frequency, by Schelkunoff's average characteristic impedance and the half-wave dipole's
// 42.5 ohms of reactance: a guide of about a per cent, for telling how far from resonance an
// element is.
[[nodiscard]] double resonantLength(double diameter, double frequency);

// The element's half with the tip's length solved, so that it works as the uniform element
// of that length and diameter: refused, naming the element, where the fixed tubes are already
// longer, where the tip would be shorter than its overlap or longer than the longest stock
// allows, or where the element is too far from resonance for the substitute.
[[nodiscard]] std::variant<std::vector<Tube>, Failure> solveTip(const TubeSchedule& schedule,
                                                                double length, double diameter,
                                                                double frequency,
                                                                const std::string& element,
                                                                Language language);

// The length, tip to tip, of the stepped element whose half is given once its tip is cut so
// that it works as the uniform element of that length and diameter; NaN where even no tip at
// all is too long.
[[nodiscard]] double builtFor(std::span<const Tube> half, double diameter, double frequency,
                              double substitute);

// One tube of an element as it is cut. Lengths in metres.
struct TubeCut {
    double diameter = 0;
    double wall = 0;
    double cut = 0;      // the length to cut
    double exposed = 0;  // outside the tube before (the centre tube: all of it)
    double overlap = 0;  // inside the tube before; none for the centre tube
    double reach = 0;    // its outer end from the boom's centre
    int pieces = 0;      // for the whole element: a centre tube once (twice where it is split)
};

// The tubes of one element: the centre tube lengthened by the boom correction (metres added
// to the whole element), cut in two where the element is split at its feed.
[[nodiscard]] std::vector<TubeCut> cutTubes(std::span<const Tube> half,
                                            const TubeSchedule& schedule, double correction,
                                            bool split);

// Tubes of one size, as they come from the stock lengths.
struct StockUse {
    double diameter = 0;
    double wall = 0;
    int pieces = 0;
    double total = 0;          // metres of tube cut
    std::vector<int> lengths;  // how many of each stock length, as the schedule lists them
    double offcut = 0;         // metres left over
};

// What a saw takes between two pieces cut from one length, metres.
inline constexpr double kSawCut = 0.003;

// Every size of tube, largest first: its cuts packed into stock lengths, each length filled
// longest cut first (a saw's cut between pieces), then the shortest stock length that holds what it
// took; a refusal where a cut is longer than the longest stock.
[[nodiscard]] std::variant<std::vector<StockUse>, Failure> stockList(
    const std::vector<std::vector<TubeCut>>& elements, const std::vector<double>& stock,
    Language language);

}  // namespace zeva::analysis
