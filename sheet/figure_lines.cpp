// SPDX-License-Identifier: MIT
#include "sheet/figure_lines.h"

#include "sheet/entries.h"
#include "sheet/labels.h"
#include "sheet/studies.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

using analysis::impedanceText;

// The model's own check: 1 where the power it radiates is the power fed in; further off than
// the tolerance, its gains are off by as much.
std::string averageGainText(const analysis::Analysis& a, Language l) {
    const double off = a.averageGain - 1;
    if (std::fabs(off) <= analysis::kAverageGainTolerance) {
        return zeva::say(l, "%1 (the radiated power over the power fed in; 1 for a sound model)",
                         {fixed(a.averageGain, 3)});
    }
    return zeva::say(l,
                     "%1: caution, more than %2 off 1, so the model's gains may be off by %3 "
                     "dB (tapers and close spacings can do this)",
                     {fixed(a.averageGain, 3), fixed(analysis::kAverageGainTolerance, 2),
                      fixed(std::fabs(10 * std::log10(a.averageGain)), 2)});
}

// The sweep's ends at the finer level: converged as well, or how far they still move.
std::string endsText(const analysis::EndsCheck& ends, Language l) {
    const std::string ohms = fixed(ends.ohms, 2), db = fixed(ends.db, 3);
    const std::string level = std::to_string(ends.finerPerWavelength);
    if (!ends.checked()) {
        return zeva::say(l,
                         "not checked at %1 segments a wavelength: two solves of more than %2 "
                         "segments would cost more than the rest of the analysis",
                         {level, std::to_string(analysis::kMostEndsCheckSegments)});
    }
    if (ends.converged()) {
        return zeva::say(l,
                         "converged too: at %3 segments a wavelength they move by %1 ohm and %2 dB",
                         {ohms, db, level});
    }
    return zeva::say(l,
                     "caution: at %3 segments a wavelength they still move by %1 ohm and %2 dB "
                     "(the design frequency is held to %4 ohm and %5 dB); take the sweep's ends "
                     "as less certain than its middle",
                     {ohms, db, level, analysis::shortest(analysis::kConvergedOhms),
                      analysis::shortest(analysis::kConvergedGain)});
}

