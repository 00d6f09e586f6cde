// The command line of zeva-sheet, in the usual GNU style: long options with "=VALUE" or a
// separate value, and short options for the common ones.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/design.h"

namespace zeva::sheet {

enum class Language { Chinese, English };
enum class OutputFormat { Text, Csv, Json };

struct SheetOptions {
    ElementMode mode = ElementMode::MultiElement;
    std::string frequency;   // MHz, as typed
    int diameterIndex = -1;  // into DiameterCatalogue
    std::string largestDiameter = "1";
    std::string smallestDiameter = "1";
    OutputFormat format = OutputFormat::Text;
    Language language = Language::Chinese;
    std::string necFile;   // empty: no deck written
    std::string plotFile;  // empty: no plot
    bool analyse = false;
    bool help = false;
};

// What went wrong, as a message for the user in the language asked for.
struct Failure {
    std::string message;
};

[[nodiscard]] std::variant<SheetOptions, Failure> parseOptions(
    const std::vector<std::string_view>& arguments);

// The catalogue entry whose inch text (the entry without its millimetre label, such as
// "1/2", "1 1/8" or "AWG 14") matches, blanks and letter case aside; -1 when none does.
[[nodiscard]] int diameterByInchText(std::string_view text);

// Runs of blanks as one, none at the ends: the catalogue's padding lines up a list box only.
[[nodiscard]] std::string withSingleBlanks(std::string_view text);

[[nodiscard]] std::string usage(Language language);

}  // namespace zeva::sheet
