// SPDX-License-Identifier: MIT
// nec2c's printed output read back: for each frequency, the feed impedance and the
// radiation-pattern tables.
#pragma once

#include <string_view>
#include <variant>
#include <vector>

#include "analysis/message.h"
#include "nec/deck.h"

namespace zeva::analysis {

using nec::FrequencyResult;
using nec::Impedance;
using nec::PatternPoint;

// Reads the input-parameter rows (impedance in their 7th and 8th fields) and the pattern
// tables, each under the frequency it belongs to.
[[nodiscard]] std::variant<std::vector<FrequencyResult>, Failure> parseNecOutput(
    std::string_view text, Language language = Language::English);

}  // namespace zeva::analysis
