// SPDX-License-Identifier: MIT
// After the analysis, the driven element tuned with a few solutions at the converged
// segmentation: trimmed to resonance, and, where asked, shortened for a hairpin match or fed
// through a quarter-wave coaxial transformer, each with its SWR across the sweep.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/build.h"
#include "analysis/rod_match.h"

namespace zeva::analysis {

struct MatchRequest {
    bool hairpin = false;
    double wireDiameter = 0.003;  // metres, of the hairpin's two wires
    double spacing = 0.05;        // metres, between their centres
    bool coax = false;
    double velocityFactor = 0.66;  // of the transformer's cable
    // A gamma or a T match of a driven element bonded to the boom; the rod's diameter and its
    // spacing from the element (centre to centre), metres, or 0 for a builder's usual.
    bool gamma = false;
    bool tee = false;
    double rodDiameter = 0;
    double rodSpacing = 0;
    double teeFeed = 200;  // ohms: through a 4:1 balun, or 50 through a 1:1 current balun

    [[nodiscard]] bool rods() const { return gamma || tee; }
};

// The rod and its spacing as a request gives them, or a builder's usual for that element.
[[nodiscard]] RodShape rodShapeFor(const MatchRequest& request, double elementDiameter);

// Why a match cannot be built as asked: a hairpin whose spacing is not above its wire's
// diameter (the line would touch itself and 276·log₁₀(2S/d) fall to nothing), a velocity
// factor outside (0, 1]. Both the command line and the window ask this.
[[nodiscard]] std::optional<Failure> checkMatch(const MatchRequest& request, Language language);

// The driven element at zero reactance at the design frequency.
struct Trim {
    double length = 0;  // metres
    Impedance feed;
    double swr = 0;
};

struct HairpinMatch {
    double elementLength = 0;  // metres: the driven element shortened
    Impedance feed;            // of the shortened element: R − j√(R·(50 − R))
    double shuntReactance = 0;
    double stubImpedance = 0;  // ohms
    double stubLength = 0;     // metres, shorted at its far end
    double swr = 0;            // through the match, at the design frequency
    std::vector<double> sweepSwr;
    std::vector<Impedance> sweepFeed;  // the sweep's feed as the 50-ohm line sees it
};

struct CoaxMatch {
    double wanted = 0;  // √(50·R) for the trimmed element's R
    Cable cable;
    double velocityFactor = 0;  // of the cable the length is cut for
    double length = 0;          // metres: a quarter wave in the cable
    double swr = 0;
    std::vector<double> sweepSwr;
    std::vector<Impedance> sweepFeed;  // the sweep's feed as the 50-ohm line sees it
};

// A gamma or T match solved on the model: the strap where the feed's resistance is the
// line's, the series capacitor that cancels the reactance left.
struct RodMatch {
    RodShape shape;
    double rodLength = 0;      // metres: to the strap, and a quarter more to move it outwards
    double elementLength = 0;  // metres: the driven element, continuous, at resonance
    double designLength = 0;   // metres: the design's driven element, which the trim moves
    Impedance feed;            // at the port, before the capacitor(s)
    double feedOhms = 0;       // what the match is designed to: 50, or 200 behind a 4:1 balun
    double capacitance = 0;    // pF; of each of a T's two capacitors
    double standardCapacitance = 0;
    double standardSwr = 0;            // with the standard capacitor at the design frequency
    double volts100 = 0, amps100 = 0;  // the capacitor's RMS duty at 100 W
    double volts1000 = 0, amps1000 = 0;
    double swr = 0;
    std::vector<double> sweepSwr;
    std::vector<Impedance> sweepFeed;  // the sweep's feed as the 50-ohm line sees it
    int perWavelength = 0;             // the segmentation the match is solved at
    RodSegments parts;                 // of the driven element there, for this strap
    // How far the port's resistance moves at twice as many segments, as a fraction; NaN
    // where a finer model would cut segments too short or too many.
    double convergence = 0;
    // The folded-section line model's strap and capacitor for the same element, where it has
    // a strap (NaN otherwise): the search starts there, and the two are printed side by side.
    double lineStrap = std::numeric_limits<double>::quiet_NaN();
    double lineCapacitance = std::numeric_limits<double>::quiet_NaN();
};

// The rods and straps are solved at this many segments a wavelength at least: coarser, the
// port's resistance is still some 10 % high (a lone 14.2 MHz element's gamma: 33.8 ohms at
// 100, 30.1 at 200, 30.0 at 400, 30.3 at 800).
inline constexpr int kLeastRodLevel = 200;
// A match whose resistance moves by more than this at twice the segments is said to be so.
inline constexpr double kRodConvergence = 0.03;

struct Tuning {
    Trim trim;
    std::optional<HairpinMatch> hairpin;
    std::optional<CoaxMatch> coax;
    std::string hairpinNote;  // why there is no hairpin match, where one was asked for
    std::string coaxNote;
    std::optional<RodMatch> rods;  // a gamma match, or a T match where shape.balanced
    // A driven element of tubes: its tubes, its wire's diameter and the frequency, so that the
    // lengths above, the model's wire's, can be said as the tubes are cut; empty otherwise.
    std::vector<Tube> drivenTubes;
    double drivenDiameter = 0;
    double frequency = 0;
};

// A driven length of the tuning (the model's wire) as it is cut: the tubes' tip to tip for a
// driven element of tubes, the length itself otherwise.
[[nodiscard]] double asCut(const Tuning& tuning, double wire);

// A match is worth building when it brings the SWR at the design frequency below this.
inline constexpr double kMatchedSwr = 1.2;
// Below this resonant feed resistance, ohms, no match is offered: the element's currents are
// so large that a match's losses and its narrow band make it no antenna to build.
inline constexpr double kLowestMatchedOhms = 5;
// The reactance counted as zero, ohms, when trimming and shortening.
inline constexpr double kTunedOhms = 0.05;

class Tuner final : public Study<Tuning> {
public:
    Tuner(Antenna antenna, const Analysis& analysis, MatchRequest request, Language language,
          int processes);

private:
    void step(const std::vector<DeckResults>& results) override;
    enum class Stage { Trim, Hairpin, RodScan, RodSearch, RodCheck, Sweeps };
    void runLength(double length);
    void tuned(Stage stage, double length, const Impedance& feed);
    void startHairpin();
    void startRods();
    void startScan();
    void scannedRods(const std::vector<DeckResults>& results);
    void searchRods(const std::vector<DeckResults>& results);
    void runStrap(double strap);
    void startSearch(double low, double high);
    void matchedRods(const Impedance& feed);
    void checkedRods(const std::vector<DeckResults>& results);
    [[nodiscard]] double rodTarget() const;
    void startSweeps();
    void finishSweeps(const std::vector<DeckResults>& outputs);
    [[nodiscard]] Antenna withDriven(double length) const;
    // The tuning with the driven element's tubes, where it has them, for asCut().
    [[nodiscard]] Tuning asBuilt(Tuning tuning) const;
    [[nodiscard]] std::string tooLowForAMatch() const;

