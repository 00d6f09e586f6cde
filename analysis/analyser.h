// SPDX-License-Identifier: MIT
// The whole analysis of an antenna: the limits of the model, a segmentation refined until the
// figures at the design frequency stop moving, the finer of the last two levels' figures, and
// the sweep solved at the coarser and read as the finer.
//
// The analyser solves nothing itself: it hands out the decks to solve next and takes their
// results, so that any runner can serve it, in process or with nec2c, from a command line or a
// window. analyse() drives it to the end with a runner.
#pragma once

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "analysis/deck.h"
#include "analysis/figures.h"
#include "analysis/geometry.h"
#include "analysis/nec_output.h"
#include "analysis/runner.h"
#include "analysis/sweep_fit.h"

namespace zeva::analysis {

// A figure not known (where a check was not made).
inline constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

// A segmentation is converged when doubling it (or the last step, up to the kernel's limit)
// moves R and X by less than this many ohms each, and the forward gain by less than this
// many dB, at the design frequency.
inline constexpr double kConvergedOhms = 0.5;
inline constexpr double kConvergedGain = 0.02;
// Where the last two levels lie within this many times those limits, the next level is likely
// to converge with the last (the moves shrink to about half a doubling), and the sweep's first
// steps at the last are solved beside it.
inline constexpr double kAheadMoves = 4;
// The levels tried, segments a wavelength: each doubles the one before, and where the next
// doubling would pass the kernel's limit (or the engine's size), one last level lands on the
// finest segmentation within it.
inline constexpr int kLevels[] = {25, 50, 100, 200, 400, 800};
// A sweep whose ends move more than the limits at the finer level of the converged pair is
// solved again at that level where it has at most this many segments (elsewhere it is moved
// by the shifts between the levels solved at its ends).
inline constexpr int kMostRefinedSweepSegments = 500;
// The ends are solved at the finer level only where it has at most this many segments: two
// solves of a larger one cost more than the rest of the analysis.
inline constexpr int kMostEndsCheckSegments = 1000;
// A last level must cut at least this many times the segments of the level before it: a
// smaller step moves the figures too little to show anything.
inline constexpr double kLeastLastStep = 1.25;
// NEC-2's thin-wire model: the current is taken as uniform around the wire and axial, which
// needs 2πa/λ well below 1; this program refuses beyond 0.1.
inline constexpr double kMaxCircumference = 0.1;
// The extended thin-wire kernel holds down to segments two radii long.
inline constexpr double kMinSegmentOverRadius = 2.0;
// The shortest segment over its radius, for every element at this many segments a wavelength.
[[nodiscard]] double shortestSegmentOverRadius(const Antenna& antenna, int perWavelength);
// Antennas beyond these are refused before any solving: no Yagi comes near them, and a
// figure typed in the wrong unit usually goes far past them.
inline constexpr double kMaxElementWavelengths = 3;
inline constexpr std::size_t kMaxElements = 300;
inline constexpr double kMaxBoomLength = 200;  // wavelengths
// A beam: its strongest direction lies this close to the boom, towards the directors.
inline constexpr double kMaxBeamOffset = 30.0;

struct SweepPoint {
    double frequency = 0;  // MHz, as the deck gave it
    Impedance feed;
    double swr = 0;
    double gain = 0;         // dBi towards the directors
    double frontToBack = 0;  // dB
    bool solved = true;      // solved at this frequency, or taken from the checked fit
};

// The stretch of the sweep around its least SWR where the SWR stays at or below a level, the
// edges interpolated linearly between the nearest solved points around the crossing; an edge
// that is the sweep's own end says so, for the band may go on beyond it.
struct SwrBand {
    double low = 0, high = 0;  // MHz
    bool lowAtSweepEnd = false, highAtSweepEnd = false;
};
inline constexpr double kSwrLevels[] = {1.5, 2.0};
[[nodiscard]] std::optional<SwrBand> swrBand(const std::vector<SweepPoint>& sweep, double level);
// An edge is found when a solve lands within this of where the points around it put the
// crossing: 1 kHz, or 0.02 % of the frequency where that is more.
[[nodiscard]] double edgeTolerance(double frequency);
inline constexpr int kMostEdgeRounds = 4;

// The sweep steps solved first when the sweep is fitted: seven, evenly spread, the design
// frequency among them. Where their fits disagree, four more are solved and the fit is tried
// again with eleven, before the steps still in doubt are solved.
inline constexpr int kFitSteps[] = {0, 3, 7, 10, 13, 17, 20};
inline constexpr int kMoreFitSteps[] = {2, 5, 15, 18};

struct ConvergenceStep {
    int perWavelength = 0;
    int segments = 0;
    Impedance feed;
    double gain = 0;
};

// The segmentations an antenna is refined through, coarsest first, and why they end.
struct Levels {
    std::vector<int> perWavelength;
    bool endBySize = false;    // a finer one would be too many segments to solve
    bool endByRadius = false;  // a finer one would cut segments shorter than two radii
};
[[nodiscard]] Levels levelsOf(const Antenna& antenna);

// The sweep's two ends solved at the finer level of the converged pair as well: how far the
// figures still move there (the levels are converged at the design frequency).
struct EndsCheck {
    int finerPerWavelength = 0;
    double ohms = kNoFigure;  // the larger move of R or X at either end; NaN where not checked
    double db = kNoFigure;    // the larger move of the forward gain
    [[nodiscard]] bool checked() const { return std::isfinite(ohms); }
    [[nodiscard]] bool converged() const;
};

// How the finer level of the converged pair differs from the coarser, learnt where both were
// solved (the design frequency, and the sweep's ends where they were checked). Finer segments
// act mostly as a slightly shorter antenna: every resonance moves up in proportion, so the
// finer level at a frequency reads as the coarser at that frequency times `scale`; what
// remains is read linearly between the frequencies where both were solved, the nearest
// beyond them. A long boom's two levels differ by up to 1.7 ohms across its sweep, in waves
// that a shift alone read between three frequencies misses by 1.2 ohms; scaled, by 0.4.
struct LevelDifference {
    double frequency = 0;    // MHz
    Impedance feed;          // ohms added to R and X
    double gain = 0;         // dB added to the forward gain
    double frontToBack = 0;  // dB added to the front-to-back ratio
};
struct LevelShift {
    double scale = 1;
    std::vector<LevelDifference> remainders;  // in order of frequency; none: the levels are one
    [[nodiscard]] LevelDifference remainderAt(double frequency) const;
};
// The scale is sought within this many sweep steps of 1 either way.
inline constexpr double kMostScaleSteps = 1;

struct Analysis {
    PatternFigures pattern;  // at the design frequency
    double gainDbd = 0;
    Impedance feed;  // at the design frequency
    double swr = 0;
    // The radiated power over the input power from the sphere's pattern (1 for a sound
    // model); NaN where the runner gave no sphere.
    double averageGain = kNoFigure;
    double wavelength = 0;  // metres
    // More than one element: a lone dipole has no front, back or sidelobes to speak of.
    bool beam = true;
    double stackingSideBySide = 0;  // metres, from the E-plane beamwidth
    double stackingAbove = 0;       // metres, from the H-plane beamwidth
    // The figures' segmentation: the finer level of the converged pair.
    Segmentation segmentation;
    int segments = 0;
    // The segmentation the sweep, its band edges and the studies after the analysis are solved
    // at: the coarser level of the pair (or the finer itself, where the sweep moved to it),
    // with its feed at the design frequency. The sweep and the edges are moved by the shifts
    // between the two levels; the studies keep that level's own figures.
    Segmentation solvedAt;
    Impedance solvedFeed;
    LevelShift shift;
    SweepRange range;
    std::vector<ConvergenceStep> convergence;
    std::vector<SweepPoint> sweep;
    std::vector<SweepPoint> edges;     // solved where the SWR crosses 1.5 and 2, in order
    std::optional<EndsCheck> ends;     // where the finer level could be solved
    std::vector<PatternPoint> ePlane;  // phi 0 to 360, theta 90
    std::vector<PatternPoint> hPlane;  // theta 0 to 360, phi 0
};

// The band below an SWR level across the sweep steps and the points solved at its edges.
[[nodiscard]] std::optional<SwrBand> swrBand(const Analysis& analysis, double level);

// The positions of the boom's first and last elements, metres.
[[nodiscard]] std::pair<double, double> boomEnds(const Antenna& antenna);

// Why an antenna is outside what the model can say; nothing where it is inside.
[[nodiscard]] std::optional<Failure> checkLimits(const Antenna& antenna, Language language);

class Analyser final : public Study<Analysis> {
public:
    // processes: how many decks the sweep is shared among; fitSweep: solve seven steps (eleven
    // where their fits disagree) and take the others from a checked rational fit (it needs
    // exact fields from the runner).
    Analyser(Antenna antenna, Language language, int processes, bool fitSweep = false,
             SweepRange range = {});

private:
    void step(const std::vector<DeckResults>& results) override;
    void converge(const std::vector<DeckResults>& results);
    void sweep(const std::vector<DeckResults>& results);
    void runLevels(std::size_t first, std::size_t count);
    void solveSteps(std::vector<int> steps);
    void fitTheRest();
    void sweepAt(std::size_t chosen, std::size_t reported);
    void shiftSweep();
    [[nodiscard]] std::vector<int> firstSweepSteps() const;
    void solveAhead(std::size_t level);
    [[nodiscard]] bool recordSteps(const std::vector<int>& steps,
                                   const std::vector<FrequencyResult>& results);
    void sweepKnown();
    [[nodiscard]] std::vector<nec::Deck> endsDecks();
    void checkEnds(const std::vector<DeckResults>& results);
    void findEdges(const std::vector<DeckResults>& results);
    [[nodiscard]] double fittedCrossing(double level, double lineCrossing, bool low) const;
    void finish();
    [[nodiscard]] Failure notConverging() const;

