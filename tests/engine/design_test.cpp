// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/design.h"
#include "tests/case_name.h"

namespace zeva {
namespace {

// Rows of the element table, by the director they start with.
enum Row : std::size_t { Reflector, Driven, Dir1, Dir2, Dir3, Dir4, Dir5, Dir21 = 12 };

struct Figure {
    std::size_t row;
    bool spacing;
    const char* text;
};

struct WorkedRun {
    const char* name;
    ElementMode mode;
    const char* frequency;
    float b;
    const char* largest;
    const char* smallest;
    float t;
    float x;
    std::vector<Figure> figures;  // every figure not listed is "0"
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const WorkedRun& c, std::ostream* os) { *os << c.name; }

DesignState stateFor(ElementMode mode, float b) {
    DesignState state;
    selectMode(state, mode);
    state.b = b;
    return state;
}

Result<DesignFigures> run(DesignState& state, const char* frequency, const char* largest = "1.0",
                          const char* smallest = "1.0", bool multiElement = false) {
    return calculate(state, {frequency, largest, smallest, multiElement});
}

class WorkedRuns : public testing::TestWithParam<WorkedRun> {};

TEST_P(WorkedRuns, give_the_figures_to_the_character) {
    const WorkedRun& w = GetParam();
    DesignState state = stateFor(w.mode, w.b);
    const Result<DesignFigures> result =
        calculate(state, {w.frequency, w.largest, w.smallest, w.mode == ElementMode::MultiElement});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(state.t, w.t);
    EXPECT_EQ(state.x, w.x);
    for (const Figure& f : w.figures) {
        const RowFigures& row = result.value()[f.row];
        EXPECT_EQ(f.spacing ? row.spacing : row.length, f.text)
            << "row " << f.row << (f.spacing ? " spacing" : " length");
    }
    // Rows the mode has no element for show "0", for lengths and spacings alike.
    const std::size_t firstEmpty = w.mode == ElementMode::TwoElement     ? Dir1
                                   : w.mode == ElementMode::ThreeElement ? Dir2
                                   : w.mode == ElementMode::FourElement  ? Dir3
                                                                         : kRowCount;
    for (std::size_t r = firstEmpty; r < kRowCount; ++r) {
        EXPECT_EQ(result.value()[r].length, "0") << "row " << r;
        EXPECT_EQ(result.value()[r].spacing, "0") << "row " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WorkedRuns,
                         testing::Values(WorkedRun{"three_elements_no_taper",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   1,
                                                   "1.0",
                                                   "1.0",
                                                   1.0f,
                                                   0.952f,
                                                   {{Reflector, false, "34.04741"},
                                                    {Driven, false, "33.69209"},
                                                    {Dir1, false, "30.68859"},
                                                    {Reflector, true, "18.98514"},
                                                    {Dir1, true, "10.37148"}}},
                                         WorkedRun{"three_elements_ratio_two",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   1,
                                                   "2",
                                                   "1",
                                                   1.01f,
                                                   0.952f,
                                                   {{Reflector, false, "34.38788"},
                                                    {Reflector, true, "18.98514"}}},
                                         WorkedRun{"three_elements_ratio_four",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   1,
                                                   "4",
                                                   "1",
                                                   1.06f,
                                                   0.952f,
                                                   {{Reflector, false, "36.09025"}}},
                                         WorkedRun{"three_elements_ratio_above_four",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   1,
                                                   "4.01",
                                                   "1",
                                                   1.07f,
                                                   0.952f,
                                                   {{Reflector, false, "36.43073"}}},
                                         WorkedRun{"three_elements_ratio_below_one",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   1,
                                                   "1",
                                                   "2",
                                                   1.0f,
                                                   0.952f,
                                                   {{Reflector, false, "34.04741"}}},
                                         WorkedRun{"three_elements_no_diameter_chosen",
                                                   ElementMode::ThreeElement,
                                                   "14.2",
                                                   0,
                                                   "1.0",
                                                   "1.0",
                                                   1.0f,
                                                   0.97f,
                                                   {{Reflector, false, "34.69116"}}},
                                         WorkedRun{"multi_element_two_metre_band",
                                                   ElementMode::MultiElement,
                                                   "144",
                                                   0.5f,
                                                   "1.0",
                                                   "1.0",
                                                   1.0f,
                                                   0.936f,
                                                   {{Reflector, false, "3.311886"},
                                                    {Driven, false, "3.25262"},
                                                    {Dir1, false, "3.054896"},
                                                    {Dir21, false, "2.67918"},
                                                    {Reflector, true, "1.808502"},
                                                    {Dir1, true, "1.191152"},
                                                    {Dir21, true, "1.735022"}}},
                                         WorkedRun{"two_elements_ten_metre_band",
                                                   ElementMode::TwoElement,
                                                   "28.5",
                                                   0.5f,
                                                   "1.5",
                                                   "1",
                                                   1.01f,
                                                   0.952f,
                                                   {{Reflector, false, "17.04589"},
                                                    {Driven, false, "16.20499"},
                                                    {Reflector, true, "6.863158"}}},
                                         WorkedRun{"four_elements_six_metre_band",
                                                   ElementMode::FourElement,
                                                   "50.1",
                                                   0.25f,
                                                   "3",
                                                   "1",
                                                   1.03f,
                                                   0.952f,
                                                   {{Reflector, false, "9.88291"},
                                                    {Dir1, false, "9.399578"},
                                                    {Dir2, false, "9.399578"},
                                                    {Dir2, true, "3.932136"}}}),
                         testing_support::ByName{});

TEST(Calculate, raises_the_frequency_of_the_long_boom_only) {
    DesignState multi = stateFor(ElementMode::MultiElement, 0.5f);
    ASSERT_TRUE(run(multi, "144", "1.0", "1.0", true).ok());
    EXPECT_EQ(multi.freq, static_cast<float>(static_cast<double>(144.0f) * 1.00463));
    EXPECT_EQ(formatSingle(multi.freq), "144.6667");

    DesignState three = stateFor(ElementMode::ThreeElement, 0.5f);
    ASSERT_TRUE(run(three, "144").ok());
    EXPECT_EQ(three.freq, 144.0f);
}

TEST(Calculate, before_any_mode_every_figure_is_zero) {
    DesignState state;
    const Result<DesignFigures> result = run(state, "14.2");
    ASSERT_TRUE(result.ok());
    for (const RowFigures& row : result.value()) EXPECT_EQ(row.length, "0");
    EXPECT_EQ(result.value()[Driven].spacing, "");
}

TEST(Calculate, a_later_mode_clears_the_directors) {
    DesignState state = stateFor(ElementMode::MultiElement, 1);
    selectMode(state, ElementMode::TwoElement);
    const Result<DesignFigures> result = run(state, "14.2");
    ASSERT_TRUE(result.ok());
    for (std::size_t r = Dir1; r < kRowCount; ++r) {
        EXPECT_EQ(result.value()[r].length, "0");
        EXPECT_EQ(result.value()[r].spacing, "0");
    }
}

TEST(Calculate, keeps_b_and_the_base_tables) {
    DesignState state = stateFor(ElementMode::FourElement, 0.25f);
    DesignState before = state;
    ASSERT_TRUE(run(state, "50.1", "3", "1").ok());
    before.freq = state.freq;
    before.t = state.t;
    before.c = state.c;
    before.x = state.x;
    EXPECT_EQ(state, before);
}

// The long boom raises the frequency before the taper boxes are read: a raise that
// overflows is the frequency's fault even when a taper box holds letters.
TEST(Calculate, long_boom_overflow_comes_before_a_wrong_taper_box) {
    DesignState state = stateFor(ElementMode::MultiElement, 0.5f);
    const DesignState before = state;
    for (const char* largest : {"x", "1.0"}) {
        const Result<DesignFigures> result = run(state, "3.4E38", largest, "y", true);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(), (Error{ErrorKind::Overflow, Input::Frequency})) << largest;
    }
    EXPECT_EQ(state, before);
    // Without the raise the same frequency fits a single, and the taper box is at fault.
    EXPECT_EQ(run(state, "3.4E38", "x", "1.0", false).error(),
              (Error{ErrorKind::TypeMismatch, Input::LargestDiameter}));
}

struct FailingRun {
    const char* name;
    const char* frequency;
    const char* largest;
    const char* smallest;
    Error error;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const FailingRun& c, std::ostream* os) { *os << c.name; }

class FailingRuns : public testing::TestWithParam<FailingRun> {};

TEST_P(FailingRuns, change_nothing_and_name_the_input) {
    const FailingRun& f = GetParam();
    DesignState state = stateFor(ElementMode::ThreeElement, 1);
    ASSERT_TRUE(run(state, "14.2").ok());
    const DesignState before = state;
    const Result<DesignFigures> result = run(state, f.frequency, f.largest, f.smallest);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), f.error);
    EXPECT_EQ(state, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingRuns,
    testing::Values(
        FailingRun{"frequency_at_start",
                   "0",
                   "1.0",
                   "1.0",
                   {ErrorKind::FrequencyNotPositive, Input::Frequency}},
        FailingRun{"negative_frequency",
                   "-14.2",
                   "1.0",
                   "1.0",
                   {ErrorKind::FrequencyNotPositive, Input::Frequency}},
        FailingRun{
            "empty_frequency", "", "1.0", "1.0", {ErrorKind::TypeMismatch, Input::Frequency}},
        FailingRun{
            "lettered_frequency", "abc", "1.0", "1.0", {ErrorKind::TypeMismatch, Input::Frequency}},
        FailingRun{"frequency_beyond_single",
                   "1e39",
                   "1.0",
                   "1.0",
                   {ErrorKind::Overflow, Input::Frequency}},
        FailingRun{
            "empty_largest", "14.2", "", "1.0", {ErrorKind::TypeMismatch, Input::LargestDiameter}},
        FailingRun{"lettered_smallest",
                   "14.2",
                   "1.0",
                   "x",
                   {ErrorKind::TypeMismatch, Input::SmallestDiameter}},
        FailingRun{"zero_smallest",
                   "14.2",
                   "1.0",
                   "0",
                   {ErrorKind::DivisionByZero, Input::SmallestDiameter}},
        FailingRun{"both_diameters_zero",
                   "14.2",
                   "0",
                   "0",
                   {ErrorKind::InvalidOperation, Input::SmallestDiameter}},
        FailingRun{"ratio_beyond_single",
                   "14.2",
                   "1e300",
                   "1e-300",
                   {ErrorKind::Overflow, Input::TaperDiameters}},
        FailingRun{"frequency_near_zero_overflows",
                   "1e-45",
                   "1.0",
                   "1.0",
                   {ErrorKind::Overflow, Input::Frequency}},
        FailingRun{"figures_too_long_for_the_boxes",
                   "0.0001",
                   "1.0",
                   "1.0",
                   {ErrorKind::ResultNotDisplayable, Input::Frequency}},
        FailingRun{"figures_too_small_for_the_boxes",
                   "1e7",
                   "1.0",
                   "1.0",
                   {ErrorKind::ResultNotDisplayable, Input::Frequency}}),
    testing_support::ByName{});

// Across the whole useful range every figure fits its six-character box.
TEST(Calculate, no_figure_is_refused_from_a_fiftieth_to_a_million_megahertz) {
    for (const ElementMode mode : {ElementMode::TwoElement, ElementMode::ThreeElement,
                                   ElementMode::FourElement, ElementMode::MultiElement}) {
        for (const char* frequency : {"0.02", "1.8", "144", "10000", "1000000"}) {
            for (const auto& entry : {DiameterCatalogue.front(), DiameterCatalogue.back()}) {
                DesignState state = stateFor(mode, entry.diameter);
                EXPECT_TRUE(run(state, frequency, "5", "1", mode == ElementMode::MultiElement).ok())
                    << frequency;
                EXPECT_TRUE(convertToMetric(state).ok()) << frequency;
            }
        }
    }
}

struct Threshold {
    float input;
    float factor;
};
// The case by its input and factor in test listings, not by its bytes.
void PrintTo(const Threshold& t, std::ostream* os) { *os << t.input << " -> " << t.factor; }

class TaperThresholds : public testing::TestWithParam<Threshold> {};
TEST_P(TaperThresholds, a_ratio_on_a_threshold_keeps_the_lower_factor) {
    EXPECT_EQ(taperFactor(GetParam().input), GetParam().factor) << GetParam().input;
}
INSTANTIATE_TEST_SUITE_P(Table, TaperThresholds,
                         testing::Values(Threshold{-3, 1}, Threshold{1, 1},
                                         Threshold{1.0000001f, 1.01f}, Threshold{2, 1.01f},
                                         Threshold{2.0000002f, 1.02f}, Threshold{2.5f, 1.02f},
                                         Threshold{2.7f, 1.03f}, Threshold{3, 1.03f},
                                         Threshold{3.1f, 1.04f}, Threshold{3.25f, 1.04f},
                                         Threshold{3.5f, 1.05f}, Threshold{3.75f, 1.05f},
                                         Threshold{3.8f, 1.06f}, Threshold{4, 1.06f},
                                         Threshold{4.0000005f, 1.07f}, Threshold{1e30f, 1.07f}));

class LengthThresholds : public testing::TestWithParam<Threshold> {};
TEST_P(LengthThresholds, a_c_on_a_threshold_gets_the_smaller_factor) {
    EXPECT_EQ(lengthFactor(GetParam().input), GetParam().factor) << GetParam().input;
}
INSTANTIATE_TEST_SUITE_P(
    Table, LengthThresholds,
    testing::Values(Threshold{5, 0.85f}, Threshold{0.1f, 0.85f}, Threshold{0.09f, 0.85f},
                    Threshold{0.08f, 0.85f}, Threshold{0.0799999f, 0.864f},
                    Threshold{0.06f, 0.864f}, Threshold{0.04f, 0.878f}, Threshold{0.02f, 0.892f},
                    Threshold{0.01f, 0.906f}, Threshold{0.008f, 0.92f}, Threshold{0.006f, 0.928f},
                    Threshold{0.005f, 0.936f}, Threshold{0.004f, 0.936f}, Threshold{0.002f, 0.944f},
                    Threshold{0.001f, 0.952f}, Threshold{0.0008f, 0.96f},
                    Threshold{0.0006f, 0.962f}, Threshold{0.0004f, 0.964f},
                    Threshold{0.0002f, 0.966f}, Threshold{0.0001f, 0.968f},
                    Threshold{0.0000999f, 0.97f}, Threshold{0, 0.97f}, Threshold{-1, 0.97f}));

TEST(SelectMode, writes_only_the_base_fields) {
    DesignState state;
    state.c = 1;
    state.b = 2;
    state.freq = 3;
    state.x = 4;
    state.t = 5;
    selectMode(state, ElementMode::MultiElement);
    EXPECT_EQ(state.c, 1);
    EXPECT_EQ(state.b, 2);
    EXPECT_EQ(state.freq, 3);
    EXPECT_EQ(state.x, 4);
    EXPECT_EQ(state.t, 5);
    EXPECT_EQ(state.ref, 511.88f);
    EXPECT_EQ(state.dir21, 414.09f);
    EXPECT_EQ(state.sp21, 251.0f);
}

TEST(SelectMode, three_elements_leave_the_long_boom_rows_at_zero) {
    DesignState state = stateFor(ElementMode::MultiElement, 0);
    selectMode(state, ElementMode::ThreeElement);
    EXPECT_EQ(state.ref, 507.85f);
    EXPECT_EQ(state.dri, 502.55f);
    EXPECT_EQ(state.dir1, 457.75f);
    EXPECT_EQ(state.rsp, 269.589f);
    EXPECT_EQ(state.sp1, 147.275f);
    for (std::size_t r = Dir2; r < kRowCount; ++r) {
        EXPECT_EQ(state.*kElementRows[r].length, 0.0f);
        EXPECT_EQ(state.*kElementRows[r].spacing, 0.0f);
    }
}

TEST(SelectMode, tables_keep_their_irregular_values) {
    DesignState state;
    selectMode(state, ElementMode::TwoElement);
    EXPECT_EQ(state.dri, 480.325f);
    EXPECT_EQ(state.rsp, 195.6f);
    selectMode(state, ElementMode::FourElement);
    EXPECT_EQ(state.dir1, state.dir2);
    EXPECT_EQ(state.sp2, 197.0f);
    selectMode(state, ElementMode::MultiElement);
    EXPECT_GT(state.dir21, state.dir19);
    EXPECT_EQ(state.dir3, 452.29f);
    EXPECT_EQ(state.sp9, 265.6f);
}

}  // namespace
}  // namespace zeva
