#include "analysis/deck.h"

#include <charconv>
#include <cmath>

namespace zeva::analysis {
namespace {

// Twelve significant digits, far finer than any build, whatever the process's locale.
std::string number(double value) {
    constexpr int kDigits = 12;
    char buffer[32];
    const auto [end, status] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kDigits);
    return status == std::errc{} ? std::string(buffer, end) : "0";
}

std::string structure(const Antenna& antenna, const Segmentation& segmentation) {
    std::string deck;
    const double wavelength = antenna.wavelength();
    int fedSegment = 1;
    for (std::size_t i = 0; i < antenna.elements.size(); ++i) {
        const Element& e = antenna.elements[i];
        const int segments = segmentsOf(e, wavelength, segmentation.perWavelength);
        if (i == antenna.driven) fedSegment = (segments + 1) / 2;
        const std::string x = number(e.position);
        deck += "GW " + std::to_string(i + 1) + " " + std::to_string(segments) + " " + x + " " +
                number(-e.length / 2) + " 0 " + x + " " + number(e.length / 2) + " 0 " +
                number(e.diameter / 2) + "\n";
    }
    deck += "GE 0\n";
    deck += "EK 0\n";
    deck += "EX 0 " + std::to_string(antenna.driven + 1) + " " + std::to_string(fedSegment) +
            " 0 1 0\n";
    deck += "PT -1 0 0 0\n";  // no table of currents: only the impedance and the patterns
    return deck;
}

std::string frequencyCard(double frequency) { return "FR 0 1 0 0 " + number(frequency) + " 0\n"; }

std::string patternCards(double frequency) {
    return frequencyCard(frequency) +
           "RP 0 1 361 1000 90 0 0 1\n"  // E-plane: theta 90, phi 0 to 360
           "RP 0 361 1 1000 0 0 1 0\n";  // H-plane: phi 0, theta 0 to 360
}

std::string sweepCards(const std::vector<double>& frequencies) {
    std::string cards;
    for (const double frequency : frequencies) {
        // Towards the directors (phi 0) and straight back (phi 180).
        cards += frequencyCard(frequency) + "RP 0 1 2 1000 90 0 0 180\n";
    }
    return cards;
}

}  // namespace

int segmentsOf(const Element& element, double wavelength, int perWavelength) {
    const double wanted = element.length / wavelength * perWavelength;
    int segments = static_cast<int>(std::lround(std::fmax(1.0, std::fmin(wanted, 1e6))));
    if (segments % 2 == 0) segments += wanted >= segments ? 1 : -1;
    return segments < 1 ? 1 : segments;
}

int totalSegments(const Antenna& antenna, int perWavelength) {
    int total = 0;
    for (const Element& e : antenna.elements) {
        total += segmentsOf(e, antenna.wavelength(), perWavelength);
    }
    return total;
}

double sweepFrequency(double designFrequency, int step) {
    const double start = designFrequency * (1 - kSweepSpan);
    const double increment = designFrequency * 2 * kSweepSpan / (kSweepSteps - 1);
    return step == kSweepSteps / 2 ? designFrequency : start + step * increment;
}

std::string patternDeck(const Antenna& antenna, const Segmentation& segmentation) {
    return "CE\n" + structure(antenna, segmentation) + patternCards(antenna.frequency) + "EN\n";
}

std::string sweepDeck(const Antenna& antenna, const Segmentation& segmentation,
                      const std::vector<double>& frequencies) {
    return "CE\n" + structure(antenna, segmentation) + sweepCards(frequencies) + "EN\n";
}

std::string wholeDeck(const Antenna& antenna, const Segmentation& segmentation,
                      const std::vector<std::string>& comments) {
    std::string deck;
    for (const std::string& comment : comments) deck += "CM " + comment + "\n";
    std::vector<double> sweep;
    for (int step = 0; step < kSweepSteps; ++step) {
        sweep.push_back(sweepFrequency(antenna.frequency, step));
    }
    return deck + "CE\n" + structure(antenna, segmentation) + patternCards(antenna.frequency) +
           sweepCards(sweep) + "EN\n";
}

}  // namespace zeva::analysis
