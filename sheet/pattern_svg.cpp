// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cmath>
#include <numbers>

#include "sheet/polar_scale.h"
#include "sheet/render.h"
#include "sheet/studies.h"

namespace zeva::sheet {

using analysis::fixed;

std::string patternSvg(const analysis::Analysis& analysis, double frequency, Language language,
                       const analysis::OverGround* over) {
    const std::string height = fixed(520 + (over != nullptr ? kElevationSvgHeight : 0), 0);
    double peak = -999;
    for (const auto* plane : {&analysis.ePlane, &analysis.hPlane}) {
        for (const analysis::PatternPoint& p : *plane) peak = std::max(peak, p.gain);
    }
    const PolarScale scale{peak, 160};
    const double kRadius = scale.radius;
    const double kFloorRadius = scale.floor();
    const auto radiusOf = [&scale](double gain) { return scale.at(gain); };

    // CJK faces first, so that the Chinese titles show wherever one is installed.
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"840\" height=\"" + height +
        "\" viewBox=\"0 0 840 " + height +
        "\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', "
        "'WenQuanYi Zen Hei', 'Source Han Sans SC', 'Microsoft YaHei', 'PingFang SC', "
        "'DejaVu Sans', sans-serif\" font-size=\"12\">\n"
        "<rect width=\"840\" height=\"" +
        height + "\" fill=\"white\"/>\n";
    svg += "<text x=\"420\" y=\"28\" text-anchor=\"middle\" font-size=\"18\">" +
           say(language, "Radiation patterns at %1 MHz", {fixed(frequency, 3)}) + "</text>\n";
    const auto plot = [&](const std::vector<analysis::PatternPoint>& points, bool ePlane, double cx,
                          const std::string& title) {
        const double cy = 250;
        svg += "<text x=\"" + fixed(cx, 0) +
               "\" y=\"62\" text-anchor=\"middle\" font-size=\"16\">" + title + "</text>\n";
        for (const double below : kPolarRings) {
            svg += "<circle cx=\"" + fixed(cx, 1) + "\" cy=\"" + fixed(cy, 1) + "\" r=\"" +
                   fixed(radiusOf(peak + below), 1) + "\" fill=\"none\" stroke=\"#bbb\"" +
                   (below == -3 ? " stroke-dasharray=\"4,3\"" : "") + "/>\n";
        }
        for (int angle = 0; angle < 360; angle += 30) {
            const double a = angle * std::numbers::pi / 180;
            svg += "<line x1=\"" + fixed(cx + kFloorRadius * std::cos(a), 1) + "\" y1=\"" +
                   fixed(cy - kFloorRadius * std::sin(a), 1) + "\" x2=\"" +
                   fixed(cx + kRadius * std::cos(a), 1) + "\" y2=\"" +
                   fixed(cy - kRadius * std::sin(a), 1) + "\" stroke=\"#ddd\"/>\n";
            svg += "<text x=\"" + fixed(cx + (kRadius + 16) * std::cos(a), 1) + "\" y=\"" +
                   fixed(cy - (kRadius + 16) * std::sin(a) + 4, 1) +
                   "\" text-anchor=\"middle\" fill=\"#666\">" + std::to_string(angle) +
                   "°</text>\n";
        }
        // The forward direction, along the boom towards the directors, points right.
        std::string path;
        for (const analysis::PatternPoint& p : points) {
            const double degrees = ePlane ? p.phi : 90 - p.theta;
            const double a = degrees * std::numbers::pi / 180;
            const double r = radiusOf(p.gain);
            path += (path.empty() ? "M" : " L") + fixed(cx + r * std::cos(a), 2) + "," +
                    fixed(cy - r * std::sin(a), 2);
        }
        svg += "<path d=\"" + path +
               " Z\" fill=\"rgba(0,0,255,0.08)\" stroke=\"blue\" stroke-width=\"1.5\"/>\n";
        // The scale reads along a ruler below the plot, from the floor ring to the outer one,
        // where no lobe can cover it.
        const double ruler = cy + kRadius + 34;
        svg += "<line x1=\"" + fixed(cx + kFloorRadius, 1) + "\" y1=\"" + fixed(ruler, 1) +
               "\" x2=\"" + fixed(cx + kRadius, 1) + "\" y2=\"" + fixed(ruler, 1) +
               "\" stroke=\"#888\"/>\n";
        double lastText = -1e9;
        for (const double below : kPolarRings) {
            const double x = cx + radiusOf(peak + below);
            svg += "<line x1=\"" + fixed(x, 1) + "\" y1=\"" + fixed(ruler - 4, 1) + "\" x2=\"" +
                   fixed(x, 1) + "\" y2=\"" + fixed(ruler + 4, 1) + "\" stroke=\"#888\"/>\n";
            if (std::fabs(x - lastText) < 18) continue;  // 0 and -3 crowd each other
            svg += "<text x=\"" + fixed(x, 1) + "\" y=\"" + fixed(ruler + 18, 1) +
                   "\" text-anchor=\"middle\" fill=\"#333\">" + fixed(below, 0) + "</text>\n";
            lastText = x;
        }
        svg += "<text x=\"" + fixed(cx - 8, 1) + "\" y=\"" + fixed(ruler + 4, 1) +
               "\" text-anchor=\"end\" fill=\"#333\">dB</text>\n";
    };
    plot(analysis.ePlane, true, 210, say(language, "E-plane"));
    plot(analysis.hPlane, false, 630, say(language, "H-plane"));
    svg += "<text x=\"420\" y=\"505\" text-anchor=\"middle\">" +
           say(language,
               "forward gain %1 dBi, front-to-back %2 dB; rings in dB below the maximum, %3 dBi",
               {fixed(analysis.pattern.forwardGain, 2), fixed(analysis.pattern.frontToBack, 2),
                fixed(peak, 2)}) +
           "</text>\n";
    if (over != nullptr) svg += elevationSvg(*over, 520, language);
    return svg + "</svg>\n";
}

}  // namespace zeva::sheet
