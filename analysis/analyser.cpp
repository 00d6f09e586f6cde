#include "analysis/analyser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zeva::analysis {
namespace {

// The shortest segment over its radius, for every element at this many segments a wavelength.
double shortestSegmentOverRadius(const Antenna& antenna, int perWavelength) {
    double shortest = INFINITY;
    for (const Element& e : antenna.elements) {
        const int segments = segmentsOf(e, antenna.wavelength(), perWavelength);
        shortest = std::min(shortest, e.length / segments / (e.diameter / 2));
    }
    return shortest;
}

Failure refused(Language language, const std::string& chinese, const std::string& english) {
    return {say(language, "无法分析：", "cannot analyse: ") +
            (language == Language::English ? english : chinese)};
}

}  // namespace

std::optional<Failure> checkLimits(const Antenna& antenna, Language language) {
    if (!(antenna.frequency > 0) || !std::isfinite(antenna.frequency)) {
        return refused(language, "频率必须大于零", "the frequency must be above zero");
    }
    if (antenna.elements.empty() || antenna.driven >= antenna.elements.size()) {
        return refused(language, "没有元件或没有驱动元件", "no elements, or no driven element");
    }
    const double wavelength = antenna.wavelength();
    for (const Element& e : antenna.elements) {
        if (!(e.length > 0) || !(e.diameter > 0) || !std::isfinite(e.length) ||
            !std::isfinite(e.diameter) || !std::isfinite(e.position)) {
            return refused(
                language, "元件“" + e.name + "”的尺寸必须是大于零的有限数",
                "the dimensions of element \"" + e.name + "\" must be finite and above zero");
        }
        const double circumference = std::numbers::pi * e.diameter / wavelength;
        if (circumference > kMaxCircumference) {
            return refused(
                language,
                "元件“" + e.name + "”对细导线模型太粗（周长为波长的 " + fixed(circumference, 3) +
                    "，上限 " + fixed(kMaxCircumference, 1) + "）",
                "element \"" + e.name + "\" is too thick for a thin-wire model (circumference " +
                    fixed(circumference, 3) + " wavelengths, at most " +
                    fixed(kMaxCircumference, 1) + ")");
        }
    }
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        for (std::size_t j = i + 1; j < antenna.elements.size(); ++j) {
            const Element& a = antenna.elements[i];
            const Element& b = antenna.elements[j];
            if (std::fabs(a.position - b.position) < (a.diameter + b.diameter) / 2) {
                return refused(language, "元件“" + a.name + "”和“" + b.name + "”相互重叠",
                               "elements \"" + a.name + "\" and \"" + b.name + "\" overlap");
            }
        }
    }
    return std::nullopt;
}

Analyser::Analyser(Antenna antenna, Language language, int processes)
    : antenna_(std::move(antenna)), language_(language), processes_(std::max(1, processes)) {
    if (auto failure = checkLimits(antenna_, language_)) {
        result_ = std::move(*failure);
        return;
    }
    for (const int level : kLevels) {
        if (shortestSegmentOverRadius(antenna_, level) < kMinSegmentOverRadius) break;
        levels_.push_back(level);
    }
    if (levels_.size() < 2) {
        result_ = refused(language_, "元件太粗，细导线模型无法收敛（分段须长于两倍半径）",
                          "the elements are too thick for the model to converge (segments "
                          "must be longer than two radii)");
        return;
    }
    analysis_.wavelength = antenna_.wavelength();
    // The two coarsest levels cost little and run together; each finer one costs about
    // eight times the one before, so it runs only when needed.
    runLevels(0, 2);
}

void Analyser::runLevels(std::size_t first, std::size_t count) {
    decks_.clear();
    for (std::size_t i = first; i < first + count && i < levels_.size(); ++i) {
        decks_.push_back(patternDeck(antenna_, Segmentation{levels_[i]}));
        nextLevel_ = i + 1;
    }
}

void Analyser::fail(Failure failure) {
    decks_.clear();
    result_ = std::move(failure);
}

void Analyser::accept(const Outputs& outputs) {
    if (finished()) return;
    const auto round = roundTexts(outputs, decks_.size(), language_);
    if (const auto* failure = std::get_if<Failure>(&round)) return fail(*failure);
    const std::vector<std::string>& texts = *std::get<const std::vector<std::string>*>(round);
    if (!sweepFrequencies_.empty()) {
        sweep(texts);
    } else {
        converge(texts);
    }
}

