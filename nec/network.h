// SPDX-License-Identifier: MIT
// Transmission lines between segments (nec2c's netwk()): the structure's admittance at the
// lines' ports, joined with the lines' own, and the currents and source power that follow.
#pragma once

#include <vector>

#include "nec/basis.h"
#include "nec/matrix.h"

namespace zeva::nec {

struct SourceSolution {
    Complex current;  // at the source, amperes
    SegmentCurrents currents;
};

// Solves with the lines in place; e is the applied field (etmns()), every segment its own
// unknown.
[[nodiscard]] SourceSolution solveWithLines(const Segments& s, const LuFactors& f,
                                            const std::vector<TransmissionLine>& lines,
                                            const Deck& deck, std::vector<Complex> e);

}  // namespace zeva::nec
