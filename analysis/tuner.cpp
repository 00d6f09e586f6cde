// SPDX-License-Identifier: MIT
#include "analysis/tuner.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <utility>

#include "analysis/deck.h"
#include "analysis/figures.h"
#include "nec/engine.h"

namespace zeva::analysis {
namespace {

// A driven element's reactance grows by about this many ohms per wavelength of length near
// resonance: the first guess of each search; the secant takes over from there.
constexpr double kOhmsPerWavelength = 2000;
constexpr int kMostRuns = 12;
// The strap positions tried first, as fractions of the element's half length: the feed's
// resistance grows from nothing as the strap moves out, and the first step across the
// target brackets the strap's place.
constexpr double kStrapScan[] = {0.03, 0.06, 0.09, 0.12, 0.15, 0.2, 0.25,
                                 0.3,  0.35, 0.4,  0.5,  0.6,  0.7};
constexpr std::size_t kMostStrapRuns = 30;
// The strap is placed where the port's resistance is the feed's within this many ohms: the
// search converges fast, so it is tight enough that the printed resistance reads the feed's.
constexpr double kStrapOhms = 0.005;
// The search from the line model's strap starts this factor either side of it.
constexpr double kLineModelBracket = 1.5;
// A series capacitor above this many pF is no part to buy or to build.
constexpr double kMostCapacitance = 1000;
// The rod reaches this far beyond its strap, so that the strap can move outwards.
constexpr double kRodSpare = 0.25;

std::complex<double> complexOf(const Impedance& z) { return {z.resistance, z.reactance}; }
Impedance impedanceOf(std::complex<double> z) { return {z.real(), z.imag()}; }

// The error that the search drives to zero at this feed.
double errorOf(bool hairpin, const Impedance& feed) {
    if (!hairpin) return feed.reactance;
    const double r = std::clamp(feed.resistance, 0.0, 50.0);
    return feed.reactance - hairpinReactance(r);
}

}  // namespace

RodShape rodShapeFor(const MatchRequest& request, double elementDiameter) {
    RodShape shape;
    shape.balanced = request.tee;
    shape.rodDiameter =
        request.rodDiameter > 0 ? request.rodDiameter : kRodOfElement * elementDiameter;
    shape.spacing =
        request.rodSpacing > 0 ? request.rodSpacing : kSpacingInElements * elementDiameter;
    return shape;
}

std::optional<Failure> checkMatch(const MatchRequest& request, Language language) {
    if (request.hairpin) {
        if (!(request.wireDiameter > 0) || !std::isfinite(request.wireDiameter)) {
            return Failure{say(language, "the hairpin's wire must be thicker than nothing")};
        }
        if (!(request.spacing > request.wireDiameter) || !std::isfinite(request.spacing)) {
            return Failure{
                say(language,
                    "the hairpin's spacing must be above its wire's diameter (%1 mm, "
                    "wire %2 mm)",
                    {fixed(request.spacing * 1000, 2), fixed(request.wireDiameter * 1000, 2)})};
        }
    }
    if (request.coax && !(request.velocityFactor > 0 && request.velocityFactor <= 1)) {
        return Failure{say(language, "the velocity factor must lie between 0 and 1")};
    }
    if (request.rods() && (request.hairpin || request.coax || (request.gamma && request.tee))) {
        return Failure{say(language, "a gamma or T match is the only match of its antenna")};
    }
    if (request.tee && request.teeFeed != kFeedlineOhms && request.teeFeed != 4 * kFeedlineOhms) {
        return Failure{say(language, "a T match is fed at %1 or %2 ohms",
                           {fixed(kFeedlineOhms, 0), fixed(4 * kFeedlineOhms, 0)})};
    }
    return std::nullopt;
}

Tuner::Tuner(Antenna antenna, const Analysis& analysis, MatchRequest request, Language language,
             int processes)
    : Study(language),
      antenna_(std::move(antenna)),
      segmentation_(analysis.solvedAt),
      range_(analysis.range),
      request_(request),
      processes_(std::max(1, processes)) {
    // The tuning is solved at the sweep's level, from its feed there.
    const Impedance& feed = analysis.solvedFeed;
    const double length = antenna_.elements[antenna_.driven].length;
    lengths_ = {length};
    errors_ = {feed.reactance};
    tuning_.trim = {length, feed, swrAgainst50(feed)};
    if (std::fabs(feed.reactance) < kTunedOhms) {
        tuned(Stage::Trim, length, feed);
        return;
    }
    runLength(length - feed.reactance / kOhmsPerWavelength * antenna_.wavelength());
}

Tuning Tuner::asBuilt(Tuning tuning) const {
    const Element& driven = antenna_.elements[antenna_.driven];
    tuning.drivenTubes = driven.sections;
    tuning.drivenDiameter = driven.diameter;
    tuning.frequency = antenna_.frequency;
    return tuning;
}

double asCut(const Tuning& tuning, double wire) {
    if (tuning.drivenTubes.empty()) return wire;
    return builtFor(tuning.drivenTubes, tuning.drivenDiameter, tuning.frequency, wire);
}

Antenna Tuner::withDriven(double length) const {
    Antenna changed = antenna_;
    changed.elements[changed.driven].length = length;
    return changed;
}

void Tuner::runLength(double length) {
    lengths_.push_back(length);
    decks_ = {sweepDeck(withDriven(length), segmentation_, {antenna_.frequency})};
}

void Tuner::step(const std::vector<DeckResults>& solved) {
    if (stage_ == Stage::Sweeps) return finishSweeps(solved);
    if (stage_ == Stage::RodScan) return scannedRods(solved);
    if (stage_ == Stage::RodSearch) return searchRods(solved);
    if (stage_ == Stage::RodCheck) return checkedRods(solved);

    const Impedance* solvedFeed = singleFeed(solved[0]);
    if (solvedFeed == nullptr) return fail(noImpedance(language_));
    const Impedance& feed = *solvedFeed;
    const double error = errorOf(stage_ == Stage::Hairpin, feed);
    errors_.push_back(error);
    if (std::fabs(error) < kTunedOhms) return tuned(stage_, lengths_.back(), feed);
    if (lengths_.size() >= kMostRuns) {
        return fail({say(language_, "tuning the driven element's length did not converge")});
    }
    // The secant through the last two lengths tried.
    const std::size_t n = lengths_.size();
    const double slope = (errors_[n - 1] - errors_[n - 2]) / (lengths_[n - 1] - lengths_[n - 2]);
    if (!(std::fabs(slope) > 0) || !std::isfinite(slope)) {
        return fail({say(language_, "tuning the driven element's length did not converge")});
    }
    runLength(lengths_[n - 1] - errors_[n - 1] / slope);
}

void Tuner::tuned(Stage stage, double length, const Impedance& feed) {
    if (stage == Stage::Trim) {
        tuning_.trim = {length, feed, swrAgainst50(feed)};
        return startHairpin();
    }
    HairpinMatch match;
    match.elementLength = length;
    match.feed = feed;
    match.shuntReactance = hairpinShuntReactance(feed.resistance);
    match.stubImpedance = twoWireImpedance(request_.spacing, request_.wireDiameter);
    match.stubLength =
        shortedLineLength(match.shuntReactance, match.stubImpedance, antenna_.wavelength());
    tuning_.hairpin = match;
    startSweeps();
}

// Why no match suits a resonant feed resistance this low; empty where one may.
std::string Tuner::tooLowForAMatch() const {
    const double r = tuning_.trim.feed.resistance;
    if (r >= kLowestMatchedOhms) return {};
    return say(language_,
               "the resonant feed resistance is only %1 ohms, below %2 ohms: a match's losses and "
               "narrow band would make it useless; check the element spacings first",
               {fixed(r, 2), fixed(kLowestMatchedOhms, 0)});
}

void Tuner::startHairpin() {
    const double r = tuning_.trim.feed.resistance;
    if (!request_.hairpin) return startRods();
    if (const std::string why = tooLowForAMatch(); !why.empty()) {
        tuning_.hairpinNote = why;
        return startSweeps();
    }
    if (r >= kFeedlineOhms) {
        tuning_.hairpinNote =
            say(language_,
                "the resonant feed resistance is %1 ohms, not below %2: a hairpin match does not "
                "apply",
                {fixed(r, 1), fixed(kFeedlineOhms, 0)});
        return startSweeps();
    }
    stage_ = Stage::Hairpin;
    lengths_ = {tuning_.trim.length};
    errors_ = {errorOf(true, tuning_.trim.feed)};
    runLength(tuning_.trim.length - errors_[0] / kOhmsPerWavelength * antenna_.wavelength());
}

double Tuner::rodTarget() const { return request_.tee ? request_.teeFeed : kFeedlineOhms; }

// The match's rod and its segmentation, then the search for the strap.
void Tuner::startRods() {
    if (!request_.rods()) return startSweeps();
    if (const std::string why = tooLowForAMatch(); !why.empty()) return fail({why});
    const Element& driven = antenna_.elements[antenna_.driven];
    shape_ = rodShapeFor(request_, driven.diameter);
    if (auto wrong = checkRods(shape_.rodDiameter, shape_.spacing, driven.diameter,
                               tuning_.trim.length, language_)) {
        return fail(*wrong);
    }
    const Antenna trimmed = withDriven(tuning_.trim.length);
    // The analysis' segmentation where it is fine enough for the rods, else the finest up to
    // kLeastRodLevel that keeps segments two radii long and within the engine's count.
    const auto allowed = [&trimmed](int level) {
        return shortestSegmentOverRadius(trimmed, level) >= kMinSegmentOverRadius &&
               static_cast<std::size_t>(totalSegments(trimmed, level)) * 2 <= nec::kMaxSegments;
    };
    rodLevel_ = std::max(segmentation_.perWavelength, kLeastRodLevel);
    while (rodLevel_ > segmentation_.perWavelength && !allowed(rodLevel_)) {
        rodLevel_ = std::max(segmentation_.perWavelength, rodLevel_ * 9 / 10);
    }
    counts_ = segmentCounts(trimmed, Segmentation{rodLevel_});
    // The line model places the strap in closed form; where it does, the search starts
    // around its strap, and the scan is left for where it does not or is too far off.
    const double step = tuning_.trim.length / counts_[antenna_.driven];
    const std::optional<double> line =
        lineModelStrap(shape_, driven.diameter, tuning_.trim.length / 2,
                       complexOf(tuning_.trim.feed), antenna_.frequency, rodTarget());
    lineStrap_ = line.value_or(std::numeric_limits<double>::quiet_NaN());
    if (line && *line / kLineModelBracket > 2 * step &&
        *line * kLineModelBracket < 0.9 * tuning_.trim.length / 2) {
        fromLineModel_ = true;
        shape_.strap = *line;
        parts_ = rodSegments(trimmed, counts_, shape_);
        return startSearch(*line / kLineModelBracket, *line * kLineModelBracket);
    }
    startScan();
}

// Every strap position of the scan at once, at the design frequency, the driven element at
// its resonant length.
void Tuner::startScan() {
    fromLineModel_ = false;
    const Antenna trimmed = withDriven(tuning_.trim.length);
    const double step = tuning_.trim.length / counts_[antenna_.driven];
    stage_ = Stage::RodScan;
    straps_.clear();
    decks_.clear();
    for (const double fraction : kStrapScan) {
        RodShape shape = shape_;
        shape.strap = fraction * tuning_.trim.length / 2;
        if (shape.strap < step) continue;  // beside no segment of the element
        straps_.push_back(shape.strap);
        decks_.push_back(
            withSteps(rodStructure(trimmed, counts_, shape, rodSegments(trimmed, counts_, shape)),
                      {antenna_.frequency}));
    }
    if (decks_.empty()) {
        fail({say(language_, "the driven element has too few segments for a match beside it")});
    }
}

void Tuner::scannedRods(const std::vector<DeckResults>& results) {
    const double target = rodTarget();
    std::size_t above = results.size();
    double most = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Impedance* port = singleFeed(results[i]);
        if (port == nullptr) return fail(noImpedance(language_));
        const double r = port->resistance;
        most = std::max(most, r);
        if (r >= target) {
            above = i;
            break;
        }
    }
    const auto mm = [](double metres) { return fixed(metres * 1000, 0); };
    if (above == results.size()) {
        return fail({say(language_,
                         "no strap position up to %1 mm from the element's centre brings the "
                         "match to %2 ohms (at most %3 ohms): make the rod thinner or bring it "
                         "closer to the element",
                         {mm(straps_.back()), fixed(target, 0), fixed(most, 1)})});
    }
    if (above == 0) {
        return fail(
            {say(language_,
                 "a strap only %1 mm from the element's centre already gives %2 ohms, "
                 "above %3: make the rod thicker or move it further from the element",
                 {mm(straps_[0]), fixed(results[0][0].feed.resistance, 1), fixed(target, 0)})});
    }
    // The bracket solved again with the segments beside the rod held for the whole search,
    // so that the resistance moves smoothly with the strap.
    const double low = straps_[above - 1], high = straps_[above];
    shape_.strap = (low + high) / 2;
    parts_ = rodSegments(withDriven(tuning_.trim.length), counts_, shape_);
    startSearch(low, high);
}

