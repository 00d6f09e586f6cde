// SPDX-License-Identifier: MIT
#include "nec/deck.h"

#include <charconv>
#include <vector>

namespace zeva::nec {
namespace {

// nec2c reads this many characters of a card and no more.
constexpr std::size_t kCardWidth = 132;

// Twelve significant digits, far finer than any build, whatever the process's locale.
std::string number(double value, int digits = 12) {
    char buffer[32];
    const auto [end, status] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return status == std::errc{} ? std::string(buffer, end) : "0";
}

// A card of fixed fields and numbers, the numbers given fewer digits where the whole would
// not fit nec2c's line.
std::string card(const std::string& head, const std::vector<double>& values) {
    std::string line;
    for (int digits = 12; digits >= 6; --digits) {
        line = head;
        for (const double v : values) {
            line += ' ';  // appended apart: GCC 12 warns falsely of a " " + string (its 105329)
            line += number(v, digits);
        }
        if (line.size() <= kCardWidth) break;
    }
    return line + "\n";
}

std::string integer(int value) { return std::to_string(value); }

}  // namespace

std::string toCards(const Deck& deck) {
    std::string cards;
    for (const std::string& comment : deck.comments) cards += "CM " + comment + "\n";
    cards += "CE\n";
    int tag = 0;
    for (const Wire& w : deck.wires) {
        cards += card("GW " + integer(++tag) + " " + integer(w.segments),
                      {w.end1.x, w.end1.y, w.end1.z, w.end2.x, w.end2.y, w.end2.z, w.radius});
    }
    cards += "GE 0\n";
    if (deck.ground) {
        cards += deck.ground->perfect
                     ? "GN 1\n"
                     : card(deck.ground->sommerfeld ? "GN 2 0 0 0" : "GN 0 0 0 0",
                            {deck.ground->permittivity, deck.ground->conductivity});
    }
    if (deck.extendedKernel) cards += "EK 0\n";
    const auto at = [](SegmentRef r) { return integer(r.wire + 1) + " " + integer(r.segment + 1); };
    cards += card("EX 0 " + at(deck.source.at) + " 0",
                  {deck.source.voltage.real(), deck.source.voltage.imag()});
    for (const TransmissionLine& l : deck.lines) {
        cards += card("TL " + at(l.end1) + " " + at(l.end2),
                      {l.impedance, l.length, l.shunt1.real(), l.shunt1.imag(), l.shunt2.real(),
                       l.shunt2.imag()});
    }
    cards += "PT -1 0 0 0\n";  // no table of currents: only the impedance and the patterns
    for (const Step& step : deck.steps) {
        cards += card("FR 0 1 0 0", {step.frequency, 0.});
        for (const PatternCut& c : step.cuts) {
            cards += card("RP 0 " + integer(c.thetaCount) + " " + integer(c.phiCount) + " 1000",
                          {c.theta0, c.phi0, c.thetaStep, c.phiStep});
        }
        // A frequency without a cut runs only when told to.
        if (step.cuts.empty()) cards += "XQ\n";
    }
    return cards + "EN\n";
}

}  // namespace zeva::nec
