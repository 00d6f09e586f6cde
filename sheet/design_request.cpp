// SPDX-License-Identifier: MIT
#include "sheet/design_request.h"

#include "sheet/entries.h"

namespace zeva::sheet {

std::optional<Failure> checkBuild(const Construction& construction,
                                  const analysis::MatchRequest& match, Language language) {
    if (construction.mounting != analysis::Mounting::Insulators &&
        !(construction.boomDiameter > 0)) {
        return Failure{say(language, "elements through a metal boom need the boom's diameter")};
    }
    // An element bonded to the boom through it is one continuous tube: no split to feed a
    // hairpin or a coaxial transformer across, and the only kind a gamma or T match suits.
    const bool continuous =
        construction.mounting == analysis::Mounting::Bonded && construction.drivenThroughBoom;
    if (match.rods() && !continuous) {
        return Failure{say(language,
                           "a gamma or T match needs the driven element continuous, bonded to "
                           "the boom through it; a split driven element takes a hairpin or a "
                           "coaxial transformer")};
    }
    if ((match.hairpin || match.coax) && continuous) {
        return Failure{say(language,
                           "a driven element bonded to the boom through it is continuous: it "
                           "takes a gamma or T match, not a hairpin or a coaxial transformer")};
    }
    return analysis::checkMatch(match, language);
}

std::optional<Failure> checkRequest(const DesignRequest& request, Language language) {
    const auto largest = measureOf(request.design.largestDiameter);
    const auto smallest = measureOf(request.design.smallestDiameter);
    if (largest && smallest && *largest < *smallest) {
        return Failure{say(language, "the largest taper diameter is below the smallest")};
    }
    return checkBuild(request.construction, request.match, language);
}

}  // namespace zeva::sheet
