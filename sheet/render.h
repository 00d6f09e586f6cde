// SPDX-License-Identifier: MIT
// The cut sheet or an antenna of the user's, with its analysis, as an aligned text table, CSV
// or JSON; the patterns as an SVG plot; the files of one run written together.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "analysis/trim_advice.h"
#include "sheet/columns.h"
#include "sheet/cut_sheet.h"

namespace zeva::sheet {

enum class OutputFormat { Text, Csv, Json };

struct Report {
    OutputFormat format;
    Language language;
    const CutSheet* sheet;  // none for an antenna read from a geometry file
    const analysis::Antenna& antenna;
    const analysis::Analysis* analysis;                // none without --analyse
    const analysis::Tuning* tuning = nullptr;          // the trim and matches, with the analysis
    const analysis::OverGround* overGround = nullptr;  // with --height
    const analysis::Tolerance* tolerance = nullptr;    // with --tolerance
    const analysis::TrimAdvice* advice = nullptr;      // with --measured
    // With --optimise: the antenna, the sheet and the analysis above are the optimised ones.
    const analysis::Optimisation* optimisation = nullptr;
};

[[nodiscard]] std::string render(const Report& report);

// The pieces of the report that the design window shows as they are.
// The analysis' figures, then the trim's and the matches', one "label：text" a line, as the
// text table prints them. With the sheet, a driven element through the boom is given at the
// length to cut, the boom correction included.
[[nodiscard]] std::vector<std::string> figureLines(const analysis::Analysis& analysis,
                                                   const analysis::Tuning* tuning,
                                                   const CutSheet* sheet, Language language);
// The sweep as rows of text, its headings first, as the text table prints it.
[[nodiscard]] std::vector<std::vector<std::string>> sweepRows(const analysis::Analysis& analysis,
                                                              Language language);
// The trim's and the matches' lines alone, as figureLines() ends with them.
[[nodiscard]] std::vector<std::string> tuningFigureLines(const analysis::Analysis& analysis,
                                                         const analysis::Tuning& tuning,
                                                         const CutSheet* sheet, Language language);
// How the elements are mounted and what the correction is, where the user said; empty
// otherwise.
[[nodiscard]] std::string boomNote(const CutSheet& sheet);
// The catalogue's entry for the sheet's diameter, blanks as one: "1/2 12.7mm".
[[nodiscard]] std::string diameterText(const CutSheet& sheet);
// Metres that the driven element is cut longer than it works electrically: the boom
// correction, where it passes through the boom.
[[nodiscard]] double drivenAllowance(const CutSheet* sheet);
// How far the figures of tapered elements, modelled with their mean diameter, hold; nothing
// for elements of one diameter.
[[nodiscard]] std::optional<std::string> taperNote(const CutSheet* sheet, Language language);
// "多元件, 设计频率 144 MHz, 元件直径 1/2 12.7mm, ...": the design the sheet is of.
[[nodiscard]] std::string designLine(const CutSheet& sheet);

// The whole NEC-2 deck of the antenna, at the analysis' converged segmentation where there is
// one.
[[nodiscard]] std::string necDeck(const analysis::Antenna& antenna,
                                  const analysis::Analysis* analysis);

// The E- and H-plane patterns; below them the elevation pattern, over the ground.
[[nodiscard]] std::string patternSvg(const analysis::Analysis& analysis, double frequency,
                                     Language language, const analysis::OverGround* over = nullptr);

// Columns a text takes in a terminal: CJK characters take two.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

struct OutputFile {
    std::string path;
    std::string content;
};

// Writes every file or none: each goes beside its final name first, and only when all are
// written are they renamed into place. A target that exists and is no regular file (a FIFO,
// a link such as /dev/stdout) is written in place once the others are ready. A message on
// failure.
[[nodiscard]] std::optional<Failure> writeAll(const std::vector<OutputFile>& files,
                                              Language language);

}  // namespace zeva::sheet
