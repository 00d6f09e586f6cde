// SPDX-License-Identifier: MIT
// The wires of a deck cut into segments, with their connections (nec2c's geometry.c: wire()
// and conect()) and the data every later stage reads (data_t of nec2c).
//
// Which file owns what: structure.cpp the segments; basis.cpp the current expansion (tbf,
// sbf, trio, cabc); fields.cpp the field of a segment's current (efld and its kernels);
// matrix.cpp the interaction matrix, its symmetry and its LU; network.cpp the transmission
// lines; radiation.cpp the far field; engine.cpp the order of it all for each frequency.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "nec/deck.h"

namespace zeva::nec {

using Complex = std::complex<double>;

// nec2c's constants, to its digits: the figures must agree with it to the last printed one.
inline constexpr double kPi = 3.141592654;
inline constexpr double kTwoPi = 6.283185308;
inline constexpr double kEta = 376.73;
// NEC-2's speed of light, metres per microsecond, to its digits (the program's own elsewhere
// is analysis::kSpeedOfLight): wavelengths, and so every figure, must be nec2c's.
inline constexpr double kNecSpeedOfLight = 299.8;
inline constexpr double kDegree = 1.745329252E-02;

struct Segments {
    int n = 0;
    std::vector<int> tag;                        // the wire's tag, 1 and up
    std::vector<double> x1, y1, z1, x2, y2, z2;  // ends, metres
    std::vector<double> x, y, z;                 // centres: metres, then wavelengths once scaled
    std::vector<double> si, bi;                  // length and radius, likewise
    std::vector<double> cab, sab, salp;          // direction cosines
    // nec2c's connection data, segment numbers from 1: +k end 1 of k joins here, -k end 2;
    // 0 a free end.
    std::vector<int> icon1, icon2;
    std::vector<int> firstOfWire;  // index of each wire's first segment
    double wlam = 0;               // wavelength, metres

    [[nodiscard]] int index(SegmentRef ref) const {
        return firstOfWire[static_cast<std::size_t>(ref.wire)] + ref.segment;
    }
};

// The deck's wires as segments in metres, connected; nothing scaled yet.
[[nodiscard]] Segments buildSegments(const std::vector<Wire>& wires);

// The segments in wavelengths at this frequency, from the unscaled ones.
[[nodiscard]] Segments scaledTo(const Segments& metres, double frequencyMHz);

// Whether the centres of segments first to last lie evenly spaced on the line between the two,
// each within slack of where that line puts it.
[[nodiscard]] bool centresInLine(const Segments& s, std::size_t first, std::size_t last,
                                 double slack);

}  // namespace zeva::nec
