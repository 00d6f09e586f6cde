// SPDX-License-Identifier: MIT
// Better than the formula: every element's length and every spacing moved, the boom held, so
// that the antenna does best over a band by the goals the builder weighs, NEC-2 in process
// judging each try. A global search where the variables are few, then a local polish; the
// same seed gives the same antenna, and a stop keeps the best found so far.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/build.h"
#include "analysis/geometry.h"
#include "analysis/message.h"

namespace zeva::analysis {

// What the search mostly aims at.
enum class Aim {
    Gain,         // the most forward gain across the band, the pattern kept clean
    FrontToBack,  // the best F/B across the band
    Swr,          // the flattest SWR across the band
};

// The figures a limit may hold.
enum class Figure { Gain, FrontToBack, FrontToRear, Swr, Sidelobe };

// "fb>=20", "swr<=1.3": a figure kept at or above (or below) a value across the band.
struct Limit {
    Figure figure = Figure::Swr;
    bool atLeast = false;  // >= when true, <= otherwise
    double value = 0;
};

struct Goals {
    Aim aim = Aim::Gain;
    std::vector<Limit> limits;  // as given, each figure at most once either way
    bool asBuilt = false;       // "asbuilt": judged over antennas cut within a tolerance
};

// As built: each try judged over antennas cut off by up to a workshop's tolerance rather than
// over the exact one, the same draws for every try so that tries compare fairly: the SWR by
// its 90th percentile over them, every other figure by its median; the match, where there is
// one, designed for the exact antenna, as the builder cuts it before measuring.
inline constexpr int kAsBuiltSamples = 6;
struct AsBuilt {
    double length = 0.001;    // metres: each cut length off by up to this much
    double position = 0.002;  // metres: each position along the boom
    int samples = kAsBuiltSamples;
};

// The gain aim keeps the strongest sidelobe at least this far down unless a limit says
// otherwise: the most gain with a clean pattern.
inline constexpr double kCleanSidelobe = 15;  // dB

// "gain", "fb" or "swr", then limits and "asbuilt", comma-separated: "gain,fb>=20,swr<=1.3".
// A limit outside what a Yagi can be (an SWR limit below 1, a gain above 30 dBi, ...) is
// refused.
[[nodiscard]] std::variant<Goals, Failure> parseGoals(std::string_view text, Language language);
// A limit as it is written: "fb>=20".
[[nodiscard]] std::string limitText(const Limit& limit);
// The goals as they were written, normalised: "gain,fb>=20,swr<=1.3".
[[nodiscard]] std::string goalsText(const Goals& goals);

// The worst of each figure across the band, and the boom.
struct BandFigures {
    double gain = 0;         // dBi: the least forward gain
    double frontToBack = 0;  // dB: the least
    double frontToRear = 0;  // dB: the least
    double swr = 0;          // the largest, through the feed match
    double sidelobe = 0;     // dB below the forward gain: the least, the strongest sidelobe
    double boom = 0;         // metres, first element to last
};

// An antenna across the band as the search judges it, for a window that shows the search
// live: at each point the SWR through the feed's match and the forward gain, and the E-plane
// cut (the plane of the elements) at the band's centre, dBi a degree apart from the forward
// direction round.
struct BandCurves {
    std::vector<double> mhz, swr, gain;
    std::vector<double> ePlane;
};

// The band the search judges by: its edges, MHz.
struct Band {
    double low = 0, high = 0;
    [[nodiscard]] double centre() const { return (low + high) / 2; }
};
// A band beyond this fraction either side of the design frequency is refused.
inline constexpr double kMaxBandSpan = 0.10;
// The band without one given: the design frequency ±1 %.
inline constexpr double kDefaultBandSpan = 0.01;
[[nodiscard]] Band defaultBand(double designFrequency);
[[nodiscard]] std::optional<Failure> checkBand(const Band& band, double designFrequency,
                                               Language language);

// The band's worst figures of an antenna cut into these segments, solved at `points`
// frequencies spread evenly across it (the centre among them when odd); none where the
// engine cannot solve it.
// With `curves`, its curves too.
[[nodiscard]] std::optional<BandFigures> bandFigures(
    const Antenna& antenna, const std::vector<int>& segments, const Band& band, int points,
    Feed feed, int threads, const std::atomic<bool>* stop = nullptr, BandCurves* curves = nullptr);

// The antennas as built: `asBuilt.samples` of them, each length and position off by up to
// the tolerance, drawn from the seed in a stream of their own (not the tolerance study's,
// nor the search's).
[[nodiscard]] std::vector<Antenna> builtAntennas(const Antenna& antenna, const AsBuilt& asBuilt,
                                                 std::uint64_t seed);
// The report judges the optimised antenna on other draws than the search tuned it against.
[[nodiscard]] inline std::uint64_t reportSeed(std::uint64_t seed) { return seed + 1; }

// The band's figures as built: over builtAntennas(), the SWR's 90th percentile and the other
// figures' medians, the match designed for the exact antenna; the boom exact. With `curves`,
// the exact antenna's.
[[nodiscard]] std::optional<BandFigures> builtBandFigures(
    const Antenna& antenna, const std::vector<int>& segments, const Band& band, int points,
    Feed feed, const AsBuilt& asBuilt, std::uint64_t seed, int threads,
    const std::atomic<bool>* stop = nullptr, BandCurves* curves = nullptr);

// Why the antenna cannot be judged as built within that tolerance (its elements could meet,
// or a length vanish); nothing where it can.
[[nodiscard]] std::optional<Failure> checkAsBuilt(const Antenna& start, const AsBuilt& asBuilt,
                                                  Language language);

// The figure to minimise: the aim, and each limit missed at a cost that grows with the miss.
[[nodiscard]] double cost(const BandFigures& figures, const Goals& goals);
// Whether a limit holds for these figures, and the figure it is about.
[[nodiscard]] bool holds(const Limit& limit, const BandFigures& figures);
[[nodiscard]] double figureOf(const BandFigures& figures, Figure figure);

// What may change: each element's length within ±15 % of the start; each position between
// its neighbours' such that no spacing falls below 0.05 wavelengths (or half the start's,
// where that is less); the first and last elements stay, and so the boom.
inline constexpr double kLengthFreedom = 0.15;
inline constexpr double kLeastSpacing = 0.05;  // wavelengths

struct OptimiseRequest {
    Goals goals;
    Band band;
    Feed feed = Feed::Direct;  // the SWR through it, the match designed at the band's centre
    AsBuilt asBuilt;           // the tolerance, where the goals are as built
    std::uint64_t seed = 1;
    double seconds = 120;  // the search's time cap
    int evaluations = 0;   // a cap on the antennas tried; 0 for one fitting the variables
    int threads = 1;
    const std::atomic<bool>* stop = nullptr;
    bool curves = false;  // the progress carries the start's and the best's curves
};

struct OptimiseProgress {
    int evaluations = 0;
    double seconds = 0;                  // since the search began
    double secondsCap = 0;               // the search's time cap
    BandFigures best;                    // of the best antenna so far, at the search's segmentation
    BandCurves startCurves, bestCurves;  // where asked for, at the same segmentation
};
using ProgressReport = std::function<void(const OptimiseProgress&)>;

// The search's figures come at a coarser segmentation than the converged one where a sample
// of antennas around the start ranks the same at both (Spearman's coefficient at least
// this); at the converged one otherwise.
inline constexpr double kLeastRankAgreement = 0.9;
inline constexpr int kRankSamples = 8;
// How many of the best antennas that stand apart are offered to the analysis, besides the
// search's path.
inline constexpr int kCandidates = 4;

struct Optimisation {
    Goals goals;
    Band band;
    Feed feed = Feed::Direct;
    std::uint64_t seed = 1;
    int evaluations = 0;
    double seconds = 0;
    bool stopped = false;         // by the user, before the search ended
    bool timedOut = false;        // by the time cap
    bool improved = true;         // false where the start is kept
    std::string note;             // why, where the analysis refused the search's antenna
    int searchPerWavelength = 0;  // the segmentation the search judged at
    Antenna antenna;              // the optimised antenna
    // The best antennas found that stand apart, best first (the antenna above among them),
    // then the best of each tenth of the search, latest first: for the analysis to try in
    // turn, until it holds for one.
    std::vector<Antenna> candidates;
    BandFigures before, after;  // both at the converged segmentation of each
    // Where the goals are as built: the tolerance, and the same figures as built, on other
    // draws than the search's (reportSeed).
    AsBuilt asBuilt;
    BandFigures builtBefore, builtAfter;

