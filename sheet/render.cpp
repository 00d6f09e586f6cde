// SPDX-License-Identifier: MIT
#include "sheet/render.h"

#include "sheet/csv_report.h"
#include "sheet/entries.h"
#include "sheet/json_report.h"
#include "sheet/polar_scale.h"
#include "sheet/studies.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

struct Labels {
    const char* title;
    const char* geometryTitle;
    const char* mode[4];
    const char* frequency;
    const char* diameter;
    const char* taper;
    const char* inches;
    const char* geometryHeadings[4];
    const char* boom;
    const char* gain;
    const char* frontToBack;
    const char* frontToRear;
    const char* impedance;
    const char* swr;
    const char* beamwidth;
    const char* sidelobe;
    const char* stacking;
    const char* sideBySide;
    const char* above;
    const char* segments;
    const char* perWavelength;
    const char* sweep;
    const char* sweepHeadings[6];
    const char* colon;
    const char* ohms;
    const char* below;
    const char* comma;
    const char* semicolon;
    const char* swrShort;
    const char* worstInSweep;
    const char* trim;
    const char* hairpin;
    const char* drivenShortened;
    const char* stub;
    const char* shunt;
    const char* coax;
    const char* onInsulators;
    const char* boomCorrection;
    const char* bonded;
    const char* insulated;
    const char* drivenThrough;
    const char* drivenApart;
    const char* modelledAsDesigned;
    bool english;
};

// clang-format off
const Labels kChinese{
    "八木天线下料表", "天线几何", {"2 元件", "3 元件", "4 元件", "多元件"}, "设计频率", "元件直径",
    "锥形直径（大/小）", "英寸",
    {"元件（* 为驱动元件）", "长度(米)", "位置(米)", "直径(毫米)"},
    "天线杆长度", "前向增益", "前后比", "前后比（整个后半空间）", "馈点阻抗", "驻波比（50 欧）",
    "-3 dB 波束宽度", "最强旁瓣", "叠放间距（DL6WU）", "并排", "上下", "分段",
    "每波长", "扫描",
    {"频率(MHz)", "电阻(欧)", "电抗(欧)", "驻波比", "增益(dBi)", "前后比(dB)"},
    "：", "欧", "低于主瓣",
    "，", "；", "驻波比", "±2 % 内最大",
    "驱动元件谐振长度", "发夹匹配", "驱动元件缩短为", "短路双线", "并联电抗",
    "四分之一波长同轴变换",
    "天线杆修正：元件装在天线杆上方的绝缘子上，不需修正",
    "天线杆修正（DL6WU 方法，G3SEK 拟合）", "元件穿过金属杆并与之连接", "元件绝缘地穿过金属杆",
    "驱动元件也穿杆", "驱动元件不穿杆，不修正",
    "分析仍按设计长度建模：修正使穿杆元件的电长度复原", false};
const Labels kEnglish{
    "Yagi-Uda cut sheet", "Antenna geometry", {"2 elements", "3 elements", "4 elements", "multi-element"},
    "design frequency", "element diameter", "taper diameters (largest/smallest)", "in",
    {"element (* driven)", "length m", "position m", "diameter mm"},
    "boom length", "forward gain", "front-to-back ratio", "front-to-rear ratio", "feed-point impedance",
    "SWR (50 ohms)", "-3 dB beamwidth", "strongest sidelobe", "stacking distance (DL6WU)",
    "side by side", "one above the other", "segments", "a wavelength", "sweep",
    {"MHz", "R ohm", "X ohm", "SWR", "gain dBi", "F/B dB"},
    ": ", "ohm", "below the main lobe",
    ", ", "; ", "SWR", "worst within +/-2 %",
    "driven element at resonance", "hairpin match", "driven element shortened to",
    "shorted two-wire line", "shunt reactance", "quarter-wave coaxial transformer",
    "boom correction: the elements sit on insulators above the boom, no correction",
    "boom correction (DL6WU's method, G3SEK's fit)", "elements through a metal boom, bonded to it",
    "elements through a metal boom, insulated from it", "the driven element passes through too",
    "the driven element is mounted apart, not corrected",
    "the analysis models the design lengths: the correction restores them electrically", true};
// clang-format on

const Labels& labelsFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

