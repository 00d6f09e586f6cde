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
