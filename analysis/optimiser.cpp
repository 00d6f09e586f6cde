// SPDX-License-Identifier: MIT
#include "analysis/optimiser.h"

#include <nlopt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <exception>
#include <limits>
#include <numeric>
#include <random>

#include "analysis/build.h"
#include "analysis/deck.h"
#include "analysis/figures.h"
#include "analysis/tolerance.h"
#include "nec/engine.h"

namespace zeva::analysis {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The cost of a limit missed by a figure that is not finite.
constexpr double kMissedBadly = 1e3;
// Leaders closer than this in every variable (a share of its range) stand for one another.
constexpr double kLeadersApart = 0.02;

struct FigureName {
    std::string_view name;
    Figure figure;
};
constexpr FigureName kFigureNames[] = {
    {"gain", Figure::Gain}, {"fb", Figure::FrontToBack},    {"fr", Figure::FrontToRear},
    {"swr", Figure::Swr},   {"sidelobe", Figure::Sidelobe},
};

std::string_view nameOf(Figure figure) {
    for (const FigureName& entry : kFigureNames) {
        if (entry.figure == figure) return entry.name;
    }
    return "";
}

// What a Yagi's figures can be: a limit outside this asks for no antenna at all.
bool plausible(const Limit& limit) {
    switch (limit.figure) {
        case Figure::Gain:
            return limit.value >= -10 && limit.value <= 30;
        case Figure::Swr:
            return limit.value >= 1 && limit.value <= 20;
        case Figure::FrontToBack:
        case Figure::FrontToRear:
        case Figure::Sidelobe:
            return limit.value >= 0 && limit.value <= 60;
    }
    return false;
}

// The cost, in dB of forward gain, of a figure one unit on the wrong side of its limit (a dB,
// or 1 of SWR); the square of the miss in the same units is added, so that a large miss costs
// far more than a small one.
double weightOf(Figure figure) {
    switch (figure) {
        case Figure::Gain:
            return 3;
        case Figure::Swr:
            return 20;
        case Figure::FrontToBack:
        case Figure::FrontToRear:
        case Figure::Sidelobe:
            return 1;
    }
    return 1;
}

double missCost(const Limit& limit, const BandFigures& figures) {
    const double value = figureOf(figures, limit.figure);
    // A figure that is not a number keeps no limit; an infinite one misses an upper limit
    // (an SWR that is no match) and keeps a lower one.
    if (std::isnan(value)) return kMissedBadly;
    if (std::isinf(value)) return (value > 0) != limit.atLeast ? kMissedBadly : 0;
    const double miss = limit.atLeast ? limit.value - value : value - limit.value;
    if (miss <= 0) return 0;
    return weightOf(limit.figure) * (miss + miss * miss);
}

// The SWR of a feed impedance through the match, designed at the band's centre for the feed
// impedance there as the tuner designs it: the driven element trimmed, for the hairpin until
// its feed is R - j sqrt(R (50 - R)) (a conductance of a fiftieth) and then shunted by an
// inductance that cancels the susceptance left, for the transformer to resonance. So small a
// trim moves the reactance alike across a narrow band and leaves R nearly as it is: every
// frequency's feed moves by the centre's move. A feed of 50 ohms or more takes the hairpin's
// shunt alone, where it is capacitive.
double matchedSwr(std::complex<double> z, std::complex<double> centre, double frequency,
                  double centreFrequency, Feed feed) {
    const auto direct = [](std::complex<double> w) { return swrAgainst50({w.real(), w.imag()}); };
    switch (feed) {
        case Feed::Direct:
            break;
        case Feed::Hairpin: {
            std::complex<double> trim(0, 0);
            if (centre.real() > 0 && centre.real() < kFeedlineOhms) {
                trim = {
                    0, -std::sqrt(centre.real() * (kFeedlineOhms - centre.real())) - centre.imag()};
            }
            const double susceptance = (1. / (centre + trim)).imag();
            if (!(susceptance > 0)) break;
            const std::complex<double> shunt(0, -susceptance * centreFrequency / frequency);
            return direct(1. / (1. / (z + trim) + shunt));
        }
        case Feed::Coax: {
            if (!(centre.real() > 0)) break;
            const std::complex<double> trim(0, -centre.imag());
            const double z0 = std::sqrt(kFeedlineOhms * centre.real());
            return direct(throughQuarterWave(z + trim, z0, frequency, centreFrequency));
        }
    }
    return direct(z);
}

// The variables of the search, each from 0 to 1 between its limits: every element's length,
// then the position of every element between the first and the last along the boom.
class Space {
public:
    // holdDriven: the driven element keeps the start's length, which a match's trim decides.
    Space(const Antenna& start, bool holdDriven) : start_(start), holdDriven_(holdDriven) {
        const std::size_t n = start.elements.size();
        order_.resize(n);
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            return start.elements[a].position < start.elements[b].position;
        });
        const double wavelength = start.wavelength();
        for (const Element& element : start.elements) {
            low_.push_back(element.length * (1 - kLengthFreedom));
            high_.push_back(element.length * (1 + kLengthFreedom));
        }
        // Neighbours move towards each other by at most half of what the least spacing
        // leaves of their gap, so that no order of moves brings them closer than it.
        for (std::size_t k = 1; k + 1 < n; ++k) {
            const double here = start.elements[order_[k]].position;
            const double before = here - start.elements[order_[k - 1]].position;
            const double after = start.elements[order_[k + 1]].position - here;
            const auto room = [&](double gap) {
                return std::max(0.0, (gap - std::min(kLeastSpacing * wavelength, gap / 2)) / 2);
            };
            low_.push_back(here - room(before));
            high_.push_back(here + room(after));
        }
    }

    [[nodiscard]] std::size_t size() const { return low_.size(); }

    [[nodiscard]] std::vector<double> startPoint() const {
        std::vector<double> t(size());
        for (std::size_t i = 0; i < size(); ++i) {
            const double value =
                i < start_.elements.size()
                    ? start_.elements[i].length
                    : start_.elements[order_[i - start_.elements.size() + 1]].position;
            t[i] = high_[i] > low_[i] ? (value - low_[i]) / (high_[i] - low_[i]) : 0.5;
        }
        return t;
    }

    [[nodiscard]] Antenna antennaAt(const double* t) const {
        Antenna antenna = start_;
        const std::size_t n = start_.elements.size();
        for (std::size_t i = 0; i < size(); ++i) {
            const double value = low_[i] + std::clamp(t[i], 0.0, 1.0) * (high_[i] - low_[i]);
            if (i < n) {
                if (!(holdDriven_ && i == start_.driven)) antenna.elements[i].length = value;
            } else {
                antenna.elements[order_[i - n + 1]].position = value;
            }
        }
        return antenna;
    }

