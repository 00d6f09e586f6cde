// SPDX-License-Identifier: MIT
// How precisely the antenna must be cut: every element's length and position off by up to a
// tolerance, uniformly and independently, in a seeded Monte Carlo through the engine at the
// converged segmentation; and which elements matter most, one at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analyser.h"

namespace zeva::analysis {

inline constexpr int kDefaultSamples = 200;
inline constexpr int kMaxSamples = 10000;
// A cut off by more than this many wavelengths is another design, not a tolerance.
inline constexpr double kMaxLengthTolerance = 0.02;
// Nor above this share of the shortest element: a sample must keep every element a wire.
inline constexpr double kMaxLengthToleranceOfElement = 0.25;
// The length change of the one-at-a-time sensitivities where no length tolerance is given,
// metres.
inline constexpr double kSensitivityStep = 0.001;
// The design is also solved this fraction below and above the design frequency: the slope of
// its reactance turns each sample's change of reactance into a shift of frequency.
inline constexpr double kResonanceStep = 0.005;

struct ToleranceRequest {
    double length = 0;    // metres: each cut length off by up to this much
    double position = 0;  // metres: each position along the boom off by up to this much
    int samples = kDefaultSamples;
    std::uint64_t seed = 1;
};

// The spread of a figure over the samples: the median, the 90th percentile on the worse side
// (the lower for gain and F/B) and the worst sample.
struct Spread {
    double median = 0;
    double p90 = 0;
    double worst = 0;
};

// How strongly one element's length moves the feed's reactance and the forward gain.
struct Sensitivity {
    std::string name;
    double reactance = 0;  // ohms per millimetre
    double gain = 0;       // dB per millimetre
};

struct Tolerance {
    ToleranceRequest request;
    double reactanceSlope = 0;  // ohms per MHz of the design's feed at the design frequency
    Spread swr;
    // kHz, the size of the shift of the feed's reactance curve at the design frequency: of
    // the resonance where the driven element is resonant there.
    Spread resonanceShift;
    Spread gain;                             // dBi towards the directors
    Spread frontToBack;                      // dB
    std::vector<double> swrSamples;          // each sample's SWR at the design frequency
    std::vector<Sensitivity> sensitivities;  // each element's, in the antenna's order
};

// Why the study cannot be made as asked; nothing where it can.
[[nodiscard]] std::optional<Failure> checkTolerance(const Antenna& antenna,
                                                    const ToleranceRequest& request,
                                                    Language language);

// One antenna as cut: each element's length and position off by up to these, drawn from the
// generator (uniformly, the same on every platform).
[[nodiscard]] Antenna cutWithin(const Antenna& antenna, double length, double position,
                                std::mt19937_64& generator);

// The percentile p (0 to 1) of the values, linear between the sorted samples.
[[nodiscard]] double percentile(std::vector<double> values, double p);

class ToleranceStudy final : public Study<Tolerance> {
public:
    ToleranceStudy(Antenna antenna, const Analysis& analysis, ToleranceRequest request,
                   Language language);

private:
    void step(const std::vector<DeckResults>& results) override;
    Antenna antenna_;
    ToleranceRequest request_;
};

[[nodiscard]] std::variant<Tolerance, Failure> studyTolerance(const Antenna& antenna,
                                                              const Analysis& analysis,
                                                              const ToleranceRequest& request,
                                                              Runner& runner, Language language);

}  // namespace zeva::analysis
