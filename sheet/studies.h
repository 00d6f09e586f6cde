// SPDX-License-Identifier: MIT
// The figures of the studies made after the analysis, as the report prints them: the sweep's
// range and SWR bandwidths, the antenna over ground at its height, and the build tolerance.
#pragma once

#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/rod_advice.h"
#include "analysis/tolerance.h"
#include "analysis/trim_advice.h"

namespace zeva::sheet {

using analysis::Language;

// A figure's label and its text, one line of the report.
struct StudyLine {
    std::string label;
    std::string text;
};

// "±2 %" for a span about the design frequency, "14.000–14.350 MHz" for a range given.
[[nodiscard]] std::string sweepRangeText(const analysis::SweepRange& range);

// The 1.5:1 and 2:1 SWR bandwidths of the analysis' sweep.
[[nodiscard]] std::vector<StudyLine> bandwidthLines(const analysis::Analysis& analysis,
                                                    Language language);
[[nodiscard]] std::vector<StudyLine> overGroundLines(const analysis::OverGround& over,
                                                     Language language);
[[nodiscard]] std::vector<StudyLine> toleranceLines(const analysis::Tolerance& tolerance,
                                                    Language language);
// What the measurement shows, and the trim it asks for or what to check instead.
[[nodiscard]] std::vector<StudyLine> adviceLines(const analysis::TrimAdvice& advice,
                                                 Language language);

// What the measurement shows through a gamma or T match, and how to set its strap and
// capacitor, or what to check instead.
[[nodiscard]] std::vector<StudyLine> rodAdviceLines(const analysis::RodAdvice& advice,
                                                    bool balanced, Language language);

// What the optimiser was asked and did, a line each: the goals, the band, the search; then
// each limit with whether the optimised antenna keeps it and the figure it reaches.
[[nodiscard]] std::vector<StudyLine> optimisationLines(const analysis::Optimisation& o,
                                                       Language language);
// The before/after table, its headings first: each band figure of the start and of the
// optimised antenna, both at their converged segmentation.
[[nodiscard]] std::vector<std::vector<std::string>> optimisationRows(
    const analysis::Optimisation& o, Language language);

// The elevation pattern as SVG elements: a half polar plot 840 wide and kElevationSvgHeight
// high, its top at y, the horizon ahead to the right.
inline constexpr double kElevationSvgHeight = 340;
[[nodiscard]] std::string elevationSvg(const analysis::OverGround& over, double y,
                                       Language language);

}  // namespace zeva::sheet
