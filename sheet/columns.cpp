// SPDX-License-Identifier: MIT
#include "sheet/columns.h"

namespace zeva::sheet {
namespace {

using E = SheetElement;

// clang-format off
constexpr SheetColumn kColumns[] = {
    {N_("element"), "name", true, &E::name, false},
    {N_("length ft"), "length_ft", false, &E::feet, false},
    {N_("length cm"), "length_cm", false, &E::centimetres, false},
    {N_("tape"), "tape", true, &E::tape, false},
    {N_("cut ft"), "cut_length_ft", false, &E::cutFeet, true},
    {N_("cut cm"), "cut_length_cm", false, &E::cutCentimetres, true},
    {N_("cut tape"), "cut_tape", true, &E::cutTape, true},
    {N_("spacing ft"), "spacing_ft", false, &E::spacingFeet, false},
    {N_("spacing cm"), "spacing_cm", false, &E::spacingCentimetres, false},
    {N_("position ft"), "position_ft", false, &E::positionFeet, false},
    {N_("position cm"), "position_cm", false, &E::positionCentimetres, false},
};
// clang-format on

std::vector<const SheetColumn*> columnsWith(bool cut) {
    std::vector<const SheetColumn*> shown;
    for (const SheetColumn& column : kColumns) {
        if (!column.cut || cut) shown.push_back(&column);
    }
    return shown;
}

}  // namespace

std::vector<const SheetColumn*> sheetColumns(const CutSheet& sheet) {
    return columnsWith(!sheet.elements.empty() && !sheet.elements.front().cutFeet.empty());
}

const char* headingOf(const SheetColumn& column, Language language) {
    return translate(language, column.heading);
}

std::vector<std::string> sheetHeadings(const CutSheet& sheet) {
    std::vector<std::string> headings;
    for (const SheetColumn* column : sheetColumns(sheet)) {
        headings.emplace_back(headingOf(*column, sheet.language));
    }
    return headings;
}

std::vector<std::string> sheetCells(const SheetElement& element) {
    std::vector<std::string> cells;
    for (const SheetColumn* column : columnsWith(!element.cutFeet.empty())) {
        cells.push_back(element.*(column->value));
    }
    return cells;
}

}  // namespace zeva::sheet
