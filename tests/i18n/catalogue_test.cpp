// SPDX-License-Identifier: MIT
// The catalogue as the program reads it: the English as written, its Chinese from the
// compiled translators' file, the figures put where each language wants them.
#include <gtest/gtest.h>

#include "engine/result.h"
#include "i18n/catalogue.h"

namespace zeva {
namespace {

TEST(Catalogue, english_is_the_source_and_chinese_comes_from_the_translators_file) {
    const char* english = describe(ErrorKind::TypeMismatch);
    EXPECT_STREQ(english, "not a number");
    EXPECT_EQ(translate(Language::English, english), english);  // the text itself, not a copy
    EXPECT_STREQ(translate(Language::Chinese, english), "类型不匹配");
    EXPECT_STREQ(translate(Language::Chinese, describe(ErrorKind::Overflow)), "溢出");
    // A text the catalogue lacks stays English rather than vanishing.
    EXPECT_STREQ(translate(Language::Chinese, "no such text"), "no such text");
    EXPECT_STREQ(translate(Language::Chinese, "some context", "not a number"), "not a number");
}

TEST(Catalogue, figures_go_where_each_language_puts_them) {
    // The Chinese puts the wavelengths before the segments.
    const char* text =
        "too many segments to solve in reasonable time (more than %1 at %2 segments a wavelength)";
    EXPECT_EQ(say(Language::English, text, {"3000", "400"}),
              "too many segments to solve in reasonable time (more than 3000 at 400 segments a "
              "wavelength)");
    EXPECT_EQ(say(Language::Chinese, text, {"3000", "400"}),
              "分段太多，无法在合理的时间内求解（每波长 400 段时已超过 3000 段）");
}

TEST(Catalogue, fill_replaces_numbered_places_and_leaves_other_percent_signs) {
    EXPECT_EQ(fill("%2 then %1", {"a", "b"}), "b then a");
    EXPECT_EQ(fill("±10 % (%1)", {"x"}), "±10 % (x)");
    EXPECT_EQ(fill("%1%", {"5"}), "5%");
    EXPECT_EQ(fill("%3 missing", {"a"}), " missing");
    EXPECT_EQ(fill("100%%", {}), "100%%");  // as Qt's arg() leaves it
    EXPECT_EQ(fill("%1%1", {"ab"}), "abab");
}

}  // namespace
}  // namespace zeva
