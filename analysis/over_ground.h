// SPDX-License-Identifier: MIT
// The antenna in its place: the elements horizontal at a height above the ground, perfectly
// conducting or real ground (by Sommerfeld's integrals near it, by reflection coefficients
// higher up), solved at the converged segmentation: the feed there, the pattern in the
// vertical plane of the boom, and the power radiated over the ground.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/analyser.h"
#include "nec/deck.h"

namespace zeva::analysis {

// Real ground by its permittivity and conductivity, and where NEC-2's two models of it part:
// below `sommerfeldBelow` wavelengths the reflection-coefficient model differs from the
// Sommerfeld-Norton one by more than 0.5 ohm or 0.1 dB for some beam (measured with a nec2c
// whose attenuation function is right, on beams of 2 to 23 elements, heights 0.05 to 1
// wavelength: scripts/ground_models.py), so the
// ground is solved by Sommerfeld's integrals there and by reflection coefficients above.
struct GroundPreset {
    const char* name;     // as the command line takes it
    const char* title;    // as the reports say it, for the catalogue
    double permittivity;  // relative
    double conductivity;  // S/m
    double sommerfeldBelow;
    bool measured;  // whether that limit was measured over this ground, or is a margin
};
// A ground that was not measured takes a limit above the measured ones, as a margin.
inline constexpr double kSommerfeldBelow = 1.0;
inline constexpr GroundPreset kGroundPresets[] = {
    {"poor", N_("poor ground"), 5, 0.001, 0.75, true},
    {"average", N_("average ground"), 13, 0.005, 0.75, true},
    {"good", N_("good ground"), 20, 0.03, 0.75, true},
    {"sea", N_("sea water"), 80, 5, kSommerfeldBelow, false},
};

// The lowest height measured against nec2c over real ground; the balance of power (below)
// catches a model that fails above it.
inline constexpr double kMinHeightOverRealGround = 0.05;
// Over a perfect ground the images are exact, down to heights where the elements nearly
// touch their images.
inline constexpr double kMinHeightOverPerfectGround = 0.01;
// The power radiated into the upper half space may exceed the input power by no more than
// the pattern's integration error; beyond, the model has failed.
inline constexpr double kRadiatedTolerance = 0.02;
// Higher up the elevation pattern's lobes crowd below the resolution of its cut.
inline constexpr double kMaxHeight = 10;
// The elevation cut's step, degrees.
inline constexpr double kElevationStep = 0.25;

struct Placement {
    double height = 0;   // metres, of the boom above the ground
    nec::Ground ground;  // its `sommerfeld` is chosen by the height, not by the caller

    friend bool operator==(const Placement&, const Placement&) = default;
};

// The height (wavelengths) below which real ground is solved by Sommerfeld's integrals, and
// whether it was measured over that ground (a preset) or is the margin of one that was not.
[[nodiscard]] double sommerfeldLimit(const nec::Ground& ground);
[[nodiscard]] bool sommerfeldLimitMeasured(const nec::Ground& ground);
// Whether real ground at this height (wavelengths) is solved by Sommerfeld's integrals.
[[nodiscard]] bool sommerfeldAt(const nec::Ground& ground, double heightWavelengths);

// The least conductivity of a ground, S/m: dry ice conducts about this much, and below it
// a permittivity of 1 would be no ground at all, which the reflection of the far field cannot
// take (it divides nothing by nothing at the horizon).
inline constexpr double kLeastConductivity = 1e-6;

// The ground as the command line names it: a preset, "perfect", or "EPS,SIGMA" (S/m).
[[nodiscard]] std::optional<nec::Ground> groundNamed(std::string_view text);
// The ground's name for the user with its figures: "average ground (ε 13, σ 0.005 S/m)".
[[nodiscard]] std::string groundName(const nec::Ground& ground, Language language);
// The ground as JSON names it: a preset's name, "perfect" or "EPS,SIGMA".
[[nodiscard]] std::string groundKey(const nec::Ground& ground);

struct ElevationPoint {
    double elevation = 0;  // degrees above the horizon towards the directors, 90 the zenith,
                           // on to 180 at the horizon behind
    double gain = 0;       // dBi
};

struct OverGround {
    Placement placement;
    double heightWavelengths = 0;
    bool nearTheGround = false;  // real ground solved by Sommerfeld's integrals (sommerfeldAt)
    double radiated = 0;         // power radiated into the upper half space over the input; NaN
                                 // where the antenna is too large for the grid of directions
    double takeoff = 0;          // degrees: elevation of the strongest radiation forward
    double gain = 0;             // dBi there
    double beamwidth = 0;        // degrees between the -3 dB points; NaN where one is missing
    double frontToBack = 0;      // dB, against the same elevation behind
    Impedance feed;              // over the ground
    double swr = 0;
    std::vector<ElevationPoint> elevation;
};

// Why the antenna cannot be placed there, in the model's terms; nothing where it can.
[[nodiscard]] std::optional<Failure> checkPlacement(const Antenna& antenna,
                                                    const Placement& placement, Language language);

// The deck: the antenna at the height, the ground, the elevation cut at the design frequency.
[[nodiscard]] nec::Deck overGroundDeck(const Antenna& antenna, const Segmentation& segmentation,
                                       const Placement& placement);

// The figures of the elevation cut over phi 0 then phi 180, theta 0 to 90 each, and of the
// upper half space's grid (sphereOf with the height); refused where the power balance fails.
[[nodiscard]] std::variant<OverGround, Failure> overGroundFigures(const FrequencyResult& result,
                                                                  const Placement& placement,
                                                                  double wavelength,
                                                                  Language language);

class GroundStudy final : public Study<OverGround> {
public:
    GroundStudy(const Antenna& antenna, const Analysis& analysis, Placement placement,
                Language language);

private:
    void step(const std::vector<DeckResults>& results) override;
    Placement placement_;
    double wavelength_;
};

[[nodiscard]] std::variant<OverGround, Failure> studyOverGround(const Antenna& antenna,
                                                                const Analysis& analysis,
                                                                const Placement& placement,
                                                                Runner& runner, Language language);

}  // namespace zeva::analysis