private:
    Antenna start_;
    bool holdDriven_ = false;
    std::vector<std::size_t> order_;  // the elements by position along the boom
    std::vector<double> low_, high_;
};

// Spearman's rank correlation of two samples of costs; ties, which continuous costs do not
// give, are ranked in order rather than averaged.
double spearman(const std::vector<double>& a, const std::vector<double>& b) {
    const auto ranks = [](const std::vector<double>& values) {
        std::vector<std::size_t> order(values.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](std::size_t i, std::size_t j) { return values[i] < values[j]; });
        std::vector<double> rank(values.size());
        for (std::size_t r = 0; r < order.size(); ++r) rank[order[r]] = static_cast<double>(r);
        return rank;
    };
    const std::vector<double> ra = ranks(a), rb = ranks(b);
    const double n = static_cast<double>(a.size());
    double d2 = 0;
    for (std::size_t i = 0; i < a.size(); ++i) d2 += (ra[i] - rb[i]) * (ra[i] - rb[i]);
    return 1 - 6 * d2 / (n * (n * n - 1));
}

// One search's state, which NLopt's objective reaches through its data pointer.
struct Search {
    const Space* space = nullptr;
    const OptimiseRequest* request = nullptr;
    std::vector<int> segments;
    int points = 3;
    nlopt_opt current = nullptr;  // the stage running, to force its stop
    std::chrono::steady_clock::time_point begun;
    int evaluations = 0;
    double bestCost = kInfinity;
    std::vector<double> best;
    BandFigures bestFigures;
    BandCurves startCurves, bestCurves;  // where the request asks for them
    bool stopped = false;
    std::exception_ptr failure;  // thrown while NLopt ran, thrown again after it
    const ProgressReport* progress = nullptr;

