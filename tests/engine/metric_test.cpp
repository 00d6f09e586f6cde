// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "engine/design.h"

namespace zeva {
namespace {

TEST(ConvertToMetric, computes_from_the_unrounded_feet) {
    DesignState state;
    state.ref = 507.85f;
    state.x = 0.92f;
    state.freq = 144.0f;
    state.t = 1.0f;
    state.rsp = 269.589f;
    const Result<DesignFigures> result = convertToMetric(state);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value()[0].length, "98.8953263159063");  // not 3.244597 × 30.48
    EXPECT_EQ(result.value()[0].spacing, "57.063002726237");  // the 15th digit, 0, dropped
    EXPECT_EQ(result.value()[1].length, "0");
    EXPECT_EQ(result.value()[1].spacing, "");
}

TEST(ConvertToMetric, after_calculate_is_the_same_design_and_repeats_exactly) {
    DesignState state;
    selectMode(state, ElementMode::MultiElement);
    state.b = 0.5f;
    ASSERT_TRUE(calculate(state, {"144", "1.0", "1.0", true}).ok());
    const DesignState before = state;
    const Result<DesignFigures> once = convertToMetric(state);
    const Result<DesignFigures> twice = convertToMetric(state);
    ASSERT_TRUE(once.ok());
    ASSERT_TRUE(twice.ok());
    EXPECT_EQ(once.value(), twice.value());
    EXPECT_EQ(state, before);
    // 3.311886 ft is about 100.946 cm.
    EXPECT_EQ(once.value()[0].length.substr(0, 6), "100.94");
}

TEST(ConvertToMetric, uses_a_mode_chosen_after_the_last_calculate) {
    DesignState state;
    selectMode(state, ElementMode::ThreeElement);
    state.b = 1;
    ASSERT_TRUE(calculate(state, {"14.2", "1.0", "1.0", false}).ok());
    selectMode(state, ElementMode::TwoElement);
    const Result<DesignFigures> result = convertToMetric(state);
    ASSERT_TRUE(result.ok());
    // 505.25 × 0.952 ÷ 14.2 × 30.48 cm, the 2-element reflector with the 3-element factors.
    EXPECT_EQ(result.value()[0].length.substr(0, 6), "1032.4");
    for (std::size_t r = 2; r < kRowCount; ++r) {
        EXPECT_EQ(result.value()[r].length, "0");
        EXPECT_EQ(result.value()[r].spacing, "0");
    }
}

TEST(ConvertToMetric, before_any_calculate_is_an_invalid_operation) {
    DesignState state;
    selectMode(state, ElementMode::MultiElement);
    const Result<DesignFigures> result = convertToMetric(state);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::InvalidOperation);
}

}  // namespace
}  // namespace zeva
