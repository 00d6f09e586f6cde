// SPDX-License-Identifier: MIT
// The interaction matrix (nec2c's cmset() and cmww()), folded by the structure's mirror
// symmetry where it has one, and its LU factors from LAPACK.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "nec/fields.h"

namespace zeva::nec {

// Which unknown each segment's basis amplitude is. Without symmetry every segment is its
// own unknown. A structure symmetric about the plane y = 0, fed on a segment that the
// plane cuts in two, carries currents alike on mirrored segments: a segment and its mirror
// share one unknown, and only the rows of one half are kept.
struct Unknowns {
    std::vector<int> of;           // unknown of each segment
    std::vector<std::size_t> row;  // the segment whose match point is each unknown's row
    [[nodiscard]] std::size_t count() const { return row.size(); }
};

[[nodiscard]] Unknowns everySegment(const Segments& s);

// The folded unknowns where every wire lies along y, centred on the plane y = 0, and the
// given segments (sources, network ports) are their own mirrors; nothing otherwise.
[[nodiscard]] std::optional<Unknowns> mirrorFold(const Segments& s,
                                                 const std::vector<int>& onThePlane);

// Column-major, n rows and columns.
struct Matrix {
    std::size_t n = 0;
    std::unique_ptr<Complex[]> a;

    // Zeros, written a column at a time so that a stop is seen even while a large one is
    // cleared; false if stopped.
    [[nodiscard]] bool zeroed(std::size_t size, const std::atomic<bool>* stop);
    [[nodiscard]] Complex* data() { return a.get(); }
    [[nodiscard]] const Complex* data() const { return a.get(); }
    [[nodiscard]] Complex& operator()(std::size_t row, std::size_t column) {
        return a[column * n + row];
    }
};

// The matrix at the scaled segments; false if stopped. The rows are shared among threads.
// alongWires: within an evenly cut straight wire each distinct offset between two segments
// is computed once (the same figures to rounding); false computes every pair. acrossWires
// (with alongWires): between parallel evenly cut wires in free space that lie several
// segments apart, the field along the offset is sampled once and interpolated (within about
// a part in 10^8).
[[nodiscard]] bool fillMatrix(const Segments& s, const Unknowns& u, const GroundModel& ground,
                              bool extendedKernel, int threads, const std::atomic<bool>* stop,
                              Matrix& out, bool alongWires = true, bool acrossWires = true);

struct LuFactors {
    Matrix lu;
    std::vector<int> pivots;
};

// The engine runs its own threads, so OpenBLAS is asked for none of its own: call this at the
// start of main, before any thread runs (it sets OPENBLAS_NUM_THREADS where the user has not).
// Without it OpenBLAS starts its workers when it loads, and the first solve ends them.
void keepBlasToOneThread();

// OpenBLAS could be loaded (it is, at the first call).
[[nodiscard]] bool haveBlas();

enum class FactorStatus { Done, Singular, Stopped, NoBlas, NoMemory };

// Factors in place by blocks, looking at the stop flag between them.
[[nodiscard]] FactorStatus factor(Matrix& m, const std::atomic<bool>* stop, LuFactors& out);

// Solves A x = b in place.
void solve(const LuFactors& f, std::vector<Complex>& b);

// Solves A x = b in place for one b: A factored in single precision, whose blocked update runs
// at twice the double's rate, and the solution refined against A until its residual is within
// double precision's rounding of A times x (LAPACK's test for its own mixed-precision solver).
// Where that takes more than a few refinements, A is factored in double (and overwritten).
inline constexpr int kMostRefinements = 10;
[[nodiscard]] FactorStatus solveRefined(Matrix& m, std::vector<Complex>& b,
                                        const std::atomic<bool>* stop);

}  // namespace zeva::nec
