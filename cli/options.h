// SPDX-License-Identifier: MIT
// The command line of zeva-sheet, in the usual GNU style: long options with "=VALUE" or a
// separate value, and short options for the common ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/deck.h"
#include "analysis/optimiser.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "sheet/design_request.h"
#include "sheet/render.h"

namespace zeva::sheet {

// A geometry file is refused above this size: a long boom's takes a few kilobytes.
inline constexpr std::size_t kMaxGeometryBytes = 1 << 20;

// Who solves the NEC-2 decks: the engine in process, or Debian's nec2c, the reference.
enum class Solver { Builtin, Nec2c };

struct SheetOptions {
    DesignRequest request;  // the design, its construction and the match
    OutputFormat format = OutputFormat::Text;
    Language language = Language::Chinese;
    std::string necFile;       // empty: no deck written
    std::string plotFile;      // empty: no plot
    std::string geometryFile;  // an antenna of the user's instead of a design
    double timeLimit = 300;    // seconds that one nec2c run may take
    Solver solver = Solver::Builtin;
    analysis::SweepRange sweep;
    std::optional<analysis::Placement> placement;         // over ground, where a height is given
    std::optional<analysis::ToleranceRequest> tolerance;  // the build tolerance, where asked
    std::string measuredFile;                 // a Touchstone sweep of the antenna as built
    std::string figuresCsvFile;               // the analysis' figures as one CSV row
    std::string sweepCsvFile;                 // the sweep as a CSV table
    std::string cutListCsvFile;               // every element's tubes, with --sections
    std::string materialsCsvFile;             // the tubes by size and stock length
    std::string drawingFile;                  // the workshop drawing, SVG
    std::optional<analysis::Goals> optimise;  // the optimiser's goals, where asked
    double optimiseSeconds = 120;             // its time cap
    std::uint64_t seed = 1;                   // of the tolerance's draw and the optimiser
    bool analyse = false;
    bool help = false;
    bool version = false;
};

// The options, in the given language unless --lang names another.
[[nodiscard]] std::variant<SheetOptions, Failure> parseOptions(
    const std::vector<std::string_view>& arguments, Language language = Language::Chinese);

// The language that --lang names among the arguments, the last one given; the fallback
// where none is.
[[nodiscard]] Language languageOf(const std::vector<std::string_view>& arguments,
                                  Language fallback);

// The language of the messages as the locale names it: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides; Chinese for zh and zh_*, English for anything else,
// and for an unset locale (C).
[[nodiscard]] Language localeLanguage(const char* lcAll, const char* lcMessages, const char* lang);

// zeva-sheet --help, in the language asked for.
[[nodiscard]] std::string usage(Language language);

}  // namespace zeva::sheet
