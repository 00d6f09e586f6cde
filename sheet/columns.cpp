// SPDX-License-Identifier: MIT
#include "sheet/columns.h"

namespace zeva::sheet {
namespace {

using E = SheetElement;

// clang-format off
constexpr SheetColumn kColumns[] = {
    {"元件", "element", "name", true, &E::name, false},
    {"长度(英尺)", "length ft", "length_ft", false, &E::feet, false},
    {"长度(厘米)", "length cm", "length_cm", false, &E::centimetres, false},
    {"卷尺读数", "tape", "tape", true, &E::tape, false},
    {"下料长度(英尺)", "cut ft", "cut_length_ft", false, &E::cutFeet, true},
    {"下料长度(厘米)", "cut cm", "cut_length_cm", false, &E::cutCentimetres, true},
    {"下料卷尺读数", "cut tape", "cut_tape", true, &E::cutTape, true},
    {"间距(英尺)", "spacing ft", "spacing_ft", false, &E::spacingFeet, false},
    {"间距(厘米)", "spacing cm", "spacing_cm", false, &E::spacingCentimetres, false},
    {"位置(英尺)", "position ft", "position_ft", false, &E::positionFeet, false},
    {"位置(厘米)", "position cm", "position_cm", false, &E::positionCentimetres, false},
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
    return language == Language::English ? column.english : column.chinese;
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
