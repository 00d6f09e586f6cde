// SPDX-License-Identifier: MIT
#include "analysis/touchstone.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>

namespace zeva::analysis {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        const std::size_t start = at;
        while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        if (at > start) out.push_back(line.substr(start, at - start));
    }
    return out;
}

// A finite number that is the whole word.
std::optional<double> numberOf(std::string_view word) {
    double value = 0;
    const char* begin = word.data();
    if (!word.empty() && word.front() == '+') ++begin;  // a sign that from_chars leaves out
    const auto [end, status] = std::from_chars(begin, word.data() + word.size(), value);
    if (status != std::errc{} || end != word.data() + word.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

enum class Form { RealImaginary, MagnitudeAngle, DecibelAngle };

}  // namespace

std::variant<Measurement, Failure> readTouchstone(std::string_view text, Language language) {
    const auto fault = [language](std::size_t line, const std::string& why) {
        return Failure{say(language, "line %1: %2", {std::to_string(line), why})};
    };
    if (text.size() > kMaxTouchstoneBytes) {
        return Failure{say(language, "the measurement is larger than %1 MiB: no analyser's sweep",
                           {std::to_string(kMaxTouchstoneBytes >> 20)})};
    }
    Measurement measured;
    double scale = 1e3;  // to MHz: GHz by default
    Form form = Form::MagnitudeAngle;
    bool haveOptions = false;
    std::size_t number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (const std::size_t bang = line.find('!'); bang != std::string_view::npos) {
            line = line.substr(0, bang);
        }
        const std::vector<std::string_view> fields = words(line);
        if (fields.empty()) continue;
        // Version 2 files open with keywords in brackets: "[Version] 2.0".
        if (fields.front().front() == '[') {
            return fault(number, say(language,
                                     "Touchstone version 2 is not read: save the sweep as a "
                                     "version 1 one-port file (.s1p)"));
        }
        if (fields.front().front() == '#') {
            if (haveOptions) {
                return fault(number, say(language, "a second option line"));
            }
            if (!measured.points.empty()) {
                return fault(number, say(language, "the option line must come first"));
            }
            haveOptions = true;
            std::vector<std::string> options;
            if (fields.front().size() > 1) options.push_back(upper(fields.front().substr(1)));
            for (std::size_t i = 1; i < fields.size(); ++i) options.push_back(upper(fields[i]));
            for (std::size_t i = 0; i < options.size(); ++i) {
                const std::string& o = options[i];
                if (o == "HZ") {
                    scale = 1e-6;
                } else if (o == "KHZ") {
                    scale = 1e-3;
                } else if (o == "MHZ") {
                    scale = 1;
                } else if (o == "GHZ") {
                    scale = 1e3;
                } else if (o == "S") {
                } else if (o == "Y" || o == "Z" || o == "G" || o == "H") {
                    return fault(
                        number,
                        say(language, "only S-parameters (the reflection) are read, not %1", {o}));
                } else if (o == "RI") {
                    form = Form::RealImaginary;
                } else if (o == "MA") {
                    form = Form::MagnitudeAngle;
                } else if (o == "DB") {
                    form = Form::DecibelAngle;
                } else if (o == "R") {
                    const auto ohms =
                        i + 1 < options.size() ? numberOf(options[i + 1]) : std::optional<double>{};
                    if (!ohms || !(*ohms >= kLeastReference && *ohms <= kMostReference)) {
                        return fault(number,
                                     say(language,
                                         "R must be followed by a reference impedance of %1 to %2 "
                                         "ohms",
                                         {shortest(kLeastReference), shortest(kMostReference)}));
                    }
                    measured.reference = *ohms;
                    ++i;
                } else {
                    return fault(
                        number,
                        say(language, "expected # [HZ|KHZ|MHZ|GHZ] S [RI|MA|DB] R <ohms>, not %1",
                            {o}));
                }
            }
            continue;
        }
        if (fields.size() != 3) {
            return fault(number, say(language,
                                     "expected 3 numbers (a frequency and the reflection's two "
                                     "parts), found %1: only one-port files (.s1p) are read",
                                     {std::to_string(fields.size())}));
        }
        double values[3];
        for (std::size_t i = 0; i < 3; ++i) {
            const auto value = numberOf(fields[i]);
            if (!value) {
                return fault(number, say(language, "not a finite number: %1", {fields[i]}));
            }
            values[i] = *value;
        }
        MeasuredPoint p;
        p.frequency = values[0] * scale;
        if (!(p.frequency > 0))
            return fault(number, say(language, "the frequency must be above zero"));
        if (!std::isfinite(p.frequency)) {
            return fault(number, say(language, "the frequency is beyond any analyser's"));
        }
        if (form == Form::MagnitudeAngle && values[1] < 0) {
            return fault(number, say(language, "a magnitude must not be below zero"));
        }
        if (!measured.points.empty() && !(p.frequency > measured.points.back().frequency)) {
            return fault(number, say(language, "the frequencies must rise from line to line"));
        }
        const double degrees = std::numbers::pi / 180;
        switch (form) {
            case Form::RealImaginary:
                p.reflection = {values[1], values[2]};
                break;
            case Form::MagnitudeAngle:
                p.reflection = std::polar(values[1], values[2] * degrees);
                break;
            case Form::DecibelAngle:
                p.reflection = std::polar(std::pow(10.0, values[1] / 20), values[2] * degrees);
                break;
        }
        // A calibrated analyser reads a little above 1 far from resonance, never much.
        if (std::abs(p.reflection) > kMaxReflection || std::abs(1.0 - p.reflection) < 1e-9) {
            return fault(number, say(language,
                                     "a reflection of magnitude %1, above %2: no passive antenna "
                                     "reflects that much (was the analyser calibrated?)",
                                     {fixed(std::abs(p.reflection), 3), shortest(kMaxReflection)}));
        }
        p.impedance = measured.reference * (1.0 + p.reflection) / (1.0 - p.reflection);
        measured.points.push_back(p);
    }
    if (measured.points.size() < 2) {
        return Failure{say(language, "fewer than two frequencies in the measurement")};
    }
    return measured;
}

}  // namespace zeva::analysis
