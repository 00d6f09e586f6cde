// SPDX-License-Identifier: MIT
// The order of a NEC-2 run for one frequency, as nec2c's main() takes it: scale the
// segments, fill and factor the matrix, apply the source (etmns()), solve with the
// network, find the currents, and compute the pattern cuts (rdpat()).
#include "nec/engine.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

#include "nec/basis.h"
#include "nec/matrix.h"
#include "nec/network.h"
#include "nec/radiation.h"
#include "nec/sommerfeld.h"

namespace zeva::nec {
namespace {

bool finite(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool onTheDeck(const Deck& deck, SegmentRef ref) {
    return ref.wire >= 0 && static_cast<std::size_t>(ref.wire) < deck.wires.size() &&
           ref.segment >= 0 &&
           ref.segment < deck.wires[static_cast<std::size_t>(ref.wire)].segments;
}

// NEC-2's complex relative permittivity, 59.96 = 1 / (2 pi c epsilon0) in its units.
Complex permittivityOf(const Ground& ground, double wlam) {
    return {ground.permittivity, -ground.conductivity * wlam * 59.96};
}

GroundModel groundAt(const Deck& deck, const Segments& s, const SommerfeldGrid* grid) {
    GroundModel g;
    if (!deck.ground) return g;
    g.ksymp = 2;
    g.perfect = deck.ground->perfect;
    if (!g.perfect) {
        const Complex epsc = permittivityOf(*deck.ground, s.wlam);
        g.zrati = 1. / std::sqrt(epsc);
        if (grid != nullptr) {
            g.sommerfeld = grid;
            g.frati = (epsc - 1.) / (epsc + 1.);
            g.segmentCount = s.n;
        }
    }
    return g;
}

// The cut's directions, shared among threads in contiguous runs.
std::vector<PatternPoint> cut(const Segments& s, const SegmentCurrents& c, const GroundModel& g,
                              const PatternCut& p, double inputPower, int threads) {
    struct Direction {
        double theta, phi;
    };
    std::vector<Direction> directions;
    double phi = p.phi0 - p.phiStep;
    for (int kph = 1; kph <= p.phiCount; ++kph) {
        phi += p.phiStep;
        double thet = p.theta0 - p.thetaStep;
        for (int kth = 1; kth <= p.thetaCount; ++kth) {
            thet += p.thetaStep;
            if (g.ksymp == 2 && thet > 90.01) continue;  // below the ground
            directions.push_back({thet, phi});
        }
    }
    std::vector<PatternPoint> points(directions.size());
    const std::vector<RadiatingRun> runs = radiatingRuns(s);
    const auto work = [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) {
            const Direction& d = directions[k];
            const FarField f = farField(s, c, g, runs, d.theta * kDegree, d.phi * kDegree);
            points[k] = {d.theta, d.phi, powerGain(f, s.wlam, inputPower), f.eTheta, f.ePhi};
        }
    };
    const std::size_t parts =
        std::clamp<std::size_t>(static_cast<std::size_t>(threads), 1, directions.size() / 64 + 1);
    inParallel(parts, [&](std::size_t t) {
        work(directions.size() * t / parts, directions.size() * (t + 1) / parts);
    });
    return points;
}

}  // namespace

double powerGain(std::complex<double> eTheta, std::complex<double> ePhi, double frequencyMHz,
                 double inputPower) {
    return powerGain(FarField{eTheta, ePhi}, kNecSpeedOfLight / frequencyMHz, inputPower);
}

std::variant<std::monostate, Error> check(const Deck& deck) {
    if (deck.wires.empty()) return Error{Fault::NoWires};
    std::size_t segments = 0;
    for (std::size_t i = 0; i < deck.wires.size(); ++i) {
        const Wire& w = deck.wires[i];
        const double dx = w.end2.x - w.end1.x, dy = w.end2.y - w.end1.y, dz = w.end2.z - w.end1.z;
        if (w.segments < 1 || !finite(w.end1) || !finite(w.end2) || !std::isfinite(w.radius) ||
            !(w.radius > 0) || !(dx * dx + dy * dy + dz * dz > 0)) {
            return Error{Fault::BadWire, i};
        }
        if (static_cast<std::size_t>(w.segments) > kMaxSegments) return Error{Fault::TooLarge, i};
        segments += static_cast<std::size_t>(w.segments);
        if (segments > kMaxSegments) return Error{Fault::TooLarge, i};
    }
    if (!onTheDeck(deck, deck.source.at) || deck.source.voltage == std::complex<double>{} ||
        !std::isfinite(deck.source.voltage.real()) || !std::isfinite(deck.source.voltage.imag())) {
        return Error{Fault::BadSource};
    }
    if (deck.ground && !deck.ground->perfect &&
        (!(deck.ground->permittivity >= 1) || !(deck.ground->conductivity >= 0) ||
         !std::isfinite(deck.ground->permittivity) || !std::isfinite(deck.ground->conductivity))) {
        return Error{Fault::BadGround};
    }
    for (std::size_t i = 0; i < deck.lines.size(); ++i) {
        const TransmissionLine& l = deck.lines[i];
        const bool finiteShunts = std::isfinite(l.shunt1.real()) &&
                                  std::isfinite(l.shunt1.imag()) &&
                                  std::isfinite(l.shunt2.real()) && std::isfinite(l.shunt2.imag());
        if (!onTheDeck(deck, l.end1) || !onTheDeck(deck, l.end2) || !std::isfinite(l.impedance) ||
            !(l.impedance > 0) || !std::isfinite(l.length) || !finiteShunts) {
            return Error{Fault::BadLine, i};
        }
    }
    // Lines give up the symmetry, so the whole matrix must fit.
    if (!deck.lines.empty() && segments > kMaxUnknowns) return Error{Fault::TooLarge};
    for (std::size_t i = 0; i < deck.steps.size(); ++i) {
        const Step& step = deck.steps[i];
        if (!std::isfinite(step.frequency) || !(step.frequency > 0)) {
            return Error{Fault::BadFrequency, i};
        }
        for (const PatternCut& c : step.cuts) {
            if (c.thetaCount < 1 || c.phiCount < 1 || !std::isfinite(c.theta0) ||
                !std::isfinite(c.phi0) || !std::isfinite(c.thetaStep) ||
                !std::isfinite(c.phiStep)) {
                return Error{Fault::BadCut, i};
            }
            if (static_cast<std::size_t>(c.thetaCount) * static_cast<std::size_t>(c.phiCount) >
                kMaxPatternPoints) {
                return Error{Fault::TooLarge, i};
            }
        }
    }
    return std::monostate{};
}

std::variant<FrequencyResult, Error> solveFrequency(const Deck& deck, std::size_t frequency,
                                                    const Options& options) {
    const auto checked = check(deck);
    if (const auto* error = std::get_if<Error>(&checked)) return *error;
    if (frequency >= deck.steps.size()) return Error{Fault::BadFrequency, frequency};
    const double fmhz = deck.steps[frequency].frequency;
    const Segments s = scaledTo(buildSegments(deck.wires), fmhz);
    std::optional<SommerfeldGrid> grid;
    if (deck.ground && !deck.ground->perfect && deck.ground->sommerfeld) {
        grid = sommerfeldGrid(permittivityOf(*deck.ground, s.wlam));
        if (!grid) return Error{Fault::GroundIntegrals};
    }
    const GroundModel ground = groundAt(deck, s, grid ? &*grid : nullptr);
    const int sourceSegment = s.index(deck.source.at);
    const std::size_t is = static_cast<std::size_t>(sourceSegment);

    std::optional<Unknowns> folded;
    if (options.mirrorSymmetry && deck.lines.empty()) folded = mirrorFold(s, {sourceSegment});
    const Unknowns unknowns = folded ? std::move(*folded) : everySegment(s);
    if (unknowns.count() > kMaxUnknowns) return Error{Fault::TooLarge};

    Matrix m;
    if (!fillMatrix(s, unknowns, ground, deck.extendedKernel, options.threads, options.stop, m,
                    true, options.sampleAcrossWires)) {
        return Error{Fault::Stopped};
    }
    // The applied field of the voltage source, over the segment's length.
    std::vector<Complex> e(static_cast<std::size_t>(s.n));
    e[is] = -deck.source.voltage / (s.si[is] * s.wlam);
    // One source and no lines: one solve, from a single-precision factoring refined, where its
    // copy of the matrix stays small beside the matrix itself.
    const bool refined =
        options.singlePrecision && deck.lines.empty() && unknowns.count() <= kMostRefinedUnknowns;
    std::vector<Complex> b(unknowns.count());
    for (std::size_t r = 0; r < b.size(); ++r) b[r] = e[unknowns.row[r]];
    LuFactors factors;
    switch (refined ? solveRefined(m, b, options.stop) : factor(m, options.stop, factors)) {
        case FactorStatus::Stopped:
            return Error{Fault::Stopped};
        case FactorStatus::Singular:
            return Error{Fault::Singular};
        case FactorStatus::NoBlas:
            return Error{Fault::NoBlas};
        case FactorStatus::NoMemory:
            return Error{Fault::NoMemory};
        case FactorStatus::Done:
            break;
    }

    Complex current;
    SegmentCurrents currents;
    if (deck.lines.empty()) {
        if (!refined) solve(factors, b);
        std::vector<Complex> amplitudes(static_cast<std::size_t>(s.n));
        for (std::size_t i = 0; i < amplitudes.size(); ++i) {
            amplitudes[i] = b[static_cast<std::size_t>(unknowns.of[i])];
        }
        currents = cabc(s, amplitudes);
        current = amplitudes[is] * s.wlam;
    } else {
        SourceSolution solved = solveWithLines(s, factors, deck.lines, deck, std::move(e));
        current = solved.current;
        currents = std::move(solved.currents);
    }
    if (!std::isfinite(current.real()) || !std::isfinite(current.imag()) || current == Complex{}) {
        return Error{Fault::Singular};
    }

    FrequencyResult result;
    result.frequency = fmhz;
    result.hasFeed = true;
    const Complex z = deck.source.voltage / current;
    result.feed = {z.real(), z.imag()};
    result.inputPower = .5 * (deck.source.voltage * std::conj(current)).real();
    for (const PatternCut& c : deck.steps[frequency].cuts) {
        if (options.stop != nullptr && options.stop->load(std::memory_order_relaxed)) {
            return Error{Fault::Stopped};
        }
        result.patterns.push_back(cut(s, currents, ground, c, result.inputPower, options.threads));
    }
    return result;
}

std::variant<std::vector<FrequencyResult>, Error> solve(const Deck& deck, const Options& options) {
    std::vector<FrequencyResult> results;
    for (std::size_t f = 0; f < deck.steps.size(); ++f) {
        auto one = solveFrequency(deck, f, options);
        if (auto* error = std::get_if<Error>(&one)) return *error;
        results.push_back(std::move(std::get<FrequencyResult>(one)));
    }
    return results;
}

}  // namespace zeva::nec
