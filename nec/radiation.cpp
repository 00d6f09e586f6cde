// SPDX-License-Identifier: MIT
// A port of nec2c's ffld() for wires over no ground or an infinite plane, and of the gain
// in rdpat().
#include "nec/radiation.h"

#include <cmath>

namespace zeva::nec {
namespace {

const Complex kConst3{0.0, -29.97922085};
// Radians by which a segment's phase may differ from its neighbour's plus the wire's step and
// still be turned on from it: over a thousand segments the phase drifts by a nanoradian.
constexpr double kPhaseStepSlack = 1e-12;

}  // namespace

FarField farField(const Segments& s, const SegmentCurrents& c, const GroundModel& gnd, double thet,
                  double phi) {
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
        // The segment's integral factors depend on its length and direction alone: a run of
        // alike segments (a wire's) computes them once.
        double a = 0, b = 0, cc = 0;
        std::size_t alike = static_cast<std::size_t>(s.n);
        // Along an evenly cut wire the phase grows by the same step from segment to segment:
        // the next phase factor is the last turned by that step, rather than a sine and a
        // cosine of its own (the steps are checked, and a wire's first segment computed).
        double lastArg = 0, stepArg = 0;
        Complex lastTurn, stepTurn;
        bool haveLast = false, haveStep = false;
        for (std::size_t i = 0; i < static_cast<std::size_t>(s.n); ++i) {
            if (alike >= static_cast<std::size_t>(s.n) || s.si[i] != s.si[alike] ||
                s.cab[i] != s.cab[alike] || s.sab[i] != s.sab[alike] ||
                s.salp[i] != s.salp[alike]) {
                alike = i;
                const double omega = -(rox * s.cab[i] + roy * s.sab[i] + roz * s.salp[i]);
                const double el = kPi * s.si[i];
                const double sill = omega * el;
                const double top = el + sill;
                const double bot = el - sill;
                a = std::fabs(omega) >= 1.0e-7 ? 2. * std::sin(sill) / omega
                                               : (2. - omega * omega * el * el / 3.) * el;
                const double too =
                    std::fabs(top) >= 1.0e-7 ? std::sin(top) / top : 1. - top * top / 6.;
                const double boo =
                    std::fabs(bot) >= 1.0e-7 ? std::sin(bot) / bot : 1. - bot * bot / 6.;
                b = el * (boo - too);
                cc = el * (boo + too);
            }
            const double rr = a * c.a[i].real() + b * c.b[i].imag() + cc * c.c[i].real();
            const double ri = a * c.a[i].imag() - b * c.b[i].real() + cc * c.c[i].imag();
            const double arg = kTwoPi * (s.x[i] * rox + s.y[i] * roy + s.z[i] * roz);
            Complex turn;
            if (haveLast && alike != i && haveStep &&
                std::fabs(arg - lastArg - stepArg) <= kPhaseStepSlack) {
                turn = lastTurn * stepTurn;
            } else {
                turn = Complex(std::cos(arg), std::sin(arg));
                haveStep = haveLast && alike != i;
                if (haveStep) {
                    stepArg = arg - lastArg;
                    stepTurn = Complex(std::cos(stepArg), std::sin(stepArg));
                }
            }
            lastArg = arg;
            lastTurn = turn;
            haveLast = true;
            const Complex exa = turn * Complex(rr, ri);
            cix = cix + exa * s.cab[i];
            ciy = ciy + exa * s.sab[i];
            ciz = ciz + exa * s.salp[i];
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
