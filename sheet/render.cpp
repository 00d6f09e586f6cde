#include "sheet/render.h"

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
    const char* headings[8];
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
    bool english;
};

// clang-format off
const Labels kChinese{
    "八木天线下料表", "天线几何", {"2 元件", "3 元件", "4 元件", "多元件"}, "设计频率", "元件直径",
    "锥形直径（大/小）", "英寸",
    {"元件", "长度(英尺)", "长度(厘米)", "卷尺读数", "间距(英尺)", "间距(厘米)", "位置(英尺)", "位置(厘米)"},
    {"元件（* 为驱动元件）", "长度(米)", "位置(米)", "直径(毫米)"},
    "天线杆长度", "前向增益", "前后比", "前后比（整个后半空间）", "馈点阻抗", "驻波比（50 欧）",
    "-3 dB 波束宽度", "最强旁瓣", "叠放间距（DL6WU）", "并排", "上下", "分段",
    "每波长", "扫描",
    {"频率(MHz)", "电阻(欧)", "电抗(欧)", "驻波比", "增益(dBi)", "前后比(dB)"},
    "：", "欧", "低于主瓣", false};
const Labels kEnglish{
    "Yagi-Uda cut sheet", "Antenna geometry", {"2 elements", "3 elements", "4 elements", "multi-element"},
    "design frequency", "element diameter", "taper diameters (largest/smallest)", "in",
    {"element", "length ft", "length cm", "tape", "spacing ft", "spacing cm", "position ft", "position cm"},
    {"element (* driven)", "length m", "position m", "diameter mm"},
    "boom length", "forward gain", "front-to-back ratio", "front-to-rear ratio", "feed-point impedance",
    "SWR (50 ohms)", "-3 dB beamwidth", "strongest sidelobe", "stacking distance (DL6WU)",
    "side by side", "one above the other", "segments", "a wavelength", "sweep",
    {"MHz", "R ohm", "X ohm", "SWR", "gain dBi", "F/B dB"},
    ": ", "ohm", "below the main lobe", true};
// clang-format on

const Labels& labelsFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

using analysis::fixed;

std::string impedanceText(const analysis::Impedance& z) {
    return fixed(z.resistance, 2) + (z.reactance < 0 ? " - j" : " + j") +
           fixed(std::fabs(z.reactance), 2);
}

// One figure a line, the same in the text table, the CSV and the design window.
std::vector<FigureLine> figuresOf(const analysis::Analysis& a, const Labels& say) {
    const bool en = say.english;
    const std::string sep = en ? ", " : "，";
    return {
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
}

std::vector<std::string> sweepCells(const analysis::SweepPoint& p) {
    return {fixed(p.frequency, 3),      fixed(p.feed.resistance, 2),
            fixed(p.feed.reactance, 2), fixed(p.swr, 2),
            fixed(p.gain, 2),           fixed(p.frontToBack, 2)};
}

std::vector<std::string> cellsOf(const SheetElement& e) {
    return {e.name,         e.feet,
            e.centimetres,  e.tape,
            e.spacingFeet,  e.spacingCentimetres,
            e.positionFeet, e.positionCentimetres};
}

std::string diameterText(const CutSheet& sheet) {
    const auto index = static_cast<std::size_t>(sheet.options.diameterIndex);
    return withSingleBlanks(DiameterCatalogue[index].text);
}

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::size_t have = displayWidth(text);
    const std::string blanks(width > have ? width - have : 0, ' ');
    return right ? blanks + text : text + blanks;
}