    [[nodiscard]] double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    }

    // The best antennas found that stand apart from each other, best first: where the analysis
    // refuses the best, the next is tried.
    std::vector<std::pair<double, std::vector<double>>> leaders;
    // The best so far at every tenth of the budget: where the analysis refuses every leader,
    // the search's own path back towards the start offers antennas it is likelier to hold.
    std::vector<std::vector<double>> path;
    int checkpointEvery = 0;

    void keepAmongLeaders(double value, const double* t) {
        const std::vector<double> point(t, t + space->size());
        const auto near = [&](const std::vector<double>& other) {
            double apart = 0;
            for (std::size_t i = 0; i < point.size(); ++i) {
                apart = std::max(apart, std::fabs(point[i] - other[i]));
            }
            return apart < kLeadersApart;
        };
        for (auto it = leaders.begin(); it != leaders.end(); ++it) {
            if (!near(it->second)) continue;
            if (value >= it->first) return;  // a better one stands for this neighbourhood
            leaders.erase(it);
            break;
        }
        const auto at = std::find_if(leaders.begin(), leaders.end(),
                                     [&](const auto& leader) { return value < leader.first; });
        leaders.insert(at, {value, point});
        if (leaders.size() > static_cast<std::size_t>(kCandidates)) leaders.pop_back();
    }

    double evaluate(const double* t) {
        // The start is always judged, so that there is a best to keep.
        if (current != nullptr && request->stop != nullptr && request->stop->load()) {
            stopped = true;
            nlopt_force_stop(current);
            return bestCost;
        }
        const std::atomic<bool>* stop = current != nullptr ? request->stop : nullptr;
        const Antenna antenna = space->antennaAt(t);
        BandCurves curves;
        BandCurves* wanted = request->curves ? &curves : nullptr;
        const auto figures =
            request->goals.asBuilt
                ? builtBandFigures(antenna, segments, request->band, points, request->feed,
                                   request->asBuilt, request->seed, request->threads, stop, wanted)
                : bandFigures(antenna, segments, request->band, points, request->feed,
                              request->threads, stop, wanted);
        ++evaluations;
        const double value = figures ? cost(*figures, request->goals) : 1e6;
        if (figures) keepAmongLeaders(value, t);
        if (checkpointEvery > 0 && evaluations % checkpointEvery == 0 &&
            (path.empty() || path.back() != best)) {
            path.push_back(best);
        }
        if (figures && value < bestCost) {
            // The first antenna judged is the start.
            if (!std::isfinite(bestCost)) startCurves = curves;
            bestCost = value;
            best.assign(t, t + space->size());
            bestFigures = *figures;
            bestCurves = std::move(curves);
        }
        if (progress != nullptr && *progress) {
            (*progress)(
                {evaluations, elapsed(), request->seconds, bestFigures, startCurves, bestCurves});
        }
        return value;
    }
};

// NLopt is C: nothing may unwind through it. An exception (out of memory) stops the stage and
// is thrown again once NLopt has returned.
double objective(unsigned n, const double* t, double* gradient, void* data) {
    (void)n;
    (void)gradient;  // derivative-free algorithms only
    auto* search = static_cast<Search*>(data);
    try {
        return search->evaluate(t);
    } catch (...) {
        search->failure = std::current_exception();
        nlopt_force_stop(search->current);
        return search->bestCost;
    }
}

// Runs one stage from the best point so far, within its share of the evaluations and what is
// left of the time.
void runStage(Search& search, nlopt_algorithm algorithm, int evaluations, double initialStep) {
    const double left = search.request->seconds - search.elapsed();
    if (search.request->stop != nullptr && search.request->stop->load()) search.stopped = true;
    if (search.stopped || evaluations <= 0 || left <= 0) return;
    const auto n = static_cast<unsigned>(search.space->size());
    nlopt_opt opt = nlopt_create(algorithm, n);
    search.current = opt;
    nlopt_set_lower_bounds1(opt, 0.0);
    nlopt_set_upper_bounds1(opt, 1.0);
    nlopt_set_min_objective(opt, objective, &search);
    nlopt_set_maxeval(opt, evaluations);
    nlopt_set_maxtime(opt, left);
    nlopt_set_xtol_abs1(opt, 1e-5);
    nlopt_set_ftol_abs(opt, 1e-6);
    if (initialStep > 0) nlopt_set_initial_step1(opt, initialStep);
    std::vector<double> x = search.best;
    double value = 0;
    nlopt_optimize(opt, x.data(), &value);
    nlopt_destroy(opt);
    search.current = nullptr;
    if (search.failure) std::rethrow_exception(search.failure);
}

}  // namespace

