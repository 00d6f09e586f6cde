// SPDX-License-Identifier: MIT
// The gamma and T matches of a driven element that is one continuous tube bonded to a metal
// boom: a rod beside the element (a T match has one on each side), joined to it by a shorting
// strap, fed at its inner end through a series capacitor. The rods and straps are wires of
// the NEC-2 model beside the element's, their segments aligned with the element's.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/deck.h"
#include "analysis/geometry.h"
#include "analysis/message.h"

namespace zeva::analysis {

struct RodShape {
    bool balanced = false;   // a T match: rods on both sides, fed between their inner ends
    double strap = 0;        // metres from the element's centre to the strap, along it
    double spacing = 0;      // metres, rod to element, centre to centre
    double rodDiameter = 0;  // metres
};

// The rod a builder takes when none is given: this fraction of the element's diameter, at
// this many of the element's diameters from it.
inline constexpr double kRodOfElement = 0.4;
inline constexpr double kSpacingInElements = 5;

// The thin-wire model puts each wire's current on its axis. Two parallel wires close together
// carry it nearer each other's side instead: the line they make has the impedance
// 60·acosh((D² − a² − b²) / (2ab)) and not the thin-wire 60·ln(D² / (ab)). The model is taken
// to hold while the two differ by at most this fraction.
inline constexpr double kParallelWireError = 0.02;
// The thin-wire line impedance over the exact one, less 1, for radii a and b at spacing d.
[[nodiscard]] double parallelWireError(double spacing, double radiusA, double radiusB);
// The least spacing, centre to centre, at which the model holds for these radii.
[[nodiscard]] double leastRodSpacing(double radiusA, double radiusB);

// Why a rod of this diameter at this spacing cannot match an element of that diameter and
// length: thicker than the element, touching it, too close for the model, or a spacing as
// wide as the element is long.
[[nodiscard]] std::optional<Failure> checkRods(double rodDiameter, double spacing,
                                               double elementDiameter, double elementLength,
                                               Language language);

// The segments of the driven element's parts: beside the rods (odd for a T, where the source
// sits on the middle one), and beyond the straps on each side. A search over the strap's place
// holds them, so that the segments stretch with the strap and the figures move smoothly.
struct RodSegments {
    int inner = 1;
    int outer = 1;

    friend bool operator==(const RodSegments&, const RodSegments&) = default;
};
// The counts that keep the element's segment length for this strap.
[[nodiscard]] RodSegments rodSegments(const Antenna& antenna, const std::vector<int>& segments,
                                      const RodShape& shape);

// The antenna's wires with the driven element cut at its centre and its straps, and the rods
// and straps beside it; fed on the wire from the element's centre to the gamma rod, or in the
// middle of the T's rod. The other elements keep the counts of `segments`.
[[nodiscard]] nec::Deck rodStructure(const Antenna& antenna, const std::vector<int>& segments,
                                     const RodShape& shape, RodSegments parts);

// The folded-section line model of the match, as the standard references give it: in the
// antenna mode the rod and the element share the element's current as their charges share a
// potential, which steps the element's centre impedance up by (1 + ln(D/a)/ln(D/b))² (a the
// rod's radius, b the element's, D the spacing); in the line mode the rod and the element are
// a line of 60·acosh((D² − a² − b²)/(2ab)) ohms shorted at the strap. A T's port sees the two
// in parallel, the stub's line once on each side; a gamma is half a T. The element's centre
// impedance is that of the element alone, cut as the match has it, at f MHz.
[[nodiscard]] std::complex<double> lineModelPort(const RodShape& shape, double elementDiameter,
                                                 std::complex<double> element, double frequency);
// The strap of the line model nearest the centre where the port's resistance is `target`,
// within the element's half length and short of the quarter wave where the stub's line turns
// capacitive; nothing where none is.
[[nodiscard]] std::optional<double> lineModelStrap(RodShape shape, double elementDiameter,
                                                   double halfLength, std::complex<double> element,
                                                   double frequency, double target);

// The capacitance, pF, whose reactance at f MHz is -x ohms; and the reactance of c pF there.
[[nodiscard]] double seriesCapacitance(double reactance, double frequency);
[[nodiscard]] double capacitorReactance(double capacitance, double frequency);
// The capacitor of the E12 series nearest to c pF (by ratio).
[[nodiscard]] double nearestStandardCapacitance(double capacitance);

}  // namespace zeva::analysis