using analysis::fixed;

std::string impedanceText(const analysis::Impedance& z) {
    return fixed(z.resistance, 2) + (z.reactance < 0 ? " - j" : " + j") +
           fixed(std::fabs(z.reactance), 2);
}

struct FigureLine {
    std::string label;
    std::string text;
};

// One figure a line, the same in the text table, the CSV and the design window.
std::vector<FigureLine> figuresOf(const analysis::Analysis& a, const Labels& say) {
    const bool en = say.english;
    const std::string sep = en ? ", " : "，";
    std::vector<FigureLine> lines{
        {say.gain, fixed(a.pattern.forwardGain, 2) + " dBi" + (en ? " (" : "（") +
                       fixed(a.gainDbd, 2) + " dBd" + (en ? ")" : "）")},
        {say.frontToBack, fixed(a.pattern.frontToBack, 2) + " dB"},
        {say.frontToRear, fixed(a.pattern.frontToRear, 2) + " dB"},
        {say.impedance, impedanceText(a.feed) + " " + say.ohms},
        {say.swr, fixed(a.swr, 2)},
        {say.beamwidth, std::string("E ") + fixed(a.pattern.beamwidthE, 1) + "°" + sep + "H " +
                            fixed(a.pattern.beamwidthH, 1) + "°"},
        {say.sidelobe, en ? fixed(a.pattern.sidelobe, 2) + " dB " + say.below
                          : std::string(say.below) + " " + fixed(a.pattern.sidelobe, 2) + " dB"},
        {say.stacking, std::string(say.sideBySide) + " " + fixed(a.stackingSideBySide, 3) + " m" +
                           sep + say.above + " " + fixed(a.stackingAbove, 3) + " m"},
        {say.segments, std::to_string(a.segments) + sep + say.perWavelength + " " +
                           std::to_string(a.segmentation.perWavelength) + " " +
                           (en ? "(extended thin-wire kernel)" : "段（扩展细线核）")},
    };
    for (StudyLine& line :
         bandwidthLines(a, en ? analysis::Language::English : analysis::Language::Chinese)) {
        lines.push_back({std::move(line.label), std::move(line.text)});
    }
    return lines;
}

// The figures of the studies after the analysis: over the ground, the build tolerance.
std::vector<FigureLine> studyLines(const Report& report) {
    std::vector<FigureLine> lines;
    const Language language = report.language;
    if (report.overGround != nullptr) {
        for (StudyLine& line : overGroundLines(*report.overGround, language)) {
            lines.push_back({std::move(line.label), std::move(line.text)});
        }
    }
    if (report.tolerance != nullptr) {
        for (StudyLine& line : toleranceLines(*report.tolerance, language)) {
            lines.push_back({std::move(line.label), std::move(line.text)});
        }
    }
    if (report.advice != nullptr) {
        for (StudyLine& line : adviceLines(*report.advice, language)) {
            lines.push_back({std::move(line.label), std::move(line.text)});
        }
    }
    return lines;
}

std::vector<std::string> sweepCells(const analysis::SweepPoint& p) {
    return {fixed(p.frequency, 3),      fixed(p.feed.resistance, 2),
            fixed(p.feed.reactance, 2), fixed(p.swr, 2),
            fixed(p.gain, 2),           fixed(p.frontToBack, 2)};
}

bool hasCutLengths(const CutSheet& sheet) {
    return !sheet.elements.empty() && !sheet.elements.front().cutFeet.empty();
}

std::string feetOf(double metres) { return fixed(metres / 0.3048, 4); }

// A length as the sheet gives it: feet, centimetres and the tape reading.
std::string lengthText(double metres, const Labels& say) {
    const std::string feet = feetOf(metres);
    return feet + (say.english ? " ft" : " 英尺") + say.comma + fixed(metres * 100, 2) +
           (say.english ? " cm" : " 厘米") + say.comma + tapeOf(feet);
}

}  // namespace

double drivenAllowance(const CutSheet* sheet) {
    if (sheet == nullptr || !sheet->request.construction.drivenThroughBoom ||
        sheet->request.construction.mounting == analysis::Mounting::Insulators) {
        return 0;
    }
    return sheet->boomCorrection;
}

