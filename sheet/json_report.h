// SPDX-License-Identifier: MIT
// The report as JSON, for scripts: ordered keys, numbers as numbers (null where a figure is
// not finite), one shape for an impedance, a fixed role beside each element's name, UTF-8
// text. docs/zeva-sheet.schema.json describes it; its "geometry" reads back with --geometry.
#pragma once

#include <string>

#include "sheet/render.h"

namespace zeva::sheet {

// The version of the layout; it grows when a key changes meaning or goes.
inline constexpr int kJsonFormatVersion = 2;

[[nodiscard]] std::string jsonReport(const Report& report);

}  // namespace zeva::sheet
