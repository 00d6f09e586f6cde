// SPDX-License-Identifier: MIT
// The electric field at a point from the constant, sine and cosine parts of the current on
// one source segment (nec2c's efld() with eksc(), ekscx() and their Green's functions), in
// free space or with the image in a ground plane.
#pragma once

#include "nec/sommerfeld.h"
#include "nec/structure.h"

namespace zeva::nec {

// The source segment and how its field is computed (nec2c's dataj_t).
struct SourceSegment {
    double s = 0, b = 0;            // length and radius, wavelengths
    double xj = 0, yj = 0, zj = 0;  // centre
    double cabj = 0, sabj = 0, salpj = 0;
    double rkh = 1;  // beyond this many wavelengths, a lumped element
    bool extendedKernel = false;
    int ind1 = 0, ind2 = 0;  // end treatment of the extended kernel
    // Figures of the segment alone, computed once rather than at every observation point.
    double sinHalf = 0, cosHalf = 0;  // of k s / 2
    double lumpedCosine = 0;          // sin(pi s) / pi
};

// The source segment j (from 0) as efld reads it, its ends classified for the kernel.
[[nodiscard]] SourceSegment sourceSegment(const Segments& s, std::size_t j, bool extendedKernel);

// The image's treatment: none (free space), a perfect plane, reflection coefficients, or
// an image weighted by (epsc - 1) / (epsc + 1) with Sommerfeld's field of the ground added.
struct GroundModel {
    int ksymp = 1;  // 1 free space, 2 with the image
    bool perfect = true;
    Complex zrati{1, 0};  // 1 / sqrt(complex relative permittivity)
    Complex frati{1, 0};
    const SommerfeldGrid* sommerfeld = nullptr;  // the grids where the ground is Sommerfeld's
    int segmentCount = 1;  // of the structure: the most steps of the ground's integration
};

struct FieldComponents {
    Complex exk, eyk, ezk;  // from the constant part
    Complex exs, eys, ezs;  // sine
    Complex exc, eyc, ezc;  // cosine
};

// efld(): the field at (xi, yi, zi) on a segment of radius ai; ij is zero only when the
// observation point is the source segment's own centre.
[[nodiscard]] FieldComponents efld(const SourceSegment& j, const GroundModel& ground, double xi,
                                   double yi, double zi, double ai, int ij);

}  // namespace zeva::nec
