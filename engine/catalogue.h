// SPDX-License-Identifier: MIT
// The element diameters that the main window's list offers: five wire gauges and seventeen
// tube or rod sizes. The millimetre figure in each text is a label for the user only.
#pragma once

#include <array>
#include <string_view>

#include "engine/design.h"

namespace zeva {

struct DiameterEntry {
    std::string_view text;  // shown exactly, every blank included
    float diameter;         // inches
};

// clang-format off
inline constexpr std::array<DiameterEntry, 22> DiameterCatalogue{{
    {"AWG 18  1mm", 0.04f},
    {"AWG 14  1.6mm", 0.064f},
    {"AWG 12  2mm", 0.08f},
    {"AWG 10  2.5mm", 0.1019f},
    {"AWG 8    3.2mm", 0.1285f},
    {"1/16       1.6mm", 0.0625f},
    {"1/8         3.2mm", 0.125f},
    {"3/16       4.8mm", 0.1875f},
    {"1/4         6.4mm", 0.25f},
    {"3/8         9.5mm", 0.375f},
    {"1/2         12.7mm", 0.5f},
    {"5/8         15.9mm ", 0.625f},
    {"3/4         19mm", 0.75f},
    {"7/8         22.2mm", 0.875f},
    {"1            25.4mm", 1.0f},
    {"1 1/8      28.6mm", 1.125f},
    {"1 1/4      31.7mm", 1.25f},
    {"1 3/8      34.9mm", 1.375f},
    {"1 1/2      38.1mm", 1.5f},
    {"1 5/8      41.3mm", 1.625f},
    {"1 3/4      44.5mm", 1.75f},
    {"2             50.8mm", 2.0f},
}};
// clang-format on

// Sets b to the diameter of the entry at the list's selected index; any other index (-1 when
// nothing is selected) leaves b as it is.
void selectDiameter(DesignState& state, int index);

}  // namespace zeva
