// SPDX-License-Identifier: MIT
#include "analysis/analyser.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <utility>

namespace zeva::analysis {
namespace {

double centreOfBoom(const Antenna& antenna) {
    const auto [first, last] = boomEnds(antenna);
    return (first + last) / 2;
}

// A count of wavelengths for a message: tenths, or a power of ten for the absurd.
std::string wavelengthsText(double value) {
    if (value < 1e6) return fixed(value, 1);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1e", value);
    return buffer;
}

// The index of the first point above the frequency; the count of points if there is none.
std::size_t pointAbove(const std::vector<SweepPoint>& points, double frequency) {
    const auto after =
        std::upper_bound(points.begin(), points.end(), frequency,
                         [](double f, const SweepPoint& p) { return f < p.frequency; });
    return static_cast<std::size_t>(after - points.begin());
}

// A sweep at any frequency: the cubic through the four steps nearest it (at a step, the step
// itself).
SweepPoint readAt(const std::vector<SweepPoint>& points, double frequency) {
    const std::size_t above = pointAbove(points, frequency);
    const std::size_t first = std::min(points.size() - 4, above >= 2 ? above - 2 : 0);
    SweepPoint at{frequency, {}, 0, 0, 0, false};
    for (std::size_t i = first; i < first + 4; ++i) {
        double weight = 1;
        for (std::size_t j = first; j < first + 4; ++j) {
            if (j != i) {
                weight *=
                    (frequency - points[j].frequency) / (points[i].frequency - points[j].frequency);
            }
        }
        at.feed.resistance += weight * points[i].feed.resistance;
        at.feed.reactance += weight * points[i].feed.reactance;
        at.gain += weight * points[i].gain;
        at.frontToBack += weight * points[i].frontToBack;
    }
    // A back lobe's null (an infinite ratio) is not read between steps: the nearest step's.
    if (!std::isfinite(at.frontToBack)) {
        const std::size_t nearest =
            above > 0 && (above == points.size() || frequency - points[above - 1].frequency <
                                                        points[above].frequency - frequency)
                ? above - 1
                : above;
        at.frontToBack = points[nearest].frontToBack;
    }
    at.swr = swrAgainst50(at.feed);
    return at;
}

// The scale of the frequency at which the coarser level's sweep reads as the finer level where
// both were solved (the solved level's point, the reported level's): the one that leaves the
// feed's remainders most alike, the nearest to 1 of several that do equally well.
double likeliestScale(const std::vector<SweepPoint>& sweep,
                      const std::vector<std::pair<SweepPoint, SweepPoint>>& pairs,
                      double designFrequency) {
    const double step =
        (sweep.back().frequency - sweep.front().frequency) / (kSweepSteps - 1) / designFrequency;
    constexpr int kTries = 80;  // each way
    double least = std::numeric_limits<double>::infinity();
    double likeliest = 1;
    for (int k = 0; k <= 2 * kTries; ++k) {
        const int signedK = k % 2 == 0 ? k / 2 : -(k + 1) / 2;  // 0, -1, 1, -2, 2...
        const double scale = 1 + kMostScaleSteps * step * signedK / kTries;
        std::vector<std::complex<double>> remainders;
        std::complex<double> mean;
        for (const auto& [solved, reported] : pairs) {
            const Impedance at = readAt(sweep, solved.frequency * scale).feed;
            remainders.emplace_back(reported.feed.resistance - at.resistance,
                                    reported.feed.reactance - at.reactance);
            mean += remainders.back() / static_cast<double>(pairs.size());
        }
        double spread = 0;
        for (const std::complex<double>& r : remainders) spread += std::norm(r - mean);
        if (spread < least) {
            least = spread;
            likeliest = scale;
        }
    }
    return likeliest;
}

Failure refused(Language language, const std::string& why) {
    return {say(language, "cannot analyse: %1", {why})};
}

}  // namespace

double shortestSegmentOverRadius(const Antenna& antenna, int perWavelength) {
    double shortest = std::numeric_limits<double>::infinity();
    for (const Element& e : antenna.elements) {
        const int segments = segmentsOf(e, antenna.wavelength(), perWavelength);
        shortest = std::min(shortest, e.length / segments / (e.diameter / 2));
    }
    return shortest;
}

std::pair<double, double> boomEnds(const Antenna& antenna) {
    const auto [first, last] = std::minmax_element(
        antenna.elements.begin(), antenna.elements.end(),
        [](const Element& a, const Element& b) { return a.position < b.position; });
    return {first->position, last->position};
}

std::optional<Failure> checkLimits(const Antenna& antenna, Language language) {
    if (!(antenna.frequency > 0) || !std::isfinite(antenna.frequency)) {
        return refused(language, say(language, "the frequency must be above zero"));
    }
    if (antenna.elements.empty() || antenna.driven >= antenna.elements.size()) {
        return refused(language, say(language, "no elements, or no driven element"));
    }
    const double wavelength = antenna.wavelength();
    if (antenna.elements.size() > kMaxElements) {
        return refused(
            language, say(language, "more than %1 elements (%2)",
                          {std::to_string(kMaxElements), std::to_string(antenna.elements.size())}));
    }
    for (const Element& e : antenna.elements) {
        if (!(e.length > 0) || !(e.diameter > 0) || !std::isfinite(e.length) ||
            !std::isfinite(e.diameter) || !std::isfinite(e.position)) {
            return refused(
                language,
                say(language, "the dimensions of element \"%1\" must be finite and above zero",
                    {e.name}));
        }
        const double circumference = std::numbers::pi * e.diameter / wavelength;
        if (circumference > kMaxCircumference) {
            return refused(language,
                           say(language,
                               "element \"%1\" is too thick for a thin-wire model "
                               "(circumference %2 wavelengths, at most %3)",
                               {e.name, fixed(circumference, 3), fixed(kMaxCircumference, 1)}));
        }
        if (e.length / wavelength > kMaxElementWavelengths) {
            return refused(language, say(language,
                                         "element \"%1\" is %2 wavelengths long, more than %3: "
                                         "check the unit of the lengths",
                                         {e.name, wavelengthsText(e.length / wavelength),
                                          fixed(kMaxElementWavelengths, 0)}));
        }
    }
    const auto [first, last] = boomEnds(antenna);
    const double boom = (last - first) / wavelength;
    if (boom > kMaxBoomLength) {
        return refused(language, say(language,
                                     "the boom is %1 wavelengths long, more than %2: check the "
                                     "unit of the positions",
                                     {wavelengthsText(boom), fixed(kMaxBoomLength, 0)}));
    }
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        for (std::size_t j = i + 1; j < antenna.elements.size(); ++j) {
            const Element& a = antenna.elements[i];
            const Element& b = antenna.elements[j];
            if (std::fabs(a.position - b.position) < (a.diameter + b.diameter) / 2) {
                return refused(language, say(language, "elements \"%1\" and \"%2\" overlap",
                                             {a.name, b.name}));
            }
        }
    }
    return std::nullopt;
}

