// SPDX-License-Identifier: MIT
// A port of nec2c's sbf(), tbf(), trio() and cabc() (calculations.c), for wires without
// patches; the arithmetic is nec2c's, step for step.
#include "nec/basis.h"

#include <cmath>
#include <cstdlib>

namespace zeva::nec {
namespace {

std::size_t at(int segmentFromOne) { return static_cast<std::size_t>(segmentFromOne - 1); }

// 1 - cos(2d), by its series where d is small.
double oneMinusCos(double d, double cdh, double sdh) {
    if (d <= 0.015) {
        double omc = 4. * d * d;
        return ((1.3888889e-3 * omc - 4.1666666667e-2) * omc + .5) * omc;
    }
    return 1. - cdh * cdh + sdh * sdh;
}

// The end-cap factor of a free end.
double capFactor(double radius) {
    const double qp = kPi * radius;
    const double xxi = qp * qp;
    return qp * (1. - .5 * xxi) / (1. - xxi);
}

double junctionFactor(double radius) { return 1. / (std::log(1. / (kPi * radius)) - .577215664); }

// sbf(): the component of basis function i on segment is.
void sbf(const Segments& s, int i, int is, double* aa, double* bb, double* cc) {
    *aa = 0.;
    *bb = 0.;
    *cc = 0.;
    int june = 0, jsno = 0, njun1 = 0;
    double pp = 0., pm = 0.;
    const std::size_t ix = at(i);

    int jcox = s.icon1[ix];
    int jend = -1, iend = -1;
    double sig = -1.;
    int walked = 0;  // a chain of junctions that never closes ends the walk
    do {
        if (++walked > 2 * s.n + 2) break;
        if (jcox != 0) {
            if (jcox < 0) {
                jcox = -jcox;
            } else {
                sig = -sig;
                jend = -jend;
            }
            const std::size_t jcoxx = at(jcox);
            ++jsno;
            const double d = kPi * s.si[jcoxx];
            const double sdh = std::sin(d), cdh = std::cos(d), sd = 2. * sdh * cdh;
            const double omc = oneMinusCos(d, cdh, sdh);
            const double aj = junctionFactor(s.bi[jcoxx]);
            pp -= omc / sd * aj;
            if (jcox == is) {
                *aa = aj / sd * sig;
                *bb = aj / (2. * cdh);
                *cc = -aj / (2. * sdh) * sig;
                june = iend;
            }
            if (jcox != i) {
                jcox = jend != 1 ? s.icon1[jcoxx] : s.icon2[jcoxx];
                if (std::abs(jcox) != i) {
                    if (jcox == 0) break;  // a broken chain; buildSegments never makes one
                    continue;
                }
            } else if (jcox == is) {
                *bb = -*bb;
            }
            if (iend == 1) break;
        }
        pm = -pp;
        pp = 0.;
        njun1 = jsno;
        jcox = s.icon2[ix];
        jend = 1;
        iend = 1;
        sig = -1.;
    } while (jcox != 0);

    const int njun2 = jsno - njun1;
    const double d = kPi * s.si[ix];
    const double sdh = std::sin(d), cdh = std::cos(d), sd = 2. * sdh * cdh;
    const double cd = cdh * cdh - sdh * sdh;
    const double omc = d <= 0.015 ? oneMinusCos(d, cdh, sdh) : 1. - cd;
    const double ap = junctionFactor(s.bi[ix]);
    const double aj = ap;

    if (njun1 == 0) {
        if (njun2 == 0) {
            *aa = -1.;
            *cc = 1. / (cdh - capFactor(s.bi[ix]) * sdh);
            return;
        }
        const double xxi = capFactor(s.bi[ix]);
        const double qp = -(omc + xxi * sd) / (sd * (ap + xxi * pp) + cd * (xxi * ap - pp));
        if (june == 1) {
            *aa = -*aa * qp;
            *bb = *bb * qp;
            *cc = -*cc * qp;
            if (i != is) return;
        }
        *aa -= 1.;
        const double dd = cd - xxi * sd;
        *bb += (sdh + ap * qp * (cdh - xxi * sdh)) / dd;
        *cc += (cdh + ap * qp * (sdh + xxi * cdh)) / dd;
        return;
    }
    if (njun2 == 0) {
        const double xxi = capFactor(s.bi[ix]);
        const double qm = (omc + xxi * sd) / (sd * (aj - xxi * pm) + cd * (pm + xxi * aj));
        if (june == -1) {
            *aa = *aa * qm;
            *bb = *bb * qm;
            *cc = *cc * qm;
            if (i != is) return;
        }
        *aa -= 1.;
        const double dd = cd - xxi * sd;
        *bb += (aj * qm * (cdh - xxi * sdh) - sdh) / dd;
        *cc += (cdh - aj * qm * (sdh + xxi * cdh)) / dd;
        return;
    }
    double qp = sd * (pm * pp + aj * ap) + cd * (pm * ap - pp * aj);
    const double qm = (ap * omc - pp * sd) / qp;
    qp = -(aj * omc + pm * sd) / qp;
    if (june != 0) {
        if (june < 0) {
            *aa = *aa * qm;
            *bb = *bb * qm;
            *cc = *cc * qm;
        } else {
            *aa = -*aa * qp;
            *bb = *bb * qp;
            *cc = -*cc * qp;
        }
        if (i != is) return;
    }
    *aa -= 1.;
    *bb += (aj * qm + ap * qp) * sdh / sd;
    *cc += (aj * qm - ap * qp) * cdh / sd;
}

void pushSbf(const Segments& s, int i, int is, BasisTerms& out) {
    double a = 0, b = 0, c = 0;
    sbf(s, i, is, &a, &b, &c);
    out.jco.push_back(i);
    out.ax.push_back(a);
    out.bx.push_back(b);
    out.cx.push_back(c);
}

}  // namespace

void trio(const Segments& s, int j, BasisTerms& out) {
    out.clear();
    const std::size_t jx = at(j);
    int jcox = s.icon1[jx];
    int jend = -1, iend = -1;
    if (jcox == 0) {
        jcox = s.icon2[jx];
        jend = 1;
        iend = 1;
        if (jcox == 0) {
            pushSbf(s, j, j, out);
            return;
        }
    }
    int walked = 0;  // a chain of junctions that never closes ends the walk
    do {
        if (++walked > 2 * s.n + 2) break;
        if (jcox < 0) {
            jcox = -jcox;
        } else {
            jend = -jend;
        }
        const std::size_t jcoxx = at(jcox);
        if (jcox != j) {
            pushSbf(s, jcox, j, out);
            jcox = jend != 1 ? s.icon1[jcoxx] : s.icon2[jcoxx];
            if (jcox == 0) break;  // a broken chain; buildSegments never makes one
            continue;
        }
        if (iend == 1) break;
        jcox = s.icon2[jx];
        jend = 1;
        iend = 1;
    } while (jcox != 0);
    pushSbf(s, j, j, out);
}

void tbf(const Segments& s, int i, int icap, BasisTerms& out) {
    out.clear();
    double pp = 0., pm = 0.;
    std::size_t njun1 = 0;
    const std::size_t ix = at(i);
    int jcox = s.icon1[ix];
    int jend = -1, iend = -1;
    double sig = -1.;
    int walked = 0;  // a chain of junctions that never closes ends the walk
    do {
        if (++walked > 2 * s.n + 2) break;
        if (jcox != 0) {
            if (jcox < 0) {
                jcox = -jcox;
            } else {
                sig = -sig;
                jend = -jend;
            }
            const std::size_t jcoxx = at(jcox);
            const double d = kPi * s.si[jcoxx];
            const double sdh = std::sin(d), cdh = std::cos(d), sd = 2. * sdh * cdh;
            const double omc = oneMinusCos(d, cdh, sdh);
            const double aj = junctionFactor(s.bi[jcoxx]);
            pp = pp - omc / sd * aj;
            out.jco.push_back(jcox);
            out.ax.push_back(aj / sd * sig);
            out.bx.push_back(aj / (2. * cdh));
            out.cx.push_back(-aj / (2. * sdh) * sig);
            if (jcox != i) {
                jcox = jend == 1 ? s.icon2[jcoxx] : s.icon1[jcoxx];
                if (std::abs(jcox) != i) {
                    if (jcox != 0) continue;
                    break;  // a broken chain; buildSegments never makes one
                }
            } else {
                out.bx.back() = -out.bx.back();
            }
            if (iend == 1) break;
        }
        pm = -pp;
        pp = 0.;
        njun1 = out.jco.size();
        jcox = s.icon2[ix];
        jend = 1;
        iend = 1;
        sig = -1.;
    } while (jcox != 0);

    const std::size_t jsno = out.jco.size();
    const std::size_t njun2 = jsno - njun1;
    const double d = kPi * s.si[ix];
    const double sdh = std::sin(d), cdh = std::cos(d), sd = 2. * sdh * cdh;
    const double cd = cdh * cdh - sdh * sdh;
    const double omc = d <= 0.015 ? oneMinusCos(d, cdh, sdh) : 1. - cd;
    const double ap = junctionFactor(s.bi[ix]);
    const double aj = ap;
    const double xxi = icap == 0 ? 0. : capFactor(s.bi[ix]);
    double own_b = 0, own_c = 0;

    if (njun1 == 0 && njun2 == 0) {
        own_b = 0.;
        own_c = 1. / (cdh - xxi * sdh);
    } else if (njun1 == 0) {
        const double qp = -(omc + xxi * sd) / (sd * (ap + xxi * pp) + cd * (xxi * ap - pp));
        const double dd = cd - xxi * sd;
        own_b = (sdh + ap * qp * (cdh - xxi * sdh)) / dd;
        own_c = (cdh + ap * qp * (sdh + xxi * cdh)) / dd;
        for (std::size_t k = 0; k < njun2; ++k) {
            out.ax[k] = -out.ax[k] * qp;
            out.bx[k] = out.bx[k] * qp;
            out.cx[k] = -out.cx[k] * qp;
        }
    } else if (njun2 == 0) {
        const double qm = (omc + xxi * sd) / (sd * (aj - xxi * pm) + cd * (pm + xxi * aj));
        const double dd = cd - xxi * sd;
        own_b = (aj * qm * (cdh - xxi * sdh) - sdh) / dd;
        own_c = (cdh - aj * qm * (sdh + xxi * cdh)) / dd;
        for (std::size_t k = 0; k < njun1; ++k) {
            out.ax[k] = out.ax[k] * qm;
            out.bx[k] = out.bx[k] * qm;
            out.cx[k] = out.cx[k] * qm;
        }
    } else {
        double qp = sd * (pm * pp + aj * ap) + cd * (pm * ap - pp * aj);
        const double qm = (ap * omc - pp * sd) / qp;
        qp = -(aj * omc + pm * sd) / qp;
        own_b = (aj * qm + ap * qp) * sdh / sd;
        own_c = (aj * qm - ap * qp) * cdh / sd;
        for (std::size_t k = 0; k < njun1; ++k) {
            out.ax[k] = out.ax[k] * qm;
            out.bx[k] = out.bx[k] * qm;
            out.cx[k] = out.cx[k] * qm;
        }
        for (std::size_t k = njun1; k < jsno; ++k) {
            out.ax[k] = -out.ax[k] * qp;
            out.bx[k] = out.bx[k] * qp;
            out.cx[k] = -out.cx[k] * qp;
        }
    }
    out.jco.push_back(i);
    out.ax.push_back(-1.);
    out.bx.push_back(own_b);
    out.cx.push_back(own_c);
}

SegmentCurrents cabc(const Segments& s, std::vector<Complex>& amplitudes) {
    const std::size_t n = static_cast<std::size_t>(s.n);
    SegmentCurrents c{std::vector<Complex>(n), std::vector<Complex>(n), std::vector<Complex>(n)};
    std::vector<double> air(n), aii(n), bir(n), bii(n), cir(n), cii(n);
    BasisTerms terms;
    for (std::size_t i = 0; i < n; ++i) {
        const double ar = amplitudes[i].real(), ai = amplitudes[i].imag();
        tbf(s, static_cast<int>(i + 1), 1, terms);
        for (std::size_t k = 0; k < terms.jco.size(); ++k) {
            const std::size_t j = at(terms.jco[k]);
            air[j] += terms.ax[k] * ar;
            aii[j] += terms.ax[k] * ai;
            bir[j] += terms.bx[k] * ar;
            bii[j] += terms.bx[k] * ai;
            cir[j] += terms.cx[k] * ar;
            cii[j] += terms.cx[k] * ai;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        c.a[i] = {air[i], aii[i]};
        c.b[i] = {bir[i], bii[i]};
        c.c[i] = {cir[i], cii[i]};
        amplitudes[i] = {air[i] + cir[i], aii[i] + cii[i]};
    }
    return c;
}

}  // namespace zeva::nec
