// SPDX-License-Identifier: MIT
// The cut sheet or an antenna of the user's, with its analysis, as an aligned text table, CSV
// or JSON; the patterns as an SVG plot; the files of one run written together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/rod_advice.h"
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
    const analysis::RodAdvice* rodAdvice = nullptr;  // with --measured, through a gamma or T
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
// A drawing as lines, rectangles and texts in its own units (about a pixel), painted in
// order: for SVG here and for the windows' painter alike.
enum class ShapeKind { Line, Rect, Text };
enum class Anchor { Start, Middle, End };
inline constexpr std::uint32_t kInk = 0x000000;
struct Shape {
    ShapeKind kind = ShapeKind::Line;
    double x = 0, y = 0;          // a line's start, a rectangle's corner, a text's anchor
    double x2 = 0, y2 = 0;        // a line's end, a rectangle's far corner
    std::uint32_t stroke = kInk;  // 0xRRGGBB: a line's, an outline's, a text's colour
    std::uint32_t fill = 0xffffff;
    double size = 1;  // a line's width, a text's size
    bool dashed = false;
    std::string text;
    Anchor anchor = Anchor::Start;
    double rotation = 0;  // degrees, clockwise, about the anchor
};
struct Drawing {
    double width = 0;
    double height = 0;
    std::vector<Shape> shapes;
};

// The workshop drawing: the boom to scale with each element's place from its rear end, and
// one half of every element with its tubes (or its rod), dimensioned in centimetres.
[[nodiscard]] Drawing workshopDrawing(const CutSheet& sheet);
[[nodiscard]] std::string svgOf(const Drawing& drawing);
// Every element's tubes as rows of text, headings first; the stock by size; the heading
// that says how they are measured and solved.
[[nodiscard]] std::vector<std::vector<std::string>> cutListRows(const TubeList& list,
                                                                Language language);
[[nodiscard]] std::vector<std::vector<std::string>> stockRows(const TubeList& list,
                                                              Language language);
[[nodiscard]] std::string tubeHeading(const TubeList& list, Language language);
// How the elements are mounted and what the correction is, where the user said; empty
// otherwise.
[[nodiscard]] std::string boomNote(const CutSheet& sheet);
// The catalogue's entry for the sheet's diameter with its units: "1/2 in (12.7 mm)".
[[nodiscard]] std::string diameterText(const CutSheet& sheet);
// Metres that the driven element is cut longer than it works electrically: the boom
// correction, where it passes through the boom.
[[nodiscard]] double drivenAllowance(const CutSheet* sheet);
// How far the figures of tapered elements, modelled with their mean diameter, hold; nothing
// for elements of one diameter.
[[nodiscard]] std::optional<std::string> taperNote(const CutSheet* sheet, Language language);
// "多元件, 设计频率 144 MHz, 元件直径 1/2 in (12.7 mm), ...": the design the sheet is of.
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

// Why these outputs cannot all be written, said before anything is made or solved: an empty
// name, a folder, a file the user may not write or a folder that is not there, two outputs on
// one regular file, an output that is one of the run's input files (by device and inode, so
// a link or a second name is no way round). "-" is standard output among the outputs and
// standard input among the inputs.
[[nodiscard]] std::optional<Failure> checkOutputs(const std::vector<std::string>& outputs,
                                                  const std::vector<std::string>& inputs,
                                                  Language language);

// Writes every file or none, after checking them again. A regular file is written under an
// unforeseeable name beside it (through a link: beside the file the link leads to) with the
// permissions of the file it replaces, and renamed into place once everything else is
// written. A target that is no regular file (a FIFO, a device, the terminal) is written in
// place before anything is renamed, so that its failure leaves every file as it was. A
// message on failure.
[[nodiscard]] std::optional<Failure> writeAll(const std::vector<OutputFile>& files,
                                              Language language);

}  // namespace zeva::sheet