namespace {

// A driven-element length to cut: with an allowance, the length to cut and beside it the
// electrical length that the model tuned.
std::string drivenLengthText(double metres, double allowance, const Labels& say) {
    if (allowance == 0) return lengthText(metres, say);
    return std::string(say.english ? "cut " : "下料 ") + lengthText(metres + allowance, say) +
           (say.english ? " (" + feetOf(metres) + " ft electrically)"
                        : "（电气长度 " + feetOf(metres) + " 英尺）");
}

std::string sweepRange(const std::vector<double>& swr, const std::string& worstLabel) {
    const double worst = *std::max_element(swr.begin(), swr.end());
    return worstLabel + " " + fixed(worst, 2);
}

// "worst within +/-2 %", or within the range the sweep was given.
std::string worstInSweep(const analysis::SweepRange& range, const Labels& say) {
    if (!range.given() && range.span == analysis::kSweepSpan) return say.worstInSweep;
    const std::string within = sweepRangeText(range);
    return say.english ? "worst within " + within : within + " 内最大";
}

std::vector<FigureLine> tuningLines(const analysis::Tuning& t, double allowance,
                                    const std::string& worstLabel, const Labels& say) {
    const bool en = say.english;
    std::vector<FigureLine> lines;
    lines.push_back({say.trim, drivenLengthText(t.trim.length, allowance, say) + say.semicolon +
                                   impedanceText(t.trim.feed) + " " + say.ohms + say.comma +
                                   say.swrShort + " " + fixed(t.trim.swr, 2)});
    if (const auto& h = t.hairpin) {
        lines.push_back({say.hairpin, std::string(say.drivenShortened) + " " +
                                          drivenLengthText(h->elementLength, allowance, say) +
                                          say.semicolon + impedanceText(h->feed) + " " + say.ohms +
                                          say.semicolon + say.stub + " " +
                                          fixed(h->stubImpedance, 0) + " " + say.ohms + say.comma +
                                          (en ? "" : "长 ") + fixed(h->stubLength * 100, 2) +
                                          " cm" + (en ? " long" : "") + say.comma + say.shunt +
                                          " +j" + fixed(h->shuntReactance, 2) + " " + say.ohms +
                                          say.semicolon + say.swrShort + " " + fixed(h->swr, 2) +
                                          say.comma + sweepRange(h->sweepSwr, worstLabel)});
    } else if (!t.hairpinNote.empty()) {
        lines.push_back({say.hairpin, t.hairpinNote});
    }
    if (const auto& c = t.coax) {
        const std::string cable =
            c->cable.parallel == 2
                ? (en ? "two " + fixed(c->cable.each, 0) + "-ohm cables in parallel ("
                      : "两根 " + fixed(c->cable.each, 0) + " 欧电缆并联（") +
                      fixed(c->cable.impedance, 1) + (en ? " ohms)" : " 欧）")
                : (en ? "one " + fixed(c->cable.each, 0) + "-ohm cable"
                      : "一根 " + fixed(c->cable.each, 0) + " 欧电缆");
        lines.push_back({say.coax, std::string("√(50·R) = ") + fixed(c->wanted, 1) + " " +
                                       say.ohms + say.comma + cable + say.comma +
                                       (en ? "" : "长 ") + fixed(c->length * 100, 2) + " cm" +
                                       (en ? " long at a velocity factor of " : "（速度因子 ") +
                                       fixed(c->velocityFactor, 2) + (en ? "" : "）") +
                                       say.semicolon + say.swrShort + " " + fixed(c->swr, 2) +
                                       say.comma + sweepRange(c->sweepSwr, worstLabel)});
    } else if (!t.coaxNote.empty()) {
        lines.push_back({say.coax, t.coaxNote});
    }
    return lines;
}

// A word of caution where the boom is near the end of the correction's fit.
std::string largeCorrectionNote(const CutSheet& sheet, const Labels& say) {
    const double b = sheet.boomWavelengths;
    if (b < analysis::kLargeBoomWavelengths) return {};
    return say.english
               ? "; the correction is large (b = " + fixed(b, 4) + ", near the fit's limit of " +
                     fixed(analysis::kMaxBoomWavelengths, 3) +
                     "): check the element lengths on the antenna"
               : "；修正量很大（b = " + fixed(b, 4) + "，接近拟合的上限 " +
                     fixed(analysis::kMaxBoomWavelengths, 3) + "）：请在天线上核对元件长度";
}

// Tapered elements are modelled as straight wires of the mean diameter. Against a model of
// the taper in two steps (the middle half thick, the outer quarters thin), converged at 1600
// segments a wavelength, a three-element 14.2 MHz design read: 1.33:1 +0.07 dB, -1.8 ohms of
// reactance; 2:1 +0.16 dB, -3.7 ohms; 2.5:1 +0.18 dB, -6.2 ohms; the resistance within 1.5.
// NEC-2 converges slowly at a step in radius, so the mean diameter stays the model and the
// output says how far to trust it.
std::optional<FigureLine> taperLine(const CutSheet* sheet, const Labels& say) {
    if (sheet == nullptr || !sheet->tapered) return std::nullopt;
    const std::string mean = fixed(sheet->diameterInches, 3) + " in";
    if (say.english) {
        return FigureLine{"tapered elements",
                          "modelled with the mean diameter, " + mean +
                              "; a model of the taper's steps gives up to about 0.2 dB more gain "
                              "and up to 6 ohms less reactance for tapers up to 2.5:1: take the "
                              "impedance as approximate"};
    }
    return FigureLine{"锥形元件", "按平均直径 " + mean +
                                      " 建模；按渐变的阶梯建模时，渐变比 2.5:1 以内增益约高 0.2 dB "
                                      "以内、电抗约低 6 欧以内：阻抗只是近似值"};
}

// Every figure line of a report: the analysis', the taper's caution, the trim's and matches'.
std::vector<FigureLine> reportLines(const analysis::Analysis& analysis,
                                    const analysis::Tuning* tuning, const CutSheet* sheet,
                                    const Labels& say) {
    std::vector<FigureLine> lines = figuresOf(analysis, say);
    if (auto taper = taperLine(sheet, say)) lines.push_back(std::move(*taper));
    if (tuning != nullptr) {
        const std::string worst = worstInSweep(analysis.range, say);
        for (FigureLine& line : tuningLines(*tuning, drivenAllowance(sheet), worst, say)) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string boomLine(const CutSheet& sheet, const Labels& say) {
    const Construction& o = sheet.request.construction;
    if (!o.mountingGiven) return {};
    if (o.mounting == analysis::Mounting::Insulators) return say.onInsulators;
    const bool en = say.english;
    return std::string(say.boomCorrection) + say.colon +
           (o.mounting == analysis::Mounting::Bonded ? say.bonded : say.insulated) + say.comma +
           (en ? "boom " : "杆径 ") + fixed(o.boomDiameter * 1000, 1) + " mm" + say.comma +
           (en ? "each element through the boom " : "每根穿杆元件加长 ") +
           fixed(sheet.boomCorrection * 1000, 2) + " mm" + (en ? " longer" : "") + say.comma +
           (o.drivenThroughBoom ? say.drivenThrough : say.drivenApart) + say.semicolon +
           say.modelledAsDesigned + largeCorrectionNote(sheet, say);
}

}  // namespace

std::string diameterText(const CutSheet& sheet) {
    const auto index = static_cast<std::size_t>(sheet.request.design.diameterIndex);
    return withSingleBlanks(DiameterCatalogue[index].text);
}

std::optional<std::string> taperNote(const CutSheet* sheet, Language language) {
    if (auto line = taperLine(sheet, labelsFor(language))) return line->text;
    return std::nullopt;
}

namespace {

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::size_t have = displayWidth(text);
    const std::string blanks(width > have ? width - have : 0, ' ');
    return right ? blanks + text : text + blanks;
}

std::string headerLine(const CutSheet& sheet, const Labels& say) {
    return std::string(say.mode[static_cast<int>(sheet.request.design.mode)]) + ", " +
           say.frequency + " " + sheet.request.design.frequency + " MHz, " + say.diameter + " " +
           diameterText(sheet) + ", " + say.taper + " " + sheet.request.design.largestDiameter +
           " / " + sheet.request.design.smallestDiameter + " " + say.inches + "\n";
}

std::string alignedRows(const std::vector<std::vector<std::string>>& rows,
                        const std::vector<bool>& leftAligned) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], displayWidth(row[i]));
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) line += "  ";
            line += padded(row[i], widths[i], !leftAligned[i]);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

