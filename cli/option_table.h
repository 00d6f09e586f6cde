// SPDX-License-Identifier: MIT
// zeva-sheet's options, each once: its long name, which an unambiguous prefix stands for,
// its short name, and what it takes; and how one argument reads as an option.
#pragma once

#include <optional>
#include <string_view>

namespace zeva::sheet {

// What an option takes: nothing (the flags, first), or its value of that kind.
enum class Takes {
    Help,
    Version,
    Analyse,
    DrivenThroughBoom,
    Elements,
    Frequency,
    Diameter,
    Largest,
    Smallest,
    Format,
    Language,
    NecFile,
    PlotFile,
    GeometryFile,
    TimeLimit,
    Mounting,
    BoomDiameter,
    Match,
    HairpinWire,
    HairpinSpacing,
    VelocityFactor,
    RodDiameter,
    RodSpacing,
    TeeFeed,
    Engine,
    Height,
    Ground,
    Sweep,
    Tolerance,
    Samples,
    Seed,
    Measured,
    FiguresCsv,
    SweepCsv,
    Optimise,
    OptimiseTime,
    Sections,
    Overlap,
    Wall,
    Stock,
    CutListCsv,
    MaterialsCsv,
    Drawing
};

struct Option {
    std::string_view longName;
    std::string_view shortName;
    Takes takes;
};

// The flags take no value.
constexpr bool isFlag(Takes takes) {
    return takes == Takes::Help || takes == Takes::Version || takes == Takes::Analyse ||
           takes == Takes::DrivenThroughBoom;
}

// The option of that long or short name; none where there is no such option.
[[nodiscard]] const Option* optionNamed(std::string_view name);

// The long name that a long option or an unambiguous prefix of one stands for; the text
// itself where it names none (an unknown option), nothing where it is ambiguous.
[[nodiscard]] std::optional<std::string_view> longNameOf(std::string_view name);

// One argument as an option: its name (a long one's prefix made whole) and the value written
// into it ("--freq=14.2", "-f14.2"); ambiguous where the prefix stands for several.
struct Argument {
    std::string_view name;
    std::optional<std::string_view> value;
    bool ambiguous = false;
};
[[nodiscard]] Argument argumentOf(std::string_view text);

}  // namespace zeva::sheet