void Tuner::startSearch(double low, double high) {
    stage_ = Stage::RodSearch;
    straps_.clear();
    misses_.clear();
    ports_.clear();
    lowKept_ = highKept_ = 0;
    decks_.clear();
    for (const double strap : {low, high}) runStrap(strap);
}

void Tuner::runStrap(double strap) {
    RodShape shape = shape_;
    shape.strap = strap;
    straps_.push_back(strap);
    decks_.push_back(
        withSteps(rodStructure(withDriven(tuning_.trim.length), counts_, shape, parts_),
                  {antenna_.frequency}));
}

// Regula falsi on the resistance's miss, in the Illinois form: an end of the bracket that
// stays two rounds in a row has its miss halved, and again each round it stays, so that the
// bracket closes from both sides. The resistance grows with the strap's distance: a bracket
// not yet found is looked for further in or out.
void Tuner::searchRods(const std::vector<DeckResults>& results) {
    for (const DeckResults& result : results) {
        const Impedance* port = singleFeed(result);
        if (port == nullptr) return fail(noImpedance(language_));
        misses_.push_back(port->resistance - rodTarget());
        ports_.push_back(*port);
    }
    const auto notConverged = [this] {
        fail({say(language_, "the strap's position of the match did not converge")});
    };
    std::size_t best = 0;
    for (std::size_t i = 0; i < misses_.size(); ++i) {
        if (std::fabs(misses_[i]) < std::fabs(misses_[best])) best = i;
    }
    if (std::fabs(misses_[best]) < kStrapOhms) {
        shape_.strap = straps_[best];
        // Counted afresh at the strap found, the segments may differ from the bracket's: the
        // match is then found again with those, so that the printed strap and its model agree.
        const RodSegments counted = rodSegments(withDriven(tuning_.trim.length), counts_, shape_);
        if (counted != parts_ && !recounted_) {
            recounted_ = true;
            parts_ = counted;
            return startSearch(shape_.strap * 0.97, shape_.strap * 1.03);
        }
        return matchedRods(ports_[best]);
    }
    if (straps_.size() >= kMostStrapRuns) return notConverged();
    // The bracket: the furthest strap below the target and the nearest above it.
    std::optional<std::size_t> low, high;
    for (std::size_t i = 0; i < misses_.size(); ++i) {
        if (misses_[i] < 0 && (!low || straps_[i] > straps_[*low])) low = i;
        if (misses_[i] > 0 && (!high || straps_[i] < straps_[*high])) high = i;
    }
    decks_.clear();
    // The line model's strap, where it does not bracket the engine's, is too far off to
    // start from: the scan finds the bracket instead.
    if (fromLineModel_ && (!low || !high)) return startScan();
    fromLineModel_ = false;
    if (!low) return runStrap(*std::min_element(straps_.begin(), straps_.end()) * 0.85);
    if (!high) {
        const double further = *std::max_element(straps_.begin(), straps_.end()) * 1.15;
        if (further > 0.95 * tuning_.trim.length / 2) return notConverged();
        return runStrap(further);
    }
    const std::size_t last = misses_.size() - 1;
    if (last == *low) {
        lowKept_ = 0;
        ++highKept_;
    } else if (last == *high) {
        highKept_ = 0;
        ++lowKept_;
    }
    const double missLow = misses_[*low] / std::pow(2.0, std::max(0, lowKept_ - 1));
    const double missHigh = misses_[*high] / std::pow(2.0, std::max(0, highKept_ - 1));
    const double sLow = straps_[*low], sHigh = straps_[*high];
    runStrap(sLow - missLow * (sHigh - sLow) / (missHigh - missLow));
}

