// SPDX-License-Identifier: MIT
// NEC-2's current expansion: on each segment A + B sin k(s - s_i) + C (cos k(s - s_i) - 1),
// and the basis functions that tie A, B and C to the unknowns across the junctions.
#pragma once

#include <vector>

#include "nec/structure.h"

namespace zeva::nec {

// The coefficients of several basis functions on one segment, or of one basis function on
// several segments (nec2c's segj_t); segment numbers from 1.
struct BasisTerms {
    std::vector<int> jco;
    std::vector<double> ax, bx, cx;
    void clear() {
        jco.clear();
        ax.clear();
        bx.clear();
        cx.clear();
    }
};

// trio(): every basis function that reaches segment j (from 1), on that segment.
void trio(const Segments& s, int j, BasisTerms& out);

// tbf(): basis function i (from 1) on each segment it reaches; icap adds the end cap.
void tbf(const Segments& s, int i, int icap, BasisTerms& out);

// The current on each segment from the basis amplitudes (cabc()): A, B, C for each segment,
// and the amplitudes replaced by the currents at the segment centres.
struct SegmentCurrents {
    std::vector<Complex> a, b, c;
};
[[nodiscard]] SegmentCurrents cabc(const Segments& s, std::vector<Complex>& amplitudes);

}  // namespace zeva::nec