Levels levelsOf(const Antenna& antenna) {
    Levels levels;
    const auto allowed = [&](int perWavelength, bool& tooMany, bool& tooShort) {
        tooShort = shortestSegmentOverRadius(antenna, perWavelength) < kMinSegmentOverRadius;
        // Beyond the engine's size a level could not be solved in reasonable time.
        tooMany =
            static_cast<std::size_t>(totalSegments(antenna, perWavelength)) > nec::kMaxSegments;
        return !tooShort && !tooMany;
    };
    for (const int level : kLevels) {
        if (!allowed(level, levels.endBySize, levels.endByRadius)) break;
        levels.perWavelength.push_back(level);
    }
    if (levels.perWavelength.empty() || levels.perWavelength.size() == std::size(kLevels)) {
        return levels;
    }
    // The finest segmentation between the last level and its double that the limits allow:
    // segments only shorten as the count a wavelength grows, so a bisection finds it.
    const int last = levels.perWavelength.back();
    int finest = last;       // allowed
    int tooFine = 2 * last;  // not allowed
    while (tooFine - finest > 1) {
        const int middle = (finest + tooFine) / 2;
        bool tooMany = false, tooShort = false;
        (allowed(middle, tooMany, tooShort) ? finest : tooFine) = middle;
    }
    if (totalSegments(antenna, finest) >= kLeastLastStep * totalSegments(antenna, last)) {
        levels.perWavelength.push_back(finest);
    }
    return levels;
}

Analyser::Analyser(Antenna antenna, Language language, int processes, bool fitSweep,
                   SweepRange range)
    : Study(language),
      antenna_(std::move(antenna)),
      processes_(std::max(1, processes)),
      fitSweep_(fitSweep) {
    analysis_.range = range;
    if (auto failure = checkLimits(antenna_, language_)) {
        result_ = std::move(*failure);
        return;
    }
    // The segmentation is converged at the design frequency; the sweep stays near it.
    const double f = antenna_.frequency;
    if (range.given() &&
        (range.low < f * (1 - kMaxSweepSpan) || range.high > f * (1 + kMaxSweepSpan))) {
        const std::string lowest = fixed(f * (1 - kMaxSweepSpan), 3);
        const std::string highest = fixed(f * (1 + kMaxSweepSpan), 3);
        result_ = refused(
            language_,
            say(language_, "the sweep must stay within the design frequency ±%1 % (%2 to %3 MHz)",
                {fixed(kMaxSweepSpan * 100, 0), lowest, highest}));
        return;
    }
    levels_ = levelsOf(antenna_);
    const std::vector<int>& levels = levels_.perWavelength;
    if (levels.size() < 2 && levels_.endBySize) {
        result_ = refused(language_, say(language_,
                                         "too many segments to solve in reasonable time (more "
                                         "than %1 at %2 segments a wavelength)",
                                         {std::to_string(nec::kMaxSegments),
                                          std::to_string(kLevels[levels.size()])}));
        return;
    }
    if (levels.size() < 2) {
        result_ = refused(language_, say(language_,
                                         "the elements are too thick for the model to converge "
                                         "(segments must be longer than two radii)"));
        return;
    }
    analysis_.wavelength = antenna_.wavelength();
    analysis_.beam = antenna_.elements.size() > 1;
    // The two coarsest levels cost little and run together; each finer one costs about
    // eight times the one before, so it runs only when needed.
    runLevels(0, 2);
}

