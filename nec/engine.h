// SPDX-License-Identifier: MIT
// NEC-2 in process: a deck in, for each of its frequencies the feed impedance, the input
// power and the pattern cuts out. Re-entrant and thread-safe (no state outside the call),
// errors returned as values, a stop flag seen within a fraction of a second, and the
// problem's size checked before anything large is allocated.
#pragma once

#include <atomic>
#include <complex>
#include <cstddef>
#include <functional>
#include <variant>
#include <vector>

#include "nec/deck.h"

namespace zeva::nec {

// The largest problems solved: the matrix of this many unknowns takes 256 MiB.
inline constexpr std::size_t kMaxUnknowns = 4000;
// Up to this many unknowns a matrix is factored in single precision and its solution refined
// (a copy of 32 MiB at most); larger ones are factored in double.
inline constexpr std::size_t kMostRefinedUnknowns = 2000;
inline constexpr std::size_t kMaxSegments = 2 * kMaxUnknowns;
inline constexpr std::size_t kMaxPatternPoints = 200000;

enum class Fault {
    NoWires,
    BadWire,          // a wire with no segments, no length, no radius or a figure not finite
    BadSource,        // the source on no segment of the deck, or of no voltage
    BadGround,        // a real ground of no permittivity or a negative conductivity
    GroundIntegrals,  // Sommerfeld's integrals of the ground do not converge
    BadLine,          // a line on no segment, or of no positive impedance (a crossed line)
    BadFrequency,     // a step without a finite frequency above zero
    BadCut,           // a pattern cut with no points or a figure not finite
    TooLarge,         // beyond the limits above
    Singular,         // the matrix cannot be solved
    Stopped,          // the stop flag was raised
    NoBlas,           // OpenBLAS could not be loaded
    NoMemory,         // an allocation failed
};

struct Error {
    Fault fault;
    std::size_t index = 0;  // the wire, line or step at fault
};

struct Options {
    int threads = 1;  // for the matrix fill of one frequency
    const std::atomic<bool>* stop = nullptr;
    bool mirrorSymmetry = true;  // fold the matrix where the structure allows
    // Sample the field between parallel wires and interpolate it (fillMatrix's acrossWires):
    // figures within about a part in 10^8 of the pair-by-pair fill's.
    bool sampleAcrossWires = true;
    // Factor a single source's matrix in single precision and refine its solution (solveRefined):
    // the double factoring's solution to its rounding.
    bool singlePrecision = true;
};

// The deck's faults that need no solving; nothing if it can be solved.
[[nodiscard]] std::variant<std::monostate, Error> check(const Deck& deck);

// Runs part(0) .. part(parts - 1) at once, the first on the calling thread; an exception on
// any of them is thrown again on the calling thread once all have ended.
void inParallel(std::size_t parts, const std::function<void(std::size_t)>& part);

// The total power gain in dBi of a far field computed for this input power, as NEC-2 gives
// it (-999.99 where the field vanishes).
[[nodiscard]] double powerGain(std::complex<double> eTheta, std::complex<double> ePhi,
                               double frequencyMHz, double inputPower);

// One frequency of the deck.
[[nodiscard]] std::variant<FrequencyResult, Error> solveFrequency(const Deck& deck,
                                                                  std::size_t frequency,
                                                                  const Options& options);

// Every frequency, in order.
[[nodiscard]] std::variant<std::vector<FrequencyResult>, Error> solve(const Deck& deck,
                                                                      const Options& options);

}  // namespace zeva::nec
