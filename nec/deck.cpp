// SPDX-License-Identifier: MIT
#include "nec/deck.h"

#include <charconv>

namespace zeva::nec {
namespace {

// Twelve significant digits, far finer than any build, whatever the process's locale.
std::string number(double value) {
    constexpr int kDigits = 12;
    char buffer[32];
    const auto [end, status] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kDigits);
    return status == std::errc{} ? std::string(buffer, end) : "0";
}

std::string card(const char* name, std::initializer_list<std::string> fields) {
    std::string line = name;
    for (const std::string& f : fields) line += " " + f;
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
        cards += card("GW", {integer(++tag), integer(w.segments), number(w.end1.x),
                             number(w.end1.y), number(w.end1.z), number(w.end2.x), number(w.end2.y),
                             number(w.end2.z), number(w.radius)});
    }
    cards += "GE 0\n";
    if (deck.ground) {
        cards += deck.ground->perfect
                     ? "GN 1\n"
                     : card("GN", {"0", "0", "0", "0", number(deck.ground->permittivity),
                                   number(deck.ground->conductivity)});
    }
    if (deck.extendedKernel) cards += "EK 0\n";
    const auto at = [](SegmentRef r) { return integer(r.wire + 1) + " " + integer(r.segment + 1); };
    cards += "EX 0 " + at(deck.source.at) + " 0 " + number(deck.source.voltage.real()) + " " +
             number(deck.source.voltage.imag()) + "\n";
    for (const TransmissionLine& l : deck.lines) {
        cards += "TL " + at(l.end1) + " " + at(l.end2) + " " + number(l.impedance) + " " +
                 number(l.length) + " " + number(l.shunt1.real()) + " " + number(l.shunt1.imag()) +
                 " " + number(l.shunt2.real()) + " " + number(l.shunt2.imag()) + "\n";
    }
    cards += "PT -1 0 0 0\n";  // no table of currents: only the impedance and the patterns
    for (const Step& step : deck.steps) {
        cards += card("FR", {"0", "1", "0", "0", number(step.frequency), "0"});
        for (const PatternCut& c : step.cuts) {
            cards += card(
                "RP", {"0", integer(c.thetaCount), integer(c.phiCount), "1000", number(c.theta0),
                       number(c.phi0), number(c.thetaStep), number(c.phiStep)});
        }
    }
    return cards + "EN\n";
}

}  // namespace zeva::nec
