// SPDX-License-Identifier: MIT
// One-port Touchstone 1.x files, as vector network analysers save a measured sweep: the
// option line "# [HZ|KHZ|MHZ|GHZ] S [RI|MA|DB] R <ohms>" (any case, any order, the format's
// defaults GHZ, MA and 50 ohms where a field is missing), "!" comments, then a frequency and
// the reflection coefficient on each line, the frequencies rising.
#pragma once

#include <complex>
#include <cstddef>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/message.h"

namespace zeva::analysis {

// Files larger than this are no sweep an analyser writes.
inline constexpr std::size_t kMaxTouchstoneBytes = 4 << 20;

// The largest reflection read: a little above 1 is an analyser's noise, more a calibration
// gone wrong (at 1.05 the resistance read is already some 2 ohms below zero).
inline constexpr double kMaxReflection = 1.02;
// The reference impedances read: analysers measure against 50 or 75 ohms; beyond these the
// figures are no antenna's.
inline constexpr double kLeastReference = 1;
inline constexpr double kMostReference = 1000;

struct MeasuredPoint {
    double frequency = 0;             // MHz
    std::complex<double> reflection;  // S11 against the file's reference
    std::complex<double> impedance;   // ohms
};

struct Measurement {
    double reference = 50;  // ohms
    std::vector<MeasuredPoint> points;
};

// The sweep, or why the text is not a one-port Touchstone file: the line and what was
// expected there.
[[nodiscard]] std::variant<Measurement, Failure> readTouchstone(std::string_view text,
                                                                Language language);

}  // namespace zeva::analysis
