// SPDX-License-Identifier: MIT
#include "analysis/tubes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/analyser.h"
#include "analysis/geometry.h"

namespace zeva::analysis {
namespace {

constexpr double kPi = std::numbers::pi;
// The half-wave dipole's reactance of radiation, ohms, and the 120 of Schelkunoff's
// impedance: only for the resonance guide, the substitute itself needs ratios alone.
constexpr double kRadiationReactance = 42.5;
constexpr double kImpedanceScale = 120;

// Schelkunoff's average characteristic impedance of a section, over 120 ohms, in the form
// ln(h/a) − 1 (h the element's half length, a the tube's radius). Of the two forms in use, this
// one and the dipole's ln(2h/a) − 1, it is the one that the full-wave reference of stepped
// elements bears out: within 0.4 % of its resonances against 1.3 % (docs/VALIDATION.md).
double impedance(double halfLength, double diameter) {
    return std::log(2 * halfLength / diameter) - 1;
}

// The dipole's own, ln(2h/a) − 1, for the resonance guide.
double dipoleImpedance(double halfLength, double diameter) {
    return std::log(4 * halfLength / diameter) - 1;
}

std::string millimetres(double metres) { return fixed(metres * 1000, 1); }

// The tip between low and high at which the substitute (which grows with the tip) is the
// length wanted, the bracket halved down to a tenth of a micrometre.
template <class Substitute>
double tipFor(const Substitute& withTip, double wanted, double low, double high) {
    while (high - low > 1e-7) {
        const double middle = (low + high) / 2;
        (withTip(middle) < wanted ? low : high) = middle;
    }
    return (low + high) / 2;
}

// Intervals along each tube for Simpson's rule: an even count.
constexpr int kIntervals = 64;

// The voltage and the current (over j) at the feed of a stepped element whose half is given,
// at wavenumber k, for 1 volt at the open tip; with the current and the voltage at every point
// along the half where 'along' asks for them, kIntervals + 1 points a tube, each with its
// tube's diameter and its weight in Simpson's rule (1 4 2 … 4 1 over the tube's intervals).
struct FeedState {
    double voltage = 1;
    double current = 0;
};
struct LinePoint {
    double z;  // distance from the centre
    double current, voltage;
    double diameter, weight;
};
FeedState walkInwards(std::span<const Tube> half, double halfLength, double k,
                      std::vector<LinePoint>* along) {
    FeedState s;
    double outer = halfLength;
    for (auto tube = half.rbegin(); tube != half.rend(); ++tube) {
        const double z = impedance(halfLength, tube->diameter);
        if (along != nullptr) {
            const double h = tube->length / kIntervals;
            for (int i = 0; i <= kIntervals; ++i) {
                const double d = tube->length * i / kIntervals;
                const double simpson = i == 0 || i == kIntervals ? 1 : (i % 2 == 1 ? 4 : 2);
                along->push_back({outer - d,
                                  s.current * std::cos(k * d) + s.voltage / z * std::sin(k * d),
                                  s.voltage * std::cos(k * d) - z * s.current * std::sin(k * d),
                                  tube->diameter, simpson * h / 3});
            }
        }
        const double c = std::cos(k * tube->length);
        const double sn = std::sin(k * tube->length);
        s = {s.voltage * c - z * s.current * sn, s.current * c + s.voltage / z * sn};
        outer -= tube->length;
    }
    return s;
}

// The power radiated by the current along the half (and its mirror), over the square of the
// current at the feed: the far field of each direction summed over the upper half of the
// sphere by the midpoint rule, Simpson's rule along each tube; the wavenumber squared makes
// it a resistance, in units common to every element (the ratio cancels them).
double radiatedOverFeed(std::span<const Tube> half, double halfLength, double k) {
    std::vector<LinePoint> along;
    const FeedState feed = walkInwards(half, halfLength, k, &along);
    constexpr int kDirections = 180;
    double power = 0;
    for (int j = 0; j < kDirections; ++j) {
        const double theta = (j + 0.5) * (kPi / 2) / kDirections;
        const double c = std::cos(theta);
        double field = 0;
        for (const LinePoint& p : along) field += p.weight * p.current * std::cos(k * p.z * c);
        const double s = std::sin(theta);
        power += field * field * s * s * s;
    }
    return k * k * power / (feed.current * feed.current);
}

// The wavenumber at which the stepped element resonates (no voltage at its feed), between
// 0.6 and 1.6 of a uniform element's quarter wave; the bracket halved to a part in 1e12. Any
// 2:1 taper of tubes thin enough for the thin-wire model resonates well inside; NaN where the
// element does not.
double resonantWavenumber(std::span<const Tube> half, double halfLength) {
    double low = 0.6 * kPi / 2 / halfLength;
    double high = 1.6 * kPi / 2 / halfLength;
    const double atLow = walkInwards(half, halfLength, low, nullptr).voltage;
    const double atHigh = walkInwards(half, halfLength, high, nullptr).voltage;
    if (!((atLow > 0) != (atHigh > 0))) return std::numeric_limits<double>::quiet_NaN();
    while (high - low > 1e-12 * high) {
        const double middle = (low + high) / 2;
        const double v = walkInwards(half, halfLength, middle, nullptr).voltage;
        ((v > 0) == (atLow > 0) ? low : high) = middle;
    }
    return (low + high) / 2;
}

// The tubes' diameter averaged over the half, each point weighed by the square of the voltage
// that the stepped line carries there at wavenumber k: the electric energy, by which a
// resonator's perturbation weighs a change of its capacitance. The tips, where the charge is,
// count most.
double diameterByVoltage(std::span<const Tube> half, double halfLength, double k) {
    std::vector<LinePoint> along;
    walkInwards(half, halfLength, k, &along);
    double weight = 0, weighted = 0;
    for (const LinePoint& p : along) {
        weight += p.weight * p.voltage * p.voltage;
        weighted += p.weight * p.voltage * p.voltage * p.diameter;
    }
    return weighted / weight;
}

}  // namespace

double substituteLength(std::span<const Tube> half, double diameter, double frequency) {
    double halfLength = 0;
    for (const Tube& tube : half) halfLength += tube.length;
    if (half.empty() || !(halfLength > 0)) return 0;
    // At the stepped line's resonance its reactance is nought, and so is that of a uniform line
    // a quarter wave long a side, whatever its impedance: Leeson's substitute taken where it no
    // longer depends on the substitute's thickness.
    const double k = resonantWavenumber(half, halfLength);
    const double line = kPi / k;
    // A wire resonates shorter than its line by its thickness: the stepped element as much as
    // the wire of its diameter averaged by the voltage along it, the substitute as much as a
    // wire of its own.
    return line * resonantLength(diameter, frequency) /
           resonantLength(diameterByVoltage(half, halfLength, k), frequency);
}

double resistanceRatio(std::span<const Tube> half) {
    double halfLength = 0;
    for (const Tube& tube : half) halfLength += tube.length;
    if (half.empty() || !(halfLength > 0)) return 1;
    const Tube uniform[] = {{half.front().diameter, halfLength}};
    const double stepped = radiatedOverFeed(half, halfLength, resonantWavenumber(half, halfLength));
    return stepped / radiatedOverFeed(uniform, halfLength, kPi / 2 / halfLength);
}

double resonantLength(double diameter, double frequency) {
    const double k = 2 * kPi * frequency / kSpeedOfLight;
    double half = kPi / 2 / k;
    for (int i = 0; i < 4; ++i) {
        const double z = kImpedanceScale * dipoleImpedance(half, diameter);
        half = std::atan2(z, kRadiationReactance) / k;
    }
    return 2 * half;
}

std::optional<Failure> checkSchedule(const TubeSchedule& schedule, double frequency,
                                     Language language) {
    const auto& tubes = schedule.tubes;
    if (tubes.empty()) return Failure{say(language, "the tube schedule has no tubes")};
    // Figures a workshop could work to: a typing slip of a unit goes far beyond them.
    if (!(schedule.overlap >= kLeastOverlap && schedule.overlap <= kLongestOverlap)) {
        return Failure{say(language, "the tubes' overlap, %1 mm, must lie between %2 and %3 mm",
                           {millimetres(schedule.overlap), millimetres(kLeastOverlap),
                            millimetres(kLongestOverlap)})};
    }
    if (!(schedule.wall >= kThinnestWall && schedule.wall <= kThickestWall)) {
        return Failure{say(
            language, "the tubes' wall, %1 mm, must lie between %2 and %3 mm",
            {millimetres(schedule.wall), millimetres(kThinnestWall), millimetres(kThickestWall)})};
    }
    if (schedule.stock.empty()) return Failure{say(language, "no stock length given")};
    for (const double length : schedule.stock) {
        if (!(length >= kShortestStock && length <= kLongestStock)) {
            return Failure{
                say(language, "a stock length, %1 m, must lie between %2 and %3 m",
                    {fixed(length, 3), shortest(kShortestStock), shortest(kLongestStock)})};
        }
    }
    const auto number = [](std::size_t i) { return std::to_string(i + 1); };
    for (std::size_t i = 0; i < tubes.size(); ++i) {
        if (!(tubes[i].diameter > 2 * schedule.wall)) {
            return Failure{
                say(language, "tube %1 (%2 mm) is no thicker than its two walls (%3 mm)",
                    {number(i), millimetres(tubes[i].diameter), millimetres(2 * schedule.wall)})};
        }
        if (i + 1 < tubes.size() && !(tubes[i].length > schedule.overlap)) {
            return Failure{
                say(language,
                    "tube %1 shows %2 mm, no more than the overlap of the tube inside it (%3 mm)",
                    {number(i), millimetres(tubes[i].length), millimetres(schedule.overlap)})};
        }
        if (i == 0) continue;
        const double inside = tubes[i - 1].diameter - 2 * schedule.wall;
        if (!(tubes[i].diameter <= inside)) {
            return Failure{say(
                language, "tube %1 (%2 mm) does not slide into tube %3, %4 mm inside",
                {number(i), millimetres(tubes[i].diameter), number(i - 1), millimetres(inside)})};
        }
    }
    const double largest = tubes.front().diameter;
    const double smallest = tubes.back().diameter;
    const double wavelength = kSpeedOfLight / frequency;
    if (kPi * largest / wavelength > kMaxCircumference) {
        return Failure{
            say(language,
                "tube 1 (%1 mm) is too thick for the thin-wire model at %2 MHz: its "
                "circumference is above %3 of a wavelength",
                {millimetres(largest), shortest(frequency), shortest(kMaxCircumference)})};
    }
    if (beyondTaper(largest, smallest)) {
        return Failure{say(language,
                           "the tubes taper %1:1, beyond the %2:1 that the stepped-element model "
                           "is checked for",
                           {fixed(largest / smallest, 2), shortest(kMaxTaperRatio)})};
    }
    return std::nullopt;
}

std::variant<std::vector<Tube>, Failure> solveTip(const TubeSchedule& schedule, double length,
                                                  double diameter, double frequency,
                                                  const std::string& element, Language language) {
    const double resonant = resonantLength(diameter, frequency);
    if (std::abs(length / resonant - 1) > kMaxResonanceOffset) {
        return Failure{say(language,
                           "%1: %2 % from half-wave resonance, beyond the %3 % within which the "
                           "stepped-element model holds",
                           {element, fixed(100 * (length / resonant - 1), 1),
                            shortest(100 * kMaxResonanceOffset)})};
    }
    std::vector<Tube> half = schedule.tubes;
    const double longest = *std::max_element(schedule.stock.begin(), schedule.stock.end());
    // The tip is cut with its overlap from one stock length; a lone tube is the centre tube.
    const bool lone = half.size() == 1;
    const double shortestTip = lone ? 0 : schedule.overlap;
    const double longestTip = lone ? longest / 2 : longest - schedule.overlap;
    const auto withTip = [&](double tip) {
        half.back().length = tip;
        return substituteLength(half, diameter, frequency);
    };
    if (withTip(shortestTip) >= length) {
        // How much too long, as the element is measured: its fixed tubes and the shortest tip.
        double fixedLength = 0;
        for (std::size_t i = 0; i + 1 < half.size(); ++i) fixedLength += half[i].length;
        const double over = withTip(shortestTip) - length;
        return Failure{say(language,
                           lone ? N_("%1: the tube is too thick or the element too short to "
                                     "be made of it")
                                : N_("%1: its fixed tubes (%2 mm a side) with the shortest tip, "
                                     "as long as its overlap, already work as %3 mm more than "
                                     "the element"),
                           {element, millimetres(fixedLength), millimetres(over)})};
    }
    if (withTip(longestTip) < length) {
        return Failure{
            say(language,
                "%1: even a tip of %2 mm, the longest that a stock length gives, does "
                "not reach the element; %3 mm short",
                {element, millimetres(longestTip), millimetres(length - withTip(longestTip))})};
    }
    half.back().length = tipFor(withTip, length, shortestTip, longestTip);
    return half;
}

double builtFor(std::span<const Tube> half, double diameter, double frequency, double substitute) {
    std::vector<Tube> tubes(half.begin(), half.end());
    if (tubes.empty()) return substitute;
    const auto withTip = [&](double tip) {
        tubes.back().length = tip;
        return substituteLength(tubes, diameter, frequency);
    };
    if (withTip(0) > substitute) return std::numeric_limits<double>::quiet_NaN();
    // A tip as long as the whole element is more than enough.
    tubes.back().length = tipFor(withTip, substitute, 0, substitute);
    double half_length = 0;
    for (const Tube& tube : tubes) half_length += tube.length;
    return 2 * half_length;
}

std::vector<TubeCut> cutTubes(std::span<const Tube> half, const TubeSchedule& schedule,
                              double correction, bool split) {
    std::vector<TubeCut> cuts;
    double reach = 0;
    for (std::size_t i = 0; i < half.size(); ++i) {
        TubeCut cut;
        cut.diameter = half[i].diameter;
        cut.wall = schedule.wall;
        if (i == 0) {
            // Across the boom, which takes the correction; a split element in two halves.
            cut.exposed = 2 * half[i].length + correction;
            cut.cut = split ? cut.exposed / 2 : cut.exposed;
            cut.pieces = split ? 2 : 1;
            reach = cut.exposed / 2;
        } else {
            cut.exposed = half[i].length;
            cut.overlap = schedule.overlap;
            cut.cut = cut.exposed + cut.overlap;
            cut.pieces = 2;
            reach += cut.exposed;
        }
        cut.reach = reach;
        cuts.push_back(cut);
    }
    return cuts;
}

std::variant<std::vector<StockUse>, Failure> stockList(
    const std::vector<std::vector<TubeCut>>& elements, const std::vector<double>& stock,
    Language language) {
    // Each size with its cuts, largest first.
    std::vector<StockUse> sizes;
    std::vector<std::vector<double>> cuts;
    for (const auto& element : elements) {
        for (const TubeCut& tube : element) {
            auto size = std::find_if(sizes.begin(), sizes.end(), [&](const StockUse& use) {
                return use.diameter == tube.diameter && use.wall == tube.wall;
            });
            if (size == sizes.end()) {
                sizes.push_back({tube.diameter, tube.wall, 0, 0, {}, 0});
                cuts.emplace_back();
                size = sizes.end() - 1;
            }
            const auto index = static_cast<std::size_t>(size - sizes.begin());
            for (int piece = 0; piece < tube.pieces; ++piece) cuts[index].push_back(tube.cut);
            size->pieces += tube.pieces;
            size->total += tube.cut * tube.pieces;
        }
    }
    const double longest = *std::max_element(stock.begin(), stock.end());
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        std::vector<double>& pieces = cuts[s];
        std::sort(pieces.rbegin(), pieces.rend());
        if (pieces.front() > longest) {
            return Failure{say(language,
                               "a %1 mm tube is cut %2 mm long, longer than the longest stock "
                               "length (%3 mm)",
                               {millimetres(sizes[s].diameter), millimetres(pieces.front()),
                                millimetres(longest)})};
        }
        // First fit, longest first, into lengths of the longest stock, a saw's cut between
        // two pieces.
        std::vector<double> used;
        for (const double piece : pieces) {
            auto room = std::find_if(used.begin(), used.end(), [&](double taken) {
                return taken + kSawCut + piece <= longest;
            });
            if (room == used.end()) {
                used.push_back(piece);
            } else {
                *room += kSawCut + piece;
            }
        }
        // Each length then the shortest stock that holds what it took.
        sizes[s].lengths.assign(stock.size(), 0);
        for (const double taken : used) {
            std::size_t best = 0;
            for (std::size_t i = 0; i < stock.size(); ++i) {
                if (stock[i] >= taken && (stock[best] < taken || stock[i] < stock[best])) best = i;
            }
            ++sizes[s].lengths[best];
            sizes[s].offcut += stock[best] - taken;
        }
    }
    std::stable_sort(sizes.begin(), sizes.end(),
                     [](const StockUse& a, const StockUse& b) { return a.diameter > b.diameter; });
    return sizes;
}

}  // namespace zeva::analysis
