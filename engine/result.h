// SPDX-License-Identifier: MIT
// Errors as values: every public operation of the engine and the converter returns its
// figures or an Error that names what went wrong and, where an input caused it, which input.
#pragma once

#include <string_view>
#include <utility>
#include <variant>

namespace zeva {

enum class ErrorKind {
    TypeMismatch,          // a text that is not a number
    Overflow,              // a value beyond the range of its type
    DivisionByZero,        // a nonzero value divided by zero
    InvalidOperation,      // 0 / 0 and the like
    FrequencyNotPositive,  // a design frequency of 0 MHz or less
    ResultNotDisplayable,  // a figure that a six-character result box would show wrongly
};

// The text box whose contents caused an error.
enum class Input {
    None,
    Frequency,
    LargestDiameter,
    SmallestDiameter,
    TaperDiameters,  // the two diameters together: their ratio failed, not either text
    DecimalFeet,
};

struct Error {
    ErrorKind kind;
    Input input = Input::None;

    friend bool operator==(const Error&, const Error&) = default;
};

// The name of an error kind, in English; the catalogue translates it.
[[nodiscard]] const char* describe(ErrorKind kind);

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : content_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(Error error) : content_(error) {}         // NOLINT(google-explicit-constructor)

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(content_); }
    [[nodiscard]] const T& value() const& { return std::get<T>(content_); }
    [[nodiscard]] T&& value() && { return std::get<T>(std::move(content_)); }
    [[nodiscard]] const Error& error() const { return std::get<Error>(content_); }

private:
    std::variant<T, Error> content_;
};

}  // namespace zeva
