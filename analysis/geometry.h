// SPDX-License-Identifier: MIT
// An antenna as the analysis sees it: straight elements across a boom, in metres, and the
// design frequency. It comes from a design of the engine or from a JSON file of the user's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/message.h"
#include "analysis/tubes.h"

namespace zeva::analysis {

inline constexpr double kSpeedOfLight = 299.792458;  // metres per microsecond: λ = c / MHz

struct Element {
    std::string name;
    double length = 0;    // metres, tip to tip
    double position = 0;  // metres along the boom
    double diameter = 0;  // metres
    // An element of telescoping tubes, from the centre outwards on one side; the length and
    // diameter above are then its substitute's, the uniform wire that the model solves.
    std::vector<Tube> sections = {};
};

// The length of an element as built: twice its tubes where it has them.
[[nodiscard]] double builtLength(const Element& element);

struct Antenna {
    double frequency = 0;  // MHz
    std::vector<Element> elements;
    std::size_t driven = 0;  // index of the fed element

    [[nodiscard]] double wavelength() const { return kSpeedOfLight / frequency; }
};

// An element's part in the beam, by where it stands: "driven", "reflector" behind the driven
// element, "director" ahead of it.
[[nodiscard]] const char* roleOf(const Antenna& antenna, std::size_t element);

// The antenna as a JSON object: frequency_mhz, unit ("m"), and each element's name, role,
// length, position and diameter, the driven one marked "driven": true.
[[nodiscard]] std::string geometryJson(const Antenna& antenna, int indent);

// Reads a geometry written by geometryJson, or by hand: the object itself, or any object
// that holds it under "geometry" (as zeva-sheet's JSON does). Lengths may be given in m, cm,
// mm, in or ft, as "unit" says (it must say). An element of telescoping tubes gives
// "sections" instead of its diameter, each with diameter_m and length_m (metres, on one side
// from the centre outwards), its length then twice their sum; it is solved as its substitute
// uniform element. A fault names the line or the field.
[[nodiscard]] std::variant<Antenna, Failure> readGeometry(std::string_view text, Language language);

}  // namespace zeva::analysis
