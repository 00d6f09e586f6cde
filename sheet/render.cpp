#include "sheet/render.h"

#include <unistd.h>

#include <algorithm>
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
    const char* mode[4];
    const char* frequency;
    const char* diameter;
    const char* taper;
    const char* inches;
    const char* headings[8];
    const char* boom;
    const char* gain;
    const char* frontToBack;
    const char* impedance;
    const char* swr;
    const char* sweep;
    const char* colon;
    const char* ohms;
};

// clang-format off
const Labels kChinese{
    "八木天线下料表", {"2 元件", "3 元件", "4 元件", "多元件"}, "设计频率", "元件直径", "锥形直径（大/小）", "英寸",
    {"元件", "长度(英尺)", "长度(厘米)", "卷尺读数", "间距(英尺)", "间距(厘米)", "位置(英尺)", "位置(厘米)"},
    "天线杆长度", "前向增益", "前后比", "馈点阻抗", "驻波比（50 欧）", "驻波比扫描", "：", "欧"};
const Labels kEnglish{
    "Yagi-Uda cut sheet", {"2 elements", "3 elements", "4 elements", "multi-element"}, "design frequency",
    "element diameter", "taper diameters (largest/smallest)", "in",
    {"element", "length ft", "length cm", "tape", "spacing ft", "spacing cm", "position ft", "position cm"},
    "boom length", "forward gain", "front-to-back ratio", "feed-point impedance", "SWR (50 ohms)",
    "SWR sweep", ": ", "ohm"};
// clang-format on

const Labels& labelsFor(Language language) {
    return language == Language::English ? kEnglish : kChinese;
}

