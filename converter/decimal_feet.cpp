// SPDX-License-Identifier: MIT
#include "converter/decimal_feet.h"

#include <cstddef>
#include <limits>

#include "engine/checked.h"

namespace zeva {

// clang-format off
const std::array<FractionBand, 65> FractionTable{{
    {0.0f, ""},           {0.023f, "   1/64"},  {0.039f, "   1/32"},   {0.055f, "   3/64"},
    {0.07f, "   1/16"},   {0.086f, "   5/64"},  {0.101f, "    3/32"},  {0.117f, "   7/64"},
    {0.133f, "   1/8"},   {0.148f, "   9/64"},  {0.164f, "   5/32"},   {0.179f, "   11/64"},
    {0.195f, "   3/16"},  {0.211f, "   13/64"}, {0.226f, "   7/32"},   {0.242f, "   15/64"},
    {0.258f, "   1/4"},   {0.273f, "   17/64"}, {0.288f, "   9/32"},   {0.304f, "   19/64"},
    {0.32f, "   5/16"},   {0.336f, "    21/64"}, {0.351f, "   11/32"}, {0.367f, "    23/64"},
    {0.383f, "    3/8"},  {0.398f, "   25/64"}, {0.414f, "    13/32"}, {0.429f, "   27/64"},
    {0.445f, "   7/16"},  {0.461f, "   29/64"}, {0.476f, "   15/32"},  {0.492f, "   31/64"},
    {0.508f, "   1/2"},   {0.523f, "   33/64"}, {0.539f, "   17/32"},  {0.554f, "    35/64"},
    {0.57f, "    9/16"},  {0.586f, "   37/64"}, {0.601f, "   19/32"},  {0.617f, "   39/64"},
    {0.633f, "   5/8"},   {0.648f, "    41/64"}, {0.664f, "   21/32"}, {0.679f, "   43/64"},
    {0.695f, "   11/16"}, {0.711f, "   45/64"}, {0.726f, "   23/32"},  {0.742f, "   47/64"},
    {0.758f, "   3/4"},   {0.773f, "    49/64"}, {0.789f, "   25/32"}, {0.804f, "    51/64"},
    {0.82f, "   13/16"},  {0.836f, "   53/64"}, {0.851f, "    27/32"}, {0.867f, "   55/64"},
    {0.883f, "    7/8"},  {0.898f, "   57/ 64"}, {0.914f, "   29/32"}, {0.929f, "   59/64"},
    {0.945f, "   15/16"}, {0.961f, "    61/64"}, {0.976f, "   31/32"}, {0.992f, "    63/64"},
    {std::numeric_limits<float>::infinity(), ""},
}};
// clang-format on

namespace {

using checked::add;
using checked::mul;
using checked::store;
using checked::sub;

// Above this fraction the reading is rounded up to the next whole inch.
constexpr float kCarryAbove = 0.992f;

// The same value as an exponent-form text, written out in plain decimals: a six-character
// box cut from "1.14440916E-05" would read 1.1444; from "0.0000114440916" it reads 0.0000.
std::string plainDecimal(const std::string& text, const NumberFormat& format) {
    const std::size_t e = text.find('E');
    if (e == std::string::npos) return text;
    const bool negative = text.starts_with('-');
    std::string digits;
    long pointAfter = 0;  // digits before the decimal separator in the mantissa
    bool seenPoint = false;
    for (std::size_t i = negative ? 1 : 0; i < e;) {
        if (text.compare(i, format.decimal.size(), format.decimal) == 0) {
            seenPoint = true;
            i += format.decimal.size();
            continue;
        }
        digits += text[i++];
        if (!seenPoint) ++pointAfter;
    }
    pointAfter += std::stol(text.substr(e + 1));
    std::string plain = negative ? "-" : "";
    if (pointAfter <= 0) {
        plain +=
            "0" + format.decimal + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
    } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
        plain += digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
    } else {
        const auto split = static_cast<std::size_t>(pointAfter);
        plain += digits.substr(0, split) + format.decimal + digits.substr(split);
    }
    return plain;
}

// Reads back a text that the converter wrote itself, so it always converts.
double reread(const std::string& text, const NumberFormat& format) {
    const Result<double> value = parseDouble(text, format);
    if (!value.ok()) checked::fail(value.error().kind);
    return value.value();
}

}  // namespace

std::string_view fractionText(float di) {
    if (di == 0.0f) return FractionTable[0].text;
    for (std::size_t band = 1; band < FractionTable.size(); ++band) {
        if (di <= FractionTable[band].upperBound) return FractionTable[band].text;
    }
    return FractionTable.back().text;
}

Result<TapeReading> ConvertDecimalFeet(std::string_view decimalFeet, const NumberFormat& format) {
    const Result<float> typed = parseSingle(decimalFeet, format);
    if (!typed.ok()) return Error{typed.error().kind, Input::DecimalFeet};
    const float inp = typed.value();

    try {
        TapeReading reading;
        const float wn = integerPart(inp);
        reading.wholeFeet = formatSingle(wn, format);

        // The fractional feet pass through their 7-digit text before they become inches:
        // 4.528 leaves 0.5279998779..., read on as 0.5279999.
        std::string df = formatSingle(
            store(sub(static_cast<double>(inp), static_cast<double>(integerPart(inp)))), format);
        df = formatDouble(mul(reread(df, format), 12.0), format);
        reading.decimalInches = plainDecimal(df, format);

        const double inches = reread(df, format);
        const float di = store(sub(inches, integerPart(inches)));
        const std::string_view fr = fractionText(di);
        if (di > kCarryAbove) df = formatDouble(add(reread(df, format), 1.0), format);

        reading.inchesAndFraction = formatDouble(integerPart(reread(df, format)), format);
        reading.inchesAndFraction += fr;
        return reading;
    } catch (const checked::ArithmeticFault& fault) {
        return Error{fault.error.kind, Input::DecimalFeet};
    }
}

}  // namespace zeva
