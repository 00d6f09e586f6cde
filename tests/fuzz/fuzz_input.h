// SPDX-License-Identifier: MIT
// Splits a fuzzer's bytes into texts: the first byte chooses among the variants of a run,
// the rest are texts separated by newlines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zeva::fuzz {

struct FuzzInput {
    std::uint8_t choice = 0;
    std::vector<std::string_view> texts;
};

inline FuzzInput split(const std::uint8_t* data, std::size_t size, std::size_t count) {
    FuzzInput input;
    std::string_view rest;
    if (size > 0) {
        input.choice = data[0];
        rest = std::string_view(reinterpret_cast<const char*>(data + 1), size - 1);
    }
    while (input.texts.size() + 1 < count) {
        const std::size_t newline = rest.find('\n');
        if (newline == std::string_view::npos) break;
        input.texts.push_back(rest.substr(0, newline));
        rest.remove_prefix(newline + 1);
    }
    input.texts.push_back(rest);
    while (input.texts.size() < count) input.texts.emplace_back();
    return input;
}

// Stops the run with a message; libFuzzer then saves the input that caused it.
[[noreturn]] void fail(const char* what, std::string_view text);

}  // namespace zeva::fuzz
