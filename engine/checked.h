// SPDX-License-Identifier: MIT
// Checked arithmetic for the engine's own use. Each step tests its result explicitly (a zero
// divisor, a NaN, an infinity, a double too large for a single when it is stored) instead of
// relying on floating-point status flags, which GCC's optimiser does not preserve.
// A failed step throws ArithmeticFault; the public functions catch it and return an Error.
#pragma once

#include <cmath>

#include "engine/result.h"

namespace zeva::checked {

struct ArithmeticFault {
    Error error;
};

[[noreturn]] inline void fail(ErrorKind kind) { throw ArithmeticFault{Error{kind}}; }

inline double verified(double result) {
    if (std::isnan(result)) fail(ErrorKind::InvalidOperation);
    if (std::isinf(result)) fail(ErrorKind::Overflow);
    return result;
}

inline double mul(double a, double b) { return verified(a * b); }
inline double add(double a, double b) { return verified(a + b); }
inline double sub(double a, double b) { return verified(a - b); }

inline double div(double a, double b) {
    if (b == 0.0)
        fail(a == 0.0 || std::isnan(a) ? ErrorKind::InvalidOperation : ErrorKind::DivisionByZero);
    return verified(a / b);
}

// The store of a double into a single-precision variable: rounds to nearest, and a finite
// double that rounds beyond the largest single is an overflow.
inline float store(double value) {
    const auto single = static_cast<float>(verified(value));
    if (std::isinf(single)) fail(ErrorKind::Overflow);
    return single;
}

// Runs one step of an operation and names the input that it depends on in any fault that
// the step raises without naming one itself.
template <class Step>
auto blaming(Input input, Step step) {
    try {
        return step();
    } catch (ArithmeticFault& fault) {
        if (fault.error.input == Input::None) fault.error.input = input;
        throw;
    }
}

}  // namespace zeva::checked
