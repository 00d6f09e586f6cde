// SPDX-License-Identifier: MIT
// Text to single and text to double against a second, independent reading of the grammar:
// a regular expression picks the parts out, std::from_chars reads them joined with "." and
// without blanks or "+", and strtof/strtod tell an overflow from an underflow.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "engine/numbers.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace zeva;

// Separators to try: the default ones, a comma-decimal locale, one without grouping, and a
// locale that groups with a two-byte no-break space.
const NumberFormat kFormats[] = {{".", ","}, {",", "."}, {".", ""}, {",", "\xC2\xA0"}};

std::string escaped(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        if (std::strchr(".+*?()[]{}|^$\\", ch) != nullptr) out += '\\';
        out += ch;
    }
    return out;
}

std::regex grammarOf(const NumberFormat& format) {
    const std::string decimal = escaped(format.decimal);
    std::string integer = "[0-9]*";
    if (!format.grouping.empty()) {
        integer = "(?:[0-9]{1,3}(?:" + escaped(format.grouping) + "[0-9]{3})+|[0-9]*)";
    }
    return std::regex("[ \\t]*([+-]?)(" + integer + ")(?:" + decimal +
                      "([0-9]*))?(?:[eE]([+-]?[0-9]+))?[ \\t]*");
}

template <class T>
void check(std::string_view text, const NumberFormat& format, const std::regex& grammar) {
    const Result<T> result = [&] {
        if constexpr (std::is_same_v<T, float>) {
            return parseSingle(text, format);
        } else {
            return parseDouble(text, format);
        }
    }();

    std::match_results<std::string_view::const_iterator> parts;
    const bool accepted = std::regex_match(text.begin(), text.end(), parts, grammar) &&
                          (parts[2].length() + parts[3].length() > 0);
    if (!accepted) {
        if (result.ok() || result.error().kind != ErrorKind::TypeMismatch) {
            fuzz::fail("a text outside the grammar was not a type mismatch", text);
        }
        return;
    }

    std::string plain = parts[1] == "-" ? "-" : "";
    for (const char ch : parts[2].str()) {
        if (ch >= '0' && ch <= '9') plain += ch;
    }
    plain += '.';
    plain += parts[3].str();
    if (parts[4].matched) {
        plain += 'e';
        plain += parts[4].str();
    }

    T expected{};
    const auto [end, status] = std::from_chars(plain.data(), plain.data() + plain.size(), expected);
    if (end != plain.data() + plain.size()) fuzz::fail("from_chars left text over", text);
    if (status == std::errc{}) {
        if (!result.ok()) fuzz::fail("an accepted number was refused", text);
        if (std::memcmp(&expected, &result.value(), sizeof(T)) != 0) {
            fuzz::fail("the value differs from from_chars", text);
        }
        return;
    }
    errno = 0;
    const T far = std::is_same_v<T, float> ? static_cast<T>(std::strtof(plain.c_str(), nullptr))
                                           : static_cast<T>(std::strtod(plain.c_str(), nullptr));
    if (std::isinf(far)) {
        if (result.ok() || result.error().kind != ErrorKind::Overflow) {
            fuzz::fail("a value beyond the range was not an overflow", text);
        }
    } else if (!result.ok() || result.value() != T{0}) {
        fuzz::fail("an underflow was not 0", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The regular expression recurses for every character; longer texts add nothing new.
    if (size > 200) return 0;
    static const std::regex grammars[] = {grammarOf(kFormats[0]), grammarOf(kFormats[1]),
                                          grammarOf(kFormats[2]), grammarOf(kFormats[3])};
    const fuzz::FuzzInput input = fuzz::split(data, size, 1);
    const std::size_t which = input.choice % std::size(kFormats);
    check<float>(input.texts[0], kFormats[which], grammars[which]);
    check<double>(input.texts[0], kFormats[which], grammars[which]);
    return 0;
}