void Analyser::converge(const std::vector<std::string>& outputs) {
    const std::size_t firstLevel = nextLevel_ - outputs.size();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto parsed = parseNecOutput(outputs[i], language_);
        if (const auto* failure = std::get_if<Failure>(&parsed)) return fail(*failure);
        const auto& results = std::get<std::vector<FrequencyResult>>(parsed);
        if (results.size() != 1 || !results[0].hasFeed || results[0].patterns.size() != 2 ||
            results[0].patterns[0].size() < 360 || results[0].patterns[1].size() < 360) {
            return fail({say(language_, "nec2c 的输出缺少阻抗或方向图",
                             "the nec2c output lacks the impedance or the patterns")});
        }
        const int level = levels_[firstLevel + i];
        patterns_.push_back({results[0].patterns[0], results[0].patterns[1]});
        analysis_.convergence.push_back(
            {level, totalSegments(antenna_, level), results[0].feed,
             patternFigures(patterns_.back().first, patterns_.back().second).forwardGain});
    }

    const auto& steps = analysis_.convergence;
    const bool converged =
        steps.size() >= 2 &&
        std::fabs(steps.back().feed.resistance - steps[steps.size() - 2].feed.resistance) <
            kConvergedOhms &&
        std::fabs(steps.back().feed.reactance - steps[steps.size() - 2].feed.reactance) <
            kConvergedOhms &&
        std::fabs(steps.back().gain - steps[steps.size() - 2].gain) < kConvergedGain;
    if (!converged) {
        if (nextLevel_ < levels_.size()) return runLevels(nextLevel_, 1);
        if (levels_.size() < std::size(kLevels)) {
            return fail(
                refused(language_,
                        "在分段仍长于两倍半径时结果未能收敛（已用每波长 " +
                            std::to_string(levels_.back()) + " 段）",
                        "the figures do not converge while segments stay longer than two radii (" +
                            std::to_string(levels_.back()) + " segments a wavelength tried)"));
        }
        return fail(refused(language_,
                            "每波长 " + std::to_string(levels_.back()) + " 段时结果仍未收敛",
                            "the figures do not converge within " + std::to_string(levels_.back()) +
                                " segments a wavelength"));
    }

    // The segmentation found is the coarser of the pair: doubling it changes nothing that
    // matters. Every figure, the sweep included, comes from that one segmentation.
    const ConvergenceStep& found = steps[steps.size() - 2];
    auto& [ePlane, hPlane] = patterns_[steps.size() - 2];
    analysis_.segmentation = Segmentation{found.perWavelength};
    analysis_.segments = found.segments;
    analysis_.feed = found.feed;
    analysis_.swr = swrAgainst50(analysis_.feed);
    analysis_.pattern = patternFigures(ePlane, hPlane);
    analysis_.gainDbd = analysis_.pattern.forwardGain - kDipoleGain;
    analysis_.stackingSideBySide =
        stackingDistance(analysis_.wavelength, analysis_.pattern.beamwidthE);
    analysis_.stackingAbove = stackingDistance(analysis_.wavelength, analysis_.pattern.beamwidthH);
    analysis_.ePlane = std::move(ePlane);
    analysis_.hPlane = std::move(hPlane);
    if (analysis_.pattern.strongestAngle > kMaxBeamOffset) {
        return fail(refused(language_,
                            "这不是一副定向天线：最强的波瓣偏离引向器方向 " +
                                fixed(analysis_.pattern.strongestAngle, 0) + " 度",
                            "this is not a beam: the strongest lobe points " +
                                fixed(analysis_.pattern.strongestAngle, 0) +
                                " degrees away from the directors"));
    }

    // The sweep at the segmentation found, shared among the processes in order; the design
    // frequency, the middle step, is the converged run itself.
    for (int step = 0; step < kSweepSteps; ++step) {
        if (step != kSweepSteps / 2)
            sweepFrequencies_.push_back(sweepFrequency(antenna_.frequency, step));
    }
    decks_.clear();
    const std::size_t parts = static_cast<std::size_t>(processes_);
    for (std::size_t part = 0; part < parts; ++part) {
        const std::size_t begin = sweepFrequencies_.size() * part / parts;
        const std::size_t end = sweepFrequencies_.size() * (part + 1) / parts;
        if (begin == end) continue;
        decks_.push_back(sweepDeck(antenna_, analysis_.segmentation,
                                   {sweepFrequencies_.begin() + static_cast<long>(begin),
                                    sweepFrequencies_.begin() + static_cast<long>(end)}));
    }
}

void Analyser::sweep(const std::vector<std::string>& outputs) {
    std::vector<FrequencyResult> results;
    for (const std::string& output : outputs) {
        const auto parsed = parseNecOutput(output, language_);
        if (const auto* failure = std::get_if<Failure>(&parsed)) return fail(*failure);
        const auto& part = std::get<std::vector<FrequencyResult>>(parsed);
        results.insert(results.end(), part.begin(), part.end());
    }
    if (results.size() != sweepFrequencies_.size()) {
        return fail(
            {say(language_, "nec2c 的输出缺少扫描的频率", "the nec2c output lacks sweep steps")});
    }
    analysis_.sweep.clear();
    for (std::size_t i = 0; i < results.size(); ++i) {
        const FrequencyResult& r = results[i];
        if (!r.hasFeed || r.patterns.size() != 1 || r.patterns[0].size() != 2) {
            return fail({say(language_, "nec2c 的扫描输出不完整",
                             "an incomplete sweep step in the nec2c output")});
        }
        if (i == static_cast<std::size_t>(kSweepSteps / 2)) {
            analysis_.sweep.push_back({antenna_.frequency, analysis_.feed, analysis_.swr,
                                       analysis_.pattern.forwardGain,
                                       analysis_.pattern.frontToBack});
        }
        const double forward = r.patterns[0][0].gain;
        const double back = r.patterns[0][1].gain;
        analysis_.sweep.push_back(
            {sweepFrequencies_[i], r.feed, swrAgainst50(r.feed), forward, forward - back});
    }
    decks_.clear();
    result_ = analysis_;
}

std::variant<Analysis, Failure> analyse(const Antenna& antenna, Runner& runner, Language language,
                                        int processes) {
    Analyser analyser(antenna, language, processes);
    drive(analyser, runner);
    return analyser.result();
}

}  // namespace zeva::analysis
