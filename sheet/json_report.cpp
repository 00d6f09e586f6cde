// SPDX-License-Identifier: MIT
#include "sheet/json_report.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <nlohmann/json.hpp>

#include "engine/numbers.h"
#include "sheet/columns.h"

namespace zeva::sheet {
namespace {

using Json = nlohmann::ordered_json;
using analysis::fixed;

// A figure as the text formats show it ("34.047"), as a number; null for an empty cell.
Json figure(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc{} || stop != end) return nullptr;
    return value;
}

// A figure rounded to the decimals the other formats give it; null where it is not finite.
Json number(double value, int decimals) {
    return std::isfinite(value) ? figure(fixed(value, decimals)) : Json(nullptr);
}

Json impedance(double resistance, double reactance) {
    return {{"r", number(resistance, 3)}, {"x", number(reactance, 3)}};
}
Json impedance(const analysis::Impedance& z) { return impedance(z.resistance, z.reactance); }

Json numbers(const std::vector<double>& values, int decimals) {
    Json list = Json::array();
    for (const double value : values) list.push_back(number(value, decimals));
    return list;
}

Json texts(const std::vector<std::string>& values) {
    Json list = Json::array();
    for (const std::string& value : values) list.push_back(value);
    return list;
}

constexpr double kMetresPerFoot = 0.3048;

Json design(const CutSheet& sheet, double frequency) {
    static constexpr const char* kModes[] = {"2", "3", "4", "multi"};
    const auto inches = [](const std::string& text) {
        const Result<double> value = parseDouble(text);
        return value.ok() ? Json(value.value()) : Json(nullptr);
    };
    return {{"elements", kModes[static_cast<int>(sheet.request.design.mode)]},
            {"frequency_mhz", frequency},
            {"diameter", diameterText(sheet)},
            {"diameter_in", number(sheet.diameterInches, 4)},
            {"largest_diameter_in", inches(sheet.request.design.largestDiameter)},
            {"smallest_diameter_in", inches(sheet.request.design.smallestDiameter)}};
}

Json elements(const CutSheet& sheet, const analysis::Antenna& antenna) {
    const std::vector<const SheetColumn*> columns = sheetColumns(sheet);
    Json list = Json::array();
    for (std::size_t i = 0; i < sheet.elements.size(); ++i) {
        Json item;
        for (const SheetColumn* column : columns) {
            const std::string& cell = sheet.elements[i].*(column->value);
            item[column->key] = column->text ? Json(cell) : figure(cell);
            if (column->value == &SheetElement::name) {
                item["role"] = i < antenna.elements.size() ? analysis::roleOf(antenna, i) : "";
            }
        }
        list.push_back(std::move(item));
    }
    return list;
}

Json boomCorrection(const CutSheet& sheet) {
    static constexpr const char* kMountings[] = {"insulators", "insulated", "bonded"};
    return {{"mounting", kMountings[static_cast<int>(sheet.request.construction.mounting)]},
            {"boom_diameter_mm", number(sheet.request.construction.boomDiameter * 1000, 2)},
            {"lengthening_mm", number(sheet.boomCorrection * 1000, 3)},
            {"driven_through_boom", sheet.request.construction.drivenThroughBoom},
            {"note", boomNote(sheet)}};
}

Json bandwidth(const analysis::Analysis& a) {
    Json bands;
    const char* keys[] = {"swr_1_5", "swr_2"};
    for (std::size_t i = 0; i < std::size(analysis::kSwrLevels); ++i) {
        const auto band = analysis::swrBand(a, analysis::kSwrLevels[i]);
        bands[keys[i]] = band ? Json{number(band->low, 4), number(band->high, 4)} : Json(nullptr);
    }
    return bands;
}

Json sweepEnds(const analysis::Analysis& a) {
    if (!a.ends) return nullptr;
    return {{"per_wavelength", a.ends->finerPerWavelength},
            {"checked", a.ends->checked()},
            {"move_ohm", number(a.ends->ohms, 3)},
            {"move_db", number(a.ends->db, 3)},
            {"converged", a.ends->converged()}};
}

Json analysisOf(const analysis::Analysis& a) {
    Json convergence = Json::array();
    for (const analysis::ConvergenceStep& step : a.convergence) {
        convergence.push_back({{"per_wavelength", step.perWavelength},
                               {"segments", step.segments},
                               {"impedance_ohm", impedance(step.feed)},
                               {"forward_gain_dbi", number(step.gain, 2)}});
    }
    Json sweep = Json::array();
    for (const analysis::SweepPoint& p : a.sweep) {
        sweep.push_back({{"mhz", number(p.frequency, 4)},
                         {"swr", number(p.swr, 4)},
                         {"impedance_ohm", impedance(p.feed)},
                         {"gain_dbi", number(p.gain, 2)},
                         {"front_to_back_db", number(p.frontToBack, 2)},
                         {"from", p.solved ? "solved" : "fit"}});
    }
    // A lone element has no beam: its front, back, sidelobe and stacking are null.
    const auto beam = [&a](double value, int decimals) {
        return a.beam ? number(value, decimals) : Json(nullptr);
    };
    return {{"forward_gain_dbi", number(a.pattern.forwardGain, 2)},
            {"forward_gain_dbd", number(a.gainDbd, 2)},
            {"front_to_back_db", beam(a.pattern.frontToBack, 2)},
            {"front_to_rear_db", beam(a.pattern.frontToRear, 2)},
            {"impedance_ohm", impedance(a.feed)},
            {"swr", number(a.swr, 4)},
            {"average_gain", number(a.averageGain, 4)},
            {"sweep_ends", sweepEnds(a)},
            {"beamwidth_deg",
             {{"e_plane", number(a.pattern.beamwidthE, 1)},
              {"h_plane", number(a.pattern.beamwidthH, 1)}}},
            {"sidelobe_db", beam(a.pattern.sidelobe, 2)},
            {"stacking_m",
             {{"side_by_side", beam(a.stackingSideBySide, 3)},
              {"one_above_the_other", beam(a.stackingAbove, 3)}}},
            {"segments",
             {{"total", a.segments},
              {"per_wavelength", a.segmentation.perWavelength},
              {"sweep_solved_per_wavelength", a.solvedAt.perWavelength},
              {"kernel", "extended"}}},
            {"convergence", convergence},
            {"bandwidth_mhz", bandwidth(a)},
            {"sweep", sweep}};
}

Json tuningOf(const analysis::Tuning& t, double allowance) {
    // The length to cut beside the electrical one, where they differ.
    const auto withCut = [allowance](Json item, double metres) {
        if (allowance != 0) {
            item["cut_length_m"] = number(metres + allowance, 5);
            item["cut_length_ft"] = number((metres + allowance) / kMetresPerFoot, 4);
        }
        return item;
    };
    const double trimmed = asCut(t, t.trim.length);
    Json trim = {{"driven_length_m", number(trimmed, 5)},
                 {"driven_length_ft", number(trimmed / kMetresPerFoot, 4)}};
    trim = withCut(std::move(trim), trimmed);
    trim["impedance_ohm"] = impedance(t.trim.feed);
    trim["swr"] = number(t.trim.swr, 4);
    Json out = {{"trim", trim}};
    if (const auto& h = t.hairpin) {
        const double shortened = asCut(t, h->elementLength);
        Json hairpin = withCut({{"driven_length_m", number(shortened, 5)},
                                {"driven_length_ft", number(shortened / kMetresPerFoot, 4)}},
                               shortened);
        hairpin["impedance_ohm"] = impedance(h->feed);
        hairpin["shunt_reactance_ohm"] = number(h->shuntReactance, 3);
        hairpin["line_impedance_ohm"] = number(h->stubImpedance, 2);
        hairpin["line_length_m"] = number(h->stubLength, 5);
        hairpin["swr"] = number(h->swr, 4);
        hairpin["sweep_swr"] = numbers(h->sweepSwr, 4);
        out["hairpin"] = hairpin;
    } else if (!t.hairpinNote.empty()) {
        out["hairpin"] = {{"refused", t.hairpinNote}};
    }
    if (const auto& m = t.rods) {
        const double continuous = asCut(t, m->elementLength);
        Json rods = withCut({{"driven_length_m", number(continuous, 5)},
                             {"driven_length_ft", number(continuous / kMetresPerFoot, 4)}},
                            continuous);
        rods["rod_diameter_m"] = number(m->shape.rodDiameter, 5);
        rods["spacing_m"] = number(m->shape.spacing, 5);
        rods["strap_m"] = number(m->shape.strap, 4);
        rods["rod_length_m"] = number(m->rodLength, 4);
        rods["capacitance_pf"] = number(m->capacitance, 1);
        rods["standard_capacitance_pf"] = number(m->standardCapacitance, 1);
        rods["standard_swr"] = number(m->standardSwr, 4);
        rods["impedance_ohm"] = impedance(m->feed);
        rods["feed_ohm"] = std::lround(m->feedOhms);
        rods["balun"] = !m->shape.balanced                       ? "none"
                        : m->feedOhms == analysis::kFeedlineOhms ? "1:1 current"
                                                                 : "4:1";
        rods["capacitor_rms"] = {
            {"100_w", {{"volts", number(m->volts100, 1)}, {"amps", number(m->amps100, 2)}}},
            {"1000_w", {{"volts", number(m->volts1000, 1)}, {"amps", number(m->amps1000, 2)}}}};
        rods["swr"] = number(m->swr, 4);
        rods["sweep_swr"] = numbers(m->sweepSwr, 4);
        rods["per_wavelength"] = m->perWavelength;
        rods["convergence"] = number(m->convergence, 4);
        rods["line_model"] = std::isfinite(m->lineStrap)
                                 ? Json{{"strap_m", number(m->lineStrap, 4)},
                                        {"capacitance_pf", number(m->lineCapacitance, 1)}}
                                 : Json(nullptr);
        out[m->shape.balanced ? "t_match" : "gamma"] = rods;
    }
    if (const auto& c = t.coax) {
        out["coax"] = {{"wanted_ohm", number(c->wanted, 2)},
                       {"line_impedance_ohm", number(c->cable.impedance, 2)},
                       {"cables_in_parallel", c->cable.parallel},
                       {"cable_ohm", std::lround(c->cable.each)},
                       {"velocity_factor", number(c->velocityFactor, 2)},
                       {"length_m", number(c->length, 5)},
                       {"swr", number(c->swr, 4)},
                       {"sweep_swr", numbers(c->sweepSwr, 4)}};
    } else if (!t.coaxNote.empty()) {
        out["coax"] = {{"refused", t.coaxNote}};
    }
    return out;
}

Json overGroundOf(const analysis::OverGround& over) {
    const nec::Ground& ground = over.placement.ground;
    return {
        {"height_m", number(over.placement.height, 3)},
        {"height_wavelengths", number(over.heightWavelengths, 4)},
        {"near_the_ground", over.nearTheGround},
        {"ground_model", ground.perfect       ? "perfect"
                         : over.nearTheGround ? "sommerfeld"
                                              : "reflection coefficient"},
        {"radiated_fraction", number(over.radiated, 4)},
        {"ground", analysis::groundKey(ground)},
        {"permittivity", ground.perfect ? Json(nullptr) : number(ground.permittivity, 3)},
        {"conductivity_s_per_m", ground.perfect ? Json(nullptr) : number(ground.conductivity, 6)},
        {"takeoff_elevation_deg", number(over.takeoff, 2)},
        {"gain_dbi", number(over.gain, 2)},
        {"elevation_beamwidth_deg", number(over.beamwidth, 1)},
        {"front_to_back_db", number(over.frontToBack, 2)},
        {"impedance_ohm", impedance(over.feed)},
        {"swr", number(over.swr, 4)}};
}

Json spread(const analysis::Spread& s, int decimals) {
    return {{"median", number(s.median, decimals)},
            {"p90", number(s.p90, decimals)},
            {"worst", number(s.worst, decimals)}};
}

Json toleranceOf(const analysis::Tolerance& t) {
    Json sensitivities = Json::array();
    for (const analysis::Sensitivity& s : t.sensitivities) {
        sensitivities.push_back({{"element", s.name},
                                 {"reactance_ohm_per_mm", number(s.reactance, 4)},
                                 {"gain_db_per_mm", number(s.gain, 5)}});
    }
    return {{"length_mm", number(t.request.length * 1000, 3)},
            {"position_mm", number(t.request.position * 1000, 3)},
            {"samples", t.request.samples},
            {"seed", t.request.seed},
            {"swr", spread(t.swr, 3)},
            {"resonance_shift_khz", spread(t.resonanceShift, 2)},
            {"gain_dbi", spread(t.gain, 3)},
            {"front_to_back_db", spread(t.frontToBack, 2)},
            {"sensitivities", sensitivities}};
}

const char* feedName(analysis::Feed feed) {
    static constexpr const char* kFeeds[] = {"direct", "hairpin", "coax"};
    return kFeeds[static_cast<int>(feed)];
}

Json adviceOf(const analysis::TrimAdvice& a) {
    const analysis::MeasuredFigures& m = a.measured;
    return {
        {"feed", feedName(a.feed)},
        {"min_swr", number(m.leastSwr, 3)},
        {"min_swr_mhz", number(m.leastSwrFrequency, 4)},
        {"resonance_mhz", m.resonance ? number(*m.resonance, 4) : Json(nullptr)},
        {"impedance_ohm", impedance(m.atDesign.real(), m.atDesign.imag())},
        {"advised", a.advised},
        {"driven_length_change_mm", a.advised ? number(a.drivenChange * 1000, 1) : Json(nullptr)},
        {"line_length_change_mm",
         a.advised && a.lineChange ? number(*a.lineChange * 1000, 1) : Json(nullptr)},
        {"element_off", a.elementOff},
        {"checks", texts(a.checks)}};
}

Json rodAdviceOf(const analysis::RodAdvice& a) {
    const analysis::MeasuredFigures& m = a.measured;
    const auto advised = [&a](double value, int decimals) {
        return a.advised ? number(value, decimals) : Json(nullptr);
    };
    return {{"min_swr", number(m.leastSwr, 3)},
            {"min_swr_mhz", number(m.leastSwrFrequency, 4)},
            {"resonance_mhz", m.resonance ? number(*m.resonance, 4) : Json(nullptr)},
            {"impedance_ohm", impedance(m.atDesign.real(), m.atDesign.imag())},
            {"advised", a.advised},
            {"strap_as_built_m", advised(a.strapAsBuilt, 4)},
            {"strap_move_mm", advised(a.strapMove * 1000, 1)},
            {"capacitance_as_built_pf", advised(a.capacitanceAsBuilt, 1)},
            {"capacitance_change_pf", advised(a.capacitorChange, 1)},
            {"checks", texts(a.checks)}};
}

Json bandOf(const analysis::BandFigures& b) {
    return {{"least_gain_dbi", number(b.gain, 3)},
            {"least_front_to_back_db", number(b.frontToBack, 2)},
            {"least_front_to_rear_db", number(b.frontToRear, 2)},
            {"largest_swr", number(b.swr, 3)},
            {"strongest_sidelobe_db", number(b.sidelobe, 2)},
            {"boom_m", number(b.boom, 4)}};
}

Json optimisationOf(const analysis::Optimisation& o) {
    Json limits = Json::array();
    const analysis::BandFigures& judged = o.judgedAfter();
    for (const analysis::Limit& limit : o.goals.limits) {
        limits.push_back({{"limit", analysis::limitText(limit)},
                          {"kept", analysis::holds(limit, judged)},
                          {"reached", number(analysis::figureOf(judged, limit.figure), 3)}});
    }
    Json built = nullptr;
    if (o.goals.asBuilt) {
        built = {{"length_mm", number(o.asBuilt.length * 1000, 3)},
                 {"position_mm", number(o.asBuilt.position * 1000, 3)},
                 {"samples", o.asBuilt.samples},
                 {"before", bandOf(o.builtBefore)},
                 {"after", bandOf(o.builtAfter)}};
    }
    return {{"goals", analysis::goalsText(o.goals)},
            {"band_mhz", {number(o.band.low, 4), number(o.band.high, 4)}},
            {"feed", feedName(o.feed)},
            {"seed", o.seed},
            {"evaluations", o.evaluations},
            {"seconds", number(o.seconds, 2)},
            {"stopped", o.stopped},
            {"timed_out", o.timedOut},
            {"improved", o.improved},
            {"note", o.note},
            {"search_segments_per_wavelength", o.searchPerWavelength},
            {"limits", limits},
            {"before", bandOf(o.before)},
            {"after", bandOf(o.after)},
            {"as_built", built}};
}

Json tubesOf(const TubeList& list) {
    Json elements = Json::array();
    for (const ElementTubes& element : list.elements) {
        Json tubes = Json::array();
        for (const analysis::TubeCut& t : element.tubes) {
            tubes.push_back({{"diameter_m", number(t.diameter, 6)},
                             {"wall_m", number(t.wall, 6)},
                             {"pieces", t.pieces},
                             {"cut_m", number(t.cut, 4)},
                             {"exposed_m", number(t.exposed, 4)},
                             {"overlap_m", number(t.overlap, 4)},
                             {"reach_m", number(t.reach, 4)}});
        }
        elements.push_back({{"name", element.name},
                            {"length_m", number(element.length, 4)},
                            {"resistance_ratio", number(element.resistanceRatio, 4)},
                            {"tubes", tubes}});
    }
    Json stock = Json::array();
    for (const analysis::StockUse& use : list.stock) {
        Json lengths = Json::array();
        for (std::size_t i = 0; i < use.lengths.size(); ++i) {
            lengths.push_back(
                {{"length_m", number(list.schedule.stock[i], 4)}, {"count", use.lengths[i]}});
        }
        stock.push_back({{"diameter_m", number(use.diameter, 6)},
                         {"wall_m", number(use.wall, 6)},
                         {"pieces", use.pieces},
                         {"total_m", number(use.total, 3)},
                         {"lengths", lengths},
                         {"offcut_m", number(use.offcut, 3)}});
    }
    return {{"model", "substitute element"},
            {"overlap_m", number(list.schedule.overlap, 4)},
            {"wall_m", number(list.schedule.wall, 6)},
            {"elements", elements},
            {"stock", stock}};
}

}  // namespace

