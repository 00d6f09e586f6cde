// SPDX-License-Identifier: MIT
// The workshop drawing: the boom with every element's place, and one half of every element
// with its tubes, to scale and dimensioned in centimetres.
#include <algorithm>
#include <cmath>

#include "sheet/render.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

constexpr double kWidth = 1000;
constexpr double kMargin = 40;
constexpr double kHalfLeft = 230;  // where each half's boom centre line stands
constexpr double kRowHeight = 64;
constexpr double kBoomTop = 160;
constexpr double kThickest = 18;  // pixels for the thickest tube: diameters are drawn larger

std::string escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string centimetres(double metres) { return fixed(metres * 100, 2); }

std::string text(double x, double y, const std::string& content, const char* anchor = "start",
                 const std::string& extra = {}) {
    return "<text x=\"" + fixed(x, 1) + "\" y=\"" + fixed(y, 1) + "\" text-anchor=\"" + anchor +
           "\"" + extra + ">" + escaped(content) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* style) {
    return "<line x1=\"" + fixed(x1, 1) + "\" y1=\"" + fixed(y1, 1) + "\" x2=\"" + fixed(x2, 1) +
           "\" y2=\"" + fixed(y2, 1) + "\" " + style + "/>\n";
}

std::string rect(double x, double y, double width, double height, const char* style) {
    return "<rect x=\"" + fixed(x, 1) + "\" y=\"" + fixed(y, 1) + "\" width=\"" +
           fixed(std::max(width, 0.5), 1) + "\" height=\"" + fixed(std::max(height, 0.5), 1) +
           "\" " + style + "/>\n";
}

// One half of an element as drawn: each tube from where it starts (inside the one before) to
// its outer end, metres from the boom's centre.
struct DrawnTube {
    double start;
    double end;
    double diameter;
    double overlap;
    double exposed;
};

std::vector<DrawnTube> halfOf(const CutSheet& sheet, std::size_t element) {
    std::vector<DrawnTube> tubes;
    if (sheet.tubes && element < sheet.tubes->elements.size()) {
        for (const analysis::TubeCut& t : sheet.tubes->elements[element].tubes) {
            const double start = tubes.empty() ? 0 : t.reach - t.exposed - t.overlap;
            tubes.push_back(
                {start, t.reach, t.diameter, t.overlap, tubes.empty() ? t.exposed / 2 : t.exposed});
        }
        return tubes;
    }
    // A single rod, the length to cut where the boom lengthens it.
    const SheetElement& e = sheet.elements[element];
    double length = e.lengthMetres;
    if (!e.cutCentimetres.empty()) length = static_cast<double>(microOf(e.cutCentimetres)) * 1e-8;
    const double diameter = sheet.diameterInches * 0.0254;
    tubes.push_back({0, length / 2, diameter, 0, length / 2});
    return tubes;
}

}  // namespace

