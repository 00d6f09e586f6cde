// SPDX-License-Identifier: MIT
// The cut sheet: every element of a design written out one by one, with the very figures
// that the main window shows, the converter's tape reading, and positions along the boom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/geometry.h"
#include "engine/design.h"
#include "engine/result.h"
#include "sheet/design_request.h"

namespace zeva::sheet {

// A length as a whole number of millionths, so that sums of the shown figures are exact.
using Micro = std::int64_t;

struct SheetElement {
    std::string name;  // "反射器", "引向器 5" (or "reflector", "director 5")
    std::string feet;  // the main window's figure (six characters at most), or the optimiser's
    std::string centimetres;
    std::string tape;         // the converter's reading: 3' 3 47/64"
    std::string spacingFeet;  // from the element before; empty for the reflector
    std::string spacingCentimetres;
    std::string positionFeet;  // from the reflector: the sum of the spacings shown
    std::string positionCentimetres;
    // With a boom correction: the length to cut, the design length electrically once the
    // element passes through the boom; empty without one.
    std::string cutFeet;
    std::string cutCentimetres;
    std::string cutTape;
    // Full precision, in metres, for the NEC-2 model.
    double lengthMetres = 0;
    double positionMetres = 0;
};

// The driven element's place in the sheet: it follows the reflector.
inline constexpr std::size_t kDrivenIndex = 1;

// One element's tubes as they are cut, from the boom outwards.
struct ElementTubes {
    std::string name;
    double length = 0;  // metres, tip to tip, of the uniform element it works as
    std::vector<analysis::TubeCut> tubes;
    double resistanceRatio = 1;  // its radiation resistance over its uniform element's
};

// The tubes of every element and the stock they come from, where a schedule was given.
struct TubeList {
    analysis::TubeSchedule schedule;
    std::vector<ElementTubes> elements;
    std::vector<analysis::StockUse> stock;
};

struct CutSheet {
    DesignRequest request;
    Language language = Language::Chinese;  // of the names and notes
    std::vector<SheetElement> elements;
    std::string boomFeet;
    std::string boomCentimetres;
    double diameterInches = 0;      // of the model's wires: b, or the taper's mean
    bool tapered = false;           // the largest and smallest diameters differ
    double boomCorrection = 0;      // metres added to each element through the boom
    double boomWavelengths = 0;     // the boom's diameter over the wavelength, with a correction
    std::optional<TubeList> tubes;  // with a tube schedule: see applyTubes()
};

// The sheet of a design; an engine error is returned as it is.
[[nodiscard]] Result<CutSheet> makeCutSheet(const DesignRequest& request, Language language);

// The cut lengths of the elements that pass through the boom, as the request says they are
// mounted; a refusal where the boom is beyond the correction's fits.
[[nodiscard]] std::optional<Failure> applyBoomCorrection(CutSheet& sheet);

// Every element's tubes: the schedule's tip solved so that the element works as its wire in
// the model, the driven element at the length its match asks for where one does (metres, tip
// to tip), the centre tube lengthened by the boom correction; the stock they are cut from.
// A refusal that names the element where the schedule cannot make it.
[[nodiscard]] std::optional<Failure> applyTubes(CutSheet& sheet,
                                                std::optional<double> drivenLength = {});

// The driven element's length, tip to tip, that the tuning's match asks to be cut: the
// hairpin's shortened element, the transformer's or the gamma's or T's resonant one; none for
// a direct feed, which keeps the design's.
[[nodiscard]] std::optional<double> matchedDrivenLength(const analysis::Tuning& tuning);

// The converter's reading of a decimal-feet figure, as a tape shows it: 3' 3 47/64".
[[nodiscard]] std::string tapeOf(const std::string& feet);

// The design as the analysis models it: each element a straight wire of its full-precision
// length at its position, of the model's diameter, fed at the driven element; at the
// frequency typed.
[[nodiscard]] analysis::Antenna antennaOf(const CutSheet& sheet);

// The sheet of the same design with the elements of an antenna (the optimiser's): each
// length and spacing written from its metres, to 4 decimals of a foot and 2 of a centimetre,
// the positions the sums of the spacings shown; the cut lengths cleared, for
// applyBoomCorrection() to work out again.
[[nodiscard]] CutSheet withAntenna(const CutSheet& sheet, const analysis::Antenna& antenna);

// "1.8085" as 1808500 millionths, and back with a given count of decimals (at most 6).
[[nodiscard]] Micro microOf(const std::string& figure);
[[nodiscard]] std::string figureOf(Micro value, int decimals);

}  // namespace zeva::sheet