std::variant<Goals, Failure> parseGoals(std::string_view text, Language language) {
    Goals goals;
    const auto bad = [&](std::string_view part) {
        return Failure{say(language,
                           "unknown goal %1: give gain, fb or swr, then limits such as fb>=20 "
                           "or swr<=1.3, separated by commas",
                           {std::string(part)})};
    };
    std::size_t start = 0;
    bool first = true;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view part =
            text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        if (first) {
            if (part == "gain") {
                goals.aim = Aim::Gain;
            } else if (part == "fb") {
                goals.aim = Aim::FrontToBack;
            } else if (part == "swr") {
                goals.aim = Aim::Swr;
            } else {
                return bad(part);
            }
            first = false;
        } else if (part == "asbuilt") {
            if (goals.asBuilt) return Failure{say(language, "asbuilt is given twice")};
            goals.asBuilt = true;
        } else {
            const std::size_t op = part.find_first_of("<>");
            if (op == std::string_view::npos || op + 1 >= part.size() || part[op + 1] != '=') {
                return bad(part);
            }
            Limit limit;
            limit.atLeast = part[op] == '>';
            const std::string_view name = part.substr(0, op);
            const auto known = std::find_if(std::begin(kFigureNames), std::end(kFigureNames),
                                            [&](const FigureName& f) { return f.name == name; });
            const auto value = plainNumber(part.substr(op + 2));
            if (known == std::end(kFigureNames) || !value) return bad(part);
            limit.figure = known->figure;
            limit.value = *value;
            if (!plausible(limit)) {
                return Failure{say(language, "the limit %1 asks for what no Yagi can be",
                                   {std::string(part)})};
            }
            for (const Limit& other : goals.limits) {
                if (other.figure == limit.figure && other.atLeast == limit.atLeast) {
                    return Failure{
                        say(language, "the limit %1 is given twice", {std::string(part)})};
                }
                // A window with no room: at least more than at most.
                if (other.figure == limit.figure) {
                    const double floor = limit.atLeast ? limit.value : other.value;
                    const double ceiling = limit.atLeast ? other.value : limit.value;
                    if (floor > ceiling) {
                        return Failure{say(language, "the limits on %1 leave no room between them",
                                           {std::string(name)})};
                    }
                }
            }
            goals.limits.push_back(limit);
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return goals;
}

std::string limitText(const Limit& limit) {
    return std::string(nameOf(limit.figure)) + (limit.atLeast ? ">=" : "<=") +
           shortest(limit.value);
}

std::string goalsText(const Goals& goals) {
    std::string text = goals.aim == Aim::Gain          ? "gain"
                       : goals.aim == Aim::FrontToBack ? "fb"
                                                       : "swr";
    for (const Limit& limit : goals.limits) text += "," + limitText(limit);
    if (goals.asBuilt) text += ",asbuilt";
    return text;
}

Band defaultBand(double designFrequency) {
    return {designFrequency * (1 - kDefaultBandSpan), designFrequency * (1 + kDefaultBandSpan)};
}

std::optional<Failure> checkBand(const Band& band, double designFrequency, Language language) {
    const double span = kMaxBandSpan * designFrequency;
    if (!(band.high > band.low) || band.low < designFrequency - span ||
        band.high > designFrequency + span) {
        return Failure{say(language,
                           "the band %1–%2 MHz reaches beyond ±10 % of the design frequency %3 MHz",
                           {fixed(band.low, 3), fixed(band.high, 3), shortest(designFrequency)})};
    }
    return std::nullopt;
}

double figureOf(const BandFigures& figures, Figure figure) {
    switch (figure) {
        case Figure::Gain:
            return figures.gain;
        case Figure::FrontToBack:
            return figures.frontToBack;
        case Figure::FrontToRear:
            return figures.frontToRear;
        case Figure::Swr:
            return figures.swr;
        case Figure::Sidelobe:
            return figures.sidelobe;
    }
    return 0;
}

bool holds(const Limit& limit, const BandFigures& figures) {
    const double value = figureOf(figures, limit.figure);
    return limit.atLeast ? value >= limit.value : value <= limit.value;
}

double cost(const BandFigures& figures, const Goals& goals) {
    double total = 0;
    switch (goals.aim) {
        case Aim::Gain:
            total = -figures.gain;
            break;
        case Aim::FrontToBack:
            // Beyond 40 dB a null only moves about; the gain then decides, a little.
            total = -std::min(figures.frontToBack, 40.0) - 0.1 * figures.gain;
            break;
        case Aim::Swr:
            total = 10 * (std::min(figures.swr, 100.0) - 1) - 0.1 * figures.gain;
            break;
    }
    bool sidelobeGiven = false;
    for (const Limit& limit : goals.limits) {
        total += missCost(limit, figures);
        sidelobeGiven = sidelobeGiven || limit.figure == Figure::Sidelobe;
    }
    if (goals.aim == Aim::Gain && !sidelobeGiven) {
        total += missCost({Figure::Sidelobe, true, kCleanSidelobe}, figures);
    }
    return std::isfinite(total) ? total : 1e6;
}

namespace {

// The band's figures of an antenna, the match designed at the band's centre for the feed
// `matchedFor` sees there (the antenna's own where none is given); the centre's feed in
// `centre`.
std::optional<BandFigures> judged(const Antenna& antenna, const std::vector<int>& segments,
                                  const Band& band, int points, Feed feed, int threads,
                                  const std::atomic<bool>* stop,
                                  const std::complex<double>* matchedFor,
                                  std::complex<double>* centre = nullptr,
                                  BandCurves* curves = nullptr) {
    // An odd count, so that the centre, which the match is designed at, is among them.
    points = std::max(1, points | 1);
    nec::Deck deck = structureWith(antenna, segments);
    for (int i = 0; i < points; ++i) {
        const double f =
            points == 1 ? band.centre() : band.low + (band.high - band.low) * i / (points - 1);
        deck.steps.push_back({f, {kEPlaneCut, kHPlaneCut}});
    }
    const auto solved = nec::solve(deck, {threads, stop, true});
    if (std::holds_alternative<nec::Error>(solved)) return std::nullopt;
    const auto& results = std::get<std::vector<nec::FrequencyResult>>(solved);
    const nec::FrequencyResult& middle = results[static_cast<std::size_t>(points / 2)];
    const std::complex<double> own(middle.feed.resistance, middle.feed.reactance);
    if (centre != nullptr) *centre = own;
    const std::complex<double> matched = matchedFor != nullptr ? *matchedFor : own;
    BandFigures figures{kInfinity, kInfinity, kInfinity, 0, kInfinity, 0};
    if (curves != nullptr) *curves = {};
    for (const nec::FrequencyResult& r : results) {
        if (!r.hasFeed || r.patterns.size() != 2) return std::nullopt;
        const PatternFigures pattern = patternFigures(r.patterns[0], r.patterns[1]);
        const double swr = matchedSwr({r.feed.resistance, r.feed.reactance}, matched, r.frequency,
                                      middle.frequency, feed);
        figures.gain = std::min(figures.gain, pattern.forwardGain);
        figures.frontToBack = std::min(figures.frontToBack, pattern.frontToBack);
        figures.frontToRear = std::min(figures.frontToRear, pattern.frontToRear);
        figures.sidelobe = std::min(figures.sidelobe, pattern.sidelobe);
        figures.swr = std::max(figures.swr, swr);
        if (curves != nullptr) {
            curves->mhz.push_back(r.frequency);
            curves->swr.push_back(swr);
            curves->gain.push_back(pattern.forwardGain);
        }
    }
    if (curves != nullptr) {
        for (const nec::PatternPoint& p : middle.patterns[0]) curves->ePlane.push_back(p.gain);
    }
    const auto [front, back] = boomEnds(antenna);
    figures.boom = back - front;
    return figures;
}

}  // namespace

std::optional<BandFigures> bandFigures(const Antenna& antenna, const std::vector<int>& segments,
                                       const Band& band, int points, Feed feed, int threads,
                                       const std::atomic<bool>* stop, BandCurves* curves) {
    return judged(antenna, segments, band, points, feed, threads, stop, nullptr, nullptr, curves);
}

std::vector<Antenna> builtAntennas(const Antenna& antenna, const AsBuilt& asBuilt,
                                   std::uint64_t seed) {
    // "asbuilt" in ASCII marks the stream apart from the plain seed's.
    std::seed_seq stream{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                         0x61736275U, 0x696c74U};
    std::mt19937_64 generator(stream);
    std::vector<Antenna> cut;
    for (int k = 0; k < asBuilt.samples; ++k) {
        cut.push_back(cutWithin(antenna, asBuilt.length, asBuilt.position, generator));
    }
    return cut;
}

std::optional<BandFigures> builtBandFigures(const Antenna& antenna,
                                            const std::vector<int>& segments, const Band& band,
                                            int points, Feed feed, const AsBuilt& asBuilt,
                                            std::uint64_t seed, int threads,
                                            const std::atomic<bool>* stop, BandCurves* curves) {
    // The match is the exact antenna's: solved for it only where there is a match, or where
    // its curves are asked for.
    std::complex<double> centre;
    if ((feed != Feed::Direct || curves != nullptr) &&
        !judged(antenna, segments, band, points, feed, threads, stop, nullptr, &centre, curves)) {
        return std::nullopt;
    }
    std::vector<double> gain, frontToBack, frontToRear, swr, sidelobe;
    for (const Antenna& cut : builtAntennas(antenna, asBuilt, seed)) {
        const auto figures = judged(cut, segments, band, points, feed, threads, stop, &centre);
        if (!figures) return std::nullopt;
        gain.push_back(figures->gain);
        frontToBack.push_back(figures->frontToBack);
        frontToRear.push_back(figures->frontToRear);
        swr.push_back(figures->swr);
        sidelobe.push_back(figures->sidelobe);
    }
    if (gain.empty()) return judged(antenna, segments, band, points, feed, threads, stop, nullptr);
    const auto [front, back] = boomEnds(antenna);
    return BandFigures{percentile(gain, 0.5),        percentile(frontToBack, 0.5),
                       percentile(frontToRear, 0.5), percentile(swr, 0.9),
                       percentile(sidelobe, 0.5),    back - front};
}

std::optional<Failure> checkAsBuilt(const Antenna& start, const AsBuilt& asBuilt,
                                    Language language) {
    // The search keeps neighbours at least this far apart; a position off by half of it
    // from each side would let two elements meet.
    double closest = kLeastSpacing * start.wavelength();
    double shortest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < start.elements.size(); ++i) {
        shortest = std::min(shortest, start.elements[i].length);
        if (i > 0) {
            const double gap = start.elements[i].position - start.elements[i - 1].position;
            closest = std::min(closest, gap / 2);
        }
    }
    const bool sized = asBuilt.length >= 0 && asBuilt.position >= 0 && asBuilt.samples >= 1;
    if (!sized || !(asBuilt.position < closest / 4) || !(asBuilt.length < shortest / 4)) {
        return Failure{say(language,
                           "cannot judge as built within ±%1 mm in length and ±%2 mm in "
                           "position: the elements could meet; give a tolerance below %3 mm "
                           "in position and %4 mm in length",
                           {fixed(asBuilt.length * 1000, 1), fixed(asBuilt.position * 1000, 1),
                            fixed(closest / 4 * 1000, 1), fixed(shortest / 4 * 1000, 1)})};
    }
    return std::nullopt;
}

