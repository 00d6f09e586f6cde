// SPDX-License-Identifier: MIT
#include "sheet/csv_report.h"

#include <cmath>
#include <cstdint>

#include "sheet/columns.h"

namespace zeva::sheet {
namespace {

using analysis::fixed;

std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string line(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        out += field(cells[i]);
    }
    return out + "\r\n";
}

// The headings in the language: texts marked for the catalogue.
std::vector<std::string> translated(Language language, std::initializer_list<const char*> texts) {
    std::vector<std::string> out;
    for (const char* text : texts) out.emplace_back(translate(language, text));
    return out;
}

// A figure's cell: empty where it is not finite.
std::string cell(double value, int decimals) {
    return std::isfinite(value) ? fixed(value, decimals) : std::string();
}

// One row of figures: each heading in the report's language beside its cell.
class Row {
public:
    explicit Row(Language language) : language_(language) {}

    // The heading: a text marked for the catalogue.
    void add(const char* heading, double value, int decimals) {
        add(std::string(translate(language_, heading)), value, decimals);
    }
    void add(const std::string& heading, double value, int decimals) {
        headings_.push_back(heading);
        cells_.push_back(cell(value, decimals));
    }
    void add(const char* heading, std::uint64_t whole) {
        headings_.emplace_back(translate(language_, heading));
        cells_.push_back(std::to_string(whole));
    }
    // A word rather than a figure: a text marked for the catalogue too.
    void say(const char* heading, const char* text) {
        headings_.emplace_back(translate(language_, heading));
        cells_.emplace_back(translate(language_, text));
    }
    [[nodiscard]] Language language() const { return language_; }
    [[nodiscard]] std::string table() const { return line(headings_) + line(cells_); }

private:
    Language language_;
    std::vector<std::string> headings_;
    std::vector<std::string> cells_;
};

void analysisFigures(Row& row, const analysis::Analysis& a) {
    // A lone element has no beam: its front, back, sidelobe and stacking cells are empty.
    const auto beam = [&a](double value) { return a.beam ? value : std::nan(""); };
    row.add(N_("forward gain dBi"), a.pattern.forwardGain, 2);
    row.add(N_("forward gain dBd"), a.gainDbd, 2);
    row.add(N_("front-to-back dB"), beam(a.pattern.frontToBack), 2);
    row.add(N_("front-to-rear dB"), beam(a.pattern.frontToRear), 2);
    row.add(N_("feed R ohm"), a.feed.resistance, 3);
    row.add(N_("feed X ohm"), a.feed.reactance, 3);
    row.add(N_("SWR"), a.swr, 4);
    row.add(N_("E-plane beamwidth deg"), a.pattern.beamwidthE, 1);
    row.add(N_("H-plane beamwidth deg"), a.pattern.beamwidthH, 1);
    row.add(N_("sidelobe below main lobe dB"), beam(a.pattern.sidelobe), 2);
    row.add(N_("stacking side by side m"), beam(a.stackingSideBySide), 3);
    row.add(N_("stacking one above the other m"), beam(a.stackingAbove), 3);
    row.add(N_("segments"), a.segments, 0);
    row.add(N_("segments a wavelength"), a.segmentation.perWavelength, 0);
    row.add(N_("average gain"), a.averageGain, 4);
    row.add(N_("sweep ends move ohm"), a.ends ? a.ends->ohms : std::nan(""), 3);
    row.add(N_("sweep ends move dB"), a.ends ? a.ends->db : std::nan(""), 3);
    for (const double level : analysis::kSwrLevels) {
        const auto band = analysis::swrBand(a, level);
        const std::string below = analysis::shortest(level);
        row.add(say(row.language(), "SWR below %1 from MHz", {below}),
                band ? band->low : std::nan(""), 4);
        row.add(say(row.language(), "SWR below %1 to MHz", {below}),
                band ? band->high : std::nan(""), 4);
    }
}

void tuningFigures(Row& row, const analysis::Tuning& t, double allowance) {
    row.add(N_("resonant driven length m"), asCut(t, t.trim.length), 5);
    if (allowance != 0) {
        row.add(N_("resonant driven cut length m"), asCut(t, t.trim.length) + allowance, 5);
    }
    row.add(N_("resonant R ohm"), t.trim.feed.resistance, 3);
    row.add(N_("resonant SWR"), t.trim.swr, 4);
    if (const auto& h = t.hairpin) {
        row.add(N_("hairpin driven length m"), asCut(t, h->elementLength), 5);
        if (allowance != 0) {
            row.add(N_("hairpin driven cut length m"), asCut(t, h->elementLength) + allowance, 5);
        }
        row.add(N_("hairpin line ohm"), h->stubImpedance, 2);
        row.add(N_("hairpin line length m"), h->stubLength, 5);
        row.add(N_("hairpin SWR"), h->swr, 4);
    }
    if (const auto& m = t.rods) {
        row.add(N_("match driven length m"), asCut(t, m->elementLength), 5);
        if (allowance != 0) {
            row.add(N_("match driven cut length m"), asCut(t, m->elementLength) + allowance, 5);
        }
        row.add(N_("match rods"), std::uint64_t{m->shape.balanced ? 2u : 1u});
        row.add(N_("match rod diameter m"), m->shape.rodDiameter, 5);
        row.add(N_("match rod spacing m"), m->shape.spacing, 5);
        row.add(N_("match strap m"), m->shape.strap, 4);
        row.add(N_("match rod length m"), m->rodLength, 4);
        row.add(N_("match capacitor pF"), m->capacitance, 1);
        row.add(N_("match standard capacitor pF"), m->standardCapacitance, 1);
        row.add(N_("match capacitor V at 100 W"), m->volts100, 1);
        row.add(N_("match capacitor A at 100 W"), m->amps100, 2);
        row.add(N_("match capacitor V at 1 kW"), m->volts1000, 1);
        row.add(N_("match capacitor A at 1 kW"), m->amps1000, 2);
        row.add(N_("match feed ohm"), m->feedOhms, 0);
        row.add(N_("match SWR"), m->swr, 4);
        row.add(N_("match segments a wavelength"), static_cast<std::uint64_t>(m->perWavelength));
        row.add(N_("match convergence"), m->convergence, 4);
        row.add(N_("match line model strap m"), m->lineStrap, 4);
        row.add(N_("match line model capacitor pF"), m->lineCapacitance, 1);
    }
    if (const auto& c = t.coax) {
        row.add(N_("transformer cable ohm"), c->cable.each, 0);
        row.add(N_("cables in parallel"), c->cable.parallel, 0);
        row.add(N_("velocity factor"), c->velocityFactor, 2);
        row.add(N_("cable length m"), c->length, 5);
        row.add(N_("coax transformer SWR"), c->swr, 4);
    }
}

void overGroundFigures(Row& row, const analysis::OverGround& over) {
    row.add(N_("height m"), over.placement.height, 3);
    row.add(N_("height wavelengths"), over.heightWavelengths, 4);
    // Perfect ground has neither figure: its cells stay empty.
    const nec::Ground& ground = over.placement.ground;
    row.add(N_("ground permittivity"), ground.perfect ? std::nan("") : ground.permittivity, 3);
    row.add(N_("ground conductivity S/m"), ground.perfect ? std::nan("") : ground.conductivity, 6);
    row.add(N_("takeoff elevation deg"), over.takeoff, 2);
    row.add(N_("gain over ground dBi"), over.gain, 2);
    row.add(N_("elevation beamwidth deg"), over.beamwidth, 1);
    row.add(N_("front-to-back over ground dB"), over.frontToBack, 2);
    row.add(N_("feed R over ground ohm"), over.feed.resistance, 3);
    row.add(N_("feed X over ground ohm"), over.feed.reactance, 3);
    row.add(N_("SWR over ground"), over.swr, 4);
}

void toleranceFigures(Row& row, const analysis::Tolerance& t) {
    row.add(N_("length tolerance mm"), t.request.length * 1000, 3);
    row.add(N_("position tolerance mm"), t.request.position * 1000, 3);
    row.add(N_("samples"), static_cast<double>(t.request.samples), 0);
    row.add(N_("seed"), t.request.seed);
    row.add(N_("SWR median"), t.swr.median, 3);
    row.add(N_("SWR 90th percentile"), t.swr.p90, 3);
    row.add(N_("SWR worst"), t.swr.worst, 3);
    row.add(N_("resonance shift median kHz"), t.resonanceShift.median, 2);
    row.add(N_("resonance shift 90th percentile kHz"), t.resonanceShift.p90, 2);
    row.add(N_("resonance shift worst kHz"), t.resonanceShift.worst, 2);
    row.add(N_("gain median dBi"), t.gain.median, 3);
    row.add(N_("gain 90th percentile dBi"), t.gain.p90, 3);
    row.add(N_("gain worst dBi"), t.gain.worst, 3);
    row.add(N_("front-to-back median dB"), t.frontToBack.median, 2);
    row.add(N_("front-to-back 90th percentile dB"), t.frontToBack.p90, 2);
    row.add(N_("front-to-back worst dB"), t.frontToBack.worst, 2);
}

// What the analyser saw, before the advice of either kind.
void measuredFigures(Row& row, const analysis::MeasuredFigures& m) {
    row.add(N_("measured least SWR"), m.leastSwr, 3);
    row.add(N_("measured least SWR MHz"), m.leastSwrFrequency, 4);
    row.add(N_("measured resonance MHz"), m.resonance ? *m.resonance : std::nan(""), 4);
    row.add(N_("measured R at design ohm"), m.atDesign.real(), 3);
    row.add(N_("measured X at design ohm"), m.atDesign.imag(), 3);
}

void measuredFigures(Row& row, const analysis::TrimAdvice& a) {
    measuredFigures(row, a.measured);
    row.add(N_("driven element change mm"), a.advised ? a.drivenChange * 1000 : std::nan(""), 1);
    row.add(N_("line change mm"), a.advised && a.lineChange ? *a.lineChange * 1000 : std::nan(""),
            1);
}

void measuredFigures(Row& row, const analysis::RodAdvice& a) {
    measuredFigures(row, a.measured);
    row.add(N_("strap move mm"), a.advised ? a.strapMove * 1000 : std::nan(""), 1);
    row.add(N_("capacitance change pF"), a.advised ? a.capacitorChange : std::nan(""), 1);
}

}  // namespace

