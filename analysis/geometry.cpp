// SPDX-License-Identifier: MIT
#include "analysis/geometry.h"

#include "analysis/analyser.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>

namespace zeva::analysis {
namespace {

using nlohmann::json;

struct Unit {
    const char* name;
    double metres;
};
constexpr Unit kUnits[] = {{"m", 1.0}, {"cm", 0.01}, {"mm", 0.001}, {"in", 0.0254}, {"ft", 0.3048}};

std::size_t lineOf(std::string_view text, std::size_t byte) {
    const std::size_t end = std::min(byte, text.size());
    return 1 + static_cast<std::size_t>(
                   std::count(text.begin(), text.begin() + static_cast<long>(end), '\n'));
}

// The reading of one file: each fault a message that names where it is.
class Reader {
public:
    explicit Reader(Language language) : language_(language) {}

    // What is wrong (a text marked for the catalogue) where.
    Failure fault(const std::string& where, const char* what) const {
        return Failure{say(language_, "geometry file: %1: %2", {where, say(language_, what)})};
    }

    // A number above zero (or any finite one where zero and signs are allowed).
    std::variant<double, Failure> number(const json& object, const std::string& key,
                                         const std::string& where, bool positive) const {
        const auto found = object.find(key);
        if (found == object.end()) return fault(where + key, N_("missing"));
        if (!found->is_number()) return fault(where + key, N_("must be a number"));
        const double value = found->get<double>();
        if (!std::isfinite(value)) return fault(where + key, N_("must be finite"));
        if (positive && value <= 0) return fault(where + key, N_("must be above zero"));
        return value;
    }

    // An element of telescoping tubes: its sections in metres, and the substitute uniform
    // element of their mean diameter that the model solves. Its length, where also given, must
    // be theirs; its diameter is theirs.
    std::optional<Failure> sections(const json& item, const std::string& where, double frequency,
                                    double scale, Element& element) const {
        const json& list = item["sections"];
        if (!list.is_array() || list.empty()) {
            return fault(where + "sections", N_("must be a non-empty array of tubes"));
        }
        if (item.contains("diameter")) {
            return fault(where + "diameter", N_("goes with no sections: the tubes give it"));
        }
        double half = 0;
        double area = 0;  // diameter times length, for the mean diameter
        for (std::size_t s = 0; s < list.size(); ++s) {
            const std::string at = where + "sections[" + std::to_string(s) + "].";
            if (!list[s].is_object()) {
                return fault(at.substr(0, at.size() - 1), N_("must be an object"));
            }
            const auto diameter = number(list[s], "diameter_m", at, true);
            const auto length = number(list[s], "length_m", at, true);
            for (const auto* value : {&diameter, &length}) {
                if (const auto* failure = std::get_if<Failure>(value)) return *failure;
            }
            element.sections.push_back({std::get<double>(diameter), std::get<double>(length)});
            half += element.sections.back().length;
            area += element.sections.back().diameter * element.sections.back().length;
        }
        if (item.contains("length")) {
            const auto length = number(item, "length", where, true);
            if (const auto* failure = std::get_if<Failure>(&length)) return *failure;
            if (std::abs(std::get<double>(length) * scale - 2 * half) > 1e-6 * (1 + 2 * half)) {
                return fault(where + "length", N_("must be twice the sum of its sections"));
            }
        }
        const auto [thinnest, thickest] = std::minmax_element(
            element.sections.begin(), element.sections.end(),
            [](const Tube& a, const Tube& b) { return a.diameter < b.diameter; });
        if (std::numbers::pi * thickest->diameter * frequency / kSpeedOfLight > kMaxCircumference) {
            return fault(where + "sections",
                         N_("a tube too thick for the thin-wire model (its circumference above a "
                            "tenth of a wavelength)"));
        }
        if (beyondTaper(thickest->diameter, thinnest->diameter)) {
            return fault(where + "sections",
                         N_("taper beyond what the stepped-element model is checked for"));
        }
        element.diameter = area / half;
        element.length = substituteLength(element.sections, element.diameter, frequency);
        if (!(element.length > 0) ||
            std::abs(element.length / resonantLength(element.diameter, frequency) - 1) >
                kMaxResonanceOffset) {
            return fault(where + "sections",
                         N_("too far from half-wave resonance for the stepped-element model"));
        }
        return std::nullopt;
    }