std::optional<BandFigures> convergedBandFigures(const Antenna& antenna, const Analysis& analysis,
                                                const Band& band, Feed feed, int threads) {
    return bandFigures(antenna, segmentCounts(antenna, analysis.solvedAt), band, kReportPoints,
                       feed, threads);
}

std::variant<Optimisation, Failure> optimise(const Antenna& start, const Analysis& analysis,
                                             const OptimiseRequest& request, Language language,
                                             const ProgressReport& progress) {
    if (auto wrong = checkBand(request.band, start.frequency, language)) return *wrong;
    if (request.goals.asBuilt) {
        if (auto wrong = checkAsBuilt(start, request.asBuilt, language)) return *wrong;
    }
    // Behind a match the tuner trims the driven element for the match: its length is the
    // match's to set, not the search's.
    const Space space(start, request.feed != Feed::Direct);
    if (space.size() == 0) return Failure{say(language, "there is nothing to optimise")};

    Search search;
    search.space = &space;
    search.request = &request;
    search.progress = &progress;
    // Three frequencies judge a band of about ±1 % (the default, whatever its rounding); five a
    // wider one.
    search.points =
        request.band.high - request.band.low > 2.1 * kDefaultBandSpan * request.band.centre() ? 5
                                                                                              : 3;
    search.begun = std::chrono::steady_clock::now();

    // The search's segmentation: the level below the converged one where it ranks a seeded
    // sample of antennas near the start as the converged one does.
    const int converged = analysis.solvedAt.perWavelength;
    int coarser = converged;
    for (const ConvergenceStep& step : analysis.convergence) {
        if (step.perWavelength < converged) coarser = step.perWavelength;
    }
    const std::vector<double> startPoint = space.startPoint();
    std::mt19937_64 random(request.seed);
    const Segmentation fine{converged};
    const Segmentation rough{coarser};
    int chosen = converged;
    if (coarser < converged) {
        std::uniform_real_distribution<double> offset(-0.15, 0.15);
        std::vector<double> fineCosts, roughCosts;
        for (int s = 0; s < kRankSamples; ++s) {
            std::vector<double> t = startPoint;
            for (double& v : t) v = std::clamp(v + offset(random), 0.0, 1.0);
            const Antenna sample = space.antennaAt(t.data());
            const auto a = bandFigures(sample, segmentCounts(start, fine), request.band,
                                       search.points, request.feed, request.threads, request.stop);
            const auto b = bandFigures(sample, segmentCounts(start, rough), request.band,
                                       search.points, request.feed, request.threads, request.stop);
            if (!a || !b) break;
            fineCosts.push_back(cost(*a, request.goals));
            roughCosts.push_back(cost(*b, request.goals));
        }
        if (fineCosts.size() == static_cast<std::size_t>(kRankSamples) &&
            spearman(fineCosts, roughCosts) >= kLeastRankAgreement) {
            chosen = coarser;
        }
    }
    search.segments = segmentCounts(start, Segmentation{chosen});
    search.best = startPoint;
    search.evaluate(startPoint.data());
    if (!std::isfinite(search.bestCost)) {
        return Failure{say(language, "the engine cannot solve the antenna to optimise")};
    }
    const BandFigures startFigures = search.bestFigures;
    const double startCost = search.bestCost;

    // Few variables: a global search over the whole box (controlled random search with local
    // mutation, its population seeded), then a polish by quadratic models (BOBYQA). Many
    // variables: a sample of the box that size cannot afford says nothing, and the formula's
    // design lies near a good optimum, so a robust local search (subplex) walks from it first.
    const int n = static_cast<int>(space.size());
    const int budget = request.evaluations > 0 ? request.evaluations : std::max(1500, 150 * n);
    search.checkpointEvery = std::max(1, budget / 10);
    nlopt_srand(request.seed);
    if (n <= 12) {
        runStage(search, NLOPT_GN_CRS2_LM, budget * 2 / 5, 0);
    } else {
        runStage(search, NLOPT_LN_SBPLX, budget * 7 / 10, 0.05);
    }
    runStage(search, NLOPT_LN_BOBYQA, budget - search.evaluations, 0.02);

    Optimisation result;
    result.goals = request.goals;
    result.band = request.band;
    result.feed = request.feed;
    result.asBuilt = request.asBuilt;
    result.seed = request.seed;
    result.evaluations = search.evaluations;
    result.seconds = search.elapsed();
    result.stopped = search.stopped;
    result.timedOut = !search.stopped && result.seconds >= request.seconds;
    result.searchPerWavelength = chosen;
    result.antenna = space.antennaAt(search.best.data());
    // Only antennas that beat the start are candidates: the start is what the search set out
    // to beat.
    const auto offer = [&](const std::vector<double>& point) {
        if (point == startPoint) return;
        Antenna candidate = space.antennaAt(point.data());
        result.candidates.push_back(std::move(candidate));
    };
    for (const auto& leader : search.leaders) {
        if (leader.first < startCost) offer(leader.second);
    }
    for (auto step = search.path.rbegin(); step != search.path.rend(); ++step) {
        if (std::none_of(search.leaders.begin(), search.leaders.end(),
                         [&](const auto& leader) { return leader.second == *step; })) {
            offer(*step);
        }
    }
    result.before = startFigures;
    result.after = search.bestFigures;
    result.builtBefore = startFigures;
    result.builtAfter = search.bestFigures;
    return result;
}

