// SPDX-License-Identifier: MIT
// A port of nec2c's somnec.c (the grids), and of its sflds(), rom2(), gwave() and intrp()
// (the ground's field in the fill). State that nec2c keeps in statics and globals is held
// by the objects below, so that grids and fills may run on several threads at once. The
// constants keep nec2c's digits: the figures must agree with it.
#include "nec/sommerfeld.h"

#include <cmath>

#include "nec/fields.h"

namespace zeva::nec {
namespace {

constexpr Complex kJ{0, 1};
constexpr double kHalfPi = 1.570796327;
constexpr double kPtp = .6283185308;  // 2 pi / 10
constexpr Complex kConst1{0, 4.771341189};
constexpr Complex kConst4{0, 188.365};
constexpr double kGamma = .5772156649;
constexpr double kC1 = -.02457850915, kC2 = .3674669052, kC3 = .7978845608;
constexpr double kP10 = .0703125, kP20 = .1121520996, kQ10 = .125, kQ20 = .0732421875;
constexpr double kP11 = .1171875, kP21 = .1441955566, kQ11 = .375, kQ21 = .1025390625;
constexpr double kPof = .7853981635;
constexpr double kPi10 = 31.41592654;
constexpr int kMaxShanks = 20;  // MAXH
constexpr double kCrit = 1.0E-4;
constexpr int kMostSteps = 131072;  // NM
constexpr int kSteps = 4;           // NTS
constexpr double kTosp = 1.128379167, kSp = 1.772453851, kAccs = 1.E-12;

// The three grids: points in r and theta, their steps and their starts.
constexpr int kNx[3] = {11, 17, 9};
constexpr int kNy[3] = {10, 5, 8};
constexpr double kDx[3] = {.02, .05, .1};
constexpr double kDy[3] = {.1745329252, .0872664626, .1745329252};
constexpr double kXs[3] = {0., .2, .2};
constexpr double kYs[3] = {0., 0., .3490658504};

// nec2c's test(): the relative difference of two estimates, real and imaginary parts apart.
void relativeDifference(double f1r, double f2r, double& tr, double f1i, double f2i, double& ti,
                        double dmin) {
    double den = std::fabs(f2r);
    tr = std::fabs(f2i);
    if (den < tr) den = tr;
    if (den < dmin) den = dmin;
    if (den < 1.0e-37) {
        tr = 0.;
        ti = 0.;
        return;
    }
    tr = std::fabs((f1r - f2r) / den);
    ti = std::fabs((f1i - f2i) / den);
}

// The series lengths of the Bessel and Hankel functions' small-argument expansions.
struct SeriesTables {
    double a1[25], a2[25], a3[25], a4[25];
    int besselTerms[101], hankelTerms[101];
};

const SeriesTables& seriesTables() {
    static const SeriesTables tables = [] {
        SeriesTables t{};
        double psi = -kGamma;
        for (int k = 1; k <= 25; ++k) {
            const int i = k - 1;
            t.a1[i] = -.25 / (k * k);
            t.a2[i] = 1.0 / (k + 1.0);
            psi += 1.0 / k;
            t.a3[i] = psi + psi;
            t.a4[i] = (psi + psi + 1.0 / (k + 1.0)) / (k + 1.0);
        }
        for (int i = 1; i <= 101; ++i) {
            int last = 0;
            double tst = 1.0;
            for (int k = 0; k < 24; ++k) {
                last = k;
                tst *= -i * t.a1[k];
                if (tst < 1.0e-6) break;
            }
            t.besselTerms[i - 1] = last + 1;
            tst = 1.0;
            for (int k = 0; k < 24; ++k) {
                last = k;
                tst *= -i * t.a1[k];
                if (tst * t.a3[k] < 1.e-6) break;
            }
            t.hankelTerms[i - 1] = last + 1;
        }
        return t;
    }();
    return tables;
}

// The Bessel function J0 and its derivative for a complex argument.
void bessel(Complex z, Complex& j0, Complex& j0p) {
    const SeriesTables& t = seriesTables();
    double zms = (z * std::conj(z)).real();
    if (zms <= 1.e-12) {
        j0 = 1.;
        j0p = -.5 * z;
        return;
    }
    int ib = 0;
    Complex j0x, j0px;
    if (zms <= 37.21) {
        if (zms > 36.) ib = 1;
        const int miz = t.besselTerms[static_cast<int>(zms)];
        j0 = 1.;
        j0p = j0;
        Complex zk = j0;
        const Complex zi = z * z;
        for (int k = 0; k < miz; ++k) {
            zk *= t.a1[k] * zi;
            j0 += zk;
            j0p += t.a2[k] * zk;
        }
        j0p *= -.5 * z;
        if (ib == 0) return;
        j0x = j0;
        j0px = j0p;
    }
    Complex zi = 1. / z;
    Complex zi2 = zi * zi;
    const Complex p0z = 1. + (kP20 * zi2 - kP10) * zi2;
    const Complex p1z = 1. + (kP11 - kP21 * zi2) * zi2;
    const Complex q0z = (kQ20 * zi2 - kQ10) * zi;
    const Complex q1z = (kQ11 - kQ21 * zi2) * zi;
    Complex zk = std::exp(kJ * (z - kPof));
    zi2 = 1. / zk;
    const Complex cz = .5 * (zk + zi2);
    const Complex sz = kJ * .5 * (zi2 - zk);
    zk = kC3 * std::sqrt(zi);
    j0 = zk * (p0z * cz - q0z * sz);
    j0p = -zk * (p1z * sz + q1z * cz);
    if (ib == 0) return;
    zms = std::cos((std::sqrt(zms) - 6.) * kPi10);
    j0 = .5 * (j0x * (1. + zms) + j0 * (1. - zms));
    j0p = .5 * (j0px * (1. + zms) + j0p * (1. - zms));
}

// The Hankel function of the first kind, order zero, and its derivative; false at z = 0.
bool hankel(Complex z, Complex& h0, Complex& h0p) {
    const SeriesTables& t = seriesTables();
    double zms = (z * std::conj(z)).real();
    if (zms == 0.) return false;
    int ib = 0;
    Complex y0, y0p;
    if (zms <= 16.81) {
        if (zms > 16.) ib = 1;
        const int miz = t.hankelTerms[static_cast<int>(zms)];
        Complex j0 = 1.;
        Complex j0p = j0;
        Complex zk = j0;
        const Complex zi = z * z;
        for (int k = 0; k < miz; ++k) {
            zk *= t.a1[k] * zi;
            j0 += zk;
            j0p += t.a2[k] * zk;
            y0 += t.a3[k] * zk;
            y0p += t.a4[k] * zk;
        }
        j0p *= -.5 * z;
        const Complex clogz = std::log(.5 * z);
        y0 = (2. * j0 * clogz - y0) / kPi + kC2;
        y0p = (2. / z + 2. * j0p * clogz + .5 * y0p * z) / kPi + kC1 * z;
        h0 = j0 + kJ * y0;
        h0p = j0p + kJ * y0p;
        if (ib == 0) return true;
        y0 = h0;
        y0p = h0p;
    }
    const Complex zi = 1. / z;
    const Complex zi2 = zi * zi;
    const Complex p0z = 1. + (kP20 * zi2 - kP10) * zi2;
    const Complex p1z = 1. + (kP11 - kP21 * zi2) * zi2;
    const Complex q0z = (kQ20 * zi2 - kQ10) * zi;
    const Complex q1z = (kQ11 - kQ21 * zi2) * zi;
    const Complex zk = std::exp(kJ * (z - kPof)) * std::sqrt(zi) * kC3;
    h0 = zk * (p0z + kJ * q0z);
    h0p = kJ * zk * (p1z + kJ * q1z);
    if (ib == 0) return true;
    zms = std::cos((std::sqrt(zms) - 4.) * 31.41592654);
    h0 = .5 * (y0 * (1. + zms) + h0 * (1. - zms));
    h0p = .5 * (y0p * (1. + zms) + h0p * (1. - zms));
    return true;
}

// A fixed set of complex figures indexed as nec2c indexes them.
template <std::size_t N>
struct Parts {
    Complex v[N]{};
    Complex& operator[](int i) { return v[i]; }
    const Complex& operator[](int i) const { return v[i]; }
};
using Six = Parts<6>;

// The six Sommerfeld integrals for one point (rho, zph) of a grid, along nec2c's contours
// in the complex lambda plane (evlua(), rom1(), saoa(), gshank()).
class Integrals {
public:
    explicit Integrals(Complex epsc) {
        ck2 = kTwoPi;
        ck2sq = ck2 * ck2;
        // The integrals are written for exp(-jwt), NEC-2 for exp(+jwt): hence the conjugate,
        // and the fields conjugated again in evaluate().
        ck1sq = ck2sq * std::conj(epsc);
        ck1 = std::sqrt(ck1sq);
        ck1r = ck1.real();
        tkmag = 100. * std::abs(ck1);
        tsmag = 100. * (ck1 * std::conj(ck1)).real();
        cksm = ck2sq / (ck1sq + ck2sq);
        ct1 = .5 * (ck1sq - ck2sq);
        Complex erv = ck1sq * ck1sq;
        Complex ezv = ck2sq * ck2sq;
        ct2 = .125 * (erv - ezv);
        erv *= ck1sq;
        ezv *= ck2sq;
        ct3 = .0625 * (erv - ezv);
    }