std::string sheetCsv(const Report& report) {
    std::string out;
    if (report.sheet != nullptr) {
        const CutSheet& sheet = *report.sheet;
        out += line(sheetHeadings(sheet));
        for (const SheetElement& element : sheet.elements) out += line(sheetCells(element));
        return out;
    }
    out += line(translated(report.language, {N_("element"), N_("role"), N_("length m"),
                                             N_("position m"), N_("diameter mm")}));
    for (std::size_t i = 0; i < report.antenna.elements.size(); ++i) {
        const analysis::Element& e = report.antenna.elements[i];
        out += line({e.name, analysis::roleOf(report.antenna, i), fixed(e.length, 4),
                     fixed(e.position, 4), fixed(e.diameter * 1000, 2)});
    }
    return out;
}

std::string figuresCsv(const Report& report) {
    Row row(report.language);
    if (report.analysis == nullptr) return row.table();
    analysisFigures(row, *report.analysis);
    // How a taper is modelled: tubes by their substitute element, with the factor that the
    // current on the driven element's tubes puts on its resistance; a taper alone by the wire
    // of its mean diameter.
    if (const CutSheet* sheet = report.sheet; sheet != nullptr && sheet->tubes) {
        row.say(N_("stepped elements"), N_("substitute element"));
        row.add(N_("driven resistance factor"),
                sheet->tubes->elements.at(kDrivenIndex).resistanceRatio, 4);
    } else if (sheet != nullptr && sheet->tapered) {
        row.say(N_("tapered elements"), N_("mean diameter"));
    }
    if (report.tuning != nullptr) {
        tuningFigures(row, *report.tuning, drivenAllowance(report.sheet));
    }
    if (report.overGround != nullptr) overGroundFigures(row, *report.overGround);
    if (report.tolerance != nullptr) toleranceFigures(row, *report.tolerance);
    if (report.advice != nullptr) measuredFigures(row, *report.advice);
    if (report.rodAdvice != nullptr) measuredFigures(row, *report.rodAdvice);
    return row.table();
}

