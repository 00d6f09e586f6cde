// SPDX-License-Identifier: MIT
// Real ground by Sommerfeld's integrals, as NEC-2 takes it (GN 2): the field that the ground
// returns from a current element above it. Near the source it is read from interpolation
// grids of the integrals, computed once for a ground's complex permittivity (a port of
// nec2c's somnec.c); farther off it follows Norton's ground-wave formulas (gwave()); over a
// source segment it is integrated by Romberg's method (rom2(), sflds(), intrp()).
#pragma once

#include <array>
#include <optional>

#include "nec/structure.h"

namespace zeva::nec {

struct SourceSegment;
struct GroundModel;
struct FieldComponents;

// The integrals on three grids in the distance r from the source's image (wavelengths) and
// the angle theta of the line from it above the ground: r 0-0.2 (11 by 10 over 0-90
// degrees), r 0.2-1 at low angles (17 by 5 over 0-20 degrees), r 0.2-1 higher up (9 by 8
// over 20-90 degrees); four components each (Erv, Ezv, Erh, Eph), scaled by the free-space
// wave, so that they vary slowly enough for a bicubic reading.
struct SommerfeldGrid {
    Complex epsc;  // the complex relative permittivity the grids were computed for
    std::array<Complex, 11 * 10 * 4> ar1;
    std::array<Complex, 17 * 5 * 4> ar2;
    std::array<Complex, 9 * 8 * 4> ar3;
};

// The grids for a ground of this complex permittivity (NEC-2's convention, the imaginary
// part -60 sigma lambda); nothing where an integral does not converge.
[[nodiscard]] std::optional<SommerfeldGrid> sommerfeldGrid(Complex epsc);

// Sommerfeld's attenuation function of the numerical distance p, in Norton's ground wave
// (nec2c's fbar()): 1 - j sqrt(pi p) exp(-p) erfc(j sqrt(p)).
[[nodiscard]] Complex sommerfeldAttenuation(Complex p);

// The four interpolated components at a distance r from the image and an angle theta
// (radians), before the free-space wave is put back.
[[nodiscard]] std::array<Complex, 4> interpolate(const SommerfeldGrid& grid, double r,
                                                 double theta);

// Adds to `field` the ground's field at (xi, yi, zi) on a segment of radius ai from source
// segment j: integrated over the segment within about a wavelength, Norton's lumped element
// beyond. The image weighted by (epsc - 1) / (epsc + 1) is already in `field`.
void addSommerfeldField(const SourceSegment& j, const GroundModel& ground, double xi, double yi,
                        double zi, double ai, FieldComponents& field);

}  // namespace zeva::nec
