// SPDX-License-Identifier: MIT
#include "analysis/rod_advice.h"

#include <cmath>
#include <utility>

#include "analysis/deck.h"
#include "analysis/rod_match.h"

namespace zeva::analysis {

RodAdvisor::RodAdvisor(Antenna antenna, const Tuning& tuning, Measurement measured,
                       Language language)
    : Study(language), antenna_(std::move(antenna)) {
    if (!tuning.rods) {
        fail({say(language_, "no gamma or T match was designed to read the measurement through")});
        return;
    }
    match_ = *tuning.rods;
    auto figures = measuredFigures(measured, antenna_.frequency, language_);
    if (const auto* failure = std::get_if<Failure>(&figures)) {
        fail(*failure);
        return;
    }
    figures_ = std::get<MeasuredFigures>(figures);
    antenna_.elements[antenna_.driven].length = match_.elementLength;
    const std::vector<int> counts = segmentCounts(antenna_, Segmentation{match_.perWavelength});
    // The match's own model, its segments held as the strap moves.
    const RodSegments parts = match_.parts;
    const double half = match_.elementLength / 2;
    const int steps = static_cast<int>(std::lround(kStrapReach / kStrapStep));
    for (int k = -steps; k <= steps; ++k) {
        RodShape shape = match_.shape;
        shape.strap = match_.shape.strap * (1 + k * kStrapStep);
        if (shape.strap >= half) break;
        straps_.push_back(shape.strap);
        decks_.push_back(
            withSteps(rodStructure(antenna_, counts, shape, parts), {antenna_.frequency}));
    }
}

void RodAdvisor::step(const std::vector<DeckResults>& results) {
    std::vector<Impedance> ports;
    for (const DeckResults& result : results) {
        const Impedance* port = singleFeed(result);
        if (port == nullptr) return fail(noImpedance(language_));
        ports.push_back(*port);
    }
    RodAdvice advice;
    advice.measured = figures_;
    // The measurement is taken on the 50-ohm line; a T fed at 200 ohms sits behind a 4:1 balun.
    const std::complex<double> port = figures_.atDesign * (match_.feedOhms / kFeedlineOhms);
    const double arms = match_.shape.balanced ? 2 : 1;
    const auto mm = [](double metres) { return fixed(metres * 1000, 0); };
    // The strap where the model's resistance is the measured one, between two of the straps
    // solved.
    bool found = false;
    double reactance = 0;
    for (std::size_t i = 0; i + 1 < ports.size() && !found; ++i) {
        const double r0 = ports[i].resistance - port.real();
        const double r1 = ports[i + 1].resistance - port.real();
        if ((r0 > 0) == (r1 > 0) && r0 != 0 && r1 != 0) continue;
        const double t = r0 == r1 ? 0 : r0 / (r0 - r1);
        advice.strapAsBuilt = straps_[i] + t * (straps_[i + 1] - straps_[i]);
        reactance = ports[i].reactance + t * (ports[i + 1].reactance - ports[i].reactance);
        found = true;
    }
    if (!found) {
        advice.checks.push_back(
            say(language_,
                "the measured resistance at the design frequency, %1 ohms at the match, is outside "
                "what a strap %2 mm to %3 mm from the centre gives: check the rod's spacing, the "
                "strap's contact and the driven element's length",
                {fixed(port.real(), 1), mm(straps_.front()), mm(straps_.back())}));
        finish(std::move(advice));
        return;
    }
    // The capacitors take what the model's reactance there leaves over the measured one.
    const double capacitors = reactance - port.imag();
    const double each =
        capacitors > 0 ? seriesCapacitance(capacitors / arms, antenna_.frequency) : 0;
    if (!(capacitors > 0) || each > match_.capacitance * kCapacitorReach ||
        each < match_.capacitance / kCapacitorReach) {
        advice.checks.push_back(
            say(language_,
                "the measured reactance at the design frequency, %1 ohms at the match, is no "
                "capacitor near the designed %2 pF: check the capacitor and its connections",
                {fixed(port.imag(), 1), fixed(match_.capacitance, 1)}));
        finish(std::move(advice));
        return;
    }
    advice.advised = true;
    advice.strapMove = match_.shape.strap - advice.strapAsBuilt;
    advice.capacitanceAsBuilt = each;
    advice.capacitorChange = match_.capacitance - each;
    finish(std::move(advice));
}

std::variant<RodAdvice, Failure> adviseRods(const Antenna& antenna, const Tuning& tuning,
                                            const Measurement& measured, Runner& runner,
                                            Language language) {
    RodAdvisor advisor(antenna, tuning, measured, language);
    drive(advisor, runner);
    return advisor.result();
}

}  // namespace zeva::analysis
