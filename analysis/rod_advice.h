// SPDX-License-Identifier: MIT
// From a measured sweep of an antenna fed through its gamma or T match back to the match's two
// adjustments: where the strap sits and what the capacitor is. The impedance measured at the
// design frequency is read against the model of the match with its strap moved in and out:
// the strap where the model's resistance is the measured one, and the capacitor that leaves
// the measured reactance there.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "analysis/trim_advice.h"
#include "analysis/tuner.h"

namespace zeva::analysis {

// The strap is looked for within ± this fraction of its designed distance from the centre,
// in steps of kStrapStep: a measurement beyond it is no strap out of place.
inline constexpr double kStrapReach = 0.3;
inline constexpr double kStrapStep = 0.05;
// A capacitor read as further than this factor from the designed one is no capacitor as
// designed.
inline constexpr double kCapacitorReach = 3;

struct RodAdvice {
    MeasuredFigures measured;
    bool advised = false;           // the moves below are advised; otherwise `checks` says why
    double strapAsBuilt = 0;        // metres from the element's centre, as the measurement reads
    double capacitanceAsBuilt = 0;  // pF, each capacitor
    double strapMove = 0;           // metres: positive outwards, away from the centre
    double capacitorChange = 0;     // pF, each capacitor: positive for more
    std::vector<std::string> checks;
};

class RodAdvisor final : public Study<RodAdvice> {
public:
    // The antenna as designed, its tuning (which holds the match) and the measurement, taken
    // on the 50-ohm line (through the balun, for a T match).
    RodAdvisor(Antenna antenna, const Tuning& tuning, Measurement measured, Language language);

private:
    void step(const std::vector<DeckResults>& results) override;
    Antenna antenna_;
    RodMatch match_;
    std::vector<double> straps_;
    MeasuredFigures figures_;
};

[[nodiscard]] std::variant<RodAdvice, Failure> adviseRods(const Antenna& antenna,
                                                          const Tuning& tuning,
                                                          const Measurement& measured,
                                                          Runner& runner, Language language);

}  // namespace zeva::analysis
