// SPDX-License-Identifier: MIT
// The workshop drawing: the boom with every element's place, and one half of every element
// with its tubes, to scale and dimensioned in centimetres.
#include <algorithm>
#include <cmath>
#include <cstdio>

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

// The shapes of a drawing, added in the order they are painted.
class Pen {
public:
    explicit Pen(Drawing& drawing) : drawing_(drawing) {}

    void text(double x, double y, const std::string& content, Anchor anchor = Anchor::Start,
              double size = 11, std::uint32_t colour = kInk, double rotation = 0) {
        Shape shape;
        shape.kind = ShapeKind::Text;
        shape.x = x;
        shape.y = y;
        shape.text = content;
        shape.anchor = anchor;
        shape.size = size;
        shape.stroke = colour;
        shape.rotation = rotation;
        drawing_.shapes.push_back(std::move(shape));
    }
    void line(double x1, double y1, double x2, double y2, std::uint32_t colour = kInk,
              double width = 1, bool dashed = false) {
        Shape shape;
        shape.kind = ShapeKind::Line;
        shape.x = x1;
        shape.y = y1;
        shape.x2 = x2;
        shape.y2 = y2;
        shape.stroke = colour;
        shape.size = width;
        shape.dashed = dashed;
        drawing_.shapes.push_back(std::move(shape));
    }
    void rect(double x, double y, double width, double height, std::uint32_t fill,
              std::uint32_t colour = kInk) {
        Shape shape;
        shape.kind = ShapeKind::Rect;
        shape.x = x;
        shape.y = y;
        shape.x2 = x + std::max(width, 0.5);
        shape.y2 = y + std::max(height, 0.5);
        shape.fill = fill;
        shape.stroke = colour;
        drawing_.shapes.push_back(std::move(shape));
    }

private:
    Drawing& drawing_;
};

constexpr std::uint32_t kBlue = 0x1565c0;
constexpr std::uint32_t kSlate = 0x37474f;
constexpr std::uint32_t kGrey = 0x888888;

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

Drawing workshopDrawing(const CutSheet& sheet) {
    const Language language = sheet.language;
    const std::size_t count = sheet.elements.size();
    Drawing drawing;
    drawing.width = kWidth;
    drawing.height = kBoomTop + 104 + kRowHeight * static_cast<double>(count) + 40;
    Pen pen(drawing);
    pen.text(kWidth / 2, 26, designLine(sheet), Anchor::Middle, 15);

    // The boom, to scale, with each element's hole from the rear end, the reflector's.
    const double boom = count > 0 ? sheet.elements.back().positionMetres : 0;
    // Room on the right for the last element's slanted name.
    const double boomScale = boom > 0 ? (kWidth - kMargin - 150) / boom : 0;
    pen.text(kMargin, 52,
             say(language,
                 "Boom, to scale: each element's place from the rear end at the "
                 "reflector, centimetres"));
    pen.rect(kMargin, kBoomTop - 4, boom * boomScale, 8, 0xd8d8d8, 0x333333);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = kMargin + sheet.elements[i].positionMetres * boomScale;
        pen.line(x, kBoomTop - 14, x, kBoomTop + 14, kBlue, 2);
        // Names and places stand slanted above the boom, so that close elements keep apart.
        pen.text(x + 3, kBoomTop - 18,
                 sheet.elements[i].name + "  " + sheet.elements[i].positionCentimetres,
                 Anchor::Start, 11, kInk, -50);
    }
    pen.line(kMargin, kBoomTop + 28, kMargin + boom * boomScale, kBoomTop + 28, 0x333333);
    pen.text(kMargin + boom * boomScale / 2, kBoomTop + 44,
             say(language, "%1 cm between the first and the last element", {sheet.boomCentimetres}),
             Anchor::Middle);

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
    pen.text(kMargin, y - 26,
             say(language,
                 "One half of each element from the boom's centre, to scale along (diameters "
                 "drawn %1 times larger).",
                 {fixed(acrossScale / alongScale, 0)}));
    pen.text(kMargin, y - 10,
             say(language,
                 "Above: the length each tube shows; below: its end's reach from the centre; "
                 "centimetres. Dashed: the overlap inside the tube before."));
    for (std::size_t i = 0; i < count; ++i) {
        const double axis = y + kRowHeight / 2;
        pen.text(kMargin, axis + 4, sheet.elements[i].name);
        pen.line(kHalfLeft, axis - 20, kHalfLeft, axis + 20, kGrey, 1, true);
        const std::vector<DrawnTube> tubes = halfOf(sheet, i);
        for (std::size_t t = 0; t < tubes.size(); ++t) {
            const DrawnTube& tube = tubes[t];
            const double x1 = kHalfLeft + tube.start * alongScale;
            const double x2 = kHalfLeft + tube.end * alongScale;
            const double h = tube.diameter * acrossScale;
            pen.rect(x1, axis - h / 2, x2 - x1, h, t % 2 == 0 ? 0xcfd8dc : 0xeceff1, kSlate);
            if (tube.overlap > 0) {
                const double inside = kHalfLeft + (tube.start + tube.overlap) * alongScale;
                pen.line(inside, axis - h / 2, inside, axis + h / 2, kSlate, 1, true);
            }
            const double shown = tube.end - tube.exposed;
            pen.text(kHalfLeft + (shown + tube.exposed / 2) * alongScale, axis - kThickest / 2 - 4,
                     centimetres(tube.exposed), Anchor::Middle, 11, kBlue);
            pen.line(x2, axis + kThickest / 2 + 1, x2, axis + kThickest / 2 + 8, 0x333333);
            pen.text(x2, axis + kThickest / 2 + 19, centimetres(tube.end), Anchor::Middle);
        }
        y += kRowHeight;
    }
    return drawing;
}