void Tuner::matchedRods(const Impedance& feed) {
    const double f = antenna_.frequency;
    const double target = rodTarget();
    // A T's two capacitors are in series: each has half the reactance.
    const double arms = shape_.balanced ? 2 : 1;
    if (feed.reactance / arms < capacitorReactance(kMostCapacitance, f)) {
        // A wider spacing steps the resistance up less: the strap goes further out, where
        // the line of rod and element is more inductive.
        return fail(
            {say(language_,
                 "the match's series capacitor would have to be %1: widen the rod's "
                 "spacing from the element (now %2 mm), which leaves more inductive "
                 "reactance at the port",
                 {feed.reactance <= 0 ? say(language_, "negative")
                                      : say(language_, "%1 pF, above %2 pF",
                                            {fixed(seriesCapacitance(feed.reactance / arms, f), 0),
                                             fixed(kMostCapacitance, 0)}),
                  fixed(shape_.spacing * 1000, 0)})});
    }
    RodMatch match;
    match.shape = shape_;
    match.rodLength = shape_.strap * (1 + kRodSpare);
    match.elementLength = tuning_.trim.length;
    match.designLength = antenna_.elements[antenna_.driven].length;
    match.lineStrap = lineStrap_;
    if (std::isfinite(lineStrap_)) {
        RodShape line = shape_;
        line.strap = lineStrap_;
        const double x = lineModelPort(line, antenna_.elements[antenna_.driven].diameter,
                                       complexOf(tuning_.trim.feed), f)
                             .imag();
        if (x > 0) match.lineCapacitance = seriesCapacitance(x / arms, f);
    }
    match.feed = feed;
    match.feedOhms = target;
    match.capacitance = seriesCapacitance(feed.reactance / arms, f);
    match.standardCapacitance = nearestStandardCapacitance(match.capacitance);
    match.standardSwr = swrAgainst(
        {feed.resistance, feed.reactance - arms * capacitorReactance(match.standardCapacitance, f)},
        target);
    // The current through the port at that power into the matched feed, and the voltage
    // across each capacitor.
    const auto duty = [&](double watts, double& volts, double& amps) {
        amps = std::sqrt(watts / target);
        volts = amps * feed.reactance / arms;
    };
    duty(100, match.volts100, match.amps100);
    duty(1000, match.volts1000, match.amps1000);
    match.swr = swrAgainst({feed.resistance, 0}, target);
    match.perWavelength = rodLevel_;
    match.parts = parts_;
    tuning_.rods = match;
    // The same match at twice the segments, where the kernel and the engine allow it.
    const Antenna trimmed = withDriven(tuning_.trim.length);
    const int finer = 2 * rodLevel_;
    if (shortestSegmentOverRadius(trimmed, finer) < kMinSegmentOverRadius ||
        static_cast<std::size_t>(totalSegments(trimmed, finer)) * 2 > nec::kMaxSegments) {
        // Too short or too many: the figures are the model's at rodLevel_, not checked.
        tuning_.rods->convergence = std::numeric_limits<double>::quiet_NaN();
        return startSweeps();
    }
    const std::vector<int> counts = segmentCounts(trimmed, Segmentation{finer});
    stage_ = Stage::RodCheck;
    decks_ = {withSteps(rodStructure(trimmed, counts, shape_, rodSegments(trimmed, counts, shape_)),
                        {antenna_.frequency})};
}

