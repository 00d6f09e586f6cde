// SPDX-License-Identifier: MIT
// A port of nec2c's netwk() for transmission lines (TL) and one voltage source.
#include "nec/network.h"

#include <algorithm>
#include <cmath>

namespace zeva::nec {
namespace {

// The currents at the segment centres for the applied field e.
std::vector<Complex> centreCurrents(const Segments& s, const LuFactors& f, std::vector<Complex> e,
                                    SegmentCurrents* currents) {
    solve(f, e);
    SegmentCurrents c = cabc(s, e);
    if (currents != nullptr) *currents = std::move(c);
    return e;
}

// The two-port admittances of a line (y11, y12, y22 in siemens).
struct LineAdmittance {
    Complex y11, y12, y22;
};

LineAdmittance admittance(const TransmissionLine& line, double length, double wlam) {
    const double electrical = kTwoPi * length / wlam;
    const double y12i = 1. / (line.impedance * std::sin(electrical));
    const double y11i = -y12i * std::cos(electrical);
    return {Complex(line.shunt1.real(), y11i + line.shunt1.imag()), Complex(0., y12i),
            Complex(line.shunt2.real(), y11i + line.shunt2.imag())};
}

}  // namespace

SourceSolution solveWithLines(const Segments& s, const LuFactors& f,
                              const std::vector<TransmissionLine>& lines, const Deck& deck,
                              std::vector<Complex> e) {
    const int sourceSegment = s.index(deck.source.at) + 1;
    const Complex v = deck.source.voltage;
    const std::size_t ndimn = 2 * lines.size() + 1;
    // M(row, column), the network equations; the source's rows count from the end.
    std::vector<Complex> m(ndimn * ndimn);
    const auto M = [&](std::size_t row, std::size_t column) -> Complex& {
        return m[column * ndimn + row];
    };
    std::vector<Complex> rhnx(ndimn);
    std::vector<int> nteqa, ntsca;

    // The equation of a port: its place in its list, added at the end when new.
    const auto place = [](std::vector<int>& list, int segment) {
        const std::size_t at =
            static_cast<std::size_t>(std::find(list.begin(), list.end(), segment) - list.begin());
        if (at == list.size()) list.push_back(segment);
        return at;
    };
    const auto rowOf = [&](int segment, bool* isSource) {
        *isSource = segment == sourceSegment;
        return *isSource ? ndimn - place(ntsca, segment) - 1 : place(nteqa, segment);
    };

    for (const TransmissionLine& line : lines) {
        const int nseg1 = s.index(line.end1) + 1;
        const int nseg2 = s.index(line.end2) + 1;
        const std::size_t i1 = static_cast<std::size_t>(nseg1 - 1);
        const std::size_t i2 = static_cast<std::size_t>(nseg2 - 1);
        double length = line.length;
        if (length <= 0.) {
            const double xx = s.x[i2] - s.x[i1], yy = s.y[i2] - s.y[i1], zz = s.z[i2] - s.z[i1];
            length = s.wlam * std::sqrt(xx * xx + yy * yy + zz * zz);
        }
        const LineAdmittance y = admittance(line, length, s.wlam);
        bool source1 = false, source2 = false;
        const std::size_t irow1 = rowOf(nseg1, &source1);
        const std::size_t irow2 = rowOf(nseg2, &source2);
        if (!source1) {
            M(irow1, irow1) -= y.y11 * s.si[i1];
            M(irow2, irow1) -= y.y12 * s.si[i1];
        } else {
            rhnx[irow1] += y.y11 * v / s.wlam;
            rhnx[irow2] += y.y12 * v / s.wlam;
        }
        if (!source2) {
            M(irow2, irow2) -= y.y22 * s.si[i2];
            M(irow1, irow2) -= y.y12 * s.si[i2];
        } else {
            rhnx[irow1] += y.y12 * v / s.wlam;
            rhnx[irow2] += y.y22 * v / s.wlam;
        }
    }

    // The structure's part: the current at every port for a unit field at each.
    const std::size_t nteq = nteqa.size();
    for (std::size_t i = 0; i < nteq; ++i) {
        std::vector<Complex> unit(static_cast<std::size_t>(s.n));
        unit[static_cast<std::size_t>(nteqa[i] - 1)] = 1.;
        const std::vector<Complex> response = centreCurrents(s, f, unit, nullptr);
        for (std::size_t j = 0; j < nteq; ++j) {
            M(j, i) += response[static_cast<std::size_t>(nteqa[j] - 1)];
        }
    }

    const std::vector<Complex> applied = centreCurrents(s, f, e, nullptr);
    std::vector<Complex> rhnt(nteq);
    for (std::size_t i = 0; i < nteq; ++i) {
        rhnt[i] = rhnx[i] + applied[static_cast<std::size_t>(nteqa[i] - 1)];
    }
    if (nteq > 0) {
        Matrix network;
        if (!network.zeroed(nteq, nullptr)) return {};
        for (std::size_t c = 0; c < nteq; ++c) {
            for (std::size_t r = 0; r < nteq; ++r) network(r, c) = M(r, c);
        }
        LuFactors factors;
        if (factor(network, nullptr, factors) != FactorStatus::Done) {
            SourceSolution none;
            none.current = {std::nan(""), std::nan("")};  // the caller's check sees it
            return none;
        }
        solve(factors, rhnt);
    }
    for (std::size_t i = 0; i < nteq; ++i) e[static_cast<std::size_t>(nteqa[i] - 1)] -= rhnt[i];

    SourceSolution out;
    const std::vector<Complex> final = centreCurrents(s, f, e, &out.currents);
    const std::size_t is = static_cast<std::size_t>(sourceSegment - 1);
    Complex cux = final[is];
    if (!ntsca.empty()) {
        const std::size_t irow1 = ndimn - 1;
        Complex network = rhnx[irow1];
        for (std::size_t j = 0; j < nteq; ++j) network -= M(irow1, j) * rhnt[j];
        cux = cux + network;
    }
    out.current = cux * s.wlam;
    return out;
}

}  // namespace zeva::nec