    std::variant<Antenna, Failure> antenna(const json& root) const {
        const json& geometry =
            root.is_object() && root.contains("geometry") ? root["geometry"] : root;
        const std::string prefix = root.is_object() && root.contains("geometry") ? "geometry." : "";
        if (!geometry.is_object())
            return fault(prefix.empty() ? "/" : "geometry", N_("must be an object"));

        Antenna antenna;
        const auto frequency = number(geometry, "frequency_mhz", prefix, true);
        if (const auto* failure = std::get_if<Failure>(&frequency)) return *failure;
        antenna.frequency = std::get<double>(frequency);

        // The unit is never guessed: a centimetre figure read as metres is a wire a hundred
        // times too long.
        const auto unit = geometry.find("unit");
        if (unit == geometry.end()) {
            return fault(prefix + "unit", N_("missing (m, cm, mm, in or ft)"));
        }
        const auto known = std::find_if(std::begin(kUnits), std::end(kUnits), [&](const Unit& u) {
            return unit->is_string() && unit->get<std::string>() == u.name;
        });
        if (known == std::end(kUnits)) {
            return fault(prefix + "unit", N_("must be m, cm, mm, in or ft"));
        }
        const double scale = known->metres;

        const auto elements = geometry.find("elements");
        if (elements == geometry.end() || !elements->is_array() || elements->empty()) {
            return fault(prefix + "elements", N_("must be a non-empty array of elements"));
        }
        int drivenCount = 0;
        for (std::size_t i = 0; i < elements->size(); ++i) {
            const json& item = (*elements)[i];
            const std::string where = prefix + "elements[" + std::to_string(i) + "].";
            if (!item.is_object())
                return fault(where.substr(0, where.size() - 1), N_("must be an object"));
            Element element;
            if (const auto name = item.find("name"); name != item.end()) {
                if (!name->is_string()) return fault(where + "name", N_("must be a text"));
                element.name = name->get<std::string>();
                // A name is printed as it is, to a terminal too: no control characters.
                const bool control =
                    std::any_of(element.name.begin(), element.name.end(), [](char c) {
                        const auto u = static_cast<unsigned char>(c);
                        return u < 0x20 || u == 0x7f;
                    });
                if (control) {
                    return fault(where + "name",
                                 N_("must not hold control characters (tabs, line breaks, "
                                    "escapes)"));
                }
            } else {
                element.name = std::to_string(i + 1);
            }
            const auto position = number(item, "position", where, false);
            if (const auto* failure = std::get_if<Failure>(&position)) return *failure;
            element.position = std::get<double>(position) * scale;
            if (item.contains("sections")) {
                if (auto wrong = sections(item, where, antenna.frequency, scale, element))
                    return *wrong;
            } else {
                const auto length = number(item, "length", where, true);
                const auto diameter = number(item, "diameter", where, true);
                for (const auto* value : {&length, &diameter}) {
                    if (const auto* failure = std::get_if<Failure>(value)) return *failure;
                }
                element.length = std::get<double>(length) * scale;
                element.diameter = std::get<double>(diameter) * scale;
            }
            if (const auto driven = item.find("driven"); driven != item.end()) {
                if (!driven->is_boolean())
                    return fault(where + "driven", N_("must be true or false"));
                if (driven->get<bool>()) {
                    antenna.driven = i;
                    ++drivenCount;
                }
            }
            antenna.elements.push_back(std::move(element));
        }
        if (drivenCount != 1) {
            return fault(prefix + "elements",
                         N_("exactly one element must be marked \"driven\": true"));
        }
        return antenna;
    }

private:
    Language language_;
};

}  // namespace

double builtLength(const Element& element) {
    if (element.sections.empty()) return element.length;
    double half = 0;
    for (const Tube& tube : element.sections) half += tube.length;
    return 2 * half;
}

const char* roleOf(const Antenna& antenna, std::size_t element) {
    if (element == antenna.driven) return "driven";
    return antenna.elements[element].position < antenna.elements[antenna.driven].position
               ? "reflector"
               : "director";
}

std::string geometryJson(const Antenna& antenna, int indent) {
    using ordered = nlohmann::ordered_json;
    ordered elements = ordered::array();
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        const Element& e = antenna.elements[i];
        ordered item = {{"name", e.name},
                        {"role", roleOf(antenna, i)},
                        {"length", builtLength(e)},
                        {"position", e.position}};
        if (e.sections.empty()) {
            item["diameter"] = e.diameter;
        } else {
            ordered tubes = ordered::array();
            for (const Tube& tube : e.sections) {
                tubes.push_back({{"diameter_m", tube.diameter}, {"length_m", tube.length}});
            }
            item["sections"] = std::move(tubes);
        }
        if (i == antenna.driven) item["driven"] = true;
        elements.push_back(std::move(item));
    }
    const ordered geometry = {
        {"frequency_mhz", antenna.frequency}, {"unit", "m"}, {"elements", elements}};
    return geometry.dump(indent, ' ', false, ordered::error_handler_t::replace);
}

std::variant<Antenna, Failure> readGeometry(std::string_view text, Language language) {
    // A key given twice in one object is refused, not settled by taking one of them.
    std::vector<std::vector<std::string>> keys;
    std::string twice;
    const json::parser_callback_t watch = [&](int, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start) keys.emplace_back();
        if (event == json::parse_event_t::object_end && !keys.empty()) keys.pop_back();
        if (event == json::parse_event_t::key && !keys.empty() && twice.empty()) {
            const std::string key = parsed.get<std::string>();
            auto& seen = keys.back();
            if (std::find(seen.begin(), seen.end(), key) != seen.end()) twice = key;
            seen.push_back(key);
        }
        return true;
    };
    json root;
    try {
        root = json::parse(text, watch);
    } catch (const json::parse_error& error) {
        return Failure{say(language, "geometry file, line %1: not valid JSON",
                           {std::to_string(lineOf(text, error.byte > 0 ? error.byte - 1 : 0))})};
    } catch (const json::exception&) {
        // A number beyond a double, and the like.
        return Failure{say(language, "geometry file: a number out of range or content not valid")};
    }
    if (!twice.empty()) {
        return Failure{
            say(language, "geometry file: the key \"%1\" appears twice in one object", {twice})};
    }
    return Reader(language).antenna(root);
}

}  // namespace zeva::analysis
