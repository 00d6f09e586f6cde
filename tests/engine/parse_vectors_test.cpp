// SPDX-License-Identifier: MIT
// Text to single and text to double against public decimal-to-binary vectors: every line
// gives the correctly rounded bits of its text in both precisions.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/numbers.h"

namespace zeva {
namespace {

struct Vector {
    std::uint32_t single;
    std::uint64_t dual;
    std::string text;
};

constexpr std::uint32_t kSingleInfinity = 0x7F800000;
constexpr std::uint64_t kDoubleInfinity = 0x7FF0000000000000;

std::vector<Vector> load(const std::string& name) {
    std::ifstream in(std::string(ZEVA_TESTDATA_DIR) + "/parse-number-fxx/" + name);
    std::vector<Vector> vectors;
    std::string half, single, dual, text;
    while (in >> half >> single >> dual >> text) {
        vectors.push_back({static_cast<std::uint32_t>(std::stoul(single, nullptr, 16)),
                           static_cast<std::uint64_t>(std::stoull(dual, nullptr, 16)), text});
    }
    return vectors;
}

// How the text is dressed before it is parsed, and what that does to the expected bits.
struct Dressing {
    const char* name;
    NumberFormat format;
    std::string (*dress)(const std::string&);
    bool negated;
};

std::string plain(const std::string& text) { return text; }
std::string withComma(const std::string& text) {
    std::string dressed = text;
    for (char& ch : dressed) {
        if (ch == '.') ch = ',';
    }
    return dressed;
}
std::string signedAndBlank(const std::string& text) { return "  -" + text + " "; }
std::string plusSign(const std::string& text) { return "+" + text; }

const Dressing kDressings[] = {
    {"plain", {}, plain, false},
    {"comma", {",", "."}, withComma, false},
    {"minus_and_blanks", {}, signedAndBlank, true},
    {"plus", {}, plusSign, false},
};

class ParseVectors : public testing::TestWithParam<const char*> {};

TEST_P(ParseVectors, every_line_rounds_correctly_in_both_precisions) {
    const std::vector<Vector> vectors = load(GetParam());
    ASSERT_GT(vectors.size(), 50u) << "test vectors not found under " << ZEVA_TESTDATA_DIR;
    for (const Dressing& dressing : kDressings) {
        int failures = 0;
        for (const Vector& v : vectors) {
            const std::string text = dressing.dress(v.text);
            const std::uint32_t signBit32 = dressing.negated ? 0x80000000u : 0u;
            const std::uint64_t signBit64 = dressing.negated ? (1ull << 63) : 0u;

            const Result<float> single = parseSingle(text, dressing.format);
            const bool singleOk =
                v.single == kSingleInfinity
                    ? !single.ok() && single.error().kind == ErrorKind::Overflow
                    : single.ok() &&
                          std::bit_cast<std::uint32_t>(single.value()) == (v.single | signBit32);
            const Result<double> dual = parseDouble(text, dressing.format);
            const bool doubleOk = v.dual == kDoubleInfinity
                                      ? !dual.ok() && dual.error().kind == ErrorKind::Overflow
                                      : dual.ok() && std::bit_cast<std::uint64_t>(dual.value()) ==
                                                         (v.dual | signBit64);
            if ((!singleOk || !doubleOk) && ++failures <= 5) {
                ADD_FAILURE() << dressing.name << ": \"" << text << "\" single "
                              << (singleOk ? "ok" : "wrong") << ", double "
                              << (doubleOk ? "ok" : "wrong");
            }
        }
        EXPECT_EQ(failures, 0) << dressing.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ParseVectors,
                         testing::Values("freetype-2-7.txt", "lemire-fast-float.txt",
                                         "more-test-cases.txt", "tencent-rapidjson.txt"),
                         [](const testing::TestParamInfo<const char*>& file) {
                             std::string name = file.param;
                             for (char& ch : name) {
                                 if (ch == '-' || ch == '.') ch = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace zeva