std::string headerLine(const CutSheet& sheet, const Labels& say) {
    return std::string(say.mode[static_cast<int>(sheet.options.mode)]) + ", " + say.frequency +
           " " + sheet.options.frequency + " MHz, " + say.diameter + " " + diameterText(sheet) +
           ", " + say.taper + " " + sheet.options.largestDiameter + " / " +
           sheet.options.smallestDiameter + " " + say.inches + "\n";
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
    const Labels& say = labelsFor(report.options.language);
    std::string out;
    const std::string colon = say.colon;
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        out = std::string(say.title) + "\n" + headerLine(sheet, say) + "\n";
        std::vector<std::vector<std::string>> rows;
        rows.emplace_back(std::begin(say.headings), std::end(say.headings));
        for (const SheetElement& element : sheet.elements) rows.push_back(cellsOf(element));
        out += alignedRows(rows, {true, false, false, true, false, false, false, false});
        out += "\n" + std::string(say.boom) + colon + sheet.boomFeet + " ft, " +
               sheet.boomCentimetres + " cm\n";
    } else {
        out = std::string(say.geometryTitle) + "\n" + say.frequency + " " +
              fixed(report.antenna.frequency, 4) + " MHz\n\n";
        out += alignedRows(geometryRows(report.antenna, say), {true, false, false, false});
    }
    if (report.analysis != nullptr) {
        out += "\n";
        for (const FigureLine& figure : figuresOf(*report.analysis, say)) {
            out += figure.label + colon + figure.text + "\n";
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

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string csv(const Report& report) {
    const Labels& say = labelsFor(report.options.language);
    std::string out;
    const auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += ',';
            out += csvField(cells[i]);
        }
        out += "\r\n";
    };
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        line({std::begin(say.headings), std::end(say.headings)});
        for (const SheetElement& element : sheet.elements) line(cellsOf(element));
        line({say.boom, "", "", "", "", "", sheet.boomFeet, sheet.boomCentimetres});
    } else {
        for (const auto& row : geometryRows(report.antenna, say)) line(row);
    }
    if (report.analysis != nullptr) {
        for (const FigureLine& figure : figuresOf(*report.analysis, say)) {
            line({figure.label, figure.text});
        }
        line({std::begin(say.sweepHeadings), std::end(say.sweepHeadings)});
        for (const analysis::SweepPoint& point : report.analysis->sweep) line(sweepCells(point));
    }
    return out;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", ch);
                    out += escape;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

// A number for JSON: null where it is not finite.
std::string jsonNumber(double value, int decimals) {
    return std::isfinite(value) ? fixed(value, decimals) : "null";
}

std::string analysisJson(const analysis::Analysis& a) {
    const auto impedance = [](const analysis::Impedance& z) {
        return "{\"r\": " + fixed(z.resistance, 3) + ", \"x\": " + fixed(z.reactance, 3) + "}";
    };
    std::string out =
        "{\"forward_gain_dbi\": " + fixed(a.pattern.forwardGain, 2) +
        ", \"forward_gain_dbd\": " + fixed(a.gainDbd, 2) +
        ", \"front_to_back_db\": " + fixed(a.pattern.frontToBack, 2) +
        ", \"front_to_rear_db\": " + fixed(a.pattern.frontToRear, 2) +
        ",\n    \"impedance_ohm\": " + impedance(a.feed) + ", \"swr\": " + jsonNumber(a.swr, 4) +
        ",\n    \"beamwidth_deg\": {\"e_plane\": " + jsonNumber(a.pattern.beamwidthE, 1) +
        ", \"h_plane\": " + jsonNumber(a.pattern.beamwidthH, 1) +
        "}, \"sidelobe_db\": " + jsonNumber(a.pattern.sidelobe, 2) +
        ",\n    \"stacking_m\": {\"side_by_side\": " + jsonNumber(a.stackingSideBySide, 3) +
        ", \"one_above_the_other\": " + jsonNumber(a.stackingAbove, 3) +
        "},\n    \"segments\": {\"total\": " + std::to_string(a.segments) +
        ", \"per_wavelength\": " + std::to_string(a.segmentation.perWavelength) +
        ", \"kernel\": \"extended\"},\n    \"convergence\": [";
    for (std::size_t i = 0; i < a.convergence.size(); ++i) {
        const analysis::ConvergenceStep& step = a.convergence[i];
        out += std::string(i > 0 ? ", " : "") +
               "{\"per_wavelength\": " + std::to_string(step.perWavelength) +
               ", \"segments\": " + std::to_string(step.segments) +
               ", \"impedance_ohm\": " + impedance(step.feed) +
               ", \"forward_gain_dbi\": " + fixed(step.gain, 2) + "}";
    }
    out += "],\n    \"sweep\": [";
    for (std::size_t i = 0; i < a.sweep.size(); ++i) {
        const analysis::SweepPoint& p = a.sweep[i];
        out += std::string(i > 0 ? ",\n      " : "\n      ") +
               "{\"mhz\": " + fixed(p.frequency, 4) + ", \"swr\": " + jsonNumber(p.swr, 4) +
               ", \"impedance_ohm\": " + impedance(p.feed) + ", \"gain_dbi\": " + fixed(p.gain, 2) +
               ", \"front_to_back_db\": " + fixed(p.frontToBack, 2) + "}";
    }
    return out + "]}";
}

