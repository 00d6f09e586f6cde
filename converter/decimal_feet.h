// SPDX-License-Identifier: MIT
// Decimal feet to a tape-measure reading: whole feet, the rest in decimal inches, and whole
// inches with the nearest sixty-fourth of an inch as a reduced fraction.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/numbers.h"
#include "engine/result.h"

namespace zeva {

struct TapeReading {
    std::string wholeFeet;          // the converter's Text4
    std::string decimalInches;      // Text6
    std::string inchesAndFraction;  // Text8, e.g. "6    21/64"

    friend bool operator==(const TapeReading&, const TapeReading&) = default;
};

// One band of the fraction of an inch: values above the previous band's bound and not
// above this one get this text. The leading blanks are part of the texts.
struct FractionBand {
    float upperBound;
    std::string_view text;
};

// Band 0 holds exactly 0; band k (1 to 63) names k/64 in lowest terms; band 64, above
// 0.992, has no text, since the reading carries into the next whole inch. The bounds lie
// near, not on, the midpoints between sixty-fourths.
extern const std::array<FractionBand, 65> FractionTable;

// The text of the band that holds di, a fraction of an inch from 0 up to below 1.
[[nodiscard]] std::string_view fractionText(float di);

[[nodiscard]] Result<TapeReading> ConvertDecimalFeet(std::string_view decimalFeet,
                                                     const NumberFormat& format = {});

}  // namespace zeva
