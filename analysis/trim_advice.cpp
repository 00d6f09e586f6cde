// SPDX-License-Identifier: MIT
#include "analysis/trim_advice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zeva::analysis {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;
// Behind a match, the element counts as off where the best line leaves this SWR or more.
constexpr double kElementOffSwr = kMatchedSwr;
// The coaxial transformer's electrical length tried, degrees, in steps of this much.
constexpr double kCableLow = 60, kCableHigh = 120, kCableStep = 0.1;
// A cable or an element counts as off beyond these.
constexpr double kCableOffDegrees = 2;
constexpr double kElementOffFraction = 0.002;
// A hairpin's line read as off by more than this fraction is no hairpin as designed.
constexpr double kMostLineChange = 0.5;
// The cable and the element are fitted together over at least this many measured steps.
constexpr std::size_t kLeastCoaxSteps = 3;

double swrOf(Complex z) { return swrAgainst50({z.real(), z.imag()}); }

// The model's feed at the design frequency against the driven element's length: the solved
// lengths, linear between them.
struct Curve {
    std::vector<double> lengths;
    std::vector<Complex> feeds;

    [[nodiscard]] Complex at(double length) const {
        const auto upper = std::upper_bound(lengths.begin(), lengths.end(), length);
        std::size_t i = static_cast<std::size_t>(upper - lengths.begin());
        i = std::clamp<std::size_t>(i, 1, lengths.size() - 1);
        const double t = (length - lengths[i - 1]) / (lengths[i] - lengths[i - 1]);
        return feeds[i - 1] + t * (feeds[i] - feeds[i - 1]);
    }
    // The length where some part of the feed, as `part` reads it, reaches a value; nothing
    // where the curve does not reach it.
    template <typename Part>
    [[nodiscard]] std::optional<double> lengthWhere(Part part, double value) const {
        for (std::size_t i = 1; i < lengths.size(); ++i) {
            const double a = part(feeds[i - 1]) - value;
            const double b = part(feeds[i]) - value;
            if (a == 0) return lengths[i - 1];
            if ((a < 0) != (b < 0) || b == 0) {
                return lengths[i - 1] + a / (a - b) * (lengths[i] - lengths[i - 1]);
            }
        }
        return std::nullopt;
    }
};

double reactanceOf(Complex z) { return z.imag(); }

// The length of a shorted air line with this positive reactance at f MHz.
double stubLength(double reactance, double z0, double frequency) {
    return std::atan(reactance / z0) * kSpeedOfLight / frequency / (2 * kPi);
}

std::string checkList(Feed feed, Language language) {
    std::string list = say(language,
                           "check the boom correction (elements through the boom cut to the "
                           "corrected length), the feed point's connections, and the directors' "
                           "and reflector's lengths and positions");
    if (feed == Feed::Coax) {
        list += say(language, ", and the transformer cable's impedance and velocity factor");
    }
    if (feed == Feed::Hairpin) {
        list += say(language, ", and the hairpin's spacing and its shorting bar");
    }
    return list;
}

}  // namespace

