// SPDX-License-Identifier: MIT
// nec2c is a real program: the tests that run it need it, and in CI its absence is a failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace zeva::testing_support {

inline bool haveNec2c() {
    if (std::system("command -v nec2c >/dev/null 2>&1") == 0) return true;
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "nec2c is not installed";
    return false;
}

}  // namespace zeva::testing_support
