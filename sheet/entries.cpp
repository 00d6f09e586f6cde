// SPDX-License-Identifier: MIT
#include "sheet/entries.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

// Lower case, runs of blanks as one, no blanks at the ends.
std::string folded(std::string_view text) {
    std::string out = withSingleBlanks(text);
    for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

// The catalogue text without its millimetre label: "1 1/8      28.6mm" gives "1 1/8".
std::string inchText(std::string_view entry) {
    std::string text = folded(entry);
    const std::size_t label = text.rfind(' ');
    return label == std::string::npos ? text : text.substr(0, label);
}

// The figure of a text that may end in one of the units, and the metres its unit stands for
// (the default where it names none); blanks before the unit are allowed.
struct Measured {
    std::string_view number;
    double metres;
};
Measured withUnit(std::string_view text,
                  std::initializer_list<std::pair<std::string_view, double>> units, double metres) {
    for (const auto& [unit, scale] : units) {
        if (text.ends_with(unit)) {
            text.remove_suffix(unit.size());
            metres = scale;
            break;
        }
    }
    while (text.ends_with(' ')) text.remove_suffix(1);
    return {text, metres};
}

}  // namespace

std::string withSingleBlanks(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        if (ch == ' ' || ch == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += ch;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

int diameterByInchText(std::string_view text) {
    const std::string wanted = folded(text);
    for (std::size_t i = 0; i < DiameterCatalogue.size(); ++i) {
        if (inchText(DiameterCatalogue[i].text) == wanted) return static_cast<int>(i);
    }
    return -1;
}

// A number as a builder writes it: 25.4, 3/8 or a mixed fraction such as 1 1/4.
std::optional<double> measureOf(std::string_view text) {
    const auto plain = [](std::string_view t) -> std::optional<double> {
        double value = 0;
        const auto [end, status] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (status != std::errc{} || end != t.data() + t.size()) return std::nullopt;
        return value;
    };
    const auto fraction = [&](std::string_view t) -> std::optional<double> {
        const std::size_t slash = t.find('/');
        if (slash == std::string_view::npos) return plain(t);
        const auto over = plain(t.substr(0, slash));
        const auto under = plain(t.substr(slash + 1));
        if (!over || !under || !(*under > 0)) return std::nullopt;
        return *over / *under;
    };
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos) return fraction(text);
    const auto whole = plain(text.substr(0, blank));
    const auto part = fraction(text.substr(blank + 1));
    if (!whole || !part || !(*whole >= 0) || !(*part >= 0) ||
        text.substr(blank + 1).find('/') == std::string_view::npos) {
        return std::nullopt;
    }
    return *whole + *part;
}

// A length in metres from "25.4", "25.4mm", "2.54cm" or "1in" (millimetres by default);
// nothing where it is no number above zero.
std::optional<double> lengthFrom(std::string_view text) {
    const auto [number, metres] =
        withUnit(text, {{"mm", 0.001}, {"cm", 0.01}, {"in", 0.0254}, {"\"", 0.0254}}, 0.001);
    const auto value = measureOf(number);
    if (!value || !(*value > 0) || !std::isfinite(*value)) return std::nullopt;
    return *value * metres;
}

std::optional<double> measureFrom(std::string_view text) {
    const auto [number, metres] = withUnit(
        text,
        {{"mm", 0.001}, {"cm", 0.01}, {"m", 1}, {"in", 0.0254}, {"\"", 0.0254}, {"ft", 0.3048}},
        0.001);
    const auto value = measureOf(number);
    if (!value || !(*value > 0) || !std::isfinite(*value)) return std::nullopt;
    return *value * metres;
}

std::optional<std::vector<analysis::Tube>> tubesFrom(std::string_view text) {
    std::vector<analysis::Tube> tubes;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t colon = item.find(':');
        const auto diameter = measureFrom(withSingleBlanks(item.substr(0, colon)));
        if (!diameter) return std::nullopt;
        analysis::Tube tube{*diameter, 0};
        // Every tube but the tip has its length; the tip's is solved.
        const bool last = comma == std::string_view::npos;
        if ((colon == std::string_view::npos) != last) return std::nullopt;
        if (!last) {
            const auto length = measureFrom(withSingleBlanks(item.substr(colon + 1)));
            if (!length) return std::nullopt;
            tube.length = *length;
        }
        tubes.push_back(tube);
        if (last) return tubes;
        text.remove_prefix(comma + 1);
    }
}

std::optional<std::vector<double>> stockFrom(std::string_view text) {
    std::vector<double> lengths;
    while (true) {
        const std::size_t comma = text.find(',');
        const auto length = measureFrom(withSingleBlanks(text.substr(0, comma)));
        if (!length) return std::nullopt;
        lengths.push_back(*length);
        if (comma == std::string_view::npos) return lengths;
        text.remove_prefix(comma + 1);
    }
}

// A height in metres from "10", "10m", "1000cm", "33ft" or "400in" (metres by default).
std::optional<double> heightFrom(std::string_view text) {
    const auto [number, metres] =
        withUnit(text, {{"mm", 0.001}, {"cm", 0.01}, {"m", 1}, {"ft", 0.3048}, {"in", 0.0254}}, 1);
    const auto value = plainNumber(number);
    if (!value || !(*value > 0)) return std::nullopt;
    return *value * metres;
}

// A tolerance in metres: a length as lengthFrom() reads it, or zero.
std::optional<double> toleranceFrom(std::string_view text) {
    std::string_view bare = text;
    for (const std::string_view unit : {"mm", "cm", "in"}) {
        if (bare.ends_with(unit)) bare.remove_suffix(unit.size());
    }
    if (const auto value = plainNumber(bare); value && *value == 0) return 0.0;
    return lengthFrom(text);
}

// "2" (per cent about the design frequency) or "14.0:14.35" (MHz).
std::optional<analysis::SweepRange> sweepFrom(std::string_view text) {
    analysis::SweepRange range;
    if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        const auto low = plainNumber(text.substr(0, colon));
        const auto high = plainNumber(text.substr(colon + 1));
        if (!low || !high || !(*low > 0) || !(*high > *low)) return std::nullopt;
        range.low = *low;
        range.high = *high;
        return range;
    }
    const auto percent = plainNumber(text);
    if (!percent || !(*percent > 0) || *percent > analysis::kMaxSweepSpan * 100) {
        return std::nullopt;
    }
    range.span = *percent / 100;
    return range;
}

}  // namespace zeva::sheet
