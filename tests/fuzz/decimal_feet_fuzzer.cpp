// SPDX-License-Identifier: MIT
// The decimal-feet converter with an arbitrary text: three texts or an error that names the
// decimal-feet box, never a crash. The whole feet and the inches read back as numbers.
#include "converter/decimal_feet.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace zeva;

const NumberFormat kFormats[] = {{".", ","}, {",", "."}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput input = fuzz::split(data, size, 1);
    const NumberFormat& format = kFormats[input.choice % 2];
    const Result<TapeReading> reading = ConvertDecimalFeet(input.texts[0], format);
    if (!reading.ok()) {
        if (reading.error().input != Input::DecimalFeet) {
            fuzz::fail("a converter error does not name its box", input.texts[0]);
        }
        return 0;
    }
    const TapeReading& tape = reading.value();
    if (!parseSingle(tape.wholeFeet, format).ok())
        fuzz::fail("whole feet unreadable", tape.wholeFeet);
    if (!parseDouble(tape.decimalInches, format).ok()) {
        fuzz::fail("decimal inches unreadable", tape.decimalInches);
    }
    if (tape.inchesAndFraction.empty()) fuzz::fail("no inches and fraction", input.texts[0]);
    return 0;
}
