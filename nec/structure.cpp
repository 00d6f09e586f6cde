// SPDX-License-Identifier: MIT
#include "nec/structure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace zeva::nec {
namespace {

// Ends closer than this fraction of a segment's length are joined (nec2c's SMIN).
constexpr double kJoin = 1.e-3;

// wire(): ns equal segments from end 1 to end 2, the last ending exactly at end 2.
void addWire(Segments& s, const Wire& w, int tag) {
    s.firstOfWire.push_back(s.n);
    const double xd = (w.end2.x - w.end1.x) / w.segments;
    const double yd = (w.end2.y - w.end1.y) / w.segments;
    const double zd = (w.end2.z - w.end1.z) / w.segments;
    double xs1 = w.end1.x, ys1 = w.end1.y, zs1 = w.end1.z;
    for (int i = 0; i < w.segments; ++i) {
        const double xs2 = xs1 + xd, ys2 = ys1 + yd, zs2 = zs1 + zd;
        s.tag.push_back(tag);
        s.x1.push_back(xs1);
        s.y1.push_back(ys1);
        s.z1.push_back(zs1);
        s.x2.push_back(xs2);
        s.y2.push_back(ys2);
        s.z2.push_back(zs2);
        s.bi.push_back(w.radius);
        xs1 = xs2;
        ys1 = ys2;
        zs1 = zs2;
    }
    s.n += w.segments;
    s.x2.back() = w.end2.x;
    s.y2.back() = w.end2.y;
    s.z2.back() = w.end2.z;
}

double sep(double xa, double ya, double za, double xb, double yb, double zb) {
    return std::fabs(xa - xb) + std::fabs(ya - yb) + std::fabs(za - zb);
}

// A key of a point whose difference between two points is at most kKeyWeight times their
// L1 distance, so that the ends within reach of one lie in a narrow band of keys. The
// weights are unlike one another so that few wires run along a line of constant key.
constexpr double kKeyWeight = 2.718281828;
double keyOf(double x, double y, double z) { return x + 1.618033989 * y + kKeyWeight * z; }

// conect() without ground contact: each end takes the touching end that nec2c's scan would
// meet first (the next segment on, wrapping round; end 1 before end 2 of a segment), found
// among the ends sorted by key rather than by scanning them all.
void connect(Segments& s) {
    const std::size_t n = static_cast<std::size_t>(s.n);
    s.icon1.assign(n, 0);
    s.icon2.assign(n, 0);
    struct End {
        double key;
        std::size_t segment;
        bool first;  // end 1 of its segment
    };
    std::vector<End> ends;
    ends.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        ends.push_back({keyOf(s.x1[i], s.y1[i], s.z1[i]), i, true});
        ends.push_back({keyOf(s.x2[i], s.y2[i], s.z2[i]), i, false});
    }
    std::sort(ends.begin(), ends.end(), [](const End& a, const End& b) { return a.key < b.key; });
    const auto find = [&](std::size_t i, double x, double y, double z, double slen) {
        const double key = keyOf(x, y, z);
        const double reach = kKeyWeight * slen;
        auto at = std::lower_bound(ends.begin(), ends.end(), key - reach,
                                   [](const End& e, double k) { return e.key < k; });
        std::size_t bestOrder = n;  // the scan's order: segments after i first
        bool bestFirst = false;
        for (; at != ends.end() && at->key <= key + reach; ++at) {
            if (at->segment == i) continue;
            const std::size_t ic = at->segment;
            const double ex = at->first ? s.x1[ic] : s.x2[ic];
            const double ey = at->first ? s.y1[ic] : s.y2[ic];
            const double ez = at->first ? s.z1[ic] : s.z2[ic];
            if (sep(x, y, z, ex, ey, ez) > slen) continue;
            const std::size_t order = (ic + n - i - 1) % n;
            if (order < bestOrder || (order == bestOrder && at->first && !bestFirst)) {
                bestOrder = order;
                bestFirst = at->first;
            }
        }
        return std::pair{bestOrder < n ? static_cast<int>((i + 1 + bestOrder) % n + 1) : 0,
                         bestFirst};
    };
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = s.x2[i] - s.x1[i], dy = s.y2[i] - s.y1[i], dz = s.z2[i] - s.z1[i];
        const double slen = std::sqrt(dx * dx + dy * dy + dz * dz) * kJoin;
        // End 1 meeting an end 1 is written negative, meeting an end 2 positive; end 2 the
        // other way round.
        const auto [one, oneMeetsFirst] = find(i, s.x1[i], s.y1[i], s.z1[i], slen);
        s.icon1[i] = oneMeetsFirst ? -one : one;
        const auto [two, twoMeetsFirst] = find(i, s.x2[i], s.y2[i], s.z2[i], slen);
        s.icon2[i] = twoMeetsFirst ? two : -two;
    }
}

// datagn(): centres, lengths and direction cosines.
void segmentData(Segments& s) {
    const std::size_t n = static_cast<std::size_t>(s.n);
    s.x.resize(n);
    s.y.resize(n);
    s.z.resize(n);
    s.si.resize(n);
    s.cab.resize(n);
    s.sab.resize(n);
    s.salp.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double xw1 = s.x2[i] - s.x1[i], yw1 = s.y2[i] - s.y1[i], zw1 = s.z2[i] - s.z1[i];
        s.x[i] = (s.x1[i] + s.x2[i]) / 2.;
        s.y[i] = (s.y1[i] + s.y2[i]) / 2.;
        s.z[i] = (s.z1[i] + s.z2[i]) / 2.;
        const double xw2 = xw1 * xw1 + yw1 * yw1 + zw1 * zw1;
        double yw2 = std::sqrt(xw2);
        yw2 = (xw2 / yw2 + yw2) * .5;
        s.si[i] = yw2;
        s.cab[i] = xw1 / yw2;
        s.sab[i] = yw1 / yw2;
        s.salp[i] = std::fmax(-1., std::fmin(1., zw1 / yw2));
    }
}

}  // namespace

Segments buildSegments(const std::vector<Wire>& wires) {
    Segments s;
    int tag = 0;
    for (const Wire& w : wires) addWire(s, w, ++tag);
    connect(s);
    segmentData(s);
    return s;
}

Segments scaledTo(const Segments& metres, double frequencyMHz) {
    Segments s = metres;
    const double fr = frequencyMHz / kNecSpeedOfLight;
    s.wlam = kNecSpeedOfLight / frequencyMHz;
    for (std::size_t i = 0; i < static_cast<std::size_t>(s.n); ++i) {
        s.x[i] = metres.x[i] * fr;
        s.y[i] = metres.y[i] * fr;
        s.z[i] = metres.z[i] * fr;
        s.si[i] = metres.si[i] * fr;
        s.bi[i] = metres.bi[i] * fr;
    }
    return s;
}

bool centresInLine(const Segments& s, std::size_t first, std::size_t last, double slack) {
    for (std::size_t k = first + 1; k < last; ++k) {
        const double t = static_cast<double>(k - first) / static_cast<double>(last - first);
        if (std::fabs(s.x[k] - (s.x[first] + t * (s.x[last] - s.x[first]))) > slack ||
            std::fabs(s.y[k] - (s.y[first] + t * (s.y[last] - s.y[first]))) > slack ||
            std::fabs(s.z[k] - (s.z[first] + t * (s.z[last] - s.z[first]))) > slack) {
            return false;
        }
    }
    return true;
}

}  // namespace zeva::nec