std::string fixed(double value, int decimals) {
    if (std::isinf(value)) return "inf";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string impedanceText(const Impedance& z) {
    return fixed(z.resistance, 2) + (z.reactance < 0 ? " - j" : " + j") +
           fixed(std::fabs(z.reactance), 2);
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

std::string textTable(const CutSheet& sheet, const std::optional<Analysis>& analysis) {
    const Labels& say = labelsFor(sheet.options.language);
    std::string out = std::string(say.title) + "\n";
    out += std::string(say.mode[static_cast<int>(sheet.options.mode)]) + ", " + say.frequency +
           " " + sheet.options.frequency + " MHz, " + say.diameter + " " + diameterText(sheet) +
           ", " + say.taper + " " + sheet.options.largestDiameter + " / " +
           sheet.options.smallestDiameter + " " + say.inches + "\n\n";

    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(std::begin(say.headings), std::end(say.headings));
    for (const SheetElement& element : sheet.elements) rows.push_back(cellsOf(element));
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], displayWidth(row[i]));
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) line += "  ";
            line += padded(row[i], widths[i], i != 0 && i != 3);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    const std::string colon = say.colon;
    out += "\n" + std::string(say.boom) + colon + sheet.boomFeet + " ft, " + sheet.boomCentimetres +
           " cm\n";

    if (analysis) {
        out += "\n" + std::string(say.gain) + colon + fixed(analysis->forwardGain, 2) + " dBi\n";
        out += std::string(say.frontToBack) + colon + fixed(analysis->frontToBack, 2) + " dB\n";
        out += std::string(say.impedance) + colon + impedanceText(analysis->feed) + " " + say.ohms +
               "\n";
        out += std::string(say.swr) + colon + fixed(analysis->swr, 2) + "\n";
        out += std::string(say.sweep) + colon;
        if (out.back() == ' ') out.pop_back();
        out += "\n";
        for (const SwrPoint& point : analysis->sweep) {
            out += "  " + padded(fixed(point.frequency, 3), 10, true) + " MHz  " +
                   fixed(point.swr, 2) + "\n";
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

std::string csv(const CutSheet& sheet, const std::optional<Analysis>& analysis) {
    const Labels& say = labelsFor(sheet.options.language);
    std::string out;
    const auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += ',';
            out += csvField(cells[i]);
        }
        out += "\r\n";
    };
    line({std::begin(say.headings), std::end(say.headings)});
    for (const SheetElement& element : sheet.elements) line(cellsOf(element));
    line({say.boom, "", "", "", "", "", sheet.boomFeet, sheet.boomCentimetres});
    if (analysis) {
        line({say.gain, fixed(analysis->forwardGain, 2), "dBi"});
        line({say.frontToBack, fixed(analysis->frontToBack, 2), "dB"});
        line({say.impedance, fixed(analysis->feed.resistance, 2),
              fixed(analysis->feed.reactance, 2), "ohm"});
        line({say.swr, fixed(analysis->swr, 2)});
        for (const SwrPoint& point : analysis->sweep) {
            line({say.sweep, fixed(point.frequency, 3), fixed(point.swr, 2)});
        }
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

std::string json(const CutSheet& sheet, const std::optional<Analysis>& analysis) {
    static constexpr const char* kKeys[] = {"name",        "length_ft",  "length_cm",
                                            "tape",        "spacing_ft", "spacing_cm",
                                            "position_ft", "position_cm"};
    // Figures are JSON numbers; names and readings are strings; a missing spacing is null.
    const auto value = [](std::size_t key, const std::string& text) {
        if (key == 0 || key == 3) return jsonString(text);
        return text.empty() ? std::string("null") : text;
    };
    static constexpr const char* kModes[] = {"2", "3", "4", "multi"};
    std::string out = "{\n  \"design\": {\"elements\": " +
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
           ", \"length_cm\": " + sheet.boomCentimetres + "}";
    if (analysis) {
        const auto finite = [](double v) { return std::isfinite(v) ? fixed(v, 4) : "null"; };
        out += ",\n  \"analysis\": {\"forward_gain_dbi\": " + fixed(analysis->forwardGain, 2) +
               ", \"front_to_back_db\": " + fixed(analysis->frontToBack, 2) +
               ", \"impedance_ohm\": {\"r\": " + fixed(analysis->feed.resistance, 3) +
               ", \"x\": " + fixed(analysis->feed.reactance, 3) +
               "}, \"swr\": " + finite(analysis->swr) + ",\n    \"sweep\": [";
        for (std::size_t i = 0; i < analysis->sweep.size(); ++i) {
            if (i > 0) out += ", ";
            out += "{\"mhz\": " + fixed(analysis->sweep[i].frequency, 4) +
                   ", \"swr\": " + finite(analysis->sweep[i].swr) + "}";
        }
        out += "]}";
    }
    return out + "\n}\n";
}

}  // namespace

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

std::string render(const CutSheet& sheet, const std::optional<Analysis>& analysis) {
    switch (sheet.options.format) {
        case OutputFormat::Csv:
            return csv(sheet, analysis);
        case OutputFormat::Json:
            return json(sheet, analysis);
        case OutputFormat::Text:
            break;
    }
    return textTable(sheet, analysis);
}

std::string patternSvg(const Analysis& analysis, Language language) {
    const bool english = language == Language::English;
    constexpr double kRadius = 160;
    constexpr double kRange = 40;  // dB shown below the scale's top
    double peak = -999;
    for (const auto* plane : {&analysis.ePlane, &analysis.hPlane}) {
        for (const PatternPoint& p : *plane) peak = std::max(peak, p.gain);
    }
    const double top = std::ceil(peak / 5) * 5;
    const auto radiusOf = [&](double gain) {
        return std::clamp((gain - (top - kRange)) / kRange, 0.0, 1.0) * kRadius;
    };

    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"840\" height=\"460\" "
        "viewBox=\"0 0 840 460\" font-family=\"sans-serif\" font-size=\"12\">\n"
        "<rect width=\"840\" height=\"460\" fill=\"white\"/>\n";
    const auto plot = [&](const std::vector<PatternPoint>& points, bool ePlane, double cx,
                          const std::string& title) {
        const double cy = 240;
        svg += "<text x=\"" + fixed(cx, 0) +
               "\" y=\"40\" text-anchor=\"middle\" "
               "font-size=\"16\">" +
               title + "</text>\n";
        std::string scale;  // drawn last, over the pattern
        for (int ring = 0; ring < 4; ++ring) {
            const double gain = top - ring * 10;
            const double r = radiusOf(gain);
            svg += "<circle cx=\"" + fixed(cx, 1) + "\" cy=\"" + fixed(cy, 1) + "\" r=\"" +
                   fixed(r, 1) + "\" fill=\"none\" stroke=\"#bbb\"/>\n";
            // The scale reads just inside each ring, by the 90° spoke, clear of the main lobe
            // and of the spokes' labels, on a pale box since the pattern may run under it.
            const std::string label = fixed(gain, 0) + " dBi";
            const double width = 7.0 * static_cast<double>(label.size()) + 4;
            scale += "<rect x=\"" + fixed(cx + 1, 1) + "\" y=\"" + fixed(cy - r + 2, 1) +
                     "\" width=\"" + fixed(width, 0) +
                     "\" height=\"14\" fill=\"white\" fill-opacity=\"0.8\" stroke=\"none\"/>\n";
            scale += "<text x=\"" + fixed(cx + 3, 1) + "\" y=\"" + fixed(cy - r + 13, 1) +
                     "\" fill=\"#333\">" + label + "</text>\n";
        }
        for (int angle = 0; angle < 360; angle += 30) {
            const double a = angle * std::numbers::pi / 180;
            svg += "<line x1=\"" + fixed(cx, 1) + "\" y1=\"" + fixed(cy, 1) + "\" x2=\"" +
                   fixed(cx + kRadius * std::cos(a), 1) + "\" y2=\"" +
                   fixed(cy - kRadius * std::sin(a), 1) + "\" stroke=\"#ddd\"/>\n";
            svg += "<text x=\"" + fixed(cx + (kRadius + 16) * std::cos(a), 1) + "\" y=\"" +
                   fixed(cy - (kRadius + 16) * std::sin(a) + 4, 1) +
                   "\" text-anchor=\"middle\" fill=\"#666\">" + std::to_string(angle) +
                   "°</text>\n";
        }
        // The forward direction, along the boom towards the directors, points right.
        std::string path;
        for (const PatternPoint& p : points) {
            const double degrees = ePlane ? p.phi : 90 - p.theta;
            const double a = degrees * std::numbers::pi / 180;
            const double r = radiusOf(p.gain);
            path += (path.empty() ? "M" : " L") + fixed(cx + r * std::cos(a), 2) + "," +
                    fixed(cy - r * std::sin(a), 2);
        }
        svg += "<path d=\"" + path +
               " Z\" fill=\"rgba(0,0,255,0.08)\" stroke=\"blue\" "
               "stroke-width=\"1.5\"/>\n" +
               scale;
    };
    plot(analysis.ePlane, true, 210, english ? "E-plane" : "E 面");
    plot(analysis.hPlane, false, 630, english ? "H-plane" : "H 面");
    svg += "<text x=\"420\" y=\"445\" text-anchor=\"middle\">" +
           std::string(english ? "forward gain " : "前向增益 ") + fixed(analysis.forwardGain, 2) +
           " dBi, " + (english ? "front-to-back " : "前后比 ") + fixed(analysis.frontToBack, 2) +
           " dB</text>\n</svg>\n";
    return svg;
}

std::optional<Failure> writeWhole(const std::string& path, const std::string& content,
                                  Language language) {
    const bool english = language == Language::English;
    const std::string temporary = path + ".partial-" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return Failure{(english ? "cannot write " : "无法写入 ") + path};
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return Failure{(english ? "cannot write " : "无法写入 ") + path};
    }
    return std::nullopt;
}

}  // namespace zeva::sheet
