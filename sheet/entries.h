// SPDX-License-Identifier: MIT
// The figures a user types, read the same way by the command line and the windows: catalogue
// diameters by their inch text, builders' measures, lengths, heights, tolerances and sweeps.
// Nothing where the text is not one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/deck.h"
#include "analysis/message.h"
#include "analysis/tubes.h"

namespace zeva::sheet {

// The catalogue entry whose inch text (the entry without its millimetre label, such as
// "1/2", "1 1/8" or "AWG 14") matches, blanks and letter case aside; -1 when none does.
[[nodiscard]] int diameterByInchText(std::string_view text);

// Runs of blanks as one, none at the ends: the catalogue's padding lines up a list box only.
[[nodiscard]] std::string withSingleBlanks(std::string_view text);

// A number as a builder writes it: 25.4, 3/8 or a mixed fraction such as 1 1/4.
[[nodiscard]] std::optional<double> measureOf(std::string_view text);
using analysis::plainNumber;  // a number that is the whole text and finite
// A length in metres from "25.4", "25.4mm", "2.54cm" or "1in" (millimetres by default), above
// zero.
[[nodiscard]] std::optional<double> lengthFrom(std::string_view text);
// A tube's measure in metres from "31.75", "31.75mm", "3.2cm", "1.25in", "1 1/4in", "4ft" or
// "1.2m" (millimetres by default), above zero.
[[nodiscard]] std::optional<double> measureFrom(std::string_view text);
// A tube schedule from the boom outwards: "1.25in:36in,1.125in:48in,1in" (each tube's
// diameter and the length it shows on one side of the centre, the tip's diameter alone).
[[nodiscard]] std::optional<std::vector<analysis::Tube>> tubesFrom(std::string_view text);
// The stock lengths tubes are sold in: "6ft,12ft" or "2m,6m".
[[nodiscard]] std::optional<std::vector<double>> stockFrom(std::string_view text);
// A height in metres from "10", "10m", "1000cm", "33ft" or "400in" (metres by default).
[[nodiscard]] std::optional<double> heightFrom(std::string_view text);
// A tolerance in metres from "1", "1mm", "0.1cm" or "0.04in" (millimetres by default), or 0.
[[nodiscard]] std::optional<double> toleranceFrom(std::string_view text);
// A sweep of "2" (per cent about the design frequency, at most 10) or "14.0:14.35" (MHz).
[[nodiscard]] std::optional<analysis::SweepRange> sweepFrom(std::string_view text);

}  // namespace zeva::sheet
