// SPDX-License-Identifier: MIT
#include "sheet/render.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "analysis/tubes.h"
#include "sheet/csv_report.h"
#include "sheet/figure_lines.h"
#include "sheet/json_report.h"
#include "sheet/labels.h"
#include "sheet/studies.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

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
        // An element of tubes as built: its whole length, its largest and smallest tube.
        std::string diameter = fixed(e.diameter * 1000, 2);
        if (!e.sections.empty()) {
            const auto [thinnest, thickest] =
                std::minmax_element(e.sections.begin(), e.sections.end(),
                                    [](const analysis::Tube& a, const analysis::Tube& b) {
                                        return a.diameter < b.diameter;
                                    });
            diameter =
                fixed(thickest->diameter * 1000, 2) + "–" + fixed(thinnest->diameter * 1000, 2);
        }
        rows.push_back({e.name + (i == antenna.driven ? " *" : ""),
                        fixed(analysis::builtLength(e), 4), fixed(e.position, 4), diameter});
    }
    return rows;
}

// Each element of tubes, and the uniform element it is solved as.
std::string substituteLines(const analysis::Antenna& antenna, Language language) {
    std::string out;
    for (const analysis::Element& e : antenna.elements) {
        if (e.sections.empty()) continue;
        out += say(language,
                   "%1: %2 tubes, solved as their substitute uniform element (Leeson's, from "
                   "Schelkunoff's average impedance of each tube), %3 m of %4 mm; its "
                   "radiation resistance %5 times the wire's, from the current along the tubes",
                   {e.name, std::to_string(e.sections.size()), fixed(e.length, 4),
                    fixed(e.diameter * 1000, 2), fixed(analysis::resistanceRatio(e.sections), 3)}) +
               "\n";
    }
    return out;
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
        out += "\n" + std::string(say.boom) + colon +
               zeva::say(report.language, "%1 ft, %2 cm", {sheet.boomFeet, sheet.boomCentimetres}) +
               "\n";
        if (const std::string note = boomLine(sheet, say); !note.empty()) out += note + "\n";
    } else {
        out = std::string(say.geometryTitle) + "\n" + say.frequency + " " +
              fixed(report.antenna.frequency, 4) + " MHz\n\n";
        out += alignedRows(geometryRows(report.antenna, say), {true, false, false, false});
        out += substituteLines(report.antenna, report.language);
    }
    if (report.optimisation != nullptr) {
        out += "\n";
        for (const StudyLine& line : optimisationLines(*report.optimisation, report.language)) {
            out += line.label + colon + line.text + "\n";
        }
        out += alignedRows(optimisationRows(*report.optimisation, report.language),
                           {true, false, false});
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
    if (report.sheet != nullptr && report.sheet->tubes) {
        const TubeList& tubes = *report.sheet->tubes;
        out += "\n" + tubeHeading(tubes, report.language) + "\n";
        out +=
            alignedRows(cutListRows(tubes, report.language),
                        {true, false, true, false, false, false, true, false, false, false, true});
        out += "\n" + std::string(translate(report.language, "Tubes to buy:")) + "\n";
        out += alignedRows(stockRows(tubes, report.language),
                           {true, false, false, false, true, false});
    }
    return out;
}

}  // namespace

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

}  // namespace zeva::sheet
