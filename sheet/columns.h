// SPDX-License-Identifier: MIT
// The cut sheet's columns, described once: what the text table, the CSV, the JSON, the design
// window's table and the printed report show of each element.
#pragma once

#include <string>
#include <vector>

#include "sheet/cut_sheet.h"

namespace zeva::sheet {

struct SheetColumn {
    const char* heading;               // units in it; the catalogue translates it
    const char* key;                   // the JSON key
    bool text;                         // a name or a tape reading: left-aligned, a JSON string
    std::string SheetElement::*value;  // the cell
    bool cut;  // one of the lengths to cut, shown only where the sheet has a boom correction
};

// The columns of a sheet, in the order they are shown: the cut lengths after the design
// lengths where the sheet has a boom correction.
[[nodiscard]] std::vector<const SheetColumn*> sheetColumns(const CutSheet& sheet);
[[nodiscard]] const char* headingOf(const SheetColumn& column, Language language);

// The sheet's headings in its language, and an element's cells, column by column.
[[nodiscard]] std::vector<std::string> sheetHeadings(const CutSheet& sheet);
[[nodiscard]] std::vector<std::string> sheetCells(const SheetElement& element);

}  // namespace zeva::sheet
