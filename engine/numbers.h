// SPDX-License-Identifier: MIT
// The conversions between texts and numbers that every calculation shares. The decimal
// separator and the digit grouping come in as an argument; nothing here reads the process's
// locale, so the same text gives the same number whatever the machine is set to.
#pragma once

#include <string>
#include <string_view>

#include "engine/result.h"

namespace zeva {

// Separators as UTF-8 texts, since some locales group digits with a non-ASCII blank.
// An empty grouping, or one equal to the decimal separator, means no grouping is accepted.
struct NumberFormat {
    std::string decimal = ".";
    std::string grouping = ",";
};

// Text to number: blanks around the number, an optional sign, digits with at most one
// decimal separator (".5" and "5." included), an optional exponent (E or e, optional sign,
// digits). Grouping separators may stand in the integer part between groups of three digits.
// The value is rounded once, correctly, to the target precision. A text that is not such a
// number is a type mismatch; a value beyond the range of the target is an overflow, one that
// underflows is 0 (or the nearest subnormal).
[[nodiscard]] Result<float> parseSingle(std::string_view text, const NumberFormat& format = {});
[[nodiscard]] Result<double> parseDouble(std::string_view text, const NumberFormat& format = {});

// Number to text, as C's %.7G on the value widened to double and %.15G: trailing zeros
// dropped, exponent form below 1E-04 and from 1E+07 (1E+15 for doubles) with at least two
// exponent digits. Zero, of either sign, is written "0".
[[nodiscard]] std::string formatSingle(float value, const NumberFormat& format = {});
[[nodiscard]] std::string formatDouble(double value, const NumberFormat& format = {});

// The largest whole number not above the value: the integer part of -2.5 is -3.
[[nodiscard]] float integerPart(float value);
[[nodiscard]] double integerPart(double value);

}  // namespace zeva
