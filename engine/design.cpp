// SPDX-License-Identifier: MIT
#include "engine/design.h"

#include <cstddef>

#include "engine/checked.h"

namespace zeva {
namespace {

using checked::blaming;
using checked::div;
using checked::mul;
using checked::store;

constexpr std::size_t kModeCount = 4;
constexpr std::size_t column(ElementMode mode) { return static_cast<std::size_t>(mode); }

// Base values in feet × MHz, one column a mode: 2, 3, 4 elements, multi-element.
// The irregular values (480.325 for the 2-element driven element, the two equal 4-element
// directors, dir21 longer than dir19) are the tables' own.
// clang-format off
constexpr float kLengthBases[kRowCount][kModeCount] = {
    {505.25f, 507.85f, 504.95f, 511.88f},   // reflector
    {480.325f, 502.55f, 501.74f, 502.72f},  // driven element
    {0, 457.75f, 480.255f, 472.16f},        // director 1
    {0, 0, 480.255f, 469.1f},               // director 2
    {0, 0, 0, 452.29f},                     // director 3
    {0, 0, 0, 450.0f},                      // director 4
    {0, 0, 0, 438.54f},                     // directors 5 and 6
    {0, 0, 0, 434.72f},                     // directors 7 and 8
    {0, 0, 0, 430.14f},                     // directors 9 to 11
    {0, 0, 0, 420.97f},                     // directors 12 to 15
    {0, 0, 0, 413.33f},                     // directors 16 to 18
    {0, 0, 0, 411.8f},                      // directors 19 and 20
    {0, 0, 0, 414.09f},                     // director 21
};
// clang-format on

// Spacing bases in the same units, for the rows that have a spacing (all but the driven
// element), each from the element before it.
constexpr std::size_t kSpacingCount = kRowCount - 1;
// clang-format off
constexpr float kSpacingBases[kSpacingCount][kModeCount] = {
    {195.6f, 269.589f, 239.03f, 261.63f},  // reflector to driven element
    {0, 147.275f, 200.72f, 172.32f},       // director 1
    {0, 0, 197.0f, 184.35f},               // director 2
    {0, 0, 0, 239.65f},                    // director 3
    {0, 0, 0, 222.63f},                    // director 4
    {0, 0, 0, 246.74f},                    // directors 5 and 6
    {0, 0, 0, 230.71f},                    // directors 7 and 8
    {0, 0, 0, 265.6f},                     // directors 9 to 11
    {0, 0, 0, 270.84f},                    // directors 12 to 15
    {0, 0, 0, 260.92f},                    // directors 16 to 18
    {0, 0, 0, 236.81f},                    // directors 19 and 20
    {0, 0, 0, 251.0f},                     // director 21
};
// clang-format on

// The long boom is built for a frequency a little above the one typed.
constexpr double kMultiElementRaise = 1.00463;

// A wavelength is about 1020 ÷ MHz feet, 12 times that in inches: c = b ÷ (1020 ÷ f × 12).
constexpr double kWavelengthFeetMHz = 1020.0;
constexpr double kInchesPerFoot = 12.0;
constexpr double kCentimetresPerInch = 2.54;

struct Step {
    float threshold;
    float factor;
};

// The taper factor grows with the ratio of the largest to the smallest diameter; a ratio
// equal to a threshold keeps the lower factor.
// clang-format off
constexpr Step kTaperSteps[] = {{1.0f, 1.01f},  {2.0f, 1.02f},  {2.5f, 1.03f}, {3.0f, 1.04f},
                                {3.25f, 1.05f}, {3.75f, 1.06f}, {4.0f, 1.07f}};
// clang-format on

// The length factor grows as the element gets thinner against the wavelength, from the
// largest threshold down; the last threshold above c decides. From 0.08 upwards the factor
// is 0.85, which continues the steps of 0.014 (0.892, 0.878, 0.864).
constexpr float kThickestLengthFactor = 0.85f;
// clang-format off
constexpr Step kLengthSteps[] = {
    {0.08f, 0.864f},   {0.06f, 0.878f},   {0.04f, 0.892f},   {0.02f, 0.906f},
    {0.01f, 0.92f},    {0.008f, 0.928f},  {0.006f, 0.936f},  {0.004f, 0.944f},
    {0.002f, 0.952f},  {0.001f, 0.96f},   {0.0008f, 0.962f}, {0.0006f, 0.964f},
    {0.0004f, 0.966f}, {0.0002f, 0.968f}, {0.0001f, 0.97f},
};
// clang-format on

double widened(float value) { return static_cast<double>(value); }

// A figure fits a result box when its text has no exponent (which the cut would drop) and no
// more digits before the decimal separator than the box holds.
bool fitsResultBox(const std::string& text, const NumberFormat& format) {
    if (text.find('E') != std::string::npos) return false;
    const std::size_t point = text.find(format.decimal);
    const std::size_t integerEnd = point == std::string::npos ? text.size() : point;
    const std::size_t sign = text.starts_with('-') ? 1 : 0;
    return integerEnd - sign <= kResultBoxLength;
}

std::string displayable(std::string text, const NumberFormat& format) {
    if (!fitsResultBox(text, format)) {
        throw checked::ArithmeticFault{Error{ErrorKind::ResultNotDisplayable, Input::Frequency}};
    }
    return text;
}

// Runs the figures of every row through one formula each for lengths and spacings, in the
// order of the window: all the lengths from the top, then all the spacings.
template <class LengthText, class SpacingText>
DesignFigures figuresOf(const DesignState& state, LengthText lengthText, SpacingText spacingText) {
    DesignFigures figures;
    for (std::size_t row = 0; row < kRowCount; ++row) {
        figures[row].length = lengthText(state.*kElementRows[row].length);
    }
    for (std::size_t row = 0; row < kRowCount; ++row) {
        if (const auto spacing = kElementRows[row].spacing) {
            figures[row].spacing = spacingText(state.*spacing);
        }
    }
    return figures;
}

template <class Operation>
auto guarded(Operation operation) -> Result<decltype(operation())> {
    try {
        return operation();
    } catch (const checked::ArithmeticFault& fault) {
        return fault.error;
    }
}

}  // namespace

void selectMode(DesignState& state, ElementMode mode) {
    std::size_t spacingRow = 0;
    for (std::size_t row = 0; row < kRowCount; ++row) {
        state.*kElementRows[row].length = kLengthBases[row][column(mode)];
        if (const auto spacing = kElementRows[row].spacing) {
            state.*spacing = kSpacingBases[spacingRow++][column(mode)];
        }
    }
}

float taperFactor(float ratio) {
    float factor = 1.0f;
    for (const Step& step : kTaperSteps) {
        if (ratio > step.threshold) factor = step.factor;
    }
    return factor;
}

float lengthFactor(float c) {
    float factor = kThickestLengthFactor;
    for (const Step& step : kLengthSteps) {
        if (step.threshold > c) factor = step.factor;
    }
    return factor;
}

Result<DesignFigures> calculate(DesignState& state, const CalculationInputs& inputs,
                                const NumberFormat& format) {
    const Result<float> typed = parseSingle(inputs.frequency, format);
    if (!typed.ok()) return Error{typed.error().kind, Input::Frequency};
    if (!(typed.value() > 0.0f)) return Error{ErrorKind::FrequencyNotPositive, Input::Frequency};

    // The long boom's raised frequency is stored before the taper boxes are read, so its
    // overflow is reported even when a taper box is wrong too.
    const Result<float> frequency = guarded([&] {
        if (!inputs.multiElement) return typed.value();
        return blaming(Input::Frequency,
                       [&] { return store(mul(widened(typed.value()), kMultiElementRaise)); });
    });
    if (!frequency.ok()) return frequency.error();

    const Result<double> largest = parseDouble(inputs.largestDiameter, format);
    if (!largest.ok()) return Error{largest.error().kind, Input::LargestDiameter};
    const Result<double> smallest = parseDouble(inputs.smallestDiameter, format);
    if (!smallest.ok()) return Error{smallest.error().kind, Input::SmallestDiameter};

    return guarded([&] {
        // Everything is computed into a copy, so that a failure leaves the state untouched.
        DesignState next = state;
        next.freq = frequency.value();
        // A zero smallest diameter is that box's fault; a ratio too large for a single is
        // the fault of the two together.
        const Input ratioInput =
            smallest.value() == 0.0 ? Input::SmallestDiameter : Input::TaperDiameters;
        const float ratio =
            blaming(ratioInput, [&] { return store(div(largest.value(), smallest.value())); });
        next.t = taperFactor(ratio);
        next.c = blaming(Input::Frequency, [&] {
            const float wavelength =
                store(mul(div(kWavelengthFeetMHz, widened(next.freq)), kInchesPerFoot));
            return store(div(widened(next.b), widened(wavelength)));
        });
        next.x = lengthFactor(next.c);

        DesignFigures figures = blaming(Input::Frequency, [&] {
            return figuresOf(
                next,
                [&](float base) {
                    const double feet =
                        mul(div(mul(widened(base), widened(next.x)), widened(next.freq)),
                            widened(next.t));
                    return displayable(formatSingle(store(feet), format), format);
                },
                [&](float base) {
                    const double feet = div(widened(base), widened(next.freq));
                    return displayable(formatSingle(store(feet), format), format);
                });
        });
        state = next;
        return figures;
    });
}

Result<DesignFigures> convertToMetric(const DesignState& state, const NumberFormat& format) {
    const auto centimetres = [&](double feet) {
        return displayable(
            formatDouble(mul(mul(feet, kInchesPerFoot), kCentimetresPerInch), format), format);
    };
    return guarded([&] {
        return figuresOf(
            state,
            [&](float base) {
                return centimetres(
                    mul(div(mul(widened(base), widened(state.x)), widened(state.freq)),
                        widened(state.t)));
            },
            [&](float base) { return centimetres(div(widened(base), widened(state.freq))); });
    });
}

}  // namespace zeva
