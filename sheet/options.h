// SPDX-License-Identifier: MIT
// The command line of zeva-sheet, in the usual GNU style: long options with "=VALUE" or a
// separate value, and short options for the common ones.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <optional>

#include "analysis/build.h"
#include "analysis/message.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "analysis/tuner.h"
#include "engine/design.h"

namespace zeva::sheet {

using analysis::Failure;
using analysis::Language;
enum class OutputFormat { Text, Csv, Json };
// Who solves the NEC-2 decks: the engine in process, or Debian's nec2c, the reference.
enum class Solver { Builtin, Nec2c };

struct SheetOptions {
    ElementMode mode = ElementMode::MultiElement;
    std::string frequency;   // MHz, as typed
    int diameterIndex = -1;  // into DiameterCatalogue
    std::string largestDiameter = "1";
    std::string smallestDiameter = "1";
    OutputFormat format = OutputFormat::Text;
    Language language = Language::Chinese;
    std::string necFile;       // empty: no deck written
    std::string plotFile;      // empty: no plot
    std::string geometryFile;  // an antenna of the user's instead of a design
    double timeLimit = 300;    // seconds that one nec2c run may take
    Solver solver = Solver::Builtin;
    // How the elements are mounted on the boom, where the user said so.
    bool mountingGiven = false;
    analysis::Mounting mounting = analysis::Mounting::Insulators;
    double boomDiameter = 0;  // metres
    bool drivenThroughBoom = false;
    analysis::MatchRequest match;  // with --analyse: the trim always, the matches asked for
    analysis::SweepRange sweep;
    std::optional<analysis::Placement> placement;         // over ground, where a height is given
    std::optional<analysis::ToleranceRequest> tolerance;  // the build tolerance, where asked
    std::string measuredFile;    // a Touchstone sweep of the antenna as built
    std::string figuresCsvFile;  // the analysis' figures as one CSV row
    std::string sweepCsvFile;    // the sweep as a CSV table
    bool analyse = false;
    bool help = false;
    bool version = false;
};

// The options, in the given language unless --lang names another.
[[nodiscard]] std::variant<SheetOptions, Failure> parseOptions(
    const std::vector<std::string_view>& arguments, Language language = Language::Chinese);

// The language of the messages as the locale names it: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides; Chinese for zh and zh_*, English for anything else,
// and for an unset locale (C).
[[nodiscard]] Language localeLanguage(const char* lcAll, const char* lcMessages, const char* lang);

// The catalogue entry whose inch text (the entry without its millimetre label, such as
// "1/2", "1 1/8" or "AWG 14") matches, blanks and letter case aside; -1 when none does.
[[nodiscard]] int diameterByInchText(std::string_view text);

// Runs of blanks as one, none at the ends: the catalogue's padding lines up a list box only.
[[nodiscard]] std::string withSingleBlanks(std::string_view text);

[[nodiscard]] std::string usage(Language language);

// The studies' figures as the command line and the window take them. Nothing where the text
// is not one.
// A height in metres from "10", "10m", "1000cm", "33ft" or "400in" (metres by default).
[[nodiscard]] std::optional<double> heightFrom(std::string_view text);
// A tolerance in metres from "1", "1mm", "0.1cm" or "0.04in" (millimetres by default), or 0.
[[nodiscard]] std::optional<double> toleranceFrom(std::string_view text);
// A sweep of "2" (per cent about the design frequency, at most 10) or "14.0:14.35" (MHz).
[[nodiscard]] std::optional<analysis::SweepRange> sweepFrom(std::string_view text);

}  // namespace zeva::sheet
