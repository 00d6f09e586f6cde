// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "converter/decimal_feet.h"
#include "tests/case_name.h"

namespace zeva {
namespace {

struct Reading {
    const char* name;
    const char* input;
    const char* feet;
    const char* inches;
    std::string fraction;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const Reading& c, std::ostream* os) { *os << c.name; }

class TapeReadings : public testing::TestWithParam<Reading> {};

TEST_P(TapeReadings, give_the_three_texts) {
    const Reading& r = GetParam();
    const Result<TapeReading> result = ConvertDecimalFeet(r.input);
    ASSERT_TRUE(result.ok()) << r.input;
    EXPECT_EQ(result.value().wholeFeet, r.feet);
    EXPECT_EQ(result.value().decimalInches, r.inches);
    EXPECT_EQ(result.value().inchesAndFraction, r.fraction);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TapeReadings,
    testing::Values(
        Reading{"initial_input", "4.528", "4", "6.3359988", "6    21/64"},
        Reading{"nine_sixty_fourths", "12.3456", "12", "4.1472012", "4   9/64"},
        Reading{"negative_feet_floor_below", "-4.528", "-5", "5.6640012", "5   43/64"},
        Reading{"whole_feet", "5", "5", "0", "0"}, Reading{"half_a_foot", "4.5", "4", "6", "6"},
        Reading{"carries_into_twelve_inches", "0.99999", "0", "11.99988", "12"},
        Reading{"tiny_remainder_is_a_sixty_fourth", "4.001", "4", "0.01199913", "0   1/64"},
        Reading{"negative_tiny_rounds_to_a_foot", "-1E-10", "-1", "12", "12"},
        // The inches in exponent form are written out: the box would drop the exponent.
        Reading{"exponent_inches_written_plain", "4.000001", "4", "0.0000114440916", "0   1/64"},
        Reading{"negative_zero", "-0", "0", "0", "0"},
        Reading{"huge_has_no_fraction", "1e30", "1E+30", "0", "0"}),
    testing_support::ByName{});

TEST(ConvertDecimalFeet, works_with_a_comma_separator) {
    const Result<TapeReading> result = ConvertDecimalFeet("4,528", {",", "."});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().decimalInches, "6,3359988");
    EXPECT_EQ(result.value().inchesAndFraction, "6    21/64");
    EXPECT_EQ(ConvertDecimalFeet("4,000001", {",", "."}).value().decimalInches, "0,0000114440916");
}

TEST(ConvertDecimalFeet, refuses_what_is_not_a_number) {
    for (const char* text : {"", "abc", "4.5.1", "1e"}) {
        const Result<TapeReading> result = ConvertDecimalFeet(text);
        ASSERT_FALSE(result.ok()) << text;
        EXPECT_EQ(result.error(), (Error{ErrorKind::TypeMismatch, Input::DecimalFeet}));
    }
    EXPECT_EQ(ConvertDecimalFeet("1e39").error(), (Error{ErrorKind::Overflow, Input::DecimalFeet}));
}

TEST(FractionTable, every_band_names_its_sixty_fourths_in_lowest_terms) {
    for (int band = 1; band < 64; ++band) {
        int numerator = band;
        int denominator = 64;
        while (numerator % 2 == 0) {
            numerator /= 2;
            denominator /= 2;
        }
        std::string expected = std::to_string(numerator) + "/" + std::to_string(denominator);
        std::string text(FractionTable[static_cast<std::size_t>(band)].text);
        if (band == 57) expected = "57/ 64";  // the table's own blank after the slash
        EXPECT_EQ(text.substr(text.find_first_not_of(' ')), expected) << band;
    }
}

// A di equal to a bound (as a single) stays in the band below it; the next single above
// moves it up. Comparing against the decimal in double would move some of these.
TEST(FractionTable, a_value_on_a_bound_belongs_to_the_band_below) {
    for (std::size_t band = 1; band < 64; ++band) {
        const float bound = FractionTable[band].upperBound;
        EXPECT_EQ(fractionText(bound), FractionTable[band].text) << band;
        EXPECT_EQ(fractionText(std::nextafter(bound, 2.0f)), FractionTable[band + 1].text) << band;
    }
    EXPECT_EQ(fractionText(0.0f), "");
    EXPECT_EQ(fractionText(1e-30f), "   1/64");
    EXPECT_EQ(fractionText(0.039f), "   1/32");
    EXPECT_EQ(fractionText(0.3359988f), "    21/64");
    EXPECT_EQ(fractionText(0.9999f), "");
}

}  // namespace
}  // namespace zeva
