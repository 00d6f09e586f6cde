// SPDX-License-Identifier: MIT
// The far field of the solved currents (nec2c's ffld()) and the power gain (rdpat()).
#pragma once

#include "nec/basis.h"
#include "nec/fields.h"

namespace zeva::nec {

struct FarField {
    Complex eTheta, ePhi;
};

// The far field towards theta, phi (radians) of the segment currents, with the image in
// the ground where there is one.
[[nodiscard]] FarField farField(const Segments& s, const SegmentCurrents& c,
                                const GroundModel& ground, double theta, double phi);

// The total power gain in dBi of a far field, for the input power in watts; -999.99 where
// the field vanishes, as nec2c prints it.
[[nodiscard]] double powerGain(const FarField& field, double wavelength, double inputPower);

}  // namespace zeva::nec
