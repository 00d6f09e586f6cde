// SPDX-License-Identifier: MIT
#include "sheet/cut_sheet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "converter/decimal_feet.h"
#include "engine/catalogue.h"

namespace zeva::sheet {
namespace {

constexpr double kMetresPerCentimetre = 0.01;
constexpr double kMetresPerInch = 0.0254;
constexpr double kMetresPerFoot = 0.3048;

// What a result box of the window shows of a text: its first characters.
std::string shown(const std::string& text) { return text.substr(0, kResultBoxLength); }

// How many directors each director row of the window stands for, from "引向器 1" down.
constexpr std::array<int, kRowCount - 2> kDirectorsInRow = {1, 1, 1, 1, 2, 2, 3, 4, 3, 2, 1};

std::size_t rowsUsed(ElementMode mode) {
    switch (mode) {
        case ElementMode::TwoElement:
            return 2;
        case ElementMode::ThreeElement:
            return 3;
        case ElementMode::FourElement:
            return 4;
        case ElementMode::MultiElement:
            return kRowCount;
    }
    return kRowCount;
}

std::string elementName(std::size_t row, int director, Language language) {
    if (row == 0) return say(language, "reflector");
    if (row == 1) return say(language, "driven element");
    return say(language, "director %1", {std::to_string(director)});
}

// The converter's reading as a tape shows it: whole feet, then inches and a fraction with
// the table's padding blanks taken out ("6    21/64" becomes 6 21/64).
std::string tapeReading(const TapeReading& reading) {
    std::string inches;
    for (const char ch : reading.inchesAndFraction) {
        if (ch == ' ') {
            if (!inches.empty() && inches.back() != ' ' && inches.back() != '/') inches += ' ';
        } else {
            inches += ch;
        }
    }
    return reading.wholeFeet + "' " + inches + "\"";
}

double fullValue(const std::string& text) {
    const Result<double> value = parseDouble(text);
    return value.ok() ? value.value() : 0.0;
}

}  // namespace

Micro microOf(const std::string& figure) {
    Micro whole = 0;
    Micro fraction = 0;
    int fractionDigits = 0;
    bool afterPoint = false;
    for (const char ch : figure) {
        if (ch == '.') {
            afterPoint = true;
        } else if (ch >= '0' && ch <= '9') {
            if (!afterPoint) {
                whole = whole * 10 + (ch - '0');
            } else if (fractionDigits < 6) {
                fraction = fraction * 10 + (ch - '0');
                ++fractionDigits;
            }
        }
    }
    for (; fractionDigits < 6; ++fractionDigits) fraction *= 10;
    return whole * 1'000'000 + fraction;
}

int decimalsOf(const std::string& figure) {
    const std::size_t point = figure.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(figure.size() - point - 1);
}

std::string figureOf(Micro value, int decimals) {
    std::string text = std::to_string(value / 1'000'000);
    const std::string fraction = std::to_string(1'000'000 + value % 1'000'000).substr(1);
    if (decimals > 0) text += "." + fraction.substr(0, static_cast<std::size_t>(decimals));
    return text;
}

namespace {

// To the nearest of that many decimals, halves away from zero.
Micro rounded(Micro value, int decimals) {
    Micro step = 1;
    for (int i = decimals; i < 6; ++i) step *= 10;
    const Micro half = step / 2;
    return (value >= 0 ? (value + half) / step : (value - half) / step) * step;
}

}  // namespace

std::string tapeOf(const std::string& feet) {
    const Result<TapeReading> tape = ConvertDecimalFeet(feet);
    return tape.ok() ? tapeReading(tape.value()) : std::string();
}

std::optional<Failure> applyBoomCorrection(CutSheet& sheet) {
    const Design& design = sheet.request.design;
    const Construction& construction = sheet.request.construction;
    if (construction.mounting == analysis::Mounting::Insulators) return std::nullopt;
    // The elements pass through the boom at their thickest: the boom must be thicker.
    const double largest = fullValue(design.largestDiameter);
    double thickest =
        (largest != fullValue(design.smallestDiameter) ? largest : sheet.diameterInches) *
        kMetresPerInch;
    // Elements of tubes pass through at their centre tube.
    if (construction.tubes && !construction.tubes->tubes.empty()) {
        thickest = construction.tubes->tubes.front().diameter;
    }
    if (!(construction.boomDiameter > thickest)) {
        return Failure{say(sheet.language,
                           "the boom (%1 mm) is no thicker than the elements (%2 mm) that pass "
                           "through it",
                           {analysis::fixed(construction.boomDiameter * 1000, 1),
                            analysis::fixed(thickest * 1000, 1)})};
    }
    const double wavelength = analysis::kSpeedOfLight / fullValue(design.frequency);
    const auto correction = analysis::boomCorrection(
        construction.mounting, construction.boomDiameter, wavelength, sheet.language);
    if (const auto* failure = std::get_if<Failure>(&correction)) return *failure;
    sheet.boomCorrection = std::get<double>(correction);
    sheet.boomWavelengths = construction.boomDiameter / wavelength;
    // In the sheet's own units, to the millionth: the design figure plus the lengthening,
    // written to the design figure's digits.
    const Micro feet = std::llround(sheet.boomCorrection / kMetresPerFoot * 1e6);
    const Micro centimetres = std::llround(sheet.boomCorrection * 100 * 1e6);
    for (std::size_t i = 0; i < sheet.elements.size(); ++i) {
        SheetElement& element = sheet.elements[i];
        const bool through = i != kDrivenIndex || construction.drivenThroughBoom;
        const int footDigits = decimalsOf(element.feet);
        const int centimetreDigits = decimalsOf(element.centimetres);
        element.cutFeet =
            figureOf(rounded(microOf(element.feet) + (through ? feet : 0), footDigits), footDigits);
        element.cutCentimetres = figureOf(
            rounded(microOf(element.centimetres) + (through ? centimetres : 0), centimetreDigits),
            centimetreDigits);
        element.cutTape = tapeOf(element.cutFeet);
    }
    return std::nullopt;
}

CutSheet withAntenna(const CutSheet& sheet, const analysis::Antenna& antenna) {
    CutSheet changed = sheet;
    changed.boomCorrection = 0;
    changed.boomWavelengths = 0;
    const auto feetOf = [](double metres) {
        return figureOf(std::llround(metres / kMetresPerFoot * 1e4) * 100, 4);
    };
    const auto centimetresOf = [](double metres) {
        return figureOf(std::llround(metres * 1e4) * 10000, 2);
    };
    Micro feet = 0;
    Micro centimetres = 0;
    for (std::size_t i = 0; i < changed.elements.size() && i < antenna.elements.size(); ++i) {
        SheetElement& element = changed.elements[i];
        const analysis::Element& wire = antenna.elements[i];
        element.lengthMetres = wire.length;
        element.positionMetres = wire.position;
        element.feet = feetOf(wire.length);
        element.centimetres = centimetresOf(wire.length);
        element.tape = tapeOf(element.feet);
        element.cutFeet.clear();
        element.cutCentimetres.clear();
        element.cutTape.clear();
        if (i > 0) {
            const double spacing = wire.position - antenna.elements[i - 1].position;
            element.spacingFeet = feetOf(spacing);
            element.spacingCentimetres = centimetresOf(spacing);
            feet += microOf(element.spacingFeet);
            centimetres += microOf(element.spacingCentimetres);
        }
        element.positionFeet = figureOf(feet, 4);
        element.positionCentimetres = figureOf(centimetres, 2);
    }
    changed.boomFeet = figureOf(feet, 4);
    changed.boomCentimetres = figureOf(centimetres, 2);
    return changed;
}

analysis::Antenna antennaOf(const CutSheet& sheet) {
    analysis::Antenna antenna;
    antenna.frequency = fullValue(sheet.request.design.frequency);
    antenna.driven = kDrivenIndex;
    for (const SheetElement& element : sheet.elements) {
        antenna.elements.push_back({element.name, element.lengthMetres, element.positionMetres,
                                    sheet.diameterInches * kMetresPerInch});
    }
    return antenna;
}

Result<CutSheet> makeCutSheet(const DesignRequest& request, Language language) {
    CutSheet sheet;
    sheet.request = request;
    sheet.language = language;
    const Design& design = request.design;
    DesignState state;
    selectMode(state, design.mode);
    selectDiameter(state, design.diameterIndex);
    const bool multi = design.mode == ElementMode::MultiElement;
    const Result<DesignFigures> feet = calculate(
        state, {design.frequency, design.largestDiameter, design.smallestDiameter, multi});
    if (!feet.ok()) return feet.error();
    const Result<DesignFigures> metric = convertToMetric(state);
    if (!metric.ok()) return metric.error();

    const double largest = fullValue(design.largestDiameter);
    const double smallest = fullValue(design.smallestDiameter);
    sheet.tapered = largest != smallest;
    sheet.diameterInches = sheet.tapered ? (largest + smallest) / 2 : static_cast<double>(state.b);

    // Positions keep as many decimals as the finest spacing shown, so that they add up
    // exactly; they are filled in once all the spacings are known.
    std::vector<Micro> feetPositions;
    std::vector<Micro> centimetrePositions;
    int feetDecimals = 0;
    int centimetreDecimals = 0;
    Micro positionFeet = 0;
    Micro positionCentimetres = 0;
    double positionMetres = 0;
    int director = 0;
    const std::size_t rows = rowsUsed(design.mode);
    for (std::size_t row = 0; row < rows; ++row) {
        const int copies = row < 2 ? 1 : kDirectorsInRow[row - 2];
        // The reflector's row holds the spacing from the reflector to the driven element.
        const std::size_t spacingRow = row == 1 ? 0 : row;
        for (int copy = 0; copy < copies; ++copy) {
            SheetElement element;
            if (row >= 2) ++director;
            element.name = elementName(row, director, language);
            element.feet = shown(feet.value()[row].length);
            element.centimetres = shown(metric.value()[row].length);
            const Result<TapeReading> tape = ConvertDecimalFeet(element.feet);
            if (!tape.ok()) return tape.error();
            element.tape = tapeReading(tape.value());
            element.lengthMetres = fullValue(metric.value()[row].length) * kMetresPerCentimetre;
            if (row != 0) {
                element.spacingFeet = shown(feet.value()[spacingRow].spacing);
                element.spacingCentimetres = shown(metric.value()[spacingRow].spacing);
                positionFeet += microOf(element.spacingFeet);
                positionCentimetres += microOf(element.spacingCentimetres);
                feetDecimals = std::max(feetDecimals, decimalsOf(element.spacingFeet));
                centimetreDecimals =
                    std::max(centimetreDecimals, decimalsOf(element.spacingCentimetres));
                positionMetres +=
                    fullValue(metric.value()[spacingRow].spacing) * kMetresPerCentimetre;
            }
            feetPositions.push_back(positionFeet);
            centimetrePositions.push_back(positionCentimetres);
            element.positionMetres = positionMetres;
            sheet.elements.push_back(std::move(element));
        }
    }
    for (std::size_t i = 0; i < sheet.elements.size(); ++i) {
        sheet.elements[i].positionFeet = figureOf(feetPositions[i], feetDecimals);
        sheet.elements[i].positionCentimetres =
            figureOf(centimetrePositions[i], centimetreDecimals);
    }
    sheet.boomFeet = figureOf(positionFeet, feetDecimals);
    sheet.boomCentimetres = figureOf(positionCentimetres, centimetreDecimals);
    return sheet;
}

}  // namespace zeva::sheet