// An antenna of the user's: each element in metres and millimetres.
std::vector<std::vector<std::string>> geometryRows(const analysis::Antenna& antenna,
                                                   const Labels& say) {
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(std::begin(say.geometryHeadings), std::end(say.geometryHeadings));
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        const analysis::Element& e = antenna.elements[i];
        rows.push_back({e.name + (i == antenna.driven ? " *" : ""), fixed(e.length, 4),
                        fixed(e.position, 4), fixed(e.diameter * 1000, 2)});
    }
    return rows;
}

std::string textTable(const Report& report) {
    const Labels& say = labelsFor(report.language);
    std::string out;
    const std::string colon = say.colon;
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        out = std::string(say.title) + "\n" + headerLine(sheet, say) + "\n";
        std::vector<std::vector<std::string>> rows;
        rows.push_back(sheetHeadings(sheet));
        for (const SheetElement& element : sheet.elements) rows.push_back(sheetCells(element));
        std::vector<bool> leftAligned{true, false, false, true, false, false, false, false};
        if (hasCutLengths(sheet)) leftAligned.insert(leftAligned.begin() + 4, {false, false, true});
        out += alignedRows(rows, leftAligned);
        out += "\n" + std::string(say.boom) + colon + sheet.boomFeet +
               (say.english ? " ft, " : " 英尺，") + sheet.boomCentimetres +
               (say.english ? " cm\n" : " 厘米\n");
        if (const std::string note = boomLine(sheet, say); !note.empty()) out += note + "\n";
    } else {
        out = std::string(say.geometryTitle) + "\n" + say.frequency + " " +
              fixed(report.antenna.frequency, 4) + " MHz\n\n";
        out += alignedRows(geometryRows(report.antenna, say), {true, false, false, false});
    }
    if (report.analysis != nullptr) {
        out += "\n";
        for (const std::string& line :
             figureLines(*report.analysis, report.tuning, report.sheet, report.language)) {
            out += line + "\n";
        }
        for (const FigureLine& line : studyLines(report)) {
            out += line.label + colon + line.text + "\n";
        }
        out += std::string(say.sweep) + colon;
        if (out.back() == ' ') out.pop_back();
        out += "\n";
        std::vector<std::vector<std::string>> rows;
        rows.emplace_back(std::begin(say.sweepHeadings), std::end(say.sweepHeadings));
        for (const analysis::SweepPoint& point : report.analysis->sweep) {
            rows.push_back(sweepCells(point));
        }
        const std::string table = alignedRows(rows, {false, false, false, false, false, false});
        std::size_t start = 0;
        while (start < table.size()) {
            const std::size_t end = table.find('\n', start);
            out += "  " + table.substr(start, end - start + 1);
            start = end + 1;
        }
    }
    return out;
}

}  // namespace