    // Erv, Ezv, Erh and Eph at (rho, zph); false where an integral does not converge.
    bool evaluate(double rhoIn, double zphIn, std::array<Complex, 4>& e);

private:
    void rom1(int n, Six& sum, int nx);
    void saoa(double t, Six& ans);
    bool gshank(Complex start, Complex dela, Six& sum, int nans, const Six& seed, int ibk,
                Complex bk, Complex delb);

    int jh = 0;
    double ck2 = 0, ck2sq = 0, tkmag = 0, tsmag = 0, ck1r = 0, zph = 0, rho = 0;
    Complex ct1, ct2, ct3, ck1, ck1sq, cksm;
    Complex a, b;  // the contour's present piece, from a to b
    bool failed = false;
};

bool Integrals::evaluate(double rhoIn, double zphIn, std::array<Complex, 4>& e) {
    failed = false;
    rho = rhoIn;
    zph = zphIn;
    Six sum{}, ans{};
    double del = zph;
    if (rho > del) del = rho;
    const auto fields = [&] {
        ans[5] *= ck1;
        e[0] = std::conj(ck1sq * ans[2]);
        e[1] = std::conj(ck1sq * (ans[1] + ck2sq * ans[4]));
        e[2] = std::conj(ck2sq * (ans[0] + ans[5]));
        e[3] = -std::conj(ck2sq * (ans[3] + ans[5]));
        return !failed;
    };

    if (zph >= 2. * rho) {
        // The Bessel-function form.
        jh = 0;
        a = 0.;
        del = 1. / del;
        if (del > tkmag) {
            b = Complex(.1 * tkmag, -.1 * tkmag);
            rom1(6, sum, 2);
            a = b;
            b = Complex(del, -del);
            rom1(6, ans, 2);
            for (int i = 0; i < 6; ++i) sum[i] += ans[i];
        } else {
            b = Complex(del, -del);
            rom1(6, sum, 2);
        }
        const Complex delta = kPtp * del;
        if (!gshank(b, delta, ans, 6, sum, 0, b, b)) return false;
        return fields();
    }

    // The Hankel-function form.
    jh = 1;
    Complex cp1(0.0, .4 * ck2);
    Complex cp2(.6 * ck2, -.2 * ck2);
    const Complex cp3(1.02 * ck2, -.2 * ck2);
    a = cp1;
    b = cp2;
    rom1(6, sum, 2);
    a = cp2;
    b = cp3;
    rom1(6, ans, 2);
    for (int i = 0; i < 6; ++i) sum[i] = -(sum[i] + ans[i]);

    // The path from the imaginary axis to minus infinity.
    const double slope = zph > .001 * rho ? rho / zph : 1000.;
    del = kPtp / del;
    Complex delta = Complex(-1.0, slope) * del / std::sqrt(1. + slope * slope);
    const Complex delta2 = -std::conj(delta);
    Complex bk;
    if (!gshank(cp1, delta, ans, 6, sum, 0, bk, bk)) return false;
    double rmis = rho * (ck1.real() - ck2);

    bool jump = false;
    if (rmis >= 2. * ck2 && rho >= 1.e-10) {
        if (zph >= 1.e-10) {
            bk = Complex(-zph, rho) * (ck1 - cp3);
            rmis = -bk.real() / std::fabs(bk.imag());
            if (rmis > 4. * rho / zph) jump = true;
        }
        if (!jump) {
            // Up between the branch cuts, then to plus infinity.
            cp1 = ck1 - Complex(.1, .2);
            cp2 = cp1 + .2;
            bk = Complex(0., del);
            if (!gshank(cp1, bk, sum, 6, ans, 0, bk, bk)) return false;
            a = cp1;
            b = cp2;
            rom1(6, ans, 1);
            for (int i = 0; i < 6; ++i) ans[i] -= sum[i];
            if (!gshank(cp3, bk, sum, 6, ans, 0, bk, bk)) return false;
            if (!gshank(cp2, delta2, ans, 6, sum, 0, bk, bk)) return false;
        }
        jump = true;
    } else {
        jump = false;
    }

    if (!jump) {
        // Below the branch points, then to plus infinity.
        for (int i = 0; i < 6; ++i) sum[i] = -ans[i];
        rmis = ck1.real() * 1.01;
        if (ck2 + 1. > rmis) rmis = ck2 + 1.;
        bk = Complex(rmis, .99 * ck1.imag());
        delta = bk - cp3;
        delta *= del / std::abs(delta);
        if (!gshank(cp3, delta, ans, 6, sum, 1, bk, delta2)) return false;
    }
    return fields();
}

// The six integrals from a to b by Romberg's method of variable interval width.
void Integrals::rom1(int n, Six& sum, int nx) {
    const double ze = 1., s = 1.;
    const double ep = s / (1.e4 * kMostSteps);
    const double zend = ze - ep;
    double z = 0., dz = 0., dzot = 0., tr = 0, ti = 0;
    Six g1{}, g2{}, g3{}, g4{}, g5{}, t01{}, t10{}, t20{};
    for (int i = 0; i < n; ++i) sum[i] = 0.;
    int ns = nx;
    int nt = 0;
    saoa(z, g1);
    bool jump = false;
    // Adds a step's result and moves on, widening the step again after a few that converged;
    // true at the end of the contour.
    const auto take = [&](const Six& result, int counted, bool mayWiden) {
        for (int i = 0; i < n; ++i) sum[i] += result[i];
        nt += counted;
        z += dz;
        if (z > zend) return true;
        for (int i = 0; i < n; ++i) g1[i] = g5[i];
        if (mayWiden && nt >= kSteps && ns > nx) {
            ns = ns / 2;
            nt = 1;
        }
        jump = false;
        return false;
    };
    while (true) {
        if (!jump) {
            dz = s / ns;
            if (z + dz > ze) {
                dz = ze - z;
                if (dz <= ep) return;
            }
            dzot = dz * .5;
            saoa(z + dzot, g3);
            saoa(z + dz, g5);
        }
        bool nogo = false;
        for (int i = 0; i < n; ++i) {
            const Complex t00 = (g1[i] + g5[i]) * dzot;
            t01[i] = (t00 + dz * g3[i]) * .5;
            t10[i] = (4. * t01[i] - t00) / 3.;
            // Has the three-point result converged?
            relativeDifference(t01[i].real(), t10[i].real(), tr, t01[i].imag(), t10[i].imag(), ti,
                               0.);
            if (tr > kCrit || ti > kCrit) nogo = true;
        }
        if (!nogo) {
            if (take(t10, 2, true)) return;
            continue;
        }
        saoa(z + dz * .25, g2);
        saoa(z + dz * .75, g4);
        nogo = false;
        for (int i = 0; i < n; ++i) {
            const Complex t02 = (t01[i] + dzot * (g2[i] + g4[i])) * .5;
            const Complex t11 = (4. * t02 - t01[i]) / 3.;
            t20[i] = (16. * t11 - t10[i]) / 15.;
            // Has the five-point result converged?
            relativeDifference(t11.real(), t20[i].real(), tr, t11.imag(), t20[i].imag(), ti, 0.);
            if (tr > kCrit || ti > kCrit) nogo = true;
        }
        if (!nogo) {
            if (take(t20, 1, true)) return;
            continue;
        }
        nt = 0;
        if (ns < kMostSteps) {
            ns *= 2;
            dz = s / ns;
            dzot = dz * .5;
            for (int i = 0; i < n; ++i) {
                g5[i] = g3[i];
                g3[i] = g2[i];
            }
            jump = true;
            continue;
        }
        // The step is as small as it may be: take the five-point result as it stands.
        if (take(t20, 1, false)) return;
    }
}

// The integrands of the six integrals at t along the contour from a to b, source and
// observer above the ground.
void Integrals::saoa(double t, Six& ans) {
    const Complex dxl = b - a;
    const Complex xl = a + dxl * t;
    Complex b0, b0p, cgam1, cgam2;
    if (jh == 0) {
        bessel(xl * rho, b0, b0p);
        b0 *= 2.;
        b0p *= 2.;
        cgam1 = std::sqrt(xl * xl - ck1sq);
        cgam2 = std::sqrt(xl * xl - ck2sq);
        if (cgam1.real() == 0.) cgam1 = Complex(0., -std::fabs(cgam1.imag()));
        if (cgam2.real() == 0.) cgam2 = Complex(0., -std::fabs(cgam2.imag()));
    } else {
        if (!hankel(xl * rho, b0, b0p)) failed = true;
        Complex com = xl - ck1;
        cgam1 = std::sqrt(xl + ck1) * std::sqrt(com);
        if (com.real() < 0. && com.imag() >= 0.) cgam1 = -cgam1;
        com = xl - ck2;
        cgam2 = std::sqrt(xl + ck2) * std::sqrt(com);
        if (com.real() < 0. && com.imag() >= 0.) cgam2 = -cgam2;
    }

    // gamma2 - gamma1, by its asymptotic series where the two nearly cancel.
    const auto series = [&](double sign) {
        const Complex inv = 1. / (xl * xl);
        return sign * ((ct3 * inv + ct2) * inv + ct1) / xl;
    };
    Complex dgam;
    double xlr = (xl * std::conj(xl)).real();
    if (xlr >= tsmag) {
        if (xl.imag() >= 0.) {
            xlr = xl.real();
            if (xlr >= ck2) {
                dgam = xlr <= ck1r ? cgam2 - cgam1 : series(1.);
            } else {
                dgam = series(-1.);
            }
        } else {
            dgam = series(1.);
        }
    } else {
        dgam = cgam2 - cgam1;
    }

    const Complex den2 = cksm * dgam / (cgam2 * (ck1sq * cgam2 + ck2sq * cgam1));
    const Complex den1 = 1. / (cgam1 + cgam2) - cksm / cgam2;
    Complex com = dxl * xl * std::exp(-cgam2 * zph);
    ans[5] = com * b0 * den1 / ck1;
    com *= den2;
    if (rho != 0.) {
        b0p = b0p / rho;
        ans[0] = -com * xl * (b0p + b0 * xl);
        ans[3] = com * xl * b0p;
    } else {
        ans[0] = -com * xl * xl * .5;
        ans[3] = ans[0];
    }
    ans[1] = com * cgam2 * cgam2 * b0;
    ans[2] = -ans[3] * cgam2 * rho;
    ans[4] = com * b0;
}

// The integrals from start to infinity in steps of dela (delb past the break point bk),
// the partial sums accelerated by Shanks' transformation; false if they do not converge.
bool Integrals::gshank(Complex start, Complex dela, Six& sum, int nans, const Six& seed, int ibk,
                       Complex bk, Complex delb) {
    Complex q1[6][kMaxShanks], q2[6][kMaxShanks];
    Six ans1{}, ans2{};
    const double rbk = bk.real();
    Complex del = dela;
    int ibx = ibk == 0 ? 1 : 0;
    for (int i = 0; i < nans; ++i) ans2[i] = seed[i];
    b = start;
    // The break point reached: the piece up to it added to `base`, the steps start again from
    // there at delb.
    const auto restartAtBreak = [&](const Six& base, int mark) {
        ibx = mark;
        b = bk;
        del = delb;
        rom1(nans, sum, 2);
        for (int i = 0; i < nans; ++i) ans2[i] = base[i] + sum[i];
    };
    for (int intx = 1; intx <= kMaxShanks; ++intx) {
        const int inx = intx - 1;
        a = b;
        b += del;
        if (ibx == 0 && b.real() >= rbk) {
            restartAtBreak(Six(ans2), 1);
            intx = 0;
            continue;
        }
        rom1(nans, sum, 2);
        for (int i = 0; i < nans; ++i) ans1[i] = ans2[i] + sum[i];
        a = b;
        b += del;
        if (ibx == 0 && b.real() >= rbk) {
            restartAtBreak(ans1, 2);
            intx = 0;
            continue;
        }
        rom1(nans, sum, 2);
        for (int i = 0; i < nans; ++i) ans2[i] = ans1[i] + sum[i];

        double den = 0.;
        for (int i = 0; i < nans; ++i) {
            Complex as1 = ans1[i];
            Complex as2 = ans2[i];
            for (int j = 1; j < intx; ++j) {
                const int jm = j - 1;
                const Complex aa = q2[i][jm];
                Complex a1 = q1[i][jm] + as1 - 2. * aa;
                if (a1.real() != 0. || a1.imag() != 0.) {
                    const Complex a2 = aa - q1[i][jm];
                    a1 = q1[i][jm] - a2 * a2 / a1;
                } else {
                    a1 = q1[i][jm];
                }
                Complex a2 = aa + as2 - 2. * as1;
                if (a2.real() != 0. || a2.imag() != 0.) {
                    a2 = aa - (as1 - aa) * (as1 - aa) / a2;
                } else {
                    a2 = aa;
                }
                q1[i][jm] = as1;
                q2[i][jm] = as2;
                as1 = a1;
                as2 = a2;
            }
            q1[i][intx - 1] = as1;
            q2[i][intx - 1] = as2;
            const double amg = std::fabs(as2.real()) + std::fabs(as2.imag());
            if (amg > den) den = amg;
        }

        const double denm = 1.e-3 * den * kCrit;
        int jm = intx - 3;
        if (jm < 1) jm = 1;
        bool brk = false;
        for (int j = jm - 1; j < intx; ++j) {
            brk = false;
            for (int i = 0; i < nans; ++i) {
                Complex a1 = q2[i][j];
                den = (std::fabs(a1.real()) + std::fabs(a1.imag())) * kCrit;
                if (den < denm) den = denm;
                a1 = q1[i][j] - a1;
                // nec2c's own form of the magnitude, kept for its figures.
                const double amg = std::fabs(a1.real() + std::fabs(a1.imag()));
                if (amg > den) {
                    brk = true;
                    break;
                }
            }
            if (brk) break;
        }
        if (!brk) {
            for (int i = 0; i < nans; ++i) sum[i] = .5 * (q1[i][inx] + q2[i][inx]);
            return true;
        }
    }
    return false;
}

Complex* gridCell(SommerfeldGrid& g, int k, int ir, int ith, int component) {
    switch (k) {
        case 0:
            return &g.ar1[static_cast<std::size_t>(ir + ith * 11 + component * 110)];
        case 1:
            return &g.ar2[static_cast<std::size_t>(ir + ith * 17 + component * 85)];
        default:
            return &g.ar3[static_cast<std::size_t>(ir + ith * 9 + component * 72)];
    }
}

const Complex* gridData(const SommerfeldGrid& g, int k) {
    switch (k) {
        case 0:
            return g.ar1.data();
        case 1:
            return g.ar2.data();
        default:
            return g.ar3.data();
    }
}

// The state of a source segment's ground field: where it is observed (displaced by the
// radius), the source's horizontal direction, and whether the grids are read (within about
// a wavelength) or Norton's formulas used.
struct Observation {
    const SourceSegment& dj;
    const GroundModel& gnd;
    double xo = 0, yo = 0, zo = 0;
    double sn = 0, xsn = 1, ysn = 0;
    bool interpolated = false;
};

using Nine = Parts<9>;

// Norton's field of a current element over the ground, with the ground wave (gwave()):
// the vertical source's Erv and Ezv, the horizontal one's Erh, Ezh and Eph.
void groundWave(const GroundModel& gnd, double zph, double r2, Complex xx2, Complex& erv,
                Complex& ezv, Complex& erh, Complex& ezh, Complex& eph) {
    // The direct wave is computed elsewhere: its terms (zmh = r1 = 1, xx1 = 0) vanish here.
    constexpr double zmh = 1., r1 = 1.;
    const Complex xx1 = 0.;
    const Complex u = gnd.zrati;
    const Complex u2 = u * u;
    const Complex tpj(0.0, 6.283185308);
    const double sppp = zmh / r1;
    const double sppp2 = sppp * sppp;
    double cppp2 = 1. - sppp2;
    if (cppp2 < 1.0e-20) cppp2 = 1.0e-20;
    const double cppp = std::sqrt(cppp2);
    const double spp = zph / r2;
    const double spp2 = spp * spp;
    double cpp2 = 1. - spp2;
    if (cpp2 < 1.0e-20) cpp2 = 1.0e-20;
    const double cpp = std::sqrt(cpp2);
    const Complex rk1 = -tpj * r1;
    const Complex rk2 = -tpj * r2;
    const Complex t1 = 1. - u2 * cpp2;
    const Complex t2 = std::sqrt(t1);
    const Complex t3 = (1. - 1. / rk1) / rk1;
    const Complex t4 = (1. - 1. / rk2) / rk2;
    const Complex p1 = rk2 * u2 * t1 / (2. * cpp2);
    const Complex rv = (spp - u * t2) / (spp + u * t2);
    const Complex omr = 1. - rv;
    Complex w = 1. / omr;
    w = 4.0 * p1 * w * w;
    const Complex f = sommerfeldAttenuation(w);
    const Complex q1 = rk2 * t1 / (2. * u2 * cpp2);
    const Complex rh = (t2 - u * spp) / (t2 + u * spp);
    Complex v = 1. / (1. + rh);
    v = 4.0 * q1 * v * v;
    const Complex g = sommerfeldAttenuation(v);
    const Complex xr1 = xx1 / r1;
    const Complex xr2 = xx2 / r2;
    Complex x1 = cppp2 * xr1;
    Complex x2 = rv * cpp2 * xr2;
    Complex x3 = omr * cpp2 * f * xr2;
    Complex x4 = u * t2 * spp * 2. * xr2 / rk2;
    Complex x5 = xr1 * t3 * (1. - 3. * sppp2);
    Complex x6 = xr2 * t4 * (1. - 3. * spp2);
    ezv = (x1 + x2 + x3 - x4 - x5 - x6) * (-kConst4);
    x1 = sppp * cppp * xr1;
    x2 = rv * spp * cpp * xr2;
    x3 = cpp * omr * u * t2 * f * xr2;
    x4 = spp * cpp * omr * xr2 / rk2;
    x5 = 3. * sppp * cppp * t3 * xr1;
    x6 = cpp * u * t2 * omr * xr2 / rk2 * .5;
    Complex x7 = 3. * spp * cpp * t4 * xr2;
    erv = -(x1 + x2 - x3 + x4 - x5 + x6 - x7) * (-kConst4);
    ezh = -(x1 - x2 + x3 - x4 - x5 - x6 + x7) * (-kConst4);
    x1 = sppp2 * xr1;
    x2 = rv * spp2 * xr2;
    x4 = u2 * t1 * omr * f * xr2;
    x5 = t3 * (1. - 3. * cppp2) * xr1;
    x6 = t4 * (1. - 3. * cpp2) * (1. - u2 * (1. + rv) - u2 * omr * f) * xr2;
    x7 = u2 * cpp2 * omr * (1. - 1. / rk2) * (f * (u2 * t1 - spp2 - 1. / rk2) + 1. / rk2) * xr2;
    erh = (x1 - x2 - x4 - x5 + x6 + x7) * (-kConst4);
    x1 = xr1;
    x2 = rh * xr2;
    x3 = (rh + 1.) * g * xr2;
    x4 = t3 * xr1;
    x5 = t4 * (1. - u2 * (1. + rv) - u2 * omr * f) * xr2;
    x6 = .5 * u2 * omr * (f * (u2 * t1 - spp2 - 1. / rk2) + 1. / rk2) * xr2 / rk2;
    eph = -(x1 - x2 + x3 - x4 + x5 + x6) * (-kConst4);
}

// The ground's field for a current element at t along the source segment from its centre
// (sflds()).
Nine elementField(const Observation& o, double t) {
    const SourceSegment& dj = o.dj;
    Nine e{};
    const double xt = dj.xj + t * dj.cabj;
    const double yt = dj.yj + t * dj.sabj;
    const double zt = dj.zj + t * dj.salpj;
    double rhx = o.xo - xt;
    double rhy = o.yo - yt;
    const double rhs = rhx * rhx + rhy * rhy;
    const double rho = std::sqrt(rhs);
    double phx = 0, phy = 1;
    if (rho <= 0.) {
        rhx = 1.;
        rhy = 0.;
    } else {
        rhx = rhx / rho;
        rhy = rhy / rho;
        phx = -rhy;
        phy = rhx;
    }
    double cph = rhx * o.xsn + rhy * o.ysn;
    double sph = rhy * o.xsn - rhx * o.ysn;
    if (std::fabs(cph) < 1.0e-10) cph = 0.;
    if (std::fabs(sph) < 1.0e-10) sph = 0.;
    const double zph = o.zo + zt;
    const double zphs = zph * zph;
    const double r2s = rhs + zphs;
    const double r2 = std::sqrt(r2s);
    double rk = r2 * kTwoPi;
    Complex xx2(std::cos(rk), -std::sin(rk));

    if (!o.interpolated) {
        // Norton's approximation, the current lumped at the segment's centre with the moment
        // of the constant, sine or cosine distribution.
        Complex erv, ezv, erh, ezh, eph;
        groundWave(o.gnd, zph, r2, xx2, erv, ezv, erh, ezh, eph);
        Complex et = -kConst1 * o.gnd.frati * xx2 / (r2s * r2);
        const Complex er = 2. * et * Complex(1.0, rk);
        et = et * Complex(1.0 - rk * rk, rk);
        const Complex hrv = (er + et) * rho * zph / r2s;
        const Complex hzv = (zphs * er - rhs * et) / r2s;
        const Complex hrh = (rhs * er - zphs * et) / r2s;
        erv = erv - hrv;
        ezv = ezv - hzv;
        erh = erh + hrh;
        ezh = ezh + hrv;
        eph = eph + et;
        erv = erv * dj.salpj;
        ezv = ezv * dj.salpj;
        erh = erh * o.sn * cph;
        ezh = ezh * o.sn * cph;
        eph = eph * o.sn * sph;
        erh = erv + erh;
        e[0] = (erh * rhx + eph * phx) * dj.s;
        e[1] = (erh * rhy + eph * phy) * dj.s;
        e[2] = (ezv + ezh) * dj.s;
        double sfac = kPi * dj.s;
        sfac = std::sin(sfac) / sfac;
        e[6] = e[0] * sfac;
        e[7] = e[1] * sfac;
        e[8] = e[2] * sfac;
        return e;
    }

    // Read from the grids; the vertical and horizontal parts combined into x, y, z, and the
    // free-space wave exp(-jkr)/r put back.
    const double thet = rho >= 1.0e-12 ? std::atan(zph / rho) : kHalfPi;
    const std::array<Complex, 4> f = interpolate(*o.gnd.sommerfeld, r2, thet);
    xx2 = xx2 / r2;
    double sfac = o.sn * cph;
    const Complex erh = xx2 * (dj.salpj * f[0] + sfac * f[2]);
    const Complex ezh = xx2 * (dj.salpj * f[1] - sfac * f[0]);
    const Complex eph = o.sn * sph * xx2 * f[3];
    e[0] = erh * rhx + eph * phx;  // the constant current
    e[1] = erh * rhy + eph * phy;
    e[2] = ezh;
    rk = kTwoPi * t;
    sfac = std::sin(rk);
    e[3] = e[0] * sfac;  // the sine current
    e[4] = e[1] * sfac;
    e[5] = e[2] * sfac;  // and the cosine current
    sfac = std::cos(rk);
    e[6] = e[0] * sfac;
    e[7] = e[1] * sfac;
    e[8] = e[2] * sfac;
    return e;
}

// The ground's field integrated over the source segment from a to b by Romberg's method of
// variable interval width (rom2()); the step halves at most as often as the structure has
// segments, as in nec2c.
Nine integrated(const Observation& o, double a, double b, double dmin) {
    constexpr int nts = 4, nx = 1, n = 9;
    constexpr double rx = 1.0e-4;
    const int npm = o.gnd.segmentCount;
    Nine sum{};
    double z = a;
    const double ze = b;
    const double s = b - a;
    const double ep = s / (1.e4 * npm);
    const double zend = ze - ep;
    double dz = 0., dzot = 0., tr = 0, ti = 0;
    Nine g1{}, g2{}, g3{}, g4{}, g5{}, t01{}, t10{}, t20{};
    int ns = nx;
    int nt = 0;
    g1 = elementField(o, z);
    bool fresh = true;
    // Adds a step's result and moves on, widening the step again after a few that converged;
    // true at the end of the segment.
    const auto take = [&](const Nine& result, int counted) {
        for (int i = 0; i < n; ++i) sum[i] += result[i];
        nt += counted;
        z += dz;
        if (z > zend) return true;
        g1 = g5;
        if (nt >= nts && ns > nx) {
            ns = ns / 2;
            nt = 1;
        }
        fresh = true;
        return false;
    };
    while (true) {
        if (fresh) {
            dz = s / ns;
            if (z + dz > ze) {
                dz = ze - z;
                if (dz <= ep) return sum;
            }
            dzot = dz * .5;
            g3 = elementField(o, z + dzot);
            g5 = elementField(o, z + dz);
        }
        double tmag1 = 0., tmag2 = 0.;
        // The three-point result, judged on the constant current's field.
        for (int i = 0; i < n; ++i) {
            const Complex t00 = (g1[i] + g5[i]) * dzot;
            t01[i] = (t00 + dz * g3[i]) * .5;
            t10[i] = (4. * t01[i] - t00) / 3.;
            if (i > 2) continue;
            tmag1 += std::norm(t01[i]);
            tmag2 += std::norm(t10[i]);
        }
        relativeDifference(std::sqrt(tmag1), std::sqrt(tmag2), tr, 0., 0., ti, dmin);
        if (tr <= rx) {
            if (take(t10, 2)) return sum;
            continue;
        }
        g2 = elementField(o, z + dz * .25);
        g4 = elementField(o, z + dz * .75);
        tmag1 = 0.;
        tmag2 = 0.;
        // The five-point result.
        for (int i = 0; i < n; ++i) {
            const Complex t02 = (t01[i] + dzot * (g2[i] + g4[i])) * .5;
            const Complex t11 = (4.0 * t02 - t01[i]) / 3.;
            t20[i] = (16. * t11 - t10[i]) / 15.;
            if (i > 2) continue;
            tmag1 += std::norm(t11);
            tmag2 += std::norm(t20[i]);
        }
        relativeDifference(std::sqrt(tmag1), std::sqrt(tmag2), tr, 0., 0., ti, dmin);
        if (tr > rx) {
            nt = 0;
            if (ns < npm) {
                ns = ns * 2;
                dz = s / ns;
                dzot = dz * .5;
                g5 = g3;
                g3 = g2;
                fresh = false;
                continue;
            }
            // The step is as small as it may be: nec2c says so and goes on.
        }
        if (take(t20, 1)) return sum;
    }
}

}  // namespace

Complex sommerfeldAttenuation(Complex p) {
    Complex z = kJ * std::sqrt(p);
    if (std::abs(z) <= 3.) {
        // The series; Debian's nec2c 1.3 falls through from here to the asymptotic form
        // below, which NEC-2 does not.
        const Complex zs = z * z;
        Complex sum = z;
        Complex pow = z;
        for (int i = 1; i <= 100; ++i) {
            pow = -pow * zs / static_cast<double>(i);
            const Complex term = pow / (2. * i + 1.);
            sum = sum + term;
            const double tms = (term * std::conj(term)).real();
            const double sms = (sum * std::conj(sum)).real();
            if (tms / sms < kAccs) break;
        }
        return 1. - (1. - sum * kTosp) * z * std::exp(zs) * kSp;
    }
    const bool minus = z.real() < 0.;
    if (minus) z = -z;
    const Complex zs = .5 / (z * z);
    Complex sum = 0.;
    Complex term = 1.;
    for (int i = 1; i <= 6; ++i) {
        term = -term * (2. * i - 1.) * zs;
        sum += term;
    }
    if (minus) sum -= 2. * kSp * z * std::exp(z * z);
    return -sum;
}

std::optional<SommerfeldGrid> sommerfeldGrid(Complex epsc) {
    SommerfeldGrid g;
    g.epsc = epsc;
    Integrals integrals(epsc);
    const double ck2 = kTwoPi;
    double dth = 0.;
    for (int k = 0; k < 3; ++k) {
        const int nr = kNx[k];
        const int nth = kNy[k];
        const double dr = kDx[k];
        dth = kDy[k];
        double r = kXs[k] - dr;
        int irs = 1;
        if (k == 0) {
            r = kXs[k];
            irs = 2;
        }
        // Over r = sqrt(rho^2 + (z + h)^2), then theta = atan((z + h) / rho).
        for (int ir = irs - 1; ir < nr; ++ir) {
            r += dr;
            double thet = kYs[k] - dth;
            for (int ith = 0; ith < nth; ++ith) {
                thet += dth;
                double rho = r * std::cos(thet);
                double zph = r * std::sin(thet);
                if (rho < 1.e-7) rho = 1.e-8;
                if (zph < 1.e-7) zph = 0.;
                std::array<Complex, 4> e;
                if (!integrals.evaluate(rho, zph, e)) return std::nullopt;
                const double rk = ck2 * r;
                const Complex con = -kConst1 * r / Complex(std::cos(rk), -std::sin(rk));
                for (int c = 0; c < 4; ++c) {
                    *gridCell(g, k, ir, ith, c) = e[static_cast<std::size_t>(c)] * con;
                }
            }
        }
    }
    // Grid 1 at r = 0, in closed form.
    const Complex cl2 = -kConst4 * (epsc - 1.) / (epsc + 1.);
    const Complex cl1 = cl2 / (epsc + 1.);
    const Complex ezv = epsc * cl1;
    dth = kDy[0];
    double thet = -dth;
    for (int ith = 0; ith < kNy[0]; ++ith) {
        thet += dth;
        Complex erv, erh, eph;
        if (ith + 1 != kNy[0]) {
            double tfac2 = std::cos(thet);
            const double tfac1 = (1. - std::sin(thet)) / tfac2;
            tfac2 = tfac1 / tfac2;
            erv = epsc * cl1 * tfac1;
            erh = cl1 * (tfac2 - 1.) + cl2;
            eph = cl1 * tfac2 - cl2;
        } else {
            erv = 0.;
            erh = cl2 - .5 * cl1;
            eph = -erh;
        }
        *gridCell(g, 0, 0, ith, 0) = erv;
        *gridCell(g, 0, 0, ith, 1) = ezv;
        *gridCell(g, 0, 0, ith, 2) = erh;
        *gridCell(g, 0, 0, ith, 3) = eph;
    }
    return g;
}

std::array<Complex, 4> interpolate(const SommerfeldGrid& grid, double x, double y) {
    // The grid and the 4 by 4 block of points around (x, y) that nec2c's intrp() would use:
    // blocks start every third point and stop short of the grid's far edges.
    constexpr int nda[3] = {11, 17, 9}, ndpa[3] = {110, 85, 72};
    const int igr = x <= kXs[1] ? 0 : (y > kYs[2] ? 2 : 1);
    const double dx = kDx[igr], dy = kDy[igr], xs = kXs[igr], ys = kYs[igr];
    const int nxm2 = kNx[igr] - 2;
    const int nym2 = kNy[igr] - 2;
    const int nd = nda[igr];
    const int ndp = ndpa[igr];
    const int ix = static_cast<int>((x - xs) / dx) + 1;
    const int iy = static_cast<int>((y - ys) / dy) + 1;
    int ixs = ((ix - 1) / 3) * 3 + 2;
    if (ixs < 2) ixs = 2;
    if (ixs > nxm2) ixs = nxm2;
    int iys = ((iy - 1) / 3) * 3 + 2;
    if (iys < 2) iys = 2;
    if (iys > nym2) iys = nym2;

    // The cubics in x through the block's 4 rows of y, for each of the 4 functions.
    const Complex* ar = gridData(grid, igr);
    Complex a[4][4], b[4][4], c[4][4], d[4][4];
    int iadz = ixs + (iys - 3) * nd - ndp;
    for (int k = 0; k < 4; ++k) {
        iadz += ndp;
        int iadd = iadz;
        for (int i = 0; i < 4; ++i) {
            iadd += nd;
            const Complex p1 = ar[iadd - 2];
            const Complex p2 = ar[iadd - 1];
            const Complex p3 = ar[iadd];
            const Complex p4 = ar[iadd + 1];
            a[i][k] = (p4 - p1 + 3. * (p2 - p3)) * .1666666667;
            b[i][k] = (p1 - 2. * p2 + p3) * .5;
            c[i][k] = p3 - (2. * p1 + 3. * p2 + p4) * .1666666667;
            d[i][k] = p2;
        }
    }
    const double xz = (ixs - 1) * dx + xs;
    const double yz = (iys - 1) * dy + ys;

    // The cubics at x, then the cubic through them at y.
    const double xx = (x - xz) / dx;
    const double yy = (y - yz) / dy;
    std::array<Complex, 4> f;
    for (int k = 0; k < 4; ++k) {
        const Complex fx1 = ((a[0][k] * xx + b[0][k]) * xx + c[0][k]) * xx + d[0][k];
        const Complex fx2 = ((a[1][k] * xx + b[1][k]) * xx + c[1][k]) * xx + d[1][k];
        const Complex fx3 = ((a[2][k] * xx + b[2][k]) * xx + c[2][k]) * xx + d[2][k];
        const Complex fx4 = ((a[3][k] * xx + b[3][k]) * xx + c[3][k]) * xx + d[3][k];
        const Complex p1 = fx4 - fx1 + 3. * (fx2 - fx3);
        const Complex p2 = 3. * (fx1 - 2. * fx2 + fx3);
        const Complex p3 = 6. * fx3 - 2. * fx1 - 3. * fx2 - fx4;
        f[static_cast<std::size_t>(k)] = ((p1 * yy + p2) * yy + p3) * yy * .1666666667 + fx2;
    }
    return f;
}

void addSommerfeldField(const SourceSegment& dj, const GroundModel& gnd, double xi, double yi,
                        double zi, double ai, FieldComponents& field) {
    Observation o{dj, gnd};
    o.sn = std::sqrt(dj.cabj * dj.cabj + dj.sabj * dj.sabj);
    if (o.sn >= 1.0e-5) {
        o.xsn = dj.cabj / o.sn;
        o.ysn = dj.sabj / o.sn;
    } else {
        o.sn = 0.;
        o.xsn = 1.;
        o.ysn = 0.;
    }
    // The observation point displaced by the radius, for the thin-wire approximation.
    const double xij = xi - dj.xj;
    const double yij = yi - dj.yj;
    const double zij = zi + dj.zj;
    const double salpr = -dj.salpj;
    const double rhox = dj.sabj * zij - salpr * yij;
    const double rhoy = salpr * xij - dj.cabj * zij;
    const double rhoz = dj.cabj * yij - dj.sabj * xij;
    double rh = rhox * rhox + rhoy * rhoy + rhoz * rhoz;
    if (rh <= 1.e-10) {
        o.xo = xi - ai * o.ysn;
        o.yo = yi + ai * o.xsn;
        o.zo = zi;
    } else {
        rh = ai / std::sqrt(rh);
        if (rhoz < 0.) rh = -rh;
        o.xo = xi + rh * rhox;
        o.yo = yi + rh * rhoy;
        o.zo = zi + rh * rhoz;
    }

    const double r = xij * xij + yij * yij + zij * zij;
    Nine e;
    if (r <= .95) {
        // Read from the grids and integrated over the segment.
        o.interpolated = true;
        double dmin = std::norm(field.exk) + std::norm(field.eyk) + std::norm(field.ezk);
        dmin = .01 * std::sqrt(dmin);
        const double shaf = .5 * dj.s;
        e = integrated(o, -shaf, shaf, dmin);
    } else {
        // Norton's formulas with the current lumped at the centre, the field's component
        // along the source corrected for the thin wire.
        o.interpolated = false;
        e = elementField(o, 0.);
        const double zp = xij * dj.cabj + yij * dj.sabj + zij * salpr;
        rh = r - zp * zp;
        const double dmin = rh <= 1.e-10 ? 0. : std::sqrt(rh / (rh + ai * ai));
        if (dmin <= .95) {
            const double px = 1. - dmin;
            for (int part = 0; part < 3; ++part) {
                Complex& x = e[3 * part];
                Complex& y = e[3 * part + 1];
                Complex& z = e[3 * part + 2];
                const Complex along = (x * dj.cabj + y * dj.sabj + z * salpr) * px;
                x = dmin * x + along * dj.cabj;
                y = dmin * y + along * dj.sabj;
                z = dmin * z + along * salpr;
            }
        }
    }
    field.exk += e[0];
    field.eyk += e[1];
    field.ezk += e[2];
    field.exs += e[3];
    field.eys += e[4];
    field.ezs += e[5];
    field.exc += e[6];
    field.eyc += e[7];
    field.ezc += e[8];
}

}  // namespace zeva::nec
