// SPDX-License-Identifier: MIT
#include "sheet/studies.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "sheet/polar_scale.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

// How many elements the sensitivities name, the strongest first.
constexpr std::size_t kNamedSensitivities = 3;

std::string impedanceText(const analysis::Impedance& z) {
    return fixed(z.resistance, 2) + (z.reactance < 0 ? " - j" : " + j") +
           fixed(std::fabs(z.reactance), 2);
}

std::string spreadText(const analysis::Spread& s, int decimals, const std::string& unit,
                       Language language) {
    const bool en = language == Language::English;
    return (en ? "median " : "中位数 ") + fixed(s.median, decimals) + unit +
           (en ? ", 90th percentile " : "，90 % 分位 ") + fixed(s.p90, decimals) + unit +
           (en ? ", worst " : "，最差 ") + fixed(s.worst, decimals) + unit;
}

// The elements whose length moves a figure most, strongest first, with their figure.
std::string strongest(const std::vector<analysis::Sensitivity>& all,
                      double analysis::Sensitivity::*figure, int decimals, const std::string& unit,
                      Language language) {
    std::vector<analysis::Sensitivity> sorted = all;
    std::stable_sort(sorted.begin(), sorted.end(), [figure](const auto& a, const auto& b) {
        return std::fabs(a.*figure) > std::fabs(b.*figure);
    });
    std::string out;
    for (std::size_t i = 0; i < std::min(kNamedSensitivities, sorted.size()); ++i) {
        if (i > 0) out += language == Language::English ? ", " : "，";
        out += sorted[i].name + " " + (sorted[i].*figure >= 0 ? "+" : "") +
               fixed(sorted[i].*figure, decimals) + unit;
    }
    return out;
}

}  // namespace

std::string sweepRangeText(const analysis::SweepRange& range) {
    if (range.given()) return fixed(range.low, 3) + "–" + fixed(range.high, 3) + " MHz";
    std::string percent = fixed(range.span * 100, 2);
    percent.erase(percent.find_last_not_of('0') + 1);
    if (percent.back() == '.') percent.pop_back();
    return "±" + percent + " %";
}

