// SPDX-License-Identifier: MIT
// The design of a Yagi-Uda antenna: the element-count modes and their base tables, the
// element lengths and spacings in feet, and the same design in centimetres.
//
// Data flow: a mode button copies its base tables into DesignState (selectMode); the
// catalogue sets the element diameter b; calculate() turns the frequency and taper texts
// into the 25 feet texts and leaves freq, t, c and x in DesignState; convertToMetric()
// recomputes the 25 figures in centimetres from DesignState alone.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/numbers.h"
#include "engine/result.h"

namespace zeva {

enum class ElementMode { TwoElement, ThreeElement, FourElement, MultiElement };

// The main window's design values, all single precision and all 0 at first.
// A base value is a dimension in feet multiplied by the design frequency in MHz. Directors
// that share a row of the window share the field of the row's first director.
struct DesignState {
    float c = 0;     // element diameter over wavelength
    float b = 0;     // element diameter, inches
    float freq = 0;  // design frequency, MHz (raised slightly in the multi-element mode)
    float x = 0;     // length factor
    float t = 0;     // taper factor

    // Length bases.
    float ref = 0, dri = 0, dir1 = 0, dir2 = 0, dir3 = 0, dir4 = 0, dir5 = 0, dir7 = 0, dir9 = 0,
          dir12 = 0, dir16 = 0, dir19 = 0, dir21 = 0;
    // Spacing bases, each from the element before.
    float rsp = 0, sp1 = 0, sp2 = 0, sp3 = 0, sp4 = 0, sp5 = 0, sp7 = 0, sp9 = 0, sp12 = 0,
          sp16 = 0, sp19 = 0, sp21 = 0;

    friend bool operator==(const DesignState&, const DesignState&) = default;
};

// One row of the element table: its label, its length base and its spacing base (none for
// the driven element).
struct ElementRow {
    std::string_view label;
    float DesignState::*length;
    float DesignState::*spacing;  // nullptr for the driven element
};

inline constexpr std::size_t kRowCount = 13;

// A result box of the main window holds this many characters: the figures are written for it.
inline constexpr std::size_t kResultBoxLength = 6;

// The rows from the reflector down to director 21: the order in which the figures are
// computed and written.
inline constexpr std::array<ElementRow, kRowCount> kElementRows{{
    {"反射器", &DesignState::ref, &DesignState::rsp},
    {"驱动元件", &DesignState::dri, nullptr},
    {"引向器 1", &DesignState::dir1, &DesignState::sp1},
    {"引向器 2", &DesignState::dir2, &DesignState::sp2},
    {"引向器 3", &DesignState::dir3, &DesignState::sp3},
    {"引向器 4", &DesignState::dir4, &DesignState::sp4},
    {"引向器 5,6", &DesignState::dir5, &DesignState::sp5},
    {"引向器 7,8", &DesignState::dir7, &DesignState::sp7},
    {"引向器 9,10,11", &DesignState::dir9, &DesignState::sp9},
    {"引向器 12,13,14,15", &DesignState::dir12, &DesignState::sp12},
    {"引向器 16,17,18", &DesignState::dir16, &DesignState::sp16},
    {"引向器 19,20", &DesignState::dir19, &DesignState::sp19},
    {"引向器 21", &DesignState::dir21, &DesignState::sp21},
}};

// Writes the mode's 25 base values (0 where the mode has no such element) and nothing else.
void selectMode(DesignState& state, ElementMode mode);

// The texts of one row: its length, and its spacing (empty for the driven element).
struct RowFigures {
    std::string length;
    std::string spacing;

    friend bool operator==(const RowFigures&, const RowFigures&) = default;
};
using DesignFigures = std::array<RowFigures, kRowCount>;

struct CalculationInputs {
    std::string_view frequency;        // MHz
    std::string_view largestDiameter;  // inches, of a tapered element
    std::string_view smallestDiameter;
    bool multiElement = false;  // the multi-element mode button is the selected one
};

// The 25 figures in feet, as single-precision texts (whole, not cut to the boxes' six
// characters). On success freq, t, c and x are stored in the state; on failure the state is
// left exactly as it was.
[[nodiscard]] Result<DesignFigures> calculate(DesignState& state, const CalculationInputs& inputs,
                                              const NumberFormat& format = {});

// The same 25 figures in centimetres, as double-precision texts, from the state alone.
[[nodiscard]] Result<DesignFigures> convertToMetric(const DesignState& state,
                                                    const NumberFormat& format = {});

// The taper factor for the ratio of the largest to the smallest diameter: 1 to 1.07.
[[nodiscard]] float taperFactor(float ratio);

// The length factor for the element diameter over the wavelength: thinner elements are
// shortened less, from 0.85 for the thickest to 0.97 for the thinnest.
[[nodiscard]] float lengthFactor(float c);

}  // namespace zeva
