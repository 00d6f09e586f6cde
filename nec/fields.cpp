// SPDX-License-Identifier: MIT
// A port of nec2c's efld() (fields.c), for wires over no ground, a reflection-coefficient
// ground or Sommerfeld's. State that nec2c keeps in globals (dataj) is passed explicitly.
#include "nec/fields.h"

#include <cmath>

#include "nec/kernel.h"

namespace zeva::nec {
namespace {

// How one end of source segment j meets its neighbour, for the extended kernel: 0 joined
// to a parallel segment of the same radius, 1 a free end, 2 anything else.
int endTreatment(const Segments& s, std::size_t j, int ipr, bool endOne) {
    const int jx = static_cast<int>(j) + 1;
    const auto parallelAndAlike = [&](std::size_t iprx) {
        const double xi =
            std::fabs(s.cab[j] * s.cab[iprx] + s.sab[j] * s.sab[iprx] + s.salp[j] * s.salp[iprx]);
        return !(xi < 0.999999 || std::fabs(s.bi[iprx] / s.bi[j] - 1.) > 1.e-6);
    };
    if (ipr < 0) {
        const std::size_t iprx = static_cast<std::size_t>(-ipr - 1);
        const int back = endOne ? s.icon1[iprx] : s.icon2[iprx];
        if (-back != jx) return 2;
        return parallelAndAlike(iprx) ? 0 : 2;
    }
    if (ipr == 0) return 1;
    const std::size_t iprx = static_cast<std::size_t>(ipr - 1);
    if (ipr != jx) {
        const int back = endOne ? s.icon2[iprx] : s.icon1[iprx];
        if (back != jx) return 2;
        return parallelAndAlike(iprx) ? 0 : 2;
    }
    return s.cab[j] * s.cab[j] + s.sab[j] * s.sab[j] > 1.e-8 ? 2 : 0;
}

}  // namespace

SourceSegment sourceSegment(const Segments& s, std::size_t j, bool extendedKernel) {
    SourceSegment src;
    src.s = s.si[j];
    src.b = s.bi[j];
    src.xj = s.x[j];
    src.yj = s.y[j];
    src.zj = s.z[j];
    src.cabj = s.cab[j];
    src.sabj = s.sab[j];
    src.salpj = s.salp[j];
    src.extendedKernel = extendedKernel;
    src.sinHalf = std::sin(kTwoPi * (.5 * src.s));
    src.cosHalf = std::cos(kTwoPi * (.5 * src.s));
    src.lumpedCosine = std::sin(kPi * src.s) / kPi;
    if (extendedKernel) {
        src.ind1 = endTreatment(s, j, s.icon1[j], true);
        src.ind2 = endTreatment(s, j, s.icon2[j], false);
    }
    return src;
}

FieldComponents efld(const SourceSegment& dj, const GroundModel& gnd, double xi, double yi,
                     double zi, double ai, int ij) {
    FieldComponents out;
    const double xij = xi - dj.xj;
    const double yij = yi - dj.yj;
    int ijx = ij;
    double rfl = -1.;
    for (int ip = 0; ip < gnd.ksymp; ++ip) {
        if (ip == 1) ijx = 1;
        rfl = -rfl;
        const double salpr = dj.salpj * rfl;
        const double zij = zi - rfl * dj.zj;
        const double zp = xij * dj.cabj + yij * dj.sabj + zij * salpr;
        double rhox = xij - dj.cabj * zp;
        double rhoy = yij - dj.sabj * zp;
        double rhoz = zij - salpr * zp;
        const double rh = std::sqrt(rhox * rhox + rhoy * rhoy + rhoz * rhoz + ai * ai);
        if (rh <= 1.e-10) {
            rhox = 0.;
            rhoy = 0.;
            rhoz = 0.;
        } else {
            rhox = rhox / rh;
            rhoy = rhoy / rh;
            rhoz = rhoz / rh;
        }

        Complex tezk, terk, tezc, terc, txs, tys, tzs;
        const double r = std::sqrt(zp * zp + rh * rh);
        if (r >= dj.rkh) {
            // A lumped current element at large separations.
            const double rmag = kTwoPi * r;
            const double cth = zp / r;
            const double px = rh / r;
            const Complex txk(std::cos(rmag), -std::sin(rmag));
            const double py = kTwoPi * r * r;
            const Complex tyk = kEta * cth * txk * Complex(1.0, -1.0 / rmag) / py;
            const Complex tzk = kEta * px * txk * Complex(1.0, rmag - 1.0 / rmag) / (2. * py);
            tezk = tyk * cth - tzk * px;
            terk = tyk * px + tzk * cth;
            tezc = tezk * dj.lumpedCosine;
            terc = terk * dj.lumpedCosine;
            tezk = tezk * dj.s;
            terk = terk * dj.s;
        } else {
            const Kernel k = dj.extendedKernel
                                 ? ekscx(dj.b, dj.s, zp, rh, kTwoPi, ijx, dj.ind1, dj.ind2,
                                         dj.sinHalf, dj.cosHalf)
                                 : eksc(dj.s, zp, rh, kTwoPi, ijx, dj.sinHalf, dj.cosHalf);
            tezk = k.ezk;
            terk = k.erk;
            tezc = k.ezc;
            terc = k.erc;
            txs = k.ezs * dj.cabj + k.ers * rhox;
            tys = k.ezs * dj.sabj + k.ers * rhoy;
            tzs = k.ezs * salpr + k.ers * rhoz;
        }
        Complex txk = tezk * dj.cabj + terk * rhox;
        Complex tyk = tezk * dj.sabj + terk * rhoy;
        Complex tzk = tezk * salpr + terk * rhoz;
        Complex txc = tezc * dj.cabj + terc * rhox;
        Complex tyc = tezc * dj.sabj + terc * rhoy;
        Complex tzc = tezc * salpr + terc * rhoz;

        if (ip == 1) {
            if (!gnd.perfect && gnd.sommerfeld == nullptr) {
                // The image weighted by the plane-wave reflection coefficients at the angle
                // of the specular ray.
                const Complex zratx = gnd.zrati;
                const double rmag = r;
                const double xymag = std::sqrt(xij * xij + yij * yij);
                double px = 0, py = 0, cth = 1.;
                Complex zrsin(1, 0);
                if (xymag > 1.0e-6) {
                    px = -yij / xymag;
                    py = xij / xymag;
                    cth = zij / rmag;
                    zrsin = std::sqrt(1.0 - zratx * zratx * (1.0 - cth * cth));
                }
                const Complex refs = (cth - zratx * zrsin) / (cth + zratx * zrsin);
                Complex refps = -(zratx * cth - zrsin) / (zratx * cth + zrsin);
                refps = refps - refs;
                const auto reflect = [&](Complex& tx, Complex& ty, Complex& tz) {
                    Complex epy = px * tx + py * ty;
                    const Complex epx = px * epy;
                    epy = py * epy;
                    tx = refs * tx + refps * epx;
                    ty = refs * ty + refps * epy;
                    tz = refs * tz;
                };
                reflect(txk, tyk, tzk);
                reflect(txs, tys, tzs);
                reflect(txc, tyc, tzc);
            }
            out.exk = out.exk - txk * gnd.frati;
            out.eyk = out.eyk - tyk * gnd.frati;
            out.ezk = out.ezk - tzk * gnd.frati;
            out.exs = out.exs - txs * gnd.frati;
            out.eys = out.eys - tys * gnd.frati;
            out.ezs = out.ezs - tzs * gnd.frati;
            out.exc = out.exc - txc * gnd.frati;
            out.eyc = out.eyc - tyc * gnd.frati;
            out.ezc = out.ezc - tzc * gnd.frati;
            continue;
        }
        out = {txk, tyk, tzk, txs, tys, tzs, txc, tyc, tzc};
    }
    if (gnd.sommerfeld != nullptr) addSommerfeldField(dj, gnd, xi, yi, zi, ai, out);
    return out;
}

}  // namespace zeva::nec