std::string json(const Report& report) {
    std::string out = "{\n";
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        static constexpr const char* kKeys[] = {"name",        "length_ft",  "length_cm",
                                                "tape",        "spacing_ft", "spacing_cm",
                                                "position_ft", "position_cm"};
        // Figures are JSON numbers; names and readings are strings; a missing spacing is null.
        const auto value = [](std::size_t key, const std::string& text) {
            if (key == 0 || key == 3) return jsonString(text);
            return text.empty() ? std::string("null") : text;
        };
        static constexpr const char* kModes[] = {"2", "3", "4", "multi"};
        out += "  \"design\": {\"elements\": " +
               jsonString(kModes[static_cast<int>(sheet.options.mode)]) +
               ", \"frequency_mhz\": " + jsonString(sheet.options.frequency) +
               ", \"diameter\": " + jsonString(diameterText(sheet)) +
               ", \"largest_diameter_in\": " + jsonString(sheet.options.largestDiameter) +
               ", \"smallest_diameter_in\": " + jsonString(sheet.options.smallestDiameter) +
               "},\n  \"elements\": [\n";
        for (std::size_t i = 0; i < sheet.elements.size(); ++i) {
            const std::vector<std::string> cells = cellsOf(sheet.elements[i]);
            out += "    {";
            for (std::size_t key = 0; key < cells.size(); ++key) {
                if (key > 0) out += ", ";
                out += std::string("\"") + kKeys[key] + "\": " + value(key, cells[key]);
            }
            out += i + 1 < sheet.elements.size() ? "},\n" : "}\n";
        }
        out += "  ],\n  \"boom\": {\"length_ft\": " + sheet.boomFeet +
               ", \"length_cm\": " + sheet.boomCentimetres + "},\n";
    }
    // The geometry that --geometry reads back: the design as the analysis models it.
    out += "  \"geometry\": " + analysis::geometryJson(report.antenna, -1);
    if (report.analysis != nullptr) out += ",\n  \"analysis\": " + analysisJson(*report.analysis);
    return out + "\n}\n";
}

}  // namespace

std::vector<FigureLine> analysisFigures(const analysis::Analysis& analysis, Language language) {
    return figuresOf(analysis, labelsFor(language));
}

std::vector<std::string> sheetHeadings(Language language) {
    const Labels& say = labelsFor(language);
    return {std::begin(say.headings), std::end(say.headings)};
}

std::vector<std::string> sheetCells(const SheetElement& element) { return cellsOf(element); }

std::string designLine(const CutSheet& sheet) {
    std::string line = headerLine(sheet, labelsFor(sheet.options.language));
    line.pop_back();
    return line;
}

std::string necDeck(const analysis::Antenna& antenna, const analysis::Analysis* analysis) {
    // The fewest digits that read back as the same double: 14.2 stays 14.2.
    char frequency[32];
    const auto [end, status] =
        std::to_chars(frequency, frequency + sizeof frequency, antenna.frequency);
    const std::string frequencyText = status == std::errc{} ? std::string(frequency, end) : "?";
    return analysis::wholeDeck(
        antenna, analysis != nullptr ? analysis->segmentation : analysis::Segmentation{},
        {"zeva-sheet: Yagi-Uda, " + std::to_string(antenna.elements.size()) + " elements, " +
             frequencyText + " MHz",
         "one straight wire per element across the boom, metres, free space"});
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
    switch (report.options.format) {
        case OutputFormat::Csv:
            return csv(report);
        case OutputFormat::Json:
            return json(report);
        case OutputFormat::Text:
            break;
    }
    return textTable(report);
}