void Analyser::runLevels(std::size_t first, std::size_t count) {
    decks_.clear();
    const std::vector<int>& levels = levels_.perWavelength;
    for (std::size_t i = first; i < first + count && i < levels.size(); ++i) {
        decks_.push_back(levelDeck(antenna_, Segmentation{levels[i]}));
        nextLevel_ = i + 1;
    }
}

void Analyser::step(const std::vector<DeckResults>& results) {
    if (edgeRounds_ >= 0) {
        findEdges(results);
    } else if (sweeping_) {
        sweep(results);
    } else {
        converge(results);
    }
}

namespace {

// A round's results, deck after deck, as one list of frequencies.
std::vector<FrequencyResult> flattened(const std::vector<DeckResults>& outputs) {
    std::vector<FrequencyResult> results;
    for (const DeckResults& part : outputs) results.insert(results.end(), part.begin(), part.end());
    return results;
}

bool readableLevel(const DeckResults& results) {
    if (results.size() != 1 || !results[0].hasFeed) return false;
    const FrequencyResult& design = results[0];
    // The two cuts, and the sphere where the runner gave it.
    return (design.patterns.size() == 2 || design.patterns.size() == 3) &&
           design.patterns[0].size() >= 360 && design.patterns[1].size() >= 360;
}

double ohmsApart(const Impedance& a, const Impedance& b) {
    return std::max(std::fabs(a.resistance - b.resistance), std::fabs(a.reactance - b.reactance));
}

}  // namespace

void Analyser::converge(const std::vector<DeckResults>& round) {
    const std::size_t levelDecks = round.size() - aheadDecks_;
    ahead_ = flattened({round.begin() + static_cast<std::ptrdiff_t>(levelDecks), round.end()});
    aheadDecks_ = 0;
    const std::size_t firstLevel = nextLevel_ - levelDecks;
    for (std::size_t i = 0; i < levelDecks; ++i) {
        const DeckResults& results = round[i];
        if (!readableLevel(results)) {
            return fail({say(language_, "the NEC-2 results lack the impedance or the patterns")});
        }
        const int level = levels_.perWavelength[firstLevel + i];
        levelRuns_.push_back(results);
        ConvergenceStep step;
        step.perWavelength = level;
        step.segments = totalSegments(antenna_, level);
        step.feed = results[0].feed;
        step.gain = patternFigures(results[0].patterns[0], results[0].patterns[1]).forwardGain;
        analysis_.convergence.push_back(step);
    }

    const auto& steps = analysis_.convergence;
    const ConvergenceStep& coarser = steps[steps.size() - 2];
    const ConvergenceStep& finer = steps.back();
    const bool converged = ohmsApart(coarser.feed, finer.feed) < kConvergedOhms &&
                           std::fabs(coarser.gain - finer.gain) < kConvergedGain;
    if (!converged) {
        if (nextLevel_ >= levels_.perWavelength.size()) return fail(notConverging());
        runLevels(nextLevel_, 1);
        // Where the last two levels lie within a few times the limits, the next one is likely
        // to converge with the last: some of its sweep steps are solved beside the finer level,
        // on the cores that its one solve would leave idle for much of the round.
        if (ohmsApart(coarser.feed, finer.feed) < kAheadMoves * kConvergedOhms &&
            std::fabs(coarser.gain - finer.gain) < kAheadMoves * kConvergedGain) {
            solveAhead(steps.size() - 1);
        }
        return;
    }

    // The figures are the finer level's; the sweep is solved at the coarser, which refining
    // changes by less than the limits at the design frequency, and moved to the finer.
    sweepAt(steps.size() - 2, steps.size() - 1);
}