void Tuner::checkedRods(const std::vector<DeckResults>& results) {
    const Impedance* finer = results.size() == 1 ? singleFeed(results[0]) : nullptr;
    if (finer == nullptr) return fail(noImpedance(language_));
    RodMatch& match = *tuning_.rods;
    match.convergence =
        std::fabs(finer->resistance - match.feed.resistance) / match.feed.resistance;
    startSweeps();
}

// The sweeps of the matched antennas: the hairpin's shortened element, the trimmed one for
// the coaxial transformer; every step of each, shared among the processes.
void Tuner::startSweeps() {
    stage_ = Stage::Sweeps;
    decks_.clear();
    sweepFrequencies_.clear();
    for (int step = 0; step < kSweepSteps; ++step) {
        sweepFrequencies_.push_back(sweepFrequency(antenna_.frequency, range_, step));
    }
    // The design frequency is solved too where it is no step of the sweep: the match is
    // judged there. It goes last, and out of the sweep's figures once judged.
    const std::optional<int> design = designStep(range_);
    designIndex_ = design ? static_cast<std::size_t>(*design) : sweepFrequencies_.size();
    if (!design) sweepFrequencies_.push_back(antenna_.frequency);
    const auto share = [this](const Antenna& antenna, std::size_t parts) {
        for (nec::Deck& deck : sharedSweepDecks(antenna, segmentation_, sweepFrequencies_, parts)) {
            decks_.push_back(std::move(deck));
        }
    };
    const auto processes = static_cast<std::size_t>(processes_);
    const bool both = tuning_.hairpin.has_value() && request_.coax;
    const std::size_t parts = both ? std::max<std::size_t>(1, processes / 2) : processes;
    if (tuning_.hairpin) share(withDriven(tuning_.hairpin->elementLength), parts);
    if (tuning_.rods) {
        for (nec::Deck& deck : sharedDecks(rodStructure(withDriven(tuning_.trim.length), counts_,
                                                        tuning_.rods->shape, parts_),
                                           sweepFrequencies_, parts)) {
            decks_.push_back(std::move(deck));
        }
    }
    matchDecks_ = decks_.size();
    if (request_.coax) share(withDriven(tuning_.trim.length), parts);
    if (decks_.empty()) result_ = asBuilt(tuning_);
}