std::variant<MeasuredFigures, Failure> measuredFigures(const Measurement& measured,
                                                       double designFrequency, Language language) {
    const std::vector<MeasuredPoint>& p = measured.points;
    if (p.size() < 2 || designFrequency < p.front().frequency ||
        designFrequency > p.back().frequency) {
        const std::string range =
            p.empty() ? std::string("-")
                      : fixed(p.front().frequency, 3) + "–" + fixed(p.back().frequency, 3) + " MHz";
        return Failure{say(language,
                           "the measurement's range %1 does not hold the design frequency %2 MHz",
                           {range, fixed(designFrequency, 3)})};
    }
    MeasuredFigures f;
    std::size_t least = 0;
    for (std::size_t i = 1; i < p.size(); ++i) {
        if (swrOf(p[i].impedance) < swrOf(p[least].impedance)) least = i;
    }
    f.leastSwr = swrOf(p[least].impedance);
    f.leastSwrFrequency = p[least].frequency;
    if (least > 0 && least + 1 < p.size()) {
        // The vertex of the parabola through the least step and its neighbours.
        const double x0 = p[least - 1].frequency, x1 = p[least].frequency,
                     x2 = p[least + 1].frequency;
        const double y0 = swrOf(p[least - 1].impedance), y1 = f.leastSwr,
                     y2 = swrOf(p[least + 1].impedance);
        const double d = (x0 - x1) * (x0 - x2) * (x1 - x2);
        const double a = (x2 * (y1 - y0) + x1 * (y0 - y2) + x0 * (y2 - y1)) / d;
        const double b = (x2 * x2 * (y0 - y1) + x1 * x1 * (y2 - y0) + x0 * x0 * (y1 - y2)) / d;
        if (a > 0) {
            const double vertex = -b / (2 * a);
            if (vertex > x0 && vertex < x2) {
                f.leastSwrFrequency = vertex;
                f.leastSwr = std::max(1.0, y1 - a * (x1 - vertex) * (x1 - vertex));
            }
        }
    }
    for (std::size_t i = 1; i < p.size(); ++i) {
        const double a = p[i - 1].impedance.imag();
        const double b = p[i].impedance.imag();
        if ((a < 0) == (b < 0)) continue;
        const double crossing =
            p[i - 1].frequency + a / (a - b) * (p[i].frequency - p[i - 1].frequency);
        if (!f.resonance ||
            std::fabs(crossing - designFrequency) < std::fabs(*f.resonance - designFrequency)) {
            f.resonance = crossing;
        }
    }
    for (std::size_t i = 1; i < p.size(); ++i) {
        if (p[i].frequency < designFrequency) continue;
        const double t =
            (designFrequency - p[i - 1].frequency) / (p[i].frequency - p[i - 1].frequency);
        f.atDesign = p[i - 1].impedance + t * (p[i].impedance - p[i - 1].impedance);
        break;
    }
    return f;
}

TrimAdvisor::TrimAdvisor(Antenna antenna, const Analysis& analysis, const Tuning& tuning, Feed feed,
                         Measurement measured, Language language)
    : Study(language),
      antenna_(std::move(antenna)),
      tuning_(tuning),
      feed_(feed),
      measured_(std::move(measured)) {
    if (feed_ == Feed::Hairpin && !tuning_.hairpin) {
        result_ = Failure{
            say(language_, "no hairpin match was designed to read the measurement through")};
        return;
    }
    if (feed_ == Feed::Coax && !tuning_.coax) {
        result_ = Failure{say(language_,
                              "no coaxial transformer was designed to read the measurement "
                              "through")};
        return;
    }
    auto figures = measuredFigures(measured_, antenna_.frequency, language_);
    if (const auto* failure = std::get_if<Failure>(&figures)) {
        result_ = *failure;
        return;
    }
    figures_ = std::get<MeasuredFigures>(figures);
    built_ = feed_ == Feed::Hairpin ? tuning_.hairpin->elementLength : tuning_.trim.length;
    const std::vector<int> segments = segmentCounts(antenna_, analysis.solvedAt);
    const int steps = static_cast<int>(std::lround(kTrimRange / kTrimStep));
    for (int k = -steps; k <= steps; ++k) {
        const double length = built_ * (1 + k * kTrimStep);
        Antenna a = antenna_;
        a.elements[a.driven].length = length;
        nec::Deck deck = structureWith(a, segments);
        deck.steps = {{antenna_.frequency, {}}};
        decks_.push_back(std::move(deck));
        lengths_.push_back(length);
    }
    sweepDeck_ = decks_.size();
    if (feed_ != Feed::Coax) return;
    // The element as cut at the measured steps near the design frequency.
    const double f0 = antenna_.frequency;
    std::vector<const MeasuredPoint*> near;
    for (const MeasuredPoint& p : measured_.points) {
        if (std::fabs(p.frequency - f0) <= kCoaxFitBand * f0) near.push_back(&p);
    }
    for (std::size_t i = 0; i < std::min(near.size(), kCoaxFitSteps); ++i) {
        fitted_.push_back(near[i * near.size() / std::min(near.size(), kCoaxFitSteps)]);
    }
    Antenna cut = antenna_;
    cut.elements[cut.driven].length = built_;
    nec::Deck deck = structureWith(cut, segments);
    for (const MeasuredPoint* p : fitted_) deck.steps.push_back({p->frequency, {}});
    decks_.push_back(std::move(deck));
}

