// SPDX-License-Identifier: MIT
// The report as CSV, one table a file, for spreadsheets and scripts: one header row, the
// units in the headings and bare numbers in the cells (empty where a figure is not finite or
// not given), rows ended by CR LF.
#pragma once

#include <string>

#include "sheet/render.h"

namespace zeva::sheet {

// The sheet's table (or the geometry's, for an antenna read from a file): --format csv.
[[nodiscard]] std::string sheetCsv(const Report& report);
// The analysis' figures, and the trim's, the matches' and the studies' where they were made,
// as one row.
[[nodiscard]] std::string figuresCsv(const Report& report);
// Every element's tubes, a row a tube from the boom outwards, millimetres: with a schedule.
[[nodiscard]] std::string cutListCsv(const Report& report);
// The tubes by size: pieces, metres and how many of each stock length, with the offcuts.
[[nodiscard]] std::string materialsCsv(const Report& report);
// The sweep: a row a frequency, with the matches' SWR where they were made.
[[nodiscard]] std::string sweepCsv(const Report& report);

}  // namespace zeva::sheet