std::string jsonReport(const Report& report) {
    Json out = {{"format_version", kJsonFormatVersion}};
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        out["design"] = design(sheet, report.antenna.frequency);
        out["elements"] = elements(sheet, report.antenna);
        out["boom"] = {{"length_ft", figure(sheet.boomFeet)},
                       {"length_cm", figure(sheet.boomCentimetres)}};
        if (sheet.request.construction.mountingGiven)
            out["boom_correction"] = boomCorrection(sheet);
        if (sheet.tubes) out["tubes"] = tubesOf(*sheet.tubes);
    }
    // The geometry that --geometry reads back: the design as the analysis models it.
    out["geometry"] = Json::parse(analysis::geometryJson(report.antenna, -1));
    if (report.analysis != nullptr) {
        out["analysis"] = analysisOf(*report.analysis);
        if (const auto taper = taperNote(report.sheet, report.language);
            taper && !report.sheet->tubes) {
            out["tapered_elements"] = {{"model", "mean diameter"},
                                       {"diameter_in", number(report.sheet->diameterInches, 3)},
                                       {"note", *taper}};
        }
    }
    if (report.tuning != nullptr) {
        out["tuning"] = tuningOf(*report.tuning, drivenAllowance(report.sheet));
    }
    if (report.overGround != nullptr) out["over_ground"] = overGroundOf(*report.overGround);
    if (report.tolerance != nullptr) out["tolerance"] = toleranceOf(*report.tolerance);
    if (report.advice != nullptr) out["measured"] = adviceOf(*report.advice);
    if (report.rodAdvice != nullptr) out["measured_match"] = rodAdviceOf(*report.rodAdvice);
    if (report.optimisation != nullptr) out["optimisation"] = optimisationOf(*report.optimisation);
    // A text that is not UTF-8 (an element's name from a file) is mended, never a failure.
    return out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zeva::sheet
