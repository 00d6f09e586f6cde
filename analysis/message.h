// SPDX-License-Identifier: MIT
// What the analysis and the command line say to the user, in the language asked for.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace zeva::analysis {

enum class Language { Chinese, English };

// What went wrong, as a message for the user.
struct Failure {
    std::string message;
};

// The Chinese or the English text, by the language asked for.
[[nodiscard]] inline std::string say(Language language, const char* chinese, const char* english) {
    return language == Language::English ? english : chinese;
}

// A figure with a fixed count of decimals; "inf" and "-" where it is not finite.
[[nodiscard]] inline std::string fixed(double value, int decimals) {
    if (std::isinf(value)) return "inf";
    if (std::isnan(value)) return "-";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace zeva::analysis