namespace {

// The band figures as built at the analysis' converged segmentation.
std::optional<BandFigures> convergedBuiltFigures(const Optimisation& o, const Antenna& antenna,
                                                 const Analysis& analysis, int threads,
                                                 const std::atomic<bool>* cancel) {
    return builtBandFigures(antenna, segmentCounts(antenna, analysis.solvedAt), o.band,
                            kReportPoints, o.feed, o.asBuilt, reportSeed(o.seed), threads, cancel);
}

// The start's band figures at its converged segmentation, as `before` (and as built).
void judgeStart(Optimisation& o, const Antenna& start, const Analysis& startAnalysis, int threads,
                const std::atomic<bool>* cancel = nullptr) {
    if (const auto before = convergedBandFigures(start, startAnalysis, o.band, o.feed, threads)) {
        o.before = *before;
    }
    o.builtBefore = o.before;
    if (o.goals.asBuilt) {
        if (const auto built = convergedBuiltFigures(o, start, startAnalysis, threads, cancel)) {
            o.builtBefore = *built;
        }
    }
}

// The start kept as the result, with its own figures as `after`.
void keepStart(Optimisation& o, const Antenna& start) {
    o.improved = false;
    o.antenna = start;
    o.after = o.before;
    o.builtAfter = o.builtBefore;
}

}  // namespace