// The design frequency's figures from one level of the refinement; the sweep solved at the same
// level or the one before it.
void Analyser::sweepAt(std::size_t chosen, std::size_t reported) {
    chosen_ = chosen;
    const ConvergenceStep& found = analysis_.convergence[reported];
    const DeckResults& run = levelRuns_[reported];
    analysis_.segmentation = Segmentation{found.perWavelength};
    analysis_.segments = found.segments;
    analysis_.feed = found.feed;
    analysis_.swr = swrAgainst50(analysis_.feed);
    analysis_.pattern = patternFigures(run[0].patterns[0], run[0].patterns[1]);
    analysis_.gainDbd = analysis_.pattern.forwardGain - kDipoleGain;
    analysis_.stackingSideBySide =
        stackingDistance(analysis_.wavelength, analysis_.pattern.beamwidthE);
    analysis_.stackingAbove = stackingDistance(analysis_.wavelength, analysis_.pattern.beamwidthH);
    if (run[0].patterns.size() == 3) {
        analysis_.averageGain = averageGain(run[0].patterns[2], sphereOf(antenna_));
    }
    analysis_.ePlane = run[0].patterns[0];
    analysis_.hPlane = run[0].patterns[1];
    if (analysis_.pattern.strongestAngle > kMaxBeamOffset) {
        return fail(refused(
            language_, say(language_,
                           "this is not a beam: the strongest lobe points %1 degrees away from "
                           "the directors",
                           {fixed(analysis_.pattern.strongestAngle, 0)})));
    }

    // The sweep at the level chosen; the design frequency, where it is a step, is that level's
    // run itself. Where the figures are the finer level's, the two levels are paired there.
    const ConvergenceStep& solved = analysis_.convergence[chosen];
    const std::vector<PatternPoint>& ePlane = levelRuns_[chosen][0].patterns[0];
    const PatternFigures solvedPattern = patternFigures(ePlane, levelRuns_[chosen][0].patterns[1]);
    analysis_.solvedAt = Segmentation{solved.perWavelength};
    analysis_.solvedFeed = solved.feed;
    const SweepPoint solvedPoint{antenna_.frequency,        solved.feed,
                                 swrAgainst50(solved.feed), solvedPattern.forwardGain,
                                 solvedPattern.frontToBack, true};
    analysis_.shift = {};
    pairs_.clear();
    if (reported != chosen) {
        pairs_.push_back({solvedPoint,
                          {antenna_.frequency, analysis_.feed, analysis_.swr,
                           analysis_.pattern.forwardGain, analysis_.pattern.frontToBack, true}});
    }
    sweeping_ = true;
    sweepSteps_.assign(kSweepSteps, std::nullopt);
    samples_.clear();
    const std::optional<int> design = designStep(analysis_.range);
    if (design) {
        sweepSteps_[static_cast<std::size_t>(*design)] = solvedPoint;
        const auto& forward = ePlane[0];
        const auto& back = ePlane[180];
        samples_.push_back({antenna_.frequency,
                            {solved.feed.resistance, solved.feed.reactance},
                            forward.eTheta,
                            forward.ePhi,
                            back.eTheta,
                            back.ePhi});
    }
    std::vector<int> first = firstSweepSteps();
    fits_ = fitSweep_ ? 0 : kFits;
    // The steps solved ahead, the first of the list, are taken in the list's order, so the fit
    // sees its samples as it would have. They come from the round that converged, at the level
    // that was then the finest: this one.
    if (!ahead_.empty()) {
        if (!recordSteps(aheadSteps_, ahead_)) return;
        first.erase(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(aheadSteps_.size()));
    }
    ahead_.clear();
    aheadSteps_.clear();
    solveSteps(std::move(first));
    // The ends at the finer level do not depend on the sweep: they are solved beside its first
    // steps, first, since each costs several of them.
    std::vector<nec::Deck> ends = endsDecks();
    endsDecks_ = ends.size();
    ends_.clear();
    decks_.insert(decks_.begin(), std::make_move_iterator(ends.begin()),
                  std::make_move_iterator(ends.end()));
}

// The sweep's steps to solve first, the design frequency aside: those the fit starts from, or
// every one where the sweep is not fitted.
std::vector<int> Analyser::firstSweepSteps() const {
    const std::optional<int> design = designStep(analysis_.range);
    std::vector<int> first;
    for (int step = 0; step < kSweepSteps; ++step) {
        const bool node =
            std::find(std::begin(kFitSteps), std::end(kFitSteps), step) != std::end(kFitSteps);
        if (step != design && (node || !fitSweep_)) first.push_back(step);
    }
    return first;
}

// Adds to the round the first sweep steps at this level, as many as cost about the finer
// level's solve (the fill grows as the square of the segments), and never all of them.
void Analyser::solveAhead(std::size_t level) {
    if (!fitSweep_ || processes_ < 2) return;
    const int coarse = analysis_.convergence[level].segments;
    const int fine = totalSegments(antenna_, levels_.perWavelength[nextLevel_ - 1]);
    std::vector<int> first = firstSweepSteps();
    const double ratio = static_cast<double>(fine) / coarse;
    const auto count = std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(ratio * ratio)),
                                               1, first.size() - 1);
    first.resize(count);
    std::vector<double> frequencies;
    for (const int step : first) {
        frequencies.push_back(sweepFrequency(antenna_.frequency, analysis_.range, step));
    }
    std::vector<nec::Deck> decks =
        sharedSweepDecks(antenna_, Segmentation{levels_.perWavelength[level]}, frequencies,
                         static_cast<std::size_t>(processes_));
    aheadDecks_ = decks.size();
    aheadSteps_ = std::move(first);
    decks_.insert(decks_.end(), std::make_move_iterator(decks.begin()),
                  std::make_move_iterator(decks.end()));
}

// The decks that solve the sweep's ends at the finer level of the converged pair, where there
// is one and it is small enough to check.
std::vector<nec::Deck> Analyser::endsDecks() {
    analysis_.ends.reset();
    const std::vector<int>& levels = levels_.perWavelength;
    if (chosen_ + 1 >= levels.size()) return {};
    const int finer = levels[chosen_ + 1];
    analysis_.ends = EndsCheck{finer};
    if (totalSegments(antenna_, finer) > kMostEndsCheckSegments) return {};
    const std::vector<double> ends{
        sweepFrequency(antenna_.frequency, analysis_.range, 0),
        sweepFrequency(antenna_.frequency, analysis_.range, kSweepSteps - 1)};
    return sharedSweepDecks(antenna_, Segmentation{finer}, ends,
                            static_cast<std::size_t>(processes_));
}

