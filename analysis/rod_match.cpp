// SPDX-License-Identifier: MIT
#include "analysis/rod_match.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace zeva::analysis {
namespace {

int atLeastOne(double count) { return std::max(1, static_cast<int>(std::lround(count))); }

}  // namespace

double parallelWireError(double spacing, double a, double b) {
    const double exact = std::acosh((spacing * spacing - a * a - b * b) / (2 * a * b));
    const double thin = std::log(spacing * spacing / (a * b));
    return thin / exact - 1;
}

double leastRodSpacing(double a, double b) {
    // The error falls as the wires part: halve the interval between touching and far apart.
    double low = (a + b) * (1 + 1e-9), high = 100 * (a + b);
    for (int i = 0; i < 100; ++i) {
        const double middle = (low + high) / 2;
        (parallelWireError(middle, a, b) > kParallelWireError ? low : high) = middle;
    }
    return high;
}

std::optional<Failure> checkRods(double rodDiameter, double spacing, double elementDiameter,
                                 double elementLength, Language language) {
    const auto mm = [](double metres) { return fixed(metres * 1000, 1); };
    if (!(rodDiameter > 0) || !std::isfinite(rodDiameter)) {
        return Failure{say(language, "the match's rod must be thicker than nothing")};
    }
    if (rodDiameter > elementDiameter) {
        return Failure{say(language,
                           "the match's rod (%1 mm) must not be thicker than the driven element "
                           "(%2 mm)",
                           {mm(rodDiameter), mm(elementDiameter)})};
    }
    if (!(spacing > (rodDiameter + elementDiameter) / 2) || !std::isfinite(spacing)) {
        return Failure{say(language,
                           "the match's rod touches the driven element: a spacing of %1 mm, "
                           "centre to centre, for a rod of %2 mm beside an element of %3 mm",
                           {mm(spacing), mm(rodDiameter), mm(elementDiameter)})};
    }
    const double least = leastRodSpacing(rodDiameter / 2, elementDiameter / 2);
    if (spacing < least) {
        return Failure{say(language,
                           "the match's rod is too close to the driven element for the model: "
                           "%1 mm centre to centre, and two wires this thick need at least %2 mm",
                           {mm(spacing), mm(least)})};
    }
    if (spacing >= elementLength / 4) {
        return Failure{say(language,
                           "the match's rod is %1 mm from the driven element, which is only %2 mm "
                           "long: no match",
                           {mm(spacing), mm(elementLength)})};
    }
    return std::nullopt;
}

RodSegments rodSegments(const Antenna& antenna, const std::vector<int>& segments,
                        const RodShape& shape) {
    const Element& driven = antenna.elements[antenna.driven];
    const double step = driven.length / segments[antenna.driven];
    RodSegments parts;
    parts.outer = atLeastOne((driven.length / 2 - shape.strap) / step);
    if (!shape.balanced) {
        parts.inner = atLeastOne(shape.strap / step);
        return parts;
    }
    parts.inner = atLeastOne(2 * shape.strap / step);
    if (parts.inner % 2 == 0) ++parts.inner;
    return parts;
}