void Tuner::finishSweeps(const std::vector<DeckResults>& outputs) {
    std::vector<Impedance> matchFeeds;  // the hairpin's element, or the rods' port
    std::vector<Impedance> trimmedFeeds;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (const FrequencyResult& result : outputs[i]) {
            if (!result.hasFeed) continue;
            (i < matchDecks_ ? matchFeeds : trimmedFeeds).push_back(result.feed);
        }
    }
    const bool matched = tuning_.hairpin || tuning_.rods;
    const bool complete = (!matched || matchFeeds.size() == sweepFrequencies_.size()) &&
                          (!request_.coax || trimmedFeeds.size() == sweepFrequencies_.size());
    if (!complete) {
        return fail({say(language_, "the NEC-2 sweep is incomplete")});
    }
    // The feed at every step through a network, given as the feed it turns a step's feed
    // into, and the SWR of each on the line.
    const auto throughNetwork = [](const std::vector<Impedance>& feeds, auto network) {
        std::vector<Impedance> through;
        for (std::size_t i = 0; i < feeds.size(); ++i) {
            through.push_back(impedanceOf(network(complexOf(feeds[i]), i)));
        }
        return through;
    };
    const auto swrOf = [](const std::vector<Impedance>& feeds) {
        std::vector<double> swr;
        for (const Impedance& z : feeds) swr.push_back(swrAgainst50(z));
        return swr;
    };
    // Why a match that does not lower the SWR is not offered.
    const auto noBetter = [this](double swr) {
        return say(language_,
                   "the SWR through the match, %1, is no better than the resonant element's %2: "
                   "not worth building",
                   {fixed(swr, 2), fixed(tuning_.trim.swr, 2)});
    };
    // Why a match is not worth building: its SWR at the design frequency.
    const auto notBelow = [this](const char* what, double swr) {
        return say(language_, what, {fixed(swr, 2), fixed(kMatchedSwr, 1)});
    };
    const bool designAppended = designIndex_ == kSweepSteps;
    // The SWR at the design frequency; the sweep's own steps kept.
    const auto atDesign = [&](std::vector<double>& sweepSwr, std::vector<Impedance>& sweepFeed) {
        const double swr = sweepSwr[designIndex_];
        if (designAppended) {
            sweepSwr.pop_back();
            sweepFeed.pop_back();
        }
        return swr;
    };
    if (tuning_.hairpin) {
        HairpinMatch& match = *tuning_.hairpin;
        match.sweepFeed = throughNetwork(matchFeeds, [&](std::complex<double> feed, std::size_t i) {
            return throughStub(feed, match.stubImpedance, match.stubLength, sweepFrequencies_[i]);
        });
        match.sweepSwr = swrOf(match.sweepFeed);
        match.swr = atDesign(match.sweepSwr, match.sweepFeed);
        if (match.swr >= kMatchedSwr) {
            tuning_.hairpinNote = notBelow(N_("the hairpin match only reaches an SWR of %1 at the "
                                              "design frequency, not below %2"),
                                           match.swr);
            tuning_.hairpin.reset();
        } else if (match.swr >= tuning_.trim.swr) {
            tuning_.hairpinNote = noBetter(match.swr);
            tuning_.hairpin.reset();
        }
    }
    if (tuning_.rods) {
        RodMatch& match = *tuning_.rods;
        const double arms = match.shape.balanced ? 2 : 1;
        // Through the capacitors, and as the 50-ohm line sees it through a T's balun.
        match.sweepFeed = throughNetwork(matchFeeds, [&](std::complex<double> feed, std::size_t i) {
            const double series =
                arms * capacitorReactance(match.capacitance, sweepFrequencies_[i]);
            return (feed - std::complex<double>(0, series)) * (kFeedlineOhms / match.feedOhms);
        });
        match.sweepSwr = swrOf(match.sweepFeed);
        match.swr = atDesign(match.sweepSwr, match.sweepFeed);
    }
    if (request_.coax) {
        CoaxMatch match;
        match.wanted = std::sqrt(kFeedlineOhms * tuning_.trim.feed.resistance);
        match.cable = nearestCable(match.wanted);
        match.velocityFactor = request_.velocityFactor;
        match.length = request_.velocityFactor * antenna_.wavelength() / 4;
        match.sweepFeed =
            throughNetwork(trimmedFeeds, [&](std::complex<double> feed, std::size_t i) {
                return throughQuarterWave(feed, match.cable.impedance, sweepFrequencies_[i],
                                          antenna_.frequency);
            });
        match.sweepSwr = swrOf(match.sweepFeed);
        match.swr = atDesign(match.sweepSwr, match.sweepFeed);
        if (const std::string why = tooLowForAMatch(); !why.empty()) {
            tuning_.coaxNote = why;
        } else if (match.swr >= kMatchedSwr) {
            tuning_.coaxNote =
                notBelow(N_("the nearest coaxial cable only reaches an SWR of %1 at the design "
                            "frequency, not below %2"),
                         match.swr);
        } else if (match.cable.parallel == 1 && match.cable.each == kFeedlineOhms) {
            tuning_.coaxNote =
                say(language_,
                    "the nearest cable is %1-ohm cable, which transforms nothing: the resonant "
                    "feed is already %2 ohms",
                    {fixed(kFeedlineOhms, 0), fixed(tuning_.trim.feed.resistance, 1)});
        } else if (match.swr >= tuning_.trim.swr) {
            tuning_.coaxNote = noBetter(match.swr);
        } else {
            tuning_.coax = std::move(match);
        }
    }
    decks_.clear();
    result_ = asBuilt(tuning_);
}

std::variant<Tuning, Failure> tune(const Antenna& antenna, const Analysis& analysis,
                                   const MatchRequest& request, Runner& runner, Language language,
                                   int processes) {
    Tuner tuner(antenna, analysis, request, language, processes);
    drive(tuner, runner);
    return tuner.result();
}

}  // namespace zeva::analysis
