// SPDX-License-Identifier: MIT
// The program's texts in the language asked for. The English is written in the source; the
// other languages come from the translators' catalogues (po/<language>.po, gettext's format),
// which the build compiles with msgfmt and builds into the program, so that a text never
// depends on the locale being installed or on a file being found at run time.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zeva {

enum class Language { Chinese, English };

// The text in the language: the English itself, or its translation (the English where the
// catalogue has none; a test keeps every text translated). The pointer lives as long as the
// program.
[[nodiscard]] const char* translate(Language language, const char* english);
// The same for a text that reads differently by where it stands: msgctxt in the catalogue.
[[nodiscard]] const char* translate(Language language, const char* context, const char* english);

// The text in the language as a string, to be joined with others; with its %1, %2 … filled
// by the figures and names where they are given.
[[nodiscard]] std::string say(Language language, const char* english);
[[nodiscard]] std::string say(Language language, const char* english,
                              std::initializer_list<std::string_view> args);

// Marks a text for the catalogue where it is translated later, as a table's entry.
constexpr const char* N_(const char* english) { return english; }

// The text with %1, %2 … %9 replaced by the arguments in their order, as Qt's arg() does (any
// other "%" stays); a place with no argument is left out. The numbers let a translation put
// the figures where its language wants them.
[[nodiscard]] std::string fill(std::string_view text, std::initializer_list<std::string_view> args);

}  // namespace zeva