    Antenna antenna_;
    int processes_;
    bool fitSweep_;
    Levels levels_;                  // the levels the kernel and the engine allow
    std::size_t nextLevel_ = 0;      // the first level not run yet
    bool sweeping_ = false;          // converged: the sweep has begun
    std::size_t chosen_ = 0;         // the level the sweep is solved at, once converged
    std::size_t endsDecks_ = 0;      // decks of the round that solve the ends at the finer level
    std::vector<DeckResults> ends_;  // the sweep's ends at the finer level, once solved
    // The sweep's first steps solved ahead at a level beside the finer one's round, in case
    // that level is the one converged.
    std::size_t aheadDecks_ = 0;  // decks of the round that solve them
    std::vector<int> aheadSteps_;
    std::vector<FrequencyResult> ahead_;  // their results, once solved
    // Where both levels were solved: the solved level's point, the reported level's.
    std::vector<std::pair<SweepPoint, SweepPoint>> pairs_;
    int edgeRounds_ = -1;              // rounds of solves at the band edges; -1 before them
    std::vector<double> edgeGuesses_;  // the frequencies of the round being solved
    std::optional<SweepFit> fit_;      // the sweep's fit, where it was tried
    static constexpr int kFits = 2;    // the first fit, and the one with four more samples
    int fits_ = 0;                     // how many times the fit has been tried
    std::vector<int> pendingSteps_;    // the sweep steps being solved
    std::vector<std::optional<SweepPoint>> sweepSteps_;  // each step once known
    std::vector<SweepSample> samples_;                   // the solved steps' fields
    // Each level run's results (the design frequency with its pattern cuts), in the order of
    // the convergence steps.
    std::vector<DeckResults> levelRuns_;
    Analysis analysis_;
};

// Runs an analyser to its end; the sweep is fitted where the runner gives exact fields.
[[nodiscard]] std::variant<Analysis, Failure> analyse(const Antenna& antenna, Runner& runner,
                                                      Language language, int processes,
                                                      const SweepRange& range = {});

}  // namespace zeva::analysis
