// SPDX-License-Identifier: MIT
// Every element's tubes from the schedule: the tip solved, the cuts and the stock.
#include <cmath>

#include "sheet/cut_sheet.h"

namespace zeva::sheet {
namespace {

constexpr double kMetresPerInch = 0.0254;

}  // namespace

std::optional<double> matchedDrivenLength(const analysis::Tuning& tuning) {
    if (tuning.hairpin) return tuning.hairpin->elementLength;
    if (tuning.rods) return tuning.rods->elementLength;
    if (tuning.coax) return tuning.trim.length;
    return std::nullopt;
}

std::optional<Failure> applyTubes(CutSheet& sheet, std::optional<double> drivenLength) {
    sheet.tubes.reset();
    const Construction& construction = sheet.request.construction;
    if (!construction.tubes) return std::nullopt;
    const analysis::TubeSchedule& schedule = *construction.tubes;
    const double frequency = analysis::plainNumber(sheet.request.design.frequency).value_or(0);
    if (auto wrong = analysis::checkSchedule(schedule, frequency, sheet.language)) return wrong;
    // The model's wire: the catalogue's diameter, or the taper's mean.
    const double diameter = sheet.diameterInches * kMetresPerInch;
    // Only a gamma or T match takes a driven element that is one tube across the boom.
    const bool continuous =
        construction.mounting == analysis::Mounting::Bonded && construction.drivenThroughBoom;
    TubeList list{schedule, {}, {}};
    std::vector<std::vector<analysis::TubeCut>> cuts;
    for (std::size_t i = 0; i < sheet.elements.size(); ++i) {
        const SheetElement& element = sheet.elements[i];
        const bool driven = i == kDrivenIndex;
        const double length = driven && drivenLength ? *drivenLength : element.lengthMetres;
        auto half =
            analysis::solveTip(schedule, length, diameter, frequency, element.name, sheet.language);
        if (auto* wrong = std::get_if<Failure>(&half)) return *wrong;
        const bool through = !driven || construction.drivenThroughBoom;
        const double correction = through ? sheet.boomCorrection : 0;
        const auto& tubes = std::get<std::vector<analysis::Tube>>(half);
        list.elements.push_back(
            {element.name, length,
             analysis::cutTubes(tubes, schedule, correction, driven && !continuous),
             analysis::resistanceRatio(tubes)});
        cuts.push_back(list.elements.back().tubes);
    }
    auto stock = analysis::stockList(cuts, schedule.stock, sheet.language);
    if (auto* wrong = std::get_if<Failure>(&stock)) return *wrong;
    list.stock = std::move(std::get<std::vector<analysis::StockUse>>(stock));
    sheet.tubes = std::move(list);
    return std::nullopt;
}

}  // namespace zeva::sheet