Failure Analyser::notConverging() const {
    const auto& steps = analysis_.convergence;
    const ConvergenceStep& a = steps[steps.size() - 2];
    const ConvergenceStep& b = steps.back();
    const std::string evidence =
        say(language_,
            "at %1 and %2 segments a wavelength the feed is %3 and %4 ohms, the gain "
            "%5 and %6 dBi",
            {std::to_string(a.perWavelength), std::to_string(b.perWavelength),
             impedanceText(a.feed), impedanceText(b.feed), fixed(a.gain, 2), fixed(b.gain, 2)});
    const std::string last = std::to_string(b.perWavelength);
    if (levels_.endBySize) {
        return refused(
            language_,
            say(language_,
                "the figures do not converge within %1 segments a wavelength, and a finer one "
                "would be more than %2 segments, too many to solve (%3)",
                {last, std::to_string(nec::kMaxSegments), evidence}));
    }
    if (levels_.endByRadius) {
        return refused(language_,
                       say(language_,
                           "the figures do not converge while segments stay longer than two "
                           "radii (%1 segments a wavelength tried: %2)",
                           {last, evidence}));
    }
    return refused(
        language_,
        say(language_, "the figures do not converge within %1 segments a wavelength (%2)",
            {last, evidence}));
}

// The steps' decks, shared among the processes in order.
void Analyser::solveSteps(std::vector<int> steps) {
    pendingSteps_ = std::move(steps);
    std::vector<double> frequencies;
    for (const int step : pendingSteps_) {
        frequencies.push_back(sweepFrequency(antenna_.frequency, analysis_.range, step));
    }
    decks_ = sharedSweepDecks(antenna_, analysis_.solvedAt, frequencies,
                              static_cast<std::size_t>(processes_));
}

void Analyser::sweep(const std::vector<DeckResults>& round) {
    const auto endsEnd = round.begin() + static_cast<std::ptrdiff_t>(endsDecks_);
    if (endsDecks_ > 0) ends_.assign(round.begin(), endsEnd);
    endsDecks_ = 0;
    if (!recordSteps(pendingSteps_, flattened({endsEnd, round.end()}))) return;
    if (fits_ < kFits) return fitTheRest();
    sweepKnown();
}

// The solved sweep steps, in order, with their samples for the fit; false, the analysis
// failed, where the results do not answer the steps.
bool Analyser::recordSteps(const std::vector<int>& steps,
                           const std::vector<FrequencyResult>& results) {
    if (results.size() != steps.size()) {
        fail({say(language_, "the NEC-2 results lack sweep steps")});
        return false;
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        const FrequencyResult& r = results[i];
        if (!r.hasFeed || r.patterns.size() != 1 || r.patterns[0].size() != 2) {
            fail({say(language_, "an incomplete sweep step in the NEC-2 results")});
            return false;
        }
        const double frequency = sweepFrequency(antenna_.frequency, analysis_.range, steps[i]);
        const PatternPoint& forward = r.patterns[0][0];
        const PatternPoint& back = r.patterns[0][1];
        sweepSteps_[static_cast<std::size_t>(steps[i])] = SweepPoint{
            frequency, r.feed, swrAgainst50(r.feed), forward.gain, forward.gain - back.gain, true};
        samples_.push_back({frequency,
                            {r.feed.resistance, r.feed.reactance},
                            forward.eTheta,
                            forward.ePhi,
                            back.eTheta,
                            back.ePhi});
    }
    return true;
}

bool EndsCheck::converged() const {
    return checked() && ohms < kConvergedOhms && db < kConvergedGain;
}

// Every step known: the sweep's ends against the finer level of the converged pair next, then
// the band edges.
void Analyser::sweepKnown() {
    analysis_.sweep.clear();
    for (const auto& step : sweepSteps_) analysis_.sweep.push_back(*step);
    if (!ends_.empty()) return checkEnds(std::exchange(ends_, {}));
    shiftSweep();
}

// The sweep moved to the reported level, then its band edges.
void Analyser::shiftSweep() {
    const std::vector<SweepPoint> unshifted = analysis_.sweep;
    LevelShift& shift = analysis_.shift;
    shift = {};
    const double low = unshifted.front().frequency, high = unshifted.back().frequency;
    std::vector<std::pair<SweepPoint, SweepPoint>> pairs;
    for (const auto& pair : pairs_) {
        if (pair.first.frequency >= low && pair.first.frequency <= high) pairs.push_back(pair);
    }
    if (!pairs.empty()) {
        if (pairs.size() >= 3) shift.scale = likeliestScale(unshifted, pairs, antenna_.frequency);
        for (const auto& [solved, reported] : pairs) {
            const SweepPoint at = readAt(unshifted, solved.frequency * shift.scale);
            shift.remainders.push_back({solved.frequency,
                                        {reported.feed.resistance - at.feed.resistance,
                                         reported.feed.reactance - at.feed.reactance},
                                        reported.gain - at.gain,
                                        reported.frontToBack - at.frontToBack});
        }
        std::stable_sort(shift.remainders.begin(), shift.remainders.end(),
                         [](const LevelDifference& a, const LevelDifference& b) {
                             return a.frequency < b.frequency;
                         });
        for (SweepPoint& point : analysis_.sweep) {
            // Where both levels were solved, the reported level's own solve.
            const auto both = std::find_if(pairs.begin(), pairs.end(), [&](const auto& pair) {
                return pair.first.frequency == point.frequency;
            });
            if (both != pairs.end()) {
                point = both->second;
                continue;
            }
            const SweepPoint at = readAt(unshifted, point.frequency * shift.scale);
            const LevelDifference remainder = shift.remainderAt(point.frequency);
            point.feed = {at.feed.resistance + remainder.feed.resistance,
                          at.feed.reactance + remainder.feed.reactance};
            point.swr = swrAgainst50(point.feed);
            point.gain = at.gain + remainder.gain;
            point.frontToBack = at.frontToBack + remainder.frontToBack;
        }
    }
    edgeRounds_ = 0;
    findEdges({});
}