std::vector<std::vector<std::string>> sweepRows(const analysis::Analysis& analysis,
                                                Language language) {
    const Labels& say = labelsFor(language);
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(std::begin(say.sweepHeadings), std::end(say.sweepHeadings));
    for (const analysis::SweepPoint& point : analysis.sweep) rows.push_back(sweepCells(point));
    return rows;
}

std::vector<std::string> tuningFigureLines(const analysis::Analysis& analysis,
                                           const analysis::Tuning& tuning, const CutSheet* sheet,
                                           Language language) {
    const Labels& say = labelsFor(language);
    std::vector<std::string> lines;
    for (const FigureLine& figure :
         tuningLines(tuning, drivenAllowance(sheet), worstInSweep(analysis.range, say), say)) {
        lines.push_back(figure.label + say.colon + figure.text);
    }
    return lines;
}

std::vector<std::string> figureLines(const analysis::Analysis& analysis,
                                     const analysis::Tuning* tuning, const CutSheet* sheet,
                                     Language language) {
    const Labels& say = labelsFor(language);
    const std::vector<FigureLine> figures = reportLines(analysis, tuning, sheet, say);
    std::vector<std::string> lines;
    for (const FigureLine& figure : figures)
        lines.push_back(figure.label + say.colon + figure.text);
    return lines;
}

