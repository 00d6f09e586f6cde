// SPDX-License-Identifier: MIT
// A NEC-2 problem as data: straight wires, one voltage source, transmission lines, the
// ground, the frequencies and the pattern cuts to compute. The same deck is solved in
// process or written as NEC-2 cards for nec2c.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace zeva::nec {

struct Point {
    double x = 0, y = 0, z = 0;  // metres
};

// A straight wire cut into equal segments (NEC-2's GW card); its tag is its index + 1.
struct Wire {
    int segments = 1;
    Point end1, end2;
    double radius = 0;  // metres
};

// One segment: the wire's index and the segment's index along it, both from 0.
struct SegmentRef {
    int wire = 0;
    int segment = 0;
};

// An applied-field voltage source across one segment (EX type 0).
struct VoltageSource {
    SegmentRef at;
    std::complex<double> voltage{1, 0};
};

// A two-wire transmission line between two segments (TL), with shunt admittances at its
// ends in siemens. A length of zero or less takes the distance between the segments.
struct TransmissionLine {
    SegmentRef end1, end2;
    double impedance = 0;  // ohms
    double length = 0;     // metres
    std::complex<double> shunt1, shunt2;
};

// The ground plane z = 0 under the structure (GN): perfectly conducting, or real ground in
// the reflection-coefficient approximation (GN 0) or by Sommerfeld's integrals (GN 2).
struct Ground {
    bool perfect = true;
    double permittivity = 1;  // relative
    double conductivity = 0;  // S/m
    bool sommerfeld = false;  // real ground only

    friend bool operator==(const Ground&, const Ground&) = default;
};

// A grid of far-field directions (RP): theta and phi in degrees, phi the outer loop.
struct PatternCut {
    int thetaCount = 1, phiCount = 1;
    double theta0 = 0, phi0 = 0;
    double thetaStep = 0, phiStep = 0;
};

// A frequency (FR) and the cuts computed there.
struct Step {
    double frequency = 0;  // MHz
    std::vector<PatternCut> cuts;
};

struct Deck {
    std::vector<std::string> comments;
    std::vector<Wire> wires;
    bool extendedKernel = true;  // EK: the extended thin-wire kernel
    VoltageSource source;
    std::vector<TransmissionLine> lines;
    std::optional<Ground> ground;
    std::vector<Step> steps;  // each frequency solved on its own
};

struct Impedance {
    double resistance = 0;  // ohms
    double reactance = 0;
};

struct PatternPoint {
    double theta = 0;  // degrees
    double phi = 0;
    double gain = 0;  // total power gain, dBi
    // The far field's components for the source's voltage, as NEC-2 scales them (volts
    // times metres over the distance); zero where they are not known.
    std::complex<double> eTheta, ePhi;
};

struct FrequencyResult {
    double frequency = 0;  // MHz
    bool hasFeed = false;
    Impedance feed;                                   // at the source
    double inputPower = 0;                            // watts, from the source
    std::vector<std::vector<PatternPoint>> patterns;  // one table for each cut
};

// The deck as NEC-2 cards, as nec2c reads them.
[[nodiscard]] std::string toCards(const Deck& deck);

}  // namespace zeva::nec