    Antenna antenna_;
    Segmentation segmentation_;
    SweepRange range_;
    MatchRequest request_;
    int processes_;
    Stage stage_ = Stage::Trim;
    // The lengths tried in the current stage and the error of each: the reactance, or its
    // distance from the hairpin's.
    std::vector<double> lengths_;
    std::vector<double> errors_;
    std::vector<double> sweepFrequencies_;
    std::size_t designIndex_ = 0;  // of the design frequency among them
    std::size_t matchDecks_ = 0;   // the first decks of the sweeps are the match's
    // The rods' search: the shape, the element's segment counts and the strap positions
    // tried, with the feed resistance less the target at each.
    RodShape shape_;
    int rodLevel_ = kLeastRodLevel;
    std::vector<int> counts_;
    RodSegments parts_;
    std::vector<double> straps_;
    std::vector<double> misses_;
    std::vector<Impedance> ports_;
    int lowKept_ = 0, highKept_ = 0;  // rounds each end of the bracket has stayed, in a row
    bool recounted_ = false;          // the segments counted again at the strap found
    // The search starts at the line model's strap, and falls back to the scan where the two
    // straps either side of it do not bracket the engine's.
    bool fromLineModel_ = false;
    double lineStrap_ = std::numeric_limits<double>::quiet_NaN();
    Tuning tuning_;
};

// Runs a tuner to its end.
[[nodiscard]] std::variant<Tuning, Failure> tune(const Antenna& antenna, const Analysis& analysis,
                                                 const MatchRequest& request, Runner& runner,
                                                 Language language, int processes);

}  // namespace zeva::analysis
