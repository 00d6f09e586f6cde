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

using analysis::impedanceText;

std::string spreadText(const analysis::Spread& s, int decimals, const std::string& unit,
                       Language language) {
    return say(language, "median %1%2, 90th percentile %3%2, worst %4%2",
               {fixed(s.median, decimals), unit, fixed(s.p90, decimals), fixed(s.worst, decimals)});
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
        if (i > 0) out += translate(language, "punctuation", ", ");
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
    std::vector<StudyLine> lines;
    for (const double level : analysis::kSwrLevels) {
        const std::string levelText = fixed(level, 1);
        StudyLine line{say(language, "bandwidth, SWR below %1", {levelText}), {}};
        const auto band = analysis::swrBand(a, level);
        if (!band) {
            line.text = say(language, "none: the SWR stays above %1 across the sweep", {levelText});
        } else {
            const bool beyond = band->lowAtSweepEnd || band->highAtSweepEnd;
            line.text = say(language,
                            beyond ? N_("%1–%2 MHz (%3 kHz; it goes on beyond the sweep's end)")
                                   : N_("%1–%2 MHz (%3 kHz)"),
                            {fixed(band->low, 3), fixed(band->high, 3),
                             fixed((band->high - band->low) * 1000, 0)});
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<StudyLine> overGroundLines(const analysis::OverGround& over, Language language) {
    const analysis::Placement& p = over.placement;
    std::vector<StudyLine> lines{
        {say(language, "over ground"), say(language, "height %1 m (%2 wavelength), %3",
                                           {fixed(p.height, 2), fixed(over.heightWavelengths, 2),
                                            analysis::groundName(p.ground, language)})},
        {say(language, "takeoff angle"), say(language, "%1 degrees, gain there %2 dBi",
                                             {fixed(over.takeoff, 1), fixed(over.gain, 2)})},
        {say(language, "elevation -3 dB beamwidth"),
         std::isfinite(over.beamwidth) ? say(language, "%1 degrees", {fixed(over.beamwidth, 1)})
                                       : say(language, "none: the lobe does not fall by 3 dB")},
        {say(language, "front-to-back at that elevation"), fixed(over.frontToBack, 2) + " dB"},
        {say(language, "feed-point impedance over ground"),
         say(language, "%1 ohm, SWR %2", {impedanceText(over.feed), fixed(over.swr, 2)})},
    };
    const std::string limit = analysis::shortest(analysis::sommerfeldLimit(p.ground));
    std::string model;
    if (p.ground.perfect) {
        model = say(language, "perfect ground: the elements' images");
    } else if (!analysis::sommerfeldLimitMeasured(p.ground)) {
        model = say(language,
                    over.nearTheGround
                        ? N_("Sommerfeld-Norton (NEC-2 GN 2), as below %1 wavelength over any "
                             "ground whose figures were not measured")
                        : N_("reflection coefficients (NEC-2 GN 0), as from %1 wavelength up over "
                             "any ground whose figures were not measured"),
                    {limit});
    } else if (over.nearTheGround) {
        model = say(language,
                    "Sommerfeld-Norton (NEC-2 GN 2): below %1 wavelength over this ground the "
                    "reflection coefficients would be more than 0.5 ohm or 0.1 dB off",
                    {limit});
    } else {
        model = say(language,
                    "reflection coefficients (NEC-2 GN 0), within 0.5 ohm and 0.1 dB of "
                    "Sommerfeld-Norton from %1 wavelength up",
                    {limit});
    }
    lines.push_back({say(language, "ground model"), model});
    if (std::isfinite(over.radiated)) {
        lines.push_back(
            {say(language, "power radiated above the ground"),
             say(language, "%1 % of the input power", {fixed(100 * over.radiated, 1)})});
    }
    return lines;
}

std::vector<StudyLine> toleranceLines(const analysis::Tolerance& t, Language language) {
    const analysis::ToleranceRequest& r = t.request;
    const double step = r.length > 0 ? r.length : analysis::kSensitivityStep;
    return {
        {say(language, "build tolerance"),
         say(language, "lengths ±%1 mm, positions ±%2 mm, %3 samples (seed %4)",
             {fixed(r.length * 1000, 2), fixed(r.position * 1000, 2), std::to_string(r.samples),
              std::to_string(r.seed)})},
        {say(language, "SWR within the tolerance"), spreadText(t.swr, 2, "", language)},
        {say(language, "shift of the resonance"),
         spreadText(t.resonanceShift, 1, " kHz", language)},
        {say(language, "forward gain within the tolerance"),
         spreadText(t.gain, 2, " dBi", language)},
        {say(language, "front-to-back within the tolerance"),
         spreadText(t.frontToBack, 2, " dB", language)},
        {say(language, "lengths that move the reactance most"),
         strongest(t.sensitivities, &analysis::Sensitivity::reactance, 3,
                   " " + say(language, "ohm/mm"), language)},
        {say(language, "lengths that move the gain most"),
         say(language, "%1 (each changed by ±%2 mm)",
             {strongest(t.sensitivities, &analysis::Sensitivity::gain, 4,
                        " " + say(language, "dB/mm"), language),
              fixed(step * 1000, 2)})},
    };
}

namespace {

std::string feedText(analysis::Feed feed, Language language) {
    switch (feed) {
        case analysis::Feed::Hairpin:
            return say(language, "through a hairpin match");
        case analysis::Feed::Coax:
            return say(language, "through an ideal quarter-wave transformer");
        case analysis::Feed::Direct:
            break;
    }
    return say(language, "straight into 50 ohms");
}

std::string limitFigure(const analysis::Limit& limit, const analysis::BandFigures& figures) {
    return fixed(analysis::figureOf(figures, limit.figure),
                 limit.figure == analysis::Figure::Swr ? 2 : 1);
}

}  // namespace

std::vector<StudyLine> optimisationLines(const analysis::Optimisation& o, Language language) {
    std::string search =
        say(language, "%1 antennas tried in %2 s, seed %3, judged at %4 segments a wavelength",
            {std::to_string(o.evaluations), fixed(o.seconds, 1), std::to_string(o.seed),
             std::to_string(o.searchPerWavelength)});
    if (o.stopped)
        search +=
            translate(language, "punctuation", ", ") + say(language, "stopped: the best so far");
    if (o.timedOut)
        search += translate(language, "punctuation", ", ") + say(language, "ended by the time cap");
    std::vector<StudyLine> lines{
        {say(language, "optimised for"), analysis::goalsText(o.goals)},
        {say(language, "optimised over"),
         say(language, "%1–%2 MHz, the SWR %3",
             {fixed(o.band.low, 3), fixed(o.band.high, 3), feedText(o.feed, language)})},
        {say(language, "search"), search},
    };
    if (!o.improved) {
        lines.push_back({say(language, "result"),
                         o.note.empty() ? say(language,
                                              "no antenna better than the start was found: the "
                                              "start is kept")
                                        : o.note + translate(language, "punctuation", "; ") +
                                              say(language, "the start is kept")});
    }
    if (o.goals.asBuilt) {
        lines.push_back(
            {say(language, "as built"),
             say(language,
                 "each antenna judged over %1 cut within ±%2 mm in length and ±%3 mm in "
                 "position (the same draws for all; the figures below on %1 other draws): the "
                 "SWR by its 90th percentile, the other figures by their medians",
                 {std::to_string(o.asBuilt.samples), fixed(o.asBuilt.length * 1000, 1),
                  fixed(o.asBuilt.position * 1000, 1)})});
    }
    const analysis::BandFigures& judged = o.judgedAfter();
    for (const analysis::Limit& limit : o.goals.limits) {
        lines.push_back(
            {say(language, o.goals.asBuilt ? N_("limit %1, as built") : N_("limit %1"),
                 {analysis::limitText(limit)}),
             analysis::holds(limit, judged)
                 ? say(language, "kept (%1)", {limitFigure(limit, judged)})
                 : say(language, "missed: the best reached is %1", {limitFigure(limit, judged)})});
    }
    return lines;
}

std::vector<std::vector<std::string>> optimisationRows(const analysis::Optimisation& o,
                                                       Language language) {
    const auto row = [&](std::string label, double before, double after, int decimals) {
        return std::vector<std::string>{std::move(label), fixed(before, decimals),
                                        fixed(after, decimals)};
    };
    std::vector<std::vector<std::string>> rows{
        {say(language, "across the band"), say(language, "before"), say(language, "after")},
        row(say(language, "least forward gain, dBi"), o.before.gain, o.after.gain, 2),
        row(say(language, "least F/B, dB"), o.before.frontToBack, o.after.frontToBack, 1),
        row(say(language, "least F/R, dB"), o.before.frontToRear, o.after.frontToRear, 1),
        row(say(language, "largest SWR"), o.before.swr, o.after.swr, 2),
        row(say(language, "strongest sidelobe, dB down"), o.before.sidelobe, o.after.sidelobe, 1),
        row(say(language, "boom, m"), o.before.boom, o.after.boom, 3),
    };
    if (o.goals.asBuilt) {
        const analysis::BandFigures& b = o.builtBefore;
        const analysis::BandFigures& a = o.builtAfter;
        rows.push_back(
            row(say(language, "as built: least forward gain, median, dBi"), b.gain, a.gain, 2));
        rows.push_back(
            row(say(language, "as built: least F/B, median, dB"), b.frontToBack, a.frontToBack, 1));
        rows.push_back(
            row(say(language, "as built: largest SWR, 90th percentile"), b.swr, a.swr, 2));
    }
    return rows;
}

std::string elevationSvg(const analysis::OverGround& over, double y, Language language) {
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
    std::string svg =
        "<text x=\"420\" y=\"" + fixed(y + 20, 0) + "\" text-anchor=\"middle\" font-size=\"16\">" +
        say(language, "Elevation pattern along the boom, %1 m above %2", {height, ground}) +
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
           say(language, "takeoff %1°, gain %2 dBi (rings in dB below it)",
               {fixed(over.takeoff, 1), fixed(over.gain, 2)}) +
           "</text>\n";
    return svg;
}

namespace {

// "shorten … by 98 mm (49 mm each half)".
std::string elementChange(double metres, Language language) {
    const double mm = std::fabs(metres) * 1000;
    return say(language,
               metres < 0 ? N_("shorten the driven element by %1 mm (%2 mm each half)")
                          : N_("lengthen the driven element by %1 mm (%2 mm each half)"),
               {fixed(mm, 0), fixed(mm / 2, 0)});
}

// A line made shorter or longer: the two texts, each with the millimetres as %1.
std::string lineChange(double metres, const char* shorter, const char* longer, Language language) {
    return say(language, metres < 0 ? shorter : longer, {fixed(std::fabs(metres) * 1000, 0)});
}

}  // namespace

namespace {

// The checks advised instead of a change, one after the other.
std::string joined(const std::vector<std::string>& checks, const std::string& sep) {
    std::string text;
    for (std::size_t i = 0; i < checks.size(); ++i) text += (i > 0 ? sep : "") + checks[i];
    return text;
}

// What the analyser saw: the least SWR, the resonance, the impedance at the design frequency.
StudyLine measuredLine(const analysis::MeasuredFigures& m, Language language) {
    return {say(language, "measured"),
            say(language, "least SWR %1 at %2 MHz; %3; at the design frequency %4 ohm",
                {fixed(m.leastSwr, 2), fixed(m.leastSwrFrequency, 3),
                 m.resonance ? say(language, "zero reactance at %1 MHz", {fixed(*m.resonance, 3)})
                             : say(language, "the reactance crosses no zero"),
                 impedanceText({m.atDesign.real(), m.atDesign.imag()})})};
}

}  // namespace

std::vector<StudyLine> rodAdviceLines(const analysis::RodAdvice& a, bool balanced,
                                      Language language) {
    const std::string sep = translate(language, "punctuation", "; ");
    std::vector<StudyLine> lines{measuredLine(a.measured, language)};
    if (!a.advised) {
        lines.push_back({say(language, "no adjustment advised"), joined(a.checks, sep)});
        return lines;
    }
    const double mm = std::fabs(a.strapMove) * 1000;
    std::string advice = say(language,
                             balanced ? (a.strapMove < 0 ? N_("move both straps %1 mm inwards")
                                                         : N_("move both straps %1 mm outwards"))
                             : a.strapMove < 0 ? N_("move the strap %1 mm inwards")
                                               : N_("move the strap %1 mm outwards"),
                             {fixed(mm, 0)});
    advice += say(language, " (it reads %1 mm from the centre)", {fixed(a.strapAsBuilt * 1000, 0)});
    advice +=
        sep + say(language,
                  a.capacitorChange < 0 ? N_("make the capacitance %1 pF less (it reads %2 pF)")
                                        : N_("make the capacitance %1 pF more (it reads %2 pF)"),
                  {fixed(std::fabs(a.capacitorChange), 1), fixed(a.capacitanceAsBuilt, 1)});
    lines.push_back({say(language, "set the match"), advice});
    return lines;
}

std::vector<StudyLine> adviceLines(const analysis::TrimAdvice& a, Language language) {
    const std::string sep = translate(language, "punctuation", "; ");
    std::vector<StudyLine> lines{measuredLine(a.measured, language)};
    if (!a.advised) {
        lines.push_back({say(language, "no trim advised"), joined(a.checks, sep)});
        return lines;
    }
    std::string advice;
    switch (a.feed) {
        case analysis::Feed::Direct:
            advice = say(language, "%1 to bring its resonance to the design frequency",
                         {elementChange(a.drivenChange, language)});
            break;
        case analysis::Feed::Hairpin:
            advice = lineChange(*a.lineChange, N_("make the hairpin's line shorter by %1 mm"),
                                N_("make the hairpin's line longer by %1 mm"), language);
            if (a.elementOff) {
                advice += sep + say(language,
                                    "the driven element reads off, too: %1, and set the line to "
                                    "its designed length",
                                    {elementChange(a.drivenChange, language)});
            }
            break;
        case analysis::Feed::Coax:
            advice =
                *a.lineChange != 0
                    ? lineChange(*a.lineChange, N_("make the transformer cable shorter by %1 mm"),
                                 N_("make the transformer cable longer by %1 mm"), language)
                    : say(language, "the cable's length is right");
            advice += sep + (a.elementOff ? elementChange(a.drivenChange, language)
                                          : say(language, "the driven element is right"));
            break;
    }
    lines.push_back({say(language, "trim"), advice});
    return lines;
}

}  // namespace zeva::sheet