std::string boomNote(const CutSheet& sheet) { return boomLine(sheet, labelsFor(sheet.language)); }

std::string designLine(const CutSheet& sheet) {
    std::string line = headerLine(sheet, labelsFor(sheet.language));
    line.pop_back();
    return line;
}

std::string necDeck(const analysis::Antenna& antenna, const analysis::Analysis* analysis) {
    // The fewest digits that read back as the same double: 14.2 stays 14.2.
    char frequency[32];
    const auto [end, status] =
        std::to_chars(frequency, frequency + sizeof frequency, antenna.frequency);
    const std::string frequencyText = status == std::errc{} ? std::string(frequency, end) : "?";
    return nec::toCards(analysis::wholeDeck(
        antenna, analysis != nullptr ? analysis->segmentation : analysis::Segmentation{},
        {"zeva-sheet: Yagi-Uda, " + std::to_string(antenna.elements.size()) + " elements, " +
             frequencyText + " MHz",
         "one straight wire per element across the boom, metres, free space"},
        analysis != nullptr ? analysis->range : analysis::SweepRange{}));
}

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        // Three- and four-byte characters here are CJK ideographs and full-width signs.
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string render(const Report& report) {
    switch (report.format) {
        case OutputFormat::Csv:
            return sheetCsv(report);
        case OutputFormat::Json:
            return jsonReport(report);
        case OutputFormat::Text:
            break;
    }
    return textTable(report);
}

std::string patternSvg(const analysis::Analysis& analysis, double frequency, Language language,
                       const analysis::OverGround* over) {
    const bool english = language == Language::English;
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
           std::string(english ? "Radiation patterns at " : "方向图，") + fixed(frequency, 3) +
           " MHz</text>\n";
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
    plot(analysis.ePlane, true, 210, english ? "E-plane" : "E 面");
    plot(analysis.hPlane, false, 630, english ? "H-plane" : "H 面");
    svg += "<text x=\"420\" y=\"505\" text-anchor=\"middle\">" +
           std::string(english ? "forward gain " : "前向增益 ") +
           fixed(analysis.pattern.forwardGain, 2) + " dBi, " +
           (english ? "front-to-back " : "前后比 ") + fixed(analysis.pattern.frontToBack, 2) +
           (english ? " dB; rings in dB below the maximum, " : " dB；圈为低于最大值的 dB，最大 ") +
           fixed(peak, 2) + " dBi</text>\n";
    if (over != nullptr) svg += elevationSvg(*over, 520, language);
    return svg + "</svg>\n";
}

namespace {

// The path itself, not what a link points to: /dev/stdout is a link, and a rename over it
// would replace the link.
bool isOtherThanRegularFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

std::optional<Failure> writeAll(const std::vector<OutputFile>& files, Language language) {
    const auto cannot = [language](const std::string& path) {
        return Failure{(language == Language::English ? "cannot write " : "无法写入 ") + path};
    };
    // Every target is checked before any is replaced: a folder cannot take a file's place.
    for (const OutputFile& file : files) {
        std::error_code error;
        if (std::filesystem::is_directory(file.path, error)) return cannot(file.path);
    }
    // Decided once, before anything is written: afterwards a renamed file is regular.
    std::vector<bool> inPlace;
    for (const OutputFile& file : files) inPlace.push_back(isOtherThanRegularFile(file.path));
    std::vector<std::string> temporaries(files.size());
    const auto removeTemporaries = [&temporaries] {
        for (const std::string& temporary : temporaries) {
            std::error_code ignored;
            if (!temporary.empty()) std::filesystem::remove(temporary, ignored);
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (inPlace[i]) continue;  // written in place, last
        temporaries[i] = files[i].path + ".partial-" + std::to_string(getpid());
        if (!writeFile(temporaries[i], files[i].content)) {
            removeTemporaries();
            return cannot(files[i].path);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (temporaries[i].empty()) continue;
        std::error_code error;
        std::filesystem::rename(temporaries[i], files[i].path, error);
        if (error) {
            removeTemporaries();
            return cannot(files[i].path);
        }
        temporaries[i].clear();
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (inPlace[i] && !writeFile(files[i].path, files[i].content)) return cannot(files[i].path);
    }
    return std::nullopt;
}

}  // namespace zeva::sheet
