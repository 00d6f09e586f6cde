// SPDX-License-Identifier: MIT
// The thin-wire kernels: the field at a point of the sine, cosine and constant parts of the
// current on one source segment, in the segment's own frame (axial and radial components).
#pragma once

#include "nec/structure.h"

namespace zeva::nec {

struct Kernel {
    Complex ezs, ers, ezc, erc, ezk, erk;
};

// eksc(): the thin-wire kernel.
[[nodiscard]] Kernel eksc(double s, double z, double rh, double xk, int ij, double ss, double cs);

// ekscx(): the extended thin-wire kernel, with the end treatment inx1, inx2.
[[nodiscard]] Kernel ekscx(double bx, double s, double z, double rhx, double xk, int ij, int inx1,
                           int inx2, double ss, double cs);

}  // namespace zeva::nec