std::string patternSvg(const analysis::Analysis& analysis, double frequency, Language language) {
    const bool english = language == Language::English;
    constexpr double kRadius = 160;
    constexpr double kFloorRadius = 16;  // the scale's bottom: deep nulls stay on this ring
    constexpr double kRange = 40;        // dB shown below the scale's top
    double peak = -999;
    for (const auto* plane : {&analysis.ePlane, &analysis.hPlane}) {
        for (const analysis::PatternPoint& p : *plane) peak = std::max(peak, p.gain);
    }
    const double top = std::ceil(peak / 5) * 5;
    const auto radiusOf = [&](double gain) {
        const double share = std::clamp((gain - (top - kRange)) / kRange, 0.0, 1.0);
        return kFloorRadius + share * (kRadius - kFloorRadius);
    };

    // CJK faces first, so that the Chinese titles show wherever one is installed.
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"840\" height=\"520\" "
        "viewBox=\"0 0 840 520\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', "
        "'WenQuanYi Zen Hei', 'Source Han Sans SC', 'Microsoft YaHei', 'PingFang SC', "
        "'DejaVu Sans', sans-serif\" font-size=\"12\">\n"
        "<rect width=\"840\" height=\"520\" fill=\"white\"/>\n";
    svg += "<text x=\"420\" y=\"28\" text-anchor=\"middle\" font-size=\"18\">" +
           std::string(english ? "Radiation patterns at " : "方向图，") + fixed(frequency, 3) +
           " MHz</text>\n";
    const auto plot = [&](const std::vector<analysis::PatternPoint>& points, bool ePlane, double cx,
                          const std::string& title) {
        const double cy = 250;
        svg += "<text x=\"" + fixed(cx, 0) +
               "\" y=\"62\" text-anchor=\"middle\" font-size=\"16\">" + title + "</text>\n";
        for (int ring = 0; ring <= 4; ++ring) {
            svg += "<circle cx=\"" + fixed(cx, 1) + "\" cy=\"" + fixed(cy, 1) + "\" r=\"" +
                   fixed(radiusOf(top - ring * 10), 1) + "\" fill=\"none\" stroke=\"#bbb\"/>\n";
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
        for (int ring = 0; ring <= 4; ++ring) {
            const double x = cx + radiusOf(top - ring * 10);
            svg += "<line x1=\"" + fixed(x, 1) + "\" y1=\"" + fixed(ruler - 4, 1) + "\" x2=\"" +
                   fixed(x, 1) + "\" y2=\"" + fixed(ruler + 4, 1) + "\" stroke=\"#888\"/>\n";
            svg += "<text x=\"" + fixed(x, 1) + "\" y=\"" + fixed(ruler + 18, 1) +
                   "\" text-anchor=\"middle\" fill=\"#333\">" + fixed(top - ring * 10, 0) +
                   "</text>\n";
        }
        svg += "<text x=\"" + fixed(cx - 8, 1) + "\" y=\"" + fixed(ruler + 4, 1) +
               "\" text-anchor=\"end\" fill=\"#333\">dBi</text>\n";
    };
    plot(analysis.ePlane, true, 210, english ? "E-plane" : "E 面");
    plot(analysis.hPlane, false, 630, english ? "H-plane" : "H 面");
    svg += "<text x=\"420\" y=\"505\" text-anchor=\"middle\">" +
           std::string(english ? "forward gain " : "前向增益 ") +
           fixed(analysis.pattern.forwardGain, 2) + " dBi, " +
           (english ? "front-to-back " : "前后比 ") + fixed(analysis.pattern.frontToBack, 2) +
           " dB</text>\n</svg>\n";
    return svg;
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
