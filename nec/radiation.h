// SPDX-License-Identifier: MIT
// The far field of the solved currents (nec2c's ffld()) and the power gain (rdpat()).
#pragma once

#include "nec/basis.h"
#include "nec/fields.h"

#include <cstddef>
#include <vector>

namespace zeva::nec {

struct FarField {
    Complex eTheta, ePhi;
};

// The segments as the far field sums them: runs of segments alike in length and direction
// whose centres lie evenly spaced along a line (a straight wire evenly cut is one run), each
// with the sine and cosine of its half length in radians.
struct RadiatingRun {
    std::size_t first = 0, count = 0;
    bool even = false;  // the centres evenly spaced: the phase turns by one step
    double el = 0, sinEl = 0, cosEl = 0;
};
[[nodiscard]] std::vector<RadiatingRun> radiatingRuns(const Segments& s);

// The far field towards theta, phi (radians) of the segment currents, with the image in
// the ground where there is one; the runs are the segments', made once for many directions.
[[nodiscard]] FarField farField(const Segments& s, const SegmentCurrents& c,
                                const GroundModel& ground, const std::vector<RadiatingRun>& runs,
                                double theta, double phi);
[[nodiscard]] FarField farField(const Segments& s, const SegmentCurrents& c,
                                const GroundModel& ground, double theta, double phi);

// The total power gain in dBi of a far field, for the input power in watts; -999.99 where
// the field vanishes, as nec2c prints it.
[[nodiscard]] double powerGain(const FarField& field, double wavelength, double inputPower);

}  // namespace zeva::nec
