// The cut sheet and its analysis as an aligned text table, CSV or JSON, and the patterns as
// an SVG plot; files are written whole or not at all.
#pragma once

#include <optional>
#include <string>

#include "sheet/cut_sheet.h"
#include "sheet/nec.h"

namespace zeva::sheet {

[[nodiscard]] std::string render(const CutSheet& sheet, const std::optional<Analysis>& analysis);

[[nodiscard]] std::string patternSvg(const Analysis& analysis, Language language);

// Columns a text takes in a terminal: CJK characters take two.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

// Writes a file beside its final name and renames it into place, so that a failure leaves
// no half-written file; a message on failure.
[[nodiscard]] std::optional<Failure> writeWhole(const std::string& path, const std::string& content,
                                                Language language);

}  // namespace zeva::sheet