std::string workshopDrawing(const CutSheet& sheet) {
    const Language language = sheet.language;
    const std::size_t count = sheet.elements.size();
    const double height = kBoomTop + 104 + kRowHeight * static_cast<double>(count) + 40;
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(kWidth, 0) + "\" height=\"" +
        fixed(height, 0) + "\" viewBox=\"0 0 " + fixed(kWidth, 0) + " " + fixed(height, 0) +
        "\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', 'WenQuanYi Zen Hei', "
        "'Source Han Sans SC', 'Microsoft YaHei', 'PingFang SC', 'DejaVu Sans', sans-serif\" "
        "font-size=\"11\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += text(kWidth / 2, 26, designLine(sheet), "middle", " font-size=\"15\"");

    // The boom, to scale, with each element's hole from the rear end, the reflector's.
    const double boom = count > 0 ? sheet.elements.back().positionMetres : 0;
    // Room on the right for the last element's slanted name.
    const double boomScale = boom > 0 ? (kWidth - kMargin - 150) / boom : 0;
    svg += text(kMargin, 52,
                say(language,
                    "Boom, to scale: each element's place from the rear end at the "
                    "reflector, centimetres"));
    svg += rect(kMargin, kBoomTop - 4, boom * boomScale, 8, "fill=\"#d8d8d8\" stroke=\"#333\"");
    for (std::size_t i = 0; i < count; ++i) {
        const double x = kMargin + sheet.elements[i].positionMetres * boomScale;
        svg += line(x, kBoomTop - 14, x, kBoomTop + 14, "stroke=\"#1565c0\" stroke-width=\"2\"");
        // Names and places stand slanted above the boom, so that close elements keep apart.
        svg += "<text transform=\"translate(" + fixed(x + 3, 1) + "," + fixed(kBoomTop - 18, 1) +
               ") rotate(-50)\">" +
               escaped(sheet.elements[i].name + "  " + sheet.elements[i].positionCentimetres) +
               "</text>\n";
    }
    svg +=
        line(kMargin, kBoomTop + 28, kMargin + boom * boomScale, kBoomTop + 28, "stroke=\"#333\"");
    svg +=
        text(kMargin + boom * boomScale / 2, kBoomTop + 44,
             say(language, "%1 cm between the first and the last element", {sheet.boomCentimetres}),
             "middle");

    // One half of each element, all to the same scale along, diameters drawn larger.
    double reach = 0;
    double thickest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        for (const DrawnTube& t : halfOf(sheet, i)) {
            reach = std::max(reach, t.end);
            thickest = std::max(thickest, t.diameter);
        }
    }
    const double alongScale = reach > 0 ? (kWidth - kMargin - kHalfLeft - 40) / reach : 0;
    const double acrossScale = thickest > 0 ? kThickest / thickest : 0;
    double y = kBoomTop + 100;
    svg += text(kMargin, y - 26,
                say(language,
                    "One half of each element from the boom's centre, to scale along (diameters "
                    "drawn %1 times larger).",
                    {fixed(acrossScale / alongScale, 0)}));
    svg += text(kMargin, y - 10,
                say(language,
                    "Above: the length each tube shows; below: its end's reach from the centre; "
                    "centimetres. Dashed: the overlap inside the tube before."));
    for (std::size_t i = 0; i < count; ++i) {
        const double axis = y + kRowHeight / 2;
        svg += text(kMargin, axis + 4, sheet.elements[i].name);
        svg += line(kHalfLeft, axis - 20, kHalfLeft, axis + 20,
                    "stroke=\"#888\" stroke-dasharray=\"3,3\"");
        const std::vector<DrawnTube> tubes = halfOf(sheet, i);
        for (std::size_t t = 0; t < tubes.size(); ++t) {
            const DrawnTube& tube = tubes[t];
            const double x1 = kHalfLeft + tube.start * alongScale;
            const double x2 = kHalfLeft + tube.end * alongScale;
            const double h = tube.diameter * acrossScale;
            svg += rect(x1, axis - h / 2, x2 - x1, h,
                        t % 2 == 0 ? "fill=\"#cfd8dc\" stroke=\"#37474f\""
                                   : "fill=\"#eceff1\" stroke=\"#37474f\"");
            if (tube.overlap > 0) {
                const double inside = kHalfLeft + (tube.start + tube.overlap) * alongScale;
                svg += line(inside, axis - h / 2, inside, axis + h / 2,
                            "stroke=\"#37474f\" stroke-dasharray=\"2,2\"");
            }
            const double shown = tube.end - tube.exposed;
            svg +=
                text(kHalfLeft + (shown + tube.exposed / 2) * alongScale, axis - kThickest / 2 - 4,
                     centimetres(tube.exposed), "middle", " fill=\"#1565c0\"");
            svg +=
                line(x2, axis + kThickest / 2 + 1, x2, axis + kThickest / 2 + 8, "stroke=\"#333\"");
            svg += text(x2, axis + kThickest / 2 + 19, centimetres(tube.end), "middle");
        }
        y += kRowHeight;
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace zeva::sheet