std::string sweepCsv(const Report& report) {
    std::vector<std::string> headings =
        translated(report.language, {N_("MHz"), N_("R ohm"), N_("X ohm"), N_("SWR"), N_("gain dBi"),
                                     N_("F/B dB"), N_("solved")});
    const analysis::HairpinMatch* hairpin = nullptr;
    const analysis::CoaxMatch* coax = nullptr;
    const analysis::RodMatch* rods = nullptr;
    if (report.tuning != nullptr) {
        if (report.tuning->hairpin) hairpin = &*report.tuning->hairpin;
        if (report.tuning->coax) coax = &*report.tuning->coax;
        if (report.tuning->rods) rods = &*report.tuning->rods;
    }
    if (hairpin != nullptr) headings.emplace_back(translate(report.language, "hairpin SWR"));
    if (coax != nullptr) headings.emplace_back(translate(report.language, "coax SWR"));
    if (rods != nullptr) {
        headings.emplace_back(
            translate(report.language, rods->shape.balanced ? "T match SWR" : "gamma match SWR"));
    }
    std::string out = line(headings);
    if (report.analysis == nullptr) return out;
    const auto& sweep = report.analysis->sweep;
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        const analysis::SweepPoint& p = sweep[i];
        std::vector<std::string> cells{cell(p.frequency, 4),      cell(p.feed.resistance, 3),
                                       cell(p.feed.reactance, 3), cell(p.swr, 4),
                                       cell(p.gain, 2),           cell(p.frontToBack, 2),
                                       p.solved ? "1" : "0"};
        for (const auto* match : {hairpin != nullptr ? &hairpin->sweepSwr : nullptr,
                                  coax != nullptr ? &coax->sweepSwr : nullptr,
                                  rods != nullptr ? &rods->sweepSwr : nullptr}) {
            if (match != nullptr) cells.push_back(i < match->size() ? cell((*match)[i], 4) : "");
        }
        out += line(cells);
    }
    return out;
}

