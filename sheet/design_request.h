// SPDX-License-Identifier: MIT
// What the user asks to have designed, whichever front end asks: the design (the main
// window's entries, or zeva-sheet's), how it is built on the boom, and the match; checked
// once for both.
#pragma once

#include <optional>
#include <string>

#include "analysis/build.h"
#include "analysis/message.h"
#include "analysis/tubes.h"
#include "analysis/tuner.h"
#include "engine/design.h"

namespace zeva::sheet {

using analysis::Failure;
using analysis::Language;

struct Design {
    ElementMode mode = ElementMode::MultiElement;
    std::string frequency;              // MHz, as typed
    int diameterIndex = -1;             // into DiameterCatalogue
    std::string largestDiameter = "1";  // inches, of a tapered element
    std::string smallestDiameter = "1";

    friend bool operator==(const Design&, const Design&) = default;
};

// How the elements are mounted on the boom.
struct Construction {
    bool mountingGiven = false;  // the user said how: the sheet says so too
    analysis::Mounting mounting = analysis::Mounting::Insulators;
    double boomDiameter = 0;  // metres
    bool drivenThroughBoom = false;
    // Elements of telescoping tubes: the schedule every element is made of, where given.
    std::optional<analysis::TubeSchedule> tubes;
};

struct DesignRequest {
    Design design;
    Construction construction;
    analysis::MatchRequest match;  // with the analysis: the trim always, the matches asked for
};

// Why the construction and the match cannot be built as asked: elements through a boom of
// no diameter, a match that cannot be made. Nothing where they can.
[[nodiscard]] std::optional<Failure> checkBuild(const Construction& construction,
                                                const analysis::MatchRequest& match,
                                                Language language);

// The same, and a taper whose largest diameter is below its smallest (which the main window's
// calculation takes as it is typed, and the command line refuses).
[[nodiscard]] std::optional<Failure> checkRequest(const DesignRequest& request, Language language);

}  // namespace zeva::sheet
