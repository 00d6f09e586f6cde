// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "engine/numbers.h"
#include "tests/case_name.h"

namespace zeva {
namespace {

const NumberFormat kDot{};
const NumberFormat kComma{",", "."};

struct FormatCase {
    const char* name;
    double value;
    bool single;
    const char* text;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class Formatting : public testing::TestWithParam<FormatCase> {};

TEST_P(Formatting, writes_the_exact_text) {
    const FormatCase& c = GetParam();
    const std::string text =
        c.single ? formatSingle(static_cast<float>(c.value)) : formatDouble(c.value);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Formatting,
    testing::Values(FormatCase{"zero", 0.0, true, "0"},
                    FormatCase{"negative_zero", -0.0, true, "0"},
                    FormatCase{"double_negative_zero", -0.0, false, "0"},
                    FormatCase{"one_hundred_thousandth", 1e-5, true, "1E-05"},
                    FormatCase{"one_ten_thousandth", 1e-4, true, "0.0001"},
                    FormatCase{"trailing_zeros_dropped", 2.5, true, "2.5"},
                    FormatCase{"point_without_digits_dropped", 100.0, true, "100"},
                    FormatCase{"seven_digits_plain", 1234567.0, true, "1234567"},
                    FormatCase{"eight_digits_exponent", 12345678.0, true, "1.234568E+07"},
                    FormatCase{"rounds_up_into_exponent", 9999999.5, true, "1E+07"},
                    FormatCase{"negative", -34.69116, true, "-34.69116"},
                    FormatCase{"single_widened_not_decimal", 4.528f - 4.0f, true, "0.5279999"},
                    FormatCase{"large_exponent", 3e38, true, "3E+38"},
                    FormatCase{"fifteen_digits_plain", 123456789012345.0, false, "123456789012345"},
                    FormatCase{"sixteen_digits_exponent", 1234567890123456.0, false,
                               "1.23456789012346E+15"},
                    FormatCase{"double_small", 1.14440916e-05, false, "1.14440916E-05"},
                    FormatCase{"double_three_digit_exponent", 1e-300, false, "1E-300"}),
    testing_support::ByName{});

TEST(Formatting, uses_the_decimal_separator_it_is_given) {
    EXPECT_EQ(formatSingle(3.311886f, kComma), "3,311886");
    EXPECT_EQ(formatDouble(57.063002726237, kComma), "57,063002726237");
    EXPECT_EQ(formatSingle(1.5e-7f, kComma), "1,5E-07");
}

// The fast formatter must agree with C's %G to the character: over every bit pattern, over
// the magnitudes a design produces, and next to the halfway points where rounding turns.
void expectLikePrintf(float single) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(single));
    ASSERT_EQ(formatSingle(single), expected) << std::bit_cast<std::uint32_t>(single);
}

void expectLikePrintf(double dual) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.15G", dual);
    ASSERT_EQ(formatDouble(dual), expected) << std::bit_cast<std::uint64_t>(dual);
}

TEST(Formatting, agrees_with_printf_over_millions_of_random_values) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> decades(-7.0, 9.0);
    for (int i = 0; i < 1000000; ++i) {
        const float single = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (std::isfinite(single) && single != 0.0f) expectLikePrintf(single);
        const double dual = std::bit_cast<double>(random());
        if (std::isfinite(dual) && dual != 0.0) expectLikePrintf(dual);

        const double typical = std::pow(10.0, decades(random)) * (i % 2 == 0 ? 1 : -1);
        expectLikePrintf(static_cast<float>(typical));
        expectLikePrintf(typical);
    }
    // Either side of every power of ten, where the count of digits changes.
    for (int k = -8; k <= 16; ++k) {
        const double power = std::pow(10.0, k);
        for (const double near : {std::nextafter(power, 0.0), power, std::nextafter(power, 1e300),
                                  power * (1 - 5e-8), power * (1 - 5e-16)}) {
            expectLikePrintf(near);
            expectLikePrintf(static_cast<float>(near));
            expectLikePrintf(std::nextafter(static_cast<float>(near), 0.0f));
        }
    }
    // Decimal halfway points such as 1.2345675 and 123.45678901234565, and their neighbours.
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(random() % 12) - 4);
        const auto digits = static_cast<double>(random() % 90000000 + 10000000);
        const double halfway = (digits * 10 + 5) * scale / 1e8;
        expectLikePrintf(static_cast<float>(halfway));
        expectLikePrintf(std::nextafter(static_cast<float>(halfway), 0.0f));
        const auto longDigits = static_cast<double>(random() % 900000000000000 + 100000000000000);
        const double longHalfway = (longDigits * 10 + 5) * scale / 1e15;
        expectLikePrintf(longHalfway);
        expectLikePrintf(std::nextafter(longHalfway, 0.0));
    }
}