    // The figures the goals were judged by: as built where they ask for it.
    [[nodiscard]] const BandFigures& judgedAfter() const {
        return goals.asBuilt ? builtAfter : after;
    }
};

// Moves the analysed start antenna towards the goals and returns the best antenna found (the
// start itself where nothing beat it, as after a stop at once), with its figures at the
// search's segmentation until conclude() analyses it; or why it cannot be optimised (a band
// out of reach, a start the engine cannot solve).
[[nodiscard]] std::variant<Optimisation, Failure> optimise(const Antenna& start,
                                                           const Analysis& analysis,
                                                           const OptimiseRequest& request,
                                                           Language language,
                                                           const ProgressReport& progress = {});

// The band figures at the analysis' converged segmentation, which the before/after table
// shows.
inline constexpr int kReportPoints = 7;
[[nodiscard]] std::optional<BandFigures> convergedBandFigures(const Antenna& antenna,
                                                              const Analysis& analysis,
                                                              const Band& band, Feed feed,
                                                              int threads);

// The search's antenna judged by its own converged analysis (`again`) against the start's:
// true where it holds and does better by the goals, its figures in `after`; otherwise the
// start is kept (the antenna, and its figures as `after`), with why where the analysis
// refused it. `before` is filled either way.
[[nodiscard]] bool settle(Optimisation& optimisation, const Antenna& start,
                          const Analysis& startAnalysis,
                          const std::variant<Analysis, Failure>& again, int threads,
                          Language language, const std::atomic<bool>* cancel = nullptr);

// Analyses the search's candidates, best first, at their converged segmentations until the
// analysis holds for one, and settles between it and the start: its analysis where the
// optimised antenna is kept; nothing where the start is (or the cancel flag was raised).
[[nodiscard]] std::optional<Analysis> conclude(Optimisation& optimisation, const Antenna& start,
                                               const Analysis& startAnalysis, Runner& runner,
                                               int processes, Language language,
                                               const std::atomic<bool>* cancel = nullptr);

}  // namespace zeva::analysis
