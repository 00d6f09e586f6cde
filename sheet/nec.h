// The design as a NEC-2 model, nec2c run on it, and its output read back.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sheet/cut_sheet.h"

namespace zeva::sheet {

// Each element is one straight wire across the boom (the boom runs along +x from the
// reflector, the elements along y), in metres, in free space, fed at the centre of the
// driven element. The impedance is swept over the design frequency ±2 % in 21 steps; the
// patterns are taken at the design frequency in the E-plane (xy, the plane of the elements)
// and the H-plane (xz), one degree apart.
inline constexpr int kSegmentsPerElement = 13;
inline constexpr int kSweepSteps = 21;
inline constexpr double kSweepSpan = 0.02;

struct Wire {
    double position;  // along the boom, metres
    double length;    // metres
    double radius;    // metres
};

struct Model {
    std::vector<std::string> comments;
    std::vector<Wire> wires;
    int fedWire = 0;       // index into wires
    double frequency = 0;  // MHz, the centre of the sweep and of the patterns
    int segments = kSegmentsPerElement;
};

[[nodiscard]] Model modelOf(const CutSheet& sheet);

// The whole deck: the sweep, with the patterns at its middle step, the design frequency. The
// analysis runs it as two decks at once, on two processors: the lower half of the sweep, and
// the patterns with the upper half.
enum class DeckPart { Whole, LowerSweep, UpperSweepAndPatterns };
[[nodiscard]] std::string deckOf(const Model& model, DeckPart part = DeckPart::Whole);

// The frequency of sweep step 0 to kSweepSteps - 1, MHz.
[[nodiscard]] double sweepFrequency(double designFrequency, int step);

struct Impedance {
    double frequency;  // MHz
    double resistance;
    double reactance;
};

struct PatternPoint {
    double theta;
    double phi;
    double gain;  // total power gain, dBi
};

struct NecOutput {
    std::vector<Impedance> impedances;                // every input-parameter row, in order
    std::vector<std::vector<PatternPoint>> patterns;  // one table for each RP card
};

// Reads nec2c's printed output: the input-parameter rows (impedance in their 7th and 8th
// fields), each after the frequency it belongs to, and the radiation-pattern tables.
[[nodiscard]] std::variant<NecOutput, Failure> parseNecOutput(
    std::string_view text, Language language = Language::English);

struct SwrPoint {
    double frequency;
    double swr;
};

struct Analysis {
    double forwardGain = 0;  // dBi, along the boom towards the directors
    double frontToBack = 0;  // dB, against the opposite direction
    Impedance feed{};        // at the design frequency
    double swr = 0;          // against 50 ohms
    std::vector<SwrPoint> sweep;
    std::vector<PatternPoint> ePlane;  // phi from 0 to 360, theta 90
    std::vector<PatternPoint> hPlane;  // theta from 0 to 360, phi 0
};

[[nodiscard]] double swrAgainst50(double resistance, double reactance);

// Gain, front-to-back ratio, impedance and SWR from the output of deckOf's model.
[[nodiscard]] std::variant<Analysis, Failure> analyse(const NecOutput& output,
                                                      double designFrequency,
                                                      Language language = Language::English);

// Runs nec2c (found on PATH) on each deck, all at once, and returns their outputs joined in
// order, or a message that says what failed: nec2c missing, ended by a signal or with an
// error, or silent.
[[nodiscard]] std::variant<std::string, Failure> runNec2c(const std::vector<std::string>& decks,
                                                          Language language);

}  // namespace zeva::sheet
