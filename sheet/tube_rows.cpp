// SPDX-License-Identifier: MIT
// The cut list and the stock as rows of text, for the text report and the windows.
#include <cmath>

#include "sheet/render.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerInch = 0.0254;

std::string centimetres(double metres) { return fixed(metres * 100, 2); }

// The converter's tape reading of a length in metres.
std::string tape(double metres) {
    return tapeOf(figureOf(std::llround(metres / kMetresPerFoot * 1e4) * 100, 4));
}

// "31.75 mm 1.250"": the size as both kinds of tube are sold.
std::string size(double metres) {
    return fixed(metres * 1000, 2) + " mm " + fixed(metres / kMetresPerInch, 3) + "\"";
}

}  // namespace

std::vector<std::vector<std::string>> cutListRows(const TubeList& list, Language language) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({translate(language, "element"), translate(language, "tube"),
                    translate(language, "diameter"), translate(language, "wall mm"),
                    translate(language, "pieces"), translate(language, "cut cm"),
                    translate(language, "cut (tape)"), translate(language, "exposed cm"),
                    translate(language, "overlap cm"), translate(language, "reach cm"),
                    translate(language, "reach (tape)")});
    for (const ElementTubes& element : list.elements) {
        for (std::size_t i = 0; i < element.tubes.size(); ++i) {
            const analysis::TubeCut& t = element.tubes[i];
            rows.push_back({i == 0 ? element.name : std::string(), std::to_string(i + 1),
                            size(t.diameter), fixed(t.wall * 1000, 2), std::to_string(t.pieces),
                            centimetres(t.cut), tape(t.cut), centimetres(t.exposed),
                            i == 0 ? std::string("-") : centimetres(t.overlap),
                            centimetres(t.reach), tape(t.reach)});
        }
    }
    return rows;
}

std::vector<std::vector<std::string>> stockRows(const TubeList& list, Language language) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({translate(language, "diameter"), translate(language, "wall mm"),
                    translate(language, "pieces"), translate(language, "total m"),
                    translate(language, "stock lengths"), translate(language, "offcut m")});
    for (const analysis::StockUse& use : list.stock) {
        std::string lengths;
        for (std::size_t i = 0; i < use.lengths.size(); ++i) {
            if (use.lengths[i] == 0) continue;
            if (!lengths.empty()) lengths += ", ";
            lengths += say(language, "%1 × %2 m",
                           {std::to_string(use.lengths[i]), fixed(list.schedule.stock[i], 3)});
        }
        rows.push_back({size(use.diameter), fixed(use.wall * 1000, 2), std::to_string(use.pieces),
                        fixed(use.total, 3), lengths, fixed(use.offcut, 3)});
    }
    return rows;
}

std::string tubeHeading(const TubeList& list, Language language) {
    return say(language,
               "Tubes, from the boom's centre outwards, both halves alike (overlap %1 cm; the "
               "centre tube takes the boom correction; each tip solved so that the element "
               "works as its wire in the model, by Leeson's substitute element):",
               {centimetres(list.schedule.overlap)});
}

}  // namespace zeva::sheet
