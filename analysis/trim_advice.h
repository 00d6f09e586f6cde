// SPDX-License-Identifier: MIT
// From a measured sweep back to the cut: what the analyser saw (the least SWR, the
// resonance, the impedance at the design frequency) and how much to trim, found by reading
// the measurement against the model of the antenna at the converged segmentation, with the
// driven element's length swept around the length the builder cut. Where the measurement and
// the model disagree by more than a trim explains, no cut is advised: what to check instead.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "analysis/touchstone.h"
#include "analysis/tuner.h"

namespace zeva::analysis {

// Beyond these the measurement is no antenna that a trim brings right.
inline constexpr double kTrimmableSwr = 2.0;          // least SWR within the sweep
inline constexpr double kTrimmableOffset = 0.05;      // resonance from the design frequency
inline constexpr double kTrimmableResistance = 0.25;  // R off the model's, as a fraction
// The model's driven element is swept over ± this fraction of its length, in steps of
// kTrimStep: a trim beyond it is no trim.
inline constexpr double kTrimRange = 0.04;
inline constexpr double kTrimStep = 0.005;
// Behind a coaxial transformer the cable's length and the element's tell apart only by how
// the feed moves with frequency: the measured steps within ± this fraction of the design
// frequency (at most kCoaxFitSteps of them, evenly picked) are fitted, the element solved at
// each of their frequencies.
inline constexpr double kCoaxFitBand = 0.05;
inline constexpr std::size_t kCoaxFitSteps = 64;

struct MeasuredFigures {
    double leastSwr = 0;
    double leastSwrFrequency = 0;     // MHz
    std::optional<double> resonance;  // MHz: the reactance crossing zero nearest the design
    std::complex<double> atDesign;    // ohms, interpolated at the design frequency
};

struct TrimAdvice {
    Feed feed = Feed::Direct;
    MeasuredFigures measured;
    bool advised = false;     // a cut is advised; otherwise `checks` says what to look at
    double drivenChange = 0;  // metres, the whole element: negative to shorten
    // The hairpin's line or the coaxial transformer's cable: metres, negative to shorten.
    std::optional<double> lineChange;
    bool elementOff = false;          // behind a match: the element, not only the line, is off
    std::complex<double> model;       // the model's feed at the length the measurement reads as
    std::vector<std::string> checks;  // why no cut is advised, and what to check
};

// The measurement's own figures; a failure where it does not cover the design frequency.
[[nodiscard]] std::variant<MeasuredFigures, Failure> measuredFigures(const Measurement& measured,
                                                                     double designFrequency,
                                                                     Language language);

class TrimAdvisor final : public Study<TrimAdvice> {
public:
    // The antenna as designed, its analysis and tuning (the lengths the builder cut), how it
    // was fed when measured, and the measurement.
    TrimAdvisor(Antenna antenna, const Analysis& analysis, const Tuning& tuning, Feed feed,
                Measurement measured, Language language);

private:
    void step(const std::vector<DeckResults>& results) override;
    Antenna antenna_;
    Tuning tuning_;
    Feed feed_;
    Measurement measured_;
    double built_ = 0;                          // metres: the driven element's length as cut
    std::vector<double> lengths_;               // the model's lengths of the driven element
    std::size_t sweepDeck_ = 0;                 // the deck of the cut element at the fitted steps
    std::vector<const MeasuredPoint*> fitted_;  // the measured steps fitted
    MeasuredFigures figures_;
};

[[nodiscard]] std::variant<TrimAdvice, Failure> adviseTrim(const Antenna& antenna,
                                                           const Analysis& analysis,
                                                           const Tuning& tuning, Feed feed,
                                                           const Measurement& measured,
                                                           Runner& runner, Language language);

}  // namespace zeva::analysis