void TrimAdvisor::step(const std::vector<DeckResults>& solved) {
    decks_.clear();  // one round
    Curve curve;
    curve.lengths = lengths_;
    const auto feedOf = [](const FrequencyResult& r) {
        return Complex(r.feed.resistance, r.feed.reactance);
    };
    for (std::size_t i = 0; i < solved.size(); ++i) {
        const std::size_t expected = i == sweepDeck_ ? fitted_.size() : 1;
        if (solved[i].size() != expected ||
            !std::all_of(solved[i].begin(), solved[i].end(),
                         [](const FrequencyResult& r) { return r.hasFeed; })) {
            result_ = Failure{say(language_, "incomplete NEC-2 results")};
            return;
        }
        if (i != sweepDeck_) curve.feeds.push_back(feedOf(solved[i][0]));
    }

    TrimAdvice advice;
    advice.feed = feed_;
    advice.measured = figures_;
    const Complex measured = figures_.atDesign;
    const double f0 = antenna_.frequency;
    const auto refuse = [&](const std::string& why) {
        advice.advised = false;
        advice.checks.push_back(why);
        advice.checks.push_back(checkList(feed_, language_));
        result_ = advice;
    };
    // The least SWR the antenna as designed reaches, with a margin: beyond it no trim helps.
    const double designedSwr = feed_ == Feed::Hairpin ? tuning_.hairpin->swr
                               : feed_ == Feed::Coax  ? tuning_.coax->swr
                                                      : tuning_.trim.swr;
    const double worstTrimmable = std::max(kTrimmableSwr, designedSwr + 0.5);
    if (!(figures_.leastSwr <= worstTrimmable)) {
        return refuse(say(language_,
                          "the least SWR measured, %1, is above %2: more than a trim explains",
                          {fixed(figures_.leastSwr, 2), fixed(worstTrimmable, 2)}));
    }

    if (feed_ == Feed::Direct) {
        // A resonance far from the design frequency is more than a trim. No resonance at all
        // says nothing by itself: a beam's feed may stay reactive across the measurement, and
        // the model's curve below tells whether a trim explains it.
        if (figures_.resonance && std::fabs(*figures_.resonance - f0) > kTrimmableOffset * f0) {
            return refuse(say(language_,
                              "the measured resonance, %1 MHz, is more than %2 % from the "
                              "design frequency",
                              {fixed(*figures_.resonance, 3), shortest(kTrimmableOffset * 100)}));
        }
        const auto asBuilt = curve.lengthWhere(reactanceOf, measured.imag());
        const auto resonant = curve.lengthWhere(reactanceOf, 0.0);
        if (!asBuilt || !resonant) {
            return refuse(say(language_,
                              "the measured reactance is beyond what ±%1 % of the driven element's "
                              "length explains",
                              {shortest(kTrimRange * 100)}));
        }
        advice.model = curve.at(*asBuilt);
        advice.drivenChange = *resonant - *asBuilt;
    } else if (feed_ == Feed::Hairpin) {
        const HairpinMatch& h = *tuning_.hairpin;
        const Complex admittance = 1.0 / measured;
        // The element whose conductance the measurement shows: the line adds none.
        const auto asBuilt =
            curve.lengthWhere([](Complex z) { return (1.0 / z).real(); }, admittance.real());
        if (!asBuilt) {
            return refuse(say(language_,
                              "the measured conductance is beyond what ±%1 % of the driven "
                              "element's length explains",
                              {shortest(kTrimRange * 100)}));
        }
        const Complex element = curve.at(*asBuilt);
        advice.model = element;
        const double lineSusceptance = (admittance - 1.0 / element).imag();
        if (!(lineSusceptance < 0)) {
            return refuse(say(language_,
                              "the measured hairpin is no inductance: longer than a quarter "
                              "wave, or not connected"));
        }
        const double lineNow = stubLength(-1 / lineSusceptance, h.stubImpedance, f0);
        const double wanted = (1.0 / element).imag();  // cancelled by the line's susceptance
        const double matchedSwr = swrOf(1.0 / (1.0 / element).real());
        advice.elementOff = !(wanted > 0) || matchedSwr >= kElementOffSwr;
        advice.drivenChange = h.elementLength - *asBuilt;
        advice.lineChange = advice.elementOff
                                ? h.stubLength - lineNow
                                : stubLength(1 / wanted, h.stubImpedance, f0) - lineNow;
        if (std::fabs(*advice.lineChange) > kMostLineChange * h.stubLength) {
            return refuse(say(language_,
                              "the measured hairpin differs from the designed one by more than "
                              "half: is the measurement of this hairpin-matched antenna?"));
        }
    } else {
        const CoaxMatch& c = *tuning_.coax;
        const double z0 = c.cable.impedance;
        if (fitted_.size() < kLeastCoaxSteps) {
            return refuse(say(language_,
                              "fewer than %1 measured steps near the design frequency: the cable "
                              "and the element cannot be told apart",
                              {std::to_string(kLeastCoaxSteps)}));
        }
        // The element at another length moves its feed at every frequency by what it moves
        // it at the design frequency.
        const std::vector<FrequencyResult>& cutSweep = solved[sweepDeck_];
        const Complex cutFeed = curve.at(built_);
        const auto miss = [&](double degrees, double length) {
            const Complex offset = curve.at(length) - cutFeed;
            double sum = 0;
            for (std::size_t i = 0; i < fitted_.size(); ++i) {
                const MeasuredPoint& p = *fitted_[i];
                const Complex element = feedOf(cutSweep[i]) + offset;
                const Complex t(0, std::tan(degrees * kPi / 180 * p.frequency / f0));
                sum += std::norm(z0 * (element + z0 * t) / (z0 + element * t) - p.impedance);
            }
            return sum;
        };
        double best = std::numeric_limits<double>::infinity();
        double bestDegrees = 90;
        double bestLength = built_;
        // A coarse grid over everything, then a fine one around its best.
        const auto search = [&](double lowDegrees, double highDegrees, double degreeStep,
                                double shortest, double longest, double lengthStep) {
            for (double degrees = lowDegrees; degrees <= highDegrees; degrees += degreeStep) {
                for (double length = shortest; length <= longest; length += lengthStep) {
                    const double m = miss(degrees, length);
                    if (m < best) {
                        best = m;
                        bestDegrees = degrees;
                        bestLength = length;
                    }
                }
            }
        };
        const double coarse = built_ * kTrimStep / 5;
        search(kCableLow, kCableHigh, 1, lengths_.front(), lengths_.back(), coarse);
        search(std::max(kCableLow, bestDegrees - 1), std::min(kCableHigh, bestDegrees + 1),
               kCableStep, std::max(lengths_.front(), bestLength - coarse),
               std::min(lengths_.back(), bestLength + coarse), coarse / 20);
        const auto resonant = curve.lengthWhere(reactanceOf, 0.0);
        const double rms = std::sqrt(best / static_cast<double>(fitted_.size()));
        const bool atTheEdge = bestDegrees <= kCableLow + 1 || bestDegrees >= kCableHigh - 1;
        if (!resonant || atTheEdge || rms > kTrimmableResistance * curve.at(bestLength).real()) {
            return refuse(
                say(language_, "the measurement fits no element behind a quarter-wave cable"));
        }
        advice.model = curve.at(bestLength);
        advice.drivenChange = *resonant - bestLength;
        advice.elementOff = std::fabs(advice.drivenChange) > kElementOffFraction * built_;
        advice.lineChange = std::fabs(90 - bestDegrees) > kCableOffDegrees
                                ? c.length * (1 - bestDegrees / 90)
                                : 0.0;
    }
    // The resistance: where it is far from the model's, the antenna differs from the model
    // in more than the driven element's length.
    const double modelR = advice.model.real();
    if (feed_ == Feed::Direct &&
        std::fabs(measured.real() - modelR) > kTrimmableResistance * modelR) {
        return refuse(say(language_,
                          "the measured resistance, %1 ohms, is far from the model's %2 ohms",
                          {fixed(measured.real(), 1), fixed(modelR, 1)}));
    }
    advice.advised = true;
    result_ = advice;
}

std::variant<TrimAdvice, Failure> adviseTrim(const Antenna& antenna, const Analysis& analysis,
                                             const Tuning& tuning, Feed feed,
                                             const Measurement& measured, Runner& runner,
                                             Language language) {
    TrimAdvisor advisor(antenna, analysis, tuning, feed, measured, language);
    drive(advisor, runner);
    return advisor.result();
}

}  // namespace zeva::analysis