// One figure a line, the same in the text table, the CSV and the design window.
std::vector<FigureLine> figuresOf(const analysis::Analysis& a, const Labels& say) {
    const Language l = say.language;
    std::vector<FigureLine> lines{
        {say.gain,
         zeva::say(l, "%1 dBi (%2 dBd)", {fixed(a.pattern.forwardGain, 2), fixed(a.gainDbd, 2)})},
        {say.frontToBack, fixed(a.pattern.frontToBack, 2) + " dB"},
        {say.frontToRear, fixed(a.pattern.frontToRear, 2) + " dB"},
        {say.impedance, impedanceText(a.feed) + " " + say.ohms},
        {say.swr, fixed(a.swr, 2)},
        {say.beamwidth,
         zeva::say(l, "E %1°, H %2°",
                   {fixed(a.pattern.beamwidthE, 1), fixed(a.pattern.beamwidthH, 1)})},
        {say.sidelobe, zeva::say(l, "%1 dB below the main lobe", {fixed(a.pattern.sidelobe, 2)})},
        {say.stacking, zeva::say(l, "side by side %1 m, one above the other %2 m",
                                 {fixed(a.stackingSideBySide, 3), fixed(a.stackingAbove, 3)})},
        {say.segments,
         zeva::say(l, "%1 in all, %2 to a wavelength (extended thin-wire kernel)",
                   {std::to_string(a.segments), std::to_string(a.segmentation.perWavelength)})},
    };
    if (!a.beam) {
        // A lone element: its gain, impedance, SWR and beamwidths, no beam's figures.
        const std::vector<std::string> beamOnly = {say.frontToBack, say.frontToRear, say.sidelobe,
                                                   say.stacking};
        std::erase_if(lines, [&](const FigureLine& line) {
            return std::find(beamOnly.begin(), beamOnly.end(), line.label) != beamOnly.end();
        });
    }
    if (std::isfinite(a.averageGain)) lines.push_back({say.averageGain, averageGainText(a, l)});
    if (a.ends) lines.push_back({say.sweepEnds, endsText(*a.ends, l)});
    for (StudyLine& line : bandwidthLines(a, l)) {
        lines.push_back({std::move(line.label), std::move(line.text)});
    }
    return lines;
}

}  // namespace

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
    if (report.rodAdvice != nullptr && report.tuning != nullptr && report.tuning->rods) {
        for (StudyLine& line :
             rodAdviceLines(*report.rodAdvice, report.tuning->rods->shape.balanced, language)) {
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

namespace {

std::string feetOf(double metres) { return fixed(metres / 0.3048, 4); }

// A length as the sheet gives it: feet, centimetres and the tape reading.
std::string lengthText(double metres, const Labels& say) {
    const std::string feet = feetOf(metres);
    return zeva::say(say.language, "%1 ft, %2 cm, %3",
                     {feet, fixed(metres * 100, 2), tapeOf(feet)});
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
    return zeva::say(say.language, "cut %1 (%2 ft electrically)",
                     {lengthText(metres + allowance, say), feetOf(metres)});
}

std::string sweepRange(const std::vector<double>& swr, const std::string& worstLabel) {
    const double worst = *std::max_element(swr.begin(), swr.end());
    return worstLabel + " " + fixed(worst, 2);
}

// "worst within ±2 %", or within the range the sweep was given.
std::string worstInSweep(const analysis::SweepRange& range, const Labels& say) {
    return fill(say.worstInSweep, {sweepRangeText(range)});
}

std::vector<FigureLine> tuningLines(const analysis::Tuning& t, double allowance,
                                    const std::string& worstLabel, const Labels& say) {
    const Language l = say.language;
    std::vector<FigureLine> lines;
    lines.push_back({say.trim, zeva::say(l, "%1; %2 ohm, SWR %3",
                                         {drivenLengthText(asCut(t, t.trim.length), allowance, say),
                                          impedanceText(t.trim.feed), fixed(t.trim.swr, 2)})});
    if (const auto& h = t.hairpin) {
        lines.push_back(
            {say.hairpin,
             zeva::say(l,
                       "driven element shortened to %1; %2 ohm; shorted two-wire line %3 ohm, "
                       "%4 cm long, shunt reactance +j%5 ohm; SWR %6, %7",
                       {drivenLengthText(asCut(t, h->elementLength), allowance, say),
                        impedanceText(h->feed), fixed(h->stubImpedance, 0),
                        fixed(h->stubLength * 100, 2), fixed(h->shuntReactance, 2),
                        fixed(h->swr, 2), sweepRange(h->sweepSwr, worstLabel)})});
    } else if (!t.hairpinNote.empty()) {
        lines.push_back({say.hairpin, t.hairpinNote});
    }
    if (const auto& m = t.rods) {
        const auto mm = [](double metres) { return fixed(metres * 1000, 0); };
        const std::string feed =
            !m->shape.balanced ? std::string()
            : m->feedOhms == analysis::kFeedlineOhms
                ? zeva::say(l, "; fed at %1 ohms through a 1:1 current balun",
                            {fixed(m->feedOhms, 0)})
                : zeva::say(l, "; fed at %1 ohms balanced, through a 4:1 balun from %2-ohm coax",
                            {fixed(m->feedOhms, 0), fixed(analysis::kFeedlineOhms, 0)});
        lines.push_back(
            {m->shape.balanced ? say.tee : say.gamma,
             zeva::say(l,
                       m->shape.balanced
                           ? N_("the driven element continuous, %1; rods of %2 mm, %3 mm from it "
                                "centre to centre, each %4 mm long; straps %5 mm either side of "
                                "the centre; %6 ohm at the port%7")
                           : N_("the driven element continuous, %1; a rod of %2 mm, %3 mm from "
                                "it centre to centre, %4 mm long; strap %5 mm from the centre; "
                                "%6 ohm at the port%7"),
                       {drivenLengthText(asCut(t, m->elementLength), allowance, say),
                        fixed(m->shape.rodDiameter * 1000, 1), mm(m->shape.spacing),
                        mm(m->rodLength), mm(m->shape.strap), impedanceText(m->feed), feed})});
        lines.push_back(
            {say.capacitor,
             zeva::say(l,
                       m->shape.balanced
                           ? N_("%1 pF in each arm (nearest standard %2 pF: SWR %3); each %4 V, "
                                "%5 A RMS at 100 W and %6 V, %7 A at 1 kW; SWR %8, %9")
                           : N_("%1 pF (nearest standard %2 pF: SWR %3); %4 V, %5 A RMS at "
                                "100 W and %6 V, %7 A at 1 kW; SWR %8, %9"),
                       {fixed(m->capacitance, 1), analysis::shortest(m->standardCapacitance),
                        fixed(m->standardSwr, 2), fixed(m->volts100, 0), fixed(m->amps100, 2),
                        fixed(m->volts1000, 0), fixed(m->amps1000, 2), fixed(m->swr, 2),
                        sweepRange(m->sweepSwr, worstLabel)})});
        const std::string level = std::to_string(m->perWavelength);
        lines.push_back(
            {m->shape.balanced ? say.tee : say.gamma,
             !std::isfinite(m->convergence)
                 ? zeva::say(l,
                             "solved at %1 segments a wavelength, not checked at more (they would "
                             "be shorter than two radii or too many): set the strap on the "
                             "antenna",
                             {level})
             : m->convergence > analysis::kRodConvergence
                 ? zeva::say(l,
                             "solved at %1 segments a wavelength; the port's resistance moves "
                             "%2 % at twice as many: set the strap on the antenna",
                             {level, fixed(m->convergence * 100, 1)})
                 : zeva::say(l,
                             "solved at %1 segments a wavelength; the port's resistance moves "
                             "%2 % at twice as many",
                             {level, fixed(m->convergence * 100, 1)})});
        const double change = (m->elementLength - m->designLength) * 1000;
        lines.push_back({m->shape.balanced ? say.tee : say.gamma,
                         zeva::say(l,
                                   change < 0 ? N_("the match wants the driven element resonant: "
                                                   "%1 mm shorter than the design's")
                                              : N_("the match wants the driven element resonant: "
                                                   "%1 mm longer than the design's"),
                                   {fixed(std::fabs(change), 0)})});
        lines.push_back(
            {m->shape.balanced ? say.tee : say.gamma,
             !std::isfinite(m->lineStrap)
                 ? zeva::say(l,
                             "the handbooks' folded-section line model finds no strap for this "
                             "rod")
             : !std::isfinite(m->lineCapacitance)
                 ? zeva::say(l,
                             "the handbooks' folded-section line model: strap %1 mm, with no "
                             "reactance left for a capacitor",
                             {mm(m->lineStrap)})
                 : zeva::say(l,
                             m->shape.balanced
                                 ? N_("the handbooks' folded-section line model: straps %1 mm, "
                                      "%2 pF in each arm")
                                 : N_("the handbooks' folded-section line model: strap %1 mm, "
                                      "%2 pF"),
                             {mm(m->lineStrap), fixed(m->lineCapacitance, 1)})});
    }
    if (const auto& c = t.coax) {
        const std::string cable =
            c->cable.parallel == 2
                ? zeva::say(l, "two %1-ohm cables in parallel (%2 ohms)",
                            {fixed(c->cable.each, 0), fixed(c->cable.impedance, 1)})
                : zeva::say(l, "one %1-ohm cable", {fixed(c->cable.each, 0)});
        lines.push_back(
            {say.coax,
             zeva::say(l, "√(%1·R) = %2 ohm, %3, %4 cm long at a velocity factor of %5; SWR %6, %7",
                       {analysis::shortest(analysis::kFeedlineOhms), fixed(c->wanted, 1), cable,
                        fixed(c->length * 100, 2), fixed(c->velocityFactor, 2), fixed(c->swr, 2),
                        sweepRange(c->sweepSwr, worstLabel)})});
    } else if (!t.coaxNote.empty()) {
        lines.push_back({say.coax, t.coaxNote});
    }
    return lines;
}

// The least change in the driven element's resistance, as a share, that the tubes' line
// mentions: it prints to a tenth of a per cent.
constexpr double kShownResistanceChange = 0.0005;

// A word of caution where the boom is near the end of the correction's fit.
std::string largeCorrectionNote(const CutSheet& sheet, const Labels& say) {
    const double b = sheet.boomWavelengths;
    if (b < analysis::kLargeBoomWavelengths) return {};
    return zeva::say(say.language,
                     "; the correction is large (b = %1, near the fit's limit of %2): check the "
                     "element lengths on the antenna",
                     {fixed(b, 4), fixed(analysis::kMaxBoomWavelengths, 3)});
}

// Tapered elements are modelled as straight wires of the mean diameter. NEC-2's own stepped
// wires read only 0.2 dB and 6 ohms from that wire, but NEC-2 is known to be wrong at a step
// in radius: against a full-wave model (FDTD, the stepped and the uniform element on the same
// mesh) 3- and 5-step elements with a 2:1 taper resonate 5.3 % above the wire of their mean
// diameter (a stepped-line estimate from Schelkunoff's average impedances: 4.3 %), so the
// mean-diameter wire is about 4 % low in frequency, with 25-35 ohms of reactance at the true
// resonance. Until the steps are modelled, the output says so.
// With a tube schedule the stepped elements are no longer in doubt: each tip is solved so
// that the element works as the wire analysed here.
std::optional<FigureLine> taperLine(const CutSheet* sheet, const Labels& say) {
    if (sheet != nullptr && sheet->tubes) {
        // The substitute carries the resonance; the tubes carry their current differently,
        // which raises the resistance by a few per cent (tubes thin outwards, so the factor is
        // never below 1; a lone tube's is 1).
        const double ratio = sheet->tubes->elements.at(kDrivenIndex).resistanceRatio;
        return FigureLine{
            zeva::say(say.language, "stepped elements"),
            zeva::say(say.language,
                      ratio - 1 >= kShownResistanceChange
                          ? N_("each element's tubes are cut to work as the uniform wire of %1 "
                               "in analysed here (Leeson's substitute element, from "
                               "Schelkunoff's average impedance of each tube); the current "
                               "along the driven element's tubes makes its feed-point "
                               "resistance about %2 % higher than the figures here")
                          : N_("each element's tubes are cut to work as the uniform wire of %1 "
                               "in analysed here (Leeson's substitute element, from "
                               "Schelkunoff's average impedance of each tube)"),
                      {fixed(sheet->diameterInches, 3), fixed(100 * (ratio - 1), 1)})};
    }
    if (sheet == nullptr || !sheet->tapered) return std::nullopt;
    const std::string mean = fixed(sheet->diameterInches, 3) + " in";
    return FigureLine{zeva::say(say.language, "tapered elements"),
                      zeva::say(say.language,
                                "modelled with the mean diameter, %1; against a full-wave model "
                                "an element of telescoping tubes (a 2:1 taper) resonates about "
                                "4 % higher than that wire: its reactance may be 25-35 ohms off "
                                "and the SWR with it, the gain about 0.2 dB: take the impedance "
                                "as approximate, or give the tubes and have each tip solved for "
                                "that wire",
                                {mean})};
}

// Which driven length to cut for the feed chosen, said plainly once the tuning is known: the
// match's where one is built (the hairpin's the line is fed through where both are asked for);
// for a straight feed, the sheet's, with the resonant one above for the least SWR.
std::optional<FigureLine> cutLine(const analysis::Tuning& t, const CutSheet* sheet,
                                  double allowance, const Labels& say) {
    const Language l = say.language;
    const char* why = nullptr;
    double length = 0;
    if (t.hairpin) {
        why = N_("%1, shortened for the hairpin match");
        length = t.hairpin->elementLength;
    } else if (t.rods) {
        why = t.rods->shape.balanced ? N_("%1, continuous, for the T match")
                                     : N_("%1, continuous, for the gamma match");
        length = t.rods->elementLength;
    } else if (t.coax) {
        why = N_("%1, at resonance, for the quarter-wave transformer");
        length = t.trim.length;
    } else if (sheet != nullptr && sheet->elements.size() > 1) {
        return FigureLine{
            zeva::say(l, "driven element to cut"),
            zeva::say(l,
                      "the sheet's %1 ft, fed straight; the length at resonance above gives the "
                      "least SWR on a 50-ohm line",
                      {sheet->elements[1].cutFeet.empty() ? sheet->elements[1].feet
                                                          : sheet->elements[1].cutFeet})};
    } else {
        return std::nullopt;
    }
    // With tubes the cut list gives the driven element's tubes for this length.
    std::string text = zeva::say(l, why, {drivenLengthText(asCut(t, length), allowance, say)});
    if (sheet != nullptr && sheet->tubes) {
        text += zeva::say(l, "; as tubes, the cut list's driven element");
    }
    return FigureLine{zeva::say(l, "driven element to cut"), text};
}

}  // namespace

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
        if (auto cut = cutLine(*tuning, sheet, drivenAllowance(sheet), say)) {
            lines.push_back(std::move(*cut));
        }
    }
    return lines;
}