nec::Deck rodStructure(const Antenna& antenna, const std::vector<int>& segments,
                       const RodShape& shape, RodSegments parts) {
    nec::Deck deck;
    const Element& driven = antenna.elements[antenna.driven];
    const double half = driven.length / 2;
    const double step = driven.length / segments[antenna.driven];
    const double x = driven.position;
    const double rodX = x + shape.spacing;  // towards the directors
    const double elementRadius = driven.diameter / 2;
    const double rodRadius = shape.rodDiameter / 2;
    const int across = atLeastOne(shape.spacing / step);
    const auto wire = [&deck](int count, nec::Point a, nec::Point b, double radius) {
        deck.wires.push_back({count, a, b, radius});
    };
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        if (i == antenna.driven) continue;
        const Element& e = antenna.elements[i];
        wire(segments[i], {e.position, -e.length / 2, 0}, {e.position, e.length / 2, 0},
             e.diameter / 2);
    }
    const double s = shape.strap;
    const int inner = parts.inner;
    const int outer = parts.outer;
    if (shape.balanced) {
        // The element in three, the rod across the middle part, a strap at each end of it.
        wire(outer, {x, -half, 0}, {x, -s, 0}, elementRadius);
        wire(inner, {x, -s, 0}, {x, s, 0}, elementRadius);
        wire(outer, {x, s, 0}, {x, half, 0}, elementRadius);
        const int rod = static_cast<int>(deck.wires.size());
        wire(inner, {rodX, -s, 0}, {rodX, s, 0}, rodRadius);
        wire(across, {x, -s, 0}, {rodX, -s, 0}, rodRadius);
        wire(across, {x, s, 0}, {rodX, s, 0}, rodRadius);
        deck.source.at = {rod, (inner - 1) / 2};
    } else {
        // The element cut at its centre and at the strap; the feed runs from the centre to
        // the rod's inner end, the strap from the rod's outer end back to the element.
        wire(atLeastOne(half / step), {x, -half, 0}, {x, 0, 0}, elementRadius);
        wire(inner, {x, 0, 0}, {x, s, 0}, elementRadius);
        wire(outer, {x, s, 0}, {x, half, 0}, elementRadius);
        // The feed is one segment, the source across the whole gap from the element to the
        // rod as the capacitor's box spans it: so modelled the port converges as the segments
        // shorten (within 1 % from λ/200 to λ/800), where a source on one short segment of a
        // cut-up feed wire settles some 10 % lower.
        const int feed = static_cast<int>(deck.wires.size());
        wire(1, {x, 0, 0}, {rodX, 0, 0}, rodRadius);
        wire(inner, {rodX, 0, 0}, {rodX, s, 0}, rodRadius);
        wire(across, {rodX, s, 0}, {x, s, 0}, rodRadius);
        deck.source.at = {feed, 0};
    }
    deck.extendedKernel = true;
    return deck;
}

std::complex<double> lineModelPort(const RodShape& shape, double elementDiameter,
                                   std::complex<double> element, double frequency) {
    const double a = shape.rodDiameter / 2, b = elementDiameter / 2, d = shape.spacing;
    const double lineOhms = 60 * std::acosh((d * d - a * a - b * b) / (2 * a * b));
    const double share = 1 + std::log(d / a) / std::log(d / b);
    const double k = 2 * std::numbers::pi * frequency / kSpeedOfLight;
    const std::complex<double> stubs{0, 2 * lineOhms * std::tan(k * shape.strap)};
    const std::complex<double> stepped = share * share * element;
    const std::complex<double> tee = stubs * stepped / (stubs + stepped);
    return shape.balanced ? tee : tee / 2.0;
}

std::optional<double> lineModelStrap(RodShape shape, double elementDiameter, double halfLength,
                                     std::complex<double> element, double frequency,
                                     double target) {
    const double quarterWave = kSpeedOfLight / frequency / 4;
    const double furthest = std::min(halfLength, 0.99 * quarterWave);
    const auto miss = [&](double strap) {
        shape.strap = strap;
        return lineModelPort(shape, elementDiameter, element, frequency).real() - target;
    };
    // Out from the centre in small steps to the first crossing, then halve the step across it.
    constexpr int kSteps = 200;
    double low = 0;
    for (int i = 1; i <= kSteps; ++i) {
        const double high = furthest * i / kSteps;
        if (miss(high) < 0) {
            low = high;
            continue;
        }
        double lo = low, hi = high;
        for (int j = 0; j < 60; ++j) {
            const double middle = (lo + hi) / 2;
            (miss(middle) < 0 ? lo : hi) = middle;
        }
        return (lo + hi) / 2;
    }
    return std::nullopt;
}

double capacitorReactance(double capacitance, double frequency) {
    return 1e6 / (2 * std::numbers::pi * frequency * capacitance);
}

// 1/(ωC) = X and C = 1/(ωX): one expression serves both ways.
double seriesCapacitance(double reactance, double frequency) {
    return capacitorReactance(reactance, frequency);
}

double nearestStandardCapacitance(double capacitance) {
    static constexpr std::array<double, 12> kE12{1.0, 1.2, 1.5, 1.8, 2.2, 2.7,
                                                 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
    const double decade = std::pow(10.0, std::floor(std::log10(capacitance)));
    double best = 10 * decade;
    for (const double mantissa : kE12) {
        const double value = mantissa * decade;
        if (std::fabs(std::log(value / capacitance)) < std::fabs(std::log(best / capacitance))) {
            best = value;
        }
    }
    return best;
}

}  // namespace zeva::analysis