std::vector<StudyLine> bandwidthLines(const analysis::Analysis& a, Language language) {
    const bool en = language == Language::English;
    std::vector<StudyLine> lines;
    for (const double level : analysis::kSwrLevels) {
        const std::string levelText = fixed(level, 1);
        StudyLine line{
            (en ? "bandwidth, SWR below " : "驻波比低于 ") + levelText + (en ? "" : " 的带宽"), {}};
        const auto band = analysis::swrBand(a.sweep, level);
        if (!band) {
            line.text = en ? "none: the SWR stays above " + levelText + " across the sweep"
                           : "无：整个扫描范围内驻波比都高于 " + levelText;
        } else {
            line.text = fixed(band->low, 3) + "–" + fixed(band->high, 3) + " MHz" +
                        (en ? " (" : "（") + fixed((band->high - band->low) * 1000, 0) + " kHz";
            if (band->lowAtSweepEnd || band->highAtSweepEnd) {
                line.text +=
                    en ? "; it goes on beyond the sweep's end" : "；带宽延伸到扫描范围之外";
            }
            line.text += en ? ")" : "）";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<StudyLine> overGroundLines(const analysis::OverGround& over, Language language) {
    const bool en = language == Language::English;
    const analysis::Placement& p = over.placement;
    const std::string ground = analysis::groundName(p.ground, language);
    std::vector<StudyLine> lines{
        {en ? "over ground" : "离地",
         (en ? "height " : "高度 ") + fixed(p.height, 2) + (en ? " m (" : " 米（") +
             fixed(over.heightWavelengths, 2) + (en ? " wavelength), " : " 波长），") + ground},
        {en ? "takeoff angle" : "仰角（最强辐射方向）",
         fixed(over.takeoff, 1) + (en ? " degrees, gain there " : " 度，该处增益 ") +
             fixed(over.gain, 2) + " dBi"},
        {en ? "elevation -3 dB beamwidth" : "仰角 -3 dB 波束宽度",
         std::isfinite(over.beamwidth)
             ? fixed(over.beamwidth, 1) + (en ? " degrees" : " 度")
             : (en ? "none: the lobe does not fall by 3 dB" : "无：波瓣未下降 3 dB")},
        {en ? "front-to-back at that elevation" : "该仰角的前后比",
         fixed(over.frontToBack, 2) + " dB"},
        {en ? "feed-point impedance over ground" : "离地的馈点阻抗",
         impedanceText(over.feed) + (en ? " ohm, SWR " : " 欧，驻波比 ") + fixed(over.swr, 2)},
    };
    if (over.nearTheGround) {
        const std::string below = fixed(analysis::kCautionHeight, 2);
        lines.push_back(
            {en ? "caution" : "注意",
             en ? "below " + below +
                      " wavelength NEC-2's reflection-coefficient ground differs from a "
                      "Sommerfeld solution by up to 10 ohms and 0.7 dB: take these figures as "
                      "approximate"
                : "低于 " + below +
                      " 波长时，NEC-2 的反射系数地面与 Sommerfeld 解相差可达 10 欧和 "
                      "0.7 dB：以上数字只是近似值"});
    }
    return lines;
}

std::vector<StudyLine> toleranceLines(const analysis::Tolerance& t, Language language) {
    const bool en = language == Language::English;
    const analysis::ToleranceRequest& r = t.request;
    const double step = r.length > 0 ? r.length : analysis::kSensitivityStep;
    return {
        {en ? "build tolerance" : "制作公差",
         (en ? "lengths ±" : "长度 ±") + fixed(r.length * 1000, 2) +
             (en ? " mm, positions ±" : " mm，位置 ±") + fixed(r.position * 1000, 2) + " mm" +
             (en ? ", " : "，") + std::to_string(r.samples) +
             (en ? " samples (seed " : " 个样本（种子 ") + std::to_string(r.seed) +
             (en ? ")" : "）")},
        {en ? "SWR within the tolerance" : "公差下的驻波比", spreadText(t.swr, 2, "", language)},
        {en ? "shift of the resonance" : "谐振频率的偏移",
         spreadText(t.resonanceShift, 1, " kHz", language)},
        {en ? "forward gain within the tolerance" : "公差下的前向增益",
         spreadText(t.gain, 2, " dBi", language)},
        {en ? "front-to-back within the tolerance" : "公差下的前后比",
         spreadText(t.frontToBack, 2, " dB", language)},
        {en ? "lengths that move the reactance most" : "对电抗影响最大的元件长度",
         strongest(t.sensitivities, &analysis::Sensitivity::reactance, 3,
                   en ? " ohm/mm" : " 欧/毫米", language)},
        {en ? "lengths that move the gain most" : "对增益影响最大的元件长度",
         strongest(t.sensitivities, &analysis::Sensitivity::gain, 4, en ? " dB/mm" : " dB/毫米",
                   language) +
             (en ? " (each changed by ±" : "（每根改变 ±") + fixed(step * 1000, 2) +
             (en ? " mm)" : " mm）")},
    };
}

std::string elevationSvg(const analysis::OverGround& over, double y, Language language) {
    const bool en = language == Language::English;
    double peak = -999;
    for (const analysis::ElevationPoint& p : over.elevation) peak = std::max(peak, p.gain);
    const PolarScale scale{peak, 220};
    const double kRadius = scale.radius;
    const double floor = scale.floor();
    const auto radiusOf = [&scale](double gain) { return scale.at(gain); };
    const double cx = 420;
    const double cy = y + 60 + kRadius;
    // The x and y of a direction at a radius, and the same as an SVG point.
    const auto at = [&](double degrees, double r) {
        const double a = degrees * std::numbers::pi / 180;
        return std::pair{cx + r * std::cos(a), cy - r * std::sin(a)};
    };
    const auto point = [&](double degrees, double r) {
        const auto [x, py] = at(degrees, r);
        return fixed(x, 2) + "," + fixed(py, 2);
    };
    const std::string ground = analysis::groundName(over.placement.ground, language);
    const std::string height = fixed(over.placement.height, 2);
    std::string svg = "<text x=\"420\" y=\"" + fixed(y + 20, 0) +
                      "\" text-anchor=\"middle\" font-size=\"16\">" +
                      (en ? "Elevation pattern along the boom, " + height + " m above " + ground
                          : "仰角方向图（沿天线杆的垂直面），离" + ground + " " + height + " 米") +
                      "</text>\n";
    double lastText = -1e9;
    for (const double below : kPolarRings) {
        const double r = radiusOf(peak + below);
        svg += "<path d=\"M" + point(0, r) + " A" + fixed(r, 1) + "," + fixed(r, 1) + " 0 0 0 " +
               point(180, r) + "\" fill=\"none\" stroke=\"#bbb\"" +
               (below == -3 ? " stroke-dasharray=\"4,3\"" : "") + "/>\n";
        if (std::fabs(cx + r - lastText) < 18) continue;  // 0 and -3 crowd each other
        svg += "<text x=\"" + fixed(cx + r, 1) + "\" y=\"" + fixed(cy + 16, 1) +
               "\" text-anchor=\"middle\" fill=\"#333\">" + fixed(below, 0) + "</text>\n";
        lastText = cx + r;
    }
    for (int angle = 0; angle <= 180; angle += 30) {
        svg += "<path d=\"M" + point(angle, floor) + " L" + point(angle, kRadius) +
               "\" stroke=\"#ddd\"/>\n";
        const auto [x, py] = at(angle, kRadius + 16);
        svg += "<text x=\"" + fixed(x, 1) + "\" y=\"" + fixed(py + 4, 1) +
               "\" text-anchor=\"middle\" fill=\"#666\">" +
               std::to_string(angle <= 90 ? angle : 180 - angle) + "°</text>\n";
    }
    std::string path = "M" + point(0, 0);
    for (const analysis::ElevationPoint& p : over.elevation) {
        path += " L" + point(p.elevation, radiusOf(p.gain));
    }
    svg += "<path d=\"" + path +
           " Z\" fill=\"rgba(0,0,255,0.08)\" stroke=\"blue\" stroke-width=\"1.5\"/>\n";
    svg += "<path d=\"M" + point(0, 0) + " L" + point(over.takeoff, kRadius) +
           "\" stroke=\"#c00\" stroke-dasharray=\"4,3\"/>\n";
    svg += "<text x=\"420\" y=\"" + fixed(cy + 40, 1) + "\" text-anchor=\"middle\">" +
           (en ? "takeoff " + fixed(over.takeoff, 1) + "°, gain " + fixed(over.gain, 2) +
                     " dBi (rings in dB below it)"
               : "仰角 " + fixed(over.takeoff, 1) + "°，增益 " + fixed(over.gain, 2) +
                     " dBi（圈为低于它的 dB）") +
           "</text>\n";
    return svg;
}

namespace {

// "shorten … by 98 mm (49 mm each half)" / "缩短 98 mm（每半边 49 mm）".
std::string elementChange(double metres, Language language) {
    const bool en = language == Language::English;
    const double mm = std::fabs(metres) * 1000;
    return (en ? (metres < 0 ? "shorten the driven element by " : "lengthen the driven element by ")
               : (metres < 0 ? "驱动元件缩短 " : "驱动元件加长 ")) +
           fixed(mm, 0) + " mm" + (en ? " (" : "（") + (en ? "" : "每半边 ") + fixed(mm / 2, 0) +
           (en ? " mm each half)" : " mm）");
}

std::string lineChange(double metres, const char* chinese, const char* english, Language language) {
    const bool en = language == Language::English;
    return std::string(en ? english : chinese) +
           (en ? (metres < 0 ? " shorter by " : " longer by ") : (metres < 0 ? "缩短 " : "加长 ")) +
           fixed(std::fabs(metres) * 1000, 0) + " mm";
}

}  // namespace

std::vector<StudyLine> adviceLines(const analysis::TrimAdvice& a, Language language) {
    const bool en = language == Language::English;
    const analysis::MeasuredFigures& m = a.measured;
    const std::string sep = en ? "; " : "；";
    std::vector<StudyLine> lines{
        {en ? "measured" : "测量",
         (en ? "least SWR " : "最小驻波比 ") + fixed(m.leastSwr, 2) + (en ? " at " : "，在 ") +
             fixed(m.leastSwrFrequency, 3) + " MHz" + sep +
             (m.resonance
                  ? (en ? "zero reactance at " : "电抗过零在 ") + fixed(*m.resonance, 3) + " MHz"
                  : std::string(en ? "the reactance crosses no zero" : "电抗没有过零")) +
             sep + (en ? "at the design frequency " : "设计频率上 ") +
             impedanceText({m.atDesign.real(), m.atDesign.imag()}) + (en ? " ohm" : " 欧")}};
    if (!a.advised) {
        std::string text;
        for (std::size_t i = 0; i < a.checks.size(); ++i) text += (i > 0 ? sep : "") + a.checks[i];
        lines.push_back({en ? "no trim advised" : "不建议修剪", text});
        return lines;
    }
    std::string advice;
    switch (a.feed) {
        case analysis::Feed::Direct:
            advice =
                elementChange(a.drivenChange, language) +
                (en ? " to bring its resonance to the design frequency" : "，使谐振回到设计频率");
            break;
        case analysis::Feed::Hairpin:
            advice = lineChange(*a.lineChange, "发夹线", "make the hairpin's line", language);
            if (a.elementOff) {
                advice += sep + (en ? "the driven element reads off, too: " : "驱动元件也偏了：") +
                          elementChange(a.drivenChange, language) +
                          (en ? ", and set the line to its designed length"
                              : "，并把发夹线恢复到设计长度");
            }
            break;
        case analysis::Feed::Coax:
            advice =
                *a.lineChange != 0
                    ? lineChange(*a.lineChange, "变换电缆", "make the transformer cable", language)
                    : std::string(en ? "the cable's length is right" : "电缆长度合适");
            advice += sep + (a.elementOff ? elementChange(a.drivenChange, language)
                                          : std::string(en ? "the driven element is right"
                                                           : "驱动元件长度合适"));
            break;
    }
    lines.push_back({en ? "trim" : "修剪建议", advice});
    return lines;
}

}  // namespace zeva::sheet