std::string boomLine(const CutSheet& sheet, const Labels& say) {
    const Construction& o = sheet.request.construction;
    if (!o.mountingGiven) return {};
    if (o.mounting == analysis::Mounting::Insulators) return say.onInsulators;
    return zeva::say(say.language,
                     "boom correction (DL6WU's method, G3SEK's fit): %1, boom %2 mm, each element "
                     "through the boom %3 mm longer, %4; the analysis models the design lengths: "
                     "the correction restores them electrically",
                     {o.mounting == analysis::Mounting::Bonded ? say.bonded : say.insulated,
                      fixed(o.boomDiameter * 1000, 1), fixed(sheet.boomCorrection * 1000, 2),
                      o.drivenThroughBoom ? say.drivenThrough : say.drivenApart}) +
           largeCorrectionNote(sheet, say);
}

std::string diameterText(const CutSheet& sheet) {
    const auto index = static_cast<std::size_t>(sheet.request.design.diameterIndex);
    // The entry's inch text and its millimetres, each with its unit: "1 in (25.4 mm)",
    // "AWG 14 (1.6 mm)".
    const std::string entry = withSingleBlanks(DiameterCatalogue[index].text);
    const std::size_t blank = entry.rfind(' ');
    if (blank == std::string::npos || !entry.ends_with("mm")) return entry;
    const std::string gauge = entry.substr(0, blank);
    const std::string metric = entry.substr(blank + 1, entry.size() - blank - 3);
    return gauge + (gauge.starts_with("AWG") ? "" : " in") + " (" + metric + " mm)";
}

std::optional<std::string> taperNote(const CutSheet* sheet, Language language) {
    if (auto line = taperLine(sheet, labelsFor(language))) return line->text;
    return std::nullopt;
}

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
    if (const auto cut = cutLine(tuning, sheet, drivenAllowance(sheet), say)) {
        lines.push_back(cut->label + say.colon + cut->text);
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

}  // namespace zeva::sheet
