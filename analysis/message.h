// SPDX-License-Identifier: MIT
// What the analysis and the command line say to the user, in the language asked for, and
// how they read and write a figure.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "i18n/catalogue.h"

namespace zeva::analysis {

using zeva::Language;

// What went wrong, as a message for the user.
struct Failure {
    std::string message;
};

// A figure with a fixed count of decimals (whole at any magnitude, with a point whatever the
// locale, without the sign of a figure that rounds to zero); "inf" and "-" where it is not
// finite.
[[nodiscard]] inline std::string fixed(double value, int decimals) {
    if (std::isinf(value)) return "inf";
    if (std::isnan(value)) return "-";
    // The largest double has 309 digits before the point.
    char buffer[330 + 64];
    const int places = decimals < 0 ? 0 : decimals > 60 ? 60 : decimals;
    const auto [end, status] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
    if (status != std::errc{}) return "-";
    // A small negative figure rounded to nothing is nothing: "0.0000", never "-0.0000".
    if (buffer[0] == '-' &&
        std::all_of(buffer + 1, end, [](char c) { return c == '0' || c == '.'; })) {
        return std::string(buffer + 1, end);
    }
    return std::string(buffer, end);
}

// A figure with no trailing zeros, at most six decimals: 0.055, 13, 0.005.
[[nodiscard]] inline std::string shortest(double value) {
    std::string text = fixed(value, 6);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

// A number that is the whole text and finite, as std::from_chars reads it (the C locale's
// point, whatever the user's locale); nothing otherwise.
[[nodiscard]] inline std::optional<double> plainNumber(std::string_view text) {
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace zeva::analysis
