// SPDX-License-Identifier: MIT
#include "cli/option_table.h"

#include <vector>

namespace zeva::sheet {
namespace {

// Every option, once: the long names that an unambiguous prefix stands for, the short ones.
constexpr Option kOptions[] = {
    {"--help", "-h", Takes::Help},
    {"--version", "", Takes::Version},
    {"--analyse", "-a", Takes::Analyse},
    {"--analyze", "", Takes::Analyse},
    {"--driven-through-boom", "", Takes::DrivenThroughBoom},
    {"--elements", "-e", Takes::Elements},
    {"--frequency", "-f", Takes::Frequency},
    {"--diameter", "-d", Takes::Diameter},
    {"--largest", "", Takes::Largest},
    {"--smallest", "", Takes::Smallest},
    {"--format", "", Takes::Format},
    {"--lang", "", Takes::Language},
    {"--nec", "", Takes::NecFile},
    {"--plot", "", Takes::PlotFile},
    {"--geometry", "-g", Takes::GeometryFile},
    {"--time-limit", "", Takes::TimeLimit},
    {"--mounting", "", Takes::Mounting},
    {"--boom-diameter", "", Takes::BoomDiameter},
    {"--match", "", Takes::Match},
    {"--hairpin-wire", "", Takes::HairpinWire},
    {"--hairpin-spacing", "", Takes::HairpinSpacing},
    {"--velocity-factor", "", Takes::VelocityFactor},
    {"--gamma-rod", "", Takes::RodDiameter},
    {"--gamma-spacing", "", Takes::RodSpacing},
    {"--t-feed", "", Takes::TeeFeed},
    {"--engine", "", Takes::Engine},
    {"--height", "", Takes::Height},
    {"--ground", "", Takes::Ground},
    {"--sweep", "", Takes::Sweep},
    {"--tolerance", "", Takes::Tolerance},
    {"--samples", "", Takes::Samples},
    {"--seed", "", Takes::Seed},
    {"--measured", "", Takes::Measured},
    {"--figures-csv", "", Takes::FiguresCsv},
    {"--sweep-csv", "", Takes::SweepCsv},
    {"--optimise", "", Takes::Optimise},
    {"--optimize", "", Takes::Optimise},
    {"--optimise-time", "", Takes::OptimiseTime},
    {"--optimize-time", "", Takes::OptimiseTime},
    {"--sections", "", Takes::Sections},
    {"--overlap", "", Takes::Overlap},
    {"--wall", "", Takes::Wall},
    {"--stock", "", Takes::Stock},
    {"--cut-list-csv", "", Takes::CutListCsv},
    {"--materials-csv", "", Takes::MaterialsCsv},
    {"--drawing", "", Takes::Drawing},
};

}  // namespace

const Option* optionNamed(std::string_view name) {
    for (const Option& option : kOptions) {
        if (name == option.longName || (!option.shortName.empty() && name == option.shortName)) {
            return &option;
        }
    }
    return nullptr;
}

std::optional<std::string_view> longNameOf(std::string_view name) {
    std::vector<std::string_view> matches;
    for (const Option& option : kOptions) {
        if (option.longName == name) return name;
        // --analyse and --analyze are one option, as are the optimiser's two spellings.
        if (option.longName.starts_with(name) && option.longName != "--analyze" &&
            option.longName != "--optimize" && option.longName != "--optimize-time") {
            matches.push_back(option.longName);
        }
    }
    if (matches.size() > 1) return std::nullopt;
    return matches.empty() ? name : matches.front();
}

Argument argumentOf(std::string_view text) {
    Argument argument{text, std::nullopt};
    if (text.starts_with("--")) {
        if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
            argument.value = text.substr(equals + 1);
            argument.name = text.substr(0, equals);
        }
        const std::optional<std::string_view> full = longNameOf(argument.name);
        argument.ambiguous = !full;
        if (full) argument.name = *full;
    } else if (text.size() > 2 && text[0] == '-') {
        argument.value = text.substr(2);
        argument.name = text.substr(0, 2);
    }
    return argument;
}

}  // namespace zeva::sheet
