// SPDX-License-Identifier: MIT
// The antenna in its place: the elements horizontal at a height above the ground, perfectly
// conducting or real ground in NEC-2's reflection-coefficient approximation, solved at the
// converged segmentation: the feed there and the pattern in the vertical plane of the boom.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/analyser.h"
#include "nec/deck.h"

namespace zeva::analysis {

// Real ground as the reflection coefficient sees it.
struct GroundPreset {
    const char* name;     // as the command line takes it
    const char* title;    // as the reports say it, for the catalogue
    double permittivity;  // relative
    double conductivity;  // S/m
};
inline constexpr GroundPreset kGroundPresets[] = {
    {"poor", N_("poor ground"), 5, 0.001},
    {"average", N_("average ground"), 13, 0.005},
    {"good", N_("good ground"), 20, 0.03},
    {"sea", N_("sea water"), 80, 5},
};

// The reflection-coefficient ground holds from about this many wavelengths up; nearer the
// ground the currents feel the soil, which only a Sommerfeld solution models.
inline constexpr double kMinHeightOverRealGround = 0.1;
// Over a perfect ground the images are exact, down to heights where the elements nearly
// touch their images.
inline constexpr double kMinHeightOverPerfectGround = 0.01;
// Between the lowest height and this many wavelengths the reflection coefficient still
// holds, but it differs from a Sommerfeld solution by up to 10 ohms and 0.7 dB at 0.1
// wavelength (a dipole over average ground): the figures carry a caution.
inline constexpr double kCautionHeight = 0.25;
// Higher up the elevation pattern's lobes crowd below the resolution of its cut.
inline constexpr double kMaxHeight = 10;
// The elevation cut's step, degrees.
inline constexpr double kElevationStep = 0.25;

struct Placement {
    double height = 0;  // metres, of the boom above the ground
    nec::Ground ground;

    friend bool operator==(const Placement&, const Placement&) = default;
};

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
    bool nearTheGround = false;  // real ground below kCautionHeight: figures to take roughly
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

// The figures of the elevation cut over phi 0 then phi 180, theta 0 to 90 each.
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