std::string svgOf(const Drawing& drawing) {
    const auto colour = [](std::uint32_t rgb) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xffffffU));
        return std::string(text);
    };
    const std::string width = fixed(drawing.width, 0);
    const std::string height = fixed(drawing.height, 0);
    // CJK faces first, so that the Chinese texts show wherever one is installed.
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
        "\" viewBox=\"0 0 " + width + " " + height +
        "\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', 'WenQuanYi Zen Hei', "
        "'Source Han Sans SC', 'Microsoft YaHei', 'PingFang SC', 'DejaVu Sans', sans-serif\" "
        "font-size=\"11\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    for (const Shape& shape : drawing.shapes) {
        switch (shape.kind) {
            case ShapeKind::Line:
                svg += "<line x1=\"" + fixed(shape.x, 1) + "\" y1=\"" + fixed(shape.y, 1) +
                       "\" x2=\"" + fixed(shape.x2, 1) + "\" y2=\"" + fixed(shape.y2, 1) +
                       "\" stroke=\"" + colour(shape.stroke) + "\" stroke-width=\"" +
                       fixed(shape.size, 1) + "\"" +
                       (shape.dashed ? " stroke-dasharray=\"3,3\"" : "") + "/>\n";
                break;
            case ShapeKind::Rect:
                svg += "<rect x=\"" + fixed(shape.x, 1) + "\" y=\"" + fixed(shape.y, 1) +
                       "\" width=\"" + fixed(shape.x2 - shape.x, 1) + "\" height=\"" +
                       fixed(shape.y2 - shape.y, 1) + "\" fill=\"" + colour(shape.fill) +
                       "\" stroke=\"" + colour(shape.stroke) + "\"/>\n";
                break;
            case ShapeKind::Text: {
                static constexpr const char* kAnchors[] = {"start", "middle", "end"};
                svg += "<text";
                if (shape.rotation != 0) {
                    svg += " transform=\"translate(" + fixed(shape.x, 1) + "," + fixed(shape.y, 1) +
                           ") rotate(" + fixed(shape.rotation, 0) + ")\"";
                } else {
                    svg += " x=\"" + fixed(shape.x, 1) + "\" y=\"" + fixed(shape.y, 1) + "\"";
                }
                svg += std::string(" text-anchor=\"") + kAnchors[static_cast<int>(shape.anchor)] +
                       "\"";
                if (shape.size != 11) svg += " font-size=\"" + fixed(shape.size, 0) + "\"";
                if (shape.stroke != kInk) svg += " fill=\"" + colour(shape.stroke) + "\"";
                svg += ">" + escaped(shape.text) + "</text>\n";
                break;
            }
        }
    }
    return svg + "</svg>\n";
}

}  // namespace zeva::sheet