// How far the ends move at the finer level. The segmentation stays the one the design
// frequency needs: a finer one for the whole sweep would cost several times the analysis,
// and some ends do not settle at any level the kernel allows (the long boom at 144 MHz, 2 %
// up: X 37.25, 38.90, 38.04 ohms at 50, 100 and 161 a wavelength); the report says how far
// they move instead.
void Analyser::checkEnds(const std::vector<DeckResults>& outputs) {
    const std::vector<FrequencyResult> results = flattened(outputs);
    if (results.size() != 2 || !results[0].hasFeed || !results[1].hasFeed ||
        results[0].patterns.size() != 1 || results[1].patterns.size() != 1 ||
        results[0].patterns[0].empty() || results[1].patterns[0].empty()) {
        return fail({say(language_, "an incomplete sweep step in the NEC-2 results")});
    }
    EndsCheck& check = *analysis_.ends;
    check.ohms = 0;
    check.db = 0;
    const SweepPoint* coarse[] = {&analysis_.sweep.front(), &analysis_.sweep.back()};
    // The ends' level is the reported one where the sweep is solved at the level before it:
    // the two are paired there too.
    const bool paired = !pairs_.empty();
    for (std::size_t i = 0; i < 2; ++i) {
        const Impedance& feed = results[i].feed;
        const double gain = results[i].patterns[0][0].gain;
        check.ohms = std::max(check.ohms, ohmsApart(coarse[i]->feed, feed));
        check.db = std::max(check.db, std::fabs(coarse[i]->gain - gain));
        if (!paired || results[i].patterns[0].size() < 2) continue;
        pairs_.push_back({*coarse[i],
                          {coarse[i]->frequency, feed, swrAgainst50(feed), gain,
                           gain - results[i].patterns[0][1].gain, true}});
    }
    // Where the ends want the finer level of the pair and it costs little, the whole sweep
    // moves to it (its design frequency is solved already); otherwise the report says how far
    // the ends move.
    if (!check.converged() && chosen_ + 1 < levelRuns_.size() &&
        analysis_.convergence[chosen_ + 1].segments <= kMostRefinedSweepSegments) {
        analysis_.ends.reset();
        analysis_.edges.clear();
        fit_.reset();
        return sweepAt(chosen_ + 1, chosen_ + 1);
    }
    shiftSweep();
}

namespace {

// The crossing of the level between two points, one on each side of it.
double linearCrossing(const SweepPoint& in, const SweepPoint& out, double level) {
    if (!std::isfinite(out.swr)) return out.frequency;
    const double t = (level - in.swr) / (out.swr - in.swr);
    return in.frequency + t * (out.frequency - in.frequency);
}

// The points of the sweep and the edges solved so far, in order of frequency.
std::vector<SweepPoint> merged(const std::vector<SweepPoint>& sweep,
                               const std::vector<SweepPoint>& edges) {
    std::vector<SweepPoint> all = sweep;
    all.insert(all.end(), edges.begin(), edges.end());
    std::stable_sort(all.begin(), all.end(), [](const SweepPoint& a, const SweepPoint& b) {
        return a.frequency < b.frequency;
    });
    return all;
}

// Where the parabola through the three points nearest the line's crossing between two of
// them crosses the level, if it does between those two: the SWR curves, and a line through
// two points that all lie on one side of the edge creeps towards it.
double curvedCrossing(const std::vector<SweepPoint>& all, double lineCrossing, double level) {
    const std::size_t above = pointAbove(all, lineCrossing);
    if (above == 0 || above == all.size()) return lineCrossing;
    const std::size_t k = above - 1;
    std::size_t third = 0;
    if (k == 0 && k + 2 < all.size()) {
        third = k + 2;
    } else if (k > 0 && (k + 2 >= all.size() || lineCrossing - all[k - 1].frequency <
                                                    all[k + 2].frequency - lineCrossing)) {
        third = k - 1;
    } else if (k + 2 < all.size()) {
        third = k + 2;
    } else {
        return lineCrossing;
    }
    const SweepPoint* p[] = {&all[k], &all[k + 1], &all[third]};
    for (const SweepPoint* q : p) {
        if (!std::isfinite(q->swr)) return lineCrossing;
    }
    // The SWR as a + b t + c t^2, t the frequency from the first point.
    const double t1 = p[1]->frequency - p[0]->frequency, t2 = p[2]->frequency - p[0]->frequency;
    if (!(std::fabs(t1) > 0) || !(std::fabs(t2) > 0) || !(std::fabs(t1 - t2) > 0)) {
        return lineCrossing;
    }
    const double d1 = (p[1]->swr - p[0]->swr) / t1, d2 = (p[2]->swr - p[0]->swr) / t2;
    const double c = (d2 - d1) / (t2 - t1);
    const double b = d1 - c * t1;
    const double a = p[0]->swr - level;
    double best = lineCrossing;
    if (std::fabs(c) < 1e-300) return lineCrossing;
    const double discriminant = b * b - 4 * a * c;
    if (discriminant < 0) return lineCrossing;
    for (const double sign : {-1., 1.}) {
        const double t = (-b + sign * std::sqrt(discriminant)) / (2 * c);
        const double f = p[0]->frequency + t;
        if (f >= all[k].frequency && f <= all[k + 1].frequency) best = f;
    }
    return best;
}

// The secant through the two solves nearest the crossing, which home in on it faster than
// any line through the sweep's steps; the curved crossing where it leaves the points around.
double secantCrossing(const std::vector<SweepPoint>& all, const std::vector<SweepPoint>& edges,
                      double lineCrossing, double level) {
    const double curved = curvedCrossing(all, lineCrossing, level);
    if (edges.size() < 2) return curved;
    std::vector<SweepPoint> nearest = edges;
    std::partial_sort(nearest.begin(), nearest.begin() + 2, nearest.end(),
                      [&](const SweepPoint& a, const SweepPoint& b) {
                          return std::fabs(a.frequency - lineCrossing) <
                                 std::fabs(b.frequency - lineCrossing);
                      });
    const SweepPoint &a = nearest[0], &b = nearest[1];
    if (!(std::fabs(b.swr - a.swr) > 0)) return curved;
    const double f = a.frequency + (level - a.swr) * (b.frequency - a.frequency) / (b.swr - a.swr);
    const std::size_t above = pointAbove(all, lineCrossing);
    if (above == 0 || above == all.size()) return curved;
    return f > all[above - 1].frequency && f < all[above].frequency ? f : curved;
}

}  // namespace