struct ParseCase {
    const char* name;
    const char* text;
    double value;  // expected, when ok
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class AcceptedText : public testing::TestWithParam<ParseCase> {};

TEST_P(AcceptedText, reads_as_the_nearest_number) {
    const ParseCase& c = GetParam();
    const Result<double> dual = parseDouble(c.text);
    ASSERT_TRUE(dual.ok()) << c.text;
    EXPECT_EQ(dual.value(), c.value);
    const Result<float> single = parseSingle(c.text);
    ASSERT_TRUE(single.ok()) << c.text;
    EXPECT_EQ(single.value(), static_cast<float>(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcceptedText,
    testing::Values(
        ParseCase{"integer", "144", 144.0}, ParseCase{"fraction", "14.2", 14.2},
        ParseCase{"blanks_around", "  14.2\t ", 14.2}, ParseCase{"leading_plus", "+5", 5.0},
        ParseCase{"leading_minus", "-5", -5.0}, ParseCase{"no_integer_digits", ".5", 0.5},
        ParseCase{"no_fraction_digits", "5.", 5.0}, ParseCase{"exponent", "1e3", 1000.0},
        ParseCase{"signed_exponent", "1.5E+2", 150.0},
        ParseCase{"negative_exponent", "25e-2", 0.25}, ParseCase{"grouped", "1,234.5", 1234.5},
        ParseCase{"grouped_twice", "-1,234,567", -1234567.0},
        ParseCase{"blank_between_sign_not_allowed_but_after_ok", "-1 ", -1.0},
        ParseCase{"underflow_is_zero", "1e-400", 0.0},
        ParseCase{"huge_negative_exponent", "1e-99999999999999999999", 0.0},
        ParseCase{"zeros_with_huge_exponent", "0e99999999999", 0.0}),
    testing_support::ByName{});

struct RejectCase {
    const char* name;
    const char* text;
};
// The case by its name in test listings, not by its bytes.
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectedText : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectedText, is_a_type_mismatch) {
    const RejectCase& c = GetParam();
    const Result<float> single = parseSingle(c.text);
    ASSERT_FALSE(single.ok()) << c.text;
    EXPECT_EQ(single.error().kind, ErrorKind::TypeMismatch);
    const Result<double> dual = parseDouble(c.text);
    ASSERT_FALSE(dual.ok()) << c.text;
    EXPECT_EQ(dual.error().kind, ErrorKind::TypeMismatch);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RejectedText,
    testing::Values(RejectCase{"empty", ""}, RejectCase{"blanks_only", "   "},
                    RejectCase{"letters", "abc"}, RejectCase{"exponent_without_digits", "1e"},
                    RejectCase{"exponent_sign_only", "1e+"}, RejectCase{"two_points", "1.2.3"},
                    RejectCase{"point_alone", "."}, RejectCase{"sign_alone", "-"},
                    RejectCase{"two_signs", "--1"}, RejectCase{"blank_after_sign", "- 1"},
                    RejectCase{"blank_inside", "1 2"}, RejectCase{"infinity", "inf"},
                    RejectCase{"nan", "nan"}, RejectCase{"hexadecimal", "0x10"},
                    RejectCase{"short_group", "1,23"}, RejectCase{"long_group", "12,3456"},
                    RejectCase{"long_first_group", "1234,567"}, RejectCase{"leading_group", ",123"},
                    RejectCase{"group_in_fraction", "1.234,5"},
                    RejectCase{"trailing_letters", "14.2MHz"},
                    RejectCase{"comma_decimal_in_dot_locale", "14,2"}),
    testing_support::ByName{});

TEST(ParseRange, beyond_the_target_is_an_overflow) {
    const Result<float> single = parseSingle("1e39");
    ASSERT_FALSE(single.ok());
    EXPECT_EQ(single.error().kind, ErrorKind::Overflow);
    EXPECT_FALSE(parseSingle("-3.5e38").ok());
    EXPECT_TRUE(parseDouble("1e39").ok());
    const Result<double> dual = parseDouble("1e309");
    ASSERT_FALSE(dual.ok());
    EXPECT_EQ(dual.error().kind, ErrorKind::Overflow);
    EXPECT_EQ(parseSingle("3.4028235e38").value(), std::numeric_limits<float>::max());
}

TEST(ParseRange, a_subnormal_single_is_kept) {
    EXPECT_EQ(parseSingle("1e-45").value(), std::numeric_limits<float>::denorm_min());
}

// Rounding to single straight from the text differs from rounding through a double here.
TEST(ParseRange, single_is_rounded_once_from_the_text) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(parseSingle("1.00000005960464477550").value()),
              0x3F800001u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(parseSingle("4.528").value()),
              std::bit_cast<std::uint32_t>(4.528f));
}

TEST(ParseLocale, comma_decimal_with_point_grouping) {
    EXPECT_EQ(parseDouble("14,2", kComma).value(), 14.2);
    EXPECT_EQ(parseDouble("1.234,5", kComma).value(), 1234.5);
    EXPECT_FALSE(parseDouble("14.2", kComma).ok());  // 14.2 is no grouping of three
}

TEST(ParseLocale, multibyte_grouping_and_no_grouping) {
    const NumberFormat narrowBlank{",", "\u202F"};
    EXPECT_EQ(parseDouble("1\u202F234,5", narrowBlank).value(), 1234.5);
    const NumberFormat ungrouped{".", ""};
    EXPECT_FALSE(parseDouble("1,234", ungrouped).ok());
    const NumberFormat blankGrouping{".", " "};
    EXPECT_EQ(parseDouble("1 234 ", blankGrouping).value(), 1234.0);
    EXPECT_EQ(parseDouble(" 12 ", blankGrouping).value(), 12.0);
}

TEST(IntegerPart, rounds_towards_minus_infinity) {
    EXPECT_EQ(integerPart(-2.5), -3.0);
    EXPECT_EQ(integerPart(2.5), 2.0);
    EXPECT_EQ(integerPart(-4.528f), -5.0f);
    EXPECT_EQ(integerPart(-5.0f), -5.0f);
}

// The conversions chain as the converter uses them.
TEST(Conversions, fraction_of_a_single_and_its_inches) {
    const float inp = parseSingle("4.528").value();
    const std::string df = formatSingle(
        static_cast<float>(static_cast<double>(inp) - static_cast<double>(integerPart(inp))));
    EXPECT_EQ(df, "0.5279999");
    EXPECT_EQ(formatDouble(parseDouble(df).value() * 12.0), "6.3359988");
}

}  // namespace
}  // namespace zeva
