// SPDX-License-Identifier: MIT
#include "nec/matrix.h"

#include <cblas.h>
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <complex>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <new>
#include <thread>

#include "nec/basis.h"
#include "nec/engine.h"

extern "C" {
// LAPACK as OpenBLAS builds it (its own C implementations of these three); declared for their
// types only, for OpenBLAS is loaded when the first matrix is solved.
void zgetrf_(const int* m, const int* n, void* a, const int* lda, int* ipiv, int* info);
void zgetrs_(const char* trans, const int* n, const int* nrhs, const void* a, const int* lda,
             const int* ipiv, void* b, const int* ldb, int* info, std::size_t transLength);
void zlaswp_(const int* n, void* a, const int* lda, const int* k1, const int* k2, const int* ipiv,
             const int* incx);
void cgetrf_(const int* m, const int* n, void* a, const int* lda, int* ipiv, int* info);
void cgetrs_(const char* trans, const int* n, const int* nrhs, const void* a, const int* lda,
             const int* ipiv, void* b, const int* ldb, int* info, std::size_t transLength);
void claswp_(const int* n, void* a, const int* lda, const int* k1, const int* k2, const int* ipiv,
             const int* incx);
}

namespace zeva::nec {
void inParallel(std::size_t parts, const std::function<void(std::size_t)>& part) {
    std::vector<std::exception_ptr> failures(parts);
    {
        std::vector<std::jthread> helpers;
        const auto guarded = [&](std::size_t p) {
            try {
                part(p);
            } catch (...) {
                failures[p] = std::current_exception();
            }
        };
        for (std::size_t p = 1; p < parts; ++p) helpers.emplace_back(guarded, p);
        guarded(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

namespace {

bool stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// Within a straight wire of evenly spaced segments alike in length, radius and direction,
// the field of one segment at another depends only on how many segments lie between them
// (over a ground as well, when the wire lies level): each offset is computed once, from a
// source one segment in from an end, and serves every source of the wire whose ends are
// treated alike. The wire's own end segments, whose ends differ, are computed directly.
struct AlongWire {
    std::size_t first = 0, count = 0;
    bool even = false;                      // evenly cut (evenlyCut())
    int ind1 = 0, ind2 = 0;                 // the end treatment of the sources it serves
    std::vector<FieldComponents> byOffset;  // offset d = i - j at d + count - 1; empty if none

    [[nodiscard]] bool serves(const SourceSegment& src, std::size_t j) const {
        return !byOffset.empty() && j > first && j + 1 < first + count && src.ind1 == ind1 &&
               src.ind2 == ind2;
    }
    // Whether source j's field at another wire is the served sources' moved along the wire:
    // a served source, or an end segment whose ends the kernel treats as theirs (a free end
    // and an end joined to a segment alike both take the extended kernel's end terms).
    [[nodiscard]] bool alikeAcross(const SourceSegment& src, std::size_t j) const {
        const auto kernelEnd = [](int ind) { return ind == 2 ? 2 : 0; };
        return !byOffset.empty() && j >= first && j < first + count &&
               kernelEnd(src.ind1) == kernelEnd(ind1) && kernelEnd(src.ind2) == kernelEnd(ind2);
    }
    [[nodiscard]] bool holds(std::size_t i) const { return i >= first && i < first + count; }
    [[nodiscard]] const FieldComponents& at(std::size_t i, std::size_t j) const {
        return byOffset[i + count - 1 - j];
    }
};

bool evenlyCut(const Segments& s, const GroundModel& ground, std::size_t first, std::size_t count) {
    if (count < 3) return false;
    const std::size_t last = first + count - 1;
    const double step = s.si[first];
    const double along = 1e-9 * step;
    if (ground.ksymp != 1 && s.salp[first] != 0) return false;
    for (std::size_t k = first; k <= last; ++k) {
        if (std::fabs(s.si[k] - step) > along || s.bi[k] != s.bi[first] ||
            std::fabs(s.cab[k] - s.cab[first]) > 1e-12 ||
            std::fabs(s.sab[k] - s.sab[first]) > 1e-12 ||
            std::fabs(s.salp[k] - s.salp[first]) > 1e-12) {
            return false;
        }
    }
    return centresInLine(s, first, last, along);
}

AlongWire alongWire(const Segments& s, const std::vector<SourceSegment>& sources,
                    const GroundModel& ground, std::size_t first, std::size_t count) {
    AlongWire w;
    w.first = first;
    w.count = count;
    w.even = evenlyCut(s, ground, first, count);
    if (!w.even) return w;
    const std::size_t near = first + 1, far = first + count - 2;
    w.ind1 = sources[near].ind1;
    w.ind2 = sources[near].ind2;
    // Both halves of the table must come from sources whose ends are treated alike (another
    // wire joined at an inner end changes that segment's treatment).
    if (sources[far].ind1 != w.ind1 || sources[far].ind2 != w.ind2) return w;
    w.byOffset.resize(2 * count - 1);
    const auto field = [&](std::size_t i, std::size_t j) {
        const int ij = static_cast<int>(i) - static_cast<int>(j);
        w.byOffset[i + count - 1 - j] =
            efld(sources[j], ground, s.x[i], s.y[i], s.z[i], s.bi[i], ij);
    };
    for (std::size_t i = near; i < first + count; ++i) field(i, near);  // d from 0 up
    for (std::size_t i = first; i < far; ++i) field(i, far);            // d below 0
    return w;
}

// Between two parallel straight wires in free space, each evenly cut, the field of an inner
// source segment of one at a match point of the other depends only on how far along the
// wires the point lies from the segment, the distance across them being the same for every
// pair. Where the wires lie several segments apart that is a smooth function of the offset:
// it is sampled once at a fine step and read between the samples by the polynomial through
// the six around the offset (within about a part in 10^9 of the direct figure, the adaptive
// integration's own noise; eight samples read no closer, four are ten times further off);
// the wire's end segments, alike in length and kernel, are read from the same samples.
// Mirrored across the plane through the segment's centre, the constant and cosine parts of
// its current turn round and the sine part does not, so along the wire the constant and
// cosine parts' field is even in the offset and the sine part's odd: only offsets of one sign
// are sampled. Pairs near the distance where the field becomes a lumped element's are
// computed directly.
constexpr int kStencil = 6;
// Samples a wavelength at least, and a step no longer than this share of the distance across.
constexpr double kSamplesPerWavelength = 32;
constexpr double kStepsAcross = 12;
// The wires at least this many source segments apart.
constexpr double kLeastSegmentsApart = 4;

struct AcrossWires {
    double t0 = 0, step = 0;  // the first sample's distance along the wires, the step
    // The match points lie `perRow` steps apart: the step divides their spacing, so one set
    // of weights serves every row of the wire.
    std::size_t perRow = 0;
    double lumpedFrom = -1;  // |offset| from which the field is a lumped element's; -1 never
    std::vector<std::array<Complex, 3>> samples;  // the constant, sine and cosine parts

    [[nodiscard]] bool usable() const { return !samples.empty(); }
    // Whether the pair at this offset is to be computed directly rather than read.
    [[nodiscard]] bool direct(double t) const {
        return lumpedFrom >= 0 && std::fabs(std::fabs(t) - lumpedFrom) < (kStencil / 2 + 1) * step;
    }
};

// Lagrange's weights at the offset t among the six samples around it, and the first of
// those samples; false where the samples do not reach.
bool weightsAt(const AcrossWires& a, double t, std::ptrdiff_t& first, double (&weight)[kStencil]) {
    const double position = (t - a.t0) / a.step;
    const double below = std::floor(position);
    first = static_cast<std::ptrdiff_t>(below) - (kStencil / 2 - 1);
    if (first < 0 || first + kStencil > static_cast<std::ptrdiff_t>(a.samples.size())) {
        return false;
    }
    // From the products of (x - m) on either side of each node.
    static constexpr double kInverseDenominators[kStencil] = {-1. / 120, 1. / 24,  -1. / 12,
                                                              1. / 12,   -1. / 24, 1. / 120};
    const double x = position - below + (kStencil / 2 - 1);
    double left[kStencil], right[kStencil];
    left[0] = 1;
    for (int m = 1; m < kStencil; ++m) left[m] = left[m - 1] * (x - (m - 1));
    right[kStencil - 1] = 1;
    for (int m = kStencil - 2; m >= 0; --m) right[m] = right[m + 1] * (x - (m + 1));
    for (int m = 0; m < kStencil; ++m) weight[m] = left[m] * right[m] * kInverseDenominators[m];
    return true;
}

// The three parts read with the weights from the samples starting at `first`.
void readSamples(const AcrossWires& a, std::size_t first, const double (&weight)[kStencil],
                 Complex& etk, Complex& ets, Complex& etc) {
    // The samples as plain numbers, six to a sample, so that the sums run side by side.
    static_assert(sizeof(std::array<Complex, 3>) == 6 * sizeof(double));
    const double* sample = reinterpret_cast<const double*>(a.samples.data() + first);
    double sum[6] = {};
    for (int m = 0; m < kStencil; ++m) {
        for (int c = 0; c < 6; ++c) sum[c] += weight[m] * sample[6 * m + c];
    }
    etk = {sum[0], sum[1]};
    ets = {sum[2], sum[3]};
    etc = {sum[4], sum[5]};
}

// The runs of rows that are consecutive segments of one wire: for each row the first of its
// run and one past the last.
struct RowRuns {
    std::vector<std::size_t> start, end;
};

// The kept rows of one wire: how many, and the first and last of their segments.
struct RowsOfWire {
    std::size_t count = 0, lowest = 0, highest = 0;
};

// The sampled field of wire `from`'s sources at wire `to`'s kept match points, or
// nothing where the wires are not so placed or the samples would cost more than the pairs.
AcrossWires sampledAcross(const Segments& s, const std::vector<SourceSegment>& sources,
                          const GroundModel& ground, const AlongWire& to, const AlongWire& from,
                          const RowsOfWire& rows) {
    AcrossWires a;
    if (ground.ksymp != 1 || ground.sommerfeld != nullptr || !to.even || from.byOffset.empty()) {
        return a;
    }
    const std::size_t i0 = to.first;
    const std::size_t ref = from.first + 1;
    const SourceSegment& src = sources[ref];
    if (std::fabs(s.cab[i0] - src.cabj) > 1e-12 || std::fabs(s.sab[i0] - src.sabj) > 1e-12 ||
        std::fabs(s.salp[i0] - src.salpj) > 1e-12) {
        return a;
    }
    const auto along = [&](std::size_t i, std::size_t j) {
        return (s.x[i] - s.x[j]) * src.cabj + (s.y[i] - s.y[j]) * src.sabj +
               (s.z[i] - s.z[j]) * src.salpj;
    };
    // The distance across, from the reference source's centre to the first match point.
    const double t = along(i0, ref);
    const double ax = s.x[i0] - s.x[ref] - t * src.cabj;
    const double ay = s.y[i0] - s.y[ref] - t * src.sabj;
    const double az = s.z[i0] - s.z[ref] - t * src.salpj;
    const double across = std::sqrt(ax * ax + ay * ay + az * az);
    if (!(across >= kLeastSegmentsApart * src.s)) return a;
    // The spacing of the match points along the wires, cut into whole steps of at most a
    // share of the distance across and of the wavelength.
    const double spacing = along(i0 + 1, ref) - t;
    const double longest = std::min(across / kStepsAcross, 1. / kSamplesPerWavelength);
    if (!(spacing > 0)) return a;
    const double perRow = std::ceil(spacing / longest * (1 - 1e-12));
    const double step = spacing / perRow;
    // The distances along the wires that the kept rows and the sources take, either way.
    const double first = along(rows.lowest, from.first + from.count - 1);
    const double last = along(rows.highest, from.first);
    const double high = std::max({first, last, -first, -last});
    const double low = first <= 0 && last >= 0 ? 0 : std::min(std::fabs(first), std::fabs(last));
    const double margin = (kStencil / 2 + 1) * step;
    const auto count = static_cast<std::size_t>(std::ceil((high - low + 2 * margin) / step)) + 1;
    // Sampling pays where it costs well under the pairs it serves.
    if (2 * count > rows.count * from.count) return a;
    a.t0 = low - margin;
    a.step = step;
    a.perRow = static_cast<std::size_t>(perRow);
    const double rh2 = across * across + s.bi[i0] * s.bi[i0];
    if (src.rkh * src.rkh > rh2) a.lumpedFrom = std::sqrt(src.rkh * src.rkh - rh2);
    a.samples.resize(count);
    // Where the offsets reach the source's centre, the samples before it are the images of
    // those after it.
    constexpr std::size_t kBefore = kStencil / 2 + 1;
    const std::size_t mirrored = low == 0 && count > 2 * kBefore ? kBefore : 0;
    for (std::size_t k = mirrored; k < count; ++k) {
        const double offset = a.t0 + static_cast<double>(k) * step;
        const FieldComponents f =
            efld(src, ground, s.x[ref] + ax + offset * src.cabj, s.y[ref] + ay + offset * src.sabj,
                 s.z[ref] + az + offset * src.salpj, s.bi[i0], 1);
        a.samples[k] = {f.exk * s.cab[i0] + f.eyk * s.sab[i0] + f.ezk * s.salp[i0],
                        f.exs * s.cab[i0] + f.eys * s.sab[i0] + f.ezs * s.salp[i0],
                        f.exc * s.cab[i0] + f.eyc * s.sab[i0] + f.ezc * s.salp[i0]};
    }
    for (std::size_t k = 0; k < mirrored; ++k) {
        const auto& image = a.samples[2 * kBefore - k];
        a.samples[k] = {image[0], -image[1], image[2]};
    }
    return a;
}

// One source segment's part of the fill: its field at every kept row, spread over the
// basis functions that reach it (cmww() with the transposed fill of cmset()). acrossTo[w]:
// the source's wire sampled at wire w's match points, where it is.
void fillFromSource(const Segments& s, const Unknowns& u, const GroundModel& ground,
                    const SourceSegment& src, const BasisTerms& basis, const AlongWire& wire,
                    const AcrossWires* acrossTo, const std::vector<std::size_t>& wireOf,
                    const RowRuns& runs, std::size_t j, std::size_t rowBegin, std::size_t rowEnd,
                    Matrix& out) {
    const std::size_t terms = basis.jco.size();
    std::vector<std::size_t> columns(terms);
    for (std::size_t k = 0; k < terms; ++k) {
        columns[k] = static_cast<std::size_t>(u.of[static_cast<std::size_t>(basis.jco[k] - 1)]);
    }
    const bool reused = wire.serves(src, j);
    const bool alike = wire.alikeAcross(src, j);
    const auto spread = [&](std::size_t r, const Complex& etk, const Complex& ets,
                            const Complex& etc) {
        for (std::size_t k = 0; k < terms; ++k) {
            out(r, columns[k]) += etk * basis.ax[k] + ets * basis.bx[k] + etc * basis.cx[k];
        }
    };
    const auto directly = [&](std::size_t r) {
        const std::size_t i = u.row[r];
        const int ij = static_cast<int>(i) - static_cast<int>(j);
        const FieldComponents f = reused && wire.holds(i)
                                      ? wire.at(i, j)
                                      : efld(src, ground, s.x[i], s.y[i], s.z[i], s.bi[i], ij);
        spread(r, f.exk * s.cab[i] + f.eyk * s.sab[i] + f.ezk * s.salp[i],
               f.exs * s.cab[i] + f.eys * s.sab[i] + f.ezs * s.salp[i],
               f.exc * s.cab[i] + f.eyc * s.sab[i] + f.ezc * s.salp[i]);
    };
    for (std::size_t r = rowBegin; r < rowEnd;) {
        const std::size_t i = u.row[r];
        const AcrossWires* sampled = alike && acrossTo != nullptr && acrossTo[wireOf[i]].usable()
                                         ? &acrossTo[wireOf[i]]
                                         : nullptr;
        const std::size_t end = std::min(runs.end[r], rowEnd);
        if (sampled == nullptr) {
            for (; r < end; ++r) directly(r);
            continue;
        }
        // The run's match points lie a whole number of steps apart, the first rows of the run
        // perhaps behind the source's centre and the rest ahead of it: one set of weights for
        // each side, taken at the side's first row from the run's first wherever the rows are
        // shared among threads, so that the figures do not depend on how many there are.
        const std::size_t i0 = u.row[runs.start[r]];
        const double t = (s.x[i0] - src.xj) * src.cabj + (s.y[i0] - src.yj) * src.sabj +
                         (s.z[i0] - src.zj) * src.salpj;
        const double spacing = sampled->step * static_cast<double>(sampled->perRow);
        std::size_t ahead = t >= 0 ? 0 : static_cast<std::size_t>(std::ceil(-t / spacing));
        while (t + static_cast<double>(ahead) * spacing < 0) ++ahead;
        while (ahead > 0 && t + static_cast<double>(ahead - 1) * spacing >= 0) --ahead;
        std::ptrdiff_t behindFirst = 0, aheadFirst = 0;
        double behindWeight[kStencil], aheadWeight[kStencil];
        const bool behindReadable = ahead > 0 && weightsAt(*sampled, -t, behindFirst, behindWeight);
        const bool aheadReadable =
            weightsAt(*sampled, t + static_cast<double>(ahead) * spacing, aheadFirst, aheadWeight);
        const auto perRow = static_cast<std::ptrdiff_t>(sampled->perRow);
        for (std::size_t k = r - runs.start[r]; r < end; ++r, ++k) {
            const bool behind = k < ahead;
            const auto rowsOn = static_cast<std::ptrdiff_t>(k);
            const auto at =
                behind ? behindFirst - rowsOn * perRow
                       : aheadFirst + (rowsOn - static_cast<std::ptrdiff_t>(ahead)) * perRow;
            if (!(behind ? behindReadable : aheadReadable) ||
                sampled->direct(t + static_cast<double>(k) * spacing) || at < 0 ||
                at + kStencil > static_cast<std::ptrdiff_t>(sampled->samples.size())) {
                directly(r);
                continue;
            }
            Complex etk, ets, etc;
            readSamples(*sampled, static_cast<std::size_t>(at), behind ? behindWeight : aheadWeight,
                        etk, ets, etc);
            spread(r, etk, behind ? -ets : ets, etc);
        }
    }
}

}  // namespace

bool Matrix::zeroed(std::size_t size, const std::atomic<bool>* stop) {
    n = size;
    a = std::make_unique_for_overwrite<Complex[]>(n * n);
    for (std::size_t column = 0; column < n; ++column) {
        if (stopped(stop)) return false;
        std::fill_n(a.get() + column * n, n, Complex{});
    }
    return true;
}

Unknowns everySegment(const Segments& s) {
    Unknowns u;
    for (int i = 0; i < s.n; ++i) {
        u.of.push_back(i);
        u.row.push_back(static_cast<std::size_t>(i));
    }
    return u;
}

std::optional<Unknowns> mirrorFold(const Segments& s, const std::vector<int>& onThePlane) {
    const std::size_t n = static_cast<std::size_t>(s.n);
    std::vector<std::size_t> mirror(n);
    for (std::size_t w = 0; w < s.firstOfWire.size(); ++w) {
        const std::size_t first = static_cast<std::size_t>(s.firstOfWire[w]);
        const std::size_t end =
            w + 1 < s.firstOfWire.size() ? static_cast<std::size_t>(s.firstOfWire[w + 1]) : n;
        const std::size_t last = end - 1;
        // Along y and centred on the plane, exactly: then segment k and segment
        // (count - 1 - k) are mirror images, and so are their basis functions.
        if (s.x1[first] != s.x2[last] || s.z1[first] != s.z2[last] || s.y1[first] != -s.y2[last] ||
            !(s.y2[last] > s.y1[first])) {
            return std::nullopt;
        }
        for (std::size_t k = first; k < end; ++k) {
            if (s.x1[k] != s.x1[first] || s.z1[k] != s.z1[first] || s.x2[k] != s.x1[first] ||
                s.z2[k] != s.z1[first]) {
                return std::nullopt;
            }
            mirror[k] = first + last - k;
        }
    }
    for (const int segment : onThePlane) {
        const std::size_t i = static_cast<std::size_t>(segment);
        if (i >= n || mirror[i] != i) return std::nullopt;
    }
    Unknowns u;
    u.of.assign(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (mirror[i] < i) {
            u.of[i] = u.of[mirror[i]];
        } else {
            u.of[i] = static_cast<int>(u.row.size());
            u.row.push_back(i);
        }
    }
    return u;
}

bool fillMatrix(const Segments& s, const Unknowns& u, const GroundModel& ground,
                bool extendedKernel, int threads, const std::atomic<bool>* stop, Matrix& out,
                bool alongWires, bool acrossWires) {
    const std::size_t n = static_cast<std::size_t>(s.n);
    std::vector<SourceSegment> sources;
    std::vector<BasisTerms> terms(n);
    sources.reserve(n);
    for (std::size_t j = 0; j < n; ++j) {
        sources.push_back(sourceSegment(s, j, extendedKernel));
        trio(s, static_cast<int>(j + 1), terms[j]);
    }
    std::vector<AlongWire> wires;
    std::vector<std::size_t> wireOf(n);
    for (std::size_t w = 0; w < s.firstOfWire.size(); ++w) {
        const std::size_t first = static_cast<std::size_t>(s.firstOfWire[w]);
        const std::size_t end =
            w + 1 < s.firstOfWire.size() ? static_cast<std::size_t>(s.firstOfWire[w + 1]) : n;
        wires.push_back(alongWires ? alongWire(s, sources, ground, first, end - first)
                                   : AlongWire{first, end - first, false, 0, 0, {}});
        std::fill(wireOf.begin() + static_cast<std::ptrdiff_t>(first),
                  wireOf.begin() + static_cast<std::ptrdiff_t>(end), w);
    }
    const std::size_t parts = std::clamp<std::size_t>(static_cast<std::size_t>(threads), 1, 16);
    // The samples between wires: across[from * wires + to].
    const std::size_t wireCount = wires.size();
    std::vector<AcrossWires> across;
    if (alongWires && acrossWires && wireCount > 1) {
        std::vector<RowsOfWire> rowsOf(wireCount);
        for (const std::size_t i : u.row) {
            RowsOfWire& rows = rowsOf[wireOf[i]];
            rows.lowest = rows.count == 0 ? i : std::min(rows.lowest, i);
            rows.highest = rows.count == 0 ? i : std::max(rows.highest, i);
            ++rows.count;
        }
        across.resize(wireCount * wireCount);
        std::atomic<bool> failed{false};
        inParallel(parts, [&](std::size_t part) {
            for (std::size_t k = part; k < across.size(); k += parts) {
                const std::size_t from = k / wireCount, to = k % wireCount;
                if (from == to || rowsOf[to].count == 0) continue;
                if (stopped(stop)) {
                    failed = true;
                    return;
                }
                across[k] = sampledAcross(s, sources, ground, wires[to], wires[from], rowsOf[to]);
            }
        });
        if (failed) return false;
    }
    if (!out.zeroed(u.count(), stop)) return false;
    RowRuns runs;
    runs.start.resize(u.count());
    runs.end.resize(u.count());
    const auto runsOn = [&](std::size_t r) {  // row r + 1 the next segment of row r's wire
        return r + 1 < u.count() && u.row[r + 1] == u.row[r] + 1 &&
               wireOf[u.row[r + 1]] == wireOf[u.row[r]];
    };
    for (std::size_t r = 0; r < u.count(); ++r) {
        runs.start[r] = r > 0 && runsOn(r - 1) ? runs.start[r - 1] : r;
    }
    for (std::size_t r = u.count(); r-- > 0;) runs.end[r] = runsOn(r) ? runs.end[r + 1] : r + 1;

    std::atomic<bool> halted{false};
    const auto work = [&](std::size_t rowBegin, std::size_t rowEnd) {
        for (std::size_t j = 0; j < n; ++j) {
            if (stopped(stop)) {
                halted = true;
                return;
            }
            fillFromSource(s, u, ground, sources[j], terms[j], wires[wireOf[j]],
                           across.empty() ? nullptr : across.data() + wireOf[j] * wireCount, wireOf,
                           runs, j, rowBegin, rowEnd, out);
        }
    };
    inParallel(parts, [&](std::size_t p) { work(out.n * p / parts, out.n * (p + 1) / parts); });
    return !halted;
}

namespace {

// OpenBLAS, loaded at the first solve rather than linked: a threaded build starts its workers
// as it loads, which cost every start of the program (the calculator's too) their time and
// memory, and under a tight memory limit hung a plain --version.
struct Blas {
    decltype(&zgetrf_) getrf = nullptr;
    decltype(&zgetrs_) getrs = nullptr;
    decltype(&zlaswp_) laswp = nullptr;
    decltype(&cblas_ztrsm) trsm = nullptr;
    decltype(&cblas_zgemm) gemm = nullptr;
    decltype(&cblas_zgemv) gemv = nullptr;
    // Their single-precision twins, for the factoring that a refinement makes exact.
    decltype(&cgetrf_) getrfSingle = nullptr;
    decltype(&cgetrs_) getrsSingle = nullptr;
    decltype(&claswp_) laswpSingle = nullptr;
    decltype(&cblas_ctrsm) trsmSingle = nullptr;
    decltype(&cblas_cgemm) gemmSingle = nullptr;
    bool outOfMemory = false;
};

// The size of the buffer OpenBLAS takes for a call, in Debian's builds (128 MiB and a header).
constexpr std::size_t kBlasBuffer = 134221824;

template <typename Function>
void lookUp(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// OpenBLAS as loaded at the first call; where it could not be, whether for want of memory.
const Blas& loadedBlas() {
    static const Blas loaded = [] {
        Blas b;
        void* library = dlopen("libopenblas.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            // Installed, but no room to map it (or a library it needs): the loader says so in
            // its own words, with the system's reason or without.
            const char* why = dlerror();
            b.outOfMemory =
                why != nullptr && (std::strstr(why, std::strerror(ENOMEM)) != nullptr ||
                                   std::strstr(why, "failed to map segment") != nullptr);
            return b;
        }
        lookUp(library, "zgetrf_", b.getrf);
        lookUp(library, "zgetrs_", b.getrs);
        lookUp(library, "zlaswp_", b.laswp);
        lookUp(library, "cblas_ztrsm", b.trsm);
        lookUp(library, "cblas_zgemm", b.gemm);
        lookUp(library, "cblas_zgemv", b.gemv);
        lookUp(library, "cgetrf_", b.getrfSingle);
        lookUp(library, "cgetrs_", b.getrsSingle);
        lookUp(library, "claswp_", b.laswpSingle);
        lookUp(library, "cblas_ctrsm", b.trsmSingle);
        lookUp(library, "cblas_cgemm", b.gemmSingle);
        // Where the user asked OpenBLAS for more threads, it keeps to the caller's all the
        // same, and its idle workers, which spin for a while, are ended.
        using SetThreads = void (*)(int);
        using Shutdown = int (*)();
        SetThreads set = nullptr;
        Shutdown shutdown = nullptr;
        lookUp(library, "openblas_set_num_threads", set);
        lookUp(library, "blas_thread_shutdown_", shutdown);
        if (set != nullptr) set(1);
        if (shutdown != nullptr) shutdown();
        if (!b.getrf || !b.getrs || !b.laswp || !b.trsm || !b.gemm || !b.gemv || !b.getrfSingle ||
            !b.getrsSingle || !b.laswpSingle || !b.trsmSingle || !b.gemmSingle) {
            return Blas{};
        }
        return b;
    }();
    return loaded;
}

const Blas* blas() { return loadedBlas().getrf != nullptr ? &loadedBlas() : nullptr; }

// OpenBLAS takes a buffer of its own for every call running at the same time as others, keeps
// it for the calls after, and where that allocation fails tries again for ever. So no more calls
// run at once than there are buffers whose room has been seen: a caller beyond them first tries
// the room for one more and, where there is none, waits for a buffer to come free. Only where not
// even one buffer fits is the caller refused.
class BlasGate {
public:
    [[nodiscard]] bool enter(const Blas& lapack) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (inside_ < buffers_) {
                ++inside_;
                return true;
            }
            if (void* probe = std::malloc(kBlasBuffer); probe != nullptr) {
                std::free(probe);
                // A call of one row, while the room is still there, makes OpenBLAS take it.
                Complex one{1, 0};
                int size = 1, pivot = 0, info = 0;
                lapack.getrf(&size, &size, &one, &size, &pivot, &info);
                ++buffers_;
                ++inside_;
                return true;
            }
            if (buffers_ == 0) return false;
            freed_.wait(lock);
        }
    }
    void leave() {
        {
            const std::lock_guard lock(mutex_);
            --inside_;
        }
        freed_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    int inside_ = 0, buffers_ = 0;
};

BlasGate& blasGate() {
    static BlasGate gate;
    return gate;
}

// Holds a place at the gate for the calls of one factoring or one solve.
class InsideBlas {
public:
    explicit InsideBlas(const Blas& lapack) : entered_(blasGate().enter(lapack)) {}
    ~InsideBlas() {
        if (entered_) blasGate().leave();
    }
    InsideBlas(const InsideBlas&) = delete;
    InsideBlas& operator=(const InsideBlas&) = delete;
    [[nodiscard]] bool entered() const { return entered_; }

private:
    bool entered_;
};

}  // namespace

void keepBlasToOneThread() { setenv("OPENBLAS_NUM_THREADS", "1", 0); }

bool haveBlas() { return blas() != nullptr; }

namespace {

// Right-looking blocked LU of an n by n column-major matrix, in place: the panel by LAPACK, the
// trailing update by BLAS in column slices, so that a stop is seen within a slice's time even
// on the largest matrix. The routines are the double or the single ones, as a is.
template <typename Scalar, typename Getrf, typename Laswp, typename Trsm, typename Gemm>
FactorStatus blockedLu(Scalar* a, std::size_t size, std::vector<int>& pivots,
                       const std::atomic<bool>* stop, Getrf getrf, Laswp laswp, Trsm trsm,
                       Gemm gemm) {
    const int n = static_cast<int>(size);
    pivots.assign(size, 0);
    constexpr int kPanel = 128;
    constexpr int kSlice = 512;
    const Scalar one{1, 0}, minusOne{-1, 0};
    const auto at = [&](int row, int column) {
        return a + static_cast<std::size_t>(column) * size + static_cast<std::size_t>(row);
    };
    for (int k = 0; k < n; k += kPanel) {
        if (stopped(stop)) return FactorStatus::Stopped;
        const int nb = std::min(kPanel, n - k);
        const int rows = n - k;
        int info = 0;
        getrf(&rows, &nb, at(k, k), &n, pivots.data() + k, &info);
        if (info > 0) return FactorStatus::Singular;
        for (int i = k; i < k + nb; ++i) pivots[static_cast<std::size_t>(i)] += k;
        const int k1 = k + 1, k2 = k + nb, inc = 1;
        if (k > 0) laswp(&k, at(0, 0), &n, &k1, &k2, pivots.data(), &inc);
        const int right = n - k - nb;
        if (right <= 0) continue;
        laswp(&right, at(0, k + nb), &n, &k1, &k2, pivots.data(), &inc);
        trsm(CblasColMajor, CblasLeft, CblasLower, CblasNoTrans, CblasUnit, nb, right, &one,
             at(k, k), n, at(k, k + nb), n);
        const int below = n - k - nb;
        for (int c = k + nb; c < n; c += kSlice) {
            if (stopped(stop)) return FactorStatus::Stopped;
            const int width = std::min(kSlice, n - c);
            gemm(CblasColMajor, CblasNoTrans, CblasNoTrans, below, width, nb, &minusOne,
                 at(k + nb, k), n, at(k, c), n, &one, at(k + nb, c), n);
        }
    }
    return FactorStatus::Done;
}

// |re| + |im|: the size LAPACK's refinement measures with, far cheaper than the modulus.
double absOne(Complex z) { return std::fabs(z.real()) + std::fabs(z.imag()); }

// Why nothing can be factored where OpenBLAS could not be loaded.
FactorStatus withoutBlas() {
    return loadedBlas().outOfMemory ? FactorStatus::NoMemory : FactorStatus::NoBlas;
}

}  // namespace

FactorStatus factor(Matrix& m, const std::atomic<bool>* stop, LuFactors& out) {
    if (blas() == nullptr) return withoutBlas();
    const Blas& lapack = *blas();
    const InsideBlas inside(lapack);
    if (!inside.entered()) return FactorStatus::NoMemory;
    const FactorStatus status = blockedLu(m.data(), m.n, out.pivots, stop, lapack.getrf,
                                          lapack.laswp, lapack.trsm, lapack.gemm);
    if (status == FactorStatus::Done) out.lu = std::move(m);
    return status;
}

void solve(const LuFactors& f, std::vector<Complex>& b) {
    const int n = static_cast<int>(f.lu.n), nrhs = 1;
    int info = 0;
    const char trans = 'N';
    // Only a factoring that has entered comes here, so the gate has a buffer to wait for.
    const InsideBlas inside(*blas());
    if (!inside.entered()) throw std::bad_alloc();
    blas()->getrs(&trans, &n, &nrhs, f.lu.data(), &n, f.pivots.data(), b.data(), &n, &info, 1);
}

FactorStatus solveRefined(Matrix& m, std::vector<Complex>& b, const std::atomic<bool>* stop) {
    if (blas() == nullptr) return withoutBlas();
    const Blas& lapack = *blas();
    const std::size_t size = m.n;
    const int n = static_cast<int>(size), nrhs = 1;
    std::vector<std::complex<float>> lu(size * size);
    double norm = 0;  // A's infinity norm, by |re| + |im|
    {
        std::vector<double> rows(size);
        const Complex* a = m.data();
        for (std::size_t c = 0; c < size; ++c) {
            for (std::size_t r = 0; r < size; ++r) {
                lu[c * size + r] = std::complex<float>(a[c * size + r]);
                rows[r] += absOne(a[c * size + r]);
            }
        }
        norm = *std::max_element(rows.begin(), rows.end());
    }
    std::vector<int> pivots;
    std::vector<Complex> x(size), residual = b;
    std::vector<std::complex<float>> step(size);
    bool converged = false;
    {
        const InsideBlas inside(lapack);
        if (!inside.entered()) return FactorStatus::NoMemory;
        const FactorStatus status =
            blockedLu(lu.data(), size, pivots, stop, lapack.getrfSingle, lapack.laswpSingle,
                      lapack.trsmSingle, lapack.gemmSingle);
        if (status == FactorStatus::Stopped) return status;
        const double tolerance =
            std::sqrt(static_cast<double>(size)) * norm * std::numeric_limits<double>::epsilon();
        const char trans = 'N';
        const Complex one{1, 0}, minusOne{-1, 0};
        for (int i = 0; status == FactorStatus::Done && i < kMostRefinements && !converged; ++i) {
            // The correction for the residual b − A x, solved in single precision.
            for (std::size_t r = 0; r < size; ++r) step[r] = std::complex<float>(residual[r]);
            int info = 0;
            lapack.getrsSingle(&trans, &n, &nrhs, lu.data(), &n, pivots.data(), step.data(), &n,
                               &info, 1);
            // A factoring that overflowed single precision gives no finite solution at all.
            bool finite = true;
            double largestX = 0;
            for (std::size_t r = 0; r < size; ++r) {
                x[r] += Complex(step[r]);
                finite = finite && std::isfinite(absOne(x[r]));
                largestX = std::max(largestX, absOne(x[r]));
            }
            if (!finite) break;
            residual = b;
            lapack.gemv(CblasColMajor, CblasNoTrans, n, n, &minusOne, m.data(), n, x.data(), 1,
                        &one, residual.data(), 1);
            double largestResidual = 0;
            for (const Complex& r : residual) {
                finite = finite && std::isfinite(absOne(r));
                largestResidual = std::max(largestResidual, absOne(r));
            }
            converged = finite && largestResidual <= tolerance * largestX;
        }
    }
    if (converged) {
        b = std::move(x);
        return FactorStatus::Done;
    }
    // Too ill-conditioned for single precision (or singular there): factored in double.
    LuFactors factors;
    const FactorStatus status = factor(m, stop, factors);
    if (status == FactorStatus::Done) solve(factors, b);
    return status;
}

}  // namespace zeva::nec
