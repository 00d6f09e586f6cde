// SPDX-License-Identifier: MIT
// A port of nec2c's eksc(), ekscx(), gx(), gxx() (fields.c) and gf(), intx(), test()
// (calculations.c). State that nec2c keeps in globals (tmi) is passed explicitly.
#include "nec/kernel.h"

#include <cmath>

namespace zeva::nec {
namespace {

const Complex kConst1{0.0, 4.771341189};  // j eta / 8 pi^2 in NEC-2's units

// The reduced kernel's integrand parameters (nec2c's tmi_t).
struct Tmi {
    int ij = 0;
    double zpk = 0;
    double rkb2 = 0;
};

void gf(const Tmi& tmi, double zk, double* co, double* si) {
    const double zdk = zk - tmi.zpk;
    const double rk = std::sqrt(tmi.rkb2 + zdk * zdk);
    // Both at once: the compiler makes them one call of sincos, which gives sin's and cos's
    // own figures.
    const double sine = std::sin(rk);
    const double cosine = std::cos(rk);
    *si = sine / rk;
    if (tmi.ij != 0) {
        *co = cosine / rk;
        return;
    }
    if (rk >= .2) {
        *co = (cosine - 1.) / rk;
        return;
    }
    const double rks = rk * rk;
    *co = ((-1.38888889e-3 * rks + 4.16666667e-2) * rks - .5) * rk;
}

void test(double f1r, double f2r, double* tr, double f1i, double f2i, double* ti, double dmin) {
    double den = std::fabs(f2r);
    *tr = std::fabs(f2i);
    if (den < *tr) den = *tr;
    if (den < dmin) den = dmin;
    if (den < 1.0e-37) {
        *tr = 0.;
        *ti = 0.;
        return;
    }
    *tr = std::fabs((f1r - f2r) / den);
    *ti = std::fabs((f1i - f2i) / den);
}

// intx(): the integral of exp(-jkR)/R over the segment by adaptive Romberg steps, with the
// singular part of the segment's own field added analytically.
void intx(const Tmi& tmi, double el1, double el2, double b, int ij, double* sgr, double* sgi) {
    constexpr int nx = 1, nma = 65536, nts = 4;
    constexpr double rx = 1.0e-4;
    double z = el1;
    double ze = el2;
    if (ij == 0) ze = 0.;
    const double s = ze - z;
    const double fnm = nma;
    const double ep = s / (10. * fnm);
    const double zend = ze - ep;
    *sgr = 0.;
    *sgi = 0.;
    int ns = nx, nt = 0;
    bool flag = true;
    double dz = 0., dzot = 0., g1r = 0, g1i = 0, g2r = 0, g2i = 0, g3r = 0., g3i = 0., g4r = 0,
           g4i = 0, g5r = 0., g5i = 0.;
    const auto singular = [&]() {
        if (ij == 0) {
            *sgr = 2. * (*sgr + std::log((std::sqrt(b * b + s * s) + s) / b));
            *sgi = 2. * *sgi;
        }
    };
    gf(tmi, z, &g1r, &g1i);
    while (true) {
        if (flag) {
            const double fns = ns;
            dz = s / fns;
            double zp = z + dz;
            if (zp > ze) {
                dz = ze - z;
                if (std::fabs(dz) <= ep) return singular();
            }
            dzot = dz * .5;
            zp = z + dzot;
            gf(tmi, zp, &g3r, &g3i);
            zp = z + dz;
            gf(tmi, zp, &g5r, &g5i);
        }
        const double t00r = (g1r + g5r) * dzot;
        const double t00i = (g1i + g5i) * dzot;
        const double t01r = (t00r + dz * g3r) * 0.5;
        const double t01i = (t00i + dz * g3i) * 0.5;
        const double t10r = (4.0 * t01r - t00r) / 3.0;
        const double t10i = (4.0 * t01i - t00i) / 3.0;
        double te1r = 0, te1i = 0;
        test(t01r, t10r, &te1r, t01i, t10i, &te1i, 0.);
        if (te1i <= rx && te1r <= rx) {
            *sgr = *sgr + t10r;
            *sgi = *sgi + t10i;
            nt += 2;
            z += dz;
            if (z >= zend) return singular();
            g1r = g5r;
            g1i = g5i;
            if (nt >= nts && ns > nx) {
                ns = ns / 2;
                nt = 1;
            }
            flag = true;
            continue;
        }
        double zp = z + dz * 0.25;
        gf(tmi, zp, &g2r, &g2i);
        zp = z + dz * 0.75;
        gf(tmi, zp, &g4r, &g4i);
        const double t02r = (t01r + dzot * (g2r + g4r)) * 0.5;
        const double t02i = (t01i + dzot * (g2i + g4i)) * 0.5;
        const double t11r = (4.0 * t02r - t01r) / 3.0;
        const double t11i = (4.0 * t02i - t01i) / 3.0;
        const double t20r = (16.0 * t11r - t10r) / 15.0;
        const double t20i = (16.0 * t11i - t10i) / 15.0;
        double te2r = 0, te2i = 0;
        test(t11r, t20r, &te2r, t11i, t20i, &te2i, 0.);
        if ((te2i > rx || te2r > rx) && ns < nma) {
            nt = 0;
            ns = ns * 2;
            const double fns = ns;
            dz = s / fns;
            dzot = dz * 0.5;
            g5r = g3r;
            g5i = g3i;
            g3r = g2r;
            g3i = g2i;
            flag = false;
            continue;
        }
        if (te2i > rx || te2r > rx) nt = 0;  // the step is at its limit: take it as it is
        *sgr = *sgr + t20r;
        *sgi = *sgi + t20i;
        ++nt;
        z += dz;
        if (z >= zend) return singular();
        g1r = g5r;
        g1i = g5i;
        if (nt >= nts && ns > nx) {
            ns = ns / 2;
            nt = 1;
        }
        flag = true;
    }
}

void gx(double zz, double rh, double xk, Complex* gz, Complex* gzp) {
    const double r2 = zz * zz + rh * rh;
    const double r = std::sqrt(r2);
    const double rkz = xk * r;
    *gz = Complex(std::cos(rkz), -std::sin(rkz)) / r;
    *gzp = -Complex(1.0, rkz) * *gz / r2;
}

void gxx(double zz, double rh, double a, double a2, double xk, int ira, Complex* g1, Complex* g1p,
         Complex* g2, Complex* g2p, Complex* g3, Complex* gzp) {
    const double r2 = zz * zz + rh * rh;
    const double r = std::sqrt(r2);
    const double r4 = r2 * r2;
    const double rk = xk * r;
    const double rk2 = rk * rk;
    const double rh2 = rh * rh;
    const double t1 = .25 * a2 * rh2 / r4;
    double t2 = .5 * a2 / r2;
    const Complex c1(1.0, rk);
    const Complex c2 = 3. * c1 - rk2;
    const Complex c3 = Complex(6.0, rk) * rk2 - 15. * c1;
    Complex gz = Complex(std::cos(rk), -std::sin(rk)) / r;
    *g2 = gz * (1. + t1 * c2);
    *g1 = *g2 - t2 * c1 * gz;
    gz = gz / r2;
    *g2p = gz * (t1 * c3 - c1);
    *gzp = t2 * c2 * gz;
    *g3 = *g2p + *gzp;
    *g1p = *g3 * zz;
    if (ira != 1) {
        *g3 = (*g3 + *gzp) * rh;
        *gzp = -zz * c1 * gz;
        if (rh <= 1.0e-10) {
            *g2 = 0.;
            *g2p = 0.;
            return;
        }
        *g2 = *g2 / rh;
        *g2p = *g2p * zz / rh;
        return;
    }
    t2 = .5 * a;
    *g2 = -t2 * c1 * gz;
    *g2p = t2 * gz * c2 / r2;
    *g3 = rh2 * *g2p - a * gz * c1;
    *g2p = *g2p * zz;
    *gzp = -zz * c1 * gz;
}

}  // namespace

// eksc(): the thin-wire kernel.
Kernel eksc(double s, double z, double rh, double xk, int ij, double ss, double cs) {
    Kernel k;
    Tmi tmi;
    tmi.ij = ij;
    tmi.zpk = xk * z;
    const double rhk = xk * rh;
    tmi.rkb2 = rhk * rhk;
    const double sh = .5 * s;
    const double shk = xk * sh;
    const double z2a = sh - z;
    const double z1a = -(sh + z);
    Complex gz1, gz2, gp1, gp2;
    gx(z1a, rh, xk, &gz1, &gp1);
    gx(z2a, rh, xk, &gz2, &gp2);
    Complex gzp1 = gp1 * z1a;
    Complex gzp2 = gp2 * z2a;
    k.ezs = kConst1 * ((gz2 - gz1) * cs * xk - (gzp2 + gzp1) * ss);
    k.ezc = -kConst1 * ((gz2 + gz1) * ss * xk + (gzp2 - gzp1) * cs);
    k.erk = kConst1 * (gp2 - gp1) * rh;
    double cint = 0, sint = 0;
    intx(tmi, -shk, shk, rhk, ij, &cint, &sint);
    k.ezk = -kConst1 * (gzp2 - gzp1 + xk * xk * Complex(cint, -sint));
    gzp1 = gzp1 * z1a;
    gzp2 = gzp2 * z2a;
    if (rh >= 1.0e-10) {
        k.ers =
            -kConst1 * ((gzp2 + gzp1 + gz2 + gz1) * ss - (z2a * gz2 - z1a * gz1) * cs * xk) / rh;
        k.erc =
            -kConst1 * ((gzp2 - gzp1 + gz2 - gz1) * cs + (z2a * gz2 + z1a * gz1) * ss * xk) / rh;
    }
    return k;
}

// ekscx(): the extended thin-wire kernel, with the end treatment inx1, inx2.
Kernel ekscx(double bx, double s, double z, double rhx, double xk, int ij, int inx1, int inx2,
             double ss, double cs) {
    Kernel k;
    double b = 0, rh = 0;
    int ira = 0;
    if (rhx >= bx) {
        rh = rhx;
        b = bx;
        ira = 0;
    } else {
        rh = bx;
        b = rhx;
        ira = 1;
    }
    const double sh = .5 * s;
    Tmi tmi;
    tmi.ij = ij;
    tmi.zpk = xk * z;
    const double rhk = xk * rh;
    tmi.rkb2 = rhk * rhk;
    const double shk = xk * sh;
    const double z2a = sh - z;
    const double z1a = -(sh + z);
    const double a2 = b * b;
    Complex gz1, gz2, gzp1, gzp2, gr1, gr2, grp1, grp2, grk1, grk2, gzz1, gzz2;
    if (inx1 != 2) {
        gxx(z1a, rh, b, a2, xk, ira, &gz1, &gzp1, &gr1, &grp1, &grk1, &gzz1);
    } else {
        gx(z1a, rhx, xk, &gz1, &grk1);
        gzp1 = grk1 * z1a;
        gr1 = gz1 / rhx;
        grp1 = gzp1 / rhx;
        grk1 = grk1 * rhx;
        gzz1 = 0.;
    }
    if (inx2 != 2) {
        gxx(z2a, rh, b, a2, xk, ira, &gz2, &gzp2, &gr2, &grp2, &grk2, &gzz2);
    } else {
        gx(z2a, rhx, xk, &gz2, &grk2);
        gzp2 = grk2 * z2a;
        gr2 = gz2 / rhx;
        grp2 = gzp2 / rhx;
        grk2 = grk2 * rhx;
        gzz2 = 0.;
    }
    k.ezs = kConst1 * ((gz2 - gz1) * cs * xk - (gzp2 + gzp1) * ss);
    k.ezc = -kConst1 * ((gz2 + gz1) * ss * xk + (gzp2 - gzp1) * cs);
    k.ers =
        -kConst1 * ((z2a * grp2 + z1a * grp1 + gr2 + gr1) * ss - (z2a * gr2 - z1a * gr1) * cs * xk);
    k.erc =
        -kConst1 * ((z2a * grp2 - z1a * grp1 + gr2 - gr1) * cs + (z2a * gr2 + z1a * gr1) * ss * xk);
    k.erk = kConst1 * (grk2 - grk1);
    double cint = 0, sint = 0;
    intx(tmi, -shk, shk, rhk, ij, &cint, &sint);
    const double bk = b * xk;
    const double bk2 = bk * bk * .25;
    k.ezk = -kConst1 *
            (gzp2 - gzp1 + xk * xk * (1. - bk2) * Complex(cint, -sint) - bk2 * (gzz2 - gzz1));
    return k;
}

}  // namespace zeva::nec
