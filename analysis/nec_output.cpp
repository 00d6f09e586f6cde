// SPDX-License-Identifier: MIT
#include "analysis/nec_output.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace zeva::analysis {
namespace {

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::optional<double> numberIn(std::string_view field) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    double value = 0;
    const auto [end, status] = std::from_chars(field.data(), field.data() + field.size(), value);
    // nec2c prints "nan" for a model that failed: no figure to go on with.
    if (status != std::errc{} || end != field.data() + field.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::variant<std::vector<FrequencyResult>, Failure> parseNecOutput(std::string_view text,
                                                                   Language language) {
    // What cannot be read (a text marked for the catalogue, ending in the line's place).
    const auto unreadable = [language](const char* what, std::string_view line) {
        return Failure{say(language, what, {line})};
    };
    std::vector<FrequencyResult> results;
    enum class Section { None, Input, Pattern } section = Section::None;
    bool rowsStarted = false;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const std::vector<std::string_view> fields = fieldsOf(line);

        if (line.find("FREQUENCY :") != std::string_view::npos && fields.size() >= 3) {
            const auto frequency = numberIn(fields[2]);
            if (!frequency) {
                return unreadable(N_("unreadable frequency line in the nec2c output: %1"), line);
            }
            FrequencyResult next;
            next.frequency = *frequency;
            results.push_back(std::move(next));
            section = Section::None;
            continue;
        }
        if (line.find("ANTENNA INPUT PARAMETERS") != std::string_view::npos ||
            line.find("RADIATION PATTERNS") != std::string_view::npos) {
            if (results.empty()) {
                return unreadable(N_("a table before any frequency in the nec2c output: %1"), line);
            }
            section = line.find("RADIATION") != std::string_view::npos ? Section::Pattern
                                                                       : Section::Input;
            if (section == Section::Pattern) results.back().patterns.emplace_back();
            rowsStarted = false;
            continue;
        }
        if (section == Section::None) continue;
        const bool numeric = !fields.empty() && numberIn(fields[0]).has_value();
        if (!numeric) {
            // Headings come before the rows; anything after them ends the table.
            if (rowsStarted) section = Section::None;
            continue;
        }
        rowsStarted = true;
        FrequencyResult& current = results.back();
        if (section == Section::Input) {
            const auto resistance = fields.size() >= 8 ? numberIn(fields[6]) : std::nullopt;
            const auto reactance = fields.size() >= 8 ? numberIn(fields[7]) : std::nullopt;
            if (!resistance || !reactance) {
                return unreadable(N_("unreadable input-parameter row in the nec2c output: %1"),
                                  line);
            }
            current.hasFeed = true;
            current.feed = {*resistance, *reactance};
        } else {
            // THETA PHI VERTC HORIZ TOTAL AXIAL TILT [SENSE] E-THETA(2) E-PHI(2).
            const auto theta = numberIn(fields[0]);
            const auto phi = fields.size() >= 5 ? numberIn(fields[1]) : std::nullopt;
            const auto total = fields.size() >= 5 ? numberIn(fields[4]) : std::nullopt;
            if ((fields.size() != 11 && fields.size() != 12) || !theta || !phi || !total) {
                return unreadable(N_("unreadable pattern row in the nec2c output: %1"), line);
            }
            current.patterns.back().push_back({*theta, *phi, *total, {}, {}});
        }
    }
    return results;
}

}  // namespace zeva::analysis