std::string cutListCsv(const Report& report) {
    std::string out = line(translated(
        report.language, {N_("element"), N_("tube"), N_("diameter mm"), N_("wall mm"), N_("pieces"),
                          N_("cut mm"), N_("exposed mm"), N_("overlap mm"), N_("reach mm")}));
    if (report.sheet == nullptr || !report.sheet->tubes) return out;
    for (const ElementTubes& element : report.sheet->tubes->elements) {
        for (std::size_t i = 0; i < element.tubes.size(); ++i) {
            const analysis::TubeCut& t = element.tubes[i];
            out += line({element.name, std::to_string(i + 1), cell(t.diameter * 1000, 2),
                         cell(t.wall * 1000, 2), std::to_string(t.pieces), cell(t.cut * 1000, 1),
                         cell(t.exposed * 1000, 1), cell(t.overlap * 1000, 1),
                         cell(t.reach * 1000, 1)});
        }
    }
    return out;
}

std::string materialsCsv(const Report& report) {
    std::vector<std::string> headings = translated(
        report.language, {N_("diameter mm"), N_("wall mm"), N_("pieces"), N_("total m")});
    const TubeList* tubes =
        report.sheet != nullptr && report.sheet->tubes ? &*report.sheet->tubes : nullptr;
    if (tubes != nullptr) {
        for (const double length : tubes->schedule.stock) {
            headings.push_back(say(report.language, "lengths of %1 m", {fixed(length, 3)}));
        }
    }
    headings.emplace_back(translate(report.language, "offcut m"));
    std::string out = line(headings);
    if (tubes == nullptr) return out;
    for (const analysis::StockUse& use : tubes->stock) {
        std::vector<std::string> cells{cell(use.diameter * 1000, 2), cell(use.wall * 1000, 2),
                                       std::to_string(use.pieces), cell(use.total, 3)};
        for (const int count : use.lengths) cells.push_back(std::to_string(count));
        cells.push_back(cell(use.offcut, 3));
        out += line(cells);
    }
    return out;
}

}  // namespace zeva::sheet
