// SPDX-License-Identifier: MIT
// A port of nec2c's ffld() for wires over no ground or an infinite plane, and of the gain
// in rdpat().
#include "nec/radiation.h"

#include <cmath>

namespace zeva::nec {
namespace {

const Complex kConst3{0.0, -29.97922085};
// Centres this close to their line, as a share of a segment, count as evenly spaced.
constexpr double kEvenSlack = 1e-9;
// Segments whose lengths (as a share) and direction cosines differ by no more are alike.
constexpr double kAlikeSlack = 1e-12;

// The segment's integral factors towards a direction (nec2c's a, b and c of ffld()): they
// depend on its half length el and on omega, the cosine of the angle between the direction
// and the segment, alone. sin(el ± omega·el) from the run's sine and cosine of el.
struct Factors {
    double a, b, c;
};
Factors factorsOf(const RadiatingRun& run, double omega) {
    const double el = run.el;
    const double sill = omega * el;
    double sinSill = 0, cosSill = 0;
    sincos(sill, &sinSill, &cosSill);
    const double top = el + sill;
    const double bot = el - sill;
    const double sinTop = run.sinEl * cosSill + run.cosEl * sinSill;
    const double sinBot = run.sinEl * cosSill - run.cosEl * sinSill;
    const double a = std::fabs(omega) >= 1.0e-7 ? 2. * sinSill / omega
                                                : (2. - omega * omega * el * el / 3.) * el;
    const double too = std::fabs(top) >= 1.0e-7 ? sinTop / top : 1. - top * top / 6.;
    const double boo = std::fabs(bot) >= 1.0e-7 ? sinBot / bot : 1. - bot * bot / 6.;
    return {a, el * (boo - too), el * (boo + too)};
}

}  // namespace

std::vector<RadiatingRun> radiatingRuns(const Segments& s) {
    std::vector<RadiatingRun> runs;
    const std::size_t n = static_cast<std::size_t>(s.n);
    // A run ends where a wire does: the next wire may be alike, but not in line.
    std::vector<bool> startsWire(n + 1, false);
    for (const int first : s.firstOfWire) startsWire[static_cast<std::size_t>(first)] = true;
    for (std::size_t i = 0; i < n;) {
        std::size_t end = i + 1;
        // A wire's segments are alike to the last bits or so: their lengths and directions
        // come out of the same sums rounded afresh for each.
        while (end < n && !startsWire[end] &&
               std::fabs(s.si[end] - s.si[i]) <= kAlikeSlack * s.si[i] &&
               std::fabs(s.cab[end] - s.cab[i]) <= kAlikeSlack &&
               std::fabs(s.sab[end] - s.sab[i]) <= kAlikeSlack &&
               std::fabs(s.salp[end] - s.salp[i]) <= kAlikeSlack) {
            ++end;
        }
        RadiatingRun run;
        run.first = i;
        run.count = end - i;
        run.el = kPi * s.si[i];
        sincos(run.el, &run.sinEl, &run.cosEl);
        run.even = centresInLine(s, i, end - 1, kEvenSlack * s.si[i]);
        runs.push_back(run);
        i = end;
    }
    return runs;
}

FarField farField(const Segments& s, const SegmentCurrents& c, const GroundModel& gnd, double thet,
                  double phi) {
    return farField(s, c, gnd, radiatingRuns(s), thet, phi);
}

FarField farField(const Segments& s, const SegmentCurrents& c, const GroundModel& gnd,
                  const std::vector<RadiatingRun>& runs, double thet, double phi) {
    const double phx = -std::sin(phi);
    const double phy = std::cos(phi);
    double roz = std::cos(thet);
    const double thx = roz * phy;
    const double thy = -roz * phx;
    const double thz = -std::sin(thet);
    const double rox = -thz * phy;
    const double roy = thz * phx;

    Complex cix, ciy, ciz, ccx, ccy, ccz, rrv, rrh;
    for (int k = 0; k < gnd.ksymp; ++k) {
        if (k != 0) {
            if (gnd.perfect) {
                rrv = -1.;
                rrh = -1.;
            } else {
                const Complex zrsin = std::sqrt(1. - gnd.zrati * gnd.zrati * thz * thz);
                rrv = -(roz - gnd.zrati * zrsin) / (roz + gnd.zrati * zrsin);
                rrh = (gnd.zrati * roz - zrsin) / (gnd.zrati * roz + zrsin);
            }
            roz = -roz;
            ccx = cix;
            ccy = ciy;
            ccz = ciz;
        }
        cix = 0.;
        ciy = 0.;
        ciz = 0.;
        for (const RadiatingRun& run : runs) {
            const std::size_t i0 = run.first;
            const double omega = -(rox * s.cab[i0] + roy * s.sab[i0] + roz * s.salp[i0]);
            const Factors f = factorsOf(run, omega);
            // Each segment's current weighted by the factors: a·A − j·b·B + c·C.
            const auto weighted = [&](std::size_t i) {
                return Complex(f.a * c.a[i].real() + f.b * c.b[i].imag() + f.c * c.c[i].real(),
                               f.a * c.a[i].imag() - f.b * c.b[i].real() + f.c * c.c[i].imag());
            };
            const auto phaseAt = [&](std::size_t i) {
                const double arg = kTwoPi * (s.x[i] * rox + s.y[i] * roy + s.z[i] * roz);
                double sinArg = 0, cosArg = 0;
                sincos(arg, &sinArg, &cosArg);
                return Complex(cosArg, sinArg);
            };
            Complex sum;
            if (run.even && run.count > 1) {
                // The phase turns by the same step from segment to segment: the sum is a
                // polynomial in that turn, summed by Horner's rule from the run's far end and
                // turned by the first segment's phase.
                const std::size_t last = i0 + run.count - 1;
                const double step = kTwoPi *
                                    ((s.x[last] - s.x[i0]) * rox + (s.y[last] - s.y[i0]) * roy +
                                     (s.z[last] - s.z[i0]) * roz) /
                                    static_cast<double>(run.count - 1);
                double sinStep = 0, cosStep = 0;
                sincos(step, &sinStep, &cosStep);
                double re = 0, im = 0;
                for (std::size_t i = last + 1; i-- > i0;) {
                    const Complex w = weighted(i);
                    const double turnedRe = re * cosStep - im * sinStep;
                    const double turnedIm = re * sinStep + im * cosStep;
                    re = turnedRe + w.real();
                    im = turnedIm + w.imag();
                }
                sum = phaseAt(i0) * Complex(re, im);
            } else {
                for (std::size_t i = i0; i < i0 + run.count; ++i) sum += phaseAt(i) * weighted(i);
            }
            cix += sum * s.cab[i0];
            ciy += sum * s.sab[i0];
            ciz += sum * s.salp[i0];
        }
        if (k == 0) continue;
        // The image's contribution for an infinite ground.
        const Complex cdp = (cix * phx + ciy * phy) * (rrh - rrv);
        cix = ccx + cix * rrv + cdp * phx;
        ciy = ccy + ciy * rrv + cdp * phy;
        ciz = ccz - ciz * rrv;
    }
    return {(cix * thx + ciy * thy + ciz * thz) * kConst3, (cix * phx + ciy * phy) * kConst3};
}

double powerGain(const FarField& field, double wavelength, double inputPower) {
    const double gcon = wavelength * wavelength * 2. * kPi / (376.73 * inputPower);
    const double power = gcon * (std::norm(field.eTheta) + std::norm(field.ePhi));
    return power < 1.e-20 ? -999.99 : 10. * std::log10(power);
}

}  // namespace zeva::nec
