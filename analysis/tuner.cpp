// SPDX-License-Identifier: MIT
#include "analysis/tuner.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>

#include "analysis/deck.h"

namespace zeva::analysis {
namespace {

// A driven element's reactance grows by about this many ohms per wavelength of length near
// resonance: the first guess of each search; the secant takes over from there.
constexpr double kOhmsPerWavelength = 2000;
constexpr int kMostRuns = 12;

std::complex<double> complexOf(const Impedance& z) { return {z.resistance, z.reactance}; }
Impedance impedanceOf(std::complex<double> z) { return {z.real(), z.imag()}; }

// The error that the search drives to zero at this feed.
double errorOf(bool hairpin, const Impedance& feed) {
    if (!hairpin) return feed.reactance;
    const double r = std::clamp(feed.resistance, 0.0, 50.0);
    return feed.reactance - hairpinReactance(r);
}

}  // namespace

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
    return std::nullopt;
}

Tuner::Tuner(Antenna antenna, const Analysis& analysis, MatchRequest request, Language language,
             int processes)
    : Study(language),
      antenna_(std::move(antenna)),
      segmentation_(analysis.segmentation),
      range_(analysis.range),
      request_(request),
      processes_(std::max(1, processes)) {
    const double length = antenna_.elements[antenna_.driven].length;
    lengths_ = {length};
    errors_ = {analysis.feed.reactance};
    tuning_.trim = {length, analysis.feed, analysis.swr};
    if (std::fabs(analysis.feed.reactance) < kTunedOhms) {
        tuned(Stage::Trim, length, analysis.feed);
        return;
    }
    runLength(length - analysis.feed.reactance / kOhmsPerWavelength * antenna_.wavelength());
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

    const DeckResults& results = solved[0];
    if (results.size() != 1 || !results[0].hasFeed) {
        return fail({say(language_, "the NEC-2 results lack the impedance")});
    }
    const Impedance& feed = results[0].feed;
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
    if (!request_.hairpin) return startSweeps();
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
    hairpinDecks_ = decks_.size();
    if (request_.coax) share(withDriven(tuning_.trim.length), parts);
    if (decks_.empty()) result_ = tuning_;
}

void Tuner::finishSweeps(const std::vector<DeckResults>& outputs) {
    std::vector<Impedance> hairpinFeeds;
    std::vector<Impedance> trimmedFeeds;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (const FrequencyResult& result : outputs[i]) {
            if (!result.hasFeed) continue;
            (i < hairpinDecks_ ? hairpinFeeds : trimmedFeeds).push_back(result.feed);
        }
    }
    const bool complete = (!tuning_.hairpin || hairpinFeeds.size() == sweepFrequencies_.size()) &&
                          (!request_.coax || trimmedFeeds.size() == sweepFrequencies_.size());
    if (!complete) {
        return fail({say(language_, "the NEC-2 sweep is incomplete")});
    }
    // The SWR at every step through a network, given as the feed it turns a step's feed into.
    const auto throughNetwork = [](const std::vector<Impedance>& feeds, auto network) {
        std::vector<double> swr;
        for (std::size_t i = 0; i < feeds.size(); ++i) {
            swr.push_back(swrAgainst50(impedanceOf(network(complexOf(feeds[i]), i))));
        }
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
    const auto atDesign = [&](std::vector<double>& sweepSwr) {
        const double swr = sweepSwr[designIndex_];
        if (designAppended) sweepSwr.pop_back();
        return swr;
    };
    if (tuning_.hairpin) {
        HairpinMatch& match = *tuning_.hairpin;
        match.sweepSwr = throughNetwork(hairpinFeeds, [&](std::complex<double> feed,
                                                          std::size_t i) {
            return throughStub(feed, match.stubImpedance, match.stubLength, sweepFrequencies_[i]);
        });
        match.swr = atDesign(match.sweepSwr);
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
    if (request_.coax) {
        CoaxMatch match;
        match.wanted = std::sqrt(kFeedlineOhms * tuning_.trim.feed.resistance);
        match.cable = nearestCable(match.wanted);
        match.velocityFactor = request_.velocityFactor;
        match.length = request_.velocityFactor * antenna_.wavelength() / 4;
        match.sweepSwr =
            throughNetwork(trimmedFeeds, [&](std::complex<double> feed, std::size_t i) {
                return throughQuarterWave(feed, match.cable.impedance, sweepFrequencies_[i],
                                          antenna_.frequency);
            });
        match.swr = atDesign(match.sweepSwr);
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
    result_ = tuning_;
}

std::variant<Tuning, Failure> tune(const Antenna& antenna, const Analysis& analysis,
                                   const MatchRequest& request, Runner& runner, Language language,
                                   int processes) {
    Tuner tuner(antenna, analysis, request, language, processes);
    drive(tuner, runner);
    return tuner.result();
}

}  // namespace zeva::analysis
