// SPDX-License-Identifier: MIT
// Calculate with three arbitrary texts in every mode and with any catalogue diameter, then
// the metric conversion: either every figure, each of which reads back as a number, or an
// error of the defined kinds that names one of the inputs and leaves the state as it was.
#include <cstring>

#include "engine/catalogue.h"
#include "engine/design.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace zeva;

const NumberFormat kFormats[] = {{".", ","}, {",", "."}};

bool sameBits(const DesignState& a, const DesignState& b) {
    return std::memcmp(&a, &b, sizeof(DesignState)) == 0;
}

bool definedKind(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::TypeMismatch:
        case ErrorKind::Overflow:
        case ErrorKind::DivisionByZero:
        case ErrorKind::InvalidOperation:
        case ErrorKind::FrequencyNotPositive:
        case ErrorKind::ResultNotDisplayable:
            return true;
    }
    return false;
}

void checkFigures(const DesignFigures& figures, const NumberFormat& format, bool singles,
                  std::string_view what) {
    for (std::size_t row = 0; row < kRowCount; ++row) {
        const bool hasSpacing = kElementRows[row].spacing != nullptr;
        for (const std::string* text : {&figures[row].length, &figures[row].spacing}) {
            if (text == &figures[row].spacing && !hasSpacing) {
                if (!text->empty()) fuzz::fail("the driven element got a spacing", what);
                continue;
            }
            const bool reads =
                singles ? parseSingle(*text, format).ok() : parseDouble(*text, format).ok();
            if (!reads) fuzz::fail("a figure does not read back as a number", *text);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput input = fuzz::split(data, size, 4);
    const auto mode = static_cast<ElementMode>(input.choice % 4);
    const NumberFormat& format = kFormats[(input.choice / 4) % 2];
    // The diameter list's index, -1 (nothing chosen) included.
    const int diameter = static_cast<int>((input.choice / 8) % 24) - 1;

    DesignState state;
    selectMode(state, mode);
    selectDiameter(state, diameter);
    // A design already calculated from the fourth text, as a user's second click would find.
    (void)calculate(state, {input.texts[3], "1", "1", mode == ElementMode::MultiElement}, format);

    const DesignState before = state;
    const CalculationInputs inputs{input.texts[0], input.texts[1], input.texts[2],
                                   mode == ElementMode::MultiElement};
    const Result<DesignFigures> feet = calculate(state, inputs, format);
    if (!feet.ok()) {
        const Error& error = feet.error();
        if (!definedKind(error.kind)) fuzz::fail("an undefined error kind", input.texts[0]);
        if (error.input == Input::None || error.input == Input::DecimalFeet) {
            fuzz::fail("a calculation error names no input of the calculation", input.texts[0]);
        }
        if (!sameBits(state, before)) fuzz::fail("a failed calculation changed the state", "");
        return 0;
    }
    checkFigures(feet.value(), format, true, input.texts[0]);

    const DesignState calculated = state;
    const Result<DesignFigures> metric = convertToMetric(state, format);
    if (!sameBits(state, calculated)) fuzz::fail("the metric conversion changed the state", "");
    if (!metric.ok()) {
        if (!definedKind(metric.error().kind)) fuzz::fail("an undefined error kind", "");
        return 0;
    }
    checkFigures(metric.value(), format, false, input.texts[0]);
    return 0;
}
