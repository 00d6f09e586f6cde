// SPDX-License-Identifier: MIT
// The figures as lines of a label and a text, the same in the text table, the CSV and the
// design window; and the sheet's own lines. Internal to the output library.
#pragma once

#include <string>
#include <vector>

#include "sheet/labels.h"
#include "sheet/render.h"

namespace zeva::sheet {

struct FigureLine {
    std::string label;
    std::string text;
};

// Every figure line of a report: the analysis', the taper's caution, the trim's and matches'.
[[nodiscard]] std::vector<FigureLine> reportLines(const analysis::Analysis& analysis,
                                                  const analysis::Tuning* tuning,
                                                  const CutSheet* sheet, const Labels& say);
// The figures of the studies after the analysis: over the ground, the build tolerance.
[[nodiscard]] std::vector<FigureLine> studyLines(const Report& report);
// A sweep step's cells: frequency, resistance, reactance, SWR, gain, F/B.
[[nodiscard]] std::vector<std::string> sweepCells(const analysis::SweepPoint& p);
[[nodiscard]] bool hasCutLengths(const CutSheet& sheet);
// How the elements are mounted and the boom correction, where the user said; empty otherwise.
[[nodiscard]] std::string boomLine(const CutSheet& sheet, const Labels& say);

}  // namespace zeva::sheet