bool settle(Optimisation& o, const Antenna& start, const Analysis& startAnalysis,
            const std::variant<Analysis, Failure>& again, int threads, Language language,
            const std::atomic<bool>* cancel) {
    judgeStart(o, start, startAnalysis, threads, cancel);
    std::optional<BandFigures> after, builtAfter;
    if (const auto* failure = std::get_if<Failure>(&again)) {
        o.note =
            say(language, "the analysis refuses the optimised antenna: %1", {failure->message});
    } else {
        const Analysis& analysis = std::get<Analysis>(again);
        after = convergedBandFigures(o.antenna, analysis, o.band, o.feed, threads);
        builtAfter = o.goals.asBuilt
                         ? convergedBuiltFigures(o, o.antenna, analysis, threads, cancel)
                         : after;
    }
    // Judged as the goals ask: as built where they say so.
    if (after && builtAfter && cost(*builtAfter, o.goals) <= cost(o.builtBefore, o.goals)) {
        o.after = *after;
        o.builtAfter = *builtAfter;
        return true;
    }
    keepStart(o, start);
    return false;
}

std::optional<Analysis> conclude(Optimisation& o, const Antenna& start,
                                 const Analysis& startAnalysis, Runner& runner, int processes,
                                 Language language, const std::atomic<bool>* cancel) {
    if (o.candidates.empty()) {  // the search found nothing better than the start
        judgeStart(o, start, startAnalysis, processes, cancel);
        keepStart(o, start);
        return std::nullopt;
    }
    std::variant<Analysis, Failure> again = Failure{};
    for (const Antenna& candidate : o.candidates) {
        o.antenna = candidate;
        again = analyse(candidate, runner, language, processes, startAnalysis.range);
        if (cancel != nullptr && cancel->load()) return std::nullopt;
        if (std::holds_alternative<Analysis>(again)) break;
    }
    if (!settle(o, start, startAnalysis, again, processes, language, cancel)) return std::nullopt;
    return std::get<Analysis>(std::move(again));
}

}  // namespace zeva::analysis