double edgeTolerance(double frequency) { return std::max(0.001, 2e-4 * frequency); }

// Each band edge by rounds of solves: the first where the fitted SWR crosses the level (or,
// without a fit, where a parabola through the nearest points crosses it), each later one
// along the secant through the two solves nearest the crossing, until a solve lands within
// the tolerance of the crossing that the nearest solved points on either side give.
void Analyser::findEdges(const std::vector<DeckResults>& outputs) {
    const std::vector<FrequencyResult> results = flattened(outputs);
    if (results.size() != edgeGuesses_.size()) {
        return fail({say(language_, "the NEC-2 results lack sweep steps")});
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!results[i].hasFeed) {
            return fail({say(language_, "an incomplete sweep step in the NEC-2 results")});
        }
        const Impedance shift = analysis_.shift.remainderAt(edgeGuesses_[i]).feed;
        const Impedance feed{results[i].feed.resistance + shift.resistance,
                             results[i].feed.reactance + shift.reactance};
        analysis_.edges.push_back(
            {edgeGuesses_[i], feed, swrAgainst50(feed), kNoFigure, kNoFigure, true});
    }
    edgeGuesses_.clear();
    const std::vector<SweepPoint> all = merged(analysis_.sweep, analysis_.edges);
    for (const double level : kSwrLevels) {
        const auto band = swrBand(all, level);
        if (!band) continue;
        for (const bool low : {true, false}) {
            if (low ? band->lowAtSweepEnd : band->highAtSweepEnd) continue;
            double edge = low ? band->low : band->high;
            const bool landed = std::any_of(
                analysis_.edges.begin(), analysis_.edges.end(), [&](const SweepPoint& p) {
                    return std::fabs(p.frequency - edge) <= edgeTolerance(edge);
                });
            if (landed) continue;
            if (edgeRounds_ == 0) {
                edge = fit_ ? fittedCrossing(level, edge, low) : curvedCrossing(all, edge, level);
            } else {
                edge = secantCrossing(all, analysis_.edges, edge, level);
            }
            edgeGuesses_.push_back(edge);
        }
    }
    if (edgeGuesses_.empty() || edgeRounds_ == kMostEdgeRounds) return finish();
    ++edgeRounds_;
    // Solved where the level solved at reads as the reported one.
    std::vector<double> solvedAt = edgeGuesses_;
    for (double& f : solvedAt) f *= analysis_.shift.scale;
    decks_ = sharedSweepDecks(antenna_, analysis_.solvedAt, solvedAt,
                              static_cast<std::size_t>(processes_));
}

// Where the fitted SWR crosses the level, by bisection between the sweep steps around the
// line's crossing; the line's crossing itself where the fit is not trusted there.
double Analyser::fittedCrossing(double level, double lineCrossing, bool low) const {
    const auto& sweep = analysis_.sweep;
    const std::size_t above = pointAbove(sweep, lineCrossing);
    if (above == 0 || above == sweep.size()) return lineCrossing;
    // Inside the band towards the middle: above the crossing for the low edge.
    double inside = sweep[low ? above : above - 1].frequency;
    double outside = sweep[low ? above - 1 : above].frequency;
    for (int i = 0; i < 60 && std::fabs(outside - inside) > 1e-7; ++i) {
        const double middle = (inside + outside) / 2;
        const auto step = fit_->at(middle * analysis_.shift.scale);
        if (!step) return lineCrossing;
        const Impedance shift = analysis_.shift.remainderAt(middle).feed;
        const Impedance feed{step->impedance.real() + shift.resistance,
                             step->impedance.imag() + shift.reactance};
        (swrAgainst50(feed) <= level ? inside : outside) = middle;
    }
    return (inside + outside) / 2;
}

