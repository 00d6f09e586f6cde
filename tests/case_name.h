// SPDX-License-Identifier: MIT
// Names value-parameterised cases after the `name` member of their parameter.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zeva::testing_support {

struct ByName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return param.param.name;
    }
};

}  // namespace zeva::testing_support
