// nec2c's printed output read back: for each frequency, the feed impedance and the
// radiation-pattern tables.
#pragma once

#include <string_view>
#include <variant>
#include <vector>

#include "analysis/message.h"

namespace zeva::analysis {

struct Impedance {
    double resistance = 0;  // ohms
    double reactance = 0;
};

struct PatternPoint {
    double theta;
    double phi;
    double gain;  // total power gain, dBi
};

struct FrequencyResult {
    double frequency = 0;  // MHz, as nec2c printed it (five digits)
    bool hasFeed = false;
    Impedance feed;
    std::vector<std::vector<PatternPoint>> patterns;  // one table for each RP card
};

// Reads the input-parameter rows (impedance in their 7th and 8th fields) and the pattern
// tables, each under the frequency it belongs to.
[[nodiscard]] std::variant<std::vector<FrequencyResult>, Failure> parseNecOutput(
    std::string_view text, Language language = Language::English);

}  // namespace zeva::analysis