void Analyser::finish() {
    decks_.clear();
    // A lone element has no front and back: its sweep says none.
    if (!analysis_.beam) {
        for (SweepPoint& point : analysis_.sweep) point.frontToBack = kNoFigure;
        for (SweepPoint& point : analysis_.edges) point.frontToBack = kNoFigure;
    }
    result_ = analysis_;
}

// The steps between the solved ones from the fit where its two orders agree. Where they do
// not, the first time, four more steps are solved for a second fit; after that, the steps
// still in doubt are solved in one more round.
void Analyser::fitTheRest() {
    ++fits_;
    fit_.emplace(samples_, centreOfBoom(antenna_));
    const SweepFit& fit = *fit_;
    std::vector<int> unsure;
    for (int step = 0; step < kSweepSteps; ++step) {
        auto& point = sweepSteps_[static_cast<std::size_t>(step)];
        if (point) continue;
        const double frequency = sweepFrequency(antenna_.frequency, analysis_.range, step);
        const auto fitted = fit.at(frequency);
        if (!fitted) {
            unsure.push_back(step);
            continue;
        }
        const Impedance feed{fitted->impedance.real(), fitted->impedance.imag()};
        point = SweepPoint{frequency,
                           feed,
                           swrAgainst50(feed),
                           fitted->forwardGain,
                           fitted->forwardGain - fitted->backGain,
                           false};
    }
    if (!unsure.empty() && fits_ < kFits) {
        // The fitted steps are dropped: the second fit, with more samples, gives them again.
        std::vector<int> more;
        for (const int step : kMoreFitSteps) {
            auto& point = sweepSteps_[static_cast<std::size_t>(step)];
            if (point && point->solved) continue;
            more.push_back(step);
        }
        if (!more.empty()) {
            for (auto& point : sweepSteps_) {
                if (point && !point->solved) point.reset();
            }
            return solveSteps(std::move(more));
        }
    }
    fits_ = kFits;
    if (!unsure.empty()) return solveSteps(std::move(unsure));
    sweepKnown();
}

LevelDifference LevelShift::remainderAt(double frequency) const {
    LevelDifference remainder;
    if (!remainders.empty()) {
        const auto above =
            std::upper_bound(remainders.begin(), remainders.end(), frequency,
                             [](double f, const LevelDifference& r) { return f < r.frequency; });
        if (above == remainders.begin() || above == remainders.end()) {
            remainder = above == remainders.begin() ? remainders.front() : remainders.back();
        } else {
            const LevelDifference& a = *(above - 1);
            const LevelDifference& b = *above;
            const double t = (frequency - a.frequency) / (b.frequency - a.frequency);
            const auto between = [t](double x, double y) { return x + t * (y - x); };
            remainder.feed = {between(a.feed.resistance, b.feed.resistance),
                              between(a.feed.reactance, b.feed.reactance)};
            remainder.gain = between(a.gain, b.gain);
            remainder.frontToBack = between(a.frontToBack, b.frontToBack);
        }
    }
    remainder.frequency = frequency;
    return remainder;
}

std::optional<SwrBand> swrBand(const std::vector<SweepPoint>& sweep, double level) {
    if (sweep.empty()) return std::nullopt;
    const auto least = static_cast<std::size_t>(
        std::min_element(sweep.begin(), sweep.end(),
                         [](const SweepPoint& a, const SweepPoint& b) { return a.swr < b.swr; }) -
        sweep.begin());
    if (!(sweep[least].swr <= level)) return std::nullopt;
    // Where the SWR crosses the level between a point inside and the next one outside.
    const auto crossing = [&](std::size_t inside, std::size_t outside) {
        return linearCrossing(sweep[inside], sweep[outside], level);
    };
    SwrBand band;
    std::size_t low = least;
    while (low > 0 && sweep[low - 1].swr <= level) --low;
    std::size_t high = least;
    while (high + 1 < sweep.size() && sweep[high + 1].swr <= level) ++high;
    band.lowAtSweepEnd = low == 0;
    band.highAtSweepEnd = high + 1 == sweep.size();
    band.low = band.lowAtSweepEnd ? sweep.front().frequency : crossing(low, low - 1);
    band.high = band.highAtSweepEnd ? sweep.back().frequency : crossing(high, high + 1);
    return band;
}

std::optional<SwrBand> swrBand(const Analysis& analysis, double level) {
    return swrBand(merged(analysis.sweep, analysis.edges), level);
}

std::variant<Analysis, Failure> analyse(const Antenna& antenna, Runner& runner, Language language,
                                        int processes, const SweepRange& range) {
    Analyser analyser(antenna, language, processes, runner.exactFields(), range);
    drive(analyser, runner);
    return analyser.result();
}

}  // namespace zeva::analysis
